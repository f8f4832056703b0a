#include "results/averaging.h"

#include <cmath>

#include "common/cp1251.h"
#include "common/files.h"
#include "common/number_text.h"
#include "processing/table_rows.h"
#include "results/normalisation.h"
#include "results/statistics.h"

namespace vk7 {

namespace {

constexpr int kMaxRowNumber = 32;
constexpr size_t kTitleMax = 128;
constexpr size_t kSummaryPrefix = 18;  // "Суммарная таблица "
constexpr size_t kFileListMax = 64;

std::string refusal(std::string_view reason) { return RU("Некорректные данные: ") + std::string(reason); }

bool isBlank(std::string_view line) { return trimBlanks(line).empty(); }

// d% in columns 65-70 with one decimal; a wider value loses its decimal and may then take
// the blanks up to column 74, so that the name still starts at column 75.
std::string deviationField(double d) {
    if (!std::isfinite(d)) d = 0;
    for (int decimals : {1, 0}) {
        const std::string text = fixedText(d, 0, decimals);
        if (text.size() <= 6) return padLeft(text, 6) + "    ";
    }
    const std::string text = fixedText(d, 0, 0);
    if (text.size() <= 10) return padRight(text, 10);
    return padRight(expTextWithin(d, 10), 10);
}

// A row read, and whether its C column holds a number ("-" of an unnamed peak does not).
struct ReadRow : TableRow {
    bool HasConc = false;
};

struct RowSums {
    double Time = 0, Height = 0, Width = 0, Asymmetry = 0, Area = 0, Share = 0, Conc = 0, ConcSquares = 0;
};

}  // namespace

AveragedTable averageSummaryLines(const std::vector<std::string>& summaryLines, int decimals) {
    AveragedTable result;
    const TableText text = splitTableText(summaryLines);

    // The head lines of the averaged table, which a refused one keeps alone.
    const std::string head = text.Head.empty() ? std::string() : text.Head[0];
    const std::string files = head.size() > kSummaryPrefix ? cutText(head.substr(kSummaryPrefix), kFileListMax) : "";
    result.Lines.push_back(cutText(files + RU(" (усреднение)"), kTitleMax));
    for (size_t i = 1; i < kTableHeadLines; ++i) result.Lines.push_back(i < text.Head.size() ? text.Head[i] : "");

    // The analyses: a row numbered 1 starts the next one.
    std::vector<std::vector<ReadRow>> blocks;
    bool tooManyRows = false;
    for (const std::string& line : text.Rows) {
        if (isBlank(line)) continue;
        ReadRow row{readTableRow(line)};
        tooManyRows = tooManyRows || row.Number > kMaxRowNumber;
        row.HasConc = parseStrictReal(trimBlanks(columnText(line, TableColumn::Conc))).has_value();
        if (row.Number == 1 || blocks.empty()) blocks.emplace_back();
        blocks.back().push_back(std::move(row));
    }

    auto refuse = [&result](std::string_view reason) {
        result.Refusal = refusal(reason);
        return result;
    };
    // A row number above 32 is the reason, also where it makes its analysis the longer one.
    if (blocks.size() < 2) return refuse(RU("однократный анализ"));
    if (tooManyRows) return refuse(RU("много строк (>32)"));
    const size_t rows = blocks.front().size();
    for (const auto& block : blocks)
        if (block.size() != rows) return refuse(RU("некратное число строк"));
    for (const auto& block : blocks)
        for (size_t i = 0; i < block.size(); ++i)
            if (block[i].Number != static_cast<int>(i) + 1) return refuse(RU("нарушена нумерация строк"));
    for (size_t i = 0; i < rows; ++i)
        for (const auto& block : blocks)
            if (trimTrailingBlanks(block[i].Name) != trimTrailingBlanks(blocks.front()[i].Name))
                return refuse(RU("разные вещества в строке ") + intText(static_cast<int64_t>(i) + 1));

    const int n = static_cast<int>(blocks.size());
    const double k = StudentFactor(n);
    for (size_t i = 0; i < rows; ++i) {
        RowSums sum;
        bool anyConc = false;
        for (const auto& block : blocks) {
            const ReadRow& r = block[i];
            sum.Time += r.Time;
            sum.Height += r.Height;
            sum.Width += r.Width;
            sum.Asymmetry += r.Asymmetry;
            sum.Area += r.Area;
            sum.Share += r.Share;
            sum.Conc += r.Conc;
            sum.ConcSquares += r.Conc * r.Conc;
            anyConc = anyConc || r.HasConc;
        }
        const double meanConc = sum.Conc / n;
        const double meanK = sum.Asymmetry / n;
        const double s = SampleDeviation(n, sum.Conc, sum.ConcSquares);
        const double d = k * s / std::sqrt(static_cast<double>(n)) * 100.0 / (meanConc == 0 ? 1.0 : meanConc);

        std::string line = intText(static_cast<int64_t>(i) + 1, 3);
        line += tableFieldText(sum.Time / n, 8, 8, 2, false);
        line += tableFieldText(sum.Height / n, 9, 10, 3, true);
        line += tableFieldText(sum.Width / n, 5, 7, 1, false);
        line += meanK == 0 ? std::string("  -     ") : tableFieldText(meanK, 8, 8, 1, false);
        line += tableFieldText(sum.Area / n, 9, 10, 3, true);
        line += tableFieldText(sum.Share / n, 8, 8, 2, true);
        if (anyConc) {
            line += tableFieldText(meanConc, 9, 10, decimals, true);
            line += deviationField(d);
        } else {
            // An unnamed peak has no concentration in any analysis: it keeps the dashes.
            line += "        - ";
            line += " -        ";
        }
        line += cutText(blocks.back()[i].Name, kTableNameMax);
        result.Lines.push_back(std::move(line));
    }
    return result;
}

std::optional<std::string> AverageAnalyses(const StartFolder& start, int decimals) {
    const std::vector<std::string> summary = readLines(start.file("results", "tabsum.txt"));
    AveragedTable table = averageSummaryLines(summary, decimals);
    if (table.Refusal) {
        // tablr.txt keeps only the head lines, so that no averaged table of another set
        // survives there to be taken for this one; tabl.txt stays as it is.
        writeLines(findNoCase(start.ensureFolder("results"), "tablr.txt"), table.Lines);
        return table.Refusal;
    }

    ReplaceTablThroughTablr(start, table.Lines);
    return std::nullopt;
}

}  // namespace vk7
