#include "tstudyform.h"

#include "announcement.h"
#include "cardsearch.h"
#include "comboboxvalues.h"
#include "errorbox.h"
#include "errors.h"
#include "historycount.h"
#include "newtestament.h"
#include "openings.h"
#include "outsidedestruction.h"
#include "reviewable.h"
#include "speaker.h"
#include "studysession.h"
#include "table.h"
#include "tdatasource.h"
#include "ui_tstudyform.h"
#include "windowscaling.h"

#include <QKeySequence>
#include <QShortcut>

#include <utility>

namespace {

// Seals answers to a protected set that have waited long enough; the set's own rule says what that is.
constexpr int kSealCheckMs = 5'000;

} // namespace

TStudyForm::TStudyForm(QWidget* parent)
    : QWidget(parent,
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint)
    , ui(std::make_unique<Ui::TStudyForm>())
{
    ui->setupUi(this);
    karte::scaleToScreen(this, 96);
    karte::keepShownControlsReviewable(this);
    // The window itself takes the keyboard when it opens: the keys work everywhere but in the search box, and a
    // screen reader starts on the card rather than on the first box.
    setFocusPolicy(Qt::StrongFocus);
    // The verses and forms read as part of the card, not as a box of their own.
    QPalette context = ui->ContextView->palette();
    context.setColor(QPalette::Base, context.color(QPalette::Window));
    ui->ContextView->setPalette(context);
    sealTimer_.setInterval(kSealCheckMs);
    dueTimer_.setSingleShot(true);
    wireHandlers();
    connect(&openings_, &karte::Openings::closed, this, &TStudyForm::closed);
    karte::closeWhenDestroyedFromOutside(this);
    karte::keepComboBoxValuesReadable(this);
}

TStudyForm::~TStudyForm() = default;

void TStudyForm::setClock(const learning::Clock* clock, bool fuzz)
{
    clock_ = clock;
    fuzz_ = fuzz;
}

const learning::Clock& TStudyForm::clock() const
{
    static const learning::SystemClock system;
    return clock_ ? *clock_ : system;
}

const nttext::Text* TStudyForm::newTestamentText() const
{
    return newTestament_ ? newTestament_->text() : nullptr;
}

QString TStudyForm::newTestamentProblem() const
{
    return newTestament_ ? newTestament_->problem() : QString();
}

void TStudyForm::wireHandlers()
{
    using karte::connectGuarded;
    using karte::connectHandler;
    connectHandler(ui->ShowAnswerButton, &QPushButton::clicked, this, &TStudyForm::ShowAnswerClick);
    const std::pair<QPushButton*, learning::Grade> grades[] = {
        { ui->AgainButton, learning::Grade::Again },
        { ui->HardButton, learning::Grade::Hard },
        { ui->GoodButton, learning::Grade::Good },
        { ui->EasyButton, learning::Grade::Easy },
    };
    for (const auto& [button, grade] : grades) {
        connectGuarded(button, &QPushButton::clicked, this, [this, grade] { this->grade(grade); });
        // Number keys grade from anywhere in the window but the search box, which takes what is typed.
        auto* key = new QShortcut(QKeySequence(Qt::Key_0 + static_cast<int>(grade)), this);
        connectGuarded(key, &QShortcut::activated, this, [this, grade] { this->grade(grade); });
    }
    // The keypad's Enter is left to the screen reader, whose commands it starts (Orca's "where am I").
    for (QKeySequence keys : { QKeySequence(Qt::Key_Space), QKeySequence(Qt::Key_Return) }) {
        auto* key = new QShortcut(keys, this);
        connectGuarded(key, &QShortcut::activated, this, [this] { primaryAction(); });
    }
    connectGuarded(new QShortcut(QKeySequence::Undo, this), &QShortcut::activated, this, [this] { undoAnswer(); });
    connectGuarded(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this, [this] { findCard(); });
    connectGuarded(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, [this] {
        // Esc in the search leaves the search, its results gone and the keys back with the review; in a settings box
        // it gives the keys back to the review; anywhere else it closes the window.
        if (ui->SearchBox->hasFocus() || ui->SearchResults->hasFocus())
            closeSearch();
        else if (settingsBoxHasFocus())
            backToReview();
        else
            close();
    });
    connectGuarded(ui->MoreNewButton, &QPushButton::clicked, this, [this] { studyMoreNewCards(); });
    connectGuarded(ui->BookBox, &QComboBox::activated, this, [this] { bookChosen(); });
    connectGuarded(ui->FirstSideBox, &QComboBox::activated, this, [this] { settingsChanged(); });
    connectGuarded(ui->NewCardsBox, &QSpinBox::editingFinished, this, [this] { settingsChanged(); });
    connectGuarded(ui->RetentionBox, &QSpinBox::editingFinished, this, [this] { settingsChanged(); });
    ui->NewCardsBox->installEventFilter(this);
    ui->RetentionBox->installEventFilter(this);
    connectGuarded(ui->SearchBox, &QLineEdit::textEdited, this, [this] { searchChanged(); });
    ui->SearchBox->installEventFilter(this);
    connectGuarded(ui->SearchBox, &QLineEdit::returnPressed, this, [this] { openFoundCard(); });
    connectGuarded(ui->SearchResults, &QListWidget::itemActivated, this, [this] { openFoundCard(); });
    connectGuarded(&sealTimer_, &QTimer::timeout, this, [this] {
        if (session_) {
            session_->sealIfDue();
            showNote();
        }
    });
    connectGuarded(&dueTimer_, &QTimer::timeout, this, [this] { showCurrent(); });
    logTimer_.setSingleShot(true);
    logTimer_.setInterval(0);
    connectGuarded(&logTimer_, &QTimer::timeout, this, [this] { lookOverLogPart(); });
    wireSpeech();
    wireReviewKeys();
}

void TStudyForm::FormShow(QObject* /*sender*/)
{
    applyCardFont();
    speechProblem_.clear();
    logTimer_.stop();
    logCount_.reset();
    session_.reset();
    search_.reset();
    current_.reset();
    cardGone_.clear();
    ui->SearchBox->clear();
    ui->SearchResults->hide();
    const std::optional<std::int64_t> firstCard = std::exchange(firstCard_, std::nullopt);
    try {
        startSession();
    } catch (const std::exception& error) {
        // Progress that cannot be read leaves the set as it is, for drilling; the window says what is wrong.
        showProblem(QString::fromUtf8(error.what()));
        return;
    }
    sealTimer_.start();
    if (firstCard && session_->card(*firstCard))
        showCard(*firstCard, true);
    else
        showCurrent();
    setFocus();
    // What is to be said about the progress (damage left out) needs the log looked over, which the first card
    // does not wait for.
    startLookingOverLog();
}

bool TStudyForm::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate && !pendingAnnouncement_.isEmpty())
        karte::announce(this, std::exchange(pendingAnnouncement_, QString()));
    return QWidget::event(event);
}

void TStudyForm::announce(const QString& text)
{
    if (isActiveWindow())
        karte::announce(this, text);
    else
        pendingAnnouncement_ = text;
}

void TStudyForm::startSession()
{
    if (!source_ || !source_->active())
        throw cardstore::Error("No card set is open to study");
    cardstore::Table& table = *source_->dataSet();
    table.checkBrowseMode();
    const std::optional<std::pair<std::string, int>> chapter = std::exchange(chapterToStudy_, std::nullopt);
    // The text word by word is read only for the study of a chapter.
    reading_ = newTestament_ && (chapter || learning::readStudySettings(table.study()).chapter > 0)
        ? newTestament_->reading()
        : nullptr;
    auto session = std::make_unique<learning::StudySession>(table, clock(), newTestamentText(), fuzz_, reading_);
    // While another window or program studies the set this one says so instead: the two would overwrite each
    // other's answers.
    session->beginStudy();
    if (chapter) {
        learning::StudySettings settings = session->settings();
        settings.book = chapter->first;
        settings.chapter = chapter->second;
        session->changeSettings(settings);
    }
    session_ = std::move(session);
    fillChoices();
}

void TStudyForm::FormHide(QObject* /*sender*/)
{
    sealTimer_.stop();
    dueTimer_.stop();
    if (speaker_)
        speaker_->stop();
    search_.reset();
    logTimer_.stop();
    logCount_.reset();
    // The session goes whether sealing succeeds or not.
    const std::unique_ptr<learning::StudySession> session = std::move(session_);
    if (session)
        session->seal();
}

void TStudyForm::applyCardFont()
{
    // The Greek side in the set's own face, at a size that fits the window whatever size the drill uses; the
    // verses in the same face.
    QFont greek = ui->FrontText->font();
    if (cardFace_)
        greek.setFamily(cardFace_->family());
    ui->FrontText->setProperty("greekFont", greek);
    QFont verses = ui->ContextView->font();
    verses.setFamily(greek.family());
    verses.setPointSize(12);
    ui->ContextView->setFont(verses);
}

void TStudyForm::showProblem(const QString& text)
{
    sealTimer_.stop();
    ui->Pages->setCurrentWidget(ui->DonePage);
    ui->SummaryText->setText(text);
    ui->MoreNewButton->hide();
    ui->CountsText->clear();
    ui->NoteText->clear();
    for (QWidget* control : { static_cast<QWidget*>(ui->BookBox), static_cast<QWidget*>(ui->SearchBox),
             static_cast<QWidget*>(ui->FirstSideBox), static_cast<QWidget*>(ui->NewCardsBox),
             static_cast<QWidget*>(ui->RetentionBox), static_cast<QWidget*>(ui->ReadAloudBox),
             static_cast<QWidget*>(ui->PronunciationBox), static_cast<QWidget*>(ui->SpeechSpeedBox) })
        control->setEnabled(false);
}

void TStudyForm::showNote()
{
    if (!session_)
        return;
    QStringList notes;
    if (!cardGone_.isEmpty())
        notes.append(cardGone_);
    if (!session_->canSave())
        notes.append(QStringLiteral(
            "This card set cannot be written: your answers count for this session, but your progress is not saved."));
    for (const std::string& message : lookingOverLog() ? session_->resetMessagesSoFar() : session_->resetMessages())
        notes.append(QString::fromStdString(message));
    if (!speechProblem_.isEmpty())
        notes.append(speechProblem_);
    if (!newTestamentProblem().isEmpty())
        notes.append(QStringLiteral("No verses or forms can be shown: %1").arg(newTestamentProblem()));
    if (session_->hasUnsealedAnswers())
        notes.append(QStringLiteral("Answers not yet sealed into the protected card set; they are sealed every 20 "
                                    "answers, after 30 seconds and when the window closes."));
    else if (session_->isProtected() && session_->canSave())
        notes.append(QStringLiteral("Your progress is sealed into the protected card set."));
    ui->NoteText->setText(notes.join(QLatin1Char('\n')));
}
