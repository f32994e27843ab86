// What a screen reader is told without the focus moving, and the keys it relies on: the announcements of the
// drill and the word list, the menus' names, the unavailable menu item the arrow keys stop at, and Alt with a
// letter, which belongs to the menus and must never move the drill or change the font. That a screen reader
// really speaks them is checked by the end-to-end test with Orca.
#include "announcement.h"
#include "tfontform.h"
#include "tform1.h"
#include "ui_tfontform.h"
#include "ui_tform1.h"
#include "windowtest.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>

#include <algorithm>
#include <functional>

using namespace windowtest;

namespace {

bool liesInAStatusBar(QWidget* object)
{
    for (QAccessibleInterface* up = QAccessible::queryAccessibleInterface(object); up; up = up->parent())
        if (up->role() == QAccessible::StatusBar)
            return true;
    return false;
}

struct WindowCase
{
    const char* window;
    std::function<QWidget*(QWidget& parentOfAll)> make;
};

// A window without a status bar, one with Qt's, and the main window with its status line.
const WindowCase kWindows[] = {
    { "plain window", [](QWidget& all) { return new QWidget(&all, Qt::Window); } },
    { "window with a status bar",
        [](QWidget& all) {
            auto* window = new QMainWindow(&all, Qt::Window);
            window->setStatusBar(new QStatusBar);
            return window;
        } },
};

class AnnouncementTest : public ::testing::TestWithParam<WindowCase>
{
};

TEST_P(AnnouncementTest, SaysTheLastTextOfATurnOnceAsAStatusMessageAndShowsNothing)
{
    AnnouncementRecorder said;
    QWidget all;
    QWidget* window = GetParam().make(all);
    auto* control = new QWidget(window);
    window->show();

    karte::announce(control, "ὁ, 1 of 3");
    karte::announce(control, "the");
    EXPECT_EQ(said.take(), QStringList { "the" });
    karte::announce(control, "καί, 2 of 3");
    karte::announce(control, "");
    EXPECT_EQ(said.take(), QStringList { "καί, 2 of 3" });
    // The same text again is news again: the user stepped onto the same card.
    karte::announce(window, "καί, 2 of 3");
    EXPECT_EQ(said.take(), QStringList { "καί, 2 of 3" });

    QWidget* object = karte::announcementObject(window);
    ASSERT_NE(object, nullptr);
    EXPECT_FALSE(object->isVisible());
    EXPECT_TRUE(liesInAStatusBar(object));
    // One object a window: another window's announcements have their own.
    QWidget* other = GetParam().make(all);
    karte::announce(other, "θεός");
    EXPECT_EQ(said.take(), QStringList { "θεός" });
    EXPECT_NE(karte::announcementObject(other), object);
    EXPECT_EQ(karte::announcementObject(window), object);
}

INSTANTIATE_TEST_SUITE_P(
    Windows, AnnouncementTest, ::testing::ValuesIn(kWindows), [](const ::testing::TestParamInfo<WindowCase>& info) {
        std::string name = info.param.window;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

class ScreenReaderTest : public MainWindowTest
{
protected:
    ScreenReaderTest()
    {
        installBuiltInSet(dataHome, threeCards());
        createForm();
        form->show();
        said.take();
    }

    AnnouncementRecorder said;
};

TEST_F(ScreenReaderTest, TheMainWindowSpeaksFromItsStatusLine)
{
    ui().SpeedButton2->click();
    EXPECT_EQ(said.take(), QStringList { "the" });
    QWidget* object = karte::announcementObject(form.get());
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->parentWidget(), ui().StatusBar1);
}

TEST_F(ScreenReaderTest, TheWordListNamesTheEntryUnlessTheCardShowsIt)
{
    struct Step
    {
        const char* step;
        std::function<void()> act;
        QString announced;
    };
    auto choose = [this](const QString& entry) {
        const int row = ui().FrequencyComboBox->findText(entry);
        ASSERT_GE(row, 0);
        ui().FrequencyComboBox->setCurrentIndex(row);
        Q_EMIT ui().FrequencyComboBox->activated(row);
    };
    const Step steps[] = {
        { "an English entry over the Greek side", [&] { choose("and"); }, "and: καί, 2 of 3" },
        { "the arrow key in the closed list", [&] { QTest::keyClick(ui().FrequencyComboBox, Qt::Key_Down); },
            "God: θεός, 3 of 3" },
        { "> reveals the English side", [&] { ui().SpeedButton2->click(); }, "God" },
        { "the entry is the English side shown", [&] { choose("the"); }, "ὁ, the, 1 of 3" },
        { "< on the first card", [&] { ui().SpeedButton1->click(); }, "ὁ" },
        { "< moves back, English side only", [&] { ui().SpeedButton1->click(); }, "the, 1 of 3" },
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.step);
        step.act();
        EXPECT_EQ(said.take(), QStringList { step.announced });
    }
}

TEST_F(ScreenReaderTest, AMenuSaysItsNameWithTheItemTheKeyboardHighlights)
{
    struct MenuCase
    {
        QMenu* menu;
        QAction* highlighted;
        QString announced;
    };
    const MenuCase menus[] = {
        { ui().File1, ui().New1, "File menu, New..." },
        { ui().Sort1, nullptr, "Sort List menu" },
        { ui().Tools1, ui().AddEditCustomCards1, "Tools menu, Add/Edit Custom Cards, unavailable" },
    };
    for (const MenuCase& c : menus) {
        SCOPED_TRACE(c.announced.toStdString());
        ui().MainMenu1->setActiveAction(c.menu->menuAction());
        ASSERT_TRUE(c.menu->isVisible());
        c.menu->setActiveAction(c.highlighted);
        EXPECT_EQ(said.take(), QStringList { c.announced });
        c.menu->hide();
        said.take();
    }
}

TEST_F(ScreenReaderTest, TheArrowKeysStopAtAnUnavailableMenuItem)
{
    ASSERT_FALSE(ui().AddEditCustomCards1->isEnabled());
    ui().MainMenu1->setActiveAction(ui().Tools1->menuAction());
    ASSERT_TRUE(ui().Tools1->isVisible());
    ui().Tools1->setActiveAction(ui().Font1);
    QTest::keyClick(ui().Tools1, Qt::Key_Down);
    EXPECT_EQ(ui().Tools1->activeAction(), ui().AddEditCustomCards1);
    // Choosing it still does nothing: the editor belongs to a set of one's own.
    QSignalSpy chosen(ui().AddEditCustomCards1, &QAction::triggered);
    QTest::keyClick(ui().Tools1, Qt::Key_Return);
    EXPECT_EQ(chosen.count(), 0);
    ui().Tools1->hide();
}

TEST_F(ScreenReaderTest, AltWithALetterNeverSearchesTheWordListNorTypesAFace)
{
    TFontForm chooser;
    Ui::TFontForm& fonts = formOf(chooser);
    fonts.FontName->addEntries({ "Fixed", "Gentium Plus" });
    struct KeyCase
    {
        const char* keys;
        QComboBox* box;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool changes;
    };
    const KeyCase cases[] = {
        // "God" starts with G: without Alt the list goes there.
        { "Alt+G in the word list", ui().FrequencyComboBox, Qt::Key_G, Qt::AltModifier, false },
        { "Alt+Shift+G in the word list", ui().FrequencyComboBox, Qt::Key_G, Qt::AltModifier | Qt::ShiftModifier,
            false },
        { "Meta+G in the word list", ui().FrequencyComboBox, Qt::Key_G, Qt::MetaModifier, false },
        { "G alone in the word list", ui().FrequencyComboBox, Qt::Key_G, Qt::NoModifier, true },
        { "Alt+F in the font name box", fonts.FontName, Qt::Key_F, Qt::AltModifier, false },
        { "F alone in the font name box", fonts.FontName, Qt::Key_F, Qt::NoModifier, true },
    };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.keys);
        const QString before = c.box->currentText();
        const QString positionBefore = ui().StatusPanel0->text();
        QTest::keyClick(c.box, c.key, c.modifiers);
        EXPECT_EQ(c.box->currentText() != before, c.changes) << c.box->currentText().toStdString();
        if (c.box == ui().FrequencyComboBox) {
            EXPECT_EQ(ui().StatusPanel0->text() != positionBefore, c.changes);
        }
    }
    // Alt with an arrow, which types nothing, still opens the list.
    QTest::keyClick(ui().FrequencyComboBox, Qt::Key_Down, Qt::AltModifier);
    EXPECT_TRUE(ui().FrequencyComboBox->view()->isVisible());
    ui().FrequencyComboBox->hidePopup();
}

} // namespace
