#include "studiedsets.h"

#include "errors.h"
#include "generatedsets.h"
#include "historycount.h"
#include "studyset.h"
#include "studystore.h"
#include "table.h"

#include <sqlite3.h>

#include <filesystem>
#include <map>

namespace benchsets {

constexpr std::int64_t kDay = 86'400'000;

cardstore::ReviewEntry answerTo(std::int64_t key, std::int64_t reviewedMs)
{
    return { 0, key, reviewedMs, 3, 4000, { key, 2, 0, 4.5, 5.0, reviewedMs + 4 * kDay, reviewedMs, 2, 0 } };
}

namespace {

void run(sqlite3* db, const char* sql)
{
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        throw cardstore::Error(std::string("benchmark set-up: ") + sqlite3_errmsg(db));
}

} // namespace

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

namespace {

// The days of the long log counted and kept, as the windows keep them, in a copy of it.
void keepDays(const std::filesystem::path& plain, const std::filesystem::path& kept)
{
    namespace fs = std::filesystem;
    const fs::path making = kept.string() + ".making";
    fs::copy_file(plain, making, fs::copy_options::overwrite_existing);
    {
        const learning::ManualClock clock(kLongLogNowMs);
        cardstore::Table table;
        table.setTableName(making.string());
        table.open();
        const learning::StudySet set(table, clock, nullptr);
        learning::HistoryCount count(set);
        while (!count.step(SIZE_MAX))
            ;
        if (!count.keep())
            throw cardstore::Error("benchmark set-up: the days of the long log were not kept");
    }
    fs::rename(making, kept);
}

} // namespace

std::string longStudiedSet(int count, std::int64_t answers, bool daysKept)
{
    namespace fs = std::filesystem;
    const fs::path cache = fs::temp_directory_path() / "karte-bench-cache";
    fs::create_directories(cache);
    // The name says how the set was made: a change to what follows needs a name of its own.
    const std::string name = std::to_string(count) + "-" + std::to_string(answers) + ".SDB";
    const fs::path kept = cache / ("long-log-1-" + name);
    const fs::path withDays = cache / ("long-log-days-1-" + name);
    if (!fs::exists(kept)) {
        const fs::path making = kept.string() + ".making";
        fs::copy_file(SetCache::instance().path(Shape::User, count), making, fs::copy_options::overwrite_existing);
        {
            cardstore::Table table;
            table.setTableName(making.string());
            table.open();
            table.first();
            table.study().recordAnswer(answerTo(table.recordKey(), kLongLogNowMs - 86'400'000));
        }
        constexpr std::int64_t kSpanMs = 3650 * kDay;
        const std::int64_t gap = kSpanMs / answers;
        const std::int64_t first = kLongLogNowMs - 60'000 - (answers - 1) * gap;
        const std::string n = std::to_string(count);
        // Answer i is to card 1 + (i mod n * 7919 + round * 104729) mod n, round = i / n: each round a new order of
        // every card, as 7919 is prime to the counts used. Good leaves the card in review for 1 to 300 days, growing
        // with the rounds; Again, in relearning for ten minutes.
        const std::string answer = "SELECT 1 + ((i % " + n + ") * 7919 + (i / " + n + ") * 104729) % " + n
            + " AS card, " + std::to_string(first) + " + i * " + std::to_string(gap)
            + " AS at, (i * 2654435761) % 10 = 0 AS again, i / " + n + " AS round, i FROM steps";
        const std::string stability = "min(300.0, 1.0 + round * 25.0 + card % 20)";
        sqlite3* db = nullptr;
        sqlite3_open(making.c_str(), &db);
        run(db, "PRAGMA journal_mode=OFF");
        run(db, "PRAGMA synchronous=OFF");
        run(db, "BEGIN");
        run(db, "DELETE FROM karte_study_log");
        run(db,
            ("WITH RECURSIVE steps(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM steps WHERE i + 1 < "
                + std::to_string(answers)
                + ") INSERT INTO karte_study_log (card, reviewed, grade, duration, state, step, stability, difficulty, "
                  "due, last_review, reps, lapses) SELECT card, at, CASE WHEN again THEN 1 ELSE 3 END, 2000 + i % "
                  "7000, CASE WHEN again THEN 3 ELSE 2 END, 0, "
                + stability + ", 1 + card % 9, at + CASE WHEN again THEN 600000 ELSE CAST(" + stability
                + " * 86400000 AS INTEGER) END, at, round + 1, round / 10 FROM (" + answer + ")")
                .c_str());
        run(db, "DELETE FROM karte_study_memory");
        run(db,
            "INSERT INTO karte_study_memory SELECT card, state, step, stability, difficulty, due, last_review, reps, "
            "lapses FROM karte_study_log WHERE id IN (SELECT max(id) FROM karte_study_log GROUP BY card)");
        run(db, "COMMIT");
        sqlite3_close(db);
        fs::rename(making, kept);
    }
    if (daysKept && !fs::exists(withDays))
        keepDays(kept, withDays);
    const std::string copy = SetCache::instance().writableCopy(
        Shape::User, count, (daysKept ? "long-log-days-" : "long-log-") + std::to_string(answers));
    fs::copy_file(daysKept ? withDays : kept, copy, fs::copy_options::overwrite_existing);
    return copy;
}

} // namespace benchsets
