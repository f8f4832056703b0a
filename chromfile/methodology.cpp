#include "chromfile/methodology.h"

#include <algorithm>

#include "common/cp1251.h"
#include "common/errors.h"
#include "common/files.h"
#include "common/number_text.h"

namespace vk7 {

namespace fs = std::filesystem;

namespace {

int heldInt(std::string_view text, int lo, int hi) {
    return static_cast<int>(std::clamp<int64_t>(parseLenientInt(text), lo, hi));
}
double nonNegative(std::string_view text) { return std::max(0.0, parseLenient(text)); }

void clampCodes(ProcessingSettings& s) {
    s.MarkupMode = std::clamp(s.MarkupMode, 0, 3);
    s.IdentMode = std::clamp(s.IdentMode, 0, 1);
    s.QuantMethod = std::clamp(s.QuantMethod, 0, 1);
    s.AreaMethod = std::clamp(s.AreaMethod, 0, 1);
}

// The text before the first '/' and after it; with no '/', nothing before and all after.
std::pair<std::string_view, std::string_view> halves(std::string_view text) {
    const size_t slash = text.find('/');
    if (slash == std::string_view::npos) return {std::string_view{}, text};
    return {text.substr(0, slash), text.substr(slash + 1)};
}

}  // namespace

std::vector<std::string> formatMethodology(const ProcessingSettings& s) {
    return {
        intText(s.AveragingMs),      expText(s.TimeTolerancePct, 23), intText(s.MarkupMode),
        expText(s.DetectThreshold, 23), intText(s.IdentMode),         intText(s.ReferencePeakNo),
        intText(s.QuantMethod),      expText(s.StandardConc1, 23),     s.ReferenceSubstance,
        intText(s.StandardPeakNo),   intText(s.AreaMethod),            expText(s.StandardConc2, 23),
    };
}

std::optional<ProcessingSettings> parseMethodology(const std::vector<std::string>& lines, ProcessingSettings s) {
    if (lines.size() < static_cast<size_t>(kMethodologyLines)) return std::nullopt;
    s.AveragingMs = heldInt(lines[0], 0, 65535);
    s.TimeTolerancePct = nonNegative(lines[1]);
    s.MarkupMode = heldInt(lines[2], 0, 255);
    s.DetectThreshold = nonNegative(lines[3]);
    s.IdentMode = heldInt(lines[4], 0, 255);
    s.ReferencePeakNo = heldInt(lines[5], 0, 255);
    s.QuantMethod = heldInt(lines[6], 0, 255);
    s.StandardConc1 = parseLenient(lines[7]);
    s.ReferenceSubstance = cutText(lines[8], 32);
    s.StandardPeakNo = heldInt(lines[9], 0, 255);
    s.AreaMethod = heldInt(lines[10], 0, 255);
    s.StandardConc2 = parseLenient(lines[11]);
    clampCodes(s);
    if (s.ReferencePeakNo == 0) s.ReferencePeakNo = 1;
    if (s.StandardPeakNo == 0) s.StandardPeakNo = 1;
    return s;
}

MethodologyChoice methodologyNameOf(const StartFolder& start, const fs::path& chosen) {
    MethodologyChoice c;
    if (!isDirectlyInFolder(chosen, start.folder("space"))) {
        c.Refusal = RU("Файл методики должен находиться в папке space");
        return c;
    }
    std::string name = textFromPath(chosen.filename());
    if (name.size() >= 4 && equalsNoCaseCp1251(std::string_view(name).substr(name.size() - 4), ".trp"))
        name.resize(name.size() - 4);
    if (name.empty() || name.size() > kMethodologyNameMax)
        c.Refusal = RU("Имя методики должно содержать от 1 до 12 знаков");
    c.Name = std::move(name);
    return c;
}

fs::path methodologyPath(const StartFolder& start, std::string_view name) {
    return start.file("space", std::string(name) + ".trp");
}

std::string LoadMethodology(const StartFolder& start, ProcessingSettings& settings) {
    const std::string& name = settings.MethodologyName;
    std::optional<std::vector<std::string>> lines;
    try {
        lines = readLinesIfExists(methodologyPath(start, name));
    } catch (const IoError&) {
        return RU("Файл методики ") + name + RU(" испорчен");
    }
    if (!lines) return RU("Нет файла методики ") + name;
    std::optional<ProcessingSettings> read = parseMethodology(*lines, settings);
    if (!read) return RU("Файл методики ") + name + RU(" испорчен");
    settings = std::move(*read);
    return {};
}

void SaveMethodology(const StartFolder& start, const ProcessingSettings& settings) {
    start.ensureFolder("space");
    writeLines(methodologyPath(start, settings.MethodologyName), formatMethodology(settings));
}

std::string OverwriteMethodologyQuestion(std::string_view name) {
    // The last letter of "Методикa" is a Latin a, as the message has always been written.
    return RU("Методик") + "a " + std::string(name) + ".trp" + RU(" уже есть. Переписать?");
}

std::vector<ParameterRow> parameterGridRows(const ProcessingSettings& s) {
    auto choice = [](int row, int code) {
        const std::vector<std::string> c = parameterChoices(row);
        return code >= 0 && code < static_cast<int>(c.size()) ? c[static_cast<size_t>(code)] : std::string();
    };
    std::vector<ParameterRow> rows = {
        {RU("Постоянная времени фильтрации Тф, мс"), intText(s.AveragingMs, 8)},
        {RU("Наименьший пик Up min, мВ"), fixedText(s.DetectThreshold, 8, 2)},
        {RU("Способ разметки"), choice(2, s.MarkupMode)},
        {RU("Критерий опознавания веществ"), choice(3, s.IdentMode)},
        {RU("Допуск на время удерживания D оп, %"), fixedText(s.TimeTolerancePct, 8, 1)},
        {RU("Номер опорного пика N опор"), intText(s.ReferencePeakNo, 8)},
        {RU("Вещество опорного пика"), s.ReferenceSubstance},
        {RU("Количественный метод"), choice(7, s.QuantMethod)},
        {RU("Номер пика стандарта N st"), intText(s.StandardPeakNo, 8)},
        {RU("Концентрация стандартного вещества C st"), standardConcText(s.StandardConc1, s.StandardConc2)},
        {RU("Метод вычисления площади НП"), choice(10, s.AreaMethod)},
        {RU("Методика"), s.MethodologyName.substr(0, s.MethodologyName.find('.'))},
    };
    if (s.IdentMode != 1) rows[5] = rows[6] = {};
    if (s.QuantMethod != 1) rows[8] = rows[9] = {};
    return rows;
}

std::vector<std::string> parameterChoices(int row) {
    switch (row) {
        case 2: return {RU("Авто"), RU("Архив"), RU("Файл"), RU("Комбин")};
        case 3: return {RU("t абс"), RU("t отн")};
        case 7: return {RU("АбсГр"), RU("ВнутрСт")};
        case 10: return {RU("Перпендик"), RU("ДемокрРазд")};
        default: return {};
    }
}

void SetParameterChoice(ProcessingSettings& s, int row, int index) {
    if (index < 0 || index >= static_cast<int>(parameterChoices(row).size())) return;
    switch (row) {
        case 2: s.MarkupMode = index; break;
        case 3: s.IdentMode = index; break;
        case 7: s.QuantMethod = index; break;
        case 10: s.AreaMethod = index; break;
        default: return;
    }
    s.MethodologyName.assign(1, '?');
}

void SetTypedParameter(ProcessingSettings& s, int row, std::string_view text, std::string_view shownRow9) {
    switch (row) {
        case 0: s.AveragingMs = heldInt(text, 0, 65535); break;
        case 1: s.DetectThreshold = nonNegative(text); break;
        case 4: s.TimeTolerancePct = nonNegative(text); break;
        case 5: s.ReferencePeakNo = heldInt(text, 0, 255); break;
        case 6: s.ReferenceSubstance = cutText(text, 32); break;
        case 8: s.StandardPeakNo = heldInt(text, 0, 255); break;
        case 9: {
            const auto [before, after] = halves(text);
            const auto [shownBefore, shownAfter] = halves(shownRow9);
            const bool slash = text.find('/') != std::string_view::npos;
            if (!slash) s.StandardConc1 = 0;
            else if (before != shownBefore) s.StandardConc1 = parseLenient(before);
            if (after != shownAfter) s.StandardConc2 = parseLenient(after);
            break;
        }
        default: return;
    }
    s.MethodologyName.assign(1, '?');
}

std::string standardConcText(double conc1, double conc2) {
    return fixedText(conc1, 7, 2) + "/" + fixedText(conc2, 7, 3);
}

bool rowAsksReread(int row) { return row != 9; }

}  // namespace vk7
