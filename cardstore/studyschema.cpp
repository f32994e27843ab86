#include "studyschema.h"

#include "errors.h"
#include "schemacheck.h"
#include "sqlitedb.h"

#include <sqlite3.h>

#include <climits>
#include <cmath>
#include <iterator>
#include <utility>

namespace cardstore::studyschema {

namespace {

// Exactly as SQLite keeps them in sqlite_master. Comparing the whole text refuses at once every other shape a
// file could give these names: other columns, generated columns, checks, WITHOUT ROWID, virtual tables.
constexpr SchemaObject kObjects[] = {
    { "table", "karte_study_memory",
        "CREATE TABLE karte_study_memory(card INTEGER PRIMARY KEY, state INTEGER NOT NULL, step INTEGER NOT NULL, "
        "stability REAL NOT NULL, difficulty REAL NOT NULL, due INTEGER NOT NULL, last_review INTEGER NOT NULL, "
        "reps INTEGER NOT NULL, lapses INTEGER NOT NULL)" },
    { "table", "karte_study_log",
        "CREATE TABLE karte_study_log(id INTEGER PRIMARY KEY, card INTEGER NOT NULL, reviewed INTEGER NOT NULL, "
        "grade INTEGER NOT NULL, duration INTEGER NOT NULL, state INTEGER NOT NULL, step INTEGER NOT NULL, "
        "stability REAL NOT NULL, difficulty REAL NOT NULL, due INTEGER NOT NULL, last_review INTEGER NOT NULL, "
        "reps INTEGER NOT NULL, lapses INTEGER NOT NULL)" },
    // An answer's card and the time order are what the log is searched and walked by; each index ends in the id.
    { "index", "karte_study_log_card", "CREATE INDEX karte_study_log_card ON karte_study_log(card)" },
    { "index", "karte_study_log_time", "CREATE INDEX karte_study_log_time ON karte_study_log(reviewed)" },
    { "table", "karte_study_settings", "CREATE TABLE karte_study_settings(key TEXT PRIMARY KEY, value TEXT NOT NULL)" },
    { "index", "sqlite_autoindex_karte_study_settings_1", nullptr },
};

// The summary of past days, which sets written before the program kept it lack.
constexpr SchemaObject kDayObjects[] = {
    { "table", "karte_study_days",
        "CREATE TABLE karte_study_days(day INTEGER PRIMARY KEY, answers INTEGER NOT NULL, known INTEGER NOT NULL, "
        "occurrences INTEGER NOT NULL)" },
};

// What the file holds under the study tables' names or on them, as a reason it is damaged; empty when it holds
// all of them as they should be, "absent" when none.
std::string inspect(sqlite::Connection& connection)
{
    return schemaProblem(connection, kObjects);
}

constexpr const char* kTimeOutOfRange = "a time outside the years 1970 to 9999";
constexpr const char* kStabilityOutOfRange = "a stability outside 0.001 to 36,500 days";

bool timeInRange(std::int64_t ms)
{
    return ms >= studybounds::kEarliestMs && ms <= studybounds::kLatestMs;
}

} // namespace

void raiseDamaged(const std::string& path, const std::string& detail)
{
    throw DatabaseError(
        status::kCorruptFile, "The study progress of this card set is damaged: " + detail + ". File: " + path);
}

bool present(sqlite::Connection& connection)
{
    std::string problem = inspect(connection);
    if (problem == "absent")
        return false;
    if (!problem.empty())
        raiseDamaged(connection.path(), problem);
    return true;
}

bool presentAndSound(sqlite::Connection& connection)
{
    return inspect(connection).empty();
}

void create(sqlite::Connection& connection)
{
    for (const SchemaObject& object : kObjects)
        if (object.sql)
            connection.exec(object.sql);
    if (!daysPresent(connection))
        createDays(connection);
}

bool daysPresent(sqlite::Connection& connection)
{
    const std::string problem = schemaProblem(connection, kDayObjects);
    if (problem == "absent")
        return false;
    if (!problem.empty())
        raiseDamaged(connection.path(), problem);
    return true;
}

void createDays(sqlite::Connection& connection)
{
    connection.exec(kDayObjects[0].sql);
}

bool forgetDaysFrom(sqlite::Connection& connection, std::int64_t atMs)
{
    if (!daysPresent(connection))
        return false;
    // The day holding atMs began less than a day before it. Added as SQL does, so that no time overflows.
    auto forget = connection.prepare("DELETE FROM karte_study_days WHERE day + 86400000 > ?");
    forget.bindInt(1, atMs);
    forget.step();
    return connection.changes() > 0;
}

const char* readDay(const sqlite::Statement& statement, StudyDay& day)
{
    for (int column = 0; column < 4; ++column)
        if (statement.columnType(column) != SQLITE_INTEGER)
            return "a value that is not a whole number";
    day = { statement.columnInt(0), statement.columnInt(1), statement.columnInt(2), statement.columnInt(3) };
    if (!timeInRange(day.startMs) || day.startMs > studybounds::kLatestMs - 86'400'000)
        return kTimeOutOfRange;
    if (day.answers < 1 || day.answers > INT_MAX || day.known < 0 || day.known > INT_MAX)
        return "a count out of range";
    // More running words than any text has.
    if (day.occurrences < 0 || day.occurrences > 1'000'000'000'000'000)
        return "a count of words out of range";
    return nullptr;
}

void removeCard(sqlite::Connection& connection, std::int64_t cardKey)
{
    if (!presentAndSound(connection))
        return;
    if (schemaProblem(connection, kDayObjects).empty()) {
        auto first = connection.prepare("SELECT min(reviewed) FROM karte_study_log WHERE card = ?");
        first.bindInt(1, cardKey);
        if (first.step() && first.columnType(0) != SQLITE_NULL)
            forgetDaysFrom(connection, first.columnType(0) == SQLITE_INTEGER ? first.columnInt(0) : INT64_MIN);
    }
    for (const char* sql :
        { "DELETE FROM karte_study_memory WHERE card = ?", "DELETE FROM karte_study_log WHERE card = ?" }) {
        auto statement = connection.prepare(sql);
        statement.bindInt(1, cardKey);
        statement.step();
    }
}

const char* memoryProblem(const CardMemory& memory)
{
    namespace bounds = studybounds;
    if (memory.state == 0)
        return "the state of a card never answered";
    if (memory.state < 1 || memory.state > 3)
        return "an unknown state";
    const int steps = memory.state == 1 ? bounds::kLearningSteps : memory.state == 3 ? bounds::kRelearningSteps : 1;
    if (memory.step < 0 || memory.step >= steps)
        return "a learning step out of range";
    if (!std::isfinite(memory.stability) || memory.stability < 0)
        return "a stability that is not a finite number of days of at least 0";
    if (memory.stability < bounds::kLeastStability || memory.stability > bounds::kMostStability)
        return kStabilityOutOfRange;
    if (!(memory.difficulty >= 1 && memory.difficulty <= 10))
        return "a difficulty outside 1 to 10";
    if (!timeInRange(memory.dueMs) || !timeInRange(memory.lastReviewMs))
        return kTimeOutOfRange;
    if (memory.reps < 0 || memory.lapses < 0)
        return "a count of answers out of range";
    return nullptr;
}

const char* readMemory(const sqlite::Statement& statement, int first, CardMemory& memory, Reading reading)
{
    // Why each column in kMemoryColumns order may be unusable, and whether it holds a whole number.
    static constexpr std::pair<const char*, bool> kColumns[] = {
        { "an unknown state", true },
        { "a learning step out of range", true },
        { "a stability that is not a finite number of days of at least 0", false },
        { "a difficulty outside 1 to 10", false },
        { "a time that is not a whole number of milliseconds", true },
        { "a time that is not a whole number of milliseconds", true },
        { "a count of answers out of range", true },
        { "a count of answers out of range", true },
    };
    // SQLite keeps a NaN as NULL, and a file someone else wrote may hold text in any column.
    if (reading == Reading::Checked) {
        for (int i = 0; i < kMemoryColumnCount; ++i) {
            int type = statement.columnType(first + i);
            if (type != SQLITE_INTEGER && (kColumns[i].second || type != SQLITE_FLOAT))
                return kColumns[i].first;
        }
    }
    std::int64_t whole[] = { statement.columnInt(first), statement.columnInt(first + 1), statement.columnInt(first + 6),
        statement.columnInt(first + 7) };
    for (int i = 0; i < 4; ++i)
        if (whole[i] < INT_MIN || whole[i] > INT_MAX)
            return kColumns[i < 2 ? i : i + 4].first;
    memory.state = static_cast<int>(whole[0]);
    memory.step = static_cast<int>(whole[1]);
    memory.stability = statement.columnDouble(first + 2);
    memory.difficulty = statement.columnDouble(first + 3);
    memory.dueMs = statement.columnInt(first + 4);
    memory.lastReviewMs = statement.columnInt(first + 5);
    memory.reps = static_cast<int>(whole[2]);
    memory.lapses = static_cast<int>(whole[3]);
    return memoryProblem(memory);
}

const char* entryProblem(const ReviewEntry& entry)
{
    if (entry.grade < 1 || entry.grade > 4)
        return "an unknown grade";
    if (!timeInRange(entry.reviewedMs))
        return kTimeOutOfRange;
    if (entry.durationMs < 0)
        return "a duration that is not a whole number of milliseconds of at least 0";
    if (entry.durationMs > studybounds::kLongestAnswerMs)
        return "a duration longer than a day";
    return nullptr;
}

void bindMemory(sqlite::Statement& statement, int first, const CardMemory& memory)
{
    statement.bindInt(first, memory.state);
    statement.bindInt(first + 1, memory.step);
    statement.bindDouble(first + 2, memory.stability);
    statement.bindDouble(first + 3, memory.difficulty);
    statement.bindInt(first + 4, memory.dueMs);
    statement.bindInt(first + 5, memory.lastReviewMs);
    statement.bindInt(first + 6, memory.reps);
    statement.bindInt(first + 7, memory.lapses);
}

const char* readEntry(const sqlite::Statement& statement, ReviewEntry& entry, Reading reading)
{
    entry.id = statement.columnInt(0);
    entry.cardKey = entry.after.cardKey = statement.columnInt(1);
    entry.reviewedMs = statement.columnInt(2);
    std::int64_t grade = statement.columnInt(3);
    entry.durationMs = statement.columnInt(4);
    if (reading == Reading::Checked) {
        if (statement.columnType(1) != SQLITE_INTEGER)
            return kNoSuchCard;
        if (statement.columnType(2) != SQLITE_INTEGER)
            return "a time that is not a whole number of milliseconds";
        if (statement.columnType(3) != SQLITE_INTEGER)
            return "an unknown grade";
        if (statement.columnType(4) != SQLITE_INTEGER)
            return "a duration that is not a whole number of milliseconds of at least 0";
    }
    if (grade < 1 || grade > 4)
        return "an unknown grade";
    entry.grade = static_cast<int>(grade);
    if (const char* problem = entryProblem(entry))
        return problem;
    return readMemory(statement, 5, entry.after, reading);
}

} // namespace cardstore::studyschema
