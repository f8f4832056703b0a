#include "modelling/chromatogram_model.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

#include "common/cp1251.h"
#include "common/files.h"
#include "common/number_text.h"

namespace vk7 {

ModelPeakValues peakValues(const ModelRow& row) {
    return {parseLenient(row[model_col::T]), parseLenient(row[model_col::W]), parseLenient(row[model_col::A]),
            parseLenient(row[model_col::H])};
}

std::string modelCellText(double v) { return fixedText(v, 12, 3); }

std::string modelRowLabel(int r, const ModelRow& row, int lengthSec) {
    const bool base = parseLenient(row[model_col::W]) > 0.2 * lengthSec;
    return intText(r, 6) + (base ? RU(" База") : "");
}

void SetupModelInterval(ChromatogramModel& m) {
    const int64_t factor = roundHalfEven(static_cast<double>(m.ModelPointInterval) * 16 / 1000);
    m.OversamplingFactor = static_cast<int>(std::clamp<int64_t>(factor, 1, kMaxOversampling));
    m.ModelPointInterval = static_cast<int>(roundHalfEven(m.OversamplingFactor / 16.0 * 1000));
    const int64_t n = roundHalfEven(m.ModelLength / m.exactIntervalMs() * 1000);
    m.ModelPointCount = static_cast<int>(std::clamp<int64_t>(n, 0, kMaxModelPoints));
}

void SetupModel(ChromatogramModel& m) {
    SetupModelInterval(m);
    SynthesizeModel(m);
}

std::optional<int> CheckModelGrid(const std::vector<ModelRow>& rows) {
    // A value that does not show whole in its cell is beyond every chromatogram, and beyond
    // what the model file and the synthesis can carry exactly (its apex and four widths are
    // counted in points).
    const auto fitsCell = [](double v) { return modelCellText(v).size() <= 12; };
    for (size_t r = 0; r < rows.size(); ++r) {
        const ModelPeakValues v = peakValues(rows[r]);
        if (v.t == 0 || v.W == 0 || v.A == 0 || v.H == 0 || v.t < 0 || v.W < 0 || v.A < 0)
            return static_cast<int>(r) + 1;
        if (!fitsCell(v.t) || !fitsCell(v.W) || !fitsCell(v.A) || !fitsCell(v.H)) return static_cast<int>(r) + 1;
    }
    return std::nullopt;
}

std::string modelRowMessage(int row) { return RU("Исправьте строку ") + intText(row) + RU(" таблицы"); }

void SynthesizeModel(ChromatogramModel& m) {
    const int n = m.ModelPointCount;
    m.ModelCurve = NumberedArray<int16_t>(n);
    const double interval = m.exactIntervalMs();
    for (const ModelRow& row : m.Rows) {
        const ModelPeakValues p = peakValues(row);
        if (CheckModelGrid({row})) continue;
        const int64_t c = roundHalfEven(roundHalfEven(p.t * 60) / interval * 1000);
        const double left = p.W / (p.A + 1);
        const double right = p.W - left;
        const double sigmaL = left / interval * 300;
        const double sigmaR = right / interval * 300;
        const double amp = p.H / 1000 / kModelFullScale * 32768;
        auto add = [&](int64_t i, double sigma) {
            const double d = static_cast<double>(i - c);
            const double g = sigma == 0 ? (d == 0 ? 1.0 : 0.0) : std::exp(-d * d / (2 * sigma * sigma));
            int16_t& point = m.ModelCurve[static_cast<int>(i)];
            point = clampToInt16(roundHalfEven(point + amp * g));
        };
        const int64_t from = std::max<int64_t>(1, c - 4 * roundHalfEven(sigmaL));
        const int64_t to = std::min<int64_t>(n, c + 4 * roundHalfEven(sigmaR));
        for (int64_t i = from; i <= std::min<int64_t>(c, n); ++i) add(i, sigmaL);
        for (int64_t i = std::max<int64_t>(c + 1, 1); i <= to; ++i) add(i, sigmaR);
    }
}

int maxModelLength(const ChromatogramModel& m) {
    const int factor = std::max(m.OversamplingFactor, 1);
    int64_t length = static_cast<int64_t>(std::floor(32768.5 * factor / 16));
    while (length > 0 && roundHalfEven(length * 16.0 / factor) > kMaxModelPoints) --length;
    return static_cast<int>(std::min<int64_t>(length, kMaxModelLengthSec));
}

std::optional<std::string> modelLengthProblem(const ChromatogramModel& m, int64_t seconds) {
    const int limit = maxModelLength(m);
    if (seconds >= 1 && seconds <= limit) return std::nullopt;
    return RU("Длина модели должна быть от 1 с до ") + fixedText(limit / 60.0, 0, 3) + RU(" мин");
}

std::optional<std::string> ChangeModelLength(ChromatogramModel& m, double minutes) {
    const int64_t length = roundHalfEven(minutes * 60);
    if (auto problem = modelLengthProblem(m, length)) return problem;
    if (m.ModelLength > 0) {
        const double ratio = static_cast<double>(length) / m.ModelLength;
        for (ModelRow& row : m.Rows) {
            row[model_col::T] = modelCellText(parseLenient(row[model_col::T]) * ratio);
            row[model_col::W] = modelCellText(parseLenient(row[model_col::W]) * ratio);
        }
    }
    m.ModelLength = static_cast<int>(length);
    m.ModelModified = true;
    return std::nullopt;
}

std::string tooManyPeaksMessage() { return RU("В модели не может быть больше 255 пиков"); }

void DeleteModelRow(ChromatogramModel& m, int index) {
    if (index < 0 || index >= m.ModelPeakCount()) return;
    m.Rows.erase(m.Rows.begin() + index);
    m.ModelModified = true;
}

std::optional<std::string> InsertModelRow(ChromatogramModel& m, int index) {
    if (m.ModelPeakCount() >= kMaxChromatogramModelPeaks) return tooManyPeaksMessage();
    if (index < 0) index = 0;
    if (index >= m.ModelPeakCount()) {
        m.Rows.push_back(m.Rows.empty() ? ModelRow{} : m.Rows.back());
    } else {
        const ModelRow copy = m.Rows[size_t(index)];
        m.Rows.insert(m.Rows.begin() + index, copy);
    }
    m.ModelModified = true;
    return std::nullopt;
}

std::optional<std::string> InsertModelPeak(ChromatogramModel& m, const ModelPeakValues& peak) {
    if (m.ModelPeakCount() >= kMaxChromatogramModelPeaks) return tooManyPeaksMessage();
    auto at = std::find_if(m.Rows.begin(), m.Rows.end(),
                           [&](const ModelRow& row) { return parseLenient(row[model_col::T]) > peak.t; });
    m.Rows.insert(at, ModelRow{modelCellText(peak.t), modelCellText(peak.W), modelCellText(peak.A),
                               modelCellText(peak.H)});
    m.ModelModified = true;
    return std::nullopt;
}

int nearestModelRow(const ChromatogramModel& m, double minutes) {
    int best = -1;
    double distance = m.ModelLength / 60.0;
    for (int r = 0; r < m.ModelPeakCount(); ++r) {
        const double d = std::fabs(parseLenient(m.Rows[size_t(r)][model_col::T]) - minutes);
        if (d < distance) {
            distance = d;
            best = r;
        }
    }
    return best;
}

std::string modelRealText(double v) {
    constexpr size_t kWidth = 23;
    if (!std::isfinite(v)) return expText(v, static_cast<int>(kWidth));
    if (v == 0) v = 0;  // no "-0"
    // The shortest digits that read back as `v`: d[.ddd]e(+|-)xx[x].
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific);
    const std::string_view s(buf, static_cast<size_t>(r.ptr - buf));
    const bool negative = s[0] == '-';
    const size_t e = s.find('e');
    std::string digits;
    for (char c : s.substr(negative ? 1 : 0, e - (negative ? 1 : 0)))
        if (c != '.') digits += c;
    int exponent = 0;
    std::from_chars(s.data() + e + (s[e + 1] == '+' ? 2 : 1), s.data() + s.size(), exponent);
    const std::string sign = negative ? "-" : " ";
    const std::string exponentDigits = intText(std::abs(exponent));
    const std::string exponentSign = exponent < 0 ? "-" : "+";
    // Laid out as before (sign, digit, point, 14 digits, "E", sign, 4 digits) where the digits
    // fit; more digits take the room of the exponent's leading zeros, then of the leading blank.
    for (size_t expWidth = 4; expWidth >= exponentDigits.size() && expWidth >= 1; --expWidth) {
        const size_t fraction = kWidth - 5 - expWidth;  // sign, digit, point, "E", sign
        if (digits.size() - 1 > fraction) continue;
        return sign + digits[0] + "." + digits.substr(1) + std::string(fraction - (digits.size() - 1), '0') + "E" +
               exponentSign + std::string(expWidth - exponentDigits.size(), '0') + exponentDigits;
    }
    std::string text = digits.substr(0, 1) + "." + digits.substr(1) + "E" + exponentSign + exponentDigits;
    if (!negative && text.size() <= kWidth) return text;
    // Seventeen digits and a three-digit exponent of a negative value: the digits without a
    // point, the exponent moved by their number.
    return sign + digits + "E" + intText(exponent - static_cast<int>(digits.size()) + 1);
}

std::vector<std::string> modelFileLines(const ChromatogramModel& m) {
    std::vector<std::string> lines{intText(m.ModelLength), intText(m.ModelPointInterval), m.ModelTitle,
                                   modelRealText(m.ModelNoise)};
    const double length = m.ModelLength;
    for (const ModelRow& row : m.Rows) {
        const ModelPeakValues p = peakValues(row);
        const double left = p.W / (p.A + 1);
        for (double v : {p.t * 60 / length, left / length, (p.W - left) / length, p.H}) lines.push_back(modelRealText(v));
    }
    return lines;
}

namespace {

fs::path modelFile(const StartFolder& start, const std::string& name) {
    return findNoCase(start.folder("space"), name);
}

}  // namespace

ModelLoad LoadModelFile(const StartFolder& start, const std::string& modelName) {
    ModelLoad load;
    const auto lines = readLinesIfExists(modelFile(start, modelName), 128);
    if (!lines) {
        load.Refusal = modelName + RU(" отсутствует");
        return load;
    }
    auto line = [&](size_t k) -> std::string { return k < lines->size() ? (*lines)[k] : std::string(); };
    ChromatogramModel m;
    m.ModelName = modelName;
    const int64_t length = parseLenientInt(line(0));
    // Any interval of 0 or less gives the shortest, 62 ms; one beyond 15968 ms is refused.
    const int64_t interval = std::max<int64_t>(parseLenientInt(line(1)), 0);
    m.ModelTitle = cutText(line(2), 80);
    m.ModelNoise = parseLenient(line(3));
    auto refuse = [&](const std::string& reason) {
        load.Refusal = modelName + RU(" испорчен: ") + reason;
        return load;
    };
    if (roundHalfEven(static_cast<double>(interval) * 16 / 1000) > kMaxOversampling)
        return refuse(RU("интервал точек ") + intText(interval) + RU(" мс больше 15968 мс"));
    m.ModelPointInterval = static_cast<int>(interval);
    SetupModelInterval(m);
    if (length < 1 || length > maxModelLength(m))
        return refuse(RU("длина ") + intText(length) + RU(" с вне пределов от 1 до ") + intText(maxModelLength(m)) +
                      RU(" с"));
    m.ModelLength = static_cast<int>(length);
    const size_t peaks = lines->size() >= 4 ? (lines->size() - 4) / 4 : 0;
    if (peaks > size_t(kMaxChromatogramModelPeaks)) return refuse(RU("в модели больше 255 пиков"));
    for (size_t k = 0; k < peaks; ++k) {
        const double x = parseLenient(line(4 + 4 * k)), a = parseLenient(line(5 + 4 * k));
        const double b = parseLenient(line(6 + 4 * k)), h = parseLenient(line(7 + 4 * k));
        m.Rows.push_back(ModelRow{modelCellText(length * x / 60), modelCellText((a + b) * length),
                                  modelCellText(a > 0 ? b / a : 0), modelCellText(h)});
    }
    SetupModelInterval(m);
    load.Model = std::move(m);
    return load;
}

void SaveModelFile(const StartFolder& start, ChromatogramModel& m) {
    const fs::path space = start.ensureFolder("space");
    writeLines(findNoCase(space, m.ModelName), modelFileLines(m));
    m.ModelModified = false;
}

ModelNameChoice modelNameFromChosenPath(const StartFolder& start, const fs::path& chosen) {
    ModelNameChoice c;
    if (!isDirectlyInFolder(chosen, start.folder("space"))) {
        c.Refusal = RU("Файл модели должен находиться в папке space");
        return c;
    }
    std::string name = textFromPath(chosen.filename());
    auto endsWithMod = [](const std::string& s) {
        if (s.size() < 4) return false;
        std::string tail = s.substr(s.size() - 4);
        for (char& ch : tail) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        return tail == ".mod";
    };
    if (!endsWithMod(name)) name += ".mod";
    if (name.size() <= 4 || name.size() > kMaxModelNameChars) {
        c.Refusal = RU("Имя файла модели должно содержать от 1 до 80 знаков");
        return c;
    }
    c.Name = name;
    return c;
}

std::string readCurrentModelName(const StartFolder& start) {
    const auto lines = readLinesIfExists(start.file("space", "mod.dat"), kMaxModelNameChars);
    return lines && !lines->empty() ? (*lines)[0] : std::string();
}

void writeCurrentModelName(const StartFolder& start, const std::string& name) {
    writeLines(findNoCase(start.ensureFolder("space"), "mod.dat"), {name});
}

}  // namespace vk7
