#include "platform/qt/qt_translation.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>

#include <gtest/gtest.h>

namespace vk7 {
namespace {

// Both programs' standard buttons and file dialogs speak Russian: the translation that the
// set-up installs is found and takes effect.
TEST(QtTranslation, StandardButtonsAreRussian) {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    ASSERT_NE(app, nullptr);
    ASSERT_TRUE(installRussianQtTranslation(*app)) << "qtbase_ru not found: is qt6-translations-l10n installed?";
    QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text().remove(QLatin1Char('&')), QString::fromUtf8("Отмена"));
}

}  // namespace
}  // namespace vk7
