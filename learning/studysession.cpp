#include "studysession.h"

#include "errors.h"
#include "studylock.h"
#include "reading.h"
#include "studystore.h"
#include "table.h"
#include "text.h"
#include "textforms.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <unordered_set>

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

namespace {

cardstore::CardMemory storedMemory(std::int64_t key, const Memory& memory)
{
    return { key, static_cast<int>(memory.state), memory.step, memory.stability, memory.difficulty, memory.dueMs,
        memory.lastReviewMs, memory.reps, memory.lapses };
}

// A memory as the set keeps it: none for a new card.
std::optional<cardstore::CardMemory> storedMemoryOrNone(std::int64_t key, const Memory& memory)
{
    if (memory.state == State::New)
        return std::nullopt;
    return storedMemory(key, memory);
}

ReviewLogEntry logEntryOf(const cardstore::ReviewEntry& entry)
{
    return { entry.cardKey, entry.reviewedMs, static_cast<Grade>(entry.grade), static_cast<State>(entry.stateBefore),
        entry.durationMs, memoryOf(entry.after) };
}

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

template <typename Number> std::optional<Number> numberIn(const std::optional<std::string>& text)
{
    if (!text)
        return std::nullopt;
    Number number {};
    const char* end = text->data() + text->size();
    const auto [stop, error] = std::from_chars(text->data(), end, number);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return number;
}

std::string numberText(double number)
{
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, number);
    return error == std::errc() ? std::string(buffer, end) : std::string();
}

} // namespace

StudySettings readStudySettings(const cardstore::StudyStore& store)
{
    namespace key = cardstore::studysetting;
    StudySettings settings;
    if (auto retention = numberIn<double>(store.setting(key::kDesiredRetention));
        retention && *retention >= Scheduler::kMinRetention && *retention <= Scheduler::kMaxRetention)
        settings.desiredRetention = *retention;
    if (auto limit = numberIn<int>(store.setting(key::kDailyNewCards)); limit && *limit >= 0)
        settings.dailyNewCards = std::min(*limit, kMostDailyNewCards);
    if (store.setting(key::kFirstSide) == std::optional<std::string>("english"))
        settings.firstSide = FirstSide::English;
    settings.book = store.setting(key::kBook).value_or("");
    settings.readAloud = store.setting(key::kReadAloud) == std::optional<std::string>("yes");
    if (store.setting(key::kPronunciation) == std::optional<std::string>("modern"))
        settings.pronunciation = Pronunciation::Modern;
    if (auto speed = numberIn<int>(store.setting(key::kSpeechSpeed));
        speed && *speed >= kSlowestSpeech && *speed <= kFastestSpeech)
        settings.speechSpeed = *speed;
    if (auto chapter = numberIn<int>(store.setting(key::kChapter)); chapter && *chapter > 0 && !settings.book.empty())
        settings.chapter = *chapter;
    return settings;
}

StudySession::StudySession(cardstore::Table& table, const Clock& clock, const nttext::Text* text, bool fuzz,
    const nttext::ReadingText* reading)
    : table_(table)
    , store_(table.study())
    , clock_(clock)
    , text_(text)
    , reading_(reading)
    , fuzz_(fuzz)
    , protected_(table.isProtected())
{
    loadCards();
    loadSettings();
    loadMemories();
    buildQueue();
}

StudySession::~StudySession() = default;

bool StudySession::canSave() const
{
    return store_.canSave();
}

void StudySession::beginStudy()
{
    if (!studyLock_ && store_.canSave())
        studyLock_ = std::make_unique<cardstore::StudyLock>(table_.filePath());
}

const std::vector<std::string>& StudySession::resetMessages() const
{
    return store_.resetMessages();
}

bool StudySession::hasUnsealedAnswers() const
{
    return store_.hasUnsealedAnswers();
}

void StudySession::sealIfDue()
{
    store_.sealIfDue();
}

void StudySession::seal()
{
    store_.seal();
}

const cardstore::Value& StudySession::field(const std::vector<cardstore::Value>& values, int index)
{
    static const cardstore::Value none;
    return index >= 0 && static_cast<std::size_t>(index) < values.size() ? values[std::size_t(index)] : none;
}

void StudySession::loadCards()
{
    greekField_ = table_.fieldIndex("Language");
    englishField_ = table_.fieldIndex("English");
    frequencyField_ = table_.fieldIndex("Frequency");
    const auto count = static_cast<std::size_t>(table_.recordCount());
    cards_.reserve(count);
    placeOfKey_.reserve(count);
    table_.visitRecords([&](std::int64_t key, const std::vector<cardstore::Value>& values) {
        placeOfKey_.emplace_back(key, cards_.size());
        cards_.push_back({ key, occurrencesOf(field(values, frequencyField_)), kNotReadYet, false });
    });
    memories_.resize(cards_.size());
    std::sort(placeOfKey_.begin(), placeOfKey_.end());
}

std::optional<std::size_t> StudySession::placeOf(std::int64_t key) const
{
    const auto found = std::lower_bound(
        placeOfKey_.begin(), placeOfKey_.end(), key, [](const auto& entry, std::int64_t k) { return entry.first < k; });
    if (found == placeOfKey_.end() || found->first != key)
        return std::nullopt;
    return found->second;
}

StudyCard StudySession::read(std::size_t place) const
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

int StudySession::lemmaAt(std::size_t place) const
{
    if (cards_[place].lemma == kNotReadYet)
        read(place);
    return cards_[place].lemma;
}

std::vector<StudyCard> StudySession::cards() const
{
    std::vector<StudyCard> all;
    all.reserve(cards_.size());
    for (std::size_t place = 0; place < cards_.size(); ++place)
        all.push_back(read(place));
    return all;
}

void StudySession::remember(std::int64_t key, const Memory& memory)
{
    if (const std::optional<std::size_t> place = placeOf(key))
        memories_[*place] = memory == Memory {} ? std::nullopt : std::optional<Memory>(memory);
}

void StudySession::loadSettings()
{
    settings_ = readStudySettings(store_);
    SchedulerSettings scheduling;
    scheduling.fuzz = fuzz_;
    scheduler_ = Scheduler(scheduling);
    scheduler_.setDesiredRetention(settings_.desiredRetention);
}

void StudySession::loadMemories()
{
    for (const cardstore::CardMemory& stored : store_.loadMemories())
        if (const std::optional<std::size_t> place = placeOf(stored.cardKey))
            memories_[*place] = memoryOf(stored);
}

std::optional<int> StudySession::bookIndex() const
{
    if (!text_ || settings_.book.empty())
        return std::nullopt;
    const auto& books = text_->books();
    for (std::size_t i = 0; i < books.size(); ++i)
        if (books[i].code == settings_.book)
            return static_cast<int>(i);
    return std::nullopt;
}

std::optional<int> StudySession::chapterIndex() const
{
    const std::optional<int> book = bookIndex();
    if (!book || !reading_ || settings_.chapter <= 0)
        return std::nullopt;
    return reading_->findChapter(*book, settings_.chapter);
}

void StudySession::buildQueue()
{
    const std::optional<int> book = bookIndex();
    // A chapter studied counts its words there instead of in the whole book.
    std::vector<int> chapterCounts;
    if (const std::optional<int> chapter = chapterIndex()) {
        chapterCounts.resize(static_cast<std::size_t>(text_->lemmaCount()));
        for (const nttext::LemmaCount& counted : reading_->chapterLemmas(*chapter))
            if (counted.lemma < text_->lemmaCount())
                chapterCounts[static_cast<std::size_t>(counted.lemma)] = counted.count;
    }
    std::vector<QueueCard> queueCards;
    queueCards.reserve(cards_.size());
    for (std::size_t place = 0; place < cards_.size(); ++place) {
        QueueCard entry;
        entry.key = cards_[place].key;
        entry.position = static_cast<std::int64_t>(place);
        entry.memory = memories_[place];
        if (const int lemma = book ? lemmaAt(place) : -1; lemma >= 0)
            entry.bookFrequency = chapterCounts.empty() ? text_->bookCounts(lemma)[static_cast<std::size_t>(*book)]
                                                        : chapterCounts[static_cast<std::size_t>(lemma)];
        queueCards.push_back(std::move(entry));
    }
    QueueOptions options;
    options.newCardLimit = settings_.dailyNewCards;
    options.newCardsIntroducedToday = newCardsAnsweredToday();
    options.byBook = book.has_value();
    queue_.emplace(scheduler_, clock_, std::move(queueCards), options);
    // The new queue remembers no answers: taking one back now means building it again.
    for (SessionAnswer& answer : answers_)
        answer.fromQueue = false;
}

int StudySession::newCardsAnsweredToday() const
{
    const DaySpan day = learning::today(clock_);
    std::unordered_set<std::int64_t> cards;
    for (const cardstore::ReviewEntry& entry : store_.reviewsSince(day.startMs))
        if (entry.stateBefore == static_cast<int>(State::New) && entry.reviewedMs < day.endMs)
            cards.insert(entry.cardKey);
    // The answers of a set that cannot be written are kept here only, beside those its file has.
    if (!store_.canSave())
        for (const SessionAnswer& answer : answers_)
            if (answer.answer.before.state == State::New && answer.answer.answeredMs >= day.startMs)
                cards.insert(answer.answer.key);
    return static_cast<int>(cards.size());
}

void StudySession::changeSettings(const StudySettings& settings)
{
    namespace key = cardstore::studysetting;
    const StudySettings before = settings_;
    const bool retention = settings.desiredRetention != before.desiredRetention;
    const bool dailyNewCards = settings.dailyNewCards != before.dailyNewCards;
    const bool firstSide = settings.firstSide != before.firstSide;
    const bool book = settings.book != before.book;
    const bool chapter = settings.chapter != before.chapter;
    // Each setting is a synced write of its own, so only those that changed are written.
    if (store_.canSave()) {
        if (retention)
            store_.setSetting(key::kDesiredRetention, numberText(settings.desiredRetention));
        if (dailyNewCards)
            store_.setSetting(key::kDailyNewCards, std::to_string(settings.dailyNewCards));
        if (firstSide)
            store_.setSetting(key::kFirstSide, settings.firstSide == FirstSide::English ? "english" : "greek");
        if (book)
            store_.setSetting(key::kBook, settings.book);
        if (chapter || book)
            store_.setSetting(key::kChapter, std::to_string(settings.book.empty() ? 0 : settings.chapter));
        if (settings.readAloud != before.readAloud)
            store_.setSetting(key::kReadAloud, settings.readAloud ? "yes" : "no");
        if (settings.pronunciation != before.pronunciation)
            store_.setSetting(
                key::kPronunciation, settings.pronunciation == Pronunciation::Modern ? "modern" : "erasmian");
        if (settings.speechSpeed != before.speechSpeed)
            store_.setSetting(key::kSpeechSpeed, std::to_string(settings.speechSpeed));
    }
    settings_ = settings;
    settings_.chapter = settings.book.empty() ? 0 : std::max(settings.chapter, 0);
    settings_.dailyNewCards = std::clamp(settings.dailyNewCards, 0, kMostDailyNewCards);
    settings_.speechSpeed = std::clamp(settings.speechSpeed, kSlowestSpeech, kFastestSpeech);
    scheduler_.setDesiredRetention(settings.desiredRetention);
    settings_.desiredRetention = scheduler_.settings().desiredRetention;
    // How the Greek is read aloud leaves the queue as it is.
    if (retention || dailyNewCards || firstSide || book || chapter)
        buildQueue();
}

const StudyCard* StudySession::card(std::int64_t key) const
{
    const std::optional<std::size_t> place = placeOf(key);
    if (!place)
        return nullptr;
    auto found = shown_.find(*place);
    if (found == shown_.end())
        found = shown_.emplace(*place, read(*place)).first;
    return &found->second;
}

std::optional<Memory> StudySession::memory(std::int64_t key) const
{
    const std::optional<std::size_t> place = placeOf(key);
    return place ? memories_[*place] : std::nullopt;
}

std::array<Outcome, 4> StudySession::preview(std::int64_t key) const
{
    return scheduler_.preview(memory(key).value_or(Memory {}), clock_.nowMs());
}

Answer StudySession::answer(std::int64_t key, Grade grade, std::int64_t durationMs)
{
    beginStudy();
    std::optional<Answer> answered = queue_->answer(key, grade);
    const bool fromQueue = answered.has_value();
    if (!fromQueue) {
        const std::int64_t now = clock_.nowMs();
        const Memory before = memory(key).value_or(Memory {});
        answered = Answer { key, grade, now, before, scheduler_.review(before, grade, now) };
    }
    std::int64_t id = 0;
    try {
        id = keep(*answered, durationMs);
    } catch (const cardstore::DatabaseError& error) {
        if (fromQueue)
            queue_->undo();
        if (error.code() != cardstore::status::kRecordDeleted)
            throw;
        forgetCard(key);
        throw cardstore::DatabaseError(error.code(),
            "This card has been deleted in another program: it leaves the study, and the answer is not kept.");
    } catch (...) {
        if (fromQueue)
            queue_->undo();
        throw;
    }
    remember(key, answered->after);
    answers_.push_back({ *answered, fromQueue, id });
    if (!fromQueue)
        buildQueue();
    return *answered;
}

std::int64_t StudySession::keep(const Answer& answer, std::int64_t durationMs)
{
    if (!store_.canSave())
        return 0;
    cardstore::ReviewEntry entry;
    entry.cardKey = answer.key;
    entry.reviewedMs = answer.answeredMs;
    entry.grade = static_cast<int>(answer.grade);
    entry.durationMs = std::clamp<std::int64_t>(durationMs, 0, cardstore::studybounds::kLongestAnswerMs);
    entry.after = storedMemory(answer.key, answer.after);
    return store_.recordAnswer(entry);
}

void StudySession::forgetCard(std::int64_t key)
{
    const std::optional<std::size_t> place = placeOf(key);
    if (!place)
        return;
    cards_.erase(cards_.begin() + static_cast<std::ptrdiff_t>(*place));
    memories_.erase(memories_.begin() + static_cast<std::ptrdiff_t>(*place));
    placeOfKey_.clear();
    for (std::size_t i = 0; i < cards_.size(); ++i)
        placeOfKey_.emplace_back(cards_[i].key, i);
    std::sort(placeOfKey_.begin(), placeOfKey_.end());
    shown_.clear();
    std::erase_if(answers_, [key](const SessionAnswer& answer) { return answer.answer.key == key; });
    buildQueue();
}

std::optional<Answer> StudySession::undo()
{
    if (answers_.empty())
        return std::nullopt;
    const SessionAnswer last = answers_.back();
    // The memory kept with the answer goes back, whatever the log holds of the card's earlier answers.
    if (last.id != 0)
        store_.undoAnswer(last.id, last.answer.key, storedMemoryOrNone(last.answer.key, last.answer.before));
    answers_.pop_back();
    remember(last.answer.key, last.answer.before);
    if (last.fromQueue)
        queue_->undo();
    else
        buildQueue();
    return last.answer;
}

std::vector<ProgressCard> StudySession::progressCards() const
{
    std::vector<ProgressCard> result;
    result.reserve(cards_.size());
    for (std::size_t place = 0; place < cards_.size(); ++place)
        result.push_back({ cards_[place].key, memories_[place], cards_[place].occurrences });
    return result;
}

TodaySummary StudySession::today() const
{
    const DaySpan day = learning::today(clock_);
    std::vector<ReviewLogEntry> log;
    for (const cardstore::ReviewEntry& entry : store_.reviewsSince(day.startMs))
        log.push_back(logEntryOf(entry));
    if (!store_.canSave())
        for (const SessionAnswer& answer : answers_)
            log.push_back({ answer.answer.key, answer.answer.answeredMs, answer.answer.grade,
                answer.answer.before.state, 0, answer.answer.after });
    return todaySummary(log, progressCards(), clock_);
}

SetProgress StudySession::progress() const
{
    return setProgress(progressCards(), clock_);
}

std::vector<HistoryPoint> StudySession::history() const
{
    std::unordered_map<std::int64_t, std::int64_t> frequencies;
    for (const CardEntry& card : cards_)
        frequencies.emplace(card.key, card.occurrences);
    KnownHistory history(std::move(frequencies), clock_);
    visitReviews([&history](const ReviewLogEntry& entry) { history.add(entry); });
    return history.finish();
}

void StudySession::visitReviews(const std::function<void(const ReviewLogEntry&)>& visit) const
{
    store_.visitReviews([&visit](const cardstore::ReviewEntry& entry) { visit(logEntryOf(entry)); });
}

std::optional<BookCoverage> StudySession::bookCoverage() const
{
    const std::optional<int> book = bookIndex();
    if (!book)
        return std::nullopt;
    const std::int64_t now = clock_.nowMs();
    std::unordered_map<int, bool> knownLemmas; // lemma → known, for the lemmas the set has a card for
    for (std::size_t place = 0; place < cards_.size(); ++place) {
        const int lemma = lemmaAt(place);
        if (lemma < 0)
            continue;
        const std::optional<Memory> remembered = memories_[place];
        bool& known = knownLemmas[lemma];
        known = known || (remembered && isKnown(*remembered, now));
    }
    std::vector<BookLemma> lemmas;
    for (const nttext::LemmaCount& counted : text_->bookLemmas(*book)) {
        const auto found = knownLemmas.find(counted.lemma);
        lemmas.push_back({ counted.count, found != knownLemmas.end(), found != knownLemmas.end() && found->second });
    }
    return learning::bookCoverage(lemmas);
}

} // namespace learning
