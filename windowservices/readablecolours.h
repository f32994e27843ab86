#pragma once

#include <QColor>

class QPalette;
class QStyle;
class QWidget;

namespace karte {

// Whether the user's desktop asks for colours chosen for contrast rather than the layouts' own: a dark palette
// (light text on a dark ground), or a high-contrast style.
bool wantsReadableColours(const QPalette& palette, const QStyle* style);
// The same for the application's palette and style.
bool wantsReadableColours();

// Keeps the colours that a window's layout fixes readable whatever the user's palette: called once the window's
// form is set up, it finds every control whose layout gives it colours of its own (the status line's navy, the word
// list's maroon on white, ...) and, whenever the application's palette or style changes, gives each of them either
// the layout's colours, where the palette is an ordinary light one, or, where the user wants readable colours, the
// user's own grounds and the layout's inks lightened or darkened until they keep kAdaptedContrast against them.
void keepLayoutColoursReadable(QWidget* window);

// A text colour for a window's own drawing: ink where the user's colours are the ordinary ones, else ink made
// readable against the palette's grounds.
QColor readableTextColour(const QColor& ink, const QPalette& palette);

} // namespace karte
