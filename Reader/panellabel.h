#pragma once

#include <QLabel>

// The word panel's text: a label whose size does not follow its text. The panel's text changes at every word
// chosen, and a wrapping label would have the window laid out anew each time, its text laid out at several widths
// to find the height it wants; this one asks for room for a fixed number of lines and wraps within the width it is
// given.
class PanelLabel : public QLabel
{
public:
    using QLabel::QLabel;

    // The lines it makes room for: the panel's four, and one more for a long gloss that wraps.
    static constexpr int kLines = 5;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return false; }
};
