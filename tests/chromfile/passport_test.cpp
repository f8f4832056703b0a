#include "chromfile/passport.h"

#include <gtest/gtest.h>

#include <functional>

#include "common/cp1251.h"
#include "common/files.h"
#include "common/number_text.h"
#include "tests/support/chromatogram_fixture.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

using test::ChromatogramFixture;

constexpr double kVk7Rate = 21.533;
constexpr int kSamples = 38759;  // 30 minutes at 21.533 points per second

std::string cp(const char* utf8) { return toCp1251(utf8); }

std::string lines(std::initializer_list<const char*> utf8) {
    std::string out;
    for (const char* l : utf8) out += toCp1251(l) + "\r\n";
    return out;
}

void writeInstallation(const test::TempDir& dir) {
    dir.write("space/regn.txt",
              lines({"Паспорт хроматограммы", "Детектор", "Диапазон : множитель", "Газ-носитель", "Колонка",
                     "Температурный режим", "Расход газа-носителя, мл/мин", "Температура испарителя, °С",
                     "Температура детектора, °С", "Объем пробы, мкл", "Расход водорода, мл/мин",
                     "Расход воздуха, мл/мин", "Анализируемая смесь", "Длительность, мин", "Частота АЦП",
                     "Коэффициент канала R", "Комментарий"}));
    dir.write("space/detect", lines({"ДТП", "ПИД", "ЭЗД"}));
    dir.write("space/gas", lines({"Гелий", "Азот"}));
    dir.write("space/kolon", lines({"Колонка 1", "Колонка 2", "Колонка 3"}));
    dir.write("space/temp", lines({"Изотерма 40 C:", "Изотерма 100 C:", "Изотерма 150 C:",
                                    "Программа: 50g-5m;10g/m;200g-10m"}));
    dir.write("space/sm", lines({"Природный газ", "Воздух рабочей зоны"}));
}

// A 30-minute recording at 21.533 points per second (w0 = 21, the rate of vk7.dat), with a
// comment, three stored triples and a last word.
ChromatogramFixture recording() {
    ChromatogramFixture f;
    f.header[hw::Rate] = 21;
    f.header[hw::Detector] = 2;
    f.header[hw::Gas] = 1;
    f.header[hw::Column] = 3;
    f.header[hw::Temperature] = 4;
    f.header[hw::Field5] = 30;
    f.header[hw::Field6] = 250;
    f.header[hw::Field7] = 300;
    f.header[hw::Field8] = 1;
    f.header[hw::LogR] = 1;  // R = 1.001, shown as 1.00
    f.header[hw::Multiplier] = 1;
    f.header[hw::Sm] = 2;
    f.header[hw::Gain] = 3;
    f.header[hw::Field15] = 40;
    f.header[hw::Field16] = 12345;
    f.header[hw::Unit] = 1;
    f.header[hw::StoredZoom] = 4;
    f.samples.resize(kSamples);
    for (int i = 0; i < kSamples; ++i) f.samples[size_t(i)] = static_cast<int16_t>((i * 7) % 20011 - 10000);
    f.comment = cp("Проба 1");
    f.triples = {{10, 40, 'M'}, {50, 90, 'B'}, {91, 120, 'E'}};
    f.lastWord = 186;
    return f;
}

ReadResult readWith(const fs::path& file, double vk7Rate = kVk7Rate) {
    ReadRequest req;
    req.AveragingMs = 200;
    req.Vk7Rate = vk7Rate;
    return ReadChromatogram(file, req);
}

// A start folder with the installation files and the recording open in it.
struct OpenPassport {
    test::TempDir dir;
    fs::path file;
    std::vector<int16_t> before;
    OpenChromatogram chrom;
    PassportSources sources;
    PassportGrid grid;

    explicit OpenPassport(const ChromatogramFixture& f = recording()) {
        writeInstallation(dir);
        file = f.write(dir / "data/h1a.hrm");
        before = readWords(file);
        chrom = readWith(file).Chrom;
        sources = readPassportSources(StartFolder(dir.path()));
        grid = FillPassportGrid(chrom, 3, sources);
    }
    PassportRewriteResult rewrite() { return RewriteChromatogramPassport(file, grid, chrom); }
    std::vector<int16_t> after() const { return readWords(file); }
};

TEST(PassportGrid, ShowsCaptionsOfRegnAndTheHeaderValues) {
    OpenPassport p;
    EXPECT_TRUE(p.sources.Notices.empty());
    const auto& g = p.grid;
    EXPECT_EQ(g.Captions[0], cp("Детектор"));
    EXPECT_EQ(g.Captions[12], cp("Длительность, мин"));
    EXPECT_EQ(g.Captions[13], cp("Коэффициент канала R"));  // line 15 of regn.txt is skipped
    EXPECT_EQ(g.Captions[14], cp("Комментарий"));
    EXPECT_EQ(g.Captions[15], cp("Частота АЦП"));
    EXPECT_EQ(g.Captions[16], cp("Отмечено пиков"));

    EXPECT_EQ(g.Cells[prow::Detector], cp("ПИД"));
    EXPECT_EQ(g.Cells[prow::Unit], "   1:1");
    EXPECT_EQ(g.Cells[prow::Gas], cp("Гелий"));
    EXPECT_EQ(g.Cells[prow::Column], cp("Колонка 3"));
    EXPECT_EQ(g.Cells[prow::Temperature], cp("Программа: 50g-5m;10g/m;200g-10m"));
    EXPECT_EQ(g.Cells[prow::Field5], "  30");
    EXPECT_EQ(g.Cells[prow::Field15], "  40");
    EXPECT_EQ(g.Cells[prow::Field16], "12345");  // kept whole
    EXPECT_EQ(g.Cells[prow::Field6], " 250");
    EXPECT_EQ(g.Cells[prow::Sm], cp("Воздух рабочей зоны"));
    EXPECT_EQ(g.Cells[prow::Duration], fixedText(passportDurationMinutes(p.chrom), 5, 2));
    EXPECT_NEAR(passportDurationMinutes(p.chrom), 30.0, 0.01);
    EXPECT_EQ(g.Cells[prow::R], "  1.00");
    EXPECT_EQ(g.Cells[prow::Comment], cp("Проба 1"));
    EXPECT_EQ(g.Cells[prow::Rate], "21.533");
    EXPECT_EQ(g.Cells[prow::Peaks], "   3");
    EXPECT_EQ(g.Indexes, (std::array<int, 5>{2, 1, 3, 4, 2}));
}

TEST(PassportGrid, IndexBeyondTheDictionaryIsNamedAndPickerOffersAtMost255) {
    test::TempDir dir;
    writeInstallation(dir);
    std::string many;
    for (int i = 1; i <= 300; ++i) many += "entry " + std::to_string(i) + "\r\n";
    dir.write("space/kolon", many);
    ChromatogramFixture f = recording();
    f.header[hw::Detector] = 9;
    const ReadResult r = readWith(f.write(dir / "h1a.hrm"));
    const PassportSources s = readPassportSources(StartFolder(dir.path()));
    PassportGrid g = FillPassportGrid(r.Chrom, 0, s);
    EXPECT_EQ(g.Cells[prow::Detector], cp("(нет строки 9 в словаре detect)"));
    ASSERT_EQ(s.pickerEntries(DictKolon).size(), 255u);
    choosePassportEntry(g, prow::Column, 254, s);
    EXPECT_EQ(g.Cells[prow::Column], "entry 255");
    EXPECT_EQ(g.Indexes[DictKolon], 255);
    choosePassportEntry(g, prow::Column, 255, s);  // beyond the picker: ignored
    EXPECT_EQ(g.Indexes[DictKolon], 255);
    choosePassportEntry(g, prow::Unit, 0, s);  // not a dictionary row
    EXPECT_EQ(g.Cells[prow::Unit], "   1:1");
}

TEST(PassportSources, MissingFilesGiveEmptyCaptionsAndOneNotice) {
    test::TempDir dir;
    writeInstallation(dir);
    fs::remove(dir / "space/regn.txt");
    fs::remove(dir / "space/kolon");
    const PassportSources s = readPassportSources(StartFolder(dir.path()));
    for (int row = 0; row < 15; ++row) EXPECT_EQ(s.Captions[size_t(row)], "") << row;
    EXPECT_EQ(s.Captions[15], cp("Частота АЦП"));
    ASSERT_EQ(s.Notices.size(), 1u);
    EXPECT_NE(s.Notices[0].find("\\space\\regn.txt"), std::string::npos);
    EXPECT_NE(s.Notices[0].find("\\space\\kolon"), std::string::npos);
    EXPECT_EQ(s.entry(DictKolon, 1), "");
    EXPECT_EQ(s.entry(DictGas, 2), cp("Азот"));
}

TEST(RewritePassport, UntouchedRewriteChangesOnlyTheRateCodeAndTheZoomWord) {
    OpenPassport p;
    const PassportRewriteResult r = p.rewrite();
    ASSERT_TRUE(r.Written) << r.Refusal;
    EXPECT_FALSE(r.SamplesShortened);
    EXPECT_FALSE(r.RateChanged);
    std::vector<int16_t> expected = p.before;
    expected[hw::Rate] = 21533;
    expected[hw::StoredZoom] = 1;
    EXPECT_EQ(p.after(), expected);
    // The file no longer depends on vk7.dat, and a second untouched rewrite changes nothing.
    const ReadResult again = readWith(p.file, 0);
    EXPECT_DOUBLE_EQ(again.Chrom.SamplingRate, 21.533);
    ASSERT_TRUE(RewriteChromatogramPassport(p.file, FillPassportGrid(again.Chrom, 3, p.sources), again.Chrom).Written);
    EXPECT_EQ(p.after(), expected);
}

TEST(RewritePassport, EditedRowsGoToTheirWords) {
    struct Case {
        int row;
        const char* text;
        std::function<void(std::vector<int16_t>&)> change;  // what the edit does to the words
    };
    const std::vector<Case> cases = {
        {prow::Rate, "12.5", [](auto& w) { w[hw::Rate] = 12; }},
        {prow::Rate, "21.5", [](auto& w) { w[hw::Rate] = 21500; }},
        {prow::Rate, "21,5", [](auto& w) { w[hw::Rate] = 21500; }},
        {prow::Rate, "20", [](auto& w) { w[hw::Rate] = 20; }},
        {prow::Rate, "21", [](auto& w) { w[hw::Rate] = 21000; }},  // 21 never means vk7.dat
        {prow::Rate, "0.051", [](auto& w) { w[hw::Rate] = 51; }},
        {prow::R, "2.00", [](auto& w) { w[hw::LogR] = 693; w[hw::Rate] = 21533; }},
        {prow::R, "0.5", [](auto& w) { w[hw::LogR] = -693; w[hw::Rate] = 21533; }},
        {prow::Unit, "2:5", [](auto& w) { w[hw::Unit] = 2; w[hw::Multiplier] = 5; w[hw::Rate] = 21533; }},
        {prow::Unit, " 0 : 100", [](auto& w) { w[hw::Unit] = 0; w[hw::Multiplier] = 100; w[hw::Rate] = 21533; }},
        {prow::Field5, "-7", [](auto& w) { w[hw::Field5] = -7; w[hw::Rate] = 21533; }},
        {prow::Field16, "32767", [](auto& w) { w[hw::Field16] = 32767; w[hw::Rate] = 21533; }},
        {prow::Field8, "", [](auto& w) { w[hw::Field8] = 0; w[hw::Rate] = 21533; }},
        {prow::Field6, "99", [](auto& w) { w[hw::Field6] = 99; w[hw::Rate] = 21533; }},
    };
    for (const Case& c : cases) {
        OpenPassport p;
        p.grid.Cells[size_t(c.row)] = c.text;
        const PassportRewriteResult r = p.rewrite();
        ASSERT_TRUE(r.Written) << c.row << " " << c.text << ": " << r.Refusal;
        std::vector<int16_t> expected = p.before;
        expected[hw::StoredZoom] = 1;
        c.change(expected);
        EXPECT_EQ(p.after(), expected) << c.row << " " << c.text;
    }
}

TEST(RewritePassport, RateCodesReadBackAsTheTypedRate) {
    for (auto [text, rate] : {std::pair{"12.5", 12.5}, {"21.5", 21.5}, {"3.125", 3.125}, {"6.25", 6.25}, {"32.767", 32.767}}) {
        OpenPassport p;
        p.grid.Cells[prow::Rate] = text;
        const PassportRewriteResult r = p.rewrite();
        ASSERT_TRUE(r.Written) << text;
        EXPECT_TRUE(r.RateChanged) << text;
        EXPECT_DOUBLE_EQ(readWith(p.file, 0).Chrom.SamplingRate, rate) << text;
    }
}

TEST(RewritePassport, InvalidValuesAreRefusedAndNothingIsWritten) {
    struct Case { int row; const char* text; };
    for (Case c : {Case{prow::Rate, "0.02"}, {prow::Rate, "40"}, {prow::Rate, "abc"}, {prow::Rate, ""},
                   {prow::Rate, "-12.5"}, {prow::R, "0"}, {prow::R, "-1"}, {prow::R, "1e20"}, {prow::R, "x"},
                   {prow::Unit, "5:1"}, {prow::Unit, "2"}, {prow::Unit, "2:0"}, {prow::Unit, "a:b"},
                   {prow::Unit, "2:40000"}, {prow::Field5, "40000"}, {prow::Field5, "1.5"}, {prow::Field7, "12a"},
                   {prow::Duration, "-1"}, {prow::Duration, "abc"}}) {
        OpenPassport p;
        const std::string bytes = readFileBytes(p.file);
        p.grid.Cells[size_t(c.row)] = c.text;
        const PassportRewriteResult r = p.rewrite();
        EXPECT_FALSE(r.Written) << c.row << " " << c.text;
        EXPECT_NE(r.Refusal.find(p.grid.Captions[size_t(c.row)]), std::string::npos) << r.Refusal;
        EXPECT_EQ(readFileBytes(p.file), bytes) << c.row << " " << c.text;
    }
}

TEST(RewritePassport, EditedDurationKeepsTheWholePartOfItsSamplesAndTheTail) {
    OpenPassport p;
    p.grid.Cells[prow::Duration] = "10.5";
    const PassportRewriteResult r = p.rewrite();
    ASSERT_TRUE(r.Written);
    EXPECT_TRUE(r.SamplesShortened);
    const int kept = static_cast<int>(wholePart(10.5 * 60 * 21.533));
    ASSERT_EQ(kept, 13565);
    EXPECT_EQ(r.SampleCount, kept);
    const std::vector<int16_t> w = p.after();
    const ChromatogramFixture f = recording();
    ASSERT_EQ(int(w.size()), 20 + kept + int(f.comment.size()) + 9 + 1);
    EXPECT_TRUE(std::equal(w.begin() + 20, w.begin() + 20 + kept, f.samples.begin()));
    // The comment, the three triples and the last word follow the kept samples unchanged.
    EXPECT_TRUE(std::equal(w.begin() + 20 + kept, w.end(), p.before.end() - int(f.comment.size()) - 10));
    EXPECT_EQ(w[hw::CommentLength], 7);
    EXPECT_EQ(w[hw::StoredPeaks], 3);
    const ReadResult again = readWith(p.file);
    EXPECT_EQ(again.Chrom.SampleCount, kept);
    EXPECT_EQ(again.Chrom.CommentText, cp("Проба 1"));
    EXPECT_EQ(again.StoredMarkup.size(), 3u);
    EXPECT_EQ(again.Chrom.LastWord, 186);
}

TEST(RewritePassport, DurationCutsOnlyWhenEditedAndShorter) {
    struct Case { const char* text; int samples; };
    OpenPassport probe;
    const int least = 3 * probe.chrom.SamplesPerPoint;
    for (Case c : {Case{"0", kSamples}, {"45", kSamples}, {"30.1", kSamples}, {"0.001", least}, {"29.9", 38630}}) {
        OpenPassport p;
        p.grid.Cells[prow::Duration] = c.text;
        const PassportRewriteResult r = p.rewrite();
        ASSERT_TRUE(r.Written) << c.text;
        EXPECT_EQ(r.SampleCount, c.samples) << c.text;
        EXPECT_EQ(readWith(p.file).Chrom.SampleCount, c.samples) << c.text;
    }
}

TEST(RewritePassport, CommentRowWritesTheCommentAndItsLength) {
    OpenPassport p;
    p.grid.Cells[prow::Comment] = std::string(200, 'x');
    ASSERT_TRUE(p.rewrite().Written);
    const ReadResult r = readWith(p.file);
    EXPECT_EQ(r.Chrom.Header[hw::CommentLength], 128);
    EXPECT_EQ(r.Chrom.CommentText, std::string(128, 'x'));
    EXPECT_EQ(r.Chrom.SampleCount, kSamples);
    EXPECT_EQ(r.StoredMarkup.size(), 3u);
    EXPECT_EQ(r.Chrom.LastWord, 186);
}

TEST(RewritePassport, UntouchedLongCommentIsKeptWhole) {
    ChromatogramFixture f = recording();
    f.comment = std::string(200, 'y');
    OpenPassport p(f);
    ASSERT_EQ(p.grid.Cells[prow::Comment].size(), 128u);
    ASSERT_TRUE(p.rewrite().Written);
    const std::vector<int16_t> w = p.after();
    EXPECT_EQ(w[hw::CommentLength], 200);
    EXPECT_EQ(w.size(), p.before.size());
}

TEST(RewritePassport, PickedEntriesGoToTheirWordsAndAHighByteSurvivesWhenUnchanged) {
    ChromatogramFixture f = recording();
    f.header[hw::Temperature] = 0x0104;  // line 4 of temp, with a high byte as some writers left it
    OpenPassport p(f);
    ASSERT_EQ(p.grid.Indexes[DictTemp], 4);
    choosePassportEntry(p.grid, prow::Detector, 2, p.sources);
    choosePassportEntry(p.grid, prow::Sm, 0, p.sources);
    EXPECT_EQ(p.grid.Cells[prow::Detector], cp("ЭЗД"));
    ASSERT_TRUE(p.rewrite().Written);
    const std::vector<int16_t> w = p.after();
    EXPECT_EQ(w[hw::Detector], 3);
    EXPECT_EQ(w[hw::Sm], 1);
    EXPECT_EQ(w[hw::Temperature], 0x0104);
    EXPECT_EQ(w[hw::Gain], 3);  // the gain code stays what the file says
    EXPECT_EQ(w[hw::Reserved], 1);
}

TEST(RewritePassport, RefreshedHeaderValuesFollowTheFileAndKeepThePoints) {
    OpenPassport p;
    p.grid.Cells[prow::Unit] = "2:5";
    p.grid.Cells[prow::R] = "2";
    p.grid.Cells[prow::Comment] = cp("Новая проба");
    choosePassportEntry(p.grid, prow::Gas, 1, p.sources);
    ASSERT_TRUE(p.rewrite().Written);
    const NumberedArray<int16_t> points = p.chrom.Points;
    refreshHeaderValues(p.chrom, readWith(p.file).Chrom);
    EXPECT_EQ(p.chrom.UnitCode, 2);
    EXPECT_EQ(p.chrom.SignalMultiplier, 5);
    EXPECT_EQ(p.chrom.GasIndex, 2);
    EXPECT_NEAR(p.chrom.PassportR, 2.0, 0.001);
    EXPECT_EQ(p.chrom.CommentText, cp("Новая проба"));
    EXPECT_EQ(p.chrom.Header[hw::Rate], 21533);
    EXPECT_EQ(p.chrom.Points, points);
    const PassportGrid g = FillPassportGrid(p.chrom, 3, p.sources);
    EXPECT_EQ(g.Cells[prow::Unit], "   2:5");
    EXPECT_EQ(g.Cells[prow::Gas], cp("Азот"));
    EXPECT_EQ(g.Cells[prow::R], "  2.00");
}

TEST(PassportText, CaptionsPaddedTo28AndLinesCutAt128) {
    test::TempDir dir;
    writeInstallation(dir);
    dir.write("space/regn.txt", lines({"x", "Детектор", "Очень длинная подпись строки паспорта"}));
    ChromatogramFixture f = recording();
    f.comment = std::string(128, 'c');
    const ReadResult r = readWith(f.write(dir / "h1a.hrm"));
    const PassportSources s = readPassportSources(StartFolder(dir.path()));
    WritePassportText(StartFolder(dir.path()), r.Chrom, 3, s);
    const std::string bytes = readFileBytes(dir / "results/pasp.txt");
    const std::vector<std::string> got = splitLines(bytes);
    ASSERT_EQ(got.size(), 17u);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    EXPECT_EQ(got[0], padRight(cp("Детектор"), 28) + cp("ПИД"));
    EXPECT_EQ(got[1], cp("Очень длинная подпись строки паспорта1:1"));
    EXPECT_EQ(got[5], std::string(28, ' ') + "  30");
    EXPECT_EQ(got[7], std::string(28, ' ') + "12345");
    EXPECT_EQ(got[12], std::string(28, ' ') + fixedText(passportDurationMinutes(r.Chrom), 5, 2));
    EXPECT_EQ(got[13], std::string(28, ' ') + "  1.00");
    EXPECT_EQ(got[14], std::string(28, ' ') + std::string(100, 'c'));
    EXPECT_EQ(got[15], padRight(cp("Частота АЦП"), 28) + "21.533");
    EXPECT_EQ(got[16], padRight(cp("Отмечено пиков"), 28) + "   3");
}

TEST(PassportText, ACommentWithLineBreaksStaysOneRow) {
    test::TempDir dir;
    writeInstallation(dir);
    ChromatogramFixture f = recording();
    f.comment = "a\r\nb\nc\rd\x01" "e\tf";
    const ReadResult r = readWith(f.write(dir / "h1a.hrm"));
    WritePassportText(StartFolder(dir.path()), r.Chrom, 3, readPassportSources(StartFolder(dir.path())));
    const std::vector<std::string> got = splitLines(readFileBytes(dir / "results/pasp.txt"));
    ASSERT_EQ(got.size(), 17u);
    EXPECT_EQ(got[14].substr(28), "a  b c d e f");
}

TEST(PassportTemplate, WriteThenApplyRestoresUnitMultiplierAndEntries) {
    OpenPassport p;
    const StartFolder start(p.dir.path());
    p.grid.Cells[prow::Unit] = "3:10";
    p.grid.Cells[prow::Field5] = "55";
    p.grid.Cells[prow::Field8] = "-3";
    choosePassportEntry(p.grid, prow::Detector, 0, p.sources);
    choosePassportEntry(p.grid, prow::Temperature, 1, p.sources);
    ASSERT_EQ(WritePassportTemplate(start, p.grid), "");
    EXPECT_EQ(splitLines(readFileBytes(p.dir / "results/paspo.txt")),
              (std::vector<std::string>{"1", "3:10", "1", "3", "2", "  55", "  40", "12345", " 250", " 300", "  -3", "2"}));

    // Another chromatogram takes the template; its file is not touched.
    ChromatogramFixture other = recording();
    other.header[hw::Unit] = 0;
    other.header[hw::Detector] = 3;
    const fs::path otherFile = other.write(p.dir / "data/h2a.hrm");
    const std::string otherBytes = readFileBytes(otherFile);
    OpenChromatogram c = readWith(otherFile).Chrom;
    ASSERT_EQ(ApplyPassportTemplate(start, c, p.sources), "");
    EXPECT_EQ(c.UnitCode, 3);
    EXPECT_EQ(c.SignalMultiplier, 10);
    EXPECT_EQ(c.DetectorIndex, 1);
    EXPECT_EQ(c.TemperatureIndex, 2);
    // w4, w5, w15, w16, w6, w7, w8
    EXPECT_EQ(c.PassportFieldTexts, (std::array<std::string, 7>{"   2", "  55", "  40", "12345", " 250", " 300", "  -3"}));
    EXPECT_EQ(c.Temperature.FinalTemperature, 100);  // "Изотерма 100 C:"
    EXPECT_EQ(readFileBytes(otherFile), otherBytes);
    const PassportGrid g = FillPassportGrid(c, 0, p.sources);
    EXPECT_EQ(g.Cells[prow::Detector], cp("ДТП"));
    EXPECT_EQ(g.Cells[prow::Unit], "   3:10");
    // Written into the file, the template's values read back.
    ASSERT_TRUE(RewriteChromatogramPassport(otherFile, g, c).Written);
    const OpenChromatogram back = readWith(otherFile).Chrom;
    EXPECT_EQ(back.UnitCode, 3);
    EXPECT_EQ(back.SignalMultiplier, 10);
    EXPECT_EQ(back.DetectorIndex, 1);
    EXPECT_EQ(back.TemperatureIndex, 2);
    EXPECT_EQ(back.PassportFieldTexts, c.PassportFieldTexts);
}

TEST(PassportTemplate, MissingOrDamagedTemplateChangesNothing) {
    OpenPassport p;
    const StartFolder start(p.dir.path());
    OpenChromatogram c = p.chrom;
    EXPECT_EQ(ApplyPassportTemplate(start, c, p.sources), cp("Нет файла \\results\\paspo.txt"));
    p.dir.write("results/paspo.txt", "1\r\n2:5\r\n1\r\n3\r\n300\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n1\r\n");
    EXPECT_EQ(ApplyPassportTemplate(start, c, p.sources), cp("Файл \\results\\paspo.txt испорчен: неверная строка 5."));
    p.dir.write("results/paspo.txt", "1\r\n2:5\r\n1\r\n");
    EXPECT_NE(ApplyPassportTemplate(start, c, p.sources), "");
    EXPECT_EQ(c.UnitCode, p.chrom.UnitCode);
    EXPECT_EQ(c.PassportFieldTexts, p.chrom.PassportFieldTexts);
    // An invalid typed value writes no template.
    p.grid.Cells[prow::Field6] = "abc";
    EXPECT_NE(WritePassportTemplate(start, p.grid), "");
    EXPECT_EQ(splitLines(readFileBytes(p.dir / "results/paspo.txt")).size(), 3u);
}

}  // namespace
}  // namespace vk7
