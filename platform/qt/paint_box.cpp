#include "platform/qt/paint_box.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

namespace vk7 {

PaintBox::PaintBox(QWidget* parent) : QWidget(parent), canvas_(0, 0) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    canvas_.setChangedHook([this] {
        if (updatePending_) return;
        updatePending_ = true;
        update();
    });
}

void PaintBox::paintEvent(QPaintEvent* event) {
    updatePending_ = false;
    QPainter p(this);
    p.drawImage(event->rect(), canvas_.image(), event->rect());
}

void PaintBox::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    canvas_.resize(width(), height(), background_);
    emit resized(width(), height());
}

void PaintBox::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    emit mouseDown(p.x(), p.y(), event->button());
}

void PaintBox::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    emit mouseMove(p.x(), p.y(), event->buttons());
}

void PaintBox::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    emit mouseUp(p.x(), p.y(), event->button());
}

void PaintBox::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click is a press as well, then the double click.
    const QPoint p = event->position().toPoint();
    emit mouseDown(p.x(), p.y(), event->button());
    emit doubleClicked(p.x(), p.y());
}

}  // namespace vk7
