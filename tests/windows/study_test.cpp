// The Study window over the main window: studying from the keyboard alone, progress kept in the set and read back,
// undo, a set that cannot keep progress, damaged progress, the search for a card out of turn, study by book, and
// the verses and forms of the answer side.
#include "clock.h"
#include "newtestament.h"
#include "studysession.h"
#include "studystore.h"
#include "table.h"
#include "text.h"
#include "tform1.h"
#include "tstudyform.h"
#include "ui_tform1.h"
#include "ui_tstudyform.h"
#include "windowtest.h"

#include <QAbstractTextDocumentLayout>
#include <QSpinBox>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include <sqlite3.h>

using namespace windowtest;

namespace {

// A Tuesday noon, UTC.
constexpr std::int64_t kNoon = 1'765'281'600'000;

class StudyTest : public MainWindowTest
{
protected:
    // On a set of these cards, or on a copy of the shipped built-in set.
    explicit StudyTest(const std::vector<testsupport::Card>* cards = &fourCards())
        : clock(kNoon)
    {
        if (cards)
            formOn(*cards);
        else
            createForm();
        study = std::make_unique<TStudyForm>();
        study->setClock(&clock, false);
        study->setNewTestament(&karte::newTestament());
        form->connectStudyWindow(study.get());
        form->show();
    }
    ~StudyTest() override { study.reset(); }

    Ui::TStudyForm& studyUi() { return formOf(*study); }

    void openStudy()
    {
        ui().Study1->trigger();
        ASSERT_TRUE(study->isVisible());
        study->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(study.get()));
        // The note about the progress follows the first card.
        QCoreApplication::processEvents();
    }
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(study.get(), Qt::Key(key), modifiers);
    }
    QString front() { return studyUi().FrontText->text(); }
    // Ctrl+F, the query typed letter by letter (Greek too, as a keyboard layout gives it), and Enter, which reviews
    // the first card found.
    void findAndOpen(const QString& query)
    {
        press(Qt::Key_F, Qt::ControlModifier);
        for (QChar letter : query)
            QTest::sendKeyEvent(QTest::Click, studyUi().SearchBox, Qt::Key_unknown, QString(letter), Qt::NoModifier);
        QTest::keyClick(studyUi().SearchBox, Qt::Key_Return);
    }
    bool answerShown() { return studyUi().BackText->isVisible(); }

    std::size_t answersInFile()
    {
        cardstore::Table table;
        table.setTableName(builtInSetPath(dataHome));
        table.setReadOnly(true);
        table.open();
        return table.study().lastReviews(1000).size();
    }

    learning::ManualClock clock;
    std::unique_ptr<TStudyForm> study;
};

TEST_F(StudyTest, StudiedWithTheKeyboardAloneAndKeptInTheSet)
{
    openStudy();
    EXPECT_FALSE(form->isEnabled());
    EXPECT_EQ(studyUi().CountsText->text().toStdString(), "New 4 · Learning 0 · Due 0");
    EXPECT_EQ(front(), "ὁ");
    EXPECT_FALSE(answerShown());

    // A grade before the answer is shown does nothing.
    press(Qt::Key_3);
    EXPECT_EQ(front(), "ὁ");
    press(Qt::Key_Space);
    ASSERT_TRUE(answerShown());
    EXPECT_EQ(studyUi().BackText->text(), "the");
    EXPECT_EQ(studyUi().GoodButton->text(), "Good &3\n10m");
    EXPECT_EQ(studyUi().AgainButton->accessibleName(), "Again, next in 1 minute");
    press(Qt::Key_3);
    EXPECT_EQ(front(), "καί");
    EXPECT_EQ(studyUi().CountsText->text().toStdString(), "New 3 · Learning 1 · Due 0");
    press(Qt::Key_Return);
    press(Qt::Key_4);
    EXPECT_EQ(answersInFile(), 2u);

    // Ctrl+Z takes the last answer back, in the file as well.
    press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(front(), "καί");
    EXPECT_EQ(answersInFile(), 1u);

    press(Qt::Key_Escape);
    EXPECT_FALSE(study->isVisible());
    EXPECT_TRUE(form->isEnabled());

    // Opened again, the set remembers: ὁ is learning, three cards are new.
    openStudy();
    EXPECT_EQ(studyUi().CountsText->text().toStdString(), "New 3 · Learning 1 · Due 0");
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

TEST_F(StudyTest, TheAnswerGivesTheWordAsADictionaryListsItAndItsFormsParsed)
{
    openStudy();
    for (int answer = 0; answer < 2; ++answer) {
        press(Qt::Key_Space);
        press(Qt::Key_4);
    }
    ASSERT_EQ(front(), "λόγος");
    press(Qt::Key_Space);
    const QString context = studyUi().ContextView->toPlainText();
    // The gloss is the text's, which may say more than the card's English side.
    EXPECT_TRUE(context.startsWith("λόγος, -ου, ὁ — word, message")) << context.toStdString();
    EXPECT_TRUE(context.contains("λόγον — accusative singular, 130×")) << context.toStdString();
}

TEST_F(StudyTest, TheDayEndsWithASummaryAndMoreNewCardsOnlyOnRequest)
{
    openStudy();
    studyUi().NewCardsBox->setValue(2);
    Q_EMIT studyUi().NewCardsBox->editingFinished();
    for (int answer = 0; answer < 2; ++answer) {
        press(Qt::Key_Space);
        press(Qt::Key_4);
    }
    ASSERT_EQ(studyUi().Pages->currentWidget(), studyUi().DonePage);
    EXPECT_TRUE(studyUi().SummaryText->text().contains("Today: 2 answers, 2 new"))
        << studyUi().SummaryText->text().toStdString();
    ASSERT_TRUE(studyUi().MoreNewButton->isVisible());
    QTest::mouseClick(studyUi().MoreNewButton, Qt::LeftButton);
    EXPECT_EQ(front(), "λόγος");
}

TEST_F(StudyTest, ASetThatCannotBeWrittenIsStudiedWithoutSavingAndSaysSo)
{
    const std::string path = builtInSetPath(dataHome);
    form->FrequencyTable.close();
    form->FrequencyTable.setReadOnly(true);
    form->FrequencyTable.open();
    const std::string before = testsupport::readBytes(path);
    openStudy();
    EXPECT_TRUE(studyUi().NoteText->text().contains("not saved")) << studyUi().NoteText->text().toStdString();
    press(Qt::Key_Space);
    press(Qt::Key_3);
    EXPECT_EQ(front(), "καί");
    press(Qt::Key_Escape);
    EXPECT_EQ(testsupport::readBytes(path), before);
}

TEST_F(StudyTest, DamagedProgressIsExplainedAndTheSetStillDrills)
{
    const std::string path = builtInSetPath(dataHome);
    form->FrequencyTable.close();
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        // A view where the card memories belong is no table of ours.
        ASSERT_EQ(sqlite3_exec(db, "CREATE VIEW karte_study_memory AS SELECT 1", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
    form->FrequencyTable.open();
    const std::string before = testsupport::readBytes(path);
    openStudy();
    EXPECT_EQ(studyUi().Pages->currentWidget(), studyUi().DonePage);
    EXPECT_TRUE(studyUi().SummaryText->text().contains("damaged")) << studyUi().SummaryText->text().toStdString();
    press(Qt::Key_Escape);
    EXPECT_TRUE(form->isEnabled());
    ui().SpeedButton2->click();
    ui().SpeedButton2->click();
    EXPECT_EQ(ui().TextGreek->text(), "καί");
    EXPECT_EQ(testsupport::readBytes(path), before);
}

TEST_F(StudyTest, AnyCardIsFoundByAnySpellingAndReviewedOutOfTurn)
{
    openStudy();
    // Esc leaves the search, its results gone, and gives the keys back to the review.
    press(Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(studyUi().SearchBox, "logos");
    ASSERT_TRUE(studyUi().SearchResults->isVisible());
    QTest::keyClick(studyUi().SearchBox, Qt::Key_Escape);
    EXPECT_FALSE(studyUi().SearchResults->isVisible());
    EXPECT_EQ(studyUi().SearchResults->count() + studyUi().SearchBox->text().size(), 0);
    press(Qt::Key_Space);
    EXPECT_TRUE(answerShown() && study->isVisible());

    press(Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(studyUi().SearchBox->hasFocus());
    QTest::keyClicks(studyUi().SearchBox, "logos");
    ASSERT_EQ(studyUi().SearchResults->count(), 1);
    EXPECT_EQ(studyUi().SearchResults->item(0)->text(), "λόγος — word, message");
    QTest::keyClick(studyUi().SearchBox, Qt::Key_Return);
    EXPECT_EQ(front(), "λόγος");
    EXPECT_TRUE(studyUi().CountsText->text().contains("out of turn"));
    press(Qt::Key_Space);
    press(Qt::Key_3);
    EXPECT_EQ(answersInFile(), 1u);
    // The queue goes on where it was, less the card reviewed.
    EXPECT_EQ(front(), "ὁ");
    EXPECT_EQ(studyUi().CountsText->text().toStdString(), "New 3 · Learning 1 · Due 0");
}

TEST_F(StudyTest, StudyForABookGivesItsWordsByTheirFrequencyThereAndIsRemembered)
{
    openStudy();
    const int firstJohn = studyUi().BookBox->findText("1 John");
    ASSERT_GT(firstJohn, 0) << "no companion file with the books";
    studyUi().BookBox->setCurrentIndex(firstJohn);
    Q_EMIT studyUi().BookBox->activated(firstJohn);
    EXPECT_EQ(studyUi().CountsText->text().toStdString(), "New 4 · Learning 0 · Due 0");
    for (const char* greek : { "ὁ", "καί" }) {
        EXPECT_EQ(front(), greek);
        press(Qt::Key_Space);
        press(Qt::Key_4);
    }
    // λόγος comes before ἀγάπη in the set, but 1 John has ἀγάπη 18 times and λόγος 6.
    EXPECT_EQ(front(), "ἀγάπη");
    press(Qt::Key_Escape);
    openStudy();
    EXPECT_EQ(studyUi().BookBox->currentText(), "1 John");
}

TEST_F(StudyTest, EnterInANumberBoxKeepsTheNumberAndAnswersNothing)
{
    openStudy();
    const std::pair<QSpinBox*, int> boxes[] = { { studyUi().NewCardsBox, 30 }, { studyUi().RetentionBox, 85 } };
    for (const auto& [box, value] : boxes) {
        study->setFocus();
        if (!answerShown())
            press(Qt::Key_Space);
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, QString::number(value));
        QTest::keyClick(box, Qt::Key_Return);
        EXPECT_EQ(answersInFile(), 0u) << box->objectName().toStdString();
    }
    press(Qt::Key_Escape);
    openStudy(); // the numbers read back from the set
    for (const auto& [box, value] : boxes)
        EXPECT_EQ(box->value(), value) << box->objectName().toStdString();
}

class StudyOnTheShippedSet : public StudyTest
{
protected:
    StudyOnTheShippedSet()
        : StudyTest(nullptr)
    {
    }
};

// A form typed as the text writes it, or without accents, breathings or iota subscript, with the subscript written
// out, or in Latin letters, reviews its lemma's card, not a card spelled alike in Latin letters (ἐν, οὗτος, τέ).
TEST_F(StudyOnTheShippedSet, AFormTypedInAnySpellingReviewsItsLemmasCard)
{
    const std::pair<const char*, const char*> cases[] = { { "ἦν", "εἰμί" }, { "ην", "εἰμί" }, { "οὕτως", "οὕτω(ς)" },
        { "ουτως", "οὕτω(ς)" }, { "τῇ", "ὁ" }, { "τη", "ὁ" }, { "τῃ", "ὁ" }, { "ᾅδου", "ᾅδης" }, { "ἁδου", "ᾅδης" },
        { "αδου", "ᾅδης" }, { "αιδου", "ᾅδης" }, { "hadou", "ᾅδης" }, { "adou", "ᾅδης" }, { "ημεραι", "ἡμέρα" } };
    openStudy();
    for (const auto& [query, card] : cases) {
        findAndOpen(QString::fromUtf8(query));
        EXPECT_EQ(front().toStdString(), card) << query;
    }
}

// The answer side's verses: the word in bold without the punctuation beside it, the reference on one line at any
// width of the window.
TEST_F(StudyOnTheShippedSet, VersesBoldTheWordAloneAndKeepEachReferenceOnOneLine)
{
    openStudy();
    findAndOpen(QStringLiteral("hades"));
    press(Qt::Key_Space);
    QTextDocument* verses = studyUi().ContextView->document();
    for (QTextBlock block = verses->begin(); block != verses->end(); block = block.next())
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment)
            if (fragment.fragment().charFormat().fontWeight() >= QFont::Bold) {
                EXPECT_TRUE(
                    fragment.fragment().text().front().isLetter() && fragment.fragment().text().back().isLetter())
                    << fragment.fragment().text().toStdString();
            }
    for (int width = 420; width <= 1000; width += 6) {
        study->resize(width, study->height());
        QCoreApplication::processEvents();
        verses->documentLayout()->documentSize();
        for (QTextBlock block = verses->begin(); block != verses->end(); block = block.next()) {
            const qsizetype reference = block.text().lastIndexOf(QChar(0x2014)); // the dash before it
            for (int line = 1; line < block.layout()->lineCount() && !block.text().startsWith("Commonest"); ++line)
                EXPECT_LE(block.layout()->lineAt(line).textStart(), reference)
                    << width << ": " << block.text().toStdString();
        }
    }
}

// A set of one's own writes its words as a dictionary does; each card shows the verses and forms of the lemma the
// search would give for it, and says so when the card's word is one of the lemma's forms.
const struct DictionarySpelling
{
    const char* greek;
    const char* lemma;
    bool form;
} kDictionarySpellings[] = { { "οὕτως", "οὕτω(ς)", false }, { "οὕτω", "οὕτω(ς)", false },
    { "ἔξεστιν", "ἔξεστι(ν)", false }, { "μέχρι", "μέχρι(ς)", false }, { "εἴκοσι", "εἴκοσι(ν)", false },
    { "δεῖ", "δέω", true }, { "θεος", "θεός", false }, { "λογος, -ου, ὁ", "λόγος", false }, { "ἅδης", "ᾅδης", false },
    { "Ιησους", "Ἰησοῦς", false } };

class StudyOnDictionarySpellings : public StudyTest
{
protected:
    static const std::vector<testsupport::Card>* cards()
    {
        static const std::vector<testsupport::Card> cards = [] {
            std::vector<testsupport::Card> made;
            for (const DictionarySpelling& card : kDictionarySpellings)
                made.push_back({ card.lemma, card.greek, std::nullopt });
            return made;
        }();
        return &cards;
    }
    StudyOnDictionarySpellings()
        : StudyTest(cards())
    {
    }
};

TEST_F(StudyOnDictionarySpellings, EachCardShowsItsLemmasVersesAndSaysWhenItIsAForm)
{
    const nttext::Text* text = karte::newTestament().text();
    ASSERT_NE(text, nullptr);
    openStudy();
    for (const DictionarySpelling& card : kDictionarySpellings) {
        findAndOpen(QString::fromUtf8(card.greek));
        press(Qt::Key_Space);
        const QString shown = studyUi().ContextView->toPlainText();
        const nttext::Form& commonest = text->study(text->findLemma(card.lemma).value())->forms.front();
        EXPECT_TRUE(shown.contains(QString::fromStdString(nttext::describeForm(commonest)))) << card.greek;
        EXPECT_EQ(shown.contains(QString::fromUtf8(card.greek) + " is a form"), card.form) << shown.toStdString();
    }
}

// What the review says as it goes: the answer with the intervals the buttons show, an answer taken back, and the
// card again on request.
TEST_F(StudyTest, TheReviewSaysTheIntervalsAnAnswerTakenBackAndTheCardAgain)
{
    AnnouncementRecorder said;
    openStudy();
    said.take();
    press(Qt::Key_Space);
    const QStringList answer = said.take();
    ASSERT_EQ(answer.size(), 1) << answer.join('|').toStdString();
    EXPECT_TRUE(answer[0].startsWith("the")) << answer[0].toStdString();
    EXPECT_TRUE(answer[0].endsWith(". Again 1 minute, Hard 6 minutes, Good 10 minutes, Easy 8 days"))
        << answer[0].toStdString();
    press(Qt::Key_S);
    EXPECT_EQ(said.take(), QStringList { QStringLiteral("ὁ: ") + answer[0] + ". New 4 · Learning 0 · Due 0" });

    press(Qt::Key_3);
    said.take();
    press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(said.take(), QStringList { "Answer taken back: ὁ. New 4 · Learning 0 · Due 0" });
    press(Qt::Key_S);
    EXPECT_EQ(said.take(), QStringList { "ὁ. New 4 · Learning 0 · Due 0" });
}

// Keys go where the focus is: the keypad's Enter to the screen reader, Space to the button that has the focus, what
// is typed into a settings box to the box, and Esc from the box back to the review.
TEST_F(StudyTest, KeysGoWhereTheFocusIs)
{
    openStudy();
    QTest::keyClick(study.get(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_FALSE(answerShown()) << "the keypad's Enter showed the answer";

    press(Qt::Key_Space);
    studyUi().EasyButton->setFocus();
    QTest::keyClick(studyUi().EasyButton, Qt::Key_Space);
    EXPECT_EQ(front(), "καί");
    // Easy takes a new card straight to review; Good, which Space gives elsewhere, would keep it learning.
    EXPECT_EQ(studyUi().CountsText->text().toStdString(), "New 3 · Learning 0 · Due 0");
    EXPECT_EQ(QApplication::focusWidget(), study.get()) << "the hidden button handed the focus on";

    QSpinBox* retention = studyUi().RetentionBox;
    retention->setFocus();
    retention->selectAll();
    for (const auto& [key, text] : { std::pair { Qt::Key_8, "8" }, std::pair { Qt::Key_5, "5" } })
        QTest::keyClick(retention, key, Qt::NoModifier);
    QTest::keyClick(retention, Qt::Key_Space);
    EXPECT_EQ(retention->text().toStdString(), "85%");
    EXPECT_FALSE(answerShown()) << "a key typed into the box answered the card";
    EXPECT_EQ(front(), "καί");

    QTest::keyClick(retention, Qt::Key_Escape);
    EXPECT_TRUE(study->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), study.get());
    press(Qt::Key_Space);
    EXPECT_TRUE(answerShown());
    EXPECT_EQ(retention->text().toStdString(), "85%");
}

} // namespace

// Another program on the same set: while it studies the set this window says so and takes no answer; when it deletes
// the card on show, the answer moves on to the next card and says why, and the card does not come back.
TEST_F(StudyTest, AnotherProgramStudyingOrDeletingACardIsSaidAndTheStudyGoesOn)
{
    cardstore::Table other;
    other.setTableName(builtInSetPath(dataHome));
    other.open();
    {
        learning::StudySession elsewhere(other, clock, nullptr, false);
        elsewhere.beginStudy();
        openStudy();
        EXPECT_EQ(studyUi().Pages->currentWidget(), studyUi().DonePage);
        EXPECT_TRUE(studyUi().SummaryText->text().contains("being studied in another window or program"))
            << studyUi().SummaryText->text().toStdString();
        press(Qt::Key_Escape);
    }
    openStudy();
    ASSERT_EQ(front(), "ὁ");
    for (other.first(); other.fieldText("English") != "the"; other.next()) { }
    other.deleteRecord();
    press(Qt::Key_Space);
    press(Qt::Key_3);
    EXPECT_EQ(front(), "καί");
    EXPECT_TRUE(studyUi().NoteText->text().contains("deleted in another program"))
        << studyUi().NoteText->text().toStdString();
    EXPECT_EQ(answersInFile(), 0u);
    press(Qt::Key_Escape);
    openStudy();
    EXPECT_EQ(front(), "καί");
    EXPECT_EQ(studyUi().CountsText->text().toStdString(), "New 3 · Learning 0 · Due 0");
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}
