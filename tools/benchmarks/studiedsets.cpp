#include "studiedsets.h"

#include "generatedsets.h"

#include "errors.h"
#include "studystore.h"
#include "table.h"

#include <sqlite3.h>

#include <map>

namespace benchsets {

namespace {

constexpr std::int64_t kDay = 86'400'000;

void run(sqlite3* db, const char* sql)
{
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        throw cardstore::Error(std::string("benchmark set-up: ") + sqlite3_errmsg(db));
}

} // namespace

cardstore::ReviewEntry answerTo(std::int64_t key, std::int64_t reviewedMs)
{
    return { 0, key, reviewedMs, 3, 4000, { key, 2, 0, 4.5, 5.0, reviewedMs + 4 * kDay, reviewedMs, 2, 0 } };
}

// A copy of the user set of count cards, every card answered twice. The store makes its tables at the first
// answer; the rest goes in through one plain transaction, since a hundred thousand synced answers would take
// minutes. Each size is made once per process.
const std::string& studiedSet(int count)
{
    static std::map<int, std::string> made;
    if (auto found = made.find(count); found != made.end())
        return found->second;
    std::string path = SetCache::instance().writableCopy(Shape::User, count, "studied");
    {
        cardstore::Table table;
        table.setTableName(path);
        table.open();
        table.first();
        table.study().recordAnswer(answerTo(table.recordKey(), 1'700'000'000'000));
    }
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    run(db, "BEGIN");
    run(db, "DELETE FROM karte_study_log");
    for (int pass = 0; pass < 2; ++pass)
        run(db,
            ("INSERT INTO karte_study_log SELECT NULL, id, 1700000000000 + id * 1000 + " + std::to_string(pass)
                + " * 86400000, 1 + id % 4, 3000 + id % 5000, 2, 0, 0.5 + (id % 97) * 1.5, 1 + (id % 9), "
                  "1700000000000 + id * 1000 + 345600000, 1700000000000 + id * 1000, 1 + "
                + std::to_string(pass) + ", id % 3 FROM cards")
                .c_str());
    run(db,
        "INSERT OR REPLACE INTO karte_study_memory SELECT card, state, step, stability, difficulty, due, "
        "last_review, reps, lapses FROM karte_study_log WHERE id IN (SELECT max(id) FROM karte_study_log GROUP "
        "BY card)");
    run(db, "COMMIT");
    sqlite3_close(db);
    return made.emplace(count, path).first->second;
}

} // namespace benchsets
