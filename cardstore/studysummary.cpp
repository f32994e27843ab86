// The days the set keeps summarized beside the log, and the reads of the log that count them.
#include "sqlitedb.h"
#include "studyschema.h"
#include "studystore.h"

#include <sqlite3.h>

namespace cardstore {

namespace {

constexpr std::int64_t kDayMs = 86'400'000;

} // namespace

std::vector<StudyDay> StudyStore::keptDays() const
{
    std::vector<StudyDay> days;
    if (!studyschema::daysPresent(connection_))
        return days;
    auto query = connection_.prepare("SELECT day, answers, known, occurrences FROM karte_study_days ORDER BY day");
    StudyDay day;
    while (query.step()) {
        if (const char* problem = studyschema::readDay(query, day)) {
            daysMessage_ = std::string("The summary of past days kept in this card set had ") + problem
                + "; it is counted again from the review log.";
            return {};
        }
        days.push_back(day);
    }
    return days;
}

bool StudyStore::keepsDays() const
{
    if (!studyschema::daysPresent(connection_))
        return false;
    auto any = connection_.prepare("SELECT 1 FROM karte_study_days LIMIT 1");
    return any.step();
}

std::optional<std::int64_t> StudyStore::daysKeptBeforeMs() const
{
    const std::vector<StudyDay> days = keptDays();
    if (days.empty())
        return std::nullopt;
    return days.back().startMs + kDayMs;
}

void StudyStore::answersChangedAt(std::int64_t atMs)
{
    studyschema::forgetDaysFrom(connection_, atMs);
    earliestChangeMs_ = std::min(earliestChangeMs_, atMs);
}

void StudyStore::watchLog()
{
    earliestChangeMs_ = INT64_MAX;
    watchedVersion_ = protected_ ? 0 : connection_.dataVersion();
}

bool StudyStore::keepDays(const std::vector<StudyDay>& days, std::int64_t fromMs, std::int64_t untilMs)
{
    if (!canSave())
        return false;
    takeInReplacedFile();
    if (earliestChangeMs_ < untilMs || (!protected_ && connection_.dataVersion() != watchedVersion_))
        return false;
    const std::optional<std::int64_t> keptBefore = daysKeptBeforeMs();
    if (fromMs != INT64_MIN && keptBefore != fromMs)
        return false;
    write(
        [&] {
            if (!studyschema::daysPresent(connection_))
                studyschema::createDays(connection_);
            auto forget = connection_.prepare("DELETE FROM karte_study_days WHERE day >= ?");
            forget.bindInt(1, days.empty() ? fromMs : std::min(fromMs, days.front().startMs));
            forget.step();
            auto keep = connection_.prepare("INSERT INTO karte_study_days VALUES (?, ?, ?, ?)");
            for (const StudyDay& day : days) {
                keep.bindInt(1, day.startMs);
                keep.bindInt(2, day.answers);
                keep.bindInt(3, day.known);
                keep.bindInt(4, day.occurrences);
                keep.step();
                keep.reset();
            }
        },
        false);
    daysMessage_.clear();
    daysUnsealed_ = protected_ != nullptr;
    return true;
}

std::size_t StudyStore::countAnswersSince(std::int64_t sinceMs, std::size_t limit) const
{
    if (!studyschema::present(connection_))
        return 0;
    auto count
        = connection_.prepare("SELECT count(*) FROM (SELECT 1 FROM karte_study_log WHERE reviewed >= ? LIMIT ?)");
    count.bindInt(1, sinceMs);
    count.bindInt(2, static_cast<std::int64_t>(std::min<std::size_t>(limit, INT64_MAX)));
    count.step();
    return static_cast<std::size_t>(count.columnInt(0));
}

bool StudyStore::answerBefore(std::int64_t cardKey, std::int64_t id, std::optional<ReviewEntry>& previous) const
{
    previous.reset();
    if (!studyschema::present(connection_))
        return true;
    auto query = connection_.prepare(std::string("SELECT ") + studyschema::kEntryColumns
        + " FROM karte_study_log WHERE card = ? AND id < ? ORDER BY id DESC LIMIT 1");
    query.bindInt(1, cardKey);
    query.bindInt(2, id);
    if (!query.step())
        return true;
    ReviewEntry entry;
    if (studyschema::readEntry(query, entry) || excludedAnswer(entry.id))
        return false;
    previous = entry;
    return true;
}

} // namespace cardstore
