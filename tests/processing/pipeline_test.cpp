#include "processing/pipeline.h"

#include <gtest/gtest.h>

#include "chromfile/markup_store.h"
#include "tests/support/chromatogram_fixture.h"
#include "tests/support/point_generator.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

using test::PointGenerator;

// Three peaks at points 200, 500 and 800 of 1000 (25 samples per second, width 4).
PointGenerator threePeaks() {
    return PointGenerator(1000).gaussian(200, 4000, 8).gaussian(500, 6000, 8).gaussian(800, 3000, 8);
}

class Pipeline : public ::testing::Test {
protected:
    test::TempDir dir;
    ProcessingState state{StartFolder(dir.path())};

    void SetUp() override {
        dir.write("space/grad.grd", "#\r\n");  // an empty calibration archive
        state.ProgramMode = ModeShown;
        state.Settings.AveragingMs = 160;
        state.Settings.DetectThreshold = 5.0;
        state.Chrom.SamplingRate = 25;
        state.Chrom.SamplesPerPoint = 4;
        state.Chrom.Points = threePeaks().points();
    }

    std::vector<int> apexes() const {
        std::vector<int> a;
        for (const Peak& p : state.Markup.Peaks) a.push_back(p.Apex);
        return a;
    }

    void markup(std::initializer_list<std::pair<int, int>> bounds) {
        state.Markup.clear();
        for (auto [s, e] : bounds) {
            Peak p;
            p.Start = s;
            p.End = e;
            p.Name = "benzene";
            state.Markup.Peaks.push_back(p);
        }
    }
};

TEST_F(Pipeline, NothingWithoutAChromatogram) {
    state.ProgramMode = ModeNone;
    markup({{1, 2}});
    ProcessChromatogram(state);
    EXPECT_EQ(state.Markup.Peaks[1].Name, "benzene");
    EXPECT_EQ(state.Markup.Peaks[1].Apex, 0);
}

TEST_F(Pipeline, AutomaticModeDetectsEveryTimeWithTheSameResult) {
    markup({{10, 20}});
    state.ClickMode = 5;
    ProcessChromatogram(state);
    EXPECT_EQ(apexes(), (std::vector<int>{200, 500, 800}));
    EXPECT_EQ(state.ClickMode, 0);
    // Measured: the values are those at the bounds, the names cleared.
    for (const Peak& p : state.Markup.Peaks) {
        EXPECT_EQ(p.StartValue, state.Chrom.Points[p.Start]);
        EXPECT_EQ(p.Name, "?");
    }
    const std::vector<int> first = apexes();
    ProcessChromatogram(state);
    EXPECT_EQ(apexes(), first);
}

TEST_F(Pipeline, StoreModeTakesTheSectionOfTheStore) {
    state.Settings.MarkupMode = MarkupStore;
    PeakMarkup saved;
    for (auto [s, e] : {std::pair{470, 530}, {770, 830}}) {
        Peak p;
        p.Start = s;
        p.Apex = s + 1;
        p.End = e;
        saved.Peaks.push_back(p);
    }
    SaveMarkupToPics(state.Start, state.Chrom, saved);
    ProcessChromatogram(state);
    EXPECT_EQ(apexes(), (std::vector<int>{500, 800}));  // measured, not the stored apexes
    EXPECT_EQ(state.Markup.Peaks[1].Start, 470);

    // While an overlay is drawn the markup in hand is kept.
    markup({{180, 220}});
    state.View.OverlayCount = 1;
    ProcessChromatogram(state);
    EXPECT_EQ(apexes(), (std::vector<int>{200}));
}

TEST_F(Pipeline, WithoutStoredPeaksEveryModeDetects) {
    for (int mode : {MarkupStore, MarkupFile, MarkupCombined}) {
        state.Settings.MarkupMode = mode;
        state.Markup.clear();
        ProcessChromatogram(state);
        EXPECT_EQ(state.Markup.PeakCount(), 3) << "mode " << mode;
    }
    // A section without peak lines counts as none.
    state.Settings.MarkupMode = MarkupStore;
    SaveMarkupToPics(state.Start, state.Chrom, PeakMarkup{});
    ProcessChromatogram(state);
    EXPECT_EQ(state.Markup.PeakCount(), 3);
}

TEST_F(Pipeline, FileModesUseTheMarkupReadFromTheFile) {
    test::ChromatogramFixture f;
    f.samples = threePeaks().samples(4);
    f.triples = {{470, 530, 'B'}, {531, 560, 'E'}, {5000, 5100, 'M'}};
    f.lastWord = 160;
    const fs::path file = f.write(dir / "data" / "h1a.hrm");
    for (int mode : {MarkupFile, MarkupCombined}) {
        ReadRequest req;
        req.AveragingMs = 200;  // mode 2 takes the stored 160 ms instead
        req.MarkupMode = mode;
        ReadResult r = ReadChromatogram(file, req);
        state.Settings.MarkupMode = mode;
        state.Chrom = r.Chrom;
        state.Markup = markupOfRead(r, mode);
        ProcessChromatogram(state);
        ASSERT_EQ(state.Markup.PeakCount(), 2) << "mode " << mode;
        EXPECT_EQ(state.Markup.Peaks[1].Type, 'B');
        EXPECT_EQ(state.Markup.Peaks[2].Type, 'E');
        EXPECT_EQ(state.Markup.Peaks[1].End, 530);
        if (mode == MarkupFile) {
            EXPECT_EQ(state.Markup.Peaks[1].Apex, 500);
        }
    }
}

TEST_F(Pipeline, NamesStayInThePeakTableAndDuringAClickAction) {
    state.Settings.MarkupMode = MarkupFile;
    struct Case { int programMode, clickMode; const char* name; };
    for (Case c : {Case{ModeShown, 0, "?"}, {ModeMarkupEdit, 0, "?"}, {ModeMarkupEdit, 3, "benzene"},
                   {ModePeakTable, 0, "benzene"}}) {
        markup({{480, 520}});
        state.ProgramMode = c.programMode;
        state.ClickMode = c.clickMode;
        ProcessChromatogram(state);
        EXPECT_EQ(state.Markup.Peaks[1].Name, c.name) << c.programMode << " " << c.clickMode;
        EXPECT_EQ(state.Markup.Peaks[1].Apex, 500);
        EXPECT_EQ(state.ClickMode, 0);
    }
}

}  // namespace
}  // namespace vk7
