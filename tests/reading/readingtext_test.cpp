// The text for reading: the file the build made, word by word against the source read on its own; the file's
// reader on damaged files; and the references a learner types.
#include "sourcewords.h"

#include "books.h"
#include "reading.h"
#include "readingfile.h"
#include "tempdir.h"
#include "text.h"
#include "texterrors.h"

#include <gtest/gtest.h>

#include <functional>

using namespace nttext;

namespace {

class ReadingFile : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        text = new Text(Text::load(KARTE_TEXT_FILE));
        reading = new ReadingText(ReadingText::load(KARTE_READING_FILE, *text));
    }
    static void TearDownTestSuite()
    {
        delete reading;
        delete text;
    }
    static Text* text;
    static ReadingText* reading;
};

Text* ReadingFile::text = nullptr;
ReadingText* ReadingFile::reading = nullptr;

void expectRefused(const std::string& bytes, const std::string& what)
{
    try {
        decodeReadingFile(bytes, "ntreading.dat");
        ADD_FAILURE() << what << " was accepted";
    } catch (const TextFileError& error) {
        EXPECT_NE(std::string(error.what()).find("ntreading.dat"), std::string::npos) << what << ": " << error.what();
    }
}

// Two verses of John 1 in three words.
ReadingData tinyReading()
{
    ReadingData data;
    data.parses = { { "N-", "----NSM-" }, { "V-", "3IAI-S--" } };
    data.forms = { { "λόγος,", 0, 10 }, { "ἦν", 0, 5 } };
    data.lemmaCount = 2;
    data.chapters = { { 3, 1, { { 1, 2 }, { 2, 1 } } } };
    data.words = { { 0, 0, 0 }, { 1, 1, 1 }, { 1, 1, 1 } };
    return data;
}

} // namespace

TEST_F(ReadingFile, HoldsEveryWordOfTheTextInItsPlace)
{
    const std::vector<readingtest::SourceWord>& source = readingtest::sourceWords();
    ASSERT_EQ(static_cast<std::size_t>(reading->wordCount()), source.size());
    ASSERT_EQ(reading->chapterCount(), 260);
    std::size_t next = 0; // the source word the walk has come to
    for (int chapterIndex = 0; chapterIndex < reading->chapterCount(); ++chapterIndex) {
        const Chapter& chapter = reading->chapter(chapterIndex);
        ASSERT_EQ(reading->findChapter(chapter.book, chapter.number), chapterIndex);
        const std::span<const TextWord> words = reading->chapterWords(chapterIndex);
        ASSERT_EQ(words.size(), static_cast<std::size_t>(chapter.words));
        int inChapter = 0;
        for (const ChapterVerse& verse : reading->verses(chapterIndex)) {
            for (int i = 0; i < verse.words; ++i, ++next, ++inChapter) {
                const readingtest::SourceWord& expected = source[next];
                const TextWord& word = words[static_cast<std::size_t>(inChapter)];
                const std::string place = expected.book + " " + std::to_string(expected.chapter) + ":"
                    + std::to_string(expected.verse) + " word " + std::to_string(i);
                ASSERT_EQ(bookNames()[static_cast<std::size_t>(chapter.book)].code, expected.book) << place;
                ASSERT_EQ(chapter.number, expected.chapter) << place;
                ASSERT_EQ(verse.number, expected.verse) << place;
                ASSERT_EQ(&reading->word(verse.firstWord + i), &word) << place;
                EXPECT_EQ(reading->printed(word), readingtest::withoutApparatus(expected.text)) << place;
                EXPECT_EQ(reading->form(word), expected.word) << place;
                EXPECT_EQ(text->lemma(word.lemma), expected.lemma) << place;
                EXPECT_EQ(reading->parse(word.parse).partOfSpeech, expected.partOfSpeech) << place;
                EXPECT_EQ(reading->parse(word.parse).code, expected.parse) << place;
                EXPECT_EQ(reading->verseOfWord(chapterIndex, verse.firstWord + i),
                    &verse - reading->verses(chapterIndex).data())
                    << place;
            }
        }
        ASSERT_EQ(inChapter, chapter.words);
    }
    EXPECT_EQ(next, source.size());
    for (int parse = 1; parse < reading->parseCount(); ++parse) {
        const ParseCode& a = reading->parse(parse - 1);
        const ParseCode& b = reading->parse(parse);
        EXPECT_LT(std::tie(a.partOfSpeech, a.code), std::tie(b.partOfSpeech, b.code));
    }
}

TEST_F(ReadingFile, NamesChaptersAndFindsBooks)
{
    EXPECT_EQ(reading->bookChapters(3), std::make_pair(28 + 16 + 24, 21)); // John, after Matthew, Mark and Luke
    EXPECT_EQ(reading->chapterName(*reading->findChapter(3, 3)), "John 3");
    EXPECT_EQ(reading->chapterName(*reading->findChapter(25, 1)), "Jude");
    EXPECT_EQ(reading->bookChapters(26).second, 22);
    EXPECT_FALSE(reading->findChapter(3, 22));
}

TEST(ReadingFileDamage, RefusesForeignTruncatedAndDamagedFiles)
{
    const std::string real = testsupport::readBytes(KARTE_READING_FILE);
    ASSERT_GT(real.size(), 1000u);
    expectRefused("", "an empty file");
    expectRefused(testsupport::readBytes(KARTE_TEXT_FILE), "the companion file");
    for (std::size_t cut : { std::size_t(23), std::size_t(25), real.size() / 2, real.size() - 1 })
        expectRefused(real.substr(0, cut), "the file cut at " + std::to_string(cut));
    for (std::size_t at : { std::size_t(9), std::size_t(14), real.size() / 3, real.size() - 5 }) {
        std::string flipped = real;
        flipped[at] = static_cast<char>(flipped[at] ^ 0x5A);
        expectRefused(flipped, "a byte changed at " + std::to_string(at));
    }
}

TEST(ReadingFileDamage, RefusesContentsThatPointNowhere)
{
    EXPECT_NO_THROW(decodeReadingFile(encodeReadingFile(tinyReading()), "ntreading.dat"));
    std::vector<std::pair<const char*, std::function<void(ReadingData&)>>> cases = {
        { "a lemma past the lemmas", [](ReadingData& d) { d.words[2].lemma = 2; } },
        { "a parsing past the table", [](ReadingData& d) { d.words[0].parse = 2; } },
        { "a word past its printed form", [](ReadingData& d) { d.forms[1].wordLength = 6; } },
        { "a verse of no words", [](ReadingData& d) { d.chapters[0].verses[1].words = 0; } },
        { "chapters out of order",
            [](ReadingData& d) {
                d.chapters.push_back({ 2, 1, { { 1, 1 } } });
            } },
        { "a book past Revelation", [](ReadingData& d) { d.chapters[0].book = kBookCount; } },
    };
    for (auto& [what, damage] : cases) {
        ReadingData data = tinyReading();
        damage(data);
        if (data.chapters.size() > 1)
            data.words.push_back(data.words[0]);
        expectRefused(encodeReadingFile(data), what);
    }
}

TEST_F(ReadingFile, RefusesAFileMadeFromAnotherText)
{
    testsupport::TempDir dir;
    ReadingData data = readReadingFile(KARTE_READING_FILE);
    ASSERT_NE(data.words[0].lemma, data.lemmaCount - 1);
    ReadingData otherLemma = data;
    otherLemma.words[0].lemma = data.lemmaCount - 1; // βίβλος in Matthew 1:1 taken for the last lemma
    ReadingData otherParsings = data;
    std::swap(otherParsings.parses[0], otherParsings.parses[1]);
    for (const ReadingData& other : { otherLemma, otherParsings }) {
        writeReadingFile(dir.file("ntreading.dat"), other);
        EXPECT_THROW(ReadingText::load(dir.file("ntreading.dat"), *text), TextFileError);
    }
    EXPECT_NO_THROW(ReadingText::load(KARTE_READING_FILE, *text));
}

TEST_F(ReadingFile, GoesToTheReferenceTypedOrSaysWhyNot)
{
    struct Case
    {
        const char* typed;
        const char* place; // "John 3:16", "John 3" without a verse; null for an error
        const char* error = ""; // a part of the error
    };
    const Case cases[] = {
        { "John 3", "John 3" },
        { "  jn 3:16 ", "John 3:16" },
        { "JHN 3.16", "John 3:16" },
        { "John 3 16", "John 3:16" },
        { "Jn 3:16-18", "John 3:16" },
        { "John", "John 1" },
        { "1 Cor 13", "1 Corinthians 13" },
        { "1cor13:4", "1 Corinthians 13:4" },
        { "I Cor 13", "1 Corinthians 13" },
        { "First Corinthians 2", "1 Corinthians 2" },
        { "1 Jn 4:8", "1 John 4:8" },
        { "Jude 5", "Jude:5" },
        { "Rev 22", "Revelation 22" },
        { "Phil 2", "Philippians 2" },
        { "Phile 1", "Philemon:1" },
        { "Ti 2", "Titus 2" },
        { "", nullptr, "Type a book" },
        { "3:16", nullptr, "names no book" },
        { "Jon 3", nullptr, "No book of the New Testament is called “Jon”" },
        { "Ph 2", nullptr, "“Ph” could be Philippians or Philemon" },
        { "Cor 13", nullptr, "“Cor” needs its number: 1 Corinthians or 2 Corinthians" },
        { "3 Cor 1", nullptr, "There is no 3 Corinthians; there is 1 Corinthians or 2 Corinthians" },
        { "John 22", nullptr, "John has 21 chapters, not 22" },
        { "Jude 2:1", nullptr, "Jude has one chapter, not 2" },
        { "John 3:37", nullptr, "John 3 has no verse 37; its verses are 1 to 36" },
        { "Mt 17:21", nullptr, "Matthew 17:21 is not in the text" },
        { "John 3:", nullptr, "“John 3:” cannot be read" },
        { "John three", nullptr, "cannot be read" },
        { "Ἰωάννης 3", nullptr, "names no book" },
    };
    for (const Case& test : cases) {
        const ReferenceResult result = reading->findReference(test.typed);
        if (!test.place) {
            EXPECT_FALSE(result.place) << test.typed;
            EXPECT_NE(result.error.find(test.error), std::string::npos) << test.typed << ": " << result.error;
            continue;
        }
        ASSERT_TRUE(result.place) << test.typed << ": " << result.error;
        std::string place = reading->chapterName(result.place->chapter);
        if (result.place->verse)
            place += ":" + std::to_string(result.place->verse);
        EXPECT_EQ(place, test.place) << test.typed;
    }
}
