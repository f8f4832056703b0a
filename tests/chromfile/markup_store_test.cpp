#include "chromfile/markup_store.h"

#include <gtest/gtest.h>

#include "chromfile/chromatogram_key.h"
#include "common/files.h"
#include "common/number_text.h"
#include "tests/support/chromatogram_fixture.h"
#include "tests/support/point_generator.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

using test::PointGenerator;

// An open chromatogram of `count` points at 25 samples per second and width 4 (0.16 s a
// point), with the given detector line number as its conditions.
OpenChromatogram chrom(int detector = 1, int count = 1000, int width = 4) {
    OpenChromatogram c;
    c.SamplingRate = 25;
    c.SamplesPerPoint = width;
    c.DetectorIndex = detector;
    for (auto& t : c.PassportFieldTexts) t = "   0";
    c.Points = PointGenerator(count, 10).gaussian(150, 2048, 10).points();
    return c;
}

Peak peak(int start, int apex, int end, char type = 'M') {
    Peak p;
    p.Start = start;
    p.Apex = apex;
    p.End = end;
    p.Type = type;
    return p;
}

PeakMarkup markupOf(std::initializer_list<Peak> peaks) {
    PeakMarkup m;
    for (const Peak& p : peaks) m.Peaks.push_back(p);
    return m;
}

std::string types(const PeakMarkup& m) {
    std::string t;
    for (const Peak& p : m.Peaks) t += p.Type;
    return t;
}

TEST(MarkupStore, PeakLineColumns) {
    OpenChromatogram c = chrom();
    // Points 100 / 150 / 200 at 0.16 s: 16.00, 24.00 and 32.00 s. The apex is 2048 counts
    // above both ends: 9.765625 mV at F = 1.
    c.Points = PointGenerator(1000).set(150, 2048).points();
    EXPECT_EQ(formatPicsPeakLine(peak(100, 150, 200, 'B'), c), "    1600    2400    3200B    9.766");

    c.UnitCode = 4;
    c.SignalMultiplier = 100;  // 9765625 mV: exponent form
    EXPECT_EQ(formatPicsPeakLine(peak(100, 150, 200), c), "    1600    2400    3200M 9.766E+6");

    c.UnitCode = 2;
    c.SignalMultiplier = 1;
    c.Points = PointGenerator(1000).set(150, -30000).points();  // -14305.1 mV does not fit in fixed form
    EXPECT_EQ(formatPicsPeakLine(peak(100, 150, 200), c), "    1600    2400    3200M-1.431E+4");
    c.Points = PointGenerator(1000).set(150, -3000).points();
    EXPECT_EQ(formatPicsPeakLine(peak(100, 150, 200), c), "    1600    2400    3200M-1430.511");

    // At 0.051 samples per second and 255 samples per point, times beyond 8 columns are
    // written as the largest number they hold and the type stays in column 25.
    c.SamplingRate = 0.051;
    c.SamplesPerPoint = 255;
    const std::string wide = formatPicsPeakLine(peak(1, 200, 32000), c);
    EXPECT_EQ(wide.substr(0, 25), "  5000009999999999999999M");
}

TEST(MarkupStore, SectionIsReadBackAtTheSamePoints) {
    const OpenChromatogram c = chrom();
    const PeakMarkup m = markupOf({peak(100, 150, 200, 'B'), peak(201, 230, 260, 'E'), peak(400, 420, 450)});
    const std::vector<std::string> store = picsSection(c, m);
    ASSERT_EQ(store.size(), 4u);
    EXPECT_EQ(store[0], BuildChromatogramKey(c));
    const PeakMarkup back = parsePicsSection(store, c, MarkupStore);
    ASSERT_EQ(back.PeakCount(), 3);
    for (int k = 1; k <= 3; ++k) {
        EXPECT_EQ(back.Peaks[k].Start, m.Peaks[k].Start);
        EXPECT_EQ(back.Peaks[k].Apex, m.Peaks[k].Apex);
        EXPECT_EQ(back.Peaks[k].End, m.Peaks[k].End);
        EXPECT_EQ(back.Peaks[k].StartValue, c.Points[m.Peaks[k].Start]);
        EXPECT_EQ(back.Peaks[k].EndValue, c.Points[m.Peaks[k].End]);
    }
    EXPECT_EQ(types(back), "BEM");
    // The stored height waits in the area until the areas are computed.
    EXPECT_NEAR(back.Peaks[1].Area, parseLenient(store[1].substr(25)), 1e-9);
    EXPECT_GT(back.Peaks[1].Area, 9.0);
}

TEST(MarkupStore, AnotherAveragingGetsThePeaksAtTheSameTimes) {
    // Saved at width 4 (0.16 s a point), loaded at width 3 (0.12 s a point).
    const OpenChromatogram saved = chrom(1, 1000, 4);
    const PeakMarkup m = markupOf({peak(101, 150, 203), peak(400, 421, 455)});
    const OpenChromatogram later = chrom(1, 1400, 3);
    const PeakMarkup back = parsePicsSection(picsSection(saved, m), later, MarkupStore);
    ASSERT_EQ(back.PeakCount(), 2);
    for (int k = 1; k <= 2; ++k) {
        EXPECT_NEAR(back.Peaks[k].Start * 0.12, m.Peaks[k].Start * 0.16, 0.12);
        EXPECT_NEAR(back.Peaks[k].Apex * 0.12, m.Peaks[k].Apex * 0.16, 0.12);
        EXPECT_NEAR(back.Peaks[k].End * 0.12, m.Peaks[k].End * 0.16, 0.12);
    }
}

TEST(MarkupStore, ReadingTheLinesOfASection) {
    const OpenChromatogram c = chrom(1, 100);  // 100 points: up to 16.00 s
    const std::string key = BuildChromatogramKey(c);
    const std::string otherKey = BuildChromatogramKey(chrom(2));
    struct Case {
        const char* what;
        std::vector<std::string> lines;
        int mode;
        std::vector<std::pair<int, int>> bounds;  // start, end
        std::string types;
    };
    const std::vector<Case> cases = {
        {"no section", {otherKey, "     160     320     480M"}, MarkupStore, {}, ""},
        {"a section without peaks", {key, otherKey, "     160     320     480M"}, MarkupStore, {}, ""},
        {"line of 24 characters is a single peak", {key, "     160     320     480"}, MarkupStore, {{10, 30}}, "M"},
        // (An 'E' outside a group and a group that is never closed become single peaks.)
        {"blank lines are skipped", {key, "", "     160     320     480E", "   ", "     800     900    1000G"},
         MarkupStore, {{10, 30}, {50, 62}}, "MM"},
        {"the next header ends the section", {key, "     160     320     480M", "#", "     800     900    1000M"},
         MarkupStore, {{10, 30}}, "M"},
        {"unknown type code", {key, "     160     320     480x"}, MarkupStore, {{10, 30}}, "M"},
        {"start after apex is not taken", {key, "     400     320     480M", "     800     900    1000M"},
         MarkupStore, {{50, 62}}, "M"},
        {"start before point 1 is not taken", {key, "       0     320     480M", "     800     900    1000M"},
         MarkupStore, {{50, 62}}, "M"},
        {"end beyond the points stops the reading",
         {key, "     160     320     480B", "     480    1600    1700E", "     160     320     480M"}, MarkupFile,
         {{10, 30}}, "M"},
        {"mode 3 brings the end back", {key, "     160     320     480M", "    1500    1590    1700M"},
         MarkupCombined, {{10, 30}, {94, 100}}, "MM"},
        {"mode 3 still needs the apex within the points", {key, "    1500    1700    1800M"}, MarkupCombined, {}, ""},
    };
    for (const Case& c0 : cases) {
        const PeakMarkup m = parsePicsSection(c0.lines, c, c0.mode);
        ASSERT_EQ(m.PeakCount(), int(c0.bounds.size())) << c0.what;
        for (int k = 1; k <= m.PeakCount(); ++k) {
            EXPECT_EQ(m.Peaks[k].Start, c0.bounds[size_t(k - 1)].first) << c0.what;
            EXPECT_EQ(m.Peaks[k].End, c0.bounds[size_t(k - 1)].second) << c0.what;
        }
        EXPECT_EQ(types(m), c0.types) << c0.what;
    }
}

TEST(MarkupStore, LoadingStopsAt255Peaks) {
    const OpenChromatogram c = chrom(1, 2000);
    std::vector<std::string> lines = {BuildChromatogramKey(c)};
    for (int k = 0; k < 300; ++k) lines.push_back(formatPicsPeakLine(peak(1 + 6 * k, 2 + 6 * k, 4 + 6 * k), c));
    EXPECT_EQ(parsePicsSection(lines, c, MarkupStore).PeakCount(), 255);
}

TEST(MarkupStore, ClosingGroups) {
    struct Case { const char* in; const char* out; };
    for (Case c : {Case{"BGE", "BGE"}, {"MBEM", "MBEM"}, {"BG", "BE"}, {"GE", "BE"}, {"E", "M"}, {"B", "M"},
                   {"BM", "MM"}, {"BGBE", "BEBE"}, {"BBE", "MBE"}, {"MEG", "MMM"}, {"GGE", "BGE"}, {"", ""}}) {
        PeakMarkup m;
        for (const char* t = c.in; *t; ++t) m.Peaks.push_back(peak(1, 1, 1, *t));
        CloseGroups(m);
        EXPECT_EQ(types(m), c.out) << c.in;
    }
}

TEST(StoredMarkup, TriplesBecomePeaksOfThePointArray) {
    const NumberedArray<int16_t> pts = PointGenerator(100, 5).gaussian(50, 100, 3).points();
    const std::vector<StoredPeak> stored = {{10, 20, 'B'}, {21, 30, 'G'}, {0, 5, 'M'}, {40, 35, 'M'},
                                            {45, 120, 'M'}, {60, 70, 'M'}};
    // Invalid triples are not taken; in mode 2 the others are.
    PeakMarkup m = markupFromStoredPeaks(stored, pts, MarkupFile);
    ASSERT_EQ(m.PeakCount(), 3);
    EXPECT_EQ(types(m), "BEM");  // the group cut by the dropped triples is closed
    EXPECT_EQ(m.Peaks[1].StartValue, pts[10]);
    EXPECT_EQ(m.Peaks[2].EndValue, pts[30]);
    EXPECT_EQ(m.Peaks[3].Start, 60);
    // Mode 3 applies the point numbers at another averaging: cut at the first end beyond.
    m = markupFromStoredPeaks(stored, pts, MarkupCombined);
    EXPECT_EQ(m.PeakCount(), 2);

    std::vector<StoredPeak> many(300, StoredPeak{1, 2, 'M'});
    EXPECT_EQ(markupFromStoredPeaks(many, pts, MarkupFile).PeakCount(), 255);
}

TEST(MarkupStore, ReplacingASectionKeepsTheOthersAsTheyAre) {
    const std::string a = BuildChromatogramKey(chrom(1)), b = BuildChromatogramKey(chrom(2)),
                      c = BuildChromatogramKey(chrom(3));
    // Lines of other sections are copied whole, however long.
    const std::string longLine = "     100     200     300M    1.000" + std::string(200, 'x');
    const std::vector<std::string> store = {"old note", b, "   1   2   3", a, longLine, "", b + " changed R",
                                            "     9     9     9", c, "     1     2     3M"};
    const std::vector<std::string> section = {b + "", "new"};
    EXPECT_EQ(replacePicsSection(store, section),
              (std::vector<std::string>{"old note", b, "new", a, longLine, "", c, "     1     2     3M"}));
}

class MarkupStoreFiles : public ::testing::Test {
protected:
    test::TempDir dir;
    StartFolder start{dir.path()};
};

TEST_F(MarkupStoreFiles, MissingStoreReadsAsEmptyAndIsCreatedOnSave) {
    const OpenChromatogram c = chrom();
    EXPECT_EQ(LoadMarkupFromPics(start, c, MarkupStore).PeakCount(), 0);
    SaveMarkupToPics(start, c, markupOf({peak(100, 150, 200)}));
    EXPECT_TRUE(fs::exists(dir / "space" / "pics"));
    EXPECT_EQ(LoadMarkupFromPics(start, c, MarkupStore).PeakCount(), 1);
}

TEST_F(MarkupStoreFiles, SavingTheSecondOfThreeSectionsLeavesTheOthersByteForByte) {
    const OpenChromatogram c1 = chrom(1), c2 = chrom(2), c3 = chrom(3);
    SaveMarkupToPics(start, c3, markupOf({peak(10, 20, 30)}));
    SaveMarkupToPics(start, c2, markupOf({peak(40, 50, 60)}));
    SaveMarkupToPics(start, c1, markupOf({peak(70, 80, 90), peak(91, 95, 99)}));
    const std::string before = readFileBytes(dir / "space" / "pics");
    const auto lines = splitLines(before);
    ASSERT_EQ(lines.size(), 7u);  // newest first: 1, 2, 3
    const std::string section1 = joinLinesCrLf({lines[0], lines[1], lines[2]});
    const std::string section3 = joinLinesCrLf({lines[5], lines[6]});
    ASSERT_EQ(before, section1 + joinLinesCrLf({lines[3], lines[4]}) + section3);

    OpenChromatogram c2r = c2;
    c2r.PassportR = 3.0;  // the same conditions
    SaveMarkupToPics(start, c2r, markupOf({peak(200, 210, 220, 'B'), peak(221, 230, 240, 'E')}));
    const std::string after = readFileBytes(dir / "space" / "pics");
    EXPECT_EQ(after, joinLinesCrLf(picsSection(c2r, markupOf({peak(200, 210, 220, 'B'), peak(221, 230, 240, 'E')}))) +
                         section1 + section3);
    // Both keys of the conditions read the one section.
    EXPECT_EQ(LoadMarkupFromPics(start, c2, MarkupStore).PeakCount(), 2);
    // No temporary is left behind.
    int files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir / "space")) ++files;
    EXPECT_EQ(files, 1);
}

TEST_F(MarkupStoreFiles, StoreIsFoundWithoutRegardToCase) {
    const OpenChromatogram c = chrom();
    dir.write("SPACE/PICS", BuildChromatogramKey(c) + "\r\n     160     320     480M\r\n");
    EXPECT_EQ(LoadMarkupFromPics(start, c, MarkupStore).PeakCount(), 1);
    SaveMarkupToPics(start, c, markupOf({peak(1, 2, 3), peak(5, 6, 7)}));
    EXPECT_EQ(LoadMarkupFromPics(start, c, MarkupStore).PeakCount(), 2);
    EXPECT_FALSE(fs::exists(dir / "space"));
}

TEST_F(MarkupStoreFiles, SaveMarkupWritesTheFileAndTheStore) {
    test::ChromatogramFixture f;
    f.samples = PointGenerator(400).gaussian(100, 3000, 5).samples(4);
    f.triples = {{1, 2, 'M'}};
    const fs::path file = f.write(dir / "data" / "h1a.hrm");
    ReadRequest req;
    req.AveragingMs = 160;
    const OpenChromatogram c = ReadChromatogram(file, req).Chrom;

    PeakMarkup m = markupOf({peak(80, 100, 120, 'x'), peak(121, 130, 140, 'B'), peak(141, 150, 160, 'E')});
    SaveMarkup(file, start, c, m, 160, 2.5);
    EXPECT_EQ(types(m), "MBE");

    req.MarkupMode = MarkupFile;
    const ReadResult r = ReadChromatogram(file, req);
    EXPECT_EQ(r.StoredMarkup, (std::vector<StoredPeak>{{80, 120, 'M'}, {121, 140, 'B'}, {141, 160, 'E'}}));
    EXPECT_EQ(r.Chrom.LastWord, 160);
    EXPECT_EQ(r.Chrom.Header[hw::StoredZoom], 2);
    const PeakMarkup stored = LoadMarkupFromPics(start, c, MarkupStore);
    ASSERT_EQ(stored.PeakCount(), 3);
    EXPECT_EQ(types(stored), "MBE");
    EXPECT_EQ(stored.Peaks[1].Start, 80);
}

}  // namespace
}  // namespace vk7
