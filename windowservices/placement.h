#pragma once

class QWidget;

namespace karte {

// Where a box starts when it is centred on a span (a window's left edge and width, or its top and height): the
// middle of the span less half the box, each half truncated toward zero. An overflow raises IntOverflow.
int centredStart(int start, int extent, int boxExtent);

// Places a window, frame included, in the middle of its screen's available area, its top left corner kept on the
// screen. A window manager frames a window only once it is shown, so until then its frame is taken to be the
// client area; the window is placed once more when it is first shown framed, if the frame changed its size.
void centreOnScreen(QWidget* window);

} // namespace karte
