#pragma once

class QWidget;

namespace karte {

// Has a screen reader say the value of the window's combo boxes ("Format: combo box. CSV. ..."), as it says the
// value of a plain one, which it reads by that value. The program's combo boxes are named by their labels, and a
// screen reader took the value of such a box from a selection Qt does not report: the value went unsaid when the
// box got the focus and when the arrow keys changed it. The value now leads the box's description, which is read
// as the box gets the focus, and a change the user makes in the box is said at once. Covers the combo boxes the
// window holds now.
void keepComboBoxValuesReadable(QWidget* window);

} // namespace karte
