#pragma once

#include "bytes.h"
#include "textdata.h"

#include <vector>

namespace nttext {

// The table of the text's parsings as the companion file and the file of the text for reading both write it: its
// size, then each parsing's part of speech and code. A word's parsing is a place in it. Reading a table too large to
// be one throws TextFileError naming the file.
void writeParseTable(ByteWriter& out, const std::vector<ParseCode>& parses);
std::vector<ParseCode> readParseTable(ByteReader& in);

// The most parsings a table holds: a word keeps its place in the table in 16 bits.
inline constexpr std::uint64_t kMostParses = 1u << 16;

} // namespace nttext
