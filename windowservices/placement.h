#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace karte {

// Where a box starts when it is centred on a span (a window's left edge and width, or its top and height): the
// middle of the span less half the box, each half truncated toward zero. An overflow raises IntOverflow.
int centredStart(int start, int extent, int boxExtent);

// Where the frame of a window whose client area is client goes so that the frame lies in the middle of area, its
// top left corner kept in the area. reported is the frame the window system reports for the window. Until the
// window manager has framed the window it reports none, and while it is framing it, it may report one that no
// frame can be (a side below zero, or as big as the area: sizes taken before and after a resize); in either case
// the frame of another of the program's windows that is framed, known, stands in for it, as the window manager
// frames them alike.
QPoint centredFramePosition(const QRect& area, const QSize& client, const QMargins& reported, const QMargins& known);

// Places a window, frame included, in the middle of its screen's available area, its top left corner kept on the
// screen (see centredFramePosition). The window is placed once more when it is first shown framed, if its frame
// or size then differ from those it was placed by.
void centreOnScreen(QWidget* window);

// Makes a window no bigger, frame included, than its screen's available area, and no smaller than its layout
// allows; a window whose layout needs more than the screen has scrolls its contents instead.
void fitToScreen(QWidget* window);

} // namespace karte
