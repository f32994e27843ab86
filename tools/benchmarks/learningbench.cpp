// Speed of the study core on generated sets of 1,000 to 100,000 cards: building the review queue, answering in
// it, the progress figures, known words over time from a review log, and one scheduling. Run it from a Release
// or RelWithDebInfo build.

#include "knownhistory.h"
#include "progress.h"
#include "reviewqueue.h"
#include "scheduler.h"

#include <benchmark/benchmark.h>

#include <random>
#include <unordered_map>
#include <vector>

using namespace learning;

namespace {

constexpr std::int64_t kNow = 1'717'243'200'000; // 2024-06-01 12:00 UTC

// A set some months into study: 30% new, 5% learning, the rest in review with due times from a month ago to a
// year ahead.
Memory studiedMemory(std::mt19937_64& random, std::size_t i)
{
    const std::size_t kind = i % 20;
    if (kind < 6)
        return {};
    const double stability = 0.5 + static_cast<double>(random() % 20000) / 100;
    const double difficulty = 1 + static_cast<double>(random() % 900) / 100;
    const std::int64_t last = kNow - static_cast<std::int64_t>(random() % (200 * kDayMs));
    if (kind == 6)
        return { State::Learning, 1, stability, difficulty, kNow + static_cast<std::int64_t>(random() % kHourMs), last,
            2, 0 };
    const std::int64_t due = kNow - 30 * kDayMs + static_cast<std::int64_t>(random() % (395 * kDayMs));
    return { State::Review, 0, stability, difficulty, due, last, 6, 1 };
}

std::vector<QueueCard> queueCards(std::size_t n)
{
    std::mt19937_64 random(42);
    std::vector<QueueCard> cards(n);
    for (std::size_t i = 0; i < n; ++i) {
        const Memory memory = studiedMemory(random, i);
        cards[i] = { static_cast<std::int64_t>(i), static_cast<std::int64_t>(random() % n), std::nullopt,
            static_cast<std::int64_t>(random() % 50) };
        if (memory.state != State::New)
            cards[i].memory = memory;
    }
    return cards;
}

std::vector<ProgressCard> progressCards(std::size_t n)
{
    std::vector<ProgressCard> cards;
    cards.reserve(n);
    for (const QueueCard& card : queueCards(n))
        cards.push_back({ card.key, card.memory, 20000 / (card.key + 1) + 1 });
    return cards;
}

void BM_BuildQueue(benchmark::State& state)
{
    const auto cards = queueCards(static_cast<std::size_t>(state.range(0)));
    const ManualClock clock(kNow);
    for (auto _ : state) {
        ReviewQueue queue(Scheduler(), clock, cards);
        benchmark::DoNotOptimize(queue.counts());
    }
}
BENCHMARK(BM_BuildQueue)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// One answer with its new counts, and its undo, as the Study window does them.
void BM_AnswerAndUndo(benchmark::State& state)
{
    const ManualClock clock(kNow);
    ReviewQueue queue(Scheduler(), clock, queueCards(static_cast<std::size_t>(state.range(0))));
    for (auto _ : state) {
        const auto item = queue.next();
        benchmark::DoNotOptimize(queue.answer(item->key, Grade::Good));
        benchmark::DoNotOptimize(queue.counts());
        benchmark::DoNotOptimize(queue.undo());
    }
}
BENCHMARK(BM_AnswerAndUndo)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_SetProgress(benchmark::State& state)
{
    const auto cards = progressCards(static_cast<std::size_t>(state.range(0)));
    const ManualClock clock(kNow, 3600);
    for (auto _ : state)
        benchmark::DoNotOptimize(setProgress(cards, clock));
}
BENCHMARK(BM_SetProgress)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// A log of state.range(0) answers over a year on a set of 20,000 cards.
void BM_KnownHistory(benchmark::State& state)
{
    const auto entries = static_cast<std::size_t>(state.range(0));
    std::mt19937_64 random(7);
    SchedulerSettings settings;
    const Scheduler scheduler(settings);
    std::vector<ReviewLogEntry> log;
    std::unordered_map<std::int64_t, Memory> memories;
    std::unordered_map<std::int64_t, std::int64_t> frequencies;
    for (std::int64_t key = 0; key < 20000; ++key)
        frequencies[key] = 20000 / (key + 1) + 1;
    for (std::size_t i = 0; i < entries; ++i) {
        const auto key = static_cast<std::int64_t>(random() % 20000);
        const std::int64_t at
            = kNow + static_cast<std::int64_t>(i) * (365 * kDayMs / static_cast<std::int64_t>(entries));
        const auto grade = static_cast<Grade>(1 + random() % 4);
        Memory& memory = memories[key];
        const Memory after = scheduler.review(memory, grade, at);
        log.push_back({ key, at, grade, memory.state, 6000, after });
        memory = after;
    }
    const ManualClock clock(kNow, 3600);
    for (auto _ : state) {
        KnownHistory history(frequencies, clock);
        for (const ReviewLogEntry& entry : log)
            history.add(entry);
        benchmark::DoNotOptimize(history.finish());
    }
}
BENCHMARK(BM_KnownHistory)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_Preview(benchmark::State& state)
{
    const Scheduler scheduler;
    const Memory memory { State::Review, 0, 12.5, 6.2, kNow - kDayMs, kNow - 13 * kDayMs, 7, 1 };
    for (auto _ : state)
        benchmark::DoNotOptimize(scheduler.preview(memory, kNow));
}
BENCHMARK(BM_Preview)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
