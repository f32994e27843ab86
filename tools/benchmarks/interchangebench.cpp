// Speed of bringing cards in and out of card sets: importing a TSV file of generated cards into an empty set, the
// whole way a user waits for it (survey, plan, one synced transaction), and exporting a generated set as CSV.

#include "generatedsets.h"

#include "cardtable.h"
#include "exporter.h"
#include "importplan.h"
#include "survey.h"
#include "table.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
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
        added = plan.cards.size();
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

void cardCounts(benchmark::internal::Benchmark* benchmark)
{
    benchmark->ArgName("cards")->Arg(10'000)->Arg(100'000);
}

BENCHMARK(BM_Import)->Apply(cardCounts)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Export)->Apply(cardCounts)->UseManualTime()->Unit(benchmark::kMillisecond);

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
