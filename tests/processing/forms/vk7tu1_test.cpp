#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTableWidget>
#include <QToolButton>
#include <QWindow>

#include "chromfile/chromatogram_file.h"
#include "chromfile/forms/pasp.h"
#include "chromfile/forms/trparam.h"
#include "chromfile/processing_settings.h"
#include "common/clock.h"
#include "common/cp1251.h"
#include "common/files.h"
#include "common/number_text.h"
#include "common/paths.h"
#include "platform/recording_printer.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/up_down.h"
#include "platform/scripted_dialogs.h"
#include "modelling/forms/model7.h"
#include "processing/forms/grgraph.h"
#include "processing/forms/helpert.h"
#include "processing/forms/picmod.h"
#include "processing/forms/komment.h"
#include "processing/forms/pictures.h"
#include "processing/forms/grad_tab.h"
#include "processing/forms/program_windows.h"
#include "processing/forms/spisok.h"
#include "processing/forms/table.h"
#include "results/forms/base7.h"
#include "results/forms/poverx.h"
#include "results/forms/povery7.h"
#include "results/forms/sredy7.h"
#include "results/forms/ustexl7.h"
#include "results/forms/usthtm7.h"
#include "results/forms/vibsum7.h"
#include "tests/support/chromatogram_fixture.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

namespace fs = std::filesystem;

QString q(const std::string& cp1251) { return toQString(cp1251); }

// A start folder with vk7.dat, treat.dat naming a last file that no longer exists, the help
// pages of the installation, and chromatograms in DATA/ written by the fixture helper.
class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        dir.write("vk7.dat", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n21.533\r\n");
        ProcessingSettings s;
        s.DataDir = textFromPath(dir.path() / "gone") + "/";
        s.FileName = "h9a.hrm";
        s.Decimals = 2;
        fs::create_directories(dir.path() / "space");
        writeLines(dir.path() / "space" / "treat.dat", formatTreatDat(s));
        dir.write("space/grad.grd", "#\r\n");  // the empty archive of an installation
        fs::create_directories(dir.path() / "help");
        for (const char* page : {"t0.htm", "t1.htm", "t2.htm", "t3.htm", "t9.htm"})
            fs::copy_file(fs::path(VK7_SOURCE_DIR) / "install" / "help" / page, dir.path() / "help" / page);
        form = CreateProgramWindows(StartFolder(dir.path()), {dialogs, clock, printer});
        form->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        form.reset();
        EXPECT_TRUE(dialogs.unexpected().empty()) << dialogs.unexpected().front();
    }

    fs::path chromatogram(const std::string& name, const std::string& commentUtf8, int samples = 1500) {
        test::ChromatogramFixture f;
        f.samples = test::ChromatogramFixture::ramp(samples);
        f.comment = toCp1251(commentUtf8);
        return f.write(dir.path() / "DATA" / name);
    }

    void openOne(const fs::path& file) {
        dialogs.expectOpenOne(file);
        form->OpenChromatogramDialog();
    }

    // A key typed on the keyboard: delivered to the focused control of the main window.
    void type(int key, const QString& text, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* target = form->focusWidget() ? form->focusWidget() : form.get();
        QKeyEvent press(QEvent::KeyPress, key, mods, text);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, mods, text);
        QApplication::sendEvent(target, &release);
    }

    ProcessingState& st() { return form->state(); }
    const TForm1::Windows& w() { return form->windows(); }

    test::TempDir dir;
    ScriptedDialogs dialogs;
    FixedClock clock{LocalDateTime{2024, 3, 5, 9, 7, 41}};
    RecordingPrinter printer;
    std::unique_ptr<TForm1> form;
};

TEST_F(MainWindow, StartsWithItsWindowsCaptionsAndShortToolStrip) {
    EXPECT_EQ(form->windowTitle(), q(RU("Велетрон-7. Обработка.")));
    EXPECT_EQ(st().ProgramMode, 0);
    EXPECT_EQ(st().Vk7Rate, 21.533);
    EXPECT_EQ(st().Settings.Decimals, 2);

    // The eighteen tool windows, each with its caption, on top of the main window.
    const TForm1::Windows& ws = w();
    const std::pair<QWidget*, std::string> captions[] = {
        {ws.Form2, RU("Паспорт хроматограммы")},
        {ws.Form3, RU("Параметры обработки")},
        {ws.Form4, RU("Таблица пиков")},
        {ws.Form5, RU("Изображения")},
        {ws.Form6, RU("Архив градуировок")},
        {ws.Form7, RU("Список")},
        {ws.Form8, RU("Моделирование пиков")},
        {ws.Form9, RU("Градуировочные графики для актуальных компонентов")},
        {ws.Form11, RU("Поверка по методу Х")},
        {ws.Form12, RU("Поверка по методу Y")},
        {ws.Form13, RU("Сводные данные по результатам анализов")},
        {ws.Form14, RU("Моделирование хроматограмм")},
        {ws.Form15, RU("Комментарий")},
        {ws.Form16, RU("Протоколы HTML")},
        {ws.Form17, RU("Обследуемые среды , ПДК или нормы")},
        {ws.Form18, RU("Выборочные суммы")},
        {ws.Form19, RU("Протоколы Excel")},
    };
    for (const auto& [window, caption] : captions) {
        ASSERT_NE(window, nullptr) << toUtf8(caption);
        EXPECT_EQ(window->windowTitle(), q(caption));
        EXPECT_EQ(window->parentWidget(), form.get()) << toUtf8(caption);
        EXPECT_TRUE(window->windowFlags().testFlag(Qt::Tool)) << toUtf8(caption);
        EXPECT_FALSE(window->isVisible()) << toUtf8(caption);
    }
    ASSERT_NE(ws.Form10, nullptr);
    // Shown, a tool window is kept above the main window by the window system.
    ws.Form2->show();
    ASSERT_NE(ws.Form2->windowHandle(), nullptr);
    EXPECT_EQ(ws.Form2->windowHandle()->transientParent(), form->windowHandle());

    // The strip before the first chromatogram: 57 high, the plot area 8 below it.
    EXPECT_EQ(form->Panel2->height(), 57);
    EXPECT_EQ(form->Panel1->y(), form->Panel2->y() + 57 + 8);
    EXPECT_EQ(form->Panel1->height(), form->Client->height() - 57 - 16);
    EXPECT_EQ(form->Panel2->width(), form->width() - 23);
    EXPECT_EQ(form->Panel1->width(), form->width() - 23);
    EXPECT_FALSE(form->Panel3->isVisible());
    EXPECT_FALSE(form->Panel4->isVisible());
    EXPECT_TRUE(form->Panel9->isVisible());
    EXPECT_TRUE(form->Image1->isVisible());
    EXPECT_FALSE(form->Panel12->isVisible());
    EXPECT_FALSE(form->Edit2->isEnabled());
    EXPECT_FALSE(form->SpeedButton3->isEnabled());
    EXPECT_FALSE(form->SpeedButton4->isEnabled());
    EXPECT_EQ(form->Edit2->toolTip(), q(RU("После корректировки нажмите Enter")));
    EXPECT_EQ(form->SpeedButton1->toolTip(), q(RU("Открыть файл (F3)")));
    EXPECT_EQ(form->SpeedButton28->text(), q(RU("Х")));
    EXPECT_TRUE(form->Label1->text().isEmpty());
    EXPECT_FALSE(form->Extra1->menuAction()->isEnabled());
    EXPECT_FALSE(form->Excel2->isEnabled());
}

TEST_F(MainWindow, MenuCaptionsAndShortcuts) {
    struct Item {
        QAction* action;
        const std::string& caption;
        QKeySequence shortcut;
    };
    const Item items[] = {
        {form->File1->menuAction(), RU("Файл"), {}},
        {form->OpenOne1, RU("Открыть один"), QKeySequence(Qt::Key_F3)},
        {form->OpenSeveral1, RU("Открыть несколько"), QKeySequence(Qt::Key_F4)},
        {form->N12, RU("Изображения"), QKeySequence(Qt::CTRL | Qt::Key_Z)},
        {form->N14, RU("Таблица TXT"), QKeySequence(Qt::CTRL | Qt::Key_A)},
        {form->Word1, RU("Протокол Word"), QKeySequence(Qt::CTRL | Qt::Key_W)},
        {form->Excel3, RU("Протокол Excel"), QKeySequence(Qt::CTRL | Qt::Key_E)},
        {form->Html1, RU("Протокол HTML"), QKeySequence(Qt::CTRL | Qt::Key_H)},
        {form->Excel2, RU("Экспорт в Excel"), QKeySequence(Qt::CTRL | Qt::Key_C)},
        {form->Extra1->menuAction(), RU("Дополнительно"), {}},
        {form->N13, RU("Инвертировать (-)"), {}},
        {form->Average1, RU("Усреднение"), QKeySequence(Qt::CTRL | Qt::Key_K)},
        {form->Normalise1, RU("Нормализация"), QKeySequence(Qt::CTRL | Qt::Key_N)},
        {form->Formula1, "C'=a*C/b", {}},
        {form->NormalConditions1, RU("Нормальные условия"), QKeySequence(Qt::CTRL | Qt::Key_T)},
        {form->N10, RU("Поверка Х"), QKeySequence(Qt::CTRL | Qt::Key_X)},
        {form->Y1, RU("Поверка Y"), QKeySequence(Qt::CTRL | Qt::Key_Y)},
        {form->Calibrations1->menuAction(), RU("Градуировки"), {}},
        {form->Archive1, RU("Архив"), QKeySequence(Qt::CTRL | Qt::Key_S)},
        {form->N19, RU("Графики"), QKeySequence(Qt::CTRL | Qt::Key_G)},
        {form->Bases1, RU("Базы"), QKeySequence(Qt::CTRL | Qt::Key_B)},
        {form->Settings1->menuAction(), RU("Настройки"), {}},
        {form->Parameters1, RU("Параметры обработки"), QKeySequence(Qt::CTRL | Qt::Key_R)},
        {form->N21, RU("Принтер"), {}},
        {form->Decimals1, RU("Знаков после запятой"), {}},
        {form->HtmlSettings1, RU("Протоколирование в HTML"), {}},
        {form->ExcelSettings1, RU("Протоколирование в Excel"), {}},
        {form->N7, RU("Модели"), QKeySequence(Qt::CTRL | Qt::Key_M)},
        {form->N6, RU("Помощь"), QKeySequence(Qt::Key_F1)},
    };
    for (const Item& i : items) {
        EXPECT_EQ(i.action->text(), q(i.caption));
        EXPECT_EQ(i.action->shortcut(), i.shortcut) << toUtf8(i.caption);
    }
    // The menu bar holds the menus and the three plain items in the order of the menu.
    QStringList bar;
    for (QAction* a : form->menuBar()->actions()) bar << a->text();
    EXPECT_EQ(bar, (QStringList{q(RU("Файл")), q(RU("Дополнительно")), q(RU("Градуировки")), q(RU("Базы")),
                                q(RU("Настройки")), q(RU("Модели")), q(RU("Помощь"))}));
    // F1 is only the label of "Помощь": as a key it belongs to the window.
    EXPECT_EQ(form->N6->shortcutContext(), Qt::WidgetShortcut);

    // Menu items that only show a window.
    form->Archive1->trigger();
    EXPECT_TRUE(w().Form6->isVisible());
    form->Parameters1->trigger();
    EXPECT_TRUE(static_cast<QWidget*>(w().Form3)->isVisible());
    form->N19->trigger();  // the calibration graphs need a chromatogram
    EXPECT_FALSE(static_cast<QWidget*>(w().Form9)->isVisible());
}

TEST_F(MainWindow, OpensOneChromatogramAndShowsItsComment) {
    const fs::path good = chromatogram("h1a.hrm", "Бензол, проба 3");
    const fs::path truncated = dir.write("DATA/h2a.hrm", std::string(24, '\x01'));
    const fs::path text = dir.write("DATA/notes.hrm", "comment 1\r\ncomment 2\r\n");
    std::vector<QString> previews;
    bool previewShown = false;
    dialogs.setWhileFileDialogOpen([&](const FileDialogRequest& r) {
        previewShown = w().Form15->isVisible();
        for (const fs::path& f : {good, truncated, text, dir.path() / "DATA"}) {
            r.onSelectionChanged(f);
            previews.push_back(w().Form15->Label1->text());
        }
    });
    openOne(good);

    ASSERT_EQ(dialogs.shown().size(), 1u);
    const FileDialogRequest& r = dialogs.shown()[0].file;
    EXPECT_EQ(r.title, RU("Хроматограммы"));
    EXPECT_EQ(r.filter, "hrm |*.hrm;");
    EXPECT_EQ(r.initialDir, dir.path() / "DATA");  // the last folder is gone: the data folder, any case
    EXPECT_EQ(r.proposedName, "h9a.hrm");
    EXPECT_TRUE(previewShown);
    EXPECT_EQ(previews, (std::vector<QString>{QString::fromUtf8("Бензол, проба 3"), QString(), QString(), QString()}));
    EXPECT_FALSE(w().Form15->isVisible());

    EXPECT_EQ(st().ProgramMode, 1);
    EXPECT_EQ(st().Settings.DataDir, textFromPath(dir.path() / "DATA") + "/");
    EXPECT_EQ(st().Settings.FileName, "h1a.hrm");
    EXPECT_EQ(form->windowTitle(), q(st().Settings.DataDir + "h1a.hrm"));
    EXPECT_EQ(form->Edit2->text(), QString::fromUtf8("Бензол, проба 3"));
    EXPECT_FALSE(form->Edit2->isEnabled());
    // The ruler readouts of the plot.
    EXPECT_TRUE(form->Label1->text().endsWith(QString::fromUtf8(" м")));
    EXPECT_FALSE(form->Label2->text().isEmpty());
    EXPECT_GT(st().Chrom.PointCount(), 200);

    // The main window as it is with a chromatogram.
    EXPECT_EQ(form->Panel2->height(), 89);
    EXPECT_EQ(form->Panel1->y(), form->Panel2->y() + 89 + 8);
    EXPECT_EQ(form->Panel1->height(), form->Client->height() - 89 - 16);
    EXPECT_EQ(form->Edit2->width(), form->Panel2->width() - 70);
    EXPECT_EQ(form->SpeedButton3->x(), form->Panel2->width() - 54);
    EXPECT_EQ(form->SpeedButton4->x(), form->Panel2->width() - 31);
    EXPECT_EQ(form->Panel4->x(), form->Panel2->width() - form->Panel4->width() - 8);
    EXPECT_TRUE(form->Panel3->isVisible());
    EXPECT_TRUE(form->Panel4->isVisible());
    EXPECT_FALSE(form->Panel9->isVisible());
    EXPECT_FALSE(form->Image1->isVisible());
    EXPECT_TRUE(form->SpeedButton3->isEnabled());
    EXPECT_TRUE(form->SpeedButton13->isEnabled());
    EXPECT_FALSE(form->SpeedButton27->isVisible());
    EXPECT_TRUE(form->Extra1->menuAction()->isEnabled());
    EXPECT_TRUE(form->N13->isEnabled());
    for (QAction* a : {form->Average1, form->Normalise1, form->NormalConditions1, form->Formula1, form->N10, form->Y1})
        EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
    EXPECT_TRUE(form->Excel2->isEnabled());

    // Resizing keeps the rules, down to the smallest window.
    form->resize(500, 200);
    QApplication::processEvents();
    EXPECT_EQ(form->width(), 720);
    EXPECT_EQ(form->Panel2->width(), 720 - 23);
    EXPECT_EQ(form->Panel1->height(), form->Client->height() - 89 - 16);

    // The next dialog starts in the folder of this file and proposes its name.
    dialogs.expectOpenOne(std::nullopt);
    form->OpenChromatogramDialog();
    EXPECT_EQ(dialogs.shown().back().file.initialDir, dir.path() / "DATA/");
    EXPECT_EQ(dialogs.shown().back().file.proposedName, "h1a.hrm");
    EXPECT_EQ(st().Settings.FileName, "h1a.hrm");  // Cancel changes nothing
}

TEST_F(MainWindow, OpensSeveralWithTheListAndStepsThroughIt) {
    const fs::path a = chromatogram("h1a.hrm", "first");
    const fs::path b = chromatogram("h2a.hrm", "second");
    const fs::path c = chromatogram("h3a.hrm", "third");
    dialogs.expectOpenSeveral({a, b, c});
    form->OpenSeveralChromatograms();

    EXPECT_EQ(dialogs.shown()[0].type, ScriptedDialogs::Shown::OpenSeveral);
    EXPECT_EQ(dialogs.shown()[0].file.title, RU("Хроматограммы"));
    EXPECT_TRUE(st().ListMode);
    EXPECT_EQ(st().ListCount(), 3);
    EXPECT_EQ(st().ListIndex, 0);
    EXPECT_EQ(st().Settings.FileName, "h1a.hrm");
    EXPECT_EQ(form->Edit2->text(), "first");
    TForm7* list = w().Form7;
    EXPECT_TRUE(list->isVisible());
    EXPECT_EQ(list->names(), (std::vector<std::string>{"h1a.hrm", "h2a.hrm", "h3a.hrm"}));
    EXPECT_EQ(list->Grid->currentRow(), 0);

    EXPECT_TRUE(form->OpenListFile(2));
    EXPECT_EQ(st().ListIndex, 2);
    EXPECT_EQ(list->Grid->currentRow(), 2);
    EXPECT_EQ(form->Edit2->text(), "third");
    EXPECT_TRUE(st().ListMode);

    // "?" of the list shows page 2; the main window's "?" chooses the list's page too.
    list->SpeedButton20->click();
    EXPECT_EQ(st().HelpPage, 2);
    EXPECT_TRUE(w().Form10->isVisible());

    // Opening one file ends the several-files mode.
    openOne(b);
    EXPECT_FALSE(st().ListMode);
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(form->Edit2->text(), "second");
}

TEST_F(MainWindow, FailedOpenAfterAGoodOneLeavesEverythingAsItWas) {
    const fs::path a = chromatogram("h1a.hrm", "good one");
    const fs::path b = chromatogram("h2a.hrm", "good two");
    dialogs.expectOpenSeveral({a, b});
    form->OpenSeveralChromatograms();
    const ProcessingSettings settings = st().Settings;
    const QString caption = form->windowTitle();
    const int points = st().Chrom.PointCount();

    const fs::path truncated = dir.write("DATA/h5a.hrm", std::string(30, '\0'));
    const std::string truncatedBytes = readFileBytes(truncated);
    openOne(truncated);
    ASSERT_EQ(dialogs.messageTexts().size(), 1u);
    EXPECT_NE(dialogs.messageTexts()[0].find(RU("не является хроматограммой")), std::string::npos);

    openOne(dir.path() / "DATA" / "h6a.hrm");  // vanished meanwhile
    ASSERT_EQ(dialogs.messageTexts().size(), 2u);
    EXPECT_EQ(dialogs.shown().back().message.kind, MessageKind::Error);

    // Several files whose first one fails: the list stays the old one.
    dialogs.expectOpenSeveral({truncated, a});
    form->OpenSeveralChromatograms();
    EXPECT_EQ(dialogs.messageTexts().size(), 3u);

    EXPECT_EQ(st().Settings, settings);
    EXPECT_EQ(st().ProgramMode, 1);
    EXPECT_TRUE(st().ListMode);
    EXPECT_EQ(st().ListCount(), 2);
    EXPECT_TRUE(w().Form7->isVisible());
    EXPECT_EQ(w().Form7->names(), (std::vector<std::string>{"h1a.hrm", "h2a.hrm"}));
    EXPECT_EQ(form->windowTitle(), caption);
    EXPECT_EQ(st().Chrom.PointCount(), points);
    EXPECT_EQ(st().Chrom.CommentText, "good one");

    // The comment edited now goes into the file that is open, never into the one that failed.
    form->SpeedButton3->click();
    form->Edit2->setText("edited");
    type(Qt::Key_Return, "\r");
    EXPECT_EQ(previewComment(a), "edited");
    EXPECT_EQ(readFileBytes(truncated), truncatedBytes);
}

TEST_F(MainWindow, RefusesNamesItCannotKeepAndTooManyFiles) {
    const fs::path longName = chromatogram("h1a-" + std::string(30, 'x') + ".hrm", "long");
    openOne(longName);
    ASSERT_EQ(dialogs.messageTexts().size(), 1u);
    EXPECT_NE(dialogs.messageTexts()[0].find(RU("длиннее 32")), std::string::npos);
    EXPECT_EQ(st().ProgramMode, 0);

    std::vector<fs::path> many(256, chromatogram("h1a.hrm", "x"));
    dialogs.expectOpenSeveral(many);
    form->OpenSeveralChromatograms();
    ASSERT_EQ(dialogs.messageTexts().size(), 2u);
    EXPECT_NE(dialogs.messageTexts()[1].find("255"), std::string::npos);
    EXPECT_FALSE(st().ListMode);
    EXPECT_EQ(st().ProgramMode, 0);
    EXPECT_EQ(st().Settings.FileName, "h9a.hrm");
}

TEST_F(MainWindow, EscapeHidesToolWindowsAndEndsEditing) {
    QWidget* passport = w().Form2;
    QWidget* parameters = w().Form3;
    QWidget* pictures = w().Form5;
    for (QWidget* t : {passport, parameters, pictures}) t->show();
    type(Qt::Key_Escape, "\x1b");
    for (QWidget* t : {passport, parameters, pictures}) EXPECT_FALSE(t->isVisible());
    EXPECT_EQ(st().ProgramMode, 0);

    openOne(chromatogram("h1a.hrm", "x"));
    st().ProgramMode = 2;
    st().ClickMode = 1;
    form->Panel10->show();
    passport->show();
    type(Qt::Key_Escape, "\x1b");
    EXPECT_EQ(st().ProgramMode, 1);
    EXPECT_EQ(st().ClickMode, 0);
    EXPECT_FALSE(form->Panel10->isVisible());
    EXPECT_FALSE(passport->isVisible());

    st().ProgramMode = 4;
    type(Qt::Key_Escape, "\x1b");
    EXPECT_EQ(st().ProgramMode, 4);
}

TEST_F(MainWindow, LetterKeysReachCommandsOnlyOutsideEditBoxes) {
    QWidget* passport = w().Form2;
    type(Qt::Key_T, "t");  // no chromatogram: no command
    EXPECT_FALSE(passport->isVisible());

    openOne(chromatogram("h1a.hrm", "x"));
    form->setFocus();
    type(Qt::Key_T, QString::fromUtf8("Е"));  // Russian layout, upper case
    EXPECT_TRUE(passport->isVisible());
    passport->hide();
    type(Qt::Key_T, QString::fromUtf8("е"));
    EXPECT_TRUE(passport->isVisible());
    passport->hide();

    const bool temperature = st().Settings.ShowTemperature;
    type(Qt::Key_U, "u");
    EXPECT_NE(st().Settings.ShowTemperature, temperature);
    type(Qt::Key_U, QString::fromUtf8("Г"));
    EXPECT_EQ(st().Settings.ShowTemperature, temperature);
    type(Qt::Key_F, QString::fromUtf8("а"));
    EXPECT_TRUE(st().View.FragmentArmed);

    // Ctrl+S is the menu's "Архив", never the letter S.
    type(Qt::Key_S, "\x13", Qt::ControlModifier);

    // Typed into the comment box, the letters are text.
    form->SpeedButton3->click();
    ASSERT_EQ(form->focusWidget(), form->Edit2);
    form->Edit2->setText("ab");
    form->Edit2->setCursorPosition(2);
    type(Qt::Key_T, "T");
    type(Qt::Key_U, "u");
    EXPECT_EQ(form->Edit2->text(), "abTu");
    EXPECT_FALSE(passport->isVisible());
    EXPECT_EQ(st().Settings.ShowTemperature, temperature);

    // Typed into the export box as well.
    form->Panel11->show();
    form->Edit7->setFocus();
    type(Qt::Key_T, "t");
    EXPECT_EQ(form->Edit7->text(), "t");
    EXPECT_FALSE(passport->isVisible());
}

TEST_F(MainWindow, HelpButtonMenuAndF1) {
    form->SpeedButton20->click();  // no chromatogram: page 1
    EXPECT_EQ(st().HelpPage, 1);
    w().Form10->hide();
    openOne(chromatogram("h1a.hrm", "x"));
    form->SpeedButton20->click();  // a chromatogram shown: page 3
    EXPECT_EQ(st().HelpPage, 3);
    w().Form10->hide();
    form->setFocus();
    type(Qt::Key_F1, QString());  // the page chosen last
    EXPECT_EQ(st().HelpPage, 3);
    EXPECT_TRUE(w().Form10->isVisible());
    EXPECT_TRUE(w().Form10->WebBrowser1()->pageFound());
    form->N6->trigger();  // "Помощь": the contents
    EXPECT_EQ(st().HelpPage, 0);
    form->activateWindow();
    form->setFocus();
    type(Qt::Key_F1, QString());
    EXPECT_EQ(st().HelpPage, 0);
}

TEST_F(MainWindow, ArchiveHelpIsTheLastPageForF1) {
    form->Archive1->trigger();  // "Архив": the calibration archive window
    ASSERT_TRUE(w().Form6->isVisible());
    w().Form6->SpeedButton20->click();
    EXPECT_EQ(st().HelpPage, 9);
    EXPECT_EQ(w().Form10->windowTitle(), QString::fromUtf8("Архив градуировок"));
    w().Form10->hide();
    w().Form6->hide();
    form->activateWindow();
    form->setFocus();
    type(Qt::Key_F1, QString());
    EXPECT_EQ(st().HelpPage, 9);
    EXPECT_TRUE(w().Form10->isVisible());
}

TEST_F(MainWindow, CommentEditAndDateInsert) {
    const fs::path file = chromatogram("h1a.hrm", "old");
    openOne(file);

    form->SpeedButton3->click();
    EXPECT_TRUE(form->Edit2->isEnabled());
    EXPECT_EQ(form->focusWidget(), form->Edit2);
    form->Edit2->setText(QString::fromUtf8("Толуол 5 мкл"));
    type(Qt::Key_Return, "\r");
    EXPECT_EQ(previewComment(file), toCp1251("Толуол 5 мкл"));
    EXPECT_EQ(st().Chrom.CommentText, toCp1251("Толуол 5 мкл"));
    EXPECT_FALSE(form->Edit2->isEnabled());
    EXPECT_EQ(st().ProgramMode, 1);  // Enter saved the comment, it did not build a peak table

    form->SpeedButton4->click();
    EXPECT_EQ(previewComment(file), toCp1251("05.03.2024 09:07 Толуол 5 мкл"));
    EXPECT_EQ(form->Edit2->text(), QString::fromUtf8("05.03.2024 09:07 Толуол 5 мкл"));

    const std::string long120(120, 'c');
    const fs::path second = chromatogram("h2a.hrm", long120);
    openOne(second);
    form->SpeedButton4->click();
    const std::string dated = previewComment(second);
    EXPECT_EQ(dated.size(), 128u);
    EXPECT_EQ(dated, "05.03.2024 09:07 " + long120.substr(0, 111));
    EXPECT_EQ(readChromatogramWords(second).commentLength(), 128);
}

TEST(MainWindowNoFile, CommentButtonsNeverWriteTheLastFileOfTheSettings) {
    test::TempDir dir;
    test::ChromatogramFixture f;
    f.samples = test::ChromatogramFixture::ramp(600);
    f.comment = "untouched";
    const fs::path last = f.write(dir.path() / "data" / "h1a.hrm");
    ProcessingSettings s;
    s.DataDir = textFromPath(dir.path() / "data") + "/";
    s.FileName = "h1a.hrm";
    fs::create_directories(dir.path() / "space");
    writeLines(dir.path() / "space" / "treat.dat", formatTreatDat(s));
    dir.write("vk7.dat", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n25\r\n");
    ScriptedDialogs dialogs;
    FixedClock clock{LocalDateTime{}};
    RecordingPrinter printer;
    auto form = CreateProgramWindows(StartFolder(dir.path()), {dialogs, clock, printer});
    const std::string before = readFileBytes(last);
    form->SpeedButton4Click();
    form->SpeedButton3Click();
    form->Edit2Enter();
    EXPECT_FALSE(form->Edit2->isEnabled());
    EXPECT_EQ(readFileBytes(last), before);
    EXPECT_TRUE(dialogs.unexpected().empty());
}

TEST_F(MainWindow, DecimalPlacesPanelStaysWithinZeroToFiveAndIsSaved) {
    form->Decimals1->trigger();
    EXPECT_TRUE(form->Panel12->isVisible());
    EXPECT_EQ(form->Label7->text(), "2");
    EXPECT_EQ(form->UpDown1->position(), 2);
    for (int i = 0; i < 5; ++i) form->UpDown1->upButton()->click();
    EXPECT_EQ(st().Settings.Decimals, 5);
    EXPECT_EQ(form->Label7->text(), "5");
    for (int i = 0; i < 7; ++i) form->UpDown1->downButton()->click();
    EXPECT_EQ(st().Settings.Decimals, 0);
    EXPECT_EQ(form->Label7->text(), "0");
    form->UpDown1->upButton()->click();
    form->SpeedButton28->click();
    EXPECT_FALSE(form->Panel12->isVisible());

    openOne(chromatogram("h1a.hrm", "x"));
    form->close();
    const std::vector<std::string> treat = readLines(dir.path() / "space" / "treat.dat");
    ASSERT_EQ(treat.size(), 18u);
    EXPECT_EQ(treat[17], "1");
    EXPECT_EQ(treat[0], textFromPath(dir.path() / "DATA") + "/");
    EXPECT_EQ(treat[1], "h1a.hrm");
}

TEST_F(MainWindow, DoubleClickPutsThePointUnderTheRulerOnTheZeroLine) {
    openOne(chromatogram("h1a.hrm", "x", 3000));
    ASSERT_GT(st().Chrom.PointCount(), 120);
    // The window starts at 0 s: the ruler's pixels from the plot's left edge, in points.
    const long i = 1 + roundHalfEven((st().View.RulerX - st().View.PlotLeft) * st().View.PointsPerPixel);
    const QPointF at(st().View.RulerX, 20);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, at, form->PaintBox1->mapToGlobal(at), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form->PaintBox1, &dbl);
    EXPECT_EQ(st().View.ZeroOffset, -st().Chrom.Points[static_cast<int>(i)]);
    EXPECT_NE(st().View.ZeroOffset, 0);
}

}  // namespace
}  // namespace vk7

namespace vk7 {
namespace {

TEST(MainWindowStart, StartNoticesComeWithTheWindowAndStartUpStillRuns) {
    test::TempDir dir;  // neither vk7.dat nor treat.dat
    ScriptedDialogs dialogs;
    FixedClock clock{LocalDateTime{}};
    RecordingPrinter printer;
    auto form = CreateProgramWindows(StartFolder(dir.path()), {dialogs, clock, printer});
    EXPECT_TRUE(dialogs.messageTexts().empty());
    form->show();
    QApplication::processEvents();
    const std::vector<std::string> texts = dialogs.messageTexts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_NE(texts[0].find("vk7.dat"), std::string::npos);
    EXPECT_NE(texts[1].find("treat.dat"), std::string::npos);
    EXPECT_EQ(form->state().Vk7Rate, 0);
    EXPECT_EQ(form->state().Settings, ProcessingSettings{});
    // Closing writes the settings, creating the space folder.
    form->close();
    EXPECT_EQ(readLines(dir.path() / "space" / "treat.dat"), formatTreatDat(ProcessingSettings{}));
    EXPECT_TRUE(dialogs.unexpected().empty());
}

}  // namespace
}  // namespace vk7
