#include "reviewqueue.h"

#include <algorithm>
#include <tuple>

namespace learning {

namespace {

void keepEarliest(std::optional<std::int64_t>& earliest, std::int64_t ms)
{
    if (!earliest || ms < *earliest)
        earliest = ms;
}

} // namespace

ReviewQueue::ReviewQueue(Scheduler scheduler, const Clock& clock, std::vector<QueueCard> cards, QueueOptions options)
    : scheduler_(std::move(scheduler))
    , clock_(clock)
    , options_(options)
{
    const std::int64_t now = clock_.nowMs();
    const std::int64_t dayEnd = today(clock_).endMs;
    struct Ranked
    {
        double overdue;
        Entry entry;
    };
    std::vector<Ranked> reviews;
    struct Candidate
    {
        std::int64_t bookFrequency;
        Entry entry;
    };
    std::vector<Candidate> newCards;
    for (QueueCard& card : cards) {
        const Memory memory = card.memory ? sanitized(*card.memory) : Memory {};
        Entry entry { card.key, card.position, memory };
        switch (memory.state) {
        case State::New:
            if (!options_.byBook || card.bookFrequency > 0)
                newCards.push_back({ card.bookFrequency, entry });
            break;
        case State::Learning:
        case State::Relearning:
            learning_.push_back(entry);
            break;
        case State::Review:
            if (memory.dueMs < dayEnd) {
                // In floating point: the times of a damaged memory may lie too far apart for their difference.
                const double due = static_cast<double>(memory.dueMs);
                const double interval
                    = std::max(static_cast<double>(kDayMs), due - static_cast<double>(memory.lastReviewMs));
                reviews.push_back({ (static_cast<double>(now) - due) / interval, entry });
            } else {
                keepEarliest(laterDueMs_, memory.dueMs);
            }
            break;
        }
    }
    std::sort(reviews.begin(), reviews.end(), [](const Ranked& a, const Ranked& b) {
        return std::tie(b.overdue, a.entry.position, a.entry.key) < std::tie(a.overdue, b.entry.position, b.entry.key);
    });
    reviews_.reserve(reviews.size());
    for (const Ranked& r : reviews)
        reviews_.push_back(r.entry);

    const bool byBook = options_.byBook;
    std::sort(newCards.begin(), newCards.end(), [byBook](const Candidate& a, const Candidate& b) {
        if (byBook && a.bookFrequency != b.bookFrequency)
            return a.bookFrequency > b.bookFrequency;
        return std::tie(a.entry.position, a.entry.key) < std::tie(b.entry.position, b.entry.key);
    });
    newCards_.reserve(newCards.size());
    for (const Candidate& c : newCards)
        newCards_.push_back(c.entry);
}

int ReviewQueue::newCardsLeftToday() const
{
    const int allowed = options_.newCardLimit + extraNew_ - options_.newCardsIntroducedToday - newIntroduced_;
    const auto waiting = static_cast<std::ptrdiff_t>(newCards_.size() - newCursor_);
    return static_cast<int>(std::clamp<std::ptrdiff_t>(allowed, 0, waiting));
}

std::optional<std::size_t> ReviewQueue::soonestLearning(std::int64_t limitMs) const
{
    std::optional<std::size_t> best;
    for (std::size_t i = 0; i < learning_.size(); ++i) {
        const Entry& e = learning_[i];
        if (e.memory.dueMs > limitMs)
            continue;
        if (!best
            || std::tie(e.memory.dueMs, e.position)
                < std::tie(learning_[*best].memory.dueMs, learning_[*best].position))
            best = i;
    }
    return best;
}

std::optional<QueueItem> ReviewQueue::next() const
{
    const std::int64_t now = clock_.nowMs();
    if (const auto i = soonestLearning(now))
        return QueueItem { learning_[*i].key, learning_[*i].memory, QueueSource::Learning };
    if (reviewCursor_ < reviews_.size())
        return QueueItem { reviews_[reviewCursor_].key, reviews_[reviewCursor_].memory, QueueSource::Review };
    if (newCardsLeftToday() > 0)
        return QueueItem { newCards_[newCursor_].key, newCards_[newCursor_].memory, QueueSource::New };
    if (const auto i = soonestLearning(now + options_.learnAheadMs))
        return QueueItem { learning_[*i].key, learning_[*i].memory, QueueSource::Learning };
    return std::nullopt;
}

std::optional<Answer> ReviewQueue::answer(std::int64_t key, Grade grade)
{
    const std::int64_t now = clock_.nowMs();
    UndoRecord record { {}, QueueSource::Learning, 0, 0, false, laterDueMs_ };
    Entry entry;
    const auto learningIt = std::find_if(learning_.begin(), learning_.end(),
        [&](const Entry& e) { return e.key == key && e.memory.dueMs <= now + options_.learnAheadMs; });
    if (learningIt != learning_.end()) {
        entry = *learningIt;
        record.learningIndex = static_cast<std::size_t>(learningIt - learning_.begin());
        learning_.erase(learningIt);
    } else if (reviewCursor_ < reviews_.size() && reviews_[reviewCursor_].key == key) {
        entry = reviews_[reviewCursor_++];
        record.source = QueueSource::Review;
    } else if (newCardsLeftToday() > 0 && newCards_[newCursor_].key == key) {
        entry = newCards_[newCursor_++];
        ++newIntroduced_;
        record.source = QueueSource::New;
    } else {
        return std::nullopt;
    }

    record.position = entry.position;
    const Memory after = scheduler_.review(entry.memory, grade, now);
    record.answer = { key, grade, now, entry.memory, after };
    if (after.state == State::Learning || after.state == State::Relearning) {
        learning_.push_back({ entry.key, entry.position, after });
        record.backInLearning = true;
    } else {
        // A card that leaves the learning steps is due a day or more from now: after today.
        keepEarliest(laterDueMs_, after.dueMs);
    }
    undo_.push_back(record);
    return record.answer;
}

std::optional<Answer> ReviewQueue::undo()
{
    if (undo_.empty())
        return std::nullopt;
    const UndoRecord record = undo_.back();
    undo_.pop_back();
    if (record.backInLearning)
        learning_.pop_back();
    laterDueMs_ = record.laterDueMs;
    switch (record.source) {
    case QueueSource::Learning: {
        const auto at = learning_.begin() + static_cast<std::ptrdiff_t>(record.learningIndex);
        learning_.insert(at, { record.answer.key, record.position, record.answer.before });
        break;
    }
    case QueueSource::Review:
        --reviewCursor_;
        break;
    case QueueSource::New:
        --newCursor_;
        --newIntroduced_;
        break;
    }
    return record.answer;
}

void ReviewQueue::allowExtraNewCards(int n)
{
    extraNew_ += std::max(0, n);
}

QueueCounts ReviewQueue::counts() const
{
    const std::int64_t dayEnd = today(clock_).endMs;
    const auto learningToday = std::count_if(
        learning_.begin(), learning_.end(), [dayEnd](const Entry& e) { return e.memory.dueMs < dayEnd; });
    return { newCardsLeftToday(), static_cast<int>(learningToday), static_cast<int>(reviews_.size() - reviewCursor_) };
}

std::optional<std::int64_t> ReviewQueue::nextDueMs() const
{
    std::optional<std::int64_t> earliest = laterDueMs_;
    for (const Entry& e : learning_)
        keepEarliest(earliest, e.memory.dueMs);
    return earliest;
}

} // namespace learning
