// The processing program's persistent settings: the 18 lines of \space\treat.dat, the rate
// on line 7 of the acquisition program's vk7.dat, and the start-up and close sequences.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/paths.h"
#include "platform/printer.h"

namespace vk7 {

struct ProcessingSettings {
    std::string DataDir;            // 1: folder of the last chromatogram (<= 128, ends with '/')
    std::string FileName;           // 2: its name (<= 32)
    int AveragingMs = 200;          // 3: "Постоянная времени фильтрации Тф, мс"
    double DetectThreshold = 0.5;   // 4: "Наименьший пик Up min, мВ"
    int MarkupMode = 0;             // 5: 0 "Авто", 1 "Архив", 2 "Файл", 3 "Комбин"
    int IdentMode = 0;              // 6: 0 "t абс", 1 "t отн"
    double TimeTolerancePct = 3.0;  // 7: "Допуск на время удерживания D оп, %"
    int ReferencePeakNo = 1;        // 8: "Номер опорного пика N опор"
    std::string ReferenceSubstance = "?";  // 9 (<= 32)
    int QuantMethod = 0;            // 10: 0 "АбсГр", 1 "ВнутрСт"
    int StandardPeakNo = 1;         // 11: "Номер пика стандарта N st"
    double StandardConc1 = 1.0;     // 12
    double StandardConc2 = 1.0;     // 13
    int AreaMethod = 0;             // 14: 0 "Перпендик", 1 "ДемокрРазд"
    std::string MethodologyName = "?";         // 15 (<= 16); "?" when changed since
    std::string CalibrationArchiveName = "grad";  // 16 (<= 16): \space\<name>.grd
    bool ShowTemperature = false;   // 17
    int Decimals = 3;               // 18: 0..5

    bool operator==(const ProcessingSettings&) const = default;
};

constexpr int kTreatLines = 18;

struct SettingsParse {
    ProcessingSettings Settings;
    std::vector<int> BadLines;  // 1-based numbers of lines that took their default
};

// Reads the lines of treat.dat: integers strictly, reals leniently, texts cut to their
// length. A missing or unreadable line takes its default; codes are clamped to their range
// and peak numbers of 0 become 1.
SettingsParse parseTreatDat(const std::vector<std::string>& lines);
// The 18 lines, each in its written form.
std::vector<std::string> formatTreatDat(const ProcessingSettings& settings);

// Points per second on line 7 of vk7.dat, or nullopt when the file or the line is missing
// or does not hold a positive number.
std::optional<double> readVk7PointsPerSecond(const StartFolder& start);

struct StartupValues {
    ProcessingSettings Settings;
    double Vk7Rate = 0;       // 0 when vk7.dat gave none
    int PrinterDpiX = 0, PrinterDpiY = 0;
    bool TreatNeedsBackup = false;      // treat.dat did not parse: keep a copy before the rewrite
    std::vector<std::string> Notices;   // Russian texts for information boxes
};

// What the main window reads when it is created: vk7.dat and treat.dat independently,
// then the printer resolution (down set equal to across when they differ; 0 with no printer).
StartupValues StartUp(const StartFolder& start, Printer& printer);

// Rewrites \space\treat.dat (creating \space when needed); with `keepBackup` the previous
// file is kept as treat.dat.bak first. Throws IoError.
void CloseDown(const StartFolder& start, const ProcessingSettings& settings, bool keepBackup);

}  // namespace vk7
