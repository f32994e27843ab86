#pragma once

#include "bookcoverage.h"
#include "clock.h"
#include "knownhistory.h"
#include "progress.h"
#include "reviewqueue.h"
#include "scheduler.h"
#include "value.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace cardstore {
class StudyLock;
struct CardMemory;
class StudyStore;
class Table;
} // namespace cardstore

namespace nttext {
class ReadingText;
class Text;
} // namespace nttext

namespace learning {

// A card of the open set as studying shows it.
struct StudyCard
{
    std::int64_t key = 0;
    std::string greek;
    std::string english;
    std::string frequency; // as the set writes it
    std::int64_t occurrences = 0; // the frequency as a count of words, 0 when there is none
    int lemma = -1; // the text's lemma the Greek side names, -1 when it names none
    bool lemmaThroughForm = false; // the side is a form of the lemma (δεῖ of δέω) rather than the lemma itself
};

enum class FirstSide { Greek, English };
// How the Greek is read aloud: the restored (Erasmian) pronunciation, or Modern Greek.
enum class Pronunciation { Erasmian, Modern };

// How a set is studied, kept in the set.
struct StudySettings
{
    double desiredRetention = 0.9;
    int dailyNewCards = 20;
    FirstSide firstSide = FirstSide::Greek;
    std::string book; // the code of the book studied ("1Jn"), empty for all words
    // Reading the Greek aloud: each card's as its Greek side comes up, or only when asked; how; and how fast, in
    // percent of the voice's normal speed.
    bool readAloud = false;
    Pronunciation pronunciation = Pronunciation::Erasmian;
    int speechSpeed = 100;
    int chapter = 0; // with a book, the number of the one chapter of it studied; 0 for the whole book
};

// The highest daily new-card limit a set may keep.
inline constexpr int kMostDailyNewCards = 9999;
// The speeds of reading aloud a set may keep, in percent of the voice's normal speed.
inline constexpr int kSlowestSpeech = 50;
inline constexpr int kFastestSpeech = 200;

// Studying the set a table has open: its cards and progress read once, the day's queue, answers written through
// the set's study store, and the figures of the Progress window. The table must stay open, on the same set, for
// the session's life; the session never moves its cursor. Time comes from clock; text, when there is one, gives
// the study by book and the word counts of the New Testament; reading, the text word by word, the study of a
// chapter (without it a chapter chosen is studied as its whole book).
class StudySession
{
public:
    // Raises the engine's error for study progress it cannot read (damaged tables); rows it left out are told in
    // resetMessages().
    StudySession(cardstore::Table& table, const Clock& clock, const nttext::Text* text, bool fuzz = true,
        const nttext::ReadingText* reading = nullptr);
    ~StudySession();
    StudySession(const StudySession&) = delete;
    StudySession& operator=(const StudySession&) = delete;

    // false: answers are taken but not kept (a set that cannot be written).
    bool canSave() const;
    // Takes the set's study lock (cardstore::StudyLock), so that no other window or program studies the set while
    // this session does: raises the table-locked error while one does. The first answer takes it otherwise; the
    // session lets go of it when it ends. Nothing for a set that cannot be written.
    void beginStudy();
    const std::vector<std::string>& resetMessages() const;
    // A protected set seals its answers in batches; see StudyStore.
    bool isProtected() const { return protected_; }
    bool hasUnsealedAnswers() const;
    void sealIfDue();
    void seal();

    const Clock& clock() const { return clock_; }
    const StudySettings& settings() const { return settings_; }
    // Keeps the settings in the set (when it can be written), each that changed; builds the queue anew when one
    // that shapes it changed.
    void changeSettings(const StudySettings& settings);
    // The book studied as the text's canonical place, when a book is chosen and there is a text.
    std::optional<int> bookIndex() const;
    // The chapter studied as its index in the text for reading, when one is chosen and there is that text.
    std::optional<int> chapterIndex() const;

    // Every card of the set in its primary order, their texts read and lemmas looked up: work in proportion to the
    // set, for the search and the Progress window.
    std::vector<StudyCard> cards() const;
    // One card, its lemma looked up; null when the set has no card with that key.
    const StudyCard* card(std::int64_t key) const;
    std::optional<Memory> memory(std::int64_t key) const;

    std::optional<QueueItem> next() const { return queue_->next(); }
    QueueCounts counts() const { return queue_->counts(); }
    std::optional<std::int64_t> nextDueMs() const { return queue_->nextDueMs(); }
    void allowExtraNewCards(int n) { queue_->allowExtraNewCards(n); }
    // What each answer would do to the card now.
    std::array<Outcome, 4> preview(std::int64_t key) const;

    // Answers a card: the one the queue shows, or any other card of the set (a review out of turn, found by a
    // search), which is graded the same way. Kept in the set before it returns; a failed write leaves the card and
    // the queue as they were and raises the error. A card another program has deleted meanwhile leaves the
    // session: the record-deleted error says so. durationMs counts up to a day (cardstore::studybounds).
    Answer answer(std::int64_t key, Grade grade, std::int64_t durationMs);
    bool canUndo() const { return !answers_.empty(); }
    // Takes back the last answer of this session, in the set as well (that very answer, whatever was answered
    // since in another program, and its card's memory as it was before it); its card comes up again.
    std::optional<Answer> undo();

    // Today's answers to this set, and what is due next.
    TodaySummary today() const;
    // The Progress window's figures: over the whole text (the cards' frequencies count its running words).
    SetProgress progress() const;
    // Known words and coverage at the end of each day that had answers, from the review log.
    std::vector<HistoryPoint> history() const;
    // Every answer the set keeps, in time order, for figures that count the cards some other way.
    void visitReviews(const std::function<void(const ReviewLogEntry&)>& visit) const;
    // The chosen book's coverage, when a book is chosen and there is a text.
    std::optional<BookCoverage> bookCoverage() const;

private:
    struct SessionAnswer
    {
        Answer answer;
        bool fromQueue; // the queue can take it back itself
        std::int64_t id; // in the set's log; 0 when not kept
    };

    void loadCards();
    void loadSettings();
    void loadMemories();
    void buildQueue();
    int newCardsAnsweredToday() const;
    std::vector<ProgressCard> progressCards() const;
    std::int64_t keep(const Answer& answer, std::int64_t durationMs);
    // Drops a card another program deleted: from the cards, their memories and the queue.
    void forgetCard(std::int64_t key);
    // What the session keeps of every card. Its texts are read from the table, and its lemma looked up, when first
    // needed: a set of a hundred thousand cards would pay for them at every opening of the Study window, which
    // needs only the cards it shows.
    struct CardEntry
    {
        std::int64_t key;
        std::int64_t occurrences;
        int lemma; // kNotReadYet until looked up
        bool lemmaThroughForm;
    };
    static constexpr int kNotReadYet = -2;
    StudyCard read(std::size_t place) const;
    int lemmaAt(std::size_t place) const;
    static const cardstore::Value& field(const std::vector<cardstore::Value>& values, int index);
    void remember(std::int64_t key, const Memory& memory);

    const cardstore::Table& table_;
    cardstore::StudyStore& store_;
    const Clock& clock_;
    const nttext::Text* text_;
    const nttext::ReadingText* reading_;
    bool fuzz_;
    bool protected_;
    StudySettings settings_;
    Scheduler scheduler_;
    mutable std::vector<CardEntry> cards_; // in the set's primary order
    mutable std::unordered_map<std::size_t, StudyCard> shown_; // the cards read so far, by place
    int greekField_ = -1;
    int englishField_ = -1;
    int frequencyField_ = -1;
    // (key, place in cards_) by key: a hundred thousand cards sort faster than they go into a hash table.
    std::vector<std::pair<std::int64_t, std::size_t>> placeOfKey_;
    std::optional<std::size_t> placeOf(std::int64_t key) const;
    std::vector<std::optional<Memory>> memories_; // by place in cards_; none: new
    std::optional<ReviewQueue> queue_; // rebuilt, so held where it can be made again
    std::vector<SessionAnswer> answers_;
    std::unique_ptr<cardstore::StudyLock> studyLock_;
};

// The settings as a set keeps them, and back; a value that cannot be read keeps its default.
StudySettings readStudySettings(const cardstore::StudyStore& store);

// A card's memory as the set keeps it, in the study core's terms (sanitized()).
Memory memoryOf(const cardstore::CardMemory& stored);

} // namespace learning
