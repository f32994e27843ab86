// The speaker that the windows hand Greek to: what it plays is the text asked for, with the voice and the speed
// asked for; a new text stops the one being read; where nothing can be heard it says why, once for each text, and
// makes nothing.
#include "speechtest.h"

#include "speaker.h"
#include "tempdir.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>

using speech::Voice;
using speechtest::asLongAs;
using speechtest::hear;

namespace {

const QString kVerse = QStringLiteral("Ἐν ἀρχῇ ἦν ὁ λόγος, καὶ ὁ λόγος ἦν πρὸς τὸν θεόν, καὶ θεὸς ἦν ὁ λόγος.");

class SpeakerTest : public ::testing::Test
{
protected:
    SpeakerTest()
    {
        auto memory = std::make_unique<speech::MemoryOutput>();
        output = memory.get();
        speaker = std::make_unique<speech::Speaker>(std::move(memory));
    }

    // Waits for the speaker to finish the text it was given last.
    bool finish(QSignalSpy& finished, int count = 1)
    {
        return QTest::qWaitFor([&] { return finished.count() >= count; }, 10'000);
    }

    speech::MemoryOutput* output = nullptr;
    std::unique_ptr<speech::Speaker> speaker;
};

TEST_F(SpeakerTest, WhatIsPlayedIsTheTextInTheVoiceAndAtTheSpeedAskedFor)
{
    struct Case
    {
        Voice voice;
        int speedPercent;
        int wordsPerMinute;
    };
    QSignalSpy finished(speaker.get(), &speech::Speaker::finished);
    int count = 0;
    // The verse lasts 6 s in the Erasmian voice at its normal speed, 4 s in the Modern Greek one: each case's sound
    // is far from the others'.
    for (const Case& c : { Case { Voice::Erasmian, 100, 175 }, Case { Voice::Modern, 100, 175 },
             Case { Voice::Modern, 50, 87 }, Case { Voice::Erasmian, 200, 350 } }) {
        SCOPED_TRACE(c.speedPercent);
        speaker->say(kVerse, c.voice, c.speedPercent);
        ASSERT_TRUE(finish(finished, ++count));
        const speechtest::Heard expected = hear(kVerse.toStdString(), c.voice, c.wordsPerMinute);
        EXPECT_EQ(output->sampleRate(), expected.sampleRate);
        EXPECT_TRUE(asLongAs(output->played(), expected))
            << output->played().size() / 2 << " samples played, " << expected.samples.size() << " expected";
    }
    // Nothing to say is no sound and no complaint.
    QSignalSpy unavailable(speaker.get(), &speech::Speaker::unavailable);
    const int starts = output->starts();
    speaker->say(QStringLiteral(" \u0301\u0313\u0342\u0345 "), Voice::Erasmian);
    ASSERT_TRUE(finish(finished, ++count));
    EXPECT_EQ(output->starts(), starts);
    EXPECT_EQ(unavailable.count(), 0);
}

TEST_F(SpeakerTest, ANewTextStopsTheOneBeingRead)
{
    QSignalSpy finished(speaker.get(), &speech::Speaker::finished);
    // Seven verses: a text still being made when its first sound is played.
    speaker->say(kVerse.repeated(7), Voice::Erasmian);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !output->played().isEmpty(); }, 10'000));
    const int finishedBefore = finished.count();
    speaker->say(QStringLiteral("λόγος"), Voice::Erasmian);
    ASSERT_TRUE(finish(finished, finishedBefore + 1));
    // Whatever of the verses was still on its way has had its chance to arrive.
    QTest::qWait(200);
    EXPECT_EQ(output->starts(), 2);
    EXPECT_GE(output->stops(), 1);
    EXPECT_TRUE(asLongAs(output->played(), hear("λόγος", Voice::Erasmian)))
        << output->played().size() / 2 << " samples played";
}

TEST_F(SpeakerTest, NoSoundDeviceIsToldOnceForEachTextAndNothingIsMade)
{
    output->setProblem(QStringLiteral("Greek cannot be read aloud: there is no sound device."));
    QSignalSpy unavailable(speaker.get(), &speech::Speaker::unavailable);
    QSignalSpy finished(speaker.get(), &speech::Speaker::finished);
    for (int text = 1; text <= 2; ++text) {
        speaker->say(QStringLiteral("λόγος"), Voice::Erasmian);
        QTest::qWait(100);
        ASSERT_EQ(unavailable.count(), text);
        EXPECT_EQ(unavailable.last().first().toString(), output->problem());
    }
    EXPECT_EQ(output->starts(), 0);
    EXPECT_EQ(finished.count(), 0);
}

TEST(SpeakerWithoutVoiceData, SaysWhyForTheTextAndPlaysNothing)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const testsupport::TempDir empty(false);
    // espeak-ng is loaded once a process: in a process of its own, from a folder without its data.
    const auto report = [&] {
        ::setenv("ESPEAK_DATA_PATH", empty.path().c_str(), 1);
        auto memory = std::make_unique<speech::MemoryOutput>();
        const speech::MemoryOutput& output = *memory;
        speech::Speaker speaker(std::move(memory));
        QSignalSpy unavailable(&speaker, &speech::Speaker::unavailable);
        speaker.say(QStringLiteral("λόγος"), Voice::Erasmian);
        const bool told = QTest::qWaitFor([&] { return unavailable.count() > 0; }, 10'000);
        QTest::qWait(100);
        std::cerr << "told " << unavailable.count() << ": "
                  << (told ? unavailable.first().first().toString().toStdString() : "") << '\n';
        std::exit(output.starts() == 0 ? 3 : 4);
    };
    EXPECT_EXIT(report(), ::testing::ExitedWithCode(3), "told 1: Greek cannot be read aloud: .*espeak-ng-data");
}

} // namespace
