#include "knownhistory.h"

#include "scheduler.h"

#include <algorithm>
#include <utility>

namespace learning {

namespace {

// Keys spread over at most this many times as many values as there are cards are kept in a plain table.
constexpr std::int64_t kDenseSpread = 4;

} // namespace

KnownHistory::KnownHistory(
    const std::vector<std::pair<std::int64_t, std::int64_t>>& frequencies, const Clock& clock, std::int64_t totalWords)
    : clock_(clock)
    , totalWords_(totalWords)
{
    if (frequencies.empty())
        return;
    const auto [lowest, highest] = std::minmax_element(
        frequencies.begin(), frequencies.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    lowestKey_ = lowest->first;
    // Compared as unsigned, so that keys too far apart to subtract count as spread out.
    const auto spread = static_cast<std::uint64_t>(highest->first) - static_cast<std::uint64_t>(lowestKey_);
    denseKeys_ = spread < static_cast<std::uint64_t>(kDenseSpread) * frequencies.size() + 1024;
    cards_.resize(denseKeys_ ? spread + 1 : frequencies.size());
    if (!denseKeys_)
        placeOfKey_.reserve(frequencies.size());
    for (const auto& [key, frequency] : frequencies) {
        std::size_t place = 0;
        if (denseKeys_)
            place = static_cast<std::size_t>(static_cast<std::uint64_t>(key) - static_cast<std::uint64_t>(lowestKey_));
        else
            place = placeOfKey_.emplace(key, placeOfKey_.size()).first->second;
        cards_[place] = { std::max<std::int64_t>(0, frequency), 0, true, false };
    }
}

KnownHistory::CardRecord* KnownHistory::record(std::int64_t key)
{
    if (!denseKeys_) {
        const auto found = placeOfKey_.find(key);
        return found == placeOfKey_.end() ? nullptr : &cards_[found->second];
    }
    const auto place = static_cast<std::uint64_t>(key) - static_cast<std::uint64_t>(lowestKey_);
    if (key < lowestKey_ || place >= cards_.size() || !cards_[place].inSet)
        return nullptr;
    return &cards_[place];
}

void KnownHistory::forget(CardRecord& card)
{
    if (!card.counted)
        return;
    card.counted = false;
    --known_;
    knownOccurrences_ -= card.frequency;
}

void KnownHistory::add(const ReviewLogEntry& entry)
{
    if (!dayOpen_ || entry.reviewedMs >= dayEnd_) {
        // An answer at a time no day can be reckoned for says nothing about any day.
        const std::optional<std::int64_t> start
            = checkedLocalDayStartMs(entry.reviewedMs, clock_.utcOffsetSeconds(entry.reviewedMs));
        const std::optional<std::int64_t> end = start ? checked::add(*start, kDayMs) : std::nullopt;
        if (!end)
            return;
        if (dayOpen_)
            closeDay();
        dayStart_ = *start;
        dayEnd_ = *end;
        dayOpen_ = true;
    }
    ++answers_;
    CardRecord* card = record(entry.key);
    if (!card)
        return;
    forget(*card);
    count(*card, entry.after);
}

void KnownHistory::seed(std::int64_t key, const Memory& memory)
{
    if (CardRecord* card = record(key)) {
        forget(*card);
        count(*card, memory);
    }
}

void KnownHistory::count(CardRecord& card, const Memory& after)
{
    const Memory memory = sanitized(after);
    if (memory.state != State::Review)
        return;
    // Counted for now; closeDay() drops it again if it is no longer known at the end of the day.
    card.knownUntilMs = knownUntilMs(memory);
    card.counted = true;
    expiries_.push({ card.knownUntilMs, static_cast<std::size_t>(&card - cards_.data()) });
    if (expiries_.size() > 2 * cards_.size())
        dropStaleExpiries();
    ++known_;
    knownOccurrences_ += card.frequency;
}

void KnownHistory::dropStaleExpiries()
{
    std::vector<Expiry> live;
    live.reserve(cards_.size());
    for (std::size_t place = 0; place < cards_.size(); ++place)
        if (cards_[place].counted)
            live.push_back({ cards_[place].knownUntilMs, place });
    expiries_ = decltype(expiries_)(std::greater<>(), std::move(live));
}

void KnownHistory::closeDay()
{
    const std::int64_t lastMs = dayEnd_ - 1;
    while (!expiries_.empty() && expiries_.top().knownUntilMs <= lastMs) {
        CardRecord& card = cards_[expiries_.top().card];
        if (card.counted && card.knownUntilMs == expiries_.top().knownUntilMs)
            forget(card);
        expiries_.pop();
    }
    const double coverage = totalWords_ > 0
        ? std::min(1.0, static_cast<double>(knownOccurrences_) / static_cast<double>(totalWords_))
        : 0.0;
    points_.push_back({ dayStart_, known_, knownOccurrences_, coverage });
    dayAnswers_.push_back(std::exchange(answers_, 0));
}

std::vector<HistoryPoint> KnownHistory::finish()
{
    if (dayOpen_)
        closeDay();
    dayOpen_ = false;
    return std::move(points_);
}

} // namespace learning
