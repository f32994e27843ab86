#pragma once

#include "errors.h"
#include "textdata.h"
#include "textsource.h"

#include <istream>
#include <string>
#include <vector>

namespace karte {

// A gloss as its file gives it.
struct GlossLine
{
    std::string lemma;
    std::string gloss;
    int line = 0;
};

// The glosses of one file, with the file's name for errors.
struct GlossFile
{
    std::string name;
    std::vector<GlossLine> glosses;
};

// A set of glosses that does not fit the text; what() names the lemma, and the file and line where there is one.
class GlossError : public cardstore::Error
{
public:
    GlossError(const std::string& lemma, const std::string& message);
    const std::string& lemma() const { return lemma_; }
    const char* kind() const noexcept override { return "GlossError"; }

private:
    std::string lemma_;
};

// Reads a gloss file: the header "lemma<TAB>gloss", then one lemma a line with its gloss. A wrong header, a line
// without exactly two columns, an empty lemma, or a gloss that is empty or longer than 100 characters throws
// TextSourceError naming the line.
GlossFile readGlossFile(std::istream& in, const std::string& fileName);

// Every lemma's words (data.words, in the order of data.lemmas) and the table of the text's parsings
// (data.parses): the gloss from whichever file gives it, the lexical form derived from the lemma's words, and
// every form with its parsings. The files must give every lemma of the text exactly one gloss: a lemma without
// one, glossed twice (in one file or in two) or glossed but absent from the text throws GlossError. A parsing code
// that does not fit its part of speech throws TextSourceError naming sourceName and the line.
void deriveLemmaWords(const TextSource& source, const std::string& sourceName, const std::vector<GlossFile>& glosses,
    nttext::TextData& data);

} // namespace karte
