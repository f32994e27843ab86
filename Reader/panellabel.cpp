#include "panellabel.h"

namespace {

// Room for this many average letters across: the widest line the panel writes, and the narrowest it wraps to.
constexpr int kWidthLetters = 48;
constexpr int kLeastWidthLetters = 20;

} // namespace

QSize PanelLabel::sizeHint() const
{
    const QMargins margins = contentsMargins();
    return { fontMetrics().averageCharWidth() * kWidthLetters + margins.left() + margins.right(),
        fontMetrics().lineSpacing() * kLines + margins.top() + margins.bottom() };
}

QSize PanelLabel::minimumSizeHint() const
{
    const QMargins margins = contentsMargins();
    return { fontMetrics().averageCharWidth() * kLeastWidthLetters + margins.left() + margins.right(),
        sizeHint().height() };
}
