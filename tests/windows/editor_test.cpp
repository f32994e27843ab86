// The custom card editor over the main window: opening and closing it, its layout, and adding, changing and
// deleting cards with its boxes and navigator bar, as the user does with keys and clicks.
#include "editor_typing.h"
#include "qcardunt.h"
#include "session.h"
#include "tdbedit.h"
#include "tdbnavigator.h"
#include "tfontform.h"
#include "tform1.h"
#include "tformqcustom.h"
#include "ui_tform1.h"
#include "ui_tformqcustom.h"
#include "windowscaling.h"
#include "windowtest.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QScreen>
#include <QStatusBar>

#include <filesystem>

using editortest::readCards;
using editortest::typeText;
using namespace windowtest;

namespace {

using N = TDBNavigator;

const std::vector<testsupport::Card>& sortedCards()
{
    // In the order of the English index.
    static const std::vector<testsupport::Card> cards {
        { "apostle", "ἀπόστολος", 80 },
        { "bread", "ἄρτος", 97 },
        { "word", "λόγος", 330 },
    };
    return cards;
}

class EditorTest : public MainWindowTest
{
protected:
    EditorTest()
    {
        installBuiltInSet(dataHome, threeCards());
        createForm();
        fontForm = std::make_unique<TFontForm>();
        FontForm = fontForm.get();
        editor = std::make_unique<TFormQCustom>();
        FormQCustom = editor.get();
        form->connectSideWindows(nullptr, editor.get(), fontForm.get());
        form->show();
    }

    ~EditorTest() override
    {
        editor.reset();
        FormQCustom = nullptr;
        fontForm.reset();
        FontForm = nullptr;
    }

    Ui::TFormQCustom& edUi() { return formOf(*editor); }

    // A set made as New makes it, empty.
    void openNewSet()
    {
        path = dataHome.file("new.db");
        CardSetFileName = QString::fromStdString(path);
        form->NewTable();
        form->RefreshComboBox();
    }

    void openUserSet(const std::vector<testsupport::Card>& cards, bool readOnly = false)
    {
        path = dataHome.file("mine.db");
        testsupport::makeCardSet(path, cards);
        cardstore::Table& table = form->FrequencyTable;
        table.close();
        table.setDatabaseName("");
        table.setTableName(path);
        // A file the user may not write to: the engine opens it for reading only.
        if (readOnly)
            std::filesystem::permissions(path,
                std::filesystem::perms::owner_read | std::filesystem::perms::group_read
                    | std::filesystem::perms::others_read);
        table.open();
        form->RefreshComboBox();
    }

    void openEditor()
    {
        form->ButtonAddClick(formOf(*form).ButtonAdd);
        ASSERT_TRUE(QTest::qWaitForWindowActive(editor.get()));
    }

    void closeEditor()
    {
        editor->close();
        QCoreApplication::processEvents();
    }

    void click(N::Button which) { QTest::mouseClick(edUi().DBNav->button(which), Qt::LeftButton); }

    void enter(TDBEdit* box, Qt::FocusReason reason = Qt::OtherFocusReason)
    {
        box->setFocus(reason);
        ASSERT_TRUE(box->hasFocus());
    }

    cardstore::Table& table() { return form->FrequencyTable; }

    std::vector<TDBEdit*> boxes() { return { edUi().LanguageEdit, edUi().EnglishEdit, edUi().FrequencyEdit }; }

    std::string path;
    std::unique_ptr<TFontForm> fontForm;
    std::unique_ptr<TFormQCustom> editor;
};

TEST_F(EditorTest, HasItsCaptionFixedFrameAndDesignLayout)
{
    openNewSet();
    openEditor();
    EXPECT_EQ(editor->windowTitle(), "Add your own words!");
    EXPECT_EQ(editor->size(), QSize(556, 331));
    EXPECT_EQ(editor->minimumSize(), editor->size());
    EXPECT_EQ(editor->maximumSize(), editor->size());
    const Qt::WindowFlags flags = editor->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(editor->font().family(), "System");
    EXPECT_EQ(editor->font().pointSize(), 14);

    EXPECT_EQ(edUi().LanguageEdit->geometry(), QRect(10, 46, 535, 47));
    EXPECT_EQ(edUi().EnglishEdit->geometry(), QRect(10, 138, 535, 48));
    // The panel is two pixels taller than the design has it, so that it holds the frequency box whole at any density.
    EXPECT_EQ(edUi().Panel1->geometry(), QRect(10, 196, 375, 39));
    EXPECT_EQ(edUi().FrequencyEdit->parentWidget(), edUi().Panel1);
    EXPECT_EQ(edUi().FrequencyEdit->geometry(), QRect(0, 5, 141, 33));
    EXPECT_EQ(edUi().DBNav->geometry(), QRect(100, 252, 384, 41));
    EXPECT_EQ(edUi().StatusBar1->geometry(), QRect(0, 308, 556, 23));
    EXPECT_FALSE(edUi().StatusBar1->isSizeGripEnabled());
    EXPECT_EQ(edUi().StatusBar1->currentMessage(), "");

    const std::tuple<QLabel*, QPoint, const char*, const char*, int> labels[] = {
        { edUi().Label1, { 210, 8 }, "Word  or Phrase", "Times New Roman", 13 },
        { edUi().Label2, { 210, 100 }, "English Translation", "Times New Roman", 13 },
        { edUi().Label3, { 160, 4 }, "Frequency Count ", "TimesNewRoman", 14 },
    };
    for (const auto& [label, position, caption, face, size] : labels) {
        SCOPED_TRACE(caption);
        EXPECT_EQ(label->pos(), position);
        EXPECT_EQ(label->text(), caption);
        EXPECT_EQ(label->font().family(), face);
        EXPECT_EQ(label->font().pointSize(), size);
        // Sized to the caption, whichever face draws it.
        EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(caption));
    }
    EXPECT_EQ(edUi().FrequencyEdit->font().family(), "Times New Roman");
    EXPECT_EQ(edUi().FrequencyEdit->font().pointSize(), 13);
    EXPECT_TRUE(edUi().FrequencyEdit->font().bold());
    EXPECT_EQ(edUi().DBNav->visibleButtons(),
        N::First | N::Prior | N::Next | N::Last | N::Insert | N::Delete | N::Post | N::Refresh);
}

// The frequency box lies whole within its panel, which would cut off its bottom edge otherwise, at the design's
// density and scaled to others (96 pixels per inch is an ordinary screen, and a screen at twice the size too).
TEST(EditorLayout, TheFrequencyBoxIsNotCutOffAtAnyDensity)
{
    for (const int dpi : { 120, 96, 144, 192, 240 }) {
        TFormQCustom editor;
        karte::scaleWindow(&editor, dpi, karte::kDesignDpi);
        const Ui::TFormQCustom& form = formOf(editor);
        EXPECT_TRUE(form.Panel1->rect().contains(form.FrequencyEdit->geometry())) << dpi << " dpi";
    }
}

TEST_F(EditorTest, TheTabKeyGoesRoundTheThreeBoxesAndPassesTheBarBy)
{
    openUserSet(sortedCards());
    openEditor();
    EXPECT_TRUE(edUi().LanguageEdit->hasFocus());
    const std::vector<QWidget*> round { edUi().EnglishEdit, edUi().FrequencyEdit, edUi().LanguageEdit };
    for (QWidget* next : round) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next);
    }
}

TEST_F(EditorTest, OpeningHidesTheFontChooserDisablesTheMainWindowAndTakesTheCardFont)
{
    fontForm->show();
    QFont greek = formOf(*form).TextGreek->font();
    greek.setFamily("Gentium Plus");
    greek.setPointSize(30);
    formOf(*form).TextGreek->setFont(greek);
    QFont english = formOf(*form).TextEnglish->font();
    english.setPointSize(12);
    formOf(*form).TextEnglish->setFont(english);

    openEditor();

    EXPECT_FALSE(fontForm->isVisible());
    EXPECT_FALSE(form->isEnabled());
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(edUi().LanguageEdit->font().family(), "Gentium Plus");
    EXPECT_EQ(edUi().LanguageEdit->font().pointSize(), 30);
    // The English box takes the Greek text's size and keeps its own face.
    EXPECT_EQ(edUi().EnglishEdit->font().family(), "Times New Roman");
    EXPECT_EQ(edUi().EnglishEdit->font().pointSize(), 30);
    EXPECT_EQ(edUi().FrequencyEdit->font().pointSize(), 13);

    // Every showing takes the font anew.
    closeEditor();
    greek.setPointSize(18);
    formOf(*form).TextGreek->setFont(greek);
    openEditor();
    EXPECT_EQ(edUi().LanguageEdit->font().pointSize(), 18);
    EXPECT_EQ(edUi().EnglishEdit->font().pointSize(), 18);
    // The chooser is not shown again by closing the editor.
    closeEditor();
    EXPECT_FALSE(fontForm->isVisible());
}

TEST_F(EditorTest, OpensCentredTheFirstTimeAndThenWhereTheUserLeftIt)
{
    openEditor();
    const QRect screen = editor->screen()->availableGeometry();
    EXPECT_LE((editor->frameGeometry().center() - screen.center()).manhattanLength(), 2);
    closeEditor();
    editor->move(40, 50);
    openEditor();
    EXPECT_EQ(editor->pos(), QPoint(40, 50));
}

TEST_F(EditorTest, TheHotSpotOpensTheEditorOnTheBuiltInSet)
{
    ASSERT_EQ(table().tableName(), cardstore::Session::kBuiltInTable);
    QTest::mouseDClick(formOf(*form).Label2, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitForWindowActive(editor.get()));
    EXPECT_EQ(edUi().LanguageEdit->text(), "ὁ");
    EXPECT_EQ(edUi().EnglishEdit->text(), "the");

    enter(edUi().EnglishEdit);
    typeText(edUi().EnglishEdit, " (article)");
    closeEditor();
    EXPECT_EQ(readCards(builtInSetPath(dataHome)).at(0).english, "the (article)");
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

TEST_F(EditorTest, TheAddEditButtonAndMenuItemOpenTheEditor)
{
    openUserSet(sortedCards());
    // The card set commands enable both for a set of the user's own.
    formOf(*form).ButtonAdd->setEnabled(true);
    formOf(*form).AddEditCustomCards1->setEnabled(true);
    QTest::mouseClick(formOf(*form).ButtonAdd, Qt::LeftButton);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_FALSE(form->isEnabled());
    closeEditor();
    ASSERT_TRUE(form->isEnabled());
    formOf(*form).AddEditCustomCards1->trigger();
    EXPECT_TRUE(editor->isVisible());
    EXPECT_FALSE(form->isEnabled());
    EXPECT_EQ(edUi().EnglishEdit->text(), "apostle");
}

TEST_F(EditorTest, TheBoxesTakeTheFieldSizesOfASetMadeByNew)
{
    openNewSet();
    openEditor();
    EXPECT_EQ(edUi().LanguageEdit->maxLength(), 150);
    EXPECT_EQ(edUi().EnglishEdit->maxLength(), 100);
    EXPECT_EQ(edUi().FrequencyEdit->maxLength(), 32767);
    enter(edUi().EnglishEdit);
    typeText(edUi().EnglishEdit, QString(130, QLatin1Char('e')));
    EXPECT_EQ(edUi().EnglishEdit->text().size(), 100);
    enter(edUi().LanguageEdit);
    typeText(edUi().LanguageEdit, QString(160, QChar(0x03BB)));
    EXPECT_EQ(edUi().LanguageEdit->text().size(), 150);
}

TEST_F(EditorTest, OnAnEmptySetOnlyInsertAndRefreshAreEnabledAndTypingStartsACard)
{
    openNewSet();
    openEditor();
    for (TDBEdit* box : boxes())
        EXPECT_EQ(box->text(), "");
    for (N::Button which : { N::First, N::Prior, N::Next, N::Last, N::Insert, N::Delete, N::Post, N::Refresh })
        EXPECT_EQ(edUi().DBNav->button(which)->isEnabled(), which == N::Insert || which == N::Refresh)
            << N::hint(which).toStdString();

    typeText(edUi().LanguageEdit, "λ");
    EXPECT_EQ(table().state(), cardstore::DataSetState::Insert);
    EXPECT_EQ(edUi().LanguageEdit->text(), "λ");
    EXPECT_TRUE(edUi().DBNav->button(N::Post)->isEnabled());
}

TEST_F(EditorTest, InsertTypeAndNextWritesTheCardWithoutPost)
{
    openUserSet(sortedCards());
    openEditor();
    FontSaveEnabled = false;
    click(N::Insert);
    EXPECT_EQ(table().state(), cardstore::DataSetState::Insert);
    enter(edUi().LanguageEdit);
    typeText(edUi().LanguageEdit, "θεός");
    QTest::keyClick(edUi().LanguageEdit, Qt::Key_Tab);
    typeText(edUi().EnglishEdit, "God");
    QTest::keyClick(edUi().EnglishEdit, Qt::Key_Tab);
    typeText(edUi().FrequencyEdit, "1317");
    click(N::Next);

    const auto cards = readCards(path);
    ASSERT_EQ(cards.size(), 4u);
    auto god = std::find_if(cards.begin(), cards.end(), [](const auto& card) { return card.english == "God"; });
    ASSERT_NE(god, cards.end());
    EXPECT_EQ(god->language, "θεός");
    EXPECT_EQ(god->frequency, 1317);
    EXPECT_EQ(table().state(), cardstore::DataSetState::Browse);
    EXPECT_TRUE(FontSaveEnabled);
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

TEST_F(EditorTest, InsertAndNextWithoutTypingWritesNothing)
{
    openUserSet(sortedCards());
    openEditor();
    const std::string before = testsupport::readBytes(path);
    click(N::Insert);
    click(N::Next);
    EXPECT_EQ(table().state(), cardstore::DataSetState::Browse);
    EXPECT_EQ(table().recordCount(), 3);
    EXPECT_EQ(testsupport::readBytes(path), before);
}

TEST_F(EditorTest, PostingACardWithoutItsEnglishSaysSoAndKeepsTheCard)
{
    openUserSet(sortedCards());
    openEditor();
    click(N::Insert);
    enter(edUi().LanguageEdit);
    typeText(edUi().LanguageEdit, "θεός");
    click(N::Post);
    EXPECT_EQ(messages.texts(), QStringList("Field 'English' must have a value."));
    EXPECT_EQ(table().state(), cardstore::DataSetState::Insert);
    EXPECT_EQ(edUi().LanguageEdit->text(), "θεός");
    EXPECT_EQ(readCards(path).size(), 3u);

    enter(edUi().EnglishEdit);
    typeText(edUi().EnglishEdit, "God");
    click(N::Post);
    EXPECT_EQ(readCards(path).size(), 4u);
    EXPECT_EQ(messages.requests().size(), 1u);
}

TEST_F(EditorTest, DeleteAndCancelKeepsTheCardDeleteAndOkOnTheOnlyCardEmptiesTheSet)
{
    openUserSet({ { "word", "λόγος", 330 } });
    openEditor();
    FontSaveEnabled = true;
    QMessageBox::StandardButton answer = QMessageBox::Cancel;
    karte::MessageBoxes::setResponder([&](const karte::MessageRequest& request) {
        EXPECT_EQ(request.text, "Delete record?");
        return answer;
    });
    click(N::Delete);
    EXPECT_EQ(readCards(path).size(), 1u);
    EXPECT_EQ(edUi().EnglishEdit->text(), "word");
    EXPECT_TRUE(FontSaveEnabled);

    answer = QMessageBox::Ok;
    click(N::Delete);
    EXPECT_TRUE(readCards(path).empty());
    EXPECT_FALSE(FontSaveEnabled);
    EXPECT_FALSE(edUi().DBNav->button(N::Delete)->isEnabled());
    EXPECT_TRUE(edUi().DBNav->button(N::Insert)->isEnabled());
    for (TDBEdit* box : boxes())
        EXPECT_EQ(box->text(), "");
}

class EditorEscTest : public EditorTest, public ::testing::WithParamInterface<int>
{
};

TEST_P(EditorEscTest, EscRestoresOnlyTheBoxItIsPressedIn)
{
    openUserSet(sortedCards());
    openEditor();
    const QString written[] = { "ἀπόστολοςς", "apostles", "801" };
    const QString added[] = { "ς", "s", "1" };
    enter(edUi().LanguageEdit);
    for (int i = 0; i < 3; ++i) {
        boxes()[i]->end(false);
        typeText(boxes()[i], added[i]);
        QTest::keyClick(boxes()[i], Qt::Key_Tab);
    }
    TDBEdit* box = boxes()[static_cast<std::size_t>(GetParam())];
    enter(box);
    box->end(false);
    typeText(box, "9");
    QTest::keyClick(box, Qt::Key_Escape);

    EXPECT_EQ(box->text(), written[GetParam()]);
    EXPECT_EQ(box->selectedText(), written[GetParam()]);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(boxes()[i]->text(), written[i]) << i;
    EXPECT_EQ(table().state(), cardstore::DataSetState::Edit);
    click(N::Post);
    EXPECT_EQ(readCards(path).at(0).language, "ἀπόστολοςς");
    EXPECT_EQ(readCards(path).at(0).english, "apostles");
    EXPECT_EQ(readCards(path).at(0).frequency, 801);
}

std::string boxName(const ::testing::TestParamInfo<int>& info)
{
    static const char* const names[] = { "LanguageEdit", "EnglishEdit", "FrequencyEdit" };
    return names[info.param];
}

INSTANTIATE_TEST_SUITE_P(Boxes, EditorEscTest, ::testing::Values(0, 1, 2), boxName);

TEST_F(EditorTest, TheFrequencyBoxRefusesLettersOtherThanE)
{
    openNewSet();
    openEditor();
    enter(edUi().FrequencyEdit);
    typeText(edUi().FrequencyEdit, "x");
    typeText(edUi().FrequencyEdit, "ξ");
    typeText(edUi().FrequencyEdit, "D");
    EXPECT_EQ(edUi().FrequencyEdit->text(), "");
    EXPECT_EQ(table().state(), cardstore::DataSetState::Browse);
    typeText(edUi().FrequencyEdit, "8E2");
    EXPECT_EQ(edUi().FrequencyEdit->text(), "8E2");
    QTest::keyClick(edUi().FrequencyEdit, Qt::Key_Tab);
    EXPECT_EQ(edUi().FrequencyEdit->text(), "800");
}

TEST_F(EditorTest, ClosingRefillsTheWordListWithNewAndChangedCardsAndEnablesTheMainWindow)
{
    openUserSet(sortedCards());
    openEditor();
    click(N::Next);
    enter(edUi().EnglishEdit);
    edUi().EnglishEdit->selectAll();
    typeText(edUi().EnglishEdit, "loaf");
    click(N::Insert);
    enter(edUi().LanguageEdit);
    typeText(edUi().LanguageEdit, "θεός");
    QTest::keyClick(edUi().LanguageEdit, Qt::Key_Tab);
    typeText(edUi().EnglishEdit, "God");

    closeEditor();

    EXPECT_FALSE(editor->isVisible());
    EXPECT_TRUE(form->isEnabled());
    const QStringList entries = formOf(*form).FrequencyComboBox->entries();
    EXPECT_EQ(entries.size(), 4);
    EXPECT_TRUE(entries.contains("loaf"));
    EXPECT_TRUE(entries.contains("God"));
    EXPECT_FALSE(entries.contains("bread"));
    EXPECT_EQ(table().sequenceNumber(), 1);
    EXPECT_EQ(table().state(), cardstore::DataSetState::Browse);
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

TEST_F(EditorTest, ClosingWithACardThatCannotBePostedKeepsTheEditorOpenOnIt)
{
    openNewSet();
    openEditor();
    click(N::Insert);
    enter(edUi().LanguageEdit);
    typeText(edUi().LanguageEdit, "λόγος");

    closeEditor();

    EXPECT_EQ(messages.texts(), QStringList("Field 'English' must have a value."));
    EXPECT_TRUE(editor->isVisible());
    EXPECT_FALSE(form->isEnabled());
    EXPECT_EQ(table().state(), cardstore::DataSetState::Insert);
    EXPECT_EQ(edUi().LanguageEdit->text(), "λόγος");

    // Mended, the card goes in on closing.
    enter(edUi().EnglishEdit);
    typeText(edUi().EnglishEdit, "word");
    closeEditor();
    EXPECT_FALSE(editor->isVisible());
    EXPECT_TRUE(form->isEnabled());
    ASSERT_EQ(readCards(path).size(), 1u);
    EXPECT_EQ(readCards(path).at(0).language, "λόγος");
    EXPECT_EQ(messages.requests().size(), 1u);
}

TEST_F(EditorTest, ClosingWithAFrequencyThatIsNoNumberKeepsTheEditorOpen)
{
    openUserSet(sortedCards());
    openEditor();
    enter(edUi().FrequencyEdit);
    edUi().FrequencyEdit->selectAll();
    typeText(edUi().FrequencyEdit, "1-2");

    closeEditor();
    EXPECT_EQ(messages.texts(), QStringList("'1-2' is not a valid floating point value for field 'Frequency'."));
    EXPECT_TRUE(editor->isVisible());
    EXPECT_FALSE(form->isEnabled());
    EXPECT_EQ(readCards(path).at(0).frequency, 80);

    QTest::keyClick(edUi().FrequencyEdit, Qt::Key_Escape);
    closeEditor();
    EXPECT_FALSE(editor->isVisible());
    EXPECT_TRUE(form->isEnabled());
    EXPECT_EQ(readCards(path).at(0).frequency, 80);
}

TEST_F(EditorTest, AFailedRefillOnClosingStillEnablesTheMainWindow)
{
    openUserSet(sortedCards());
    openEditor();
    table().close();
    closeEditor();
    EXPECT_FALSE(editor->isVisible());
    EXPECT_TRUE(form->isEnabled());
    EXPECT_EQ(messages.texts(), QStringList("Cannot perform this operation on a closed dataset."));
}

TEST_F(EditorTest, ASetOpenedForReadingCannotBeChanged)
{
    openUserSet(sortedCards(), true);
    ASSERT_FALSE(table().canModify());
    openEditor();
    for (TDBEdit* box : boxes())
        EXPECT_TRUE(box->isReadOnly());
    for (N::Button which : { N::Insert, N::Delete, N::Post })
        EXPECT_FALSE(edUi().DBNav->button(which)->isEnabled()) << N::hint(which).toStdString();
    EXPECT_TRUE(edUi().DBNav->button(N::Next)->isEnabled());
    const std::string before = testsupport::readBytes(path);
    enter(edUi().EnglishEdit);
    typeText(edUi().EnglishEdit, "s");
    QTest::keyClick(edUi().EnglishEdit, Qt::Key_Backspace);
    click(N::Next);
    closeEditor();
    EXPECT_EQ(testsupport::readBytes(path), before);
    EXPECT_TRUE(form->isEnabled());
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

TEST_F(EditorTest, MinimisingTheEditorKeepsTheMainWindowDisabled)
{
    openUserSet(sortedCards());
    openEditor();
    editor->showMinimized();
    QCoreApplication::processEvents();
    EXPECT_FALSE(form->isEnabled());
    editor->showNormal();
    QCoreApplication::processEvents();
    EXPECT_FALSE(form->isEnabled());
    closeEditor();
    EXPECT_TRUE(form->isEnabled());
}

} // namespace

// --- The editor from the keyboard alone --------------------------------------------------------------------------

namespace {

struct NavigatorKeyCase
{
    const char* name;
    QKeyCombination key;
    N::Button button;
    // Where the cursor is after the key, in the English order, from the second card.
    int sequenceNumber;
    cardstore::DataSetState state;
};

} // namespace

// Each key presses its button as a click does, from any box, while the card is browsed (the boxes read-only) and
// while it is being edited (the boxes taking every key they use).
TEST_F(EditorTest, TheNavigatorKeysPressItsButtonsFromEveryBox)
{
    using State = cardstore::DataSetState;
    const NavigatorKeyCase cases[] = {
        { "Alt+Home, first", Qt::AltModifier | Qt::Key_Home, N::First, 1, State::Browse },
        { "Alt+PgUp, prior", Qt::AltModifier | Qt::Key_PageUp, N::Prior, 1, State::Browse },
        { "Alt+PgDown, next", Qt::AltModifier | Qt::Key_PageDown, N::Next, 3, State::Browse },
        { "Alt+End, last", Qt::AltModifier | Qt::Key_End, N::Last, 3, State::Browse },
        { "Alt+Ins, insert", Qt::AltModifier | Qt::Key_Insert, N::Insert, 2, State::Insert },
        { "Ctrl+S, post", Qt::ControlModifier | Qt::Key_S, N::Post, 2, State::Browse },
        { "F5, refresh", Qt::NoModifier | Qt::Key_F5, N::Refresh, 2, State::Browse },
    };
    openUserSet(sortedCards());
    openEditor();
    for (const NavigatorKeyCase& row : cases) {
        for (TDBEdit* box : boxes()) {
            for (const bool editing : { false, true }) {
                SCOPED_TRACE(std::string(row.name) + " in " + box->objectName().toStdString()
                    + (editing ? ", editing" : ", browsing"));
                QAbstractButton* button = edUi().DBNav->button(row.button);
                EXPECT_TRUE(button->toolTip().contains(QKeySequence(row.key).toString(QKeySequence::NativeText)));
                table().first();
                table().next();
                enter(box);
                if (editing) {
                    box->end(false);
                    typeText(box, "9");
                    QTest::keyClick(box, Qt::Key_Backspace);
                    ASSERT_EQ(table().state(), State::Edit);
                }
                if (row.button == N::Post && !editing)
                    continue; // nothing to post: the button is disabled
                QTest::keyClick(box, row.key.key(), row.key.keyboardModifiers());
                ASSERT_TRUE(QTest::qWaitFor([&] { return !button->isDown(); }));
                EXPECT_EQ(table().state(), row.state);
                if (row.state != State::Insert) {
                    EXPECT_EQ(table().sequenceNumber(), row.sequenceNumber);
                }
                EXPECT_TRUE(box->hasFocus());
                if (table().state() == State::Insert)
                    table().cancel();
            }
        }
    }
    EXPECT_EQ(editortest::englishOf(readCards(path)), editortest::englishOf(sortedCards()));
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

TEST_F(EditorTest, AltDelAsksAndDeletesAsTheButtonDoes)
{
    openUserSet(sortedCards());
    openEditor();
    enter(edUi().EnglishEdit);
    QTest::keyClick(edUi().EnglishEdit, Qt::Key_Delete, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !edUi().DBNav->button(N::Delete)->isDown(); }));
    EXPECT_EQ(messages.texts(), QStringList("Delete record?"));
    EXPECT_EQ(editortest::englishOf(readCards(path)), std::vector<std::string>({ "bread", "word" }));
}

// Esc in a box puts back what the card holds, as before; pressed again straight after, it closes the editor, which
// keeps the card as the card holds it.
TEST_F(EditorTest, EscPutsBackWhatTheCardHoldsAndASecondEscClosesTheEditor)
{
    openUserSet(sortedCards());
    openEditor();
    TDBEdit* box = edUi().EnglishEdit;
    enter(box);
    box->end(false);
    typeText(box, "s");
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_EQ(box->text(), "apostle");
    EXPECT_TRUE(editor->isVisible());
    // Another key in between makes the next Esc a first one again.
    QTest::keyClick(box, Qt::Key_End);
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_TRUE(editor->isVisible());
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_TRUE(form->isEnabled());
    EXPECT_EQ(readCards(path).at(0).english, "apostle");
}

// A screen reader hears the boxes as editable text while typing would change the card, read-only where it cannot.
TEST_F(EditorTest, TheBoxesAreEditableTextToAScreenReaderWhereTypingChangesTheCard)
{
    for (const bool readOnly : { false, true }) {
        SCOPED_TRACE(readOnly ? "a set opened for reading" : "a set of one's own");
        openUserSet(sortedCards(), readOnly);
        openEditor();
        for (TDBEdit* box : boxes()) {
            QAccessibleInterface* interface = QAccessible::queryAccessibleInterface(box);
            ASSERT_NE(interface, nullptr);
            EXPECT_EQ(interface->role(), QAccessible::EditableText);
            EXPECT_EQ(interface->state().editable, !readOnly) << box->objectName().toStdString();
            EXPECT_EQ(interface->state().readOnly, readOnly) << box->objectName().toStdString();
        }
        closeEditor();
    }
}

// The keyboard stays in a box while the navigator works, so a screen reader is told the card that came up.
TEST_F(EditorTest, TheNavigatorSaysTheCardItBringsUp)
{
    openUserSet(sortedCards());
    openEditor();
    AnnouncementRecorder said;
    TDBEdit* box = edUi().EnglishEdit;
    enter(box);
    const std::pair<QKeyCombination, const char*> steps[] = {
        { Qt::AltModifier | Qt::Key_PageDown, "ἄρτος, bread, 2 of 3" },
        { Qt::AltModifier | Qt::Key_End, "λόγος, word, 3 of 3" },
        { Qt::AltModifier | Qt::Key_Insert, "New card" },
        { Qt::AltModifier | Qt::Key_Home, "ἀπόστολος, apostle, 1 of 3" },
    };
    for (const auto& [key, card] : steps) {
        QTest::keyClick(box, key.key(), key.keyboardModifiers());
        ASSERT_TRUE(QTest::qWaitFor([&] {
            return !edUi().DBNav->button(N::First)->isDown() && !edUi().DBNav->button(N::Next)->isDown()
                && !edUi().DBNav->button(N::Last)->isDown() && !edUi().DBNav->button(N::Insert)->isDown();
        }));
        EXPECT_EQ(said.take(), QStringList(QString::fromUtf8(card)));
    }
    // Typing says nothing of its own: a screen reader echoes the keys.
    typeText(box, "s");
    EXPECT_EQ(said.take(), QStringList());
}
