// Speed of bringing cards in and out of card sets: importing a TSV file of generated cards into an empty set, the
// whole way a user waits for it (survey, plan, one synced transaction), and exporting a generated set as CSV; and the
// time and peak memory of karte-cards importing the largest file it accepts into a new set.

#include "generatedsets.h"

#include "cardtable.h"
#include "exporter.h"
#include "importplan.h"
#include "linereader.h"
#include "survey.h"
#include "table.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using benchsets::SetCache;
using benchsets::Shape;

namespace {

using Clock = std::chrono::steady_clock;

int cardCount(const benchmark::State& state)
{
    return static_cast<int>(state.range(0));
}

// A TSV file of the generated cards, Greek first, with a header row, beside the generated sets.
std::string cardFile(int count)
{
    std::string path = SetCache::instance().path(Shape::User, count) + ".tsv";
    if (!std::filesystem::exists(path)) {
        std::ofstream out(path, std::ios::binary);
        out << "Greek\tEnglish\tFrequency\n";
        for (const auto& card : benchsets::generateCards(count))
            out << card[1] << '\t' << card[0] << '\t' << card[4] << '\n';
    }
    return path;
}

void BM_Import(benchmark::State& state)
{
    std::string file = cardFile(cardCount(state));
    std::string set = std::filesystem::path(file).replace_extension(".import.sdb").string();
    std::size_t added = 0;
    for (auto _ : state) {
        std::filesystem::remove(set);
        cardstore::Table table;
        table.setTableName(set);
        table.fieldDefs() = cardstore::cardFieldDefs();
        table.indexDefs() = { cardstore::englishIndexDef() };
        table.createTable();
        table.open();
        auto start = Clock::now();
        interchange::FileSurvey survey = interchange::surveyFile(file);
        interchange::ImportPlan plan = interchange::planImport(file, { survey.layout, survey.mapping, false }, &table);
        interchange::commitImport(table, plan);
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        added = plan.cards;
    }
    state.counters["cards added"] = static_cast<double>(added);
}

void BM_Export(benchmark::State& state)
{
    std::string set = SetCache::instance().path(Shape::User, cardCount(state));
    std::string file = set + ".export.csv";
    interchange::ExportSettings settings;
    settings.overwrite = true;
    cardstore::Table table;
    table.setTableName(set);
    table.open();
    for (auto _ : state) {
        auto start = Clock::now();
        std::size_t written = interchange::exportSet(table, file, settings);
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        if (written != static_cast<std::size_t>(cardCount(state)))
            state.SkipWithError("not every card was written");
    }
}

// A TSV file of generated cards as large as an import accepts, every card a different one.
std::string largestFile()
{
    std::string path = SetCache::instance().path(Shape::User, 10) + ".largest.tsv";
    if (std::filesystem::exists(path))
        return path;
    const auto cards = benchsets::generateCards(100'000);
    std::string text = "Greek\tEnglish\tFrequency\n";
    for (std::size_t i = 0;; ++i) {
        const auto& card = cards[i % cards.size()];
        std::string line = card[1] + '\t' + card[0] + " " + std::to_string(i) + '\t' + card[4] + '\n';
        if (text.size() + line.size() > interchange::LineReader::kMaxFileBytes)
            break;
        text += line;
    }
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

// karte-cards, built beside this benchmark.
std::string cardsTool()
{
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "karte-cards").string();
}

void BM_ImportLargestFileWithTheTool(benchmark::State& state)
{
    const std::string file = largestFile();
    const std::string set = std::filesystem::path(file).replace_extension(".sdb").string();
    const std::string tool = cardsTool();
    long peakKilobytes = 0;
    for (auto _ : state) {
        std::filesystem::remove(set);
        auto start = Clock::now();
        pid_t child = ::fork();
        if (child == 0) {
            std::freopen("/dev/null", "w", stdout);
            ::execl(tool.c_str(), tool.c_str(), "import", set.c_str(), file.c_str(), "--new", nullptr);
            ::_exit(127);
        }
        int status = 0;
        rusage usage {};
        ::wait4(child, &status, 0, &usage);
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            state.SkipWithError("karte-cards failed");
        peakKilobytes = usage.ru_maxrss;
    }
    state.counters["file MB"] = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
    state.counters["peak MB"] = static_cast<double>(peakKilobytes) * 1024 / 1e6;
}

void cardCounts(benchmark::internal::Benchmark* benchmark)
{
    benchmark->ArgName("cards")->Arg(10'000)->Arg(100'000);
}

BENCHMARK(BM_Import)->Apply(cardCounts)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Export)->Apply(cardCounts)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportLargestFileWithTheTool)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    // Single runs on a small machine are noisy; unless told otherwise, report the median of five.
    std::vector<char*> arguments(argv, argv + argc);
    static char repetitions[] = "--benchmark_repetitions=5";
    static char aggregatesOnly[] = "--benchmark_report_aggregates_only=true";
    bool repetitionsGiven = false;
    for (const char* argument : arguments)
        repetitionsGiven = repetitionsGiven || std::strncmp(argument, "--benchmark_repetitions", 23) == 0;
    if (!repetitionsGiven) {
        arguments.push_back(repetitions);
        arguments.push_back(aggregatesOnly);
    }
    int count = static_cast<int>(arguments.size());
    arguments.push_back(nullptr);
    benchmark::Initialize(&count, arguments.data());
    if (benchmark::ReportUnrecognizedArguments(count, arguments.data()))
        return 1;
    SetCache::instance(); // points XDG_DATA_HOME at the temporary directory before any table exists
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
