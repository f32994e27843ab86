#include "bookcoverage.h"

#include <algorithm>
#include <functional>
#include <vector>

namespace learning {

namespace {

// Whether known running words make up at least percent of total, in whole numbers.
bool atMark(std::int64_t known, std::int64_t total, int percent)
{
    return known * 100 >= total * percent;
}

// Adds counts (most frequent first) to known until the mark; how many it took, or nullopt-like -1 when the
// counts run out first. known ends as the words known after them.
int wordsToMark(const std::vector<std::int64_t>& counts, std::int64_t& known, std::int64_t total, int percent)
{
    int taken = 0;
    for (std::int64_t count : counts) {
        if (atMark(known, total, percent))
            return taken;
        known += count;
        ++taken;
    }
    return atMark(known, total, percent) ? taken : -1;
}

BookMark markFor(int percent, std::int64_t known, std::int64_t total, const std::vector<std::int64_t>& inSet,
    const std::vector<std::int64_t>& outside)
{
    BookMark mark;
    mark.percent = percent;
    mark.reached = atMark(known, total, percent);
    std::int64_t withSet = known;
    const int fromSet = wordsToMark(inSet, withSet, total, percent);
    mark.reachableInSet = fromSet >= 0;
    if (mark.reachableInSet) {
        mark.fromSet = fromSet;
        return mark;
    }
    mark.fromSet = static_cast<int>(inSet.size());
    mark.outsideSet = wordsToMark(outside, withSet, total, percent);
    return mark;
}

} // namespace

BookCoverage bookCoverage(std::span<const BookLemma> lemmas)
{
    BookCoverage coverage;
    std::vector<std::int64_t> unknownInSet;
    std::vector<std::int64_t> unknownOutside;
    for (const BookLemma& lemma : lemmas) {
        if (lemma.count <= 0)
            continue;
        coverage.totalWords += lemma.count;
        if (lemma.known)
            coverage.knownWords += lemma.count;
        else
            (lemma.inSet ? unknownInSet : unknownOutside).push_back(lemma.count);
    }
    std::sort(unknownInSet.begin(), unknownInSet.end(), std::greater<>());
    std::sort(unknownOutside.begin(), unknownOutside.end(), std::greater<>());
    if (coverage.totalWords > 0)
        coverage.share = static_cast<double>(coverage.knownWords) / static_cast<double>(coverage.totalWords);
    coverage.mark90 = markFor(90, coverage.knownWords, coverage.totalWords, unknownInSet, unknownOutside);
    coverage.mark95 = markFor(95, coverage.knownWords, coverage.totalWords, unknownInSet, unknownOutside);
    return coverage;
}

} // namespace learning
