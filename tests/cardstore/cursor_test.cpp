// The cursor rules callers rely on: flags after every move, deletes, refreshes against a second connection and
// index switches.

#include "cardtable.h"
#include "enginetest.h"

#include <climits>

using namespace cardstore;
using namespace enginetest;

namespace {

enum class Op { Open, First, Last, Next, Prior, MoveBy };

struct Step
{
    Op op;
    int distance; // for MoveBy
    const char* current; // English of the current record, "" for none
    bool bof;
    bool eof;
    int moved; // what MoveBy/Next/Prior report
};

struct Walk
{
    const char* name;
    std::vector<Card> cards;
    std::vector<Step> steps;
};

const char* opName(Op op)
{
    static const char* const names[] = { "open", "first", "last", "next", "prior", "moveBy" };
    return names[static_cast<int>(op)];
}

std::vector<Walk> walks()
{
    const std::vector<Card> three = { { "gamma", "γ", 3 }, { "alpha", "α", 1 }, { "beta", "β", 2 } };
    return {
        { "three records, every move at both ends", three,
            {
                { Op::Open, 0, "alpha", true, false, 0 },
                { Op::Next, 0, "beta", false, false, 1 },
                { Op::Next, 0, "gamma", false, false, 1 },
                { Op::Next, 0, "gamma", false, true, 0 }, // passing the last sets end-of-table
                { Op::Next, 0, "gamma", false, true, 0 }, // no effect with end-of-table set
                { Op::Prior, 0, "beta", false, false, -1 },
                { Op::Prior, 0, "alpha", false, false, -1 },
                { Op::Prior, 0, "alpha", true, false, 0 }, // passing the first sets start-of-table
                { Op::Prior, 0, "alpha", true, false, 0 },
                { Op::MoveBy, 0, "alpha", true, false, 0 },
                { Op::Last, 0, "gamma", false, true, 0 },
                { Op::MoveBy, 0, "gamma", false, true, 0 },
                { Op::Prior, 0, "beta", false, false, -1 },
                { Op::First, 0, "alpha", true, false, 0 },
                { Op::Next, 0, "beta", false, false, 1 },
                { Op::Last, 0, "gamma", false, true, 0 },
            } },
        { "large jumps stop on the end record", three,
            {
                { Op::Open, 0, "alpha", true, false, 0 },
                { Op::MoveBy, 1000, "gamma", false, true, 2 },
                { Op::MoveBy, 1000, "gamma", false, true, 0 },
                { Op::MoveBy, -1000, "alpha", true, false, -2 },
                { Op::MoveBy, 2, "gamma", false, false, 2 }, // landing on the last is not passing it
                { Op::MoveBy, 1, "gamma", false, true, 0 },
                { Op::MoveBy, -2, "alpha", false, false, -2 },
                { Op::MoveBy, INT_MIN, "alpha", true, false, 0 },
                { Op::MoveBy, INT_MAX, "gamma", false, true, 2 },
            } },
        { "a single record", { { "only", "μόνος", 1 } },
            {
                { Op::Open, 0, "only", true, false, 0 },
                { Op::Next, 0, "only", false, true, 0 },
                { Op::Prior, 0, "only", true, false, 0 },
                { Op::Last, 0, "only", false, true, 0 },
                { Op::First, 0, "only", true, false, 0 },
                { Op::MoveBy, 5, "only", false, true, 0 },
            } },
        { "an empty set has both flags set whatever moves", {},
            {
                { Op::Open, 0, "", true, true, 0 },
                { Op::First, 0, "", true, true, 0 },
                { Op::Next, 0, "", true, true, 0 },
                { Op::Last, 0, "", true, true, 0 },
                { Op::Prior, 0, "", true, true, 0 },
                { Op::MoveBy, 7, "", true, true, 0 },
                { Op::MoveBy, -7, "", true, true, 0 },
                { Op::MoveBy, 0, "", true, true, 0 },
            } },
    };
}

} // namespace

TEST(Cursor, FlagsAfterEveryMove)
{
    for (const Walk& walk : walks()) {
        SCOPED_TRACE(walk.name);
        testsupport::TempDir dir;
        testsupport::makeCardSet(dir.file("walk.SDB"), walk.cards);
        Table table;
        table.setTableName(dir.file("walk.SDB"));
        int stepNumber = 0;
        for (const Step& step : walk.steps) {
            SCOPED_TRACE(std::to_string(++stepNumber) + ": " + opName(step.op) + " " + std::to_string(step.distance));
            int moved = 0;
            switch (step.op) {
            case Op::Open:
                table.open();
                break;
            case Op::First:
                table.first();
                break;
            case Op::Last:
                table.last();
                break;
            case Op::Next:
                moved = table.moveBy(1);
                break;
            case Op::Prior:
                moved = table.moveBy(-1);
                break;
            case Op::MoveBy:
                moved = table.moveBy(step.distance);
                break;
            }
            EXPECT_EQ(table.fieldText("English"), step.current);
            EXPECT_EQ(table.bof(), step.bof);
            EXPECT_EQ(table.eof(), step.eof);
            EXPECT_EQ(moved, step.moved);
        }
    }
}

TEST(Cursor, EmptySetReportsNoRecord)
{
    testsupport::TempDir dir;
    testsupport::makeCardSet(dir.file("empty.SDB"), {});
    Table table;
    openTable(table, dir.file("empty.SDB"));
    EXPECT_EQ(table.recordCount(), 0);
    EXPECT_EQ(table.sequenceNumber(), 0);
    EXPECT_EQ(recordPosition(table), 0);
    EXPECT_EQ(table.fieldText("Frequency"), "");
    // The word list's loop reads once and stops: First sets end-of-table on an empty set.
    EXPECT_EQ(column(table), std::vector<std::string> {});
}

TEST(Cursor, SequenceNumberIsThePlaceInTheActiveOrder)
{
    testsupport::TempDir dir;
    testsupport::makeBuiltInLikeSet(dir.file("b.db"), fiveCards());
    Table table;
    openTable(table, dir.file("b.db"));
    EXPECT_EQ(table.recordNumbering(), RecordNumbering::Sequence);
    // No primary index: the natural order is the order the cards were stored in.
    EXPECT_EQ(column(table), (std::vector<std::string> { "word", "and", "God", "love", "spirit" }));
    ASSERT_TRUE(moveToText(table, "God"));
    EXPECT_EQ(recordPosition(table), 3);
    table.setIndexName("EnglishIndex");
    EXPECT_EQ(table.fieldText("English"), "God");
    EXPECT_EQ(recordPosition(table), 2);
    table.setIndexName("FrequencyIndex"); // 116, 330, 379, 1317, 8973
    EXPECT_EQ(table.fieldText("English"), "God");
    EXPECT_EQ(recordPosition(table), 4);
    table.last();
    EXPECT_EQ(recordPosition(table), 5);
}

TEST(Cursor, IndexSwitchKeepsTheRecordAndLeavesMovesFree)
{
    testsupport::TempDir dir;
    testsupport::makeBuiltInLikeSet(dir.file("b.db"), fiveCards());
    Table table;
    openTable(table, dir.file("b.db"), "LanguageIndex"); // ἀγάπη, θεός, καί, λόγος, πνεῦμα
    EXPECT_EQ(column(table, "Language"), (std::vector<std::string> { "ἀγάπη", "θεός", "καί", "λόγος", "πνεῦμα" }));

    table.first(); // ἀγάπη: start-of-table set
    table.setIndexName("EnglishIndex"); // love is fourth of five here
    EXPECT_EQ(table.fieldText("English"), "love");
    EXPECT_EQ(table.moveBy(-1), -1); // a record before it exists, so Prior must reach it
    EXPECT_EQ(table.fieldText("English"), "God");

    table.last(); // word: end-of-table set
    table.setIndexName(""); // natural order: word is first, and more follow
    EXPECT_EQ(table.fieldText("English"), "word");
    EXPECT_EQ(table.moveBy(1), 1);
    EXPECT_EQ(table.fieldText("English"), "and");

    DatabaseError error = errorOf([&] { table.setIndexName("NoSuchIndex"); });
    EXPECT_EQ(error.code(), status::kIndexNotFound);
    EXPECT_STREQ(error.what(), "Index does not exist. Index: NoSuchIndex");
    EXPECT_EQ(table.fieldText("English"), "and");
    EXPECT_EQ(table.indexName(), "");
}

struct DeleteCase
{
    const char* name;
    std::vector<Card> cards;
    const char* deleted;
    const char* currentAfter;
    bool bofAfter, eofAfter;
};

TEST(Cursor, DeleteMakesTheNextRecordCurrentElseThePrevious)
{
    const std::vector<DeleteCase> cases = {
        { "first", fiveCards(), "and", "God", false, false },
        { "middle", fiveCards(), "love", "spirit", false, false },
        { "at the end", fiveCards(), "word", "spirit", false, false },
        { "the only record", { { "only", "μόνος", 1 } }, "only", "", true, true },
    };
    for (const DeleteCase& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::TempDir dir;
        testsupport::makeCardSet(dir.file("d.SDB"), c.cards);
        Table table;
        int afterDeleteCalls = 0;
        int countSeenByAfterDelete = -1;
        table.afterDelete = [&](Table& t) {
            ++afterDeleteCalls;
            countSeenByAfterDelete = t.recordCount();
        };
        openTable(table, dir.file("d.SDB"));
        ASSERT_TRUE(moveToText(table, c.deleted));
        table.deleteRecord();
        EXPECT_EQ(table.fieldText("English"), c.currentAfter);
        EXPECT_EQ(table.bof(), c.bofAfter);
        EXPECT_EQ(table.eof(), c.eofAfter);
        EXPECT_EQ(table.state(), DataSetState::Browse);
        EXPECT_EQ(afterDeleteCalls, 1);
        EXPECT_EQ(countSeenByAfterDelete, static_cast<int>(c.cards.size()) - 1);
        std::vector<std::string> remaining = storedColumn(dir.file("d.SDB"));
        EXPECT_EQ(remaining.size(), c.cards.size() - 1);
        EXPECT_EQ(std::count(remaining.begin(), remaining.end(), c.deleted), 0);
    }
}

TEST(Cursor, DeleteOnAnEmptySetOrWhileInsertingDeletesNothing)
{
    testsupport::TempDir dir;
    testsupport::makeCardSet(dir.file("d.SDB"), { { "one", "εἷς", 1 } });
    Table table;
    int afterDeleteCalls = 0;
    table.afterDelete = [&](Table&) { ++afterDeleteCalls; };
    openTable(table, dir.file("d.SDB"));
    table.insert();
    table.setFieldText("English", "two");
    table.deleteRecord(); // abandons the insertion
    EXPECT_EQ(table.state(), DataSetState::Browse);
    EXPECT_EQ(table.recordCount(), 1);
    EXPECT_EQ(table.fieldText("English"), "one");
    table.deleteRecord();
    DatabaseError error = errorOf([&] { table.deleteRecord(); });
    EXPECT_STREQ(error.what(), "Cannot perform this operation on an empty dataset");
    EXPECT_EQ(afterDeleteCalls, 1);
}

struct RefreshCase
{
    const char* name;
    const char* currentBefore;
    std::vector<const char*> deletedByOther;
    std::vector<Card> addedByOther;
    const char* currentAfter;
    int sequenceAfter;
};

TEST(Cursor, RefreshSeesAnotherConnectionsChanges)
{
    const std::vector<RefreshCase> cases = {
        { "nothing changed", "love", {}, {}, "love", 3 },
        { "another record deleted", "love", { "and" }, {}, "love", 2 },
        { "current deleted: the next", "love", { "love" }, {}, "spirit", 3 },
        { "current and next deleted: the one after", "God", { "God", "love" }, {}, "spirit", 2 },
        { "current deleted at the end: the one before", "word", { "word" }, {}, "spirit", 4 },
        { "everything after deleted: the one before", "love", { "love", "spirit", "word" }, {}, "God", 2 },
        { "records added before and after", "love", {}, { { "all", "πᾶς", 1243 }, { "zeal", "ζῆλος", 16 } }, "love",
            4 },
        // The record now following the gone one's place, even one the other connection added there.
        { "current deleted, one added after it", "love", { "love" }, { { "man", "ἄνθρωπος", 550 } }, "man", 3 },
        { "current deleted, one added at the end", "word", { "word" }, { { "zeal", "ζῆλος", 16 } }, "zeal", 5 },
    };
    for (const RefreshCase& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::TempDir dir;
        const std::string path = dir.file("r.SDB");
        testsupport::makeCardSet(path, fiveCards());
        Table table;
        openTable(table, path);
        ASSERT_TRUE(moveToText(table, c.currentBefore));
        {
            Table other;
            openTable(other, path);
            for (const char* english : c.deletedByOther) {
                ASSERT_TRUE(moveToText(other, english));
                other.deleteRecord();
            }
            for (const Card& card : c.addedByOther) {
                other.insert();
                other.setFieldText("English", card.english);
                other.setFieldText("Language", card.language);
                other.post();
            }
        }
        int changes = 0;
        table.addListener([&](DataEvent event, int) { changes += event == DataEvent::DataSetChange; });
        table.refresh();
        EXPECT_EQ(changes, 1);
        EXPECT_EQ(table.fieldText("English"), c.currentAfter);
        EXPECT_EQ(table.sequenceNumber(), c.sequenceAfter);
        EXPECT_EQ(table.recordCount(),
            5 - static_cast<int>(c.deletedByOther.size()) + static_cast<int>(c.addedByOther.size()));
        EXPECT_EQ(column(table), storedColumn(path));
    }
}

TEST(Cursor, RefreshAfterEverythingWasDeletedElsewhereLeavesAnEmptySet)
{
    testsupport::TempDir dir;
    const std::string path = dir.file("r.SDB");
    testsupport::makeCardSet(path, { { "a", "α", 1 }, { "b", "β", 2 } });
    Table table;
    openTable(table, path);
    table.next();
    {
        Table other;
        openTable(other, path);
        other.deleteRecord();
        other.deleteRecord();
    }
    table.refresh();
    EXPECT_EQ(table.recordCount(), 0);
    EXPECT_TRUE(table.bof());
    EXPECT_TRUE(table.eof());
    EXPECT_EQ(table.fieldText("English"), "");
    EXPECT_EQ(table.sequenceNumber(), 0);
}

TEST(Cursor, RefreshLetsNextReachRecordsAddedAfterTheLast)
{
    testsupport::TempDir dir;
    const std::string path = dir.file("r.SDB");
    testsupport::makeCardSet(path, { { "a", "α", 1 }, { "b", "β", 2 } });
    Table table;
    openTable(table, path);
    table.last();
    table.next(); // end-of-table set on b
    {
        Table other;
        openTable(other, path);
        other.insert();
        other.setFieldText("English", "c");
        other.setFieldText("Language", "γ");
        other.post();
    }
    table.refresh();
    EXPECT_EQ(table.fieldText("English"), "b");
    EXPECT_EQ(table.moveBy(1), 1);
    EXPECT_EQ(table.fieldText("English"), "c");
}

TEST(Cursor, PostingARecordAnotherConnectionDeletedFails)
{
    testsupport::TempDir dir;
    const std::string path = dir.file("r.SDB");
    testsupport::makeCardSet(path, fiveCards());
    Table table;
    openTable(table, path);
    ASSERT_TRUE(moveToText(table, "love"));
    table.edit();
    table.setFieldText("Language", "ἀγαπάω");
    {
        Table other;
        openTable(other, path);
        ASSERT_TRUE(moveToText(other, "love"));
        other.deleteRecord();
    }
    DatabaseError error = errorOf([&] { table.post(); });
    EXPECT_EQ(error.code(), status::kRecordDeleted);
    EXPECT_EQ(std::string(error.what()).rfind("Record has been deleted by another user. File: ", 0), 0u);
    EXPECT_EQ(table.state(), DataSetState::Edit);
    table.cancel();
    table.refresh();
    EXPECT_EQ(table.fieldText("English"), "spirit");
    EXPECT_EQ(table.recordCount(), 4);
}
