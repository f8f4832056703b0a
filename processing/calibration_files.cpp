#include "processing/calibration_files.h"

#include <cerrno>
#include <cstring>

#include "chromfile/dictionaries.h"
#include "common/cp1251.h"
#include "common/errors.h"
#include "common/files.h"
#include "common/number_text.h"

namespace vk7 {
namespace {

constexpr size_t kCaptionLineMax = 128;

fs::path spaceFile(const StartFolder& start, std::string_view name) { return start.file("space", name); }

}  // namespace

fs::path calibrationArchivePath(const StartFolder& start, std::string_view name) {
    return spaceFile(start, std::string(name) + ".grd");
}

fs::path calibrationBackupPath(const StartFolder& start, std::string_view name) {
    return spaceFile(start, std::string(name) + ".bak");
}

std::optional<std::string> readIdentifiedKey(const StartFolder& start) {
    auto lines = readLinesIfExists(spaceFile(start, "stt.dat"));
    if (!lines || lines->empty()) return std::nullopt;
    return lines->front();
}

CalibrationArchive loadCalibrationArchive(const StartFolder& start, std::string_view name) {
    CalibrationArchive archive = CalibrationArchive::parse(readFileBytes(calibrationArchivePath(start, name)));
    archive.markActive(readIdentifiedKey(start));
    return archive;
}

void saveCalibrationArchive(const StartFolder& start, std::string_view name, const CalibrationArchive& archive) {
    safeRewrite(calibrationArchivePath(start, name), archive.format(), {calibrationBackupPath(start, name)});
}

AppendOutcome AppendCalibrationTable(const StartFolder& start, std::string_view name, std::string_view key,
                                     const std::vector<PeakRowForCalibration>& rows) {
    for (const auto& r : rows)
        if (trimBlanks(r.status).empty() && intText(roundHalfEven(r.retentionSec)).size() > kCalTimeWidth)
            return AppendOutcome::TimeDoesNotFit;
    std::vector<std::string> table = calibrationTableFromPeakRows(key, rows);
    if (table.empty()) return AppendOutcome::NoRows;
    fs::path target = calibrationArchivePath(start, name);
    std::string bytes = readFileBytes(target);
    safeRewrite(target, appendTableToArchiveBytes(bytes, table), {calibrationBackupPath(start, name)});
    return AppendOutcome::Appended;
}

std::vector<std::string> readPassportDictionary(const StartFolder& start, std::string_view file) {
    auto lines = readDictionary(start, file);
    if (!lines) throw IoError("open", pathForMessage(spaceFile(start, file)), std::strerror(ENOENT));
    return std::move(*lines);
}

CalibrationDictionaries readCalibrationDictionaries(const StartFolder& start) {
    CalibrationDictionaries d;
    d.detect = readPassportDictionary(start, "detect");
    d.gas = readPassportDictionary(start, "gas");
    d.kolon = readPassportDictionary(start, "kolon");
    d.temp = readPassportDictionary(start, "temp");
    d.sm = readPassportDictionary(start, "sm");
    return d;
}

std::vector<std::string> readCalibrationAttributeCaptions(const StartFolder& start) {
    std::vector<std::string> lines = readLines(spaceFile(start, "regn.txt"), kCaptionLineMax);
    auto line = [&](size_t n) { return n <= lines.size() ? lines[n - 1] : std::string(); };
    std::vector<std::string> captions{line(2)};
    for (size_t n = 4; n <= 13; ++n) captions.push_back(line(n));
    return captions;
}

ChosenArchive archiveNameFromChosenFile(const StartFolder& start, const fs::path& chosen) {
    ChosenArchive result;
    if (!isDirectlyInFolder(chosen, start.folder("space"))) {
        result.outcome = ChosenArchive::NotInSpaceFolder;
        return result;
    }
    std::string name = textFromPath(chosen.filename());
    if (name.size() >= 4 && equalsNoCaseCp1251(std::string_view(name).substr(name.size() - 4), ".grd"))
        name.resize(name.size() - 4);
    if (name.empty() || name.size() > kArchiveNameMax) result.outcome = ChosenArchive::BadNameLength;
    result.name = std::move(name);
    return result;
}

}  // namespace vk7
