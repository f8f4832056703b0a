// A paint box: a widget that shows its own persistent image. Its owner draws on the
// image's canvas whenever it likes (a full repaint, an xor ruler, an overlay, a marker); the
// widget's paint event only copies the image, so whatever was drawn survives an expose.
// Mouse presses, moves, releases and double clicks, and changes of size, go to the owner.
#pragma once

#include <QWidget>

#include "platform/qt/image_canvas.h"

namespace vk7 {

class PaintBox : public QWidget {
    Q_OBJECT

public:
    explicit PaintBox(QWidget* parent = nullptr);

    // The canvas of the image, the size of the widget. Drawing on it schedules an update.
    ImageCanvas& canvas() { return canvas_; }
    // The colour a new image starts with (after a resize), before the owner draws.
    void setBackground(Colour c) { background_ = c; }

signals:
    void mouseDown(int x, int y, Qt::MouseButton button);
    void mouseMove(int x, int y, Qt::MouseButtons buttons);
    void mouseUp(int x, int y, Qt::MouseButton button);
    void doubleClicked(int x, int y);
    // The image has the new size and is blank: the owner draws it again.
    void resized(int width, int height);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    ImageCanvas canvas_;
    Colour background_ = 0xFFFFFF;
    bool updatePending_ = false;
};

}  // namespace vk7
