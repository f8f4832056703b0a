#include "processing/identification.h"

#include <cmath>

#include "chromfile/chromatogram_key.h"
#include "common/cp1251.h"
#include "common/errors.h"
#include "common/files.h"
#include "common/number_text.h"
#include "processing/calibration_archive.h"
#include "processing/calibration_files.h"
#include "processing/peak_detection.h"

namespace vk7 {
namespace {

constexpr double kNoDistance = 1e29;

// Whether `name` was already given to one of the peaks before peak i in this pass.
bool givenToEarlierPeak(const PeakMarkup& markup, int i, const std::string& name) {
    for (int k = 1; k < i; ++k)
        if (markup.Peaks[k].Name == name) return true;
    return false;
}

// The matching rule shared by both variants: position(i) is the peak's own time (or ratio),
// candidateValue(c) the candidate's; the window is tolerancePct of the peak's value.
template <class Position, class CandidateValue>
void nameByNearest(PeakMarkup& markup, const std::vector<CalibrationCandidate>& candidates, double tolerancePct,
                   Position&& position, CandidateValue&& candidateValue) {
    for (int i = 1; i <= markup.PeakCount(); ++i) {
        const double x = position(i);
        const double window = tolerancePct * x / 100.0;
        double best = kNoDistance;
        for (const CalibrationCandidate& c : candidates) {
            const double d = std::fabs(candidateValue(c) - x);
            // d <= best: of two candidates at the same distance the later one wins.
            if (d <= best && d < window && !givenToEarlierPeak(markup, i, c.Name)) {
                markup.Peaks[i].Name = c.Name;
                best = d;
            }
        }
    }
}

// Replaces the file only when its content differs: the pipeline runs on every zoom and
// scroll, and the files then stay as they are.
void rewriteIfChanged(const fs::path& file, const std::string& bytes) {
    auto current = readFileBytesIfExists(file);
    if (current && *current == bytes) return;
    safeRewrite(file, bytes);
}

std::string noticeKey(const ProcessingState& state, const std::string& message) {
    const ProcessingSettings& s = state.Settings;
    std::string key = s.DataDir + s.FileName;
    for (const std::string& part :
         {s.CalibrationArchiveName, std::to_string(s.IdentMode), fixedText(s.TimeTolerancePct, 0, 6),
          std::to_string(s.ReferencePeakNo), s.ReferenceSubstance, message}) {
        key += '\n';
        key += part;
    }
    return key;
}

}  // namespace

MatchedCalibration MatchCalibrationTables(std::string_view archiveBytes, std::string_view key) {
    MatchedCalibration out;
    bool matching = false;
    for (const std::string& line : splitLines(archiveBytes)) {
        if (isCalibrationEndLine(line)) break;
        if (isCalibrationHeaderLine(line)) {
            matching = sameConditions(line, key);
            continue;
        }
        if (!matching || line.size() <= kCalNameOffset) continue;
        if (line.back() == '-') continue;  // switched off
        CalibrationCandidate c;
        c.TimeSec = parseLenient(std::string_view(line).substr(0, kCalTimeWidth));
        c.Name = cutText(parseCalibrationLine(line).name, kCalNameMax);
        out.Candidates.push_back(std::move(c));
        out.PointLines.push_back(calibrationPointLine(line));
    }
    return out;
}

void IdentifyAbsolute(PeakMarkup& markup, const std::vector<CalibrationCandidate>& candidates,
                        double samplingRate, int samplesPerPoint, double tolerancePct) {
    if (!(samplingRate > 0)) return;
    nameByNearest(
        markup, candidates, tolerancePct,
        [&](int i) { return markup.Peaks[i].Apex / samplingRate * samplesPerPoint; },
        [](const CalibrationCandidate& c) { return c.TimeSec; });
}

void IdentifyRelative(PeakMarkup& markup, const std::vector<CalibrationCandidate>& candidates,
                        int referencePeakNo, double referenceTimeSec, double tolerancePct) {
    if (!markup.Peaks.valid(referencePeakNo) || !(referenceTimeSec > 0)) return;
    const double referenceApex = markup.Peaks[referencePeakNo].Apex;
    if (!(referenceApex > 0)) return;
    nameByNearest(
        markup, candidates, tolerancePct, [&](int i) { return markup.Peaks[i].Apex / referenceApex; },
        [&](const CalibrationCandidate& c) { return c.TimeSec / referenceTimeSec; });
}

void SetOverloadFlags(PeakMarkup& markup) {
    for (Peak& p : markup.Peaks) p.Overload = apexOverloaded(p);
}

const std::string& NoReferenceSubstanceText() { return RU("Нет указанного вещества"); }
const std::string& BadReferencePeakText() { return RU("Неверен номер опорного пика"); }

std::string MissingArchiveText(const std::string& archiveName) {
    return RU("Нет файла градуировок \\space\\") + archiveName + RU(".grd: вещества не опознаются.");
}

std::vector<std::string> IdentifyPeaks(ProcessingState& state, std::string_view key) {
    const StartFolder& start = state.Start;
    const ProcessingSettings& settings = state.Settings;

    rewriteIfChanged(start.file("space", "stt.dat"), joinLinesCrLf({std::string(key)}));

    // A missing archive must not leave the previous chromatogram's calibration points behind.
    const fs::path grad = start.file("space", "grad.dat");
    // The pipeline reruns on view changes: a missing or unreadable archive is told once,
    // like the other identification messages, not raised as an error on every zoom.
    std::string message;
    std::string archive;
    const fs::path archivePath = calibrationArchivePath(start, settings.CalibrationArchiveName);
    try {
        archive = readFileBytes(archivePath);
    } catch (const IoError&) {
        message = MissingArchiveText(settings.CalibrationArchiveName);
    }
    const MatchedCalibration calibration = MatchCalibrationTables(archive, key);
    rewriteIfChanged(grad, joinLinesCrLf(calibration.PointLines));

    PeakMarkup& markup = state.Markup;
    if (markup.PeakCount() > 0 && message.empty()) {
        if (settings.IdentMode == 1) {
            // The reference time in whole seconds; the last line of the reference substance wins.
            int64_t referenceTime = 0;
            for (const CalibrationCandidate& c : calibration.Candidates)
                if (c.Name == settings.ReferenceSubstance) referenceTime = wholePart(c.TimeSec);
            if (referenceTime <= 0)
                message = NoReferenceSubstanceText();
            else if (!markup.Peaks.valid(settings.ReferencePeakNo) ||
                     markup.Peaks[settings.ReferencePeakNo].Apex <= 0)
                message = BadReferencePeakText();
            else
                IdentifyRelative(markup, calibration.Candidates, settings.ReferencePeakNo,
                                   static_cast<double>(referenceTime), settings.TimeTolerancePct);
        } else {
            IdentifyAbsolute(markup, calibration.Candidates, state.Chrom.SamplingRate, state.Chrom.SamplesPerPoint,
                               settings.TimeTolerancePct);
        }
    }
    // A clipped peak is clipped whether or not the peaks could be named.
    SetOverloadFlags(markup);

    std::vector<std::string> notices;
    if (message.empty()) {
        state.IdentificationNoticeKey.clear();
    } else {
        std::string shownFor = noticeKey(state, message);
        if (shownFor != state.IdentificationNoticeKey) notices.push_back(message);
        state.IdentificationNoticeKey = std::move(shownFor);
    }
    return notices;
}

std::vector<std::string> IdentifyPeaks(ProcessingState& state) {
    return IdentifyPeaks(state, BuildChromatogramKey(state.Chrom));
}

}  // namespace vk7
