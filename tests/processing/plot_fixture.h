// Fixtures of the plot tests: a three-peak chromatogram (one single peak, one group of two)
// in the shared state, and a canvas that records what is drawn on it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "common/cp1251.h"
#include "platform/canvas.h"
#include "processing/processing_state.h"
#include "tests/support/point_generator.h"
#include "tests/support/recording_canvas.h"

namespace vk7::test {

inline Peak peak(int start, int apex, int end, char type, std::string name = "?") {
    Peak p;
    p.Start = start, p.Apex = apex, p.End = end, p.Type = type, p.Name = std::move(name);
    return p;
}

// A chromatogram of 2000 points at 25 samples per second, 5 samples per point (400 s),
// base 1000 counts, gain code 4; peaks: 1 'M' at point 400, 2 'B' at 1000 and 3 'E' at 1090.
// The view shows all of it.
inline constexpr int kFlatBase = 1000;
inline std::unique_ptr<ProcessingState> threePeakState() {
    auto s = std::make_unique<ProcessingState>(StartFolder("/nonexistent"));
    s->ProgramMode = ModeShown;
    OpenChromatogram& c = s->Chrom;
    c.SamplingRate = 25;
    c.SamplesPerPoint = 5;
    c.GainCode = 4;
    c.UnitCode = 0;
    c.SignalMultiplier = 1;
    c.Points = PointGenerator(2000, kFlatBase).gaussian(400, 8000, 15).gaussian(1000, 6000, 20).gaussian(1090, 9000, 20).points();
    s->Settings.FileName = "h12a.hrm";
    s->Settings.AveragingMs = 200;
    s->Markup.Peaks.push_back(peak(340, 400, 460, 'M', RU("Метан")));
    s->Markup.Peaks.push_back(peak(930, 1000, 1045, 'B'));
    s->Markup.Peaks.push_back(peak(1046, 1090, 1170, 'E'));
    s->View.ViewStartSec = 0;
    s->View.ViewEndSec = 400;
    return s;
}

}  // namespace vk7::test
