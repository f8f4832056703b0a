// Passport window (TForm2) "Паспорт хроматограммы".
#include "chromfile/forms/pasp.h"

#include "common/cp1251.h"
#include "platform/qt/qt_text.h"

namespace vk7 {

TForm2::TForm2(ProcessingState& state, QWidget* owner)
    : ToolWindow(QStringLiteral("Form2"), toQString(RU("Паспорт хроматограммы")), owner), state_(state) {
    resize(480, 320);
}

}  // namespace vk7
