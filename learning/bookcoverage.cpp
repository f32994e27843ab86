#include "bookcoverage.h"

#include <algorithm>
#include <vector>

namespace learning {

namespace {

// Whether known running words make up at least percent of total, in whole numbers.
bool atMark(std::int64_t known, std::int64_t total, int percent)
{
    return known * 100 >= total * percent;
}

// unknown: the book's unknown lemmas, most frequent first. Every lemma of the book is there, so learning them all
// reaches any mark.
BookMark markFor(int percent, std::int64_t known, std::int64_t total, const std::vector<BookLemma>& unknown)
{
    BookMark mark;
    mark.percent = percent;
    mark.reached = atMark(known, total, percent);
    for (auto next = unknown.begin(); next != unknown.end() && !atMark(known, total, percent); ++next) {
        known += next->count;
        ++mark.words;
        mark.inSet += next->inSet ? 1 : 0;
    }
    return mark;
}

} // namespace

BookCoverage bookCoverage(std::span<const BookLemma> lemmas)
{
    BookCoverage coverage;
    std::vector<BookLemma> unknown;
    for (const BookLemma& lemma : lemmas) {
        if (lemma.count <= 0)
            continue;
        coverage.totalWords += lemma.count;
        if (lemma.known)
            coverage.knownWords += lemma.count;
        else
            unknown.push_back(lemma);
    }
    // Of words as frequent, those the set has cards for first: the learner can study them at once.
    std::stable_sort(unknown.begin(), unknown.end(), [](const BookLemma& a, const BookLemma& b) {
        return a.count != b.count ? a.count > b.count : a.inSet && !b.inSet;
    });
    if (coverage.totalWords > 0)
        coverage.share = static_cast<double>(coverage.knownWords) / static_cast<double>(coverage.totalWords);
    coverage.mark90 = markFor(90, coverage.knownWords, coverage.totalWords, unknown);
    coverage.mark95 = markFor(95, coverage.knownWords, coverage.totalWords, unknown);
    return coverage;
}

} // namespace learning
