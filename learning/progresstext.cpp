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

std::string retentionText(std::optional<double> retention)
{
    return retention ? percentText(*retention) : "no reviews";
}

std::string bookCoverageSentence(std::string_view book, const BookCoverage& coverage)
{
    std::string text = std::string(book) + ": you know " + percentText(coverage.share) + " of its words";
    for (const BookMark* mark : { &coverage.mark90, &coverage.mark95 }) {
        if (mark->reached)
            continue;
        if (mark->reachableInSet)
            text += "; " + countText(mark->fromSet, "more word", "more words") + " for " + std::to_string(mark->percent)
                + "%";
        break;
    }
    return text;
}

std::string outsideSetSentence(const BookMark& mark)
{
    if (mark.reached || mark.reachableInSet)
        return {};
    return std::to_string(mark.percent) + "% needs " + countText(mark.outsideSet, "word", "words")
        + (mark.outsideSet == 1 ? " that is" : " that are") + " not in this set";
}

} // namespace learning
