// Greek synthesised into memory: words, verses and hostile texts give sound of a plausible length or a clean
// refusal; text is cut to a sane length at a word, control characters and other scripts left out; a stopped
// synthesis leaves nothing behind; missing voice data is told, not crashed on.
#include "speechtest.h"

#include "synthesis.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

using speech::Outcome;
using speech::Voice;
using speechtest::hear;
using speechtest::Heard;

namespace {

const std::string kVerse = "Ἐν ἀρχῇ ἦν ὁ λόγος, καὶ ὁ λόγος ἦν πρὸς τὸν θεόν, καὶ θεὸς ἦν ὁ λόγος.";

// 10,000 characters in turn Greek, Latin, Hebrew, Chinese, digits, emoji and punctuation, as a set of one's own may
// hold anything.
std::string mixedScripts()
{
    const char* const pieces[] = { "λόγος ", "word ", "שָׁלוֹם ", "道 ", "1234 ", "🙂 ", "«»—… " };
    std::string text;
    std::size_t characters = 0;
    for (std::size_t i = 0; characters < 10'000; ++i) {
        const std::string piece = pieces[i % std::size(pieces)];
        text += piece;
        for (unsigned char c : piece)
            characters += (c & 0xC0) != 0x80;
    }
    return text;
}

std::string combiningMarks()
{
    std::string marks;
    for (int i = 0; i < 200; ++i)
        marks += "\u0301\u0313\u0342\u0345";
    return marks;
}

TEST(Synthesis, EachTextGivesSoundOfAPlausibleLengthOrACleanRefusal)
{
    struct Case
    {
        const char* name;
        std::string text;
        Voice voice;
        Outcome outcome;
        double shortest; // seconds of sound, when there is sound
        double longest;
    };
    const Case cases[] = {
        { "a word, Erasmian", "λόγος", Voice::Erasmian, Outcome::Spoken, 0.2, 1.5 },
        { "a word, Modern Greek", "λόγος", Voice::Modern, Outcome::Spoken, 0.2, 1.5 },
        { "a verse", kVerse, Voice::Erasmian, Outcome::Spoken, 2.5, 12 },
        { "a verse, Modern Greek", kVerse, Voice::Modern, Outcome::Spoken, 2.5, 12 },
        { "an empty text", "", Voice::Erasmian, Outcome::NothingToSay, 0, 0 },
        { "spaces and line ends", " \t\r\n ", Voice::Erasmian, Outcome::NothingToSay, 0, 0 },
        { "combining marks alone", combiningMarks(), Voice::Erasmian, Outcome::NothingToSay, 0, 0 },
        // Cut at 500 characters, most of them read out by name ("Chinese letter"): minutes, not an hour.
        { "10,000 characters of mixed scripts", mixedScripts(), Voice::Erasmian, Outcome::Spoken, 10, 240 },
        { "English", "in the beginning was the word", Voice::Erasmian, Outcome::Spoken, 1, 5 },
        { "bytes that are no UTF-8", "\xff\xfe\xc3 λόγος \xe2\x82", Voice::Modern, Outcome::Spoken, 0.2, 2 },
        // Letters for which espeak-ng would switch to another language's voice: Devanagari, Bengali, Georgian,
        // Hangul, Cyrillic, Hebrew, Chinese; and a mark and an unassigned place of the Bengali and Georgian blocks.
        { "letters of other scripts", "क ক ა 한 слово שלום 道 \u09FE \u09E4 \u10FB", Voice::Erasmian,
            Outcome::NothingToSay, 0, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Heard heard = hear(c.text, c.voice);
        EXPECT_EQ(heard.outcome, c.outcome);
        if (c.outcome != Outcome::Spoken)
            continue;
        EXPECT_GE(heard.seconds(), c.shortest);
        EXPECT_LE(heard.seconds(), c.longest);
        // Speech, not silence: espeak-ng's voices speak at an RMS of 2,000 to 4,000.
        EXPECT_GT(heard.rms(), 500);
        EXPECT_LE(heard.longestChunk, 0.05 * heard.sampleRate) << "the samples must come in small chunks";
    }
}

TEST(Synthesis, SpeedChangesTheLengthAndIsHeldToTheVoicesRange)
{
    const double normal = hear(kVerse, Voice::Erasmian, speech::kNormalWordsPerMinute).seconds();
    const double slow = hear(kVerse, Voice::Erasmian, 100).seconds();
    const double fast = hear(kVerse, Voice::Erasmian, 350).seconds();
    EXPECT_GT(slow, 1.3 * normal);
    EXPECT_LT(fast, 0.8 * normal);
    // Out of range: the slowest and the fastest the voice has. (espeak-ng's sound differs a little from one
    // synthesis of a text to the next, its length by a few samples.)
    const double slowest = hear(kVerse, Voice::Erasmian, speech::kSlowestWordsPerMinute).seconds();
    const double fastest = hear(kVerse, Voice::Erasmian, speech::kFastestWordsPerMinute).seconds();
    EXPECT_NEAR(hear(kVerse, Voice::Erasmian, 1).seconds(), slowest, 0.02 * slowest);
    EXPECT_NEAR(hear(kVerse, Voice::Erasmian, 100'000).seconds(), fastest, 0.02 * fastest);
    EXPECT_GT(fastest, 0.2 * normal);
}

TEST(Synthesis, AStoppedSynthesisLeavesNothingForTheNext)
{
    const Heard alone = hear("λόγος", Voice::Erasmian);
    speech::Synthesizer synthesizer;
    int chunks = 0;
    EXPECT_EQ(synthesizer.synthesize(kVerse, Voice::Erasmian, speech::kNormalWordsPerMinute,
                  [&](speech::Samples) { return ++chunks < 3; }),
        Outcome::Stopped);
    EXPECT_EQ(chunks, 3);
    EXPECT_NEAR(hear("λόγος", Voice::Erasmian).seconds(), alone.seconds(), 0.02 * alone.seconds());
}

TEST(Synthesis, TextIsCutToASaneLengthAtAWord)
{
    const std::string word = "λόγος ";
    std::string words;
    while (words.size() < 2000)
        words += word;
    const std::string exact = std::string(500, 'a');
    struct Case
    {
        const char* name;
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        { "spaces at either end", "  \tλόγος\n ", "λόγος" },
        { "control characters and line ends", "ὁ\r\nλόγος\x07θεοῦ", "ὁ λόγος θεοῦ" },
        // espeak-ng reads a text up to its first NUL.
        { "a NUL inside", std::string("ὁ\0λόγος", sizeof "ὁ\0λόγος" - 1), "ὁ λόγος" },
        { "bytes that are no UTF-8", "\xc3(\xff)", "( )" },
        { "a long text cut at its last word within 500 characters", words, words.substr(0, 83 * word.size() - 1) },
        { "one word of 600 letters cut at 500", std::string(600, 'a'), exact },
        { "500 characters and a line end", exact + "\n", exact },
        { "combining marks kept", combiningMarks().substr(0, 16), combiningMarks().substr(0, 16) },
        { "Greek and Latin kept, other scripts left out", "ὁ λόγος (logos) — слово, 道!", "ὁ λόγος (logos) — , !" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(speech::speakableText(c.text), c.expected);
    }
}

// espeak-ng is loaded once a process, so each of these runs in a process of its own, where ESPEAK_DATA_PATH points
// at data with something missing before anything loads it.
class MissingVoiceData : public ::testing::Test
{
protected:
    MissingVoiceData() { GTEST_FLAG_SET(death_test_style, "threadsafe"); }

    // In the new process: loads the engine from folder and reports on the voice.
    [[noreturn]] static void reportFrom(const std::filesystem::path& folder, Voice voice)
    {
        ::setenv("ESPEAK_DATA_PATH", folder.c_str(), 1);
        speech::Synthesizer synthesizer;
        const std::string problem = synthesizer.problem(voice);
        bool heard = false;
        const Outcome outcome
            = synthesizer.synthesize("λόγος", voice, speech::kNormalWordsPerMinute, [&](speech::Samples) {
                  heard = true;
                  return true;
              });
        std::cerr << "problem: " << problem << '\n';
        std::filesystem::remove_all(folder);
        std::exit(outcome == Outcome::Unavailable && !heard ? 3 : outcome == Outcome::Spoken ? 4 : 5);
    }

    testsupport::TempDir folder { false };
};

TEST_F(MissingVoiceData, NoDataAtAllIsToldAndNothingIsSynthesised)
{
    EXPECT_EXIT(reportFrom(folder.path(), Voice::Erasmian), ::testing::ExitedWithCode(3),
        "problem: Greek cannot be read aloud: .*espeak-ng-data");
}

TEST_F(MissingVoiceData, AVoiceWithoutItsDictionaryIsToldAndTheOtherStillSpeaks)
{
    const std::filesystem::path system = KARTE_ESPEAK_DATA;
    if (!std::filesystem::is_regular_file(system / "grc_dict"))
        GTEST_SKIP() << "no espeak-ng data at " << system << " to copy all but a dictionary of";
    for (const auto& entry : std::filesystem::directory_iterator(system))
        if (entry.path().filename() != "grc_dict")
            std::filesystem::create_symlink(
                entry.path(), std::filesystem::path(folder.path()) / entry.path().filename());
    EXPECT_EXIT(reportFrom(folder.path(), Voice::Erasmian), ::testing::ExitedWithCode(3),
        "problem: .*Ancient Greek voice \\(grc\\) is missing");
    EXPECT_EXIT(reportFrom(folder.path(), Voice::Modern), ::testing::ExitedWithCode(4), "problem: \n");
}

} // namespace
