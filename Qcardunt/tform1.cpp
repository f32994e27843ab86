#include "tform1.h"

#include "errorbox.h"
#include "qcardunt.h"
#include "session.h"
#include "tpassworddialog.h"
#include "ui_tform1.h"
#include "windowscaling.h"

#include <QEvent>

TForm1::TForm1(QWidget* parent)
    : QMainWindow(parent)
    , ui(std::make_unique<Ui::TForm1>())
{
    Q_INIT_RESOURCE(karte);
    ui->setupUi(this);
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

void TForm1::wireHandlers()
{
    FrequencyTable.afterPost = [this](cardstore::Table& table) { FrequencyTableAfterPost(table); };
    FrequencyTable.afterDelete = [this](cardstore::Table& table) { FrequencyTableAfterDelete(table); };
    FrequencySource.OnDataChange = [this](int fieldIndex) { FrequencySourceDataChange(&FrequencySource, fieldIndex); };
    connect(&FrequencySource, &TDataSource::controlsEnabled, this, [this] { showHeldStatus(); });
    connect(ui->centralwidget, &ClientArea::resized, this, [this] { karte::guarded([this] { FormResize(this); }); });
    ui->Label2->installEventFilter(this);

    // The custom card editor.
    connect(ui->ButtonAdd, &QToolButton::clicked, this,
        [this] { karte::guarded([this] { ButtonAddClick(ui->ButtonAdd); }); });
    connect(ui->AddEditCustomCards1, &QAction::triggered, this,
        [this] { karte::guarded([this] { ButtonAddClick(ui->AddEditCustomCards1); }); });

    // The drill bar, the word list jump (on the user's choice alone, never when code sets the list) and the Sort
    // List menu.
    connect(ui->SpeedButton1, &QToolButton::clicked, this,
        [this] { karte::guarded([this] { SpeedButton1Click(ui->SpeedButton1); }); });
    connect(ui->SpeedButton2, &QToolButton::clicked, this,
        [this] { karte::guarded([this] { SpeedButton2Click(ui->SpeedButton2); }); });
    connect(ui->SpeedButton3, &QToolButton::clicked, this,
        [this] { karte::guarded([this] { SpeedButton3Click(ui->SpeedButton3); }); });
    connect(ui->SpeedButton4, &QToolButton::clicked, this,
        [this] { karte::guarded([this] { SpeedButton4Click(ui->SpeedButton4); }); });
    connect(ui->FrequencyComboBox, &QComboBox::activated, this,
        [this] { karte::guarded([this] { FrequencyComboBoxChange(ui->FrequencyComboBox); }); });
    wireSortCommand(ui->Alphabetcally1, &TForm1::Alphabetically1Click);
    wireSortCommand(ui->ShowGreek1, &TForm1::ShowGreek1Click);
    wireSortCommand(ui->ShowFrequency1, &TForm1::ShowFrequency1Click);

    // The Help menu; and a protected card set asks for its password with the prompt, at start-up and whenever
    // another set is opened, and is opened again once one is given.
    connect(ui->Contents1, &QAction::triggered, this,
        [this] { karte::guarded([this] { Contents1Click(ui->Contents1); }); });
    connect(ui->About1, &QAction::triggered, this, [this] { karte::guarded([this] { About1Click(ui->About1); }); });
    FrequencyTable.onPasswordRequired = [] { return karte::requestPassword(); };

    // Card set commands and the font chooser.
    connect(ui->New1, &QAction::triggered, this, [this] { karte::guarded([this] { New1Click(ui->New1); }); });
    connect(ui->Open1, &QAction::triggered, this, [this] { karte::guarded([this] { Open1Click(ui->Open1); }); });
    connect(ui->FrequencyCards, &QToolButton::clicked, this,
        [this] { karte::guarded([this] { Open1Click(ui->FrequencyCards); }); });
    connect(ui->Frequency1, &QAction::triggered, this,
        [this] { karte::guarded([this] { Frequency1Click(ui->Frequency1); }); });
    connect(ui->Exit1, &QAction::triggered, this, [this] { karte::guarded([this] { Exit1Click(ui->Exit1); }); });
    connect(ui->FontButton, &QToolButton::clicked, this,
        [this] { karte::guarded([this] { FontButtonClick(ui->FontButton); }); });
    connect(ui->Font1, &QAction::triggered, this, [this] { karte::guarded([this] { FontButtonClick(ui->Font1); }); });
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
    menuItem(ui->Tools1, 1)->setEnabled(false);
    // FontSaveEnabled is still false at start-up, so this writes nothing into the built-in set.
    SaveFont();
    FrequencyTable.close();
    FrequencyTable.setTableName(cardstore::Session::kBuiltInTable);
    FrequencyTable.open();
    RefreshComboBox();
    GetFont();
    ui->QCardButtons->show();
    ui->Sort1->menuAction()->setEnabled(true);
    for (int item = 0; item < 3; ++item)
        menuItem(ui->Sort1, item)->setEnabled(true);
    QFont listFont = ui->FrequencyComboBox->font();
    listFont.setFamily(QStringLiteral("TimesNewRoman"));
    ui->FrequencyComboBox->setFont(listFont);
    setWindowTitle(QStringLiteral("NT Frequency"));
    FontSaveEnabled = true;
}

QAction* TForm1::menuItem(QMenu* menu, int index)
{
    return menu->actions().at(index);
}
