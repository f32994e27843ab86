#include "sourcewords.h"

#include <zlib.h>

#include <sstream>
#include <stdexcept>

namespace readingtest {

const std::vector<SourceWord>& sourceWords()
{
    static const std::vector<SourceWord> words = [] {
        gzFile file = gzopen(KARTE_TEXT_SOURCE, "rb");
        if (!file)
            throw std::runtime_error("cannot open " KARTE_TEXT_SOURCE);
        std::string all;
        char buffer[1 << 16];
        for (int read; (read = gzread(file, buffer, sizeof buffer)) > 0;)
            all.append(buffer, static_cast<std::size_t>(read));
        gzclose(file);
        std::vector<SourceWord> parsed;
        std::istringstream lines(all);
        std::string line;
        std::getline(lines, line); // the header
        while (std::getline(lines, line)) {
            std::istringstream columns(line);
            SourceWord word;
            std::string chapter, verse;
            std::getline(columns, word.book, '\t');
            std::getline(columns, chapter, '\t');
            std::getline(columns, verse, '\t');
            std::getline(columns, word.text, '\t');
            std::getline(columns, word.word, '\t');
            std::getline(columns, word.lemma, '\t');
            std::getline(columns, word.partOfSpeech, '\t');
            std::getline(columns, word.parse, '\t');
            word.chapter = std::stoi(chapter);
            word.verse = std::stoi(verse);
            parsed.push_back(std::move(word));
        }
        return parsed;
    }();
    return words;
}

std::vector<SourceWord> sourceChapter(const std::string& book, int chapter)
{
    std::vector<SourceWord> words;
    for (const SourceWord& word : sourceWords())
        if (word.book == book && word.chapter == chapter)
            words.push_back(word);
    return words;
}

std::string withoutApparatus(const std::string& printed)
{
    std::string out;
    for (std::size_t i = 0; i < printed.size();) {
        // U+2E00 to U+2E05 are E2 B8 80 to E2 B8 85 in UTF-8.
        if (printed.compare(i, 2, "\xE2\xB8") == 0 && i + 2 < printed.size()
            && static_cast<unsigned char>(printed[i + 2]) <= 0x85) {
            for (i += 3; i < printed.size() && std::isdigit(static_cast<unsigned char>(printed[i]));)
                ++i;
            continue;
        }
        out += printed[i++];
    }
    return out;
}

} // namespace readingtest
