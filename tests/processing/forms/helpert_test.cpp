#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <QApplication>
#include <QTextBrowser>

#include "common/cp1251.h"
#include "common/paths.h"
#include "processing/forms/helpert.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

namespace fs = std::filesystem;

QString qs(const std::string& cp1251) { return QString::fromStdString(toUtf8(cp1251)); }

// A page in Windows-1251 bytes, as installed.
std::string page(const std::string& titleUtf8, const std::string& bodyUtf8) {
    return toCp1251("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">"
                    "<title>" + titleUtf8 + "</title></head><body>" + bodyUtf8 + "</body></html>");
}

TEST(HelpWindow, InstalledArchivePageGivesItsTitleAsCaption) {
    TForm10 form(StartFolder(fs::path(VK7_SOURCE_DIR) / "install"));
    form.ShowHelpPage(9);
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.WebBrowser1()->pageFound());
    EXPECT_EQ(form.windowTitle(), qs(RU("Архив градуировок")));
    EXPECT_EQ(form.width(), 545);
    EXPECT_EQ(form.height(), 488);
}

TEST(HelpWindow, DecodesWindows1251AndFindsFilesWithoutRegardToCase) {
    test::TempDir dir;
    dir.write("HELP/T9.HTM", page("Архив градуировок", "<p>Таблицы файла</p>"));
    TForm10 form{StartFolder(dir.path())};
    form.ShowHelpPage(9);
    EXPECT_EQ(form.windowTitle(), qs(RU("Архив градуировок")));
    EXPECT_TRUE(form.WebBrowser1()->toPlainText().contains(qs(RU("Таблицы файла"))));
}

TEST(HelpWindow, MissingPageShowsTheNotFoundTextNamingTheFile) {
    test::TempDir dir;
    dir.write("help/t0.htm", page("Содержание", "<p>x</p>"));
    TForm10 form{StartFolder(dir.path())};
    form.ShowHelpPage(0);
    ASSERT_TRUE(form.WebBrowser1()->pageFound());
    form.ShowHelpPage(162);
    EXPECT_FALSE(form.WebBrowser1()->pageFound());
    EXPECT_EQ(form.windowTitle(), HelpView::notFoundTitle());
    const QString text = form.WebBrowser1()->toPlainText();
    EXPECT_TRUE(text.contains(qs(RU("Страница справки не найдена: "))));
    EXPECT_TRUE(text.contains(QStringLiteral("t162.htm")));
    // The page appears later: showing it again reads it.
    dir.write("help/t162.htm", page("Поверка по методу Y", "<p>y</p>"));
    form.ShowHelpPage(162);
    EXPECT_TRUE(form.WebBrowser1()->pageFound());
    EXPECT_EQ(form.windowTitle(), qs(RU("Поверка по методу Y")));
}

TEST(HelpWindow, FollowsLinksBetweenPagesAndCaptionFollows) {
    test::TempDir dir;
    dir.write("help/t0.htm", page("Содержание", "<p><a href=\"T51.HTM\">Таблица</a> <a href=\"t77.htm\">нет</a></p>"));
    dir.write("help/t51.htm", page("Окно «Таблица пиков»", "<p><a href=\"t0.htm\">Содержание</a></p>"));
    TForm10 form{StartFolder(dir.path())};
    form.ShowHelpPage(0);
    HelpView* view = form.WebBrowser1();
    view->setSource(view->source().resolved(QUrl(QStringLiteral("T51.HTM"))));
    EXPECT_TRUE(view->pageFound());
    EXPECT_EQ(form.windowTitle(), qs(RU("Окно «Таблица пиков»")));
    view->setSource(view->source().resolved(QUrl(QStringLiteral("t0.htm"))));
    EXPECT_EQ(form.windowTitle(), qs(RU("Содержание")));
    view->setSource(view->source().resolved(QUrl(QStringLiteral("t77.htm"))));
    EXPECT_FALSE(view->pageFound());
    EXPECT_TRUE(view->toPlainText().contains(QStringLiteral("t77.htm")));
}

}  // namespace
}  // namespace vk7
