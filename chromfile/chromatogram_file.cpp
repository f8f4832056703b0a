#include "chromfile/chromatogram_file.h"

#include <algorithm>
#include <cmath>

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

std::vector<int16_t> readWords(const fs::path& file) {
    const std::string bytes = readFileBytes(file);
    std::vector<int16_t> words(bytes.size() / 2);
    for (size_t i = 0; i < words.size(); ++i) {
        const auto lo = static_cast<uint8_t>(bytes[2 * i]);
        const auto hi = static_cast<uint8_t>(bytes[2 * i + 1]);
        words[i] = static_cast<int16_t>(static_cast<uint16_t>(lo | (hi << 8)));
    }
    return words;
}

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

// The layout problem of a file's words, or an empty text when it is consistent.
std::string layoutProblem(const std::vector<int16_t>& w) {
    const int64_t n = static_cast<int64_t>(w.size());
    if (n < 21) return RU("файл слишком короткий.");
    const int c = w[hw::CommentLength];
    const int p = w[hw::StoredPeaks];
    if (c < 0) return RU("в заголовке неверная длина комментария.");
    if (p < 0 || p > kMaxPeaks) return RU("в заголовке неверное число отмеченных пиков.");
    if (21 + int64_t(c) + 3 * int64_t(p) > n) return RU("длина файла не согласуется с заголовком.");
    return {};
}

}  // namespace

ChromatogramWords readChromatogramWords(const fs::path& file) {
    ChromatogramWords f{readWords(file)};
    if (std::string problem = layoutProblem(f.words); !problem.empty()) throw InvalidChromatogram(file, problem);
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

int16_t trimmedMean(const int16_t* g, int width) {
    // One pass: the first smallest, the first largest and the sum of all words; the mean
    // of the others is the sum less those two.
    int lo = 0, hi = 0;
    int loValue = g[0], hiValue = g[0];
    int64_t sum = g[0];
    for (int k = 1; k < width; ++k) {
        const int v = g[k];
        sum += v;
        const bool lower = v < loValue;
        lo = lower ? k : lo;
        loValue = lower ? v : loValue;
        const bool higher = v > hiValue;
        hi = higher ? k : hi;
        hiValue = higher ? v : hiValue;
    }
    if (lo == hi) hi = lo + 1;
    sum -= int64_t(g[lo]) + g[hi];
    return clampToInt16(sum / (width - 2));
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
    for (auto& v : pts) v = clampToInt16(int64_t(v) - zero);
}

std::string ReadComment(const ChromatogramWords& f) {
    std::string text;
    const int c = std::min<int>(f.commentLength(), static_cast<int>(kMaxCommentChars));
    for (int k = 0; k < c; ++k) text.push_back(static_cast<char>(f.words[size_t(f.commentStart() + k)] & 0xFF));
    return text;
}

std::string previewComment(const fs::path& file) noexcept {
    try {
        std::vector<int16_t> w = readWords(file);
        if (!layoutProblem(w).empty()) return {};
        return ReadComment(ChromatogramWords{std::move(w)});
    } catch (...) {
        return {};
    }
}

ReadResult ReadChromatogram(const fs::path& file, const ReadRequest& req) {
    const ChromatogramWords f = readChromatogramWords(file);
    const int p = f.storedPeakCount();

    ReadResult r;
    int averagingMs = std::clamp(req.AveragingMs, 0, 65535);
    if (p > 0 && req.MarkupMode == 2) averagingMs = static_cast<uint16_t>(f.lastWord());

    const double rate = decodeRateCode(f.header(hw::Rate), req.Vk7Rate);
    if (!(rate > 0) || !std::isfinite(rate)) {
        if (f.header(hw::Rate) == 21)
            throw InvalidChromatogram(file, RU("частота точек берется из строки 7 файла vk7.dat, а ее нет "
                                               "(файл vk7.dat в стартовой папке не найден или не содержит частоты)."));
        throw InvalidChromatogram(file, RU("в заголовке неверный код частоты."));
    }

    OpenChromatogram& c = r.Chrom;
    std::copy_n(f.words.begin(), kHeaderWords, c.Header.begin());
    c.SamplingRate = rate;
    c.SampleCount = f.sampleCount();
    c.LastWord = f.lastWord();
    r.ViewEndSec = static_cast<int>(roundHalfEven(c.SampleCount / rate));

    auto lowByte = [&](int w) { return static_cast<int>(static_cast<uint16_t>(f.header(w)) & 0xFF); };
    c.DetectorIndex = lowByte(hw::Detector);
    c.GasIndex = lowByte(hw::Gas);
    c.ColumnIndex = lowByte(hw::Column);
    c.TemperatureIndex = lowByte(hw::Temperature);
    c.SmIndex = lowByte(hw::Sm);
    c.GainCode = lowByte(hw::Gain);
    c.UnitCode = lowByte(hw::Unit);
    const int fieldWords[7] = {hw::Temperature, hw::Field5, hw::Field15, hw::Field16, hw::Field6, hw::Field7, hw::Field8};
    for (int k = 0; k < 7; ++k) c.PassportFieldTexts[size_t(k)] = intText(f.header(fieldWords[k]), 4);
    c.PassportR = std::exp(f.header(hw::LogR) / 1000.0);
    c.SignalMultiplier = f.header(hw::Multiplier) == 0 ? 1 : f.header(hw::Multiplier);

    // The width, and the averaging interval it really gives at this rate.
    int width = widthForAveraging(averagingMs, rate);
    const int t = averagingForWidth(width, rate);
    r.AveragingChanged = t != averagingMs;
    averagingMs = t;
    const int64_t wordsAfterHeader = f.wordCount() - 21;
    if (roundHalfEven(double(wordsAfterHeader) / width) > kMaxPoints) {
        width = static_cast<int>(std::min<int64_t>(wordsAfterHeader / kMaxPoints + 1, 255));
        averagingMs = averagingForWidth(width, rate);
    }
    c.SamplesPerPoint = width;
    r.AveragingMs = averagingMs;

    const int count = std::min(groupedPointCount(c.SampleCount, width), kMaxPoints);
    if (count < 3) throw InvalidChromatogram(file, RU("в файле слишком мало отсчетов для хроматограммы."));
    c.Points.resize(count);
    averageAllBlocks(f.words, width, count, [&](int n, int16_t mean) { c.Points[n] = mean; });

    for (int k = 0; k < p; ++k) {
        const size_t at = size_t(f.markupStart() + 3 * k);
        // Point numbers are unsigned words (point 32768 is 0x8000).
        StoredPeak s{static_cast<uint16_t>(f.words[at]), static_cast<uint16_t>(f.words[at + 1]),
                     static_cast<char>(f.words[at + 2] & 0xFF)};
        if (s.start >= 1 && s.end <= count && s.start <= s.end) r.StoredMarkup.push_back(s);
    }

    c.CommentText = ReadComment(f);
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
