#pragma once

// Shared by the tests of the study progress: answers, card keys and a look at the progress as another connection
// reads it from the file.

#include "studystore.h"
#include "table.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace studytest {

// An answer to the card with key at time reviewedMs; the memory it leaves is told apart by its stability.
inline cardstore::ReviewEntry answer(std::int64_t key, std::int64_t reviewedMs, int grade = 3, double stability = 1)
{
    cardstore::ReviewEntry entry;
    entry.cardKey = key;
    entry.reviewedMs = reviewedMs;
    entry.grade = grade;
    entry.durationMs = 1500;
    entry.after = { key, 2, 0, stability, 5.5, reviewedMs + 86'400'000, reviewedMs, 1, grade == 1 ? 1 : 0 };
    return entry;
}

// The card keys in the set's primary order.
inline std::vector<std::int64_t> keysOf(const cardstore::Table& table)
{
    std::vector<std::int64_t> keys;
    table.visitRecords([&](std::int64_t key, const std::vector<cardstore::Value>&) { keys.push_back(key); });
    return keys;
}

// The stability of each card's memory, by card key, as a table opened afresh reads the file: one number stands
// for the whole memory, since the answers of the tests differ in it.
inline std::map<std::int64_t, double> storedMemories(const std::string& path)
{
    cardstore::Table table;
    table.setTableName(path);
    table.open();
    std::map<std::int64_t, double> memories;
    for (const cardstore::CardMemory& memory : table.study().loadMemories())
        memories[memory.cardKey] = memory.stability;
    return memories;
}

// The (card key, reviewed time) of every answer in time order, as a table opened afresh reads the file.
inline std::vector<std::pair<std::int64_t, std::int64_t>> storedLog(const std::string& path)
{
    cardstore::Table table;
    table.setTableName(path);
    table.open();
    std::vector<std::pair<std::int64_t, std::int64_t>> log;
    table.study().visitReviews(
        [&](const cardstore::ReviewEntry& entry) { log.emplace_back(entry.cardKey, entry.reviewedMs); });
    return log;
}

// Runs SQL on the file through a connection of its own, as another program would.
inline void runSql(const std::string& path, const std::string& sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

} // namespace studytest
