// karte-cards import|export SET FILE [options]
// Imports cards from a CSV, TSV or flashcard program's text file into a card set, or exports a set's cards as CSV
// or TSV. The file's layout and which column holds what are guessed and can be given. An import prints its plan
// ("1,203 cards to add, 4 duplicates skipped") and adds every card or none; an export replaces a file only with
// --force. Passwords of protected sets are asked for as karte-protect asks for them. Ctrl+C cancels and leaves
// every file as it was.
#include "cardtable.h"
#include "errors.h"
#include "exporter.h"
#include "importplan.h"
#include "session.h"
#include "survey.h"
#include "table.h"
#include "terminalinput.h"

#include <sodium.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage
    = "usage: karte-cards import SET FILE [options]\n"
      "       karte-cards export SET FILE [--format csv|tsv] [--separator S] [--force]\n"
      "  import             adds the cards of FILE to the card set SET\n"
      "  export             writes the cards of SET to FILE, a header row first\n"
      "  --format F         csv, tsv or flashcards (a flashcard program's text export); by default guessed\n"
      "                     from the file's extension and contents\n"
      "  --separator S      tab, comma, semicolon, pipe, space, colon or the character itself\n"
      "  --header           the first record names the columns (--no-header: it is a card)\n"
      "  --html             the values are HTML (--no-html: plain text)\n"
      "  --greek C          the column of the Greek side: its number from 1 or its name\n"
      "  --english C        the column of the English side\n"
      "  --frequency C      the column of the frequency, or none\n"
      "  --keep-duplicates  adds cards the set (or the file) holds already\n"
      "  --new              makes SET as a new card set\n"
      "  --dry-run          prints the plan and writes nothing\n"
      "  --force            replaces FILE when exporting over it\n"
      "  --help             prints this and exits\n"
      "Passwords of protected sets are asked for on the terminal, or read one per line from standard input.\n";

volatile std::sig_atomic_t interrupted = 0;

void onInterrupt(int)
{
    interrupted = 1;
}

struct UsageError
{
    std::string message;
};

// --help: the usage is all that is asked for.
struct HelpRequest
{
};

struct Options
{
    std::string command, set, file;
    std::map<std::string, std::string> values; // options with a value, by name
    std::vector<std::string> flags;
    bool has(const std::string& flag) const { return std::find(flags.begin(), flags.end(), flag) != flags.end(); }
};

Options parse(const std::vector<std::string>& args)
{
    static const std::vector<std::string> kValued { "--format", "--separator", "--greek", "--english", "--frequency" };
    static const std::vector<std::string> kFlags { "--header", "--no-header", "--html", "--no-html",
        "--keep-duplicates", "--new", "--dry-run", "--force" };
    Options options;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h")
            throw HelpRequest {};
        if (std::find(kValued.begin(), kValued.end(), arg) != kValued.end()) {
            if (i + 1 == args.size())
                throw UsageError { arg + " wants a value" };
            options.values[arg] = args[++i];
        } else if (std::find(kFlags.begin(), kFlags.end(), arg) != kFlags.end()) {
            options.flags.push_back(arg);
        } else if (arg.starts_with("--")) {
            throw UsageError { "unknown option " + arg };
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() != 3 || (positional[0] != "import" && positional[0] != "export"))
        throw UsageError {};
    options.command = positional[0];
    options.set = positional[1].find('/') == std::string::npos ? "./" + positional[1] : positional[1];
    options.file = positional[2];
    return options;
}

// A column named on the command line: a number from 1 or one of the file's column names.
int columnOf(const std::string& given, const std::vector<std::string>& names)
{
    if (!given.empty() && std::all_of(given.begin(), given.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::stoi(given) - 1;
    for (std::size_t i = 0; i < names.size(); ++i)
        if (cardstore::sameName(names[i], given))
            return static_cast<int>(i);
    throw cardstore::Error("The file has no column named \"" + given + "\"");
}

std::string describeColumn(const interchange::FileSurvey& survey, int column)
{
    if (column < 0)
        return "none";
    std::string text = "column " + std::to_string(column + 1);
    if (static_cast<std::size_t>(column) < survey.columnNames.size())
        text += " (" + survey.columnNames[static_cast<std::size_t>(column)] + ")";
    return text;
}

interchange::FileSurvey surveyFor(const Options& options)
{
    interchange::FileSurvey survey = interchange::surveyFile(options.file);
    interchange::Layout layout = survey.layout;
    if (auto it = options.values.find("--format"); it != options.values.end()) {
        auto format = interchange::formatFromName(it->second);
        if (!format)
            throw UsageError { "unknown format " + it->second };
        layout.format = *format;
        if (*format == interchange::Format::Tsv)
            layout.separator = '\t';
        else if (*format == interchange::Format::Csv && layout.separator != ';')
            layout.separator = ',';
    }
    if (auto it = options.values.find("--separator"); it != options.values.end()) {
        auto separator = interchange::separatorFromName(it->second);
        if (!separator)
            throw UsageError { "unknown separator " + it->second };
        layout.separator = *separator;
    }
    if (options.has("--header") || options.has("--no-header"))
        layout.headerRow = options.has("--header");
    if (options.has("--html") || options.has("--no-html"))
        layout.html = options.has("--html");
    return layout == survey.layout ? survey : interchange::surveyFile(options.file, layout);
}

interchange::ImportSettings settingsFor(const Options& options, const interchange::FileSurvey& survey)
{
    interchange::ImportSettings settings;
    settings.layout = survey.layout;
    settings.mapping = survey.mapping;
    settings.keepDuplicates = options.has("--keep-duplicates");
    auto given = [&](const char* option, int& column) {
        if (auto it = options.values.find(option); it != options.values.end())
            column = it->second == "none" ? -1 : columnOf(it->second, survey.columnNames);
    };
    given("--greek", settings.mapping.greek);
    given("--english", settings.mapping.english);
    given("--frequency", settings.mapping.frequency);
    return settings;
}

// Ctrl+C from here on cancels the work in hand instead of ending the tool in the middle of it.
interchange::Progress cancelOnInterrupt()
{
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    return [](interchange::Phase, std::uint64_t, std::uint64_t) { return !interrupted; };
}

void runImport(const Options& options)
{
    interchange::FileSurvey survey = surveyFor(options);
    interchange::ImportSettings settings = settingsFor(options, survey);
    const interchange::Layout& layout = settings.layout;
    std::cout << "Reading " << options.file << " as " << interchange::formatName(layout.format) << " (separator "
              << interchange::separatorName(layout.separator) << (layout.headerRow ? ", a header row" : "")
              << (layout.html ? ", HTML" : "") << "): Greek " << describeColumn(survey, settings.mapping.greek)
              << ", English " << describeColumn(survey, settings.mapping.english) << ", frequency "
              << describeColumn(survey, settings.mapping.frequency) << "\n";

    const bool makeNew = options.has("--new");
    cardstore::Table table;
    if (!makeNew) {
        if (!std::filesystem::exists(options.set))
            throw cardstore::Error(options.set + " does not exist (--new makes a new card set)");
        table.setTableName(options.set);
        terminalinput::askForPasswords(table);
        table.open();
    }
    interchange::Progress progress = cancelOnInterrupt();
    interchange::ImportPlan plan
        = interchange::planImport(options.file, settings, makeNew ? nullptr : &table, progress);
    std::cout << plan.summary() << "\n";
    if (options.has("--dry-run"))
        return;
    if (makeNew)
        interchange::importIntoNewSet(options.set, plan, progress);
    else
        interchange::commitImport(table, plan, progress, cardstore::Table::AfterAppend::Close);
    std::cout << "Added " << interchange::cardCount(plan.cards) << " to " << options.set << ".\n";
}

void runExport(const Options& options)
{
    interchange::ExportSettings settings;
    settings.format = interchange::exportFormatFor(options.file);
    if (auto it = options.values.find("--format"); it != options.values.end()) {
        auto format = interchange::formatFromName(it->second);
        if (!format || *format == interchange::Format::FlashcardText)
            throw UsageError { "cards are exported as csv or tsv" };
        settings.format = *format;
    }
    if (auto it = options.values.find("--separator"); it != options.values.end()) {
        auto separator = interchange::separatorFromName(it->second);
        if (!separator)
            throw UsageError { "unknown separator " + it->second };
        settings.separator = *separator;
    }
    settings.overwrite = options.has("--force");
    cardstore::Table table;
    table.setTableName(options.set);
    table.setReadOnly(true);
    terminalinput::askForPasswords(table);
    table.open();
    std::size_t written = interchange::exportSet(table, options.file, settings, cancelOnInterrupt());
    std::cout << "Wrote " << interchange::cardCount(written) << " to " << options.file << ".\n";
}

} // namespace

int main(int argc, char** argv)
{
    try {
        Options options = parse(std::vector<std::string>(argv + 1, argv + argc));
        terminalinput::restoreEchoOnSignals();
        if (sodium_init() < 0)
            throw cardstore::Error("The cryptography library could not be started");
        if (options.command == "import")
            runImport(options);
        else
            runExport(options);
    } catch (const HelpRequest&) {
        std::cout << kUsage;
        return 0;
    } catch (const UsageError& error) {
        if (!error.message.empty())
            std::cerr << "karte-cards: " << error.message << "\n";
        std::cerr << kUsage;
        return 2;
    } catch (const cardstore::Abort&) {
        std::cerr << "karte-cards: cancelled; nothing was changed\n";
        return 1;
    } catch (const cardstore::Error& error) {
        std::cerr << "karte-cards: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
