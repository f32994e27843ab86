// Study progress damaged or made hostile by someone else: the set still opens for drilling, and the study store
// either refuses the whole progress with a clear error (a shape it does not make) or leaves the bad rows out and
// says so. The file is never changed by looking.
#include "enginetest.h"
#include "studytest.h"

using namespace cardstore;
using namespace enginetest;
using namespace studytest;

namespace {

struct Damage
{
    const char* name;
    std::string sql; // run on a set with three answers to cards 2, 3 and 2 again ("and", "God")
    std::string message; // in the error, or in a reset message when the progress opens
    bool refused;
    std::size_t memoriesLeft = 0; // of the two cards answered, when not refused
    std::size_t answersLeft = 3; // the answers to a card whose memory is left out are left out with it
};

const std::string kMemoryColumns = "(card INTEGER PRIMARY KEY, state INTEGER NOT NULL, step INTEGER NOT NULL, "
                                   "stability REAL NOT NULL, difficulty REAL NOT NULL, due INTEGER NOT NULL, "
                                   "last_review INTEGER NOT NULL, reps INTEGER NOT NULL, lapses INTEGER NOT NULL";

std::vector<Damage> damages()
{
    const std::string replaceMemory = "DROP TABLE karte_study_memory; ";
    return {
        { "a generated column",
            replaceMemory + "CREATE TABLE karte_study_memory" + kMemoryColumns
                + ", big BLOB GENERATED ALWAYS AS (zeroblob(1000000000)))",
            "the table karte_study_memory is not as the program makes it", true },
        { "a view under the memory's name",
            replaceMemory + "CREATE VIEW karte_study_memory AS SELECT id AS card FROM cards",
            "karte_study_memory is a view, not a table", true },
        { "a virtual table under the log's name",
            "DROP TABLE karte_study_log; CREATE VIRTUAL TABLE karte_study_log USING fts5(card)",
            "karte_study_log is a virtual table", true },
        { "the table in capitals", replaceMemory + "CREATE TABLE KARTE_STUDY_MEMORY" + kMemoryColumns + ")",
            "the table KARTE_STUDY_MEMORY is not one the program makes", true },
        { "a trigger on the log", "CREATE TRIGGER wipe AFTER INSERT ON karte_study_log BEGIN DELETE FROM cards; END",
            "a trigger wipe is attached to its tables", true },
        { "an index of someone else's", "CREATE INDEX slow ON karte_study_memory(stability * difficulty)",
            "the index slow is not one the program makes", true },
        { "the settings missing", "DROP TABLE karte_study_settings", "the table karte_study_settings is missing",
            true },
        { "stability as text", "UPDATE karte_study_memory SET stability = 'NaN' WHERE card = 3",
            "The progress of 1 card had a stability that is not a finite number of days of at least 0 (card 3); "
            "it is studied as new again.",
            false, 1, 2 },
        { "infinite stability", "UPDATE karte_study_memory SET stability = 1e999",
            "The progress of 2 cards had a stability that is not a finite number of days of at least 0 (cards 2, "
            "3); they are studied as new again.",
            false, 0, 0 },
        { "difficulty under 1", "UPDATE karte_study_memory SET difficulty = 0.5 WHERE card = 2",
            "had a difficulty outside 1 to 10 (card 2)", false, 1, 1 },
        { "unknown state", "UPDATE karte_study_memory SET state = 7 WHERE card = 3", "had an unknown state (card 3)",
            false, 1, 2 },
        { "the key of no card", "UPDATE karte_study_memory SET card = 99 WHERE card = 3",
            "had the key of no card in the set (card 99)", false, 1, 2 },
        { "an answer with an unknown grade", "UPDATE karte_study_log SET grade = 9 WHERE id = 2",
            "1 recorded answer had an unknown grade (answer 2); it is left out.", false, 2, 2 },
        { "answers to a card gone", "UPDATE karte_study_log SET card = 42 WHERE card = 2",
            "2 recorded answers had the key of no card in the set (answers 1, 3); they are left out.", false, 2, 1 },
    };
}

} // namespace

TEST(Study, DamagedProgressStillDrillsAndIsRefusedOrLeftOut)
{
    for (const Damage& damage : damages()) {
        SCOPED_TRACE(damage.name);
        testsupport::TempDir dir;
        const std::string path = dir.file("set.SDB");
        testsupport::makeCardSet(path, fiveCards()); // word, and, God, love, spirit: keys 1 to 5
        {
            Table table;
            openTable(table, path);
            table.study().recordAnswer(answer(2, 1000));
            table.study().recordAnswer(answer(3, 2000));
            table.study().recordAnswer(answer(2, 3000));
        }
        runSql(path, damage.sql);
        const std::string before = bytesOf(path);

        Table table;
        openTable(table, path);
        EXPECT_EQ(column(table), (std::vector<std::string> { "and", "God", "love", "spirit", "word" }));
        if (damage.refused) {
            DatabaseError error = errorOf([&] { table.study(); });
            EXPECT_EQ(error.code(), status::kCorruptFile);
            EXPECT_EQ(std::string(error.what()),
                "The study progress of this card set is damaged: " + damage.message + ". File: " + path);
        } else {
            StudyStore& study = table.study();
            std::string messages;
            for (const std::string& message : study.resetMessages())
                messages += message + "\n";
            EXPECT_NE(messages.find(damage.message), std::string::npos) << messages;
            EXPECT_EQ(study.loadMemories().size(), damage.memoriesLeft);
            EXPECT_EQ(study.reviewsSince(0).size(), damage.answersLeft);
            EXPECT_EQ(study.setting(studysetting::kBook), std::nullopt);
        }
        table.refresh();
        EXPECT_TRUE(bytesOf(path) == before) << "looking changed the file";

        if (damage.refused) {
            // Deleting a card leaves such tables alone rather than running what they hold.
            table.first();
            table.deleteRecord();
            EXPECT_EQ(storedColumn(path), (std::vector<std::string> { "God", "love", "spirit", "word" }));
        } else {
            // The first write deletes what was left out, so the next look has nothing to report.
            table.study().recordAnswer(answer(4, 4000));
            Table again;
            openTable(again, path);
            EXPECT_TRUE(again.study().resetMessages().empty());
            EXPECT_EQ(again.study().loadMemories().size(), damage.memoriesLeft + 1);
        }
    }
}
