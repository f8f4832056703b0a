// The files of the HTML protocol (prot.dat, komp.dat, mask.dat) and the protocol page built from
// a blank, checked in the engine and, printed by headless Chromium, in a real browser.
#include "results/html_protocol.h"
#include "results/protocol_files.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/cp1251.h"
#include "common/files.h"
#include "common/number_text.h"
#include "platform/shell.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

namespace fs = std::filesystem;

const fs::path kInstall = fs::path(VK7_SOURCE_DIR) / "install";

TEST(NormsTable, RoundTripKeepsTheBytes) {
    const std::string benzene = padRight(RU("Бензол"), 24) + "     0.100" + std::string(10, ' ');
    const std::string longName = RU("Метиловый спирт техничес");  // 24 characters
    ASSERT_EQ(longName.size(), 24u);
    const std::string longer = RU("Метиловый спирт технический");  // 27: whole, its norms after it
    const std::vector<std::string> lines = {RU("Воздух рабочей зоны"), RU("Атмосферный воздух"), "-------------",
                                            benzene, longName + "     1.000     2.500",
                                            longer + "     3.000" + std::string(10, ' '),
                                            padRight(RU("Вода чистая"), 24) + " 1.0000E+6     0.001"};
    const NormsTable table = parseNormsTable(lines);
    ASSERT_EQ(table.Media.size(), 2u);
    EXPECT_EQ(table.Media[1], RU("Атмосферный воздух"));
    ASSERT_EQ(table.Substances.size(), 4u);
    EXPECT_EQ(table.Substances[0].Name, RU("Бензол"));
    EXPECT_EQ(table.Substances[0].Norms[0], 0.1);
    EXPECT_EQ(table.Substances[0].Norms[1], std::nullopt);
    EXPECT_EQ(table.Substances[2].Name, longer);
    EXPECT_EQ(table.Substances[2].Norms, (std::vector<std::optional<double>>{3.0, std::nullopt}));
    EXPECT_EQ(normsTableLines(table), lines);

    // A whole name is found; a name of several words also by its first word.
    EXPECT_EQ(table.norm(longName, 1), 2.5);
    EXPECT_EQ(table.norm(longer, 0), 3.0);
    EXPECT_EQ(table.norm(RU("Метиловый"), 0), 1.0);  // the first such line
    EXPECT_EQ(table.norm(RU("Вода"), 0), 1e6);
    EXPECT_EQ(table.norm(RU("Метиловый спирт"), 0), std::nullopt);
    EXPECT_EQ(table.norm("", 0), std::nullopt);

    // An older file's norm wider than its field, the last of its line, reads as before.
    const NormsTable older = parseNormsTable({"A", "-------------", padRight(RU("Толуол"), 24) + "1000000.000",
                                              padRight(RU("Этилацетат технический"), 24) + "12345678.900"});
    ASSERT_EQ(older.Substances.size(), 2u);
    EXPECT_EQ(older.Substances[0].Name, RU("Толуол"));
    EXPECT_EQ(older.Substances[0].Norms[0], 1000000.0);
    EXPECT_EQ(older.Substances[1].Name, RU("Этилацетат технический"));
    EXPECT_EQ(older.Substances[1].Norms[0], 12345678.9);

    // Lines of nothing but blanks, or a name of blanks without norms, are no substances; a
    // blank name with a norm is one and comes back the same.
    const NormsTable blanks = parseNormsTable({"A", "-------------", "", std::string(34, ' '), "\r\r \r",
                                               std::string(24, ' ') + "         0", std::string(24, ' ') + "     0.500"});
    ASSERT_EQ(blanks.Substances.size(), 1u);
    EXPECT_EQ(parseNormsTable(normsTableLines(blanks)).Substances.size(), 1u);
    NormsTable empty;
    empty.Media = {"A"};
    empty.Substances = {{"", {std::nullopt}}, {" ", {0.0}}};
    EXPECT_EQ(normsTableLines(empty), (std::vector<std::string>{"A", "-------------"}));
}

// Every norm the norms window accepts (a number of 0 or more) keeps its 10 columns and reads
// back within 0.05 %, so that the norms after it stay in theirs.
TEST(NormsTable, EveryNormFitsItsColumnsAndReadsBack) {
    const struct {
        double v;
        const char* text;
    } cases[] = {{0.1, "     0.100"},       {0.25, "     0.250"},     {0.0015, " 1.5000E-3"},  {0.0001, " 1.0000E-4"},
                 {0.12345, " 1.2345E-1"},   {1.2345, "     1.234"},    {999999.999, "999999.999"}, {1000000, " 1.0000E+6"},
                 {1234567.8, " 1.2346E+6"}, {1e12, " 1.000E+12"},      {1e30, " 1.000E+30"},  {1.5e100, "1.500E+100"},
                 {2.5e-7, " 2.5000E-7"},    {4.9e-324, "4.941E-324"},  {-100000, "-1.0000E+5"}, {-1000000, "-1.0000E+6"},
                 {0.05000012, "     0.050"}};  // what " 5.0000E-2" would read back as, written as a second save would
    for (const auto& c : cases) {
        const std::string text = normText(c.v);
        EXPECT_EQ(text, c.text) << c.v;
        const NormsTable back = parseNormsTable(
            {"A", "B", "C", "-------------", padRight("x", 24) + normText(2.5) + text + normText(0.75)});
        ASSERT_EQ(back.Substances.size(), 1u) << c.v;
        const auto& norms = back.Substances[0].Norms;
        ASSERT_EQ(norms.size(), 3u);
        EXPECT_EQ(norms[0], 2.5) << c.v;
        ASSERT_TRUE(norms[1].has_value()) << c.v;
        EXPECT_LE(std::fabs(*norms[1] - c.v), std::fabs(c.v) * 5e-4) << c.v;
        EXPECT_EQ(norms[2], 0.75) << c.v;
        EXPECT_EQ(normText(*norms[1]), text) << c.v;  // a second save writes the same
    }
}

// A long name written whole is read back whole, also where its part after column 24 looks
// like the wide norm of an older line; such an older line keeps every norm after the wide one.
TEST(NormsTable, LongNamesAndOlderWideNormsReadBackAsWritten) {
    for (const std::string& name : {RU("Бензол    .                   5."), std::string(23, 'A') + " 12345678901",
                                    std::string(23, 'A') + " 12345678901 1234567890"}) {
        NormsTable table;
        table.Media = {"A", "B"};
        table.Substances = {{name, {std::nullopt, std::nullopt}}, {RU("Толуол"), {2.5, std::nullopt}}};
        const std::vector<std::string> lines = normsTableLines(table);
        const NormsTable back = parseNormsTable(lines);
        ASSERT_EQ(back.Substances.size(), 2u) << name;
        EXPECT_EQ(back.Substances[0].Name, name);
        EXPECT_EQ(back.Substances[0].Norms, (std::vector<std::optional<double>>{std::nullopt, std::nullopt})) << name;
        EXPECT_EQ(back.Substances[1].Norms[0], 2.5);
        EXPECT_EQ(normsTableLines(back), lines);
    }
    // The same with a norm whose text, right after the name, would make one number with its end.
    {
        NormsTable table;
        table.Media = {"A"};
        const std::string name = std::string(23, 'A') + std::string(10, ' ') + "61";
        table.Substances = {{name, {5e-161}}, {RU("Толуол"), {2.5}}};
        const std::vector<std::string> lines = normsTableLines(table);
        const NormsTable back = parseNormsTable(lines);
        ASSERT_EQ(back.Substances.size(), 2u);
        EXPECT_EQ(back.Substances[0].Name, name);
        ASSERT_TRUE(back.Substances[0].Norms[0].has_value());
        EXPECT_NEAR(*back.Substances[0].Norms[0], 5e-161, 5e-161 * 5e-3);
        EXPECT_EQ(back.Substances[1].Norms[0], 2.5);
        EXPECT_EQ(normsTableLines(back), lines);
    }
    // A line longer than a line may be keeps a name that leaves its norms room within 128.
    const NormsTable tooLong = parseNormsTable({"A", "-------------", std::string(130, 'x') + "     2.500"});
    ASSERT_EQ(tooLong.Substances.size(), 1u);
    EXPECT_EQ(tooLong.Substances[0].Name, std::string(118, 'x'));
    EXPECT_EQ(normsTableLines(tooLong)[2], std::string(118, 'x') + "     2.500");

    // Norms past the 128 characters of a line are left out whole, never cut into another number.
    NormsTable many;
    many.Media = std::vector<std::string>(11, "A");
    many.Substances = {{"x", std::vector<std::optional<double>>(11, 123456.5)}};
    const std::string manyLine = normsTableLines(many)[12];
    EXPECT_EQ(manyLine.size(), 124u);
    EXPECT_EQ(parseNormsTable(normsTableLines(many)).Substances[0].Norms[10], std::nullopt);

    const NormsTable older = parseNormsTable(
        {"A", "B", "C", "-------------", padRight(RU("Толуол"), 24) + "1000000.000     2.500     0.750"});
    ASSERT_EQ(older.Substances.size(), 1u);
    EXPECT_EQ(older.Substances[0].Name, RU("Толуол"));
    EXPECT_EQ(older.Substances[0].Norms, (std::vector<std::optional<double>>{1000000.0, 2.5, 0.75}));
}

TEST(ProtocolFiles, SettingsAndMask) {
    test::TempDir dir;
    const StartFolder start(dir.path());
    // Missing files give empty defaults.
    EXPECT_EQ(LoadHtmlProtocolSettings(start).Blank, "");
    EXPECT_EQ(LoadSumsMask(start), std::vector<std::string>(32, "000000"));
    EXPECT_TRUE(LoadNormsTable(start).Media.empty());

    SaveHtmlProtocolSettings(start, {RU("Воздух"), "pdk.htm", 65535, RU("Иванов")});
    EXPECT_EQ(readFileBytes(dir / "space/prot.dat"), toCp1251("v\r\nВоздух\r\npdk.htm\r\n65535\r\nИванов\r\n"));
    EXPECT_EQ(LoadHtmlProtocolSettings(start).ProtocolNumber, 65535);

    // A blank name cut to its 32 characters before a blank reads back as it was written.
    const std::string cut(31, 'b');
    // So does one ending in a CR, which the line file writes as a blank.
    for (const std::string& name : {cut + " x.htm", cut + "  ", cut + "\r"}) {
        const HtmlProtocolSettings read = parseHtmlProtocolSettings({"v", "A", name, "1", ""});
        EXPECT_EQ(read.Blank, cut);
        EXPECT_EQ(htmlProtocolSettingsLines(read)[2], cut);
        EXPECT_EQ(parseHtmlProtocolSettings(htmlProtocolSettingsLines(read)).Blank, cut);
    }

    // At most 32 lines, six marks each: '1' marks, anything else does not.
    std::vector<std::string> lines(40, "1x1");
    lines[0] = "1111111";
    dir.write("space/mask.dat", joinLinesCrLf(lines));
    const auto mask = LoadSumsMask(start);
    ASSERT_EQ(mask.size(), 32u);
    EXPECT_EQ(mask[0], "111111");
    EXPECT_EQ(mask[1], "101000");
}

// The fixture of the protocol: two named substances, an unnamed peak and the standard.
class HtmlProtocol : public ::testing::Test {
protected:
    HtmlProtocolInput input() const {
        HtmlProtocolInput in;
        in.Settings = {RU("Воздух рабочей зоны"), "pdk.htm", 7, RU("Петров")};
        in.Keywords = readLines(kInstall / "space" / "formu.dat");
        in.Norms = parseNormsTable({RU("Воздух рабочей зоны"), RU("Атмосферный воздух"), "-------------",
                                    padRight(RU("Бензол"), 24) + "     0.100     0.300",
                                    padRight(RU("Толуол"), 24) + "     0.600"});
        in.Mask = {"110000", "010000"};
        in.Rows = {{"1.50", "10.0", "100.0", "0.150", RU("Бензол")},
                   {"2.50", "20.0", "200.0", "0.400", RU("Толуол")},
                   {"3.00", "1.0", "5.0", "-", "?"},
                   {"4.00", "30.0", "300.0", "1.000", "st"}};
        in.FilePath = "/home/lab/DATA/smoke/h1a.hrm";
        in.Comment = "a<b & c";
        in.Decimals = 3;
        in.Blank = {"<p>N @number@</p>", "<tr>", "<td>@komp@</td>", "<td>@C@</td>", "<td>@pdk@</td>",
                    "<td>@R@</td>", "<td>@C/SumC@</td>", "</tr>", "<p>@SumC@</p>", "<p>@E@</p>", "<p>@EC1@</p>",
                    "<p>@EC2@</p>", "<p>@EC1/EC2@</p>", "<p>@excess@</p>", "<p>@verdict@</p>",
                    "<p>@comment@</p>", "<p>@file@</p>"};
        return in;
    }
    static std::vector<std::string> pageLines(const HtmlProtocolPage& page) { return splitLines(page.Bytes); }
};

TEST_F(HtmlProtocol, TableNormsSumsAndVerdict) {
    const HtmlProtocolPage page = BuildHtmlProtocol(input());
    ASSERT_FALSE(page.Refusal);
    EXPECT_EQ(page.Settings.ProtocolNumber, 8);
    const std::vector<std::string> expected = {
        "<p>N 8</p>",
        "<tr>", RU("<td>Бензол</td>"), "<td>     0.150</td>", "<td>     0.100</td>", "<td>     1.500</td>",
        "<td>     0.097</td>", "</tr>",
        "<tr>", RU("<td>Толуол</td>"), "<td>     0.400</td>", "<td>     0.600</td>", "<td>     0.667</td>",
        "<td>     0.258</td>", "</tr>",
        "<p>     1.550</p>", "<p>         1</p>", "<p>     0.150</p>", "<p>     0.550</p>", "<p>     0.273</p>",
        RU("<p> превышение предельно допустимых концентраций по 1 веществу.</p>"),
        RU("<p> Превышены ПДК вредных веществ. Результаты анализа отрицательны.</p>"),
        "<p>a&lt;b &amp; c</p>",
        RU("<p>Файл \\smoke\\h1a.hrm</p>"),
    };
    EXPECT_EQ(pageLines(page), expected);

    // The second medium: Бензол below its norm, Толуол without one.
    HtmlProtocolInput in = input();
    in.Settings.Medium = RU("Атмосферный воздух");
    const auto lines = pageLines(BuildHtmlProtocol(in));
    EXPECT_EQ(lines[5], "<td>     0.500</td>");
    EXPECT_EQ(lines[11], "<td>         -</td>");
    EXPECT_EQ(lines[12], "<td>         -</td>");
    EXPECT_EQ(lines[20], RU("<p> превышение предельно допустимых концентраций по 0 веществ.</p>"));
    EXPECT_EQ(lines[21], RU("<p> ПДК вредных веществ не превышены. Результаты анализа положительны.</p>"));

    // Two exceedances.
    in = input();
    in.Rows[1].Conc = "0.700";
    EXPECT_EQ(pageLines(BuildHtmlProtocol(in))[20],
              RU("<p> превышение предельно допустимых концентраций по 2 веществам.</p>"));

    // A medium komp.dat does not list is refused, where the blank needs norms.
    in = input();
    in.Settings.Medium = RU("Вода");
    EXPECT_EQ(BuildHtmlProtocol(in).Refusal, RU("Среда \"Вода\" не найдена в таблице ПДК"));
    in.Blank = {"<p>@SumC@</p>"};
    EXPECT_FALSE(BuildHtmlProtocol(in).Refusal);
}

// A norm written under a name of several words belongs to the table's substance of its first
// word: without it the only exceedance would be missed and the sample cleared.
TEST_F(HtmlProtocol, ANormUnderANameOfSeveralWordsIsFoundByItsFirstWord) {
    HtmlProtocolInput in = input();
    in.Norms = parseNormsTable({RU("Воздух рабочей зоны"), "-------------", padRight(RU("Бензол чистый"), 24) + "     0.100"});
    in.Rows = {{"1.50", "10.0", "100.0", "0.150", RU("Бензол")}, {"2.50", "20.0", "200.0", "0.400", RU("Толуол")}};
    in.Blank = {"<tr>", "<td>@komp@</td>", "<td>@pdk@</td>", "<td>@R@</td>", "</tr>", "<p>@E@</p>", "<p>@excess@</p>",
                "<p>@verdict@</p>"};
    EXPECT_EQ(pageLines(BuildHtmlProtocol(in)),
              (std::vector<std::string>{
                  "<tr>", RU("<td>Бензол</td>"), "<td>     0.100</td>", "<td>     1.500</td>", "</tr>",
                  "<tr>", RU("<td>Толуол</td>"), "<td>         -</td>", "<td>         -</td>", "</tr>",
                  "<p>         1</p>", RU("<p> превышение предельно допустимых концентраций по 1 веществу.</p>"),
                  RU("<p> Превышены ПДК вредных веществ. Результаты анализа отрицательны.</p>")}));
}

TEST_F(HtmlProtocol, ProtocolNumbers) {
    const struct {
        const char* blank;
        uint16_t number;
        uint16_t printed;
    } cases[] = {{"pdk.htm", 7, 8}, {"base.htm", 7, 7}, {"Base2.htm", 7, 7}, {"BASE1.htm", 7, 8}, {"pdk.htm", 65535, 0}};
    for (const auto& c : cases) {
        HtmlProtocolInput in = input();
        in.Settings.Blank = c.blank;
        in.Settings.ProtocolNumber = c.number;
        const HtmlProtocolPage page = BuildHtmlProtocol(in);
        EXPECT_EQ(page.Settings.ProtocolNumber, c.printed) << c.blank;
        EXPECT_EQ(pageLines(page)[0], "<p>N " + intText(c.printed) + "</p>") << c.blank;
    }
}

TEST_F(HtmlProtocol, BlocksAndPlaceholders) {
    const std::string longLine = "<p>" + std::string(300, 'x') + " @SumC@</p>";
    const struct {
        const char* what;
        std::vector<std::string> blank;
        std::vector<std::string> page;
    } cases[] = {
        {"a keyless block after a C block is written once",
         {"<tr>", "<td>@C@</td>", "</tr>", "<tr>", "<th>head</th>", "</tr>"},
         {"<tr>", "<td>     0.150</td>", "</tr>", "<tr>", "<td>     0.400</td>", "</tr>", "<tr>", "<th>head</th>", "</tr>"}},
        {"a stray </tr> is an ordinary line", {"</tr>", "<p>@E@</p>"}, {"</tr>", "<p>         1</p>"}},
        {"a nested <tr> writes the open block once",
         {"<tr>", "<td>@number@</td>", "<tr>", "<td>@C@</td>", "</tr>"},
         {"<tr>", "<td>8</td>", "<tr>", "<td>     0.150</td>", "</tr>", "<tr>", "<td>     0.400</td>", "</tr>"}},
        {"a block open at the end", {"<tr>", "<td>@C@</td>"}, {"<tr>", "<td></td>"}},
        {"a one-line block", {"<tr><td>@SumC@</td></tr>"}, {"<tr><td>     1.550</td></tr>"}},
        {"two placeholders: the first replaced", {"@E@ @SumC@"}, {"         1 @SumC@"}},
        {"an unknown key stays", {"@nothing@ x"}, {"@nothing@ x"}},
        {"a row code outside a block inserts nothing", {"[@C@]"}, {"[]"}},
        {"a long line is kept whole", {longLine}, {"<p>" + std::string(300, 'x') + "      1.550</p>"}},
        {"a zero group over the sum", {"@EC5/C@", "@EC1/EC2@"}, {"     0.000", "     0.273"}},
    };
    for (const auto& c : cases) {
        HtmlProtocolInput in = input();
        in.Blank = c.blank;
        EXPECT_EQ(pageLines(BuildHtmlProtocol(in)), c.page) << c.what;
    }
    HtmlProtocolInput in = input();
    // Zero divisors: an empty EC2, a zero sum.
    in.Mask = {};
    in.Blank = {"@EC1/EC2@"};
    EXPECT_EQ(pageLines(BuildHtmlProtocol(in)), std::vector<std::string>{"         -"});
    for (ProtocolRow& row : in.Rows) row.Conc = "0";
    in.Blank = {"@EC1/C@", "<tr>", "@C@", "@C/SumC@", "</tr>"};
    EXPECT_EQ(pageLines(BuildHtmlProtocol(in)),
              (std::vector<std::string>{"         -", "<tr>", "     0.000", "         -", "</tr>", "<tr>", "     0.000",
                                        "         -", "</tr>"}));
}

TEST(ProtocolFileText, BelowTheDataFolder) {
    EXPECT_EQ(protocolFileText("/home/lab/DATA/smoke/h1a.hrm"), RU("Файл \\smoke\\h1a.hrm"));
    EXPECT_EQ(protocolFileText("C:\\vk7\\data\\smoke\\h1a.hrm"), RU("Файл \\smoke\\h1a.hrm"));
    EXPECT_EQ(protocolFileText("/srv/database/Data/x/h2a.hrm"), RU("Файл \\x\\h2a.hrm"));
    EXPECT_EQ(protocolFileText("/srv/database/h3a.hrm"), RU("Файл /srv/database/h3a.hrm"));
}

// A start folder with the installation's protocol files, a passport text and norms.
class HtmlProtocolFiles : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir.path() / "results");
        for (const char* name : {"formu.dat", "mask.dat", "prot.dat"})
            dir.write(std::string("space/") + name, readFileBytes(kInstall / "space" / name));
        dir.write("doc/pdk.htm", readFileBytes(kInstall / "doc" / "pdk.htm"));
        dir.write("doc/base.htm", readFileBytes(kInstall / "doc" / "base.htm"));
        NormsTable norms;
        norms.Media = {RU("Воздух рабочей зоны")};
        norms.Substances = {{RU("Бензол"), {0.1}}, {RU("Толуол"), {0.6}}};
        SaveNormsTable(start, norms);
        std::vector<std::string> passport;
        for (int i = 1; i <= 17; ++i) passport.push_back(padRight("caption", 28) + (i == 1 ? RU("ПИД") : "v" + intText(i)));
        writeLines(dir.path() / "results" / "pasp.txt", passport);
        rows = {{"1.50", "10.0", "100.0", "0.150", RU("Бензол")}, {"2.50", "20.0", "200.0", "0.400", RU("Толуол")}};
    }
    std::string bytes(const char* relative) const {
        const auto b = readFileBytesIfExists(dir.path() / relative);
        return b ? *b : "<none>";
    }
    HtmlProtocolRun run() { return WriteHtmlProtocol(start, rows, "/lab/data/smoke/h1a.hrm", RU("проба 1"), 3); }

    test::TempDir dir;
    StartFolder start{dir.path()};
    std::vector<ProtocolRow> rows;
};

TEST_F(HtmlProtocolFiles, MissingInputsChangeNothing) {
    const std::string prot = bytes("space/prot.dat");
    const struct {
        const char* remove;
        std::string message;
    } cases[] = {
        {"doc/pdk.htm", RU("Нет бланка \\doc\\pdk.htm")},
        {"results/pasp.txt", RU("Нет файла \\results\\pasp.txt")},
        {"space/komp.dat", RU("Нет файла \\space\\komp.dat")},
        {"space/formu.dat", RU("Нет файла \\space\\formu.dat")},
    };
    for (const auto& c : cases) {
        const std::string saved = bytes(c.remove);
        fs::remove(dir.path() / c.remove);
        EXPECT_EQ(run().Refusal, c.message);
        EXPECT_EQ(bytes("space/prot.dat"), prot);
        EXPECT_EQ(bytes("results/prot.htm"), "<none>");
        dir.write(c.remove, saved);
    }
    // An unknown medium.
    SaveHtmlProtocolSettings(start, {RU("Вода"), "pdk.htm", 3, ""});
    const std::string water = bytes("space/prot.dat");
    EXPECT_EQ(run().Refusal, RU("Среда \"Вода\" не найдена в таблице ПДК"));
    EXPECT_EQ(bytes("space/prot.dat"), water);
    EXPECT_EQ(bytes("results/prot.htm"), "<none>");

    RecordingShell shell;
    EXPECT_EQ(OpenHtmlProtocol(start, shell), RU("Нет файла \\results\\prot.htm"));
    EXPECT_TRUE(shell.opened.empty());
}

TEST_F(HtmlProtocolFiles, WritesThePageAndRaisesTheNumber) {
    const HtmlProtocolRun first = run();
    ASSERT_FALSE(first.Refusal);
    EXPECT_EQ(first.Settings.ProtocolNumber, 1);
    EXPECT_EQ(LoadHtmlProtocolSettings(start).ProtocolNumber, 1);
    const std::string page = bytes("results/prot.htm");
    EXPECT_NE(page.find(RU("Протокол анализа N 1")), std::string::npos);
    EXPECT_NE(page.find("charset=windows-1251"), std::string::npos);
    EXPECT_NE(page.find(RU("Детектор: ПИД")), std::string::npos);
    EXPECT_FALSE(fs::exists(dir.path() / "results" / "prot.htm.part"));
    RecordingShell shell;
    EXPECT_EQ(OpenHtmlProtocol(start, shell), "");
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0], dir.path() / "results" / "prot.htm");

    // A base blank prints the stored number and leaves prot.dat as it is.
    SaveHtmlProtocolSettings(start, {RU("Воздух рабочей зоны"), "base.htm", 7, ""});
    const std::string prot = bytes("space/prot.dat");
    ASSERT_FALSE(run().Refusal);
    EXPECT_EQ(bytes("space/prot.dat"), prot);
}

// The page printed by a real browser: the Cyrillic text, the values and the verdict.
TEST_F(HtmlProtocolFiles, HeadlessChromiumPrintsTheProtocol) {
    ASSERT_FALSE(run().Refusal);
    const fs::path page = dir.path() / "results" / "prot.htm";
    const fs::path pdf = dir.path() / "out.pdf";
    const fs::path text = dir.path() / "out.txt";
    const std::string print = "chromium-headless-shell --no-sandbox --disable-gpu --no-pdf-header-footer "
                              "--print-to-pdf='" + pdf.string() + "' 'file://" + page.string() + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(print.c_str()), 0) << print;
    ASSERT_EQ(std::system(("pdftotext -enc UTF-8 '" + pdf.string() + "' '" + text.string() + "'").c_str()), 0);
    std::ifstream in(text);
    std::stringstream content;
    content << in.rdbuf();
    const std::string shown = content.str();
    for (const char* expected : {"Бензол", "Толуол", "1.500", "0.667", "Протокол анализа N 1",
                                 "Превышены ПДК вредных веществ. Результаты анализа отрицательны.",
                                 "Файл \\smoke\\h1a.hrm"})
        EXPECT_NE(shown.find(expected), std::string::npos) << expected << "\n" << shown;
    if (const char* shots = std::getenv("VK7_SCREENSHOT_DIR")) {
        const std::string shot = "chromium-headless-shell --no-sandbox --disable-gpu --screenshot='" +
                                 (fs::path(shots) / "prot_htm.png").string() + "' --window-size=800,600 'file://" +
                                 page.string() + "' >/dev/null 2>&1";
        EXPECT_EQ(std::system(shot.c_str()), 0);
    }
}

}  // namespace
}  // namespace vk7
