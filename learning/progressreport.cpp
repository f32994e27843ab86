#include "progressreport.h"

#include "scheduler.h"
#include "studysession.h"
#include "text.h"

#include <algorithm>
#include <unordered_map>

namespace learning {

namespace {

// Known words counted by lemma: a lemma is known now when any card naming it is. Over time a lemma goes by the
// card of it answered last, so that it is counted once however many cards name it.
void countLemmas(const StudySession& session, const nttext::Text& text, ProgressReport& report)
{
    const std::int64_t now = session.clock().nowMs();
    std::unordered_map<std::int64_t, int> lemmaOfCard;
    std::unordered_map<int, bool> knownLemmas;
    for (const StudyCard& card : session.cards()) {
        if (card.lemma < 0)
            continue;
        lemmaOfCard.emplace(card.key, card.lemma);
        const std::optional<Memory> memory = session.memory(card.key);
        bool& known = knownLemmas[card.lemma];
        known = known || (memory && isKnown(*memory, now));
    }
    if (knownLemmas.empty()) {
        report.history = session.history();
        return;
    }
    KnownWords known;
    std::int64_t occurrences = 0;
    std::unordered_map<std::int64_t, std::int64_t> lemmaCounts;
    for (const auto& [lemma, isKnownNow] : knownLemmas) {
        lemmaCounts.emplace(lemma, text.count(lemma));
        if (isKnownNow) {
            ++known.words;
            occurrences += text.count(lemma);
        }
    }
    known.coverage = std::min(1.0, static_cast<double>(occurrences) / static_cast<double>(kNewTestamentWords));
    report.knownWords = known;

    KnownHistory history(std::move(lemmaCounts), session.clock());
    session.visitReviews([&](ReviewLogEntry entry) {
        // An answer to a card of no lemma still marks a day with reviews.
        const auto found = lemmaOfCard.find(entry.key);
        entry.key = found == lemmaOfCard.end() ? -1 : found->second;
        history.add(entry);
    });
    report.history = history.finish();
}

} // namespace

ProgressReport progressReport(const StudySession& session, const nttext::Text* text, bool builtInSet)
{
    ProgressReport report;
    report.figures = session.progress();
    if (builtInSet) {
        report.knownWords = KnownWords { report.figures.known, report.figures.coverage };
        report.history = session.history();
    } else if (text) {
        countLemmas(session, *text, report);
    } else {
        report.history = session.history();
    }
    if (const std::optional<int> book = session.bookIndex(); book && text) {
        report.bookName = text->books()[static_cast<std::size_t>(*book)].name;
        report.book = session.bookCoverage();
    }
    return report;
}

} // namespace learning
