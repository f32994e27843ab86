#pragma once

#include "textlayout.h"

#include <cstddef>
#include <string>

namespace cardstore {
class Table;
}

namespace interchange {

struct ExportSettings
{
    Format format = Format::Csv; // CSV or TSV
    char separator = 0; // 0: the format's own, ',' for CSV and a tab for TSV
    bool overwrite = false; // replace a file that is there (the window asks first; the tool wants --force)
};

// The export format a file name's extension asks for: TSV for .tsv, .tab and .txt, CSV otherwise.
Format exportFormatFor(const std::string& path);

// Writes every card of the open set (any set, the built-in one too) as stored, so without an edit not yet posted,
// in the order of its primary index: a header row (Greek, English, Frequency), then the texts in normal form C
// with the frequency in the set's text form. CSV is written as spreadsheets expect it, with a byte-order mark and CR LF
// line ends, and a value a spreadsheet would take for a formula (starting with =, +, - or @) after an apostrophe that
// keeps it text (see startsAsFormula); TSV plainly. The file appears complete or not at all: cancelled through progress
// (which counts cards) or failed, nothing is left. Returns the number of cards written. Raises ExportError, or
// cardstore::Abort when cancelled.
std::size_t exportSet(
    cardstore::Table& table, const std::string& path, const ExportSettings& settings, const Progress& progress = {});

} // namespace interchange
