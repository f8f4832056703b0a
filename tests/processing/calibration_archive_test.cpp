// The calibration archive engine: formats, the in-memory tables and their edits.
#include <gtest/gtest.h>

#include "common/cp1251.h"
#include "common/number_text.h"
#include "processing/calibration_archive.h"

namespace vk7 {
namespace {

// A 67-character header as the chromatogram key builds it.
std::string key(int detect, int gas, int kolon, int temp, int sm, int six = 0, double r = 1.0) {
    std::string k = "#" + intText(detect, 2) + intText(gas, 2) + intText(kolon, 3) + intText(temp, 4);
    for (int i = 0; i < 6; ++i) k += intText(six + i, 4);
    k += "   0   0" + intText(sm, 4) + expText(r, 10) + " 4" + intText(0, 2) + intText(1, 5);
    return k;
}

std::string line(double t, double s, double c, const std::string& name, bool off = false) {
    return formatCalibrationLine({t, s, c, name, off});
}

std::string crlf(const std::vector<std::string>& lines) {
    std::string s;
    for (const auto& l : lines) s += l + "\r\n";
    return s;
}

TEST(CalibrationFormats, ComponentLineColumns) {
    const std::string l = line(125, 123.456789, 0.0004, RU("Бензол"), true);
    EXPECT_EQ(l, "  125 1.23456789E+0002 4.00000000E-0004 1  0.00" + RU("Бензол") + "-");
    auto c = parseCalibrationLine(l);
    EXPECT_EQ(c.timeSec, 125);
    EXPECT_DOUBLE_EQ(c.area, 123.456789);
    EXPECT_DOUBLE_EQ(c.conc, 0.0004);
    EXPECT_EQ(c.name, RU("Бензол"));
    EXPECT_TRUE(c.switchedOff);
    // A short line reads what it holds.
    auto shortLine = parseCalibrationLine("   60");
    EXPECT_EQ(shortLine.timeSec, 60);
    EXPECT_EQ(shortLine.name, "");
    EXPECT_FALSE(shortLine.switchedOff);
}

// Rows read from short or malformed lines and then switched: only the switch changes, every
// byte that was read stays, and the line reads back with the state it was given.
TEST(CalibrationRowRebuild, KeepsWhatWasReadAndChangesOnlyTheSwitch) {
    const std::string zero = expText(0, 17), full = line(60, 10, 1, "");  // 47 characters, no name
    struct Case {
        const char* what;
        std::string source;
        bool switchOn;  // otherwise switched off
        std::string want;
    } cases[] = {
        {"a time beyond every integer", "5E20", false, "5E20 " + zero + zero + " 1  0.00-"},
        {"half a second", "  0.5", false, "  0.5" + zero + zero + " 1  0.00-"},
        {"a short S", "  0.5 1.0E+0001", false, "  0.5 1.0E+0001       " + zero + " 1  0.00-"},
        {"the off mark inside columns 40-47", full.substr(0, 44) + "-", true, full},
        {"the off mark after a '-' in column 47", full.substr(0, 46) + "--", true, full},
        {"the off mark in the time", "  6-", true, "  6  " + zero + zero + " 1  0.00"},
        {"nothing but blanks and the off mark", std::string(50, ' ') + "-", true, "    0" + std::string(45, ' ')},
        {"a name ending in '-'", line(60, 10, 1, "A-", true), true, full + "A- "},
        {"a name ending in '-' and a blank", line(60, 10, 1, "A- ", true), true, full + "A-  "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CalibrationTable t(key(1, 1, 1, 1, 1), {c.source});
        if (c.switchOn) t.switchOn(0);
        else t.switchOff(0);
        const std::string written = t.row(0).line();
        EXPECT_EQ(written, c.want);
        const CalibrationComponent before = parseCalibrationLine(c.source), after = parseCalibrationLine(written);
        EXPECT_EQ(after.switchedOff, !c.switchOn);
        EXPECT_EQ(after.timeSec, before.timeSec);
        EXPECT_EQ(after.area, before.area);
        EXPECT_EQ(after.name, before.name);
    }
    // New lines hold their time within 5 columns, and a name ending in '-' stays switched on.
    EXPECT_EQ(line(5e20, 1, 1, "x").substr(0, 5), "99999");
    EXPECT_EQ(line(-5e20, 1, 1, "x").substr(0, 5), "-9999");
    const CalibrationComponent dash = parseCalibrationLine(line(60, 1, 1, "B-"));
    EXPECT_EQ(dash.name, "B-");
    EXPECT_FALSE(dash.switchedOff);
}

TEST(CalibrationFormats, CalibrationPointLineAndItsReaders) {
    const std::string l = line(125, -12.5, 3.25, RU("Толуол"));
    const std::string g = calibrationPointLine(l);
    EXPECT_EQ(g, "  125-1.25000000000000E+0001 3.25000000E+0000 1  0.00" + RU("Толуол"));
    EXPECT_EQ(g.substr(53), RU("Толуол"));  // the name from column 54
    auto p = parseCalibrationPoint(g);
    EXPECT_EQ(p.timeSec, 125);
    EXPECT_DOUBLE_EQ(p.area, -12.5);
    EXPECT_DOUBLE_EQ(p.conc, 3.25);
    EXPECT_EQ(p.name, RU("Толуол"));
}

TEST(CalibrationFormats, KeyIdentityIsTheFirst48Characters) {
    const std::string a = key(1, 2, 3, 4, 5, 0, 1.0), b = key(1, 2, 3, 4, 5, 0, 7.5);
    EXPECT_NE(a, b);
    EXPECT_TRUE(sameConditions(a, b));
    EXPECT_FALSE(sameConditions(a, key(1, 2, 3, 4, 6)));
    EXPECT_FALSE(sameConditions(a.substr(0, 47), a));
    EXPECT_TRUE(isCalibrationEndLine("#"));
    EXPECT_TRUE(isCalibrationEndLine("#  "));
    EXPECT_FALSE(isCalibrationEndLine("#   "));
    EXPECT_FALSE(isCalibrationEndLine(""));
}

// Loading as a table of cases: tables found, the end line, the "Акт" marks, and the bytes
// written back when nothing was changed.
TEST(CalibrationArchiveLoad, Cases) {
    const std::string k1 = key(1, 1, 1, 1, 1), k2 = key(2, 1, 1, 1, 2), k1b = key(1, 1, 1, 1, 1, 0, 3.0);
    const std::string t1 = crlf({k1, line(60, 10, 1, "A"), line(90, 20, 2, "B")});
    const std::string t2 = crlf({k2, line(30, 5, 1, "C")});
    const std::string t3 = crlf({k1b, line(61, 11, 1, "A")});
    struct Case {
        const char* what;
        std::string bytes;
        std::optional<std::string> stt;
        int tables;
        int initial;
        std::string written;  // what format() gives
    } cases[] = {
        {"end line present", t1 + t2 + "#\r\n", k2, 2, 1, t1 + t2 + "#\r\n"},
        {"end line absent", t1 + t2, std::nullopt, 2, 0, t1 + t2 + "#\r\n"},
        {"end line without CR LF", t1 + "#", k1, 1, 0, t1 + "#\r\n"},
        {"zero tables", "#\r\n", k1, 0, -1, "#\r\n"},
        {"empty file", "", k1, 0, -1, "#\r\n"},
        {"two active tables, the later is shown", t1 + t2 + t3 + "#\r\n", k1, 3, 2, t1 + t2 + t3 + "#\r\n"},
        {"lines before the first table and after the end line are kept", "note\r\n" + t2 + "#\r\nrest\r\n",
         std::nullopt, 1, 0, "note\r\n" + t2 + "#\r\nrest\r\n"},
        {"a doubled end line is written once", t1 + "#\r\n#\r\n#", std::nullopt, 1, 0, t1 + "#\r\n"},
        {"LF line ends", "#" + k1.substr(1) + "\n" + line(60, 10, 1, "A") + "\n#\n", std::nullopt, 1, 0,
         crlf({k1, line(60, 10, 1, "A"), "#"})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto a = CalibrationArchive::parse(c.bytes);
        a.markActive(c.stt);
        EXPECT_EQ(a.tableCount(), c.tables);
        EXPECT_EQ(a.initialTable(), c.initial);
        EXPECT_FALSE(a.hasChanges());
        EXPECT_EQ(a.format(), c.written);
    }
    auto a = CalibrationArchive::parse(t1 + t2 + t3 + "#\r\n");
    a.markActive(k1);
    EXPECT_TRUE(a.table(0).active());
    EXPECT_FALSE(a.table(1).active());
    EXPECT_TRUE(a.table(2).active());
    EXPECT_EQ(a.table(0).rowCount(), 2);
    a.markActive(std::nullopt);
    EXPECT_FALSE(a.table(0).active());
}

TEST(CalibrationArchiveLoad, BlankLinesAreNoRowsAndAreDroppedOnlyFromAChangedTable) {
    const std::string bytes = crlf({key(1, 1, 1, 1, 1), line(60, 10, 1, "A"), "", line(90, 20, 2, "B"), "#"});
    auto a = CalibrationArchive::parse(bytes);
    EXPECT_EQ(a.table(0).rowCount(), 2);
    EXPECT_EQ(a.format(), bytes);
    a.table(0).switchOff(1);
    EXPECT_EQ(a.format(), crlf({key(1, 1, 1, 1, 1), line(60, 10, 1, "A"), line(90, 20, 2, "B") + "-", "#"}));
}

// A component line whose fields are not in the form this program writes (another writer,
// hand editing): time not right-aligned, S and C in fixed notation.
const std::string kOddLine = std::string(" 120 ") + "      3.000000000" + "   1.000000000000" + " 1  0.00" + "C";

class TableEdits : public ::testing::Test {
protected:
    // The standard is switched off and has a C that the grid shows as 0.000.
    CalibrationTable table{key(1, 1, 1, 1, 1),
                           {line(60, 2, 0.0004, "St", true), line(90, 1.23456789, 1, RU("Бензол")),
                            kOddLine}};
};

TEST_F(TableEdits, UntouchedValuesKeepTheirExactTexts) {
    EXPECT_EQ(table.row(0).concText(), "       0.000");
    EXPECT_EQ(table.setConcText(0, "0.000"), RowEdit::Unchanged);
    EXPECT_EQ(table.setAreaText(1, "  1.2346 "), RowEdit::Unchanged);
    EXPECT_EQ(table.setTimeText(1, "1.50"), RowEdit::Unchanged);
    EXPECT_FALSE(table.modified());
    // An edit of one value rebuilds the row, every other field as read.
    EXPECT_EQ(table.setNameText(0, "Std"), RowEdit::Changed);
    EXPECT_TRUE(table.modified());
    auto out = table.outputLines();
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[1], line(60, 2, 0.0004, "Std", true));  // still switched off, C exact
    EXPECT_EQ(out[2], line(90, 1.23456789, 1, RU("Бензол")));
    EXPECT_EQ(out[3], kOddLine);
    // The odd line rebuilt for its name keeps its other fields exactly as read.
    EXPECT_EQ(table.setNameText(2, "C2"), RowEdit::Changed);
    EXPECT_EQ(table.outputLines()[3], kOddLine + "2");
    EXPECT_EQ(table.setTimeText(2, "2.5"), RowEdit::Changed);
    EXPECT_EQ(table.outputLines()[3], "  150" + kOddLine.substr(5) + "2");
}

TEST_F(TableEdits, TypedValues) {
    EXPECT_EQ(table.setTimeText(1, "2,5"), RowEdit::Changed);
    EXPECT_EQ(table.row(1).timeSec(), 150);
    EXPECT_EQ(table.setTimeText(1, "2000"), RowEdit::DoesNotFit);  // 120000 s
    EXPECT_EQ(table.row(1).timeSec(), 150);
    EXPECT_EQ(table.setConcText(1, "0.0004"), RowEdit::Changed);
    EXPECT_EQ(table.setNameText(1, "abc-"), RowEdit::NameEndsInDash);
    EXPECT_EQ(table.row(1).name(), RU("Бензол"));
    EXPECT_EQ(table.setNameText(1, std::string(40, 'x')), RowEdit::Changed);
    EXPECT_EQ(table.row(1).name(), std::string(32, 'x'));
    EXPECT_EQ(table.outputLines()[2], line(150, 1.23456789, 0.0004, std::string(32, 'x')));
}

TEST_F(TableEdits, StatusMarksAreKeptApart) {
    EXPECT_EQ(table.statusText(0), "St " + RU("Выкл"));
    EXPECT_EQ(table.statusText(1), "");
    table.setStandardRow(1);
    EXPECT_EQ(table.statusText(0), RU("Выкл"));
    EXPECT_EQ(table.statusText(1), "St");
    EXPECT_FALSE(table.modified());  // moving the mark changes nothing in the file
    table.markRowDeleted(2);
    EXPECT_EQ(table.statusText(2), "Del");
    table.switchOn(2);  // "+" clears only a switched-off row
    EXPECT_EQ(table.statusText(2), "Del");
    table.switchOff(2);  // "-" replaces the "Del" mark
    EXPECT_EQ(table.statusText(2), RU("Выкл"));
    table.switchOn(2);
    EXPECT_EQ(table.statusText(2), "");
    table.switchOn(0);
    table.markRowDeleted(1);
    auto out = table.outputLines();
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[1], line(60, 2, 0.0004, "St"));
    EXPECT_EQ(out[2], kOddLine);
}

TEST_F(TableEdits, InsertAlignAndScale) {
    table.switchOff(2);
    table.addRow();  // copies the last row, switched on
    ASSERT_EQ(table.rowCount(), 4);
    EXPECT_EQ(table.outputLines()[4], kOddLine);
    table.setStandardRow(1);
    table.alignToStandard();
    auto out = table.outputLines();
    EXPECT_EQ(out[1], line(60, 1.23456789, 1, "St", true));
    EXPECT_EQ(out[3], " 120 " + line(0, 1.23456789, 1, "C", true).substr(5));
    table.scaleArea(0, 2);
    table.scaleConc(0, 0.5);
    EXPECT_DOUBLE_EQ(table.row(0).area(), 2.46913578);
    EXPECT_DOUBLE_EQ(table.row(0).conc(), 0.5);

    CalibrationTable empty(key(1, 1, 1, 1, 1), {});
    empty.addRow();
    EXPECT_EQ(empty.outputLines()[1], line(0, 0, 0, ""));
}

TEST(TableNumbers, ProportionalRecount) {
    CalibrationTable t(key(1, 1, 1, 1, 1), {line(60, 1, 0, "A"), line(70, 3, 0, "B", true), line(80, 4, 9, "C")});
    t.markRowDeleted(2);  // a removed row takes no share
    ASSERT_TRUE(t.ProportionalRecount(100));
    EXPECT_EQ(t.row(0).concText(), "      25.000");
    EXPECT_EQ(t.row(1).concText(), "      75.000");
    EXPECT_EQ(t.row(2).conc(), 9);

    CalibrationTable zero(key(1, 1, 1, 1, 1), {line(60, 0, 5, "A"), line(70, 7, 6, "B")});
    zero.markRowDeleted(1);
    EXPECT_FALSE(zero.ProportionalRecount(100));
    EXPECT_EQ(zero.row(0).conc(), 5);
}

TEST(TableNumbers, ResponseFactors) {
    CalibrationTable t(key(1, 1, 1, 1, 1), {line(60, 2, 4, "St"), line(70, 1, 1, "A"), line(80, 0, 1, "B")});
    auto k = t.ResponseFactors();
    ASSERT_EQ(k.size(), 3u);
    EXPECT_EQ(*k[0], 1.0);
    EXPECT_DOUBLE_EQ(*k[1], 0.5);
    EXPECT_FALSE(k[2]);  // S_i = 0
    EXPECT_FALSE(t.modified());

    CalibrationTable noConc(key(1, 1, 1, 1, 1), {line(60, 2, 0, "St"), line(70, 1, 1, "A")});
    for (const auto& f : noConc.ResponseFactors()) EXPECT_FALSE(f);  // C_st = 0
    EXPECT_TRUE(CalibrationTable(key(1, 1, 1, 1, 1), {}).ResponseFactors().empty());
}

TEST(TableAttributes, DictionaryIndexWithDuplicatesAndRefusedTexts) {
    CalibrationDictionaries d;
    d.detect = {RU("ПИД"), RU("ТКД"), RU("ПИД")};
    for (int i = 1; i <= 120; ++i) d.gas.push_back("g" + std::to_string(i));
    d.sm = {RU("Смесь 1")};
    EXPECT_EQ(FindDictionaryIndex(d.detect, RU("ПИД")), 1);
    EXPECT_EQ(FindDictionaryIndex(d.detect, "none"), 4);

    // The header names the second of two equal entries.
    CalibrationTable t(key(3, 1, 1, 1, 1, 50), {});
    EXPECT_EQ(t.attributeText(0, d), RU("ПИД"));
    EXPECT_EQ(t.attributeText(4, d), "  50");
    EXPECT_EQ(t.name(d), RU("Смесь 1"));
    EXPECT_EQ(t.setAttributeText(0, RU("ПИД"), d), AttributeEdit::Unchanged);
    EXPECT_EQ(t.header().substr(1, 2), " 3");
    EXPECT_EQ(t.setAttributeText(0, RU("ТКД"), d), AttributeEdit::Changed);
    EXPECT_EQ(t.header().substr(1, 2), " 2");
    EXPECT_EQ(t.chooseAttributeEntry(0, 3), AttributeEdit::Changed);
    EXPECT_EQ(t.header().substr(1, 2), " 3");

    const std::string before = t.header();
    EXPECT_EQ(t.setAttributeText(0, RU("Неизвестный"), d), AttributeEdit::NotInDictionary);
    EXPECT_EQ(t.setAttributeText(1, "g100", d), AttributeEdit::DoesNotFit);  // 100 in 2 columns
    EXPECT_EQ(t.setAttributeText(4, "12345", d), AttributeEdit::DoesNotFit);
    EXPECT_EQ(t.header(), before);
    EXPECT_EQ(t.setAttributeText(1, "g99", d), AttributeEdit::Changed);
    EXPECT_EQ(t.setAttributeText(9, "-7", d), AttributeEdit::Changed);
    EXPECT_EQ(t.setAttributeText(4, " 50", d), AttributeEdit::Unchanged);
    const std::string expected = "# 399  1   1  50  51  52  53  54  -7   0   0   1" + before.substr(48);
    EXPECT_EQ(t.header(), expected);
    EXPECT_EQ(t.header().size(), 67u);
    EXPECT_TRUE(t.modified());

    // A header of another length is kept as it is.
    CalibrationTable odd(key(1, 1, 1, 1, 1) + "x", {});
    EXPECT_FALSE(odd.headerEditable());
    EXPECT_EQ(odd.setAttributeText(0, RU("ТКД"), d), AttributeEdit::ReadOnly);
    EXPECT_EQ(odd.chooseAttributeEntry(0, 2), AttributeEdit::ReadOnly);
    EXPECT_FALSE(odd.modified());
}

TEST(CalibrationArchiveEdits, DeletedTablesAndMatchingLines) {
    const std::string k1 = key(1, 1, 1, 1, 1), k2 = key(2, 2, 2, 2, 2), k1b = key(1, 1, 1, 1, 1, 0, 5.0);
    auto a = CalibrationArchive::parse(crlf({k1, line(60, 1, 1, "A"), line(70, 2, 2, "B", true), k2,
                                             line(80, 3, 3, "C"), k1b, line(90, 4, 4, "D"), "#"}));
    EXPECT_EQ(a.matchingComponentLines(k1),
              (std::vector<std::string>{line(60, 1, 1, "A"), line(90, 4, 4, "D")}));
    EXPECT_TRUE(a.matchingComponentLines(key(9, 9, 9, 9, 9)).empty());
    a.markTableDeleted(1);
    EXPECT_TRUE(a.hasChanges());
    EXPECT_EQ(a.format(), crlf({k1, line(60, 1, 1, "A"), line(70, 2, 2, "B", true), k1b, line(90, 4, 4, "D"), "#"}));
}

TEST(NewCalibrationTable, FromPeakRowsAndAppendedToEitherEnding) {
    const std::string k = key(1, 1, 1, 1, 1);
    std::vector<PeakRowForCalibration> rows = {
        {59.6, "   12.500", "    0.5", RU("Бензол"), ""},
        {70.5, "    3.000", "    - ", "?", RU("Расчет")},
        {80.5, "  100.000", "    2", RU("Толуол"), " "},
    };
    auto table = calibrationTableFromPeakRows(k, rows);
    ASSERT_EQ(table.size(), 3u);
    EXPECT_EQ(table[0], k);
    EXPECT_EQ(table[1], line(60, 12.5, 0.5, RU("Бензол")));
    EXPECT_EQ(table[2], line(80, 100, 2, RU("Толуол")));  // 80.5 rounds to the even 80
    for (auto& r : rows) r.status = RU("Расчет");
    EXPECT_TRUE(calibrationTableFromPeakRows(k, rows).empty());

    const std::string old = crlf({key(2, 2, 2, 2, 2), line(10, 1, 1, "X")});
    const std::string expected = old + crlf(table) + "#\r\n";
    EXPECT_EQ(appendTableToArchiveBytes(old + "#\r\n", table), expected);
    EXPECT_EQ(appendTableToArchiveBytes(old + "#", table), expected);
    EXPECT_EQ(appendTableToArchiveBytes(old, table), expected);
    EXPECT_EQ(appendTableToArchiveBytes(old.substr(0, old.size() - 2), table), expected);
    EXPECT_EQ(appendTableToArchiveBytes("", table), crlf(table) + "#\r\n");
    // Whatever follows the final end line stays after the new one.
    EXPECT_EQ(appendTableToArchiveBytes(old + "#\r\n\r\n", table), expected + "\r\n");
    // Readers stop at the first end line: the table goes before it, never after a second one.
    EXPECT_EQ(appendTableToArchiveBytes(old + "#\n#", table), expected + "#");
    EXPECT_EQ(CalibrationArchive::parse(appendTableToArchiveBytes(old + "#\r\n#\r\n", table)).tableCount(), 2);
    auto a = CalibrationArchive::parse(expected);
    ASSERT_EQ(a.tableCount(), 2);
    EXPECT_EQ(a.table(1).header(), k);
    EXPECT_EQ(a.table(1).rowCount(), 2);
}

}  // namespace
}  // namespace vk7
