// The Study window over the main window: studying from the keyboard alone, progress kept in the set and read back,
// undo, a set that cannot keep progress, damaged progress, the search for a card out of turn, study by book, and
// the verses and forms of the answer side.
#include "clock.h"
#include "newtestament.h"
#include "studystore.h"
#include "table.h"
#include "text.h"
#include "tform1.h"
#include "tstudyform.h"
#include "ui_tform1.h"
#include "ui_tstudyform.h"
#include "windowtest.h"

#include <QAbstractTextDocumentLayout>
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
        SCOPED_TRACE(box->objectName().toStdString());
        study->setFocus();
        if (!answerShown())
            press(Qt::Key_Space);
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, QString::number(value));
        QTest::keyClick(box, Qt::Key_Return);
        EXPECT_EQ(box->value(), value);
        EXPECT_EQ(front(), "ὁ");
        EXPECT_EQ(answersInFile(), 0u);
    }
    press(Qt::Key_Escape);
    ASSERT_FALSE(study->isVisible());
    // Read back from the set.
    openStudy();
    for (const auto& [box, value] : boxes)
        EXPECT_EQ(box->value(), value) << box->objectName().toStdString();
}

TEST_F(StudyTest, EscInTheSearchClosesItAndGivesTheKeysBackAndASecondEscClosesTheWindow)
{
    openStudy();
    press(Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(studyUi().SearchBox, "logos");
    ASSERT_TRUE(studyUi().SearchResults->isVisible());
    QTest::keyClick(studyUi().SearchBox, Qt::Key_Escape);
    EXPECT_TRUE(study->isVisible());
    EXPECT_FALSE(studyUi().SearchResults->isVisible());
    EXPECT_EQ(studyUi().SearchResults->count(), 0);
    EXPECT_TRUE(studyUi().SearchBox->text().isEmpty());
    EXPECT_FALSE(studyUi().SearchBox->hasFocus());
    press(Qt::Key_Space);
    EXPECT_TRUE(answerShown());
    press(Qt::Key_Escape);
    EXPECT_FALSE(study->isVisible());
}

class StudyOnTheShippedSet : public StudyTest
{
protected:
    StudyOnTheShippedSet()
        : StudyTest(nullptr)
    {
    }
};

// A form of the text typed as it is written, or without its accents, breathings or iota subscript, or with the
// subscript written out, or in Latin letters, reviews its lemma's card, not a card spelled the same in Latin letters
// (ἐν, οὗτος, τέ).
TEST_F(StudyOnTheShippedSet, AFormTypedInAnySpellingReviewsItsLemmasCard)
{
    const std::pair<const char*, const char*> cases[] = {
        { "ἦν", "εἰμί" },
        { "ην", "εἰμί" },
        { "οὕτως", "οὕτω(ς)" },
        { "ουτως", "οὕτω(ς)" },
        { "τῇ", "ὁ" },
        { "τη", "ὁ" },
        { "τῃ", "ὁ" },
        { "ᾅδου", "ᾅδης" },
        { "ἁδου", "ᾅδης" },
        { "αδου", "ᾅδης" },
        { "αιδου", "ᾅδης" },
        { "hadou", "ᾅδης" },
        { "adou", "ᾅδης" },
        { "ἡμέρᾳ", "ἡμέρα" },
        { "ημεραι", "ἡμέρα" },
    };
    openStudy();
    for (const auto& [query, card] : cases) {
        findAndOpen(QString::fromUtf8(query));
        EXPECT_EQ(front().toStdString(), card) << query;
    }
}

// The verses of the answer side: the word in bold without the punctuation beside it, and each reference on one
// line whatever the window's width.
TEST_F(StudyOnTheShippedSet, VersesBoldTheWordAloneAndKeepEachReferenceOnOneLine)
{
    openStudy();
    for (const char* query : { "hades", "logos", "kardia" }) {
        SCOPED_TRACE(query);
        findAndOpen(QString::fromLatin1(query));
        press(Qt::Key_Space);
        ASSERT_TRUE(studyUi().ContextView->isVisible());
        QTextDocument* verses = studyUi().ContextView->document();
        int bold = 0;
        for (QTextBlock block = verses->begin(); block != verses->end(); block = block.next())
            for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment)
                if (fragment.fragment().charFormat().fontWeight() >= QFont::Bold) {
                    const QString word = fragment.fragment().text();
                    ++bold;
                    EXPECT_TRUE(word.front().isLetter()
                        && (word.back().isLetterOrNumber() || word.back().isMark() || word.back() == QChar(0x2019)))
                        << word.toStdString();
                }
        EXPECT_GE(bold, 2);
        for (int width = 420; width <= 1000; width += 6) {
            study->resize(width, study->height());
            QCoreApplication::processEvents();
            verses->documentLayout()->documentSize();
            for (QTextBlock block = verses->begin(); block != verses->end(); block = block.next()) {
                const int dash = int(block.text().lastIndexOf(QChar(0x2014)));
                if (dash < 0 || block.text().contains(QStringLiteral("Commonest")))
                    continue;
                for (int line = 1; line < block.layout()->lineCount(); ++line)
                    EXPECT_LE(block.layout()->lineAt(line).textStart(), dash)
                        << width << ": " << block.text().sliced(block.layout()->lineAt(line).textStart()).toStdString();
            }
        }
        press(Qt::Key_3);
    }
}

class StudyOnDictionarySpellings : public StudyTest
{
protected:
    static const std::vector<testsupport::Card>& cards()
    {
        static const std::vector<testsupport::Card> cards {
            { "so, thus", "οὕτως", std::nullopt },
            { "thus", "οὕτω", std::nullopt },
            { "it is lawful", "ἔξεστιν", std::nullopt },
            { "until", "μέχρι", std::nullopt },
            { "twenty", "εἴκοσι", std::nullopt },
            { "it is necessary", "δεῖ", std::nullopt },
            { "God", "θεος", std::nullopt },
            { "word", "λογος, -ου, ὁ", std::nullopt },
            { "Hades", "ἅδης", std::nullopt },
            { "Jesus", "Ιησους", std::nullopt },
        };
        return cards;
    }
    StudyOnDictionarySpellings()
        : StudyTest(&cards())
    {
    }
};

// A set of one's own names its words as a dictionary or a learner writes them; each card finds its lemma as the
// search would, and shows that lemma's verses and forms, saying so when the card's word is one of its forms.
TEST_F(StudyOnDictionarySpellings, EachCardShowsItsLemmasVersesAndSaysWhenItIsAForm)
{
    const struct
    {
        const char* greek;
        const char* lemma;
        bool form;
    } cases[] = {
        { "οὕτως", "οὕτω(ς)", false },
        { "οὕτω", "οὕτω(ς)", false },
        { "ἔξεστιν", "ἔξεστι(ν)", false },
        { "μέχρι", "μέχρι(ς)", false },
        { "εἴκοσι", "εἴκοσι(ν)", false },
        { "δεῖ", "δέω", true },
        { "θεος", "θεός", false },
        { "λογος, -ου, ὁ", "λόγος", false },
        { "ἅδης", "ᾅδης", false },
        { "Ιησους", "Ἰησοῦς", false },
    };
    const nttext::Text* text = karte::newTestamentText();
    ASSERT_NE(text, nullptr);
    openStudy();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.greek);
        findAndOpen(QString::fromUtf8(c.greek));
        ASSERT_EQ(front().toStdString(), c.greek);
        press(Qt::Key_Space);
        const nttext::Study* study = text->study(text->findLemma(c.lemma).value());
        ASSERT_NE(study, nullptr);
        const QString shown = studyUi().ContextView->toPlainText();
        EXPECT_TRUE(studyUi().ContextView->isVisible());
        EXPECT_TRUE(shown.contains(QString::fromStdString(nttext::describeForm(study->forms.front()))))
            << shown.toStdString();
        EXPECT_EQ(shown.contains(QStringLiteral("Verses and forms of %1, of which %2 is a form")
                                     .arg(QString::fromUtf8(c.lemma), QString::fromUtf8(c.greek))),
            c.form)
            << shown.toStdString();
        press(Qt::Key_3);
    }
}

} // namespace
