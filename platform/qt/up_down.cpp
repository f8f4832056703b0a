#include "platform/qt/up_down.h"

#include <algorithm>

#include <QToolButton>
#include <QVBoxLayout>

namespace vk7 {

UpDown::UpDown(int min, int max, QWidget* parent)
    : QWidget(parent), min_(min), max_(std::max(min, max)), position_(min), up_(new QToolButton(this)),
      down_(new QToolButton(this)) {
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    up_->setAutoRepeat(true);
    down_->setAutoRepeat(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton* b : {up_, down_}) {
        b->setFixedSize(17, 12);
        b->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(b);
    }
    connect(up_, &QToolButton::clicked, this, [this] { step(+1); });
    connect(down_, &QToolButton::clicked, this, [this] { step(-1); });
}

void UpDown::setPosition(int position) { position_ = std::clamp(position, min_, max_); }

void UpDown::step(int delta) {
    setPosition(position_ + delta);
    emit clicked(position_);
}

}  // namespace vk7
