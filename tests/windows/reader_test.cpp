// The Reader over the main window, from the keyboard: a chapter's glosses and coverage against counts made from the
// Greek text's source file on its own, before and after studying in the Study window opened from the Reader; moving
// word by word and verse by verse, and what a screen reader is told; the place and choices kept per set; a card
// added for a word the set lacks; the chapter prepared for study; what to read next; the PDF; damaged reading state.
#include "sourcewords.h"
#include "speaker.h"
#include "speechtest.h"

#include "clock.h"
#include "contrast.h"
#include "filedialogs.h"
#include "newtestament.h"
#include "table.h"
#include "text.h"
#include "tform1.h"
#include "treaderform.h"
#include "tstudyform.h"
#include "ui_tform1.h"
#include "ui_treaderform.h"
#include "ui_tstudyform.h"
#include "windowtest.h"

#include <QAbstractButton>
#include <QApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QTextBlock>

#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>

using namespace windowtest;

namespace {

using readingtest::sourceChapter;

// A Tuesday noon, UTC.
constexpr std::int64_t kNoon = 1'765'281'600'000;

// Words of John 1 and one that is not in it, in the built-in set's order (most frequent first).
const std::vector<testsupport::Card>& johnCards()
{
    static const std::vector<testsupport::Card> cards {
        { "the", "ὁ", 19769 },
        { "and, even, also", "καί", 8973 },
        { "in, on, among", "ἐν", 2752 },
        { "God", "θεός", 1317 },
        { "word, message", "λόγος", 330 },
        { "beginning", "ἀρχή", 55 },
        { "Hades", "ᾅδης", 10 },
    };
    return cards;
}

// The glosses a reader's edition of John 1 gives a learner who knows these lemmas, counted from the source: each
// lemma not known where it first occurs, as "verse form".
QStringList expectedGlosses(const std::set<std::string>& known)
{
    QStringList lines;
    std::set<std::string> glossed;
    for (const readingtest::SourceWord& word : sourceChapter("Jn", 1))
        if (!known.contains(word.lemma) && glossed.insert(word.lemma).second)
            lines.append(QStringLiteral("%1 %2").arg(word.verse).arg(QString::fromStdString(word.word)));
    return lines;
}

// "You know 3% of the 871 words of John 1. 40 more words for 95%.", counted from the source.
QString expectedCoverage(const std::set<std::string>& known)
{
    std::map<std::string, std::int64_t> unknown;
    std::int64_t total = 0, knownWords = 0;
    for (const readingtest::SourceWord& word : sourceChapter("Jn", 1)) {
        ++total;
        if (known.contains(word.lemma))
            ++knownWords;
        else
            ++unknown[word.lemma];
    }
    std::vector<std::int64_t> counts;
    for (const auto& [lemma, count] : unknown)
        counts.push_back(count);
    std::sort(counts.rbegin(), counts.rend());
    int more = 0;
    for (std::int64_t reached = knownWords; reached * 100 < total * 95;
         reached += counts[static_cast<std::size_t>(more++)])
        ;
    return QStringLiteral("You know %1% of the %2 words of John 1. %3 more words for 95%.")
        .arg(knownWords * 100 / total)
        .arg(QLocale(QLocale::English).toString(static_cast<qlonglong>(total)))
        .arg(more);
}

class ReaderTest : public MainWindowTest
{
protected:
    ReaderTest()
        : clock(kNoon)
    {
        formOn(johnCards());
        study = std::make_unique<TStudyForm>();
        study->setClock(&clock, false);
        study->setNewTestament(&karte::newTestament());
        form->connectStudyWindow(study.get());
        reader = std::make_unique<TReaderForm>();
        reader->setClock(&clock);
        reader->setNewTestament(&karte::newTestament());
        form->connectReaderWindow(reader.get());
        form->show();
    }
    ~ReaderTest() override
    {
        karte::FileDialog::clearScript();
        reader.reset();
        study.reset();
    }

    Ui::TReaderForm& readerUi() { return formOf(*reader); }
    Ui::TStudyForm& studyUi() { return formOf(*study); }

    void openReader()
    {
        ui().Read1->trigger();
        ASSERT_TRUE(reader->isVisible());
        reader->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(reader.get()));
    }
    // A key as the user presses it, to whatever has the keyboard.
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
        QTest::keyClick(target, Qt::Key(key), modifiers);
    }
    // A button's key (Alt and the letter of its caption): the button shows itself pressed, then clicks.
    void pressButton(int key)
    {
        press(key, Qt::AltModifier);
        const auto released = [this] {
            const QList<QAbstractButton*> buttons = reader->findChildren<QAbstractButton*>();
            return std::none_of(
                buttons.begin(), buttons.end(), [](QAbstractButton* button) { return button->isDown(); });
        };
        EXPECT_TRUE(QTest::qWaitFor(released));
    }
    void type(const QString& text)
    {
        for (QChar letter : text)
            QTest::sendKeyEvent(
                QTest::Click, QApplication::focusWidget(), Qt::Key_unknown, QString(letter), Qt::NoModifier);
    }
    void goTo(const QString& reference)
    {
        press(Qt::Key_G, Qt::ControlModifier);
        type(reference);
        press(Qt::Key_Return);
    }
    // The glosses under the text, each as its verse and form ("5 κατέλαβεν").
    QStringList glosses()
    {
        QStringList lines;
        for (QTextBlock block = readerUi().FootnotesView->document()->begin(); block.isValid(); block = block.next())
            lines.append(block.text().section(QStringLiteral(" — "), 0, 0));
        return lines;
    }
    QString chosenForm() { return readerUi().WordForm->text(); }

    learning::ManualClock clock;
    std::unique_ptr<TStudyForm> study;
    std::unique_ptr<TReaderForm> reader;
};

TEST_F(ReaderTest, GlossesAndCoverageFollowWhatIsStudiedFromTheReader)
{
    openReader();
    goTo(QStringLiteral("John 1"));
    EXPECT_EQ(glosses(), expectedGlosses({}));
    EXPECT_EQ(readerUi().CoverageText->text(), expectedCoverage({}));

    // λόγος is the fifth word: Study It reviews its card out of turn, over the Reader.
    for (int i = 0; i < 4; ++i)
        press(Qt::Key_Right);
    ASSERT_EQ(chosenForm(), "λόγος");
    pressButton(Qt::Key_S);
    ASSERT_TRUE(study->isVisible());
    EXPECT_FALSE(reader->isEnabled());
    study->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(study.get()));
    EXPECT_EQ(studyUi().FrontText->text(), "λόγος");
    EXPECT_TRUE(studyUi().CountsText->text().contains("out of turn"));
    // Easy to it, and to the card the day's queue brings next (ὁ, the set's first).
    for (int card = 0; card < 2; ++card) {
        QTest::keyClick(study.get(), Qt::Key_Space);
        QTest::keyClick(study.get(), Qt::Key_4);
    }
    QTest::keyClick(study.get(), Qt::Key_Escape);
    ASSERT_FALSE(study->isVisible());
    EXPECT_TRUE(reader->isEnabled());

    // Back in the Reader the two words are known: they have left the glosses, and count in the coverage.
    EXPECT_EQ(glosses(), expectedGlosses({ "λόγος", "ὁ" }));
    EXPECT_EQ(readerUi().CoverageText->text(), expectedCoverage({ "λόγος", "ὁ" }));
    EXPECT_EQ(chosenForm(), "λόγος");
    EXPECT_TRUE(readerUi().WordText->text().contains("In this set: known, due in "))
        << readerUi().WordText->text().toStdString();
}

// Where each key takes the word chosen, from the first word of John 1, as the source numbers the words: the chapter,
// the verse and the word's place in the verse (-1: its last).
struct KeyCase
{
    int key;
    Qt::KeyboardModifiers modifiers;
    const char* book;
    int chapter;
    int verse;
    int word;
};

TEST_F(ReaderTest, KeysMoveWordByWordVerseByVerseAndChapterByChapter)
{
    const KeyCase cases[] = {
        { Qt::Key_Right, Qt::NoModifier, "Jn", 1, 1, 1 },
        { Qt::Key_End, Qt::NoModifier, "Jn", 1, 1, -1 },
        { Qt::Key_Right, Qt::NoModifier, "Jn", 1, 2, 0 },
        { Qt::Key_Left, Qt::NoModifier, "Jn", 1, 1, -1 },
        { Qt::Key_Home, Qt::NoModifier, "Jn", 1, 1, 0 },
        { Qt::Key_Left, Qt::NoModifier, "Jn", 1, 1, 0 }, // the chapter's first word stays
        { Qt::Key_Up, Qt::NoModifier, "Jn", 1, 1, 0 },
        { Qt::Key_Down, Qt::NoModifier, "Jn", 1, 2, 0 },
        { Qt::Key_Down, Qt::NoModifier, "Jn", 1, 3, 0 },
        { Qt::Key_Up, Qt::NoModifier, "Jn", 1, 2, 0 },
        { Qt::Key_End, Qt::ControlModifier, "Jn", 1, 51, -1 },
        { Qt::Key_Right, Qt::NoModifier, "Jn", 1, 51, -1 }, // and its last
        { Qt::Key_PageDown, Qt::NoModifier, "Jn", 2, 1, 0 },
        { Qt::Key_PageUp, Qt::NoModifier, "Jn", 1, 1, 0 },
        { Qt::Key_PageUp, Qt::NoModifier, "Lk", 24, 1, 0 }, // into the book before
        { Qt::Key_PageDown, Qt::NoModifier, "Jn", 1, 1, 0 },
    };
    openReader();
    goTo(QStringLiteral("Jn 1"));
    const std::vector<readingtest::SourceWord>& source = readingtest::sourceWords();
    for (const KeyCase& c : cases) {
        press(c.key, c.modifiers);
        std::vector<std::string> verse;
        for (const readingtest::SourceWord& word : source)
            if (word.book == c.book && word.chapter == c.chapter && word.verse == c.verse)
                verse.push_back(word.word);
        ASSERT_FALSE(verse.empty());
        const std::string expected = c.word < 0 ? verse.back() : verse[static_cast<std::size_t>(c.word)];
        EXPECT_EQ(chosenForm().toStdString(), expected) << c.book << " " << c.chapter << ":" << c.verse;
        EXPECT_EQ(readerUi().ChapterBox->value(), c.chapter);
    }
}

TEST_F(ReaderTest, AScreenReaderIsToldTheCoverageTheWordsWithTheirGlossesTheVersesAndThePanel)
{
    openReader();
    AnnouncementRecorder said;
    goTo(QStringLiteral("John 1"));
    EXPECT_EQ(said.take(), QStringList { expectedCoverage({}) });
    press(Qt::Key_Right);
    const QStringList word = said.take();
    ASSERT_EQ(word.size(), 1);
    // ἀρχῇ is glossed, as nothing is known: the word with its gloss.
    EXPECT_TRUE(word[0].startsWith("ἀρχῇ: ")) << word[0].toStdString();
    EXPECT_TRUE(readerUi().WordText->text().contains(word[0].section(": ", 1)));
    press(Qt::Key_Down);
    QStringList verse2;
    for (const readingtest::SourceWord& word : sourceChapter("Jn", 1))
        if (word.verse == 2)
            verse2.append(QString::fromStdString(readingtest::withoutApparatus(word.text)));
    EXPECT_EQ(said.take(), QStringList { "Verse 2. " + verse2.join(' ') });
    press(Qt::Key_Left);
    EXPECT_TRUE(said.take().value(0).startsWith("Verse 1. λόγος: "));
    press(Qt::Key_I, Qt::ControlModifier);
    const QStringList panel = said.take();
    ASSERT_EQ(panel.size(), 1);
    for (const QString& line : readerUi().WordText->text().split('\n'))
        EXPECT_TRUE(panel[0].contains(line)) << line.toStdString();
    // With no glosses (the last choice), a word is said alone.
    press(Qt::Key_L, Qt::AltModifier);
    press(Qt::Key_End);
    readerUi().ChapterView->setFocus();
    said.take();
    press(Qt::Key_Right);
    EXPECT_EQ(said.take(), QStringList { "Verse 2. " + verse2.value(0) });
}

// Reading state of the set at path: where the learner last read and the choice of glosses, as the set keeps them.
cardstore::ReadingState keptState(const std::string& path)
{
    cardstore::Table table;
    table.setTableName(path);
    table.setReadOnly(true);
    table.open();
    return table.reading().load();
}

bool hasReadingTables(const std::string& path)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* query = nullptr;
    sqlite3_prepare_v2(db, "SELECT count(*) FROM sqlite_master WHERE name LIKE 'karte_reading%'", -1, &query, nullptr);
    sqlite3_step(query);
    const bool has = sqlite3_column_int(query, 0) > 0;
    sqlite3_finalize(query);
    sqlite3_close(db);
    return has;
}

TEST_F(ReaderTest, EscInABoxAboveTheTextPutsItBackAndGivesTheKeysToTheText)
{
    // Each box with what is typed into it and not taken (Enter is not pressed); Esc puts the box back as it was.
    const struct
    {
        const char* name;
        QWidget* (*box)(Ui::TReaderForm&);
        QString typed;
    } cases[] = {
        { "Go to", [](Ui::TReaderForm& ui) -> QWidget* { return ui.ReferenceBox; }, QStringLiteral("1 Cor") },
        { "Chapter", [](Ui::TReaderForm& ui) -> QWidget* { return ui.ChapterBox; }, QStringLiteral("2") },
        { "Book", [](Ui::TReaderForm& ui) -> QWidget* { return ui.BookBox; }, QString() },
        { "Glosses", [](Ui::TReaderForm& ui) -> QWidget* { return ui.GlossBox; }, QString() },
        { "Occurrences", [](Ui::TReaderForm& ui) -> QWidget* { return ui.RarerBox; }, QStringLiteral("5") },
    };
    openReader();
    goTo(QStringLiteral("John 3"));
    // Rarer than 30: the occurrences box is open to typing.
    readerUi().GlossBox->setCurrentIndex(1);
    Q_EMIT readerUi().GlossBox->activated(1);
    const QStringList shownGlosses = glosses();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QWidget* box = c.box(readerUi());
        box->setFocus();
        if (auto* spin = qobject_cast<QAbstractSpinBox*>(box))
            spin->selectAll();
        type(c.typed);
        press(Qt::Key_Escape);
        EXPECT_TRUE(reader->isVisible());
        EXPECT_TRUE(readerUi().ChapterView->hasFocus());
        EXPECT_EQ(readerUi().ReferenceBox->text(), "");
        EXPECT_EQ(readerUi().BookBox->currentText(), "John");
        EXPECT_EQ(readerUi().ChapterBox->value(), 3);
        EXPECT_EQ(readerUi().RarerBox->value(), 30);
        EXPECT_EQ(glosses(), shownGlosses);
    }
    // Enter takes what was typed: the chapter, and the occurrences.
    readerUi().ChapterBox->setFocus();
    readerUi().ChapterBox->selectAll();
    type(QStringLiteral("2"));
    press(Qt::Key_Return);
    EXPECT_TRUE(readerUi().CoverageText->text().contains("words of John 2."));
    const qsizetype rarerThan30 = glosses().size();
    readerUi().RarerBox->setFocus();
    readerUi().RarerBox->selectAll();
    type(QStringLiteral("5"));
    press(Qt::Key_Return);
    EXPECT_EQ(keptState(builtInSetPath(dataHome)).rarerThan, 5);
    EXPECT_LT(glosses().size(), rarerThan30);
    press(Qt::Key_Escape);
    press(Qt::Key_Escape);
    EXPECT_FALSE(reader->isVisible());
}

TEST_F(ReaderTest, OpensWhereTheLearnerLastReadWithTheChoicesOfTheSet)
{
    const std::string builtIn = builtInSetPath(dataHome);
    openReader();
    EXPECT_EQ(readerUi().BookBox->currentText(), "Matthew");
    EXPECT_EQ(readerUi().ChapterBox->value(), 1);
    // A set is left as it was until the Reader has something to keep.
    EXPECT_FALSE(hasReadingTables(builtIn));
    goTo(QStringLiteral("1 Cor 13:4"));
    EXPECT_EQ(readerUi().BookBox->currentText(), "1 Corinthians");
    // A reference the text lacks is said plainly, and the chapter stays.
    goTo(QStringLiteral("Jn 22"));
    EXPECT_TRUE(readerUi().NoteText->text().contains("John")) << readerUi().NoteText->text().toStdString();
    press(Qt::Key_Escape);
    EXPECT_EQ(readerUi().ChapterBox->value(), 13);
    press(Qt::Key_L, Qt::AltModifier);
    press(Qt::Key_Down); // rarer than
    readerUi().ChapterView->setFocus();
    press(Qt::Key_Escape);
    EXPECT_FALSE(reader->isVisible());
    EXPECT_TRUE(form->isEnabled());

    const cardstore::ReadingState kept = keptState(builtIn);
    ASSERT_TRUE(kept.place.has_value());
    EXPECT_EQ(*kept.place, (cardstore::ReadingPlace { "1Co", 13, 4 }));
    EXPECT_EQ(kept.glosses, cardstore::ReadingGlosses::RarerThan);

    // The set read again opens there; a set of one's own opens at the beginning, with the default choice.
    openReader();
    EXPECT_EQ(readerUi().BookBox->currentText(), "1 Corinthians");
    EXPECT_EQ(readerUi().GlossBox->currentIndex(), 1);
    EXPECT_TRUE(readerUi().RarerBox->isEnabled());
    press(Qt::Key_Escape);
    const std::string mine = dataHome.file("mine.SDB");
    testsupport::makeCardSet(mine, { { "word", "λόγος", std::nullopt } });
    form->openCardSet(QString::fromStdString(mine));
    openReader();
    EXPECT_EQ(readerUi().BookBox->currentText(), "Matthew");
    EXPECT_EQ(readerUi().GlossBox->currentIndex(), 0);
    EXPECT_FALSE(readerUi().RarerBox->isEnabled());
}

TEST_F(ReaderTest, StudyItAddsACardForAWordTheSetLacks)
{
    openReader();
    goTo(QStringLiteral("John 1:5"));
    // The last word of John 1:5: κατέλαβεν, which no card names. The built-in set takes none: a set of one's own is
    // offered, and made.
    press(Qt::Key_End);
    ASSERT_EQ(chosenForm(), "κατέλαβεν");
    EXPECT_TRUE(readerUi().WordText->text().contains("Not in this set"));
    const std::string mine = dataHome.file("mine.SDB");
    karte::FileDialog::setNextFileName(QString::fromStdString(mine));
    pressButton(Qt::Key_S);
    ASSERT_EQ(messages.requests().size(), 1u);
    EXPECT_TRUE(messages.texts()[0].contains("takes no cards")) << messages.texts()[0].toStdString();
    EXPECT_FALSE(study->isVisible());
    {
        cardstore::Table set;
        set.setTableName(mine);
        set.open();
        ASSERT_EQ(set.recordCount(), 1);
        EXPECT_EQ(set.fieldText("Language"), "καταλαμβάνω");
    }
    // The same word again: the set has its card already.
    karte::FileDialog::setNextFileName(QString::fromStdString(mine));
    pressButton(Qt::Key_S);
    EXPECT_TRUE(readerUi().NoteText->text().contains("already"));
    press(Qt::Key_Escape);

    // With that set open, a word it lacks goes into it, and Study It then reviews it.
    form->openCardSet(QString::fromStdString(mine));
    openReader();
    goTo(QStringLiteral("John 1:5"));
    press(Qt::Key_Right); // τὸ φῶς...: the second word
    const QString word = chosenForm();
    pressButton(Qt::Key_S);
    EXPECT_EQ(form->FrequencyTable.recordCount(), 2);
    EXPECT_EQ(ui().FrequencyComboBox->count(), 2);
    EXPECT_TRUE(readerUi().WordText->text().contains("In this set: new"));
    pressButton(Qt::Key_S);
    ASSERT_TRUE(study->isVisible());
    EXPECT_TRUE(studyUi().FrontText->text().startsWith(QString::fromStdString(
        karte::newTestament().text()->lexicalForm(*karte::newTestament().text()->lemmaOfCard(word.toStdString())))));
}

TEST_F(ReaderTest, PrepareThisChapterStudiesItsNewWordsMostFrequentThereFirst)
{
    openReader();
    goTo(QStringLiteral("John 1"));
    pressButton(Qt::Key_P);
    ASSERT_TRUE(study->isVisible());
    EXPECT_EQ(studyUi().BookBox->currentText(), "John 1");
    // The set's words by their count in John 1, from the source; ᾅδης, not in it, is not studied.
    std::map<std::string, int> counts;
    for (const readingtest::SourceWord& word : sourceChapter("Jn", 1))
        ++counts[word.lemma];
    std::vector<std::pair<int, std::string>> expected;
    for (const testsupport::Card& card : johnCards())
        if (counts[card.language] > 0)
            expected.emplace_back(-counts[card.language], card.language);
    std::stable_sort(expected.begin(), expected.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    QStringList studied;
    for (std::size_t i = 0; i < johnCards().size() && studyUi().Pages->currentWidget() == studyUi().CardPage; ++i) {
        studied.append(studyUi().FrontText->text());
        QTest::keyClick(study.get(), Qt::Key_Space);
        QTest::keyClick(study.get(), Qt::Key_4);
    }
    QStringList wanted;
    for (const auto& [count, lemma] : expected)
        wanted.append(QString::fromStdString(lemma));
    EXPECT_EQ(studied, wanted);
    QTest::keyClick(study.get(), Qt::Key_Escape);

    // The set keeps the chapter: the Study window opened from the main window studies it still.
    press(Qt::Key_Escape);
    ui().Study1->trigger();
    EXPECT_EQ(studyUi().BookBox->currentText(), "John 1");
}

TEST_F(ReaderTest, WhatToReadNextOpensAChapterAndShowsTheChaptersMarkedAsRead)
{
    openReader();
    pressButton(Qt::Key_N);
    ASSERT_EQ(readerUi().Pages->currentWidget(), readerUi().NextPage);
    QTreeWidget& list = *readerUi().NextList;
    ASSERT_EQ(list.topLevelItemCount(), 260);
    // Ranked by the share known, largest first.
    for (int row = 1; row < list.topLevelItemCount(); ++row)
        EXPECT_GE(list.topLevelItem(row - 1)->text(1).chopped(1).toDouble(),
            list.topLevelItem(row)->text(1).chopped(1).toDouble());
    list.setCurrentItem(list.topLevelItem(5));
    const QString chosen = list.currentItem()->text(0);
    pressButton(Qt::Key_M);
    EXPECT_EQ(list.currentItem()->text(3), "read");
    press(Qt::Key_Return);
    EXPECT_EQ(readerUi().Pages->currentWidget(), readerUi().ReadingPage);
    EXPECT_EQ(readerUi().BookBox->currentText() + " " + QString::number(readerUi().ChapterBox->value()), chosen);
    EXPECT_TRUE(readerUi().CoverageText->text().endsWith("marked it as read."));
    press(Qt::Key_Escape);

    // Kept in the set: the list shows it read at the next opening, and Alt+M takes the mark away.
    openReader();
    pressButton(Qt::Key_N);
    const QList<QTreeWidgetItem*> found = list.findItems(chosen, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found[0]->text(3), "read");
    EXPECT_EQ(list.currentItem(), found[0]);
    pressButton(Qt::Key_M);
    EXPECT_EQ(found[0]->text(3), "");
    EXPECT_TRUE(keptState(builtInSetPath(dataHome)).read.empty());
}

// The text of a PDF, as pdftotext reads it (poppler-utils, which has pdfinfo too).
QString pdfText(const QString& path)
{
    QProcess extract;
    extract.start("pdftotext", { "-layout", path, "-" });
    if (!extract.waitForFinished(30000) || extract.exitCode() != 0)
        return {};
    return QString::fromUtf8(extract.readAllStandardOutput());
}

TEST_F(ReaderTest, SavesChaptersAsAPdfWithTheirGlosses)
{
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    openReader();
    goTo(QStringLiteral("John 2"));
    const QStringList shownGlosses = [this] {
        QStringList lines;
        for (QTextBlock block = readerUi().FootnotesView->document()->begin(); block.isValid(); block = block.next())
            lines.append(block.text());
        return lines;
    }();
    pressButton(Qt::Key_D);
    ASSERT_EQ(readerUi().Pages->currentWidget(), readerUi().PdfPage);
    readerUi().PdfFromBox->setValue(1);
    readerUi().PaperBox->setCurrentIndex(1);
    const QString path = QString::fromStdString(dataHome.file("John.pdf"));
    karte::FileDialog::setNextFileName(path);
    pressButton(Qt::Key_A);
    EXPECT_EQ(readerUi().Pages->currentWidget(), readerUi().ReadingPage);

    const QString printed = pdfText(path);
    EXPECT_TRUE(printed.contains("John 1")) << printed.left(300).toStdString();
    EXPECT_TRUE(printed.contains("John 2"));
    // Every gloss of John 2 is there as the window shows it (a long one may wrap: its first words).
    for (const QString& line : shownGlosses)
        EXPECT_TRUE(printed.contains(line.section(' ', 0, 3))) << line.toStdString();
    QProcess info;
    info.start("pdfinfo", { path });
    ASSERT_TRUE(info.waitForFinished(30000));
    EXPECT_TRUE(QString::fromUtf8(info.readAllStandardOutput()).contains("(letter)"));

    // Enter in a box of the choices saves, as in a dialog; Enter on Back to the Text goes back without saving.
    const QString again = QString::fromStdString(dataHome.file("John 2.pdf"));
    pressButton(Qt::Key_D);
    readerUi().PdfCancelButton->setFocus();
    press(Qt::Key_Return);
    EXPECT_EQ(readerUi().Pages->currentWidget(), readerUi().ReadingPage);
    pressButton(Qt::Key_D);
    karte::FileDialog::setNextFileName(again);
    press(Qt::Key_Return);
    EXPECT_EQ(readerUi().Pages->currentWidget(), readerUi().ReadingPage);
    EXPECT_TRUE(pdfText(again).contains("John 2"));

    // A file that cannot be written is an error, and nothing is left behind.
    const QString nowhere = QString::fromStdString(dataHome.file("missing/John.pdf"));
    EXPECT_THROW(reader->writePdf(nowhere, reader->chapter(), reader->chapter(), false), std::exception);
    EXPECT_FALSE(QFile::exists(nowhere));
}

// The set's reading state damaged by another program: the Reader says so and reads on; the cards still open.
struct DamageCase
{
    const char* name;
    const char* sql;
    const char* said;
    bool fileUntouched; // nothing is written to a state that cannot be read
};

TEST_F(ReaderTest, DamagedReadingStateIsToldAndTheReaderReadsOn)
{
    const DamageCase cases[] = {
        { "tables of another shape", "CREATE TABLE karte_reading_settings(key, value, extra)",
            "Where you were reading cannot be read", true },
        { "a choice the program does not know",
            "CREATE TABLE karte_reading_settings(key TEXT PRIMARY KEY, value TEXT NOT NULL);"
            "CREATE TABLE karte_reading_chapters(book TEXT NOT NULL, chapter INTEGER NOT NULL, UNIQUE (book, chapter));"
            "INSERT INTO karte_reading_settings VALUES ('glosses', 'some')",
            "is not one this program knows", false },
    };
    const std::string path = builtInSetPath(dataHome);
    const std::string pristine = path + ".pristine";
    std::filesystem::copy_file(path, pristine);
    for (const DamageCase& c : cases) {
        SCOPED_TRACE(c.name);
        form->FrequencyTable.close();
        std::filesystem::copy_file(pristine, path, std::filesystem::copy_options::overwrite_existing);
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        ASSERT_EQ(sqlite3_exec(db, c.sql, nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
        form->Frequency1Click(form.get());
        std::ifstream before(path, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(before)), {});
        openReader();
        EXPECT_TRUE(readerUi().NoteText->text().contains(c.said)) << readerUi().NoteText->text().toStdString();
        // The text is shown all the same, from its beginning.
        EXPECT_EQ(readerUi().BookBox->currentText(), "Matthew");
        EXPECT_FALSE(glosses().isEmpty());
        press(Qt::Key_Escape);
        std::ifstream after(path, std::ios::binary);
        EXPECT_EQ(std::string((std::istreambuf_iterator<char>(after)), {}) == bytes, c.fileUntouched);
        EXPECT_EQ(form->FrequencyTable.recordCount(), static_cast<int>(johnCards().size()));
    }
}

TEST_F(ReaderTest, FitsAScreenAtTwiceTheSize)
{
    // At QT_SCALE_FACTOR=2 a screen of 1280 by 1024 pixels at 96 dpi is 640 by 512 of the window's pixels, of which
    // the frame takes some. Here the screen has more pixels to the inch, and the window and its fonts as many more.
    openReader();
    const double scale = reader->logicalDpiY() / 96.0;
    const QSize least = reader->minimumSizeHint();
    EXPECT_LE(least.width(), 620 * scale);
    EXPECT_LE(least.height(), 470 * scale);
}

// Every ink of the chapter (the words, the glossed words, the verse numbers) read against the page it is drawn on,
// whether the desktop is light, dark from the start or turned dark while the chapter is open.
TEST_F(ReaderTest, TheChaptersInksReadOnALightOrADarkPage)
{
    const QPalette light = QApplication::palette();
    QPalette dark(QColor(0x42, 0x42, 0x45), QColor(0x22, 0x20, 0x20));
    dark.setColor(QPalette::Text, Qt::white);
    dark.setColor(QPalette::WindowText, Qt::white);
    dark.setColor(QPalette::Base, QColor(0x3d, 0x3d, 0x3d));
    struct Desktop
    {
        const char* what;
        std::optional<QPalette> before;
        std::optional<QPalette> whileOpen;
    };
    const Desktop desktops[] = { { "light", light, {} }, { "dark", dark, {} }, { "turned dark", light, dark } };
    for (const Desktop& desktop : desktops) {
        SCOPED_TRACE(desktop.what);
        QApplication::setPalette(*desktop.before);
        openReader();
        goTo(QStringLiteral("John 3"));
        if (desktop.whileOpen)
            QApplication::setPalette(*desktop.whileOpen);
        QApplication::processEvents();
        const QColor page = readerUi().ChapterView->palette().color(QPalette::Base);
        std::set<QRgb> inks;
        for (QTextBlock block = readerUi().ChapterView->document()->begin(); block.isValid(); block = block.next())
            for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
                const QBrush ink = fragment.fragment().charFormat().foreground();
                const QColor colour = ink.style() == Qt::NoBrush
                    ? readerUi().ChapterView->palette().color(QPalette::Text)
                    : ink.color();
                inks.insert(colour.rgb());
                EXPECT_GE(karte::contrastRatio(colour, page), karte::kReadableContrast)
                    << colour.name().toStdString() << " on " << page.name().toStdString();
            }
        EXPECT_GE(inks.size(), 3u) << "the words, the glossed words and the verse numbers";
        reader->close();
    }
    QApplication::setPalette(light);
}

// The Reader reading aloud with the pronunciation the set keeps for the Study window.
class ReaderSpeechTest : public ReaderTest
{
protected:
    ReaderSpeechTest()
    {
        auto memory = std::make_unique<speech::MemoryOutput>();
        output = memory.get();
        speaker = std::make_unique<speech::Speaker>(std::move(memory));
        study->setSpeaker(speaker.get());
        reader->setSpeaker(speaker.get());
    }
    ~ReaderSpeechTest() override
    {
        reader.reset();
        study.reset();
    }

    speech::MemoryOutput* output = nullptr;
    std::unique_ptr<speech::Speaker> speaker;
};

TEST_F(ReaderSpeechTest, CtrlRReadsTheWordChosenAndCtrlShiftRItsVerse)
{
    using speech::Voice;
    using speechtest::asLongAs;
    using speechtest::hear;
    QSignalSpy finished(speaker.get(), &speech::Speaker::finished);
    std::string verse1;
    for (const readingtest::SourceWord& word : sourceChapter("Jn", 1))
        if (word.verse == 1)
            verse1 += (verse1.empty() ? "" : " ") + readingtest::withoutApparatus(word.text);
    const speechtest::Heard verse = hear(verse1, Voice::Erasmian);

    openReader();
    goTo(QStringLiteral("John 1"));
    press(Qt::Key_Right);
    ASSERT_EQ(chosenForm(), "ἀρχῇ");
    press(Qt::Key_R, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == 1; }, 10'000));
    EXPECT_TRUE(asLongAs(output->played(), hear("ἀρχῇ", Voice::Erasmian)));
    EXPECT_FALSE(asLongAs(output->played(), verse));
    press(Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == 2; }, 10'000));
    EXPECT_TRUE(asLongAs(output->played(), verse));
    press(Qt::Key_Escape);

    // Modern Greek, chosen in the Study window, is the Reader's voice too.
    ui().Study1->trigger();
    formOf(*study).PronunciationBox->setCurrentIndex(1);
    Q_EMIT formOf(*study).PronunciationBox->activated(1);
    QTest::keyClick(study.get(), Qt::Key_Escape);
    openReader();
    const std::string word = chosenForm().toStdString();
    press(Qt::Key_R, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == 3; }, 10'000));
    EXPECT_TRUE(asLongAs(output->played(), hear(word, Voice::Modern))) << word;
    EXPECT_FALSE(asLongAs(output->played(), hear(word, Voice::Erasmian)));
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

TEST_F(ReaderSpeechTest, WithoutSoundTheKeysSaySoOnceAndTheReaderGoesOn)
{
    const QString noSound = QStringLiteral("Greek cannot be read aloud: there is no sound device.");
    output->setProblem(noSound);
    openReader();
    goTo(QStringLiteral("John 1"));
    AnnouncementRecorder said;
    press(Qt::Key_R, Qt::ControlModifier);
    press(Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
    press(Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(said.take().count(noSound), 1);
    EXPECT_EQ(readerUi().NoteText->text().count(noSound), 1) << readerUi().NoteText->text().toStdString();
    press(Qt::Key_Right);
    EXPECT_EQ(chosenForm(), "ἀρχῇ");
    EXPECT_EQ(output->starts(), 0);
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

} // namespace
