#include "tform2.h"

#include "bevelpanel.h"
#include "errorbox.h"
#include "outsidedestruction.h"
#include "placement.h"
#include "ui_tform2.h"
#include "windowscaling.h"

#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QScreen>

#include <algorithm>

TForm2* Form2 = nullptr;

namespace {

// A screen reader takes the box for the dialog it is, and its bevelled panel for a part of it: Qt reads a plain
// window as a filler and a frame as a window of its own, and a screen reader then found the button outside any
// active window and kept quiet about it.
QAccessibleInterface* aboutBoxInterface(const QString& className, QObject* object)
{
    if (className == QLatin1String(TForm2::staticMetaObject.className()))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Dialog);
    if (className == QLatin1String(BevelPanel::staticMetaObject.className()))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Grouping);
    return nullptr;
}

} // namespace

TForm2::TForm2(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , ui(std::make_unique<Ui::TForm2>())
{
    Q_INIT_RESOURCE(about);
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(aboutBoxInterface);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    ui->setupUi(this);
    // Topmost, with a title bar but no system menu, close box or minimise and maximise buttons: the button in the
    // picture closes the box, and so do Esc, Enter and the window manager's close for those without a mouse.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint);
    karte::scaleToScreen(this);
    scaleArtwork();
    setFixedSize(size());
    karte::connectHandler(ui->SpeedButton1, &QToolButton::clicked, this, &TForm2::BitBtn1Click);
    // The button has the keyboard focus whenever the box is up: a screen reader says it, and Space presses it.
    ui->SpeedButton1->setFocus();
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
    // The window manager offers to close any window (Alt+F4, its own menu), border icons or not: the close is the
    // button's.
    event->ignore();
    BitBtn1Click(this);
}

void TForm2::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        BitBtn1Click(this);
        return;
    default:
        QWidget::keyPressEvent(event);
    }
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
