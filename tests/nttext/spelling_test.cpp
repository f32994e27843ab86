// The spellings a card, a form and a query are compared by.
#include "spelling.h"

#include <gtest/gtest.h>

using namespace nttext;

TEST(LemmaKey, KeepsTheLemmaOfACardsGreekSide)
{
    const std::pair<std::string, std::string> cases[] = {
        { "λόγος, -ου, ὁ", "λόγος" },
        { "ἀγαπάω", "ἀγαπάω" },
        { "  ἐν Χριστῷ", "ἐν" },
        { "λο\u0301γος", "λόγος" }, // decomposed accent
        { "λ\u1F79γος, ὁ", "λόγος" }, // oxia for tonos
        { "οὕτω(ς)", "οὕτω(ς)" },
        { "", "" },
    };
    for (const auto& [side, key] : cases)
        EXPECT_EQ(lemmaKey(side), key) << side;
}

TEST(FormSpelling, CountsGraveAsAcuteAndDropsTheAccentAnEncliticGave)
{
    EXPECT_EQ(normalisedForm("τὸν"), "τόν");
    EXPECT_EQ(normalisedForm("οὗτός"), "οὗτος");
    EXPECT_EQ(normalisedForm("ὄνομά"), "ὄνομα");
    EXPECT_EQ(normalisedForm("Ἐν"), "Ἐν");
    EXPECT_EQ(formKey("Ἐν"), formKey("ἐν"));
    EXPECT_EQ(formKey("Λόγον"), formKey("λόγον"));
    EXPECT_NE(formKey("λογον"), formKey("λόγον"));
    EXPECT_EQ(lowerFirst("Ὃς"), "ὃς");
    EXPECT_EQ(withoutAccents("ἐστίν"), "ἐστιν");
    EXPECT_EQ(withoutAccents("ᾧ"), "ᾡ");
}

TEST(SearchSpelling, GreekAndLatinSpellingsOfAWordMeet)
{
    const std::pair<const char*, const char*> same[] = {
        { "λόγος", "logos" },
        { "λόγος", "ΛΟΓΟΣ" },
        { "λόγος", "λογοσ" },
        { "Ἰησοῦς", "Iesous" },
        { "Ἰησοῦς", "IĒSOUS" },
        { "θεός", "theos" },
        { "φῶς", "phos" },
        { "φῶς", "fōs" },
        { "Χριστός", "christos" },
        { "Χριστός", "khristos" },
        { "ψυχή", "psyche" },
        { "ψυχή", "psuchē" },
        { "ῥῆμα", "rhema" },
        { "ῥῆμα", "rema" },
        { "ἁμαρτία", "hamartia" },
        { "ἁμαρτία", "amartia" },
        { "ἄγγελος", "angelos" },
        { "ἄγγελος", "aggelos" },
        { "ἐγκαλέω", "enkaleo" },
        { "δόξα", "doxa" },
        { "δόξα", "doksa" },
        { "ὥρα", "hōra" },
        { "υἱός", "huios" },
        { "υἱός", "yios" },
        { "οὐρανός", "ouranos" },
        { "ᾅδης", "Hades" },
        { "κύριος", "cyrios" },
    };
    for (const auto& [greek, typed] : same)
        EXPECT_EQ(searchSpelling(greek), searchSpelling(typed)) << greek << " / " << typed;

    const std::pair<const char*, const char*> different[] = {
        { "λόγος", "logon" },
        { "θεός", "teos" },
        { "πίστις", "pistos" },
        { "χάρις", "karis" },
    };
    for (const auto& [greek, typed] : different)
        EXPECT_NE(searchSpelling(greek), searchSpelling(typed)) << greek << " / " << typed;
    EXPECT_EQ(searchSpelling("Ἰησοῦς"), "iesous");
    EXPECT_EQ(searchSpelling("–, 12 ·"), "");
}
