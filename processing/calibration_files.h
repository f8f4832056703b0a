// The files of the calibration archive in the space folder: <name>.grd with its <name>.bak,
// stt.dat (the key identified last), the passport dictionaries the table headers name, the
// attribute captions of regn.txt, and the new table made from a peak table.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/paths.h"
#include "processing/calibration_archive.h"

namespace vk7 {

// Longest base name of an archive.
inline constexpr size_t kArchiveNameMax = 16;

// space/<name>.grd and space/<name>.bak, each found without regard to case.
fs::path calibrationArchivePath(const StartFolder& start, std::string_view name);
fs::path calibrationBackupPath(const StartFolder& start, std::string_view name);

// The first line of space/stt.dat; nullopt when the file is missing or empty (no table is
// active then).
std::optional<std::string> readIdentifiedKey(const StartFolder& start);

// Reads space/<name>.grd and marks the tables that match stt.dat. Throws IoError when the
// archive cannot be read.
CalibrationArchive loadCalibrationArchive(const StartFolder& start, std::string_view name);

// Writes the archive through the safe rewrite: the previous file is kept as <name>.bak, and
// a failure at any step leaves the previous archive whole (IoError).
void saveCalibrationArchive(const StartFolder& start, std::string_view name, const CalibrationArchive& archive);

enum class AppendOutcome {
    Appended,
    NoRows,          // no row has an empty status
    TimeDoesNotFit,  // a retention time wider than the 5 columns of a component line
};
// Appends a table made from peak-table rows (see calibrationTableFromPeakRows) to the
// existing archive space/<name>.grd, keeping the previous file as <name>.bak. Throws
// IoError when the archive cannot be read or written; nothing is written unless Appended.
AppendOutcome AppendCalibrationTable(const StartFolder& start, std::string_view name, std::string_view key,
                                     const std::vector<PeakRowForCalibration>& rows);

// The lines of the passport dictionary space/<file> (each at most 128 characters).
// Throws IoError when it cannot be read.
std::vector<std::string> readPassportDictionary(const StartFolder& start, std::string_view file);
// The five dictionaries detect, gas, kolon, temp and sm.
CalibrationDictionaries readCalibrationDictionaries(const StartFolder& start);

// The captions of the eleven attribute rows: line 2 of space/regn.txt, then its lines 4 to
// 13 (empty where the file is shorter). Throws IoError when it cannot be read.
std::vector<std::string> readCalibrationAttributeCaptions(const StartFolder& start);

// The archive name taken from a file chosen in the open dialog: the file must lie in the
// space folder and its name without a final ".grd" must have 1 to 16 characters.
struct ChosenArchive {
    enum Outcome { Ok, NotInSpaceFolder, BadNameLength } outcome = Ok;
    std::string name;  // the file name without a final ".grd" (Windows-1251)
};
ChosenArchive archiveNameFromChosenFile(const StartFolder& start, const fs::path& chosen);

}  // namespace vk7
