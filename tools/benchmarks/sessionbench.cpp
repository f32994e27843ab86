// karte-bench-study: studying a set as the Study window does, without the window, on generated user sets of
// 1,000, 10,000 and 100,000 cards whose every card has been answered twice: opening the study (the set's cards and
// progress read, the day's queue built), one answer with its synced write, and the memory the open study holds
// (its progress, the queue and what SQLite reads of the study tables).

#include "studiedsets.h"

#include "location.h"
#include "studysession.h"
#include "table.h"
#include "text.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <malloc.h>
#include <memory>
#include <unistd.h>

namespace {

// A week after the generated answers, when a part of the cards is due.
constexpr std::int64_t kStudyTime = 1'700'000'000'000 + 7 * 86'400'000LL;

const nttext::Text& text()
{
    static const nttext::Text loaded = nttext::Text::load(nttext::findTextFile());
    return loaded;
}

int cardCount(const benchmark::State& state)
{
    return static_cast<int>(state.range(0));
}

// The heap the process has in use, SQLite's page cache included: what a study holds is the difference.
double heapMegabytes()
{
    return static_cast<double>(mallinfo2().uordblks) / (1 << 20);
}

// Opening the Study window on a set the main window has open: everything up to the first card to show.
void BM_StudyWindowOpen(benchmark::State& state)
{
    const learning::ManualClock clock(kStudyTime);
    text();
    cardstore::Table table;
    table.setTableName(benchsets::studiedSet(cardCount(state)));
    table.open();
    for (auto _ : state) {
        // The main window's open of the set is not the Study window's; its study store is.
        state.PauseTiming();
        table.close();
        table.open();
        table.first(); // the main window's word list has walked the set in its order
        const double before = heapMegabytes();
        state.ResumeTiming();
        learning::StudySession session(table, clock, &text());
        benchmark::DoNotOptimize(session.next());
        state.PauseTiming();
        state.counters["added_MB"] = heapMegabytes() - before;
        state.ResumeTiming();
    }
}

// One answer on a plain set, kept in the set (a synced write) and the queue moved on.
void BM_StudyAnswer(benchmark::State& state)
{
    learning::ManualClock clock(kStudyTime);
    cardstore::Table table;
    table.setTableName(benchsets::studiedSet(cardCount(state)));
    table.open();
    learning::StudySession session(table, clock, &text(), false);
    for (auto _ : state) {
        const std::optional<learning::QueueItem> next = session.next();
        if (!next) {
            state.SkipWithError("the queue ran out");
            break;
        }
        session.answer(next->key, learning::Grade::Good, 3000);
        clock.advanceMs(1000);
    }
}

void cardCounts(benchmark::internal::Benchmark* benchmark)
{
    benchmark->ArgName("cards")->Arg(1'000)->Arg(10'000)->Arg(100'000);
}

BENCHMARK(BM_StudyWindowOpen)->Apply(cardCounts)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StudyAnswer)->Apply(cardCounts)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(200);

} // namespace

BENCHMARK_MAIN();
