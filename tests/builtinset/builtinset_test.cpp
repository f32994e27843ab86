// The built-in set as the build made it, read back through the engine.
#include "table.h"
#include "tempdir.h"
#include "textforms.h"

#include <gtest/gtest.h>

#include <set>

using namespace cardstore;

namespace {

class BuiltInSet : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Work on a copy: the pristine set in the build tree must stay as built.
        testsupport::writeBytes(copy_, testsupport::readBytes(KARTE_BUILTIN_SET));
        table.setTableName(copy_);
        table.open();
    }

    testsupport::TempDir dir;
    std::string copy_ = dir.file("cardsfrq.db");
    Table table;
};

} // namespace

TEST_F(BuiltInSet, HoldsEveryFrequentLemmaMostFrequentFirst)
{
    EXPECT_EQ(table.recordCount(), 1125);
    EXPECT_EQ(table.fieldText("Language"), "ὁ");
    EXPECT_EQ(table.fieldText("English"), "the");
    EXPECT_EQ(table.fieldText("Frequency"), "19769");
    table.last();
    EXPECT_EQ(table.fieldText("Frequency"), "10");

    double previous = 1e9;
    int cards = 0;
    for (table.first(); !table.eof(); table.next()) {
        double frequency = parseFloat(table.fieldText("Frequency")).value();
        EXPECT_LE(frequency, previous) << "card " << cards + 1 << " breaks the frequency order";
        EXPECT_GE(frequency, 10);
        previous = frequency;
        ++cards;
    }
    EXPECT_EQ(cards, 1125);
}

TEST_F(BuiltInSet, EveryCardHasAGreekWordAndAShortGloss)
{
    std::set<std::string> greek;
    for (table.first(); !table.eof(); table.next()) {
        std::string english = table.fieldText("English");
        std::string language = table.fieldText("Language");
        EXPECT_FALSE(english.empty()) << language;
        EXPECT_LE(utf8Length(english), 100u) << language;
        EXPECT_EQ(english.find('\t'), std::string::npos) << language;
        EXPECT_FALSE(language.empty());
        EXPECT_TRUE(greek.insert(language).second) << "duplicate card " << language;
        EXPECT_TRUE(table.fieldText("FontName").empty());
    }
}

TEST_F(BuiltInSet, DeclaresTheCardFieldsAndThreeIndexes)
{
    ASSERT_EQ(table.fieldCount(), 5);
    EXPECT_EQ(table.fieldDefs()[0].name, "English");
    EXPECT_EQ(table.fieldDefs()[0].size, 100);
    EXPECT_TRUE(table.fieldDefs()[0].required);
    EXPECT_EQ(table.fieldDefs()[1].name, "Language");
    EXPECT_EQ(table.fieldDefs()[1].size, 150);
    EXPECT_EQ(table.fieldDefs()[4].type, FieldType::Float);
    EXPECT_TRUE(table.canModify());
}

struct Lookup
{
    const char* index;
    const char* field;
    const char* key;
    const char* expectedGreek;
    int rank; // its place in the primary (frequency) order
};

class BuiltInSetLookup : public BuiltInSet, public ::testing::WithParamInterface<Lookup>
{
};

TEST_P(BuiltInSetLookup, FindsAKnownWordAndReturnsToPrimaryOrder)
{
    const Lookup& lookup = GetParam();
    table.next();
    table.next();
    table.setIndexName(lookup.index);
    table.editKey();
    table.setFieldText(lookup.field, lookup.key);
    ASSERT_TRUE(table.gotoKey()) << lookup.key;
    EXPECT_EQ(table.fieldText("Language"), lookup.expectedGreek);
    std::string found = table.fieldText("Language");
    table.setIndexName("");
    EXPECT_EQ(table.fieldText("Language"), found) << "switching back must keep the card";
    EXPECT_EQ(table.sequenceNumber(), lookup.rank);
}

INSTANTIATE_TEST_SUITE_P(EachIndex, BuiltInSetLookup,
    ::testing::Values(Lookup { "EnglishIndex", "English", "the", "ὁ", 1 },
        Lookup { "LanguageIndex", "Language", "λόγος", "λόγος", 55 },
        Lookup { "FrequencyIndex", "Frequency", "906", "Ἰησοῦς", 20 },
        Lookup { "EnglishIndex", "English", "Jesus; Joshua", "Ἰησοῦς", 20 }));

TEST_F(BuiltInSet, LookupsThatMissLeaveTheCardWhereItWas)
{
    table.next();
    std::string before = table.fieldText("Language");
    for (auto [index, field, key] : { std::tuple { "EnglishIndex", "English", "no such gloss" },
             std::tuple { "LanguageIndex", "Language", "ο" }, std::tuple { "FrequencyIndex", "Frequency", "3" } }) {
        table.setIndexName(index);
        table.editKey();
        table.setFieldText(field, key);
        EXPECT_FALSE(table.gotoKey()) << key;
        table.setIndexName("");
        EXPECT_EQ(table.fieldText("Language"), before) << key;
    }
}
