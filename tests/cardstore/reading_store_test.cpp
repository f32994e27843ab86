// The Reader's state kept in a set: made by the first write, read back, refused whole when its tables are of another
// shape and left out row by row when a row cannot be used, kept encrypted in a protected set, and never half
// written.
#include "enginetest.h"
#include "failingvfs.h"
#include "protectedtest.h"
#include "readingstore.h"
#include "studytest.h"

using namespace cardstore;
using namespace enginetest;

namespace {

// The text's places as the Reader would check them: John has 21 chapters of 50 verses, and no other book exists.
bool inJohn(std::string_view book, int chapter, int verse)
{
    return book == "Jn" && chapter <= 21 && verse <= 50;
}

std::string placeOf(const ReadingState& state)
{
    return state.place
        ? state.place->book + " " + std::to_string(state.place->chapter) + ":" + std::to_string(state.place->verse)
        : "none";
}

std::string marksOf(const ReadingState& state)
{
    std::string marks;
    for (const ReadingPlace& chapter : state.read)
        marks += (marks.empty() ? "" : ", ") + chapter.book + " " + std::to_string(chapter.chapter);
    return marks;
}

ReadingState stateIn(const std::string& path)
{
    Table table;
    openTable(table, path);
    return table.reading().load(inJohn);
}

} // namespace

TEST(ReadingStore, KeepsThePlaceTheMarksAndTheGlossesFromTheFirstWriteOn)
{
    testsupport::TempDir dir;
    const std::string path = dir.file("set.SDB");
    testsupport::makeCardSet(path, fiveCards());
    const std::string pristine = bytesOf(path);
    {
        Table table;
        openTable(table, path);
        const ReadingState fresh = table.reading().load(inJohn);
        EXPECT_EQ(placeOf(fresh), "none");
        EXPECT_EQ(fresh.glosses, std::nullopt);
        EXPECT_EQ(fresh.rarerThan, std::nullopt);
        EXPECT_TRUE(fresh.problems.empty());
    }
    EXPECT_TRUE(bytesOf(path) == pristine) << "a set never read changed";

    Table table;
    openTable(table, path);
    ReadingStore& reading = table.reading();
    reading.setPlace({ "Jn", 3, 16 });
    reading.markRead("Jn", 2, true);
    reading.markRead("Jn", 1, true);
    reading.markRead("Jn", 2, true);
    reading.markRead("Jn", 3, true);
    reading.markRead("Jn", 2, false);
    reading.setGlosses(ReadingGlosses::RarerThan, 50);
    reading.setPlace({ "Jn", 4, 0 });
    const ReadingState kept = stateIn(path);
    EXPECT_EQ(placeOf(kept), "Jn 4:0");
    EXPECT_EQ(marksOf(kept), "Jn 1, Jn 3");
    EXPECT_EQ(kept.glosses, ReadingGlosses::RarerThan);
    EXPECT_EQ(kept.rarerThan, 50);
    EXPECT_TRUE(kept.problems.empty());
    // The cards and the study progress are as they were.
    EXPECT_EQ(storedColumn(path), (std::vector<std::string> { "and", "God", "love", "spirit", "word" }));
    EXPECT_TRUE(studytest::storedLog(path).empty());
}

TEST(ReadingStore, AFailingOrRefusedWriteLeavesTheFileAsItWas)
{
    testsupport::TempDir dir;
    const std::string path = dir.file("set.SDB");
    testsupport::makeCardSet(path, fiveCards());
    for (bool readBefore : { false, true }) {
        SCOPED_TRACE(readBefore ? "a later write" : "the first write, which makes the tables");
        if (readBefore) {
            Table table;
            openTable(table, path);
            table.reading().setPlace({ "Jn", 1, 0 });
        }
        const std::string before = bytesOf(path);
        testsupport::FailingVfs vfs(0);
        bool succeeded = false;
        int failures = 0;
        for (int failAt = 1; failAt <= 40 && !succeeded; ++failAt) {
            Table table;
            openTable(table, path);
            vfs.failAt(failAt);
            try {
                table.reading().markRead("Jn", 7, true);
                succeeded = true;
            } catch (const DatabaseError& error) {
                ++failures;
                EXPECT_EQ(error.code(), status::kIoError) << error.what();
                vfs.failAt(0);
                // The next read puts the file back from its journal, as it does after a failed card write.
                table.refresh();
                EXPECT_EQ(marksOf(table.reading().load(inJohn)), "");
                table.close();
                EXPECT_TRUE(bytesOf(path) == before) << "failing write " << failAt;
            }
        }
        vfs.failAt(0);
        EXPECT_TRUE(succeeded);
        EXPECT_GE(failures, 2);
        EXPECT_EQ(marksOf(stateIn(path)), "Jn 7");
        Table table;
        openTable(table, path);
        table.reading().markRead("Jn", 7, false);
    }

    const std::string before = bytesOf(path);
    Table readOnly;
    readOnly.setReadOnly(true);
    openTable(readOnly, path);
    EXPECT_FALSE(readOnly.reading().canSave());
    EXPECT_EQ(errorOf([&] { readOnly.reading().setGlosses(ReadingGlosses::None, 30); }).code(), status::kDataset);
    EXPECT_TRUE(bytesOf(path) == before);
}

TEST(ReadingStore, DamagedStateIsRefusedWholeOrItsBadRowsLeftOutAndNamed)
{
    struct Damage
    {
        const char* name;
        std::string sql; // run on a set whose state is John 3:16, chapters 1 and 2 read, glosses rarer than 40
        std::string message; // the error's detail, or the problem named
        bool refused = false;
        std::string place = "Jn 3:16";
        std::string marks = "Jn 1, Jn 2";
    };
    const Damage damages[] = {
        { "a view under the chapters' name",
            "DROP TABLE karte_reading_chapters; CREATE VIEW karte_reading_chapters AS SELECT 'Jn' AS book",
            "karte_reading_chapters is a view, not a table", true },
        { "a column more",
            "DROP TABLE karte_reading_settings; CREATE TABLE karte_reading_settings(key TEXT PRIMARY KEY, value TEXT "
            "NOT NULL, more BLOB)",
            "the table karte_reading_settings is not as the program makes it", true },
        { "a trigger", "CREATE TRIGGER wipe AFTER INSERT ON karte_reading_chapters BEGIN DELETE FROM cards; END",
            "a trigger wipe is attached to its tables", true },
        { "a place past the text", "UPDATE karte_reading_settings SET value = 'Jn 30:1' WHERE key = 'place'",
            "The last place read (“Jn 30:1”) is not one of the New Testament", false, "none" },
        { "a place that is no place", "UPDATE karte_reading_settings SET value = 'here' WHERE key = 'place'",
            "The last place read (“here”) is not one", false, "none" },
        { "an unknown choice of glosses", "UPDATE karte_reading_settings SET value = 'some' WHERE key = 'glosses'",
            "The choice of the words to gloss (“some”) is not one this program knows" },
        { "a count that is none", "UPDATE karte_reading_settings SET value = '-5' WHERE key = 'rarer-than'",
            "(“-5”) is not a count from 1 on and is left out" },
        { "chapters of no book and none",
            "INSERT INTO karte_reading_chapters VALUES ('Zz', 2), ('Jn', 0), ('Jn', 'three'), (x'4a6e', 4)",
            "4 chapters marked as read are not ones of the New Testament and are left out: “Zz 2”, “Jn 0”, "
            "“Jn three”, “Jn 4”" },
        { "a setting of a later program", "INSERT INTO karte_reading_settings VALUES ('font', 'large')", "" },
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.name);
        testsupport::TempDir dir;
        const std::string path = dir.file("set.SDB");
        testsupport::makeCardSet(path, fiveCards());
        {
            Table table;
            openTable(table, path);
            table.reading().setPlace({ "Jn", 3, 16 });
            table.reading().markRead("Jn", 1, true);
            table.reading().markRead("Jn", 2, true);
            table.reading().setGlosses(ReadingGlosses::RarerThan, 40);
        }
        studytest::runSql(path, damage.sql);
        const std::string before = bytesOf(path);

        Table table;
        openTable(table, path);
        EXPECT_EQ(column(table).size(), 5u); // the cards still open
        if (damage.refused) {
            const DatabaseError error = errorOf([&] { table.reading().load(inJohn); });
            EXPECT_EQ(error.code(), status::kCorruptFile);
            EXPECT_EQ(std::string(error.what()),
                "The reading state of this card set is damaged: " + damage.message + ". File: " + path);
            EXPECT_EQ(errorOf([&] { table.reading().markRead("Jn", 5, true); }).code(), status::kCorruptFile);
            EXPECT_TRUE(bytesOf(path) == before) << "the file changed";
            continue;
        }
        const ReadingState state = table.reading().load(inJohn);
        EXPECT_TRUE(bytesOf(path) == before) << "looking changed the file";
        ASSERT_EQ(state.problems.size(), damage.message.empty() ? 0u : 1u);
        if (!damage.message.empty()) {
            EXPECT_NE(state.problems[0].find(damage.message), std::string::npos) << state.problems[0];
        }
        EXPECT_EQ(placeOf(state), damage.place);
        EXPECT_EQ(marksOf(state), damage.marks);
        // The next write deletes what was left out, and leaves a later program's rows alone.
        table.reading().markRead("Jn", 5, true);
        const ReadingState after = stateIn(path);
        EXPECT_TRUE(after.problems.empty());
        EXPECT_EQ(marksOf(after), damage.marks + ", Jn 5");
    }
}

using protectedtest::ProtectedSetTest;

TEST_F(ProtectedSetTest, TheReadingStateOfAProtectedSetIsSealedWithItsCards)
{
    const std::string path = protectedSet("a.SDB", "pw");
    Session::instance().addPassword("pw");
    {
        Table table;
        openTable(table, path);
        table.study().recordAnswer(studytest::answer(studytest::keysOf(table)[0], 1000)); // waits to be sealed
        table.reading().setPlace({ "Jn", 11, 35 });
        table.reading().markRead("Jn", 11, true);
        EXPECT_FALSE(table.study().hasUnsealedAnswers()); // the reading write sealed it with the set
    }
    const std::string bytes = bytesOf(path);
    EXPECT_TRUE(isProtectedCardSet(path));
    for (const char* plain : { "karte_reading", "Jn 11:35" })
        EXPECT_FALSE(protectedtest::contains(bytes, plain)) << plain;
    const ReadingState state = stateIn(path);
    EXPECT_EQ(placeOf(state), "Jn 11:35");
    EXPECT_EQ(marksOf(state), "Jn 11");
    EXPECT_EQ(studytest::storedLog(path).size(), 1u);
}
