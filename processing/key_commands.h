// The keyboard commands of the processing program's main window: which command a key
// stands for in each ProgramMode, and what Escape does to the modes.
#pragma once

#include "processing/processing_state.h"

namespace vk7 {

// Commands typed as single characters (letters, Enter, '-').
enum class KeyCommand {
    None,
    ShowPassport,         // T / Е, modes 1-4
    VerticalScaleReset,   // M / Ь, modes 1-4 ("Исходный масштаб по вертикали (М)")
    Overview,             // O / Щ, modes 1-4 ("Обзорный масштаб по горизонтали (О)")
    TemperatureToggle,    // U / Г, modes 1-4 ("График температуры вкл/выкл (U)")
    SavePicture,          // Z / Я, modes 1-4 ("Сохранить изображение (Z)")
    Fragment,             // F / А, modes 1-4 ("Прямоугольный фрагмент (F)")
    PeakTable,            // Enter, modes 1-4 ("Таблица пиков (Enter)")
    MarkupEditing,        // K / Л, mode 1 ("Редактирование разметки пиков (К)")
    Overlay,              // N / Т, mode 1 ("Наложение (N)")
    AutoMarkupSetup,      // W / Ц, mode 1 ("Настройка для авторазметки (W)")
    Invert,               // '-', mode 1
    Subtract,             // S / Ы, mode 1 ("Вычитание хроматограммы (S)")
    DeletePeaks,          // D / В, mode 2 ("Удалить (D)")
    InsertPeak,           // I / Ш, mode 2 ("Вставить (I)")
    ChangeBounds,         // C / С, mode 2 ("Изменить границы (С)")
    GroupEditing,         // G / П, mode 2 ("Группы неразделенных пиков (G)")
    GroupDelete,          // D / В, mode 3
    GroupInsert,          // I / Ш, mode 3
};

// Where the keyboard focus is when the key arrives.
enum class KeyFocus {
    Elsewhere,  // the plot, a button, no control
    EditBox,    // a box the user types into (the comment box, the export box, ...)
};

// The command of a typed character: Enter is U+000D. Letters count as the Latin letter in
// either case or the Cyrillic letter on the same key. Nothing in ProgramMode 0 or while an
// edit box has the focus. Escape is not a command of this table (see applyEscape).
KeyCommand keyCommandFor(char32_t typed, int programMode, KeyFocus focus);

// Keys that are not characters, seen before the controls.
enum class NamedKey { F1, Left, Right, Up, Down };
enum class KeyDownCommand {
    None,
    HelpLastPage,     // F1: the help page chosen last, in every mode
    WindowRight,      // "Окно вправо на 1 мин"
    WindowLeft,       // "Окно влево на 1 мин"
    ZoomIn,           // "Больше в 2 раза"
    ZoomOut,          // "Меньше в 2 раза"
};
// The arrows act on the plot only with a chromatogram open and no edit box focused.
KeyDownCommand keyDownCommandFor(NamedKey key, int programMode, KeyFocus focus);

// Escape's effect on the modes: markup editing, group editing and plain showing return to
// ProgramMode 1 (the caller hides the markup-editing panel); 0 and 4 stay. A pending click
// action (the next plot click would delete, insert, set a bound, build or dissolve a
// group, or pick a group to model) is dropped in every mode. Returns true when the
// markup-editing panel is to be hidden.
bool applyEscape(ProcessingState& state);

}  // namespace vk7
