#include "results/verification.h"

#include <cmath>
#include <optional>

#include "common/cp1251.h"
#include "common/number_text.h"
#include "platform/office/workbook.h"
#include "results/statistics.h"

namespace vk7 {

namespace {


// The deviations of one series in percent (10 characters each) and its Grid2 row.
void statistics(const std::vector<double>& x, int meanWidth, std::vector<std::string>& deviations,
                std::array<std::string, 4>& row) {
    const int n = static_cast<int>(x.size());
    double sum = 0, sum2 = 0;
    for (double v : x) {
        sum += v;
        sum2 += v * v;
    }
    const double mean = sum / n;
    row[0] = fixedText(mean, meanWidth, 3);
    row[1] = fixedText(SampleDeviation(n, sum, sum2), 8, 3);
    deviations.clear();
    if (mean == 0) {
        for (int i = 0; i < n; ++i) deviations.push_back(padLeft("-", 10));
        row[2] = row[3] = padLeft("-", 8);
        return;
    }
    for (double v : x) deviations.push_back(fixedText((v - mean) / mean * 100, 10, 3));
    const double s = parseLenient(row[1]);  // as shown, with 3 decimals
    row[2] = fixedText(SampleDeviation(n, sum, sum2) / mean * 100, 8, 3);
    row[3] = fixedText(s / std::sqrt(static_cast<double>(n)) * StudentFactor(n) * 100 / mean, 8, 3);
}

VerificationTable compute(VerificationMethod method, const std::vector<VerificationInput>& rows) {
    const bool y = method == VerificationMethod::Y;
    const int n = static_cast<int>(rows.size());
    VerificationTable t;
    std::vector<double> heights, areas, times;
    for (int i = 0; i < n; ++i) {
        const VerificationInput& r = rows[static_cast<size_t>(i)];
        t.Grid.push_back({intText(i + 1, 5), y ? r.time : r.width, r.height, r.area});
        heights.push_back(parseLenient(r.height));
        areas.push_back(parseLenient(r.area));
        times.push_back(parseLenient(r.time));
    }
    const size_t columns = y ? 7 : 6;
    if (n < 3) {
        t.TooFew = true;
        for (auto& row : t.Grid) row.resize(columns);
        return t;
    }
    std::vector<std::vector<std::string>> deviations(3);
    t.Grid2.resize(y ? 3 : 2);
    statistics(heights, 8, deviations[0], t.Grid2[0]);
    statistics(areas, 10, deviations[1], t.Grid2[1]);
    if (y) statistics(times, 10, deviations[2], t.Grid2[2]);
    for (int i = 0; i < n; ++i) {
        auto& row = t.Grid[static_cast<size_t>(i)];
        for (size_t k = 0; k + 4 < columns; ++k) row.push_back(deviations[k][static_cast<size_t>(i)]);
    }
    return t;
}

}  // namespace

const std::vector<std::string>& verificationGridCaptions(VerificationMethod method) {
    static const std::vector<std::string> x = {RU("N пика"), RU(" b,с"),  RU(" h,мВ"), RU("S,мВ.с"),
                                               RU(" dh,%"),  RU(" dS,%")};
    static const std::vector<std::string> y = {RU("N пика"), RU(" t,мин"), RU(" h,мВ"), RU("S,мВ.с"),
                                               RU(" dh,%"),  RU(" dS,%"),  RU(" dt,%")};
    return method == VerificationMethod::X ? x : y;
}

const std::array<std::string, 5>& verificationGrid2Captions() {
    static const std::array<std::string, 5> c = {"", "   Mx", RU(" CKO"), " V, %", " d, %"};
    return c;
}

const std::vector<std::string>& verificationGrid2RowCaptions(VerificationMethod method) {
    static const std::vector<std::string> x = {RU("Высота"), RU("Площадь")};
    static const std::vector<std::string> y = {RU("Высота"), RU("Площадь"), RU("Время")};
    return method == VerificationMethod::X ? x : y;
}

std::string tooFewMessage(VerificationMethod method) {
    return method == VerificationMethod::X ? RU("Мало пиков") : RU("Мало хроматограмм");
}

VerificationTable ComputeVerificationX(const std::vector<VerificationInput>& rows) {
    return compute(VerificationMethod::X, rows);
}

VerificationTable ComputeVerificationY(const std::vector<VerificationInput>& rows) {
    return compute(VerificationMethod::Y, rows);
}

std::string verificationBlankName(VerificationMethod method) {
    return method == VerificationMethod::X ? "\\doc\\povx.xlsx" : "\\doc\\povy.xlsx";
}

std::string verificationResultName(VerificationMethod method) {
    return method == VerificationMethod::X ? "\\results\\povxr.xlsx" : "\\results\\povyr.xlsx";
}

std::filesystem::path verificationBlankPath(const StartFolder& start, VerificationMethod method) {
    return start.file("doc", method == VerificationMethod::X ? "povx.xlsx" : "povy.xlsx");
}

std::filesystem::path verificationResultPath(const StartFolder& start, VerificationMethod method) {
    return start.file("results", method == VerificationMethod::X ? "povxr.xlsx" : "povyr.xlsx");
}

std::string chromatogramStem(const std::string& fileName) {
    const std::string lower = lowerCp1251(fileName);
    const size_t at = lower.find(".hrm");
    return at == std::string::npos ? fileName : fileName.substr(0, at);
}

std::string WriteVerificationProtocol(const StartFolder& start, VerificationMethod method, const std::string& date,
                                      const std::vector<std::string>& names, const VerificationTable& table) {
    const std::filesystem::path blank = verificationBlankPath(start, method);
    if (!std::filesystem::is_regular_file(blank)) return RU("Нет бланка ") + verificationBlankName(method);
    // Every use of the blank's sheet, and the saving that reads them all, gives the blank's own
    // message when one of them is broken; nothing is written then.
    Workbook book;
    std::optional<Sheet> first;
    try {
        book = Workbook::fromBlank(blank);
        first.emplace(book.sheet(1));
    } catch (const BlankError& e) {
        return e.message();
    }
    Sheet& sheet = *first;
    sheet.setText(2, 2, date);
    for (size_t i = 0; i < names.size(); ++i) sheet.setText(3, 3 + static_cast<int>(i), names[i]);

    int r0 = 65;
    for (int r = 1; r <= 64; ++r)
        if (sheet.text(r, 1).empty()) {
            r0 = r;
            break;
        }
    const auto& captions = verificationGridCaptions(method);
    for (size_t c = 0; c < captions.size(); ++c) sheet.setText(r0, static_cast<int>(c) + 1, captions[c]);
    for (size_t j = 0; j < table.Grid.size(); ++j)
        for (size_t c = 0; c < table.Grid[j].size(); ++c)
            sheet.setText(r0 + 1 + static_cast<int>(j), static_cast<int>(c) + 1, table.Grid[j][c]);

    const int r2 = r0 + static_cast<int>(table.Grid.size()) + 2;
    const auto& head = verificationGrid2Captions();
    for (size_t c = 1; c < head.size(); ++c) sheet.setText(r2, static_cast<int>(c) + 1, head[c]);
    const auto& rowCaptions = verificationGrid2RowCaptions(method);
    for (size_t j = 0; j < table.Grid2.size(); ++j) {
        sheet.setText(r2 + 1 + static_cast<int>(j), 1, rowCaptions[j]);
        for (size_t c = 0; c < 4; ++c) sheet.setText(r2 + 1 + static_cast<int>(j), static_cast<int>(c) + 2, table.Grid2[j][c]);
    }
    start.ensureFolder("results");
    try {
        book.saveAs(verificationResultPath(start, method));
    } catch (const BlankError& e) {
        return e.message();
    }
    return {};
}

}  // namespace vk7
