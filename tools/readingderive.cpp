#include "readingderive.h"

#include "textderive.h"

#include <unordered_map>

namespace karte {

nttext::ReadingData deriveReading(const TextSource& source, const std::string& sourceName)
{
    const std::vector<TextToken>& tokens = source.tokens();
    nttext::ReadingData data;
    std::vector<int> lemmaIds;
    data.lemmaCount = static_cast<int>(countLemmas(tokens, lemmaIds).size());
    std::vector<int> parseIds;
    data.parses = parseTable(tokens, parseIds);

    std::unordered_map<std::string, int> formIds;
    data.words.reserve(tokens.size());
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const TextToken& token = tokens[i];
        const TextToken* previous = i ? &tokens[i - 1] : nullptr;
        if (!previous || previous->book != token.book || previous->chapter != token.chapter)
            data.chapters.push_back({ token.book, token.chapter, {} });
        std::vector<nttext::ChapterRecord::Verse>& verses = data.chapters.back().verses;
        if (verses.empty() || previous->verse != token.verse)
            verses.push_back({ token.verse, 0 });
        ++verses.back().words;

        std::string printed;
        appendReadingText(token.text, printed);
        auto [found, added] = formIds.emplace(printed, static_cast<int>(data.forms.size()));
        if (added) {
            const std::size_t start = printed.find(token.word);
            if (start == std::string::npos)
                throw TextSourceError(sourceName, static_cast<int>(i) + 2,
                    "the word " + std::string(token.word) + " is not in its printed form " + printed);
            data.forms.push_back({ printed, static_cast<int>(start), static_cast<int>(token.word.size()) });
        } else {
            const nttext::PrintedForm& form = data.forms[static_cast<std::size_t>(found->second)];
            if (std::string_view(form.text).substr(
                    static_cast<std::size_t>(form.wordStart), static_cast<std::size_t>(form.wordLength))
                != token.word)
                throw TextSourceError(
                    sourceName, static_cast<int>(i) + 2, "the printed form " + printed + " stands for two words");
        }
        data.words.push_back({ found->second, lemmaIds[i], parseIds[i] });
    }
    return data;
}

} // namespace karte
