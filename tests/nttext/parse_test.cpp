// Readable parsings of MorphGNT codes, one of each kind of word, and the lines the study window shows.
#include "parse.h"
#include "text.h"

#include <gtest/gtest.h>

using namespace nttext;

TEST(ReadableParse, ReadsEachKindOfWord)
{
    struct Case
    {
        const char* pos;
        const char* code;
        const char* expected;
    };
    const Case cases[] = {
        { "N-", "----ASM-", "accusative singular" },
        { "N-", "----VSM-", "vocative singular" },
        { "V-", "3AAI-S--", "aorist active indicative, 3rd singular" },
        { "V-", "1YAI-S--", "pluperfect active indicative, 1st singular" },
        { "V-", "2PAD-P--", "present active imperative, 2nd plural" },
        { "V-", "1AAS-P--", "aorist active subjunctive, 1st plural" },
        { "V-", "3AAO-S--", "aorist active optative, 3rd singular" },
        { "V-", "3FMI-P--", "future middle indicative, 3rd plural" },
        { "V-", "-PAN----", "present active infinitive" },
        { "V-", "-APN----", "aorist passive infinitive" },
        { "V-", "-PMPGPM-", "present middle participle, genitive plural masculine" },
        { "V-", "-XPPNSF-", "perfect passive participle, nominative singular feminine" },
        { "V-", "3IAI-S--", "imperfect active indicative, 3rd singular" },
        { "RA", "----GSF-", "genitive singular feminine" },
        { "RP", "----GS--", "genitive singular" },
        { "A-", "----NSMC", "nominative singular masculine comparative" },
        { "A-", "----APNS", "accusative plural neuter superlative" },
        { "C-", "--------", "conjunction" },
        { "P-", "--------", "preposition" },
        { "X-", "broken", "particle" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(readableParse(c.pos, c.code), c.expected) << c.pos << " " << c.code;
}

TEST(DescribeForm, GivesEachParsingItsCount)
{
    EXPECT_EQ(describeForm({ "λόγον", 130, { { "N-", "----ASM-", 130 } } }), "λόγον — accusative singular, 130×");
    EXPECT_EQ(describeForm({ "ἔργα", 58, { { "N-", "----APN-", 43 }, { "N-", "----NPN-", 15 } } }),
        "ἔργα — accusative plural, 43×; nominative plural, 15×");
    EXPECT_EQ(describeForm({ "καί", 9, { { "C-", "--------", 9 } } }), "καί — conjunction, 9×");
    EXPECT_EQ(describeForm({ "ναί", 3, {} }), "ναί — 3×");
}
