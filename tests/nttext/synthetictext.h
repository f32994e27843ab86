#pragma once

#include <string>
#include <vector>

namespace nttexttest {

// One word of a made-up text: "Mt 1 2", the word as printed, its lemma, part of speech and parsing code.
struct Word
{
    std::string place;
    std::string text;
    std::string lemma;
    std::string pos;
    std::string parse;
};

// The text in the source's tab-separated form, header first; the bare word is the printed one without its
// trailing punctuation.
std::string sourceText(const std::vector<Word>& words);

// A small text whose verses, forms and counts the tests know by heart (see synthetictext.cpp).
const std::vector<Word>& smallText();

// Writes bytes gzip-compressed to path.
void writeCompressed(const std::string& path, const std::string& bytes);

} // namespace nttexttest
