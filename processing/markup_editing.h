// Editing of the peak markup with the mouse on the plot: delete a peak, insert one by its
// bounds, move the bounds of a peak, delete all peaks; in group editing dissolve or build
// groups of unresolved peaks; and, with the peak table shown, pick the group to model.
// A button sets the click mode and the prompt of the editing panel; the next click or
// clicks act, and the finish measures, identifies and repaints the markup.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/canvas.h"
#include "processing/processing_state.h"

namespace vk7 {

// The text of the editing panel's label and its font colour.
struct EditorLabel {
    std::string Text;
    Colour FontColour = 0;
    bool operator==(const EditorLabel&) const = default;
};

// "Редактирование разметки пиков (К)": only without overlaid curves and with a chromatogram
// open; ProgramMode 2. None when refused.
std::optional<EditorLabel> EnterMarkupEditing(ProcessingState& state);
// "Группы неразделенных пиков (G)": ProgramMode 3, "Редактирование по группам" in olive.
EditorLabel EnterGroupEditing(ProcessingState& state);

// The prompts: each sets the click mode and returns the label in maroon.
EditorLabel PromptDeletePeak(ProcessingState& state);     // "Укажите пик", 1
EditorLabel PromptInsertPeak(ProcessingState& state);     // "Укажите место", 2
EditorLabel PromptChangeBounds(ProcessingState& state);   // "Укажите пик", 5
EditorLabel PromptDissolveGroup(ProcessingState& state);  // "Укажите первый пик", 10
EditorLabel PromptBuildGroup(ProcessingState& state);     // "Укажите первый пик", 12

// The label of the mode at rest: "Редактирование разметки" (mode 2) or "Группы пиков", teal.
EditorLabel EditingModeLabel(int programMode);

// "Удалить все": no peaks; the caller repaints.
EditorLabel DeleteAllPeaks(ProcessingState& state);

// A click on the plot: the point under it (the ruler's point, held within 1 .. PointCount)
// and whether it fell within the plot's horizontal range.
struct PlotClick {
    int Point = 0;
    bool InsidePlot = true;
};
// The click at column `x` of the paint box, the ruler having been moved there.
PlotClick plotClickAt(const ProcessingState& state, int x);

enum class GroupPickOutcome {
    None,          // no pick was made
    Picked,        // the group is set: the modelling window sets its bars and draws the model
    TooManyPeaks,  // Message: more than 16 members; the next click may pick again
    TooWide,       // Message: the modelling window is hidden
};

struct MarkupClickResult {
    std::optional<EditorLabel> Label;  // the editing panel's new label
    bool Repaint = false;              // the plot is to be drawn again
    std::vector<std::string> Notices;  // identification messages, information boxes
    GroupPickOutcome Pick = GroupPickOutcome::None;
    std::string Message;               // the pick's message, an information box
    std::string PickLabel;             // the modelling window's label after a pick
};

// The click table of markup and group editing (ProgramMode 2, 3 with a click mode 1 .. 13)
// and the group pick of the peak modelling (ProgramMode 4, ClickMode 88). Throws IoError when
// identification cannot write its files.
MarkupClickResult MarkupClick(ProcessingState& state, PlotClick click);

// The message of an insert beyond the 255 peaks the markup holds.
const std::string& TooManyPeaksText();  // "Больше 255 пиков отметить нельзя"

}  // namespace vk7
