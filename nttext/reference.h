#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace nttext {

// A reference as typed, its book found and its numbers read but not yet held against the text's chapters.
struct TypedReference
{
    int book = 0; // canonical place, 0 = Matthew
    std::optional<int> first; // "John 3": 3
    std::optional<int> second; // "John 3:16": 16
};

struct TypedReferenceReading
{
    std::optional<TypedReference> reference;
    std::string error; // why not, in a sentence, when there is none
};

// Reads what a learner types to go to a place: a book by its name, the text's own code or a common abbreviation,
// in any case, with or without its number's space or a full stop ("John", "Jn", "Jhn", "1 Cor", "1Cor", "1 Co.",
// "I Cor", "First Corinthians", "Rev", "Phil", "Phlm"), any unambiguous beginning of a name ("Mat", "Phile"),
// then a chapter and a verse ("3", "3:16", "3.16"), either of which may be left out; the end of a range
// ("3:16-18") is passed over. A book it cannot tell, a name two books begin with, a numbered book without its
// number and anything else it cannot read give an error naming what was typed.
TypedReferenceReading readTypedReference(std::string_view typed);

} // namespace nttext
