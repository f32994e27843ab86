#pragma once

class QScrollArea;

namespace karte {

// Scrolls the area so that a control in it that takes the keyboard focus is shown whole, or as much of it as the
// area has room for, from its top. A scroll area by itself shows only the control's text cursor, which a chart or
// a label without one has at its top left corner, so that Tab could leave the rest of the control out of sight.
void keepFocusInView(QScrollArea* area);

} // namespace karte
