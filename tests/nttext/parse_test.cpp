// Parsings in words: one of each kind of word, every code the text uses, and the lines the study window shows.
#include "parse.h"
#include "text.h"
#include "textsource.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace nttext;

TEST(ParseInWords, ReadsEachKindOfWord)
{
    struct Case
    {
        const char* pos;
        const char* code;
        const char* words; // parseInWords
        const char* formWords; // readableParse, where it differs
    };
    const Case cases[] = {
        { "N-", "----GSF-", "genitive singular feminine", "genitive singular" },
        { "N-", "----VSM-", "vocative singular masculine", "vocative singular" },
        { "V-", "3AAI-S--", "aorist active indicative, third person singular", nullptr },
        { "V-", "1YAI-S--", "pluperfect active indicative, first person singular", nullptr },
        { "V-", "2PAD-P--", "present active imperative, second person plural", nullptr },
        { "V-", "1AAS-P--", "aorist active subjunctive, first person plural", nullptr },
        { "V-", "3AAO-S--", "aorist active optative, third person singular", nullptr },
        { "V-", "3FMI-P--", "future middle indicative, third person plural", nullptr },
        { "V-", "3FPI-P--", "future passive indicative, third person plural", nullptr },
        { "V-", "3AMI-S--", "aorist middle indicative, third person singular", nullptr },
        { "V-", "3IPI-S--", "imperfect middle or passive indicative, third person singular", nullptr },
        { "V-", "-PAN----", "present active infinitive", nullptr },
        { "V-", "-APN----", "aorist passive infinitive", nullptr },
        { "V-", "-PMPGPM-", "present middle or passive participle, genitive plural masculine", nullptr },
        { "V-", "-PPPGPM-", "present middle or passive participle, genitive plural masculine", nullptr },
        { "V-", "-XPPNSF-", "perfect middle or passive participle, nominative singular feminine", nullptr },
        { "RA", "----GSF-", "genitive singular feminine", nullptr },
        { "RP", "----GS--", "genitive singular", nullptr },
        { "A-", "----NSMC", "nominative singular masculine comparative", nullptr },
        { "A-", "----APNS", "accusative plural neuter superlative", nullptr },
        { "D-", "-------C", "comparative adverb", nullptr },
        { "D-", "--------", "adverb", nullptr },
        { "C-", "--------", "conjunction", nullptr },
        { "P-", "--------", "preposition", nullptr },
        { "I-", "--------", "interjection", nullptr },
        { "X-", "broken", "particle", nullptr },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parseInWords(c.pos, c.code), c.words) << c.pos << " " << c.code;
        EXPECT_EQ(readableParse(c.pos, c.code), c.formWords ? c.formWords : c.words) << c.pos << " " << c.code;
    }
}

TEST(ParseInWords, KnowsWhenACodeSaysMoreOrLessThanItsWords)
{
    const std::pair<const char*, const char*> understood[] = {
        { "V-", "3AAI-S--" },
        { "V-", "-PAN----" },
        { "V-", "-AAPNSM-" },
        { "N-", "----NSM-" },
        { "RP", "----DP--" },
        { "A-", "----NSFS" },
        { "D-", "-------C" },
        { "C-", "--------" },
    };
    for (const auto& [pos, code] : understood)
        EXPECT_TRUE(parseUnderstood(pos, code)) << pos << " " << code;
    const std::pair<const char*, const char*> notUnderstood[] = {
        { "N-", "----NS--" }, // a noun without its gender
        { "N-", "-P--NSM-" }, // a noun with a tense
        { "V-", "3AAI----" }, // a finite verb without its number
        { "V-", "-AAPNS--" }, // a participle without its gender
        { "V-", "3AAINSM-" }, // a finite verb with a case
        { "V-", "3AAQ-S--" }, // no such mood
        { "V-", "-QAN----" }, // no such tense
        { "A-", "----NSMX" }, // no such degree
        { "RA", "----NSMC" }, // a degree on the article
        { "C-", "----NSM-" }, // a conjunction declined
        { "X-", "-------" }, // seven letters
        { "Q-", "--------" }, // no such part of speech
    };
    for (const auto& [pos, code] : notUnderstood)
        EXPECT_FALSE(parseUnderstood(pos, code)) << pos << " " << code;
}

// Every code the text uses has its words, and codes that say different things read differently, except the
// middle and passive of the tenses that spell them alike.
TEST(ParseInWords, GivesEveryCodeOfTheTextItsOwnWords)
{
    karte::TextSource source(karte::readCompressedFile(KARTE_TEXT_SOURCE), KARTE_TEXT_SOURCE);
    std::set<std::pair<std::string, std::string>> codes;
    for (const karte::TextToken& token : source.tokens())
        codes.emplace(token.partOfSpeech, token.parse);
    EXPECT_GT(codes.size(), 500u);
    std::map<std::pair<std::string, std::string>, std::string> codeOfWords; // part of speech, words → code
    for (auto [pos, code] : codes) {
        std::string words = parseInWords(pos, code);
        EXPECT_TRUE(parseUnderstood(pos, code) && !words.empty()) << pos << " " << code << ": " << words;
        if (code[2] == 'P' && std::string("PIXY").find(code[1]) != std::string::npos)
            code[2] = 'M';
        auto [found, added] = codeOfWords.emplace(std::make_pair(pos, words), code);
        EXPECT_TRUE(added || found->second == code) << pos << " " << code << " and " << found->second << ": " << words;
    }
}

TEST(DescribeForm, GivesEachParsingItsCount)
{
    EXPECT_EQ(describeForm({ "λόγον", 130, { { "N-", "----ASM-", 130 } } }), "λόγον — accusative singular, 130×");
    EXPECT_EQ(describeForm({ "ἔργα", 58, { { "N-", "----APN-", 43 }, { "N-", "----NPN-", 15 } } }),
        "ἔργα — accusative plural, 43×; nominative plural, 15×");
    EXPECT_EQ(describeForm({ "ἦν", 9, { { "V-", "3IAI-S--", 9 } } }),
        "ἦν — imperfect active indicative, third person singular, 9×");
    EXPECT_EQ(describeForm({ "καί", 9, { { "C-", "--------", 9 } } }), "καί — conjunction, 9×");
    EXPECT_EQ(describeForm({ "ναί", 3, {} }), "ναί — 3×");
}
