#include "progresstext.h"

#include <cmath>

namespace learning {

std::string groupedText(std::int64_t n)
{
    std::string digits = std::to_string(n < 0 ? -n : n);
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3)
        digits.insert(static_cast<std::size_t>(i), ",");
    return n < 0 ? "-" + digits : digits;
}

std::string countText(std::int64_t n, std::string_view singular, std::string_view plural)
{
    return groupedText(n) + " " + std::string(n == 1 ? singular : plural);
}

std::string percentText(double share)
{
    if (!std::isfinite(share))
        share = 0;
    long long tenths = std::llround(share * 1000);
    if (tenths >= 1000 && share < 1)
        tenths = 999;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + "%";
}

std::string knownWordsSentence(int knownWords, double coverage)
{
    return "You know " + countText(knownWords, "word", "words") + ", " + percentText(coverage)
        + " of the words you will read in the New Testament";
}

std::string knownCardsSentence(int knownCards, int cardsOfWords, int words, double coverage)
{
    if (knownCards <= 0)
        return "No cards known yet";
    std::string text = countText(knownCards, "card", "cards") + " known, ";
    if (knownCards == 1)
        text += cardsOfWords > 0 ? "a word" : "not a word";
    else if (cardsOfWords >= knownCards)
        text += "all of them words";
    else if (cardsOfWords <= 0)
        text += "none of them words";
    else
        text += groupedText(cardsOfWords) + (cardsOfWords == 1 ? " of them a word" : " of them words");
    text += " of the New Testament";
    if (cardsOfWords <= 0)
        return text;
    if (words != cardsOfWords)
        text += words == 1 ? " (one and the same word)" : " (" + groupedText(words) + " different words)";
    return text + (words == 1 ? ", which makes up " : ", which make up ") + percentText(coverage)
        + " of the words you will read in it";
}

std::string retentionText(std::optional<double> retention)
{
    return retention ? percentText(*retention) : "no reviews";
}

std::string bookCoverageSentence(std::string_view book, const BookCoverage& coverage)
{
    return std::string(book) + ": you know " + percentText(coverage.share) + " of its words";
}

std::string bookMarkSentence(std::string_view book, const BookMark& mark)
{
    const std::string percent = std::to_string(mark.percent) + "%";
    if (mark.reached)
        return "You already know " + percent + " of " + std::string(book) + (book.ends_with('s') ? "'" : "'s")
            + " words";
    std::string text
        = countText(mark.words, "more word", "more words") + " for " + percent + " of " + std::string(book) + ", ";
    if (mark.words == 1)
        return text + (mark.inSet == 1 ? "in this set" : "not in this set");
    if (mark.inSet == mark.words)
        return text + "all of them in this set";
    if (mark.inSet == 0)
        return text + "none of them in this set";
    return text + groupedText(mark.inSet) + " of them in this set";
}

} // namespace learning
