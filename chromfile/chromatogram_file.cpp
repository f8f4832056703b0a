#include "chromfile/chromatogram_file.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <memory>

#include "common/cp1251.h"
#include "common/errors.h"
#include "common/files.h"
#include "common/number_text.h"
#include "common/paths.h"

namespace vk7 {

InvalidChromatogram::InvalidChromatogram(fs::path file, std::string reason)
    : std::runtime_error("not a chromatogram: " + file.string()), file_(std::move(file)), reason_(std::move(reason)) {}

std::string InvalidChromatogram::messageText() const {
    return RU("Файл ") + textFromPath(file_) + RU(" не является хроматограммой:") + "\n" + reason_;
}

namespace {

// Files of 4 GiB or more hold more words than a 32-bit count; no recording comes near.
constexpr uint64_t kMaxFileBytes = uint64_t(1) << 32;

std::vector<int16_t> readAllWords(const ReadOnlyFile& in) {
    std::vector<int16_t> words(in.size() / 2);
    words.resize(readWordsAt(in, 0, words.data(), words.size()));
    return words;
}

}  // namespace

size_t readWordsAt(const ReadOnlyFile& in, uint64_t at, int16_t* out, size_t count) {
    const size_t words = in.readAt(2 * at, out, 2 * count) / 2;
    if constexpr (std::endian::native == std::endian::big) {
        for (size_t i = 0; i < words; ++i) {
            const auto u = static_cast<uint16_t>(out[i]);
            out[i] = static_cast<int16_t>(static_cast<uint16_t>((u >> 8) | (u << 8)));
        }
    }
    return words;
}

std::vector<int16_t> readWords(const fs::path& file) { return readAllWords(ReadOnlyFile(file)); }

std::string wordsToBytes(std::span<const int16_t> words) {
    std::string bytes(words.size() * 2, '\0');
    for (size_t i = 0; i < words.size(); ++i) {
        const auto u = static_cast<uint16_t>(words[i]);
        bytes[2 * i] = static_cast<char>(u & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(u >> 8);
    }
    return bytes;
}

namespace {

// The layout problem of a file of `fileBytes` bytes with comment length c and triple count p,
// or an empty text when it is consistent.
std::string layoutProblem(uint64_t fileBytes, int c, int p) {
    if (fileBytes >= kMaxFileBytes) return RU("файл слишком длинный.");
    const int64_t n = static_cast<int64_t>(fileBytes / 2);
    if (n < 21) return RU("файл слишком короткий.");
    if (c < 0) return RU("в заголовке неверная длина комментария.");
    if (p < 0 || p > kMaxPeaks) return RU("в заголовке неверное число отмеченных пиков.");
    if (21 + int64_t(c) + 3 * int64_t(p) > n) return RU("длина файла не согласуется с заголовком.");
    return {};
}

// The header and the tail (comment, stored triples, last word) of a file, read without its
// samples and checked like ChromatogramWords.
struct HeaderAndTail {
    std::array<int16_t, kHeaderWords> header{};
    int wordCount = 0;
    std::vector<int16_t> tail;

    int commentLength() const { return header[hw::CommentLength]; }
    int storedPeakCount() const { return header[hw::StoredPeaks]; }
    int sampleCount() const { return wordCount - 21 - commentLength() - 3 * storedPeakCount(); }
    int16_t lastWord() const { return tail.back(); }
};

HeaderAndTail readHeaderAndTail(const ReadOnlyFile& in, const fs::path& file) {
    HeaderAndTail f;
    const size_t got = readWordsAt(in, 0, f.header.data(), kHeaderWords);
    const int c = got == kHeaderWords ? f.header[hw::CommentLength] : 0;
    const int p = got == kHeaderWords ? f.header[hw::StoredPeaks] : 0;
    if (std::string problem = layoutProblem(in.size(), c, p); !problem.empty()) throw InvalidChromatogram(file, problem);
    f.wordCount = static_cast<int>(in.size() / 2);
    f.tail.resize(size_t(c) + 3 * size_t(p) + 1);
    const uint64_t tailStart = uint64_t(f.wordCount) - f.tail.size();
    if (readWordsAt(in, tailStart, f.tail.data(), f.tail.size()) != f.tail.size())
        throw IoError("read", pathForMessage(file), "the file became shorter while it was read");
    return f;
}

// The comment from its words: the low bytes of at most 128 of them.
std::string commentFromWords(const int16_t* words, int length) {
    std::string text;
    const int c = std::min<int>(length, static_cast<int>(kMaxCommentChars));
    for (int k = 0; k < c; ++k) text.push_back(static_cast<char>(words[k] & 0xFF));
    return text;
}

}  // namespace

ChromatogramWords readChromatogramWords(const fs::path& file) {
    const ReadOnlyFile in(file);
    if (in.size() >= kMaxFileBytes) throw InvalidChromatogram(file, layoutProblem(in.size(), 0, 0));
    ChromatogramWords f{readAllWords(in)};
    const int c = f.words.size() >= size_t(kHeaderWords) ? f.header(hw::CommentLength) : 0;
    const int p = f.words.size() >= size_t(kHeaderWords) ? f.header(hw::StoredPeaks) : 0;
    if (std::string problem = layoutProblem(2 * f.words.size(), c, p); !problem.empty())
        throw InvalidChromatogram(file, problem);
    return f;
}

void writeChromatogramWords(const fs::path& file, std::span<const int16_t> words) {
    safeRewrite(file, wordsToBytes(words));
}

double decodeRateCode(int16_t w0, double vk7Rate) {
    if (w0 > 50) return w0 / 1000.0;
    switch (w0) {
        case 12: return 12.5;
        case 6: return 6.25;
        case 3: return 3.125;
        case 21: return vk7Rate;
        default: return w0;
    }
}

int16_t encodeRateCode(double rate) {
    for (double standard : {3.125, 4.0, 6.25, 8.0, 12.5, 16.0, 25.0, 32.0, 20.0})
        if (rate == standard) return static_cast<int16_t>(wholePart(rate));
    const int64_t coded = roundHalfEven(rate * 1000.0);
    if (coded < 51 || coded > 32767) return 0;
    return static_cast<int16_t>(coded);
}

int widthForAveraging(double averagingMs, double rate) {
    const int64_t w = roundHalfEven(averagingMs * rate / 1000.0);
    return static_cast<int>(std::clamp<int64_t>(w, 3, 255));
}

int averagingForWidth(int width, double rate) {
    const int64_t t = roundHalfEven(width * 1000.0 / rate);
    return static_cast<int>(std::clamp<int64_t>(t, 0, 65535));
}

int groupedPointCount(int sampleCount, int width) {
    const int groupsPerBlock = kBlockWords / width;
    const int64_t end = kHeaderWords + int64_t(sampleCount);
    const int64_t blocks = end / kBlockWords;
    const int64_t rest = end % kBlockWords;
    const int64_t count = blocks * groupsPerBlock + std::min<int64_t>(groupsPerBlock, rest / width) - kHeaderWords / width;
    return static_cast<int>(std::clamp<int64_t>(count, 0, INT32_MAX));
}

void applyAdditionalFilter(NumberedArray<int16_t>& pts) {
    for (int i = 2; i <= pts.count() - 1; ++i) {
        const int d1 = pts[i] - pts[i - 1];
        const int d2 = pts[i + 1] - pts[i];
        if (d1 >= 0 && d2 < 0) pts[i] = pts[i - 1];
        else if (d1 < 0 && d2 >= 0) pts[i] = pts[i + 1];
    }
}

void offsetToPoint3(NumberedArray<int16_t>& pts) {
    if (pts.count() < 3) return;
    const int zero = pts[3];
    for (auto& v : pts) v = static_cast<int16_t>(std::clamp(v - zero, -32768, 32767));
}

std::string ReadComment(const ChromatogramWords& f) {
    return commentFromWords(f.words.data() + f.commentStart(), f.commentLength());
}

std::string previewComment(const fs::path& file) noexcept {
    try {
        const ReadOnlyFile in(file);
        const HeaderAndTail f = readHeaderAndTail(in, file);
        return commentFromWords(f.tail.data(), f.commentLength());
    } catch (...) {
        return {};
    }
}

ReadResult ReadChromatogram(const fs::path& file, const ReadRequest& req) {
    const ReadOnlyFile in(file);
    const HeaderAndTail f = readHeaderAndTail(in, file);
    const int p = f.storedPeakCount();
    auto header = [&](int w) { return f.header[size_t(w)]; };

    ReadResult r;
    int averagingMs = std::clamp(req.AveragingMs, 0, 65535);
    if (p > 0 && req.MarkupMode == 2) averagingMs = static_cast<uint16_t>(f.lastWord());

    const double rate = decodeRateCode(header(hw::Rate), req.Vk7Rate);
    if (!(rate > 0) || !std::isfinite(rate)) {
        if (header(hw::Rate) == 21)
            throw InvalidChromatogram(file, RU("частота точек берется из строки 7 файла vk7.dat, а ее нет "
                                               "(файл vk7.dat в стартовой папке не найден или не содержит частоты)."));
        throw InvalidChromatogram(file, RU("в заголовке неверный код частоты."));
    }

    OpenChromatogram& c = r.Chrom;
    c.Header = f.header;
    c.SamplingRate = rate;
    c.SampleCount = f.sampleCount();
    c.LastWord = f.lastWord();
    r.ViewEndSec = static_cast<int>(roundHalfEven(c.SampleCount / rate));

    auto lowByte = [&](int w) { return static_cast<int>(static_cast<uint16_t>(header(w)) & 0xFF); };
    c.DetectorIndex = lowByte(hw::Detector);
    c.GasIndex = lowByte(hw::Gas);
    c.ColumnIndex = lowByte(hw::Column);
    c.TemperatureIndex = lowByte(hw::Temperature);
    c.SmIndex = lowByte(hw::Sm);
    c.GainCode = lowByte(hw::Gain);
    c.UnitCode = lowByte(hw::Unit);
    const int fieldWords[7] = {hw::Temperature, hw::Field5, hw::Field15, hw::Field16, hw::Field6, hw::Field7, hw::Field8};
    for (int k = 0; k < 7; ++k) c.PassportFieldTexts[size_t(k)] = intText(header(fieldWords[k]), 4);
    c.PassportR = std::exp(header(hw::LogR) / 1000.0);
    c.SignalMultiplier = header(hw::Multiplier) == 0 ? 1 : header(hw::Multiplier);

    // The width, and the averaging interval it really gives at this rate.
    int width = widthForAveraging(averagingMs, rate);
    const int t = averagingForWidth(width, rate);
    r.AveragingChanged = t != averagingMs;
    averagingMs = t;
    const int64_t wordsAfterHeader = f.wordCount - 21;
    if (roundHalfEven(double(wordsAfterHeader) / width) > kMaxPoints) {
        width = static_cast<int>(std::min<int64_t>(wordsAfterHeader / kMaxPoints + 1, 255));
        averagingMs = averagingForWidth(width, rate);
    }
    c.SamplesPerPoint = width;
    r.AveragingMs = averagingMs;

    const int count = std::min(groupedPointCount(c.SampleCount, width), kMaxPoints);
    if (count < 3) throw InvalidChromatogram(file, RU("в файле слишком мало отсчетов для хроматограммы."));
    c.Points.resize(count);
    averageFileBlocks(in, file, width, count, [&](int n, int16_t mean) { c.Points[n] = mean; });

    for (int k = 0; k < p; ++k) {
        const size_t at = size_t(f.commentLength() + 3 * k);
        // Point numbers are unsigned words (point 32768 is 0x8000).
        StoredPeak s{static_cast<uint16_t>(f.tail[at]), static_cast<uint16_t>(f.tail[at + 1]),
                     static_cast<char>(f.tail[at + 2] & 0xFF)};
        if (s.start >= 1 && s.end <= count && s.start <= s.end) r.StoredMarkup.push_back(s);
    }

    c.CommentText = commentFromWords(f.tail.data(), f.commentLength());
    c.AnalysisDurationSec = static_cast<int>(std::clamp<int64_t>(roundHalfEven(double(width) * count / rate), 0, 65535));
    const std::string tempText = req.TemperatureEntry ? cutText(req.TemperatureEntry(c.TemperatureIndex), 128) : "";
    c.Temperature = ParseTemperatureProgram(tempText, c.AnalysisDurationSec);

    if (req.AdditionalFilter) applyAdditionalFilter(c.Points);
    offsetToPoint3(c.Points);
    return r;
}

std::string SaveComment(const fs::path& file, std::string_view comment) {
    const ChromatogramWords f = readChromatogramWords(file);
    const std::string text = cutText(comment, kMaxCommentChars);
    std::vector<int16_t> out(f.words.begin(), f.words.begin() + f.commentStart());
    for (char ch : text) out.push_back(static_cast<int16_t>(static_cast<uint8_t>(ch)));
    out.insert(out.end(), f.words.begin() + f.markupStart(), f.words.end());
    out[hw::CommentLength] = static_cast<int16_t>(text.size());
    writeChromatogramWords(file, out);
    return text;
}

void SaveMarkupToChromatogram(const fs::path& file, const std::vector<StoredPeak>& peaks, int averagingMs,
                              double verticalZoom) {
    if (peaks.size() > size_t(kMaxPeaks)) throw std::invalid_argument("more than 255 peaks to store");
    const ChromatogramWords f = readChromatogramWords(file);
    std::vector<int16_t> out(f.words.begin(), f.words.begin() + f.markupStart());
    out[hw::StoredPeaks] = static_cast<int16_t>(peaks.size());
    const int64_t zoom = wholePart(verticalZoom);
    out[hw::StoredZoom] = zoom == 0 ? int16_t(1) : clampToInt16(zoom);
    for (const StoredPeak& s : peaks) {
        out.push_back(static_cast<int16_t>(static_cast<uint16_t>(std::clamp(s.start, 0, 65535))));
        out.push_back(static_cast<int16_t>(static_cast<uint16_t>(std::clamp(s.end, 0, 65535))));
        out.push_back(static_cast<int16_t>(static_cast<uint8_t>(s.type)));
    }
    out.push_back(static_cast<int16_t>(static_cast<uint16_t>(std::clamp(averagingMs, 0, 65535))));
    writeChromatogramWords(file, out);
}

}  // namespace vk7
