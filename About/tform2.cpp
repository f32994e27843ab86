#include "tform2.h"

#include "bevelpanel.h"
#include "checkedint.h"
#include "errorbox.h"
#include "ui_tform2.h"
#include "windowscaling.h"

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
    connect(ui->SpeedButton1, &QToolButton::clicked, this,
        [this] { karte::guarded([this] { BitBtn1Click(ui->SpeedButton1); }); });
}

TForm2::~TForm2() = default;

void TForm2::scaleArtwork()
{
    // The layout shrinks or grows with the screen's density; the picture and the button face go with it, so that
    // the box shows the same part of the picture, with the button over the same words, at any density.
    const QScreen* screen = this->screen();
    const int dpi = screen ? qRound(screen->logicalDotsPerInchY()) : karte::kDesignDpi;
    if (dpi == karte::kDesignDpi)
        return;
    auto scaled = [dpi](int length) { return std::max(1, qRound(double(length) * dpi / karte::kDesignDpi)); };
    const QPixmap picture = ui->Image2->pixmap();
    ui->Image2->setPixmap(picture.scaled(
        scaled(picture.width()), scaled(picture.height()), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    const QSize face = ui->SpeedButton1->iconSize();
    ui->SpeedButton1->setIconSize({ scaled(face.width()), scaled(face.height()) });
    ui->Panel1->setBorderWidth(scaled(ui->Panel1->borderWidth()));
}

void TForm2::setVisible(bool visible)
{
    if (visible && !shownBefore_) {
        shownBefore_ = true;
        placeOnScreenCentre();
    }
    QWidget::setVisible(visible);
}

void TForm2::placeOnScreenCentre()
{
    const QScreen* screen = this->screen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QRect box = frameGeometry();
    using karte::CheckedInt;
    const int left = std::max(0, div(CheckedInt(area.width()) - box.width(), 2).value());
    const int top = std::max(0, div(CheckedInt(area.height()) - box.height(), 2).value());
    move(area.left() + left, area.top() + top);
}

void TForm2::BitBtn1Click(QObject* /*sender*/)
{
    hide();
    if (!mainWindow_)
        return;
    mainWindow_->setEnabled(true);
    mainWindow_->raise();
    mainWindow_->activateWindow();
}
