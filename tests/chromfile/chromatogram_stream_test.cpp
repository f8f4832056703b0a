// The streaming reader against the whole-file reading it replaced, kept here as the reference:
// the whole file as words, the trimmed mean through the indexes of the first smallest and
// largest word, every block of the file averaged.
#include <gtest/gtest.h>

#include <random>

#include "chromfile/chromatogram_file.h"
#include "common/cp1251.h"
#include "common/files.h"
#include "tests/support/chromatogram_fixture.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

using test::ChromatogramFixture;

int16_t referenceTrimmedMean(const int16_t* g, int width) {
    int lo = 0, hi = 0;
    for (int k = 1; k < width; ++k) {
        if (g[k] < g[lo]) lo = k;
        if (g[k] > g[hi]) hi = k;
    }
    if (lo == hi) hi = lo + 1;
    int64_t sum = 0;
    for (int k = 0; k < width; ++k)
        if (k != lo && k != hi) sum += g[k];
    return static_cast<int16_t>(std::clamp<int64_t>(sum / (width - 2), -32768, 32767));
}

struct Reference {
    std::vector<int16_t> points;  // from 1, before the offset to point 3
    std::string comment;
    std::vector<StoredPeak> markup;
    int sampleCount = 0;
};

// The former reader: every word in memory, each block of 2048 averaged by the group rule.
Reference referenceRead(const fs::path& file, int width) {
    const ChromatogramWords f = readChromatogramWords(file);
    Reference r;
    r.sampleCount = f.sampleCount();
    const int count = std::min(groupedPointCount(f.sampleCount(), width), kMaxPoints);
    r.points.assign(size_t(count), 0);
    const int groups = kBlockWords / width;
    for (size_t at = 0, block = 0; at < f.words.size(); at += kBlockWords, ++block) {
        const size_t size = std::min<size_t>(kBlockWords, f.words.size() - at);
        for (int g = 1; g <= groups && size_t(g * width) <= size; ++g) {
            const int n = int(block) * groups + g - kHeaderWords / width;
            if (n >= 1 && n <= count)
                r.points[size_t(n - 1)] = referenceTrimmedMean(f.words.data() + at + size_t((g - 1) * width), width);
        }
    }
    r.comment = ReadComment(f);
    for (int k = 0; k < f.storedPeakCount(); ++k) {
        const size_t at = size_t(f.markupStart() + 3 * k);
        StoredPeak s{static_cast<uint16_t>(f.words[at]), static_cast<uint16_t>(f.words[at + 1]),
                     static_cast<char>(f.words[at + 2] & 0xFF)};
        if (s.start >= 1 && s.end <= count && s.start <= s.end) r.markup.push_back(s);
    }
    return r;
}

// Samples over the whole 16-bit range with runs of equal words, so that ties, extremes and
// all-equal groups occur in every width.
std::vector<int16_t> noisySamples(int count, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> any(-32768, 32767), small(-3, 3), kind(0, 9);
    std::vector<int16_t> s(size_t(std::max(count, 0)));
    int16_t run = 0;
    for (auto& v : s) {
        const int k = kind(rng);
        if (k < 2) run = static_cast<int16_t>(any(rng));
        v = k < 5 ? run : k < 8 ? static_cast<int16_t>(small(rng)) : static_cast<int16_t>(any(rng));
    }
    return s;
}

void expectSameAsReference(const fs::path& file, int width, const std::string& what) {
    ReadRequest req;
    req.AveragingMs = width * 40;  // at 25 samples per second: exactly `width`
    try {
        const ReadResult r = ReadChromatogram(file, req);
        ASSERT_EQ(r.Chrom.SamplesPerPoint, width) << what;
        Reference ref = referenceRead(file, width);
        NumberedArray<int16_t> expected;
        expected.resize(int(ref.points.size()));
        for (size_t i = 0; i < ref.points.size(); ++i) expected[int(i) + 1] = ref.points[i];
        offsetToPoint3(expected);
        ASSERT_EQ(r.Chrom.PointCount(), expected.count()) << what;
        for (int n = 1; n <= expected.count(); ++n) ASSERT_EQ(r.Chrom.Points[n], expected[n]) << what << " point " << n;
        EXPECT_EQ(r.Chrom.CommentText, ref.comment) << what;
        EXPECT_EQ(previewComment(file), ref.comment) << what;
        EXPECT_EQ(r.StoredMarkup, ref.markup) << what;
        EXPECT_EQ(r.Chrom.SampleCount, ref.sampleCount) << what;
    } catch (const InvalidChromatogram& e) {
        // The former reader refused the same files for the same reason (or had too few points).
        std::string refReason;
        try {
            Reference ref = referenceRead(file, width);
            if (ref.points.size() < 3) refReason = RU("в файле слишком мало отсчетов для хроматограммы.");
        } catch (const InvalidChromatogram& re) {
            refReason = re.reason();
        }
        EXPECT_EQ(e.reason(), refReason) << what;
        EXPECT_EQ(previewComment(file), "") << what;
    }
}

TEST(StreamingReader, AgreesWithTheWholeFileReadingAcrossBlockBoundaries) {
    test::TempDir dir;
    unsigned seed = 1;
    for (int words : {2047, 2048, 2049, 4096, 4097, 3 * 2048 + 1, 40 * 2048 + 7}) {
        for (int width : {3, 4, 7, 32, 255}) {
            ChromatogramFixture f;
            f.comment = "abc\xC0\xFF";
            f.triples = {{1, 3, 'M'}, {4, 9, 'B'}};
            f.lastWord = 200;
            f.samples = noisySamples(words - 20 - 5 - 6 - 1, ++seed);
            const fs::path file = f.write(dir / "h1a.hrm");
            ASSERT_EQ(fs::file_size(file), size_t(2 * words));
            expectSameAsReference(file, width, std::to_string(words) + " words, width " + std::to_string(width));
        }
    }
}

TEST(StreamingReader, TailAcrossABlockBoundaryAndTruncatedTails) {
    test::TempDir dir;
    ChromatogramFixture f;
    f.samples = noisySamples(2000, 5);
    f.comment = std::string(60, 'z');  // comment from word 2020 to 2079, across the first block's end
    f.triples = {{2, 40, 'G'}};
    f.lastWord = 160;
    const std::string whole = wordsToBytes(f.words());
    for (size_t cut : {0, 1, 2, 3, 8, 130, 140}) {
        dir.write("h1a.hrm", whole.substr(0, whole.size() - cut));
        for (int width : {3, 4, 32}) expectSameAsReference(dir / "h1a.hrm", width, "cut " + std::to_string(cut));
    }
    // Shorter than the header and the tail together: refused, as before.
    dir.write("h1a.hrm", whole.substr(0, 2 * 70));
    EXPECT_THROW(ReadChromatogram(dir / "h1a.hrm", ReadRequest{}), InvalidChromatogram);
}

TEST(StreamingReader, FilesOf4GiBOrMoreAreRefusedUnread) {
    test::TempDir dir;
    ChromatogramFixture f;
    f.samples = std::vector<int16_t>(100, 5);
    const fs::path file = f.write(dir / "h1a.hrm");
    fs::resize_file(file, uint64_t(1) << 32);  // sparse: no disk space is used
    try {
        ReadChromatogram(file, ReadRequest{});
        FAIL() << "a 4 GiB file was read";
    } catch (const InvalidChromatogram& e) {
        EXPECT_EQ(e.reason(), RU("файл слишком длинный."));
    }
    EXPECT_THROW(readChromatogramWords(file), InvalidChromatogram);
    EXPECT_EQ(previewComment(file), "");
}

}  // namespace
}  // namespace vk7
