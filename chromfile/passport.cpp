#include "chromfile/passport.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "chromfile/dictionaries.h"
#include "common/cp1251.h"
#include "common/errors.h"
#include "common/files.h"
#include "common/number_text.h"

namespace vk7 {

namespace {

constexpr int kCaptionWidth = 28;
constexpr size_t kPassportLineLength = 128;

// The header word of each dictionary, by PassportDictionaryId.
constexpr int kDictionaryWords[kPassportDictionaries] = {hw::Detector, hw::Gas, hw::Column, hw::Temperature, hw::Sm};
// The header words of rows 5..10.
constexpr int kFieldWords[6] = {hw::Field5, hw::Field15, hw::Field16, hw::Field6, hw::Field7, hw::Field8};

int lowByte(int16_t w) { return static_cast<int>(static_cast<uint16_t>(w) & 0xFF); }

bool sameText(std::string_view a, std::string_view b) { return trimBlanks(a) == trimBlanks(b); }

// "«caption»: " for a refusal, or the row's number when regn.txt gave no caption.
std::string rowLabel(const PassportGrid& grid, int row) {
    const std::string_view caption = trimBlanks(grid.Captions[size_t(row)]);
    if (caption.empty()) return RU("Строка паспорта ") + std::to_string(row + 1) + ": ";
    return RU("«") + std::string(caption) + RU("»: ");
}

// Row 1 and template line 2: "unit:multiplier", unit code 0..4, multiplier 1..32767.
struct UnitAndMultiplier {
    int unit = 0;
    int multiplier = 1;
};
std::optional<UnitAndMultiplier> parseUnitAndMultiplier(std::string_view text) {
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const auto unit = parseStrictInt(text.substr(0, colon));
    const auto multiplier = parseStrictInt(text.substr(colon + 1));
    if (!unit || !multiplier || *unit < 0 || *unit > 4 || *multiplier < 1 || *multiplier > 32767) return std::nullopt;
    return UnitAndMultiplier{static_cast<int>(*unit), static_cast<int>(*multiplier)};
}

// A passport number (rows 5..10): a whole number that fits its 16-bit word; empty is 0.
std::optional<int16_t> parsePassportNumber(std::string_view text) {
    if (trimBlanks(text).empty()) return int16_t(0);
    const auto v = parseStrictInt(text);
    if (!v || *v < -32768 || *v > 32767) return std::nullopt;
    return static_cast<int16_t>(*v);
}

// A dictionary line number of the template: 0..255.
std::optional<int> parseLineNumber(std::string_view text) {
    const auto v = parseStrictInt(text);
    if (!v || *v < 0 || *v > kMaxPickerEntries) return std::nullopt;
    return static_cast<int>(*v);
}

std::string unitCellText(int unitCode, int multiplier) { return intText(unitCode, 4) + ":" + intText(multiplier); }

// The texts that rows 1, 5..10 and 13 show for header words.
std::string unitCellOf(const std::array<int16_t, kHeaderWords>& h) {
    return unitCellText(lowByte(h[hw::Unit]), h[hw::Multiplier] == 0 ? 1 : h[hw::Multiplier]);
}
std::string rCellOf(int16_t w9) { return fixedText(std::exp(w9 / 1000.0), 6, 2); }
std::string rateCellOf(double rate) { return fixedText(rate, 6, 3); }
std::string durationCellOf(double minutes) { return fixedText(minutes, 5, 2); }

}  // namespace

const char* passportDictionaryName(int dictionary) {
    static const char* const names[kPassportDictionaries] = {"detect", "gas", "kolon", "temp", "sm"};
    return dictionary >= 0 && dictionary < kPassportDictionaries ? names[dictionary] : "";
}

std::optional<int> passportRowDictionary(int row) {
    switch (row) {
        case prow::Detector: return DictDetect;
        case prow::Gas: return DictGas;
        case prow::Column: return DictKolon;
        case prow::Temperature: return DictTemp;
        case prow::Sm: return DictSm;
        default: return std::nullopt;
    }
}

bool passportRowTyped(int row) {
    return row >= 0 && row < kPassportRows && !passportRowDictionary(row) && row != prow::Peaks;
}

std::string PassportSources::entry(int dictionary, int n) const {
    if (dictionary < 0 || dictionary >= kPassportDictionaries) return {};
    return dictionaryEntry(Dictionaries[size_t(dictionary)], n);
}

std::vector<std::string> PassportSources::pickerEntries(int dictionary) const {
    if (dictionary < 0 || dictionary >= kPassportDictionaries) return {};
    const auto& lines = Dictionaries[size_t(dictionary)];
    return {lines.begin(), lines.begin() + std::min<ptrdiff_t>(ptrdiff_t(lines.size()), kMaxPickerEntries)};
}

std::array<std::string, kPassportRows> passportCaptions(const std::vector<std::string>& lines) {
    std::array<std::string, kPassportRows> captions;
    auto line = [&](size_t n) { return n >= 1 && n <= lines.size() ? lines[n - 1] : std::string(); };
    for (int row = 0; row <= 12; ++row) captions[size_t(row)] = line(size_t(row) + 2);
    captions[13] = line(16);
    captions[14] = line(17);
    captions[15] = RU("Частота АЦП");
    captions[16] = RU("Отмечено пиков");
    return captions;
}

PassportSources readPassportSources(const StartFolder& start) {
    PassportSources s;
    std::vector<std::string> missing;
    auto read = [&](std::string_view name) -> std::vector<std::string> {
        try {
            if (auto lines = readLinesIfExists(start.file("space", name), kMaxDictionaryLine)) return *lines;
        } catch (const IoError&) {
        }
        missing.push_back("\\space\\" + std::string(name));
        return {};
    };
    s.Captions = passportCaptions(read("regn.txt"));
    for (int d = 0; d < kPassportDictionaries; ++d) s.Dictionaries[size_t(d)] = read(passportDictionaryName(d));
    if (!missing.empty()) {
        std::string list;
        for (const auto& m : missing) list += (list.empty() ? "" : ", ") + m;
        s.Notices.push_back(RU("Нет файлов паспорта хроматограммы: ") + list +
                            RU(". Подписи и записи из них останутся пустыми."));
    }
    return s;
}

int PassportGrid::indexOfRow(int row) const {
    const auto d = passportRowDictionary(row);
    return d ? Indexes[size_t(*d)] : 0;
}

double passportDurationMinutes(const OpenChromatogram& c) {
    if (!(c.SamplingRate > 0)) return 0;
    return double(c.PointCount()) * c.SamplesPerPoint / c.SamplingRate / 60.0;
}

namespace {

// The cell of a dictionary row: the entry, or a note when the dictionary has no such line.
std::string dictionaryCell(const PassportSources& sources, int dictionary, int n) {
    const auto& lines = sources.Dictionaries[size_t(dictionary)];
    if (n >= 1 && size_t(n) > lines.size())
        return RU("(нет строки ") + std::to_string(n) + RU(" в словаре ") + passportDictionaryName(dictionary) + ")";
    return dictionaryEntry(lines, n);
}

}  // namespace

PassportGrid FillPassportGrid(const OpenChromatogram& c, int peakCount, const PassportSources& sources) {
    PassportGrid g;
    g.Captions = sources.Captions;
    g.Indexes = {c.DetectorIndex, c.GasIndex, c.ColumnIndex, c.TemperatureIndex, c.SmIndex};
    for (int row = 0; row < kPassportRows; ++row)
        if (auto d = passportRowDictionary(row)) g.Cells[size_t(row)] = dictionaryCell(sources, *d, g.Indexes[size_t(*d)]);
    g.Cells[prow::Unit] = unitCellText(c.UnitCode, c.SignalMultiplier);
    for (int k = 0; k < 6; ++k) g.Cells[size_t(prow::Field5 + k)] = c.PassportFieldTexts[size_t(k + 1)];
    g.Cells[prow::Duration] = durationCellOf(passportDurationMinutes(c));
    g.Cells[prow::R] = fixedText(c.PassportR, 6, 2);
    g.Cells[prow::Comment] = c.CommentText;
    g.Cells[prow::Rate] = rateCellOf(c.SamplingRate);
    g.Cells[prow::Peaks] = intText(peakCount, 4);
    return g;
}

void choosePassportEntry(PassportGrid& g, int row, int position, const PassportSources& sources) {
    const auto d = passportRowDictionary(row);
    if (!d) return;
    const auto entries = sources.pickerEntries(*d);
    if (position < 0 || position >= int(entries.size())) return;
    g.Cells[size_t(row)] = entries[size_t(position)];
    g.Indexes[size_t(*d)] = position + 1;
}

PassportRewriteResult RewriteChromatogramPassport(const fs::path& file, const PassportGrid& g,
                                                  const OpenChromatogram& chrom) {
    PassportRewriteResult r;
    const ChromatogramWords f = readChromatogramWords(file);
    std::array<int16_t, kHeaderWords> h{};
    std::copy_n(f.words.begin(), kHeaderWords, h.begin());
    auto refuse = [&](int row, const std::string& why) {
        r.Refusal = rowLabel(g, row) + why;
        return r;
    };
    auto cell = [&](int row) -> const std::string& { return g.Cells[size_t(row)]; };

    // Dictionary rows: an index that still is the word's low byte keeps the word.
    for (int row : {prow::Detector, prow::Gas, prow::Column, prow::Temperature, prow::Sm}) {
        const int d = *passportRowDictionary(row);
        const int index = g.Indexes[size_t(d)];
        if (index < 0 || index > kMaxPickerEntries) return refuse(row, RU("неверный номер записи словаря."));
        int16_t& w = h[size_t(kDictionaryWords[d])];
        if (lowByte(w) != index) w = static_cast<int16_t>(index);
    }

    if (!sameText(cell(prow::Unit), unitCellOf(h))) {
        const auto um = parseUnitAndMultiplier(cell(prow::Unit));
        if (!um)
            return refuse(prow::Unit, RU("нужны диапазон от 0 до 4 и множитель от 1 до 32767 через двоеточие, "
                                         "например 2:5."));
        h[hw::Unit] = static_cast<int16_t>(um->unit);
        h[hw::Multiplier] = static_cast<int16_t>(um->multiplier);
    }

    for (int k = 0; k < 6; ++k) {
        const int row = prow::Field5 + k;
        int16_t& w = h[size_t(kFieldWords[k])];
        if (sameText(cell(row), intText(w, 4))) continue;
        const auto v = parsePassportNumber(cell(row));
        if (!v) return refuse(row, RU("нужно целое число от -32768 до 32767."));
        w = *v;
    }

    if (!sameText(cell(prow::R), rCellOf(h[hw::LogR]))) {
        const auto rValue = parseStrictReal(cell(prow::R));
        const double logR = rValue && *rValue > 0 ? std::log(*rValue) * 1000.0 : NAN;
        if (!std::isfinite(logR) || roundHalfEven(logR) < -32768 || roundHalfEven(logR) > 32767)
            return refuse(prow::R, RU("нужно число больше 0 (от 1E-14 до 1E+14)."));
        h[hw::LogR] = static_cast<int16_t>(roundHalfEven(logR));
    }

    // The rate: written from row 15 when it was edited or the file takes it from vk7.dat.
    if (!sameText(cell(prow::Rate), rateCellOf(chrom.SamplingRate)) || h[hw::Rate] == 21) {
        const auto rate = parseStrictReal(cell(prow::Rate));
        const int16_t code = rate ? encodeRateCode(*rate) : int16_t(0);
        if (code == 0)
            return refuse(prow::Rate, RU("допустимы 3.125, 4, 6.25, 8, 12.5, 16, 20, 25, 32 или частота от 0.051 "
                                         "до 32.767 точек в секунду."));
        r.RateChanged = !sameText(cell(prow::Rate), rateCellOf(chrom.SamplingRate)) &&
                        decodeRateCode(code, 0) != chrom.SamplingRate;
        h[hw::Rate] = code;
    }

    // Shortening: only an edited duration below the recording's own cuts samples.
    const int samples = f.sampleCount();
    int keptSamples = samples;
    if (!sameText(cell(prow::Duration), durationCellOf(passportDurationMinutes(chrom)))) {
        const auto m = parseStrictReal(cell(prow::Duration));
        if (!m || *m < 0) return refuse(prow::Duration, RU("нужно число минут не меньше 0."));
        const double rate = chrom.SamplingRate;
        if (*m > 0 && rate > 0 && *m < samples / rate / 60.0) {
            const int64_t want = wholePart(*m * 60.0 * rate);
            const int64_t least = std::min<int64_t>(3 * int64_t(std::max(chrom.SamplesPerPoint, 1)), samples);
            keptSamples = static_cast<int>(std::clamp<int64_t>(want, least, samples));
        }
    }

    // The comment: a row that still shows the file's comment keeps all its words.
    std::vector<int16_t> commentWords;
    if (cell(prow::Comment) == ReadComment(f)) {
        commentWords.assign(f.words.begin() + f.commentStart(), f.words.begin() + f.markupStart());
    } else {
        for (char ch : cutText(cell(prow::Comment), kMaxCommentChars))
            commentWords.push_back(static_cast<int16_t>(static_cast<uint8_t>(ch)));
    }

    h[hw::CommentLength] = static_cast<int16_t>(commentWords.size());
    h[hw::StoredPeaks] = static_cast<int16_t>(f.storedPeakCount());
    h[hw::StoredZoom] = 1;

    std::vector<int16_t> out(h.begin(), h.end());
    out.reserve(size_t(kHeaderWords + keptSamples) + commentWords.size() + size_t(3 * f.storedPeakCount() + 1));
    out.insert(out.end(), f.words.begin() + kHeaderWords, f.words.begin() + kHeaderWords + keptSamples);
    out.insert(out.end(), commentWords.begin(), commentWords.end());
    out.insert(out.end(), f.words.begin() + f.markupStart(), f.words.end());
    writeChromatogramWords(file, out);

    r.Written = true;
    r.SamplesShortened = keptSamples < samples;
    r.SampleCount = keptSamples;
    return r;
}

void refreshHeaderValues(OpenChromatogram& c, const OpenChromatogram& fresh) {
    c.Header = fresh.Header;
    c.SamplingRate = fresh.SamplingRate;
    c.DetectorIndex = fresh.DetectorIndex;
    c.GasIndex = fresh.GasIndex;
    c.ColumnIndex = fresh.ColumnIndex;
    c.TemperatureIndex = fresh.TemperatureIndex;
    c.SmIndex = fresh.SmIndex;
    c.PassportFieldTexts = fresh.PassportFieldTexts;
    c.PassportR = fresh.PassportR;
    c.SignalMultiplier = fresh.SignalMultiplier;
    c.GainCode = fresh.GainCode;
    c.UnitCode = fresh.UnitCode;
    c.CommentText = fresh.CommentText;
    c.SampleCount = fresh.SampleCount;
    c.LastWord = fresh.LastWord;
    c.Temperature = fresh.Temperature;
}

std::vector<std::string> passportTextLines(const OpenChromatogram& c, int peakCount, const PassportSources& sources) {
    std::array<std::string, kPassportRows> values;
    const int indexes[kPassportDictionaries] = {c.DetectorIndex, c.GasIndex, c.ColumnIndex, c.TemperatureIndex,
                                                c.SmIndex};
    for (int row = 0; row < kPassportRows; ++row)
        if (auto d = passportRowDictionary(row)) values[size_t(row)] = sources.entry(*d, indexes[*d]);
    values[prow::Unit] = intText(c.UnitCode) + ":" + intText(c.SignalMultiplier);
    for (int k = 0; k < 6; ++k) values[size_t(prow::Field5 + k)] = c.PassportFieldTexts[size_t(k + 1)];
    values[prow::Duration] = durationCellOf(passportDurationMinutes(c));
    values[prow::R] = fixedText(c.PassportR, 6, 2);
    values[prow::Comment] = c.CommentText;
    values[prow::Rate] = rateCellOf(c.SamplingRate);
    values[prow::Peaks] = intText(peakCount, 4);

    std::vector<std::string> lines;
    for (int row = 0; row < kPassportRows; ++row)
        lines.push_back(blankControls(
            cutText(padRight(sources.Captions[size_t(row)], kCaptionWidth) + values[size_t(row)], kPassportLineLength)));
    return lines;
}

void WritePassportText(const StartFolder& start, const OpenChromatogram& c, int peakCount,
                       const PassportSources& sources) {
    start.ensureFolder("results");
    writeLines(start.file("results", "pasp.txt"), passportTextLines(c, peakCount, sources));
}

PassportTemplateLines passportTemplateLines(const PassportGrid& g) {
    PassportTemplateLines t;
    const auto um = parseUnitAndMultiplier(g.Cells[prow::Unit]);
    if (!um) {
        t.Refusal = rowLabel(g, prow::Unit) +
                    RU("нужны диапазон от 0 до 4 и множитель от 1 до 32767 через двоеточие, например 2:5.");
        return t;
    }
    std::vector<std::string> numbers;
    for (int k = 0; k < 6; ++k) {
        const auto v = parsePassportNumber(g.Cells[size_t(prow::Field5 + k)]);
        if (!v) {
            t.Refusal = rowLabel(g, prow::Field5 + k) + RU("нужно целое число от -32768 до 32767.");
            return t;
        }
        numbers.push_back(intText(*v, 4));
    }
    t.Lines.push_back(intText(g.Indexes[DictDetect]));
    t.Lines.push_back(intText(um->unit) + ":" + intText(um->multiplier));
    t.Lines.push_back(intText(g.Indexes[DictGas]));
    t.Lines.push_back(intText(g.Indexes[DictKolon]));
    t.Lines.push_back(intText(g.Indexes[DictTemp]));
    t.Lines.insert(t.Lines.end(), numbers.begin(), numbers.end());
    t.Lines.push_back(intText(g.Indexes[DictSm]));
    return t;
}

std::string WritePassportTemplate(const StartFolder& start, const PassportGrid& g) {
    PassportTemplateLines t = passportTemplateLines(g);
    if (!t.Refusal.empty()) return t.Refusal;
    start.ensureFolder("results");
    writeLines(start.file("results", "paspo.txt"), t.Lines);
    return {};
}

std::string applyPassportTemplate(OpenChromatogram& c, const std::vector<std::string>& lines,
                                  const PassportSources& sources) {
    auto bad = [](int lineNo) {
        return RU("Файл \\results\\paspo.txt испорчен: неверная строка ") + std::to_string(lineNo) + ".";
    };
    auto line = [&](int n) { return n <= int(lines.size()) ? std::string_view(lines[size_t(n - 1)]) : std::string_view(); };
    int indexes[5];
    const int indexLines[5] = {1, 3, 4, 5, 12};  // detect, gas, kolon, temp, sm
    for (int k = 0; k < 5; ++k) {
        const auto v = parseLineNumber(line(indexLines[k]));
        if (!v) return bad(indexLines[k]);
        indexes[k] = *v;
    }
    const auto um = parseUnitAndMultiplier(line(2));
    if (!um) return bad(2);
    std::array<int16_t, 6> numbers{};
    for (int k = 0; k < 6; ++k) {
        const auto v = parseStrictInt(line(6 + k));
        if (!v || *v < -32768 || *v > 32767) return bad(6 + k);
        numbers[size_t(k)] = static_cast<int16_t>(*v);
    }

    c.DetectorIndex = indexes[0];
    c.GasIndex = indexes[1];
    c.ColumnIndex = indexes[2];
    c.TemperatureIndex = indexes[3];
    c.SmIndex = indexes[4];
    c.UnitCode = um->unit;
    c.SignalMultiplier = um->multiplier;
    c.PassportFieldTexts[0] = intText(indexes[3], 4);
    for (int k = 0; k < 6; ++k) c.PassportFieldTexts[size_t(k + 1)] = intText(numbers[size_t(k)], 4);
    c.Temperature = ParseTemperatureProgram(cutText(sources.entry(DictTemp, c.TemperatureIndex), 128),
                                            c.AnalysisDurationSec);
    return {};
}

std::string ApplyPassportTemplate(const StartFolder& start, OpenChromatogram& c, const PassportSources& sources) {
    const auto lines = readLinesIfExists(start.file("results", "paspo.txt"));
    if (!lines) return RU("Нет файла \\results\\paspo.txt");
    return applyPassportTemplate(c, *lines, sources);
}

}  // namespace vk7
