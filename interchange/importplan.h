#pragma once

#include "cardtable.h"
#include "definitions.h"
#include "filereplace.h"
#include "survey.h"
#include "table.h"
#include "textlayout.h"

#include <cstddef>
#include <string>
#include <vector>

namespace interchange {

// What the user chose for an import: how the file is laid out, which column is what, and whether cards that are
// already in the set (or earlier in the file) are added again.
struct ImportSettings
{
    Layout layout;
    ColumnMapping mapping;
    bool keepDuplicates = false;
};

// One card as an import adds it: trimmed, in normal form C, cut to its fields' sizes.
struct ImportedCard
{
    int line = 0; // where its record starts in the file
    std::string greek;
    std::string english;
    std::string frequency; // in the set's text form; empty for none
};

// A record of the file as the import would take it: the card it becomes, or what is wrong with it.
struct PreviewRow
{
    ImportedCard card;
    bool cut = false; // a side was longer than its field and is cut
    std::string problem; // empty when the record is fine; otherwise the whole file would be refused
};

// The values that were cut to one size, and where.
struct CutValues
{
    int size = 0; // characters
    std::size_t count = 0;
    std::vector<int> lines; // the first few of them
};

// What an import will do, worked out from the whole file before anything is written. It holds counts, the first few
// lines of a kind and a bit a record, not the cards: the import reads the file again as it writes them, so that
// neither the plan nor the import needs memory in proportion to the file.
struct ImportPlan
{
    std::string path; // the file, and the settings it was read with
    ImportSettings settings;
    cardstore::FileIdentity source; // the file as it was read: one changed since is not imported
    std::size_t cards = 0; // to add
    std::size_t duplicates = 0; // skipped, or added all the same when settings keep them
    std::vector<int> duplicateLines; // the first few of them
    std::vector<bool> skipped; // by the records' order in the file: the duplicates the import passes over
    std::vector<CutValues> cuts; // smallest size first

    // "1,203 cards to add, 4 duplicates skipped, 2 values cut to 150 characters (lines 88, 412)"
    std::string summary() const;
};

// "1 card", "1,203 cards".
std::string cardCount(std::size_t count);

// Why the built-in set takes no cards, as the import window and karte-cards say it.
extern const char* const kOnlyOwnSetsTakeCards;

// The survey's records as the import would take them into a set with these fields. The survey must have been
// read with the settings' layout. A mapping that cannot make cards at all raises ImportError.
std::vector<PreviewRow> previewCards(const FileSurvey& survey, const ImportSettings& settings,
    const std::vector<cardstore::FieldDef>& fields = cardstore::cardFieldDefs());

// Reads the whole file and works out the cards it adds to the open set into, skipping the cards it already holds
// unless duplicates are kept; into null: a new set. A malformed file raises ImportError naming the line, as does a
// set that takes no cards (read-only, or the built-in set); the set is not touched either way. Progress counts the
// file's bytes.
ImportPlan planImport(
    const std::string& path, const ImportSettings& settings, cardstore::Table* into, const Progress& progress = {});

// Adds the planned cards to the set in one transaction, reading them from the file again: all of them or, on
// failure or cancel, none. A file changed since the plan raises ImportError. Progress counts the cards written. A
// protected set stays protected. after tells what the table does once the cards are in: read the set again (a window
// shows it), or close.
void commitImport(cardstore::Table& into, const ImportPlan& plan, const Progress& progress = {},
    cardstore::Table::AfterAppend after = cardstore::Table::AfterAppend::ReadAgain);

// Makes a new user set at setPath holding the planned cards. It appears under its name only once it holds all of
// them: a file that is there already is refused, and when the import fails, is cancelled or is killed, no set is
// left behind.
void importIntoNewSet(const std::string& setPath, const ImportPlan& plan, const Progress& progress = {});

// Line number line of the file as written (at most maxBytes of it, its line end left out), for showing a record that
// is refused; empty past the end.
std::string lineOfFile(const std::string& path, int line, std::size_t maxBytes = 200);

} // namespace interchange
