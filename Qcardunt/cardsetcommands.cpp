#include "errorbox.h"
#include "qcardunt.h"
#include "tform1.h"
#include "ui_tform1.h"

#include <QCloseEvent>
#include <QCoreApplication>

karte::FileDialog::Options TForm1::openDialogOptions()
{
    karte::FileDialog::Options options;
    options.mode = karte::FileDialog::Mode::Open;
    options.title = QStringLiteral("Open");
    options.filter = QStringLiteral("Card Set *.SDB|*.SDB");
    options.defaultSuffix = QStringLiteral("SDB");
    options.fileMustExist = true;
    return options;
}

karte::FileDialog::Options TForm1::saveDialogOptions()
{
    karte::FileDialog::Options options;
    options.mode = karte::FileDialog::Mode::Save;
    options.title = QStringLiteral("Save");
    options.filter = QStringLiteral("Card Set  *.SDB|*.SDB");
    options.defaultSuffix = QStringLiteral("SDB");
    // New makes a set under a new name, so the name need not exist yet; an existing one is replaced only when
    // the user says so.
    options.confirmOverwrite = true;
    return options;
}

void TForm1::New1Click(QObject* /*sender*/)
{
    if (!SaveDialog1.execute(this))
        return;
    CardSetFileName = SaveDialog1.fileName();
    SaveFont();
    NewTable();
    ui->FrequencyComboBox->clear();
    ui->ButtonAdd->setEnabled(true);
    ui->FontButton->setEnabled(true);
    ui->QCardButtons->show();
    ui->Tools1->menuAction()->setEnabled(true);
    ui->Sort1->menuAction()->setEnabled(false);
    ui->AddEditCustomCards1->setEnabled(true);
    for (QAction* item : sortItems())
        item->setChecked(false);
    setWordListFace(QString::fromLatin1(kWordListFace));
    // The new set has no card to hold the font; the first card posted turns saving on again.
    FontSaveEnabled = false;
    setWindowTitle(CardSetFileName);
}

void TForm1::Open1Click(QObject* /*sender*/)
{
    if (!OpenDialog1.execute(this))
        return;
    openCardSet(OpenDialog1.fileName());
}

void TForm1::openCardSet(const QString& fileName)
{
    SaveFont();
    FrequencyTable.close();
    CardSetFileName = fileName;
    FrequencyTable.setTableName(CardSetFileName.toStdString());
    // A set that cannot be opened leaves the table closed under its name and the rest of the window as it was;
    // Open or NT Frequency opens a set again.
    FrequencyTable.open();
    RefreshComboBox();
    GetFont();
    ui->QCardButtons->show();
    for (QAction* item : sortItems())
        item->setChecked(false);
    setWordListFace(QString::fromLatin1(kWordListFace));
    ui->Sort1->menuAction()->setEnabled(false);
    ui->ButtonAdd->setEnabled(true);
    ui->FontButton->setEnabled(true);
    ui->Tools1->menuAction()->setEnabled(true);
    ui->AddEditCustomCards1->setEnabled(true);
    setWindowTitle(CardSetFileName);
}

void TForm1::Frequency1Click(QObject* /*sender*/)
{
    showBuiltInSet();
}

void TForm1::Exit1Click(QObject* /*sender*/)
{
    close();
}

void TForm1::FormClose(QObject* /*sender*/, QCloseEvent& /*action*/)
{
    SaveFont();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    // A set that cannot take the font must not keep the user from quitting: the failure is shown and the close
    // goes ahead all the same.
    karte::guarded([this, event] { FormClose(this, *event); });
    QMainWindow::closeEvent(event);
    // This is the program's main window: the program ends with it, even while the font chooser is still open.
    if (event->isAccepted() && Form1 == this)
        QCoreApplication::quit();
}
