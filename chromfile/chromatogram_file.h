// The chromatogram file: little-endian 16-bit words holding a 20-word header, the samples,
// the comment, the stored markup triples and one last word, the tail located from the end.
// Reading turns the samples into the point array; the comment and the stored markup are
// rewritten through a temporary file so that a failure never damages the recording.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/errors.h"
#include "common/files.h"
#include "common/numbered_array.h"
#include "chromfile/temperature_program.h"

namespace vk7 {

namespace fs = std::filesystem;

constexpr int kHeaderWords = 20;
constexpr int kBlockWords = 2048;
constexpr int kMaxPoints = 32768;
constexpr int kMaxPeaks = 255;
constexpr size_t kMaxCommentChars = 128;

// Header word numbers (w0..w19).
namespace hw {
constexpr int Rate = 0, Detector = 1, Gas = 2, Column = 3, Temperature = 4, Field5 = 5, Field6 = 6, Field7 = 7,
              Field8 = 8, LogR = 9, Multiplier = 10, Reserved = 11, Sm = 12, Gain = 13, CommentLength = 14,
              Field15 = 15, Field16 = 16, Unit = 17, StoredPeaks = 18, StoredZoom = 19;
}

// One stored markup triple: point numbers at the averaging of the last word, and the type.
struct StoredPeak {
    int start = 0;
    int end = 0;
    char type = 'M';
    bool operator==(const StoredPeak&) const = default;
};

// A file that does not hold a consistent chromatogram. `reason` is a Russian
// (Windows-1251) sentence for the user.
class InvalidChromatogram : public std::runtime_error {
public:
    InvalidChromatogram(fs::path file, std::string reason);
    const fs::path& file() const { return file_; }
    const std::string& reason() const { return reason_; }
    // "Файл <name> не является хроматограммой:" + reason, for an information box.
    std::string messageText() const;

private:
    fs::path file_;
    std::string reason_;
};

// The words of a file with its sections, checked for consistency (files of 4 GiB or more are
// refused before they are read, so the word count fits an int).
struct ChromatogramWords {
    std::vector<int16_t> words;

    int wordCount() const { return static_cast<int>(words.size()); }
    int16_t header(int w) const { return words[static_cast<size_t>(w)]; }
    int commentLength() const { return header(hw::CommentLength); }
    int storedPeakCount() const { return header(hw::StoredPeaks); }
    int sampleCount() const { return wordCount() - 21 - commentLength() - 3 * storedPeakCount(); }
    int commentStart() const { return kHeaderWords + sampleCount(); }
    int markupStart() const { return commentStart() + commentLength(); }
    int16_t lastWord() const { return words.back(); }
};

// Reads the file's words. Throws IoError. A trailing odd byte is ignored.
std::vector<int16_t> readWords(const fs::path& file);
// The little-endian bytes of the words.
std::string wordsToBytes(std::span<const int16_t> words);

// Reads and checks the layout (under 4 GiB, at least 21 words, 0 <= C, 0 <= P <= 255,
// 21 + C + 3P <= N). Throws IoError or InvalidChromatogram.
ChromatogramWords readChromatogramWords(const fs::path& file);

// Points per second from w0; vk7Rate is the rate of line 7 of vk7.dat (used for w0 = 21).
double decodeRateCode(int16_t w0, double vk7Rate);
// w0 for a rate typed in the passport: the nine standard rates as their whole part, any
// other as rate x 1000 rounded, which must lie in 51..32767; 0 when the rate cannot be coded.
int16_t encodeRateCode(double rate);

// The width rule: samples per point for an averaging interval at a rate (rounded, 3..255).
int widthForAveraging(double averagingMs, double rate);
// The averaging interval that a width gives at a rate (rounded, at most 65535).
int averagingForWidth(int width, double rate);

// Number of points whose group of `width` words ends within the samples.
int groupedPointCount(int sampleCount, int width);

// The trimmed mean of one group: the first smallest and the first largest word dropped (when
// they are the same word, the next word stands for the largest), the rest averaged and
// truncated toward zero. The dropped words hold the smallest and the largest value (when
// they are one word every word is equal, and so is the next), so the sum less those two
// values is exact; it fits 32 bits for widths up to 255 and the mean lies between them.
inline int16_t trimmedMean(const int16_t* group, int width) {
    int k = 1, sum = group[0], lo = group[0], hi = group[0];
#if defined(__SSE2__)
    // Eight words at a time: 16-bit minimum and maximum, sums widened to 32 bits in pairs.
    if (width >= 16) {
        const __m128i ones = _mm_set1_epi16(1);
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(group));
        __m128i vlo = v, vhi = v, vsum = _mm_madd_epi16(v, ones);
        for (k = 8; k + 8 <= width; k += 8) {
            v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(group + k));
            vlo = _mm_min_epi16(vlo, v);
            vhi = _mm_max_epi16(vhi, v);
            vsum = _mm_add_epi32(vsum, _mm_madd_epi16(v, ones));
        }
        vlo = _mm_min_epi16(vlo, _mm_shuffle_epi32(vlo, _MM_SHUFFLE(1, 0, 3, 2)));
        vlo = _mm_min_epi16(vlo, _mm_shuffle_epi32(vlo, _MM_SHUFFLE(2, 3, 0, 1)));
        vlo = _mm_min_epi16(vlo, _mm_srli_epi32(vlo, 16));
        vhi = _mm_max_epi16(vhi, _mm_shuffle_epi32(vhi, _MM_SHUFFLE(1, 0, 3, 2)));
        vhi = _mm_max_epi16(vhi, _mm_shuffle_epi32(vhi, _MM_SHUFFLE(2, 3, 0, 1)));
        vhi = _mm_max_epi16(vhi, _mm_srli_epi32(vhi, 16));
        vsum = _mm_add_epi32(vsum, _mm_shuffle_epi32(vsum, _MM_SHUFFLE(1, 0, 3, 2)));
        vsum = _mm_add_epi32(vsum, _mm_shuffle_epi32(vsum, _MM_SHUFFLE(2, 3, 0, 1)));
        lo = static_cast<int16_t>(_mm_cvtsi128_si32(vlo));
        hi = static_cast<int16_t>(_mm_cvtsi128_si32(vhi));
        sum = _mm_cvtsi128_si32(vsum);
    }
#endif
    for (; k < width; ++k) {
        const int v = group[k];
        sum += v;
        lo = v < lo ? v : lo;
        hi = v > hi ? v : hi;
    }
    return static_cast<int16_t>((sum - lo - hi) / (width - 2));
}

// Where the block averaging stands: blocks done so far, groups per block (2048 div width)
// and the first group of a block that makes a point.
struct BlockReaderState {
    int BlocksDone = 0;
    int GroupsPerBlock = 0;
    int FirstGroup = 1;
};

// The group rule on one block of at most 2048 words: groups of `width` consecutive words
// (the last 2048 mod width words of a block belong to no group), point number
// n = BlocksDone x GroupsPerBlock + g - (20 div width), so that the header is skipped in
// whole groups. Calls consumer(n, mean) for 1 <= n <= lastPoint whose group lies wholly in
// the block; increments BlocksDone. The same operation serves the reader (which stores the
// means) and the subtraction of a second file (which combines them with the open points).
namespace detail {
// Groups `from` to `to` of a block through the trimmed mean, group g giving point
// pointOfGroup0 + g. W > 0 fixes the width at compile time (its division becomes a multiplication).
template <int W, class Consumer>
void meansOfGroups(const int16_t* block, int width, int from, int to, int pointOfGroup0, Consumer& consumer) {
    const int w = W > 0 ? W : width;
    for (int g = from; g <= to; ++g)
        consumer(pointOfGroup0 + g, trimmedMean(block + static_cast<size_t>(g - 1) * static_cast<size_t>(w), w));
}
}  // namespace detail

template <class Consumer>
void AveragePointsBlock(std::span<const int16_t> block, BlockReaderState& state, int width, int lastPoint,
                        Consumer&& consumer) {
    const int pointOfGroup0 = state.BlocksDone * state.GroupsPerBlock - kHeaderWords / width;
    const int from = std::max(state.FirstGroup, 1 - pointOfGroup0);
    const int to = std::min({state.GroupsPerBlock, static_cast<int>(block.size()) / width, lastPoint - pointOfGroup0});
    const int16_t* words = block.data();
    switch (width) {
        case 3: detail::meansOfGroups<3>(words, width, from, to, pointOfGroup0, consumer); break;
        case 4: detail::meansOfGroups<4>(words, width, from, to, pointOfGroup0, consumer); break;
        case 5: detail::meansOfGroups<5>(words, width, from, to, pointOfGroup0, consumer); break;
        case 6: detail::meansOfGroups<6>(words, width, from, to, pointOfGroup0, consumer); break;
        case 7: detail::meansOfGroups<7>(words, width, from, to, pointOfGroup0, consumer); break;
        case 8: detail::meansOfGroups<8>(words, width, from, to, pointOfGroup0, consumer); break;
        default: detail::meansOfGroups<0>(words, width, from, to, pointOfGroup0, consumer); break;
    }
    ++state.BlocksDone;
}

// Every block of words already in memory through AveragePointsBlock, from block 0 (the
// subtraction of a second file averages its samples this way).
template <class Consumer>
void averageAllBlocks(std::span<const int16_t> words, int width, int lastPoint, Consumer&& consumer) {
    BlockReaderState state{0, kBlockWords / width, 1};
    for (size_t at = 0; at < words.size(); at += kBlockWords)
        AveragePointsBlock(words.subspan(at, std::min<size_t>(kBlockWords, words.size() - at)), state, width,
                           lastPoint, consumer);
}

// Reads up to `count` words from word `at`; returns the number of whole words read.
size_t readWordsAt(const ReadOnlyFile& in, uint64_t at, int16_t* out, size_t count);

// Streams a file from word 0 through one buffer of whole 4096-byte blocks, each block averaged
// by AveragePointsBlock as it comes, and stops after the block that makes point `lastPoint`.
// Throws IoError (also when the file is shorter than those blocks).
template <class Consumer>
void averageFileBlocks(const ReadOnlyFile& in, const fs::path& file, int width, int lastPoint, Consumer&& consumer) {
    BlockReaderState state{0, kBlockWords / width, 1};
    const int64_t lastGroup = int64_t(lastPoint) + kHeaderWords / width - 1;  // from 0, across blocks
    const uint64_t endWord =
        std::min<uint64_t>(in.size() / 2, uint64_t(lastGroup / state.GroupsPerBlock + 1) * kBlockWords);
    // Sixteen blocks per read, fewer for a shorter file.
    const size_t kBufferWords = static_cast<size_t>(std::min<uint64_t>(16 * kBlockWords, endWord));
    const std::unique_ptr<int16_t[]> buffer(new int16_t[kBufferWords]);
    for (uint64_t at = 0; at < endWord;) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(kBufferWords, endWord - at));
        if (readWordsAt(in, at, buffer.get(), want) != want)
            throw IoError("read", pathForMessage(file), "the file became shorter while it was read");
        for (size_t b = 0; b < want; b += kBlockWords)
            AveragePointsBlock(std::span<const int16_t>(buffer.get() + b, std::min<size_t>(kBlockWords, want - b)),
                               state, width, lastPoint, consumer);
        at += want;
    }
}

// One-point peaks and dips flattened, in place, each point compared with its already
// filtered predecessor and its successor.
void applyAdditionalFilter(NumberedArray<int16_t>& points);
// Every point minus point 3, clamped to 16 bits.
void offsetToPoint3(NumberedArray<int16_t>& points);

// The open chromatogram: header values, comment, point array and temperature programme.
struct OpenChromatogram {
    std::array<int16_t, kHeaderWords> Header{};  // w0..w19 as read
    double SamplingRate = 0;  // samples per second of the file
    int SamplesPerPoint = 3;  // the width
    int DetectorIndex = 0, GasIndex = 0, ColumnIndex = 0, TemperatureIndex = 0, SmIndex = 0;
    // w4, w5, w15, w16, w6, w7, w8, each right-aligned in 4.
    std::array<std::string, 7> PassportFieldTexts;
    double PassportR = 1;
    int SignalMultiplier = 1;
    int GainCode = 4;
    int UnitCode = 0;
    std::string CommentText;
    int AnalysisDurationSec = 0;
    int SampleCount = 0;
    int16_t LastWord = 0;
    NumberedArray<int16_t> Points;  // the point array, numbered from 1
    TemperatureProgram Temperature;

    int PointCount() const { return Points.count(); }
};

struct ReadRequest {
    int AveragingMs = 200;   // the processing setting
    int MarkupMode = 0;      // 2 takes the averaging stored with the markup
    double Vk7Rate = 0;      // rate for files coded 21 (line 7 of vk7.dat)
    bool AdditionalFilter = false;
    // The temperature dictionary entry for a line number (empty when there is none).
    std::function<std::string(int)> TemperatureEntry;
};

struct ReadResult {
    OpenChromatogram Chrom;
    std::vector<StoredPeak> StoredMarkup;  // the valid stored triples
    int AveragingMs = 0;                   // the averaging interval now in force
    bool AveragingChanged = false;         // the settings no longer match a saved methodology
    int ViewEndSec = 0;                    // samples / rate, rounded
};

// Reads a chromatogram into a new object; the caller commits it only on success. The header
// and the tail are read first, then the samples stream through one buffer of whole 4096-byte
// blocks up to the last point; the whole file is never held.
// Throws IoError or InvalidChromatogram (state of the caller untouched).
ReadResult ReadChromatogram(const fs::path& file, const ReadRequest& request);

// The comment of a checked file: C words from the end of the samples, low bytes, at most
// 128 characters.
std::string ReadComment(const ChromatogramWords& file);

// The comment of any file for the open dialog's preview, from its header and tail only;
// empty for anything that is not a consistent chromatogram. Never throws.
std::string previewComment(const fs::path& file) noexcept;

// Replaces the comment (cut to 128 characters) and w14, keeping samples, markup and last
// word. Returns the comment written.
std::string SaveComment(const fs::path& file, std::string_view comment);

// Replaces the stored markup by `peaks` (at most 255) with `averagingMs` as the last word;
// w18 = count, w19 = whole part of the vertical zoom (1 for 0).
void SaveMarkupToChromatogram(const fs::path& file, const std::vector<StoredPeak>& peaks, int averagingMs,
                              double verticalZoom);

// Writes words through the safe rewrite.
void writeChromatogramWords(const fs::path& file, std::span<const int16_t> words);

}  // namespace vk7
