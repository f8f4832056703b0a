#include "chromfile/chromatogram_file.h"

#include <gtest/gtest.h>

#include "common/cp1251.h"
#include "common/files.h"
#include "tests/support/chromatogram_fixture.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

using test::ChromatogramFixture;

ReadResult readWith(const fs::path& file, int averagingMs, double vk7Rate = 0, int markupMode = 0) {
    ReadRequest req;
    req.AveragingMs = averagingMs;
    req.Vk7Rate = vk7Rate;
    req.MarkupMode = markupMode;
    return ReadChromatogram(file, req);
}

// A ramp makes every point show the file position of its group, so the block arithmetic
// becomes visible in the differences between neighbouring points.
TEST(ReadChromatogram, BlockArithmeticOfTheGroupRule) {
    struct Case { int width; int averagingMs; };  // at 25 samples per second
    for (Case c : {Case{3, 120}, Case{4, 160}, Case{5, 200}}) {
        test::TempDir dir;
        ChromatogramFixture f;
        f.samples = ChromatogramFixture::ramp(6000);
        f.comment = "x";
        f.write(dir / "h1a.hrm");
        ReadResult r = readWith(dir / "h1a.hrm", c.averagingMs);
        ASSERT_EQ(r.Chrom.SamplesPerPoint, c.width);
        const int g = 2048 / c.width;
        const int skipped = 20 / c.width;
        EXPECT_EQ(r.Chrom.PointCount(), groupedPointCount(6000, c.width));
        const auto& p = r.Chrom.Points;
        EXPECT_EQ(p[3], 0);
        // Point 1 also holds the last 20 mod width header words when the width does not divide 20.
        for (int n = 3; n <= p.count(); ++n) {
            // Point n starts at group number n + skipped - 1 (from 0) across blocks.
            const bool crossesBlock = (n + skipped - 1) % g == 0;
            const int expected = crossesBlock ? c.width + 2048 % c.width : c.width;
            ASSERT_EQ(p[n] - p[n - 1], expected) << "width " << c.width << " point " << n;
        }
    }
}

TEST(ReadChromatogram, WidthThreeJumpsFiveWordsAtTheFirstBlockEnd) {
    test::TempDir dir;
    ChromatogramFixture f;
    f.samples = ChromatogramFixture::ramp(3000, 1000);
    f.write(dir / "h1a.hrm");
    ReadResult r = readWith(dir / "h1a.hrm", 120);
    ASSERT_EQ(r.Chrom.SamplesPerPoint, 3);
    EXPECT_EQ(r.Chrom.Points[677] - r.Chrom.Points[676], 5);
    EXPECT_EQ(r.Chrom.Points[676] - r.Chrom.Points[675], 3);
}

TEST(ReadChromatogram, FirstPointAtWidthThreeHoldsHeaderWords) {
    test::TempDir dir;
    ChromatogramFixture f;
    f.header[18] = 0;
    f.header[19] = 1;
    f.samples = std::vector<int16_t>(100, 500);
    f.write(dir / "h1a.hrm");
    ReadResult r = readWith(dir / "h1a.hrm", 120);
    // Words 18, 19 (0 and 1) and the first sample 500: the trimmed mean is 1; point 3 is 500.
    EXPECT_EQ(r.Chrom.Points[1], 1 - 500);
    EXPECT_EQ(r.Chrom.Points[2], 0);
}

TEST(ReadChromatogram, AveragingIsRoundedToWhatTheWidthGives) {
    test::TempDir dir;
    ChromatogramFixture f;
    f.header[0] = 21533;
    f.samples = std::vector<int16_t>(400, 7);
    f.write(dir / "h1a.hrm");
    ReadResult r = readWith(dir / "h1a.hrm", 200);
    EXPECT_DOUBLE_EQ(r.Chrom.SamplingRate, 21.533);
    EXPECT_EQ(r.Chrom.SamplesPerPoint, 4);
    EXPECT_EQ(r.AveragingMs, 186);
    EXPECT_TRUE(r.AveragingChanged);
    // 180 ms at 25 per second is 4.5 samples: halves to even gives 4, and 160 ms.
    ChromatogramFixture g;
    g.samples = std::vector<int16_t>(400, 7);
    g.write(dir / "h2a.hrm");
    EXPECT_EQ(readWith(dir / "h2a.hrm", 180).Chrom.SamplesPerPoint, 4);
    EXPECT_EQ(readWith(dir / "h2a.hrm", 160).AveragingChanged, false);
    EXPECT_EQ(readWith(dir / "h2a.hrm", 10).Chrom.SamplesPerPoint, 3);  // never below 3
}

TEST(RateCode, DecodesAndEncodes) {
    struct Case { int16_t w0; double vk7; double rate; };
    for (Case c : {Case{21, 21.533203125, 21.533203125}, {21, 0, 0}, {12, 0, 12.5}, {6, 0, 6.25}, {3, 0, 3.125},
                   {25, 0, 25}, {21500, 0, 21.5}, {51, 0, 0.051}, {50, 0, 50}, {0, 5, 0}, {-4, 0, -4}}) {
        EXPECT_DOUBLE_EQ(decodeRateCode(c.w0, c.vk7), c.rate) << c.w0;
    }
    struct Enc { double rate; int16_t w0; };
    for (Enc e : {Enc{12.5, 12}, {3.125, 3}, {20, 20}, {25, 25}, {21.5, 21500}, {21.533203125, 21533},
                  {0.051, 51}, {32.767, 32767}, {0.02, 0}, {40, 0}}) {
        EXPECT_EQ(encodeRateCode(e.rate), e.w0) << e.rate;
        if (e.w0 && e.rate != 21.533203125) {
            EXPECT_DOUBLE_EQ(decodeRateCode(e.w0, 0), e.rate);
        }
    }
}

TEST(ReadChromatogram, RateCode21NeedsVk7Dat) {
    test::TempDir dir;
    ChromatogramFixture f;
    f.header[0] = 21;
    f.samples = std::vector<int16_t>(400, 1);
    f.write(dir / "h1a.hrm");
    EXPECT_DOUBLE_EQ(readWith(dir / "h1a.hrm", 200, 21.533203125).Chrom.SamplingRate, 21.533203125);
    EXPECT_THROW(readWith(dir / "h1a.hrm", 200, 0), InvalidChromatogram);
}

TEST(ReadChromatogram, RefusesFilesThatAreNoChromatogram) {
    struct Case { const char* what; ChromatogramFixture f; };
    std::vector<Case> cases;
    auto base = [] {
        ChromatogramFixture f;
        f.samples = std::vector<int16_t>(300, 3);
        return f;
    };
    { Case c{"comment length below 0", base()}; c.f.forcedCommentLength = -1; cases.push_back(c); }
    { Case c{"peak count above 255", base()}; c.f.forcedPeakCount = 256; cases.push_back(c); }
    { Case c{"peak count below 0", base()}; c.f.forcedPeakCount = -3; cases.push_back(c); }
    { Case c{"tail longer than file", base()}; c.f.forcedCommentLength = 400; cases.push_back(c); }
    { Case c{"rate 0", base()}; c.f.header[0] = 0; cases.push_back(c); }
    { Case c{"negative rate", base()}; c.f.header[0] = -7; cases.push_back(c); }
    { Case c{"too few points", base()}; c.f.samples.resize(5); cases.push_back(c); }
    test::TempDir dir;
    for (auto& c : cases) {
        auto file = c.f.write(dir / "h1a.hrm");
        EXPECT_THROW(readWith(file, 200), InvalidChromatogram) << c.what;
        EXPECT_EQ(previewComment(file), "") << c.what;
    }
    dir.write("short.hrm", std::string(40, '\0'));  // 20 words
    EXPECT_THROW(readWith(dir / "short.hrm", 200), InvalidChromatogram);
    dir.write("text.hrm", "This is a text file, not a chromatogram at all.\r\n");
    EXPECT_THROW(readWith(dir / "text.hrm", 200), InvalidChromatogram);
    EXPECT_THROW(readWith(dir / "missing.hrm", 200), std::exception);
    try {
        readWith(dir / "short.hrm", 200);
    } catch (const InvalidChromatogram& e) {
        EXPECT_NE(e.messageText().find("short.hrm"), std::string::npos);
    }
}

TEST(ReadChromatogram, TailNeverBecomesPoints) {
    test::TempDir dir;
    ChromatogramFixture f;
    f.samples = std::vector<int16_t>(1000, 100);
    f.comment = std::string(100, '\xFF');
    f.triples = {{30000, 30001, 'M'}, {2, 5, 'B'}};
    f.lastWord = 32000;
    f.write(dir / "h1a.hrm");
    for (int ms : {120, 160, 200, 360}) {
        ReadResult r = readWith(dir / "h1a.hrm", ms);
        for (int n = 2; n <= r.Chrom.PointCount(); ++n) ASSERT_EQ(r.Chrom.Points[n], 0) << ms << " " << n;
    }
}

TEST(ReadChromatogram, StoredMarkupIsCheckedAndModeTwoTakesItsAveraging) {
    test::TempDir dir;
    ChromatogramFixture f;
    f.samples = std::vector<int16_t>(2000, 0);
    f.triples = {{10, 20, 'B'}, {20, 30, 'E'}, {0, 5, 'M'}, {40, 30, 'M'}, {50, 9999, 'M'}, {60, 70, 'M'}};
    f.lastWord = 240;
    f.write(dir / "h1a.hrm");
    ReadResult r = readWith(dir / "h1a.hrm", 200, 0, 2);
    EXPECT_EQ(r.AveragingMs, 240);
    EXPECT_EQ(r.Chrom.SamplesPerPoint, 6);
    EXPECT_EQ(r.StoredMarkup, (std::vector<StoredPeak>{{10, 20, 'B'}, {20, 30, 'E'}, {60, 70, 'M'}}));
    EXPECT_EQ(readWith(dir / "h1a.hrm", 200, 0, 0).AveragingMs, 200);
}

TEST(ReadChromatogram, LargestFileKeepsAtMost32768Points) {
    test::TempDir dir;
    ChromatogramFixture f;
    f.samples = std::vector<int16_t>(1'000'000, 5);
    f.write(dir / "h1a.hrm");
    ReadResult r = readWith(dir / "h1a.hrm", 120);
    EXPECT_EQ(r.Chrom.SamplesPerPoint, 31);
    EXPECT_EQ(r.AveragingMs, 1240);
    EXPECT_LE(r.Chrom.PointCount(), 32768);
    EXPECT_EQ(r.Chrom.PointCount(), groupedPointCount(1'000'000, 31));
}

TEST(GroupRule, TrimmedMean) {
    struct Case { std::vector<int16_t> g; int16_t want; };
    for (const Case& c : {Case{{5, 5, 5, 5}, 5}, {{1, 9, 4, 6}, 5}, {{-3, -2, -1, -8, 0}, -2}, {{-1, -2, -4}, -2},
                          {{32767, 32767, 32767, -32768}, 32767}, {{7, 1, 7, 1}, 4}}) {
        EXPECT_EQ(trimmedMean(c.g.data(), static_cast<int>(c.g.size())), c.want);
    }
}

TEST(Points, FilterFlattensOnePointPeaksAndDips) {
    NumberedArray<int16_t> p;
    for (int16_t v : {0, 5, 0, 5, 0}) p.push_back(v);
    applyAdditionalFilter(p);
    EXPECT_EQ(std::vector<int16_t>(p.begin(), p.end()), (std::vector<int16_t>{0, 0, 0, 0, 0}));
    NumberedArray<int16_t> q;
    for (int16_t v : {10, 2, 10, 20, 30}) q.push_back(v);
    applyAdditionalFilter(q);
    EXPECT_EQ(std::vector<int16_t>(q.begin(), q.end()), (std::vector<int16_t>{10, 10, 10, 20, 30}));
}

TEST(Points, OffsetClampsToSixteenBits) {
    NumberedArray<int16_t> p;
    for (int16_t v : {-32768, 32767, -20000, 0}) p.push_back(v);
    offsetToPoint3(p);
    EXPECT_EQ(std::vector<int16_t>(p.begin(), p.end()), (std::vector<int16_t>{-12768, 32767, 0, 20000}));
}

class CommentAndMarkup : public ::testing::Test {
protected:
    void SetUp() override {
        f.samples = ChromatogramFixture::ramp(5000, -2000);
        f.comment = RU("Пробы воды, серия 12");
        for (int k = 0; k < 10; ++k) f.triples.push_back({10 + 30 * k, 25 + 30 * k, k % 2 ? 'E' : 'B'});
        f.lastWord = 200;
        file = f.write(dir / "h7b.hrm");
    }
    std::vector<int16_t> samplesOf(const std::vector<int16_t>& w) {
        return std::vector<int16_t>(w.begin() + 20, w.begin() + 20 + 5000);
    }
    test::TempDir dir;
    ChromatogramFixture f;
    fs::path file;
};

TEST_F(CommentAndMarkup, CommentRoundTrip) {
    EXPECT_EQ(readWith(file, 200).Chrom.CommentText, f.comment);
    EXPECT_EQ(previewComment(file), f.comment);
    const std::string long200 = std::string(150, 'a') + std::string(50, '\xE9');
    EXPECT_EQ(SaveComment(file, long200), long200.substr(0, 128));
    auto w = readWords(file);
    EXPECT_EQ(w[14], 128);
    EXPECT_EQ(samplesOf(w), f.samples);
    ReadResult r = readWith(file, 200);
    EXPECT_EQ(r.Chrom.CommentText, long200.substr(0, 128));
    EXPECT_EQ(r.StoredMarkup.size(), 10u);
    EXPECT_EQ(w.back(), 200);
    SaveComment(file, "");
    EXPECT_EQ(readWords(file).size(), size_t(21 + 5000 + 30));
}

TEST_F(CommentAndMarkup, MarkupRewriteKeepsSamplesAndComment) {
    const auto before = readWords(file);
    std::vector<StoredPeak> seven(f.triples.begin(), f.triples.begin() + 7);
    SaveMarkupToChromatogram(file, seven, 186, 2.7);
    const auto after = readWords(file);
    EXPECT_EQ(after.size(), before.size() - 9);
    EXPECT_EQ(after[18], 7);
    EXPECT_EQ(after[19], 2);
    EXPECT_EQ(after.back(), 186);
    EXPECT_EQ(samplesOf(after), f.samples);
    ReadResult r = readWith(file, 200);
    EXPECT_EQ(r.Chrom.CommentText, f.comment);
    EXPECT_EQ(r.StoredMarkup, seven);
    SaveMarkupToChromatogram(file, {}, 200, 0.5);
    const auto none = readWords(file);
    EXPECT_EQ(none[18], 0);
    EXPECT_EQ(none[19], 1);
    EXPECT_EQ(none.size(), size_t(21 + 5000 + f.comment.size()));
    // Nothing but the chromatogram is left in the folder.
    int entries = 0;
    for (auto& e : fs::directory_iterator(dir.path())) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

TEST_F(CommentAndMarkup, RewriteOfABrokenFileChangesNothing) {
    ChromatogramFixture broken = f;
    broken.forcedCommentLength = 9000;
    broken.write(file);
    const std::string bytes = readFileBytes(file);
    EXPECT_THROW(SaveComment(file, "new"), InvalidChromatogram);
    EXPECT_THROW(SaveMarkupToChromatogram(file, {}, 200, 1), InvalidChromatogram);
    EXPECT_EQ(readFileBytes(file), bytes);
}

}  // namespace
}  // namespace vk7
