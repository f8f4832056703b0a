#include "platform/qt/shell_desktop.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

namespace vk7 {

bool DesktopShell::open(const std::filesystem::path& file) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(file.string())));
}

}  // namespace vk7
