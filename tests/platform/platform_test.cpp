#include <gtest/gtest.h>

#include <QApplication>
#include <QTreeView>

#include "common/cp1251.h"
#include "common/errors.h"
#include "platform/qt/event_guard.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_text.h"
#include "platform/scripted_dialogs.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait.h"

namespace vk7 {
namespace {

TEST(QtText, EveryByteSurvivesTheWidget) {
    std::string all;
    for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
    EXPECT_EQ(fromQString(toQString(all)), all);
    EXPECT_EQ(toQString(RU("Паспорт")), QString::fromUtf8("Паспорт"));
    EXPECT_EQ(fromQString(QString::fromUtf8("日本")), "??");
}

TEST(QtDialogs, FilterTexts) {
    EXPECT_EQ(nameFilters("hrm |*.hrm;"), QStringList{"hrm (*.hrm)"});
    EXPECT_EQ(nameFilters("grd|*.grd;*.bak"), QStringList{"grd (*.grd *.bak)"});
}

TEST(QtDialogs, FileDialogListsChromatogramsInAnyCaseAndReportsTheSelection) {
    test::TempDir dir;
    dir.write("H4A.HRM", "x");
    dir.write("h5a.hrm", "x");
    dir.write("notes.txt", "x");
    std::vector<fs::path> selected;
    FileDialogRequest r{RU("Хроматограммы"), "hrm |*.hrm;", dir.path(), "", [&](const fs::path& f) { selected.push_back(f); }, {}};
    QFileDialog dialog;
    configureFileDialog(dialog, r, QFileDialog::ExistingFile, QFileDialog::AcceptOpen);
    dialog.show();
    auto* view = dialog.findChild<QTreeView*>("treeView");
    ASSERT_NE(view, nullptr);
    // The folder is listed from a thread of the dialog's model.
    ASSERT_TRUE(test::waitUntil([&] { return view->model()->rowCount(view->rootIndex()) >= 2; }, "the two chromatograms listed"));
    QStringList names;
    for (int i = 0; i < view->model()->rowCount(view->rootIndex()); ++i)
        names << view->model()->index(i, 0, view->rootIndex()).data().toString();
    names.sort();
    EXPECT_EQ(names, (QStringList{"H4A.HRM", "h5a.hrm"}));
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("Хроматограммы"));
    dialog.selectFile("h5a.hrm");
    view->setCurrentIndex(view->model()->index(1, 0, view->rootIndex()));
    ASSERT_FALSE(selected.empty());
    EXPECT_EQ(selected.back().parent_path(), dir.path());
}

TEST(EventGuard, ShowsOneErrorNamingTheFile) {
    ScriptedDialogs dialogs;
    bool ok = guarded(dialogs, [] { throw IoError("write", "/tmp/x/h1a.hrm", "No space left on device"); });
    EXPECT_FALSE(ok);
    ASSERT_EQ(dialogs.messageTexts().size(), 1u);
    EXPECT_NE(dialogs.messageTexts()[0].find("/tmp/x/h1a.hrm"), std::string::npos);
    EXPECT_NE(dialogs.messageTexts()[0].find(RU("записать")), std::string::npos);
    EXPECT_EQ(dialogs.shown()[0].message.kind, MessageKind::Error);
    EXPECT_TRUE(guarded(dialogs, [] {}));
    EXPECT_EQ(dialogs.messageTexts().size(), 1u);
}

TEST(ScriptedDialogs, AnswersFromTheQueueAndRecordsTheUnexpected) {
    ScriptedDialogs d;
    d.expectMessage(Answer::Ok);
    d.expectOpenOne(fs::path("/a/h1a.hrm"));
    EXPECT_TRUE(d.confirm("q1"));
    EXPECT_EQ(d.openOne({"t", "hrm |*.hrm;", {}, {}, {}, {}}), fs::path("/a/h1a.hrm"));
    EXPECT_TRUE(d.unexpected().empty());
    EXPECT_FALSE(d.confirm("q2"));  // nothing queued
    d.info("plain notice");          // acknowledged without a queue entry
    EXPECT_EQ(d.unexpected().size(), 1u);
    EXPECT_EQ(d.messageTexts(), (std::vector<std::string>{"q1", "q2", "plain notice"}));
}

}  // namespace
}  // namespace vk7
