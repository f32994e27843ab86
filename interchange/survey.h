#pragma once

#include "recordreader.h"
#include "textlayout.h"

#include <cstddef>
#include <string>
#include <vector>

namespace interchange {

// Which column (from 0) holds which part of a card; -1 for none. Every card needs its Greek and English side;
// the frequency is optional.
struct ColumnMapping
{
    int greek = -1;
    int english = -1;
    int frequency = -1;

    bool operator==(const ColumnMapping&) const = default;
};

// What the start of a file tells about it: the layout, the columns and which one holds what, guessed; and its
// first records, for a preview. A window shows this, lets the user change the layout or the mapping, and hands
// both on to planImport.
struct FileSurvey
{
    std::string path;
    Layout layout;
    std::vector<std::string> columnNames; // one per column: the header's names, or "Column 1", "Column 2" ...
    std::vector<int> nonCardColumns; // the note type, deck, tags and guid columns of a flashcard program's file
    ColumnMapping mapping;
    std::vector<Record> rows; // the first records after the header row, as written
};

// Guesses the layout from the extension and the first lines, then reads the first rowCount records with it.
FileSurvey surveyFile(const std::string& path, std::size_t rowCount = 20);
// Reads the first rowCount records with a layout the caller chose, and guesses the mapping for it.
FileSurvey surveyFile(const std::string& path, const Layout& layout, std::size_t rowCount = 20);

// The layout the extension and the first lines suggest.
Layout guessLayout(const std::string& path);
// The mapping for a file of names.size() columns that the column names suggest (greek, language, lemma, front, word;
// english, gloss, meaning, back, translation; frequency, count, freq), completed from the contents: the column that
// holds the most Greek is the Greek side, the first other column that holds words the English side, and a column of
// numbers the frequency.
ColumnMapping guessMapping(
    const std::vector<std::string>& names, const std::vector<Record>& rows, const std::vector<int>& nonCardColumns);

} // namespace interchange
