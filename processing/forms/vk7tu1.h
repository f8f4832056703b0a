// Main window of the processing program (TForm1) "Велетрон-7. Обработка.".
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <QMainWindow>

#include "common/clock.h"
#include "platform/dialogs.h"
#include "platform/printer.h"
#include "platform/qt/paint_box.h"
#include "platform/shell.h"
#include "processing/chosen_file.h"
#include "processing/help_pages.h"
#include "processing/key_commands.h"
#include "processing/markup_editing.h"
#include "processing/plot_navigation.h"
#include "processing/processing_state.h"

class QAction;
class QFrame;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QToolButton;

namespace vk7 {

class KeyPreview;
class UpDown;
class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TForm7;
class TForm8;
class TForm9;
class TForm6;
class TForm10;
class TForm11;
class TForm12;
class TForm13;
class TForm14;
class TForm15;
class TForm16;
class TForm17;
class TForm18;
class TForm19;

class TForm1 : public QMainWindow {
    Q_OBJECT

public:
    // What the window asks of the machine: message boxes and file dialogs, the time, the
    // printer.
    struct Services {
        Dialogs& dialogs;
        const Clock& clock;
        Printer& printer;
        // Opens result files in their applications ("Таблица TXT"); none: nothing is opened.
        Shell* shell = nullptr;
    };

    // The other windows of the program, created after this one and owned by it.
    struct Windows {
        TForm2* Form2 = nullptr;
        TForm3* Form3 = nullptr;
        TForm4* Form4 = nullptr;
        TForm5* Form5 = nullptr;
        TForm6* Form6 = nullptr;
        TForm7* Form7 = nullptr;
        TForm8* Form8 = nullptr;
        TForm9* Form9 = nullptr;
        TForm10* Form10 = nullptr;
        TForm11* Form11 = nullptr;
        TForm12* Form12 = nullptr;
        TForm13* Form13 = nullptr;
        TForm14* Form14 = nullptr;
        TForm15* Form15 = nullptr;
        TForm16* Form16 = nullptr;
        TForm17* Form17 = nullptr;
        TForm18* Form18 = nullptr;
        TForm19* Form19 = nullptr;
    };

    // Creates the window and runs its creation: the settings of `start` are read (vk7.dat,
    // \space\treat.dat, the printer); their notices are shown once the window is on screen.
    TForm1(StartFolder start, Services services, QWidget* parent = nullptr);
    ~TForm1() override;

    // The shared state, handed to the other windows.
    ProcessingState& state() { return state_; }
    const ProcessingState& state() const { return state_; }

    void attachWindows(const Windows& windows) { w_ = windows; }
    const Windows& windows() const { return w_; }

    // --- Opening chromatograms -------------------------------------------------------
    // Before every read: mode 1, tool windows of the old chromatogram hidden, menus and
    // buttons of a shown chromatogram, the tall tool strip, the view reset.
    void ResetMainWindow();
    // "Открыть один" (F3, SpeedButton1).
    void OpenChromatogramDialog();
    // "Открыть несколько" (F4, SpeedButton2): the list in TForm7, the first file read.
    void OpenSeveralChromatograms();
    // Reads and processes the open file again (after new processing parameters or a
    // W-mode selection).
    void ReloadChromatogram();
    // Opens file `index` of the several-files list (the peak table steps through it).
    // False when it could not be read; nothing is changed then.
    bool OpenListFile(int index);
    // The open dialogs as requests: one file / several files, both with the comment preview.
    FileDialogRequest OpenDialog1();
    FileDialogRequest OpenDialog2();

    // Draws the plot of the open chromatogram on PaintBox1 (the idle frame before the first
    // open) and shows the ruler readouts in Label1..Label3.
    void RepaintPlot();

    // Stores the page as the one chosen last and shows it in the help window.
    void ShowHelpPage(HelpPage page);

    // Steps of the peak table's Enter: the plot as shown saved as \results\fig.gif, and the
    // passport written as \results\pasp.txt. Both throw IoError.
    void SaveFigureGif();
    void WritePassportText();

    // --- Controls ----------------------------------------------------------------------
    QWidget* Client;        // the client area below the menu
    QFrame* Panel2;         // tool strip
    QFrame* Panel8;         // open buttons and "?"
    QToolButton* SpeedButton1;   // "Открыть файл (F3)"
    QToolButton* SpeedButton2;   // "Открыть несколько файлов"
    QToolButton* SpeedButton20;  // "?"
    QFrame* Panel3;         // plot buttons
    QToolButton* SpeedButton5;   // "Больше в 2 раза"
    QToolButton* SpeedButton6;   // "Меньше в 2 раза"
    QToolButton* SpeedButton7;   // "Исходный масштаб по вертикали (М)"
    QToolButton* SpeedButton8;   // "Окно влево на 1 мин"
    QToolButton* SpeedButton9;   // "Окно вправо на 1 мин"
    QToolButton* SpeedButton10;  // "Обзорный масштаб по горизонтали (О)"
    QToolButton* SpeedButton11;  // "Прямоугольный фрагмент (F)"
    QToolButton* SpeedButton12;  // "Паспорт (Т)"
    QToolButton* SpeedButton13;  // "Редактирование разметки пиков (К)"
    QToolButton* SpeedButton14;  // "Наложение (N)"
    QToolButton* SpeedButton15;  // "Вычитание хроматограммы (S)"
    QToolButton* SpeedButton16;  // "Настройка для авторазметки (W)"
    QToolButton* SpeedButton17;  // "Сохранить изображение (Z)"
    QToolButton* SpeedButton18;  // "Печать хроматограммы"
    QToolButton* SpeedButton19;  // "Таблица пиков (Enter)"
    QToolButton* SpeedButton25;  // "График температуры вкл/выкл (U)"
    QToolButton* SpeedButton27;  // "Моделирование неразделенных пиков"
    QFrame* Panel4;         // ruler readouts
    QLabel* Label1;         // "Время"
    QLabel* Label2;         // "Напряжение"
    QLabel* Label3;         // "Температура"
    QFrame* Panel9;         // about panel
    QFrame* Panel10;        // markup editing
    QLabel* Label4;
    QToolButton* SpeedButton21;  // "D": "Удалить (D)"
    QToolButton* SpeedButton22;  // "C": "Изменить границы (С)"
    QToolButton* SpeedButton23;  // "I": "Вставить (I)"
    QToolButton* SpeedButton24;  // "G": "Группы неразделенных пиков (G)"
    QToolButton* SpeedButton26;  // "D": "Удалить все"
    QLineEdit* Edit2;       // the comment box
    QToolButton* SpeedButton3;   // "Редактировать комментарий"
    QToolButton* SpeedButton4;   // "Вставить текущую дату"
    QFrame* Panel1;         // plot area
    PaintBox* PaintBox1;
    QLabel* Image1;         // start picture
    QFrame* Panel12;        // decimal places
    QLabel* Label7;
    UpDown* UpDown1;
    QToolButton* SpeedButton28;  // "Х"
    QFrame* Panel11;        // export of points
    QLineEdit* Edit7;       // the number of points
    QLabel* Label6;         // "точек"
    QToolButton* SpeedButton37;  // "Экспорт"
    QToolButton* SpeedButton36;  // "Отмена"
    QProgressBar* ProgressBar1;
    QFrame* Panel13;        // recalculation of the concentrations
    QLabel* Label10;        // "C'=a*C/b" (formula only)
    QLabel* Label12;        // "N,кПа" / "a"
    QLabel* Label13;        // "t,C" / "b"
    QLineEdit* Edit5;       // P or a
    QLineEdit* Edit6;       // t or b
    QToolButton* SpeedButton33;  // "Отмена"
    QToolButton* SpeedButton34;  // "Пересчет"
    // What Panel13 serves while shown: 1 the recalculation to normal conditions, 2 the formula.
    int RecalcMode = 0;

    // Menu.
    QMenu* File1;                 // "Файл"
    QAction* OpenOne1;            // "Открыть один" F3
    QAction* OpenSeveral1;        // "Открыть несколько" F4
    QAction* N12;                 // "Изображения" Ctrl+Z
    QAction* N14;                 // "Таблица TXT" Ctrl+A
    QAction* Word1;               // "Протокол Word" Ctrl+W
    QAction* Excel3;              // "Протокол Excel" Ctrl+E
    QAction* Html1;               // "Протокол HTML" Ctrl+H
    QAction* Excel2;              // "Экспорт в Excel" Ctrl+C
    QMenu* Extra1;                // "Дополнительно"
    QAction* N13;                 // "Инвертировать (-)"
    QAction* Average1;            // "Усреднение" Ctrl+K
    QAction* Normalise1;          // "Нормализация" Ctrl+N
    QAction* Formula1;            // "C'=a*C/b"
    QAction* NormalConditions1;   // "Нормальные условия" Ctrl+T
    QAction* N10;                 // "Поверка Х" Ctrl+X
    QAction* Y1;                  // "Поверка Y" Ctrl+Y
    QMenu* Calibrations1;         // "Градуировки"
    QAction* Archive1;            // "Архив" Ctrl+S
    QAction* N19;                 // "Графики" Ctrl+G
    QAction* Bases1;              // "Базы" Ctrl+B
    QMenu* Settings1;             // "Настройки"
    QAction* Parameters1;         // "Параметры обработки" Ctrl+R
    QAction* N21;                 // "Принтер"
    QAction* Decimals1;           // "Знаков после запятой"
    QAction* HtmlSettings1;       // "Протоколирование в HTML"
    QAction* ExcelSettings1;      // "Протоколирование в Excel"
    QAction* N7;                  // "Модели" Ctrl+M
    QAction* N6;                  // "Помощь", labelled F1

public slots:
    // Comment box.
    void SpeedButton3Click();  // "Редактировать комментарий"
    void SpeedButton4Click();  // "Вставить текущую дату"
    void Edit2Enter();         // Enter in the comment box: save the comment
    // Decimal places.
    void Decimals1Click();
    void UpDown1Click(int position);
    void SpeedButton28Click();
    // Help.
    void SpeedButton20Click();  // "?": the page of what is shown
    void N6Click();             // "Помощь": the contents
    // Windows shown by the menu and the buttons.
    void SpeedButton12Click();  // passport
    void Parameters1Click();
    void Archive1Click();
    void N19Click();            // calibration graphs, with a chromatogram open
    void Bases1Click();
    void HtmlSettings1Click();
    void ExcelSettings1Click();
    void N7Click();
    void N10Click();
    void Y1Click();
    // The plot.
    void PaintBox1MouseDown(int x, int y);  // the ruler, or the start of a drag
    void PaintBox1MouseMove(int x, int y);  // the rubber band
    void PaintBox1MouseUp(int x, int y);    // the fragment or the W selection; else a click
    void PaintBox1Click();      // a click on the plot that was not a drag (markup editing)
    void PaintBox1DblClick();   // the point under the ruler onto the zero line
    void SpeedButton5Click();   // zoom in
    void SpeedButton6Click();   // zoom out
    void SpeedButton7Click();   // vertical scale back to 1
    void SpeedButton8Click();   // window left by one minute
    void SpeedButton9Click();   // window right by one minute
    void SpeedButton10Click();  // overview of the whole time axis
    void SpeedButton11Click();  // arm the rectangular fragment
    void SpeedButton16Click();  // arm the automatic-markup set-up
    void SpeedButton25Click();  // temperature line on or off
    void SpeedButton17Click();  // save the plot as a picture
    void SpeedButton18Click();  // print the chromatogram
    // Markup, overlay and the peak table.
    void SpeedButton13Click();  // markup editing
    void SpeedButton14Click();  // overlay
    void SpeedButton15Click();  // subtraction
    void SpeedButton19Click();  // peak table
    void SpeedButton21Click();  // "D": delete (mode 2) or dissolve a group (mode 3)
    void SpeedButton22Click();  // change bounds
    void SpeedButton23Click();  // "I": insert (mode 2) or build a group (mode 3)
    void SpeedButton24Click();  // group editing
    void SpeedButton26Click();  // delete all
    void SpeedButton27Click();  // peak modelling
    void N13Click();            // invert, in mode 1 only
    // Files, protocols and results.
    void N12Click();
    void N14Click();
    void Word1Click();
    void Excel3Click();
    void Html1Click();
    void Excel2Click();
    void ExportPointsToExcel();  // "Экспорт" or Enter in Edit7
    void SpeedButton36Click();   // "Отмена"
    void Average1Click();        // averaging of the analyses of the summary
    void Normalise1Click();      // normalisation
    void Formula1Click();        // StartFormulaRecalc
    void NormalConditions1Click();  // StartNormalConditions
    // Panel13 for the recalculation to normal conditions / by C'=a*C/b, its fields loaded from
    // \space\klimat.dat / modif.dat.
    void StartNormalConditions();
    void StartFormulaRecalc();
    void SpeedButton33Click();   // "Отмена": the panel hidden, nothing saved
    void SpeedButton34Click();   // "Пересчет": the values saved, tabl.txt and the grid recalculated
    void N21Click();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    template <class F>
    void handler(F&& action);

    void FormCreate();
    void FormClose();
    void FormResize();
    void showPendingNotices();
    // The main window sees keys first: FormKeyDown for the keys that are not characters,
    // FormKeyPress for the typed characters; true consumes the key.
    bool previewKey(QKeyEvent* event);
    bool FormKeyDown(QKeyEvent* event);
    bool FormKeyPress(QKeyEvent* event);
    void FormEscape();
    void runKeyCommand(KeyCommand command);
    KeyFocus focusKind() const;

    void createControls();
    void createMenu();
    void layoutPanels();
    void setPanel2Height(int height);

    FileDialogRequest chromatogramDialog();
    // The open dialog of an overlay or a subtraction.
    FileDialogRequest secondChromatogramDialog(const std::string& title);
    void showPreview();
    // Commits a successful read and processes it; the caption names the file.
    // Splits a chosen chromatogram and reads it; none when its name is refused (told).
    std::optional<std::pair<ChosenFile, ReadResult>> readChosenFile(const std::filesystem::path& chosen);
    void commitOpen(const ChosenFile& file, ReadResult&& read);
    // The comment box, the caption, the passport and parameter grids of the open file.
    void showOpenChromatogram();
    void runPipeline();
    // What a view command or a drag asks for: the pipeline reruns only while a chromatogram
    // is merely shown (ProgramMode 1); in markup editing, group editing and with the peak
    // table the plot is only repainted, so that hand edits and the table are kept.
    void applyViewFollowUp(PlotFollowUp followUp);
    void showReadouts(const RulerReadouts& readouts);
    void saveCommentText(const std::string& text);
    void showWindow(QWidget* window);
    void showRecalcPanel(int mode, const std::string& first, int firstX, const std::string& second, int secondX,
                         const std::string& firstValue, const std::string& secondValue);
    // The file through the shell, or "Нет файла " + the name when it is missing.
    void openResultFile(const std::filesystem::path& file, const std::string& nameForMessage);
    // The label of the markup-editing panel.
    void showEditorLabel(const EditorLabel& label);

    ProcessingState state_;
    Dialogs& dialogs_;
    const Clock& clock_;
    Printer& printer_;
    Shell* shell_;
    Windows w_;
    KeyPreview* keyPreview_ = nullptr;
    int panel2Height_ = 57;
    int clickX_ = 0;  // where the last press on the plot was, for the click that follows
    std::vector<std::string> pendingNotices_;  // start-up notices, shown once the window is up
};

}  // namespace vk7
