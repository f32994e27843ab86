#pragma once

// The tables that keep the study progress beside the cards, shared by the study store and by the card writes that
// must keep them in step (deleting a card deletes its progress). Not meant for the windows.

#include "studyrecords.h"

#include <cstdint>
#include <string>

namespace cardstore {

namespace sqlite {
class Connection;
class Statement;
} // namespace sqlite

namespace studyschema {

// The columns of a card's memory, in the order the statements below read and bind them.
inline constexpr const char* kMemoryColumns = "state, step, stability, difficulty, due, last_review, reps, lapses";
inline constexpr int kMemoryColumnCount = 8;

// Whether the set holds the study tables: false when it holds none of them (it was never studied), true when it
// holds all of them exactly as the program makes them. Anything else (a table missing or of another shape, a
// view or a virtual table under one of their names, a trigger or a foreign index on them) raises the damaged
// error, before anything of theirs is run.
bool present(sqlite::Connection& connection);
// The same, false instead of the error for damaged tables.
bool presentAndSound(sqlite::Connection& connection);
// Makes the tables; within the caller's write transaction, after present() said there are none.
void create(sqlite::Connection& connection);
// Deletes a card's memory and its answers, within the caller's write transaction; nothing when the tables are
// absent or damaged. The days summarized from the card's first answer on go with them.
void removeCard(sqlite::Connection& connection, std::int64_t cardKey);

// Whether the set keeps days summarized (karte_study_days, which a set the program wrote before it kept them has not
// got): false when the table is absent, true when it is exactly as the program makes it; anything else raises the
// damaged error, as present() does.
bool daysPresent(sqlite::Connection& connection);
void createDays(sqlite::Connection& connection);
// Deletes the days summarized from the one holding atMs on, within the caller's write transaction, when the answers
// of that time changed: they no longer say what the log holds. Nothing without the table; false when it deleted
// none.
bool forgetDaysFrom(sqlite::Connection& connection, std::int64_t atMs);
// Reads a day from the statement's columns: day, answers, known, occurrences; why it cannot be used, or null.
const char* readDay(const sqlite::Statement& statement, StudyDay& day);

// "The study progress of this card set is damaged: detail. File: path".
[[noreturn]] void raiseDamaged(const std::string& path, const std::string& detail);

// The columns of an answer in the log, its card's memory after it last.
inline constexpr const char* kEntryColumns
    = "id, card, reviewed, grade, duration, state, step, stability, difficulty, due, last_review, reps, lapses";

// How closely rows are read. Checked tells a value of another type (text, or the NULL SQLite keeps for a NaN) from a
// number, as the store does when it opens; Quick takes each column as the number SQLite converts it to, for rows
// the open looked over already, a value another program changed since then being held to the same bounds.
enum class Reading { Checked, Quick };

// Reads a memory from the statement's columns, from first on in kMemoryColumns order. Returns why it cannot be
// used (a phrase such as "an unknown state"), or null when it can.
const char* readMemory(
    const sqlite::Statement& statement, int first, CardMemory& memory, Reading reading = Reading::Checked);
// Why memory cannot be stored, or null when it can; the same rules as readMemory: the values an answer leaves
// (studybounds).
const char* memoryProblem(const CardMemory& memory);
// Why the answer itself (its grade, time and duration, not the memory it leaves) cannot be stored, or null.
const char* entryProblem(const ReviewEntry& entry);
void bindMemory(sqlite::Statement& statement, int first, const CardMemory& memory);
// Reads an answer from the statement's columns, from 0 on in kEntryColumns order; why it cannot be used, or null.
const char* readEntry(const sqlite::Statement& statement, ReviewEntry& entry, Reading reading = Reading::Checked);
// The phrase of readEntry and readMemory for the key of no card.
inline constexpr const char* kNoSuchCard = "the key of no card in the set";
// The phrase for an answer whose card has no memory kept, and the column that tells, for a query of the log.
inline constexpr const char* kNoMemory = "a card whose progress is missing";
inline constexpr const char* kHasMemory
    = "EXISTS (SELECT 1 FROM karte_study_memory WHERE karte_study_memory.card = karte_study_log.card)";

} // namespace studyschema

} // namespace cardstore
