#include "readingprogress.h"

#include "scheduler.h"

namespace learning {

namespace {

WordProgress progressOf(const std::optional<Memory>& memory, std::int64_t nowMs)
{
    if (!memory)
        return WordProgress::New;
    switch (memory->state) {
    case State::New:
        return WordProgress::New;
    case State::Learning:
    case State::Relearning:
        return WordProgress::Learning;
    case State::Review:
        return isKnown(*memory, nowMs) ? WordProgress::Known : WordProgress::Review;
    }
    return WordProgress::New;
}

} // namespace

LemmaKnowledge::LemmaKnowledge(std::span<const LemmaCard> cards, int lemmaCount, std::int64_t nowMs)
    : lemmas_(static_cast<std::size_t>(std::max(lemmaCount, 0)))
{
    for (const LemmaCard& card : cards) {
        if (card.lemma < 0 || card.lemma >= lemmaCount)
            continue;
        LemmaProgress& lemma = lemmas_[static_cast<std::size_t>(card.lemma)];
        const WordProgress progress = progressOf(card.memory, nowMs);
        if (progress <= lemma.progress)
            continue;
        knownLemmas_ += progress == WordProgress::Known ? 1 : 0; // it was less than known: now it is more
        lemma = { progress, card.key, card.memory ? card.memory->dueMs : 0 };
    }
}

} // namespace learning
