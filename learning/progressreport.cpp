#include "progressreport.h"

#include "historycount.h"
#include "progresstext.h"
#include "scheduler.h"
#include "studyset.h"
#include "text.h"

#include <algorithm>
#include <unordered_map>

namespace learning {

namespace {

// The lemmas a set of one's own names: each card's, and whether any card of it is known now.
struct NamedLemmas
{
    std::unordered_map<std::int64_t, int> lemmaOfCard;
    std::unordered_map<int, bool> known;
    int knownCards = 0; // the known cards among those naming a lemma
};

NamedLemmas namedLemmas(const StudySet& set)
{
    const std::int64_t now = set.clock().nowMs();
    NamedLemmas named;
    for (const StudyCard& card : set.cards()) {
        if (card.lemma < 0)
            continue;
        named.lemmaOfCard.emplace(card.key, card.lemma);
        const std::optional<Memory> memory = set.memory(card.key);
        const bool cardKnown = memory && isKnown(*memory, now);
        named.knownCards += cardKnown ? 1 : 0;
        bool& known = named.known[card.lemma];
        known = known || cardKnown;
    }
    return named;
}

// Known words counted by lemma: a lemma is known now when any card naming it is.
std::optional<KnownWords> knownByLemma(const NamedLemmas& named, const nttext::Text& text)
{
    if (named.known.empty())
        return std::nullopt;
    KnownWords known;
    known.cardsOfWords = named.knownCards;
    std::int64_t occurrences = 0;
    for (const auto& [lemma, isKnownNow] : named.known) {
        if (isKnownNow) {
            ++known.words;
            occurrences += text.count(lemma);
        }
    }
    known.coverage = std::min(1.0, static_cast<double>(occurrences) / static_cast<double>(kNewTestamentWords));
    return known;
}

// Over time a lemma goes by the card of it answered last, so that it is counted once however many cards name it.
std::unique_ptr<HistoryCount> historyByLemma(const StudySet& set, NamedLemmas named, const nttext::Text& text)
{
    std::vector<std::pair<std::int64_t, std::int64_t>> lemmaCounts;
    for (const auto& [lemma, isKnownNow] : named.known)
        lemmaCounts.emplace_back(lemma, text.count(lemma));
    // An answer to a card of no lemma still marks a day with reviews.
    return std::make_unique<HistoryCount>(set, std::move(lemmaCounts),
        [lemmaOfCard = std::move(named.lemmaOfCard)](std::int64_t card) -> std::optional<std::int64_t> {
            const auto found = lemmaOfCard.find(card);
            return found == lemmaOfCard.end() ? std::nullopt : std::optional<std::int64_t>(found->second);
        });
}

} // namespace

ProgressReport progressReport(const StudySet& set, const nttext::Text* text, bool builtInSet)
{
    ProgressReport report;
    report.figures = set.progress();
    if (builtInSet)
        report.knownWords = KnownWords { report.figures.known, report.figures.coverage, std::nullopt };
    else if (text)
        report.knownWords = knownByLemma(namedLemmas(set), *text);
    if (const std::optional<int> book = set.bookIndex(); book && text) {
        report.bookName = text->books()[static_cast<std::size_t>(*book)].name;
        report.book = set.bookCoverage();
    }
    return report;
}

std::string knownWordsText(const ProgressReport& report)
{
    if (!report.knownWords)
        return {};
    const KnownWords& known = *report.knownWords;
    if (!known.cardsOfWords)
        return knownWordsSentence(known.words, known.coverage);
    return knownCardsSentence(report.figures.known, *known.cardsOfWords, known.words, known.coverage);
}

std::unique_ptr<HistoryCount> knownHistoryCount(const StudySet& set, const nttext::Text* text, bool builtInSet)
{
    if (!builtInSet && text) {
        NamedLemmas named = namedLemmas(set);
        if (!named.known.empty())
            return historyByLemma(set, std::move(named), *text);
    }
    return std::make_unique<HistoryCount>(set);
}

std::vector<HistoryPoint> knownHistory(const StudySet& set, const nttext::Text* text, bool builtInSet)
{
    const std::unique_ptr<HistoryCount> count = knownHistoryCount(set, text, builtInSet);
    while (!count->step(SIZE_MAX))
        ;
    return count->points();
}

} // namespace learning
