#include "application.h"
#include "helpviewer.h"
#include "placement.h"
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
    if (!aboutBox_)
        return;
    // Outer rectangles, frames included. An overflow stops the steps where it happens: the box may have moved
    // sideways by then, but it is not shown and this window stays enabled.
    const QRect window = frameGeometry();
    const QSize box = aboutBox_->frameGeometry().size();
    aboutBox_->move(karte::centredStart(window.left(), window.width(), box.width()), aboutBox_->pos().y());
    aboutBox_->move(aboutBox_->pos().x(), karte::centredStart(window.top(), window.height(), box.height()));
    openOver(aboutBox_, FocusBack::RaisedAndActivated);
}
