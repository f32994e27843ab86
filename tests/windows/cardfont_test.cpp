// The display font kept in the first record of a set, and the flag that guards writing it.
#include "errors.h"
#include "qcardunt.h"
#include "tform1.h"
#include "ui_tform1.h"
#include "windowtest.h"

#include <QFontInfo>

using namespace windowtest;

namespace {

class CardFontTest : public MainWindowTest
{
protected:
    TForm1& formOnThreeCards()
    {
        installBuiltInSet(dataHome, threeCards());
        TForm1& form1 = createForm();
        EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
        return form1;
    }

    void setGreekFont(const QString& face, int size)
    {
        QFont font = ui().TextGreek->font();
        font.setFamily(face);
        font.setPointSize(size);
        ui().TextGreek->setFont(font);
    }

    // Opens a new, empty user set through NewTable.
    void newSet(TForm1& form1, const std::string& name)
    {
        CardSetFileName = QString::fromStdString(dataHome.file(name));
        form1.NewTable();
    }

    static void addCard(TForm1& form1, const std::string& english, const std::string& greek)
    {
        form1.FrequencyTable.insert();
        form1.FrequencyTable.setFieldText("English", english);
        form1.FrequencyTable.setFieldText("Language", greek);
        form1.FrequencyTable.post();
    }
};

TEST_F(CardFontTest, SaveFontWritesFaceAndSizeIntoTheFirstRecord)
{
    TForm1& form1 = formOnThreeCards();
    setGreekFont("Gentium Plus", 20);
    form1.FrequencyTable.last();

    form1.SaveFont();

    EXPECT_EQ(form1.FrequencyTable.sequenceNumber(), 1);
    EXPECT_TRUE(FontSaveEnabled);
    const StoredFont stored = storedFont(builtInSetPath(dataHome));
    EXPECT_EQ(stored.name, "Gentium Plus");
    EXPECT_EQ(stored.size, "20");
}

TEST_F(CardFontTest, LongFacesAndBigSizesAreStoredCutAndComeBackCut)
{
    TForm1& form1 = formOnThreeCards();
    setGreekFont("An Uncommonly Long Font Face Name", 100);
    form1.SaveFont();
    const StoredFont stored = storedFont(builtInSetPath(dataHome));
    EXPECT_EQ(stored.name, "An Uncommonly Long Font F");
    EXPECT_EQ(stored.size, "10");

    setGreekFont("Gentium Plus", 16);
    form1.GetFont();
    EXPECT_EQ(ui().TextGreek->font().family(), "An Uncommonly Long Font F");
    EXPECT_EQ(ui().TextGreek->font().pointSize(), 10);
    EXPECT_EQ(ui().TextEnglish->font().pointSize(), 10);
}

TEST_F(CardFontTest, GetFontGivesTheEnglishTextTheSizeAlone)
{
    TForm1& form1 = formOnThreeCards();
    setGreekFont("Gentium Plus", 24);
    form1.SaveFont();
    setGreekFont("Greek Parse", 16);
    form1.FrequencyTable.last();

    form1.GetFont();

    EXPECT_EQ(ui().TextGreek->font().family(), "Gentium Plus");
    EXPECT_EQ(ui().TextGreek->font().pointSize(), 24);
    EXPECT_EQ(ui().TextEnglish->font().family(), "Times New Roman");
    EXPECT_EQ(ui().TextEnglish->font().pointSize(), 24);
    EXPECT_EQ(form1.FrequencyTable.sequenceNumber(), 1);
}

TEST_F(CardFontTest, GetFontChangesNothingWhenTheFirstRecordStoresNoFace)
{
    TForm1& form1 = formOnThreeCards();
    // A face stored in a later record is not looked at.
    form1.FrequencyTable.last();
    form1.FrequencyTable.edit();
    form1.FrequencyTable.setFieldText("FontName", "Gentium Plus");
    form1.FrequencyTable.setFieldText("FontSize", "30");
    form1.FrequencyTable.post();

    form1.GetFont();

    EXPECT_EQ(ui().TextGreek->font().family(), "Greek Parse");
    EXPECT_EQ(ui().TextGreek->font().pointSize(), 16);
    EXPECT_EQ(ui().TextEnglish->font().pointSize(), 16);
    EXPECT_EQ(form1.FrequencyTable.sequenceNumber(), 1);
}

TEST_F(CardFontTest, GetFontAppliesTheFaceBeforeASizeThatIsNotANumberFails)
{
    TForm1& form1 = formOnThreeCards();
    form1.FrequencyTable.first();
    form1.FrequencyTable.edit();
    form1.FrequencyTable.setFieldText("FontName", "Gentium Plus");
    form1.FrequencyTable.setFieldText("FontSize", "");
    form1.FrequencyTable.post();

    try {
        form1.GetFont();
        FAIL() << "no error raised";
    } catch (const cardstore::ConvertError& error) {
        EXPECT_STREQ(error.what(), "'' is not a valid integer value");
    }
    EXPECT_EQ(ui().TextGreek->font().family(), "Gentium Plus");
    EXPECT_EQ(ui().TextGreek->font().pointSize(), 16);
    EXPECT_EQ(ui().TextEnglish->font().pointSize(), 16);
}

TEST_F(CardFontTest, AnEmptySetTurnsSavingOffAndKeepsTheFont)
{
    TForm1& form1 = formOnThreeCards();
    newSet(form1, "empty.SDB");
    const std::string before = testsupport::readBytes(dataHome.file("empty.SDB"));
    ASSERT_TRUE(FontSaveEnabled);

    form1.SaveFont();
    EXPECT_FALSE(FontSaveEnabled);
    EXPECT_EQ(testsupport::readBytes(dataHome.file("empty.SDB")), before);

    setGreekFont("Gentium Plus", 21);
    form1.GetFont();
    EXPECT_EQ(ui().TextGreek->font().family(), "Gentium Plus");
    EXPECT_EQ(ui().TextGreek->font().pointSize(), 21);
    EXPECT_EQ(form1.FrequencyTable.recordCount(), 0);
}

TEST_F(CardFontTest, NewTableCreatesAnEmptyUserSetAndReplacesAnOldOne)
{
    TForm1& form1 = formOnThreeCards();
    testsupport::makeCardSet(dataHome.file("mine.SDB"), { { "word", "λόγος", 330 } });

    newSet(form1, "mine.SDB");

    EXPECT_TRUE(form1.FrequencyTable.active());
    EXPECT_EQ(form1.FrequencyTable.recordCount(), 0);
    EXPECT_EQ(form1.FrequencyTable.databaseName(), "Karte32");
    EXPECT_EQ(form1.FrequencyTable.tableName(), dataHome.file("mine.SDB"));
    std::vector<std::string> fields;
    for (const cardstore::FieldDef& field : form1.FrequencyTable.fieldDefs())
        fields.push_back(field.name);
    EXPECT_EQ(fields, (std::vector<std::string> { "English", "Language", "FontName", "FontSize", "Frequency" }));
    ASSERT_EQ(form1.FrequencyTable.indexDefs().size(), 1u);
    EXPECT_EQ(form1.FrequencyTable.indexDefs()[0].name, "EnglishIndex");
    EXPECT_TRUE(form1.FrequencyTable.indexDefs()[0].isPrimary());
    // The card texts show the empty set.
    EXPECT_EQ(ui().TextGreek->text(), "");
}

TEST_F(CardFontTest, NewTableThatCannotCreateLeavesTheTableClosed)
{
    TForm1& form1 = formOnThreeCards();
    CardSetFileName = QString::fromStdString(dataHome.file("no/such/folder/set.SDB"));
    EXPECT_THROW(form1.NewTable(), cardstore::Error);
    EXPECT_FALSE(form1.FrequencyTable.active());
    // With no set open, saving the font writes nothing and raises nothing, so the user can go on.
    EXPECT_TRUE(FontSaveEnabled);
    EXPECT_NO_THROW(form1.SaveFont());
}

TEST_F(CardFontTest, ASetOpenedForReadingOnlyIsNeverWrittenAndNeverTrapsTheUser)
{
    TForm1& form1 = formOnThreeCards();
    const std::string before = testsupport::readBytes(builtInSetPath(dataHome));
    form1.FrequencyTable.close();
    form1.FrequencyTable.setReadOnly(true);
    form1.FrequencyTable.open();
    ASSERT_FALSE(form1.FrequencyTable.canModify());
    setGreekFont("Gentium Plus", 20);

    EXPECT_NO_THROW(form1.SaveFont());

    EXPECT_EQ(testsupport::readBytes(builtInSetPath(dataHome)), before);
    EXPECT_EQ(storedFont(builtInSetPath(dataHome)).name, "");
}

TEST_F(CardFontTest, FontSaveEnabledFollowsPostsAndDeletes)
{
    TForm1& form1 = formOnThreeCards();
    newSet(form1, "mine.SDB");
    // The New command clears the flag after NewTable.
    FontSaveEnabled = false;
    setGreekFont("Gentium Plus", 18);

    // A set that has no card yet is never written.
    form1.SaveFont();
    EXPECT_FALSE(FontSaveEnabled);

    // The first card posted turns saving on; the next save writes into it.
    addCard(form1, "word", "λόγος");
    EXPECT_TRUE(FontSaveEnabled);
    form1.SaveFont();
    EXPECT_EQ(storedFont(dataHome.file("mine.SDB")).name, "Gentium Plus");
    EXPECT_EQ(storedFont(dataHome.file("mine.SDB")).size, "18");

    // A card that sorts first becomes the first record: it stores no font, so GetFont changes nothing, and the
    // next save writes into it.
    addCard(form1, "and", "καί");
    setGreekFont("Greek Parse", 16);
    form1.GetFont();
    EXPECT_EQ(ui().TextGreek->font().family(), "Greek Parse");
    setGreekFont("Gentium Plus", 19);
    form1.SaveFont();
    EXPECT_EQ(storedFont(dataHome.file("mine.SDB")).name, "Gentium Plus");
    EXPECT_EQ(storedFont(dataHome.file("mine.SDB")).size, "19");

    // Deleting a card that is not the last one leaves the flag; deleting the last one clears it.
    form1.FrequencyTable.first();
    form1.FrequencyTable.deleteRecord();
    EXPECT_TRUE(FontSaveEnabled);
    FontSaveEnabled = false;
    form1.FrequencyTable.first();
    addCard(form1, "again", "πάλιν");
    EXPECT_TRUE(FontSaveEnabled);
    form1.FrequencyTable.first();
    form1.FrequencyTable.deleteRecord();
    form1.FrequencyTable.first();
    form1.FrequencyTable.deleteRecord();
    EXPECT_EQ(form1.FrequencyTable.recordCount(), 0);
    EXPECT_FALSE(FontSaveEnabled);
}

TEST_F(CardFontTest, GetRecordIDGivesThePlaceInTheCurrentOrder)
{
    TForm1& form1 = formOnThreeCards();
    int recordId = -1;
    form1.GetRecordID(form1.FrequencyTable, recordId);
    EXPECT_EQ(recordId, 1);
    form1.FrequencyTable.last();
    form1.GetRecordID(form1.FrequencyTable, recordId);
    EXPECT_EQ(recordId, 3);
    // In English order the last card, "God", comes second: and, God, the.
    form1.FrequencyTable.setIndexName("EnglishIndex");
    form1.GetRecordID(form1.FrequencyTable, recordId);
    EXPECT_EQ(recordId, 2);
    form1.FrequencyTable.close();
    EXPECT_THROW(form1.GetRecordID(form1.FrequencyTable, recordId), cardstore::Error);
}

// The faces the windows are laid out in are drawn by the fonts made to their measures, whatever else is installed.
TEST(DesignedFaces, TheLayoutsFacesAreDrawnInTheirMetricTwins)
{
    const std::vector<std::pair<const char*, const char*>> cases {
        { "Times New Roman", "Liberation Serif" },
        { "TimesNewRoman", "Liberation Serif" },
        { "Greek Parse", "Gentium Plus" },
    };
    for (const auto& [face, drawnIn] : cases) {
        SCOPED_TRACE(face);
        QFont font(QString::fromLatin1(face), 12);
        EXPECT_EQ(QFontInfo(font).family(), QString::fromLatin1(drawnIn));
    }
}

} // namespace
