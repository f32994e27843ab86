// The program the kill test kills: it studies a protected set as the Study window does, answering card after card
// and saying "answered CARD TIME" once each answer is given (the moment the window would show the next card), until
// it is killed. "check" opens the set as the next program would, then prints every answer it holds and the outcome
// of SQLite's integrity check of the sealed database. "make" makes the set. The password is read from standard
// input.
#include "cardsets.h"
#include "errors.h"
#include "protectedfile.h"
#include "session.h"
#include "studysession.h"
#include "studystore.h"
#include "table.h"

#include <sodium.h>
#include <sqlite3.h>

#include <iostream>
#include <string>

namespace {

std::string passwordFromInput()
{
    std::string password;
    std::getline(std::cin, password);
    cardstore::Session::instance().addPassword(password);
    return password;
}

void make(const std::string& path, const std::string& password)
{
    std::vector<testsupport::Card> cards;
    for (int i = 0; i < 300; ++i)
        cards.push_back({ "plainword" + std::to_string(i), "λόγος" + std::to_string(i), double(i) });
    testsupport::makeCardSet(path, cards);
    cardstore::setKeyDerivationCostForNewSets({ 1, 8 * 1024 });
    cardstore::protectCardSet(path, password);
    cardstore::Table table;
    table.setTableName(path);
    table.open();
    table.study().setSetting(cardstore::studysetting::kDailyNewCards, "9999");
}

[[noreturn]] void answerUntilKilled(const std::string& path)
{
    cardstore::Table table;
    table.setTableName(path);
    table.open();
    const learning::SystemClock clock;
    learning::StudySession session(table, clock, nullptr);
    const learning::Grade grades[]
        = { learning::Grade::Good, learning::Grade::Again, learning::Grade::Easy, learning::Grade::Hard };
    for (std::size_t turn = 0;; ++turn) {
        const std::int64_t key = session.next() ? session.next()->key : 1 + static_cast<std::int64_t>(turn % 300);
        const learning::Answer answer = session.answer(key, grades[turn % 4], 800);
        std::cout << "answered " << key << " " << answer.answeredMs << std::endl;
        session.sealIfDue();
    }
}

int check(const std::string& path)
{
    {
        cardstore::Table table;
        table.setTableName(path);
        table.open();
        table.study().visitReviews([](const cardstore::ReviewEntry& entry) {
            std::cout << "answered " << entry.cardKey << " " << entry.reviewedMs << "\n";
        });
    }
    cardstore::DatabaseImage image;
    cardstore::ProtectedFile::open(path, cardstore::Session::instance().passwords(), image);
    sqlite3* db = nullptr;
    sqlite3_open(":memory:", &db);
    const auto size = static_cast<sqlite3_int64>(image.size());
    sqlite3_deserialize(db, "main", image.release(), size, size, SQLITE_DESERIALIZE_FREEONCLOSE);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &statement, nullptr);
    while (sqlite3_step(statement) == SQLITE_ROW)
        std::cout << "integrity " << reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)) << "\n";
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3 || sodium_init() < 0) {
        std::cerr << "usage: study_kill_driver make|answer|check SET\n";
        return 2;
    }
    const std::string command = argv[1], path = argv[2];
    try {
        const std::string password = passwordFromInput();
        if (command == "make")
            make(path, password);
        else if (command == "answer")
            answerUntilKilled(path);
        else
            return check(path);
    } catch (const cardstore::Error& error) {
        std::cerr << "study_kill_driver: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
