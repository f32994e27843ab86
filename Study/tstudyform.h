#pragma once

#include "memory.h"
#include "openings.h"

#include <QElapsedTimer>
#include <QFont>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace Ui {
class TStudyForm;
}
namespace windowtest {
struct FormAccess;
}
namespace learning {
class Clock;
class HistoryCount;
class StudySession;
} // namespace learning
namespace nttext {
class CardSearch;
class ReadingText;
class Text;
} // namespace nttext
namespace karte {
class NewTestament;
}
namespace speech {
class Speaker;
}

class TDataSource;

// The Study window: a review of the open set that remembers what the learner knows. It shows the day's cards one
// side first; Space or Enter shows the answer, then 1 to 4 grade it (Space and Enter: Good); Ctrl+Z takes the last
// answer back, Ctrl+F finds any card to review out of turn, Ctrl+R reads the Greek aloud, Esc closes. The answer
// side shows the word's verses and commonest forms where the Greek side is a word of the New Testament. The
// learner's progress is kept in the set; the main window stays disabled until the window says it is closed.
class TStudyForm : public QWidget
{
    Q_OBJECT

public:
    explicit TStudyForm(QWidget* parent = nullptr);
    ~TStudyForm() override;

    // What the main window hands over: the data source of the set to study, and the face of its Greek card text,
    // which the Greek side takes at the next showing.
    void setDataSource(TDataSource* source) { source_ = source; }
    void setCardFace(const QFont& face) { cardFace_ = face; }
    // The Greek New Testament, whose verses, forms and books the window shows; without it the cards are studied alone.
    void setNewTestament(const karte::NewTestament* newTestament) { newTestament_ = newTestament; }
    // What reads the Greek aloud; the window works without one, silently.
    void setSpeaker(speech::Speaker* speaker);
    // The time the study goes by, and whether intervals are fuzzed; tests fix both. By default the computer's
    // clock, with fuzz.
    void setClock(const learning::Clock* clock, bool fuzz);
    // What the Reader asks of the next opening, once: to review one card out of turn before the day's queue, or to
    // study the words of one chapter of a book (its code, "Jn", and number), which "Words:" then shows.
    void reviewFirst(std::int64_t key) { firstCard_ = key; }
    void studyChapter(const std::string& bookCode, int chapter) { chapterToStudy_.emplace(bookCode, chapter); }

    // Runs each time the window is shown: the set's cards and progress are read and the first card comes up.
    void FormShow(QObject* sender);
    // Runs each time the window is hidden: answers not yet sealed into a protected set are sealed. The window is
    // closed (closed()) whether that succeeds or not.
    void FormHide(QObject* sender);

    // The commands behind the keys and buttons.
    void ShowAnswerClick(QObject* sender);
    void grade(learning::Grade grade);
    void primaryAction();
    void undoAnswer();
    void studyMoreNewCards();
    void findCard();
    void readAloud();

Q_SIGNALS:
    // The window was hidden, by the user or the program, and its answers sealed or their sealing failed.
    void closed();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend struct windowtest::FormAccess;

    void wireHandlers();
    void startSession();
    void showCurrent();
    // saidFirst, when given, is said before the card: why it came up.
    void showCard(std::int64_t key, bool outOfTurn, const QString& saidFirst = QString());
    void reveal();
    void showDone();
    void showCounts();
    void showNote();
    void showProblem(const QString& text);
    void fillChoices();
    void settingsChanged();
    void bookChosen();
    void searchChanged();
    void openFoundCard();
    void closeSearch();
    void wireSpeech();
    // The review's keys and what it says (studyreview.cpp).
    void wireReviewKeys();
    QList<QWidget*> reviewButtons() const;
    QList<QWidget*> settingsBoxes() const;
    bool takesReviewKey(QObject* watched, QEvent* event);
    bool settingsBoxHasFocus() const;
    void backToReview();
    void keepFocusOnReview();
    // "Again 1 minute, Hard 6 minutes, Good 10 minutes, Easy 8 days" for the card on show.
    QString spokenIntervals() const;
    // The answer side, the frequency and the intervals, as they are said when the answer is shown.
    QString answerSpoken() const;
    void sayAgain();
    void fillSpeechChoices();
    void speechSettingsChanged();
    // Reads the Greek aloud as its side comes up, when the set asks for it.
    void greekSideShown();
    void speechUnavailable(const QString& reason);
    void applyCardFont();
    // The log is looked over for damage and its past days counted and kept in the set a part at a time, between
    // events, so that opening the window never waits for a long log: the notes follow once it is done.
    void startLookingOverLog();
    void lookOverLogPart();
    bool lookingOverLog() const;
    // Has a screen reader say what changed: at once when the window is the active one, else once it becomes so.
    void announce(const QString& text);
    const learning::Clock& clock() const;
    const nttext::Text* newTestamentText() const;
    QString newTestamentProblem() const;

    std::unique_ptr<Ui::TStudyForm> ui;
    TDataSource* source_ = nullptr;
    const karte::NewTestament* newTestament_ = nullptr;
    std::optional<QFont> cardFace_;
    const learning::Clock* clock_ = nullptr;
    bool fuzz_ = true;

    std::unique_ptr<learning::StudySession> session_;
    std::unique_ptr<learning::HistoryCount> logCount_; // of session_, while the log is being looked over
    QTimer logTimer_; // the next part of the log
    const nttext::ReadingText* reading_ = nullptr; // the text word by word, while a chapter is studied
    std::optional<std::int64_t> firstCard_;
    std::optional<std::pair<std::string, int>> chapterToStudy_;
    std::unique_ptr<nttext::CardSearch> search_;
    std::optional<std::int64_t> current_; // the card on show
    bool outOfTurn_ = false; // found by a search rather than given by the queue
    bool revealed_ = false;
    QElapsedTimer onShow_; // since the card came up
    QTimer sealTimer_; // asks a protected set to seal what has waited long enough
    QTimer dueTimer_; // brings back a learning card that falls due while the window waits
    QString pendingAnnouncement_;
    QString cardGone_; // why the last card answered left the study, until the next answer
    QPointer<speech::Speaker> speaker_;
    QString speechProblem_; // why nothing can be heard, once it is known
    // Last, so that it stops watching before the members above go.
    karte::Openings openings_ { this, [this] { FormShow(this); }, [this] { FormHide(this); } };
};
