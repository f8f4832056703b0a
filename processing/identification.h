// Identification of the peaks of the open chromatogram by retention time, absolute or
// relative to a reference peak, against the calibration tables of the active archive whose
// conditions match the chromatogram's key; and the overload flags of peaks whose apex value
// leaves the working range. It publishes the key in space/stt.dat and the matching component
// lines in space/grad.dat, which quantitation, the substance picker and the calibration
// graphs read.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "chromfile/peak_markup.h"
#include "processing/processing_state.h"

namespace vk7 {

// A substance a peak may be given: its stored retention time and its name.
struct CalibrationCandidate {
    double TimeSec = 0;  // columns 1-5 of the component line
    std::string Name;    // from column 48, at most 32 characters
};

// What identification takes from an archive for one key.
struct MatchedCalibration {
    std::vector<CalibrationCandidate> Candidates;  // in file order, without limit
    std::vector<std::string> PointLines;           // the grad.dat line of each candidate
};

// The switched-on component lines of every table of `archiveBytes` whose header matches
// `key` (first 48 characters), tables taken one after another in file order. Reading ends at
// the end line "#". A line shorter than 48 characters (no name) is neither a candidate nor a
// calibration point.
MatchedCalibration MatchCalibrationTables(std::string_view archiveBytes, std::string_view key);

// Names every peak by the candidate nearest in time within the tolerance window
// (tolerancePct of the peak's own time). A substance given to an earlier peak is not given
// again; of two candidates at the same distance the later one wins; a peak with no candidate
// keeps its name. Peak time = apex / samplingRate x samplesPerPoint seconds.
void IdentifyAbsolute(PeakMarkup& markup, const std::vector<CalibrationCandidate>& candidates,
                        double samplingRate, int samplesPerPoint, double tolerancePct);

// The same with times relative to the reference: a peak's apex over the reference peak's
// apex against a candidate's time over `referenceTimeSec`. The caller checks that the
// reference peak exists and the reference time is positive.
void IdentifyRelative(PeakMarkup& markup, const std::vector<CalibrationCandidate>& candidates,
                        int referencePeakNo, double referenceTimeSec, double tolerancePct);

// Every peak whose apex value lies beyond 32000 in magnitude is flagged (apexOverloaded); the
// others are cleared.
void SetOverloadFlags(PeakMarkup& markup);

// The messages of relative identification.
const std::string& NoReferenceSubstanceText();  // "Нет указанного вещества"
const std::string& BadReferencePeakText();      // "Неверен номер опорного пика"
// The notice for an active calibration archive that cannot be read.
std::string MissingArchiveText(const std::string& archiveName);

// The identification step of the pipeline, run right after the peaks are measured (which
// resets their names as the mode asks), with `key` the open chromatogram's key. Writes
// stt.dat (the key) and grad.dat (the matching lines; empty when the archive cannot be read,
// which throws IoError), then, when there are peaks, names them by the settings' IdentMode
// and sets the overload flags. Returns the Russian texts for information boxes: a message of
// relative identification is returned once for the open file and identification settings
// (remembered in state.IdentificationNoticeKey), not again on every view change.
// Files whose content would not change are not rewritten.
std::vector<std::string> IdentifyPeaks(ProcessingState& state, std::string_view key);
// The same with the key built from the open chromatogram.
std::vector<std::string> IdentifyPeaks(ProcessingState& state);

}  // namespace vk7
