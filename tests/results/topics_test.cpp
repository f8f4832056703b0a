#include "results/topics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "common/cp1251.h"
#include "common/files.h"
#include "common/number_text.h"
#include "processing/peak_table.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

// A row line of a result table naming `name` with the concentration text `conc`, and d% as
// the averaging writes it when `deviation` is given.
std::string tableLine(int n, const std::string& name, const std::string& conc, const std::string& deviation = " -") {
    return peakTableLine({intText(n, 3), "    5.00", "9.999", "2.0", "1.0", "12.345", "10.00", conc, deviation, name});
}

std::string themeText() {
    return joinLinesCrLf({"0", "d", "  0.0", RU("      Метан"), RU("      Этан"), std::string(19, '-'),
                          "   12 01.03.2024 12:00   1.000   2.000"});
}

class Topics : public ::testing::Test {
protected:
    void writeTable(const std::string& file, const std::string& title, const std::vector<std::string>& rows, int head = 4) {
        std::vector<std::string> lines = {title, "", PeakTableColumnLine(), ""};
        lines.resize(static_cast<size_t>(head));
        lines.insert(lines.end(), rows.begin(), rows.end());
        fs::create_directories(dir / "results");
        writeLines(dir / ("results/" + file), lines);
    }
    void writeTheme(const std::string& name, const std::string& bytes) { dir.write("space/" + name + ".db", bytes); }
    std::string theme(const std::string& name) { return readFileBytes(dir / ("space/" + name + ".db")); }

    test::TempDir dir;
    StartFolder start{dir.path()};
    CurrentResult current{"h15a.hrm", RU("21.03.2024 проба"), false, false};
};

TEST_F(Topics, FileRoundTripAndMarks) {
    writeTheme("gas", themeText());
    auto f = LoadThemeFile(start, "gas");
    ASSERT_TRUE(f);
    EXPECT_EQ(f->Substances, (std::vector<std::string>{RU("      Метан"), RU("      Этан")}));
    ASSERT_EQ(f->Rows.size(), 1u);
    EXPECT_EQ(f->Rows[0].Key, "   12 ");
    EXPECT_EQ(f->Rows[0].Date, "01.03.2024");
    EXPECT_EQ(f->Rows[0].Values, (std::vector<std::string>{"   1.000", "   2.000"}));
    SaveThemeFile(start, "gas", *f);
    EXPECT_EQ(theme("gas"), themeText());

    // Every row is kept, however many; a marked row is dropped by the save.
    std::vector<std::string> lines = splitLines(themeText());
    for (int i = 2; i <= 300; ++i) lines.push_back(padLeft(std::to_string(i), 5) + " 02.03.2024 12:00   1.500   2.500");
    writeLines(dir / "space/big.db", lines);
    f = LoadThemeFile(start, "big");
    ASSERT_EQ(f->Rows.size(), 300u);
    SaveThemeFile(start, "big", *f);
    EXPECT_EQ(LoadThemeFile(start, "big")->Rows.size(), 300u);
    f->Rows[1].Active = false;
    EXPECT_EQ(markedDateText(f->Rows[1]), "DEL 02.03.2024");
    SaveThemeFile(start, "big", *f);
    const auto saved = LoadThemeFile(start, "big");
    EXPECT_EQ(saved->Rows.size(), 299u);
    EXPECT_EQ(saved->Rows[1].Key, "    3 ");

    EXPECT_FALSE(LoadThemeFile(start, "none"));
}

TEST_F(Topics, BaseDat) {
    EXPECT_EQ(LoadThemeBase(start), (ThemeBase{0, "", "d", 0}));  // missing: the defaults
    SaveThemeBase(start, {2, RU("Газ"), "h", 12.25});
    EXPECT_EQ(readFileBytes(dir / "space/base.dat"), joinLinesCrLf({"2", RU("Газ"), "h", " 12.2"}));
    EXPECT_EQ(LoadThemeBase(start), (ThemeBase{2, RU("Газ"), "h", 12.2}));
    // The installation's file.
    const auto installed = readLines(fs::path(VK7_SOURCE_DIR) / "install/space/base.dat");
    EXPECT_EQ(installed, (std::vector<std::string>{"0", "", "d", "  0.0"}));
}

// The kind on line 1 of a topic file and of base.dat is held within the three kinds, however
// large the number written there.
TEST_F(Topics, AKindOfAnyNumberIsOneOfTheKinds) {
    const struct {
        const char* line;
        int kind;
    } cases[] = {{"1", 1}, {"2.9", 2}, {"-0.5", 0}, {"abc", 0}, {"99999999999", 2}, {"1e300", 2}, {"-1e300", 0},
                 {"-99999999999999999999", 0}};
    for (const auto& c : cases) {
        writeTheme("k", joinLinesCrLf({c.line, "d", "  0.0", "A", std::string(19, '-')}));
        EXPECT_EQ(LoadThemeFile(start, "k")->Kind, c.kind) << c.line;
        dir.write("space/base.dat", joinLinesCrLf({c.line, "k", "d", "  0.0"}));
        EXPECT_EQ(LoadThemeBase(start).Kind, c.kind) << c.line;
    }
}

TEST_F(Topics, DatesKeysAndValues) {
    EXPECT_EQ(analysisDate(RU("01.03.2024 проба")), "01.03.2024");
    EXPECT_EQ(analysisDate("01.03.24 x"), "01.03.2024");
    EXPECT_EQ(analysisDate("31.12.1998"), "31.12.3998");  // below 1999 gets 2000 added
    EXPECT_EQ(analysisDate(RU("проба")), std::nullopt);
    EXPECT_EQ(analysisDate("31.02.2024"), std::nullopt);
    EXPECT_EQ(analysisDate(""), std::nullopt);
    EXPECT_EQ(*dayNumber("11.03.2024") - *dayNumber("01.03.2024"), 10);
    EXPECT_EQ(dateOfDayNumber(*dayNumber("06.03.2024")), "6.3.2024");
    EXPECT_EQ(dateOfDayNumber(*dayNumber("29.02.2000")), "29.2.2000");

    EXPECT_EQ(themeRowKey("h12a.hrm"), "   12 ");
    EXPECT_EQ(themeRowKey("H99999B.HRM"), "99999 ");
    EXPECT_EQ(themeRowKey("h123456a.hrm"), std::nullopt);
    EXPECT_EQ(resultFileName({RU("Хроматограмма h7a.hrm h8a.hrm h9a.hrm")}, "h1a.hrm"), "h7a.hrm");
    EXPECT_EQ(resultFileName({RU("Суммарная таблица h7a.hrm")}, "h1a.hrm"), "h1a.hrm");

    const struct {
        double v;
        std::optional<std::string> text;
    } values[] = {{1.5, "   1.500"}, {12345.678, "12345.68"}, {1234567.89, " 1234568"}, {-0.25, "  -0.250"},
                  // Beyond the fixed forms: four significant digits in 8 characters, or refused.
                  {123456789, "1.235E+8"}, {9.9994e9, "9.999E+9"}, {9.9996e9, std::nullopt}, {1.5e30, std::nullopt},
                  {-9999999, "-9999999"}, {-12345678, std::nullopt}};
    for (const auto& c : values) {
        const auto text = themeValueText(c.v);
        EXPECT_EQ(text, c.text) << c.v;
        if (text) EXPECT_NEAR(parseLenient(*text), c.v, std::max(std::fabs(c.v) * 5e-4, 5e-4)) << c.v;
    }

    // The key ignores d%: an averaged row gives the plain row's key.
    const std::string plain = tableLine(1, RU("Метан"), "1.500");
    const std::string averaged = tableLine(1, RU("Метан"), "1.500", "12.34");
    EXPECT_EQ(substanceKey(plain, 69), RU("      Метан"));
    EXPECT_EQ(substanceKey(averaged, 69), RU("      Метан"));
    EXPECT_EQ(substanceKey(averaged, 65), RU(" -        Метан"));
    EXPECT_EQ(substanceKey("short", 69), "");
}

TEST_F(Topics, AddingMatchesTheSubstancesInOrder) {
    writeTheme("gas", themeText());
    writeTable("tabl.txt", RU("Хроматограмма h15a.hrm 21.03.2024 проба"),
               {tableLine(1, RU("Метан"), "1.500"), tableLine(2, RU("Бензол"), "9.000"),
                tableLine(3, RU("Этан"), "12345.678")});
    AddOutcome out = AddResultToTheme(start, "gas", current);
    EXPECT_TRUE(out.Added);
    EXPECT_EQ(out.Label5, RU("Совпадений  2 из  2 веществ"));
    EXPECT_EQ(out.Message, "");
    EXPECT_EQ(theme("gas"), themeText() + "   15 21.03.2024 12:00   1.50012345.68\r\n");

    // The other order: refused, nothing written.
    writeTheme("gas", themeText());
    writeTable("tabl.txt", RU("Хроматограмма h15a.hrm"), {tableLine(1, RU("Этан"), "1.0"), tableLine(2, RU("Метан"), "2.0")});
    out = AddResultToTheme(start, "gas", current);
    EXPECT_FALSE(out.Added);
    EXPECT_EQ(out.Label5, RU("Совпадений  1 из  2 веществ"));
    EXPECT_EQ(out.Message, RU("Объект не по теме"));
    EXPECT_EQ(theme("gas"), themeText());

    // A value 8 characters cannot hold, a comment without a date, a missing topic.
    writeTable("tabl.txt", RU("Хроматограмма h15a.hrm"),
               {tableLine(1, RU("Метан"), "1.0"), tableLine(2, RU("Этан"), "1.2E+0010")});
    EXPECT_EQ(AddResultToTheme(start, "gas", current).Message, RU("Значение не помещается в 8 знаков"));
    EXPECT_EQ(theme("gas"), themeText());
    CurrentResult undated = current;
    undated.Comment = RU("проба");
    EXPECT_EQ(AddResultToTheme(start, "gas", undated).Message, RU("Нет даты анализа в комментарии"));
    EXPECT_EQ(AddResultToTheme(start, "air", current).Message, RU("Нет файла темы air"));
    EXPECT_EQ(theme("gas"), themeText());
}

TEST_F(Topics, AnAveragedTableMatchesATopicOfAPlainOne) {
    writeTheme("gas", themeText());
    writeTable("tabl.txt", RU("Хроматограмма h15a.hrm h16a.hrm"),
               {tableLine(1, RU("Метан"), "1.500", "3.21"), tableLine(2, RU("Этан"), "2.500", "10.5")});
    const AddOutcome out = AddResultToTheme(start, "gas", current);
    EXPECT_TRUE(out.Added) << out.Message;
    EXPECT_EQ(LoadThemeFile(start, "gas")->Rows.back().Values, (std::vector<std::string>{"   1.500", "   2.500"}));
}

TEST_F(Topics, KindsOneAndTwoBelongToTheCurrentResult) {
    std::string text = themeText();
    text[0] = '2';
    writeTheme("mod", text);
    writeTable("tabl.txt", RU("Хроматограмма h15a.hrm"), {});
    writeTable("tablr.txt", RU("Нормализованная"), {"", tableLine(1, RU("Метан"), "1.0"), tableLine(2, RU("Этан"), "2.0")}, 3);
    EXPECT_EQ(AddResultToTheme(start, "mod", current).Message, RU("Нет нормализованной таблицы"));
    current.NormalisedShown = true;
    const AddOutcome out = AddResultToTheme(start, "mod", current);
    // Kind 2 keys start at column 65: this topic's keys from column 69 do not match.
    EXPECT_EQ(out.Message, RU("Объект не по теме"));
    EXPECT_EQ(kindTableRefusal(1, current), RU("Нет суммарной таблицы"));
}

TEST_F(Topics, CreatingATopic) {
    writeTable("tabl.txt", RU("Хроматограмма h15a.hrm"),
               {tableLine(1, RU("Метан"), "1.500"), tableLine(2, "?", "-"), tableLine(3, RU("Этан"), "12345.678"),
                tableLine(4, RU("Пропан"), "3")});
    std::vector<SelectionRow> rows = SelectionRows(start, 0);
    ASSERT_EQ(rows.size(), 3u);  // "?" left out by its name
    EXPECT_EQ(rows[1].Key, RU("      Этан"));
    EXPECT_EQ(rows[1].Shown, "2345.678");  // columns 57-64 as the table has them
    rows[2].Active = false;

    ThemeBase base{0, "old", "h", 2.5};
    CreateOutcome out = CreateTheme(start, base, RU("Газ"), 0, rows, current);
    ASSERT_TRUE(out.Created) << out.Message;
    EXPECT_EQ(readFileBytes(dir / "space" / pathFromText(RU("Газ.db"))),
              joinLinesCrLf({"0", "h", "  2.5", RU("      Метан"), RU("      Этан"), std::string(19, '-'),
                             "   15 21.03.2024 12:00   1.50012345.68"}));
    EXPECT_EQ(base.Name, RU("Газ"));
    EXPECT_EQ(LoadThemeBase(start).Name, RU("Газ"));

    // Refusals write nothing.
    ThemeBase other{0, "old", "d", 0};
    EXPECT_EQ(CreateTheme(start, other, RU("газ"), 0, rows, current).Message, RU("Тема газ уже имеется"));
    for (const char* bad : {"", "a.b", "a/b", "a\\b", "12345678901234567"})
        EXPECT_EQ(CreateTheme(start, other, bad, 0, rows, current).Message, badThemeNameText()) << bad;
    std::vector<SelectionRow> many(14, rows[0]);
    EXPECT_EQ(CreateTheme(start, other, "many", 0, many, current).Message, tooManySubstancesText());
    EXPECT_EQ(other.Name, "old");
    EXPECT_FALSE(fs::exists(dir / "space/many.db"));
}

// A row of a table edited by hand whose key begins with '-' is not offered: as a substance of
// the topic file it would end the list, and the substances after it would read as rows.
TEST_F(Topics, AKeyThatWouldEndTheSubstancesIsNotOffered) {
    writeTable("tabl.txt", RU("Хроматограмма h15a.hrm"),
               {tableLine(1, RU("Метан"), "1.500"), tableLine(2, "x", "2").substr(0, 68) + "--", tableLine(3, RU("Этан"), "3")});
    const std::vector<SelectionRow> rows = SelectionRows(start, 0);
    ASSERT_EQ(rows.size(), 2u);
    ThemeBase base;
    ASSERT_TRUE(CreateTheme(start, base, "t", 0, rows, current).Created);
    const auto t = LoadThemeFile(start, "t");
    EXPECT_EQ(t->Substances, (std::vector<std::string>{RU("      Метан"), RU("      Этан")}));
    EXPECT_EQ(t->Rows.size(), 1u);
}

}  // namespace
}  // namespace vk7
