#pragma once

#include "reviewqueue.h"
#include "scheduler.h"
#include "studyset.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace cardstore {
class StudyLock;
} // namespace cardstore

namespace learning {

// Studying the set a table has open, as the Study window does: the set as StudySet reads it, the day's queue, and
// answers written through the set's study store and taken back. The table must stay open, on the same set, for the
// session's life; the session never moves its cursor.
class StudySession : public StudySet
{
public:
    // Raises the engine's error for study progress it cannot read (damaged tables); rows it left out are told in
    // resetMessages().
    StudySession(cardstore::Table& table, const Clock& clock, const nttext::Text* text, bool fuzz = true,
        const nttext::ReadingText* reading = nullptr);
    ~StudySession();

    // Takes the set's study lock (cardstore::StudyLock), so that no other window or program studies the set while
    // this session does: raises the table-locked error while one does. The first answer takes it otherwise; the
    // session lets go of it when it ends. Nothing for a set that cannot be written.
    void beginStudy();
    // A protected set seals its answers in batches; see StudyStore.
    bool hasUnsealedAnswers() const;
    void sealIfDue();
    void seal();

    // Keeps the settings in the set (when it can be written), each that changed; builds the queue anew when one
    // that shapes it changed.
    void changeSettings(const StudySettings& settings);

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

private:
    struct SessionAnswer
    {
        Answer answer;
        bool fromQueue; // the queue can take it back itself
        std::int64_t id; // in the set's log; 0 when not kept
    };

    void buildQueue();
    int newCardsAnsweredToday() const;
    std::int64_t keep(const Answer& answer, std::int64_t durationMs);
    // The card's memory after an answer or its undo, where the store does not keep it.
    void remember(std::int64_t key, const Memory& memory);
    // Drops a card another program deleted: from the cards, their memories and the queue.
    void forgetCard(std::int64_t key);

    bool fuzz_;
    Scheduler scheduler_;
    std::optional<ReviewQueue> queue_; // rebuilt, so held where it can be made again
    std::vector<SessionAnswer> answers_;
    std::unique_ptr<cardstore::StudyLock> studyLock_;
};

} // namespace learning
