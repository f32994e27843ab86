// Speed and memory of the study progress store on generated user sets of 1,000, 10,000 and 100,000 cards whose
// every card has been answered twice: opening the store (it looks every row over), loading the memories,
// streaming the log, and recording one answer with its synced write. Part of karte-bench-store.

#include "generatedsets.h"
#include "studiedsets.h"

#include "errors.h"
#include "studystore.h"
#include "table.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <unistd.h>

using benchsets::answerTo;
using benchsets::SetCache;
using benchsets::Shape;
using benchsets::studiedSet;
using cardstore::ReviewEntry;
using cardstore::Table;

namespace {

using Clock = std::chrono::steady_clock;

int cardCount(const benchmark::State& state)
{
    return static_cast<int>(state.range(0));
}

double residentMegabytes()
{
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / (1 << 20);
}

// Opening the store: the shape of its tables checked and every memory and answer looked over for damage.
void BM_StudyOpen(benchmark::State& state)
{
    const std::string& path = studiedSet(cardCount(state));
    for (auto _ : state) {
        Table table;
        table.setTableName(path);
        table.open();
        auto start = Clock::now();
        cardstore::StudyStore& study = table.study();
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        if (!study.resetMessages().empty())
            state.SkipWithError("the generated progress was taken for damaged");
    }
}

// Loading every memory, as the study window does to build its queue. Reports the memory the loaded study data
// adds to the process (the store opened and the memories held): as resident memory, and counted, the memories'
// bytes and what SQLite's allocator holds more (its page cache).
void BM_StudyLoadMemories(benchmark::State& state)
{
    Table table;
    table.setTableName(studiedSet(cardCount(state)));
    table.open();
    double before = residentMegabytes();
    sqlite3_int64 sqliteBefore = sqlite3_memory_used();
    std::vector<cardstore::CardMemory> held = table.study().loadMemories();
    state.counters["added_MB"] = residentMegabytes() - before;
    state.counters["sqlite_MB"] = static_cast<double>(sqlite3_memory_used() - sqliteBefore) / (1 << 20);
    state.counters["memories_MB"] = static_cast<double>(held.capacity() * sizeof(cardstore::CardMemory)) / (1 << 20);
    for (auto _ : state) {
        std::vector<cardstore::CardMemory> memories = table.study().loadMemories();
        if (memories.size() != static_cast<std::size_t>(cardCount(state)))
            state.SkipWithError("not every card's memory was loaded");
        benchmark::DoNotOptimize(memories.data());
    }
}

// Every answer in time order, as the progress charts are rebuilt from the log.
void BM_StudyStreamLog(benchmark::State& state)
{
    Table table;
    table.setTableName(studiedSet(cardCount(state)));
    table.open();
    for (auto _ : state) {
        std::int64_t sum = 0;
        table.study().visitReviews([&](const ReviewEntry& entry) { sum += entry.grade; });
        benchmark::DoNotOptimize(sum);
    }
}

// One answer on a plain set, the synced write included.
void BM_StudyRecordAnswer(benchmark::State& state)
{
    Table table;
    table.setTableName(SetCache::instance().writableCopy(Shape::User, cardCount(state), "answered"));
    table.open();
    table.moveBy(cardCount(state) / 2);
    std::int64_t key = table.recordKey();
    std::int64_t time = 1'700'000'000'000;
    cardstore::StudyStore& study = table.study();
    study.recordAnswer(answerTo(key, time)); // the tables are made with the first answer
    for (auto _ : state)
        study.recordAnswer(answerTo(key, time += 60'000));
}

void cardCounts(benchmark::internal::Benchmark* benchmark)
{
    benchmark->ArgName("cards")->Arg(1'000)->Arg(10'000)->Arg(100'000);
}

BENCHMARK(BM_StudyOpen)->Apply(cardCounts)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StudyLoadMemories)->Apply(cardCounts)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StudyStreamLog)->Apply(cardCounts)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StudyRecordAnswer)->Apply(cardCounts)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace
