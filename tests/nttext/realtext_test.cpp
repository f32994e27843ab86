// The companion file the build made, checked against the Greek text read here on its own, and against the
// built-in set's source and the glosses.
#include "parse.h"
#include "spelling.h"
#include "tempdir.h"
#include "text.h"

#include <zlib.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <sstream>

using namespace nttext;

namespace {

struct Token
{
    std::string book, lemma, pos, parse, place; // place: "1Jn 4:8"
    int verse; // running number of the verse in the text
    std::string word; // as printed, punctuation stripped
};

// The text as its source has it, one token a line after the header, read with zlib alone.
const std::vector<Token>& sourceTokens()
{
    static const std::vector<Token> tokens = [] {
        std::vector<Token> read;
        gzFile file = gzopen(KARTE_TEXT_SOURCE, "rb");
        EXPECT_NE(file, nullptr);
        std::string line, place;
        char buffer[4096];
        for (bool header = true; gzgets(file, buffer, sizeof buffer); header = false) {
            std::vector<std::string> columns;
            std::istringstream fields(buffer);
            for (std::string column; std::getline(fields, column, '\t');)
                columns.push_back(column);
            if (header || columns.size() != 8)
                continue;
            std::string here = columns[0] + " " + columns[1] + ":" + columns[2];
            int verse = read.empty() ? 0 : read.back().verse + (here != place);
            place = here;
            columns[7].erase(columns[7].find_last_not_of("\r\n") + 1);
            read.push_back({ columns[0], columns[5], columns[6], columns[7], here, verse, columns[4] });
        }
        gzclose(file);
        return read;
    }();
    return tokens;
}

class RealText : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { text = new Text(Text::load(KARTE_TEXT_FILE)); }
    static void TearDownTestSuite() { delete text; }
    static Text* text;
};

Text* RealText::text = nullptr;

} // namespace

TEST_F(RealText, CountsEveryLemmaInEveryBookAsTheTextHasIt)
{
    const std::vector<Token>& tokens = sourceTokens();
    ASSERT_EQ(tokens.size(), 137554u);
    std::map<std::string, int> words;
    std::map<std::pair<std::string, std::string>, int> counts; // lemma, book
    for (const Token& token : tokens) {
        ++words[token.book];
        ++counts[{ token.lemma, token.book }];
    }
    ASSERT_EQ(text->books().size(), 27u);
    for (const Book& book : text->books())
        EXPECT_EQ(book.words, words[book.code]) << book.code;
    EXPECT_EQ(text->books()[22].code, "1Jn");
    EXPECT_EQ(text->books()[22].words, 2137);

    ASSERT_EQ(text->lemmaCount(), 5461);
    std::size_t pairs = 0;
    for (int id = 0; id < text->lemmaCount(); ++id)
        for (int book = 0; book < kBookCount; ++book)
            if (int count = text->bookCounts(id)[static_cast<std::size_t>(book)]) {
                std::pair<std::string, std::string> key { text->lemma(id),
                    text->books()[static_cast<std::size_t>(book)].code };
                EXPECT_EQ(count, counts[key]) << text->lemma(id) << " in " << book;
                ++pairs;
            }
    EXPECT_EQ(pairs, counts.size());

    int firstJohn = 0;
    for (const LemmaCount& entry : text->bookLemmas(22)) {
        EXPECT_EQ(entry.count, (counts[{ text->lemma(entry.lemma), "1Jn" }])) << text->lemma(entry.lemma);
        firstJohn += entry.count;
    }
    EXPECT_EQ(firstJohn, 2137);
}

TEST_F(RealText, AgreesWithTheBuiltInSetsFrequencies)
{
    std::map<std::string, int> counts;
    for (const Token& token : sourceTokens())
        ++counts[token.lemma];
    std::istringstream source(testsupport::readBytes(KARTE_BUILTIN_SOURCE));
    std::string line, rank, lemma, english, frequency;
    std::getline(source, line);
    long setTotal = 0, textTotal = 0;
    int cards = 0;
    while (std::getline(
        std::getline(std::getline(std::getline(source, rank, '\t'), lemma, '\t'), english, '\t'), frequency)) {
        EXPECT_EQ(std::stoi(frequency), counts[lemma]) << lemma;
        setTotal += std::stoi(frequency);
        textTotal += counts[lemma];
        std::optional<int> id = text->lemmaOfCard(lemma);
        ASSERT_TRUE(id) << lemma;
        EXPECT_EQ(text->count(*id), counts[lemma]);
        EXPECT_NE(text->study(*id), nullptr) << lemma;
        ++cards;
    }
    EXPECT_EQ(cards, 1125);
    EXPECT_EQ(setTotal, textTotal);
}

TEST_F(RealText, QuotesEachLemmasShortestVersesAndMarksItsWords)
{
    const std::vector<Token>& tokens = sourceTokens();
    std::vector<int> verseLength(static_cast<std::size_t>(tokens.back().verse + 1));
    std::vector<std::size_t> verseStart(verseLength.size());
    for (std::size_t i = tokens.size(); i-- > 0;) {
        ++verseLength[static_cast<std::size_t>(tokens[i].verse)];
        verseStart[static_cast<std::size_t>(tokens[i].verse)] = i;
    }
    std::map<std::string, std::vector<int>> versesOf; // lemma → verses of five words or more, in order
    for (const Token& token : tokens) {
        std::vector<int>& verses = versesOf[token.lemma];
        if (verseLength[static_cast<std::size_t>(token.verse)] >= 5 && (verses.empty() || verses.back() != token.verse))
            verses.push_back(token.verse);
    }
    int studies = 0;
    for (int id = 0; id < text->lemmaCount(); ++id) {
        const Study* study = text->study(id);
        if (!study)
            continue;
        ++studies;
        std::vector<std::pair<int, int>> expected; // length, verse: the shortest first, then the earliest
        for (int verse : versesOf[text->lemma(id)])
            expected.emplace_back(verseLength[static_cast<std::size_t>(verse)], verse);
        std::sort(expected.begin(), expected.end());
        ASSERT_EQ(study->examples.size(), std::min<std::size_t>(2, expected.size())) << text->lemma(id);
        for (std::size_t i = 0; i < study->examples.size(); ++i) {
            const Example& example = study->examples[i];
            std::size_t start = verseStart[static_cast<std::size_t>(expected[i].second)];
            std::string place = text->books()[static_cast<std::size_t>(example.book)].code + " "
                + std::to_string(example.chapter) + ":" + std::to_string(example.verse);
            EXPECT_EQ(place, tokens[start].place) << text->lemma(id);
            EXPECT_EQ(1 + std::count(example.text.begin(), example.text.end(), ' '), expected[i].first);
            ASSERT_FALSE(example.positions.empty());
            for (int position : example.positions)
                EXPECT_EQ(tokens[start + static_cast<std::size_t>(position)].lemma, text->lemma(id)) << place;
        }
        ASSERT_LE(study->forms.size(), 3u);
        for (std::size_t i = 1; i < study->forms.size(); ++i)
            EXPECT_GE(study->forms[i - 1].count, study->forms[i].count) << text->lemma(id);
    }
    EXPECT_EQ(studies, 1125);
}

TEST_F(RealText, ListsWellKnownWordsAsADictionaryDoes)
{
    const std::pair<const char*, const char*> cases[] = {
        { "λόγος", "λόγος, -ου, ὁ" },
        { "χάρις", "χάρις, -ιτος, ἡ" },
        { "πόλις", "πόλις, -εως, ἡ" },
        { "βασιλεύς", "βασιλεύς, -έως, ὁ" },
        { "ἡμέρα", "ἡμέρα, -ας, ἡ" },
        { "ὄνομα", "ὄνομα, -ατος, τό" },
        { "πνεῦμα", "πνεῦμα, -ατος, τό" },
        { "Ἰησοῦς", "Ἰησοῦς, -οῦ, ὁ" },
        { "αἰών", "αἰών, -ῶνος, ὁ" }, // the accent that changes is shown
        { "ἀνήρ", "ἀνήρ, ἀνδρός, ὁ" }, // the genitive in full where the stem changes
        { "θεός", "θεός, -οῦ, ὁ, ἡ" }, // both genders the text gives it
        { "σημεῖον", "σημεῖον, τό" }, // no genitive singular in the text
        { "Φίλιπποι", "Φίλιπποι, -ων, οἱ" }, // a plural
        { "Ἱεροσόλυμα", "Ἱεροσόλυμα, ἡ, τά" }, // a plural that is also a feminine singular
        { "Ἀβραάμ", "Ἀβραάμ, ὁ (indeclinable)" },
        { "ἀγαθός", "ἀγαθός, -ή, -όν" },
        { "καλός", "καλός, -ή, -όν" }, // the feminine from its accusative
        { "αἰώνιος", "αἰώνιος, -ον" },
        { "ἀληθής", "ἀληθής, -ές" },
        { "πᾶς", "πᾶς, πᾶσα, πᾶν" },
        { "μέγας", "μέγας, μεγάλη, μέγα" },
        { "δώδεκα", "δώδεκα (indeclinable)" },
        { "λέγω", "λέγω" },
        { "ἐν", "ἐν" },
    };
    for (const auto& [lemma, lexicalForm] : cases) {
        std::optional<int> id = text->findLemma(lemma);
        ASSERT_TRUE(id) << lemma;
        EXPECT_EQ(text->lexicalForm(*id), lexicalForm);
    }
}

// Each lemma's gloss is the one its file gives it, and its forms and their parsings add up to its count.
TEST_F(RealText, GivesEveryLemmaItsGlossAndForms)
{
    std::map<std::string, std::string> glosses;
    for (const auto& [file, glossColumn] : { std::pair { KARTE_BUILTIN_SOURCE, 2 }, { KARTE_GLOSSES_SOURCE, 1 } }) {
        std::istringstream lines(testsupport::readBytes(file));
        std::string line;
        std::getline(lines, line);
        while (std::getline(lines, line)) {
            std::vector<std::string> columns;
            std::istringstream fields(line);
            for (std::string column; std::getline(fields, column, '\t');)
                columns.push_back(column);
            glosses[columns[static_cast<std::size_t>(glossColumn) - 1]]
                = columns[static_cast<std::size_t>(glossColumn)];
        }
    }
    ASSERT_EQ(glosses.size(), static_cast<std::size_t>(text->lemmaCount()));
    for (int id = 0; id < text->lemmaCount(); ++id) {
        EXPECT_EQ(text->gloss(id), glosses[text->lemma(id)]) << text->lemma(id);
        int count = 0;
        for (const Form& form : text->forms(id)) {
            int parsed = 0;
            for (const FormParse& parse : form.parses)
                parsed += parse.count;
            EXPECT_EQ(parsed, form.count) << form.text;
            count += form.count;
        }
        EXPECT_EQ(count, text->count(id)) << text->lemma(id);
        if (const Study* study = text->study(id)) {
            for (std::size_t i = 0; i < study->forms.size(); ++i)
                EXPECT_EQ(describeForm(study->forms[i]), describeForm(text->forms(id)[i])) << text->lemma(id);
        }
    }
}

// Every parsing of the text is in the file's table, with its words.
TEST_F(RealText, KnowsEveryParsingOfTheText)
{
    std::set<std::pair<std::string, std::string>> codes;
    for (const Token& token : sourceTokens())
        codes.emplace(token.pos, token.parse);
    EXPECT_EQ(static_cast<std::size_t>(text->parseCount()), codes.size());
    for (const auto& [pos, code] : codes) {
        std::optional<int> id = text->findParse(pos, code);
        ASSERT_TRUE(id) << pos << " " << code;
        EXPECT_EQ(text->parse(*id).partOfSpeech, pos);
        EXPECT_EQ(text->parse(*id).code, code);
        EXPECT_EQ(text->parse(*id).words, parseInWords(pos, code));
    }
}

// Each form of a lemma counts the tokens of its spelling and parsing. Spellings are compared as the text's forms
// are counted: a capital first letter, a grave for an acute and an enclitic's thrown-back accent aside, and an
// enclitic or proclitic that a neighbour gave an accent taken as its unaccented spelling where the lemma has it; but
// an iota subscript kept (ἡμέρᾳ, dative singular, is not ἡμέραι, nominative plural).
TEST_F(RealText, CountsEachFormShownAsTheTokensOfItsSpellingAndParsing)
{
    std::map<std::string, std::map<std::string, std::map<std::string, int>>> counts; // lemma → spelling → parse
    for (const Token& token : sourceTokens())
        ++counts[token.lemma][normalisedForm(lowerFirst(token.word))][readableParse(token.pos, token.parse)];
    int forms = 0;
    for (int id = 0; id < text->lemmaCount(); ++id) {
        const auto& spellings = counts[text->lemma(id)];
        std::map<std::string, std::map<std::string, int>> bySpelling;
        std::map<std::string, int> totals;
        for (const auto& [written, parses] : spellings) {
            const std::string counted = spellings.count(withoutAccents(written)) ? withoutAccents(written) : written;
            for (const auto& [parse, count] : parses) {
                bySpelling[counted][parse] += count;
                totals[counted] += count;
            }
        }
        for (const Form& form : text->forms(id)) {
            const std::string written = normalisedForm(lowerFirst(form.text));
            for (const FormParse& parse : form.parses)
                EXPECT_EQ(parse.count, bySpelling[written][readableParse(parse.partOfSpeech, parse.code)])
                    << describeForm(form);
            EXPECT_EQ(form.count, totals[written]) << describeForm(form);
            totals.erase(written);
            ++forms;
        }
        // No spelling of the lemma is left out.
        for (const auto& [written, count] : totals)
            ADD_FAILURE() << text->lemma(id) << ": " << written << " (" << count << "×) is not among its forms";
    }
    EXPECT_GT(forms, 17000);
}
