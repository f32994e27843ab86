// karte-buildtext's derivation on a small made-up text, and its refusal of damaged input.
#include "lemmawords.h"
#include "synthetictext.h"
#include "tempdir.h"
#include "text.h"
#include "textderive.h"
#include "textfile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

using namespace nttext;
using namespace nttexttest;
using karte::BuiltInLemma;
using karte::TextSource;
using karte::TextSourceError;

namespace {

const std::vector<BuiltInLemma> kBuiltIn = { { "λόγος", 7, 2 }, { "εἰμί", 5, 3 }, { "ὁ", 3, 4 } };
const karte::GlossFile kBuiltInGlosses
    = { "set.tsv", { { "λόγος", "word", 2 }, { "εἰμί", "I am", 3 }, { "ὁ", "the", 4 } } };
// The glosses of the small text's other lemmas, as their file has them.
const std::string kGlosses = "lemma\tgloss\nκαί\tand\nἐν\tin\nἀρχή\tbeginning\nπρός\tto\nθεός\tGod\nλέγω\tI say\n"
                             "ἔχω\tI have\nκαλός\tgood\nοὗτος\tthis\n";

karte::GlossFile glossFile(const std::string& text)
{
    std::istringstream in(text);
    return karte::readGlossFile(in, "glosses.tsv");
}

class SmallText : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TextSource source(sourceText(smallText()), "small.tsv", 27);
        TextData data = karte::deriveText(source, kBuiltIn, "set.tsv");
        karte::deriveLemmaWords(source, "small.tsv", { kBuiltInGlosses, glossFile(kGlosses) }, data);
        writeTextFile(path_, data);
        text = std::make_unique<Text>(Text::load(path_));
    }

    int id(const char* lemma) const { return text->findLemma(lemma).value(); }
    std::vector<std::string> forms(const char* lemma) const
    {
        std::vector<std::string> lines;
        for (const Form& form : text->study(id(lemma))->forms)
            lines.push_back(describeForm(form));
        return lines;
    }

    testsupport::TempDir dir;
    std::string path_ = dir.file("nttext.dat");
    std::unique_ptr<Text> text;
};

} // namespace

TEST_F(SmallText, QuotesTheTwoShortestVersesOfFiveWordsTheEarlierFirst)
{
    const Study* study = text->study(id("λόγος"));
    ASSERT_NE(study, nullptr);
    ASSERT_EQ(study->examples.size(), 2u);
    EXPECT_EQ(study->examples[0].reference, "Matthew 1:3");
    EXPECT_EQ(study->examples[0].text, "Λόγον εἶπεν καὶ λόγον ἔχει.");
    EXPECT_EQ(study->examples[0].positions, (std::vector<int> { 0, 3 }));
    EXPECT_EQ(study->examples[1].reference, "Mark 1:1");
    EXPECT_EQ(study->examples[1].positions, (std::vector<int> { 2 }));
    EXPECT_EQ(text->study(id("εἰμί"))->examples[0].reference, "Mark 1:1"); // 5 words before 6
    EXPECT_EQ(text->study(id("εἰμί"))->examples[1].reference, "Matthew 1:2");
    EXPECT_EQ(text->study(id("οὗτος")), nullptr);
}

TEST_F(SmallText, CountsFormsWhateverTheirCaseAndAccentsInContext)
{
    EXPECT_EQ(forms("λόγος"),
        (std::vector<std::string> {
            "λόγον — accusative singular, 3×", "λόγος — nominative singular, 2×", "λόγου — genitive singular, 1×" }));
    EXPECT_EQ(forms("εἰμί"),
        (std::vector<std::string> { "ἐστιν — present active indicative, third person singular, 3×",
            "ἦν — imperfect active indicative, third person singular, 2×" }));
    EXPECT_EQ(forms("ὁ"),
        (std::vector<std::string> {
            "ὁ — nominative singular masculine, 2×", "τόν — accusative singular masculine, 1×" }));
}

TEST_F(SmallText, CountsEveryLemmaInEachBook)
{
    ASSERT_EQ(text->books().size(), 27u);
    EXPECT_EQ(text->books()[0].words, 15);
    EXPECT_EQ(text->books()[1].words, 5);
    EXPECT_EQ(text->books()[22].name, "1 John");
    EXPECT_EQ(text->books()[22].words, 7);
    EXPECT_EQ(text->books()[26].words, 0);
    EXPECT_EQ(text->lemmaCount(), 12);
    EXPECT_EQ(text->lemma(0), "λόγος");
    EXPECT_EQ(text->lemma(2), "καί"); // 3 like ὁ, and first in code-point order
    std::array<int, kBookCount> logos {};
    logos[0] = 4, logos[1] = 1, logos[22] = 2;
    EXPECT_EQ(text->bookCounts(id("λόγος")), logos);

    int sum = 0;
    for (const LemmaCount& entry : text->bookLemmas(22))
        sum += entry.count;
    EXPECT_EQ(sum, 7);
    Coverage coverage = text->coverage(0, [&](int lemma) { return lemma == id("λόγος") || lemma == id("καί"); });
    EXPECT_EQ(coverage.known, 6);
    EXPECT_EQ(coverage.words, 15);
}

TEST_F(SmallText, FindsTheLemmaOfAFormOrACard)
{
    const std::pair<const char*, const char*> cases[] = {
        { "λόγον", "λόγος" },
        { "Λόγον", "λόγος" },
        { "τὸν", "ὁ" },
        { "οὗτος", "οὗτος" },
        { "ἐστίν", "εἰμί" },
    };
    for (const auto& [form, lemma] : cases) {
        std::vector<int> lemmas = text->lemmasOfForm(form);
        ASSERT_EQ(lemmas.size(), 1u) << form;
        EXPECT_EQ(text->lemma(lemmas[0]), lemma) << form;
    }
    EXPECT_TRUE(text->lemmasOfForm("λογον").empty());
    EXPECT_EQ(text->lemmaOfCard("λόγος, -ου, ὁ"), id("λόγος"));
    EXPECT_EQ(text->lemmaOfCard("Λόγος"), id("λόγος"));
    EXPECT_EQ(text->lemmaOfCard("ῥῆμα"), std::nullopt);
}

TEST_F(SmallText, GivesEveryLemmaItsGlossLexicalFormFormsAndParsings)
{
    EXPECT_EQ(text->gloss(id("λόγος")), "word"); // from the set
    EXPECT_EQ(text->gloss(id("ἀρχή")), "beginning"); // from the glosses
    EXPECT_EQ(text->lexicalForm(id("λόγος")), "λόγος, -ου, ὁ");
    EXPECT_EQ(text->lexicalForm(id("ἀρχή")), "ἀρχή, ἡ"); // no genitive in the text
    EXPECT_EQ(text->lexicalForm(id("λέγω")), "λέγω");
    for (int lemma = 0; lemma < text->lemmaCount(); ++lemma) {
        EXPECT_FALSE(text->gloss(lemma).empty()) << text->lemma(lemma);
        int count = 0;
        for (const Form& form : text->forms(lemma))
            count += form.count;
        EXPECT_EQ(count, text->count(lemma)) << text->lemma(lemma);
    }
    EXPECT_EQ(describeForm(text->forms(id("οὗτος"))[0]), "οὗτος — nominative singular masculine, 1×");
    std::optional<int> parse = text->findParse("V-", "3IAI-S--");
    ASSERT_TRUE(parse);
    EXPECT_EQ(text->parse(*parse).words, "imperfect active indicative, third person singular");
    EXPECT_EQ(text->findParse("V-", "3AAI-P--"), std::nullopt); // the text has no such word
    EXPECT_EQ(text->parseCount(), 14); // five of nouns, three of verbs, two of the article, four of single words
}

TEST(BuildTextGlosses, RefusesGlossesThatDoNotFitTheTextNamingTheLemma)
{
    struct Case
    {
        const char* what;
        std::string glosses;
        const char* lemma;
        const char* place;
    };
    const Case cases[] = {
        { "a lemma without a gloss", "lemma\tgloss\nκαί\tand\n", "ἔχω", "no gloss in set.tsv or glosses.tsv" },
        { "a lemma glossed twice in one file", kGlosses + "θεός\tgod\n", "θεός", "glosses.tsv, line 11" },
        { "a lemma glossed in both files", kGlosses + "λόγος\tword\n", "λόγος", "(also set.tsv, line 2)" },
        { "a lemma the text does not have", kGlosses + "ῥῆμα\tword\n", "ῥῆμα", "glosses.tsv, line 11" },
        { "a lemma spelled otherwise than the text spells it", kGlosses + "Καί\tand\n", "Καί", "line 11" },
    };
    TextSource source(sourceText(smallText()), "small.tsv");
    for (const Case& c : cases) {
        TextData data = karte::deriveText(source, kBuiltIn, "set.tsv");
        try {
            karte::deriveLemmaWords(source, "small.tsv", { kBuiltInGlosses, glossFile(c.glosses) }, data);
            ADD_FAILURE() << c.what << " was accepted";
        } catch (const karte::GlossError& error) {
            EXPECT_EQ(error.lemma(), c.lemma) << c.what << ": " << error.what();
            EXPECT_NE(std::string(error.what()).find(c.lemma), std::string::npos) << c.what << ": " << error.what();
            EXPECT_NE(std::string(error.what()).find(c.place), std::string::npos) << c.what << ": " << error.what();
        }
    }
}

TEST(BuildTextGlosses, RefusesAMalformedGlossFileNamingTheLine)
{
    const std::pair<std::string, int> cases[] = {
        { "lemma\tEnglish\nκαί\tand\n", 1 },
        { "lemma\tgloss\nκαί\tand\nἐν in\n", 3 },
        { "lemma\tgloss\nκαί\tand\talso\n", 2 },
        { "lemma\tgloss\n\tand\n", 2 },
        { "lemma\tgloss\nκαί\t\n", 2 },
        { "lemma\tgloss\nκαί\tand\n\n", 3 },
        { "lemma\tgloss\nκαί\t" + std::string(101, 'a') + "\n", 2 },
        { "", 0 },
    };
    for (const auto& [text, line] : cases) {
        try {
            glossFile(text);
            ADD_FAILURE() << text << " was accepted";
        } catch (const TextSourceError& error) {
            EXPECT_EQ(error.line(), line) << error.what();
            EXPECT_NE(std::string(error.what()).find("glosses.tsv"), std::string::npos) << error.what();
        }
    }
    EXPECT_EQ(glossFile("lemma\tgloss\r\nκαί\tand, even\r\n").glosses.at(0).gloss, "and, even");
}

TEST(BuildTextGlosses, RefusesAParsingCodeThatDoesNotFitItsPartOfSpeech)
{
    std::vector<Word> words = smallText();
    words[5].parse = "----NS--"; // the article without its gender
    TextSource source(sourceText(words), "small.tsv");
    TextData data = karte::deriveText(source, kBuiltIn, "set.tsv");
    try {
        karte::deriveLemmaWords(source, "small.tsv", { kBuiltInGlosses, glossFile(kGlosses) }, data);
        ADD_FAILURE() << "the code was accepted";
    } catch (const TextSourceError& error) {
        EXPECT_EQ(error.line(), 7) << error.what();
    }
}

TEST(BuildTextSource, RefusesDamagedLinesNamingThem)
{
    const std::string header = "book\tchapter\tverse\ttext\tword\tlemma\tpos\tparse\n";
    const std::string good = "Mt\t1\t1\tλόγος\tλόγος\tλόγος\tN-\t----NSM-\n";
    struct Case
    {
        const char* what;
        std::string text;
        int expectedWords;
        int line;
    };
    const Case cases[] = {
        { "wrong header", "book\tchapter\n" + good, 0, 1 },
        { "seven columns", header + good + "Mt\t1\t1\tλόγος\tλόγος\tN-\t----NSM-\n", 0, 3 },
        { "nine columns", header + "Mt\t1\t1\tλόγος\tλόγος\tλόγος\tN-\t----NSM-\tx\n", 0, 2 },
        { "unknown book", header + good + "Mx\t1\t2\tλόγος\tλόγος\tλόγος\tN-\t----NSM-\n", 0, 3 },
        { "books out of order", header + "Mk\t1\t1\tκαί\tκαί\tκαί\tC-\t--------\n" + good, 0, 3 },
        { "verse going back", header + "Mt\t1\t2\tκαί\tκαί\tκαί\tC-\t--------\n" + good, 0, 3 },
        { "chapter not a number", header + "Mt\tI\t1\tκαί\tκαί\tκαί\tC-\t--------\n", 0, 2 },
        { "empty lemma", header + good + "Mt\t1\t1\tκαί\tκαί\t\tC-\t--------\n", 0, 3 },
        { "short parsing code", header + "Mt\t1\t1\tκαί\tκαί\tκαί\tC-\t-------\n", 0, 2 },
        { "unknown part of speech", header + "Mt\t1\t1\tκαί\tκαί\tκαί\tQ-\t--------\n", 0, 2 },
        { "broken UTF-8", header + good + "Mt\t1\t1\tκα\xCE\tκαί\tκαί\tC-\t--------\n", 0, 3 },
        { "blank line", header + good + "\n" + good, 0, 3 },
        { "more words than expected", header + good + good + good, 2, 4 },
        { "fewer words than expected", header + good + good, 3, 3 },
    };
    for (const Case& c : cases) {
        std::optional<int> words = c.expectedWords ? std::optional<int>(c.expectedWords) : std::nullopt;
        try {
            TextSource source(c.text, "text.tsv", words);
            ADD_FAILURE() << c.what << " was accepted";
        } catch (const TextSourceError& error) {
            EXPECT_EQ(error.line(), c.line) << c.what << ": " << error.what();
            EXPECT_NE(std::string(error.what()).find("text.tsv, line " + std::to_string(c.line)), std::string::npos)
                << error.what();
        }
    }
}

TEST(BuildTextSource, RefusesABuiltInLemmaTheTextDoesNotBearOut)
{
    TextSource source(sourceText(smallText()), "small.tsv");
    const std::vector<BuiltInLemma> missing = { { "λόγος", 7, 2 }, { "ῥῆμα", 1, 3 } };
    const std::vector<BuiltInLemma> miscounted = { { "λόγος", 8, 2 } };
    for (const auto& builtIn : { missing, miscounted }) {
        try {
            karte::deriveText(source, builtIn, "set.tsv");
            ADD_FAILURE() << builtIn.back().lemma << " was accepted";
        } catch (const TextSourceError& error) {
            EXPECT_EQ(error.line(), builtIn.back().line) << error.what();
            EXPECT_NE(std::string(error.what()).find(builtIn.back().lemma), std::string::npos) << error.what();
        }
    }
}

TEST(BuildTextTool, WritesTheFileOrLeavesTheOldOneAsItWas)
{
    testsupport::TempDir dir;
    std::string source = sourceText(smallText());
    writeCompressed(dir.file("text.tsv.gz"), source);
    testsupport::writeBytes(
        dir.file("set.tsv"), "rank\tLanguage\tEnglish\tFrequency\n1\tλόγος\tword\t7\n2\tεἰμί\tI am\t5\n3\tὁ\tthe\t3\n");
    testsupport::writeBytes(dir.file("glosses.tsv"), kGlosses);
    testsupport::writeBytes(dir.file("short.tsv"), kGlosses.substr(0, kGlosses.find("οὗτος")));
    auto run = [&](const std::string& input, int words, const std::string& glosses = "glosses.tsv") {
        std::string command = std::string(KARTE_BUILDTEXT_TOOL) + " --words " + std::to_string(words) + " "
            + dir.file(input) + " " + dir.file("set.tsv") + " " + dir.file(glosses) + " " + dir.file("out.dat") + " >"
            + dir.file("log") + " 2>&1";
        return std::system(command.c_str());
    };
    ASSERT_EQ(run("text.tsv.gz", 27), 0) << testsupport::readBytes(dir.file("log"));
    EXPECT_EQ(Text::load(dir.file("out.dat")).study(0)->examples.size(), 2u);

    std::string built = testsupport::readBytes(dir.file("out.dat"));
    EXPECT_NE(run("text.tsv.gz", 28), 0);
    EXPECT_NE(
        testsupport::readBytes(dir.file("log")).find("line 28: the text ends here after 27 words"), std::string::npos)
        << testsupport::readBytes(dir.file("log"));

    std::string compressed = testsupport::readBytes(dir.file("text.tsv.gz"));
    testsupport::writeBytes(dir.file("cut.tsv.gz"), compressed.substr(0, compressed.size() / 2));
    EXPECT_NE(run("cut.tsv.gz", 27), 0);
    EXPECT_NE(testsupport::readBytes(dir.file("log")).find("cut short"), std::string::npos)
        << testsupport::readBytes(dir.file("log"));
    EXPECT_NE(run("text.tsv.gz", 27, "short.tsv"), 0);
    EXPECT_NE(testsupport::readBytes(dir.file("log")).find("the lemma οὗτος of the text (1 times) has no gloss"),
        std::string::npos)
        << testsupport::readBytes(dir.file("log"));
    EXPECT_EQ(testsupport::readBytes(dir.file("out.dat")), built);
}

TEST(BuildTextTool, RefusesDamagedCopiesOfTheRealTextNamingTheLine)
{
    const std::string real = karte::readCompressedFile(KARTE_TEXT_SOURCE);
    auto lineStart = [&](int line) {
        std::size_t at = 0;
        for (int i = 1; i < line; ++i)
            at = real.find('\n', at) + 1;
        return at;
    };
    struct Case
    {
        const char* what;
        int line;
        std::function<std::string()> damage;
        const char* message;
    };
    const Case cases[] = {
        { "a tab lost", 70001,
            [&] {
                std::string copy = real;
                copy[copy.find('\t', lineStart(70001))] = ' ';
                return copy;
            },
            "line 70001: 7 columns, 8 expected" },
        { "a book code changed", 100000,
            [&] {
                std::string copy = real;
                return copy.replace(lineStart(100000), 2, "Xx");
            },
            "line 100000: unknown book code" },
        { "a word lost", 137554,
            [&] {
                std::string copy = real;
                return copy.erase(lineStart(5), lineStart(6) - lineStart(5));
            },
            "line 137554: the text ends here after 137553 words; 137554 expected" },
    };
    testsupport::TempDir dir;
    for (const Case& c : cases) {
        writeCompressed(dir.file("damaged.tsv.gz"), c.damage());
        std::string command = std::string(KARTE_BUILDTEXT_TOOL) + " --words 137554 " + dir.file("damaged.tsv.gz") + " "
            + KARTE_BUILTIN_SOURCE + " " + KARTE_GLOSSES_SOURCE + " " + dir.file("out.dat") + " >" + dir.file("log")
            + " 2>&1";
        EXPECT_NE(std::system(command.c_str()), 0) << c.what;
        std::string log = testsupport::readBytes(dir.file("log"));
        EXPECT_NE(log.find(c.message), std::string::npos) << c.what << ": " << log;
        EXPECT_FALSE(std::filesystem::exists(dir.file("out.dat"))) << c.what;
    }
}
