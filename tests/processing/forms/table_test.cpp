// The peak table window in the running program: Enter in the main window, the grid, the
// substance picker, the calibration button and the several-files summary.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QToolButton>

#include "chromfile/chromatogram_file.h"
#include "chromfile/chromatogram_key.h"
#include "chromfile/processing_settings.h"
#include "common/clock.h"
#include "common/cp1251.h"
#include "common/files.h"
#include "common/number_text.h"
#include "common/paths.h"
#include "platform/recording_printer.h"
#include "platform/shell.h"
#include "platform/qt/qt_text.h"
#include "platform/scripted_dialogs.h"
#include "processing/calibration_archive.h"
#include "processing/forms/helpert.h"
#include "processing/forms/program_windows.h"
#include "processing/forms/spisok.h"
#include "processing/forms/table.h"
#include "processing/peak_table.h"
#include "results/forms/usthtm7.h"
#include "processing/table_rows.h"
#include "tests/support/chromatogram_fixture.h"
#include "tests/support/point_generator.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

namespace fs = std::filesystem;
using test::PointGenerator;

QString q(const std::string& cp1251) { return toQString(cp1251); }

// A start folder whose settings give 4 samples per point at the fixture's 25 samples per
// second, an archive naming the peaks at 32 s and 80 s, and the help pages.
class PeakTableWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ProcessingSettings s;
        s.DataDir = textFromPath(dir.path() / "DATA") + "/";
        s.FileName = "h1a.hrm";
        s.AveragingMs = 160;
        s.DetectThreshold = 5.0;
        s.Decimals = 3;
        fs::create_directories(dir.path() / "space");
        fs::create_directories(dir.path() / "results");
        writeLines(dir.path() / "space" / "treat.dat", formatTreatDat(s));
        fs::create_directories(dir.path() / "help");
        fs::copy_file(fs::path(VK7_SOURCE_DIR) / "install" / "help" / "t51.htm", dir.path() / "help" / "t51.htm");

        const fs::path first = chromatogram("h1a.hrm", threePeaks(), "first");
        ReadRequest req;
        req.AveragingMs = 160;
        key = BuildChromatogramKey(ReadChromatogram(first, req).Chrom);
        dir.write("space/grad.grd", key + "\r\n" + formatCalibrationLine({32, 100, 1, "benzene", false}) + "\r\n" +
                                        formatCalibrationLine({80, 100, 2, "toluene", false}) + "\r\n#\r\n");

        form = CreateProgramWindows(StartFolder(dir.path()), {dialogs, clock, printer, &shell});
        form->show();
        QApplication::processEvents();
        table = form->windows().Form4;
    }
    void TearDown() override {
        form.reset();
        EXPECT_TRUE(dialogs.unexpected().empty()) << dialogs.unexpected().front();
    }

    static PointGenerator threePeaks() {
        return PointGenerator(1000, 300).gaussian(200, 4000, 8).gaussian(500, 6000, 8).gaussian(800, 3000, 8);
    }

    fs::path chromatogram(const std::string& name, const PointGenerator& points, const std::string& comment) {
        test::ChromatogramFixture f;
        f.samples = points.samples(4);
        f.comment = comment;
        f.lastWord = 160;
        return f.write(dir.path() / "DATA" / name);
    }

    void openOne(const fs::path& file) {
        dialogs.expectOpenOne(file);
        form->OpenChromatogramDialog();
    }

    void pressEnter() {
        QWidget* target = form->focusWidget() ? form->focusWidget() : form.get();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QApplication::sendEvent(target, &release);
        QApplication::processEvents();
    }

    std::vector<std::string> column(int c) const {
        std::vector<std::string> out;
        for (int r = 1; r <= table->rowCount(); ++r) out.push_back(table->cellText(r, c));
        return out;
    }

    ProcessingState& st() { return form->state(); }

    test::TempDir dir;
    ScriptedDialogs dialogs;
    FixedClock clock{LocalDateTime{2024, 3, 5, 9, 7, 41}};
    RecordingPrinter printer;
    RecordingShell shell;
    std::unique_ptr<TForm1> form;
    TForm4* table = nullptr;
    std::string key;
};

TEST_F(PeakTableWindow, EnterShowsTheTableOfTheOpenChromatogram) {
    openOne(dir.path() / "DATA" / "h1a.hrm");
    ASSERT_EQ(st().Markup.PeakCount(), 3);
    EXPECT_FALSE(table->isVisible());

    pressEnter();
    EXPECT_EQ(st().ProgramMode, ModePeakTable);
    ASSERT_TRUE(table->isVisible());
    EXPECT_EQ(table->windowTitle(), q(RU("Таблица пиков")));
    EXPECT_EQ(table->width(), 720);

    // The captions and the rows, the same texts as tabl.txt.
    EXPECT_EQ(table->cellText(0, CellNumber), "N");
    EXPECT_EQ(table->cellText(0, CellConc), RU("C, 1/см3"));
    EXPECT_EQ(table->cellText(0, CellStatus), RU("Статус"));
    ASSERT_EQ(table->rowCount(), 3);
    EXPECT_EQ(column(CellNumber), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(column(CellName), (std::vector<std::string>{"benzene", "toluene", "?"}));
    EXPECT_EQ(column(CellStatus), (std::vector<std::string>(3, RU("Расчет"))));
    EXPECT_EQ(table->cellText(3, CellConc), "-");
    const auto tabl = readLines(dir.path() / "results" / "tabl.txt");
    ASSERT_EQ(tabl.size(), 7u);
    EXPECT_EQ(tabl[0], RU("Хроматограмма h1a.hrm first"));
    for (int r = 1; r <= 3; ++r) {
        const TableRow row = readTableRow(tabl[static_cast<size_t>(r) + 3]);
        EXPECT_EQ(trimBlanks(tabl[static_cast<size_t>(r) + 3].substr(3, 8)), table->cellText(r, CellTime));
        EXPECT_EQ(row.Name, table->cellText(r, CellName));
    }
    EXPECT_EQ(table->Grid->currentRow(), 0);
    EXPECT_EQ(table->Grid->currentColumn(), CellName);
    // Columns 0-6 are fixed, 7-10 editable.
    EXPECT_FALSE(table->Grid->item(0, CellShare)->flags() & Qt::ItemIsEditable);
    EXPECT_TRUE(table->Grid->item(0, CellConc)->flags() & Qt::ItemIsEditable);

    // The main window: the table's menus and buttons.
    EXPECT_TRUE(form->Normalise1->isEnabled());
    EXPECT_TRUE(form->N10->isEnabled());
    EXPECT_FALSE(form->Y1->isEnabled());
    EXPECT_FALSE(form->Average1->isEnabled());
    EXPECT_FALSE(form->N13->isEnabled());
    EXPECT_FALSE(form->SpeedButton13->isEnabled());
    EXPECT_FALSE(form->SpeedButton3->isEnabled());
    EXPECT_FALSE(table->SpeedButton10->isEnabled());

    // Enter again only shows the window; "?" shows page 51.
    table->hide();
    pressEnter();
    EXPECT_TRUE(table->isVisible());
    table->SpeedButton20->click();
    EXPECT_EQ(st().HelpPage, 51);
    EXPECT_TRUE(form->windows().Form10->isVisible());

    // Opening the file again leaves the table mode.
    openOne(dir.path() / "DATA" / "h1a.hrm");
    EXPECT_EQ(st().ProgramMode, ModeShown);
    EXPECT_FALSE(table->isVisible());
}

// Heights of volts and areas of 10^5 mV·s and more (a signal in units of 1000) show every
// digit in their columns: a number clipped at its left would read as another.
TEST_F(PeakTableWindow, LargeNumbersShowEveryDigit) {
    test::ChromatogramFixture f;
    f.header[hw::Unit] = 3;
    f.samples = PointGenerator(1000, 300).gaussian(200, 4000, 8).gaussian(500, 30000, 30).samples(4);
    f.lastWord = 160;
    openOne(f.write(dir.path() / "DATA" / "h7a.hrm"));
    pressEnter();
    ASSERT_TRUE(table->isVisible());
    ASSERT_GE(table->rowCount(), 2);
    bool exponent = false;
    const auto* view = static_cast<const QAbstractItemView*>(table->Grid);
    for (int r = 1; r <= table->rowCount(); ++r)
        for (int c : {CellTime, CellHeight, CellWidth, CellAsymmetry, CellArea, CellShare, CellConc}) {
            const std::string text = table->cellText(r, c);
            exponent |= text.find('E') != std::string::npos;
            const QModelIndex index = table->Grid->model()->index(r - 1, c);
            EXPECT_LE(view->sizeHintForIndex(index).width(), table->Grid->columnWidth(c))
                << "row " << r << " column " << c << ": " << text;
        }
    EXPECT_TRUE(exponent) << "the fixture gives an area of 100000 or more";
}

TEST_F(PeakTableWindow, NoPeaksGivesTheMessageOnly) {
    openOne(chromatogram("h5a.hrm", PointGenerator(1000, 300), ""));
    pressEnter();
    EXPECT_EQ(dialogs.messageTexts().back(), RU("Нет отмеченных пиков."));
    EXPECT_FALSE(table->isVisible());
    EXPECT_EQ(st().ProgramMode, ModeShown);
}

TEST_F(PeakTableWindow, ClippedPeaksAreCompletedWhenTheUserSaysOk) {
    openOne(chromatogram("h6a.hrm", PointGenerator(1000, 300).gaussian(300, 60000, 12), ""));
    dialogs.expectMessage(Answer::Ok);
    pressEnter();
    const auto& shown = dialogs.shown().back();
    EXPECT_EQ(shown.message.text, RU("Достраивать зашкаленные пики ?"));
    EXPECT_EQ(shown.message.buttons, MessageButtons::OkCancel);
    EXPECT_EQ(st().Chrom.UnitCode, 1);
    EXPECT_TRUE(table->isVisible());
}

TEST_F(PeakTableWindow, TheSubstancePickerNamesThePeakOfTheCurrentRow) {
    openOne(dir.path() / "DATA" / "h1a.hrm");
    pressEnter();
    EXPECT_FALSE(table->ComboBox1->isVisible());
    table->SpeedButton3->click();
    ASSERT_TRUE(table->ComboBox1->isVisible());
    ASSERT_EQ(table->ComboBox1->count(), 3);
    EXPECT_EQ(table->ComboBox1->itemText(2), "?");

    table->Grid->setCurrentCell(2, CellName);
    table->ComboBox1->setCurrentIndex(1);
    table->ComboBox1Change(1);  // "toluene" chosen for peak 3
    EXPECT_EQ(st().Markup.Peaks[3].Name, "toluene");
    EXPECT_EQ(table->cellText(3, CellName), "toluene");
    EXPECT_NE(table->cellText(3, CellConc), "-");
    EXPECT_EQ(readTableRow(readLines(dir.path() / "results" / "tabl.txt")[6]).Name, "toluene");
}

TEST_F(PeakTableWindow, TheStandardButtonAppendsTheRowsWithAnEmptyStatus) {
    openOne(dir.path() / "DATA" / "h1a.hrm");
    pressEnter();
    table->Grid->item(0, CellStatus)->setText(QString());
    table->Grid->item(0, CellConc)->setText(QStringLiteral("2.5"));
    table->SpeedButton2->click();
    const auto archive = readLines(dir.path() / "space" / "grad.grd");
    ASSERT_EQ(archive.size(), 6u);
    EXPECT_EQ(archive[3], key);
    EXPECT_EQ(archive[4].substr(0, 5), "   32");
    EXPECT_EQ(parseCalibrationLine(archive[4]).name, "benzene");
    EXPECT_DOUBLE_EQ(parseCalibrationLine(archive[4]).conc, 2.5);
    EXPECT_EQ(archive[5], "#");
}

TEST_F(PeakTableWindow, ThreeFilesEndInTheSummary) {
    const fs::path a = dir.path() / "DATA" / "h1a.hrm";
    const fs::path b = chromatogram("h2a.hrm", PointGenerator(1000, 300).gaussian(200, 4000, 8), "second");
    const fs::path c = chromatogram("h3a.hrm", PointGenerator(1000, 300).gaussian(500, 6000, 8).gaussian(800, 3000, 8),
                                    "third");
    dialogs.expectOpenSeveral({a, b, c});
    form->OpenSeveralChromatograms();
    ASSERT_TRUE(st().ListMode);

    pressEnter();
    EXPECT_FALSE(table->isVisible());
    EXPECT_EQ(st().ListIndex, 1);
    EXPECT_EQ(st().Settings.FileName, "h2a.hrm");
    EXPECT_EQ(st().ProgramMode, ModeShown);
    pressEnter();
    EXPECT_FALSE(table->isVisible());
    EXPECT_EQ(st().Settings.FileName, "h3a.hrm");
    pressEnter();

    ASSERT_TRUE(table->isVisible());
    EXPECT_EQ(table->windowTitle(), q(RU("Суммарная таблица h1a.hrm h2a.hrm h3a.hrm ")));
    EXPECT_FALSE(form->windows().Form7->isVisible());
    EXPECT_EQ(column(CellNumber), (std::vector<std::string>{"1", "2", "3", "1", "1", "2"}));
    EXPECT_EQ(column(CellName), (std::vector<std::string>{"benzene", "toluene", "?", "benzene", "toluene", "?"}));
    const auto sum = readLines(dir.path() / "results" / "tabsum.txt");
    ASSERT_EQ(sum.size(), 10u);
    EXPECT_EQ(sum[0], RU("Суммарная таблица h1a.hrm h2a.hrm h3a.hrm "));
    EXPECT_EQ(readLines(dir.path() / "results" / "tabl.txt")[0], RU("Хроматограмма h3a.hrm third"));

    // Averaging and "Поверка Y" belong to the summary; the picker and the standard are off.
    EXPECT_TRUE(form->Average1->isEnabled());
    EXPECT_TRUE(form->Y1->isEnabled());
    EXPECT_FALSE(form->N10->isEnabled());
    EXPECT_TRUE(table->SpeedButton10->isEnabled());
    EXPECT_FALSE(table->SpeedButton3->isEnabled());
    EXPECT_FALSE(table->SpeedButton2->isEnabled());
    EXPECT_FALSE(table->ComboBox1->isVisible());
}

// Three analyses of the same sample: averaging, normalisation and the recalculation to normal
// conditions, each shown in the grid.
TEST_F(PeakTableWindow, AveragedTableThenNormalisedThenRecalculated) {
    const fs::path a = dir.path() / "DATA" / "h1a.hrm";
    const fs::path b = chromatogram("h2a.hrm", threePeaks(), "second");
    const fs::path c = chromatogram("h3a.hrm", PointGenerator(1000, 300).gaussian(200, 4400, 8).gaussian(500, 6000, 8)
                                                   .gaussian(800, 3000, 8), "third");
    dialogs.expectOpenSeveral({a, b, c});
    form->OpenSeveralChromatograms();
    pressEnter();
    pressEnter();
    pressEnter();
    ASSERT_TRUE(table->SpeedButton10->isEnabled());
    const auto summary = readLines(dir.path() / "results" / "tabsum.txt");
    ASSERT_EQ(summary.size(), 13u);

    table->SpeedButton10->click();
    EXPECT_FALSE(st().ListMode);
    EXPECT_FALSE(form->Average1->isEnabled());
    EXPECT_FALSE(table->SpeedButton10->isEnabled());
    EXPECT_EQ(table->windowTitle(), q(RU("h1a.hrm h2a.hrm h3a.hrm  (усреднение)")));
    ASSERT_EQ(table->rowCount(), 3);
    EXPECT_EQ(column(CellName), (std::vector<std::string>{"benzene", "toluene", "?"}));
    EXPECT_EQ(column(CellStatus), (std::vector<std::string>{RU("Расчет"), RU("Расчет"), "-"}));
    EXPECT_EQ(table->cellText(0, CellConc), RU("C, 1/см3"));
    EXPECT_EQ(table->Grid->item(0, CellName)->background().color(), QColor(192, 192, 192));
    EXPECT_EQ(table->Grid->item(0, CellNumber)->background().color(), QColor(192, 192, 192));
    // The rows are no peaks of the open chromatogram: no picker, no standard.
    EXPECT_FALSE(table->SpeedButton3->isEnabled());
    EXPECT_FALSE(table->SpeedButton2->isEnabled());
    const auto tabl = readLines(dir.path() / "results" / "tabl.txt");
    ASSERT_EQ(tabl.size(), 7u);
    EXPECT_EQ(table->cellText(1, CellConc), std::string(trimBlanks(columnText(tabl[4], TableColumn::Conc))));
    // Benzene's first peak was higher in one analysis: a spread, so a d% above 0.
    EXPECT_GT(parseLenient(table->cellText(1, CellDeviation)), 0.0);
    EXPECT_EQ(table->cellText(2, CellDeviation), "0.0");
    const double benzene = readTableRow(tabl[4]).Conc;
    const double toluene = readTableRow(tabl[5]).Conc;

    table->SpeedButton7->click();  // "Нормал"
    EXPECT_EQ(table->cellText(0, CellConc), RU("C, %"));
    EXPECT_TRUE(table->content().NormalisedShown);
    EXPECT_NEAR(parseLenient(table->cellText(1, CellConc)), benzene / (benzene + toluene) * 100, 1e-3);
    EXPECT_EQ(table->cellText(3, CellConc), "-");
    EXPECT_EQ(table->windowTitle(), q(RU("h1a.hrm h2a.hrm h3a.hrm  (усреднение) (нормализация)")));
    EXPECT_EQ(table->Grid->item(0, CellName)->background().color(), table->palette().color(QPalette::Base));

    table->SpeedButton8->click();  // "НКУ"
    ASSERT_TRUE(form->Panel13->isVisible());
    EXPECT_EQ(form->RecalcMode, 1);
    EXPECT_EQ(form->Label12->text(), q(RU("N,кПа")));
    EXPECT_EQ(form->Edit5->text(), QStringLiteral(" 101.3"));
    EXPECT_EQ(form->Edit6->text(), QStringLiteral("  20.0"));
    form->Edit6->setText(QStringLiteral("27,3"));
    if (const char* shots = std::getenv("VK7_SCREENSHOT_DIR"))
        form->grab().save(QString::fromStdString((fs::path(shots) / "recalc_panel.png").string()));
    form->SpeedButton34->click();
    EXPECT_FALSE(form->Panel13->isVisible());
    EXPECT_EQ(readLines(dir.path() / "space" / "klimat.dat")[1], " 2.73000000000000E+0001");
    EXPECT_EQ(table->cellText(0, CellConc), RU("C, 1/см3"));
    EXPECT_FALSE(table->content().NormalisedShown);
    EXPECT_NEAR(parseLenient(table->cellText(1, CellConc)), benzene * 1.1, 2e-3);
    EXPECT_EQ(table->windowTitle(), q(RU("h1a.hrm h2a.hrm h3a.hrm  (усреднение) (нормализация). НУ.")));
    EXPECT_EQ(readLines(dir.path() / "results" / "tabl.txt")[0], RU("h1a.hrm h2a.hrm h3a.hrm  (усреднение). НУ."));
    if (const char* shots = std::getenv("VK7_SCREENSHOT_DIR"))
        table->grab().save(QString::fromStdString((fs::path(shots) / "averaged_recalculated.png").string()));

    // The formula: a refused pressure first leaves the panel and the files.
    table->SpeedButton8->click();
    form->Edit5->setText(QString());
    dialogs.expectMessage(Answer::Ok);
    form->SpeedButton34->click();
    EXPECT_EQ(dialogs.messageTexts().back(), RU("Давление должно быть больше нуля"));
    EXPECT_TRUE(form->Panel13->isVisible());
    EXPECT_EQ(readLines(dir.path() / "space" / "klimat.dat")[0], " 1.01300000000000E+0002");
    form->SpeedButton33->click();
    EXPECT_FALSE(form->Panel13->isVisible());

    table->SpeedButton9->click();  // "C'=aC/b"
    EXPECT_EQ(form->RecalcMode, 2);
    EXPECT_TRUE(form->Label10->isVisible());
    EXPECT_EQ(form->Edit5->text(), QStringLiteral("   1.000"));
    form->Edit5->setText(QStringLiteral("2"));
    form->Edit6->setText(QStringLiteral("4"));
    const double before = parseLenient(table->cellText(1, CellConc));
    form->SpeedButton34->click();
    EXPECT_NEAR(parseLenient(table->cellText(1, CellConc)), before / 2, 1e-3);
    EXPECT_EQ(readLines(dir.path() / "results" / "tabl.txt")[0],
              RU("h1a.hrm h2a.hrm h3a.hrm  (усреднение). НУ.. Форм."));
}

// "Пересчет" after "НКУ" or "C'=aC/b" rewrites the concentrations and nothing else: the grid of
// the open chromatogram keeps its colours, statuses and other cells, the picker and the
// standard stay on, and a value of 100000 or more keeps the exponent form.
TEST_F(PeakTableWindow, RecalculationChangesOnlyTheConcentrationColumn) {
    openOne(dir.path() / "DATA" / "h1a.hrm");
    pressEnter();
    ASSERT_TRUE(table->isVisible());
    ASSERT_EQ(table->rowCount(), 3);
    auto grid = [this] {
        std::vector<std::vector<std::string>> cells;
        for (int r = 0; r <= table->rowCount(); ++r) {
            auto& row = cells.emplace_back();
            for (int c = 0; c < kPeakTableGridColumns; ++c) row.push_back(table->cellText(r, c));
        }
        return cells;
    };
    auto colours = [this] {
        std::vector<QColor> out;
        for (int r = 0; r < table->rowCount(); ++r)
            for (int c = 0; c < kPeakTableGridColumns; ++c) out.push_back(table->Grid->item(r, c)->background().color());
        return out;
    };
    const auto before = grid();
    const auto coloursBefore = colours();
    ASSERT_EQ(column(CellConc)[2], "-");  // the unnamed peak
    const double benzene = parseLenient(before[1][CellConc]);
    const double toluene = parseLenient(before[2][CellConc]);
    ASSERT_GT(benzene, 0);

    const struct {
        QToolButton* button;
        const char* first;
        const char* second;
        double factor;
        std::string suffix;
    } steps[] = {{table->SpeedButton8, "101,3", "27,3", 1.1, RU(". НУ.")},
                 {table->SpeedButton9, "1000000", "1", 1e6, RU(". Форм.")}};
    double factor = 1;
    std::string caption = fromQString(table->windowTitle());
    for (const auto& step : steps) {
        step.button->click();
        ASSERT_TRUE(form->Panel13->isVisible());
        form->Edit5->setText(QString::fromLatin1(step.first));
        form->Edit6->setText(QString::fromLatin1(step.second));
        form->SpeedButton34->click();
        factor *= step.factor;
        caption += step.suffix;
        const auto after = grid();
        for (int r = 0; r <= table->rowCount(); ++r)
            for (int c = 0; c < kPeakTableGridColumns; ++c)
                if (c != CellConc || r == 0 || r == 3) EXPECT_EQ(after[r][c], before[r][c]) << r << ", " << c;
        EXPECT_NEAR(parseLenient(table->cellText(1, CellConc)), benzene * factor, benzene * factor * 5e-4 + 5e-4);
        EXPECT_NEAR(parseLenient(table->cellText(2, CellConc)), toluene * factor, toluene * factor * 5e-4 + 5e-4);
        EXPECT_EQ(colours(), coloursBefore);
        EXPECT_TRUE(table->SpeedButton3->isEnabled());  // "Вещ"
        EXPECT_TRUE(table->SpeedButton2->isEnabled());  // "St"
        EXPECT_EQ(fromQString(table->windowTitle()), caption);
    }
    // 100000 and more: the exponent form the peak table writes, as tabl.txt now holds it.
    const std::string shown = table->cellText(1, CellConc);
    EXPECT_EQ(shown, trimBlanks(concCellText(readTableRow(readLines(dir.path() / "results" / "tabl.txt")[4]).Conc, 3)));
    EXPECT_NE(shown.find("E+"), std::string::npos) << shown;
    if (const char* shots = std::getenv("VK7_SCREENSHOT_DIR"))
        table->grab().save(QString::fromStdString((fs::path(shots) / "recalculated_table.png").string()));
}

TEST_F(PeakTableWindow, RefusedAveragingKeepsTheSummaryGrid) {
    const fs::path a = dir.path() / "DATA" / "h1a.hrm";
    const fs::path b = chromatogram("h2a.hrm", PointGenerator(1000, 300).gaussian(200, 4000, 8), "second");
    dialogs.expectOpenSeveral({a, b});
    form->OpenSeveralChromatograms();
    pressEnter();
    pressEnter();
    ASSERT_EQ(table->rowCount(), 4);
    const std::string tabl = readFileBytes(dir.path() / "results" / "tabl.txt");
    dialogs.expectMessage(Answer::Ok);
    form->Average1->trigger();
    EXPECT_EQ(dialogs.messageTexts().back(), RU("Некорректные данные: некратное число строк"));
    EXPECT_EQ(readFileBytes(dir.path() / "results" / "tabl.txt"), tabl);
    EXPECT_EQ(table->rowCount(), 4);
    EXPECT_TRUE(st().ListMode);
    EXPECT_TRUE(form->Average1->isEnabled());

    // A recalculation rewrites tabl.txt, the last file's table, whose rows are not the
    // summary's: the window shows that table rather than its values in the first file's rows.
    const double last = readTableRow(readLines(dir.path() / "results" / "tabl.txt")[4]).Conc;
    table->SpeedButton9->click();
    form->Edit5->setText(QStringLiteral("2"));
    form->Edit6->setText(QStringLiteral("1"));
    form->SpeedButton34->click();
    const auto recalculated = readLines(dir.path() / "results" / "tabl.txt");
    ASSERT_EQ(table->rowCount(), static_cast<int>(recalculated.size()) - 4);
    EXPECT_NEAR(parseLenient(table->cellText(1, CellConc)), last * 2, 1e-3);
    EXPECT_EQ(fromQString(table->windowTitle()), recalculated[0]);
}

// "HTML" after Enter: the protocol from the installation's blank, shown through the shell;
// "Протокол HTML" shows it again.
TEST_F(PeakTableWindow, HtmlButtonWritesAndOpensTheProtocol) {
    const fs::path install = fs::path(VK7_SOURCE_DIR) / "install";
    for (const char* name : {"formu.dat", "prot.dat", "mask.dat"})
        fs::copy_file(install / "space" / name, dir.path() / "space" / name);
    fs::create_directories(dir.path() / "doc");
    fs::copy_file(install / "doc" / "pdk.htm", dir.path() / "doc" / "pdk.htm");
    dir.write("space/komp.dat", RU("Воздух рабочей зоны\r\n-------------\r\n") + padRight("benzene", 24) +
                                    "     0.001\r\n" + padRight("toluene", 24) + "   100.000\r\n");

    dialogs.expectMessage(Answer::Ok);
    form->Html1->trigger();
    EXPECT_EQ(dialogs.messageTexts().back(), RU("Нет файла \\results\\prot.htm"));

    openOne(dir.path() / "DATA" / "h1a.hrm");
    pressEnter();
    ASSERT_TRUE(table->isVisible());
    table->SpeedButton6->click();
    const fs::path page = dir.path() / "results" / "prot.htm";
    ASSERT_TRUE(fs::exists(page));
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0], page);
    EXPECT_EQ(readLines(dir.path() / "space" / "prot.dat")[3], "1");
    const std::string html = readFileBytes(page);
    EXPECT_NE(html.find("<td>benzene</td>"), std::string::npos);
    EXPECT_NE(html.find("<td>toluene</td>"), std::string::npos);
    EXPECT_EQ(html.find("<td>?</td>"), std::string::npos);
    EXPECT_NE(html.find(RU("по 1 веществу.")), std::string::npos);
    EXPECT_NE(html.find(RU("Файл \\h1a.hrm")), std::string::npos);

    // A protocol written while the settings window is shown shows there the new number.
    form->HtmlSettings1->trigger();
    table->SpeedButton6->click();
    EXPECT_EQ(form->windows().Form16->Edit1->text(), QStringLiteral("2"));

    form->Html1->trigger();
    EXPECT_EQ(shell.opened.size(), 3u);
    if (const char* shots = std::getenv("VK7_SCREENSHOT_DIR")) {
        const std::string shot = "chromium-headless-shell --no-sandbox --disable-gpu --screenshot='" +
                                 (fs::path(shots) / "prot_from_window.png").string() +
                                 "' --window-size=800,600 'file://" + page.string() + "' >/dev/null 2>&1";
        EXPECT_EQ(std::system(shot.c_str()), 0);
    }
}

}  // namespace
}  // namespace vk7
