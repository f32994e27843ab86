// The About box: its frame, panel, picture and button, where About1Click places it, and how it is closed.
#include "bevelpanel.h"
#include "tform1.h"
#include "tform2.h"
#include "ui_tform1.h"
#include "ui_tform2.h"
#include "windowtest.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QScreen>
#include <QTest>

#include <functional>
#include <vector>

using namespace windowtest;

namespace {

// Whether two images show the same colours pixel for pixel, whatever else they record (colour space, format).
bool samePixels(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return false;
    return true;
}

class AboutTest : public MainWindowTest
{
protected:
    AboutTest()
    {
        about = std::make_unique<TForm2>();
        Form2 = about.get();
    }
    ~AboutTest() override
    {
        about.reset();
        Form2 = nullptr;
    }

    Ui::TForm2& box() { return formOf(*about); }

    TForm1& createMainWindow()
    {
        TForm1& form1 = createForm();
        form1.connectSideWindows(about.get(), nullptr, nullptr);
        return form1;
    }

    // Where the panel's contents lie: the design places the picture and the button inside the panel's frame.
    QPoint insidePanel(QWidget* control) const
    {
        return control->geometry().topLeft() - formOf(*about).Panel1->contentsRect().topLeft();
    }

    // Shows and closes the box once, so that the next showing is placed on the main window.
    void showAndCloseOnce()
    {
        ui().About1->trigger();
        QTest::mouseClick(box().SpeedButton1, Qt::LeftButton);
        ASSERT_FALSE(about->isVisible());
    }

    std::unique_ptr<TForm2> about;
};

TEST_F(AboutTest, FrameAndLayoutAreThoseOfTheDesign)
{
    EXPECT_EQ(about->windowTitle(), "About");
    const Qt::WindowFlags flags = about->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    for (Qt::WindowType icon : { Qt::WindowSystemMenuHint, Qt::WindowCloseButtonHint, Qt::WindowMinimizeButtonHint,
             Qt::WindowMaximizeButtonHint, Qt::WindowContextHelpButtonHint })
        EXPECT_FALSE(flags.testFlag(icon)) << std::hex << icon;
    EXPECT_FALSE(about->isVisible());
    EXPECT_EQ(about->size(), QSize(261, 281));
    EXPECT_EQ(about->minimumSize(), about->maximumSize());

    EXPECT_EQ(box().Panel1->geometry(), QRect(0, 0, 261, 281));
    EXPECT_EQ(box().Panel1->frameShape(), QFrame::WinPanel);
    EXPECT_EQ(box().Panel1->frameShadow(), QFrame::Sunken);
    EXPECT_EQ(box().Panel1->borderWidth(), 16);
    EXPECT_EQ(box().Panel1->innerBevel(), BevelPanel::Raised);

    // The picture fills the panel inside its border and bevel; the button lies over its lower middle.
    EXPECT_EQ(box().Image2->parentWidget(), box().Panel1);
    EXPECT_EQ(insidePanel(box().Image2), QPoint(17, 17));
    EXPECT_EQ(box().Image2->size(), QSize(223, 243));
    EXPECT_EQ(box().Panel1->innerBevelRect().adjusted(1, 1, -1, -1), box().Image2->geometry());
    EXPECT_EQ(box().Image2->pixmap().size(), QSize(246, 243));
    EXPECT_EQ(box().SpeedButton1->parentWidget(), box().Panel1);
    EXPECT_EQ(insidePanel(box().SpeedButton1), QPoint(84, 216));
    EXPECT_EQ(box().SpeedButton1->size(), QSize(81, 33));
    EXPECT_TRUE(box().SpeedButton1->text().isEmpty());
    EXPECT_EQ(box().SpeedButton1->iconSize(), QSize(77, 30));
    EXPECT_EQ(box().SpeedButton1->icon().availableSizes(), QList<QSize>({ QSize(77, 30) }));
}

TEST_F(AboutTest, ThePictureIsCentredAndLosesItsOutermostColumns)
{
    about->show();
    const QImage shown = box().Image2->grab().toImage();
    const QImage picture(":/karte/about/about.png");
    ASSERT_EQ(picture.size(), QSize(246, 243));
    // Centred, neither stretched nor pinned to a side: of the 23 columns that do not fit, Qt's centring leaves
    // twelve out on the left and eleven on the right.
    EXPECT_TRUE(samePixels(shown, picture.copy(12, 0, 223, 243)));
    EXPECT_FALSE(samePixels(shown, picture.copy(0, 0, 223, 243)));
    EXPECT_FALSE(samePixels(shown, picture.scaled(223, 243)));
    // The ground is light grey.
    EXPECT_EQ(picture.pixelColor(0, 0), QColor(0xc0, 0xc0, 0xc0));
}

TEST_F(AboutTest, TheFirstShowingIsCentredOnTheScreenWhereverTheMainWindowIs)
{
    TForm1& form1 = createMainWindow();
    form1.setGeometry(5, 26, 786, 540);

    ui().About1->trigger();

    const QRect screen = about->screen()->geometry();
    EXPECT_EQ(about->pos(), QPoint((screen.width() - 261) / 2, (screen.height() - 281) / 2));
    EXPECT_TRUE(about->isVisible());
    EXPECT_FALSE(form1.isEnabled());
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

struct PlacementCase
{
    const char* name;
    QRect mainWindow;
    QSize box;
    QPoint expected;
};

TEST_F(AboutTest, LaterShowingsAreCentredOnTheMainWindow)
{
    const std::vector<PlacementCase> cases {
        // The worked example: 5 + 393 - 134 = 264 and 26 + 270 - 154 = 142.
        { "the worked example", { 5, 26, 786, 540 }, { 269, 309 }, { 264, 142 } },
        { "odd sizes halve downwards", { 100, 50, 787, 541 }, { 269, 309 }, { 100 + 393 - 134, 50 + 270 - 154 } },
        { "a main window smaller than the box puts the box partly off the screen", { 0, 0, 120, 100 }, { 269, 309 },
            { 60 - 134, 50 - 154 } },
        { "a main window partly off the screen", { -300, -20, 786, 540 }, { 261, 281 },
            { -300 + 393 - 130, -20 + 270 - 140 } },
    };
    TForm1& form1 = createMainWindow();
    showAndCloseOnce();
    for (const PlacementCase& row : cases) {
        SCOPED_TRACE(row.name);
        about->setFixedSize(row.box);
        form1.setGeometry(row.mainWindow);
        ASSERT_EQ(form1.frameGeometry(), row.mainWindow);

        ui().About1->trigger();

        EXPECT_EQ(about->frameGeometry().topLeft(), row.expected);
        EXPECT_TRUE(about->isVisible());
        EXPECT_FALSE(form1.isEnabled());
        QTest::mouseClick(box().SpeedButton1, Qt::LeftButton);
    }
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

struct CloseCase
{
    const char* name;
    std::function<void(TForm2&, Ui::TForm2&)> close;
};

// Whatever closes the box, its button, a key or the window manager, hides it and gives the main window back, active.
TEST_F(AboutTest, TheButtonEscEnterAndTheWindowManagerCloseTheBoxAndBringBackTheMainWindow)
{
    const auto key = [](Qt::Key key) {
        return [key](TForm2&, Ui::TForm2&) { QTest::keyClick(QApplication::focusWidget(), key); };
    };
    const std::vector<CloseCase> cases {
        { "a click on the button",
            [](TForm2&, Ui::TForm2& box) { QTest::mouseClick(box.SpeedButton1, Qt::LeftButton); } },
        { "Esc", key(Qt::Key_Escape) },
        { "Enter", key(Qt::Key_Return) },
        { "Enter on the keypad", key(Qt::Key_Enter) },
        { "Space on the button", key(Qt::Key_Space) },
        { "the window manager's close", [](TForm2& about, Ui::TForm2&) { about.close(); } },
    };
    TForm1& form1 = createMainWindow();
    form1.show();
    for (const CloseCase& row : cases) {
        SCOPED_TRACE(row.name);
        ui().About1->trigger();
        ASSERT_TRUE(about->isVisible());
        ASSERT_FALSE(form1.isEnabled());
        QApplication::setActiveWindow(about.get());
        // The keys reach the box through its button, which has the focus.
        ASSERT_EQ(QApplication::focusWidget(), box().SpeedButton1);
        // The disabled main window takes no mouse input: its word list does not open.
        QTest::mouseClick(ui().FrequencyComboBox, Qt::LeftButton);
        EXPECT_FALSE(ui().FrequencyComboBox->view()->isVisible());

        row.close(*about, box());

        EXPECT_FALSE(about->isVisible());
        EXPECT_TRUE(form1.isEnabled());
        EXPECT_EQ(QApplication::activeWindow(), &form1);
    }
    // Keys that mean nothing to the box leave it up.
    ui().About1->trigger();
    QApplication::setActiveWindow(about.get());
    for (Qt::Key key : { Qt::Key_Tab, Qt::Key_A, Qt::Key_Down })
        QTest::keyClick(QApplication::focusWidget(), key);
    EXPECT_TRUE(about->isVisible());
    EXPECT_FALSE(form1.isEnabled());
    about->hide();
    EXPECT_TRUE(form1.isEnabled());
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

// A screen reader reads the box as a dialog with the words drawn in its picture, and its panel as a part of it: a
// panel read as a window of its own took the button out of the active window, and the button went unsaid.
TEST_F(AboutTest, TheBoxIsADialogThatSaysTheWordsOfItsPicture)
{
    QAccessibleInterface* interface = QAccessible::queryAccessibleInterface(about.get());
    ASSERT_NE(interface, nullptr);
    EXPECT_EQ(interface->role(), QAccessible::Dialog);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(box().Panel1)->role(), QAccessible::Grouping);
    const QString description = interface->text(QAccessible::Description);
    for (const char* words : { "Karte Cards", "Version 2.0", "New Testament Greek vocabulary", "Quarn Software" })
        EXPECT_TRUE(description.contains(QString::fromUtf8(words))) << words << ": " << description.toStdString();
}

} // namespace
