// An up-down control: two small arrow buttons that step a position within a range.
#pragma once

#include <QWidget>

class QToolButton;

namespace vk7 {

class UpDown : public QWidget {
    Q_OBJECT

public:
    UpDown(int min, int max, QWidget* parent = nullptr);

    int position() const { return position_; }
    // Sets the position, kept within the range (no signal).
    void setPosition(int position);
    int minimum() const { return min_; }
    int maximum() const { return max_; }

    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }

signals:
    // After each click of an arrow, with the new position (also when it stayed at an end).
    void clicked(int position);

private:
    void step(int delta);

    int min_, max_, position_;
    QToolButton* up_;
    QToolButton* down_;
};

}  // namespace vk7
