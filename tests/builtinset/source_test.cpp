// The built-in set's source and the tool that turns it into a card set.
#include "cardsetsource.h"
#include "table.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using karte::parseCardSource;
using karte::SourceError;

namespace {

const std::string kHeader = "rank\tLanguage\tEnglish\tFrequency\n";

struct Malformed
{
    const char* what;
    std::string body; // lines after the header
    int badLine;
};

class MalformedSource : public ::testing::TestWithParam<Malformed>
{
};

} // namespace

TEST_P(MalformedSource, IsRejectedWithItsLineNumber)
{
    std::istringstream in(kHeader + GetParam().body);
    try {
        parseCardSource(in);
        FAIL() << GetParam().what << " was accepted";
    } catch (const SourceError& error) {
        EXPECT_EQ(error.line(), GetParam().badLine) << error.what();
        EXPECT_NE(std::string(error.what()).find("line " + std::to_string(GetParam().badLine)), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, MalformedSource,
    ::testing::Values(Malformed { "too few columns", "1\tὁ\tthe\t19769\n2\tκαί\t8973\n", 3 },
        Malformed { "too many columns", "1\tὁ\tthe\t19769\textra\n", 2 },
        Malformed { "empty Greek", "1\tὁ\tthe\t19769\n2\t\tand\t8973\n", 3 },
        Malformed { "empty English", "1\tὁ\t\t19769\n", 2 },
        Malformed { "gloss over 100 characters", "1\tὁ\t" + std::string(101, 'x') + "\t19769\n", 2 },
        Malformed { "non-numeric count", "1\tὁ\tthe\tmany\n", 2 }, Malformed { "negative count", "1\tὁ\tthe\t-3\n", 2 },
        Malformed { "non-numeric rank", "one\tὁ\tthe\t19769\n", 2 },
        Malformed { "duplicate rank", "1\tὁ\tthe\t19769\n2\tκαί\tand\t8973\n1\tαὐτός\the\t5546\n", 4 },
        Malformed { "blank line", "1\tὁ\tthe\t19769\n\n", 3 }),
    [](const auto& info) {
        std::string name = info.param.what;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return name;
    });

TEST(CardSource, RejectsAMissingHeaderAndAnEmptySource)
{
    std::istringstream noHeader("1\tὁ\tthe\t19769\n");
    EXPECT_THROW(parseCardSource(noHeader), SourceError);
    std::istringstream empty("");
    EXPECT_THROW(parseCardSource(empty), SourceError);
}

TEST(CardSource, AcceptsAGlossOfExactlyOneHundredCharactersAndSortsByRank)
{
    std::string gloss(100, 'g');
    std::istringstream in(kHeader + "2\tκαί\tand\t8973\n1\tὁ\t" + gloss + "\t19769\r\n");
    auto cards = parseCardSource(in);
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(cards[0].language, "ὁ");
    EXPECT_EQ(cards[0].english, gloss);
    EXPECT_EQ(cards[1].rank, 2);
}

TEST(CardSource, TheShippedSourceParses)
{
    std::ifstream in(KARTE_BUILTIN_SOURCE, std::ios::binary);
    auto cards = parseCardSource(in);
    EXPECT_EQ(cards.size(), 1125u);
}

TEST(BuildTool, WritesCardsInSourceOrderAndBuildsNothingFromABadSource)
{
    testsupport::TempDir dir;
    std::string output = dir.file("built.db");
    std::istringstream in(
        kHeader + "1\tὁ\tthe\t19769\n2\tκαί\tand, even, also\t8973\n3\tαὐτός\the, she, it; self; same\t5546\n");
    karte::writeBuiltInSet(output, parseCardSource(in));

    cardstore::Table table;
    table.setTableName(output);
    table.open();
    std::vector<std::string> greek;
    for (table.first(); !table.eof(); table.next())
        greek.push_back(table.fieldText("Language"));
    EXPECT_EQ(greek, (std::vector<std::string> { "ὁ", "καί", "αὐτός" }));
    table.close();

    // The tool parses before it creates anything, so a bad source leaves no file behind.
    std::string source = dir.file("bad.tsv");
    testsupport::writeBytes(source, kHeader + "1\tὁ\tthe\tmany\n");
    std::string never = dir.file("never.db");
    std::string command = std::string(KARTE_BUILDSET_TOOL) + " " + source + " " + never + " 2>/dev/null";
    EXPECT_NE(std::system(command.c_str()), 0);
    EXPECT_FALSE(std::filesystem::exists(never));
}
