#include "treaderform.h"

#include "accessiblewindow.h"
#include "announcement.h"
#include "clock.h"
#include "comboboxvalues.h"
#include "errorbox.h"
#include "errors.h"
#include "filedialogs.h"
#include "newtestament.h"
#include "outsidedestruction.h"
#include "reading.h"
#include "readingcards.h"
#include "speaker.h"
#include "table.h"
#include "tdatasource.h"
#include "ui_treaderform.h"
#include "windowscaling.h"

#include <QGuiApplication>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>

#include <utility>

namespace {

constexpr int kAfterOpeningMs = 300;

karte::FileDialog::Options pdfDialogOptions()
{
    karte::FileDialog::Options options;
    options.mode = karte::FileDialog::Mode::Save;
    options.title = QStringLiteral("Save as PDF");
    options.filter = QStringLiteral("PDF|*.pdf");
    options.defaultSuffix = QStringLiteral("pdf");
    options.confirmOverwrite = true;
    return options;
}

karte::FileDialog::Options setDialogOptions()
{
    karte::FileDialog::Options options;
    // A set of one's own, there already or made for the card: no question about replacing it, as it is not replaced.
    options.mode = karte::FileDialog::Mode::Save;
    options.title = QStringLiteral("Add to a Card Set of Your Own");
    options.filter = QStringLiteral("Card Set *.SDB|*.SDB");
    options.defaultSuffix = QStringLiteral("SDB");
    return options;
}

} // namespace

TReaderForm::TReaderForm(QWidget* parent)
    : QWidget(parent,
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint)
    , ui(std::make_unique<Ui::TReaderForm>())
    , pdfDialog_(std::make_unique<karte::FileDialog>(pdfDialogOptions()))
    , setDialog_(std::make_unique<karte::FileDialog>(setDialogOptions()))
{
    karte::readAsWindow(staticMetaObject);
    ui->setupUi(this);
    karte::scaleToScreen(this, 96);
    // At a large scale the design size may not fit: the window takes what the screen has, and its layout the rest.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        resize(size().boundedTo(screen->availableGeometry().size() - QSize(16, 48)));
    // The glosses read as part of the page, not as a box of their own.
    QPalette notes = ui->FootnotesView->palette();
    notes.setColor(QPalette::Base, notes.color(QPalette::Window));
    ui->FootnotesView->setPalette(notes);
    fillBooks();
    wireHandlers();
    wireKeys();
    connect(&openings_, &karte::Openings::closed, this, &TReaderForm::closed);
    karte::closeWhenDestroyedFromOutside(this);
    karte::keepComboBoxValuesReadable(this);
}

TReaderForm::~TReaderForm() = default;

const learning::Clock& TReaderForm::clock() const
{
    static const learning::SystemClock system;
    return clock_ ? *clock_ : system;
}

const nttext::Text* TReaderForm::text() const
{
    return newTestament_ ? newTestament_->text() : nullptr;
}

void TReaderForm::wireHandlers()
{
    using karte::connectGuarded;
    connectGuarded(ui->BookBox, &QComboBox::activated, this, [this] { bookChosen(); });
    connectGuarded(ui->ChapterBox, &QSpinBox::valueChanged, this, [this] { chapterNumberChosen(); });
    connectGuarded(ui->ReferenceBox, &QLineEdit::returnPressed, this, [this] { goToReference(); });
    connectGuarded(ui->GlossBox, &QComboBox::activated, this, [this] { glossesChanged(); });
    connectGuarded(ui->RarerBox, &QSpinBox::valueChanged, this, [this] { glossesChanged(); });
    connectGuarded(ui->StudyItButton, &QPushButton::clicked, this, [this] { studyIt(); });
    connectGuarded(ui->PrepareButton, &QPushButton::clicked, this, [this] { prepareChapter(); });
    connectGuarded(ui->MarkReadButton, &QPushButton::clicked, this, [this] { markRead(); });
    connectGuarded(ui->NextButton, &QPushButton::clicked, this, [this] { showNext(); });
    connectGuarded(ui->PdfButton, &QPushButton::clicked, this, [this] { showPdfChoices(); });
    connectGuarded(ui->PdfSaveButton, &QPushButton::clicked, this, [this] { savePdf(); });
    connectGuarded(ui->PdfCancelButton, &QPushButton::clicked, this, [this] { showReading(); });
    connectGuarded(ui->CloseButton, &QPushButton::clicked, this, [this] { close(); });
    connectGuarded(ui->NextList, &QTreeWidget::itemActivated, this, [this] { openChosenNext(); });
    ui->ChapterView->installEventFilter(this);
    ui->ChapterView->viewport()->installEventFilter(this);
    ui->PdfPage->installEventFilter(this);
}

void TReaderForm::FormShow(QObject* /*sender*/)
{
    cards_.clear();
    knowledge_ = {};
    state_ = {};
    stateReadable_ = false;
    stateProblem_.clear();
    speechProblem_.clear();
    added_.clear();
    chapter_ = -1;
    chosen_ = -1;
    ui->Pages->setCurrentWidget(ui->ReadingPage);
    QFont greek = ui->ChapterView->font();
    if (cardFace_)
        greek.setFamily(cardFace_->family());
    greek.setPointSize(15);
    ui->ChapterView->setFont(greek);
    QFont form = ui->WordForm->font();
    form.setFamily(greek.family());
    ui->WordForm->setFont(form);
    QFont notes = ui->FootnotesView->font();
    notes.setFamily(greek.family());
    notes.setPointSize(12);
    ui->FootnotesView->setFont(notes);
    try {
        if (!source_ || !source_->active())
            throw cardstore::Error("No card set is open to read with");
        reading_ = newTestament_ ? newTestament_->reading() : nullptr;
        if (!reading_ || !text())
            throw cardstore::Error(QStringLiteral("The Greek text cannot be read: %1")
                                       .arg(newTestament_ ? newTestament_->readingProblem() : QString())
                                       .toStdString());
        source_->dataSet()->checkBrowseMode();
        readProgress();
    } catch (const std::exception& error) {
        // The window says what is wrong; the set stays as it is, for drilling and studying.
        showProblem(QString::fromUtf8(error.what()));
        return;
    }
    if (std::exchange(problemShown_, false))
        for (QWidget* control : findChildren<QWidget*>())
            control->setEnabled(true);
    readState();
    showGlossChoice();
    const std::optional<nttext::TextPlace> place
        = state_.place ? learning::textPlace(*reading_, *state_.place) : std::nullopt;
    openChapter(place ? place->chapter : 0, place ? place->verse : 0);
    ui->ChapterView->setFocus();
}

void TReaderForm::FormHide(QObject* /*sender*/)
{
    if (speaker_)
        speaker_->stop();
    // The cards of a big set go with the window. The place is kept once, as the window closes: a protected set seals
    // its whole file at every write.
    cards_ = {};
    knowledge_ = {};
    keepPlace();
}

void TReaderForm::readProgress()
{
    cardstore::Table& table = *source_->dataSet();
    cards_ = learning::lemmaCards(table, *text());
    knowledge_ = learning::LemmaKnowledge(cards_, text()->lemmaCount(), clock().nowMs());
}

void TReaderForm::studied()
{
    if (!reading_ || chapter_ < 0 || !source_ || !source_->active())
        return;
    learning::refreshMemories(cards_, *source_->dataSet());
    knowledge_ = learning::LemmaKnowledge(cards_, text()->lemmaCount(), clock().nowMs());
    const int word = chosen_;
    openChapter(chapter_);
    if (word >= 0)
        chooseWord(word);
    ui->ChapterView->setFocus();
}

void TReaderForm::readState()
{
    cardstore::Table& table = *source_->dataSet();
    try {
        state_ = table.reading().load(learning::placeCheck(*reading_));
        stateReadable_ = true;
    } catch (const cardstore::Error& error) {
        // Damaged reading state leaves the cards and the progress alone: the Reader starts afresh and keeps nothing.
        stateProblem_ = QStringLiteral("Where you were reading cannot be read, and is not kept: %1")
                            .arg(QString::fromUtf8(error.what()));
    }
    showNotes();
}

void TReaderForm::keepPlace()
{
    if (!stateReadable_ || chapter_ < 0 || !reading_ || !source_ || !source_->active())
        return;
    cardstore::Table& table = *source_->dataSet();
    if (!table.reading().canSave())
        return;
    const int verse = chosen_ >= 0
        ? reading_->verses(chapter_)[static_cast<std::size_t>(reading_->verseOfWord(chapter_, chosen_))].number
        : 0;
    const cardstore::ReadingPlace place = learning::storedPlace(*reading_, { chapter_, verse });
    if (state_.place != place) {
        table.reading().setPlace(place);
        state_.place = place;
    }
}

void TReaderForm::showNotes()
{
    QStringList notes;
    if (!stateProblem_.isEmpty())
        notes.append(stateProblem_);
    for (const std::string& problem : state_.problems)
        notes.append(QString::fromStdString(problem));
    if (stateReadable_ && source_ && source_->active() && !source_->dataSet()->reading().canSave())
        notes.append(QStringLiteral("This card set cannot be written: where you read and your choices are not kept."));
    if (!speechProblem_.isEmpty())
        notes.append(speechProblem_);
    if (!added_.isEmpty())
        notes.append(added_);
    ui->NoteText->setText(notes.join(QLatin1Char('\n')));
    ui->NoteText->setVisible(!notes.isEmpty());
}

void TReaderForm::showProblem(const QString& text)
{
    problemShown_ = true;
    chapter_ = -1;
    chosen_ = -1;
    ui->ChapterView->clear();
    ui->FootnotesView->clear();
    ui->CoverageText->clear();
    ui->WordForm->clear();
    ui->WordText->clear();
    ui->NoteText->setText(text);
    ui->NoteText->show();
    for (QWidget* control : findChildren<QWidget*>())
        if (control != ui->CloseButton && control != ui->NoteText && !control->isAncestorOf(ui->CloseButton)
            && !control->isAncestorOf(ui->NoteText))
            control->setEnabled(false);
    ui->CloseButton->setFocus();
    announce(text);
}

void TReaderForm::announce(const QString& text)
{
    // A screen reader says what an inactive window announces to nobody: it is said once the window is active.
    if (isActiveWindow()) {
        // Newer news: what was waiting for the window to open is no longer to be said.
        pendingAnnouncement_.clear();
        karte::announce(this, text);
    } else {
        pendingAnnouncement_ = text;
    }
}

bool TReaderForm::event(QEvent* event)
{
    // As the window opens over the main window, whose controls all turn unavailable, a screen reader is flooded
    // with news and drops what is not about the focus: what the window has to say waits for the flood to pass.
    if (event->type() == QEvent::WindowActivate && !pendingAnnouncement_.isEmpty())
        QTimer::singleShot(kAfterOpeningMs, this, [this] {
            if (isActiveWindow() && !pendingAnnouncement_.isEmpty())
                karte::announce(this, std::exchange(pendingAnnouncement_, QString()));
        });
    // The chapter's inks are chosen for the palette it was laid out under: a desktop turned dark lays it out again.
    if (event->type() == QEvent::PaletteChange && reading_ && chapter_ >= 0) {
        const int scrolled = ui->ChapterView->verticalScrollBar()->value();
        layOutChapter();
        showWord(false);
        ui->ChapterView->verticalScrollBar()->setValue(scrolled);
    }
    return QWidget::event(event);
}
