#pragma once

#include "knownhistory.h"
#include "studystore.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace learning {

class StudySet;

// Known words and coverage at the end of each day that had answers, counted a part at a time, so that a window can
// do it between events. Counting cards, it takes the days the set keeps summarized (cardstore::StudyDay) and reads
// the answers since: normally today's alone. Where the set keeps no days it can use (a set studied before it kept
// them, days counted in another time zone, days damaged), and when counting anything else, it reads the whole log.
// Either read looks the answers over as the log's first full read does (StudyStore::lookOverLog). The set must
// outlive the count.
class HistoryCount
{
public:
    // Counts the cards: a card known at the end of a day counts once, with its frequency.
    explicit HistoryCount(const StudySet& set);
    // Counts subjects of another kind, each with its words (weights, each subject once): subjectOf gives the subject
    // of a card's answers (none: they count for none, but still make a day of answers). From the whole log.
    HistoryCount(const StudySet& set, std::vector<std::pair<std::int64_t, std::int64_t>> weights,
        std::function<std::optional<std::int64_t>(std::int64_t card)> subjectOf);

    // Reads up to answers more answers; true once the count is done.
    bool step(std::size_t answers);
    // The answers a window counts in one turn of its event loop: tens of milliseconds, so that keys and repaints
    // wait no longer. A log of a few days' answers is counted in the first turn.
    static constexpr std::size_t kAnswersPerTurn = 20'000;
    // Every day with answers, once done.
    std::vector<HistoryPoint> points() const;
    // Counting cards: keeps in the set the days counted that ended before today, once done; nothing when the set
    // cannot be written, or when its log changed meanwhile (an answer taken back, a card deleted, another program's
    // write), in which case the next count does it. false when nothing was kept.
    bool keep();

    // Answers at most that many since the days kept are read at once; more are counted from the whole log.
    static constexpr std::size_t kLargestTail = 100'000;

private:
    void countFromStart();
    // The answers since the days kept, read at once; false when a card's answer before them is one the program
    // never writes, so that they must be counted from the start.
    bool countTail();
    void feed(const cardstore::ReviewEntry& entry);

    const StudySet& set_;
    cardstore::StudyStore& store_;
    std::vector<std::pair<std::int64_t, std::int64_t>> weights_;
    std::function<std::optional<std::int64_t>(std::int64_t)> subjectOf_; // none: each card is its own subject
    std::vector<HistoryPoint> keptPoints_; // the days kept, before fromMs_
    std::int64_t fromMs_ = INT64_MIN;
    bool replacing_ = false; // days are kept that cannot be used: the count from the start replaces them
    std::optional<KnownHistory> history_;
    cardstore::StudyStore::LogPlace place_;
    std::vector<HistoryPoint> counted_;
    std::vector<int> countedAnswers_;
    bool done_ = false;
};

} // namespace learning
