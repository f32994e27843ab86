// karte-buildtext [--words N] TEXT.tsv.gz SET.tsv GLOSSES.tsv OUTPUT: derives the companion file of the built-in
// card set from the Greek text (with N words, when given), the set's source and the glosses of the lemmas outside
// the set. Damaged input is reported with its file and line, and nothing is written.
// karte-buildtext --reading TEXT.tsv.gz OUTPUT: derives the file of the text for reading.
#include "cardsetsource.h"
#include "lemmawords.h"
#include "readingderive.h"
#include "readingfile.h"
#include "textderive.h"
#include "textfile.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

int usage()
{
    std::cerr << "usage: karte-buildtext [--words N] TEXT.tsv.gz SET.tsv GLOSSES.tsv OUTPUT\n"
                 "       karte-buildtext --reading TEXT.tsv.gz OUTPUT\n";
    return 2;
}

// The file of the text for reading; args: TEXT.tsv.gz OUTPUT.
int buildReading(const std::vector<std::string>& args)
{
    if (args.size() != 2)
        return usage();
    auto start = std::chrono::steady_clock::now();
    try {
        karte::TextSource source(karte::readCompressedFile(args[0]), args[0]);
        nttext::ReadingData data = karte::deriveReading(source, args[0]);
        nttext::writeReadingFile(args[1], data);
        auto elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start);
        std::cout << "karte-buildtext: " << data.words.size() << " words in " << data.chapters.size() << " chapters, "
                  << data.forms.size() << " printed forms, " << data.parses.size() << " parsings; " << args[1] << " ("
                  << std::filesystem::file_size(args[1]) << " bytes) in " << static_cast<int>(elapsed.count())
                  << " ms\n";
    } catch (const cardstore::Error& error) {
        std::cerr << "karte-buildtext: " << error.what() << "\n";
        return 1;
    }
    return 0;
}

std::ifstream openFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw karte::TextSourceError(path, 0, "cannot be read");
    return in;
}

// The built-in set's lemmas with their counts, and their glosses: the cards' English sides.
std::vector<karte::BuiltInLemma> builtInLemmas(const std::string& path, karte::GlossFile& glosses)
{
    std::ifstream in = openFile(path);
    std::vector<karte::BuiltInLemma> lemmas;
    glosses.name = path;
    for (const karte::SourceCard& card : karte::parseCardSource(in)) {
        lemmas.push_back({ card.language, std::stol(card.frequency), card.line });
        glosses.glosses.push_back({ card.language, card.english, card.line });
    }
    return lemmas;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args[0] == "--reading")
        return buildReading({ args.begin() + 1, args.end() });
    std::optional<int> words;
    if (args.size() == 6 && args[0] == "--words") {
        try {
            words = std::stoi(args[1]);
        } catch (const std::exception&) {
            return usage();
        }
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.size() != 4)
        return usage();
    auto start = std::chrono::steady_clock::now();
    try {
        karte::TextSource source(karte::readCompressedFile(args[0]), args[0], words);
        std::vector<karte::GlossFile> glosses(1);
        nttext::TextData data = karte::deriveText(source, builtInLemmas(args[1], glosses[0]), args[1]);
        std::ifstream glossFile = openFile(args[2]);
        glosses.push_back(karte::readGlossFile(glossFile, args[2]));
        karte::deriveLemmaWords(source, args[0], glosses, data);
        nttext::writeTextFile(args[3], data);
        auto elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start);
        std::cout << "karte-buildtext: " << source.tokens().size() << " words, " << data.lemmas.size() << " lemmas, "
                  << data.studies.size() << " studied, " << data.forms.size() << " forms, " << data.parses.size()
                  << " parsings; " << args[3] << " (" << std::filesystem::file_size(args[3]) << " bytes) in "
                  << static_cast<int>(elapsed.count()) << " ms\n";
    } catch (const karte::SourceError& error) {
        std::cerr << args[1] << ", " << error.what() << "\n";
        return 1;
    } catch (const cardstore::Error& error) {
        std::cerr << "karte-buildtext: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
