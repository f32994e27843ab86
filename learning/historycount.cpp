#include "historycount.h"

#include "studyset.h"

#include <algorithm>
#include <unordered_map>

namespace learning {

namespace {

HistoryPoint pointOf(const cardstore::StudyDay& day)
{
    return { day.startMs, static_cast<int>(day.known), day.occurrences,
        std::min(1.0, static_cast<double>(day.occurrences) / static_cast<double>(kNewTestamentWords)) };
}

} // namespace

HistoryCount::HistoryCount(const StudySet& set)
    : set_(set)
    , store_(set.store())
{
    const std::vector<ProgressCard> cards = set.progressCards();
    weights_.reserve(cards.size());
    for (const ProgressCard& card : cards)
        weights_.emplace_back(card.key, card.frequency);
    store_.watchLog();
    const std::vector<cardstore::StudyDay> days = store_.keptDays();
    // Days begin at a local midnight; days counted in another time zone begin elsewhere and are counted again here.
    const Clock& clock = set.clock();
    const bool here = std::all_of(days.begin(), days.end(), [&clock](const cardstore::StudyDay& day) {
        return localDayStartMs(day.startMs, clock.utcOffsetSeconds(day.startMs)) == day.startMs;
    });
    const std::optional<std::int64_t> keptBefore = store_.daysKeptBeforeMs();
    if (here && keptBefore && store_.countAnswersSince(*keptBefore, kLargestTail + 1) <= kLargestTail) {
        fromMs_ = *keptBefore;
        for (const cardstore::StudyDay& day : days)
            keptPoints_.push_back(pointOf(day));
    }
    // Days kept but not used (in another time zone, damaged, or too long ago) are replaced by the count.
    replacing_ = fromMs_ == INT64_MIN && store_.keepsDays();
    place_ = cardstore::StudyStore::LogPlace(fromMs_);
    history_.emplace(weights_, clock);
}

HistoryCount::HistoryCount(const StudySet& set, std::vector<std::pair<std::int64_t, std::int64_t>> weights,
    std::function<std::optional<std::int64_t>(std::int64_t card)> subjectOf)
    : set_(set)
    , store_(set.store())
    , weights_(std::move(weights))
    , subjectOf_(std::move(subjectOf))
{
    history_.emplace(weights_, set.clock());
}

void HistoryCount::feed(const cardstore::ReviewEntry& stored)
{
    ReviewLogEntry entry = logEntryOf(stored);
    if (subjectOf_)
        entry.key = subjectOf_(entry.key).value_or(-1);
    history_->add(entry);
}

void HistoryCount::countFromStart()
{
    fromMs_ = INT64_MIN;
    replacing_ = store_.keepsDays();
    keptPoints_.clear();
    place_ = cardstore::StudyStore::LogPlace();
    history_.emplace(weights_, set_.clock());
}

bool HistoryCount::countTail()
{
    std::vector<cardstore::ReviewEntry> tail;
    while (
        store_.lookOverLog(place_, SIZE_MAX, [&tail](const cardstore::ReviewEntry& entry) { tail.push_back(entry); }))
        ;
    // Each card starts from its latest memory as of the days' end: the one the set keeps, unless answers since
    // changed it, and then the one its answer before them left. A card answered on the first day read needs none:
    // its answers come before any day ends.
    std::unordered_map<std::int64_t, std::int64_t> firstAnswer; // card → the id of its first answer read
    for (const cardstore::ReviewEntry& entry : tail)
        firstAnswer.emplace(entry.cardKey, entry.id);
    const Clock& clock = set_.clock();
    const std::int64_t firstDayEnd = tail.empty()
        ? INT64_MIN
        : localDayStartMs(tail.front().reviewedMs, clock.utcOffsetSeconds(tail.front().reviewedMs)) + kDayMs;
    for (const ProgressCard& card : set_.progressCards())
        if (card.memory && !firstAnswer.contains(card.key))
            history_->seed(card.key, *card.memory);
    for (const cardstore::ReviewEntry& entry : tail) {
        if (entry.reviewedMs < firstDayEnd || firstAnswer[entry.cardKey] != entry.id)
            continue;
        std::optional<cardstore::ReviewEntry> before;
        if (!store_.answerBefore(entry.cardKey, entry.id, before) || (before && before->reviewedMs >= fromMs_))
            return false;
        if (before)
            history_->seed(entry.cardKey, memoryOf(before->after));
    }
    for (const cardstore::ReviewEntry& entry : tail)
        feed(entry);
    return true;
}

bool HistoryCount::step(std::size_t answers)
{
    if (done_)
        return true;
    if (fromMs_ != INT64_MIN) {
        if (!countTail()) {
            countFromStart();
            return false;
        }
    } else if (store_.lookOverLog(place_, answers, [this](const cardstore::ReviewEntry& entry) { feed(entry); })) {
        return false;
    }
    counted_ = history_->finish();
    countedAnswers_ = history_->dayAnswers();
    history_.reset();
    done_ = true;
    return true;
}

std::vector<HistoryPoint> HistoryCount::points() const
{
    std::vector<HistoryPoint> points = keptPoints_;
    points.insert(points.end(), counted_.begin(), counted_.end());
    return points;
}

bool HistoryCount::keep()
{
    if (!done_ || subjectOf_ || !set_.canSave())
        return false;
    const std::int64_t todayStart = today(set_.clock()).startMs;
    std::vector<cardstore::StudyDay> days;
    for (std::size_t i = 0; i < counted_.size(); ++i)
        if (counted_[i].dayStartMs <= todayStart - kDayMs)
            days.push_back(
                { counted_[i].dayStartMs, countedAnswers_[i], counted_[i].known, counted_[i].knownOccurrences });
    if (days.empty() && !replacing_)
        return false;
    return store_.keepDays(days, fromMs_, todayStart);
}

} // namespace learning
