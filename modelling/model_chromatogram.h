// Writing a chromatogram model as a new chromatogram file H<N>A.HRM in a section \DATA\<name>\,
// with noise, a header from the acquisition regime of channel 1 of the pair A and B, and a
// comment of date, time and "Модель"; the regime reading and the list of sections.
#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "common/clock.h"
#include "common/paths.h"
#include "modelling/chromatogram_model.h"

namespace vk7 {

// What a modelled chromatogram takes from the acquisition regime: the odd lines 1 to 21 of
// \space\regim.dat (each whole line as a lenient integer, its low 16 bits, so 65535 is -1;
// 0 for a missing file or line), and lines 14 (R of channel 1) and 18 (its section) of
// \space\rsv.dat (R = 1 and no section when rsv.dat is missing; R = 0 when unreadable).
struct ModelRegime {
    std::array<int16_t, 22> Line{};  // Line[k] is regime line k, for odd k
    double ChannelR = 1;
    std::string Section;
};
ModelRegime readModelRegime(const StartFolder& start);

// The header words w0..w19 of a modelled chromatogram with a comment of `commentLength`.
std::array<int16_t, 20> modelHeader(const ModelRegime& regime, int commentLength);
// date + " " + HH:MM + " Модель", the date as dd.mm.yyyy.
std::string modelComment(const LocalDateTime& now);

// The sections: folders directly under \DATA\ (any case) of at most 16 characters, sorted.
std::vector<std::string> ListDataSections(const StartFolder& start);
// Whether `section` names one of them.
bool isDataSection(const StartFolder& start, const std::string& section);

// The noise amplitude in counts for millivolts: Round(mV / full scale / 1000 x 32768), 0
// for a noise of 0 or less.
int modelNoiseCounts(double noiseMv);

struct ModelWrite {
    fs::path File;        // the file written
    std::string Refusal;  // a message for an information box; nothing was written
};
// Writes the model (its curve as it stands: the caller checks and synthesises first) into
// \DATA\<section>\ as H<N>A.HRM, N the next chromatogram number of the folder. The file is
// written under a temporary name and given its name only while that name is free, so no
// file is ever overwritten. Refusals: no valid section, R of 0 or less, fewer than 3 points.
// Throws IoError when the folder cannot be written.
ModelWrite WriteModelAsChromatogram(const StartFolder& start, const ChromatogramModel& model,
                                    const std::string& section, double noiseMv, const ModelRegime& regime,
                                    const LocalDateTime& now, std::mt19937& random);

}  // namespace vk7
