// What the Reader makes of the learner's progress: the lemmas known, and a chapter's glosses, coverage, rank and new
// cards, for a study history built here through the real study session, checked against counts made from the Greek
// text's source file read on its own.
#include "sourcewords.h"

#include "cardsets.h"
#include "clock.h"
#include "progresstext.h"
#include "reading.h"
#include "readingcards.h"
#include "readingchapter.h"
#include "studysession.h"
#include "table.h"
#include "tempdir.h"
#include "text.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using learning::Grade;
using learning::WordProgress;

namespace {

using readingtest::sourceChapter;

// A Tuesday noon, UTC: 9 December 2025.
constexpr std::int64_t kNoon = 1'765'281'600'000;

const nttext::Text& text()
{
    static const nttext::Text loaded = nttext::Text::load(KARTE_TEXT_FILE);
    return loaded;
}

const nttext::ReadingText& reading()
{
    static const nttext::ReadingText loaded = nttext::ReadingText::load(KARTE_READING_FILE, text());
    return loaded;
}

// A set of one's own studied over a year: cards answered Easy yesterday are known today; Again leaves a card
// learning; Easy a year ago has faded below 90%; the cards not answered are new. The English sides keep the set's
// order (its primary index is the English one).
class StudiedSet : public ::testing::Test
{
protected:
    struct PlannedCard
    {
        const char* english;
        const char* greek;
        std::optional<Grade> yesterday;
        bool aYearAgo = false;
    };

    StudiedSet()
        : clock(kNoon - 365 * learning::kDayMs)
    {
        const PlannedCard planned[] = {
            { "a beginning", "ἀρχή", Grade::Easy }, { "b word", "λόγος, -ου, ὁ", Grade::Easy },
            { "c God", "θεός", Grade::Easy }, { "d God, again", "θεός", std::nullopt }, { "e the", "ὁ", Grade::Easy },
            { "f and", "καί", Grade::Easy }, { "g in", "ἐν", Grade::Easy }, { "h light", "φῶς", Grade::Again },
            { "i life", "ζωή", std::nullopt, true }, { "j darkness", "σκοτία", std::nullopt },
            { "k witness", "μαρτυρία", std::nullopt }, { "l nothing", "ζζζ ξξξ", Grade::Easy }, // no lemma
            { "m Hades", "ᾅδης", Grade::Easy }, // not in John 1
        };
        std::vector<testsupport::Card> cards;
        for (const PlannedCard& card : planned)
            cards.push_back({ card.english, card.greek, std::nullopt });
        testsupport::makeCardSet(path, cards);
        table.setTableName(path);
        table.open();
        auto answerAll = [&](auto wanted) {
            learning::StudySession session(table, clock, &text(), false);
            for (const learning::StudyCard& card : session.cards())
                for (const PlannedCard& plan : planned)
                    if (card.english == plan.english)
                        if (std::optional<Grade> grade = wanted(plan))
                            session.answer(card.key, *grade, 3000);
        };
        answerAll([](const PlannedCard& plan) { return plan.aYearAgo ? std::optional(Grade::Easy) : std::nullopt; });
        clock.setNowMs(kNoon - learning::kDayMs);
        answerAll([](const PlannedCard& plan) { return plan.yesterday; });
        clock.setNowMs(kNoon);
    }

    learning::LemmaKnowledge knowledge()
    {
        return learning::LemmaKnowledge(learning::lemmaCards(table, text()), text().lemmaCount(), clock.nowMs());
    }

    // The lemmas the history above makes known, as the source spells them.
    const std::set<std::string> known { "ἀρχή", "λόγος", "θεός", "ὁ", "καί", "ἐν", "ᾅδης" };
    testsupport::TempDir dir;
    const std::string path = dir.file("studied.sdb");
    learning::ManualClock clock;
    cardstore::Table table;
};

} // namespace

TEST_F(StudiedSet, TellsEachLemmaByItsCardFurthestAlong)
{
    const learning::LemmaKnowledge lemmas = knowledge();
    const std::vector<std::pair<const char*, WordProgress>> expected = {
        { "λόγος", WordProgress::Known },
        { "θεός", WordProgress::Known }, // one card known, the other new
        { "φῶς", WordProgress::Learning },
        { "ζωή", WordProgress::Review }, // in review, but faded
        { "σκοτία", WordProgress::New },
        { "χάρις", WordProgress::NoCard },
    };
    for (const auto& [lemma, progress] : expected) {
        const std::optional<int> id = text().findLemma(lemma);
        ASSERT_TRUE(id) << lemma;
        EXPECT_EQ(lemmas.progress(*id).progress, progress) << lemma;
        EXPECT_EQ(lemmas.progress(*id).card != 0, progress != WordProgress::NoCard) << lemma;
    }
    EXPECT_EQ(lemmas.knownLemmas(), static_cast<int>(known.size()));

    // Studied since: the memories read again tell it.
    const int darkness = *text().findLemma("σκοτία");
    std::vector<learning::LemmaCard> cards = learning::lemmaCards(table, text());
    learning::StudySession(table, clock, &text(), false).answer(lemmas.progress(darkness).card, Grade::Easy, 1000);
    clock.advanceMs(learning::kDayMs);
    learning::refreshMemories(cards, table);
    EXPECT_TRUE(learning::LemmaKnowledge(cards, text().lemmaCount(), clock.nowMs()).known(darkness));
}

TEST_F(StudiedSet, GlossesTheWordsNotKnownOncePerChapterInTheOrderTheyComeAsTheSourceCountsThem)
{
    const std::vector<readingtest::SourceWord> john1 = sourceChapter("Jn", 1);
    std::map<std::string, int> counts; // the lemmas of the whole text
    for (const readingtest::SourceWord& word : readingtest::sourceWords())
        ++counts[word.lemma];
    const int chapter = *reading().findChapter(3, 1);
    const learning::LemmaKnowledge lemmas = knowledge();

    struct Case
    {
        const char* name;
        learning::GlossRule rule;
        std::function<bool(const std::string& lemma)> glossed;
    };
    const Case cases[] = {
        { "words not known", {}, [&](const std::string& lemma) { return !known.contains(lemma); } },
        { "rarer than 30", { learning::GlossMode::RarerThan, 30 },
            [&](const std::string& lemma) { return counts[lemma] < 30; } },
        { "rarer than 2", { learning::GlossMode::RarerThan, 2 },
            [&](const std::string& lemma) { return counts[lemma] < 2; } },
        { "no glosses", { learning::GlossMode::None, 30 }, [](const std::string&) { return false; } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> expected; // "verse form lemma", each lemma once, in order
        std::vector<bool> expectedMarks;
        std::set<std::string> noted;
        for (const readingtest::SourceWord& word : john1) {
            expectedMarks.push_back(c.glossed(word.lemma));
            if (expectedMarks.back() && noted.insert(word.lemma).second)
                expected.push_back(std::to_string(word.verse) + " " + word.word + " " + word.lemma);
        }
        const learning::ChapterGlosses glosses = learning::chapterGlosses(reading(), text(), chapter, lemmas, c.rule);
        std::vector<std::string> footnotes;
        for (const learning::Footnote& note : glosses.footnotes)
            footnotes.push_back(std::to_string(note.verse) + " "
                + std::string(reading().form(reading().word(note.word))) + " " + text().lemma(note.lemma));
        EXPECT_EQ(footnotes, expected);
        ASSERT_EQ(glosses.footnoteOfWord.size(), john1.size());
        for (std::size_t i = 0; i < john1.size(); ++i) {
            ASSERT_EQ(glosses.footnoteOfWord[i] >= 0, expectedMarks[i]) << "word " << i;
            if (expectedMarks[i]) {
                EXPECT_EQ(text().lemma(glosses.footnotes[static_cast<std::size_t>(glosses.footnoteOfWord[i])].lemma),
                    john1[i].lemma);
            }
        }
    }
}

TEST_F(StudiedSet, CoverageAndTheChaptersRankedByTheShareKnownAgreeWithTheSource)
{
    const learning::LemmaKnowledge lemmas = knowledge();
    std::map<std::pair<std::string, int>, std::pair<int, int>> expected; // (book, chapter) → known, words
    for (const readingtest::SourceWord& word : readingtest::sourceWords()) {
        auto& [knownWords, words] = expected[{ word.book, word.chapter }];
        knownWords += known.contains(word.lemma) ? 1 : 0;
        ++words;
    }
    const std::vector<learning::ChapterShare> ranked = learning::chaptersByShare(reading(), lemmas);
    ASSERT_EQ(ranked.size(), expected.size());
    std::set<int> seen;
    for (std::size_t i = 0; i < ranked.size(); ++i) {
        const learning::ChapterShare& share = ranked[i];
        const nttext::Chapter& chapter = reading().chapter(share.chapter);
        const auto [knownWords, words] = expected.at(
            { std::string(nttext::bookNames()[static_cast<std::size_t>(chapter.book)].code), chapter.number });
        EXPECT_EQ(share.known, knownWords) << reading().chapterName(share.chapter);
        EXPECT_EQ(share.words, words) << reading().chapterName(share.chapter);
        EXPECT_TRUE(seen.insert(share.chapter).second);
        if (i > 0) {
            const learning::ChapterShare& before = ranked[i - 1];
            const std::int64_t a = std::int64_t { before.known } * share.words;
            const std::int64_t b = std::int64_t { share.known } * before.words;
            EXPECT_TRUE(a > b || (a == b && before.chapter < share.chapter)) << reading().chapterName(share.chapter);
        }
    }

    const int john1 = *reading().findChapter(3, 1);
    const learning::BookCoverage coverage = learning::chapterCoverage(reading(), john1, lemmas);
    const auto [knownWords, words] = expected.at({ "Jn", 1 });
    EXPECT_EQ(coverage.knownWords, knownWords);
    EXPECT_EQ(coverage.totalWords, words);
    // The fewest more words: John 1's most frequent lemmas not known, whether the set has them or not.
    std::map<std::string, int> unknown;
    for (const readingtest::SourceWord& word : sourceChapter("Jn", 1))
        unknown[word.lemma] += known.contains(word.lemma) ? 0 : 1;
    std::vector<int> counts;
    for (const auto& [lemma, count] : unknown)
        counts.push_back(count);
    std::sort(counts.rbegin(), counts.rend());
    int more = 0;
    for (std::int64_t reached = knownWords; reached * 100 < std::int64_t { words } * 95; ++more)
        reached += counts[static_cast<std::size_t>(more)];
    EXPECT_EQ(coverage.mark95.words, more);
    EXPECT_EQ(learning::chapterCoverageSentence(coverage, reading().chapterName(john1)),
        "You know " + std::to_string(knownWords * 100 / words) + "% of the " + learning::groupedText(words)
            + " words of John 1. " + std::to_string(more) + " more words for 95%.");
}

TEST_F(StudiedSet, PreparesAChapterWithItsNewCardsMostFrequentThereFirst)
{
    std::map<std::string, int> inJohn1;
    for (const readingtest::SourceWord& word : sourceChapter("Jn", 1))
        ++inJohn1[word.lemma];
    // The new cards naming a word of John 1, by its count there; of equals, the set's order.
    std::vector<std::pair<int, std::string>> expected = { { inJohn1["θεός"], "d God, again" },
        { inJohn1["σκοτία"], "j darkness" }, { inJohn1["μαρτυρία"], "k witness" } };
    std::stable_sort(expected.begin(), expected.end(), [](const auto& a, const auto& b) { return a.first > b.first; });

    const std::vector<learning::LemmaCard> cards = learning::lemmaCards(table, text());
    const int john1 = *reading().findChapter(3, 1);
    std::vector<std::string> prepared;
    for (std::int64_t key : learning::chapterNewCards(reading(), john1, cards))
        prepared.push_back(std::get<std::string>((*table.recordValues(key))[0]));
    std::vector<std::string> wanted;
    for (const auto& [count, english] : expected)
        wanted.push_back(english);
    EXPECT_EQ(prepared, wanted);

    // The Study window's study of a chapter brings the same cards, in the same order, and the set keeps the chapter.
    {
        learning::StudySession session(table, clock, &text(), false, &reading());
        learning::StudySettings settings = session.settings();
        settings.book = "Jn";
        settings.chapter = 1;
        settings.dailyNewCards = 10;
        session.changeSettings(settings);
        std::vector<std::string> studied;
        while (std::optional<learning::QueueItem> next = session.next()) {
            if (next->source == learning::QueueSource::New)
                studied.push_back(session.card(next->key)->english);
            session.answer(next->key, Grade::Easy, 1000);
        }
        EXPECT_EQ(studied, wanted);
    }
    learning::StudySession reopened(table, clock, &text(), false, &reading());
    EXPECT_EQ(reopened.settings().chapter, 1);
    EXPECT_EQ(reopened.chapterIndex(), john1);
    learning::StudySettings allWords = reopened.settings();
    allWords.book.clear();
    reopened.changeSettings(allWords);
    EXPECT_EQ(learning::readStudySettings(table.study()).chapter, 0);
}

TEST(ReadingState, PlacesKeptInTheSetAreThoseOfTheText)
{
    // Every chapter and verse goes into the set and comes back.
    for (int chapter = 0; chapter < reading().chapterCount(); ++chapter)
        for (int verse : { 0, reading().verses(chapter).back().number }) {
            const cardstore::ReadingPlace stored = learning::storedPlace(reading(), { chapter, verse });
            const std::optional<nttext::TextPlace> back = learning::textPlace(reading(), stored);
            ASSERT_TRUE(back) << stored.book << " " << stored.chapter << ":" << verse;
            EXPECT_EQ(back->chapter, chapter);
            EXPECT_EQ(back->verse, verse);
        }
    const cardstore::ReadingStore::PlaceCheck exists = learning::placeCheck(reading());
    EXPECT_TRUE(exists("1Co", 13, 4));
    EXPECT_FALSE(exists("1 Co", 13, 0)); // the text's codes, not what a learner types
    EXPECT_FALSE(exists("Mt", 17, 21)); // a verse the editors leave out
    EXPECT_FALSE(exists("Jn", 22, 0));
    EXPECT_FALSE(exists("Jn", 3, 37));
}
