#include "studysession.h"

#include "errors.h"
#include "reading.h"
#include "studylock.h"
#include "studystore.h"
#include "table.h"
#include "text.h"

#include <algorithm>
#include <unordered_set>

namespace learning {

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

} // namespace

StudySession::StudySession(cardstore::Table& table, const Clock& clock, const nttext::Text* text, bool fuzz,
    const nttext::ReadingText* reading)
    : StudySet(table, clock, text, reading)
    , fuzz_(fuzz)
{
    SchedulerSettings scheduling;
    scheduling.fuzz = fuzz_;
    scheduler_ = Scheduler(scheduling);
    scheduler_.setDesiredRetention(settings().desiredRetention);
    buildQueue();
}

StudySession::~StudySession() = default;

void StudySession::beginStudy()
{
    if (!studyLock_ && store().canSave())
        studyLock_ = std::make_unique<cardstore::StudyLock>(table().filePath());
}

bool StudySession::hasUnsealedAnswers() const
{
    return store().hasUnsealedAnswers();
}

void StudySession::sealIfDue()
{
    store().sealIfDue();
}

void StudySession::seal()
{
    store().seal();
}

void StudySession::buildQueue()
{
    const std::optional<int> book = bookIndex();
    // A chapter studied counts its words there instead of in the whole book.
    std::vector<int> chapterCounts;
    if (const std::optional<int> chapter = chapterIndex()) {
        chapterCounts.resize(static_cast<std::size_t>(text()->lemmaCount()));
        for (const nttext::LemmaCount& counted : reading()->chapterLemmas(*chapter))
            if (counted.lemma < text()->lemmaCount())
                chapterCounts[static_cast<std::size_t>(counted.lemma)] = counted.count;
    }
    std::vector<std::optional<Memory>> memories = memoriesByPlace();
    std::vector<QueueCard> queueCards;
    queueCards.reserve(size());
    for (std::size_t place = 0; place < size(); ++place) {
        QueueCard entry;
        entry.key = keyAt(place);
        entry.position = static_cast<std::int64_t>(place);
        entry.memory = std::move(memories[place]);
        if (const int lemma = book ? lemmaAt(place) : -1; lemma >= 0)
            entry.bookFrequency = chapterCounts.empty() ? text()->bookCounts(lemma)[static_cast<std::size_t>(*book)]
                                                        : chapterCounts[static_cast<std::size_t>(lemma)];
        queueCards.push_back(std::move(entry));
    }
    QueueOptions options;
    options.newCardLimit = settings().dailyNewCards;
    options.newCardsIntroducedToday = newCardsAnsweredToday();
    options.byBook = book.has_value();
    queue_.emplace(scheduler_, clock(), std::move(queueCards), options);
    // The new queue remembers no answers: taking one back now means building it again.
    for (SessionAnswer& answer : answers_)
        answer.fromQueue = false;
}

int StudySession::newCardsAnsweredToday() const
{
    const DaySpan day = learning::today(clock());
    std::unordered_set<std::int64_t> cards;
    for (const cardstore::ReviewEntry& entry : store().reviewsSince(day.startMs))
        if (entry.stateBefore == static_cast<int>(State::New) && entry.reviewedMs < day.endMs)
            cards.insert(entry.cardKey);
    // The answers of a set that cannot be written are kept here only, beside those its file has.
    if (!store().canSave())
        for (const SessionAnswer& answer : answers_)
            if (answer.answer.before.state == State::New && answer.answer.answeredMs >= day.startMs)
                cards.insert(answer.answer.key);
    return static_cast<int>(cards.size());
}

void StudySession::changeSettings(const StudySettings& settings)
{
    const StudySettings before = StudySet::settings();
    keepSettings(settings);
    scheduler_.setDesiredRetention(StudySet::settings().desiredRetention);
    // How the Greek is read aloud leaves the queue as it is.
    if (settings.desiredRetention != before.desiredRetention || settings.dailyNewCards != before.dailyNewCards
        || settings.firstSide != before.firstSide || settings.book != before.book || settings.chapter != before.chapter)
        buildQueue();
}

std::array<Outcome, 4> StudySession::preview(std::int64_t key) const
{
    return scheduler_.preview(memory(key).value_or(Memory {}), clock().nowMs());
}

Answer StudySession::answer(std::int64_t key, Grade grade, std::int64_t durationMs)
{
    beginStudy();
    std::optional<Answer> answered = queue_->answer(key, grade);
    const bool fromQueue = answered.has_value();
    if (!fromQueue) {
        const std::int64_t now = clock().nowMs();
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
    if (!store().canSave())
        return 0;
    cardstore::ReviewEntry entry;
    entry.cardKey = answer.key;
    entry.reviewedMs = answer.answeredMs;
    entry.grade = static_cast<int>(answer.grade);
    entry.durationMs = std::clamp<std::int64_t>(durationMs, 0, cardstore::studybounds::kLongestAnswerMs);
    entry.after = storedMemory(answer.key, answer.after);
    return store().recordAnswer(entry);
}

void StudySession::remember(std::int64_t key, const Memory& memory)
{
    // A set that is written keeps the memory in its store, which the set's memories are.
    if (!store().canSave())
        rememberUnsaved(key, memory);
}

void StudySession::forgetCard(std::int64_t key)
{
    StudySet::forgetCard(key);
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
        store().undoAnswer(last.id, last.answer.key, storedMemoryOrNone(last.answer.key, last.answer.before));
    answers_.pop_back();
    remember(last.answer.key, last.answer.before);
    if (last.fromQueue)
        queue_->undo();
    else
        buildQueue();
    return last.answer;
}

TodaySummary StudySession::today() const
{
    const DaySpan day = learning::today(clock());
    std::vector<ReviewLogEntry> log;
    for (const cardstore::ReviewEntry& entry : store().reviewsSince(day.startMs))
        log.push_back(logEntryOf(entry));
    if (!store().canSave())
        for (const SessionAnswer& answer : answers_)
            log.push_back({ answer.answer.key, answer.answer.answeredMs, answer.answer.grade,
                answer.answer.before.state, 0, answer.answer.after });
    return todaySummary(log, progressCards(), clock());
}

} // namespace learning
