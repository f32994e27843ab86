#include "qcardunt.h"
#include "tform1.h"
#include "ui_tform1.h"

// The drill bar. DrillFlag and the visibility of the two card texts are the drill's whole state; only ">" and
// "<" change them. Each step comes in the order that decides what stays done when a table operation fails:
// ">" re-reads the set before touching anything, "<" moves back before touching anything.

void TForm1::SpeedButton2Click(QObject* /*sender*/)
{
    // Another program may have changed the set since the last look, so the card about to be revealed or left
    // is read afresh; this also fails first when no set is open.
    FrequencyTable.refresh();
    if (DrillFlag) {
        ui->TextGreek->setVisible(true);
        ui->TextEnglish->setVisible(true);
        DrillFlag = false;
        announceRevealedSide(ui->TextEnglish);
    } else {
        ui->TextGreek->setVisible(true);
        ui->TextEnglish->setVisible(false);
        DrillFlag = true;
        // On the last card there is nowhere to go: the same card shows again, Greek side only.
        FrequencyTable.next();
        announceCard();
    }
}

void TForm1::SpeedButton1Click(QObject* /*sender*/)
{
    if (DrillFlag) {
        // On the first card there is nowhere to go: the same card shows again, English side only.
        FrequencyTable.prior();
        ui->TextGreek->setVisible(false);
        ui->TextEnglish->setVisible(true);
        DrillFlag = false;
        announceCard();
    } else {
        ui->TextGreek->setVisible(true);
        ui->TextEnglish->setVisible(true);
        DrillFlag = true;
        announceRevealedSide(ui->TextGreek);
    }
}

void TForm1::SpeedButton3Click(QObject* /*sender*/)
{
    FrequencyTable.first();
    announceCard();
}

void TForm1::SpeedButton4Click(QObject* /*sender*/)
{
    FrequencyTable.last();
    announceCard();
}
