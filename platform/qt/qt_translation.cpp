#include "platform/qt/qt_translation.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace vk7 {

bool installRussianQtTranslation(QApplication& app) {
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QApplication::installTranslator(translator);
}

}  // namespace vk7
