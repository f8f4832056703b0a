#include <gtest/gtest.h>

#include "common/cp1251.h"
#include "common/errors.h"
#include "platform/qt/event_guard.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_text.h"
#include "platform/scripted_dialogs.h"

namespace vk7 {
namespace {

TEST(QtText, EveryByteSurvivesTheWidget) {
    std::string all;
    for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
    EXPECT_EQ(fromQString(toQString(all)), all);
    EXPECT_EQ(toQString(RU("Паспорт")), QString::fromUtf8("Паспорт"));
    EXPECT_EQ(fromQString(QString::fromUtf8("日本")), "??");
}

TEST(QtDialogs, FilterMatchesAnyCase) {
    EXPECT_EQ(caseInsensitiveNameFilters("hrm |*.hrm;"), QStringList{"hrm (*.[hH][rR][mM])"});
    EXPECT_EQ(caseInsensitiveNameFilters("grd|*.grd;*.bak"), QStringList{"grd (*.[gG][rR][dD] *.[bB][aA][kK])"});
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
