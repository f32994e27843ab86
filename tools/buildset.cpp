// karte-buildset SOURCE.tsv OUTPUT.db: makes the built-in card set from its source. A malformed source is
// reported with its line number and nothing is written.
#include "cardsetsource.h"

#include "errors.h"

#include <fstream>
#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: karte-buildset SOURCE.tsv OUTPUT.db\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << "karte-buildset: cannot read " << argv[1] << "\n";
        return 1;
    }
    try {
        std::vector<karte::SourceCard> cards = karte::parseCardSource(in);
        karte::writeBuiltInSet(argv[2], cards);
        std::cout << "karte-buildset: " << cards.size() << " cards written to " << argv[2] << "\n";
    } catch (const karte::SourceError& error) {
        std::cerr << argv[1] << ": " << error.what() << "\n";
        return 1;
    } catch (const cardstore::Error& error) {
        std::cerr << "karte-buildset: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
