// What a screen reader is told without the focus moving (the announcements of the drill, the word list and the
// menus), the unavailable menu item the arrow keys stop at, and Alt with a letter, which belongs to the menus and
// must never move the drill or change the font. That Orca really speaks them is checked end to end.
#include "announcement.h"
#include "qcardunt.h"
#include "tfontform.h"
#include "tform1.h"
#include "ui_tfontform.h"
#include "ui_tform1.h"
#include "windowtest.h"

#include <QAbstractItemView>
#include <QMainWindow>
#include <QMenu>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>

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

TEST(Announcement, SaysTheLastTextOfATurnOnceAsAStatusMessageAndShowsNothing)
{
    AnnouncementRecorder said;
    QWidget plain;
    QMainWindow withBar;
    withBar.setStatusBar(new QStatusBar);
    for (QWidget* window : { &plain, static_cast<QWidget*>(&withBar) }) {
        window->show();
        karte::announce(window, "ὁ, 1 of 3");
        karte::announce(window, "the");
        karte::announce(window, "");
        EXPECT_EQ(said.take(), QStringList { "the" });
        // The same text again is news again: the user stepped onto the same card.
        karte::announce(window, "the");
        EXPECT_EQ(said.take(), QStringList { "the" });
        QWidget* object = karte::announcementObject(window);
        ASSERT_NE(object, nullptr);
        EXPECT_FALSE(object->isVisible());
        EXPECT_TRUE(liesInAStatusBar(object));
    }
    EXPECT_EQ(karte::announcementObject(&withBar)->parentWidget(), withBar.statusBar());
}

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

    void choose(const QString& entry)
    {
        const int row = ui().FrequencyComboBox->findText(entry);
        ui().FrequencyComboBox->setCurrentIndex(row);
        Q_EMIT ui().FrequencyComboBox->activated(row);
    }

    AnnouncementRecorder said;
};

// From the first card, Greek side up: the entry is said before the card unless the card shows it anyway.
TEST_F(ScreenReaderTest, TheWordListAndTheDrillSayWhatTheyBrought)
{
    const std::pair<std::function<void()>, QString> steps[] = {
        { [&] { choose("and"); }, "and: καί, 2 of 3" },
        { [&] { QTest::keyClick(ui().FrequencyComboBox, Qt::Key_Down); }, "God: θεός, 3 of 3" },
        { [&] { ui().SpeedButton2->click(); }, "God" },
        { [&] { choose("the"); }, "ὁ, the, 1 of 3" },
        { [&] { ui().SpeedButton1->click(); }, "ὁ" },
        { [&] { ui().SpeedButton1->click(); }, "the, 1 of 3" },
    };
    for (const auto& [act, announced] : steps) {
        SCOPED_TRACE(announced.toStdString());
        act();
        EXPECT_EQ(said.take(), QStringList { announced });
    }
    EXPECT_EQ(karte::announcementObject(form.get())->parentWidget(), ui().StatusBar1);
}

TEST_F(ScreenReaderTest, AMenuSaysItsNameAndTheArrowKeysReachItsUnavailableItem)
{
    struct MenuCase
    {
        QMenu* menu;
        std::function<void(QMenu*)> keys;
        QString announced;
    };
    const MenuCase menus[] = {
        { ui().File1, [&](QMenu* menu) { menu->setActiveAction(ui().New1); }, "File menu, New..." },
        { ui().Sort1, [](QMenu*) {}, "Sort List menu" },
        { ui().Tools1,
            [&](QMenu* menu) {
                menu->setActiveAction(ui().Font1);
                QTest::keyClick(menu, Qt::Key_Down);
            },
            "Tools menu, Add/Edit Custom Cards, unavailable" },
    };
    for (const MenuCase& c : menus) {
        SCOPED_TRACE(c.announced.toStdString());
        ui().MainMenu1->setActiveAction(c.menu->menuAction());
        ASSERT_TRUE(c.menu->isVisible());
        c.keys(c.menu);
        EXPECT_EQ(said.take(), QStringList { c.announced });
    }
    // Choosing the unavailable item still does nothing.
    QSignalSpy chosen(ui().AddEditCustomCards1, &QAction::triggered);
    QTest::keyClick(ui().Tools1, Qt::Key_Return);
    EXPECT_EQ(chosen.count(), 0);
    ui().Tools1->hide();
}

TEST_F(ScreenReaderTest, AltWithALetterNeverSearchesTheWordListNorTypesAFace)
{
    TFontForm chooser;
    QComboBox* words = ui().FrequencyComboBox;
    QComboBox* faces = formOf(chooser).FontName;
    // In order: "God" starts with G, so without Alt the list goes there.
    const std::tuple<QComboBox*, Qt::Key, Qt::KeyboardModifiers, bool> keys[] = {
        { words, Qt::Key_G, Qt::AltModifier, false },
        { words, Qt::Key_G, Qt::AltModifier | Qt::ShiftModifier, false },
        { words, Qt::Key_G, Qt::MetaModifier, false },
        { words, Qt::Key_G, Qt::NoModifier, true },
        { faces, Qt::Key_F, Qt::AltModifier, false },
        { faces, Qt::Key_F, Qt::NoModifier, true },
    };
    for (const auto& [box, key, modifiers, changes] : keys) {
        SCOPED_TRACE(QKeySequence(key | modifiers).toString().toStdString());
        const QString entry = box->currentText();
        const QString position = ui().StatusPanel0->text();
        QTest::keyClick(box, key, modifiers);
        EXPECT_EQ(box->currentText() != entry, changes);
        EXPECT_EQ(ui().StatusPanel0->text() != position, changes && box == words);
    }
    // Alt with an arrow, which types nothing, still opens the list.
    QTest::keyClick(words, Qt::Key_Down, Qt::AltModifier);
    EXPECT_TRUE(words->view()->isVisible());
    words->hidePopup();
}

} // namespace
