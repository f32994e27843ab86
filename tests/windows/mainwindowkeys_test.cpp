// The main window from the keyboard alone: the keys of the four drill buttons, F10, and the card a screen reader
// hears with the window.
#include "tform1.h"
#include "ui_tform1.h"
#include "windowtest.h"

#include <QAccessible>
#include <QApplication>
#include <QMenu>
#include <QTest>

#include <functional>
#include <vector>

using namespace windowtest;

namespace {

struct Shown
{
    QString greek;
    bool greekVisible;
    bool englishVisible;
    QString position;
    QStringList announced;

    bool operator==(const Shown&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Shown& shown)
{
    return out << shown.greek.toStdString() << (shown.greekVisible ? " G" : " -")
               << (shown.englishVisible ? "E " : "- ") << shown.position.toStdString()
               << " said: " << shown.announced.join(" | ").toStdString();
}

class MainWindowKeysTest : public MainWindowTest
{
protected:
    // A fresh main window on the second of three cards, its English side alone showing (after "<" from the third).
    void startOnSecondCard()
    {
        form.reset();
        formOn(threeCards());
        form->show();
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        ui().SpeedButton4->click();
        ui().SpeedButton1->click();
        said.take();
    }

    Shown shown()
    {
        QApplication::processEvents();
        return { ui().TextGreek->text(), ui().TextGreek->isVisibleTo(form.get()),
            ui().TextEnglish->isVisibleTo(form.get()), ui().StatusPanel0->text(), said.take() };
    }

    AnnouncementRecorder said;
};

struct DrillKeyCase
{
    const char* name;
    QKeyCombination key;
    std::function<QAbstractButton*(Ui::TForm1&)> button;
};

// Each key does what a click on its button does, the same step from the same place, said the same way; the buttons
// themselves still take no focus.
TEST_F(MainWindowKeysTest, EachDrillKeyDoesWhatItsButtonDoes)
{
    const std::vector<DrillKeyCase> cases {
        { "Alt+Home, first card", Qt::AltModifier | Qt::Key_Home, [](Ui::TForm1& ui) { return ui.SpeedButton3; } },
        { "Alt+Left, back", Qt::AltModifier | Qt::Key_Left, [](Ui::TForm1& ui) { return ui.SpeedButton1; } },
        { "Alt+Right, forward", Qt::AltModifier | Qt::Key_Right, [](Ui::TForm1& ui) { return ui.SpeedButton2; } },
        { "Alt+End, last card", Qt::AltModifier | Qt::Key_End, [](Ui::TForm1& ui) { return ui.SpeedButton4; } },
    };
    for (const DrillKeyCase& row : cases) {
        SCOPED_TRACE(row.name);
        startOnSecondCard();
        const Shown before = shown();
        row.button(ui())->click();
        const Shown clicked = shown();
        EXPECT_NE(clicked, before);

        startOnSecondCard();
        QTest::keyClick(ui().FrequencyComboBox, row.key.key(), row.key.keyboardModifiers());
        // The key presses the button, which shows itself down for a moment and then clicks.
        ASSERT_TRUE(QTest::qWaitFor([&] { return !row.button(ui())->isDown(); }));
        EXPECT_EQ(shown(), clicked);
        EXPECT_EQ(QApplication::focusWidget(), ui().FrequencyComboBox);
        EXPECT_EQ(row.button(ui())->focusPolicy(), Qt::NoFocus);
        EXPECT_TRUE(row.button(ui())->toolTip().contains(QKeySequence(row.key).toString(QKeySequence::NativeText)))
            << row.button(ui())->toolTip().toStdString();
    }
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

TEST_F(MainWindowKeysTest, F10OpensTheFirstMenuWithItsFirstItemHighlighted)
{
    startOnSecondCard();
    QTest::keyClick(ui().FrequencyComboBox, Qt::Key_F10);
    EXPECT_TRUE(ui().File1->isVisible());
    EXPECT_EQ(ui().File1->activeAction(), ui().New1);
    // The arrow keys go on through the menu bar, as after its access key.
    QTest::keyClick(ui().File1, Qt::Key_Right);
    EXPECT_TRUE(ui().CardSet1->isVisible());
    QTest::keyClick(ui().CardSet1, Qt::Key_Escape);
    EXPECT_FALSE(ui().CardSet1->isVisible());
}

// The window's description is the card it shows: a screen reader says the card with the window as the window gets
// the focus, at start and when the user comes back to it.
TEST_F(MainWindowKeysTest, TheWindowIsDescribedByTheCardItShows)
{
    formOn(threeCards());
    form->show();
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(form.get());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->text(QAccessible::Description), QStringLiteral("ὁ, 1 of 3"));
    for (const auto& [button, described] : { std::pair { ui().SpeedButton2, "ὁ, the, 1 of 3" },
             std::pair { ui().SpeedButton2, "καί, 2 of 3" }, std::pair { ui().SpeedButton4, "θεός, 3 of 3" } }) {
        button->click();
        QApplication::processEvents();
        EXPECT_EQ(window->text(QAccessible::Description), QString::fromUtf8(described));
    }
}

} // namespace
