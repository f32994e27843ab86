#pragma once

#include "definitions.h"

#include <string>
#include <vector>

namespace cardstore {

class Table;

// The card record of a set made by the program: English, Language, FontName, FontSize, Frequency.
std::vector<FieldDef> cardFieldDefs();
// The one index of a user set: EnglishIndex on English, primary, no other option.
IndexDef englishIndexDef();
// The three indexes of the built-in set.
std::vector<IndexDef> builtInIndexDefs();

// The card position shown to the user: the sequence number on a table that numbers its records by
// sequence (0 when no record is current), the physical record number on one that numbers them physically.
int recordPosition(const Table& table);

// The display font kept in the first record: FontName and FontSize as stored (FontSize's text is not
// checked here). Moves to the first record; an empty FontName means no font is stored.
struct StoredFont
{
    std::string name;
    std::string size;
};
StoredFont readStoredFont(Table& table);
// Writes the font into the first record: First, Edit, FontName (cut to its field's size), FontSize as
// decimal text (cut likewise), Post.
void writeStoredFont(Table& table, const std::string& faceName, int pointSize);

} // namespace cardstore
