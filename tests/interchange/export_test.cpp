#include "interchangetest.h"

#include "exporter.h"
#include "interchangeerror.h"

#include <filesystem>
#include <map>
#include <set>

using namespace interchange;
using interchangetest::cardsIn;
using interchangetest::CardTexts;
using interchangetest::importFile;

namespace {

std::set<std::string> entries(const std::string& directory)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        names.insert(entry.path().filename().string());
    return names;
}

std::size_t exportFile(
    const std::string& set, const std::string& file, ExportSettings settings = {}, const Progress& progress = {})
{
    cardstore::Table table;
    table.setTableName(set);
    table.setReadOnly(true);
    table.open();
    return exportSet(table, file, settings, progress);
}

TEST(ExportTest, BuiltInSetComesBackTheSameThroughEachFormat)
{
    const std::string builtIn = KARTE_BUILTIN_SET;
    const std::vector<CardTexts> original = cardsIn(builtIn);
    ASSERT_GT(original.size(), 1000u);
    for (const char* name : { "cards.csv", "cards.tsv" }) {
        SCOPED_TRACE(name);
        testsupport::TempDir dir;
        std::string file = dir.file(name);
        ExportSettings settings;
        settings.format = exportFormatFor(file);
        EXPECT_EQ(exportFile(builtIn, file, settings), original.size());
        std::string set = dir.file("copy.db");
        testsupport::makeBuiltInLikeSet(set, {});
        ImportPlan plan = importFile(file, set);
        EXPECT_EQ(plan.summary(), interchange::cardCount(original.size()) + " to add");
        EXPECT_TRUE(cardsIn(set) == original);
    }
}

TEST(ExportTest, TextsThatNeedQuotesComeBackTheSame)
{
    testsupport::TempDir dir;
    std::string set = dir.file("set.sdb");
    testsupport::makeCardSet(set,
        { { "say \"yes\"", "ναί", 33 }, { "a; b, c", "ὅτι", 1296 }, { "half", "ἥμισυ", 0.5 },
            { "plain", "λόγος", {} } });
    for (const char* name : { "cards.csv", "cards.tsv" }) {
        SCOPED_TRACE(name);
        std::string file = dir.file(name);
        ExportSettings settings;
        settings.format = exportFormatFor(file);
        settings.overwrite = true;
        exportFile(set, file, settings);
        std::string copy = dir.file("copy.sdb");
        std::filesystem::remove(copy);
        testsupport::makeCardSet(copy, {});
        importFile(file, copy);
        EXPECT_EQ(cardsIn(copy), cardsIn(set));
    }
    EXPECT_EQ(testsupport::readBytes(dir.file("cards.csv")),
        "\xEF\xBB\xBFGreek,English,Frequency\r\nὅτι,\"a; b, c\",1296\r\nἥμισυ,half,0.5\r\nλόγος,plain,\r\n"
        "ναί,\"say \"\"yes\"\"\",33\r\n");
}

TEST(ExportTest, ValuesComeBackNormalisedAndFormulasGuarded)
{
    struct Case
    {
        std::string stored; // an English side
        std::string back; // as it comes back through either format
        std::string csv; // as CSV writes it
    };
    const std::vector<Case> cases {
        { "  word  ", "word", "  word  " },
        { "spirit\twind", "spirit wind", "spirit\twind" },
        { "lo\xCC\x81gos", "l\xC3\xB3gos", "l\xC3\xB3gos" },
        { "=1+1", "=1+1", "'=1+1" },
        { "+30 more", "+30 more", "'+30 more" },
        { "-ος ending", "-ος ending", "'-ος ending" },
        { "@home", "@home", "'@home" },
        { "'=kept", "'=kept", "''=kept" },
        { "it's", "it's", "it's" },
    };
    testsupport::TempDir dir;
    std::string set = dir.file("set.sdb");
    std::vector<testsupport::Card> cards;
    for (std::size_t i = 0; i < cases.size(); ++i)
        cards.push_back({ cases[i].stored, "λ" + std::to_string(i), -double(i + 1) });
    testsupport::makeCardSet(set, cards);
    for (const char* name : { "cards.csv", "cards.tsv" }) {
        SCOPED_TRACE(name);
        std::string file = dir.file(name);
        ExportSettings settings;
        settings.format = exportFormatFor(file);
        exportFile(set, file, settings);
        std::string copy = dir.file(std::string(name) + ".sdb");
        testsupport::makeCardSet(copy, {});
        importFile(file, copy);
        std::map<std::string, std::string> back;
        for (const CardTexts& card : cardsIn(copy))
            back[card[0]] = card[1];
        const std::string written = testsupport::readBytes(file);
        for (std::size_t i = 0; i < cases.size(); ++i) {
            SCOPED_TRACE(cases[i].stored);
            EXPECT_EQ(back["λ" + std::to_string(i)], cases[i].back);
            // A number is no formula, though it starts with a minus; TSV is written plainly.
            const std::string line = "λ" + std::to_string(i) + "," + cases[i].csv + ",-" + std::to_string(i + 1);
            if (settings.format == Format::Csv) {
                EXPECT_NE(written.find(line + "\r\n"), std::string::npos) << written;
            }
        }
    }
}

TEST(ExportTest, AFileThatIsThereIsReplacedOnlyWhenAsked)
{
    testsupport::TempDir dir;
    std::string set = dir.file("set.sdb");
    testsupport::makeCardSet(set, { { "word", "λόγος", 330 } });
    std::string file = dir.file("cards.csv");
    testsupport::writeBytes(file, "keep me");
    EXPECT_THROW(exportFile(set, file), ExportError);
    EXPECT_EQ(testsupport::readBytes(file), "keep me");
    ExportSettings replace;
    replace.overwrite = true;
    EXPECT_EQ(exportFile(set, file, replace), 1u);
    EXPECT_EQ(cardsIn(set), (std::vector<CardTexts> { { "λόγος", "word", "330" } }));
    EXPECT_EQ(entries(dir.path()), (std::set<std::string> { "cards.csv", "set.sdb" }));
}

TEST(ExportTest, CancelLeavesNoFile)
{
    testsupport::TempDir dir;
    std::string set = dir.file("set.sdb");
    std::vector<testsupport::Card> cards;
    for (int i = 0; i < 3000; ++i)
        cards.push_back({ "word " + std::to_string(i), "λόγος", i });
    testsupport::makeCardSet(set, cards);
    for (std::uint64_t cancelAt : { 1024u, 3000u }) {
        SCOPED_TRACE(cancelAt);
        auto cancel = [cancelAt](Phase, std::uint64_t done, std::uint64_t) { return done < cancelAt; };
        EXPECT_THROW(exportFile(set, dir.file("cards.csv"), {}, cancel), cardstore::Abort);
        EXPECT_EQ(entries(dir.path()), std::set<std::string> { "set.sdb" });
    }
}

} // namespace
