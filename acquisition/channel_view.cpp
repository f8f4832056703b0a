#include "acquisition/channel_view.h"

#include <algorithm>
#include <cmath>

#include "common/cp1251.h"
#include "common/number_text.h"

namespace vk7 {

namespace {

constexpr Colour kWhite = 0xFFFFFF, kGrey = 0x808080, kNavy = 0x800000, kRed = 0x0000FF, kBlack = 0x000000;
constexpr int32_t kMinSpanSec = 60;

int roundInt(double v) { return static_cast<int>(std::clamp<int64_t>(roundHalfEven(v), INT32_MIN, INT32_MAX)); }

Font viewFont() { return Font{"SmallFonts", 9, kBlack, 0}; }

// The end of the range is at least a minute after its start.
void keepSpan(ChannelViewState& v) {
    if (v.startSec < 0) v.startSec = 0;
    if (v.endSec < v.startSec + kMinSpanSec) v.endSec = v.startSec + kMinSpanSec;
}

double previewRate(const ChannelPreview& p) { return p.rate > 0 ? p.rate : 1.0; }

// Time in seconds at plot x, from the points per pixel of the last curve drawing.
double timeAtX(const ChannelViewState& v, const ChannelPreview& p, int x) {
    return roundHalfEven((x - v.left) * v.pointsPerPixel) * double(p.width) / previewRate(p) + v.startSec;
}

int pointAtTime(const ChannelPreview& p, double s) { return roundInt(s * previewRate(p) / p.width); }

void setPointsPerPixel(ChannelViewState& v, const ChannelPreview& p) {
    const int plotWidth = std::max(1, v.right - v.left);
    v.pointsPerPixel = double(v.endSec - v.startSec) / p.width / plotWidth * previewRate(p);
}

}  // namespace

void setChannelViewSize(ChannelViewState& v, int w, int h) {
    v.left = 9;
    v.right = std::max(v.left + 1, w - 24);
    v.top = 16;
    v.bottom = std::max(v.top + 1, h - 1);
    v.cursorX = std::clamp(v.cursorX, v.left, v.right);
}

void createChannelView(ChannelViewState& v, int w, int h, uint16_t recordTimeSec) {
    v = ChannelViewState{};
    setChannelViewSize(v, w, h);
    v.zeroLineY = roundInt(v.bottom - (v.bottom - v.top) / 2.0);
    v.startSec = 0;
    v.endSec = recordTimeSec;
    keepSpan(v);
    v.cursorX = v.left + 2;
}

double gainFullScaleVolts(int gainCode) {
    static const int divisors[] = {1, 4, 16, 64, 256};
    return 10.0 / divisors[std::clamp(gainCode, 1, 5) - 1];
}

ChannelFrameScale channelFrameScale(double zoom, int gainCode, int plotHeight) {
    ChannelFrameScale s;
    double range = gainFullScaleVolts(gainCode) / std::clamp(zoom, 0.5, 256.0);
    const double l = std::log10(range);
    double unit = 1;
    if (l < 0.1) range *= 10, unit /= 10;
    if (l < -0.8) range *= 10, unit /= 10;
    if (l < -1.6) range *= 10, unit /= 10;
    if (l < -2.4) range *= 10, unit /= 10, s.decimals = 1;
    if (l > 2) range /= 10, unit *= 10;
    s.unitText = l > 0 ? RU("В") : RU("мВ");
    int step = roundInt(plotHeight / range / 2);
    if (step < 10) step *= 10, unit *= 10;
    s.tickStep = std::max(1, step);
    s.unitVolts = unit;
    return s;
}

ChannelTimeAxis channelTimeAxis(int32_t spanSec, int plotWidth) {
    ChannelTimeAxis a;
    double minutes = spanSec / 60.0;
    if (minutes <= 0) minutes = 1;
    a.pixelsPerStep = plotWidth / minutes;
    while (a.pixelsPerStep < 30) a.pixelsPerStep *= 5, a.stepMinutes *= 5;
    a.count = static_cast<int>(plotWidth / a.pixelsPerStep);
    return a;
}

void DrawChannelFrame(Canvas& c, ChannelViewState& v, int gainCode) {
    v.zoom = std::clamp(v.zoom, 0.5, 256.0);
    const ChannelFrameScale s = channelFrameScale(v.zoom, gainCode, v.bottom - v.top);
    v.tickStep = s.tickStep;
    c.setPen(Pen{kGrey, 1, PenMode::Copy});
    c.setBrush(Brush{kWhite, false});
    c.fillRect({0, 0, c.width(), c.height()});
    c.setFont(viewFont());
    c.setBrush(Brush{kWhite, true});
    c.rectangle(v.left, v.top, v.right, v.bottom);
    c.moveTo(v.left, v.zeroLineY);
    c.lineTo(v.right, v.zeroLineY);
    c.textOut(v.right + 9, 2, s.unitText);
    const int n = roundInt(double(v.bottom - v.top) / s.tickStep);
    const int k0 = roundInt(double(v.bottom - v.zeroLineY) / s.tickStep);
    const bool millivolts = s.unitText == RU("мВ");
    for (int i = -k0; i <= n - k0; ++i) {
        const int y = v.zeroLineY - i * s.tickStep;
        if (y < v.top + 8 || y > v.bottom - 8) continue;
        c.moveTo(v.left - 4, y);
        c.lineTo(v.left, y);
        c.moveTo(v.right, y);
        c.lineTo(v.right + 4, y);
        const double value = i * s.unitVolts * (millivolts ? 1000.0 : 1.0);
        c.textOut(v.right + 2, y - 6, fixedText(value, 5, s.decimals));
        if (i == 0) c.textOut(v.left - 10, y - 6, "0");
    }
    v.countsPerPixel = std::max(1, roundInt(65534.0 / (v.bottom - v.top)));
}

void DrawChannelTimeAxis(Canvas& c, const ChannelViewState& v) {
    const ChannelTimeAxis a = channelTimeAxis(v.endSec - v.startSec, v.right - v.left);
    c.setPen(Pen{kNavy, 1, PenMode::Copy});
    c.setFont(viewFont());
    c.setBrush(Brush{kWhite, true});
    for (int i = 0; i <= a.count; ++i) {
        const int x = roundInt(i * a.pixelsPerStep) + v.left;
        c.moveTo(x, v.top);
        c.lineTo(x, v.top - 4);
        if (i > 0) c.textOut(x - 8, v.top - 13, fixedText(v.startSec / 60.0 + double(i) * a.stepMinutes, 4, 0));
    }
    c.textOut(v.left + 4, 1, RU("мин"));
}

void DrawChannelCurve(Canvas& c, ChannelViewState& v, const ChannelPreview& p, Colour colour) {
    setPointsPerPixel(v, p);
    const int first = roundInt(v.startSec * previewRate(p) / p.width);
    c.setPen(Pen{colour, 1, PenMode::Copy});
    c.moveTo(v.left, v.zeroLineY);
    for (int x = v.left; x < v.right; ++x) {
        const int k = roundInt((x - v.left) * v.pointsPerPixel + 1 + first);
        if (k > p.pointCount) break;
        const double value = (double(p.point(k)) + v.zeroOffset) * v.zoom / v.countsPerPixel;
        const int y = std::max(v.top, roundInt(std::clamp(v.zeroLineY - value, -1e6, 1e6)));
        c.lineTo(x, y);
    }
}

void DrawChannelCursor(Canvas& c, const ChannelViewState& v) {
    c.setPen(Pen{kRed, 1, PenMode::Xor});
    c.moveTo(v.cursorX, v.top + 2);
    c.lineTo(v.cursorX, v.bottom - 2);
}

void RedrawChannelView(Canvas& c, ChannelViewState& v, const ChannelPreview& p, Colour colour) {
    DrawChannelFrame(c, v, p.gainCode);
    DrawChannelTimeAxis(c, v);
    DrawChannelCurve(c, v, p, colour);
    DrawChannelCursor(c, v);
}

std::string correctionStatusText(int state) {
    switch (state) {
        case 1: return RU("Коррекция времени. Укажите начало отрезка.");
        case 2: return RU("Коррекция времени. Укажите конец отрезка.");
        case 3: return RU("Коррекция времени. Введите величину отрезка в мин, нажмите Enter");
        default: return {};
    }
}

ChannelReadout UpdateChannelReadout(ChannelViewState& v, const ChannelPreview& p) {
    ChannelReadout r;
    const double s = timeAtX(v, p, v.cursorX);
    r.timeText = fixedText(s / 60.0, 6, 2) + RU(" м");
    if (v.correctionState == 1) v.correctionStartSec = s;
    if (v.correctionState == 2) v.correctionEndSec = s;
    const int k = pointAtTime(p, s);
    if (p.pointCount <= 0 || k > p.pointCount) return r;
    const double volts = p.point(k) / 32768.0 * gainFullScaleVolts(p.gainCode);
    if (std::abs(volts) < 1)
        r.voltageText = fixedText(volts * 1000.0, 6, 1) + RU(" мВ");
    else
        r.voltageText = fixedText(volts, 6, 3) + RU(" В");
    return r;
}

void zoomChannelIn(ChannelViewState& v) { v.zoom = std::min(v.zoom * 2, 256.0); }
void zoomChannelOut(ChannelViewState& v) { v.zoom = std::max(v.zoom / 2, 0.5); }

void ResetChannelVertical(ChannelViewState& v) {
    v.zoom = 1;
    v.zeroOffset = 0;
    v.zeroLineY = roundInt(v.bottom - (v.bottom - v.top) / 2.0);
}

void moveChannelWindowLeft(ChannelViewState& v) {
    const int32_t span = v.endSec - v.startSec;
    v.startSec = std::max<int32_t>(0, v.startSec - 60);
    v.endSec = v.startSec + span;
    keepSpan(v);
}

void moveChannelWindowRight(ChannelViewState& v, int32_t recordingEndSec) {
    if (v.startSec + 60 >= recordingEndSec) return;  // nothing of the recording would be left
    const int32_t span = v.endSec - v.startSec;
    v.startSec += 60;
    v.endSec = v.startSec + span;
    keepSpan(v);
}

void ShowWholeRecording(ChannelViewState& v, uint16_t recordTimeSec) {
    v.startSec = 0;
    v.endSec = recordTimeSec;
    v.fragmentShown = false;
    keepSpan(v);
}

bool finishChannelFragment(ChannelViewState& v, CanvasPoint a, CanvasPoint b) {
    v.dragging = false;
    const int x1 = std::min(a.x, b.x), x2 = std::max(a.x, b.x);
    const int y1 = std::min(a.y, b.y), y2 = std::max(a.y, b.y);
    if (x2 - x1 < 3 || y2 - y1 < 3) return false;
    v.fragmentShown = true;
    const double s0 = v.startSec, e0 = v.endSec, w = std::max(1, v.right - v.left);
    auto minuteAt = [&](int x) { return int64_t(60) * roundHalfEven(((x - v.left) / w * (e0 - s0) + s0) / 60.0); };
    v.startSec = static_cast<int32_t>(std::clamp<int64_t>(minuteAt(x1), 0, INT32_MAX - kMinSpanSec));
    v.endSec = static_cast<int32_t>(std::clamp<int64_t>(minuteAt(x2), 0, INT32_MAX));
    keepSpan(v);
    const double f = double(v.bottom - v.top - 1) / (y2 - y1);
    v.fragmentMode = false;
    v.zoom = std::clamp(v.zoom * f, 0.5, 256.0);
    v.zeroLineY = roundInt((v.zeroLineY - y1) * f);
    return true;
}

void shiftChannelZero(ChannelViewState& v, const ChannelPreview& p, int x) {
    const int cx = std::clamp(x, v.left, v.right);
    v.zeroOffset = -p.point(pointAtTime(p, timeAtX(v, p, cx)));
}

std::optional<std::string> pressChannelCursor(ChannelViewState& v, const ChannelPreview& p, int x) {
    v.cursorX = std::clamp(x, v.left, v.right);
    UpdateChannelReadout(v, p);
    if (v.correctionState == 0) return std::nullopt;
    v.correctionState = (v.correctionState + 1) % 4;
    if (v.correctionState != 3) return std::nullopt;
    return fixedText((v.correctionEndSec - v.correctionStartSec) / 60.0, 8, 3);
}

void toggleTimeCorrection(ChannelViewState& v) { v.correctionState = v.correctionState == 0 ? 1 : 0; }

std::optional<double> correctedPointsPerSecond(double pps, double startSec, double endSec, std::string_view text) {
    const auto minutes = parseStrictReal(text);
    if (!minutes || !(*minutes > 0) || !(endSec > startSec)) return std::nullopt;
    const double factor = (endSec - startSec) / 60.0 / *minutes;
    if (!(factor >= 0.5 && factor <= 2.0)) return std::nullopt;
    const double corrected = pps * factor;
    if (!std::isfinite(corrected) || corrected <= 0) return std::nullopt;
    return corrected;
}

}  // namespace vk7
