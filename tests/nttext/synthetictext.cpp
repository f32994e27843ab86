#include "synthetictext.h"

#include <zlib.h>

#include <sstream>
#include <stdexcept>

namespace nttexttest {

std::string sourceText(const std::vector<Word>& words)
{
    std::string out = "book\tchapter\tverse\ttext\tword\tlemma\tpos\tparse\n";
    for (const Word& word : words) {
        std::istringstream place(word.place);
        std::string book, chapter, verse;
        place >> book >> chapter >> verse;
        std::string bare = word.text;
        if (bare.starts_with("⸀"))
            bare.erase(0, std::string("⸀").size());
        while (!bare.empty() && std::string(".,;").find(bare.back()) != std::string::npos)
            bare.pop_back();
        out += book + '\t' + chapter + '\t' + verse + '\t' + word.text + '\t' + bare + '\t' + word.lemma + '\t'
            + word.pos + '\t' + word.parse + '\n';
    }
    return out;
}

// Mt 1:1 (4 words) is too short to quote; λόγος's shortest verses of five words are then Mt 1:3 and Mk 1:1,
// the earlier first. λόγον occurs three times, once capitalised; ἐστίν and ἔστιν count with ἐστιν, τὸν with
// τόν, and οὗτός (its accent thrown back by ἐστίν) as οὗτος.
const std::vector<Word>& smallText()
{
    static const std::vector<Word> words = {
        { "Mt 1 1", "λόγος", "λόγος", "N-", "----NSM-" },
        { "Mt 1 1", "ἦν", "εἰμί", "V-", "3IAI-S--" },
        { "Mt 1 1", "ἐν", "ἐν", "P-", "--------" },
        { "Mt 1 1", "ἀρχῇ.", "ἀρχή", "N-", "----DSF-" },
        { "Mt 1 2", "καὶ", "καί", "C-", "--------" },
        { "Mt 1 2", "ὁ", "ὁ", "RA", "----NSM-" },
        { "Mt 1 2", "λόγος", "λόγος", "N-", "----NSM-" },
        { "Mt 1 2", "ἦν", "εἰμί", "V-", "3IAI-S--" },
        { "Mt 1 2", "πρὸς", "πρός", "P-", "--------" },
        { "Mt 1 2", "θεόν.", "θεός", "N-", "----ASM-" },
        { "Mt 1 3", "⸀Λόγον", "λόγος", "N-", "----ASM-" },
        { "Mt 1 3", "εἶπεν", "λέγω", "V-", "3AAI-S--" },
        { "Mt 1 3", "καὶ", "καί", "C-", "--------" },
        { "Mt 1 3", "λόγον", "λόγος", "N-", "----ASM-" },
        { "Mt 1 3", "ἔχει.", "ἔχω", "V-", "3PAI-S--" },
        { "Mk 1 1", "ἔχει", "ἔχω", "V-", "3PAI-S--" },
        { "Mk 1 1", "τὸν", "ὁ", "RA", "----ASM-" },
        { "Mk 1 1", "λόγον", "λόγος", "N-", "----ASM-" },
        { "Mk 1 1", "ἐστιν", "εἰμί", "V-", "3PAI-S--" },
        { "Mk 1 1", "καλόν.", "καλός", "A-", "----ASM-" },
        { "1Jn 1 1", "οὗτός", "οὗτος", "RD", "----NSM-" },
        { "1Jn 1 1", "ἐστίν", "εἰμί", "V-", "3PAI-S--" },
        { "1Jn 1 1", "ὁ", "ὁ", "RA", "----NSM-" },
        { "1Jn 1 1", "λόγῳ", "λόγος", "N-", "----DSM-" },
        { "1Jn 1 1", "λόγου", "λόγος", "N-", "----GSM-" },
        { "1Jn 1 1", "καὶ", "καί", "C-", "--------" },
        { "1Jn 1 1", "ἔστιν.", "εἰμί", "V-", "3PAI-S--" },
    };
    return words;
}

void writeCompressed(const std::string& path, const std::string& bytes)
{
    gzFile file = gzopen(path.c_str(), "wb");
    if (!file || gzwrite(file, bytes.data(), static_cast<unsigned>(bytes.size())) != static_cast<int>(bytes.size())
        || gzclose(file) != Z_OK)
        throw std::runtime_error("cannot write " + path);
}

} // namespace nttexttest
