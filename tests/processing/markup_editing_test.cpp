// Markup editing with clicks on the plot, and the pick of a group to model.
#include <gtest/gtest.h>

#include "common/cp1251.h"
#include "processing/key_commands.h"
#include "processing/markup_editing.h"
#include "processing/plot_geometry.h"
#include "tests/processing/plot_fixture.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

using test::peak;

// Start, end and type of every peak: "340-460M 930-1045B".
std::string bounds(const PeakMarkup& m) {
    std::string s;
    for (const Peak& p : m.Peaks) s += (s.empty() ? "" : " ") + std::to_string(p.Start) + "-" + std::to_string(p.End) + p.Type;
    return s;
}

class MarkupEditing : public ::testing::Test {
protected:
    void SetUp() override {
        dir.write("space/grad.grd", "#\r\n");
        state = test::threePeakState();
        state->Start = StartFolder(dir.path());
    }
    MarkupClickResult clicks(int programMode, int clickMode, std::initializer_list<int> points) {
        state->ProgramMode = programMode;
        state->ClickMode = clickMode;
        MarkupClickResult r;
        for (int p : points) r = MarkupClick(*state, {p, true});
        return r;
    }
    test::TempDir dir;
    std::unique_ptr<ProcessingState> state;
};

TEST_F(MarkupEditing, ClickTable) {
    struct Case {
        const char* what;
        int programMode, clickMode;
        std::initializer_list<int> points;
        const char* result;
    };
    const Case cases[] = {
        // The start at 1046 is nearer than 930; the rest of the group becomes a single peak.
        {"delete", ModeMarkupEdit, 1, {1000}, "340-460M 930-1045M"},
        {"insert", ModeMarkupEdit, 2, {700, 650, 720}, "340-460M 650-720M 930-1045B 1046-1170E"},
        {"insert, right bound before the left", ModeMarkupEdit, 2, {700, 650, 640}, "340-460M 650-652M 930-1045B 1046-1170E"},
        {"new bounds", ModeMarkupEdit, 5, {900, 920, 1040}, "340-460M 920-1040M 1046-1170M"},
        {"dissolve", ModeGroupEdit, 10, {1000}, "340-460M 930-1045M 1046-1170M"},
        {"dissolve a single peak", ModeGroupEdit, 10, {400}, "340-460M 930-1045B 1046-1170E"},
        {"dissolve outside every peak", ModeGroupEdit, 8, {700}, "340-460M 930-1045B 1046-1170E"},
        {"build", ModeGroupEdit, 12, {400, 1100}, "340-460B 930-1045G 1046-1170E"},
        {"build backwards", ModeGroupEdit, 11, {1100, 400}, "340-460M 930-1045B 1046-1170E"},
    };
    for (const Case& c : cases) {
        SetUp();
        const MarkupClickResult r = clicks(c.programMode, c.clickMode, c.points);
        EXPECT_EQ(bounds(state->Markup), c.result) << c.what;
        EXPECT_EQ(state->ClickMode, 0) << c.what;
        EXPECT_TRUE(r.Repaint) << c.what;
        EXPECT_EQ(r.Label, EditingModeLabel(c.programMode)) << c.what;
    }
}

TEST_F(MarkupEditing, InsertedPeakIsWholeAndLaterPeaksKeepTheirNames) {
    state->Markup.Peaks[3].Name = "toluene";
    clicks(ModeMarkupEdit, 2, {700, 650, 720});
    ASSERT_EQ(state->Markup.PeakCount(), 4);
    EXPECT_EQ(state->Markup.Peaks[1].Name, RU("Метан"));
    EXPECT_EQ(state->Markup.Peaks[2].Name, "?");
    EXPECT_EQ(state->Markup.Peaks[4].Name, "toluene");
    // Measured: the apex lies between the new bounds.
    EXPECT_GE(state->Markup.Peaks[2].Apex, 650);
    EXPECT_LE(state->Markup.Peaks[2].Apex, 720);
}

TEST_F(MarkupEditing, PromptsLeadFromClickToClick) {
    state->ProgramMode = ModeMarkupEdit;
    EXPECT_EQ(PromptInsertPeak(*state), (EditorLabel{RU("Укажите место"), plot_colour::Maroon}));
    EXPECT_EQ(MarkupClick(*state, {700, true}).Label->Text, RU("Левая граница"));
    EXPECT_EQ(MarkupClick(*state, {650, true}).Label->Text, RU("Правая граница"));
    EXPECT_EQ(state->ClickMode, 4);
    state->ProgramMode = ModeGroupEdit;
    PromptBuildGroup(*state);
    EXPECT_EQ(MarkupClick(*state, {400, true}).Label, (EditorLabel{RU("Укажите последний пик"), plot_colour::Maroon}));
    EXPECT_EQ(bounds(state->Markup), "340-460M 930-1045B 1046-1170E");  // nothing changes before the last peak
}

TEST_F(MarkupEditing, AnInsertLeftHalfWayChangesNothing) {
    const PeakMarkup before = state->Markup;
    // Escape after the place.
    clicks(ModeMarkupEdit, 2, {700});
    applyEscape(*state);
    EXPECT_EQ(state->ClickMode, 0);
    EXPECT_TRUE(state->Markup.Peaks == before.Peaks);
    // A click outside the plot after the left bound: the finish runs, the markup stays.
    clicks(ModeMarkupEdit, 2, {700, 650});
    const MarkupClickResult r = MarkupClick(*state, {3, false});
    EXPECT_TRUE(r.Repaint);
    EXPECT_EQ(state->ClickMode, 0);
    EXPECT_EQ(bounds(state->Markup), bounds(before));
    for (int k = 1; k <= 3; ++k) EXPECT_EQ(state->Markup.Peaks[k].Name, before.Peaks[k].Name);
}

TEST_F(MarkupEditing, NoPeaksOrAFullMarkup) {
    state->Markup.clear();
    for (int mode : {1, 5}) {
        const MarkupClickResult r = clicks(ModeMarkupEdit, mode, {1000});
        EXPECT_EQ(state->Markup.PeakCount(), 0);
        EXPECT_EQ(state->ClickMode, 0);
        EXPECT_TRUE(r.Repaint);
    }
    for (int k = 0; k < 255; ++k) state->Markup.Peaks.push_back(peak(k * 7 + 1, k * 7 + 3, k * 7 + 5, 'M'));
    const MarkupClickResult r = clicks(ModeMarkupEdit, 2, {700});
    EXPECT_EQ(r.Message, RU("Больше 255 пиков отметить нельзя"));
    EXPECT_EQ(state->Markup.PeakCount(), 255);
    EXPECT_EQ(state->ClickMode, 0);
}

TEST_F(MarkupEditing, BoundsStayWithinThePoints) {
    // A right bound clicked on the last point before a start there: the start moves back.
    clicks(ModeMarkupEdit, 5, {1046, 2000, 1990});
    EXPECT_EQ(bounds(state->Markup), "340-460M 930-1045M 1998-2000M");
    EXPECT_EQ(plotClickAt(*state, -50).InsidePlot, false);
}

TEST_F(MarkupEditing, DissolvingFromAMiddleMemberClosesTheFrontPart) {
    state->Markup.clear();
    for (const Peak& p : {peak(930, 960, 980, 'B'), peak(981, 1000, 1045, 'G'), peak(1046, 1090, 1100, 'G'),
                          peak(1101, 1120, 1170, 'E')})
        state->Markup.Peaks.push_back(p);
    clicks(ModeGroupEdit, 10, {1050});
    EXPECT_EQ(bounds(state->Markup), "930-980B 981-1045E 1046-1100M 1101-1170M");
}

TEST_F(MarkupEditing, EnteringTheModes) {
    state->View.OverlayCount = 1;
    EXPECT_FALSE(EnterMarkupEditing(*state));
    EXPECT_EQ(state->ProgramMode, ModeShown);
    state->View.OverlayCount = 0;
    EXPECT_EQ(EnterMarkupEditing(*state), (EditorLabel{RU("Редактирование разметки"), plot_colour::Teal}));
    EXPECT_EQ(state->ProgramMode, ModeMarkupEdit);
    EXPECT_EQ(EnterGroupEditing(*state), (EditorLabel{RU("Редактирование по группам"), plot_colour::Olive}));
    EXPECT_EQ(state->ProgramMode, ModeGroupEdit);
    EXPECT_EQ(DeleteAllPeaks(*state), (EditorLabel{RU("Группы пиков"), plot_colour::Teal}));
    EXPECT_EQ(state->Markup.PeakCount(), 0);
}

TEST_F(MarkupEditing, GroupPick) {
    // Only with the table shown, and only inside the plot.
    EXPECT_EQ(clicks(ModeShown, 88, {935}).Pick, GroupPickOutcome::None);
    state->ProgramMode = ModePeakTable;
    EXPECT_EQ(MarkupClick(*state, {935, false}).Pick, GroupPickOutcome::None);
    EXPECT_EQ(state->ClickMode, 88);

    const MarkupClickResult r = MarkupClick(*state, {935, true});
    EXPECT_EQ(r.Pick, GroupPickOutcome::Picked);
    EXPECT_EQ(r.PickLabel, RU("2 пика(ов) в группе"));
    EXPECT_EQ(state->Model.SelectedPeak, 2);
    EXPECT_EQ(state->Model.GroupLastPeak, 3);
    EXPECT_EQ(state->ClickMode, 89);  // the modelling window goes on to 90

    // No 'B', or a 'B' with no 'E' after it: nothing, the next click may pick.
    state->ClickMode = 88;
    state->Markup.Peaks[3].Type = 'G';
    EXPECT_EQ(MarkupClick(*state, {935, true}).Pick, GroupPickOutcome::None);
    EXPECT_EQ(state->ClickMode, 88);
}

TEST_F(MarkupEditing, GroupPickRefusals) {
    state->ProgramMode = ModePeakTable;
    state->Markup.clear();
    for (int k = 0; k < 17; ++k) state->Markup.Peaks.push_back(peak(100 + k * 10, 105 + k * 10, 109 + k * 10, k == 0 ? 'B' : k == 16 ? 'E' : 'G'));
    state->ClickMode = 88;
    MarkupClickResult r = MarkupClick(*state, {100, true});
    EXPECT_EQ(r.Pick, GroupPickOutcome::TooManyPeaks);
    EXPECT_EQ(r.Message, RU("Больше 16 пиков в группе. Попробуйте разбить ее."));
    EXPECT_EQ(state->ClickMode, 88);

    // 16 members can be modelled.
    state->Markup.Peaks.erase(16);
    EXPECT_EQ(MarkupClick(*state, {100, true}).Pick, GroupPickOutcome::Picked);

    state->Markup.clear();
    state->Markup.Peaks.push_back(peak(100, 700, 1000, 'B'));
    state->Markup.Peaks.push_back(peak(1001, 1100, 1300, 'E'));
    state->ClickMode = 88;
    r = MarkupClick(*state, {100, true});
    EXPECT_EQ(r.Pick, GroupPickOutcome::TooWide);
    EXPECT_EQ(r.Message, RU("Увеличте Тф до 234 и перезагрузите хроматограмму"));
}

}  // namespace
}  // namespace vk7
