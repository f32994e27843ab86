// What a screen reader reads of the windows: the role, name and description each control gives assistive
// technology, and that the texts it reads follow the drill and the word list as the screen does. That the
// changes reach a screen reader as events, which Qt sends only over a real accessibility bridge, is checked by the
// end-to-end test through AT-SPI.
#include "tdbnavigator.h"
#include "tfontform.h"
#include "tform1.h"
#include "tform2.h"
#include "tformqcustom.h"
#include "tpassworddialog.h"
#include "ui_tfontform.h"
#include "ui_tform1.h"
#include "ui_tform2.h"
#include "ui_tformqcustom.h"
#include "ui_tpassworddialog.h"
#include "windowtest.h"

#include <QAbstractButton>
#include <QAccessible>

#include <functional>
#include <ostream>
#include <vector>

using namespace windowtest;

namespace {

QAccessibleInterface* accessibleOf(QObject* object)
{
    QAccessibleInterface* interface = QAccessible::queryAccessibleInterface(object);
    EXPECT_NE(interface, nullptr) << object->objectName().toStdString();
    return interface;
}

QString nameOf(QObject* object)
{
    QAccessibleInterface* interface = accessibleOf(object);
    return interface ? interface->text(QAccessible::Name) : QString();
}

QString descriptionOf(QObject* object)
{
    QAccessibleInterface* interface = accessibleOf(object);
    return interface ? interface->text(QAccessible::Description) : QString();
}

struct ControlCase
{
    const char* control;
    std::function<QWidget*(Ui::TForm1&)> widget;
    QAccessible::Role role;
    QString name;
    QString description;
};

void PrintTo(const ControlCase& c, std::ostream* out)
{
    *out << c.control;
}

// The main window on the three usual cards, at the first card with its Greek side showing.
class MainWindowAccessibilityTest : public MainWindowTest, public ::testing::WithParamInterface<ControlCase>
{
protected:
    MainWindowAccessibilityTest()
    {
        installBuiltInSet(dataHome, threeCards());
        createForm();
        form->show();
        EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
    }
};

// The data-bound labels and the status panels are read by their text, which changes with the card, and described
// by what they are; the word list is read by the entry it shows; the drill buttons by what they do, the other
// glyph buttons by their hints; the panels by their names.
const ControlCase kControls[] = {
    { "TextGreek", [](Ui::TForm1& ui) { return ui.TextGreek; }, QAccessible::StaticText, "ὁ", "Card, Greek side" },
    { "TextEnglish", [](Ui::TForm1& ui) { return ui.TextEnglish; }, QAccessible::StaticText, "the",
        "Card, English side" },
    { "TextFrequency2", [](Ui::TForm1& ui) { return ui.TextFrequency2; }, QAccessible::StaticText, "19769",
        "Frequency" },
    { "StatusPanel0", [](Ui::TForm1& ui) { return ui.StatusPanel0; }, QAccessible::StaticText, "1 of 3",
        "Card position" },
    { "StatusPanel1", [](Ui::TForm1& ui) { return ui.StatusPanel1; }, QAccessible::StaticText, "19769",
        "Card frequency" },
    { "FrequencyComboBox", [](Ui::TForm1& ui) { return ui.FrequencyComboBox; }, QAccessible::ComboBox, "the",
        "Word list" },
    { "SpeedButton3", [](Ui::TForm1& ui) { return ui.SpeedButton3; }, QAccessible::PushButton, "First card",
        "Goes to the first card" },
    { "SpeedButton1", [](Ui::TForm1& ui) { return ui.SpeedButton1; }, QAccessible::PushButton, "Back",
        "Back one step: the previous card's English side, then its Greek side too" },
    { "SpeedButton2", [](Ui::TForm1& ui) { return ui.SpeedButton2; }, QAccessible::PushButton, "Forward",
        "Forward one step: the English side, then the next card" },
    { "SpeedButton4", [](Ui::TForm1& ui) { return ui.SpeedButton4; }, QAccessible::PushButton, "Last card",
        "Goes to the last card" },
    { "FrequencyCards", [](Ui::TForm1& ui) { return ui.FrequencyCards; }, QAccessible::PushButton, "Open", "Open" },
    { "FontButton", [](Ui::TForm1& ui) { return ui.FontButton; }, QAccessible::PushButton, "Change the font.",
        "Change the font." },
    { "ButtonAdd", [](Ui::TForm1& ui) { return ui.ButtonAdd; }, QAccessible::PushButton, "Add/Edit custom word.",
        "Add/Edit custom word." },
    { "Label2", [](Ui::TForm1& ui) { return ui.Label2; }, QAccessible::StaticText, "Custom card editor",
        "Double-click to add or edit custom cards" },
    // The panels are parts of the window, never windows of their own: a screen reader that met a window role here
    // took the first panel for the whole window.
    { "Panel1", [](Ui::TForm1& ui) { return ui.Panel1; }, QAccessible::ToolBar, "Toolbar", "" },
    { "QCard", [](Ui::TForm1& ui) { return ui.QCard; }, QAccessible::Grouping, "Card", "" },
    { "QCardButtons", [](Ui::TForm1& ui) { return ui.QCardButtons; }, QAccessible::Grouping, "Drill bar", "" },
    { "StatusBar1", [](Ui::TForm1& ui) { return ui.StatusBar1; }, QAccessible::StatusBar, "Status line", "" },
};

TEST_P(MainWindowAccessibilityTest, ControlsHaveTheirRoleNameAndDescription)
{
    const ControlCase& c = GetParam();
    QAccessibleInterface* interface = accessibleOf(c.widget(ui()));
    ASSERT_NE(interface, nullptr);
    EXPECT_EQ(interface->role(), c.role);
    EXPECT_EQ(interface->text(QAccessible::Name), c.name);
    EXPECT_EQ(interface->text(QAccessible::Description), c.description);
}

INSTANTIATE_TEST_SUITE_P(MainWindow, MainWindowAccessibilityTest, ::testing::ValuesIn(kControls),
    [](const ::testing::TestParamInfo<ControlCase>& info) { return std::string(info.param.control); });

// Every menu of the menu bar and every item in it, as the bar's accessible tree holds them, names stripped of the
// access-key marks.
TEST_F(MainWindowTest, EveryMenuItemIsReadByItsCaption)
{
    installBuiltInSet(dataHome, threeCards());
    createForm();
    const std::vector<std::pair<QString, QStringList>> expected {
        { "File", { "New...", "Open...", "", "Exit" } },
        { "Card Set", { "NT Frequency" } },
        { "Sort List", { "Alphabetically", "Show Greek", "Show Frequency" } },
        { "Tools",
            { "Font", "Add/Edit Custom Cards", "", "Study...", "Progress...", "", "Import Cards...", "Export Cards...",
                "", "Read..." } },
        { "Help", { "Contents", "", "About" } },
    };
    QAccessibleInterface* bar = accessibleOf(ui().MainMenu1);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->role(), QAccessible::MenuBar);
    ASSERT_EQ(bar->childCount(), static_cast<int>(expected.size()));
    for (int m = 0; m < bar->childCount(); ++m) {
        QAccessibleInterface* title = bar->child(m);
        ASSERT_NE(title, nullptr);
        EXPECT_EQ(title->role(), QAccessible::MenuItem);
        EXPECT_EQ(title->text(QAccessible::Name), expected[m].first);
        ASSERT_EQ(title->childCount(), 1) << expected[m].first.toStdString();
        QAccessibleInterface* menu = title->child(0);
        EXPECT_EQ(menu->role(), QAccessible::PopupMenu);
        EXPECT_EQ(menu->text(QAccessible::Name), expected[m].first);
        QStringList items;
        for (int i = 0; i < menu->childCount(); ++i) {
            QAccessibleInterface* item = menu->child(i);
            // A separator has nothing to read.
            EXPECT_EQ(
                item->role(), item->text(QAccessible::Name).isEmpty() ? QAccessible::Separator : QAccessible::MenuItem);
            items.append(item->text(QAccessible::Name));
        }
        EXPECT_EQ(items, expected[m].second) << expected[m].first.toStdString();
    }
}

// --- The texts follow the card -----------------------------------------------------------------------------------

class AccessibleTextTest : public MainWindowTest
{
protected:
    AccessibleTextTest()
    {
        installBuiltInSet(dataHome, threeCards());
        createForm();
        form->show();
    }

    bool readable(QWidget* widget) { return !accessibleOf(widget)->state().invisible; }
};

struct StepCase
{
    const char* step;
    std::function<void(Ui::TForm1&)> act;
    QString greek;
    QString english;
    bool greekShowing;
    bool englishShowing;
    QString position;
    QString frequency;
    // What a screen reader is told unasked: the side just revealed, or the card that came up.
    QString announced;
};

void choose(Ui::TForm1& ui, const QString& entry)
{
    const int row = ui.FrequencyComboBox->findText(entry);
    ASSERT_GE(row, 0);
    ui.FrequencyComboBox->setCurrentIndex(row);
    Q_EMIT ui.FrequencyComboBox->activated(row);
}

// From the first card with its Greek side showing, one after the other.
const StepCase kSteps[] = {
    { "> reveals the English side", [](Ui::TForm1& ui) { ui.SpeedButton2->click(); }, "ὁ", "the", true, true, "1 of 3",
        "19769", "the" },
    { "> moves on to the next card", [](Ui::TForm1& ui) { ui.SpeedButton2->click(); }, "καί", "and", true, false,
        "2 of 3", "8973", "καί, 2 of 3" },
    { ">> goes to the last card", [](Ui::TForm1& ui) { ui.SpeedButton4->click(); }, "θεός", "God", true, false,
        "3 of 3", "1317", "θεός, 3 of 3" },
    { "< goes back to the English side", [](Ui::TForm1& ui) { ui.SpeedButton1->click(); }, "καί", "and", false, true,
        "2 of 3", "8973", "and, 2 of 3" },
    { "<< goes to the first card", [](Ui::TForm1& ui) { ui.SpeedButton3->click(); }, "ὁ", "the", false, true, "1 of 3",
        "19769", "the, 1 of 3" },
    { "the word list jumps", [](Ui::TForm1& ui) { choose(ui, "God"); }, "θεός", "God", false, true, "3 of 3", "1317",
        "God, 3 of 3" },
};

TEST_F(AccessibleTextTest, TheCardAndTheStatusLineAreReadAsTheyChange)
{
    AnnouncementRecorder announcements;
    ASSERT_EQ(nameOf(ui().TextGreek), "ὁ");
    ASSERT_TRUE(readable(ui().TextGreek));
    ASSERT_FALSE(readable(ui().TextEnglish));
    for (const StepCase& step : kSteps) {
        SCOPED_TRACE(step.step);
        step.act(ui());

        EXPECT_EQ(nameOf(ui().TextGreek).toStdString(), step.greek.toStdString());
        EXPECT_EQ(nameOf(ui().TextEnglish).toStdString(), step.english.toStdString());
        EXPECT_EQ(readable(ui().TextGreek), step.greekShowing);
        EXPECT_EQ(readable(ui().TextEnglish), step.englishShowing);
        EXPECT_EQ(nameOf(ui().StatusPanel0).toStdString(), step.position.toStdString());
        EXPECT_EQ(nameOf(ui().StatusPanel1).toStdString(), step.frequency.toStdString());
        EXPECT_EQ(nameOf(ui().TextFrequency2).toStdString(), step.frequency.toStdString());
        // What the labels are stays put while their text changes.
        EXPECT_EQ(descriptionOf(ui().TextGreek), "Card, Greek side");
        EXPECT_EQ(descriptionOf(ui().StatusPanel0), "Card position");
        EXPECT_EQ(announcements.take(), QStringList { step.announced });
    }
}

// --- The side windows --------------------------------------------------------------------------------------------

TEST_F(MainWindowTest, TheEditorsBoxesAndNavigatorButtonsAreReadByTheirLabelsAndHints)
{
    installBuiltInSet(dataHome, threeCards());
    createForm();
    TFormQCustom editor;
    Ui::TFormQCustom& controls = formOf(editor);
    EXPECT_EQ(nameOf(controls.LanguageEdit), "Word or phrase");
    EXPECT_EQ(nameOf(controls.EnglishEdit), "English translation");
    EXPECT_EQ(nameOf(controls.FrequencyEdit), "Frequency count");
    const std::vector<std::pair<TDBNavigator::Button, QString>> hints {
        { TDBNavigator::First, "First record" },
        { TDBNavigator::Prior, "Prior record" },
        { TDBNavigator::Next, "Next record" },
        { TDBNavigator::Last, "Last record" },
        { TDBNavigator::Insert, "Insert record" },
        { TDBNavigator::Delete, "Delete record" },
        { TDBNavigator::Edit, "Edit record" },
        { TDBNavigator::Post, "Post edit" },
        { TDBNavigator::Cancel, "Cancel edit" },
        { TDBNavigator::Refresh, "Refresh data" },
    };
    for (const auto& [button, hint] : hints) {
        QAccessibleInterface* interface = accessibleOf(controls.DBNav->button(button));
        ASSERT_NE(interface, nullptr);
        EXPECT_EQ(interface->role(), QAccessible::PushButton);
        EXPECT_EQ(interface->text(QAccessible::Name), hint);
    }
}

TEST_F(MainWindowTest, TheFontChooserAboutBoxAndPasswordPromptAreReadable)
{
    installBuiltInSet(dataHome, threeCards());
    createForm();
    TFontForm fonts;
    EXPECT_EQ(descriptionOf(formOf(fonts).FontName), "Font name");
    EXPECT_EQ(descriptionOf(formOf(fonts).FontSize), "Font size");
    // The text boxes inside them, where typing goes, are named the same.
    EXPECT_EQ(nameOf(formOf(fonts).FontName->lineEdit()), "Font name");
    EXPECT_EQ(nameOf(formOf(fonts).FontSize->lineEdit()), "Font size");

    TForm2 about;
    EXPECT_EQ(accessibleOf(formOf(about).Image2)->role(), QAccessible::Graphic);
    EXPECT_EQ(nameOf(formOf(about).Image2), "Karte Cards");
    EXPECT_EQ(descriptionOf(formOf(about).Image2), "Version 2.0. New Testament Greek vocabulary. Quarn Software.");
    EXPECT_EQ(nameOf(formOf(about).SpeedButton1), "OK");

    TPasswordDialog prompt;
    // The box is named by the group around it.
    EXPECT_EQ(nameOf(formOf(prompt).Edit), "Password");
    EXPECT_EQ(accessibleOf(formOf(prompt).Edit)->role(), QAccessible::EditableText);
    // Buttons by their captions, without the access-key marks.
    const std::vector<std::pair<QAbstractButton*, QString>> buttons {
        { formOf(prompt).AddButton, "Add" },
        { formOf(prompt).RemoveButton, "Remove" },
        { formOf(prompt).RemoveAllButton, "Remove all" },
        { formOf(prompt).OKButton, "OK" },
        { formOf(prompt).CancelButton, "Cancel" },
    };
    for (const auto& [button, caption] : buttons)
        EXPECT_EQ(nameOf(button), caption);
}

} // namespace
