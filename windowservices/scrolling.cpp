#include "scrolling.h"

#include <QApplication>
#include <QScrollArea>

#include <algorithm>

namespace karte {

void keepFocusInView(QScrollArea* area)
{
    QObject::connect(qApp, &QApplication::focusChanged, area, [area](QWidget* /*before*/, QWidget* now) {
        QWidget* content = area->widget();
        if (!now || !content || !content->isAncestorOf(now))
            return;
        const QRect control(now->mapTo(content, QPoint(0, 0)), now->size());
        // Half of each extent, rounded up, either side of the middle covers the whole control.
        const int halfWidth = (control.width() + 1) / 2;
        const int halfHeight = (std::min(control.height(), area->viewport()->height()) + 1) / 2;
        area->ensureVisible(control.left() + halfWidth, control.top() + halfHeight, halfWidth, halfHeight);
    });
}

} // namespace karte
