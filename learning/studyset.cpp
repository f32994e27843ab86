#include "studyset.h"

#include "historycount.h"
#include "reading.h"
#include "scheduler.h"
#include "studystore.h"
#include "table.h"
#include "text.h"
#include "textforms.h"

#include <algorithm>
#include <cmath>

namespace learning {

Memory memoryOf(const cardstore::CardMemory& stored)
{
    Memory memory;
    memory.state = static_cast<State>(stored.state);
    memory.step = stored.step;
    memory.stability = stored.stability;
    memory.difficulty = stored.difficulty;
    memory.dueMs = stored.dueMs;
    memory.lastReviewMs = stored.lastReviewMs;
    memory.reps = stored.reps;
    memory.lapses = stored.lapses;
    return sanitized(memory);
}

ReviewLogEntry logEntryOf(const cardstore::ReviewEntry& entry)
{
    return { entry.cardKey, entry.reviewedMs, static_cast<Grade>(entry.grade), static_cast<State>(entry.stateBefore),
        entry.durationMs, memoryOf(entry.after) };
}

namespace {

std::string textOf(const cardstore::Value& value)
{
    if (const auto* text = std::get_if<std::string>(&value))
        return *text;
    if (const auto* number = std::get_if<double>(&value))
        return cardstore::formatFloat(*number);
    if (const auto* number = std::get_if<std::int64_t>(&value))
        return std::to_string(*number);
    return {};
}

std::int64_t occurrencesOf(const cardstore::Value& value)
{
    if (const auto* number = std::get_if<double>(&value))
        return std::isfinite(*number) && *number >= 0 && *number < 1e15 ? std::llround(*number) : 0;
    if (const auto* number = std::get_if<std::int64_t>(&value))
        return *number > 0 ? *number : 0;
    return 0;
}

const cardstore::Value& field(const std::vector<cardstore::Value>& values, int index)
{
    static const cardstore::Value none;
    return index >= 0 && static_cast<std::size_t>(index) < values.size() ? values[std::size_t(index)] : none;
}

} // namespace

StudySet::StudySet(
    cardstore::Table& table, const Clock& clock, const nttext::Text* text, const nttext::ReadingText* reading)
    : table_(table)
    , store_(table.study())
    , clock_(clock)
    , text_(text)
    , reading_(reading)
    , protected_(table.isProtected())
{
    loadCards();
    settings_ = readStudySettings(store_);
    // Read now, so that what another program changed since the store last looked is in.
    store_.memories();
}

StudySet::~StudySet() = default;

bool StudySet::canSave() const
{
    return store_.canSave();
}

const std::vector<std::string>& StudySet::resetMessages() const
{
    return store_.resetMessages();
}

const std::vector<std::string>& StudySet::resetMessagesSoFar() const
{
    return store_.resetMessagesSoFar();
}

void StudySet::loadCards()
{
    greekField_ = table_.fieldIndex("Language");
    englishField_ = table_.fieldIndex("English");
    frequencyField_ = table_.fieldIndex("Frequency");
    cards_.reserve(static_cast<std::size_t>(table_.recordCount()));
    table_.visitRecords([&](std::int64_t key, const std::vector<cardstore::Value>& values) {
        cards_.push_back({ key, occurrencesOf(field(values, frequencyField_)), kNotReadYet, false });
    });
    placeKeys();
}

void StudySet::placeKeys()
{
    placeByKey_.clear();
    placeOfKey_.clear();
    if (cards_.empty())
        return;
    const auto [lowest, highest] = std::minmax_element(
        cards_.begin(), cards_.end(), [](const CardEntry& a, const CardEntry& b) { return a.key < b.key; });
    lowestKey_ = lowest->key;
    // Compared as unsigned, so that keys too far apart to subtract count as spread out.
    const auto spread = static_cast<std::uint64_t>(highest->key) - static_cast<std::uint64_t>(lowestKey_);
    if (spread < 4 * static_cast<std::uint64_t>(cards_.size()) + 1024 && cards_.size() < kNoPlace) {
        placeByKey_.assign(static_cast<std::size_t>(spread) + 1, kNoPlace);
        for (std::size_t place = 0; place < cards_.size(); ++place)
            placeByKey_[static_cast<std::size_t>(
                static_cast<std::uint64_t>(cards_[place].key) - static_cast<std::uint64_t>(lowestKey_))]
                = static_cast<std::uint32_t>(place);
        return;
    }
    placeOfKey_.reserve(cards_.size());
    for (std::size_t place = 0; place < cards_.size(); ++place)
        placeOfKey_.emplace_back(cards_[place].key, place);
    std::sort(placeOfKey_.begin(), placeOfKey_.end());
}

std::optional<std::size_t> StudySet::placeOf(std::int64_t key) const
{
    if (!placeByKey_.empty()) {
        const auto offset = static_cast<std::uint64_t>(key) - static_cast<std::uint64_t>(lowestKey_);
        if (key < lowestKey_ || offset >= placeByKey_.size() || placeByKey_[offset] == kNoPlace)
            return std::nullopt;
        return placeByKey_[offset];
    }
    const auto found = std::lower_bound(
        placeOfKey_.begin(), placeOfKey_.end(), key, [](const auto& entry, std::int64_t k) { return entry.first < k; });
    if (found == placeOfKey_.end() || found->first != key)
        return std::nullopt;
    return found->second;
}

StudyCard StudySet::read(std::size_t place) const
{
    const CardEntry& entry = cards_[place];
    StudyCard card;
    card.key = entry.key;
    card.occurrences = entry.occurrences;
    if (const std::vector<cardstore::Value>* values = table_.recordValues(entry.key)) {
        card.greek = textOf(field(*values, greekField_));
        card.english = textOf(field(*values, englishField_));
        card.frequency = textOf(field(*values, frequencyField_));
    }
    if (entry.lemma == kNotReadYet) {
        const std::optional<nttext::LemmaMatch> match = text_ ? text_->matchCard(card.greek) : std::nullopt;
        cards_[place].lemma = match ? match->lemma : -1;
        cards_[place].lemmaThroughForm = match && match->throughForm();
    }
    card.lemma = cards_[place].lemma;
    card.lemmaThroughForm = cards_[place].lemmaThroughForm;
    return card;
}

int StudySet::lemmaAt(std::size_t place) const
{
    if (cards_[place].lemma == kNotReadYet)
        read(place);
    return cards_[place].lemma;
}

std::vector<StudyCard> StudySet::cards() const
{
    std::vector<StudyCard> all;
    all.reserve(cards_.size());
    for (std::size_t place = 0; place < cards_.size(); ++place)
        all.push_back(read(place));
    return all;
}

const StudyCard* StudySet::card(std::int64_t key) const
{
    const std::optional<std::size_t> place = placeOf(key);
    if (!place)
        return nullptr;
    auto found = shown_.find(*place);
    if (found == shown_.end())
        found = shown_.emplace(*place, read(*place)).first;
    return &found->second;
}

std::optional<Memory> StudySet::memory(std::int64_t key) const
{
    if (const auto unsaved = unsaved_.find(key); unsaved != unsaved_.end())
        return unsaved->second;
    if (!placeOf(key))
        return std::nullopt;
    const cardstore::CardMemory* stored = store_.memory(key);
    return stored ? std::optional<Memory>(memoryOf(*stored)) : std::nullopt;
}

void StudySet::visitMemories(const std::function<void(std::size_t place, const Memory& memory)>& visit) const
{
    for (const cardstore::CardMemory& memory : store_.memories())
        if (const std::optional<std::size_t> place = placeOf(memory.cardKey);
            place && !unsaved_.contains(memory.cardKey))
            visit(*place, memoryOf(memory));
    for (const auto& [key, memory] : unsaved_)
        if (const std::optional<std::size_t> place = placeOf(key); place && memory)
            visit(*place, *memory);
}

std::vector<std::optional<Memory>> StudySet::memoriesByPlace() const
{
    std::vector<std::optional<Memory>> memories(cards_.size());
    visitMemories([&memories](std::size_t place, const Memory& memory) { memories[place] = memory; });
    return memories;
}

std::vector<ProgressCard> StudySet::progressCards() const
{
    std::vector<ProgressCard> result(cards_.size());
    for (std::size_t place = 0; place < cards_.size(); ++place)
        result[place] = { cards_[place].key, std::nullopt, cards_[place].occurrences };
    visitMemories([&result](std::size_t place, const Memory& memory) { result[place].memory = memory; });
    return result;
}

void StudySet::rememberUnsaved(std::int64_t key, const Memory& memory)
{
    unsaved_[key] = memory == Memory {} ? std::nullopt : std::optional<Memory>(memory);
}

void StudySet::forgetCard(std::int64_t key)
{
    const std::optional<std::size_t> place = placeOf(key);
    if (!place)
        return;
    cards_.erase(cards_.begin() + static_cast<std::ptrdiff_t>(*place));
    placeKeys();
    shown_.clear();
    unsaved_.erase(key);
}

void StudySet::keepSettings(const StudySettings& settings)
{
    if (store_.canSave())
        writeChangedSettings(store_, settings, settings_);
    settings_ = boundedSettings(settings, settings_);
}

std::optional<int> StudySet::bookIndex() const
{
    if (!text_ || settings_.book.empty())
        return std::nullopt;
    const auto& books = text_->books();
    for (std::size_t i = 0; i < books.size(); ++i)
        if (books[i].code == settings_.book)
            return static_cast<int>(i);
    return std::nullopt;
}

std::optional<int> StudySet::chapterIndex() const
{
    const std::optional<int> book = bookIndex();
    if (!book || !reading_ || settings_.chapter <= 0)
        return std::nullopt;
    return reading_->findChapter(*book, settings_.chapter);
}

SetProgress StudySet::progress() const
{
    return setProgress(progressCards(), clock_);
}

std::vector<HistoryPoint> StudySet::history() const
{
    HistoryCount count(*this);
    while (!count.step(SIZE_MAX))
        ;
    return count.points();
}

void StudySet::visitReviews(const std::function<void(const ReviewLogEntry&)>& visit) const
{
    store_.visitReviews([&visit](const cardstore::ReviewEntry& entry) { visit(logEntryOf(entry)); });
}

std::optional<BookCoverage> StudySet::bookCoverage() const
{
    const std::optional<int> book = bookIndex();
    if (!book)
        return std::nullopt;
    const std::int64_t now = clock_.nowMs();
    const std::vector<std::optional<Memory>> memories = memoriesByPlace();
    std::unordered_map<int, bool> knownLemmas; // lemma → known, for the lemmas the set has a card for
    for (std::size_t place = 0; place < cards_.size(); ++place) {
        const int lemma = lemmaAt(place);
        if (lemma < 0)
            continue;
        bool& known = knownLemmas[lemma];
        known = known || (memories[place] && isKnown(*memories[place], now));
    }
    std::vector<BookLemma> lemmas;
    for (const nttext::LemmaCount& counted : text_->bookLemmas(*book)) {
        const auto found = knownLemmas.find(counted.lemma);
        lemmas.push_back({ counted.count, found != knownLemmas.end(), found != knownLemmas.end() && found->second });
    }
    return learning::bookCoverage(lemmas);
}

} // namespace learning
