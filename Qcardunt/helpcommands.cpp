#include "application.h"
#include "checkedint.h"
#include "helpviewer.h"
#include "tform1.h"
#include "tform2.h"

void TForm1::Contents1Click(QObject* /*sender*/)
{
    // The program only names the help file; what the viewer finds there, a missing file included, is the viewer's
    // to report.
    const QString helpFile = karte::Application::helpFile();
    if (!helpFile.isEmpty())
        karte::HelpViewer::showContents(helpFile, this);
}

void TForm1::About1Click(QObject* /*sender*/)
{
    using karte::CheckedInt;
    // Outer rectangles, frames included. An overflow stops the steps where it happens: the box may have moved
    // sideways by then, but it is not shown and this window stays enabled.
    const QRect window = frameGeometry();
    const QSize box = Form2->frameGeometry().size();
    const CheckedInt horizontalCentre = CheckedInt(window.left()) + div(CheckedInt(window.width()), 2);
    Form2->move((horizontalCentre - div(CheckedInt(box.width()), 2)).value(), Form2->pos().y());
    const CheckedInt verticalCentre = CheckedInt(window.top()) + div(CheckedInt(window.height()), 2);
    Form2->move(Form2->pos().x(), (verticalCentre - div(CheckedInt(box.height()), 2)).value());
    Form2->show();
    Form2->raise();
    Form2->activateWindow();
    Form2->setMainWindow(this);
    setEnabled(false);
}
