#include "chromfile/processing_settings.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "common/cp1251.h"
#include "common/files.h"
#include "common/number_text.h"

namespace vk7 {

namespace {

constexpr size_t kSettingsLineLength = 255;
// Reals of treat.dat are thresholds, percents and concentrations; beyond this magnitude a
// value is damage, and its fixed-point text would no longer fit a line.
constexpr double kSettingsRealLimit = 1e15;

struct Reader {
    const std::vector<std::string>& lines;
    SettingsParse& out;

    const std::string* line(int n) {
        if (n > static_cast<int>(lines.size())) {
            out.BadLines.push_back(n);
            return nullptr;
        }
        return &lines[size_t(n - 1)];
    }
    void integer(int n, int& field, int lo, int hi) {
        const std::string* l = line(n);
        if (!l) return;
        auto v = parseStrictInt(*l);
        if (!v || *v < lo || *v > hi) {
            out.BadLines.push_back(n);
            return;
        }
        field = static_cast<int>(*v);
    }
    void real(int n, double& field) {
        const std::string* l = line(n);
        if (!l) return;
        const double v = parseLenient(*l);
        if (!(std::fabs(v) < kSettingsRealLimit)) {
            out.BadLines.push_back(n);
            return;
        }
        field = v;
    }
    void text(int n, std::string& field, size_t max) {
        if (const std::string* l = line(n)) field = cutText(*l, max);
    }
};

}  // namespace

SettingsParse parseTreatDat(const std::vector<std::string>& lines) {
    SettingsParse out;
    ProcessingSettings& s = out.Settings;
    Reader r{lines, out};
    r.text(1, s.DataDir, 128);
    r.text(2, s.FileName, 32);
    r.integer(3, s.AveragingMs, 0, 65535);
    r.real(4, s.DetectThreshold);
    r.integer(5, s.MarkupMode, 0, 255);
    r.integer(6, s.IdentMode, 0, 255);
    r.real(7, s.TimeTolerancePct);
    r.integer(8, s.ReferencePeakNo, 0, 255);
    r.text(9, s.ReferenceSubstance, 32);
    r.integer(10, s.QuantMethod, 0, 255);
    r.integer(11, s.StandardPeakNo, 0, 255);
    r.real(12, s.StandardConc1);
    r.real(13, s.StandardConc2);
    r.integer(14, s.AreaMethod, 0, 255);
    r.text(15, s.MethodologyName, 16);
    r.text(16, s.CalibrationArchiveName, 16);
    if (const std::string* l = r.line(17)) s.ShowTemperature = !l->empty() && (*l)[0] == '1';
    r.integer(18, s.Decimals, 0, 255);

    s.MarkupMode = std::min(s.MarkupMode, 3);
    s.IdentMode = std::min(s.IdentMode, 1);
    s.QuantMethod = std::min(s.QuantMethod, 1);
    s.AreaMethod = std::min(s.AreaMethod, 1);
    s.Decimals = std::min(s.Decimals, 5);
    if (s.ReferencePeakNo == 0) s.ReferencePeakNo = 1;
    if (s.StandardPeakNo == 0) s.StandardPeakNo = 1;
    std::sort(out.BadLines.begin(), out.BadLines.end());
    out.BadLines.erase(std::unique(out.BadLines.begin(), out.BadLines.end()), out.BadLines.end());
    return out;
}

std::vector<std::string> formatTreatDat(const ProcessingSettings& s) {
    return {
        s.DataDir,
        s.FileName,
        intText(s.AveragingMs),
        fixedText(s.DetectThreshold, 8, 2),
        intText(s.MarkupMode),
        intText(s.IdentMode),
        fixedText(s.TimeTolerancePct, 8, 1),
        intText(s.ReferencePeakNo),
        s.ReferenceSubstance,
        intText(s.QuantMethod),
        intText(s.StandardPeakNo),
        fixedText(s.StandardConc1, 7, 3),
        fixedText(s.StandardConc2, 7, 3),
        intText(s.AreaMethod),
        s.MethodologyName,
        s.CalibrationArchiveName,
        s.ShowTemperature ? "1" : "0",
        intText(s.Decimals),
    };
}

std::optional<double> readVk7PointsPerSecond(const StartFolder& start) {
    auto lines = readLinesIfExists(start.file("", "vk7.dat"), 128);
    if (!lines || lines->size() < 7) return std::nullopt;
    const double rate = parseLenient((*lines)[6]);
    if (!(rate > 0)) return std::nullopt;
    return rate;
}

StartupValues StartUp(const StartFolder& start, Printer& printer) {
    StartupValues v;

    // vk7.dat and treat.dat are independent: a problem with one never skips the other.
    try {
        if (auto rate = readVk7PointsPerSecond(start)) v.Vk7Rate = *rate;
        else
            v.Notices.push_back(RU("В стартовой папке нет файла vk7.dat с частотой точек (строка 7). "
                                   "Хроматограммы, записанные программой приема, открыть нельзя, "
                                   "пока этот файл не появится."));
    } catch (const std::exception&) {
        v.Notices.push_back(RU("Файл vk7.dat в стартовой папке не удалось прочитать. "
                               "Хроматограммы, записанные программой приема, открыть нельзя."));
    }

    const fs::path treat = start.file("space", "treat.dat");
    try {
        auto lines = readLinesIfExists(treat, kSettingsLineLength);
        if (!lines) {
            v.Notices.push_back(RU("Нет файла \\space\\treat.dat: приняты параметры обработки по умолчанию."));
        } else {
            SettingsParse parsed = parseTreatDat(*lines);
            v.Settings = parsed.Settings;
            if (!parsed.BadLines.empty()) {
                std::string numbers;
                for (int n : parsed.BadLines) numbers += (numbers.empty() ? "" : ", ") + std::to_string(n);
                v.Notices.push_back(RU("В файле \\space\\treat.dat неверны строки ") + numbers +
                                    RU(": для них приняты значения по умолчанию. "
                                       "Прежний файл будет сохранен как treat.dat.bak."));
                v.TreatNeedsBackup = true;
            }
        }
    } catch (const std::exception&) {
        v.Notices.push_back(RU("Файл \\space\\treat.dat не удалось прочитать: приняты параметры обработки "
                               "по умолчанию. Прежний файл будет сохранен как treat.dat.bak."));
        v.TreatNeedsBackup = true;
    }

    // Temporaries that a killed rewrite left in the folders this program writes are full
    // copies nobody reads.
    for (const fs::path& dir : {start.root(), start.folder("space"), start.folder("results")})
        removeStaleRewriteTemporaries(dir);
    if (!v.Settings.DataDir.empty()) removeStaleRewriteTemporaries(pathFromText(v.Settings.DataDir));
    // The HTML protocol is written whole as prot.htm.part and then renamed to prot.htm; one
    // that a kill left behind is a page nobody opens. A young one may be a protocol being
    // written by another instance, as with the temporaries.
    {
        const fs::path part = start.folder("results") / "prot.htm.part";
        std::error_code ec;
        const auto written = fs::last_write_time(part, ec);
        if (!ec && fs::file_time_type::clock::now() - written >= std::chrono::seconds(60) && fs::is_regular_file(part, ec))
            fs::remove(part, ec);
    }

    const PrinterResolution dpi = printerDpi(printer);
    v.PrinterDpiX = dpi.dpiX;
    v.PrinterDpiY = dpi.dpiY;
    return v;
}

void CloseDown(const StartFolder& start, const ProcessingSettings& settings, bool keepBackup) {
    const fs::path space = start.ensureFolder("space");
    const fs::path treat = findNoCase(space, "treat.dat");
    RewriteOptions options;
    if (keepBackup) options.backup = space / "treat.dat.bak";
    writeLines(treat, formatTreatDat(settings), options);
}

}  // namespace vk7
