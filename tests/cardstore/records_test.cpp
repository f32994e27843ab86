// Record states, the browse-mode check, required fields, cut-to-size and the float field's text forms.

#include "cardtable.h"
#include "enginetest.h"
#include "textforms.h"

using namespace cardstore;
using namespace enginetest;

namespace {

class Records : public ::testing::Test
{
protected:
    void SetUp() override
    {
        testsupport::makeCardSet(path, fiveCards());
        table.afterPost = [this](Table&) { ++afterPostCalls; };
        openTable(table, path);
    }

    testsupport::TempDir dir;
    const std::string path = dir.file("cards.SDB");
    Table table;
    int afterPostCalls = 0;
};

struct CheckingOperation
{
    const char* name;
    std::function<void(Table&)> run;
    DataSetState stateAfter;
};

std::vector<CheckingOperation> checkingOperations()
{
    return {
        { "First", [](Table& t) { t.first(); }, DataSetState::Browse },
        { "Last", [](Table& t) { t.last(); }, DataSetState::Browse },
        { "Next", [](Table& t) { t.next(); }, DataSetState::Browse },
        { "Prior", [](Table& t) { t.prior(); }, DataSetState::Browse },
        { "MoveBy", [](Table& t) { t.moveBy(2); }, DataSetState::Browse },
        { "MoveBy(0)", [](Table& t) { t.moveBy(0); }, DataSetState::Browse },
        { "Refresh", [](Table& t) { t.refresh(); }, DataSetState::Browse },
        { "Insert", [](Table& t) { t.insert(); }, DataSetState::Insert },
        { "index switch", [](Table& t) { t.setIndexName("EnglishIndex"); }, DataSetState::Browse },
        { "key entry", [](Table& t) { t.setKey(); }, DataSetState::SetKey },
        { "key search", [](Table& t) { t.gotoKey(); }, DataSetState::Browse },
        { "browse-mode check", [](Table& t) { t.checkBrowseMode(); }, DataSetState::Browse },
    };
}

} // namespace

TEST_F(Records, BrowseModeCheckPostsAChangedEdit)
{
    for (const CheckingOperation& operation : checkingOperations()) {
        SCOPED_TRACE(operation.name);
        ASSERT_TRUE(moveToText(table, "love"));
        const std::string greek = std::string("ἀγάπη ") + operation.name;
        table.edit();
        table.setFieldText("Language", greek);
        afterPostCalls = 0;
        operation.run(table);
        EXPECT_EQ(table.state(), operation.stateAfter);
        EXPECT_EQ(afterPostCalls, 1);
        table.cancel();
        ASSERT_TRUE(moveToText(table, "love"));
        EXPECT_EQ(table.fieldText("Language"), greek);
        EXPECT_EQ(storedColumn(path, "Language")[2], greek);
    }
}

TEST_F(Records, BrowseModeCheckAbandonsAnUnchangedEditOrInsert)
{
    const std::string before = testsupport::readBytes(path);
    for (const CheckingOperation& operation : checkingOperations()) {
        SCOPED_TRACE(operation.name);
        for (bool inserting : { false, true }) {
            SCOPED_TRACE(inserting ? "insert" : "edit");
            ASSERT_TRUE(moveToText(table, "love"));
            inserting ? table.insert() : table.edit();
            afterPostCalls = 0;
            operation.run(table);
            EXPECT_EQ(table.state(), operation.stateAfter);
            EXPECT_EQ(afterPostCalls, 0);
            table.cancel();
            EXPECT_EQ(table.recordCount(), 5);
        }
    }
    EXPECT_TRUE(bytesOf(path) == before);
}

TEST_F(Records, BrowseModeCheckPostsAChangedInsert)
{
    table.insert();
    EXPECT_FALSE(table.bof());
    EXPECT_FALSE(table.eof());
    EXPECT_EQ(table.fieldText("English"), "");
    table.setFieldText("English", "grace");
    table.setFieldText("Language", "χάρις");
    table.next();
    EXPECT_EQ(afterPostCalls, 1);
    EXPECT_EQ(storedColumn(path), (std::vector<std::string> { "and", "God", "grace", "love", "spirit", "word" }));
}

TEST_F(Records, BoundControlsWriteTheirTextWhenAskedToUpdateTheRecord)
{
    std::string pending;
    table.addListener([&](DataEvent event, int) {
        if (event == DataEvent::UpdateRecord && !pending.empty())
            table.setFieldText("Language", std::exchange(pending, {}));
    });
    ASSERT_TRUE(moveToText(table, "word"));
    table.edit();
    pending = "ῥῆμα"; // typed into a box, not yet written to the record
    table.first();
    EXPECT_EQ(afterPostCalls, 1);
    EXPECT_EQ(storedColumn(path, "Language").back(), "ῥῆμα");
}

TEST_F(Records, PostedRecordMovesToItsSortedPlaceAndStaysCurrent)
{
    ASSERT_TRUE(moveToText(table, "and"));
    table.edit();
    table.setFieldText("English", "yes");
    table.post();
    EXPECT_EQ(table.fieldText("English"), "yes");
    EXPECT_EQ(table.sequenceNumber(), 5);
    EXPECT_FALSE(table.bof());
    EXPECT_FALSE(table.eof());
    table.insert();
    table.setFieldText("English", "hope");
    table.setFieldText("Language", "ἐλπίς");
    table.post();
    EXPECT_EQ(table.fieldText("English"), "hope");
    EXPECT_EQ(table.sequenceNumber(), 2);
    EXPECT_EQ(column(table), (std::vector<std::string> { "God", "hope", "love", "spirit", "word", "yes" }));
}

TEST_F(Records, EditOnAnEmptySetStartsAnInsert)
{
    testsupport::makeCardSet(dir.file("empty.SDB"), {});
    Table empty;
    openTable(empty, dir.file("empty.SDB"));
    empty.edit();
    EXPECT_EQ(empty.state(), DataSetState::Insert);
    empty.cancel();
    EXPECT_EQ(empty.state(), DataSetState::Browse);
    EXPECT_TRUE(empty.bof());
    EXPECT_TRUE(empty.eof());
}

TEST_F(Records, CancelRestoresTheRecord)
{
    ASSERT_TRUE(moveToText(table, "God"));
    table.edit();
    table.setFieldText("Language", "κύριος");
    EXPECT_TRUE(table.modified());
    EXPECT_EQ(table.fieldText("Language"), "κύριος");
    table.cancel();
    EXPECT_FALSE(table.modified());
    EXPECT_EQ(table.fieldText("Language"), "θεός");
    EXPECT_EQ(afterPostCalls, 0);
}

TEST_F(Records, RequiredFieldsMustHaveAValue)
{
    struct Case
    {
        const char* english;
        const char* language;
        const char* message;
    };
    const std::vector<Case> cases = {
        { "", "χάρις", "Field 'English' must have a value" },
        { "grace", "", "Field 'Language' must have a value" },
        { "", "", "Field 'English' must have a value" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.english) + "/" + c.language);
        table.insert();
        table.setFieldText("English", c.english);
        table.setFieldText("Language", c.language);
        table.setFieldText("Frequency", "155");
        EXPECT_STREQ(errorOf([&] { table.post(); }).what(), c.message);
        EXPECT_EQ(table.state(), DataSetState::Insert);
        // A move has to post first, so it fails the same way and the cursor stays put.
        EXPECT_STREQ(errorOf([&] { table.next(); }).what(), c.message);
        EXPECT_EQ(table.state(), DataSetState::Insert);
        table.cancel();
    }
    // The user fills the field and posts again.
    table.insert();
    table.setFieldText("Language", "χάρις");
    EXPECT_THROW(table.post(), DatabaseError);
    table.setFieldText("English", "grace");
    table.post();
    EXPECT_EQ(table.recordCount(), 6);
    EXPECT_EQ(afterPostCalls, 1);
}

TEST_F(Records, TextIsCutToTheFieldSizeInCharacters)
{
    auto repeat = [](const std::string& piece, int times) {
        std::string text;
        for (int i = 0; i < times; ++i)
            text += piece;
        return text;
    };
    struct Case
    {
        const char* field;
        std::string written;
        std::string stored;
    };
    const std::vector<Case> cases = {
        { "Language", repeat("λ", 150), repeat("λ", 150) }, // 300 bytes, 150 characters: fits
        { "Language", repeat("λ", 151), repeat("λ", 150) },
        { "Language", repeat("ῷ", 160), repeat("ῷ", 150) }, // three bytes each
        { "English", repeat("a", 100), repeat("a", 100) },
        { "English", repeat("a", 99) + "é!", repeat("a", 99) + "é" },
        { "FontName", "Gentium Plus Compact Condensed", "Gentium Plus Compact Cond" },
        { "FontSize", "100", "10" },
        { "FontSize", "9", "9" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " <- " + c.written);
        ASSERT_TRUE(moveToText(table, "spirit"));
        table.edit();
        table.setFieldText(c.field, c.written);
        EXPECT_EQ(table.fieldText(c.field), c.stored);
        table.post();
        EXPECT_EQ(utf8Length(table.fieldText(c.field)), utf8Length(c.stored));
        Table reader;
        openTable(reader, path);
        ASSERT_TRUE(moveToText(reader, c.field == std::string("English") ? c.stored : "spirit"));
        EXPECT_EQ(reader.fieldText(c.field), c.stored);
        if (c.field == std::string("English")) {
            table.edit();
            table.setFieldText("English", "spirit");
            table.post();
        }
    }
}

TEST_F(Records, FloatFieldTextForms)
{
    struct Case
    {
        const char* written;
        const char* read;
    };
    const std::vector<Case> cases = {
        { "1234", "1234" },
        { "12.5", "12.5" },
        { "0.1", "0.1" },
        { "1E20", "1E20" },
        { "1e20", "1E20" },
        { "1E-5", "1E-5" },
        { "0.00001", "1E-5" },
        { "0.0001", "0.0001" },
        { "1E15", "1E15" },
        { "123456789012345", "123456789012345" },
        { "0.12345678901234567", "0.123456789012346" },
        { "-2.50", "-2.5" },
        { " 7 ", "7" },
        { "", "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.written);
        ASSERT_TRUE(moveToText(table, "God"));
        table.edit();
        table.setFieldText("Frequency", c.written);
        table.post();
        EXPECT_EQ(table.fieldText("Frequency"), c.read);
        Table reader;
        openTable(reader, path);
        ASSERT_TRUE(moveToText(reader, "God"));
        EXPECT_EQ(reader.fieldText("Frequency"), c.read);
    }
}

TEST_F(Records, InvalidFloatTextIsRefusedAndTheFieldKeepsItsValue)
{
    for (const char* text : { "abc", "12,5", "1E", "1.2.3", "--1", "12a", "1E400", "$10", "." }) {
        SCOPED_TRACE(text);
        ASSERT_TRUE(moveToText(table, "God"));
        table.edit();
        DatabaseError error = errorOf([&] { table.setFieldText("Frequency", text); });
        EXPECT_EQ(
            error.what(), "'" + std::string(text) + "' is not a valid floating point value for field 'Frequency'");
        EXPECT_EQ(table.fieldText("Frequency"), "1317");
        EXPECT_FALSE(table.modified());
        EXPECT_FALSE(Table::textSuitsField(table.fieldDefs()[4], text));
        table.cancel();
    }
}

TEST_F(Records, DecimalSeparatorSettingAppliesToReadingAndWriting)
{
    struct SeparatorGuard
    {
        ~SeparatorGuard() { setDecimalSeparator('.'); }
    } guard;
    setDecimalSeparator(',');
    EXPECT_EQ(formatFloat(12.5), "12,5");
    EXPECT_EQ(formatFloat(1e-5), "1E-5");
    EXPECT_EQ(parseFloat("0,25"), 0.25);
    EXPECT_EQ(parseFloat("0.25"), std::nullopt);
    ASSERT_TRUE(moveToText(table, "God"));
    table.edit();
    table.setFieldText("Frequency", "2,5");
    table.post();
    EXPECT_EQ(table.fieldText("Frequency"), "2,5");
    setDecimalSeparator('.');
    EXPECT_EQ(table.fieldText("Frequency"), "2.5");
}

TEST_F(Records, FieldErrors)
{
    EXPECT_STREQ(errorOf([&] { table.setFieldText("English", "x"); }).what(), "Dataset not in edit or insert mode");
    EXPECT_STREQ(errorOf([&] { table.fieldText("Gloss"); }).what(), "Field 'Gloss' not found");
    table.edit();
    EXPECT_STREQ(errorOf([&] { table.setFieldText("Gloss", "x"); }).what(), "Field 'Gloss' not found");
    // Field names are matched without regard to case.
    table.setFieldText("language", "καί γε");
    EXPECT_EQ(table.fieldText("LANGUAGE"), "καί γε");
}

TEST_F(Records, StoredFontLivesInTheFirstRecord)
{
    EXPECT_EQ(readStoredFont(table).name, "");
    EXPECT_EQ(readStoredFont(table).size, "");
    ASSERT_TRUE(moveToText(table, "word"));
    writeStoredFont(table, "Gentium Plus Compact Condensed Italic", 100);
    EXPECT_EQ(table.sequenceNumber(), 1);
    EXPECT_EQ(table.state(), DataSetState::Browse);
    EXPECT_EQ(afterPostCalls, 1);
    table.last();
    StoredFont font = readStoredFont(table);
    EXPECT_EQ(font.name, "Gentium Plus Compact Cond");
    EXPECT_EQ(font.size, "10");
    EXPECT_EQ(table.sequenceNumber(), 1);
    EXPECT_EQ(storedColumn(path, "FontName")[0], "Gentium Plus Compact Cond");

    // A card that sorts before the old first becomes the first record; it holds no font.
    table.insert();
    table.setFieldText("English", "Abba");
    table.setFieldText("Language", "ἀββα");
    table.setFieldText("FontSize", "12"); // a size without a name is no font
    table.post();
    font = readStoredFont(table);
    EXPECT_EQ(font.name, "");
    EXPECT_EQ(font.size, "");
    writeStoredFont(table, "ΓΡΑΜΜΑΤΑ ἑλληνικά πολυτονικά", 9);
    font = readStoredFont(table);
    EXPECT_EQ(font.name, "ΓΡΑΜΜΑΤΑ ἑλληνικά πολυτον");
    EXPECT_EQ(font.size, "9");
}
