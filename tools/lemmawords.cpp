#include "lemmawords.h"

#include "formcount.h"
#include "lexicalform.h"
#include "parse.h"
#include "textderive.h"
#include "textforms.h"

#include <limits>
#include <unordered_map>

namespace karte {

namespace {

constexpr std::size_t kLongestGloss = 100;

std::string place(const std::string& file, int line)
{
    return file + ", line " + std::to_string(line);
}

// The gloss of each lemma id, from the files; every lemma of the text exactly once.
std::vector<std::string> glossesOfLemmas(
    const std::vector<nttext::LemmaRecord>& lemmas, const std::vector<GlossFile>& files)
{
    std::unordered_map<std::string_view, std::size_t> idOf;
    for (std::size_t id = 0; id < lemmas.size(); ++id)
        idOf.emplace(lemmas[id].lemma, id);
    std::vector<std::string> glosses(lemmas.size());
    std::vector<std::pair<const GlossFile*, int>> glossedAt(lemmas.size(), { nullptr, 0 });
    for (const GlossFile& file : files) {
        for (const GlossLine& line : file.glosses) {
            auto found = idOf.find(line.lemma);
            if (found == idOf.end())
                throw GlossError(line.lemma,
                    place(file.name, line.line) + ": the lemma " + line.lemma + " does not occur in the text");
            auto& [earlierFile, earlierLine] = glossedAt[found->second];
            if (earlierFile)
                throw GlossError(line.lemma,
                    place(file.name, line.line) + ": the lemma " + line.lemma + " is glossed twice (also "
                        + place(earlierFile->name, earlierLine) + ")");
            earlierFile = &file;
            earlierLine = line.line;
            glosses[found->second] = line.gloss;
        }
    }
    for (std::size_t id = 0; id < lemmas.size(); ++id) {
        if (glossedAt[id].first)
            continue;
        std::string names;
        for (const GlossFile& file : files)
            names += (names.empty() ? "" : " or ") + file.name;
        throw GlossError(lemmas[id].lemma,
            "the lemma " + lemmas[id].lemma + " of the text (" + std::to_string(lemmas[id].count)
                + " times) has no gloss in " + names);
    }
    return glosses;
}

} // namespace

GlossError::GlossError(const std::string& lemma, const std::string& message)
    : cardstore::Error(message)
    , lemma_(lemma)
{
}

GlossFile readGlossFile(std::istream& in, const std::string& fileName)
{
    GlossFile file { fileName, {} };
    std::string text;
    int line = 0;
    auto fail = [&](const std::string& problem) { throw TextSourceError(fileName, line, problem); };
    while (std::getline(in, text)) {
        ++line;
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
        if (line == 1) {
            if (text != "lemma\tgloss")
                fail("the header must read lemma, gloss");
            continue;
        }
        std::size_t tab = text.find('\t');
        if (tab == std::string::npos || text.find('\t', tab + 1) != std::string::npos)
            fail("a lemma and its gloss, separated by one tab, expected");
        GlossLine gloss { text.substr(0, tab), text.substr(tab + 1), line };
        if (gloss.lemma.empty())
            fail("the lemma is empty");
        if (gloss.gloss.empty())
            fail("the lemma " + gloss.lemma + " has an empty gloss");
        if (cardstore::utf8Length(gloss.gloss) > kLongestGloss)
            fail("the gloss of " + gloss.lemma + " is longer than 100 characters");
        file.glosses.push_back(std::move(gloss));
    }
    if (line == 0)
        fail("the file is empty");
    return file;
}

void deriveLemmaWords(const TextSource& source, const std::string& sourceName, const std::vector<GlossFile>& glosses,
    nttext::TextData& data)
{
    const std::vector<TextToken>& tokens = source.tokens();
    std::vector<std::string> glossOf = glossesOfLemmas(data.lemmas, glosses);

    std::unordered_map<std::string_view, std::size_t> idOf;
    for (std::size_t id = 0; id < data.lemmas.size(); ++id)
        idOf.emplace(data.lemmas[id].lemma, id);
    std::vector<std::vector<const TextToken*>> tokensOf(data.lemmas.size());
    std::vector<int> parseIds;
    data.parses = parseTable(tokens, parseIds);
    // Each parsing is checked where the text first uses it.
    std::vector<bool> checked(data.parses.size());
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const TextToken& token = tokens[i];
        tokensOf[idOf.at(token.lemma)].push_back(&token);
        const auto parse = static_cast<std::size_t>(parseIds[i]);
        if (checked[parse])
            continue;
        checked[parse] = true;
        if (!nttext::parseUnderstood(token.partOfSpeech, token.parse))
            throw TextSourceError(sourceName, static_cast<int>(i) + 2,
                "the parsing code " + std::string(token.parse) + " does not fit the part of speech "
                    + std::string(token.partOfSpeech));
    }

    FormSpellings spellings;
    data.words.clear();
    data.words.reserve(data.lemmas.size());
    for (std::size_t id = 0; id < data.lemmas.size(); ++id) {
        const std::string& lemma = data.lemmas[id].lemma;
        data.words.push_back({ std::move(glossOf[id]), lexicalForm(lemma, tokensOf[id]),
            commonestForms(lemma, tokensOf[id], spellings, std::numeric_limits<std::size_t>::max()) });
    }
}

} // namespace karte
