// Every window of a program opens whole on the screen, with the title bar and borders that the
// window manager adds around it. A form keeps the position it asks for and is then moved (and
// shrunk only where it is larger than the screen) into the available geometry of the screen
// that holds its main window.
#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

class QApplication;

namespace vk7 {

// The client rectangle `client` of a window whose frame adds `frame` around it (title bar and
// borders: left, top, right, bottom), moved, and shrunk where it is larger, so that the window
// with its frame lies within `available`; never smaller than `minimum` (a window still larger
// than `available` then lies at its top left corner). Returns the client rectangle.
QRect placeWithin(const QRect& client, const QMargins& frame, const QRect& available, const QSize& minimum = {});

// From now on every window, tool window and dialog of the application is fitted on the
// screen, frame included, whenever it is shown or resized while shown, and once more when the
// window manager has framed and exposed a window just shown.
void installWindowPlacement(QApplication& app);

}  // namespace vk7
