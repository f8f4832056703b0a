// The calibration archive's files: load with the "Акт" marks, save with .bak, append.
#include <gtest/gtest.h>

#include "common/cp1251.h"
#include "common/errors.h"
#include "common/files.h"
#include "common/number_text.h"
#include "processing/calibration_files.h"
#include "tests/support/calibration_fixture.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

using test::calibrationKey;
using test::calibrationLine;

std::string crlf(const std::vector<std::string>& lines) { return joinLinesCrLf(lines); }

std::vector<std::string> filesIn(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A start folder with the dictionaries and a three-table archive: the first table with a
// switched-off standard and a small C, the second matching stt.dat, the third with a
// Cyrillic name and Cyrillic substances.
class ArchiveFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir.write("space/detect", crlf({RU("ПИД"), RU("ТКД")}));
        dir.write("space/gas", crlf({RU("Азот"), RU("Гелий")}));
        dir.write("space/kolon", crlf({RU("Колонка 1")}));
        dir.write("space/temp", crlf({RU("Изотерма 100")}));
        dir.write("space/sm", crlf({"Mix A", "Mix B", RU("Смесь природного газа")}));
        dir.write("space/grad.grd", original);
        dir.write("space/stt.dat", calibrationKey(2, 2, 9.0) + "\r\n");
    }

    test::TempDir dir;
    StartFolder start{dir.path()};
    const std::string table1 = crlf({calibrationKey(1, 1), calibrationLine(60, 2, 0.0004, "Std", true), calibrationLine(95, 1.23456789, 1, "X1")});
    const std::string table2 = crlf({calibrationKey(2, 2), calibrationLine(30, 5, 1, "Y")});
    const std::string table3 = crlf({calibrationKey(1, 3), calibrationLine(40, 7.5, 2, RU("Метан")), calibrationLine(50, 8.25, 3, RU("Этан"), true)});
    const std::string original = table1 + table2 + table3 + "#\r\n";
};

TEST_F(ArchiveFiles, LoadMarksTheIdentifiedTable) {
    auto a = loadCalibrationArchive(start, "grad");
    ASSERT_EQ(a.tableCount(), 3);
    EXPECT_FALSE(a.table(0).active());
    EXPECT_TRUE(a.table(1).active());
    EXPECT_EQ(a.initialTable(), 1);
    auto d = readCalibrationDictionaries(start);
    EXPECT_EQ(a.table(2).name(d), RU("Смесь природного газа"));
    EXPECT_EQ(a.table(0).attributeText(0, d), RU("ПИД"));

    fs::remove(dir / "space/stt.dat");  // no identification yet: no active table
    a = loadCalibrationArchive(start, "GRAD");
    EXPECT_FALSE(a.table(1).active());
    EXPECT_EQ(a.initialTable(), 0);

    EXPECT_THROW(loadCalibrationArchive(start, "none"), IoError);
    fs::remove(dir / "space/sm");
    EXPECT_THROW(readCalibrationDictionaries(start), IoError);
}

TEST_F(ArchiveFiles, EditDeleteAndSaveKeepsTheRestByteForByte) {
    auto a = loadCalibrationArchive(start, "grad");
    ASSERT_EQ(a.table(0).setNameText(1, "X2"), RowEdit::Changed);
    ASSERT_EQ(a.table(0).setTimeText(1, "1.50"), RowEdit::Changed);
    a.markTableDeleted(1);
    // Looking at the third table changes nothing.
    EXPECT_EQ(a.table(2).setAreaText(0, a.table(2).row(0).areaText()), RowEdit::Unchanged);
    saveCalibrationArchive(start, "grad", a);

    EXPECT_EQ(readFileBytes(dir / "space/grad.bak"), original);
    const std::string saved = readFileBytes(dir / "space/grad.grd");
    EXPECT_EQ(saved, crlf({calibrationKey(1, 1), calibrationLine(60, 2, 0.0004, "Std", true), calibrationLine(90, 1.23456789, 1, "X2")}) + table3 + "#\r\n");
    EXPECT_NE(saved.find(table3), std::string::npos);
    EXPECT_EQ(saved.substr(saved.size() - 3), "#\r\n");
    EXPECT_EQ(filesIn(dir / "space"),
              (std::vector<std::string>{"detect", "gas", "grad.bak", "grad.grd", "kolon", "sm", "stt.dat", "temp"}));

    // Saving again keeps the version before as .bak.
    auto b = loadCalibrationArchive(start, "grad");
    EXPECT_EQ(b.tableCount(), 2);
    b.table(1).switchOn(1);
    saveCalibrationArchive(start, "grad", b);
    EXPECT_EQ(readFileBytes(dir / "space/grad.bak"), saved);
}

TEST_F(ArchiveFiles, AFailedSaveLeavesTheOldArchiveWhole) {
    auto a = loadCalibrationArchive(start, "grad");
    a.markTableDeleted(0);
    fs::create_directory(dir / "space/grad.bak");  // the backup cannot be written
    EXPECT_THROW(saveCalibrationArchive(start, "grad", a), IoError);
    EXPECT_EQ(readFileBytes(dir / "space/grad.grd"), original);
    EXPECT_EQ(filesIn(dir / "space"),
              (std::vector<std::string>{"detect", "gas", "grad.bak", "grad.grd", "kolon", "sm", "stt.dat", "temp"}));
}

TEST_F(ArchiveFiles, AppendKeepsTheArchiveAndItsBackup) {
    std::vector<PeakRowForCalibration> rows = {
        {120.4, "  10.000", "  1.5", RU("Пропан"), ""},
        {130.0, "  20.000", "    - ", "?", RU("Расчет")},
    };
    ASSERT_EQ(AppendCalibrationTable(start, "grad", calibrationKey(2, 1), rows), AppendOutcome::Appended);
    EXPECT_EQ(readFileBytes(dir / "space/grad.grd"),
              table1 + table2 + table3 + crlf({calibrationKey(2, 1), calibrationLine(120, 10, 1.5, RU("Пропан")), "#"}));
    EXPECT_EQ(readFileBytes(dir / "space/grad.bak"), original);

    const std::string before = readFileBytes(dir / "space/grad.grd");
    rows[0].status = RU("Расчет");
    EXPECT_EQ(AppendCalibrationTable(start, "grad", calibrationKey(2, 1), rows), AppendOutcome::NoRows);
    rows[0].status.clear();
    rows[0].retentionSec = 100000;
    EXPECT_EQ(AppendCalibrationTable(start, "grad", calibrationKey(2, 1), rows), AppendOutcome::TimeDoesNotFit);
    EXPECT_EQ(readFileBytes(dir / "space/grad.grd"), before);
    EXPECT_THROW(AppendCalibrationTable(start, "none", calibrationKey(2, 1), {{1, "1", "1", "A", ""}}), IoError);
}

TEST_F(ArchiveFiles, ChosenFileNames) {
    dir.write("other/grad.grd", "#\r\n");
    dir.write("space/sub/grad.grd", "#\r\n");
    struct Case {
        fs::path file;
        ChosenArchive::Outcome outcome;
        std::string name;
    } cases[] = {
        {dir / "space/grad.grd", ChosenArchive::Ok, "grad"},
        {dir / "space/OLD.GRD", ChosenArchive::Ok, "OLD"},
        {dir / "space/sub/../grad.grd", ChosenArchive::Ok, "grad"},
        {dir / "space" / pathFromText(RU("архив.grd")), ChosenArchive::Ok, RU("архив")},
        {dir / "space/a.b.grd", ChosenArchive::Ok, "a.b"},
        {dir / "space/sixteen_chars_xx.grd", ChosenArchive::Ok, "sixteen_chars_xx"},
        {dir / "space/seventeen_chars_x.grd", ChosenArchive::BadNameLength, ""},
        {dir / "space/.grd", ChosenArchive::BadNameLength, ""},
        {dir / "other/grad.grd", ChosenArchive::NotInSpaceFolder, ""},
        {dir / "space/sub/grad.grd", ChosenArchive::NotInSpaceFolder, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.string());
        auto r = archiveNameFromChosenFile(start, c.file);
        EXPECT_EQ(r.outcome, c.outcome);
        if (c.outcome == ChosenArchive::Ok) {
            EXPECT_EQ(r.name, c.name);
        }
    }
}

TEST_F(ArchiveFiles, AttributeCaptionsFromRegnTxt) {
    std::vector<std::string> regn;
    for (int i = 1; i <= 17; ++i) regn.push_back("line " + std::to_string(i));
    dir.write("space/regn.txt", crlf(regn));
    auto captions = readCalibrationAttributeCaptions(start);
    ASSERT_EQ(captions.size(), 11u);
    EXPECT_EQ(captions[0], "line 2");
    EXPECT_EQ(captions[1], "line 4");
    EXPECT_EQ(captions[10], "line 13");
    dir.write("space/regn.txt", crlf({"a", "b", "c", "d"}));
    captions = readCalibrationAttributeCaptions(start);
    EXPECT_EQ(captions[1], "d");
    EXPECT_EQ(captions[2], "");
}

}  // namespace
}  // namespace vk7
