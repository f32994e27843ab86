#pragma once

#include "textdata.h"
#include "textsource.h"

#include <string>
#include <string_view>
#include <vector>

namespace karte {

// A lemma of the built-in set with the count its source gives and the source line that holds it.
struct BuiltInLemma
{
    std::string lemma;
    long frequency = 0;
    int line = 0;
};

// Every lemma of the text with its counts, in the order the files keep them: most frequent first, equal counts in
// code-point order; lemmaIds gets each token's lemma id.
std::vector<nttext::LemmaRecord> countLemmas(const std::vector<TextToken>& tokens, std::vector<int>& lemmaIds);

// Every parsing the text uses, in order of part of speech, then code: the table of parsings the companion file and
// the file of the text for reading both keep. parseIds gets each token's place in it.
std::vector<nttext::ParseCode> parseTable(const std::vector<TextToken>& tokens, std::vector<int>& parseIds);

// Appends a word as the program prints it: the text's signs that point into its critical apparatus (⸀ ⸁ ⸂ ⸃ ⸄ ⸅,
// with the number that may follow one), which the program does not ship, are left out.
void appendReadingText(std::string_view printed, std::string& out);

// Derives the companion file's contents from the text: running words per book, every lemma with its count
// in each book, every form with its lemmas, and for each built-in lemma its two example verses and three
// commonest forms. A built-in lemma the text lacks, or whose count differs from the text's, throws
// TextSourceError naming setFileName and its line.
nttext::TextData deriveText(
    const TextSource& source, const std::vector<BuiltInLemma>& builtIn, const std::string& setFileName);

} // namespace karte
