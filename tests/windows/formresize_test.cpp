// FormResize: the re-layout of the card area and the word list.
#include "errors.h"
#include "tform1.h"
#include "ui_tform1.h"
#include "windowtest.h"

#include <QMenuBar>
#include <QTest>

#include <climits>

using namespace windowtest;

namespace {

struct ResizeCase
{
    const char* name;
    QRect card; // the card panel's bounds in the client area
    int toolbarWidth;
    QRect greek, english;
    QPoint buttons;
    int listLeft, listWidth;
};

void PrintTo(const ResizeCase& c, std::ostream* out)
{
    *out << c.name;
}

const ResizeCase kResizeCases[] = {
    { "design size", { 0, 41, 778, 451 }, 778, { 1, 30, 776, 151 }, { 1, 192, 776, 150 }, { 269, 345 }, 195, 389 },
    { "600 x 300", { 0, 41, 600, 300 }, 600, { 1, 30, 598, 101 }, { 1, 142, 598, 100 }, { 180, 245 }, 150, 300 },
    // A height that is a multiple of 3 still gives the Greek text one pixel more.
    { "height 450", { 0, 41, 778, 450 }, 778, { 1, 30, 776, 151 }, { 1, 192, 776, 150 }, { 269, 345 }, 195, 389 },
    // Odd widths: div truncates, and the list's left uses the width just set.
    { "odd widths", { 0, 41, 777, 100 }, 777, { 1, 30, 775, 34 }, { 1, 75, 775, 33 }, { 268, 111 }, 194, 388 },
    // The panel's own left and top are added to positions inside it.
    { "panel moved", { 5, 60, 300, 90 }, 310, { 6, 30, 298, 31 }, { 6, 91, 298, 30 }, { 30, 124 }, 78, 155 },
};

class FormResizeTest : public MainWindowTest, public ::testing::WithParamInterface<ResizeCase>
{
};

TEST_P(FormResizeTest, LaysOutTheCardAreaFromThePanelSizes)
{
    const ResizeCase& c = GetParam();
    installBuiltInSet(dataHome, threeCards());
    TForm1& form1 = createForm();
    ui().QCard->setGeometry(c.card);
    ui().Panel1->setGeometry(0, 0, c.toolbarWidth, 41);

    form1.FormResize(&form1);

    EXPECT_EQ(ui().TextGreek->geometry(), c.greek);
    EXPECT_EQ(ui().TextEnglish->geometry(), c.english);
    EXPECT_EQ(ui().QCardButtons->pos(), c.buttons);
    EXPECT_EQ(ui().QCardButtons->size(), QSize(241, 41));
    EXPECT_EQ(ui().FrequencyComboBox->geometry(), QRect(c.listLeft, 4, c.listWidth, 33));
    // Never moved.
    EXPECT_EQ(ui().Label2->geometry(), QRect(752, 8, 9, 9));
    EXPECT_EQ(ui().TextFrequency2->pos(), QPoint(96, 312));
}

INSTANTIATE_TEST_SUITE_P(Cases, FormResizeTest, ::testing::ValuesIn(kResizeCases), [](const auto& info) {
    std::string name = info.param.name;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
});

class WindowResizeTest : public MainWindowTest
{
};

TEST_F(WindowResizeTest, ResizingTheWindowRunsFormResizeOnTheNewCardPanel)
{
    installBuiltInSet(dataHome, threeCards());
    TForm1& form1 = createForm();
    form1.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form1));

    form1.resize(600, 341 + form1.menuBar()->height());
    QApplication::processEvents();

    ASSERT_EQ(ui().QCard->geometry(), QRect(0, 41, 600, 300));
    EXPECT_EQ(ui().TextGreek->geometry(), QRect(1, 30, 598, 101));
    EXPECT_EQ(ui().TextEnglish->geometry(), QRect(1, 142, 598, 100));
    EXPECT_EQ(ui().QCardButtons->pos(), QPoint(180, 245));
    EXPECT_EQ(ui().FrequencyComboBox->geometry(), QRect(150, 4, 300, 33));
    EXPECT_EQ(ui().StatusBar1->geometry(), QRect(1, 275, 598, 24));
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

TEST_F(WindowResizeTest, AnOverflowRaisesAndKeepsTheBoundsSetBeforeIt)
{
    installBuiltInSet(dataHome, threeCards());
    TForm1& form1 = createForm();
    // Top + Greek height fits; top + twice that height + 2 (the drill bar's top, step 8) does not.
    ui().QCard->setGeometry(0, INT_MAX - 3, 30, 3);
    ui().Panel1->setGeometry(0, 0, 100, 41);
    const QRect buttonsBefore = ui().QCardButtons->geometry();
    const QRect listBefore = ui().FrequencyComboBox->geometry();

    try {
        form1.FormResize(&form1);
        FAIL() << "no overflow raised";
    } catch (const cardstore::Error& error) {
        EXPECT_STREQ(error.what(), "Integer overflow");
    }
    EXPECT_EQ(ui().TextGreek->geometry(), QRect(1, 30, 28, 2));
    EXPECT_EQ(ui().TextEnglish->geometry(), QRect(1, INT_MAX - 1, 28, 1));
    EXPECT_EQ(ui().QCardButtons->geometry(), buttonsBefore);
    EXPECT_EQ(ui().FrequencyComboBox->geometry(), listBefore);
}

TEST_F(WindowResizeTest, AnOverflowDuringAResizeIsShownInTheErrorBox)
{
    installBuiltInSet(dataHome, threeCards());
    TForm1& form1 = createForm();
    form1.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form1));
    messages.clear();

    // The card panel placed by hand where the window's own layout never would, then the client area's resize
    // reported as the window reports it.
    ui().QCard->setGeometry(0, INT_MAX - 3, 30, 3);
    Q_EMIT ui().centralwidget->resized();

    ASSERT_EQ(messages.requests().size(), 1u);
    EXPECT_EQ(messages.requests()[0].title, "Karte Cards by Quarn Software");
    EXPECT_EQ(messages.requests()[0].text, "Integer overflow.");
    EXPECT_EQ(messages.requests()[0].icon, QMessageBox::Critical);
}

} // namespace
