#include "processing/key_commands.h"

#include "platform/key_letters.h"

namespace vk7 {

KeyCommand keyCommandFor(char32_t typed, int mode, KeyFocus focus) {
    if (mode == ModeNone || focus == KeyFocus::EditBox) return KeyCommand::None;
    const bool shown = mode >= ModeShown && mode <= ModePeakTable;
    if (!shown) return KeyCommand::None;

    if (typed == U'\r') return KeyCommand::PeakTable;
    if (typed == U'-') return mode == ModeShown ? KeyCommand::Invert : KeyCommand::None;

    switch (latinKeyLetter(typed)) {
        case 'T': return KeyCommand::ShowPassport;
        case 'M': return KeyCommand::VerticalScaleReset;
        case 'O': return KeyCommand::Overview;
        case 'U': return KeyCommand::TemperatureToggle;
        case 'Z': return KeyCommand::SavePicture;
        case 'F': return KeyCommand::Fragment;
        case 'K': return mode == ModeShown ? KeyCommand::MarkupEditing : KeyCommand::None;
        case 'N': return mode == ModeShown ? KeyCommand::Overlay : KeyCommand::None;
        case 'W': return mode == ModeShown ? KeyCommand::AutoMarkupSetup : KeyCommand::None;
        case 'S': return mode == ModeShown ? KeyCommand::Subtract : KeyCommand::None;
        case 'D':
            if (mode == ModeMarkupEdit) return KeyCommand::DeletePeaks;
            return mode == ModeGroupEdit ? KeyCommand::GroupDelete : KeyCommand::None;
        case 'I':
            if (mode == ModeMarkupEdit) return KeyCommand::InsertPeak;
            return mode == ModeGroupEdit ? KeyCommand::GroupInsert : KeyCommand::None;
        case 'C': return mode == ModeMarkupEdit ? KeyCommand::ChangeBounds : KeyCommand::None;
        case 'G': return mode == ModeMarkupEdit ? KeyCommand::GroupEditing : KeyCommand::None;
        default: return KeyCommand::None;
    }
}

KeyDownCommand keyDownCommandFor(NamedKey key, int mode, KeyFocus focus) {
    if (key == NamedKey::F1) return KeyDownCommand::HelpLastPage;
    if (mode == ModeNone || focus == KeyFocus::EditBox) return KeyDownCommand::None;
    switch (key) {
        case NamedKey::Right: return KeyDownCommand::WindowRight;
        case NamedKey::Left: return KeyDownCommand::WindowLeft;
        case NamedKey::Up: return KeyDownCommand::ZoomIn;
        case NamedKey::Down: return KeyDownCommand::ZoomOut;
        default: return KeyDownCommand::None;
    }
}

namespace {

// Click modes that wait for the next click on the plot: the markup edits (1..13) and the
// pick of the group to model (88). The modelling states 89..92 are the modelling window's
// own and end when that window is hidden.
bool isPendingClick(int clickMode) { return (clickMode >= 1 && clickMode <= 13) || clickMode == 88; }

}  // namespace

bool applyEscape(ProcessingState& state) {
    if (isPendingClick(state.ClickMode)) state.ClickMode = 0;
    if (state.ProgramMode >= ModeShown && state.ProgramMode <= ModeGroupEdit) {
        state.ProgramMode = ModeShown;
        return true;
    }
    return false;
}

}  // namespace vk7
