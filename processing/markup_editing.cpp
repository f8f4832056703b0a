#include "processing/markup_editing.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "common/cp1251.h"
#include "common/number_text.h"
#include "processing/group_modelling.h"
#include "processing/identification.h"
#include "processing/peak_detection.h"
#include "processing/plot_geometry.h"

namespace vk7 {

namespace {

EditorLabel prompt(ProcessingState& s, int clickMode, const std::string& text) {
    s.ClickMode = clickMode;
    return {text, plot_colour::Maroon};
}

// The peak whose start is nearest to l; of equally near peaks the first. 0 when there are none.
int nearestStart(const PeakMarkup& m, int l) {
    int best = 0;
    int64_t bestDistance = std::numeric_limits<int64_t>::max();
    for (int k = 1; k <= m.PeakCount(); ++k) {
        const int64_t d = std::llabs(static_cast<int64_t>(m.Peaks[k].Start) - l);
        if (d < bestDistance) bestDistance = d, best = k;
    }
    return best;
}

// The last peak with start <= l <= end; 0 when none contains l.
int containingPeak(const PeakMarkup& m, int l) {
    int found = 0;
    for (int k = 1; k <= m.PeakCount(); ++k)
        if (m.Peaks[k].Start <= l && l <= m.Peaks[k].End) found = k;
    return found;
}

// The right bound of a peak clicked at l: l itself, or two points after the start when the
// start is not before l; the peak then stays within the points by moving its start back.
void setRightBound(Peak& p, int l, int pointCount) {
    if (p.Start < l) {
        p.End = l;
        return;
    }
    p.End = p.Start + 2;
    if (p.End > pointCount) {
        p.End = std::max(pointCount, 1);
        p.Start = std::max(p.End - 2, 1);
    }
}

void finish(ProcessingState& s, MarkupClickResult& r) {
    s.View.OverlayCount = 0;
    MeasurePeaks(s.Chrom.Points, s.Markup, true);
    r.Notices = IdentifyPeaks(s);
    // Markup editing derives the types from the new bounds; group editing keeps the
    // hand-made types, closing any group left open.
    if (s.ProgramMode == ModeMarkupEdit)
        ClassifyPeakGroups(s.Markup);
    else
        CloseGroups(s.Markup);
    r.Repaint = true;
    r.Label = EditingModeLabel(s.ProgramMode);
    s.ClickMode = 0;
}

void pickGroup(ProcessingState& s, int l, MarkupClickResult& r) {
    s.ClickMode = 89;
    const std::optional<ModelGroup> group = FindModelGroup(s.Markup, l);
    if (!group) {
        s.ClickMode = 88;
        return;
    }
    const int n = group->Last - group->First + 1;
    if (n > kMaxGroupPeaks) {
        r.Pick = GroupPickOutcome::TooManyPeaks;
        r.Message = TooManyGroupPeaksText();
        s.ClickMode = 88;
        return;
    }
    r.PickLabel = GroupPeakCountText(n);
    InitialPeakModel(s.Model, s.Chrom.Points, s.Markup, group->First, group->Last);
    if (std::optional<int> ms = ModelSpanAveragingMs(s.Markup, group->First, group->Last, s.Settings.AveragingMs)) {
        r.Pick = GroupPickOutcome::TooWide;
        r.Message = GroupTooWideText(*ms);
        return;
    }
    r.Pick = GroupPickOutcome::Picked;
}

}  // namespace

const std::string& TooManyPeaksText() { return RU("Больше 255 пиков отметить нельзя"); }

EditorLabel EditingModeLabel(int programMode) {
    return {programMode == ModeMarkupEdit ? RU("Редактирование разметки") : RU("Группы пиков"), plot_colour::Teal};
}

std::optional<EditorLabel> EnterMarkupEditing(ProcessingState& s) {
    if (s.ProgramMode == ModeNone || s.View.OverlayCount != 0) return std::nullopt;
    s.ProgramMode = ModeMarkupEdit;
    s.ClickMode = 0;
    return EditingModeLabel(ModeMarkupEdit);
}

EditorLabel EnterGroupEditing(ProcessingState& s) {
    s.ProgramMode = ModeGroupEdit;
    s.ClickMode = 0;
    return {RU("Редактирование по группам"), plot_colour::Olive};
}

EditorLabel PromptDeletePeak(ProcessingState& s) { return prompt(s, 1, RU("Укажите пик")); }
EditorLabel PromptInsertPeak(ProcessingState& s) { return prompt(s, 2, RU("Укажите место")); }
EditorLabel PromptChangeBounds(ProcessingState& s) { return prompt(s, 5, RU("Укажите пик")); }
EditorLabel PromptDissolveGroup(ProcessingState& s) { return prompt(s, 10, RU("Укажите первый пик")); }
EditorLabel PromptBuildGroup(ProcessingState& s) { return prompt(s, 12, RU("Укажите первый пик")); }

EditorLabel DeleteAllPeaks(ProcessingState& s) {
    s.Markup.clear();
    s.ClickMode = 0;
    return EditingModeLabel(s.ProgramMode);
}

PlotClick plotClickAt(const ProcessingState& s, int x) {
    const PlotView& v = s.View;
    PlotClick c;
    c.InsidePlot = x >= v.PlotLeft && x <= v.PlotRight;
    const int rulerX = std::clamp(x, v.PlotLeft, v.PlotRight);
    const int64_t l = v.ViewFirstPoint + roundHalfEven((rulerX - v.PlotLeft) * v.PointsPerPixel);
    c.Point = static_cast<int>(std::clamp<int64_t>(l, 1, std::max(1, s.Chrom.PointCount())));
    return c;
}

MarkupClickResult MarkupClick(ProcessingState& s, PlotClick click) {
    MarkupClickResult r;
    if (s.ProgramMode == ModeNone || s.ClickMode == 90) return r;
    const int l = std::clamp(click.Point, 1, std::max(1, s.Chrom.PointCount()));

    if (s.ProgramMode == ModePeakTable) {
        if (s.ClickMode == 88 && click.InsidePlot) pickGroup(s, l, r);
        return r;
    }
    if (s.ProgramMode != ModeMarkupEdit && s.ProgramMode != ModeGroupEdit) return r;
    int mode = s.ClickMode;
    if (mode == 8 || mode == 9) mode = 10;
    if (mode == 11) mode = 12;
    if (mode < 1 || mode > 13) return r;
    if (!click.InsidePlot && mode <= 7) {
        finish(s, r);
        return r;
    }

    PeakMarkup& m = s.Markup;
    MarkupEditClicks& e = s.MarkupEdit;
    switch (mode) {
        case 1:
            if (const int k = nearestStart(m, l)) m.Peaks.erase(k);
            break;
        case 2:
            if (m.PeakCount() >= kMaxPeaks) {
                r.Message = TooManyPeaksText();
                r.Label = EditingModeLabel(s.ProgramMode);
                s.ClickMode = 0;
                return r;
            }
            e.InsertAt = 1 + static_cast<int>(std::count_if(m.Peaks.begin(), m.Peaks.end(),
                                                             [l](const Peak& p) { return p.End < l; }));
            e.Pending = Peak{};
            r.Label = prompt(s, 3, RU("Левая граница"));
            return r;
        case 3:
            e.Pending.Start = l;
            r.Label = prompt(s, 4, RU("Правая граница"));
            return r;
        case 4:
            setRightBound(e.Pending, l, s.Chrom.PointCount());
            e.Pending.Apex = e.Pending.Start;
            m.Peaks.insert(std::clamp(e.InsertAt, 1, m.PeakCount() + 1), e.Pending);
            break;
        case 5:
            e.SelectedPeak = nearestStart(m, l);
            if (e.SelectedPeak == 0) break;
            r.Label = prompt(s, 6, RU("Левая граница"));
            return r;
        case 6:
            if (m.Peaks.valid(e.SelectedPeak)) m.Peaks[e.SelectedPeak].Start = l;
            r.Label = prompt(s, 7, RU("Правая граница"));
            return r;
        case 7:
            if (m.Peaks.valid(e.SelectedPeak)) setRightBound(m.Peaks[e.SelectedPeak], l, s.Chrom.PointCount());
            break;
        case 10: {
            const int k = containingPeak(m, l);
            if (k == 0 || m.Peaks[k].Type == 'M') break;
            for (int i = k; i <= m.PeakCount(); ++i) {
                const bool last = m.Peaks[i].Type == 'E';
                m.Peaks[i].Type = 'M';
                if (last) break;
            }
            break;
        }
        case 12:
            e.GroupFirstPeak = containingPeak(m, l);
            if (e.GroupFirstPeak == 0) break;
            r.Label = prompt(s, 13, RU("Укажите последний пик"));
            return r;
        case 13: {
            const int k = containingPeak(m, l);
            if (m.Peaks.valid(e.GroupFirstPeak) && k > e.GroupFirstPeak) {
                m.Peaks[e.GroupFirstPeak].Type = 'B';
                for (int i = e.GroupFirstPeak + 1; i < k; ++i) m.Peaks[i].Type = 'G';
                m.Peaks[k].Type = 'E';
            }
            break;
        }
        default: return r;  // 8, 9, 11 are mapped above
    }
    finish(s, r);
    return r;
}

}  // namespace vk7
