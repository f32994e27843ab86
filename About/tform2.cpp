#include "tform2.h"

#include "bevelpanel.h"
#include "errorbox.h"
#include "outsidedestruction.h"
#include "placement.h"
#include "ui_tform2.h"
#include "windowscaling.h"

#include <QCloseEvent>
#include <QScreen>

#include <algorithm>

TForm2* Form2 = nullptr;

TForm2::TForm2(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , ui(std::make_unique<Ui::TForm2>())
{
    Q_INIT_RESOURCE(about);
    ui->setupUi(this);
    // Topmost, with a title bar but no system menu, close box or minimise and maximise buttons: the button in the
    // picture is the one way to close the box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint);
    karte::scaleToScreen(this);
    scaleArtwork();
    setFixedSize(size());
    karte::connectHandler(ui->SpeedButton1, &QToolButton::clicked, this, &TForm2::BitBtn1Click);
    karte::closeWhenDestroyedFromOutside(this);
}

TForm2::~TForm2() = default;

void TForm2::scaleArtwork()
{
    // The layout shrinks or grows with the screen's density; the picture and the button face go with it, so that
    // the box shows the same part of the picture, with the button over the same words, at any density.
    const QScreen* screen = this->screen();
    artworkDpi_ = screen ? qRound(screen->logicalDotsPerInchY()) : karte::kDesignDpi;
    showArtwork();
    if (artworkDpi_ == karte::kDesignDpi)
        return;
    const QSize face = ui->SpeedButton1->iconSize();
    ui->SpeedButton1->setIconSize({ scaledToScreen(face.width()), scaledToScreen(face.height()) });
    ui->Panel1->setBorderWidth(scaledToScreen(ui->Panel1->borderWidth()));
}

void TForm2::setVisible(bool visible)
{
    if (visible && !shownBefore_) {
        shownBefore_ = true;
        karte::centreOnScreen(this);
    }
    QWidget::setVisible(visible);
}

void TForm2::closeEvent(QCloseEvent* event)
{
    // The window manager offers to close any window (Alt+F4, its own menu), border icons or not.
    event->ignore();
}

void TForm2::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    // Minimised, the box is still up; hidden, it no longer stands between the user and the main window.
    if (!isVisible())
        Q_EMIT closed();
}

void TForm2::BitBtn1Click(QObject* /*sender*/)
{
    hide();
}
