// The window of a channel view, the common design of TForm2 "Канал 1" and TForm3 "Канал 2".
#include "acquisition/forms/channel_view_window.h"

#include <algorithm>

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "common/cp1251.h"
#include "platform/key_letters.h"
#include "platform/qt/event_guard.h"
#include "platform/qt/key_preview.h"
#include "platform/qt/paint_box.h"
#include "platform/qt/qt_text.h"

namespace vk7 {

namespace {

QString ru(const std::string& cp1251) { return toQString(cp1251); }

QToolButton* speedButton(QWidget* parent, const QString& caption, const QString& hint) {
    auto* b = new QToolButton(parent);
    b->setText(caption);
    b->setToolTip(hint);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

constexpr int kPanel2Height = 30;
constexpr int kPaintHeight = 258;

}  // namespace

ChannelViewWindow::ChannelViewWindow(AcquisitionEngine& engine, int channel, Colour curveColour, const QString& caption,
                                     QWidget* parent)
    : QWidget(parent, Qt::Window), engine_(engine), dialogs_(engine.dialogs()), channel_(channel), colour_(curveColour) {
    setWindowTitle(caption);
    Panel2 = new QFrame(this);
    Panel2->setFrameShape(QFrame::Panel);
    Panel2->setFrameShadow(QFrame::Raised);
    SpeedButton4 = speedButton(Panel2, "+", ru(RU("Больше в 2 раза")));
    SpeedButton5 = speedButton(Panel2, "-", ru(RU("Меньше в 2 раза")));
    SpeedButton6 = speedButton(Panel2, "M", ru(RU("Исходный масштаб и положение по вертикали (M)")));
    SpeedButton7 = speedButton(Panel2, "<", ru(RU("Окно влево")));
    SpeedButton1 = speedButton(Panel2, ">", ru(RU("Окно вправо")));
    SpeedButton9 = speedButton(Panel2, "F", ru(RU("Произвольный фрагмент (F)")));
    SpeedButton10 = speedButton(Panel2, "O", ru(RU("Обзор по горизонтали (O)")));
    SpeedButton8 = speedButton(Panel2, "?", ru(RU("Помощь (F1)")));
    int x = 4;
    for (QToolButton* b : {SpeedButton4, SpeedButton5, SpeedButton6, SpeedButton7, SpeedButton1, SpeedButton9, SpeedButton10}) {
        b->setGeometry(x, 3, 26, 24);
        x += 28;
    }
    Label1 = new QLabel(Panel2);
    Label1->setToolTip(ru(RU("Время в минутах на линейке")));
    Label1->setGeometry(x + 8, 5, 80, 20);
    Label2 = new QLabel(Panel2);
    Label2->setToolTip(ru(RU("Напряжение на линейке")));
    Label2->setGeometry(x + 92, 5, 90, 20);

    Panel1 = new QFrame(this);
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Sunken);
    PaintBox1 = new PaintBox(Panel1);
    Label3 = new QLabel(Panel1);
    Edit1 = new QLineEdit(Panel1);
    Edit1->setVisible(false);

    createChannelView(view_, 400, kPaintHeight, engine_.state().settings.recordTimeSec[size_t(channel - 1)]);

    auto click = [this](QToolButton* b, std::function<void()> action) {
        connect(b, &QToolButton::clicked, this, [this, action] {
            guard(action);
            RedrawChannelView();
        });
    };
    click(SpeedButton4, [this] { zoomChannelIn(view_); });
    click(SpeedButton5, [this] { zoomChannelOut(view_); });
    click(SpeedButton6, [this] { ResetChannelVertical(view_); });
    click(SpeedButton7, [this] { moveChannelWindowLeft(view_); });
    click(SpeedButton1, [this] { moveChannelWindowRight(view_, recordingEndSec()); });
    click(SpeedButton9, [this] { view_.fragmentMode = true; });
    click(SpeedButton10, [this] {
        ShowWholeRecording(view_, engine_.state().settings.recordTimeSec[size_t(channel_ - 1)]);
    });
    connect(SpeedButton8, &QToolButton::clicked, this, [this] {
        if (help_) guard(help_);
    });
    connect(PaintBox1, &PaintBox::mouseDown, this, [this](int px, int py, Qt::MouseButton) { PaintBox1MouseDown(px, py); });
    connect(PaintBox1, &PaintBox::mouseMove, this,
            [this](int px, int py, Qt::MouseButtons buttons) { PaintBox1MouseMove(px, py, buttons & Qt::LeftButton); });
    connect(PaintBox1, &PaintBox::mouseUp, this, [this](int px, int py, Qt::MouseButton) { PaintBox1MouseUp(px, py); });
    connect(PaintBox1, &PaintBox::doubleClicked, this, [this](int px, int py) { PaintBox1DblClick(px, py); });
    connect(PaintBox1, &PaintBox::resized, this, [this](int, int) { RedrawChannelView(); });
    keyPreview_ = new KeyPreview(this, [this](QKeyEvent* e) { return FormKeyDown(e); });

    setMinimumWidth(kChannelViewMinWidth);
    setFixedHeight(kChannelViewClientHeight);
    resize(640, kChannelViewClientHeight);
    layoutControls();
}

ChannelViewWindow::~ChannelViewWindow() {
    delete keyPreview_;
    keyPreview_ = nullptr;
}

void ChannelViewWindow::guard(const std::function<void()>& action) { guarded(dialogs_, action); }

int32_t ChannelViewWindow::recordingEndSec() const {
    const ChannelPreview& p = engine_.preview(channel_);
    const double pointsSec = p.rate > 0 ? double(p.pointCount) * p.width / p.rate : 0;
    return std::max<int32_t>(engine_.state().settings.recordTimeSec[size_t(channel_ - 1)], int32_t(pointsSec));
}

void ChannelViewWindow::setRecordTimeSec(uint16_t seconds) {
    view_.endSec = std::max<int32_t>(seconds, view_.startSec + 60);
}

void ChannelViewWindow::layoutControls() {
    const int w = width();
    Panel2->setGeometry(10, 2, w - 20, kPanel2Height);
    SpeedButton8->setGeometry(Panel2->width() - 32, 3, 26, 24);
    Panel1->setGeometry(10, kPanel2Height + 4, w - 20, kChannelViewClientHeight - kPanel2Height - 8);
    PaintBox1->setGeometry(8, 4, Panel1->width() - 16, kPaintHeight);
    Label3->setGeometry(8, kPaintHeight + 6, Panel1->width() - 130, 20);
    Edit1->setGeometry(Panel1->width() - 116, kPaintHeight + 4, 100, 22);
    setChannelViewSize(view_, PaintBox1->width(), PaintBox1->height());
}

void ChannelViewWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutControls();
    RedrawChannelView();
}

void ChannelViewWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // FormActivate: the caption names the channel's file and the channel.
    const ChannelRecording& r = engine_.recording(channel_);
    setWindowTitle(ru(r.fileName() + " " + engine_.state().settings.channelName[size_t(channel_ - 1)]));
    guard([this] { engine_.loadPreview(channel_); });
    RedrawChannelView();
}

void ChannelViewWindow::ShowChannelView() {
    guard([this] { engine_.loadPreview(channel_); });
    RedrawChannelView();
    show();
    raise();
    activateWindow();
}

void ChannelViewWindow::RefreshView() {
    guard([this] { engine_.loadPreview(channel_); });
    RedrawChannelView();
}

void ChannelViewWindow::RedrawChannelView() {
    // A paint box not laid out yet (the window never shown) has no image to draw on.
    if (PaintBox1->canvas().width() <= 0 || PaintBox1->canvas().height() <= 0) return;
    const ChannelPreview& p = engine_.preview(channel_);
    vk7::RedrawChannelView(PaintBox1->canvas(), view_, p, colour_);
    const ChannelReadout r = UpdateChannelReadout(view_, p);
    Label1->setText(ru(r.timeText));
    Label2->setText(ru(r.voltageText));
    ShowStatus();
}

void ChannelViewWindow::ShowStatus() {
    Label3->setText(ru(correctionStatusText(view_.correctionState)));
    if (view_.correctionState != 3) Edit1->setVisible(false);
}

bool ChannelViewWindow::FormKeyDown(QKeyEvent* key) {
    const int k = key->key();
    if (QApplication::focusWidget() == Edit1 && Edit1->isVisible()) {
        if (k == Qt::Key_Return || k == Qt::Key_Enter) {
            Edit1Enter();
            return true;
        }
        if (k != Qt::Key_F9 && k != Qt::Key_F1) return false;  // typing the length
    }
    std::function<void()> action;
    switch (k) {
        case Qt::Key_Up: action = [this] { zoomChannelIn(view_); }; break;
        case Qt::Key_Down: action = [this] { zoomChannelOut(view_); }; break;
        case Qt::Key_Left: action = [this] { moveChannelWindowLeft(view_); }; break;
        case Qt::Key_Right: action = [this] { moveChannelWindowRight(view_, recordingEndSec()); }; break;
        case Qt::Key_F9: action = [this] { toggleTimeCorrection(view_); }; break;
        case Qt::Key_F1:
            if (help_) guard(help_);
            return true;
        default: break;
    }
    if (!action && !isEditBox(QApplication::focusWidget())) {
        const QString text = key->text();
        const char letter = text.isEmpty() ? 0 : latinKeyLetter(text.at(0).unicode());
        if (letter == 'M') action = [this] { ResetChannelVertical(view_); };
        if (letter == 'F') action = [this] { view_.fragmentMode = true; };
        if (letter == 'O')
            action = [this] { ShowWholeRecording(view_, engine_.state().settings.recordTimeSec[size_t(channel_ - 1)]); };
    }
    if (!action) return false;
    guard(action);
    RedrawChannelView();
    return true;
}

void ChannelViewWindow::PaintBox1MouseDown(int x, int y) {
    if (view_.fragmentMode) {
        view_.dragging = true;
        view_.dragStart = view_.dragEnd = {x, y};
        return;
    }
    Canvas& c = PaintBox1->canvas();
    DrawChannelCursor(c, view_);  // erased
    std::optional<std::string> marked;
    guard([&] { marked = pressChannelCursor(view_, engine_.preview(channel_), x); });
    DrawChannelCursor(c, view_);
    const ChannelReadout r = UpdateChannelReadout(view_, engine_.preview(channel_));
    Label1->setText(ru(r.timeText));
    Label2->setText(ru(r.voltageText));
    ShowStatus();
    if (marked) {
        Edit1->setText(ru(*marked));
        Edit1->setVisible(true);
        Edit1->setFocus();
    }
}

void ChannelViewWindow::PaintBox1MouseMove(int x, int y, bool buttonHeld) {
    if (!view_.dragging || !buttonHeld) return;
    Canvas& c = PaintBox1->canvas();
    c.setPen(Pen{0x0000FF, 1, PenMode::NotXor});
    c.setBrush(Brush{0xFFFFFF, true});
    c.rectangle(view_.dragStart.x, view_.dragStart.y, view_.dragEnd.x, view_.dragEnd.y);  // erased
    view_.dragEnd = {x, y};
    c.rectangle(view_.dragStart.x, view_.dragStart.y, view_.dragEnd.x, view_.dragEnd.y);
}

void ChannelViewWindow::PaintBox1MouseUp(int x, int y) {
    if (!view_.dragging) return;
    Canvas& c = PaintBox1->canvas();
    c.setPen(Pen{0x0000FF, 1, PenMode::NotXor});
    c.setBrush(Brush{0xFFFFFF, true});
    c.rectangle(view_.dragStart.x, view_.dragStart.y, view_.dragEnd.x, view_.dragEnd.y);  // erased
    c.setPen(Pen{0x0000FF, 1, PenMode::Copy});
    c.rectangle(view_.dragStart.x, view_.dragStart.y, x, y);
    if (finishChannelFragment(view_, view_.dragStart, {x, y})) RedrawChannelView();
}

void ChannelViewWindow::PaintBox1DblClick(int x, int) {
    guard([&] { shiftChannelZero(view_, engine_.preview(channel_), x); });
    RedrawChannelView();
}

void ChannelViewWindow::Edit1Enter() {
    guard([this] {
        engine_.correctTimeScale(view_.correctionStartSec, view_.correctionEndSec, fromQString(Edit1->text()));
    });
    view_.correctionState = 0;
    Edit1->setVisible(false);
    RedrawChannelView();
}

}  // namespace vk7
