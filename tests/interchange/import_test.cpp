#include "interchangetest.h"
#include "protectedtest.h"

#include "interchangeerror.h"
#include "recordreader.h"
#include "textforms.h"

#include <filesystem>
#include <unistd.h>

using namespace interchange;
using interchangetest::cardsIn;
using interchangetest::CardTexts;
using interchangetest::importFile;
using interchangetest::sample;
using protectedtest::ProtectedSetTest;

namespace {

class ImportTest : public ::testing::Test
{
protected:
    // A user set holding one card, λόγος "word", to import into.
    std::string userSet()
    {
        std::string path = dir.file("set.sdb");
        testsupport::makeCardSet(path, { { "word", "λόγος", 330 } });
        return path;
    }
    std::string fileWith(const std::string& bytes, const std::string& name = "cards.csv")
    {
        testsupport::writeBytes(dir.file(name), bytes);
        return dir.file(name);
    }

    testsupport::TempDir dir;
};

TEST_F(ImportTest, EachSampleFormatImports)
{
    struct Case
    {
        const char* file;
        Format format;
        std::vector<CardTexts> cards; // in the set's English order, after the card it holds already
    };
    const std::vector<Case> cases {
        { "spreadsheet.csv", Format::Csv,
            { { "καί", "and, even, also", "8973" }, { "θεός", "God", "1317" }, { "ἀγάπη", "love, \"agape\"", "116" },
                { "πνεῦμα", "spirit, wind, breath", "379" }, { "ἀμήν", "truly, amen", "" }, { "λόγος", "word", "330" },
                { "λόγος", "word, message", "330" } } },
        { "words.tsv", Format::Tsv,
            { { "καί", "and", "8973" }, { "ἀγάπη", "love", "116.5" }, { "πνεῦμα", "spirit", "379" },
                { "λόγος", "word", "330" } } },
        { "flashcards.txt", Format::FlashcardText,
            { { "καί", "and & also", "" }, { "λάμπω", "I shine <intr.>", "" }, { "ἀγαπάω", "to love to cherish", "" },
                { "λόγος", "word", "330" }, { "λόγος", "word, message saying", "" } } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        std::string set = userSet();
        EXPECT_EQ(surveyFile(sample(c.file)).layout.format, c.format);
        importFile(sample(c.file), set);
        EXPECT_EQ(cardsIn(set), c.cards);
    }
}

TEST_F(ImportTest, MalformedFileIsRefusedWithItsLineAndTheSetUntouched)
{
    struct Case
    {
        const char* name;
        std::string bytes;
        int line; // 0: the file as a whole
        const char* problem;
    };
    const std::vector<Case> cases {
        { "unterminated quote", "Greek,English\nκαί,and\nλόγος,\"word\nθεός,God\n", 3, "quoted value is not closed" },
        { "too many columns", "Greek,English\nκαί,and\nλόγος,word,330\n", 3, "3 columns where the file has 2" },
        { "empty Greek side", "Greek,English\n  ,word\n", 2, "Greek side (column 1) is empty" },
        { "empty English side", "λόγος,word\nκαί,\"\"\n", 2, "English side (column 2) is empty" },
        { "frequency not a number", "Greek,English,Frequency\nλόγος,word,many\n", 2, "\"many\" is not a number" },
        { "text after a closing quote", "Greek,English\n\"λόγος\" x,word\n", 2, "must be doubled" },
        { "CRLF inside quotes counts its line", "Greek,English\r\nλόγος,\"word,\r\nmessage\"\r\nκαί,\r\n", 4,
            "English side" },
        { "invalid UTF-8 (a Latin-1 byte)", "Greek,English\nλόγος,word\nκαί,caf\xE9\n", 3, "not valid UTF-8" },
        { "invalid UTF-8 (overlong)", "Greek,English\n\"λόγος\n\xC0\xAF\",word\n", 3, "not valid UTF-8" },
        { "invalid UTF-8 (a surrogate)", "Greek,English\nλόγος,\xED\xA0\x80\n", 2, "not valid UTF-8" },
        { "NUL byte", std::string("Greek,English\nλόγος,w\0rd\n", sizeof "Greek,English\nλόγος,w\0rd\n" - 1), 2,
            "NUL character" },
        { "UTF-16", "\xFF\xFEG\0r\0", 0, "UTF-16" },
        { "nothing but a header row", "Greek,English\r\n\r\n", 0, "holds no cards" },
        { "a single column", "λόγος\nκαί\n", 0, "has a single column" },
        // One line of cards with separators of their own: no value may pass for a card.
        { "other separators", "λόγος - word, message; ἀγάπη - love\n", 1, "looks like a whole card" },
        { "other separators, a card a line", "λόγος = word, message\nἀγάπη = love, charity\n", 1,
            "looks like a whole card" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string set = userSet();
        std::string before = testsupport::readBytes(set);
        try {
            importFile(fileWith(c.bytes), set);
            ADD_FAILURE() << "the file was imported";
        } catch (const ImportError& error) {
            EXPECT_EQ(error.line(), c.line) << error.what();
            EXPECT_NE(error.problem().find(c.problem), std::string::npos) << error.what();
        }
        EXPECT_TRUE(testsupport::readBytes(set) == before);
    }
}

TEST_F(ImportTest, PreviewShowsTheFirstRecordsAsCardsWithTheirProblems)
{
    std::string file = fileWith("Greek,English,Frequency\nλόγος,word,330\nκαί,,8973\n" + std::string(151, 'a')
        + ",long,1\nθεός,God,x\nἀγάπη,love,116\n");
    FileSurvey survey = surveyFile(file, 4);
    ImportSettings settings { survey.layout, survey.mapping, false };
    auto rowText = [](const PreviewRow& row) {
        return std::to_string(row.card.line) + " " + cardstore::utf8Left(row.card.greek, 3) + "|" + row.card.english
            + "|" + row.card.frequency + (row.cut ? " cut" : "") + (row.problem.empty() ? "" : " " + row.problem);
    };
    std::vector<std::string> rows;
    for (const PreviewRow& row : previewCards(survey, settings))
        rows.push_back(rowText(row));
    EXPECT_EQ(rows,
        (std::vector<std::string> { "2 λόγ|word|330", "3 || the English side (column 2) is empty", "4 aaa|long|1 cut",
            "5 || the frequency \"x\" is not a number" }));

    // The window changes the mapping and shows the preview again.
    settings.mapping = { 1, 0, -1 };
    EXPECT_EQ(rowText(previewCards(survey, settings).front()), "2 wor|λόγος|");
}

TEST_F(ImportTest, ByteOrderMarkIsPassedOver)
{
    std::string set = userSet();
    importFile(fileWith("\xEF\xBB\xBFκαί,and\r\nθεός,God\r\n"), set);
    EXPECT_EQ(cardsIn(set).front(), (CardTexts { "καί", "and", "" }));
}

TEST_F(ImportTest, HugeLineIsRefusedWithoutReadingItAll)
{
    std::string path = fileWith("Greek,English\n" + std::string(8 << 20, 'x') + "\n");
    RecordReader reader(path, Layout {});
    Record record;
    ASSERT_TRUE(reader.next(record));
    try {
        reader.next(record);
        ADD_FAILURE() << "the line was read";
    } catch (const ImportError& error) {
        EXPECT_EQ(error.line(), 2);
    }
    EXPECT_LT(reader.lines().bytesRead(), 1u << 20);

    // A file far larger than any card file is refused before it is read at all; a sparse one costs no disk.
    std::string huge = dir.file("huge.csv");
    testsupport::writeBytes(huge, "Greek,English\n");
    ASSERT_EQ(::truncate(huge.c_str(), 200'000'000), 0);
    try {
        RecordReader refused(huge, Layout {});
        ADD_FAILURE() << "the file was opened";
    } catch (const ImportError& error) {
        EXPECT_NE(std::string(error.what()).find("200 MB"), std::string::npos) << error.what();
    }
}

TEST_F(ImportTest, DuplicatesInTheSetAndTheFileAreSkippedOrKept)
{
    // λόγος decomposed, with blanks around it, is the card the set holds; καί "and" comes twice.
    const std::string file = "Greek,English\n\"  λο\xCC\x81γος \",word\nκαί,and\nκαί,and\n";
    for (bool keep : { false, true }) {
        SCOPED_TRACE(keep);
        std::string set = userSet();
        ImportPlan plan = importFile(fileWith(file), set, keep);
        EXPECT_EQ(plan.summary(), keep ? "3 cards to add, 2 duplicates kept" : "1 card to add, 2 duplicates skipped");
        EXPECT_EQ(cardsIn(set).size(), keep ? 4u : 2u);
    }
}

TEST_F(ImportTest, LongValuesAreCutAndCounted)
{
    std::string longGreek;
    for (int i = 0; i < 160; ++i)
        longGreek += "λ";
    std::string file = "Greek,English\n";
    for (int i = 0; i < 6; ++i)
        file += (i == 1 || i == 3 ? longGreek : "α" + std::to_string(i)) + ","
            + (i == 2 ? std::string(120, 'e') : "e" + std::to_string(i)) + "\n";
    std::string set = userSet();
    ImportPlan plan = importFile(fileWith(file), set);
    EXPECT_EQ(plan.summary(),
        "6 cards to add, 1 value cut to 100 characters (line 4), 2 values cut to 150 characters (lines 3, 5)");
    for (const CardTexts& card : cardsIn(set)) {
        EXPECT_LE(cardstore::utf8Length(card[0]), 150u);
        EXPECT_LE(cardstore::utf8Length(card[1]), 100u);
    }
}

TEST_F(ImportTest, CancelLeavesTheSetAsItWas)
{
    std::string file = "Greek,English,Frequency\n";
    for (int i = 0; i < 5000; ++i)
        file += "λόγος" + std::to_string(i) + ",word " + std::to_string(i) + "," + std::to_string(i) + "\n";
    const std::string path = fileWith(file);
    for (Phase phase : { Phase::Reading, Phase::Writing }) {
        SCOPED_TRACE(static_cast<int>(phase));
        std::string set = userSet();
        std::string before = testsupport::readBytes(set);
        auto cancelHalfway = [phase](Phase now, std::uint64_t done, std::uint64_t total) {
            return !(now == phase && done * 2 >= total);
        };
        cardstore::Table table;
        table.setTableName(set);
        table.open();
        EXPECT_THROW(importFile(path, table, false, cancelHalfway), cardstore::Abort);
        EXPECT_EQ(table.recordCount(), 1);
        table.close();
        EXPECT_TRUE(testsupport::readBytes(set) == before);
    }
    // A new set made for a cancelled import is not left behind.
    FileSurvey survey = surveyFile(path);
    ImportPlan plan = planImport(path, { survey.layout, survey.mapping, false }, nullptr);
    EXPECT_THROW(importIntoNewSet(
                     dir.file("new.sdb"), plan, [](Phase, std::uint64_t done, std::uint64_t) { return done < 2048; }),
        cardstore::Abort);
    EXPECT_FALSE(std::filesystem::exists(dir.file("new.sdb")));
}

TEST_F(ProtectedSetTest, ImportIntoAProtectedSetKeepsItProtected)
{
    std::string set = protectedSet("protected.sdb", "secret");
    cardstore::Session::instance().addPassword("secret");
    importFile(sample("words.tsv"), set);
    EXPECT_TRUE(cardstore::isProtectedCardSet(set));
    EXPECT_FALSE(protectedtest::contains(testsupport::readBytes(set), "πνεῦμα"));
    EXPECT_EQ(protectedtest::storedColumn(set),
        (std::vector<std::string> { "and", "love", "spirit", "unmistakable", "word" }));
}

} // namespace
