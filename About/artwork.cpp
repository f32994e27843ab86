#include "contrast.h"
#include "readablecolours.h"
#include "tform2.h"
#include "ui_tform2.h"
#include "windowscaling.h"

#include <QApplication>
#include <QEvent>

#include <algorithm>

namespace {

const QString kPicture = QStringLiteral(":/karte/about/about.png");
const QString kContrastPicture = QStringLiteral(":/karte/about/about-contrast.png");
const QString kFace = QStringLiteral(":/karte/about/okface.png");
const QString kContrastFace = QStringLiteral(":/karte/about/okface-contrast.png");

} // namespace

int TForm2::scaledToScreen(int length) const
{
    return std::max(1, qRound(double(length) * artworkDpi_ / karte::kDesignDpi));
}

void TForm2::showArtwork()
{
    // The picture and the button face are drawn for the grey of an ordinary desktop. Where the user wants readable
    // colours the picture is the one drawn light on black, and the face the one whose ink stands out from the
    // user's button: black on a light one, white on a dark one.
    const bool readable = karte::wantsReadableColours(palette(), QApplication::style());
    const QColor button = palette().color(QPalette::Button);
    const bool lightInk = readable && karte::contrastRatio(Qt::white, button) > karte::contrastRatio(Qt::black, button);
    const QString picture = readable ? kContrastPicture : kPicture;
    const QString face = lightInk ? kContrastFace : kFace;
    if (picture + face == artworkShown_)
        return;
    artworkShown_ = picture + face;
    QPixmap artwork(picture);
    if (artworkDpi_ != karte::kDesignDpi)
        artwork = artwork.scaled(scaledToScreen(artwork.width()), scaledToScreen(artwork.height()), Qt::KeepAspectRatio,
            Qt::SmoothTransformation);
    ui->Image2->setPixmap(artwork);
    ui->SpeedButton1->setIcon(QIcon(face));
}

void TForm2::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
        showArtwork();
    QWidget::changeEvent(event);
}
