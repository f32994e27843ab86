// Speed of the card engine on generated card sets of 1,000, 10,000 and 100,000 cards, measured the way the
// main window uses the table: a listener attached that reads a field on every notification.

#include "generatedsets.h"

#include "errors.h"
#include "table.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

using benchsets::SetCache;
using benchsets::Shape;
using cardstore::DataEvent;
using cardstore::Table;

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Reads the English field on every notification, as a bound edit control repaints itself.
int attachReader(Table& table, std::string& sink)
{
    return table.addListener([&table, &sink](DataEvent event, int) {
        if (event != DataEvent::Closed && table.active()) {
            sink = table.fieldText(0);
            benchmark::DoNotOptimize(sink.data());
        }
    });
}

void openSet(Table& table, const std::string& path, std::string& sink)
{
    table.setTableName(path);
    attachReader(table, sink);
    table.open();
}

int cardCount(const benchmark::State& state)
{
    return static_cast<int>(state.range(0));
}

void BM_Open(benchmark::State& state)
{
    std::string path = SetCache::instance().path(Shape::User, cardCount(state));
    for (auto _ : state) {
        Table table;
        table.setTableName(path);
        auto start = Clock::now();
        table.open();
        state.SetIterationTime(secondsSince(start));
    }
}

// Opens the set and visits every card in order, reading a field of each, as filling the word list does.
// Returns the seconds taken and the number of cards visited.
std::pair<double, int> openAndWalk(const std::string& path)
{
    std::string sink, language;
    Table table;
    auto start = Clock::now();
    openSet(table, path, sink);
    for (table.first(); !table.eof(); table.next()) {
        language = table.fieldText(1);
        benchmark::DoNotOptimize(language.data());
    }
    return { secondsSince(start), table.sequenceNumber() };
}

void BM_OpenAndWalk(benchmark::State& state)
{
    std::string path = SetCache::instance().path(Shape::User, cardCount(state));
    for (auto _ : state) {
        auto [seconds, visited] = openAndWalk(path);
        state.SetIterationTime(seconds);
        if (visited != cardCount(state))
            state.SkipWithError("the walk did not reach the last card");
    }
}

constexpr const char* kChildOption = "--open-and-walk-once=";

// The same in a new process each time, as when the program starts: the first open in a process also loads
// the collation data and takes every page of memory the set needs from the system. The child times itself,
// so starting the process is not counted.
void BM_OpenAndWalkInNewProcess(benchmark::State& state)
{
    std::string path = SetCache::instance().path(Shape::User, cardCount(state));
    std::error_code error;
    std::string self = std::filesystem::read_symlink("/proc/self/exe", error).string();
    std::string command = "'" + self + "' '" + kChildOption + path + "'";
    for (auto _ : state) {
        double seconds = -1;
        int visited = 0;
        FILE* child = ::popen(command.c_str(), "r");
        bool read = child && std::fscanf(child, "%lf %d", &seconds, &visited) == 2;
        int status = child ? ::pclose(child) : -1;
        if (!read || status != 0 || visited != cardCount(state)) {
            state.SkipWithError("the child process did not open and walk the set");
            break;
        }
        state.SetIterationTime(seconds);
    }
}

void BM_RefreshUnchanged(benchmark::State& state)
{
    std::string sink;
    Table table;
    openSet(table, SetCache::instance().path(Shape::User, cardCount(state)), sink);
    table.moveBy(cardCount(state) / 2);
    for (auto _ : state)
        table.refresh();
}

// Edits one field of the card in the middle of the set and posts it; the text alternates so the set keeps
// its size and shape. Each post is a durable write of one record.
void postField(benchmark::State& state, const char* field)
{
    std::string sink;
    Table table;
    openSet(table, SetCache::instance().writableCopy(Shape::User, cardCount(state), "post"), sink);
    table.moveBy(cardCount(state) / 2);
    const std::string original = table.fieldText(field);
    const std::string changed = original + " (changed)";
    bool flip = false;
    for (auto _ : state) {
        flip = !flip;
        table.edit();
        table.setFieldText(field, flip ? changed : original);
        table.post();
    }
}

void BM_PostLanguage(benchmark::State& state)
{
    postField(state, "Language");
}
void BM_PostEnglish(benchmark::State& state)
{
    postField(state, "English");
}

void BM_KeySearchHit(benchmark::State& state)
{
    std::string sink;
    Table table;
    openSet(table, SetCache::instance().path(Shape::User, cardCount(state)), sink);
    const auto& words = SetCache::instance().sampleEnglish(cardCount(state));
    std::size_t next = 0;
    for (auto _ : state) {
        const std::string& word = words[next++ % words.size()];
        table.setIndexName("EnglishIndex");
        table.editKey();
        table.setFieldText("English", word);
        if (!table.gotoKey()) {
            state.SkipWithError("a card that is in the set was not found");
            break;
        }
    }
}

// Switching between two indexes whose orders are already built, with the cursor in the middle of the set.
void BM_IndexSwitch(benchmark::State& state)
{
    std::string sink;
    Table table;
    openSet(table, SetCache::instance().path(Shape::BuiltInLike, cardCount(state)), sink);
    table.moveBy(cardCount(state) / 2);
    table.setIndexName("LanguageIndex");
    table.setIndexName("EnglishIndex");
    bool flip = false;
    for (auto _ : state) {
        flip = !flip;
        table.setIndexName(flip ? "LanguageIndex" : "EnglishIndex");
    }
}

// The first switch to an index after opening, which orders the records by it.
void BM_IndexSwitchFirst(benchmark::State& state)
{
    std::string path = SetCache::instance().path(Shape::BuiltInLike, cardCount(state));
    std::string sink;
    for (auto _ : state) {
        Table table;
        openSet(table, path, sink);
        table.moveBy(cardCount(state) / 2);
        auto start = Clock::now();
        table.setIndexName("LanguageIndex");
        state.SetIterationTime(secondsSince(start));
    }
}

void cardCounts(benchmark::internal::Benchmark* benchmark)
{
    benchmark->ArgName("cards")->Arg(1'000)->Arg(10'000)->Arg(100'000);
}

BENCHMARK(BM_Open)->Apply(cardCounts)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenAndWalk)->Apply(cardCounts)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenAndWalkInNewProcess)->Apply(cardCounts)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefreshUnchanged)->Apply(cardCounts)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PostLanguage)->Apply(cardCounts)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PostEnglish)->Apply(cardCounts)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KeySearchHit)->Apply(cardCounts)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_IndexSwitch)->Apply(cardCounts)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_IndexSwitchFirst)->Apply(cardCounts)->UseManualTime()->Unit(benchmark::kMillisecond);

bool given(const std::vector<char*>& arguments, const char* option)
{
    for (const char* argument : arguments)
        if (std::strncmp(argument, option, std::strlen(option)) == 0)
            return true;
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strncmp(argv[1], kChildOption, std::strlen(kChildOption)) == 0) {
        try {
            auto [seconds, visited] = openAndWalk(argv[1] + std::strlen(kChildOption));
            std::printf("%.9f %d\n", seconds, visited);
            return 0;
        } catch (const std::exception& error) {
            std::fprintf(stderr, "%s\n", error.what());
            return 1;
        }
    }
    // Single runs on a small machine are noisy; unless told otherwise, report the median of five.
    std::vector<char*> arguments(argv, argv + argc);
    static char repetitions[] = "--benchmark_repetitions=5";
    static char aggregatesOnly[] = "--benchmark_report_aggregates_only=true";
    if (!given(arguments, "--benchmark_repetitions")) {
        arguments.push_back(repetitions);
        if (!given(arguments, "--benchmark_report_aggregates_only"))
            arguments.push_back(aggregatesOnly);
    }
    int count = static_cast<int>(arguments.size());
    arguments.push_back(nullptr);
    benchmark::Initialize(&count, arguments.data());
    if (benchmark::ReportUnrecognizedArguments(count, arguments.data()))
        return 1;
    // The sets are made in a temporary directory as the benchmarks ask for them: a failure there is reported with
    // its path and reason rather than ending the process with an uncaught exception.
    try {
        SetCache::instance(); // points XDG_DATA_HOME at the temporary directory before any table exists
        benchmark::RunSpecifiedBenchmarks();
    } catch (const cardstore::Error& error) {
        std::fprintf(stderr, "karte-bench-store: %s\n", error.what());
        return 1;
    } catch (const std::filesystem::filesystem_error& error) {
        std::fprintf(stderr, "karte-bench-store: %s\n", error.what());
        return 1;
    }
    benchmark::Shutdown();
    return 0;
}
