#include "bevelpanel.h"

#include <QPainter>
#include <qdrawutil.h>

BevelPanel::BevelPanel(QWidget* parent)
    : QFrame(parent)
{
}

void BevelPanel::setBorderWidth(int width)
{
    borderWidth_ = width;
    update();
}

void BevelPanel::setInnerBevel(Bevel bevel)
{
    innerBevel_ = bevel;
    update();
}

QRect BevelPanel::innerBevelRect() const
{
    return contentsRect().adjusted(borderWidth_, borderWidth_, -borderWidth_, -borderWidth_);
}

void BevelPanel::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    if (innerBevel_ == NoBevel)
        return;
    QPainter painter(this);
    qDrawShadeRect(&painter, innerBevelRect(), palette(), innerBevel_ == Lowered, 1);
}
