// Qt's own dialogs and standard buttons in Russian.
#pragma once

class QApplication;

namespace vk7 {

// Installs Qt's Russian translation where the machine has it (Debian's qt6-translations-l10n);
// returns whether it did. The translator lives as long as the application.
bool installRussianQtTranslation(QApplication& app);

}  // namespace vk7
