// The review queue's order, limits, learn-ahead, study by book and undo, on a clock set by hand.

#include "reviewqueue.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

using namespace learning;

namespace {

constexpr std::int64_t kNow = 1'717'243'200'000; // 2024-06-01 12:00 UTC; the local day here is the UTC day

Scheduler plainScheduler()
{
    SchedulerSettings settings;
    settings.fuzz = false;
    return Scheduler(settings);
}

QueueCard learningCard(std::int64_t key, std::int64_t position, State state, std::int64_t dueMs)
{
    return { key, position, Memory { state, 1, 3, 5, dueMs, dueMs - 10 * kMinuteMs, 2, 0 }, 0 };
}

QueueCard reviewCard(std::int64_t key, std::int64_t position, std::int64_t lastReviewMs, std::int64_t dueMs)
{
    return { key, position, Memory { State::Review, 0, 10, 5, dueMs, lastReviewMs, 5, 0 }, 0 };
}

QueueCard newCard(std::int64_t key, std::int64_t position, std::int64_t bookFrequency = 0)
{
    return { key, position, std::nullopt, bookFrequency };
}

std::vector<QueueCard> mixedSet()
{
    return {
        learningCard(1, 10, State::Learning, kNow - 2 * kMinuteMs),
        learningCard(2, 11, State::Relearning, kNow - 5 * kMinuteMs),
        learningCard(3, 12, State::Learning, kNow + 5 * kMinuteMs), // only by learning ahead
        learningCard(4, 13, State::Learning, kNow + 30 * kMinuteMs), // beyond the learn-ahead time
        reviewCard(10, 1, kNow - 10 * kDayMs, kNow - kDayMs), // 1/9 of its interval overdue
        reviewCard(11, 2, kNow - 3 * kDayMs, kNow - kDayMs), // 1/2
        reviewCard(12, 3, kNow - 400 * kDayMs, kNow - 30 * kDayMs), // 30/370
        reviewCard(13, 4, kNow - 2 * kDayMs, kNow + 3 * kHourMs), // due later today
        reviewCard(14, 5, kNow - 2 * kDayMs, kNow + kDayMs), // due tomorrow
        reviewCard(15, 0, kNow - 10 * kDayMs, kNow - kDayMs), // as overdue as 10, earlier in the set
        newCard(20, 30),
        newCard(21, 25),
        newCard(22, 35),
        newCard(23, 20),
        newCard(24, 40),
    };
}

// Answers whatever comes next with grade until nothing does; the keys in the order they came.
std::vector<std::int64_t> drain(ReviewQueue& queue, Grade grade)
{
    std::vector<std::int64_t> keys;
    while (const auto item = queue.next()) {
        keys.push_back(item->key);
        EXPECT_TRUE(queue.answer(item->key, grade));
    }
    return keys;
}

} // namespace

TEST(ReviewQueue, LearningThenDueThenNewThenLearningAhead)
{
    ManualClock clock(kNow);
    ReviewQueue queue(plainScheduler(), clock, mixedSet(), { 3, 1 });
    EXPECT_EQ(queue.counts(), (QueueCounts { 2, 4, 5 }));
    EXPECT_EQ(queue.nextDueMs(), kNow - 5 * kMinuteMs);
    // New cards answered Good come back after their 10-minute step, by learning ahead.
    const std::vector<std::int64_t> expected { 2, 1, 11, 15, 10, 12, 13, 23, 21, 3, 23, 21 };
    EXPECT_EQ(drain(queue, Grade::Good), expected);
    EXPECT_EQ(queue.counts(), (QueueCounts { 0, 1, 0 }));
    EXPECT_EQ(queue.nextDueMs(), kNow + 30 * kMinuteMs);

    queue.allowExtraNewCards(2);
    EXPECT_EQ(queue.counts(), (QueueCounts { 2, 1, 0 }));
    EXPECT_EQ(queue.next()->key, 20);
}

TEST(ReviewQueue, ALearningCardComesBackWhenDue)
{
    ManualClock clock(kNow);
    ReviewQueue queue(plainScheduler(), clock, { newCard(1, 0), newCard(2, 1) });
    ASSERT_TRUE(queue.answer(1, Grade::Again));
    EXPECT_EQ(queue.next()->key, 2);
    clock.advanceMs(kMinuteMs);
    EXPECT_EQ(queue.next()->key, 1);
    EXPECT_EQ(queue.next()->source, QueueSource::Learning);
}

TEST(ReviewQueue, AnswersOnlyACardThatMayBeShownNow)
{
    ManualClock clock(kNow);
    ReviewQueue queue(plainScheduler(), clock, mixedSet(), { 3, 1 });
    const QueueCounts before = queue.counts();
    for (std::int64_t key : { 4, 10, 21, 14, 99 })
        EXPECT_FALSE(queue.answer(key, Grade::Good)) << key;
    EXPECT_EQ(queue.counts(), before);
    EXPECT_FALSE(queue.canUndo());
    // A learning card due within the learn-ahead time may be answered out of turn.
    EXPECT_TRUE(queue.answer(3, Grade::Good));
}

TEST(ReviewQueue, UndoPutsEverythingBack)
{
    ManualClock clock(kNow);
    ReviewQueue queue(plainScheduler(), clock, mixedSet(), { 3, 1 });
    const QueueCounts start = queue.counts();
    std::vector<Answer> answers;
    for (Grade grade : { Grade::Again, Grade::Hard, Grade::Again, Grade::Good, Grade::Easy, Grade::Again }) {
        const auto item = queue.next();
        ASSERT_TRUE(item);
        answers.push_back(*queue.answer(item->key, grade));
        clock.advanceMs(20'000);
    }
    for (auto it = answers.rbegin(); it != answers.rend(); ++it) {
        const auto undone = queue.undo();
        ASSERT_TRUE(undone);
        EXPECT_EQ(undone->key, it->key);
        EXPECT_EQ(undone->before, it->before);
        EXPECT_EQ(undone->after, it->after);
    }
    EXPECT_FALSE(queue.undo());
    EXPECT_EQ(queue.counts(), start);
    clock.setNowMs(kNow);
    const std::vector<std::int64_t> expected { 2, 1, 11, 15, 10, 12, 13, 23, 21, 3, 23, 21 };
    EXPECT_EQ(drain(queue, Grade::Good), expected);
}

TEST(ReviewQueue, StudyByBookTakesTheBooksWordsMostFrequentFirst)
{
    ManualClock clock(kNow);
    std::vector<QueueCard> cards { newCard(20, 30, 0), newCard(21, 25, 5), newCard(22, 35, 9), newCard(23, 20, 5),
        newCard(24, 40, 1), newCard(25, 10, 2) };
    // A stored memory that is no use (stability not a number) makes the card new again.
    cards.back().memory = Memory { State::Review, 0, std::numeric_limits<double>::quiet_NaN(), 5, kNow, kNow, 3, 0 };
    QueueOptions options;
    options.byBook = true;
    ReviewQueue queue(plainScheduler(), clock, cards, options);
    EXPECT_EQ(queue.counts(), (QueueCounts { 5, 0, 0 }));
    const std::vector<std::int64_t> expected { 22, 23, 21, 25, 24 };
    EXPECT_EQ(drain(queue, Grade::Easy), expected);
}
