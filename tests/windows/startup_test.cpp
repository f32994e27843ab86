// The main window's start state, as FormCreate leaves it.
#include "application.h"
#include "qcardunt.h"
#include "tform1.h"
#include "ui_tform1.h"
#include "windowtest.h"

#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QTest>

using namespace windowtest;

namespace {

class StartUpTest : public MainWindowTest
{
};

TEST_F(StartUpTest, EndsInTheStartStateOnTheShippedSet)
{
    TForm1& form1 = createForm();

    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
    EXPECT_EQ(form1.windowTitle(), "NT Frequency");
    EXPECT_TRUE(DrillFlag);
    EXPECT_TRUE(FontSaveEnabled);
    EXPECT_TRUE(CardSetFileName.isEmpty());

    // The built-in set is open on its first record.
    EXPECT_TRUE(form1.FrequencyTable.active());
    EXPECT_EQ(form1.FrequencyTable.tableName(), "cardsfrq.db");
    EXPECT_EQ(form1.FrequencyTable.databaseName(), "KARTE32");
    EXPECT_EQ(form1.FrequencyTable.recordCount(), 1125);
    EXPECT_EQ(form1.FrequencyTable.sequenceNumber(), 1);
    const QString firstEnglish = QString::fromStdString(form1.FrequencyTable.fieldText("English"));
    const QString firstGreek = QString::fromStdString(form1.FrequencyTable.fieldText("Language"));

    // Toolbar and menus.
    EXPECT_TRUE(ui().FrequencyCards->isEnabled());
    EXPECT_TRUE(ui().FontButton->isEnabled());
    EXPECT_FALSE(ui().ButtonAdd->isEnabled());
    EXPECT_TRUE(ui().File1->menuAction()->isEnabled());
    EXPECT_TRUE(ui().Sort1->menuAction()->isEnabled());
    EXPECT_TRUE(ui().Tools1->menuAction()->isEnabled());
    EXPECT_TRUE(ui().Font1->isEnabled());
    EXPECT_FALSE(ui().AddEditCustomCards1->isEnabled());
    for (QAction* item : { ui().Alphabetcally1, ui().ShowGreek1, ui().ShowFrequency1 }) {
        EXPECT_TRUE(item->isEnabled()) << item->objectName().toStdString();
        EXPECT_FALSE(item->isChecked()) << item->objectName().toStdString();
    }

    // The word list holds every English text, the first one shown, in the face FormCreate gives it.
    EXPECT_EQ(ui().FrequencyComboBox->count(), 1125);
    EXPECT_EQ(ui().FrequencyComboBox->currentIndex(), 0);
    EXPECT_EQ(ui().FrequencyComboBox->currentText(), firstEnglish);
    EXPECT_FALSE(ui().FrequencyComboBox->sorted());
    EXPECT_FALSE(ui().FrequencyComboBox->isEditable());
    EXPECT_EQ(ui().FrequencyComboBox->font().family(), "TimesNewRoman");
    EXPECT_EQ(ui().FrequencyComboBox->font().pointSize(), 13);

    // The card panel: Greek side only, the drill bar shown.
    EXPECT_TRUE(ui().TextGreek->isVisibleTo(&form1));
    EXPECT_FALSE(ui().TextEnglish->isVisibleTo(&form1));
    EXPECT_TRUE(ui().QCardButtons->isVisibleTo(&form1));
    EXPECT_EQ(ui().TextGreek->text(), firstGreek);
    EXPECT_EQ(ui().TextEnglish->text(), firstEnglish);
    EXPECT_EQ(ui().StatusPanel0->text(), "1 of 1125");
    EXPECT_EQ(ui().StatusPanel1->text(), QString::fromStdString(form1.FrequencyTable.fieldText("Frequency")));
}

TEST_F(StartUpTest, GreekCardsAreDrawnInAFaceThatHasEveryLetter)
{
    TForm1& form1 = createForm();
    EXPECT_EQ(ui().TextGreek->font().family(), "Greek Parse");
    const QFontMetrics metrics(ui().TextGreek->font());
    int checked = 0;
    for (form1.FrequencyTable.first(); !form1.FrequencyTable.eof(); form1.FrequencyTable.next()) {
        const QString greek = QString::fromStdString(form1.FrequencyTable.fieldText("Language"));
        for (char32_t letter : greek.toUcs4()) {
            ASSERT_TRUE(metrics.inFontUcs4(letter))
                << "U+" << std::hex << static_cast<unsigned>(letter) << " of " << greek.toStdString() << " in "
                << QFontInfo(ui().TextGreek->font()).family().toStdString();
            ++checked;
        }
    }
    EXPECT_GT(checked, 1125);
}

TEST_F(StartUpTest, LeavesTheBuiltInSetUntouchedAndAppliesNoFontWhenItStoresNone)
{
    installBuiltInSet(dataHome, threeCards());
    const std::string before = testsupport::readBytes(builtInSetPath(dataHome));

    TForm1& form1 = createForm();

    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
    EXPECT_EQ(testsupport::readBytes(builtInSetPath(dataHome)), before);
    EXPECT_EQ(ui().TextGreek->font().family(), "Greek Parse");
    EXPECT_EQ(ui().TextGreek->font().pointSize(), 16);
    EXPECT_EQ(ui().TextEnglish->font().family(), "Times New Roman");
    EXPECT_EQ(ui().TextEnglish->font().pointSize(), 16);
    EXPECT_EQ(ui().FrequencyComboBox->entries(), QStringList({ "the", "and", "God" }));
    EXPECT_EQ(ui().TextGreek->text(), "ὁ");
    EXPECT_EQ(ui().StatusPanel0->text(), "1 of 3");
    EXPECT_EQ(ui().StatusPanel1->text(), "19769");
    EXPECT_TRUE(FontSaveEnabled);
    EXPECT_TRUE(DrillFlag);
    EXPECT_EQ(form1.FrequencyTable.sequenceNumber(), 1);
}

TEST_F(StartUpTest, AppliesTheFontStoredInTheBuiltInSet)
{
    installBuiltInSet(dataHome, threeCards());
    {
        cardstore::Table table;
        table.setTableName(builtInSetPath(dataHome));
        table.open();
        table.first();
        table.edit();
        table.setFieldText("FontName", "Gentium Plus");
        table.setFieldText("FontSize", "22");
        table.post();
    }

    createForm();

    EXPECT_EQ(ui().TextGreek->font().family(), "Gentium Plus");
    EXPECT_EQ(ui().TextGreek->font().pointSize(), 22);
    EXPECT_EQ(ui().TextEnglish->font().family(), "Times New Roman");
    EXPECT_EQ(ui().TextEnglish->font().pointSize(), 22);
}

TEST_F(StartUpTest, AFailureInFormCreateIsShownAndEndsItThere)
{
    // A stored size that is not a number fails GetFont (step 9); the steps after it do not run.
    installBuiltInSet(dataHome, threeCards());
    {
        cardstore::Table table;
        table.setTableName(builtInSetPath(dataHome));
        table.open();
        table.first();
        table.edit();
        table.setFieldText("FontName", "Gentium Plus");
        table.setFieldText("FontSize", "x");
        table.post();
    }

    TForm1& form1 = createForm();

    ASSERT_EQ(messages.requests().size(), 1u);
    EXPECT_EQ(messages.requests()[0].title, "Karte Cards by Quarn Software");
    EXPECT_EQ(messages.requests()[0].text, "'x' is not a valid integer value.");
    EXPECT_EQ(messages.requests()[0].icon, QMessageBox::Critical);
    EXPECT_EQ(messages.requests()[0].buttons, QMessageBox::Ok);
    // Steps 1 to 8 and the face of step 9 stay done; steps 10 to 15 never ran.
    EXPECT_EQ(ui().FrequencyComboBox->count(), 3);
    EXPECT_EQ(ui().TextGreek->font().family(), "Gentium Plus");
    EXPECT_EQ(ui().TextGreek->font().pointSize(), 16);
    EXPECT_FALSE(ui().QCardButtons->isVisibleTo(&form1));
    EXPECT_EQ(form1.windowTitle(), "Karte Cards by Quarn Software");
    EXPECT_EQ(ui().FrequencyComboBox->font().family(), "Times New Roman");
    EXPECT_FALSE(FontSaveEnabled);
    EXPECT_FALSE(DrillFlag);
}

TEST_F(StartUpTest, TheWindowIsBuiltAtItsDesignSizeOnAScreenOfTheDesignDensity)
{
    TForm1& form1 = createForm();
    form1.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form1));

    EXPECT_EQ(form1.centralWidget()->size(), QSize(778, 492));
    EXPECT_EQ(ui().Panel1->geometry(), QRect(0, 0, 778, 41));
    EXPECT_EQ(ui().QCard->geometry(), QRect(0, 41, 778, 451));
    EXPECT_EQ(ui().StatusBar1->geometry(), QRect(1, 426, 776, 24));
    // FormResize ran before the window was first seen: the worked example at the design size.
    EXPECT_EQ(ui().TextGreek->geometry(), QRect(1, 30, 776, 151));
    EXPECT_EQ(ui().TextEnglish->geometry(), QRect(1, 192, 776, 150));
    EXPECT_EQ(ui().QCardButtons->geometry(), QRect(269, 345, 241, 41));
    EXPECT_EQ(ui().FrequencyComboBox->geometry(), QRect(195, 4, 389, 33));
    EXPECT_EQ(ui().Label2->geometry(), QRect(752, 8, 9, 9));
    EXPECT_EQ(ui().SpeedButton2->geometry(), QRect(120, 0, 61, 41));
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

} // namespace

namespace {

struct MenuCase
{
    QMenu* Ui::TForm1::*menu;
    const char* title;
    std::vector<std::pair<const char*, const char*>> items; // name, caption ("-" for a separator)
};

TEST_F(StartUpTest, MenusCaptionsAndHintsAreThoseOfTheDesign)
{
    createForm();
    const MenuCase menus[] = {
        { &Ui::TForm1::File1, "F&ile",
            { { "New1", "&New..." }, { "Open1", "&Open..." }, { "N2", "-" }, { "Exit1", "E&xit" } } },
        { &Ui::TForm1::CardSet1, "C&ard Set", { { "Frequency1", "NT &Frequency" } } },
        { &Ui::TForm1::Sort1, "&Sort List",
            { { "Alphabetcally1", "&Alphabetically" }, { "ShowGreek1", "S&how Greek" },
                { "ShowFrequency1", "Show &Frequency" } } },
        { &Ui::TForm1::Tools1, "&Tools",
            { { "Font1", "F&ont" }, { "AddEditCustomCards1", "&Add/Edit Custom Cards" }, { "N3", "-" },
                { "Study1", "&Study..." }, { "Progress1", "&Progress..." }, { "N4", "-" },
                { "ImportCards1", "&Import Cards..." }, { "ExportCards1", "&Export Cards..." }, { "N5", "-" },
                { "Read1", "&Read..." } } },
        { &Ui::TForm1::Help1, "H&elp", { { "Contents1", "C&ontents" }, { "N1", "-" }, { "About1", "A&bout" } } },
    };
    QList<QAction*> bar = ui().MainMenu1->actions();
    ASSERT_EQ(bar.size(), static_cast<qsizetype>(std::size(menus)));
    for (std::size_t m = 0; m < std::size(menus); ++m) {
        QMenu* menu = ui().*menus[m].menu;
        EXPECT_EQ(bar[m], menu->menuAction());
        EXPECT_EQ(menu->title(), menus[m].title);
        const QList<QAction*> items = menu->actions();
        ASSERT_EQ(items.size(), static_cast<qsizetype>(menus[m].items.size())) << menus[m].title;
        for (std::size_t i = 0; i < menus[m].items.size(); ++i) {
            const auto& [name, caption] = menus[m].items[i];
            EXPECT_EQ(items[i]->objectName(), name);
            if (std::string(caption) == "-")
                EXPECT_TRUE(items[i]->isSeparator()) << name;
            else
                EXPECT_EQ(items[i]->text(), caption) << name;
            EXPECT_TRUE(items[i]->shortcut().isEmpty()) << name;
        }
    }
    EXPECT_EQ(ui().FrequencyCards->toolTip(), "Open");
    EXPECT_EQ(ui().FontButton->toolTip(), "Change the font.");
    EXPECT_EQ(ui().ButtonAdd->toolTip(), "Add/Edit custom word.");
    EXPECT_TRUE(ui().FrequencyComboBox->toolTip().isEmpty());
    for (QToolButton* button : { ui().SpeedButton3, ui().SpeedButton1, ui().SpeedButton2, ui().SpeedButton4 })
        EXPECT_EQ(button->focusPolicy(), Qt::NoFocus) << button->objectName().toStdString();
    EXPECT_EQ(ui().SpeedButton3->text(), "<<");
    EXPECT_EQ(ui().SpeedButton1->text(), "<");
    EXPECT_EQ(ui().SpeedButton2->text(), ">");
    EXPECT_EQ(ui().SpeedButton4->text(), ">>");
    // Each glyph shows its own grey image while its button is disabled.
    const struct
    {
        QToolButton* button;
        const char* disabledImage;
        QSize size;
    } glyphs[] = {
        { ui().FrequencyCards, ":/karte/glyphs/openbook-disabled.png", { 16, 16 } },
        { ui().FontButton, ":/karte/glyphs/fontletters-disabled.png", { 28, 29 } },
        { ui().ButtonAdd, ":/karte/glyphs/handwriting-disabled.png", { 16, 16 } },
    };
    for (const auto& glyph : glyphs) {
        EXPECT_EQ(glyph.button->iconSize(), glyph.size);
        const QImage shown = glyph.button->icon().pixmap(glyph.size, QIcon::Disabled).toImage();
        EXPECT_EQ(shown.convertToFormat(QImage::Format_ARGB32_Premultiplied),
            QImage(glyph.disabledImage).convertToFormat(QImage::Format_ARGB32_Premultiplied))
            << glyph.disabledImage;
    }
    EXPECT_FALSE(form->windowIcon().isNull());
}

TEST(HelpFile, TheBundledHelpDocumentLiesBesideTheProgram)
{
    const QString help = karte::Application::bundledHelpFile();
    EXPECT_TRUE(help.endsWith("/share/karte/help/index.html")) << help.toStdString();
    EXPECT_TRUE(QFile::exists(help)) << help.toStdString();
}

} // namespace
