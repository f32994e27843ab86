// karte-bench: how fast the program is where a user waits, measured through its real windows and handlers.
//
// Run without arguments it reports, as a table of medians, for generated card sets of 1,000, 10,000 and 100,000
// cards: opening a set with its English word list, the Greek and frequency word lists, a ">" step, a word list
// jump, a post from the card editor and the peak resident memory; and the time from starting the real program on
// the built-in set to its first painted main window.
//
// Each set size runs in a child process of its own (this program again, with --size), so that one size's memory
// and caches do not colour the next and the peak resident memory is that size's alone. The windows run on Qt's
// offscreen platform and paint there; each timed action includes the repaint it causes.

#include "appbenchsteps.h"
#include "generatedsets.h"

#include <QCoreApplication>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

struct Options
{
    std::vector<int> sizes { 1000, 10000, 100000 };
    int runs = 7;
    int startupRuns = 15;
    bool startupOnly = false;
    bool setsOnly = false;
    // The platform the program starts on for the start-up measure: offscreen, or xcb under an X server.
    std::string platform = "offscreen";
};

[[noreturn]] void usage()
{
    std::fprintf(stderr,
        "usage: karte-bench [--runs N] [--startup-runs N] [--sizes 1000,10000,...] [--platform offscreen|xcb]\n"
        "                   [--startup-only | --sets-only]\n");
    std::exit(2);
}

std::vector<int> parseSizes(const char* text)
{
    std::vector<int> sizes;
    std::stringstream list(text);
    for (std::string item; std::getline(list, item, ',');) {
        const int size = std::atoi(item.c_str());
        if (size <= 0)
            usage();
        sizes.push_back(size);
    }
    return sizes;
}

// Runs argv with the extra environment and returns what it wrote to its standard output; a child that fails
// ends the benchmark, since a table with holes would mislead.
std::string runChild(const std::vector<std::string>& argv, const std::map<std::string, std::string>& environment)
{
    int output[2];
    if (::pipe(output) != 0) {
        std::perror("pipe");
        std::exit(1);
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(output[1], STDOUT_FILENO);
        ::close(output[0]);
        ::close(output[1]);
        for (const auto& [name, value] : environment)
            ::setenv(name.c_str(), value.c_str(), 1);
        std::vector<char*> args;
        for (const std::string& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        std::perror("execv");
        ::_exit(127);
    }
    ::close(output[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(output[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    ::close(output[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "karte-bench: %s failed (status %d)\n", argv[0].c_str(), status);
        std::exit(1);
    }
    return text;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Starts the real program on the built-in set until its main window has painted once, and returns the wall-clock
// times from the start of the process to that paint. The first run seeds the per-user data directory and is left
// out, as it happens once per user.
std::vector<double> measureStartUp(const std::string& program, int runs, const std::string& platform)
{
    const std::string dataHome = fs::temp_directory_path() / ("karte-bench-start-" + std::to_string(::getpid()));
    fs::create_directories(dataHome);
    const std::map<std::string, std::string> environment { { "XDG_DATA_HOME", dataHome },
        { "QT_QPA_PLATFORM", platform }, { "KARTE_QUIT_AFTER_FIRST_PAINT", "1" } };
    std::vector<double> times;
    for (int run = 0; run <= runs; ++run) {
        const auto start = Clock::now();
        const std::string said = runChild({ program }, environment);
        const double elapsed = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        if (said.find("first paint") == std::string::npos) {
            std::fprintf(stderr, "karte-bench: the program did not report its first paint\n");
            std::exit(1);
        }
        // The process's exit after the paint is part of the elapsed time but not of the start-up; the program
        // reports how long after its paint it took to be gone, and that is taken off.
        double afterPaint = 0;
        if (auto at = said.find("after "); at != std::string::npos)
            afterPaint = std::atof(said.c_str() + at + 6);
        if (run > 0)
            times.push_back(elapsed - afterPaint);
    }
    std::error_code ignored;
    fs::remove_all(dataHome, ignored);
    return times;
}

std::map<std::string, double> parseResults(const std::string& text)
{
    std::map<std::string, double> results;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        const auto tab = line.find('\t');
        if (tab != std::string::npos)
            results[line.substr(0, tab)] = std::atof(line.c_str() + tab + 1);
    }
    return results;
}

void printRow(
    const char* label, const std::vector<std::map<std::string, double>>& columns, const char* key, const char* format)
{
    std::printf("| %s |", label);
    for (const auto& column : columns) {
        auto found = column.find(key);
        if (found == column.end()) {
            std::printf(" – |");
            continue;
        }
        std::printf(" ");
        std::printf(format, found->second);
        std::printf(" |");
    }
    std::printf("\n");
}

int coordinate(const Options& options, const std::string& self)
{
    const std::string program = (fs::path(self).parent_path() / "karte").string();
    std::vector<std::map<std::string, double>> columns;
    if (!options.startupOnly) {
        benchsets::SetCache& sets = benchsets::SetCache::instance();
        for (int size : options.sizes) {
            std::fprintf(stderr, "karte-bench: %d cards...\n", size);
            const std::string userSet = sets.path(benchsets::Shape::User, size);
            const std::string builtInLikeSet = sets.path(benchsets::Shape::BuiltInLike, size);
            columns.push_back(parseResults(runChild({ self, "--size", std::to_string(size), "--runs",
                                                        std::to_string(options.runs), userSet, builtInLikeSet },
                { { "QT_QPA_PLATFORM", "offscreen" } })));
        }
        std::printf("| medians (%d runs) |", options.runs);
        for (int size : options.sizes)
            std::printf(" %d cards |", size);
        std::printf("\n|---|");
        for (std::size_t i = 0; i < options.sizes.size(); ++i)
            std::printf("---:|");
        std::printf("\n");
        printRow("Open a set + English word list", columns, "open+english", "%.1f ms");
        printRow("NT Frequency (reopen) + word list", columns, "builtin+english", "%.1f ms");
        printRow("Greek word list (Sort List)", columns, "greek", "%.1f ms");
        printRow("Frequency word list (Sort List)", columns, "frequency", "%.1f ms");
        printRow("\">\" step", columns, "step", "%.3f ms");
        printRow("Word list jump (first, builds the order)", columns, "jump-first", "%.2f ms");
        printRow("Word list jump", columns, "jump", "%.3f ms");
        printRow("Post from the card editor", columns, "post", "%.2f ms");
        printRow("Peak resident memory", columns, "peak-rss", "%.0f MB");
    }
    if (!options.setsOnly) {
        if (!fs::exists(program)) {
            std::fprintf(stderr, "karte-bench: %s not found\n", program.c_str());
            return 1;
        }
        const std::vector<double> startUp = measureStartUp(program, options.startupRuns, options.platform);
        std::printf("\nStart-up to the first painted main window (built-in set, %s platform, %d runs): median "
                    "%.1f ms, min %.1f ms, max %.1f ms\n",
            options.platform.c_str(), options.startupRuns, median(startUp),
            *std::min_element(startUp.begin(), startUp.end()), *std::max_element(startUp.begin(), startUp.end()));
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    int size = 0;
    std::vector<std::string> sets;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc)
                usage();
            return argv[++i];
        };
        if (arg == "--runs")
            options.runs = std::max(1, std::atoi(value()));
        else if (arg == "--startup-runs")
            options.startupRuns = std::max(1, std::atoi(value()));
        else if (arg == "--sizes")
            options.sizes = parseSizes(value());
        else if (arg == "--platform")
            options.platform = value();
        else if (arg == "--startup-only")
            options.startupOnly = true;
        else if (arg == "--sets-only")
            options.setsOnly = true;
        else if (arg == "--size")
            size = std::atoi(value());
        else if (!arg.empty() && arg[0] != '-')
            sets.push_back(arg);
        else
            usage();
    }
    if (size > 0) {
        if (sets.size() != 2)
            usage();
        const std::map<std::string, double> results
            = appbench::measureWindows(argc, argv, size, options.runs, sets[0], sets[1]);
        for (const auto& [name, value] : results)
            std::printf("%s\t%.6f\n", name.c_str(), value);
        rusage usage {};
        ::getrusage(RUSAGE_SELF, &usage);
        std::printf("peak-rss\t%.1f\n", static_cast<double>(usage.ru_maxrss) / 1024.0);
        return 0;
    }
    return coordinate(options, fs::canonical("/proc/self/exe").string());
}
