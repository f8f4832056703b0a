// Every window of a program opens whole on the screen. A form keeps the position it asks for
// and is then moved (and shrunk only where it is larger than the screen) into the available
// geometry of the screen that holds its main window.
#pragma once

#include <QRect>

class QApplication;
class QWidget;

namespace vk7 {

// `frame` moved, and shrunk where it is larger, so that it lies within `available`.
QRect placeWithin(const QRect& frame, const QRect& available);

// Fits a window (its frame) into the available geometry of the screen of its main window:
// the window of its parent, else the screen under its own centre, else the primary screen.
void fitOnScreen(QWidget* window);

// From now on every window, tool window and dialog of the application is fitted on the
// screen whenever it is shown or resized while shown.
void installWindowPlacement(QApplication& app);

}  // namespace vk7
