#include "tform1.h"

#include "errorbox.h"
#include "menuannouncements.h"
#include "qcardunt.h"
#include "readablecolours.h"
#include "session.h"
#include "tfontform.h"
#include "tform2.h"
#include "tformqcustom.h"
#include "timportform.h"
#include "tpassworddialog.h"
#include "ui_tform1.h"
#include "windowscaling.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QShortcut>

TForm1::TForm1(QWidget* parent)
    : QMainWindow(parent)
    , ui(std::make_unique<Ui::TForm1>())
{
    Q_INIT_RESOURCE(karte);
    ui->setupUi(this);
    karte::keepLayoutColoursReadable(this);
    karte::scaleToScreen(this);

    FrequencyTable.setDatabaseName(cardstore::Session::kBuiltInAlias);
    FrequencyTable.setTableName("cardsfrq.DB");
    FrequencySource.setDataSet(&FrequencyTable);
    ui->TextGreek->setDataSource(&FrequencySource);
    ui->TextEnglish->setDataSource(&FrequencySource);
    ui->TextFrequency2->setDataSource(&FrequencySource);
    wireHandlers();

    // The design has the table open, so the built-in set is opened while the window is being built; a failure
    // here means there is no main window at all.
    FrequencyTable.open();

    karte::guarded([this] { FormCreate(this); });
}

TForm1::~TForm1() = default;

void TForm1::connectSideWindows(TForm2* aboutBox, TFormQCustom* editor, TFontForm* fontChooser)
{
    aboutBox_ = aboutBox;
    editor_ = editor;
    fontChooser_ = fontChooser;
    if (editor_)
        editor_->setDataSource(&FrequencySource);
    if (fontChooser_)
        fontChooser_->setCardTexts(ui->TextGreek, ui->TextEnglish);
}

void TForm1::wireHandlers()
{
    using karte::connectHandler;
    FrequencyTable.afterPost = [this](cardstore::Table& table) { FrequencyTableAfterPost(table); };
    FrequencyTable.afterDelete = [this](cardstore::Table& table) { FrequencyTableAfterDelete(table); };
    FrequencySource.OnDataChange = [this](int fieldIndex) { FrequencySourceDataChange(&FrequencySource, fieldIndex); };
    connect(&FrequencySource, &TDataSource::controlsEnabled, this, [this] { showHeldStatus(); });
    karte::connectGuarded(ui->centralwidget, &ClientArea::resized, this, [this] { FormResize(this); });
    ui->Label2->installEventFilter(this);

    // The custom card editor.
    connectHandler(ui->ButtonAdd, &QToolButton::clicked, this, &TForm1::ButtonAddClick);
    connectHandler(ui->AddEditCustomCards1, &QAction::triggered, this, &TForm1::ButtonAddClick);

    // The drill bar, the word list jump (on the user's choice alone, never when code sets the list) and the Sort
    // List menu.
    connectHandler(ui->SpeedButton1, &QToolButton::clicked, this, &TForm1::SpeedButton1Click);
    connectHandler(ui->SpeedButton2, &QToolButton::clicked, this, &TForm1::SpeedButton2Click);
    connectHandler(ui->SpeedButton3, &QToolButton::clicked, this, &TForm1::SpeedButton3Click);
    connectHandler(ui->SpeedButton4, &QToolButton::clicked, this, &TForm1::SpeedButton4Click);
    connectHandler(ui->FrequencyComboBox, &QComboBox::activated, this, &TForm1::FrequencyComboBoxChange);
    wireSortCommand(ui->Alphabetcally1, &TForm1::Alphabetically1Click);
    wireSortCommand(ui->ShowGreek1, &TForm1::ShowGreek1Click);
    wireSortCommand(ui->ShowFrequency1, &TForm1::ShowFrequency1Click);

    // The Help menu; and a protected card set asks for its password with the prompt, at start-up and whenever
    // another set is opened, and is opened again once one is given.
    connectHandler(ui->Contents1, &QAction::triggered, this, &TForm1::Contents1Click);
    connectHandler(ui->About1, &QAction::triggered, this, &TForm1::About1Click);
    connectHandler(ui->Study1, &QAction::triggered, this, &TForm1::Study1Click);
    connectHandler(ui->Progress1, &QAction::triggered, this, &TForm1::Progress1Click);
    connectHandler(ui->Read1, &QAction::triggered, this, &TForm1::Read1Click);
    FrequencyTable.onPasswordRequired = [] { return karte::requestPassword(); };

    // Card set commands and the font chooser.
    connectHandler(ui->New1, &QAction::triggered, this, &TForm1::New1Click);
    connectHandler(ui->Open1, &QAction::triggered, this, &TForm1::Open1Click);
    connectHandler(ui->FrequencyCards, &QToolButton::clicked, this, &TForm1::Open1Click);
    connectHandler(ui->Frequency1, &QAction::triggered, this, &TForm1::Frequency1Click);
    connectHandler(ui->Exit1, &QAction::triggered, this, &TForm1::Exit1Click);
    connectHandler(ui->FontButton, &QToolButton::clicked, this, &TForm1::FontButtonClick);
    connectHandler(ui->Font1, &QAction::triggered, this, &TForm1::FontButtonClick);

    // Cards in and out.
    connectHandler(ui->ImportCards1, &QAction::triggered, this, &TForm1::ImportCards1Click);
    connectHandler(ui->ExportCards1, &QAction::triggered, this, &TForm1::ExportCards1Click);

    karte::announceMenuNames(ui->MainMenu1);
    connect(new QShortcut(QKeySequence(Qt::Key_F10), this), &QShortcut::activated, this, [this] { openMenuBar(); });
}

void TForm1::openMenuBar()
{
    QAction* first = ui->MainMenu1->actions().value(0);
    if (!first)
        return;
    const QKeySequence mnemonic = QKeySequence::mnemonic(first->text());
    if (mnemonic.isEmpty())
        return;
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : this;
    QKeyEvent press(QEvent::KeyPress, mnemonic[0].key(), mnemonic[0].keyboardModifiers(), QString());
    QCoreApplication::sendEvent(target, &press);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->Label2 && event->type() == QEvent::MouseButtonDblClick) {
        karte::guarded([this] { Label2DblClick(ui->Label2); });
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::FormCreate(QObject* /*sender*/)
{
    showBuiltInSet();
    DrillFlag = true;
}

void TForm1::showBuiltInSet()
{
    ui->ButtonAdd->setEnabled(false);
    ui->FontButton->setEnabled(true);
    ui->Tools1->menuAction()->setEnabled(true);
    ui->Sort1->menuAction()->setEnabled(true);
    ui->AddEditCustomCards1->setEnabled(false);
    // FontSaveEnabled is still false at start-up, so this writes nothing into the built-in set.
    SaveFont();
    FrequencyTable.close();
    FrequencyTable.setTableName(cardstore::Session::kBuiltInTable);
    FrequencyTable.open();
    RefreshComboBox();
    GetFont();
    ui->QCardButtons->show();
    ui->Sort1->menuAction()->setEnabled(true);
    for (QAction* item : sortItems())
        item->setEnabled(true);
    setWordListFace(QString::fromLatin1(kWordListFace));
    setWindowTitle(QStringLiteral("NT Frequency"));
    FontSaveEnabled = true;
}

QList<QAction*> TForm1::sortItems() const
{
    return { ui->Alphabetcally1, ui->ShowGreek1, ui->ShowFrequency1 };
}

void TForm1::setWordListFace(const QString& family)
{
    QFont listFont = ui->FrequencyComboBox->font();
    listFont.setFamily(family);
    ui->FrequencyComboBox->setFont(listFont);
}
