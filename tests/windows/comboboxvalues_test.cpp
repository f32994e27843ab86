// The value of a combo box named by its label, as a screen reader hears it: leading the box's description when the
// box gets the focus, and said at once, before what else the change brings about, when the user changes it.
#include "announcement.h"
#include "comboboxvalues.h"
#include "windowtest.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTest>
#include <QVBoxLayout>

using namespace windowtest;

namespace {

class ComboBoxValuesTest : public ::testing::Test
{
protected:
    ComboBoxValuesTest()
    {
        auto* layout = new QVBoxLayout(&window);
        auto* label = new QLabel(QStringLiteral("&Format:"), &window);
        box = new QComboBox(&window);
        box->setAccessibleName(QStringLiteral("Format"));
        box->setAccessibleDescription(QStringLiteral("How the file is written"));
        label->setBuddy(box);
        other = new QLineEdit(&window);
        layout->addWidget(label);
        layout->addWidget(box);
        layout->addWidget(other);
        box->addItems({ QStringLiteral("CSV"), QStringLiteral("TSV"), QStringLiteral("Flashcard text") });
        karte::keepComboBoxValuesReadable(&window);
        // What the window says of a change of format, after the box's own value.
        QObject::connect(box, &QComboBox::currentIndexChanged, &window,
            [this] { karte::announce(&window, QStringLiteral("3 cards to add")); });
    }

    QString description() { return QAccessible::queryAccessibleInterface(box)->text(QAccessible::Description); }

    QWidget window;
    QComboBox* box;
    QLineEdit* other;
    AnnouncementRecorder said;
};

TEST_F(ComboBoxValuesTest, TheValueLeadsTheDescriptionAsTheBoxGetsTheFocus)
{
    EXPECT_EQ(description(), "CSV. How the file is written");
    // Filled while the window was hidden, with its signals blocked: described anew as the window shows.
    {
        const QSignalBlocker quiet(box);
        box->setCurrentIndex(2);
    }
    other->setFocus();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QApplication::processEvents();
    EXPECT_EQ(description(), "Flashcard text. How the file is written");
    // Changed from code while another control has the focus: described at once, nothing said.
    said.take();
    box->setCurrentIndex(1);
    EXPECT_EQ(description(), "TSV. How the file is written");
    EXPECT_EQ(said.take(), QStringList("3 cards to add"));
}

TEST_F(ComboBoxValuesTest, AChangeTheUserMakesInTheBoxIsSaidFirstAndDescribedOnceTheBoxIsLeft)
{
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    box->setFocus();
    said.take();
    QTest::keyClick(box, Qt::Key_Down);
    EXPECT_EQ(said.take(), QStringList("TSV. 3 cards to add"));
    // A description changing under the focus would be said again whole: it waits until the box is left.
    EXPECT_EQ(description(), "CSV. How the file is written");
    other->setFocus();
    EXPECT_EQ(description(), "TSV. How the file is written");
}

} // namespace
