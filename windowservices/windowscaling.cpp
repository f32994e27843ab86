#include "windowscaling.h"

#include <algorithm>

#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QVariant>
#include <QWidget>

namespace karte {

namespace {

// As the platform's MulDiv: value * numerator / denominator, rounded half away from zero.
int mulDiv(int value, int numerator, int denominator)
{
    long long product = static_cast<long long>(value) * numerator;
    long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

// Keeps hairlines: a design value of 1 stays 1 at any scale.
int scaleLength(int value, int numerator, int denominator)
{
    if (value <= 1 || value >= QWIDGETSIZE_MAX)
        return value;
    return std::max(1, mulDiv(value, numerator, denominator));
}

QSize scaleSize(QSize size, int numerator, int denominator)
{
    return { scaleLength(size.width(), numerator, denominator), scaleLength(size.height(), numerator, denominator) };
}

void scaleLayout(QLayout* layout, int numerator, int denominator)
{
    if (!layout)
        return;
    QMargins margins = layout->contentsMargins();
    layout->setContentsMargins(scaleLength(margins.left(), numerator, denominator),
        scaleLength(margins.top(), numerator, denominator), scaleLength(margins.right(), numerator, denominator),
        scaleLength(margins.bottom(), numerator, denominator));
    if (layout->spacing() > 0)
        layout->setSpacing(scaleLength(layout->spacing(), numerator, denominator));
    for (int i = 0; i < layout->count(); ++i)
        scaleLayout(layout->itemAt(i)->layout(), numerator, denominator);
}

void scaleControl(QWidget* control, int numerator, int denominator)
{
    const QRect bounds = control->geometry();
    const int left = mulDiv(bounds.left(), numerator, denominator);
    const int top = mulDiv(bounds.top(), numerator, denominator);
    const int right = mulDiv(bounds.left() + bounds.width(), numerator, denominator);
    const int bottom = mulDiv(bounds.top() + bounds.height(), numerator, denominator);
    control->setMinimumSize(scaleSize(control->minimumSize(), numerator, denominator));
    control->setMaximumSize(scaleSize(control->maximumSize(), numerator, denominator));
    control->setGeometry(left, top, right - left, bottom - top);
    const QVariant itemHeight = control->property("itemHeight");
    if (itemHeight.isValid() && itemHeight.toInt() > 0)
        control->setProperty("itemHeight", scaleLength(itemHeight.toInt(), numerator, denominator));
    scaleLayout(control->layout(), numerator, denominator);
}

} // namespace

void scaleWindow(QWidget* window, int numerator, int denominator)
{
    // A main window's design size is its client area: the menu bar comes on top of it.
    auto* mainWindow = qobject_cast<QMainWindow*>(window);
    QSize clientSize = scaleSize(window->size(), numerator, denominator);
    const QList<QWidget*> controls = window->findChildren<QWidget*>();
    for (QWidget* control : controls) {
        if (control->isWindow() || qobject_cast<QMenuBar*>(control) || qobject_cast<QMenu*>(control))
            continue;
        if (mainWindow && control == mainWindow->centralWidget()) {
            scaleLayout(control->layout(), numerator, denominator);
            continue;
        }
        scaleControl(control, numerator, denominator);
    }
    scaleLayout(window->layout() && !mainWindow ? window->layout() : nullptr, numerator, denominator);
    if (mainWindow) {
        int menuHeight = mainWindow->menuBar() ? mainWindow->menuBar()->sizeHint().height() : 0;
        if (QWidget* central = mainWindow->centralWidget())
            central->resize(clientSize);
        window->resize(clientSize.width(), clientSize.height() + menuHeight);
    } else {
        window->resize(clientSize);
    }
}

void scaleToScreen(QWidget* window, int designDpi)
{
    const QScreen* screen = window->screen();
    const int dpi = screen ? qRound(screen->logicalDotsPerInchY()) : designDpi;
    scaleWindow(window, dpi, designDpi);
}

} // namespace karte
