#pragma once

#include <cstdint>
#include <span>

namespace learning {

// One lemma of a book: how often it occurs there, whether the open set has a card for it and whether that card
// is known.
struct BookLemma
{
    std::int64_t count = 0;
    bool inSet = false;
    bool known = false;
};

// What it takes to know a share of a book's running words, learning the set's most frequent unknown words
// first (studying by book shows the set's cards only).
struct BookMark
{
    int percent = 0; // 90 or 95
    bool reached = false; // already known
    bool reachableInSet = false; // learning the set's words can get there
    int fromSet = 0; // set words still to learn: to the mark when reachable, else all the set's unknown ones
    int outsideSet = 0; // when not reachable: the fewest words outside the set needed on top of those
};

struct BookCoverage
{
    std::int64_t totalWords = 0;
    std::int64_t knownWords = 0;
    double share = 0; // knownWords / totalWords
    BookMark mark90;
    BookMark mark95;
};

// lemmas: every lemma of the book with its count, those the set lacks included.
BookCoverage bookCoverage(std::span<const BookLemma> lemmas);

} // namespace learning
