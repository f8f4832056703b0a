// Identification by retention time: matching tables, stt.dat and grad.dat, the naming rules
// of both variants, their messages and the overload flags.
#include "processing/identification.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "chromfile/chromatogram_key.h"
#include "common/cp1251.h"
#include "common/errors.h"
#include "common/files.h"
#include "common/number_text.h"
#include "processing/calibration_archive.h"
#include "processing/pipeline.h"
#include "tests/support/point_generator.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

// A 67-character key: detector, sm entry and the columns 49-67 that never take part in a match.
std::string key(int detect, int sm, double r = 1.0, int unit = 0) {
    std::string k = "#" + intText(detect, 2) + intText(1, 2) + intText(1, 3) + intText(1, 4);
    for (int i = 0; i < 6; ++i) k += intText(10 * i, 4);
    k += "   0   0" + intText(sm, 4) + expText(r, 10) + " 4" + intText(unit, 2) + intText(1, 5);
    return k;
}

std::string line(double t, double s, double c, const std::string& name, bool off = false) {
    return formatCalibrationLine({t, s, c, name, off});
}

std::string crlf(const std::vector<std::string>& lines) { return joinLinesCrLf(lines); }

Peak peakAt(int apex, int16_t height = 1000) {
    Peak p;
    p.Start = apex - 5;
    p.End = apex + 5;
    p.Apex = apex;
    p.Height = height;
    return p;
}

// A start folder with a four-table archive; the open chromatogram times a point as one second
// (rate 10 samples per second, 10 samples per point) and has four peaks at 60, 95, 130, 200 s.
class Identification : public ::testing::Test {
protected:
    void SetUp() override {
        dir.write("space/grad.grd", archive);
        state.Chrom.SamplingRate = 10;
        state.Chrom.SamplesPerPoint = 10;
        state.Settings.CalibrationArchiveName = "grad";
        state.Settings.TimeTolerancePct = 3;
        state.Settings.DataDir = "/data/";
        state.Settings.FileName = "h1a.hrm";
        state.ProgramMode = ModeShown;
        for (int apex : {60, 95, 130, 200}) state.Markup.Peaks.push_back(peakAt(apex));
    }

    std::vector<std::string> names() const {
        std::vector<std::string> n;
        for (const Peak& p : state.Markup.Peaks) n.push_back(p.Name);
        return n;
    }
    std::string gradBytes() const { return readFileBytes(dir / "space/grad.dat"); }
    std::vector<std::string> identify(std::string_view k) { return IdentifyPeaks(state, k); }

    test::TempDir dir;
    ProcessingState state{StartFolder(dir.path())};

    // Table 1 (detector 1, sm 1): a switched-off line between two others.
    const std::vector<std::string> t1 = {key(1, 1), line(61, 10, 1, "A"), line(94, 20, 2, "Boff", true),
                                         line(96, 30, 3, "B")};
    // Table 2: other conditions.
    const std::vector<std::string> t2 = {key(2, 1), line(60, 1, 1, "Other")};
    // Table 3: a header cut short (never matches) with a line that would match peak 1.
    const std::vector<std::string> t3 = {key(1, 1).substr(0, 40), line(60, 1, 1, "Short")};
    // Table 4: the same conditions as table 1 with another R; its lines follow those of table 1.
    const std::vector<std::string> t4 = {key(1, 1, 5.0), line(131, 40, 4, "C")};
    const std::string archive = crlf(t1) + crlf(t2) + crlf(t3) + crlf(t4) + "#\r\n" + crlf({key(3, 1), line(200, 1, 1, "After")});
};

TEST_F(Identification, OneMatchingConditionWritesSttAndTheMatchingLinesInFileOrder) {
    const std::string k = key(1, 1, 2.0, 3);  // columns 49-67 differ from both headers
    EXPECT_TRUE(identify(k).empty());
    EXPECT_EQ(readFileBytes(dir / "space/stt.dat"), k + "\r\n");
    // Tables 1 and 4 match; the switched-off line is left out; each line is the component line
    // with S in the 23-character form, byte for byte.
    const std::string expected =
        "   61 1.00000000000000E+0001 1.00000000E+0000 1  0.00A\r\n"
        "   96 3.00000000000000E+0001 3.00000000E+0000 1  0.00B\r\n"
        "  131 4.00000000000000E+0001 4.00000000E+0000 1  0.00C\r\n";
    EXPECT_EQ(gradBytes(), expected);
    EXPECT_EQ(names(), (std::vector<std::string>{"A", "B", "C", "?"}));
}

TEST_F(Identification, UnchangedFilesAreNotRewrittenOnTheNextRun) {
    auto inode = [&](const char* name) {
        struct stat st {};
        EXPECT_EQ(::stat((dir / name).c_str(), &st), 0);
        return st.st_ino;
    };
    identify(key(1, 1));
    const ino_t stt = inode("space/stt.dat"), grad = inode("space/grad.dat");
    identify(key(1, 1));  // a zoom: the same key and archive
    EXPECT_EQ(inode("space/stt.dat"), stt);
    EXPECT_EQ(inode("space/grad.dat"), grad);
    identify(key(2, 1));  // another chromatogram: both replaced
    EXPECT_NE(inode("space/stt.dat"), stt);
    EXPECT_NE(inode("space/grad.dat"), grad);
}

TEST_F(Identification, NoMatchLeavesGradEmptyAndEveryPeakUnnamed) {
    dir.write("space/grad.dat", "stale line of the previous chromatogram\r\n");
    identify(key(9, 9));
    EXPECT_EQ(readFileBytes(dir / "space/stt.dat"), key(9, 9) + "\r\n");
    EXPECT_EQ(gradBytes(), "");
    EXPECT_EQ(names(), (std::vector<std::string>{"?", "?", "?", "?"}));
}

TEST_F(Identification, TablesAfterTheEndLineAndShortHeadersNeverMatch) {
    // key(3, 1) heads a table after the closing "#"; the cut header of table 3 is its own
    // first 40 characters, so nothing shorter than 48 can match.
    identify(key(3, 1));
    EXPECT_EQ(gradBytes(), "");
    auto m = MatchCalibrationTables(archive, key(1, 1));
    ASSERT_EQ(m.Candidates.size(), 3u);
    for (const auto& c : m.Candidates) EXPECT_NE(c.Name, "Short");
}

TEST_F(Identification, MissingArchiveIsToldOnceAndEmptiesGrad) {
    dir.write("space/grad.dat", "stale\r\n");
    state.Settings.CalibrationArchiveName = "missing";
    EXPECT_EQ(identify(key(1, 1)), std::vector<std::string>{MissingArchiveText("missing")});
    EXPECT_EQ(readFileBytes(dir / "space/stt.dat"), key(1, 1) + "\r\n");
    EXPECT_EQ(gradBytes(), "");
    EXPECT_EQ(names(), (std::vector<std::string>{"?", "?", "?", "?"}));
    // A zoom reruns the pipeline: nothing is said again.
    EXPECT_TRUE(identify(key(1, 1)).empty());
}

TEST_F(Identification, NamesStayInThePeakTableMode) {
    state.ProgramMode = ModePeakTable;
    state.Markup.Peaks[4].Name = RU("Гексан");  // typed in the peak table
    identify(key(1, 1));
    EXPECT_EQ(names(), (std::vector<std::string>{"A", "B", "C", RU("Гексан")}));
}

TEST(IdentificationMatching, LinesWithoutANameAreNeitherCandidatesNorPoints) {
    const std::string a = crlf({key(1, 1), "", line(60, 1, 1, "X").substr(0, 47), line(70, 1, 1, "Y"), "#"});
    auto m = MatchCalibrationTables(a, key(1, 1));
    ASSERT_EQ(m.Candidates.size(), 1u);
    EXPECT_EQ(m.Candidates[0].Name, "Y");
    EXPECT_EQ(m.PointLines.size(), 1u);
}

TEST(IdentificationMatching, EveryLineOfALongTableIsACandidateAndAPoint) {
    std::vector<std::string> lines{key(1, 1)};
    for (int n = 1; n <= 85; ++n) lines.push_back(line(10 * n, n, n, "S" + std::to_string(n)));
    lines.push_back("#");
    auto m = MatchCalibrationTables(crlf(lines), key(1, 1));
    ASSERT_EQ(m.Candidates.size(), 85u);
    EXPECT_EQ(m.PointLines.size(), 85u);
    EXPECT_EQ(m.Candidates[40].Name, "S41");  // a line the 80-slot wrap would have dropped

    // Line 50 at 500 s names a peak there.
    PeakMarkup markup;
    markup.Peaks.push_back(peakAt(500));
    IdentifyAbsolute(markup, m.Candidates, 10, 10, 1);
    EXPECT_EQ(markup.Peaks[1].Name, "S50");
}

TEST(IdentificationMatching, NamesAreCutTo32Characters) {
    const std::string longName(40, 'n');
    auto m = MatchCalibrationTables(crlf({key(1, 1), line(60, 1, 1, longName), "#"}), key(1, 1));
    ASSERT_EQ(m.Candidates.size(), 1u);
    EXPECT_EQ(m.Candidates[0].Name, std::string(32, 'n'));
    EXPECT_EQ(m.PointLines[0].substr(53), longName);  // the point line keeps the whole line
}

TEST(IdentificationInThePipeline, DetectedPeaksGetTheirNames) {
    test::TempDir dir;
    ProcessingState state{StartFolder(dir.path())};
    state.ProgramMode = ModeShown;
    state.Settings.AveragingMs = 160;
    state.Settings.DetectThreshold = 5.0;
    state.Settings.CalibrationArchiveName = "gas";
    state.Chrom.SamplingRate = 25;
    state.Chrom.SamplesPerPoint = 4;  // apexes at 200, 500, 800 points: 32, 80, 128 s
    state.Chrom.Points =
        test::PointGenerator(1000).gaussian(200, 4000, 8).gaussian(500, 33000, 8).gaussian(800, 3000, 8).points();
    const std::string k = BuildChromatogramKey(state.Chrom);
    dir.write("space/gas.grd", crlf({k, line(32, 1, 1, RU("Метан")), line(81, 1, 1, RU("Этан")),
                                     line(129, 1, 1, RU("Пропан")), "#"}));
    for (int run = 0; run < 2; ++run) {  // open, then a zoom
        EXPECT_TRUE(ProcessChromatogram(state).Notices.empty());
        ASSERT_EQ(state.Markup.PeakCount(), 3);
        EXPECT_EQ(state.Markup.Peaks[1].Name, RU("Метан"));
        EXPECT_EQ(state.Markup.Peaks[2].Name, RU("Этан"));
        EXPECT_EQ(state.Markup.Peaks[3].Name, RU("Пропан"));
        EXPECT_TRUE(state.Markup.Peaks[2].Overload);  // its apex is clipped at 32767
        EXPECT_FALSE(state.Markup.Peaks[1].Overload);
    }
    EXPECT_EQ(readFileBytes(dir / "space/stt.dat"), k + "\r\n");
}

// ---- the naming rules ----

struct NamingCase {
    const char* what;
    std::vector<int> apexes;
    std::vector<CalibrationCandidate> candidates;
    double tolerancePct;
    std::vector<std::string> expected;
};

TEST(IdentifyAbsolute, Rules) {
    const NamingCase cases[] = {
        {"nearest within the window", {100}, {{98, "far"}, {101, "near"}, {104, "outside"}}, 3, {"near"}},
        {"window is open at its edge", {100}, {{103, "edge"}}, 3, {"?"}},
        {"a tie goes to the later slot", {100}, {{98, "first"}, {102, "second"}}, 3, {"second"}},
        {"the earlier peak takes the substance", {100, 101}, {{100.5, "X"}}, 3, {"X", "?"}},
        {"the later peak takes another candidate", {100, 101}, {{100.5, "X"}, {103, "Y"}}, 3, {"X", "Y"}},
    };
    for (const auto& c : cases) {
        PeakMarkup m;
        for (int a : c.apexes) m.Peaks.push_back(peakAt(a));
        IdentifyAbsolute(m, c.candidates, 10, 10, c.tolerancePct);
        std::vector<std::string> got;
        for (const Peak& p : m.Peaks) got.push_back(p.Name);
        EXPECT_EQ(got, c.expected) << c.what;
    }
}

TEST(IdentifyAbsolute, TimeUsesRateAndSamplesPerPoint) {
    PeakMarkup m;
    m.Peaks.push_back(peakAt(200));  // 200 points x 4 samples / 8 per second = 100 s
    IdentifyAbsolute(m, {{100, "X"}}, 8, 4, 1);
    EXPECT_EQ(m.Peaks[1].Name, "X");
    IdentifyAbsolute(m, {{100, "Y"}}, 0, 4, 1);  // no rate: nothing is named
    EXPECT_EQ(m.Peaks[1].Name, "X");
}

// ---- relative mode ----

class RelativeIdentification : public Identification {
protected:
    void SetUp() override {
        Identification::SetUp();
        // Reference "R" at 100 s; substances at ratios 0.6, 1.3 and 2.0.
        dir.write("space/rel.grd", crlf({key(1, 1), line(60, 1, 1, "P"), line(100, 1, 1, "R"), line(130, 1, 1, "Q"),
                                         line(200, 1, 1, "Z"), "#"}));
        state.Settings.CalibrationArchiveName = "rel";
        state.Settings.IdentMode = 1;
        state.Settings.ReferenceSubstance = "R";
        state.Settings.ReferencePeakNo = 1;
        // Apexes 50, 65, 100 and 30 points: ratios to peak 1 of 1.0, 1.3, 2.0 and 0.6.
        state.Markup.clear();
        for (int apex : {50, 65, 100, 30}) state.Markup.Peaks.push_back(peakAt(apex));
    }
};

TEST_F(RelativeIdentification, NamesByRatioToTheReferencePeak) {
    EXPECT_TRUE(identify(key(1, 1)).empty());
    EXPECT_EQ(names(), (std::vector<std::string>{"R", "Q", "Z", "P"}));
}

TEST_F(RelativeIdentification, MessagesOncePerFileAndSettings) {
    state.Settings.ReferenceSubstance = "none";
    EXPECT_EQ(identify(key(1, 1)), std::vector<std::string>{NoReferenceSubstanceText()});
    EXPECT_EQ(names(), (std::vector<std::string>{"?", "?", "?", "?"}));
    EXPECT_TRUE(identify(key(1, 1)).empty()) << "a zoom does not repeat it";

    state.Settings.TimeTolerancePct = 4;  // a change of settings
    EXPECT_EQ(identify(key(1, 1)).size(), 1u);
    state.Settings.FileName = "h2a.hrm";  // another chromatogram
    EXPECT_EQ(identify(key(1, 1)).size(), 1u);
    state.IdentificationNoticeKey.clear();  // the same file opened again
    EXPECT_EQ(identify(key(1, 1)).size(), 1u);

    state.Settings.ReferenceSubstance = "R";
    state.Settings.ReferencePeakNo = 5;  // beyond the four peaks
    EXPECT_EQ(identify(key(1, 1)), std::vector<std::string>{BadReferencePeakText()});
    EXPECT_TRUE(identify(key(1, 1)).empty());
    state.Settings.ReferencePeakNo = 0;  // taken like a number beyond the peaks
    EXPECT_EQ(identify(key(1, 1)), std::vector<std::string>{BadReferencePeakText()});

    state.Settings.ReferencePeakNo = 1;  // mended: names again, and a later fault is news
    EXPECT_TRUE(identify(key(1, 1)).empty());
    EXPECT_EQ(names()[0], "R");
    state.Settings.ReferencePeakNo = 0;
    EXPECT_EQ(identify(key(1, 1)).size(), 1u);
}

TEST_F(RelativeIdentification, AReferenceUnderOneSecondIsNotFound) {
    std::string l = line(1, 1, 1, "R");
    l.replace(0, 5, "  0.9");
    dir.write("space/rel.grd", crlf({key(1, 1), l, "#"}));
    EXPECT_EQ(identify(key(1, 1)), std::vector<std::string>{NoReferenceSubstanceText()});
}

TEST_F(RelativeIdentification, WithNoPeaksNothingIsSaid) {
    state.Markup.clear();
    state.Settings.ReferencePeakNo = 3;
    EXPECT_TRUE(identify(key(1, 1)).empty());
    // The files still describe the open chromatogram.
    EXPECT_EQ(readFileBytes(dir / "space/stt.dat"), key(1, 1) + "\r\n");
    EXPECT_NE(gradBytes(), "");
}

// ---- overload ----

TEST_F(Identification, OverloadBeyond32000InMagnitude) {
    const int16_t heights[] = {32000, 32001, -32000, -32001};
    for (int i = 1; i <= 4; ++i) state.Markup.Peaks[i].Height = heights[i - 1];
    state.Markup.Peaks[1].Overload = true;  // left from an earlier chromatogram
    identify(key(1, 1));
    EXPECT_FALSE(state.Markup.Peaks[1].Overload);
    EXPECT_TRUE(state.Markup.Peaks[2].Overload);
    EXPECT_FALSE(state.Markup.Peaks[3].Overload);
    EXPECT_TRUE(state.Markup.Peaks[4].Overload);
}

TEST_F(RelativeIdentification, OverloadIsFlaggedEvenWhenNothingCanBeNamed) {
    state.Settings.ReferenceSubstance = "none";
    state.Markup.Peaks[2].Height = 32500;
    identify(key(1, 1));
    EXPECT_TRUE(state.Markup.Peaks[2].Overload);
}

}  // namespace
}  // namespace vk7
