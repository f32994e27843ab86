// Speed of the Progress window on generated user sets of 1,000, 10,000 and 100,000 cards whose every card has been
// answered twice: its figures (what it shows as it opens), the same with the study session read from the set first,
// as the window does each time it opens, and known words over time, rebuilt from the log once the window is up.
// Part of karte-bench-store.

#include "studiedsets.h"

#include "clock.h"
#include "progressreport.h"
#include "studyset.h"
#include "table.h"

#include <benchmark/benchmark.h>

using benchsets::studiedSet;

namespace {

// Three days after the generated answers: some cards are known, some due.
const learning::ManualClock& benchClock()
{
    static const learning::ManualClock clock(1'700'000'000'000 + 3 * learning::kDayMs);
    return clock;
}

void checkFigures(benchmark::State& state, const learning::ProgressReport& report)
{
    if (report.figures.cards != state.range(0) || !report.knownWords)
        state.SkipWithError("the figures do not cover the generated progress");
}

void BM_ProgressFigures(benchmark::State& state)
{
    cardstore::Table table;
    table.setTableName(studiedSet(static_cast<int>(state.range(0))));
    table.open();
    const learning::StudySet session(table, benchClock(), nullptr);
    for (auto _ : state) {
        const learning::ProgressReport report = learning::progressReport(session, nullptr, true);
        checkFigures(state, report);
        benchmark::DoNotOptimize(report.figures.known);
    }
}

void BM_ProgressHistory(benchmark::State& state)
{
    cardstore::Table table;
    table.setTableName(studiedSet(static_cast<int>(state.range(0))));
    table.open();
    const learning::StudySet session(table, benchClock(), nullptr);
    for (auto _ : state) {
        const std::vector<learning::HistoryPoint> history = learning::knownHistory(session, nullptr, true);
        if (history.empty())
            state.SkipWithError("no days of answers in the generated progress");
        benchmark::DoNotOptimize(history.data());
    }
}

void BM_ProgressFiguresWithSession(benchmark::State& state)
{
    cardstore::Table table;
    table.setTableName(studiedSet(static_cast<int>(state.range(0))));
    table.open();
    table.study(); // the store's first look over every row is timed by BM_StudyOpen
    for (auto _ : state) {
        const learning::StudySet session(table, benchClock(), nullptr);
        const learning::ProgressReport report = learning::progressReport(session, nullptr, true);
        checkFigures(state, report);
        benchmark::DoNotOptimize(report.figures.known);
    }
}

// The Progress window on 100,000 cards whose log holds a million answers or ten: its figures as it opens, and its
// chart of known words over time with the notes of what was left out, which follow.
void BM_ProgressOpenLongLog(benchmark::State& state)
{
    const learning::ManualClock clock(benchsets::kLongLogNowMs);
    cardstore::Table table;
    table.setTableName(benchsets::longStudiedSet(100'000, state.range(0)));
    table.open();
    table.study();
    for (auto _ : state) {
        const learning::StudySet session(table, clock, nullptr);
        const learning::ProgressReport report = learning::progressReport(session, nullptr, true);
        if (report.figures.cards != 100'000)
            state.SkipWithError("the figures do not cover the generated set");
        benchmark::DoNotOptimize(report.figures.known);
    }
}

// The chart on a set whose days before today are kept, as either window keeps them once it has counted the log;
// daysKept 0: on a set an older program left without them, whose whole log is counted (a part at a time between
// events, in the window).
void BM_ProgressChartLongLog(benchmark::State& state)
{
    const learning::ManualClock clock(benchsets::kLongLogNowMs);
    cardstore::Table table;
    table.setTableName(benchsets::longStudiedSet(100'000, state.range(0), state.range(1) != 0));
    for (auto _ : state) {
        state.PauseTiming();
        table.close();
        table.open();
        const learning::StudySet session(table, clock, nullptr);
        state.ResumeTiming();
        const std::vector<learning::HistoryPoint> history = learning::knownHistory(session, nullptr, true);
        if (history.size() < 3000)
            state.SkipWithError("the chart misses days of the generated log");
        benchmark::DoNotOptimize(session.resetMessages().size());
    }
}

void longLogs(benchmark::internal::Benchmark* benchmark)
{
    benchmark->ArgName("answers")->Arg(1'000'000)->Arg(10'000'000);
}

void cardCounts(benchmark::internal::Benchmark* benchmark)
{
    benchmark->ArgName("cards")->Arg(1'000)->Arg(10'000)->Arg(100'000);
}

BENCHMARK(BM_ProgressFigures)->Apply(cardCounts)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProgressFiguresWithSession)->Apply(cardCounts)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProgressHistory)->Apply(cardCounts)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProgressOpenLongLog)->Apply(longLogs)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProgressChartLongLog)
    ->ArgNames({ "answers", "daysKept" })
    ->ArgsProduct({ { 1'000'000, 10'000'000 }, { 1, 0 } })
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
