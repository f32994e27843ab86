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

// What it takes from where the learner stands to know a share of a book's running words: the fewest more words,
// the book's most frequent unknown ones, whether the set has cards for them or not.
struct BookMark
{
    int percent = 0; // 90 or 95
    bool reached = false; // already known
    int words = 0; // the fewest more words that reach the mark; 0 when reached
    int inSet = 0; // how many of those words the set has cards for
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
