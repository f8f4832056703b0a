// Peak modelling window (TForm8) "Моделирование пиков".
#include "processing/forms/picmod.h"

#include <cmath>

#include <QFrame>
#include <QHideEvent>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QSlider>
#include <QToolButton>

#include "common/cp1251.h"
#include "platform/qt/event_guard.h"
#include "platform/qt/qt_text.h"

namespace vk7 {

namespace {

QString ru(const std::string& cp1251) { return toQString(cp1251); }

// The explanatory picture: a large and a small Gaussian and their sum.
QPixmap gaussiansPicture(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    auto curve = [&](QColor colour, auto value) {
        p.setPen(QPen(colour, 1));
        QPointF last(0, h - 4 - value(0.0));
        for (int x = 1; x < w; ++x) {
            const QPointF next(x, h - 4 - value(static_cast<double>(x)));
            p.drawLine(last, next);
            last = next;
        }
    };
    auto g = [](double x, double c, double s, double a) { return a * std::exp(-(x - c) * (x - c) / (2 * s * s)); };
    const double big = 0.75 * (h - 8), small = 0.3 * (h - 8);
    curve(QColor(0, 0, 128), [&](double x) { return g(x, 0.42 * w, 0.1 * w, big); });
    curve(QColor(0, 128, 0), [&](double x) { return g(x, 0.62 * w, 0.07 * w, small); });
    curve(QColor(0, 128, 128), [&](double x) { return g(x, 0.42 * w, 0.1 * w, big) + g(x, 0.62 * w, 0.07 * w, small); });
    return QPixmap::fromImage(image);
}

QToolButton* button(QWidget* parent, const char* name, const QString& caption, const QString& hint) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(caption);
    b->setToolTip(hint);
    return b;
}

}  // namespace

TForm8::TForm8(ProcessingState& state, Dialogs& dialogs, QWidget* owner)
    : ToolWindow(QStringLiteral("Form8"), ru(RU("Моделирование пиков")), owner), state_(state), dialogs_(dialogs) {
    setFixedSize(470, 300);

    Label1 = new QLabel(ru(RU("Укажите первый пик группы")), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 6, 300, 20);

    SpeedButton2 = button(this, "SpeedButton2", QStringLiteral("<"), ru(RU("Предыдущий пик")));
    SpeedButton3 = button(this, "SpeedButton3", QStringLiteral(">"), ru(RU("Следующий пик")));
    SpeedButton4 = button(this, "SpeedButton4", QStringLiteral("ok"), ru(RU("Моделирование окончено")));
    SpeedButton1 = button(this, "SpeedButton1", QStringLiteral("?"), QString());
    SpeedButton2->setGeometry(310, 4, 36, 24);
    SpeedButton3->setGeometry(348, 4, 36, 24);
    SpeedButton4->setGeometry(386, 4, 36, 24);
    SpeedButton1->setGeometry(430, 4, 30, 24);

    Panel3 = new QFrame(this);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setFrameShape(QFrame::StyledPanel);
    Panel3->setGeometry(4, 32, 462, 264);

    Panel2 = new QFrame(Panel3);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameShape(QFrame::StyledPanel);
    Panel2->setGeometry(40, 8, 380, 150);
    Image1 = new QLabel(Panel2);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(2, 2, 376, 146);
    Image1->setPixmap(gaussiansPicture(376, 146));

    struct Def {
        ModelBar bar;
        const char* name;
        const std::string& hint;
        Qt::Orientation orientation;
        QRect geometry;
    };
    const Def defs[] = {
        {BarLargeApex, "TrackBar7", RU("Положение вершины большой гауссианы"), Qt::Horizontal, {40, 162, 380, 24}},
        {BarLargeHeight, "TrackBar2", RU("Высота большой гауссианы"), Qt::Vertical, {8, 8, 26, 150}},
        {BarLargeWidth, "TrackBar1", RU("Ширина большой гауссианы"), Qt::Horizontal, {40, 188, 380, 24}},
        {BarSmallApex, "TrackBar9", RU("Положение вершины малой гауссианы"), Qt::Horizontal, {40, 212, 380, 24}},
        {BarSmallHeight, "TrackBar10", RU("Высота малой гауссианы"), Qt::Vertical, {428, 8, 26, 150}},
        {BarSmallWidth, "TrackBar3", RU("Ширина малой гауссианы"), Qt::Horizontal, {40, 236, 380, 24}},
    };
    for (const Def& d : defs) {
        auto* s = new QSlider(d.orientation, Panel3);
        s->setObjectName(QString::fromLatin1(d.name));
        s->setToolTip(ru(d.hint));
        s->setGeometry(d.geometry);
        // A vertical bar has its minimum at the top.
        if (d.orientation == Qt::Vertical) s->setInvertedAppearance(true);
        bars_[static_cast<size_t>(d.bar)] = s;
        const ModelBar which = d.bar;
        connect(s, &QSlider::valueChanged, this, [this, which](int v) { TrackBarChange(which, v); });
    }
    TrackBar7 = trackBar(BarLargeApex);
    TrackBar2 = trackBar(BarLargeHeight);
    TrackBar1 = trackBar(BarLargeWidth);
    TrackBar9 = trackBar(BarSmallApex);
    TrackBar10 = trackBar(BarSmallHeight);
    TrackBar3 = trackBar(BarSmallWidth);

    connect(SpeedButton1, &QToolButton::clicked, this, &TForm8::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TForm8::SpeedButton2Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TForm8::SpeedButton3Click);
    connect(SpeedButton4, &QToolButton::clicked, this, &TForm8::SpeedButton4Click);
    for (QToolButton* b : {SpeedButton2, SpeedButton3, SpeedButton4}) b->hide();
}

Canvas* TForm8::canvas() { return hooks_.plotCanvas ? &hooks_.plotCanvas() : nullptr; }

void TForm8::StartModelling() {
    Panel3->setEnabled(true);
    state_.ClickMode = 88;
    showInFront();
}

void TForm8::GroupPicked(const MarkupClickResult& pick) {
    guarded(dialogs_, [&] {
        switch (pick.Pick) {
            case GroupPickOutcome::None: return;
            case GroupPickOutcome::TooManyPeaks: dialogs_.info(pick.Message); return;
            case GroupPickOutcome::TooWide:
                Label1->setText(ru(pick.PickLabel));
                dialogs_.info(pick.Message);
                hide();
                return;
            case GroupPickOutcome::Picked: break;
        }
        Label1->setText(ru(pick.PickLabel));
        for (QToolButton* b : {SpeedButton2, SpeedButton3, SpeedButton4}) b->show();
        state_.Model.CurrentModelPeak = 0;
        SetModelTrackBars();
        BuildPeakModel(state_.Model);
        Canvas* c = canvas();
        if (c) DrawModel(*c, state_.Model, state_.Markup, state_.View);
        state_.ClickMode = 90;
        if (c) DrawModelPeakMarker(*c, state_.Model, state_.Markup, state_.View);
    });
}

void TForm8::SetModelTrackBars() {
    const int saved = state_.ClickMode;
    state_.ClickMode = 91;
    const auto settings = vk7::SetModelTrackBars(state_.Model);
    for (int b = 0; b < kModelBars; ++b) {
        QSlider* s = bars_[static_cast<size_t>(b)];
        const BarSetting& v = settings[static_cast<size_t>(b)];
        s->setRange(v.Minimum, v.Maximum);
        s->setValue(v.Position);
    }
    state_.ClickMode = saved == 91 ? 90 : saved;
}

void TForm8::TrackBarChange(ModelBar bar, int position) {
    if (state_.ClickMode != 90) return;
    guarded(dialogs_, [&] {
        Canvas* c = canvas();
        if (c && state_.Model.CurveShown) DrawModel(*c, state_.Model, state_.Markup, state_.View);
        SetModelValue(state_.Model, bar, position);
        BuildPeakModel(state_.Model);
        if (c) DrawModel(*c, state_.Model, state_.Markup, state_.View);
    });
}

void TForm8::stepPeak(int delta) {
    if (state_.ClickMode != 90) return;
    guarded(dialogs_, [&] {
        Canvas* c = canvas();
        state_.ClickMode = 92;
        if (c && state_.Model.MarkerShown) DrawModelPeakMarker(*c, state_.Model, state_.Markup, state_.View);
        const int next = state_.Model.CurrentModelPeak + delta;
        if (next >= 0 && next < state_.Model.count()) state_.Model.CurrentModelPeak = next;
        state_.ClickMode = 90;
        SetModelTrackBars();
        if (c) DrawModelPeakMarker(*c, state_.Model, state_.Markup, state_.View);
    });
}

void TForm8::SpeedButton2Click() { stepPeak(-1); }
void TForm8::SpeedButton3Click() { stepPeak(+1); }

void TForm8::SpeedButton4Click() {
    if (state_.ClickMode != 90) return;
    guarded(dialogs_, [&] {
        PeakGroupModel& model = state_.Model;
        if (!IsSameGroup(state_.Markup, model.SelectedPeak, model.GroupLastPeak)) {
            dialogs_.info(GroupChangedText());
            return;
        }
        state_.ClickMode = 0;
        Canvas* c = canvas();
        if (c && model.CurveShown) DrawModel(*c, model, state_.Markup, state_.View);
        if (c && model.MarkerShown) DrawModelPeakMarker(*c, model, state_.Markup, state_.View);
        PeakMarkup markup = state_.Markup;
        ApplyPeakModel(model, markup, c, state_.View);
        if (hooks_.applyAreas) hooks_.applyAreas(std::move(markup));
        Panel3->setEnabled(false);
        Label1->setText(ru(RU("Произведен перерасчет")));
        state_.GroupAreasFromModelling = true;
    });
}

void TForm8::SpeedButton1Click() {
    if (hooks_.showHelpPage) hooks_.showHelpPage(help_page::PeakModelling);
}

void TForm8::hideEvent(QHideEvent* event) {
    ToolWindow::hideEvent(event);
    if (!event->spontaneous()) FormHide();
}

void TForm8::FormHide() {
    state_.ClickMode = 0;
    Label1->setText(ru(RU("Укажите первый пик группы")));
    Label1->show();
    for (QToolButton* b : {SpeedButton2, SpeedButton3, SpeedButton4}) b->hide();
    state_.Model.CurveShown = state_.Model.MarkerShown = false;
    if (hooks_.repaintPlot) hooks_.repaintPlot();
}

}  // namespace vk7
