// Speed and memory of the study progress store on generated user sets of 1,000, 10,000 and 100,000 cards whose
// every card has been answered twice: opening the store (it looks every row over), loading the memories,
// streaming the log, and recording one answer with its synced write. Part of karte-bench-store.

#include "generatedsets.h"

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

using benchsets::SetCache;
using benchsets::Shape;
using cardstore::ReviewEntry;
using cardstore::Table;

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::int64_t kDay = 86'400'000;

ReviewEntry answerTo(std::int64_t key, std::int64_t reviewedMs)
{
    return { 0, key, reviewedMs, 3, 4000, { key, 2, 0, 4.5, 5.0, reviewedMs + 4 * kDay, reviewedMs, 2, 0 } };
}

void run(sqlite3* db, const char* sql)
{
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        throw cardstore::Error(std::string("benchmark set-up: ") + sqlite3_errmsg(db));
}

// A copy of the user set of count cards, every card answered twice. The store makes its tables at the first
// answer; the rest goes in through one plain transaction, since a hundred thousand synced answers would take
// minutes. Each size is made once per process.
const std::string& studiedSet(int count)
{
    static std::map<int, std::string> made;
    if (auto found = made.find(count); found != made.end())
        return found->second;
    std::string path = SetCache::instance().writableCopy(Shape::User, count, "studied");
    {
        Table table;
        table.setTableName(path);
        table.open();
        table.first();
        table.study().recordAnswer(answerTo(table.recordKey(), 1'700'000'000'000));
    }
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    run(db, "BEGIN");
    run(db, "DELETE FROM karte_study_log");
    for (int pass = 0; pass < 2; ++pass)
        run(db,
            ("INSERT INTO karte_study_log SELECT NULL, id, 1700000000000 + id * 1000 + " + std::to_string(pass)
                + " * 86400000, 1 + id % 4, 3000 + id % 5000, 2, 0, 0.5 + (id % 97) * 1.5, 1 + (id % 9), "
                  "1700000000000 + id * 1000 + 345600000, 1700000000000 + id * 1000, 1 + "
                + std::to_string(pass) + ", id % 3 FROM cards")
                .c_str());
    run(db,
        "INSERT OR REPLACE INTO karte_study_memory SELECT card, state, step, stability, difficulty, due, "
        "last_review, reps, lapses FROM karte_study_log WHERE id IN (SELECT max(id) FROM karte_study_log GROUP "
        "BY card)");
    run(db, "COMMIT");
    sqlite3_close(db);
    return made.emplace(count, path).first->second;
}

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
