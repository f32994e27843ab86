#pragma once

#include <QFrame>

// A panel in the manner of the About box's frame: the frame of QFrame on the outside, then a gap of borderWidth
// pixels in the panel's colour, then an inner bevel one pixel wide around what the panel holds.
class BevelPanel : public QFrame
{
    Q_OBJECT
    Q_PROPERTY(int borderWidth READ borderWidth WRITE setBorderWidth)
    Q_PROPERTY(Bevel innerBevel READ innerBevel WRITE setInnerBevel)

public:
    enum Bevel { NoBevel, Lowered, Raised };
    Q_ENUM(Bevel)

    explicit BevelPanel(QWidget* parent = nullptr);

    int borderWidth() const { return borderWidth_; }
    void setBorderWidth(int width);
    Bevel innerBevel() const { return innerBevel_; }
    void setInnerBevel(Bevel bevel);

    // Where the inner bevel lies; the panel's contents sit inside it.
    QRect innerBevelRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int borderWidth_ = 0;
    Bevel innerBevel_ = NoBevel;
};
