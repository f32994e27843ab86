#pragma once

#include <QString>

#include <cstddef>

class QWidget;
namespace cardstore {
class Table;
}

namespace karte {

// Writes every card of the open set (any set, the built-in one too) to path as CSV or TSV, as its extension asks
// (.tsv, .tab and .txt are TSV), showing the progress of a long export over parent. The file appears complete or
// not at all; a file already at path is replaced, for the Save dialog that gave the name has asked. Returns the
// number of cards written. Raises the export's failure, or cardstore::Abort when the user cancelled.
std::size_t exportCards(cardstore::Table& set, const QString& path, QWidget* parent);

} // namespace karte
