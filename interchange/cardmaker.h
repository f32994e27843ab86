#pragma once

#include "definitions.h"
#include "importplan.h"
#include "recordreader.h"

#include <string>
#include <vector>

namespace interchange {

// Turns records into cards for a set's fields, the same way for the preview and for the import.
class CardMaker
{
public:
    // Raises ImportError when the set lacks a card side or the mapping names no column for one or a column the
    // file does not have.
    CardMaker(const ImportSettings& settings, const std::vector<cardstore::FieldDef>& fields, std::size_t columns,
        const std::string& fileName);

    struct Made
    {
        ImportedCard card;
        int cutSize[2] = { 0, 0 }; // the sizes the Greek and English sides were cut to; 0 when not cut
    };
    // Raises ImportError naming the record's line when it cannot become a card.
    Made make(const Record& record) const;

private:
    ImportSettings settings_;
    std::size_t columns_;
    std::string fileName_;
    cardstore::FieldDef greekField_;
    cardstore::FieldDef englishField_;
    bool hasFrequency_ = false;
};

// Cut text to a field's size; true when it was longer.
bool cutToField(std::string& text, const cardstore::FieldDef& field);

} // namespace interchange
