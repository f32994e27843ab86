// Progress figures on small sets worked out by hand: counts, coverage, the due forecast, today's summary, known
// words over time (against a day-by-day recount) and book coverage, with their sentences.

#include "bookcoverage.h"
#include "knownhistory.h"
#include "progress.h"
#include "progresstext.h"
#include "scheduler.h"

#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <random>
#include <vector>

using namespace learning;

namespace {

constexpr std::int64_t kNow = 1'717'243'200'000; // 2024-06-01 12:00 UTC

Memory review(double stability, std::int64_t lastReviewMs, std::int64_t dueMs)
{
    return { State::Review, 0, stability, 5, dueMs, lastReviewMs, 3, 0 };
}

} // namespace

TEST(Progress, CountsCoverageAndForecastOfASmallSet)
{
    // UTC+10: it is 22:00 locally, so today ends at kNow + 2h.
    const ManualClock clock(kNow, 10 * 3600);
    struct Row
    {
        ProgressCard card;
        State counted;
        bool known;
        bool dueToday;
        int forecastDay; // -1: new or beyond the forecast
    };
    const Row rows[] = {
        { { 1, std::nullopt, 100 }, State::New, false, false, -1 },
        { { 2, Memory {}, 50 }, State::New, false, false, -1 },
        { { 3, Memory { State::Learning, 0, 1, 5, kNow - kHourMs, kNow - 2 * kHourMs, 1, 0 }, 40 }, State::Learning,
            false, true, 0 },
        { { 4, review(10, kNow - 3 * kDayMs, kNow + kHourMs), 300 }, State::Review, true, true, 0 },
        { { 5, review(10, kNow - 20 * kDayMs, kNow - 10 * kDayMs), 200 }, State::Review, false, true, 0 },
        { { 6, review(100, kNow - kDayMs, kNow + 2 * kHourMs + 1), 1000 }, State::Review, true, false, 1 },
        { { 7, review(50, kNow, kNow + 29 * kDayMs + 12 * kHourMs), 7 }, State::Review, true, false, -1 },
        { { 8, Memory { State::Relearning, 0, 2, 7, kNow + 3 * kHourMs, kNow, 9, 2 }, 5 }, State::Learning, false,
            false, 1 },
        { { 9, review(std::numeric_limits<double>::quiet_NaN(), kNow, kNow), 9 }, State::New, false, false, -1 },
    };
    std::vector<ProgressCard> cards;
    SetProgress expected;
    for (const Row& row : rows) {
        cards.push_back(row.card);
        ++expected.cards;
        expected.newCards += row.counted == State::New;
        expected.learning += row.counted == State::Learning;
        expected.review += row.counted == State::Review;
        expected.known += row.known;
        expected.knownOccurrences += row.known ? row.card.frequency : 0;
        expected.dueToday += row.dueToday;
        if (row.forecastDay >= 0)
            ++expected.duePerDay[static_cast<std::size_t>(row.forecastDay)];
    }
    const SetProgress p = setProgress(cards, clock);
    EXPECT_EQ(p.cards, expected.cards);
    EXPECT_EQ(p.newCards, expected.newCards);
    EXPECT_EQ(p.learning, expected.learning);
    EXPECT_EQ(p.review, expected.review);
    EXPECT_EQ(p.known, expected.known);
    EXPECT_EQ(p.dueToday, expected.dueToday);
    EXPECT_EQ(p.knownOccurrences, expected.knownOccurrences);
    EXPECT_DOUBLE_EQ(p.coverage, static_cast<double>(expected.knownOccurrences) / kNewTestamentWords);
    EXPECT_EQ(p.duePerDay, expected.duePerDay);
}

TEST(Progress, Sentences)
{
    const std::pair<std::string, std::string> cases[] = {
        { knownWordsSentence(312, 0.79436),
            "You know 312 words, 79.4% of the words you will read in the New Testament" },
        { knownWordsSentence(1, 0.0004), "You know 1 word, 0.0% of the words you will read in the New Testament" },
        { knownWordsSentence(1125, 0.99996),
            "You know 1,125 words, 99.9% of the words you will read in the New Testament" },
        { knownCardsSentence(5, 3, 3, 0.0183),
            "5 cards known, 3 of them words of the New Testament, which make up 1.8% of the words you will read in "
            "it" },
        { knownCardsSentence(5, 4, 3, 0.0183),
            "5 cards known, 4 of them words of the New Testament (3 different words), which make up 1.8% of the "
            "words you will read in it" },
        { knownCardsSentence(2, 2, 1, 0.0024),
            "2 cards known, all of them words of the New Testament (one and the same word), which makes up 0.2% of "
            "the words you will read in it" },
        { knownCardsSentence(1, 0, 0, 0), "1 card known, not a word of the New Testament" },
        { knownCardsSentence(0, 0, 0, 0), "No cards known yet" },
        { retentionText(std::nullopt), "no reviews" },
        { retentionText(11.0 / 12), "91.7%" },
        { percentText(1), "100.0%" },
        { countText(1234567, "word", "words"), "1,234,567 words" },
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(text, expected);
}

TEST(Progress, TodaysSummaryCountsTodaysAnswersOnly)
{
    // UTC-5: it is 07:00 locally; today runs from kNow - 7h to kNow + 17h.
    const ManualClock clock(kNow, -5 * 3600);
    const Memory after = review(5, kNow, kNow + 5 * kDayMs);
    const ReviewLogEntry log[] = {
        { 1, kNow - 7 * kHourMs - 1, Grade::Again, State::Review, 9000, after }, // yesterday
        { 2, kNow - 7 * kHourMs, Grade::Good, State::New, 10'000, after },
        { 3, kNow - kHourMs, Grade::Again, State::Review, 20'000, after },
        { 4, kNow, Grade::Good, State::Review, 15'000, after },
        { 5, kNow + kHourMs, Grade::Hard, State::Review, 5000, after },
        { 2, kNow + 2 * kHourMs, Grade::Good, State::Learning, 8000, after },
        { 6, kNow + 17 * kHourMs, Grade::Easy, State::Review, 7000, after }, // tomorrow
    };
    const ProgressCard cards[] = { { 1, std::nullopt, 3 }, { 2, review(5, kNow, kNow + 2 * kDayMs), 3 },
        { 3, review(5, kNow, kNow + kDayMs), 3 } };
    const TodaySummary s = todaySummary(log, cards, clock);
    EXPECT_EQ(s.reviews, 5);
    EXPECT_EQ(s.newCards, 1);
    EXPECT_EQ(s.timeSpentMs, 10'000 + 20'000 + 15'000 + 5000 + 8000);
    EXPECT_EQ(s.reviewAnswers, 3);
    EXPECT_EQ(s.reviewsRecalled, 2);
    EXPECT_DOUBLE_EQ(*s.retention, 2.0 / 3);
    EXPECT_EQ(s.nextDueMs, kNow + kDayMs);

    const TodaySummary none = todaySummary(std::span(log).subspan(1, 1), {}, clock);
    EXPECT_EQ(retentionText(none.retention), "no reviews");
    EXPECT_FALSE(none.nextDueMs);
}

namespace {

void knownWordsOverTimeAgreeWithARecount(std::int64_t spacing)
{
    const ManualClock clock(kNow, 2 * 3600);
    SchedulerSettings settings;
    settings.fuzz = false;
    const Scheduler scheduler(settings);
    std::unordered_map<std::int64_t, std::int64_t> frequencies;
    for (std::int64_t key = 0; key < 40; ++key)
        frequencies[key * spacing] = 1000 / (key + 1);

    // Answers on about two days in three over 120 days, each day's first answer set back by a minute so that
    // the log is not quite in order, and some for a card no longer in the set (key 99).
    std::mt19937 random(7);
    std::map<std::int64_t, Memory> memories;
    std::vector<ReviewLogEntry> log;
    for (int day = 0; day < 120; ++day) {
        if (random() % 3 == 0)
            continue;
        std::int64_t t = kNow + day * kDayMs + static_cast<std::int64_t>(random() % 6) * kHourMs;
        for (int i = 0; i < 8; ++i, t += 3 * kMinuteMs) {
            const std::int64_t key = (i == 7 ? 99 : static_cast<std::int64_t>(random() % 40)) * spacing;
            const auto grade = static_cast<Grade>(1 + random() % 4);
            const std::int64_t at = i == 0 && !log.empty() ? log.back().reviewedMs - kMinuteMs : t;
            const Memory after = scheduler.review(memories[key], grade, at);
            log.push_back({ key, at, grade, memories[key].state, 5000, after });
            memories[key] = after;
        }
    }

    KnownHistory history(frequencies, clock);
    for (const ReviewLogEntry& entry : log)
        history.add(entry);
    const std::vector<HistoryPoint> points = history.finish();

    // The recount: an entry belongs to its local day, or to the day before it in the log if that is later.
    std::vector<HistoryPoint> expected;
    std::map<std::int64_t, Memory> latest;
    std::int64_t dayStart = std::numeric_limits<std::int64_t>::min();
    const auto closeDay = [&] {
        HistoryPoint point { dayStart, 0, 0, 0 };
        for (const auto& [key, memory] : latest) {
            if (frequencies.contains(key) && isKnown(memory, dayStart + kDayMs - 1)) {
                ++point.known;
                point.knownOccurrences += frequencies[key];
            }
        }
        point.coverage = static_cast<double>(point.knownOccurrences) / kNewTestamentWords;
        expected.push_back(point);
    };
    for (const ReviewLogEntry& entry : log) {
        const std::int64_t entryDay = localDayStartMs(entry.reviewedMs, 2 * 3600);
        if (entryDay > dayStart) {
            if (!latest.empty())
                closeDay();
            dayStart = entryDay;
        }
        latest[entry.key] = entry.after;
    }
    closeDay();
    ASSERT_GT(expected.size(), 60u);
    EXPECT_EQ(points, expected);
}

} // namespace

TEST(Progress, KnownWordsOverTimeAgreeWithADayByDayRecount)
{
    // Keys close together, as a set's row ids are, and keys far apart.
    for (const std::int64_t spacing : { std::int64_t { 1 }, std::int64_t { 1'000'000'007 } }) {
        SCOPED_TRACE(spacing);
        knownWordsOverTimeAgreeWithARecount(spacing);
    }
}

TEST(BookCoverage, TheFewestMoreWordsForEachMarkWhereverTheyAre)
{
    // n lemmas of one count.
    const auto lemmas = [](std::vector<BookLemma>& list, int n, std::int64_t count, bool inSet, bool known) {
        for (int i = 0; i < n; ++i)
            list.push_back({ count, inSet, known });
    };
    struct Case
    {
        std::string book;
        std::vector<BookLemma> lemmas;
        std::string mark90;
        std::string mark95;
    };
    std::vector<Case> cases(6);
    // 500 of 1,000 known. The set's forty words of 5 make 200; three words outside it make 300: 90% takes those
    // three and twenty of the set's, not all forty and two more.
    cases[0].book = "Acts";
    lemmas(cases[0].lemmas, 1, 500, true, true);
    lemmas(cases[0].lemmas, 40, 5, true, false);
    lemmas(cases[0].lemmas, 3, 100, false, false);
    cases[0].mark90 = "23 more words for 90% of Acts, 20 of them in this set";
    cases[0].mark95 = "33 more words for 95% of Acts, 30 of them in this set";
    // 96% known: both marks reached, the 95% one too.
    cases[1].book = "John";
    lemmas(cases[1].lemmas, 1, 960, true, true);
    lemmas(cases[1].lemmas, 40, 1, true, false);
    cases[1].mark90 = "You already know 90% of John's words";
    cases[1].mark95 = "You already know 95% of John's words";
    // 890 known; of two words of 10 the set's comes first, then forty of the set's words of 1 after the other.
    cases[2].book = "Jude";
    cases[2].lemmas = { { 10, false, false }, { 890, true, true }, { 10, true, false }, { 0, false, false } };
    lemmas(cases[2].lemmas, 90, 1, true, false);
    cases[2].mark90 = "1 more word for 90% of Jude, in this set";
    cases[2].mark95 = "42 more words for 95% of Jude, 41 of them in this set";
    // 90% reached; 95% takes the one word outside the set.
    cases[3].book = "Titus";
    cases[3].lemmas = { { 940, true, true }, { 60, false, false } };
    cases[3].mark90 = "You already know 90% of Titus' words";
    cases[3].mark95 = "1 more word for 95% of Titus, not in this set";
    // Half known, the rest outside the set.
    cases[4].book = "Mark";
    lemmas(cases[4].lemmas, 1, 500, true, true);
    lemmas(cases[4].lemmas, 100, 5, false, false);
    cases[4].mark90 = "80 more words for 90% of Mark, none of them in this set";
    cases[4].mark95 = "90 more words for 95% of Mark, none of them in this set";
    // Nothing known, everything in the set.
    cases[5].book = "1 John";
    lemmas(cases[5].lemmas, 10, 100, true, false);
    cases[5].mark90 = "9 more words for 90% of 1 John, all of them in this set";
    cases[5].mark95 = "10 more words for 95% of 1 John, all of them in this set";

    for (const Case& c : cases) {
        SCOPED_TRACE(c.mark90);
        const BookCoverage coverage = bookCoverage(c.lemmas);
        std::int64_t total = 0;
        std::int64_t known = 0;
        for (const BookLemma& lemma : c.lemmas) {
            total += lemma.count;
            known += lemma.known ? lemma.count : 0;
        }
        EXPECT_EQ(coverage.totalWords, total);
        EXPECT_EQ(coverage.knownWords, known);
        EXPECT_EQ(bookMarkSentence(c.book, coverage.mark90), c.mark90);
        EXPECT_EQ(bookMarkSentence(c.book, coverage.mark95), c.mark95);
    }
}
