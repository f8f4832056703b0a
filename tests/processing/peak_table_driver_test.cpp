// The Enter sequence of the peak table on chromatogram files written by the fixture.
#include <gtest/gtest.h>

#include "chromfile/chromatogram_key.h"
#include "chromfile/markup_store.h"
#include "common/cp1251.h"
#include "common/errors.h"
#include "common/files.h"
#include "processing/calibration_archive.h"
#include "processing/peak_table.h"
#include "processing/pipeline.h"
#include "processing/table_rows.h"
#include "tests/support/chromatogram_fixture.h"
#include "tests/support/point_generator.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

using test::PointGenerator;

// 25 samples per second, 4 samples per point (160 ms): 0.16 s per point.
constexpr int kWidth = 4;

class PeakTableDriver : public ::testing::Test {
protected:
    test::TempDir dir;
    ProcessingState state{StartFolder(dir.path())};
    PeakTableContent content;

    // What the window's callbacks saw.
    int gifs = 0, passports = 0;
    NumberedArray<int16_t> pointsAtGif;
    PeakTableOutputs outputs{[this] {
                                 ++gifs;
                                 pointsAtGif = state.Chrom.Points;
                             },
                             [this] { ++passports; }};

    void SetUp() override {
        state.Settings.AveragingMs = 160;
        state.Settings.DetectThreshold = 5.0;
        state.Settings.Decimals = 3;
    }

    static PointGenerator threePeaks() {
        return PointGenerator(1000, 300).gaussian(200, 4000, 8).gaussian(500, 6000, 8).gaussian(800, 3000, 8);
    }

    fs::path writeFile(const std::string& name, const PointGenerator& points, const std::string& comment = "") {
        test::ChromatogramFixture f;
        f.samples = points.samples(kWidth);
        f.comment = comment;
        f.lastWord = 160;
        return f.write(dir / "data" / name);
    }

    // The archive: benzene at 32 s and toluene at 80 s (S = 100, C = 1 and 2) under the key of
    // the fixture's files.
    void writeArchive(const fs::path& anyFile) {
        ReadRequest req;
        req.AveragingMs = 160;
        const std::string key = BuildChromatogramKey(ReadChromatogram(anyFile, req).Chrom);
        const std::string lines = key + "\r\n" + formatCalibrationLine({32, 100, 1, "benzene", false}) + "\r\n" +
                                  formatCalibrationLine({80, 100, 2, "toluene", false}) + "\r\n#\r\n";
        dir.write("space/grad.grd", lines);
    }

    // What the main window does to open a file: read, commit, process.
    void open(const fs::path& file) {
        ReadRequest req;
        req.AveragingMs = state.Settings.AveragingMs;
        ReadResult r = ReadChromatogram(file, req);
        state.Chrom = std::move(r.Chrom);
        state.Settings.DataDir = textFromPath(file.parent_path()) + "/";
        state.Settings.FileName = textFromPath(file.filename());
        state.Markup.clear();
        state.ProgramMode = ModeShown;
        state.View = PlotView{};
        state.IdentificationNoticeKey.clear();
        ProcessChromatogram(state);
    }

    PeakTableResult enter(bool completeClipped = false) {
        return ShowPeakTable(state, content, completeClipped, outputs);
    }

    std::vector<std::string> results(const char* name) const { return readLines(dir / "results" / name); }
};

TEST_F(PeakTableDriver, NoPeaksWritesNothing) {
    const fs::path file = writeFile("h1a.hrm", PointGenerator(1000, 300));
    writeArchive(file);
    open(file);
    ASSERT_EQ(state.Markup.PeakCount(), 0);
    const auto before = readFileBytes(file);
    const PeakTableResult r = enter();
    EXPECT_EQ(r.Outcome, PeakTableOutcome::NoPeaks);
    EXPECT_EQ(r.Notices, (std::vector<std::string>{RU("Нет отмеченных пиков.")}));
    EXPECT_EQ(state.ProgramMode, ModeShown);
    EXPECT_EQ(gifs + passports, 0);
    EXPECT_FALSE(fs::exists(dir / "results" / "tabl.txt"));
    EXPECT_EQ(readFileBytes(file), before);
}

TEST_F(PeakTableDriver, OneChromatogram) {
    const fs::path file = writeFile("h1a.hrm", threePeaks(), "12.03.2024 10:15");
    writeArchive(file);
    open(file);
    ASSERT_EQ(state.Markup.PeakCount(), 3);
    const NumberedArray<int16_t> raw = state.Chrom.Points;
    state.View.OverlayCount = 2;
    EXPECT_FALSE(AsksToCompleteClippedPeaks(state));

    const PeakTableResult r = enter();
    EXPECT_EQ(r.Outcome, PeakTableOutcome::TableShown);
    EXPECT_TRUE(r.Notices.empty());
    EXPECT_EQ(state.ProgramMode, ModePeakTable);
    EXPECT_EQ(state.View.OverlayCount, 0);
    EXPECT_EQ(content.Caption, RU("Таблица пиков"));
    EXPECT_FALSE(content.SummaryShown);

    // The plot was saved before the base line was subtracted; the passport was written.
    EXPECT_EQ(gifs, 1);
    EXPECT_EQ(passports, 1);
    EXPECT_TRUE(pointsAtGif == raw);
    EXPECT_FALSE(state.Chrom.Points == raw);
    EXPECT_EQ(state.Chrom.Points[state.Markup.Peaks[3].End + 1], 0);  // the tail brought to zero

    // The markup is in the file and in the store.
    ReadRequest req;
    req.AveragingMs = 160;
    EXPECT_EQ(ReadChromatogram(file, req).StoredMarkup.size(), 3u);
    EXPECT_EQ(LoadMarkupFromPics(state.Start, state.Chrom, MarkupStore).PeakCount(), 3);

    // tabl.txt holds the rows the window shows.
    ASSERT_EQ(content.Table.size(), 3u);
    EXPECT_EQ(content.Title, RU("Хроматограмма h1a.hrm 12.03.2024 10:15"));
    EXPECT_EQ(results("tabl.txt"), peakTableLines(content.Title, content.Table));
    EXPECT_EQ(content.Table[0].Cells[CellName], "benzene");
    EXPECT_EQ(content.Table[1].Cells[CellName], "toluene");
    EXPECT_EQ(content.Table[2].Cells[CellName], "?");
    EXPECT_EQ(content.Table[0].Cells[CellTime], "    0.53");  // 32 s
    // Through the origin and the one calibration point S = 100, C = 1 (or 2).
    EXPECT_NEAR(*content.Table[0].Conc, content.Table[0].AreaMvs / 100, 1e-9);
    EXPECT_NEAR(*content.Table[1].Conc, content.Table[1].AreaMvs / 100 * 2, 1e-9);
    EXPECT_FALSE(content.Table[2].Conc);
    double shares = 0;
    for (const PeakTableRow& row : content.Table) shares += row.SharePct;
    EXPECT_NEAR(shares, 100, 1e-9);
    EXPECT_EQ(content.SubstanceNames, (std::vector<std::string>{"benzene", "toluene", "?"}));

    // Enter again only shows the window.
    const auto table = readFileBytes(dir / "results" / "tabl.txt");
    EXPECT_EQ(enter().Outcome, PeakTableOutcome::AlreadyShown);
    EXPECT_EQ(gifs, 1);
    EXPECT_EQ(readFileBytes(dir / "results" / "tabl.txt"), table);
}

TEST_F(PeakTableDriver, ClippedPeaksAreCompletedOnlyWhenTheUserAgrees) {
    const fs::path file =
        writeFile("h1a.hrm", PointGenerator(1000, 300).gaussian(300, 60000, 12).gaussian(700, 5000, 8));
    writeArchive(file);
    for (bool answer : {false, true}) {
        open(file);
        ASSERT_TRUE(AsksToCompleteClippedPeaks(state));
        const PeakTableResult r = enter(answer);
        EXPECT_EQ(state.Chrom.UnitCode, answer ? 1 : 0);
        EXPECT_EQ(r.Clipped.Done, answer);
        EXPECT_EQ(state.View.VerticalZoom, answer ? 10.0 : 1.0);
        EXPECT_FALSE(AsksToCompleteClippedPeaks(state));  // mode 4: no question
    }
}

TEST_F(PeakTableDriver, InternalStandardIsRecordedAtTheEndOfTheComment) {
    const fs::path file = writeFile("h1a.hrm", threePeaks(), toCp1251("проба 7"));
    writeArchive(file);
    state.Settings.QuantMethod = 1;
    state.Settings.StandardPeakNo = 1;
    state.Settings.StandardConc1 = 0.5;
    state.Settings.StandardConc2 = 1;
    open(file);
    enter();
    const std::string first = toCp1251("проба 7 Cst=  0.500/  1.000");
    EXPECT_EQ(previewComment(file), first);
    EXPECT_EQ(state.Chrom.CommentText, first);
    EXPECT_EQ(results("tabl.txt")[0], RU("Хроматограмма h1a.hrm ") + first);
    EXPECT_NEAR(*content.Table[0].Conc, 0.5, 1e-12);  // the standard: Conc1 / Conc2

    // After re-processing the tail is replaced, not appended again.
    state.Settings.StandardConc1 = 12.5;
    open(file);
    enter();
    EXPECT_EQ(previewComment(file), toCp1251("проба 7 Cst= 12.500/  1.000"));

    // A standard peak that does not exist: the absolute table, a notice, no tail.
    state.Settings.StandardPeakNo = 9;
    open(file);
    const PeakTableResult r = enter();
    EXPECT_EQ(r.Notices, (std::vector<std::string>{InvalidStandardPeakText()}));
    EXPECT_EQ(previewComment(file), toCp1251("проба 7 Cst= 12.500/  1.000"));
    EXPECT_NEAR(*content.Table[0].Conc, content.Table[0].AreaMvs / 100, 1e-9);
}

TEST_F(PeakTableDriver, AFailedStepCommitsNothing) {
    const fs::path file = writeFile("h1a.hrm", threePeaks());
    writeArchive(file);
    open(file);
    const NumberedArray<int16_t> raw = state.Chrom.Points;
    fs::remove(dir / "space" / "grad.dat");
    EXPECT_THROW(enter(), IoError);
    EXPECT_EQ(state.ProgramMode, ModeShown);
    EXPECT_TRUE(state.Chrom.Points == raw);
    EXPECT_FALSE(fs::exists(dir / "results" / "tabl.txt"));

    // Once the calibration points are back, Enter builds the table from the same points.
    open(file);
    EXPECT_EQ(enter().Outcome, PeakTableOutcome::TableShown);
    EXPECT_EQ(content.Table.size(), 3u);
}

TEST_F(PeakTableDriver, SeveralFilesEndInTheSummary) {
    const fs::path f1 = writeFile("h1a.hrm", threePeaks(), "first");
    const fs::path f2 = writeFile("h2a.hrm", PointGenerator(1000, 300).gaussian(200, 4000, 8).gaussian(500, 5000, 8));
    writeArchive(f1);
    state.ListFiles = {f1, f2};
    state.ListIndex = 0;
    state.SummaryRows = 0;
    state.ListMode = true;
    open(f1);

    PeakTableResult r = enter();
    EXPECT_EQ(r.Outcome, PeakTableOutcome::NextFile);
    EXPECT_EQ(r.NextFileIndex, 1);
    EXPECT_EQ(state.ListIndex, 0);  // the window moves on when it has opened the file
    EXPECT_EQ(state.SummaryRows, 3);
    EXPECT_FALSE(content.SummaryShown);
    const auto firstTable = results("tabl.txt");
    EXPECT_FALSE(fs::exists(dir / "results" / "tabsum.txt"));

    state.ListIndex = 1;
    open(f2);
    r = enter();
    EXPECT_EQ(r.Outcome, PeakTableOutcome::SummaryShown);
    EXPECT_TRUE(content.SummaryShown);
    EXPECT_EQ(state.SummaryRows, 5);
    EXPECT_EQ(content.Caption, RU("Суммарная таблица h1a.hrm h2a.hrm "));

    // tabsum.txt: the head lines, then each file's rows numbered from 1 again, exactly the rows
    // of the files' own tables.
    const auto secondTable = results("tabl.txt");
    EXPECT_EQ(secondTable[0], RU("Хроматограмма h2a.hrm "));
    const auto sum = results("tabsum.txt");
    ASSERT_EQ(sum.size(), 9u);
    EXPECT_EQ(sum[0], content.Caption);
    EXPECT_EQ(sum[2], PeakTableColumnLine());
    std::vector<std::string> expected(firstTable.begin() + 4, firstTable.end());
    expected.insert(expected.end(), secondTable.begin() + 4, secondTable.end());
    EXPECT_EQ(std::vector<std::string>(sum.begin() + 4, sum.end()), expected);
    std::vector<int> numbers;
    for (size_t i = 4; i < sum.size(); ++i) numbers.push_back(readTableRow(sum[i]).Number);
    EXPECT_EQ(numbers, (std::vector<int>{1, 2, 3, 1, 2}));

    // The picker is off while the summary is shown.
    EXPECT_FALSE(AssignSubstance(state, content, 1, "toluene"));

    // A new list starts an empty summary.
    state.ListFiles = {f2};
    state.ListIndex = 0;
    state.SummaryRows = 0;
    open(f2);
    EXPECT_EQ(enter().Outcome, PeakTableOutcome::SummaryShown);
    EXPECT_EQ(content.Summary.size(), 2u);
    EXPECT_EQ(content.Caption, RU("Суммарная таблица h2a.hrm "));
}

TEST_F(PeakTableDriver, ASummaryCompletedEarlyNamesTheFilesItHolds) {
    const fs::path f1 = writeFile("h1a.hrm", threePeaks());
    writeArchive(f1);
    state.ListFiles = {f1, dir / "data" / "h9a.hrm"};
    state.ListMode = true;
    open(f1);
    ASSERT_EQ(enter().Outcome, PeakTableOutcome::NextFile);
    // The next file cannot be opened: the window ends the summary with what it has.
    CompleteSummary(state, content);
    EXPECT_EQ(content.Caption, RU("Суммарная таблица h1a.hrm "));
    EXPECT_EQ(results("tabsum.txt").size(), 7u);
}

TEST_F(PeakTableDriver, TheSubstancePickerRenamesAPeakAndRewritesTheTable) {
    const fs::path file = writeFile("h1a.hrm", threePeaks());
    writeArchive(file);
    open(file);
    enter();
    ASSERT_FALSE(content.Table[2].Conc);
    EXPECT_TRUE(AssignSubstance(state, content, 3, "toluene"));
    EXPECT_EQ(state.Markup.Peaks[3].Name, "toluene");
    EXPECT_NEAR(*content.Table[2].Conc, content.Table[2].AreaMvs / 100 * 2, 1e-9);
    EXPECT_EQ(results("tabl.txt"), peakTableLines(content.Title, content.Table));
    EXPECT_EQ(readTableRow(results("tabl.txt")[6]).Name, "toluene");

    EXPECT_TRUE(AssignSubstance(state, content, 3, "?"));
    EXPECT_FALSE(content.Table[2].Conc);
    EXPECT_FALSE(AssignSubstance(state, content, 4, "toluene"));
    EXPECT_FALSE(AssignSubstance(state, content, 0, "toluene"));
}

}  // namespace
}  // namespace vk7
