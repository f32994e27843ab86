// karte-progress [SET]: prints the figures of the Progress window for a card set (the built-in set of the user's
// data directory when SET is omitted): the cards new, learning, known and due today, the share of the New
// Testament the known words make up, the reviews due over the next 30 days, known words over time and, when the
// set is studied by book, the book's coverage. The set is only read. Passwords of protected sets are asked for as
// karte-protect asks for them.
#include "errors.h"
#include "location.h"
#include "progressdescription.h"
#include "progressreport.h"
#include "progresstext.h"
#include "session.h"
#include "studyset.h"
#include "table.h"
#include "terminalinput.h"
#include "text.h"
#include "texterrors.h"

#include <sodium.h>

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

namespace {

constexpr const char* kUsage
    = "usage: karte-progress [SET]\n"
      "  prints the study progress of the card set SET, or of the built-in set when SET is omitted\n"
      "  --help  prints this and exits\n"
      "Passwords of protected sets are asked for on the terminal, or read one per line from standard input.\n";

// The Greek text, for the lemmas of a set of one's own and for study by book; without it those are left out.
std::unique_ptr<nttext::Text> loadText()
{
    try {
        return std::make_unique<nttext::Text>(nttext::Text::load(nttext::findTextFile()));
    } catch (const nttext::TextFileError& error) {
        std::cerr << "karte-progress: no books or lemmas: " << error.what() << "\n";
        return nullptr;
    }
}

void print(const learning::ProgressReport& report, const std::vector<learning::HistoryPoint>& history,
    const learning::Clock& clock)
{
    std::cout << learning::figuresSentence(report.figures) << "\n";
    if (const std::string known = learning::knownWordsText(report); !known.empty())
        std::cout << known << "\n";
    std::cout << learning::dueForecastDescription(report.figures, clock) << "\n";
    std::cout << learning::knownHistoryDescription(history, clock) << "\n";
    if (report.knownWords)
        std::cout << learning::coverageHistoryDescription(history, clock) << "\n";
    if (report.book) {
        std::cout << learning::bookCoverageSentence(report.bookName, *report.book) << "\n";
        for (const learning::BookMark* mark : { &report.book->mark90, &report.book->mark95 })
            std::cout << learning::bookMarkSentence(report.bookName, *mark) << "\n";
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        std::cout << kUsage;
        return 0;
    }
    if (argc > 2 || (argc == 2 && std::string(argv[1]).starts_with("-"))) {
        std::cerr << kUsage;
        return 2;
    }
    try {
        terminalinput::restoreEchoOnSignals();
        if (sodium_init() < 0)
            throw cardstore::Error("The cryptography library could not be started");
        cardstore::Table table;
        if (argc == 2) {
            if (!std::filesystem::exists(argv[1]))
                throw cardstore::Error(std::string(argv[1]) + " does not exist");
            table.setTableName(argv[1]);
        } else {
            table.setDatabaseName(cardstore::Session::kBuiltInAlias);
            table.setTableName(cardstore::Session::kBuiltInTable);
        }
        table.setReadOnly(true);
        terminalinput::askForPasswords(table);
        table.open();
        const std::unique_ptr<nttext::Text> text = loadText();
        const learning::SystemClock clock;
        const learning::StudySet set(table, clock, text.get());
        for (const std::string& message : set.resetMessages())
            std::cerr << "karte-progress: " << message << "\n";
        std::cout << table.filePath() << "\n";
        const bool builtIn = table.isBuiltInSet();
        print(learning::progressReport(set, text.get(), builtIn), learning::knownHistory(set, text.get(), builtIn),
            clock);
    } catch (const cardstore::Error& error) {
        std::cerr << "karte-progress: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
