// The regime of a channel pair: its files, the grid's lists and typed values, the
// dictionaries, the methods file and the pair switch.
#include "acquisition/regime.h"

#include <gtest/gtest.h>

#include "acquisition/acquisition_engine.h"
#include "common/cp1251.h"
#include "common/files.h"
#include "platform/scripted_dialogs.h"
#include "platform/simulated_box.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

std::string lines(const std::vector<std::string>& l) { return joinLinesCrLf(l); }

TEST(RegimeFiles, RegimParametersAreWrittenUnsignedAndReadWhole) {
    RegimeState r;
    r.parameters[0][0] = -1;
    r.parameters[1][0] = 5;
    r.parameters[0][11] = 32767;
    const auto written = regimeLines(r);
    ASSERT_EQ(written.size(), 24u);
    EXPECT_EQ(written[0], "65535");
    EXPECT_EQ(written[1], "5");
    EXPECT_EQ(written[22], "32767");
    RegimeState back;
    parseRegimeLines(written, back);
    EXPECT_EQ(back.parameters, r.parameters);
    // Read whole, the low 16 bits kept; no number gives 0.
    parseRegimeLines({"70000", "abc", "-2"}, back);
    EXPECT_EQ(back.parameters[0][0], 4464);
    EXPECT_EQ(back.parameters[1][0], 0);
    EXPECT_EQ(back.parameters[0][1], -2);
}

TEST(RegimeFiles, ChannelSettingsLinesAndTheirReading) {
    ChannelSettingsValues v;
    v.settingsByte = "3";
    v.name = {RU("Метан"), "B"};
    v.recordTimeSec = {600, 1200};
    v.polarity = {1, 0};
    v.channelValue = {1.5, 2.0};
    v.dataFolder = {"gaz", "voda"};
    const auto l = channelSettingsLines(v);
    ASSERT_EQ(l.size(), 19u);
    EXPECT_EQ(l[7], "1200");
    EXPECT_EQ(l[8], "1200");
    EXPECT_EQ(l[11], "0");
    EXPECT_EQ(l[13], " 1.50000000000000E+0000");
    EXPECT_EQ(l[16], " 2.00000000000000E+0000");
    const auto back = parseChannelSettingsLines(l);
    EXPECT_EQ(back.name, v.name);
    EXPECT_EQ(back.recordTimeSec, v.recordTimeSec);
    EXPECT_EQ(back.polarity, v.polarity);
    EXPECT_EQ(back.channelValue, v.channelValue);
    EXPECT_EQ(back.dataFolder, v.dataFolder);
    EXPECT_EQ(back.settingsByte, "3");
    // A polarity other than 0 is 1, R of 0 or less is 1, a long name keeps 111 characters.
    auto odd = l;
    odd[9] = "7";
    odd[13] = "-2";
    odd[1] = std::string(200, 'x');
    const auto fixed = parseChannelSettingsLines(odd);
    EXPECT_EQ(fixed.polarity[0], 1);
    EXPECT_EQ(fixed.channelValue[0], 1.0);
    EXPECT_EQ(fixed.name[0].size(), 111u);
}

TEST(RegimeFiles, DictionaryEntriesAreFoundOrAppendedAfterALineEnd) {
    const auto found = addDictionaryEntry("He\r\nN2\r\nAr", "N2");
    EXPECT_EQ(found.lineNumber, 2);
    EXPECT_FALSE(found.appended);
    const auto added = addDictionaryEntry("He\r\nN2\r\nAr", "H2");  // the last line has no line end
    EXPECT_EQ(added.lineNumber, 4);
    EXPECT_EQ(added.bytes, "He\r\nN2\r\nAr\r\nH2\r\n");
    EXPECT_EQ(addDictionaryEntry("", "He").bytes, "He\r\n");
    std::string full;
    for (int i = 1; i <= 255; ++i) full += "e" + std::to_string(i) + "\r\n";
    EXPECT_EQ(addDictionaryEntry(full, "new").lineNumber, 0);
    EXPECT_EQ(addDictionaryEntry(full, "e255").lineNumber, 255);
}

// Whatever the last line of metn holds, a saved method starts a line of its own: the methods
// before it stay and it is found by its name.
TEST(MethodsFile, ASavedMethodStartsALineOfItsOwn) {
    MethodRecord r;
    r.rows.fill("    1");
    r.recordTimeSec = 600;
    const std::string gas = appendMethod("#", "Gas", r);
    const struct {
        std::string file;
        std::vector<std::string> before;
    } cases[] = {
        {"", {}},           {"#", {}},          {gas, {"Gas"}},           {gas + "\r\n", {"Gas"}},
        {"x#", {}},         {"#A\r\nx#", {"A"}}, {gas.substr(0, gas.size() - 1) + "x#", {"Gas"}},
        {"x#\r\n", {}},     {"x", {}},          {"#\r", {}},               {"\r\n", {}},
    };
    for (const auto& c : cases) {
        const std::string after = appendMethod(c.file, "M", r);
        const std::vector<std::string> lines = splitLines(after, 64);
        std::vector<std::string> names = c.before;
        names.push_back("M");
        EXPECT_EQ(methodNames(lines), names) << c.file;
        const auto found = findMethod(lines, "M");
        ASSERT_TRUE(found) << c.file;
        EXPECT_EQ(found->recordTimeSec, 600);
        EXPECT_EQ(after.back(), '#');
    }
}

class RegimeTest : public ::testing::Test {
protected:
    RegimeTest() {
        dir.write("vk7.dat", "44100\r\n44100\r\nA\r\nB\r\n1800\r\n1800\r\n 21.533203125000\r\n1\r\n");
        dir.write("space/gas", RU("Гелий\r\nАзот\r\nВодород\r\nАргон"));
        dir.write("space/detect", RU("ДТП\r\nПИД\r\n"));
        dir.write("space/regim.dat", lines({"2", "1", "0", "0", "0", "1", "0", "0", "0", "0", "30", "40", "150", "150",
                                            "200", "200", "1", "1", "30", "30", "300", "300", "1", "1"}));
        dir.write("space/rsv.dat", lines({"0", RU("Метан"), "B", "600", "900", "", "", "", "", "0", "1", "", "", " 1.23400000000000E+0000",
                                          " 2.00000000000000E+0000", "", "", "gaz", "voda"}));
        dir.write("space/uslow.dat", lines({"M1", "?", "?", "?"}));
    }
    void start() {
        engine.create(277, 29);
        engine.showStartMessages();
    }
    RegimeEditor& grid() { return engine.regime(); }
    std::vector<std::string> metn() { return readLines(dir / "space/metn"); }

    test::TempDir dir;
    SimulatedBox box;
    ScriptedDialogs dialogs;
    FixedClock clock{LocalDateTime{2024, 5, 6, 14, 5, 0}};
    AcquisitionEngine engine{{StartFolder(dir.path()), box, dialogs, clock, [](int) {}}};
};

TEST_F(RegimeTest, TheGridShowsThePairWithItsDictionaryEntries) {
    start();
    EXPECT_EQ(grid().cell(0, 1), "M1");
    EXPECT_EQ(grid().cell(1, 1), RU("ПИД"));
    EXPECT_EQ(grid().cell(1, 2), RU("ДТП"));
    EXPECT_EQ(grid().cell(3, 1), "0") << "line 0: the number stays";
    EXPECT_EQ(grid().cell(3, 2), RU("Гелий"));
    EXPECT_EQ(grid().cell(6, 1), "30");
    EXPECT_EQ(grid().cell(13, 1), "   1.23");
    EXPECT_EQ(grid().cell(14, 1), RU("Метан"));
    EXPECT_EQ(grid().cell(15, 2), "voda");
    EXPECT_EQ(engine.state().settings.recordTimeSec[1], 900);
    EXPECT_EQ(engine.state().polarity[1], 1);
}

TEST_F(RegimeTest, ChoosingTypingAndAppendingDictionaryEntries) {
    start();
    // The third gas from the list: P2 = 3, the heading becomes "?".
    const auto popup = grid().click(3, 1);
    EXPECT_EQ(popup.kind, RegimeEditor::Popup::List);
    ASSERT_EQ(popup.items.size(), 4u);
    EXPECT_EQ(grid().cell(0, 1), "?");
    grid().listChosen(3, 1, 2, popup.items[2]);
    EXPECT_EQ(engine.state().regime.parameters[0][2], 3);
    EXPECT_EQ(grid().cell(3, 1), RU("Водород"));
    // A new gas typed: appended after the last line, which had no line end.
    grid().listEnter(3, 2, RU("Ксенон"));
    EXPECT_EQ(readFileBytes(dir / "space/gas"), RU("Гелий\r\nАзот\r\nВодород\r\nАргон\r\nКсенон\r\n"));
    EXPECT_EQ(engine.state().regime.parameters[1][2], 5);
    // An entry typed that exists already takes its line.
    grid().listEnter(3, 2, RU("Азот"));
    EXPECT_EQ(engine.state().regime.parameters[1][2], 2);
    // Plain numbers count as typed; R of 0 or less is refused.
    grid().cellTyped(6, 1, "45");
    EXPECT_EQ(engine.state().regime.parameters[0][5], 45);
    dialogs.expectMessage(Answer::Ok);
    grid().cellTyped(13, 1, "0");
    EXPECT_EQ(engine.state().regime.channelValue[0], 1.234);
    EXPECT_EQ(grid().cell(13, 1), "   1.23");
    grid().cellTyped(13, 1, "2,5");
    EXPECT_EQ(engine.state().regime.channelValue[0], 2.5);
    // A new data folder typed: created in lower case, and it receives the recordings.
    grid().listEnter(15, 1, "Gaz2");
    EXPECT_TRUE(fs::is_directory(dir / "data/gaz2"));
    EXPECT_EQ(engine.state().regime.dataFolder[0], "gaz2");
    grid().listEnter(15, 1, "GAZ2");  // exists: nothing more created
    EXPECT_EQ(engine.state().regime.dataFolder[0], "gaz2");
    const auto folders = grid().click(15, 1);
    EXPECT_EQ(folders.items, std::vector<std::string>{"gaz2"});
    grid().nameEntered(1, std::string(150, 'n'));
    EXPECT_EQ(engine.state().settings.channelName[0].size(), 111u);
}

// metn with two methods of one name and one other.
TEST_F(RegimeTest, MethodsSaveApplyAndDelete) {
    start();
    engine.state().regime.channelValue[0] = 1.234;
    grid().saveMethod("Gas", 1);
    grid().saveMethod("Other", 2);
    engine.state().regime.parameters[0][5] = 99;
    grid().saveMethod("Gas", 1);
    auto l = metn();
    ASSERT_EQ(l.size(), 3u * 24u + 1u);
    EXPECT_EQ(l[0], "#Gas");
    EXPECT_EQ(l[1], "    2") << "a dictionary row: the entry's line right-aligned in 5";
    EXPECT_EQ(l[17], "  1.2");
    EXPECT_EQ(l[18], "600");
    EXPECT_EQ(l.back(), "#");
    EXPECT_EQ(readFileBytes(dir / "space/metn").back(), '#');
    EXPECT_EQ(grid().click(0, 1).items, (std::vector<std::string>{"Gas", "Other", "Gas"}));

    // Apply takes the first of the name: R comes back with one decimal.
    engine.state().regime.parameters[1][5] = 0;
    grid().listChosen(0, 2, 0, "Gas");
    EXPECT_EQ(engine.state().regime.parameters[1][5], 30);
    EXPECT_EQ(engine.state().regime.parameters[1][0], 2);
    EXPECT_EQ(grid().cell(1, 2), RU("ПИД"));
    EXPECT_DOUBLE_EQ(engine.state().regime.channelValue[1], 1.2);
    EXPECT_EQ(engine.state().settings.recordTimeSec[1], 600);
    EXPECT_EQ(engine.state().polarity[1], 0);
    EXPECT_EQ(grid().cell(0, 2), "Gas");

    // Delete the first "Gas" (no metn.bak yet): exactly its 24 lines go.
    const std::string before = readFileBytes(dir / "space/metn");
    dialogs.expectMessage(Answer::Ok);
    EXPECT_TRUE(grid().deleteMethod("Gas"));
    EXPECT_EQ(dialogs.messageTexts().back(), RU("Удалить методику Gas ?"));
    l = metn();
    ASSERT_EQ(l.size(), 2u * 24u + 1u);
    EXPECT_EQ(l[0], "#Other");
    EXPECT_EQ(l[24], "#Gas");
    EXPECT_EQ(l[24 + 6], "99");
    EXPECT_EQ(readFileBytes(dir / "space/metn").back(), '#');
    EXPECT_EQ(readFileBytes(dir / "space/metn.bak"), before);
    // The click that follows F8 in the list is ignored once.
    grid().listChosen(0, 1, 0, "Other");
    EXPECT_NE(grid().cell(0, 1), "Other");
    // Cancel deletes nothing.
    dialogs.expectMessage(Answer::Cancel);
    EXPECT_FALSE(grid().deleteMethod("Other"));
    EXPECT_EQ(metn().size(), 49u);
}

// The methods file is read in lines of 64 characters: a longer name is saved as its first 63,
// under which the list shows it, applies it and deletes it.
TEST_F(RegimeTest, ALongMethodNameIsKeptToWhatTheFileReadsBack) {
    start();
    const std::string name(70, 'n');
    grid().saveMethod(name, 1);
    EXPECT_EQ(grid().cell(0, 1), name.substr(0, 63));
    const auto listed = grid().click(0, 1).items;
    ASSERT_EQ(listed, std::vector<std::string>{name.substr(0, 63)});
    grid().listChosen(0, 2, 0, listed[0]);
    EXPECT_EQ(grid().cell(0, 2), listed[0]);
    dialogs.expectMessage(Answer::Ok);
    EXPECT_TRUE(grid().deleteMethod(listed[0]));
    EXPECT_EQ(metn(), std::vector<std::string>{"#"});
}

TEST_F(RegimeTest, ARecordingChannelKeepsItsRegime) {
    start();
    engine.startRecording(1);
    grid().saveMethod("M", 2);
    dialogs.expectMessage(Answer::Ok);
    grid().applyMethod("M", 1);
    EXPECT_EQ(grid().cell(0, 1), "M1");
    dialogs.expectMessage(Answer::Ok);
    grid().togglePolarity(1);
    EXPECT_EQ(engine.state().polarity[0], 0);
    engine.stopRecording(1);
    grid().togglePolarity(1);
    EXPECT_EQ(engine.state().polarity[0], 1);
    EXPECT_EQ(grid().cell(0, 1), "?");
}

TEST_F(RegimeTest, ThePairSwitchSavesThePairBeforeItLoadsTheOther) {
    dir.write("space/regim1.dat", lines({"1", "1"}));
    dir.write("space/rsv1.dat", lines({"0", "C-name", "D-name"}));
    start();
    grid().cellTyped(6, 1, "77");
    ASSERT_TRUE(engine.togglePairSaving());
    EXPECT_EQ(readLines(dir / "space/regim.dat")[10], "77");
    EXPECT_EQ(readLines(dir / "space/rsv.dat")[13], " 1.23400000000000E+0000");
    EXPECT_EQ(engine.channelLabel(1), RU("Канал C"));
    EXPECT_EQ(grid().cell(14, 1), "C-name");
    EXPECT_EQ(grid().cell(1, 1), RU("ДТП"));
    ASSERT_TRUE(engine.togglePairSaving());
    EXPECT_EQ(engine.channelLabel(2), RU("Канал В"));
    EXPECT_EQ(grid().cell(6, 1), "77");
    EXPECT_EQ(readLines(dir / "space/rsv1.dat")[1], "C-name");
}

// A fresh start folder holds the data folder of every channel its regime files name, so the
// first recording of a channel and the modelling's default section find their folder.
TEST(RegimeInstallation, EveryDataFolderTheInstalledRegimeNamesExists) {
    const StartFolder install(fs::path(VK7_SOURCE_DIR) / "install");
    for (const char* file : {"rsv.dat", "rsv1.dat"}) {
        const ChannelSettingsValues v = parseChannelSettingsLines(readLines(install.file("space", file)));
        for (const std::string& folder : v.dataFolder) {
            EXPECT_FALSE(folder.empty()) << file;
            EXPECT_TRUE(fs::is_directory(install.folder("data") / folder)) << file << ": " << folder;
        }
    }
}

}  // namespace
}  // namespace vk7
