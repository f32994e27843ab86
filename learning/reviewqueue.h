#pragma once

#include "clock.h"
#include "memory.h"
#include "scheduler.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace learning {

// A card of the set as the queue needs it.
struct QueueCard
{
    std::int64_t key = 0;
    std::int64_t position = 0; // place in the set's primary order
    std::optional<Memory> memory; // none: never studied
    std::int64_t bookFrequency = 0; // occurrences in the chosen book, read only when studying by book
};

struct QueueOptions
{
    int newCardLimit = 20; // new cards a day
    int newCardsIntroducedToday = 0; // counted from today's review log
    // Study by book: new cards are only those with bookFrequency > 0, most frequent first (ties in set order).
    bool byBook = false;
    // A learning card due this soon may be shown early when nothing else is left, rather than making the learner
    // wait for a step of a few minutes (the usual setting of common spaced-repetition programs).
    std::int64_t learnAheadMs = 20 * kMinuteMs;
};

enum class QueueSource { Learning, Review, New };

struct QueueItem
{
    std::int64_t key;
    Memory memory;
    QueueSource source;
};

// "New · Learning · Due": new cards still to come today, learning cards due today, reviews left.
struct QueueCounts
{
    int newCards;
    int learning;
    int due;
    friend bool operator==(const QueueCounts&, const QueueCounts&) = default;
};

// An answer as the caller stores it: the card's memory before and after (and, for an undo, to put back).
struct Answer
{
    std::int64_t key;
    Grade grade;
    std::int64_t answeredMs;
    Memory before;
    Memory after;
};

// Today's study of one set, in this order:
//  1. learning and relearning cards that are due, soonest due first;
//  2. review cards due today (by the end of the local day, so that a card answered yesterday evening comes up
//     this morning, and the count agrees with the Progress window's "due today"), most overdue first, where
//     overdue is relative to the card's last interval: (now - due) / (due - last review), so a card a day late
//     on a two-day interval comes before one three days late on a year; ties in set order;
//  3. new cards in set order (or by book), up to the day's limit;
//  4. learning cards due within the learn-ahead time.
// It is built for one sitting: rebuild it when the day changes. The clock must outlive the queue.
class ReviewQueue
{
public:
    ReviewQueue(Scheduler scheduler, const Clock& clock, std::vector<QueueCard> cards, QueueOptions options = {});

    // The card to show now, if any.
    std::optional<QueueItem> next() const;
    // Answers a card that may be shown now (the one next() gave, or another learning card due within the
    // learn-ahead time). Nothing happens, and nullopt comes back, for any other key.
    std::optional<Answer> answer(std::int64_t key, Grade grade);
    // Takes back the last answer not yet taken back: the card returns to where it was in the queue and the
    // answer comes back, so that the caller can put the stored memory back and drop the log entry.
    std::optional<Answer> undo();
    bool canUndo() const { return !undo_.empty(); }
    // Lets n more new cards in today than the daily limit.
    void allowExtraNewCards(int n);

    QueueCounts counts() const;
    // The earliest due time of a card still waiting (learning cards, reviews due after today); nullopt when no
    // card is waiting. When next() has nothing, this is when to come back.
    std::optional<std::int64_t> nextDueMs() const;

private:
    struct Entry
    {
        std::int64_t key;
        std::int64_t position;
        Memory memory;
    };
    struct UndoRecord
    {
        Answer answer;
        QueueSource source;
        std::size_t learningIndex; // where a learning card stood
        std::int64_t position;
        bool backInLearning; // the answer left the card in the learning list (at its end)
        std::optional<std::int64_t> laterDueMs;
    };

    int newCardsLeftToday() const;
    // Index into learning_ of the soonest due card due by limitMs, ties in set order.
    std::optional<std::size_t> soonestLearning(std::int64_t limitMs) const;

    Scheduler scheduler_;
    const Clock& clock_;
    QueueOptions options_;
    std::vector<Entry> learning_;
    std::vector<Entry> reviews_;
    std::size_t reviewCursor_ = 0;
    std::vector<Entry> newCards_;
    std::size_t newCursor_ = 0;
    int newIntroduced_ = 0;
    int extraNew_ = 0;
    std::optional<std::int64_t> laterDueMs_;
    std::vector<UndoRecord> undo_;
};

} // namespace learning
