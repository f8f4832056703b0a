#include "chromfile/markup_store.h"

#include <algorithm>
#include <cmath>

#include "chromfile/chromatogram_key.h"
#include "chromfile/signal_scale.h"
#include "common/files.h"
#include "common/number_text.h"

namespace vk7 {

namespace {

bool isGroupCode(char t) { return t == 'B' || t == 'G' || t == 'E'; }
char normalisedType(char t) { return isGroupCode(t) ? t : 'M'; }

bool isHeaderLine(const std::string& line) { return !line.empty() && line[0] == '#'; }

// Columns `from`..`to` (1-based) of a line, as far as it goes.
std::string_view columns(const std::string& line, size_t from, size_t to) {
    if (line.size() < from) return {};
    return std::string_view(line).substr(from - 1, to - from + 1);
}

int16_t pointAt(const NumberedArray<int16_t>& points, int n) { return points.valid(n) ? points[n] : int16_t(0); }

}  // namespace

int64_t pointToHundredths(int64_t point, int samplesPerPoint, double rate) {
    return roundHalfEven(double(point) * samplesPerPoint * 100.0 / rate);
}

int64_t hundredthsToPoint(double hundredths, int samplesPerPoint, double rate) {
    return roundHalfEven(hundredths / 100.0 / samplesPerPoint * rate);
}

void normaliseTypeCodes(PeakMarkup& markup) {
    for (Peak& p : markup.Peaks) p.Type = normalisedType(p.Type);
}

PeakMarkup markupFromStoredPeaks(const std::vector<StoredPeak>& stored, const NumberedArray<int16_t>& points,
                                 int markupMode) {
    PeakMarkup markup;
    const int count = points.count();
    for (const StoredPeak& s : stored) {
        if (markup.PeakCount() == kMaxPeaks) break;
        if (s.end > count) {
            if (markupMode == MarkupCombined) break;
            continue;
        }
        if (s.start < 1 || s.start > s.end) continue;
        Peak p;
        p.Start = s.start;
        p.End = s.end;
        p.Apex = s.start;
        p.StartValue = points[s.start];
        p.EndValue = points[s.end];
        p.Type = normalisedType(s.type);
        markup.Peaks.push_back(std::move(p));
    }
    CloseGroups(markup);
    return markup;
}

std::vector<StoredPeak> storedPeaksFromMarkup(const PeakMarkup& markup) {
    std::vector<StoredPeak> out;
    out.reserve(size_t(markup.PeakCount()));
    for (const Peak& p : markup.Peaks) out.push_back(StoredPeak{p.Start, p.End, p.Type});
    return out;
}

std::string formatPicsPeakLine(const Peak& p, const OpenChromatogram& c) {
    const int w = c.SamplesPerPoint;
    const double rate = c.SamplingRate;
    // A time no 8 columns hold (only at absurd rates) is written as the largest they hold,
    // so that the columns after it stay where the reader takes them.
    auto time = [&](int point) { return intText(std::clamp<int64_t>(pointToHundredths(point, w, rate), -9999999, 99999999), 8); };
    std::string line = time(p.Start);
    line += time(p.Apex);
    line += time(p.End);
    line += p.Type;
    const int apex = pointAt(c.Points, p.Apex);
    const int h = std::max(apex - pointAt(c.Points, p.Start), apex - pointAt(c.Points, p.End));
    const double mv = countsToMillivolts(h, signalScaleFactor(c.UnitCode, c.SignalMultiplier));
    std::string height = fixedText(mv, 9, 3);
    // The column is 9 wide: large heights, and negative ones that would not fit, take the
    // exponent form.
    if (std::fabs(mv) >= 100000.0 || height.size() > 9) height = expTextWithin(mv, 9);
    line += height;
    return line;
}

std::vector<std::string> picsSection(const OpenChromatogram& chrom, const PeakMarkup& markup) {
    std::vector<std::string> lines;
    lines.reserve(size_t(markup.PeakCount()) + 1);
    lines.push_back(BuildChromatogramKey(chrom));
    for (const Peak& p : markup.Peaks) lines.push_back(formatPicsPeakLine(p, chrom));
    return lines;
}

std::vector<std::string> replacePicsSection(const std::vector<std::string>& store,
                                            const std::vector<std::string>& section) {
    const std::string key = section.empty() ? std::string() : section.front();
    std::vector<std::string> out;
    out.reserve(store.size() + section.size());
    size_t i = 0;
    // Lines before the first header belong to no section; they stay in front of it, where
    // no reader takes them for peaks.
    for (; i < store.size() && !isHeaderLine(store[i]); ++i) out.push_back(store[i]);
    out.insert(out.end(), section.begin(), section.end());
    bool skipping = false;
    for (; i < store.size(); ++i) {
        if (isHeaderLine(store[i])) skipping = sameKeyConditions(store[i], key);
        if (!skipping) out.push_back(store[i]);
    }
    return out;
}

PeakMarkup parsePicsSection(const std::vector<std::string>& store, const OpenChromatogram& c, int markupMode) {
    PeakMarkup markup;
    const std::string key = BuildChromatogramKey(c);
    auto at = std::find_if(store.begin(), store.end(),
                           [&](const std::string& line) { return sameKeyConditions(line, key); });
    if (at == store.end()) return markup;
    const int count = c.PointCount();
    auto toPoint = [&](std::string_view text) {
        return hundredthsToPoint(parseLenient(text), c.SamplesPerPoint, c.SamplingRate);
    };
    for (++at; at != store.end() && !isHeaderLine(*at); ++at) {
        const std::string& line = *at;
        if (trimBlanks(line).empty()) continue;
        if (markup.PeakCount() == kMaxPeaks) break;
        const int64_t start = toPoint(columns(line, 1, 8));
        const int64_t apex = toPoint(columns(line, 9, 16));
        int64_t end = toPoint(columns(line, 17, 24));
        if (end > count) {
            if (markupMode != MarkupCombined) break;
            end = count;
        }
        if (start < 1 || start > apex || apex > end) continue;
        Peak p;
        p.Start = static_cast<int>(start);
        p.Apex = static_cast<int>(apex);
        p.End = static_cast<int>(end);
        p.StartValue = c.Points[p.Start];
        p.EndValue = c.Points[p.End];
        p.Area = parseLenient(columns(line, 26, 34));
        p.Type = line.size() < 25 ? 'M' : normalisedType(line[24]);
        markup.Peaks.push_back(std::move(p));
    }
    CloseGroups(markup);
    return markup;
}

fs::path picsPath(const StartFolder& start) { return start.file("space", "pics"); }

PeakMarkup LoadMarkupFromPics(const StartFolder& start, const OpenChromatogram& chrom, int markupMode) {
    const auto store = readLinesIfExists(picsPath(start));
    if (!store) return PeakMarkup{};
    return parsePicsSection(*store, chrom, markupMode);
}

void SaveMarkupToPics(const StartFolder& start, const OpenChromatogram& chrom, const PeakMarkup& markup) {
    const fs::path folder = start.ensureFolder("space");
    const fs::path target = findNoCase(folder, "pics");
    const auto store = readLinesIfExists(target);
    writeLines(target, replacePicsSection(store ? *store : std::vector<std::string>{}, picsSection(chrom, markup)));
}

void SaveMarkup(const fs::path& chromFile, const StartFolder& start, const OpenChromatogram& chrom,
                PeakMarkup& markup, int averagingMs, double verticalZoom) {
    normaliseTypeCodes(markup);
    SaveMarkupToChromatogram(chromFile, storedPeaksFromMarkup(markup), averagingMs, verticalZoom);
    SaveMarkupToPics(start, chrom, markup);
}

}  // namespace vk7
