// Main window of the processing program (TForm1) "Велетрон-7. Обработка.".
#include "processing/forms/vk7tu1.h"

#include "processing/forms/grad_tab.h"

#include <algorithm>

#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

#include "chromfile/chromatogram_file.h"
#include "chromfile/forms/pasp.h"
#include "chromfile/forms/trparam.h"
#include "modelling/forms/model7.h"
#include "chromfile/processing_settings.h"
#include "common/cp1251.h"
#include "common/number_text.h"
#include "platform/qt/event_guard.h"
#include "platform/qt/key_preview.h"
#include "platform/qt/painter_canvas.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/tool_window.h"
#include "platform/qt/up_down.h"
#include "processing/forms/grgraph.h"
#include "processing/forms/helpert.h"
#include "processing/forms/picmod.h"
#include "processing/forms/pictures.h"
#include "processing/forms/table.h"
#include "processing/forms/komment.h"
#include "processing/forms/spisok.h"
#include "processing/main_window_actions.h"
#include "processing/open_chromatogram.h"
#include "processing/pipeline.h"
#include "processing/plot_drawing.h"
#include "processing/plot_pictures.h"
#include "results/averaging.h"
#include "processing/second_chromatogram.h"
#include "results/forms/base7.h"
#include "results/html_protocol.h"
#include "results/normalisation.h"
#include "results/forms/poverx.h"
#include "results/forms/povery7.h"
#include "results/forms/ustexl7.h"
#include "results/forms/usthtm7.h"
#include "results/office_protocols.h"
#include "results/printing.h"

namespace vk7 {

namespace fs = std::filesystem;

namespace {

QString ru(const std::string& cp1251) { return toQString(cp1251); }

QFrame* panel(QWidget* parent, const char* name) {
    auto* p = new QFrame(parent);
    p->setObjectName(QString::fromLatin1(name));
    p->setFrameShape(QFrame::StyledPanel);
    p->setFrameShadow(QFrame::Raised);
    p->setAutoFillBackground(true);  // panels over the plot hide what lies below them
    return p;
}

QToolButton* speedButton(QWidget* parent, const char* name, const QString& glyph, const QString& hint) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(glyph);
    b->setToolTip(hint);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

QLabel* label(QWidget* parent, const char* name, const QString& hint) {
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setToolTip(hint);
    return l;
}

constexpr int kStripShort = 57;   // tool strip before the first chromatogram
constexpr int kStripTall = 89;    // with the comment row
constexpr int kButton = 23;

}  // namespace

// Every event handler runs through here: a file that is not a chromatogram gets its own
// message, any other failure the one error box; either way the action ends.
template <class F>
void TForm1::handler(F&& action) {
    guarded(dialogs_, [&] {
        try {
            action();
        } catch (const InvalidChromatogram& e) {
            dialogs_.warning(e.messageText());
        }
    });
}

TForm1::TForm1(StartFolder start, Services services, QWidget* parent)
    : QMainWindow(parent), state_(std::move(start)), dialogs_(services.dialogs), clock_(services.clock),
      printer_(services.printer), shell_(services.shell) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(ru(RU("Велетрон-7. Обработка.")));
    createControls();
    createMenu();
    setMinimumSize(720, 300);
    resize(1000, 680);
    keyPreview_ = new KeyPreview(this, [this](QKeyEvent* e) { return previewKey(e); });
    FormCreate();
}

TForm1::~TForm1() {
    // No key may reach the handlers while the window's parts are being destroyed.
    delete keyPreview_;
    keyPreview_ = nullptr;
    // The modelling window leaves the plot while the main window still exists.
    if (w_.Form8) static_cast<QWidget*>(w_.Form8)->hide();
}

// --- Controls -------------------------------------------------------------------------

void TForm1::createControls() {
    Client = new QWidget(this);
    Client->setObjectName(QStringLiteral("Client"));
    setCentralWidget(Client);
    Client->installEventFilter(this);

    // The tool strip.
    Panel2 = panel(Client, "Panel2");

    Panel8 = panel(Panel2, "Panel8");
    Panel8->setGeometry(4, 4, 86, 49);
    SpeedButton1 = speedButton(Panel8, "SpeedButton1", QString(), ru(RU("Открыть файл (F3)")));
    SpeedButton1->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    SpeedButton2 = speedButton(Panel8, "SpeedButton2", QString(), ru(RU("Открыть несколько файлов")));
    SpeedButton2->setIcon(style()->standardIcon(QStyle::SP_FileDialogListView));
    SpeedButton20 = speedButton(Panel8, "SpeedButton20", QStringLiteral("?"), ru(RU("Помощь (F1)")));
    SpeedButton1->setGeometry(4, 12, 25, 25);
    SpeedButton2->setGeometry(31, 12, 25, 25);
    SpeedButton20->setGeometry(58, 12, 25, 25);

    Panel3 = panel(Panel2, "Panel3");
    struct Def {
        QToolButton** button;
        const char* name;
        const char* glyph;
        const std::string& hint;
    };
    const Def plotButtons[] = {
        {&SpeedButton5, "SpeedButton5", "+", RU("Больше в 2 раза")},
        {&SpeedButton6, "SpeedButton6", "-", RU("Меньше в 2 раза")},
        {&SpeedButton7, "SpeedButton7", "М", RU("Исходный масштаб по вертикали (М)")},
        {&SpeedButton8, "SpeedButton8", "<", RU("Окно влево на 1 мин")},
        {&SpeedButton9, "SpeedButton9", ">", RU("Окно вправо на 1 мин")},
        {&SpeedButton10, "SpeedButton10", "О", RU("Обзорный масштаб по горизонтали (О)")},
        {&SpeedButton11, "SpeedButton11", "F", RU("Прямоугольный фрагмент (F)")},
        {&SpeedButton25, "SpeedButton25", "U", RU("График температуры вкл/выкл (U)")},
        {&SpeedButton12, "SpeedButton12", "Т", RU("Паспорт (Т)")},
        {&SpeedButton13, "SpeedButton13", "К", RU("Редактирование разметки пиков (К)")},
        {&SpeedButton14, "SpeedButton14", "N", RU("Наложение (N)")},
        {&SpeedButton15, "SpeedButton15", "S", RU("Вычитание хроматограммы (S)")},
        {&SpeedButton16, "SpeedButton16", "W", RU("Настройка для авторазметки (W)")},
        {&SpeedButton17, "SpeedButton17", "Z", RU("Сохранить изображение (Z)")},
        {&SpeedButton18, "SpeedButton18", "П", RU("Печать хроматограммы")},
        {&SpeedButton19, "SpeedButton19", "Т", RU("Таблица пиков (Enter)")},
        {&SpeedButton27, "SpeedButton27", "~", RU("Моделирование неразделенных пиков")},
    };
    int x = 4;
    for (const Def& d : plotButtons) {
        *d.button = speedButton(Panel3, d.name, QString::fromUtf8(d.glyph), ru(d.hint));
        (*d.button)->setGeometry(x, 12, kButton, 25);
        x += kButton;
    }
    SpeedButton19->setText(QString::fromUtf8("Σ"));
    Panel3->setGeometry(96, 4, x + 4, 49);

    Panel4 = panel(Panel2, "Panel4");
    Panel4->setToolTip(ru(RU("Величины по линейке (голубая вертикаль)")));
    Panel4->resize(190, 49);
    Label1 = label(Panel4, "Label1", ru(RU("Время")));
    Label2 = label(Panel4, "Label2", ru(RU("Напряжение")));
    Label3 = label(Panel4, "Label3", ru(RU("Температура")));
    Label1->setGeometry(6, 2, 178, 15);
    Label2->setGeometry(6, 17, 178, 15);
    Label3->setGeometry(6, 32, 178, 15);

    Panel9 = panel(Panel2, "Panel9");
    Panel9->resize(300, 49);
    auto* about = new QLabel(ru(RU("ВК-7. Обработка хроматограмм")), Panel9);
    about->setGeometry(8, 4, 284, 41);
    about->setAlignment(Qt::AlignCenter);

    Panel10 = panel(Panel2, "Panel10");
    Panel10->resize(190, 49);
    Label4 = label(Panel10, "Label4", QString());
    Label4->setText(ru(RU("Редактирование разметки")));
    Label4->setGeometry(6, 2, 178, 15);
    const Def markupButtons[] = {
        {&SpeedButton21, "SpeedButton21", "D", RU("Удалить (D)")},
        {&SpeedButton23, "SpeedButton23", "I", RU("Вставить (I)")},
        {&SpeedButton22, "SpeedButton22", "C", RU("Изменить границы (С)")},
        {&SpeedButton24, "SpeedButton24", "G", RU("Группы неразделенных пиков (G)")},
        {&SpeedButton26, "SpeedButton26", "D", RU("Удалить все")},
    };
    x = 6;
    for (const Def& d : markupButtons) {
        *d.button = speedButton(Panel10, d.name, QString::fromUtf8(d.glyph), ru(d.hint));
        (*d.button)->setGeometry(x, 20, kButton, 25);
        x += kButton + 4;
    }

    Edit2 = new QLineEdit(Panel2);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setToolTip(ru(RU("После корректировки нажмите Enter")));
    Edit2->setMaxLength(static_cast<int>(kMaxCommentChars));
    SpeedButton3 = speedButton(Panel2, "SpeedButton3", QStringLiteral("..."), ru(RU("Редактировать комментарий")));
    SpeedButton4 = speedButton(Panel2, "SpeedButton4", QStringLiteral("#"), ru(RU("Вставить текущую дату")));

    // The plot area.
    Panel1 = panel(Client, "Panel1");
    Panel1->setFrameShadow(QFrame::Sunken);
    PaintBox1 = new PaintBox(Panel1);
    PaintBox1->setObjectName(QStringLiteral("PaintBox1"));
    PaintBox1->setBackground(fromQColor(PaintBox1->palette().color(QPalette::Window)));
    Image1 = new QLabel(Panel1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setText(ru(RU("Откройте хроматограмму (F3)")));
    Image1->resize(320, 40);

    // Decimal places.
    Panel12 = panel(Client, "Panel12");
    Panel12->setToolTip(ru(RU("Знаков после запятой")));
    Panel12->resize(120, 40);
    Label7 = label(Panel12, "Label7", ru(RU("Знаков после запятой")));
    Label7->setGeometry(10, 10, 30, 20);
    UpDown1 = new UpDown(0, 5, Panel12);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    UpDown1->move(44, 8);
    SpeedButton28 = speedButton(Panel12, "SpeedButton28", ru(RU("Х")), QString());
    SpeedButton28->setGeometry(88, 8, kButton, kButton);

    // Export of points and the recalculation panel.
    Panel11 = panel(Client, "Panel11");
    Panel11->resize(300, 64);
    Edit7 = new QLineEdit(Panel11);
    Edit7->setObjectName(QStringLiteral("Edit7"));
    Edit7->setGeometry(8, 8, 80, 23);
    Label6 = label(Panel11, "Label6", QString());
    Label6->setText(ru(RU("точек")));
    Label6->setGeometry(94, 10, 40, 20);
    SpeedButton37 = speedButton(Panel11, "SpeedButton37", ru(RU("Экспорт")), QString());
    SpeedButton37->setGeometry(140, 8, 70, kButton);
    SpeedButton36 = speedButton(Panel11, "SpeedButton36", ru(RU("Отмена")), QString());
    SpeedButton36->setGeometry(216, 8, 70, kButton);
    ProgressBar1 = new QProgressBar(Panel11);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setGeometry(8, 38, 278, 16);
    Panel13 = panel(Client, "Panel13");
    Panel13->resize(346, 40);
    Label10 = label(Panel13, "Label10", QString());
    Label10->setText(QStringLiteral("C'=a*C/b"));
    Label10->setGeometry(6, 12, 60, 16);
    Label12 = label(Panel13, "Label12", QString());
    Label13 = label(Panel13, "Label13", QString());
    for (QLineEdit** edit : {&Edit5, &Edit6}) {
        *edit = new QLineEdit(Panel13);
        (*edit)->setAlignment(Qt::AlignRight);
    }
    Edit5->setObjectName(QStringLiteral("Edit5"));
    Edit6->setObjectName(QStringLiteral("Edit6"));
    Edit5->setGeometry(86, 8, 46, kButton);
    Edit6->setGeometry(160, 8, 46, kButton);
    SpeedButton33 = speedButton(Panel13, "SpeedButton33", ru(RU("Отмена")), QString());
    SpeedButton34 = speedButton(Panel13, "SpeedButton34", ru(RU("Пересчет")), QString());
    SpeedButton33->setGeometry(212, 8, 58, kButton);
    SpeedButton34->setGeometry(274, 8, 66, kButton);

    // Connections.
    connect(SpeedButton1, &QToolButton::clicked, this, &TForm1::OpenChromatogramDialog);
    connect(SpeedButton2, &QToolButton::clicked, this, &TForm1::OpenSeveralChromatograms);
    connect(SpeedButton20, &QToolButton::clicked, this, &TForm1::SpeedButton20Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TForm1::SpeedButton3Click);
    connect(SpeedButton4, &QToolButton::clicked, this, &TForm1::SpeedButton4Click);
    connect(SpeedButton28, &QToolButton::clicked, this, &TForm1::SpeedButton28Click);
    connect(UpDown1, &UpDown::clicked, this, &TForm1::UpDown1Click);
    connect(SpeedButton37, &QToolButton::clicked, this, &TForm1::ExportPointsToExcel);
    connect(SpeedButton36, &QToolButton::clicked, this, &TForm1::SpeedButton36Click);
    // The plot: the paint box shows its image; its owner draws and handles the mouse.
    connect(PaintBox1, &PaintBox::resized, this, [this] { RepaintPlot(); });
    connect(PaintBox1, &PaintBox::mouseDown, this, [this](int x, int y, Qt::MouseButton) { PaintBox1MouseDown(x, y); });
    connect(PaintBox1, &PaintBox::mouseMove, this, [this](int x, int y, Qt::MouseButtons) { PaintBox1MouseMove(x, y); });
    connect(PaintBox1, &PaintBox::mouseUp, this, [this](int x, int y, Qt::MouseButton) { PaintBox1MouseUp(x, y); });
    connect(PaintBox1, &PaintBox::doubleClicked, this, [this](int, int) { PaintBox1DblClick(); });
    const std::pair<QToolButton*, void (TForm1::*)()> buttonHandlers[] = {
        {SpeedButton5, &TForm1::SpeedButton5Click},   {SpeedButton6, &TForm1::SpeedButton6Click},
        {SpeedButton7, &TForm1::SpeedButton7Click},   {SpeedButton8, &TForm1::SpeedButton8Click},
        {SpeedButton9, &TForm1::SpeedButton9Click},   {SpeedButton10, &TForm1::SpeedButton10Click},
        {SpeedButton11, &TForm1::SpeedButton11Click}, {SpeedButton12, &TForm1::SpeedButton12Click},
        {SpeedButton13, &TForm1::SpeedButton13Click}, {SpeedButton14, &TForm1::SpeedButton14Click},
        {SpeedButton15, &TForm1::SpeedButton15Click}, {SpeedButton16, &TForm1::SpeedButton16Click},
        {SpeedButton17, &TForm1::SpeedButton17Click}, {SpeedButton18, &TForm1::SpeedButton18Click},
        {SpeedButton19, &TForm1::SpeedButton19Click}, {SpeedButton25, &TForm1::SpeedButton25Click},
        {SpeedButton27, &TForm1::SpeedButton27Click}, {SpeedButton21, &TForm1::SpeedButton21Click},
        {SpeedButton22, &TForm1::SpeedButton22Click}, {SpeedButton23, &TForm1::SpeedButton23Click},
        {SpeedButton24, &TForm1::SpeedButton24Click}, {SpeedButton26, &TForm1::SpeedButton26Click},
        {SpeedButton33, &TForm1::SpeedButton33Click}, {SpeedButton34, &TForm1::SpeedButton34Click},
    };
    for (const auto& [button, slot] : buttonHandlers) connect(button, &QToolButton::clicked, this, slot);
}

void TForm1::createMenu() {
    QMenuBar* bar = menuBar();
    auto item = [this](QWidget* menu, const char* name, const std::string& caption, const QKeySequence& shortcut,
                       void (TForm1::*slot)()) {
        auto* a = new QAction(ru(caption), this);
        a->setObjectName(QString::fromLatin1(name));
        if (!shortcut.isEmpty()) a->setShortcut(shortcut);
        menu->addAction(a);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    auto submenu = [bar](const char* name, const std::string& caption) {
        QMenu* m = bar->addMenu(ru(caption));
        m->setObjectName(QString::fromLatin1(name));
        m->menuAction()->setObjectName(QString::fromLatin1(name) + QStringLiteral("Item"));
        return m;
    };

    File1 = submenu("File1", RU("Файл"));
    OpenOne1 = item(File1, "OpenOne1", RU("Открыть один"), QKeySequence(Qt::Key_F3), &TForm1::OpenChromatogramDialog);
    OpenSeveral1 = item(File1, "OpenSeveral1", RU("Открыть несколько"), QKeySequence(Qt::Key_F4),
                        &TForm1::OpenSeveralChromatograms);
    N12 = item(File1, "N12", RU("Изображения"), QKeySequence(Qt::CTRL | Qt::Key_Z), &TForm1::N12Click);
    N14 = item(File1, "N14", RU("Таблица TXT"), QKeySequence(Qt::CTRL | Qt::Key_A), &TForm1::N14Click);
    Word1 = item(File1, "Word1", RU("Протокол Word"), QKeySequence(Qt::CTRL | Qt::Key_W), &TForm1::Word1Click);
    Excel3 = item(File1, "Excel3", RU("Протокол Excel"), QKeySequence(Qt::CTRL | Qt::Key_E), &TForm1::Excel3Click);
    Html1 = item(File1, "Html1", RU("Протокол HTML"), QKeySequence(Qt::CTRL | Qt::Key_H), &TForm1::Html1Click);
    Excel2 = item(File1, "Excel2", RU("Экспорт в Excel"), QKeySequence(Qt::CTRL | Qt::Key_C), &TForm1::Excel2Click);

    Extra1 = submenu("Extra1", RU("Дополнительно"));
    N13 = item(Extra1, "N13", RU("Инвертировать (-)"), {}, &TForm1::N13Click);
    Average1 = item(Extra1, "Average1", RU("Усреднение"), QKeySequence(Qt::CTRL | Qt::Key_K), &TForm1::Average1Click);
    Normalise1 = item(Extra1, "Normalise1", RU("Нормализация"), QKeySequence(Qt::CTRL | Qt::Key_N),
                      &TForm1::Normalise1Click);
    Formula1 = item(Extra1, "Formula1", "C'=a*C/b", {}, &TForm1::Formula1Click);
    NormalConditions1 = item(Extra1, "NormalConditions1", RU("Нормальные условия"), QKeySequence(Qt::CTRL | Qt::Key_T),
                             &TForm1::NormalConditions1Click);
    N10 = item(Extra1, "N10", RU("Поверка Х"), QKeySequence(Qt::CTRL | Qt::Key_X), &TForm1::N10Click);
    Y1 = item(Extra1, "Y1", RU("Поверка Y"), QKeySequence(Qt::CTRL | Qt::Key_Y), &TForm1::Y1Click);

    Calibrations1 = submenu("Calibrations1", RU("Градуировки"));
    Archive1 = item(Calibrations1, "Archive1", RU("Архив"), QKeySequence(Qt::CTRL | Qt::Key_S), &TForm1::Archive1Click);
    N19 = item(Calibrations1, "N19", RU("Графики"), QKeySequence(Qt::CTRL | Qt::Key_G), &TForm1::N19Click);

    Bases1 = item(bar, "Bases1", RU("Базы"), QKeySequence(Qt::CTRL | Qt::Key_B), &TForm1::Bases1Click);

    Settings1 = submenu("Settings1", RU("Настройки"));
    Parameters1 = item(Settings1, "Parameters1", RU("Параметры обработки"), QKeySequence(Qt::CTRL | Qt::Key_R),
                       &TForm1::Parameters1Click);
    N21 = item(Settings1, "N21", RU("Принтер"), {}, &TForm1::N21Click);
    Decimals1 = item(Settings1, "Decimals1", RU("Знаков после запятой"), {}, &TForm1::Decimals1Click);
    HtmlSettings1 = item(Settings1, "HtmlSettings1", RU("Протоколирование в HTML"), {}, &TForm1::HtmlSettings1Click);
    ExcelSettings1 = item(Settings1, "ExcelSettings1", RU("Протоколирование в Excel"), {}, &TForm1::ExcelSettings1Click);

    N7 = item(bar, "N7", RU("Модели"), QKeySequence(Qt::CTRL | Qt::Key_M), &TForm1::N7Click);

    // F1 as a key shows the page chosen last (FormKeyDown); the menu item only carries it as
    // its label, so its shortcut is limited to the menu bar itself and never takes the key.
    N6 = item(bar, "N6", RU("Помощь"), QKeySequence(Qt::Key_F1), &TForm1::N6Click);
    N6->setShortcutContext(Qt::WidgetShortcut);

    // Before the first chromatogram.
    Extra1->menuAction()->setEnabled(false);
    Average1->setEnabled(false);
    Normalise1->setEnabled(false);
    Formula1->setEnabled(false);
    NormalConditions1->setEnabled(false);
    N10->setEnabled(false);
    Y1->setEnabled(false);
    Excel2->setEnabled(false);
}

// --- Creation, closing, layout -------------------------------------------------------

void TForm1::FormCreate() {
    state_.ProgramMode = ModeNone;
    Label1->clear();
    Label2->clear();
    Label3->clear();
    panel2Height_ = kStripShort;
    Panel3->hide();
    Panel4->hide();
    Panel10->hide();
    Panel11->hide();
    Panel12->hide();
    Panel13->hide();
    SpeedButton27->hide();
    Edit2->setEnabled(false);
    SpeedButton3->setEnabled(false);
    SpeedButton4->setEnabled(false);
    layoutPanels();

    state_.View = PlotView{};
    handler([&] {
        StartupValues start = StartUp(state_.Start, printer_);
        state_.Settings = start.Settings;
        state_.Vk7Rate = start.Vk7Rate;
        state_.PrinterDpiX = start.PrinterDpiX;
        state_.PrinterDpiY = start.PrinterDpiY;
        state_.TreatNeedsBackup = start.TreatNeedsBackup;
        // Notices wait until the main window is on the screen, so that they are read with it.
        pendingNotices_ = start.Notices;
    });
    UpDown1->setPosition(state_.Settings.Decimals);
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!pendingNotices_.empty()) QTimer::singleShot(0, this, &TForm1::showPendingNotices);
}

void TForm1::showPendingNotices() {
    std::vector<std::string> notices;
    notices.swap(pendingNotices_);
    for (const std::string& notice : notices) handler([&] { dialogs_.info(notice); });
}

void TForm1::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TForm1::FormClose() {
    // The protocol-settings windows write their own files when they close.
    if (w_.Form16) w_.Form16->close();
    if (w_.Form19) w_.Form19->close();
    // Unsaved edits of the calibration archive are asked about as on hiding its window.
    if (w_.Form6) w_.Form6->askToSaveChanges();
    handler([&] {
        CloseDown(state_.Start, state_.Settings, state_.TreatNeedsBackup);
        state_.TreatNeedsBackup = false;
    });
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Client && event->type() == QEvent::Resize) FormResize();
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::FormResize() { layoutPanels(); }

void TForm1::setPanel2Height(int height) {
    panel2Height_ = height;
    layoutPanels();
}

// Panel2 on top, Panel1 8 pixels below it down to 8 pixels above the bottom (height = client
// height - Panel2 height - 16), both as wide as the window less 23 pixels; on the strip the
// readouts and the about panel at the right, the comment row below the buttons.
void TForm1::layoutPanels() {
    const int clientHeight = Client->height();
    const int stripWidth = std::max(0, width() - 23);
    Panel2->setGeometry(8, 4, stripWidth, panel2Height_);
    Panel4->move(stripWidth - Panel4->width() - 8, 4);
    Panel9->move(stripWidth - Panel9->width() - 8, 4);
    if (!Panel10->isVisible()) Panel10->move(Panel4->pos());
    SpeedButton3->setGeometry(stripWidth - 54, 59, kButton, kButton);
    SpeedButton4->setGeometry(stripWidth - 31, 59, kButton, kButton);
    Edit2->setGeometry(8, 59, std::max(0, stripWidth - 70), kButton);

    const int plotTop = Panel2->y() + panel2Height_ + 8;
    Panel1->setGeometry(8, plotTop, stripWidth, std::max(0, clientHeight - panel2Height_ - 16));
    PaintBox1->setGeometry(Panel1->contentsRect());
    Image1->move((Panel1->width() - Image1->width()) / 2, (Panel1->height() - Image1->height()) / 2);
    Panel12->move(Panel1->x() + Panel1->width() - Panel12->width() - 16, Panel1->y() + 16);
    Panel11->move(Panel1->x() + 16, Panel1->y() + 64);
    Panel13->move(Panel1->x() + 16, Panel1->y() + 112);
}

// --- Opening --------------------------------------------------------------------------

void TForm1::ResetMainWindow() {
    resetForNewChromatogram(state_);
    for (QWidget* w : {static_cast<QWidget*>(w_.Form4), static_cast<QWidget*>(w_.Form8),
                       static_cast<QWidget*>(w_.Form9)})
        if (w) w->hide();

    Extra1->menuAction()->setEnabled(true);
    N13->setEnabled(true);
    for (QAction* a : {Average1, Normalise1, NormalConditions1, Formula1, N10, Y1}) a->setEnabled(false);
    Excel2->setEnabled(true);

    Image1->hide();
    Panel9->hide();
    Panel3->show();
    Panel4->show();
    setPanel2Height(kStripTall);

    for (QToolButton* b : {SpeedButton13, SpeedButton14, SpeedButton15, SpeedButton16, SpeedButton19, SpeedButton3,
                           SpeedButton4})
        b->setEnabled(true);
    SpeedButton27->hide();
    Panel10->hide();
    // An edit begun on the previous chromatogram is not carried over to the new one.
    Edit2->setEnabled(false);
}

FileDialogRequest TForm1::chromatogramDialog() {
    FileDialogRequest r;
    r.title = RU("Хроматограммы");
    r.filter = "hrm |*.hrm;";
    r.initialDir = openDialogFolder(state_);
    r.proposedName = state_.Settings.FileName;
    TForm15* preview = w_.Form15;
    r.onSelectionChanged = [preview](const fs::path& file) {
        if (preview) preview->ShowComment(previewComment(file));
    };
    r.onClosed = [preview] {
        if (preview) preview->hide();
    };
    return r;
}

FileDialogRequest TForm1::OpenDialog1() { return chromatogramDialog(); }
FileDialogRequest TForm1::OpenDialog2() { return chromatogramDialog(); }

void TForm1::showPreview() {
    if (!w_.Form15) return;
    w_.Form15->ShowComment({});
    const QRect frame = frameGeometry();
    w_.Form15->move(frame.right() - w_.Form15->width() - 24, frame.top() + 48);
    w_.Form15->show();
    w_.Form15->raise();
}

void TForm1::OpenChromatogramDialog() {
    handler([&] {
        showPreview();
        std::optional<fs::path> chosen = dialogs_.openOne(OpenDialog1());
        if (w_.Form15) w_.Form15->hide();
        if (!chosen) return;
        auto read = readChosenFile(*chosen);
        if (!read) return;
        commitOpen(read->first, std::move(read->second));
        state_.ListMode = false;
        if (w_.Form7) w_.Form7->hide();
    });
}

std::optional<std::pair<ChosenFile, ReadResult>> TForm1::readChosenFile(const fs::path& chosen) {
    const ChosenFile file = splitChosenFile(chosen);
    if (!file.ok()) {
        dialogs_.warning(file.Refusal);
        return std::nullopt;
    }
    ReadResult read = readChromatogramFor(state_, chosenFilePath(file));
    return std::pair{file, std::move(read)};
}

void TForm1::OpenSeveralChromatograms() {
    handler([&] {
        showPreview();
        std::vector<fs::path> chosen = dialogs_.openSeveral(OpenDialog2());
        if (w_.Form15) w_.Form15->hide();
        if (chosen.empty()) return;
        const ChosenFiles files = splitChosenFiles(chosen);
        if (!files.ok()) {
            dialogs_.warning(files.Refusal);
            return;
        }
        ReadResult read = readChromatogramFor(state_, chosenFilePath(files.Files.front()));

        state_.ListFiles = chosen;
        state_.ListIndex = 0;
        state_.SummaryRows = 0;
        std::vector<std::string> names;
        for (const ChosenFile& f : files.Files) names.push_back(f.FileName);
        if (w_.Form7) {
            w_.Form7->ShowList(names);
            w_.Form7->show();
        }
        commitOpen(files.Files.front(), std::move(read));
        state_.ListMode = true;
        showInFront(this);
    });
}

bool TForm1::OpenListFile(int index) {
    bool opened = false;
    handler([&] {
        if (index < 0 || index >= state_.ListCount()) return;
        const ChosenFile file = splitChosenFile(state_.ListFiles[static_cast<size_t>(index)]);
        if (!file.ok()) {
            dialogs_.warning(file.Refusal);
            return;
        }
        ReadResult read = readChromatogramFor(state_, chosenFilePath(file));
        state_.ListIndex = index;
        if (w_.Form7) w_.Form7->SelectRow(index);
        commitOpen(file, std::move(read));
        showInFront(this);
        opened = true;
    });
    return opened;
}

void TForm1::ReloadChromatogram() {
    handler([&] {
        if (state_.Settings.FileName.empty()) return;
        const ChosenFile file{state_.Settings.DataDir, state_.Settings.FileName, {}};
        ReadResult read = readChromatogramFor(state_, chosenFilePath(file));
        commitOpen(file, std::move(read));
    });
}

void TForm1::commitOpen(const ChosenFile& file, ReadResult&& read) {
    ResetMainWindow();
    commitChromatogram(state_, file, std::move(read));
    showOpenChromatogram();
    runPipeline();
}

void TForm1::showOpenChromatogram() {
    Edit2->setText(toQString(state_.Chrom.CommentText));
    setWindowTitle(toQString(state_.Settings.DataDir + state_.Settings.FileName));
    if (w_.Form2) w_.Form2->FillPassportGrid();
    if (w_.Form3) w_.Form3->FillParameterGrid();
}

void TForm1::runPipeline() {
    const PipelineResult result = ProcessChromatogram(state_);
    for (const std::string& notice : result.Notices) dialogs_.info(notice);
    RepaintPlot();
}

void TForm1::RepaintPlot() {
    const RulerReadouts readouts = PaintPlotBox(PaintBox1->canvas(), state_);
    if (state_.ProgramMode != ModeNone) showReadouts(readouts);
}

void TForm1::showReadouts(const RulerReadouts& readouts) {
    Label1->setText(toQString(readouts.Time));
    Label2->setText(toQString(readouts.Signal));
    Label3->setText(toQString(readouts.Temperature));
}

void TForm1::applyViewFollowUp(PlotFollowUp followUp) {
    switch (followUp) {
        case PlotFollowUp::None: break;
        case PlotFollowUp::Repaint: RepaintPlot(); break;
        case PlotFollowUp::Process:
            if (state_.ProgramMode == ModeShown)
                runPipeline();
            else
                RepaintPlot();
            break;
        case PlotFollowUp::Reload:
            // The parameters window shows the new values from the state when it is shown.
            ReloadChromatogram();
            break;
    }
}

// --- Comment box ----------------------------------------------------------------------

void TForm1::SpeedButton3Click() {
    if (state_.ProgramMode == ModeNone) return;
    Edit2->setEnabled(true);
    Edit2->setFocus();
}

void TForm1::Edit2Enter() {
    handler([&] { saveCommentText(fromQString(Edit2->text())); });
}

void TForm1::SpeedButton4Click() {
    handler([&] {
        if (state_.ProgramMode == ModeNone) return;
        const std::string text = commentWithDate(clock_.now(), state_.Chrom.CommentText);
        Edit2->setText(toQString(text));
        saveCommentText(text);
    });
}

void TForm1::saveCommentText(const std::string& text) {
    if (state_.ProgramMode == ModeNone) return;
    state_.Chrom.CommentText = SaveComment(state_.openFilePath(), text);
    Edit2->setText(toQString(state_.Chrom.CommentText));
    const bool hadFocus = Edit2->hasFocus() || focusWidget() == Edit2;
    Edit2->setEnabled(false);
    if (hadFocus) setFocus();
    RepaintPlot();
}

// --- Decimal places -------------------------------------------------------------------

void TForm1::Decimals1Click() {
    UpDown1->setPosition(state_.Settings.Decimals);
    Label7->setText(QString::number(UpDown1->position()));
    Panel12->show();
    Panel12->raise();
}

void TForm1::UpDown1Click(int position) {
    state_.Settings.Decimals = std::clamp(position, 0, 5);
    Label7->setText(QString::number(state_.Settings.Decimals));
}

void TForm1::SpeedButton28Click() { Panel12->hide(); }

// --- Help and windows -----------------------------------------------------------------

void TForm1::ShowHelpPage(HelpPage page) {
    handler([&] {
        state_.HelpPage = page;
        if (w_.Form10) w_.Form10->ShowHelpPage(page);
    });
}

void TForm1::SpeedButton20Click() {
    MainWindowHelpView view;
    view.programMode = static_cast<std::uint8_t>(state_.ProgramMode);
    view.pictureWindowVisible = w_.Form5 && static_cast<QWidget*>(w_.Form5)->isVisible();
    view.fileListVisible = w_.Form7 && static_cast<QWidget*>(w_.Form7)->isVisible();
    view.exportPanelVisible = Panel11->isVisible();
    view.recalculationPanelVisible = Panel13->isVisible();
    ShowHelpPage(chooseMainWindowHelpPage(view));
}

void TForm1::N6Click() { ShowHelpPage(help_page::Contents); }

void TForm1::showWindow(QWidget* window) { showInFront(window); }

void TForm1::SpeedButton12Click() { showWindow(static_cast<QWidget*>(w_.Form2)); }
void TForm1::Parameters1Click() { showWindow(static_cast<QWidget*>(w_.Form3)); }
void TForm1::Archive1Click() { showWindow(w_.Form6); }
void TForm1::N19Click() {
    if (state_.ProgramMode != ModeNone) showWindow(static_cast<QWidget*>(w_.Form9));
}
void TForm1::Bases1Click() { showWindow(static_cast<QWidget*>(w_.Form13)); }
void TForm1::HtmlSettings1Click() { showWindow(static_cast<QWidget*>(w_.Form16)); }
void TForm1::ExcelSettings1Click() { showWindow(static_cast<QWidget*>(w_.Form19)); }
void TForm1::N7Click() { showWindow(static_cast<QWidget*>(w_.Form14)); }
void TForm1::N10Click() { showWindow(static_cast<QWidget*>(w_.Form11)); }
void TForm1::Y1Click() { showWindow(static_cast<QWidget*>(w_.Form12)); }

// --- The plot -------------------------------------------------------------------------

void TForm1::PaintBox1DblClick() {
    handler([&] {
        if (std::optional<int> offset = zeroOffsetAtRuler(state_)) {
            state_.View.ZeroOffset = *offset;
            RepaintPlot();
        }
    });
}

void TForm1::PaintBox1MouseDown(int x, int y) {
    clickX_ = x;
    handler([&] {
        const PlotMouseResult r = PlotMouseDown(PaintBox1->canvas(), state_, x, y);
        if (r.Readouts) showReadouts(*r.Readouts);
    });
}

void TForm1::PaintBox1MouseMove(int x, int y) {
    handler([&] { PlotMouseMove(PaintBox1->canvas(), state_, x, y); });
}

void TForm1::PaintBox1MouseUp(int, int) {
    handler([&] {
        const PlotMouseResult r = PlotMouseUp(PaintBox1->canvas(), state_);
        // A drag is not a click: the markup editor never acts at the ruler of a drag.
        if (r.Consumed) {
            applyViewFollowUp(r.FollowUp);
            return;
        }
        PaintBox1Click();
    });
}

// The click actions of markup editing and the pick of the group to model.
void TForm1::PaintBox1Click() {
    handler([&] {
        const MarkupClickResult r = MarkupClick(state_, plotClickAt(state_, clickX_));
        if (r.Label) showEditorLabel(*r.Label);
        if (r.Repaint) RepaintPlot();
        for (const std::string& notice : r.Notices) dialogs_.info(notice);
        if (r.Pick != GroupPickOutcome::None) {
            if (w_.Form8) w_.Form8->GroupPicked(r);
        } else if (!r.Message.empty()) {
            dialogs_.info(r.Message);
        }
    });
}

// View commands: with a chromatogram open (their buttons and keys exist only then).
void TForm1::SpeedButton5Click() {
    handler([&] {
        if (state_.ProgramMode != ModeNone) applyViewFollowUp(ZoomIn(state_.View));
    });
}

void TForm1::SpeedButton6Click() {
    handler([&] {
        if (state_.ProgramMode != ModeNone) applyViewFollowUp(ZoomOut(state_.View));
    });
}

void TForm1::SpeedButton7Click() {
    handler([&] {
        if (state_.ProgramMode != ModeNone) applyViewFollowUp(ResetVerticalScale(state_.View));
    });
}

void TForm1::SpeedButton8Click() {
    handler([&] {
        if (state_.ProgramMode != ModeNone) applyViewFollowUp(WindowLeft(state_.View));
    });
}

void TForm1::SpeedButton9Click() {
    handler([&] {
        if (state_.ProgramMode == ModeNone) return;
        applyViewFollowUp(WindowRight(state_.View, dataEndSec(state_.Settings.AveragingMs, state_.Chrom.PointCount())));
    });
}

void TForm1::SpeedButton10Click() {
    handler([&] {
        if (state_.ProgramMode == ModeNone) return;
        applyViewFollowUp(Overview(state_.View, state_.Settings.AveragingMs, state_.Chrom.PointCount()));
    });
}

void TForm1::SpeedButton11Click() {
    if (state_.ProgramMode != ModeNone) ArmFragment(state_.View);
}

void TForm1::SpeedButton16Click() {
    if (state_.ProgramMode != ModeNone) ArmWMode(state_.View);
}

void TForm1::SpeedButton25Click() {
    handler([&] { applyViewFollowUp(ToggleTemperatureLine(state_.Settings)); });
}

void TForm1::SpeedButton17Click() {
    handler([&] {
        if (state_.ProgramMode == ModeNone) return;
        if (!SavePlotPicture(PaintBox1->canvas().image(), state_.Start))
            dialogs_.warning(RU("Нет свободного номера для изображения в \\results"));
    });
}

void TForm1::SaveFigureGif() {
    if (state_.ProgramMode != ModeNone) vk7::SaveFigureGif(PaintBox1->canvas().image(), state_.Start);
}

// --- The peak table -------------------------------------------------------------------

void TForm1::SpeedButton19Click() {
    handler([&] {
        if (w_.Form4) w_.Form4->EnterPeakTable(*this);
    });
}

void TForm1::WritePassportText() {
    if (w_.Form2 && state_.ProgramMode != ModeNone) w_.Form2->WritePassportText();
}

// Commands whose windows and drawing are not built yet: they exist and do nothing.
void TForm1::N12Click() {
    if (w_.Form5) w_.Form5->N12Click();
}
void TForm1::N14Click() {
    handler([&] {
        if (!shell_) return;
        const std::string message = OpenTableText(state_.Start, *shell_);
        if (!message.empty()) dialogs_.info(message);
    });
}
// "Протокол Word" / "Протокол Excel": the protocol written last, shown by the desktop.
void TForm1::openResultFile(const std::filesystem::path& file, const std::string& nameForMessage) {
    handler([&] {
        if (!std::filesystem::is_regular_file(file)) {
            dialogs_.info(RU("Нет файла ") + nameForMessage);
            return;
        }
        if (shell_) shell_->open(file);
    });
}
void TForm1::Word1Click() { openResultFile(wordProtocolPath(state_.Start), "\\results\\prot.docx"); }
void TForm1::Excel3Click() { openResultFile(excelProtocolPath(state_.Start), "\\results\\prot.xlsx"); }
void TForm1::Excel2Click() {
    if (state_.ProgramMode == ModeNone) return;
    Edit7->setText(ru(intText(state_.Chrom.PointCount())));
    Panel11->show();
    Panel11->raise();
    Edit7->setFocus();  // with the count selected, so that a typed count replaces it
}

void TForm1::SpeedButton36Click() { Panel11->hide(); }

// The points of the open chromatogram, about as many as typed, to \results\points.xlsx.
void TForm1::ExportPointsToExcel() {
    handler([&] {
        if (state_.ProgramMode == ModeNone) return;
        const std::string message =
            vk7::ExportPointsToExcel(state_.Start, state_.Chrom, fullScaleVolts(state_.Chrom.GainCode),
                                     fromQString(Edit7->text()), [this](int percent) { ProgressBar1->setValue(percent); });
        if (!message.empty()) {
            dialogs_.info(message);
            return;
        }
        Panel11->hide();
        if (shell_) shell_->open(pointsExportPath(state_.Start));
    });
}

void TForm1::Html1Click() {
    handler([&] {
        if (!shell_) return;
        const std::string message = OpenHtmlProtocol(state_.Start, *shell_);
        if (!message.empty()) dialogs_.info(message);
    });
}

// --- Averaging, normalisation, recalculation -------------------------------------------

void TForm1::Average1Click() {
    handler([&] {
        if (!state_.ListMode) return;
        if (const auto refusal = AverageAnalyses(state_.Start, state_.Settings.Decimals)) {
            dialogs_.info(*refusal);
            return;
        }
        // The averaged table ends the several-files mode.
        state_.ListMode = false;
        Average1->setEnabled(false);
        w_.Form4->SpeedButton10->setEnabled(false);
        w_.Form4->LoadTableGrid();
        w_.Form4->show();
    });
}

void TForm1::Normalise1Click() {
    handler([&] {
        NormaliseTable(state_.Start, state_.ListMode, state_.Settings.Decimals);
        w_.Form4->LoadNormalisedGrid();
        w_.Form4->show();
    });
}

void TForm1::NormalConditions1Click() { StartNormalConditions(); }
void TForm1::Formula1Click() { StartFormulaRecalc(); }

// Panel13 in a mode: the captions of the two fields at their places, the values in them.
void TForm1::showRecalcPanel(int mode, const std::string& first, int firstX, const std::string& second, int secondX,
                             const std::string& firstValue, const std::string& secondValue) {
    RecalcMode = mode;
    Label10->setVisible(mode == 2);
    Label12->setText(ru(first));
    Label12->setGeometry(firstX, 12, 84 - firstX, 16);
    Label13->setText(ru(second));
    Label13->setGeometry(secondX, 12, 158 - secondX, 16);
    Edit5->setText(ru(firstValue));
    Edit6->setText(ru(secondValue));
    Panel13->show();
    Panel13->raise();
}

void TForm1::StartNormalConditions() {
    handler([&] {
        const ClimateValues c = LoadClimate(state_.Start);
        showRecalcPanel(1, RU("N,кПа"), 44, "t,C", 136, fixedText(c.Pressure, 6, 1), fixedText(c.Temperature, 6, 1));
    });
}

void TForm1::StartFormulaRecalc() {
    handler([&] {
        const FormulaCoefficients c = LoadFormulaCoefficients(state_.Start);
        showRecalcPanel(2, "a", 68, "b", 140, fixedText(c.A, 8, 3), fixedText(c.B, 8, 3));
    });
}

void TForm1::SpeedButton33Click() { Panel13->hide(); }

void TForm1::SpeedButton34Click() {
    handler([&] {
        const double first = parseLenient(fromQString(Edit5->text()));
        const double second = parseLenient(fromQString(Edit6->text()));
        std::string suffix;
        if (RecalcMode == 1) {
            const ClimateValues climate{first, second};
            if (const auto refusal = ClimateRefusal(climate)) {
                dialogs_.info(*refusal);
                return;
            }
            SaveClimate(state_.Start, climate);
            RecalcNormalConditions(state_.Start, climate, state_.Settings.Decimals);
            suffix = NormalConditionsSuffix();
        } else if (RecalcMode == 2) {
            const FormulaCoefficients stored = SaveFormulaCoefficients(state_.Start, {first, second});
            RecalcFormula(state_.Start, stored, state_.Settings.Decimals);
            suffix = FormulaSuffix();
        } else {
            return;
        }
        Panel13->hide();
        // Only the concentration column of the peak table changes; the caption gets the suffix.
        w_.Form4->ShowRecalculatedConcentrations(suffix);
    });
}

// --- Printing -------------------------------------------------------------------------

void TForm1::SpeedButton18Click() {
    handler([&] {
        if (state_.ProgramMode == ModeNone) return;
        auto job = printer_.begin(resultsPrintRequest(state_.Start, "chrom.pdf"));
        PrintChromatogram(*job, {state_.PrinterDpiX, state_.PrinterDpiY}, state_);
        finishPrintJob(*job, dialogs_);
    });
}

void TForm1::N21Click() {
    handler([&] {
        dialogs_.printSetup(printer_);
        // Read again whatever the answer: the dialog may have changed the printer.
        const PrinterResolution dpi = printerDpi(printer_);
        state_.PrinterDpiX = dpi.dpiX;
        state_.PrinterDpiY = dpi.dpiY;
    });
}

// --- Overlay, subtraction, inversion -----------------------------------------------

FileDialogRequest TForm1::secondChromatogramDialog(const std::string& title) {
    FileDialogRequest r;
    r.title = title;
    r.filter = "hrm |*.hrm;";
    r.initialDir = openDialogFolder(state_);
    r.proposedName = state_.Settings.FileName;
    return r;
}

// "Наложение (N)": the chosen file becomes the open chromatogram and is processed; only its
// curve is drawn over the plot on the screen, in the next overlay colour.
void TForm1::SpeedButton14Click() {
    handler([&] {
        if (state_.ProgramMode != ModeShown) return;
        const std::optional<fs::path> chosen = dialogs_.openOne(secondChromatogramDialog(RU("Наложение")));
        if (!chosen) return;
        auto read = readChosenFile(*chosen);
        if (!read) return;
        CommitOverlay(state_, read->first, std::move(read->second));
        showOpenChromatogram();
        const PipelineResult result = ProcessChromatogram(state_);
        for (const std::string& notice : result.Notices) dialogs_.info(notice);
        DrawCurve(PaintBox1->canvas(), state_);
    });
}

// "Вычитание хроматограммы (S)".
void TForm1::SpeedButton15Click() {
    handler([&] {
        if (state_.ProgramMode != ModeShown) return;
        const std::optional<fs::path> chosen = dialogs_.openOne(secondChromatogramDialog(RU("Вычитание")));
        if (!chosen) return;
        const std::string refusal = SubtractChromatogramFile(state_, *chosen);
        if (!refusal.empty()) {
            dialogs_.warning(refusal);
            return;
        }
        RepaintPlot();
        setWindowTitle(toQString(subtractionCaption(state_.Settings.FileName, textFromPath(chosen->filename()))));
    });
}

// "Инвертировать (-)".
void TForm1::N13Click() {
    handler([&] {
        if (state_.ProgramMode != ModeShown) return;
        InvertSignal(state_);
        RepaintPlot();
    });
}

// --- Markup editing -------------------------------------------------------------------

void TForm1::showEditorLabel(const EditorLabel& label) {
    Label4->setText(toQString(label.Text));
    // The panel is as wide as the readouts it covers; a prompt wider than the label at the
    // desktop's font ("Редактирование по группам") is drawn smaller instead of cut off.
    QFont f = Panel10->font();
    while (f.pointSizeF() > 6 && QFontMetrics(f).horizontalAdvance(Label4->text()) > Label4->width())
        f.setPointSizeF(f.pointSizeF() - 0.5);
    Label4->setFont(f);
    QPalette p = Label4->palette();
    p.setColor(QPalette::WindowText, toQColor(label.FontColour));
    Label4->setPalette(p);
}

void TForm1::SpeedButton13Click() {
    const std::optional<EditorLabel> label = EnterMarkupEditing(state_);
    if (!label) return;
    Panel10->move(Panel4->pos());
    Panel10->show();
    Panel10->raise();
    for (QToolButton* b : {SpeedButton26, SpeedButton22, SpeedButton24}) b->setEnabled(true);
    showEditorLabel(*label);
}

void TForm1::SpeedButton21Click() {
    if (state_.ProgramMode == ModeMarkupEdit) showEditorLabel(PromptDeletePeak(state_));
    else if (state_.ProgramMode == ModeGroupEdit) showEditorLabel(PromptDissolveGroup(state_));
}

void TForm1::SpeedButton23Click() {
    if (state_.ProgramMode == ModeMarkupEdit) showEditorLabel(PromptInsertPeak(state_));
    else if (state_.ProgramMode == ModeGroupEdit) showEditorLabel(PromptBuildGroup(state_));
}

void TForm1::SpeedButton22Click() {
    if (state_.ProgramMode == ModeMarkupEdit) showEditorLabel(PromptChangeBounds(state_));
}

void TForm1::SpeedButton24Click() {
    if (state_.ProgramMode != ModeMarkupEdit) return;
    for (QToolButton* b : {SpeedButton26, SpeedButton22, SpeedButton24}) b->setEnabled(false);
    showEditorLabel(EnterGroupEditing(state_));
}

void TForm1::SpeedButton26Click() {
    if (state_.ProgramMode != ModeMarkupEdit && state_.ProgramMode != ModeGroupEdit) return;
    showEditorLabel(DeleteAllPeaks(state_));
    handler([&] { RepaintPlot(); });
}

void TForm1::SpeedButton27Click() {
    if (w_.Form8 && state_.ProgramMode != ModeNone) w_.Form8->StartModelling();
}

// --- Keyboard -------------------------------------------------------------------------

KeyFocus TForm1::focusKind() const {
    return isEditBox(focusWidget()) ? KeyFocus::EditBox : KeyFocus::Elsewhere;
}

bool TForm1::previewKey(QKeyEvent* event) {
    bool consumed = false;
    handler([&] { consumed = FormKeyDown(event) || FormKeyPress(event); });
    return consumed;
}

bool TForm1::FormKeyDown(QKeyEvent* event) {
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    NamedKey key;
    switch (event->key()) {
        case Qt::Key_F1: key = NamedKey::F1; break;
        case Qt::Key_Left: key = NamedKey::Left; break;
        case Qt::Key_Right: key = NamedKey::Right; break;
        case Qt::Key_Up: key = NamedKey::Up; break;
        case Qt::Key_Down: key = NamedKey::Down; break;
        default: return false;
    }
    switch (keyDownCommandFor(key, state_.ProgramMode, focusKind())) {
        case KeyDownCommand::None: return false;
        case KeyDownCommand::HelpLastPage: ShowHelpPage(state_.HelpPage); return true;
        case KeyDownCommand::WindowRight: SpeedButton9Click(); return true;
        case KeyDownCommand::WindowLeft: SpeedButton8Click(); return true;
        case KeyDownCommand::ZoomIn: SpeedButton5Click(); return true;
        case KeyDownCommand::ZoomOut: SpeedButton6Click(); return true;
    }
    return false;
}

bool TForm1::FormKeyPress(QKeyEvent* event) {
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    // Edit7KeyPress: Esc closes the export panel, Enter exports.
    if (focusWidget() == Edit7 && Panel11->isVisible() && (enter || event->key() == Qt::Key_Escape)) {
        if (enter)
            ExportPointsToExcel();
        else
            SpeedButton36Click();
        return true;
    }
    if (event->key() == Qt::Key_Escape) {
        FormEscape();
        return true;
    }
    // Enter in the comment box saves the comment; the key goes no further.
    if (enter && focusWidget() == Edit2) {
        Edit2Enter();
        return true;
    }
    char32_t typed = 0;
    if (enter) typed = U'\r';
    else if (!event->text().isEmpty()) typed = event->text().front().unicode();
    if (typed == 0) return false;
    const KeyCommand command = keyCommandFor(typed, state_.ProgramMode, focusKind());
    if (command == KeyCommand::None) return false;
    runKeyCommand(command);
    return true;
}

void TForm1::FormEscape() {
    for (QWidget* w : {static_cast<QWidget*>(w_.Form2), static_cast<QWidget*>(w_.Form3),
                       static_cast<QWidget*>(w_.Form5)})
        if (w) w->hide();
    if (applyEscape(state_)) Panel10->hide();
}

void TForm1::runKeyCommand(KeyCommand command) {
    switch (command) {
        case KeyCommand::None: break;
        case KeyCommand::ShowPassport: SpeedButton12Click(); break;
        case KeyCommand::VerticalScaleReset: SpeedButton7Click(); break;
        case KeyCommand::Overview: SpeedButton10Click(); break;
        case KeyCommand::TemperatureToggle: SpeedButton25Click(); break;
        case KeyCommand::SavePicture: SpeedButton17Click(); break;
        case KeyCommand::Fragment: SpeedButton11Click(); break;
        case KeyCommand::PeakTable: SpeedButton19Click(); break;
        case KeyCommand::MarkupEditing: SpeedButton13Click(); break;
        case KeyCommand::Overlay: SpeedButton14Click(); break;
        case KeyCommand::AutoMarkupSetup: SpeedButton16Click(); break;
        case KeyCommand::Invert: N13Click(); break;
        case KeyCommand::Subtract: SpeedButton15Click(); break;
        case KeyCommand::DeletePeaks:
        case KeyCommand::GroupDelete: SpeedButton21Click(); break;
        case KeyCommand::InsertPeak:
        case KeyCommand::GroupInsert: SpeedButton23Click(); break;
        case KeyCommand::ChangeBounds: SpeedButton22Click(); break;
        case KeyCommand::GroupEditing: SpeedButton24Click(); break;
    }
}

}  // namespace vk7
