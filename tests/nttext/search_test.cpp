// Finding a card by any spelling a learner types, with the real text's forms.
#include "cardsearch.h"
#include "text.h"

#include <gtest/gtest.h>

using namespace nttext;

namespace {

class CardSearchTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { text = new Text(Text::load(KARTE_TEXT_FILE)); }
    static void TearDownTestSuite() { delete text; }

    // The first word of each hit's card, with how it matched.
    static std::vector<std::pair<std::string, MatchKind>> find(const CardSearch& search, const char* query)
    {
        std::vector<std::pair<std::string, MatchKind>> found;
        for (const SearchHit& hit : search.find(query))
            found.emplace_back(lemmaKeyOf(search.card(hit.card).greek), hit.kind);
        return found;
    }
    static std::string lemmaKeyOf(const std::string& greek) { return greek.substr(0, greek.find(',')); }

    static inline Text* text = nullptr;
    const std::vector<SearchCard> cards = {
        { "1", "λόγος, -ου, ὁ" },
        { "2", "Ἰησοῦς, -οῦ, ὁ" },
        { "3", "ἄγγελος, -ου, ὁ" },
        { "4", "ἁμαρτία, -ας, ἡ" },
        { "5", "λογίζομαι" },
        { "6", "λόγιον, -ου, τό" },
        { "7", "ψυχή, -ῆς, ἡ" },
        { "8", "ὦ" },
        { "9", "ὁ, ἡ, τό" },
        { "10", "εἰμί" },
    };
    CardSearch search { cards, text };
};

} // namespace

TEST_F(CardSearchTest, FindsACardByAnySpelling)
{
    using enum MatchKind;
    struct Case
    {
        const char* query;
        const char* card;
        MatchKind kind;
    };
    const Case cases[] = {
        { "λόγος", "λόγος", Exact },
        { "Λόγος", "λόγος", Exact },
        { "logos", "λόγος", Spelling },
        { "ΛΟΓΟΣ", "λόγος", Spelling },
        { "λογοσ", "λόγος", Spelling },
        { "Iesous", "Ἰησοῦς", Spelling },
        { "Iēsous", "Ἰησοῦς", Spelling },
        { "aggelos", "ἄγγελος", Spelling },
        { "angelos", "ἄγγελος", Spelling },
        { "hamartia", "ἁμαρτία", Spelling },
        { "amartia", "ἁμαρτία", Spelling },
        { "psyche", "ψυχή", Spelling },
        { "psuchē", "ψυχή", Spelling },
        { "λόγον", "λόγος", Form },
        { "λογον", "λόγος", Form },
        { "logon", "λόγος", Form },
        { "Iesoun", "Ἰησοῦς", Form },
        { "ἐστίν", "εἰμί", Form },
        { "estin", "εἰμί", Form },
        { "ἁμαρτιῶν", "ἁμαρτία", Form },
        { "psych", "ψυχή", Prefix },
    };
    for (const Case& c : cases) {
        auto found = find(search, c.query);
        ASSERT_FALSE(found.empty()) << c.query;
        EXPECT_EQ(found[0], std::make_pair(std::string(c.card), c.kind)) << c.query;
    }
    EXPECT_TRUE(find(search, "xyz").empty());
    EXPECT_TRUE(find(search, "").empty());
}

TEST_F(CardSearchTest, RanksExactMatchesFirstThenFormsThenShorterPrefixes)
{
    using enum MatchKind;
    EXPECT_EQ(find(search, "λόγος"), (std::vector<std::pair<std::string, MatchKind>> { { "λόγος", Exact } }));
    EXPECT_EQ(find(search, "log"),
        (std::vector<std::pair<std::string, MatchKind>> {
            { "λόγος", Prefix }, { "λόγιον", Prefix }, { "λογίζομαι", Prefix } }));
    // ὦ and ὁ are spelled alike in Latin letters; the one typed with its breathing and accent comes first, then
    // εἰμί, whose subjunctive ὦ is, before ὁ, which has only the Latin spelling in common.
    EXPECT_EQ(find(search, "ὦ"),
        (std::vector<std::pair<std::string, MatchKind>> { { "ὦ", Exact }, { "εἰμί", Form }, { "ὁ", Spelling } }));
    // τόν is a form of ὁ alone.
    EXPECT_EQ(find(search, "τὸν"), (std::vector<std::pair<std::string, MatchKind>> { { "ὁ", Form } }));
    EXPECT_EQ(search.find("l", 2).size(), 2u);
}

TEST_F(CardSearchTest, WithoutTheTextFindsSpellingsAlone)
{
    CardSearch plain(cards);
    EXPECT_EQ(
        find(plain, "logos"), (std::vector<std::pair<std::string, MatchKind>> { { "λόγος", MatchKind::Spelling } }));
    EXPECT_TRUE(find(plain, "logon").empty());
}
