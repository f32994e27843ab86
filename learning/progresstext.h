#pragma once

#include "bookcoverage.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The sentences of the Study and Progress windows, kept apart from the figures they show.
namespace learning {

// "1,125": thousands set apart by commas.
std::string groupedText(std::int64_t n);
// "1 word", "312 words", "1,125 words".
std::string countText(std::int64_t n, std::string_view singular, std::string_view plural);
// A share as a percentage with one decimal: "79.4%". It never rounds up to "100.0%" short of the whole.
std::string percentText(double share);
// "You know 312 words, 79.4% of the words you will read in the New Testament".
std::string knownWordsSentence(int knownWords, double coverage);
// For a set of one's own, whose cards need not be words of the text: "5 cards known, 3 of them words of the New
// Testament, which make up 0.2% of the words you will read in it". cardsOfWords: the known cards that name a word
// of the text; words: the words they name, fewer when two cards name one.
std::string knownCardsSentence(int knownCards, int cardsOfWords, int words, double coverage);
// The retention of today's reviews ("91.7%"), or "no reviews".
std::string retentionText(std::optional<double> retention);
// "1 John: you know 91.2% of its words".
std::string bookCoverageSentence(std::string_view book, const BookCoverage& coverage);
// "23 more words for 95% of John, 19 of them in this set", or "You already know 95% of John's words".
std::string bookMarkSentence(std::string_view book, const BookMark& mark);

} // namespace learning
