// Subtraction of a second chromatogram and the inversion of the signal.
#include <gtest/gtest.h>

#include "common/cp1251.h"
#include "common/files.h"
#include "processing/open_chromatogram.h"
#include "processing/second_chromatogram.h"
#include "tests/support/chromatogram_fixture.h"
#include "tests/support/point_generator.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

namespace fs = std::filesystem;
using test::PointGenerator;

class Subtraction : public ::testing::Test {
protected:
    fs::path write(const std::string& name, const PointGenerator& g, const std::string& comment = "",
                   std::vector<StoredPeak> triples = {}, int16_t rateCode = 25) {
        test::ChromatogramFixture f;
        f.header[hw::Rate] = rateCode;
        f.samples = g.samples(5);
        f.comment = comment;
        f.triples = std::move(triples);
        f.lastWord = 200;
        return f.write(dir / "data" / name);
    }
    void open(const fs::path& file) {
        state.Settings.AveragingMs = 200;  // 5 samples a point at 25 a second
        ReadResult r = readChromatogramFor(state, file);
        commitChromatogram(state, splitChosenFile(file), std::move(r));
    }
    static PointGenerator f1() { return PointGenerator(3000, 0).gaussian(600, 6000, 15).gaussian(1500, 9000, 20).gaussian(2400, 4000, 25); }

    test::TempDir dir;
    ProcessingState state{StartFolder(dir.path())};
};

TEST_F(Subtraction, ItselfGivesZero) {
    const fs::path a = write("h1a.hrm", PointGenerator(3000, 500).gaussian(1500, 9000, 20));
    open(a);
    EXPECT_EQ(SubtractChromatogramFile(state, a), "");
    for (int16_t v : state.Chrom.Points) ASSERT_EQ(v, 0);
}

TEST_F(Subtraction, OnlyTheSamplesOfTheSecondFileAreSubtracted) {
    const fs::path a = write("h1a.hrm", f1());
    const fs::path b = write("h2a.hrm", PointGenerator(3000, 0).gaussian(1500, 9000, 20));
    open(a);
    const NumberedArray<int16_t> before = state.Chrom.Points;
    EXPECT_EQ(SubtractChromatogramFile(state, b), "");
    EXPECT_NEAR(state.Chrom.Points[600], 6000, 1);
    EXPECT_NEAR(state.Chrom.Points[1500], 0, 1);
    EXPECT_NEAR(state.Chrom.Points[2400], 4000, 1);
    EXPECT_EQ(state.Settings.FileName, "h1a.hrm");

    // A shorter file with a comment and stored peaks: the points after its samples stay.
    open(a);
    std::string comment;
    for (int i = 0; i < 50; ++i) comment += RU("я");
    const fs::path c = write("h3a.hrm", PointGenerator(2000, 0), comment, {{10, 20, 'M'}, {30, 40, 'M'}, {50, 60, 'M'}});
    const std::string cBytes = readFileBytes(c);
    EXPECT_EQ(SubtractChromatogramFile(state, c), "");
    for (int n = 2001; n <= 2012; ++n) EXPECT_EQ(state.Chrom.Points[n], before[n]) << n;
    EXPECT_EQ(readFileBytes(c), cBytes);
}

TEST_F(Subtraction, AnotherRateIsRefusedAndDifferencesSaturate) {
    const fs::path a = write("h1a.hrm", PointGenerator(1000, 0).set(10, -30000));
    open(a);
    const NumberedArray<int16_t> before = state.Chrom.Points;
    const fs::path other = write("h2a.hrm", PointGenerator(1000, 0), "", {}, 16);
    EXPECT_EQ(SubtractChromatogramFile(state, other), RU("Вычитание невозможно: у файла h2a.hrm другая частота точек"));
    EXPECT_TRUE(state.Chrom.Points == before);

    const fs::path high = write("h3a.hrm", PointGenerator(1000, 0).set(10, 30000));
    EXPECT_EQ(SubtractChromatogramFile(state, high), "");
    EXPECT_EQ(state.Chrom.Points[10], -32768);
    EXPECT_EQ(subtractionCaption("h1a.hrm", "h2a.hrm"), "h1a.hrm-h2a.hrm");
}

TEST_F(Subtraction, NothingOutsideModeOne) {
    const fs::path a = write("h1a.hrm", f1());
    open(a);
    state.ProgramMode = ModeMarkupEdit;
    const NumberedArray<int16_t> before = state.Chrom.Points;
    EXPECT_EQ(SubtractChromatogramFile(state, a), "");
    InvertSignal(state);
    EXPECT_TRUE(state.Chrom.Points == before);
}

TEST(Inversion, TwiceRestoresExceptTheLowestValue) {
    ProcessingState s{StartFolder("/nonexistent")};
    s.ProgramMode = ModeShown;
    s.View.OverlayCount = 2;
    s.Chrom.Points = PointGenerator(5, 0).set(1, 100).set(2, -32768).set(3, 32767).points();
    InvertSignal(s);
    EXPECT_EQ(s.View.OverlayCount, 0);
    EXPECT_EQ(s.Chrom.Points[1], -100);
    EXPECT_EQ(s.Chrom.Points[2], 32767);
    EXPECT_EQ(s.Chrom.Points[3], -32767);
    InvertSignal(s);
    EXPECT_EQ(s.Chrom.Points[1], 100);
    EXPECT_EQ(s.Chrom.Points[2], -32767);
}

}  // namespace
}  // namespace vk7
