// Acquisition main window (TForm1, "Велетрон-7М. Прием сигналов."): both channels live,
// the level bars, record times, the about panel; the host of calibration and regime.
#include "acquisition/forms/vk7u1.h"

#include <utility>

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>

#include "acquisition/forms/helper.h"
#include "acquisition/help_page.h"
#include "acquisition/forms/vk7v1.h"
#include "acquisition/forms/vk7v2.h"
#include "common/cp1251.h"
#include "platform/qt/event_guard.h"
#include "platform/qt/key_preview.h"
#include "platform/qt/qt_text.h"

namespace vk7 {

namespace {

const QColor kNavy(0, 0, 128);
const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kLime(0, 255, 0);
const QColor kGreen(0, 128, 0);

QString ru(const std::string& cp1251) { return toQString(cp1251); }

QToolButton* speedButton(QWidget* parent, const QString& caption, const QString& hint, QRect geometry) {
    auto* b = new QToolButton(parent);
    b->setText(caption);
    b->setToolTip(hint);
    b->setAutoRaise(false);
    b->setFocusPolicy(Qt::NoFocus);
    b->setGeometry(geometry);
    return b;
}

QLabel* label(QWidget* parent, const QString& hint, QRect geometry) {
    auto* l = new QLabel(parent);
    l->setToolTip(hint);
    l->setGeometry(geometry);
    return l;
}

// The small font of the level scales.
QFont scaleFont() {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(8);
    f.setLetterSpacing(QFont::AbsoluteSpacing, -0.6);
    return f;
}

}  // namespace

// ---- components ------------------------------------------------------------------------

TImage::TImage(int width, int height, QWidget* parent)
    : QWidget(parent), picture_(width, height, QImage::Format_RGB32) {
    picture_.fill(TForm1::buttonFace());
    setFixedSize(width, height);
}

void TImage::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, picture_);
}

TShape::TShape(QWidget* parent) : QWidget(parent) {}

void TShape::setBrush(QColor c) {
    brush_ = c;
    update();
}

void TShape::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(Qt::black);
    p.setBrush(brush_);
    p.drawEllipse(rect().adjusted(0, 0, -1, -1));
}

QColor TForm1::buttonFace() { return QColor(240, 240, 240); }

// ---- the window ------------------------------------------------------------------------

TForm1::TForm1(StartFolder start, SoundInput& input, Dialogs& dialogs, const Clock& clock,
               std::function<void(int)> sleep, QWidget* parent, SoundOutput* output)
    : QWidget(parent), dialogs_(dialogs) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(ru(RU("Велетрон-7М. Прием сигналов.")));
    setFixedSize(660, 490);

    engine_ = std::make_unique<AcquisitionEngine>(
        AcquisitionEngine::Environment{std::move(start), input, dialogs, clock, std::move(sleep)});
    engine_->setErrorText([](const std::exception& e) { return errorText(e); });
    engine_->setBlockObserver([this] { MMInOpen(); });
    if (output) {
        link_ = std::make_unique<BoxCommandLink>(
            *output, [this](const std::string& text) { engine_->message(MessageKind::Error, "", text); });
        engine_->setHooks(link_.get());
    }

    // Top row: calibration, pair switch, help.
    SpeedButton11 = speedButton(this, ru(RU("Калибровка")), ru(RU("Калибровка по напряжению")), {8, 6, 96, 24});
    SpeedButton17 = speedButton(this, "AB/CD", ru(RU("Переключение каналов")), {110, 6, 60, 24});
    SpeedButton8 = speedButton(this, "?", ru(RU("Помощь (F1)")), {622, 6, 30, 24});

    // The two channel panels.
    GroupBox1 = new QGroupBox(ru(RU(" Канал A ")), this);
    GroupBox1->setGeometry(8, 36, 318, 206);
    GroupBox2 = new QGroupBox(ru(RU(" Канал B ")), this);
    GroupBox2->setGeometry(334, 36, 318, 206);
    QFont big(QStringLiteral("DejaVu Sans"));
    big.setPixelSize(28);
    big.setBold(true);
    struct Panel {
        QGroupBox* box;
        QLabel** value;
        TImage** image;
        QLabel **adc, **noise, **frequency;
        QToolButton **polarity, **recordTime, **preview, **stop;
        QLineEdit** edit;
        TShape** marker;
        QLabel** progress;
    } panels[2] = {
        {GroupBox1, &Label1, &Image1, &Label9, &Label14, &Label6, &SpeedButton1, &SpeedButton13, &SpeedButton2,
         &SpeedButton3, &Edit4, &Shape1, &Label12},
        {GroupBox2, &Label2, &Image2, &Label10, &Label15, &Label8, &SpeedButton4, &SpeedButton14, &SpeedButton5,
         &SpeedButton6, &Edit5, &Shape2, &Label13},
    };
    for (auto& p : panels) {
        *p.value = label(p.box, {}, {12, 22, 250, 40});
        (*p.value)->setFont(big);
        *p.polarity = speedButton(p.box, "+", ru(RU("Полярность записи")), {274, 28, 30, 28});
        *p.image = new TImage(277, 29, p.box);
        (*p.image)->move(20, 70);
        *p.adc = label(p.box, ru(RU("Результат в единицах АЦП")), {20, 104, 130, 16});
        *p.frequency = label(p.box, ru(RU("Частота")), {160, 104, 137, 16});
        *p.noise = label(p.box, ru(RU("Среднеквадратический шум за 30 измерений")), {20, 122, 277, 16});
        for (QLabel* l : {*p.adc, *p.frequency, *p.noise}) l->setVisible(false);
        *p.recordTime = speedButton(p.box, ru(RU("Время")), ru(RU("Устеновка времени записи, мин")), {12, 146, 70, 26});
        *p.edit = new QLineEdit(p.box);
        (*p.edit)->setGeometry(12, 146, 70, 26);
        (*p.edit)->setToolTip(ru(RU("После ввода нажмите Enter")));
        (*p.edit)->setVisible(false);
        *p.preview = speedButton(p.box, ru(RU("Просмотр")), ru(RU("Предпросмотр записи")), {88, 146, 84, 26});
        *p.stop = speedButton(p.box, ru(RU("Стоп")), ru(RU("Останов записи")), {178, 146, 60, 26});
        (*p.preview)->setEnabled(false);
        (*p.stop)->setEnabled(false);
        *p.marker = new TShape(p.box);
        (*p.marker)->setGeometry(14, 180, 14, 14);
        (*p.marker)->setVisible(false);
        *p.progress = label(p.box, {}, {34, 178, 270, 18});
        (*p.progress)->setVisible(false);
    }
    InputLabel = label(this, {}, {8, 472, 644, 16});
    InputLabel->setVisible(false);
    OutputLabel = label(this, {}, {446, 436, 206, 34});
    OutputLabel->setWordWrap(true);
    OutputLabel->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    OutputLabel->setVisible(false);
    SpeedButton22 = speedButton(GroupBox2, ru(RU("Вкл.")), ru(RU("Выключить/включить")), {244, 146, 60, 26});
    SpeedButton22->setCheckable(true);

    // The regime grid with the channel captions above it, the calibration setup beside it.
    Label3 = label(this, {}, {8 + 170, 250, 127, 18});
    Label7 = label(this, {}, {8 + 297, 250, 127, 18});
    Label3->setText(ru(RU("Канал А")));
    Label7->setText(ru(RU("Канал В")));
    StGr1 = new QTableWidget(16, 3, this);
    StGr1->setGeometry(8, 272, 430, 16 * 12 + 6);
    StGr1->horizontalHeader()->setVisible(false);
    StGr1->verticalHeader()->setVisible(false);
    StGr1->verticalHeader()->setMinimumSectionSize(12);
    StGr1->verticalHeader()->setDefaultSectionSize(12);
    QFont gridFont(QStringLiteral("DejaVu Sans"));
    gridFont.setPixelSize(10);
    StGr1->setFont(gridFont);
    // The list and the name editor open above the grid, as wide as it: dictionary entries and
    // channel names are longer than a cell.
    ComboBox3 = new QComboBox(this);
    ComboBox3->setEditable(true);
    ComboBox3->setGeometry(8, 248, 430, 22);
    ComboBox3->setToolTip(ru(RU("Выберите нужную позицию")));
    ComboBox3->setVisible(false);
    Edit1 = new QLineEdit(this);
    Edit1->setGeometry(8, 248, 430, 22);
    Edit1->setToolTip(ru(RU("По окончание ввода нажмите Enter")));
    Edit1->setVisible(false);

    Panel3 = new QFrame(this);
    Panel3->setFrameShape(QFrame::Panel);
    Panel3->setFrameShadow(QFrame::Raised);
    Panel3->setGeometry(446, 250, 206, 222);
    Edit3 = new QLineEdit(Panel3);
    Edit3->setGeometry(8, 8, 90, 24);
    Edit3->setToolTip(ru(RU("Величина образцового напряжения, В")));
    SpeedButton9 = speedButton(Panel3, "+", ru(RU("Подключение к образцовому напряжению")), {8, 40, 40, 26});
    SpeedButton10 = speedButton(Panel3, "0", ru(RU("Подключение к образцовому нулю")), {54, 40, 40, 26});
    SpeedButton16 = speedButton(Panel3, ru(RU("Калибр")), ru(RU("Запуск цикла калибровки")), {100, 40, 96, 26});
    SpeedButton12 = speedButton(Panel3, "AB", ru(RU("Включение каналов А и В")), {8, 74, 60, 26});
    SpeedButton15 = speedButton(Panel3, "CD", ru(RU("Включение каналов C и D")), {74, 74, 60, 26});
    SpeedButton7 = speedButton(Panel3, "A", ru(RU("Коррекция по каналу А")), {8, 108, 40, 26});
    SpeedButton19 = speedButton(Panel3, "B", ru(RU("Коррекция по каналу В")), {54, 108, 40, 26});
    SpeedButton20 = speedButton(Panel3, "C", ru(RU("Коррекция по каналу С")), {100, 108, 40, 26});
    SpeedButton21 = speedButton(Panel3, "D", ru(RU("Коррекция по каналу D")), {146, 108, 40, 26});
    SpeedButton20->setEnabled(false);
    SpeedButton21->setEnabled(false);
    SpeedButton18 = speedButton(Panel3, "X", ru(RU("Выключить режим настройки")), {166, 8, 30, 24});
    Panel3->setVisible(false);

    // The about panel, over everything, until a click, Esc or three seconds.
    Panel1 = new QFrame(this);
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Raised);
    Panel1->setAutoFillBackground(true);
    Panel1->setGeometry(180, 130, 300, 190);
    Shape3 = new TShape(Panel1);
    Shape3->setGeometry(0, 0, 0, 0);
    Image3 = new TImage(260, 90, Panel1);
    Image3->move(20, 16);
    {
        // A baseline with two peaks.
        QImage& img = Image3->picture();
        img.fill(Qt::white);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(kNavy, 2));
        QPainterPath path;
        for (int x = 0; x < img.width(); ++x) {
            const double t = x / double(img.width());
            const double y = 80 - 55 * std::exp(-std::pow((t - 0.35) / 0.05, 2)) - 30 * std::exp(-std::pow((t - 0.7) / 0.07, 2));
            if (x == 0) path.moveTo(x, y); else path.lineTo(x, y);
        }
        p.drawPath(path);
    }
    Label20 = label(Panel1, {}, {20, 112, 260, 40});
    Label20->setAlignment(Qt::AlignCenter);
    Label20->setText(ru(RU("Велетрон-7М\nПрием сигналов")));
    Label19 = label(Panel1, {}, {20, 156, 260, 20});
    Label19->setAlignment(Qt::AlignCenter);
    Label19->setText(ru(RU("Версия 7.4")));
    for (QWidget* w : std::initializer_list<QWidget*>{Panel1, Image3, Label20, Label19, Shape3}) w->installEventFilter(this);
    Panel1->raise();

    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    Timer2 = new QTimer(this);
    Timer2->setInterval(3000);
    connect(Timer1, &QTimer::timeout, this, [this] { guard([this] { Timer1Timer(); }); });
    connect(Timer2, &QTimer::timeout, this, [this] { guard([this] { Timer2Timer(); }); });

    connect(SpeedButton13, &QToolButton::clicked, this, [this] { guard([this] { OpenRecordTimeEditor(1); }); });
    connect(SpeedButton14, &QToolButton::clicked, this, [this] { guard([this] { OpenRecordTimeEditor(2); }); });
    connect(SpeedButton2, &QToolButton::clicked, this, [this] { guard([this] { ShowChannelView(1); }); });
    connect(SpeedButton5, &QToolButton::clicked, this, [this] { guard([this] { ShowChannelView(2); }); });
    connect(SpeedButton8, &QToolButton::clicked, this, [this] { guard([this] { ShowAcquisitionHelp(); }); });
    connect(SpeedButton3, &QToolButton::clicked, this, [this] { guard([this] { StopRecording(1); }); });
    connect(SpeedButton6, &QToolButton::clicked, this, [this] { guard([this] { StopRecording(2); }); });
    connect(SpeedButton1, &QToolButton::clicked, this, [this] {
        guard([this] { engine_->togglePolarity(1); });
        ShowRegime();
    });
    connect(SpeedButton4, &QToolButton::clicked, this, [this] {
        guard([this] { engine_->togglePolarity(2); });
        ShowRegime();
    });
    connect(SpeedButton17, &QToolButton::clicked, this, [this] {
        guard([this] {
            HidePopups();
            engine_->togglePairSaving();
        });
        ShowRegime();
    });
    connect(StGr1, &QTableWidget::cellClicked, this, [this](int row, int column) { guard([&] { StGr1Click(row, column); }); });
    connect(StGr1, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (fillingGrid_ || item->column() < 1) return;
        guard([&] { engine_->regime().cellTyped(item->row(), item->column(), fromQString(item->text())); });
        ShowRegime();
    });
    // The list's item is taken when it is chosen in the dropped-down list (a click or Enter
    // there). The box also reports an activation for the arrows and the wheel over the closed
    // box, and when the focus leaves it with a text equal to an item (as when the list drops
    // down): those only show the item, so that no method or entry is applied unasked.
    connect(ComboBox3, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        if (!std::exchange(listChoice_, false)) return;
        guard([&] { ComboBox3Click(index); });
    });
    ComboBox3->view()->installEventFilter(this);
    ComboBox3->view()->viewport()->installEventFilter(this);
    connect(SpeedButton22, &QToolButton::clicked, this, [this] {
        guard([this] {
            engine_->toggleChannel2();
            SpeedButton22->setChecked(engine_->state().settings.channel2On);
            SpeedButton22->setText(ru(engine_->state().settings.channel2On ? RU("Вкл.") : RU("Выкл.")));
        });
    });

    // The voltage calibration's setup panel.
    connect(SpeedButton11, &QToolButton::clicked, this, [this] { guard([this] { SpeedButton11Click(); }); });
    connect(SpeedButton9, &QToolButton::clicked, this, [this] { guard([this] { engine_->connectReference(); }); });
    connect(SpeedButton10, &QToolButton::clicked, this, [this] { guard([this] { engine_->connectZero(); }); });
    connect(SpeedButton16, &QToolButton::clicked, this,
            [this] { guard([this] { engine_->startCalibrationCycle(fromQString(Edit3->text())); }); });
    connect(SpeedButton12, &QToolButton::clicked, this, [this] { guard([this] { engine_->selectChannelPair(true); }); });
    connect(SpeedButton15, &QToolButton::clicked, this, [this] { guard([this] { engine_->selectChannelPair(false); }); });
    const std::array<QToolButton*, 4> corrections{SpeedButton7, SpeedButton19, SpeedButton20, SpeedButton21};
    for (int p = 0; p < 4; ++p)
        connect(corrections[size_t(p)], &QToolButton::clicked, this,
                [this, p] { guard([this, p] { engine_->takeZeroCorrection(p); }); });
    connect(SpeedButton18, &QToolButton::clicked, this, [this] { guard([this] { LeaveCalibration(false); }); });
    for (QToolButton* b : {SpeedButton11, SpeedButton9, SpeedButton10, SpeedButton16, SpeedButton12, SpeedButton15,
                           SpeedButton7, SpeedButton19, SpeedButton20, SpeedButton21, SpeedButton18})
        connect(b, &QToolButton::clicked, this, [this] { UpdateCalibrationControls(); });

    keyPreview_ = new KeyPreview(this, [this](QKeyEvent* e) { return previewKey(e); });
    FormCreate();
}

TForm1::~TForm1() {
    engine_->setBlockObserver(nullptr);
    engine_->destroy();
}

void TForm1::setOtherForms(TForm2* form2, TForm3* form3, TForm4* form4) {
    form2_ = form2;
    form3_ = form3;
    form4_ = form4;
    for (ChannelViewWindow* view : std::initializer_list<ChannelViewWindow*>{form2_, form3_})
        if (view) view->setHelpHandler([this] {
            if (!form4_) return;
            AcquisitionHelpContext c;
            c.regimeListShown = ComboBox3->isVisible();
            c.calibrationPanelShown = Panel3->isVisible();
            c.channelViewFocused = true;  // F1 or "?" of the view itself
            form4_->showPage(acquisitionHelpPage(c));
        });
    viewRecordTime_ = {-1, -1};
    ShowRegime();
}

void TForm1::ShowAcquisitionHelp() {
    if (!form4_) return;
    AcquisitionHelpContext c;
    c.regimeListShown = ComboBox3->isVisible();
    c.calibrationPanelShown = Panel3->isVisible();
    c.channelViewFocused = (form2_ && form2_->isVisible() && form2_->isActiveWindow()) ||
                           (form3_ && form3_->isVisible() && form3_->isActiveWindow());
    form4_->showPage(acquisitionHelpPage(c));
}

void TForm1::guard(const std::function<void()>& action) { guarded(dialogs_, action); }

void TForm1::FormCreate() {
    StGr1->setColumnWidth(0, 170);
    StGr1->setColumnWidth(1, 127);
    StGr1->setColumnWidth(2, 127);
    Label1->clear();
    Label2->clear();
    engine_->create(Image1->picture().width(), Image1->picture().height());
    DrawLevelScale(1);
    DrawLevelScale(2);
    Label14->clear();
    Label15->clear();
    ShowRegime();
    ShowRecordingState();
    const bool on = engine_->state().settings.channel2On;
    SpeedButton22->setChecked(on);
    SpeedButton22->setText(ru(on ? RU("Вкл.") : RU("Выкл.")));
    UpdateCalibrationControls();
    Timer1->start();
    Timer2->start();
}

void TForm1::SpeedButton11Click() {
    if (!engine_->calibrationAllowed()) return;
    Edit3->setText(ru(engine_->openCalibration()));
    Label3->setVisible(false);
    Label7->setVisible(false);
    Edit3->setVisible(true);
    Panel3->setVisible(true);
    Edit3->setFocus();
}

void TForm1::LeaveCalibration(bool anyState) {
    if (!engine_->leaveCalibration(anyState)) return;
    Panel3->setVisible(false);
    Label3->setVisible(true);
    Label7->setVisible(true);
    UpdateCalibrationControls();
}

void TForm1::UpdateCalibrationControls() {
    const AcquisitionState& st = engine_->state();
    GroupBox1->setTitle(ru(st.groupCaption[0]));
    GroupBox2->setTitle(ru(st.groupCaption[1]));
    const bool allowed = engine_->calibrationAllowed();
    SpeedButton11->setEnabled(allowed);
    SpeedButton9->setEnabled(allowed);
    SpeedButton10->setEnabled(allowed);
    SpeedButton16->setEnabled(allowed);
    SpeedButton12->setEnabled(engine_->pairSwitchAllowed());
    SpeedButton15->setEnabled(engine_->pairSwitchAllowed());
    const std::array<QToolButton*, 4> corrections{SpeedButton7, SpeedButton19, SpeedButton20, SpeedButton21};
    for (size_t p = 0; p < 4; ++p) corrections[p]->setEnabled(st.correctionEnabled[p]);
}

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (startMessagesShown_) return;
    startMessagesShown_ = true;
    // The boxes of the start appear over the visible main window.
    QTimer::singleShot(0, this, [this] { engine_->showStartMessages(); });
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (closed_) {
        event->accept();
        return;
    }
    bool close = true;
    guard([&] { close = engine_->close(); });
    if (!close) {
        event->ignore();
        return;
    }
    closed_ = true;
    Timer1->stop();
    Timer2->stop();
    for (QWidget* w : std::initializer_list<QWidget*>{form2_, form3_, form4_})
        if (w) w->hide();
    event->accept();
    emit programClosed();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress && Panel1->isVisible() &&
        (watched == Panel1 || watched == Image3 || watched == Label20 || watched == Label19 || watched == Shape3)) {
        ShowAbout(false);
    }
    // A click on an item of the dropped-down list is a choice; so is Enter there, which the
    // list takes already when it is offered as a shortcut, before the key press.
    QAbstractItemView* list = ComboBox3->view();
    if (watched == list && event->type() == QEvent::Show) listChoice_ = false;
    if (watched == list->viewport() && event->type() == QEvent::MouseButtonRelease)
        listChoice_ = list->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint()).isValid();
    if (watched == list && event->type() == QEvent::ShortcutOverride && list->isVisible()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && list->currentIndex().isValid()) listChoice_ = true;
    }
    return false;
}

bool TForm1::previewKey(QKeyEvent* key) {
    // The window's keys act whichever control has the focus.
    guard([&] { FormKeyDown(key->key()); });

    QWidget* focus = focusWidget();
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    const bool escape = key->key() == Qt::Key_Escape;

    // The reference voltage's editor: Esc leaves the calibration, whatever its state.
    if (focus == Edit3 && escape) {
        guard([&] { LeaveCalibration(true); });
        return true;
    }

    // The list above the grid, closed or dropped down: F8 on the method row deletes the
    // method highlighted. While the list is dropped down, the list has the other keys: Enter
    // and a click choose the item highlighted, Esc closes the list.
    if (focus == ComboBox3 && ComboBox3->isVisible()) {
        if (key->key() == Qt::Key_F8 && gridRow_ == regime_row::Method) {
            guard([this] { ComboBox3Delete(); });
            return true;
        }
        if (ComboBox3->view()->isVisible()) {
            if (enter && ComboBox3->view()->currentIndex().isValid()) listChoice_ = true;
            return false;
        }
        if (enter) {
            guard([this] { ComboBox3Enter(); });
            return true;
        }
        if (escape) {
            ComboBox3->setVisible(false);
            return true;
        }
        return false;
    }
    if (focus == Edit1 && Edit1->isVisible()) {
        if (enter) {
            guard([this] { Edit1Enter(); });
            return true;
        }
        if (escape) {
            Edit1->setVisible(false);
            return true;
        }
    }

    // The record-time editors: Enter accepts, Esc cancels.
    for (int ch = 1; ch <= 2; ++ch) {
        QLineEdit* edit = ch == 1 ? Edit4 : Edit5;
        if (focus != edit || !edit->isVisible()) continue;
        if (enter) {
            guard([&] { CloseRecordTimeEditor(ch, true); });
            return true;
        }
        if (escape) {
            CloseRecordTimeEditor(ch, false);
            return true;
        }
    }
    return false;
}

void TForm1::FormKeyDown(int key) {
    switch (key) {
        case Qt::Key_F1: ShowAcquisitionHelp(); break;
        case Qt::Key_F10: StartRecording(1); break;
        case Qt::Key_F11: StartRecording(2); break;
        case Qt::Key_F12: ToggleDiagnostics(); break;
        case Qt::Key_Escape: ShowAbout(false); break;
        default: break;
    }
}

void TForm1::ShowAbout(bool shown) { Panel1->setVisible(shown); }

void TForm1::Timer1Timer() {
    if (form2_ && form2_->isVisible()) form2_->RefreshView();
    if (form3_ && form3_->isVisible()) form3_->RefreshView();
    engine_->timerTick();
    Shape1->setBrush(engine_->state().blinkPhase[0] ? kLime : kGreen);
    Shape2->setBrush(engine_->state().blinkPhase[1] ? kLime : kGreen);
}

void TForm1::Timer2Timer() {
    ShowAbout(false);
    Timer2->stop();
}

void TForm1::ToggleDiagnostics() {
    engine_->toggleDiagnostics();
    const bool shown = engine_->state().diagnosticsShown;
    for (QLabel* l : {Label9, Label14, Label10, Label15, Label6, Label8, InputLabel}) l->setVisible(shown);
    InputLabel->setText(ru(engine_->inputDiagnosticsText()));
    OutputLabel->setText(ru(engine_->outputDiagnosticsText()));
    OutputLabel->setVisible(shown && !OutputLabel->text().isEmpty());
}

void TForm1::OpenRecordTimeEditor(int channel) {
    QLineEdit* edit = channel == 1 ? Edit4 : Edit5;
    QToolButton* button = channel == 1 ? SpeedButton13 : SpeedButton14;
    edit->setText(ru(engine_->recordTimeEditText(channel)));
    edit->setVisible(true);
    button->setVisible(false);
    edit->setFocus();
}

void TForm1::CloseRecordTimeEditor(int channel, bool accept) {
    QLineEdit* edit = channel == 1 ? Edit4 : Edit5;
    QToolButton* button = channel == 1 ? SpeedButton13 : SpeedButton14;
    if (accept) {
        if (engine_->isRecording(channel)) {
            edit->setVisible(false);
            button->setVisible(true);
            return;
        }
        engine_->acceptRecordTime(channel, fromQString(edit->text()));
        const uint16_t seconds = engine_->state().settings.recordTimeSec[size_t(channel - 1)];
        if (channel == 1 && form2_) form2_->setRecordTimeSec(seconds);
        if (channel == 2 && form3_) form3_->setRecordTimeSec(seconds);
        viewRecordTime_[size_t(channel - 1)] = seconds;
    }
    edit->setVisible(false);
    button->setVisible(true);
}

void TForm1::ShowChannelView(int channel) {
    QWidget* view = channel == 1 ? static_cast<QWidget*>(form2_) : static_cast<QWidget*>(form3_);
    if (!view) return;
    if (view->isVisible()) {
        view->raise();
        view->activateWindow();
    } else if (channel == 1) {
        form2_->ShowChannelView();
    } else {
        form3_->ShowChannelView();
    }
}

void TForm1::DrawLevelScale(int channel) {
    const LevelScaleGeometry& g = engine_->levelScale(channel);
    QImage& img = (channel == 1 ? Image1 : Image2)->picture();
    QPainter p(&img);
    p.fillRect(0, 0, g.width, g.height, buttonFace());
    p.setPen(kNavy);
    p.setFont(scaleFont());
    const QFontMetrics fm(p.font());
    for (const LevelTick& t : g.ticks) {
        p.drawLine(t.x, g.tickTop, t.x, g.tickBottom - 1);  // the end pixel is left out
        // A label that would run past the image's right edge ("150" under the last tick) ends
        // at the edge instead of being cut.
        const QString label = ru(t.label);
        const int x = std::min(t.x, g.width - fm.boundingRect(label).width() - 1);
        p.drawText(QRect(x, g.labelY, 40, g.height - g.labelY), Qt::AlignLeft | Qt::AlignTop, label);
    }
    (channel == 1 ? Image1 : Image2)->update();
}

void TForm1::DrawLevelBar(int channel) {
    const LevelScaleGeometry& g = engine_->levelScale(channel);
    const ChannelDisplay& d = engine_->display(channel);
    TImage* image = channel == 1 ? Image1 : Image2;
    QPainter p(&image->picture());
    // A rectangle (l, t, r, b) covers l..r-1 and t..b-1, its outline in the pen.
    p.setPen(kNavy);
    p.setBrush(buttonFace());
    p.drawRect(0, 0, g.width - 1, g.barHeight - 1);
    if (d.barShown && d.barWidth > 0) {
        p.setBrush(d.barRed ? kRed : kBlue);
        p.drawRect(0, 0, d.barWidth - 1, g.barHeight - 1);
    }
    image->update();
}

void TForm1::MMInOpen() {
    const std::array<QLabel*, 2> value{Label1, Label2}, adc{Label9, Label10}, noise{Label14, Label15},
        frequency{Label6, Label8};
    for (int ch = 1; ch <= 2; ++ch) {
        const size_t i = size_t(ch - 1);
        const ChannelDisplay& d = engine_->display(ch);
        value[i]->setText(ru(d.valueText));
        adc[i]->setText(ru(d.adcText));
        noise[i]->setText(ru(d.noiseText));
        frequency[i]->setText(ru(d.frequencyText));
        DrawLevelBar(ch);
    }
    if (InputLabel->isVisible()) InputLabel->setText(ru(engine_->inputDiagnosticsText()));
    UpdateCalibrationControls();
    // A recording started or stopped by the carrier or the planned count, a pair switched
    // at the end of a calibration cycle.
    ShowRecordingState();
    if (engine_->state().regime.generation != shownRegimeGeneration_) ShowRegime();
}

// ---- recording -------------------------------------------------------------------------

void TForm1::StartRecording(int channel) {
    // F10/F11 while the calibration's setup is open: the inputs may be on the reference
    // voltage, so no recording starts, and the user is told why.
    if (!engine_->isRecording(channel) && engine_->state().calibrationState != 0) {
        dialogs_.info(RU("Идет калибровка: запись не начата."));
        return;
    }
    // A failure to create the file is shown by the guard; the controls show what is true.
    struct Show {
        TForm1* f;
        ~Show() { f->ShowRecordingState(); }
    } show{this};
    engine_->startRecording(channel);
}

void TForm1::StopRecording(int channel) {
    engine_->stopRecording(channel);
    ShowRecordingState();
}

void TForm1::ShowRecordingState() {
    struct Controls {
        QToolButton *preview, *stop, *recordTime, *polarity;
        TShape* marker;
        QLabel* progress;
        QWidget* view;
    };
    const std::array<Controls, 2> controls{
        Controls{SpeedButton2, SpeedButton3, SpeedButton13, SpeedButton1, Shape1, Label12, form2_},
        Controls{SpeedButton5, SpeedButton6, SpeedButton14, SpeedButton4, Shape2, Label13, form3_}};
    for (int ch = 1; ch <= 2; ++ch) {
        const Controls& c = controls[size_t(ch - 1)];
        const bool rec = engine_->isRecording(ch);
        // A view open on a recording that has just ended is closed with it.
        if (!rec && c.stop->isEnabled() && c.view && c.view->isVisible()) c.view->hide();
        c.preview->setEnabled(rec);
        c.stop->setEnabled(rec);
        c.recordTime->setEnabled(!rec);
        c.polarity->setEnabled(!rec);
        c.marker->setVisible(rec);
        c.progress->setVisible(rec);
        c.progress->setText(rec ? ru(engine_->display(ch).progressText) : QString());
    }
    SpeedButton11->setEnabled(!engine_->anyRecording());
    SpeedButton17->setEnabled(!engine_->anyRecording());
}

// ---- regime grid -----------------------------------------------------------------------

void TForm1::ShowRegime() {
    const AcquisitionState& st = engine_->state();
    fillingGrid_ = true;
    auto put = [this](int row, int column, const std::string& text, bool editable) {
        QTableWidgetItem* item = StGr1->item(row, column);
        if (!item) {
            item = new QTableWidgetItem;
            StGr1->setItem(row, column, item);
        }
        item->setText(ru(text));
        item->setFlags(editable ? (Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable)
                                : (Qt::ItemIsEnabled | Qt::ItemIsSelectable));
    };
    for (int row = 0; row < kRegimeGridRows; ++row) {
        put(row, 0, st.regime.captions[size_t(row)], false);
        // Rows that open a list or the name editor are not typed in place.
        const bool inPlace = row >= 1 && row <= regime_row::R && !regimeDictionary(row);
        for (int ch = 1; ch <= 2; ++ch) put(row, ch, engine_->regime().cell(row, ch), inPlace);
    }
    fillingGrid_ = false;
    shownRegimeGeneration_ = st.regime.generation;
    Label3->setText(ru(engine_->channelLabel(1)));
    Label7->setText(ru(engine_->channelLabel(2)));
    GroupBox1->setTitle(ru(engine_->channelLabel(1)));
    GroupBox2->setTitle(ru(engine_->channelLabel(2)));
    SpeedButton1->setText(st.polarity[0] ? "-" : "+");
    SpeedButton4->setText(st.polarity[1] ? "-" : "+");
    if (!Edit4->isVisible()) Edit4->setText(ru(engine_->recordTimeEditText(1)));
    if (!Edit5->isVisible()) Edit5->setText(ru(engine_->recordTimeEditText(2)));
    // A record time changed by the pair switch or a method: the view's range follows it.
    for (int ch = 1; ch <= 2; ++ch) {
        const int t = st.settings.recordTimeSec[size_t(ch - 1)];
        if (viewRecordTime_[size_t(ch - 1)] == t) continue;
        viewRecordTime_[size_t(ch - 1)] = t;
        if (ch == 1 && form2_) form2_->setRecordTimeSec(uint16_t(t));
        if (ch == 2 && form3_) form3_->setRecordTimeSec(uint16_t(t));
    }
}

void TForm1::HidePopups() {
    ComboBox3->setVisible(false);
    Edit1->setVisible(false);
}

void TForm1::StGr1Click(int row, int column) {
    if (column < 1) return;
    gridRow_ = row;
    gridColumn_ = column;
    struct Show {
        TForm1* f;
        ~Show() { f->ShowRegime(); }
    } show{this};
    const RegimeEditor::PopupView v = engine_->regime().click(row, column);
    HidePopups();
    if (v.kind == RegimeEditor::Popup::List) {
        ComboBox3->clear();
        for (const auto& item : v.items) ComboBox3->addItem(ru(item));
        ComboBox3->setCurrentIndex(-1);
        ComboBox3->setEditText(ru(v.text));
        ComboBox3->setVisible(true);
        ComboBox3->setFocus();
    } else if (v.kind == RegimeEditor::Popup::Edit) {
        Edit1->setText(ru(v.text));
        Edit1->setVisible(true);
        Edit1->setFocus();
    }
}

void TForm1::ComboBox3Click(int index) {
    struct Show {
        TForm1* f;
        ~Show() { f->ShowRegime(); }
    } show{this};
    const std::string text = fromQString(ComboBox3->itemText(index));
    ComboBox3->setVisible(false);
    engine_->regime().listChosen(gridRow_, gridColumn_, index, text);
}

void TForm1::ComboBox3Enter() {
    struct Show {
        TForm1* f;
        ~Show() { f->ShowRegime(); }
    } show{this};
    const std::string text = fromQString(ComboBox3->currentText());
    ComboBox3->setVisible(false);
    engine_->regime().listEnter(gridRow_, gridColumn_, text);
}

void TForm1::ComboBox3Delete() {
    // The item highlighted in the dropped-down list, else the name the box shows.
    const int highlighted = ComboBox3->view()->isVisible() ? ComboBox3->view()->currentIndex().row() : -1;
    const std::string name = fromQString(highlighted >= 0 ? ComboBox3->itemText(highlighted) : ComboBox3->currentText());
    if (engine_->regime().deleteMethod(name)) ComboBox3->setVisible(false);
}

void TForm1::Edit1Enter() {
    struct Show {
        TForm1* f;
        ~Show() { f->ShowRegime(); }
    } show{this};
    Edit1->setVisible(false);
    engine_->regime().nameEntered(gridColumn_, fromQString(Edit1->text()));
}

}  // namespace vk7
