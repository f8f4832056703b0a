// The passport window driven headless: the grid, the pickers, editing, the question on
// hiding, the rewrite, the template and the help button.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QTableWidget>
#include <QToolButton>

#include <cstdlib>

#include "common/cp1251.h"
#include "common/files.h"
#include "common/number_text.h"
#include "platform/qt/qt_text.h"
#include "platform/scripted_dialogs.h"
#include "chromfile/forms/pasp.h"
#include "tests/support/chromatogram_fixture.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

const fs::path kInstall = fs::path(VK7_SOURCE_DIR) / "install";

std::string text(const QTableWidget* g, int r, int c) { return fromQString(g->item(r, c)->text()); }
void type(QTableWidget* g, int r, const std::string& cp1251) { g->item(r, 1)->setText(toQString(cp1251)); }

void pressKey(QWidget* w, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
}

class PassportWindow : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"regn.txt", "detect", "gas", "kolon", "temp", "sm"})
            dir.write(std::string("space/") + name, readFileBytes(kInstall / "space" / name));
        test::ChromatogramFixture f;
        f.header[hw::Rate] = 21;
        f.header[hw::Detector] = 2;
        f.header[hw::Gas] = 1;
        f.header[hw::Column] = 4;
        f.header[hw::Temperature] = 5;
        f.header[hw::Field5] = 30;
        f.header[hw::Sm] = 1;
        f.header[hw::StoredZoom] = 2;
        f.samples = std::vector<int16_t>(2584, 100);  // 2 minutes at 21.533
        f.comment = RU("Проба");
        f.triples = {{10, 40, 'M'}};
        f.lastWord = 186;
        file = f.write(dir / "data" / "h1a.hrm");
        before = readFileBytes(file);

        state.Vk7Rate = 21.533;
        state.Settings.DataDir = textFromPath(dir / "data") + "/";
        state.Settings.FileName = "h1a.hrm";
        ReadRequest req;
        req.AveragingMs = state.Settings.AveragingMs;
        req.Vk7Rate = state.Vk7Rate;
        ReadResult r = ReadChromatogram(file, req);
        state.Chrom = std::move(r.Chrom);
        for (const StoredPeak& s : r.StoredMarkup) {
            Peak p;
            p.Start = s.start;
            p.End = s.end;
            state.Markup.Peaks.push_back(p);
        }
        state.ProgramMode = ModeShown;

        form = std::make_unique<TForm2>(state, dialogs,
                                        TForm2::Hooks{[this](HelpPage p) { helpPages.push_back(p); },
                                                      [this](bool reread) { changes.push_back(reread); }});
    }
    void TearDown() override {
        EXPECT_TRUE(dialogs.unexpected().empty()) << dialogs.unexpected().front();
        EXPECT_EQ(dialogs.pendingAnswers(), 0u);
    }

    test::TempDir dir;
    fs::path file;
    std::string before;
    ProcessingState state{StartFolder(dir.path())};
    ScriptedDialogs dialogs;
    std::vector<HelpPage> helpPages;
    std::vector<bool> changes;
    std::unique_ptr<TForm2> form;
};

TEST_F(PassportWindow, ShowsTheRegnCaptionsAndTheValuesOfTheOpenChromatogram) {
    form->show();
    EXPECT_EQ(form->windowTitle(), toQString(RU("Паспорт хроматограммы")));
    const QTableWidget* g = form->Grid;
    ASSERT_EQ(g->rowCount(), 17);
    EXPECT_EQ(text(g, 0, 0), RU("Детектор"));
    EXPECT_EQ(text(g, 13, 0), RU("Коэффициент канала R"));
    EXPECT_EQ(text(g, 15, 0), RU("Частота АЦП"));
    EXPECT_EQ(text(g, 16, 0), RU("Отмечено пиков"));
    EXPECT_EQ(text(g, 0, 1), RU("ПИД"));
    EXPECT_EQ(text(g, 2, 1), RU("Гелий"));
    EXPECT_EQ(text(g, 4, 1), RU("Программа: 40g-2m;8g/m;250g-5m"));
    EXPECT_EQ(text(g, 5, 1), "  30");
    EXPECT_EQ(text(g, 12, 1), " 2.00");
    EXPECT_EQ(text(g, 14, 1), RU("Проба"));
    EXPECT_EQ(text(g, 15, 1), "21.533");
    EXPECT_EQ(text(g, 16, 1), "   1");
    // Only the typed rows can be edited in the grid.
    EXPECT_TRUE(g->item(13, 1)->flags() & Qt::ItemIsEditable);
    EXPECT_FALSE(g->item(0, 1)->flags() & Qt::ItemIsEditable);
    EXPECT_FALSE(g->item(16, 1)->flags() & Qt::ItemIsEditable);
    EXPECT_FALSE(g->item(13, 0)->flags() & Qt::ItemIsEditable);
    EXPECT_FALSE(form->PassportChanged());
    EXPECT_TRUE(dialogs.messageTexts().empty());
}

TEST_F(PassportWindow, PickerLiesOnTheCellAndItsEntryGoesIntoTheFile) {
    form->show();
    form->GridClick(3, 1);
    ASSERT_TRUE(form->ComboBox1->isVisible());
    EXPECT_EQ(form->ComboBox1->geometry(), form->Grid->visualItemRect(form->Grid->item(3, 1)));
    EXPECT_EQ(form->ComboBox1->count(), 5);
    EXPECT_EQ(form->ComboBox1->currentIndex(), 3);  // line 4 of kolon
    form->ComboBox1Change(1);
    EXPECT_FALSE(form->ComboBox1->isVisible());
    EXPECT_EQ(text(form->Grid, 3, 1), RU("Насадочная 2 м x 3 мм, полимерный сорбент"));
    EXPECT_TRUE(form->PassportChanged());
    // A click elsewhere hides the picker.
    form->GridClick(11, 1);
    EXPECT_TRUE(form->ComboBox1->isVisible());
    form->GridClick(5, 1);
    EXPECT_FALSE(form->ComboBox1->isVisible());

    dialogs.expectMessage(Answer::Ok);
    form->hide();
    EXPECT_EQ(dialogs.messageTexts(), std::vector<std::string>{RU("Сохранить хроматограмму с новым паспортом?")});
    EXPECT_EQ(readWords(file)[hw::Column], 2);
    EXPECT_EQ(state.Chrom.ColumnIndex, 2);
    EXPECT_EQ(changes, std::vector<bool>{false});
}

TEST_F(PassportWindow, CancelOnHidingLeavesTheFileAsItWas) {
    form->show();
    type(form->Grid, 1, "2:5");
    EXPECT_TRUE(form->PassportChanged());
    dialogs.expectMessage(Answer::Cancel);
    form->hide();
    EXPECT_EQ(readFileBytes(file), before);
    EXPECT_EQ(state.Chrom.UnitCode, 0);
    // Shown again, the grid shows the file's values and asks nothing when hidden untouched.
    form->show();
    EXPECT_EQ(text(form->Grid, 1, 1), "   0:1");
    EXPECT_FALSE(form->PassportChanged());
    form->hide();
    EXPECT_EQ(dialogs.messageTexts().size(), 1u);
}

TEST_F(PassportWindow, TypedRowsAreWrittenAndTheMemoryFollowsTheFile) {
    form->show();
    type(form->Grid, 1, "2:5");
    type(form->Grid, 13, "2.00");
    type(form->Grid, 14, RU("Новая проба"));
    form->SpeedButton12Click();
    EXPECT_FALSE(form->PassportChanged());
    const std::vector<int16_t> w = readWords(file);
    EXPECT_EQ(w[hw::Unit], 2);
    EXPECT_EQ(w[hw::Multiplier], 5);
    EXPECT_EQ(w[hw::LogR], 693);
    EXPECT_EQ(w[hw::Rate], 21533);
    EXPECT_EQ(state.Chrom.UnitCode, 2);
    EXPECT_EQ(state.Chrom.CommentText, RU("Новая проба"));
    EXPECT_EQ(text(form->Grid, 1, 1), "   2:5");
    EXPECT_EQ(text(form->Grid, 13, 1), "  2.00");
    EXPECT_EQ(changes, std::vector<bool>{false});
    form->hide();  // written: no question
    EXPECT_TRUE(dialogs.messageTexts().empty());
}

TEST_F(PassportWindow, RefusedValueWritesNothingAndKeepsTheEditsForACorrection) {
    form->show();
    type(form->Grid, 15, "40");
    type(form->Grid, 5, "77");
    dialogs.expectMessage(Answer::Ok);
    form->hide();
    QApplication::processEvents();
    const auto texts = dialogs.messageTexts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_NE(texts[1].find(RU("«Частота АЦП»")), std::string::npos) << texts[1];
    EXPECT_EQ(dialogs.shown()[1].message.kind, MessageKind::Warning);
    EXPECT_EQ(readFileBytes(file), before);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(text(form->Grid, 15, 1), "40");
    EXPECT_EQ(text(form->Grid, 5, 1), "77");
    EXPECT_TRUE(form->PassportChanged());
    // Corrected, the rewrite goes through.
    type(form->Grid, 15, "21.5");
    form->SpeedButton12Click();
    const std::vector<int16_t> w = readWords(file);
    EXPECT_EQ(w[hw::Rate], 21500);
    EXPECT_EQ(w[hw::Field5], 77);
    EXPECT_EQ(changes, std::vector<bool>{true});  // a new rate: the chromatogram is read again
}

TEST_F(PassportWindow, ShortenedRecordingAsksForANewRead) {
    form->show();
    type(form->Grid, 12, "1.5");
    form->SpeedButton12Click();
    EXPECT_EQ(changes, std::vector<bool>{true});
    EXPECT_EQ(readChromatogramWords(file).sampleCount(), 1937);  // trunc(1.5 x 60 x 21.533)
}

TEST_F(PassportWindow, ClickSetsTheFlagAndShowingClearsIt) {
    form->show();
    form->GridClick(7, 0);
    EXPECT_TRUE(form->PassportChanged());
    dialogs.expectMessage(Answer::Ok);
    form->hide();
    // A look without change written back changes only the rate code and the zoom word.
    const std::vector<int16_t> w = readWords(file);
    EXPECT_EQ(w[hw::Rate], 21533);
    EXPECT_EQ(w[hw::StoredZoom], 1);
    EXPECT_EQ(w.size(), before.size() / 2);
    form->show();
    EXPECT_FALSE(form->PassportChanged());
}

TEST_F(PassportWindow, TemplateWrittenAndAppliedThenCancelKeepsTheFileAndTheMemory) {
    form->show();
    form->GridClick(0, 1);
    form->ComboBox1Change(4);  // ТИД
    type(form->Grid, 1, "3:10");
    form->SpeedButton2Click();
    EXPECT_EQ(splitLines(readFileBytes(dir / "results" / "paspo.txt")),
              (std::vector<std::string>{"5", "3:10", "1", "4", "5", "  30", "   0", "   0", "   0", "   0", "   0", "1"}));
    // Back to the file's values, then the template.
    dialogs.expectMessage(Answer::Cancel);
    form->hide();
    form->show();
    EXPECT_EQ(text(form->Grid, 0, 1), RU("ПИД"));
    form->SpeedButton3Click();
    EXPECT_TRUE(form->PassportChanged());
    EXPECT_EQ(text(form->Grid, 0, 1), RU("ТИД"));
    EXPECT_EQ(text(form->Grid, 1, 1), "   3:10");
    dialogs.expectMessage(Answer::Cancel);
    form->hide();
    EXPECT_EQ(readFileBytes(file), before);
    EXPECT_EQ(state.Chrom.DetectorIndex, 5);
    EXPECT_EQ(state.Chrom.UnitCode, 3);
    EXPECT_EQ(state.Chrom.SignalMultiplier, 10);
}

TEST_F(PassportWindow, MissingTemplateIsNamed) {
    form->show();
    form->SpeedButton3Click();
    EXPECT_EQ(dialogs.messageTexts(), std::vector<std::string>{RU("Нет файла \\results\\paspo.txt")});
    EXPECT_FALSE(form->PassportChanged());
}

TEST_F(PassportWindow, HelpButtonShowsPage101) {
    form->SpeedButton1Click();
    EXPECT_EQ(helpPages, std::vector<HelpPage>{101});
}

TEST_F(PassportWindow, EscapeHidesThePickerFirstThenTheWindow) {
    form->show();
    form->GridClick(2, 1);
    ASSERT_TRUE(form->ComboBox1->isVisible());
    pressKey(form->ComboBox1, Qt::Key_Escape);
    EXPECT_FALSE(form->ComboBox1->isVisible());
    EXPECT_TRUE(form->isVisible());
    dialogs.expectMessage(Answer::Cancel);
    pressKey(form->Grid, Qt::Key_Escape);  // the grid passes it on to the window
    EXPECT_FALSE(form->isVisible());
}

TEST_F(PassportWindow, PassportTextForThePeakTable) {
    form->WritePassportText();
    const std::vector<std::string> lines = splitLines(readFileBytes(dir / "results" / "pasp.txt"));
    ASSERT_EQ(lines.size(), 17u);
    EXPECT_EQ(lines[0], padRight(RU("Детектор"), 28) + RU("ПИД"));
    EXPECT_EQ(lines[16], padRight(RU("Отмечено пиков"), 28) + "   1");
}

TEST(PassportWindowSources, MissingCaptionsGiveOneNoticeAndEmptyCaptions) {
    test::TempDir dir;
    ProcessingState state{StartFolder(dir.path())};
    ScriptedDialogs dialogs;
    TForm2 form(state, dialogs, {});
    EXPECT_TRUE(dialogs.messageTexts().empty());  // told when the window is first shown
    form.show();
    form.hide();
    form.show();
    const auto texts = dialogs.messageTexts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NE(texts[0].find("\\space\\regn.txt"), std::string::npos);
    EXPECT_EQ(text(form.Grid, 0, 0), "");
    EXPECT_EQ(text(form.Grid, 15, 0), RU("Частота АЦП"));
    EXPECT_FALSE(form.SpeedButton12->isEnabled());  // no chromatogram open
}

// An offscreen picture of the window for a look: VK7_SCREENSHOT_DIR names the folder.
TEST_F(PassportWindow, Screenshot) {
    const char* out = std::getenv("VK7_SCREENSHOT_DIR");
    form->show();
    form->GridClick(3, 1);
    const QPixmap shot = form->grab();
    EXPECT_FALSE(shot.isNull());
    if (out) shot.save(QString::fromStdString((fs::path(out) / "passport.png").string()));
}

}  // namespace
}  // namespace vk7
