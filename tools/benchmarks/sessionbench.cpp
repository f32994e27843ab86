// karte-bench-study: studying a set as the Study window does, without the window, on generated user sets of
// 1,000, 10,000 and 100,000 cards whose every card has been answered twice: opening the study (the set's cards and
// progress read, the day's queue built), one answer with its synced write, on a plain set and on a protected one
// (its answer journal synced; the sealing of the whole set every 20 answers apart), and the memory the open study
// holds (its progress, the queue and what SQLite reads of the study tables).

#include "studiedsets.h"

#include "historycount.h"
#include "location.h"
#include "protectedfile.h"
#include "session.h"
#include "studysession.h"
#include "studystore.h"
#include "table.h"
#include "text.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
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

// The set opened afresh as the window finds it, the timing paused.
void reopenUntimed(benchmark::State& state, cardstore::Table& table)
{
    state.PauseTiming();
    table.close();
    table.open();
    table.first();
}

// Opening the Study window on 100,000 cards whose log holds a million answers or ten: up to the first card and the
// notes under it, which the window shows before it takes the first key.
void BM_StudyWindowOpenLongLog(benchmark::State& state)
{
    const learning::ManualClock clock(benchsets::kLongLogNowMs);
    text();
    cardstore::Table table;
    table.setTableName(benchsets::longStudiedSet(100'000, state.range(0)));
    for (auto _ : state) {
        reopenUntimed(state, table);
        state.ResumeTiming();
        learning::StudySession session(table, clock, &text());
        benchmark::DoNotOptimize(session.next());
        benchmark::DoNotOptimize(session.resetMessagesSoFar().size());
    }
}

// The longest turn of the event loop the Study window then gives to looking the log over, on a set that keeps no
// days yet: the count set up and its first part read.
void BM_StudyLogFirstPartLongLog(benchmark::State& state)
{
    const learning::ManualClock clock(benchsets::kLongLogNowMs);
    cardstore::Table table;
    table.setTableName(benchsets::longStudiedSet(100'000, state.range(0)));
    for (auto _ : state) {
        reopenUntimed(state, table);
        const learning::StudySession session(table, clock, &text());
        state.ResumeTiming();
        learning::HistoryCount count(session);
        if (count.step(learning::HistoryCount::kAnswersPerTurn))
            state.SkipWithError("the whole long log was read in one part");
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

// The studied set of count cards protected by a password, with the cheapest key derivation: the key is derived once
// at the open, outside what is timed.
std::string protectedStudiedSet(int count)
{
    const std::string& plain = benchsets::studiedSet(count);
    const std::string path = plain + ".protected.db";
    std::filesystem::copy_file(plain, path, std::filesystem::copy_options::overwrite_existing);
    cardstore::setKeyDerivationCostForNewSets({ 1, 8 * 1024 });
    cardstore::protectCardSet(path, "bench");
    cardstore::Session::instance().addPassword("bench");
    return path;
}

// One answer on a protected set: the answer kept in the encrypted journal beside the set (a synced append) and the
// queue moved on. Every 20th answer the whole set is sealed into its file, as the Study window's timer has it done
// within seconds; the seal is timed apart (seal_ms). Besides the mean, the median answer.
void BM_StudyAnswerProtected(benchmark::State& state)
{
    learning::ManualClock clock(kStudyTime);
    cardstore::Table table;
    table.setTableName(protectedStudiedSet(cardCount(state)));
    table.open();
    auto session = std::make_unique<learning::StudySession>(table, clock, &text(), false);
    std::vector<double> answerMs, sealMs;
    const auto millisecondsSince = [](std::chrono::steady_clock::time_point start) {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    };
    for (auto _ : state) {
        const std::optional<learning::QueueItem> next = session->next();
        if (!next) {
            state.SkipWithError("the queue ran out");
            break;
        }
        const auto start = std::chrono::steady_clock::now();
        session->answer(next->key, learning::Grade::Good, 3000);
        answerMs.push_back(millisecondsSince(start));
        clock.advanceMs(1000);
        if (answerMs.size() % cardstore::StudyStore::kSealAfterAnswers == 0) {
            state.PauseTiming();
            const auto sealing = std::chrono::steady_clock::now();
            session->seal();
            sealMs.push_back(millisecondsSince(sealing));
            state.ResumeTiming();
        }
    }
    for (std::vector<double>* times : { &answerMs, &sealMs })
        std::sort(times->begin(), times->end());
    if (!answerMs.empty())
        state.counters["median_ms"] = answerMs[answerMs.size() / 2];
    if (!sealMs.empty())
        state.counters["seal_ms"] = sealMs[sealMs.size() / 2];
    session.reset();
    table.close();
}

void cardCounts(benchmark::internal::Benchmark* benchmark)
{
    benchmark->ArgName("cards")->Arg(1'000)->Arg(10'000)->Arg(100'000);
}

BENCHMARK(BM_StudyWindowOpen)->Apply(cardCounts)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StudyWindowOpenLongLog)
    ->ArgName("answers")
    ->Arg(1'000'000)
    ->Arg(10'000'000)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StudyLogFirstPartLongLog)
    ->ArgName("answers")
    ->Arg(1'000'000)
    ->Arg(10'000'000)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StudyAnswer)->Apply(cardCounts)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(BM_StudyAnswerProtected)->Apply(cardCounts)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(200);

} // namespace

BENCHMARK_MAIN();
