#include "errorbox.h"
#include "speaker.h"
#include "studysession.h"
#include "tstudyform.h"
#include "ui_tstudyform.h"

#include <QKeySequence>
#include <QShortcut>
#include <QSignalBlocker>

// The Greek read aloud: Ctrl+R or the button reads the card's Greek side, and the set may ask for each word to be
// read as its Greek side comes up; the pronunciation and the speed are the set's too.

namespace {

speech::Voice voiceOf(const learning::StudySettings& settings)
{
    return settings.pronunciation == learning::Pronunciation::Modern ? speech::Voice::Modern : speech::Voice::Erasmian;
}

} // namespace

void TStudyForm::setSpeaker(speech::Speaker* speaker)
{
    if (speaker_)
        disconnect(speaker_, nullptr, this, nullptr);
    speaker_ = speaker;
    if (speaker_)
        connect(speaker_, &speech::Speaker::unavailable, this,
            [this](const QString& reason) { karte::guarded([&] { speechUnavailable(reason); }); });
}

void TStudyForm::wireSpeech()
{
    using karte::connectGuarded;
    connectGuarded(ui->ReadAloudButton, &QToolButton::clicked, this, [this] { readAloud(); });
    connectGuarded(
        new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), this), &QShortcut::activated, this, [this] { readAloud(); });
    connectGuarded(ui->ReadAloudBox, &QCheckBox::toggled, this, [this] { speechSettingsChanged(); });
    connectGuarded(ui->PronunciationBox, &QComboBox::activated, this, [this] { speechSettingsChanged(); });
    connectGuarded(ui->SpeechSpeedBox, &QSpinBox::editingFinished, this, [this] { speechSettingsChanged(); });
}

void TStudyForm::fillSpeechChoices()
{
    const learning::StudySettings& settings = session_->settings();
    const QSignalBlocker quietReading(ui->ReadAloudBox);
    const QSignalBlocker quietSpeed(ui->SpeechSpeedBox);
    ui->ReadAloudBox->setChecked(settings.readAloud);
    ui->PronunciationBox->setCurrentIndex(settings.pronunciation == learning::Pronunciation::Modern ? 1 : 0);
    ui->SpeechSpeedBox->setValue(settings.speechSpeed);
    // The voice is loaded, and the sound device found, while the learner looks at the first card.
    if (speaker_)
        speaker_->prepare(voiceOf(settings));
}

void TStudyForm::speechSettingsChanged()
{
    if (!session_)
        return;
    learning::StudySettings settings = session_->settings();
    settings.readAloud = ui->ReadAloudBox->isChecked();
    settings.pronunciation = ui->PronunciationBox->currentIndex() == 1 ? learning::Pronunciation::Modern
                                                                       : learning::Pronunciation::Erasmian;
    settings.speechSpeed = ui->SpeechSpeedBox->value();
    const learning::StudySettings& before = session_->settings();
    if (settings.readAloud == before.readAloud && settings.pronunciation == before.pronunciation
        && settings.speechSpeed == before.speechSpeed)
        return;
    session_->changeSettings(settings);
}

void TStudyForm::readAloud()
{
    if (!speaker_ || !session_ || !current_)
        return;
    if (const learning::StudyCard* card = session_->card(*current_)) {
        const learning::StudySettings& settings = session_->settings();
        speaker_->say(QString::fromStdString(card->greek), voiceOf(settings), settings.speechSpeed);
    }
}

void TStudyForm::greekSideShown()
{
    if (session_ && session_->settings().readAloud)
        readAloud();
}

void TStudyForm::speechUnavailable(const QString& reason)
{
    // Said once: a set that reads every word aloud would otherwise say it at every card.
    if (reason == speechProblem_)
        return;
    speechProblem_ = reason;
    showNote();
    announce(reason);
}
