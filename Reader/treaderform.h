#pragma once

#include "openings.h"
#include "readingchapter.h"
#include "readingprogress.h"
#include "readingstore.h"

#include <QFont>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Ui {
class TReaderForm;
}
namespace windowtest {
struct FormAccess;
}
namespace learning {
class Clock;
}
namespace nttext {
class ReadingText;
class Text;
} // namespace nttext
namespace karte {
class FileDialog;
class NewTestament;
} // namespace karte
namespace speech {
class Speaker;
}

class TDataSource;

// The Reader: the New Testament chapter by chapter, with the help the learner needs. The words the open set's
// progress says the learner does not know yet (or those rarer than a number of occurrences, or none: a choice kept
// in the set) are marked in the text and glossed under it in the order they occur; any word can be chosen, with the
// arrow keys or the mouse, and a panel tells its lexical form, gloss, parsing, counts and the learner's progress of
// it. Above the text, how much of the chapter the learner knows. The window opens where the learner last read in
// the set; it asks the main window, by signals, to study a word's card or a chapter's words, and reads the progress
// again when told that the learner has studied. What to read next ranks the chapters by the share known; a chapter
// or several can be saved as a PDF to print. Esc closes it; the main window stays disabled until it says closed().
class TReaderForm : public QWidget
{
    Q_OBJECT

public:
    explicit TReaderForm(QWidget* parent = nullptr);
    ~TReaderForm() override;

    // What the main window hands over: the data source of the set read, and the face of its Greek card text, which
    // the text takes at the next showing.
    void setDataSource(TDataSource* source) { source_ = source; }
    void setCardFace(const QFont& face) { cardFace_ = face; }
    // The Greek New Testament: the text word by word, its glosses, lexical forms and parsings.
    void setNewTestament(const karte::NewTestament* newTestament) { newTestament_ = newTestament; }
    // What reads the Greek aloud; the window works without one, silently.
    void setSpeaker(speech::Speaker* speaker);
    // The time the progress is read at; tests fix it. By default the computer's clock.
    void setClock(const learning::Clock* clock) { clock_ = clock; }

    // Runs each time the window is shown: the set's cards, progress and reading state are read, and the chapter
    // last read comes up.
    void FormShow(QObject* sender);
    // Runs each time the window is hidden: where the learner was is kept in the set.
    void FormHide(QObject* sender);
    // The learner has studied meanwhile (the Study window opened from here closed): the progress is read again and
    // the chapter shown anew, the same word chosen.
    void studied();

    // The commands behind the keys and buttons.
    void openChapter(int chapter, int verse = 0);
    void goToReference();
    void moveWord(int step);
    void moveVerse(int step);
    void verseEdge(bool end);
    void chooseWord(int word);
    void studyIt();
    void prepareChapter();
    void markRead();
    void showNext();
    void showReading();
    void showPdfChoices();
    void savePdf();
    void sayPanel();
    void readWordAloud();
    void readVerseAloud();
    void previousChapter();
    void nextChapter();
    void askReference();
    void escape();

    // The chapter shown and the word chosen, as indexes into the text for reading (-1: none).
    int chapter() const { return chapter_; }
    int chosenWord() const { return chosen_; }

    // Writes chapters first to last (indexes) with their glosses as a PDF at path, on A4 or Letter.
    void writePdf(const QString& path, int first, int last, bool letter) const;

Q_SIGNALS:
    // The window was hidden, by the user or the program.
    void closed();
    // The learner asks to review this card out of turn in the Study window.
    void studyCard(qint64 key);
    // The learner asks to study the words of this chapter (the book's code, "Jn", and the chapter's number).
    void studyChapter(const QString& bookCode, int chapter);
    // A card was added to the open set.
    void cardsAdded();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend struct windowtest::FormAccess;

    void wireHandlers();
    void wireKeys();
    void readProgress();
    void readState();
    void keepPlace();
    void fillBooks();
    void showChapterNumber();
    void bookChosen();
    void chapterNumberChosen();
    void glossesChanged();
    void showGlossChoice();
    void layOutChapter();
    void showFootnotes();
    void showCoverage();
    void showWord(bool announceIt);
    void showNoWord();
    void scrollTo(class QTextEdit* view, int position, int length);
    void highlightFootnote(int footnote);
    void fillNext();
    void openChosenNext();
    void addCard(int lemma);
    bool addCardTo(const QString& path, int lemma, QString& outcome);
    void showNotes();
    void say(const QString& greek);
    void showProblem(const QString& text);
    void announce(const QString& text);
    int wordAtPosition(int position) const;
    QString panelText() const;
    // The word chosen as a screen reader says it: the form, and its gloss when it is glossed.
    QString wordSaid() const;
    bool isRead(int chapter) const;
    QString verseText(int verseIndex) const;
    const learning::Clock& clock() const;
    const nttext::Text* text() const;

    std::unique_ptr<Ui::TReaderForm> ui;
    TDataSource* source_ = nullptr;
    const karte::NewTestament* newTestament_ = nullptr;
    const nttext::ReadingText* reading_ = nullptr;
    std::optional<QFont> cardFace_;
    const learning::Clock* clock_ = nullptr;
    QPointer<speech::Speaker> speaker_;
    std::unique_ptr<karte::FileDialog> pdfDialog_;
    std::unique_ptr<karte::FileDialog> setDialog_;

    // The set's cards with their lemmas and memories, read once an opening, and each lemma's progress from them.
    std::vector<learning::LemmaCard> cards_;
    learning::LemmaKnowledge knowledge_;
    cardstore::ReadingState state_;
    bool stateReadable_ = false; // the set's reading state could be read, so it may be written
    QString stateProblem_;
    QString speechProblem_;
    QString added_; // what the last Study It added, said in the notes
    QString pendingAnnouncement_; // for a screen reader, once the window is active
    bool problemShown_ = false; // the window's controls are unavailable

    int chapter_ = -1;
    int chosen_ = -1; // a word of the chapter, by its index in the whole text
    learning::ChapterGlosses glosses_;
    // Where each word of the chapter lies in the chapter's document, by its place in the chapter.
    std::vector<int> wordStarts_;
    std::vector<int> wordLengths_;
    std::vector<int> footnoteStarts_; // where each footnote's line begins in the footnotes' document
    // Last, so that it stops watching before the members above go.
    karte::Openings openings_ { this, [this] { FormShow(this); }, [this] { FormHide(this); } };
};
