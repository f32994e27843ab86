// The Study window reading the Greek aloud: Ctrl+R and the button read the card's Greek side in the set's
// pronunciation and speed, a set may have each word read as its Greek side comes up, all three kept in the set; and
// without sound the window says so once while the review goes on.
#include "speaker.h"
#include "speechtest.h"
#include "tform1.h"
#include "tstudyform.h"
#include "ui_tform1.h"
#include "ui_tstudyform.h"
#include "windowtest.h"

#include <QSignalSpy>
#include <QTest>

using namespace windowtest;
using speech::Voice;
using speechtest::asLongAs;
using speechtest::hear;

namespace {

class StudySpeechTest : public MainWindowTest
{
protected:
    StudySpeechTest()
    {
        auto memory = std::make_unique<speech::MemoryOutput>();
        output = memory.get();
        speaker = std::make_unique<speech::Speaker>(std::move(memory));
        formOn(fourCards());
        study = std::make_unique<TStudyForm>();
        form->connectStudyWindow(study.get());
        study->setSpeaker(speaker.get());
        form->show();
    }
    ~StudySpeechTest() override { study.reset(); }

    Ui::TStudyForm& studyUi() { return formOf(*study); }
    void open()
    {
        ui().Study1->trigger();
        study->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(study.get()));
        QCoreApplication::processEvents();
    }
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(study.get(), Qt::Key(key), modifiers);
    }
    void answerGood()
    {
        press(Qt::Key_Space);
        press(Qt::Key_3);
    }
    speech::MemoryOutput* output = nullptr;
    std::unique_ptr<speech::Speaker> speaker;
    std::unique_ptr<TStudyForm> study;
};

TEST_F(StudySpeechTest, TheKeyAndTheButtonReadTheGreekSideInTheSetsPronunciationAndSpeed)
{
    QSignalSpy finished(speaker.get(), &speech::Speaker::finished);
    open();
    answerGood();
    answerGood();
    ASSERT_EQ(studyUi().FrontText->text(), "λόγος");
    const speechtest::Heard english = hear("word, message", Voice::Erasmian);

    press(Qt::Key_R, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == 1; }, 10'000));
    EXPECT_TRUE(asLongAs(output->played(), hear("λόγος", Voice::Erasmian)));
    EXPECT_FALSE(asLongAs(output->played(), english));

    // Modern Greek at half speed: 87 words a minute.
    studyUi().PronunciationBox->setCurrentIndex(1);
    Q_EMIT studyUi().PronunciationBox->activated(1);
    studyUi().SpeechSpeedBox->setValue(50);
    Q_EMIT studyUi().SpeechSpeedBox->editingFinished();
    QTest::mouseClick(studyUi().ReadAloudButton, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == 2; }, 10'000));
    EXPECT_TRUE(asLongAs(output->played(), hear("λόγος", Voice::Modern, 87)));
    EXPECT_FALSE(asLongAs(output->played(), hear("λόγος", Voice::Erasmian)));

    // The set keeps both.
    press(Qt::Key_Escape);
    open();
    EXPECT_EQ(studyUi().PronunciationBox->currentText(), "Modern Greek");
    EXPECT_EQ(studyUi().SpeechSpeedBox->value(), 50);
    EXPECT_FALSE(studyUi().ReadAloudBox->isChecked());
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

TEST_F(StudySpeechTest, EachWordIsReadAsItsGreekSideComesUpWhenTheSetAsksForIt)
{
    QSignalSpy finished(speaker.get(), &speech::Speaker::finished);
    open();
    studyUi().ReadAloudBox->setChecked(true);
    answerGood();
    ASSERT_EQ(studyUi().FrontText->text(), "καί");
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == 1; }, 10'000));
    EXPECT_TRUE(asLongAs(output->played(), hear("καί", Voice::Erasmian)));
    EXPECT_FALSE(asLongAs(output->played(), hear("and, even, also", Voice::Erasmian)));

    // English first: the Greek is the answer, read when it is shown and not before.
    studyUi().FirstSideBox->setCurrentIndex(1);
    Q_EMIT studyUi().FirstSideBox->activated(1);
    ASSERT_EQ(studyUi().FrontText->text(), "and, even, also");
    QTest::qWait(100);
    EXPECT_EQ(finished.count(), 1);
    press(Qt::Key_Space);
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == 2; }, 10'000));
    EXPECT_TRUE(asLongAs(output->played(), hear("καί", Voice::Erasmian)));

    press(Qt::Key_Escape);
    open();
    EXPECT_TRUE(studyUi().ReadAloudBox->isChecked());
}

TEST_F(StudySpeechTest, WithoutSoundTheKeySaysSoOnceAndTheReviewGoesOn)
{
    const QString noSound = QStringLiteral("Greek cannot be read aloud: there is no sound device.");
    output->setProblem(noSound);
    AnnouncementRecorder said;
    open();
    // Every word read as it comes up, too: the message is no more frequent for it.
    studyUi().ReadAloudBox->setChecked(true);
    said.take();
    for (int press = 0; press < 2; ++press)
        this->press(Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(said.take().count(noSound), 1);
    EXPECT_EQ(studyUi().NoteText->text().count(noSound), 1) << studyUi().NoteText->text().toStdString();

    answerGood();
    EXPECT_EQ(studyUi().FrontText->text(), "καί");
    EXPECT_EQ(said.take().count(noSound), 0);
    EXPECT_EQ(studyUi().NoteText->text().count(noSound), 1);
    EXPECT_EQ(output->starts(), 0);
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

} // namespace
