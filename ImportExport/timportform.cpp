#include "timportform.h"

#include "comboboxvalues.h"
#include "errorbox.h"
#include "errors.h"
#include "interchangeerror.h"
#include "outsidedestruction.h"
#include "placement.h"
#include "table.h"
#include "ui_timportform.h"
#include "windowscaling.h"
#include "workprogress.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QRadioButton>
#include <QScopedValueRollback>

using interchange::Phase;

TImportForm::TImportForm(QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::TImportForm>())
{
    ui->setupUi(this);
    karte::scaleToScreen(this);
    karte::centreOnScreen(this);

    using interchange::Format;
    ui->FormatBox->addItem(QStringLiteral("CSV"), static_cast<int>(Format::Csv));
    ui->FormatBox->addItem(QStringLiteral("TSV"), static_cast<int>(Format::Tsv));
    ui->FormatBox->addItem(QStringLiteral("Flashcard text"), static_cast<int>(Format::FlashcardText));
    for (char separator : { ',', ';', '\t', '|', ' ', ':' }) {
        QString name = QString::fromStdString(interchange::separatorName(separator));
        name[0] = name[0].toUpper();
        ui->SeparatorBox->addItem(name, static_cast<int>(separator));
    }

    // The sides and the note share the width; a value too long for its cell is shown whole in its tip.
    QHeaderView* columns = ui->PreviewTable->horizontalHeader();
    columns->setSectionResizeMode(QHeaderView::Stretch);
    columns->setSectionResizeMode(2, QHeaderView::ResizeToContents);

    using karte::connectHandler;
    connectHandler(ui->FormatBox, &QComboBox::currentIndexChanged, this, &TImportForm::FormatBoxChange);
    connectHandler(ui->SeparatorBox, &QComboBox::currentIndexChanged, this, &TImportForm::LayoutChange);
    connectHandler(ui->HeaderRowBox, &QCheckBox::toggled, this, &TImportForm::LayoutChange);
    connectHandler(ui->HtmlBox, &QCheckBox::toggled, this, &TImportForm::LayoutChange);
    for (QComboBox* box : { ui->GreekColumnBox, ui->EnglishColumnBox, ui->FrequencyColumnBox })
        connectHandler(box, &QComboBox::currentIndexChanged, this, &TImportForm::MappingChange);
    connectHandler(ui->KeepDuplicatesBox, &QCheckBox::toggled, this, &TImportForm::PlanChange);
    // Of the two choices of set, one turns on whenever the other turns off.
    connectHandler(ui->IntoNewSetButton, &QRadioButton::toggled, this, &TImportForm::PlanChange);
    connectHandler(ui->ImportButton, &QPushButton::clicked, this, &TImportForm::ImportButtonClick);
    connect(ui->CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    karte::closeWhenDestroyedFromOutside(this);
    karte::keepComboBoxValuesReadable(this);
    setOpenSet(nullptr);
}

TImportForm::~TImportForm() = default;

karte::FileDialog::Options TImportForm::newSetDialogOptions()
{
    karte::FileDialog::Options options;
    options.mode = karte::FileDialog::Mode::Save;
    options.title = QStringLiteral("New Card Set");
    options.filter = QStringLiteral("Card Set  *.SDB|*.SDB");
    options.defaultSuffix = QStringLiteral("SDB");
    // An import never replaces a file: a name that is taken is refused, with the reason, when the cards are written.
    options.confirmOverwrite = false;
    return options;
}

void TImportForm::setOpenSet(cardstore::Table* openSet)
{
    openSet_ = openSet;
    const QSignalBlocker quietOpen(ui->IntoOpenSetButton);
    const QSignalBlocker quietNew(ui->IntoNewSetButton);
    ui->IntoOpenSetButton->setEnabled(openSet_);
    if (openSet_) {
        const QString name = QFileInfo(QString::fromStdString(openSet_->filePath())).fileName();
        ui->IntoOpenSetButton->setText(QStringLiteral("the &open set, ") + name);
        ui->IntoOpenSetButton->setChecked(true);
    } else {
        ui->IntoOpenSetButton->setText(
            QStringLiteral("the &open set (%1)").arg(QString::fromUtf8(interchange::kOnlyOwnSetsTakeCards)));
        ui->IntoNewSetButton->setChecked(true);
    }
}

bool TImportForm::intoNewSet() const
{
    return !openSet_ || ui->IntoNewSetButton->isChecked();
}

void TImportForm::openFile(const QString& path, QWidget* progressOver)
{
    path_ = path;
    survey_ = interchange::surveyFile(path.toStdString());
    // A long path is cut at the window's edge; its tip shows it whole.
    ui->FileNameLabel->setText(QStringLiteral("From ") + path);
    ui->FileNameLabel->setToolTip(path);
    showLayout(survey_->layout);
    showColumns();
    showPlan(progressOver);
}

void TImportForm::FormatBoxChange(QObject* sender)
{
    // Each format has a separator of its own; a CSV file may use a semicolon, as spreadsheets in some languages
    // save it, and a flashcard program's file names its own in its header.
    using interchange::Format;
    interchange::Layout layout = chosenLayout();
    if (layout.format == Format::Tsv)
        layout.separator = '\t';
    else if (layout.format == Format::Csv && layout.separator != ';')
        layout.separator = ',';
    showLayout(layout);
    LayoutChange(sender);
}

void TImportForm::LayoutChange(QObject* /*sender*/)
{
    // Another layout may split the records into other columns, so the mapping is guessed anew. A layout that cannot
    // read the file shows why, and Import tells it again.
    survey_.reset();
    surveyError_.clear();
    try {
        survey_ = interchange::surveyFile(path_.toStdString(), chosenLayout());
    } catch (const cardstore::Error& error) {
        surveyError_ = karte::errorMessageText(error);
    }
    showColumns();
    showPlan();
}

void TImportForm::MappingChange(QObject* /*sender*/)
{
    showPlan();
}

void TImportForm::PlanChange(QObject* /*sender*/)
{
    showPlan();
}

interchange::ImportPlan TImportForm::workOutPlan(QWidget* progressParent)
{
    karte::WorkProgress progress(progressParent, windowTitle(), { Phase::Reading });
    progress.setPhaseText(Phase::Reading, QStringLiteral("Reading %1...").arg(QFileInfo(path_).fileName()));
    const QScopedValueRollback working(working_, true);
    return interchange::planImport(
        path_.toStdString(), chosenSettings(), intoNewSet() ? nullptr : openSet_, progress.callback());
}

void TImportForm::ImportButtonClick(QObject* /*sender*/)
{
    // A layout that cannot read the file raises here what the plan's sentence shows.
    if (!survey_)
        interchange::surveyFile(path_.toStdString(), chosenLayout());
    const bool newSet = intoNewSet();
    QString newSetPath;
    if (newSet) {
        if (!NewSetDialog.execute(this))
            return;
        newSetPath = NewSetDialog.fileName();
    }
    const interchange::ImportSettings settings = chosenSettings();
    // The plan the sentence shows is the one carried out; it was worked out while this window kept the user from
    // changing the open set.
    const bool planShown = plan_ && plan_->intoNewSet == newSet && plan_->settings.layout == settings.layout
        && plan_->settings.mapping == settings.mapping && plan_->settings.keepDuplicates == settings.keepDuplicates;
    {
        karte::WorkProgress progress(this, windowTitle(),
            planShown ? std::vector { Phase::Writing } : std::vector { Phase::Reading, Phase::Writing });
        progress.setPhaseText(Phase::Reading, QStringLiteral("Reading %1...").arg(QFileInfo(path_).fileName()));
        progress.setPhaseText(Phase::Writing, QStringLiteral("Adding the cards..."));
        const QScopedValueRollback working(working_, true);
        std::optional<interchange::ImportPlan> workedOut;
        if (!planShown)
            workedOut = interchange::planImport(
                path_.toStdString(), settings, newSet ? nullptr : openSet_, progress.callback());
        const interchange::ImportPlan& plan = planShown ? plan_->plan : *workedOut;
        // The cards are made ready for the set before the first of them is written.
        progress.beginPhase(Phase::Writing);
        try {
            if (newSet)
                interchange::importIntoNewSet(newSetPath.toStdString(), plan, progress.callback());
            else
                interchange::commitImport(*openSet_, plan, progress.callback());
        } catch (const interchange::ImportError&) {
            // The file or the set changed under the plan: the window shows the plan as it now stands.
            showPlan();
            throw;
        }
    }
    hide();
    if (newSet)
        Q_EMIT newSetMade(newSetPath);
    else
        Q_EMIT cardsAdded();
}

void TImportForm::closeEvent(QCloseEvent* event)
{
    // A close from the window manager can arrive while the work lets the windows repaint.
    if (working_)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void TImportForm::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    // Minimised, the window is still up; hidden, it no longer stands between the user and the main window.
    if (isVisible())
        return;
    // The window is not shown again.
    plan_.reset();
    Q_EMIT closed();
}
