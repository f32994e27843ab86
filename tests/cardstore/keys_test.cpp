// Key-entry mode, exact key search, index order and the notifications the bound controls live on.

#include "cardtable.h"
#include "enginetest.h"

using namespace cardstore;
using namespace enginetest;

namespace {

// Searches key on the named index of the table, as the word-list jump does.
bool jump(Table& table, const std::string& index, const std::string& field, const std::string& key)
{
    table.setIndexName(index);
    table.setKey();
    table.setFieldText(field, key);
    bool found = table.gotoKey();
    table.setIndexName("");
    return found;
}

std::vector<Card> builtInCards()
{
    return {
        { "bank", "τράπεζα", 15 },
        { "word", "λόγος", 330 },
        { "Word", "ῥῆμα", 68 },
        { "bank", "ὄχθη", 0 },
        { "light", "φῶς", 73 },
        { "word", "ῥῆμα-2", 330 },
        { "without count", "ἄνευ", std::nullopt },
    };
}

} // namespace

TEST(Keys, SearchFindsTheFirstEqualKeyInIndexOrder)
{
    struct Case
    {
        const char* index;
        const char* field;
        const char* key;
        const char* foundLanguage; // nullptr: not found
    };
    const std::vector<Case> cases = {
        { "EnglishIndex", "English", "bank", "τράπεζα" }, // equal keys: insertion order
        { "EnglishIndex", "English", "word", "λόγος" },
        { "EnglishIndex", "English", "Word", "ῥῆμα" }, // case decides on a case-sensitive index
        { "EnglishIndex", "English", "WORD", nullptr },
        { "EnglishIndex", "English", "wor", nullptr }, // a prefix is no match
        { "EnglishIndex", "English", "words", nullptr },
        { "LanguageIndex", "Language", "φῶς", "φῶς" },
        { "LanguageIndex", "Language", "φως", nullptr }, // accents count
        { "FrequencyIndex", "Frequency", "330", "λόγος" },
        { "FrequencyIndex", "Frequency", "330.0", "λόγος" }, // numbers compare as numbers
        { "FrequencyIndex", "Frequency", "0", "ὄχθη" }, // zero is a value, not an empty field
        { "FrequencyIndex", "Frequency", "331", nullptr },
    };
    testsupport::TempDir dir;
    testsupport::makeBuiltInLikeSet(dir.file("cardsfrq.db"), builtInCards());
    Table table;
    openTable(table, dir.file("cardsfrq.db"));
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.index) + " " + c.key);
        ASSERT_TRUE(moveToText(table, "light"));
        bool found = jump(table, c.index, c.field, c.key);
        EXPECT_EQ(found, c.foundLanguage != nullptr);
        EXPECT_EQ(table.fieldText("Language"), c.foundLanguage ? c.foundLanguage : "φῶς");
        EXPECT_FALSE(table.bof());
        EXPECT_FALSE(table.eof());
        EXPECT_EQ(table.state(), DataSetState::Browse);
    }
}

TEST(Keys, IndexOrderIsCollationOrderWithEmptyValuesFirstAndTiesInInsertionOrder)
{
    testsupport::TempDir dir;
    testsupport::makeBuiltInLikeSet(dir.file("cardsfrq.db"), builtInCards());
    Table table;
    openTable(table, dir.file("cardsfrq.db"), "EnglishIndex");
    EXPECT_EQ(column(table, "Language"),
        (std::vector<std::string> { "τράπεζα", "ὄχθη", "φῶς", "ἄνευ", "λόγος", "ῥῆμα-2", "ῥῆμα" }));
    table.setIndexName("FrequencyIndex");
    EXPECT_EQ(column(table, "Frequency"), (std::vector<std::string> { "", "0", "15", "68", "73", "330", "330" }));
    EXPECT_EQ(column(table, "Language")[5], "λόγος");

    // A card posted with an equal key goes after the ones already there, and stays after an edit.
    table.setIndexName("EnglishIndex");
    table.insert();
    table.setFieldText("English", "bank");
    table.setFieldText("Language", "θησαυρός");
    table.post();
    EXPECT_EQ(table.sequenceNumber(), 3);
    table.first();
    table.edit();
    table.setFieldText("Frequency", "16");
    table.post();
    EXPECT_EQ(table.sequenceNumber(), 1);
    EXPECT_EQ(column(table, "Language")[2], "θησαυρός");
    table.close();
    table.open(); // the order survives a reload
    EXPECT_EQ(column(table, "Language")[2], "θησαυρός");
}

TEST(Keys, CaseInsensitiveIndexMatchesAnyCase)
{
    testsupport::TempDir dir;
    Table table;
    table.setTableName(dir.file("ci.SDB"));
    table.fieldDefs() = cardFieldDefs();
    table.indexDefs() = { { "EnglishIndex", "English", indexoption::kPrimary | indexoption::kCaseInsensitive } };
    table.createTable();
    table.open();
    table.appendRecords({ { "Lord", "κύριος" }, { "lord", "δεσπότης" }, { "light", "φῶς" } });
    EXPECT_TRUE(jump(table, "", "English", "LORD"));
    EXPECT_EQ(table.fieldText("Language"), "κύριος");
    EXPECT_EQ(column(table), (std::vector<std::string> { "light", "Lord", "lord" }));
}

TEST(Keys, KeyEntryMode)
{
    testsupport::TempDir dir;
    testsupport::makeCardSet(dir.file("k.SDB"), fiveCards());
    Table table;
    openTable(table, dir.file("k.SDB"));

    table.setKey();
    EXPECT_EQ(table.state(), DataSetState::SetKey);
    DatabaseError error = errorOf([&] { table.setFieldText("Language", "λόγος"); });
    EXPECT_STREQ(error.what(), "Field 'Language' is not indexed and cannot be modified");
    EXPECT_EQ(table.state(), DataSetState::SetKey);
    table.setFieldText("English", "love");
    EXPECT_EQ(table.fieldText("English"), "love"); // the key, not the record

    table.last(); // leaving key entry by a move keeps the key
    EXPECT_EQ(table.state(), DataSetState::Browse);
    EXPECT_EQ(table.fieldText("English"), "word");
    EXPECT_TRUE(table.gotoKey());
    EXPECT_EQ(table.fieldText("English"), "love");

    table.editKey(); // keeps the earlier key values
    EXPECT_EQ(table.fieldText("English"), "love");
    table.setFieldText("English", "spirit");
    table.cancel(); // restores the earlier key
    table.first();
    EXPECT_TRUE(table.gotoKey());
    EXPECT_EQ(table.fieldText("English"), "love");

    table.setKey(); // clears the key
    EXPECT_EQ(table.fieldText("English"), "");
    table.setFieldText("English", "nothing");
    EXPECT_FALSE(table.gotoKey());
    EXPECT_EQ(table.fieldText("English"), "love"); // not found: nothing moves

    // In a set whose primary order is natural, no field can be a key.
    testsupport::makeBuiltInLikeSet(dir.file("b.db"), fiveCards());
    Table builtIn;
    openTable(builtIn, dir.file("b.db"));
    builtIn.setKey();
    EXPECT_STREQ(errorOf([&] { builtIn.setFieldText("English", "love"); }).what(),
        "Field 'English' is not indexed and cannot be modified");
}

TEST(Keys, UniqueIndexRefusesADuplicateKey)
{
    testsupport::TempDir dir;
    Table table;
    table.setTableName(dir.file("u.SDB"));
    table.fieldDefs() = cardFieldDefs();
    table.indexDefs() = { { "EnglishIndex", "English", indexoption::kPrimary | indexoption::kUnique } };
    table.createTable();
    table.open();
    table.appendRecords({ { "one", "εἷς" }, { "two", "δύο" } });
    table.insert();
    table.setFieldText("English", "two");
    table.setFieldText("Language", "δύω");
    DatabaseError error = errorOf([&] { table.post(); });
    EXPECT_EQ(error.code(), status::kKeyViolation);
    EXPECT_STREQ(error.what(), "Key violation. Index: EnglishIndex");
    EXPECT_EQ(table.state(), DataSetState::Insert);
    table.cancel();
    // Posting a record with its own unchanged key is no violation.
    table.last();
    table.edit();
    table.setFieldText("Language", "δύω");
    table.post();
    EXPECT_EQ(column(table, "Language"), (std::vector<std::string> { "εἷς", "δύω" }));
}

TEST(Keys, Notifications)
{
    testsupport::TempDir dir;
    testsupport::makeCardSet(dir.file("n.SDB"), fiveCards());
    Table table;
    std::vector<std::string> log;
    // In the order of DataEvent.
    const char* const names[]
        = { "DataSetChange", "RecordChange", "FieldChange", "StateChange", "UpdateRecord", "Closed" };
    auto name = [&](DataEvent event) { return names[static_cast<int>(event)]; };
    table.addListener([&](DataEvent event, int field) {
        log.push_back(std::string(name(event)) + (field >= 0 ? "(" + std::to_string(field) + ")" : ""));
    });
    table.afterPost = [&](Table& t) { log.push_back("afterPost " + t.fieldText("English")); };
    table.afterDelete = [&](Table& t) { log.push_back("afterDelete " + std::to_string(t.recordCount())); };
    auto take = [&] { return std::exchange(log, {}); };
    using Log = std::vector<std::string>;

    openTable(table, dir.file("n.SDB"));
    EXPECT_EQ(take(), Log { "DataSetChange" });
    table.next();
    EXPECT_EQ(take(), Log { "RecordChange" });
    table.moveBy(0);
    EXPECT_EQ(take(), Log {});
    table.last();
    EXPECT_EQ(take(), Log { "RecordChange" });
    table.next(); // end-of-table already set: no move, no notification
    EXPECT_EQ(take(), Log {});
    table.edit();
    table.setFieldText("Frequency", "331");
    EXPECT_EQ(take(), (Log { "StateChange", "FieldChange(4)" }));
    table.post();
    EXPECT_EQ(take(), (Log { "UpdateRecord", "DataSetChange", "afterPost word" }));
    table.deleteRecord();
    EXPECT_EQ(take(), (Log { "DataSetChange", "afterDelete 4" }));
    table.refresh();
    EXPECT_EQ(take(), Log { "DataSetChange" });
    table.close();
    EXPECT_EQ(take(), Log { "Closed" });
}
