#include "studydriver.h"

#include "cardsets.h"
#include "clock.h"
#include "progressdescription.h"
#include "progressreport.h"
#include "studysession.h"
#include "studystore.h"
#include "table.h"

#include <sqlite3.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace studydriver {

namespace {

namespace bounds = cardstore::studybounds;

// A Tuesday noon, UTC, unless the input says otherwise.
constexpr std::int64_t kNoon = 1'765'281'600'000;

const std::vector<testsupport::Card> kCards
    = { { "word", "λόγος", 330 }, { "and", "καί", 8973 }, { "God", "θεός", 1317 }, { "love", "ἀγάπη", 116 },
          { "spirit", "πνεῦμα", 379 }, { "the", "ὁ", 19'867 }, { "Jesus", "Ἰησοῦς", 917 }, { "Lord", "κύριος", 717 } };

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The eight cards with the study tables made and empty, made once.
const std::string& emptySet(const std::string& path)
{
    static const std::string bytes = [&] {
        testsupport::makeCardSet(path, kCards);
        {
            cardstore::Table table;
            table.setTableName(path);
            table.open();
            table.study().setSetting(cardstore::studysetting::kFirstSide, "greek");
        }
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        sqlite3_exec(db, "DELETE FROM karte_study_settings", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        return readFile(path);
    }();
    return bytes;
}

void bindField(sqlite3_stmt* statement, int index, const std::string& field)
{
    std::int64_t whole = 0;
    double real = 0;
    const char* end = field.data() + field.size();
    if (auto [stop, error] = std::from_chars(field.data(), end, whole); error == std::errc() && stop == end)
        sqlite3_bind_int64(statement, index, whole);
    else if (auto [rstop, rerror] = std::from_chars(field.data(), end, real); rerror == std::errc() && rstop == end)
        sqlite3_bind_double(statement, index, real);
    else if (field == "null")
        sqlite3_bind_null(statement, index);
    else
        sqlite3_bind_text(statement, index, field.data(), static_cast<int>(field.size()), SQLITE_TRANSIENT);
}

void insertRows(const std::string& path, std::string_view input, std::int64_t& nowMs)
{
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    const std::pair<std::string, std::string> tables[] = {
        { "m", "INSERT INTO karte_study_memory VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)" },
        { "l", "INSERT INTO karte_study_log VALUES (NULL, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)" },
        { "s", "INSERT INTO karte_study_settings VALUES (?, ?)" },
    };
    std::istringstream lines { std::string(input) };
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string kind;
        words >> kind;
        std::vector<std::string> fields { std::istream_iterator<std::string>(words), {} };
        if (kind == "now" && fields.size() == 1) {
            std::from_chars(fields[0].data(), fields[0].data() + fields[0].size(), nowMs);
            continue;
        }
        for (const auto& [name, sql] : tables) {
            sqlite3_stmt* statement = nullptr;
            if (kind != name || sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
                continue;
            if (static_cast<int>(fields.size()) == sqlite3_bind_parameter_count(statement)) {
                for (std::size_t i = 0; i < fields.size(); ++i)
                    bindField(statement, static_cast<int>(i) + 1, fields[i]);
                sqlite3_step(statement); // a row the tables' constraints refuse is left out, as it would be
            }
            sqlite3_finalize(statement);
        }
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

bool timeInRange(std::int64_t ms)
{
    return ms >= bounds::kEarliestMs && ms <= bounds::kLatestMs;
}

// Collects what broke a rule, with the offset it happened at.
class Problems
{
public:
    void at(int offsetSeconds) { offset_ = offsetSeconds; }
    void check(bool holds, const std::string& rule)
    {
        if (!holds)
            list_.push_back(rule + " (UTC offset " + std::to_string(offset_) + " s)");
    }
    std::vector<std::string> take() { return std::move(list_); }

private:
    int offset_ = 0;
    std::vector<std::string> list_;
};

void checkFigures(const learning::StudySession& session, const learning::Clock& clock, Problems& problems)
{
    const int cards = static_cast<int>(kCards.size());
    const learning::SetProgress figures = session.progress();
    problems.check(figures.cards == cards, "the figures count every card");
    problems.check(figures.newCards >= 0 && figures.learning >= 0 && figures.review >= 0
            && figures.newCards + figures.learning + figures.review == cards,
        "new, learning and review cards make up the set");
    problems.check(figures.known >= 0 && figures.known <= figures.review, "known cards are reviews");
    int forecast = 0;
    for (int due : figures.duePerDay)
        forecast += due;
    problems.check(figures.dueToday >= 0 && figures.dueToday <= figures.learning + figures.review,
        "cards due today are studied cards");
    problems.check(forecast <= figures.learning + figures.review, "the forecast counts each studied card once");
    problems.check(figures.coverage >= 0 && figures.coverage <= 1, "the coverage is a share");

    const learning::TodaySummary today = session.today();
    problems.check(today.reviews >= 0 && today.newCards <= today.reviews && today.reviewAnswers <= today.reviews,
        "today's counts are counts of today's answers");
    problems.check(today.timeSpentMs >= 0 && today.timeSpentMs <= today.reviews * bounds::kLongestAnswerMs,
        "today's time is at most a day an answer");
    problems.check(
        !today.nextDueMs || timeInRange(*today.nextDueMs), "the next card falls due in the years 1970 to 9999");
    problems.check(!session.nextDueMs() || timeInRange(*session.nextDueMs()), "the queue's next due time is a time");
    const learning::QueueCounts counts = session.counts();
    problems.check(counts.newCards >= 0 && counts.learning >= 0 && counts.due >= 0
            && counts.learning + counts.due <= figures.learning + figures.review,
        "the queue's counts are counts of the set's cards");

    const std::vector<learning::HistoryPoint> history = learning::knownHistory(session, nullptr, false);
    for (const learning::HistoryPoint& point : history) {
        const int year = learning::civilDate(point.dayStartMs, clock.utcOffsetSeconds(point.dayStartMs)).year;
        problems.check(year >= 1969 && year <= 9999, "known words over time are dated in the years 1970 to 9999");
        problems.check(point.known >= 0 && point.known <= cards, "known words over time are counts of the cards");
    }
    // The sentences a screen reader and karte-progress say, made from all of it.
    learning::figuresSentence(figures);
    learning::dueForecastDescription(figures, clock);
    learning::knownHistoryDescription(history, clock);
    learning::coverageHistoryDescription(history, clock);

    const std::int64_t now = clock.nowMs();
    for (std::int64_t key = 1; key <= cards; ++key)
        for (const learning::Outcome& outcome : session.preview(key))
            problems.check(outcome.memory.dueMs >= now && timeInRange(outcome.memory.dueMs),
                "every answer brings its card back after now, in the years 1970 to 9999");
    if (const std::optional<learning::QueueItem> next = session.next())
        problems.check(session.card(next->key) != nullptr, "the queue shows a card of the set");
}

// What a set opened afresh keeps of the card's memory.
std::optional<learning::Memory> storedMemory(const std::string& path, const learning::Clock& clock, std::int64_t key)
{
    cardstore::Table table;
    table.setTableName(path);
    table.open();
    return learning::StudySession(table, clock, nullptr).memory(key);
}

// Answers as the Study window does: the queue's next card, then the first card out of turn; each is taken back and
// must leave its card's memory as it was, in the session and in the file, then answered again.
void answerAndTakeBack(
    const std::string& path, learning::StudySession& session, const learning::Clock& clock, Problems& problems)
{
    session.beginStudy();
    std::vector<std::int64_t> keys;
    if (const std::optional<learning::QueueItem> next = session.next())
        keys.push_back(next->key);
    keys.push_back(1);
    for (std::int64_t key : keys) {
        const std::optional<learning::Memory> before = session.memory(key);
        session.answer(key, learning::Grade::Good, 1500);
        session.undo();
        problems.check(session.memory(key) == before, "undo puts back the memory the card had");
        problems.check(storedMemory(path, clock, key) == before, "undo puts back the memory the set kept");
        session.answer(key, learning::Grade::Hard, 2500);
    }
}

} // namespace

std::int64_t makeSet(const std::string& path, std::string_view input)
{
    const std::string& bytes = emptySet(path);
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    std::int64_t nowMs = kNoon;
    insertRows(path, input, nowMs);
    // The clock is the computer's, not the file's: any time from 1970 to where a century's interval still ends
    // before the year 10000.
    return std::clamp<std::int64_t>(nowMs, bounds::kEarliestMs, bounds::kLatestMs - 40'000 * 86'400'000LL);
}

std::vector<std::string> study(const std::string& path, std::int64_t nowMs)
{
    Problems problems;
    cardstore::Table table;
    table.setTableName(path);
    table.open();
    learning::ManualClock clock(nowMs);
    constexpr int kQuarterHour = 15 * 60;
    for (int offset = -12 * 3600; offset <= 14 * 3600; offset += kQuarterHour) {
        problems.at(offset);
        clock.setUtcOffsetSeconds(offset);
        const learning::StudySession session(table, clock, nullptr);
        checkFigures(session, clock, problems);
    }
    {
        learning::StudySession session(table, clock, nullptr);
        answerAndTakeBack(path, session, clock, problems);
        checkFigures(session, clock, problems);
    }
    table.close();
    // The first write deleted what was left out: the set reads as sound now.
    table.open();
    problems.check(table.study().resetMessages().empty(), "what was left out is gone after the first answer");
    return problems.take();
}

} // namespace studydriver
