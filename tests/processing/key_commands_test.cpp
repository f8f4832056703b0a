#include <gtest/gtest.h>

#include <array>
#include <string>

#include "platform/key_letters.h"
#include "processing/key_commands.h"

namespace vk7 {
namespace {

TEST(KeyLetters, LatinAndCyrillicOnTheSameKey) {
    // The Russian layout, key by key: the Cyrillic letter of each Latin letter A..Z.
    const std::u32string cyrillicOfLatin = U"ФИСВУАПРШОЛДЬТЩЗЙКЫЕГМЦЧНЯ";
    ASSERT_EQ(cyrillicOfLatin.size(), 26u);
    for (int k = 0; k < 26; ++k) {
        const char latin = static_cast<char>('A' + k);
        const char32_t upper = cyrillicOfLatin[static_cast<size_t>(k)];
        const char32_t lower = upper + (U'а' - U'А');
        EXPECT_EQ(latinKeyLetter(static_cast<char32_t>(latin)), latin);
        EXPECT_EQ(latinKeyLetter(static_cast<char32_t>(latin - 'A' + 'a')), latin);
        EXPECT_EQ(latinKeyLetter(upper), latin) << "upper Cyrillic of " << latin;
        EXPECT_EQ(latinKeyLetter(lower), latin) << "lower Cyrillic of " << latin;
    }
    for (char32_t none : {U'Х', U'х', U'Ъ', U'Ж', U'Э', U'Б', U'ю', U'Ё', U'ё', U'1', U'-', U' ', U'\r', U'é'})
        EXPECT_EQ(latinKeyLetter(none), 0) << static_cast<unsigned>(none);
}

using C = KeyCommand;

// The command of each typed character in ProgramMode 0..4, the focus on the plot.
struct Row {
    char32_t typed;
    std::array<KeyCommand, 5> byMode;
};

TEST(KeyCommands, TableByModeAndFocus) {
    const C n = C::None;
    const Row rows[] = {
        {U'T', {n, C::ShowPassport, C::ShowPassport, C::ShowPassport, C::ShowPassport}},
        {U't', {n, C::ShowPassport, C::ShowPassport, C::ShowPassport, C::ShowPassport}},
        {U'Е', {n, C::ShowPassport, C::ShowPassport, C::ShowPassport, C::ShowPassport}},
        {U'е', {n, C::ShowPassport, C::ShowPassport, C::ShowPassport, C::ShowPassport}},
        {U'M', {n, C::VerticalScaleReset, C::VerticalScaleReset, C::VerticalScaleReset, C::VerticalScaleReset}},
        {U'ь', {n, C::VerticalScaleReset, C::VerticalScaleReset, C::VerticalScaleReset, C::VerticalScaleReset}},
        {U'O', {n, C::Overview, C::Overview, C::Overview, C::Overview}},
        {U'Щ', {n, C::Overview, C::Overview, C::Overview, C::Overview}},
        {U'u', {n, C::TemperatureToggle, C::TemperatureToggle, C::TemperatureToggle, C::TemperatureToggle}},
        {U'я', {n, C::SavePicture, C::SavePicture, C::SavePicture, C::SavePicture}},
        {U'F', {n, C::Fragment, C::Fragment, C::Fragment, C::Fragment}},
        {U'\r', {n, C::PeakTable, C::PeakTable, C::PeakTable, C::PeakTable}},
        {U'k', {n, C::MarkupEditing, n, n, n}},
        {U'Л', {n, C::MarkupEditing, n, n, n}},
        {U'N', {n, C::Overlay, n, n, n}},
        {U'т', {n, C::Overlay, n, n, n}},
        {U'W', {n, C::AutoMarkupSetup, n, n, n}},
        {U'-', {n, C::Invert, n, n, n}},
        {U'S', {n, C::Subtract, n, n, n}},
        {U'ы', {n, C::Subtract, n, n, n}},
        {U'D', {n, n, C::DeletePeaks, C::GroupDelete, n}},
        {U'в', {n, n, C::DeletePeaks, C::GroupDelete, n}},
        {U'I', {n, n, C::InsertPeak, C::GroupInsert, n}},
        {U'ш', {n, n, C::InsertPeak, C::GroupInsert, n}},
        {U'c', {n, n, C::ChangeBounds, n, n}},
        {U'С', {n, n, C::ChangeBounds, n, n}},
        {U'G', {n, n, C::GroupEditing, n, n}},
        {U'П', {n, n, C::GroupEditing, n, n}},
        // Keys of no command.
        {U'Q', {n, n, n, n, n}},
        {U'Х', {n, n, n, n, n}},
        {U'5', {n, n, n, n, n}},
        {U'\x1b', {n, n, n, n, n}},  // Escape has its own handling
        {U'\x13', {n, n, n, n, n}},  // Ctrl+S types a control character, never the S command
    };
    for (const Row& r : rows) {
        for (int mode = 0; mode <= 4; ++mode) {
            EXPECT_EQ(keyCommandFor(r.typed, mode, KeyFocus::Elsewhere), r.byMode[static_cast<size_t>(mode)])
                << "char " << static_cast<unsigned>(r.typed) << " mode " << mode;
            // Typed into an edit box, a key is text and never a command.
            EXPECT_EQ(keyCommandFor(r.typed, mode, KeyFocus::EditBox), C::None)
                << "char " << static_cast<unsigned>(r.typed) << " mode " << mode << " in an edit box";
        }
    }
}

TEST(KeyCommands, KeysThatAreNotCharacters) {
    using D = KeyDownCommand;
    for (int mode = 0; mode <= 4; ++mode)
        for (KeyFocus focus : {KeyFocus::Elsewhere, KeyFocus::EditBox})
            EXPECT_EQ(keyDownCommandFor(NamedKey::F1, mode, focus), D::HelpLastPage);
    EXPECT_EQ(keyDownCommandFor(NamedKey::Right, 1, KeyFocus::Elsewhere), D::WindowRight);
    EXPECT_EQ(keyDownCommandFor(NamedKey::Left, 4, KeyFocus::Elsewhere), D::WindowLeft);
    EXPECT_EQ(keyDownCommandFor(NamedKey::Up, 2, KeyFocus::Elsewhere), D::ZoomIn);
    EXPECT_EQ(keyDownCommandFor(NamedKey::Down, 3, KeyFocus::Elsewhere), D::ZoomOut);
    for (NamedKey arrow : {NamedKey::Left, NamedKey::Right, NamedKey::Up, NamedKey::Down}) {
        EXPECT_EQ(keyDownCommandFor(arrow, 0, KeyFocus::Elsewhere), D::None);
        EXPECT_EQ(keyDownCommandFor(arrow, 1, KeyFocus::EditBox), D::None);
    }
}

TEST(KeyCommands, EscapeReturnsToModeOneAndDropsAPendingClick) {
    struct Case {
        int mode, clickMode;
        int modeAfter, clickAfter;
        bool hidesMarkupPanel;
    };
    const Case cases[] = {
        {0, 0, 0, 0, false},   {1, 0, 1, 0, true},    {2, 1, 1, 0, true},  {3, 12, 1, 0, true},
        {4, 0, 4, 0, false},   {4, 88, 4, 0, false},  {2, 7, 1, 0, true},  {1, 88, 1, 0, true},
        // The modelling window's own states stay until that window is hidden.
        {4, 90, 4, 90, false}, {1, 91, 1, 91, true},
    };
    for (const Case& c : cases) {
        ProcessingState s{StartFolder("/nonexistent")};
        s.ProgramMode = c.mode;
        s.ClickMode = c.clickMode;
        EXPECT_EQ(applyEscape(s), c.hidesMarkupPanel) << c.mode << "/" << c.clickMode;
        EXPECT_EQ(s.ProgramMode, c.modeAfter) << c.mode << "/" << c.clickMode;
        EXPECT_EQ(s.ClickMode, c.clickAfter) << c.mode << "/" << c.clickMode;
    }
}

}  // namespace
}  // namespace vk7
