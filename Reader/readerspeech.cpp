#include "errorbox.h"
#include "reading.h"
#include "speaker.h"
#include "studysession.h"
#include "table.h"
#include "tdatasource.h"
#include "treaderform.h"
#include "ui_treaderform.h"

// The Greek read aloud: Ctrl+R the word chosen, Ctrl+Shift+R its verse, with the pronunciation and the speed the set
// keeps for the Study window.

void TReaderForm::setSpeaker(speech::Speaker* speaker)
{
    if (speaker_)
        disconnect(speaker_, nullptr, this, nullptr);
    speaker_ = speaker;
    if (speaker_)
        connect(speaker_, &speech::Speaker::unavailable, this, [this](const QString& reason) {
            // Said once: each word read would otherwise say it again.
            if (reason == speechProblem_)
                return;
            speechProblem_ = reason;
            showNotes();
            announce(reason);
        });
}

void TReaderForm::say(const QString& greek)
{
    if (!speaker_ || !source_ || !source_->active())
        return;
    const learning::StudySettings settings = learning::readStudySettings(source_->dataSet()->study());
    speaker_->say(greek,
        settings.pronunciation == learning::Pronunciation::Modern ? speech::Voice::Modern : speech::Voice::Erasmian,
        settings.speechSpeed);
}

void TReaderForm::readWordAloud()
{
    if (chosen_ >= 0)
        say(ui->WordForm->text());
}

void TReaderForm::readVerseAloud()
{
    if (chosen_ < 0)
        return;
    const nttext::ChapterVerse& verse
        = reading_->verses(chapter_)[static_cast<std::size_t>(reading_->verseOfWord(chapter_, chosen_))];
    QStringList words;
    for (int word = verse.firstWord; word < verse.firstWord + verse.words; ++word) {
        const std::string_view printed = reading_->printed(reading_->word(word));
        words.append(QString::fromUtf8(printed.data(), static_cast<qsizetype>(printed.size())));
    }
    say(words.join(QLatin1Char(' ')));
}
