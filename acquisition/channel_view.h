// A channel view of the acquisition program: the preview of a channel's recording drawn as
// millivolts over minutes on a canvas, its frame and time axis, the cursor readout, the
// zoom and the moves of the time window, the fragment chosen with the mouse, the zero shift,
// and the time correction that rescales the recorded points per second.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "acquisition/recording.h"
#include "platform/canvas.h"

namespace vk7 {

inline constexpr int kChannelViewClientHeight = 326;
inline constexpr int kChannelViewMinWidth = 432;

// The view state of one window.
struct ChannelViewState {
    // Plot edges: left 9, right = width - 24, top 16, bottom = height - 1.
    int left = 9, right = 400, top = 16, bottom = 249;
    int zeroLineY = 133;
    int32_t startSec = 0, endSec = 60;  // the time range shown, seconds from the file's start
    double zoom = 1;                    // vertical, 0.5 ... 256
    int zeroOffset = 0;                 // counts added to every point
    double pointsPerPixel = 0;          // preview points per pixel, set by each curve drawing
    int countsPerPixel = 1;             // set by each frame drawing
    int tickStep = 10;
    int cursorX = 11;
    bool fragmentMode = false;  // the next drag chooses a fragment
    bool fragmentShown = false;
    int correctionState = 0;  // 0 off, 1 start mark, 2 end mark, 3 true length
    double correctionStartSec = 0, correctionEndSec = 0;
    // The rubber rectangle of a fragment being dragged.
    bool dragging = false;
    CanvasPoint dragStart, dragEnd;
};

// FormCreate: edges of a paint box of this size, zero line in the middle, range 0 to the
// record time (at least a minute), zoom 1, no offset, cursor at left + 2, modes off.
void createChannelView(ChannelViewState& v, int paintWidth, int paintHeight, uint16_t recordTimeSec);
// FormResize: the edges again (the zero line stays where it was).
void setChannelViewSize(ChannelViewState& v, int paintWidth, int paintHeight);

// Full scale in volts of a gain code: 10 V divided by 1, 4, 16, 64 or 256.
double gainFullScaleVolts(int gainCode);

// The voltage scale of the frame.
struct ChannelFrameScale {
    std::string unitText;  // "В" or "мВ" (Windows-1251)
    int decimals = 0;
    double unitVolts = 1;  // volts between two labelled ticks
    int tickStep = 10;     // pixels between them
};
ChannelFrameScale channelFrameScale(double zoom, int gainCode, int plotHeight);

// The time axis: pixels per step and the step in minutes (1, 5, 25 ... until 30 px).
struct ChannelTimeAxis {
    double pixelsPerStep = 0;
    int stepMinutes = 1;
    int count = 0;
};
ChannelTimeAxis channelTimeAxis(int32_t spanSec, int plotWidth);

// The drawing steps; they take the canvas of the paint box.
void DrawChannelFrame(Canvas& c, ChannelViewState& v, int gainCode);
void DrawChannelTimeAxis(Canvas& c, const ChannelViewState& v);
// The curve in `colour`, up to the last point of the preview.
void DrawChannelCurve(Canvas& c, ChannelViewState& v, const ChannelPreview& p, Colour colour);
// The cursor line: red, xor, from top + 2 to bottom - 2.
void DrawChannelCursor(Canvas& c, const ChannelViewState& v);
// Frame, time axis, curve and cursor.
void RedrawChannelView(Canvas& c, ChannelViewState& v, const ChannelPreview& p, Colour colour);

// Label3's text for the correction state.
std::string correctionStatusText(int state);

// The readout at the cursor: time (" м") and voltage (" мВ" / " В"); in correction states 1
// and 2 the cursor time becomes the start or the end mark. Past the last point of the
// preview (where the curve ends) there is no voltage to read: its text is empty.
struct ChannelReadout {
    std::string timeText;
    std::string voltageText;
};
ChannelReadout UpdateChannelReadout(ChannelViewState& v, const ChannelPreview& p);

// Navigation. `recordingEndSec` is how far the recording reaches (its planned time, or the
// time of its points when longer).
void zoomChannelIn(ChannelViewState& v);
void zoomChannelOut(ChannelViewState& v);
void ResetChannelVertical(ChannelViewState& v);
void moveChannelWindowLeft(ChannelViewState& v);
void moveChannelWindowRight(ChannelViewState& v, int32_t recordingEndSec);
void ShowWholeRecording(ChannelViewState& v, uint16_t recordTimeSec);
// The end of a fragment drag: true when the view changed (a rectangle narrower or lower
// than 3 pixels is ignored and the fragment mode stays on).
bool finishChannelFragment(ChannelViewState& v, CanvasPoint a, CanvasPoint b);
// The double click: the point under x is put on the zero line.
void shiftChannelZero(ChannelViewState& v, const ChannelPreview& p, int x);

// A press on the plot without the fragment mode: the cursor moves there (limited to the
// plot) and the correction advances. Returns the marked length in minutes (8 characters, 3
// decimals) when the correction now waits for the true length.
std::optional<std::string> pressChannelCursor(ChannelViewState& v, const ChannelPreview& p, int x);
// F9: the correction starts, or stops without a change.
void toggleTimeCorrection(ChannelViewState& v);

// The corrected points per second for the marks and the true length typed in minutes, or
// nullopt when the stretch is refused: end mark not right of the start mark, a length that
// is no number or not above 0, a factor outside 0.5 ... 2, a result that is not finite.
std::optional<double> correctedPointsPerSecond(double pointsPerSecond, double startSec, double endSec,
                                               std::string_view trueMinutesText);

}  // namespace vk7
