// The services every window builds on: the error box, checked window arithmetic and scaling to the screen.
#include "application.h"
#include "checkedint.h"
#include "errorbox.h"
#include "errors.h"
#include "windowscaling.h"
#include "windowtest.h"

#include <QFrame>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimerEvent>
#include <QVBoxLayout>

#include <climits>

using namespace windowtest;

namespace {

TEST(ErrorBox, ShowsTheMessageWithOneFullStopUnderTheApplicationTitle)
{
    MessageRecorder messages;
    karte::showException(cardstore::Error("Field 'English' not found"));
    karte::showException(cardstore::Error("Table is busy."));
    karte::showException(std::runtime_error("bad thing"));
    ASSERT_EQ(messages.requests().size(), 3u);
    EXPECT_EQ(messages.texts(), QStringList({ "Field 'English' not found.", "Table is busy.", "bad thing." }));
    for (const karte::MessageRequest& request : messages.requests()) {
        EXPECT_EQ(request.title, "Karte Cards by Quarn Software");
        EXPECT_EQ(request.icon, QMessageBox::Critical);
        EXPECT_EQ(request.buttons, QMessageBox::Ok);
    }
}

TEST(ErrorBox, ASilentAbortShowsNothing)
{
    MessageRecorder messages;
    karte::showException(cardstore::Abort());
    karte::guarded([] { throw cardstore::Abort(); });
    EXPECT_TRUE(messages.requests().empty());
}

TEST(ErrorBox, AGuardedHandlerStopsAtItsErrorAndKeepsWhatItDid)
{
    MessageRecorder messages;
    int steps = 0;
    karte::guarded([&] {
        ++steps;
        throw cardstore::DatabaseError(
            cardstore::status::kDataset, "Cannot perform this operation on a closed dataset");
        ++steps;
    });
    EXPECT_EQ(steps, 1);
    EXPECT_EQ(messages.texts(), QStringList({ "Cannot perform this operation on a closed dataset." }));
}

TEST(ErrorBox, TheApplicationErrorTextNamesKindModuleAndAddress)
{
    int here = 0;
    const QString text = karte::applicationErrorText(
        cardstore::DatabaseError(cardstore::status::kTableNotFound, "Table does not exist"), "karte", &here);
    const QStringList lines = text.split('\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QString::asprintf("Exception DatabaseError in module karte at %p.", static_cast<void*>(&here)));
    EXPECT_EQ(lines[1], "Table does not exist.");
    EXPECT_TRUE(
        karte::applicationErrorText(cardstore::ConvertError("'x' is not a valid integer value."), "karte", &here)
            .endsWith("\n'x' is not a valid integer value."));
}

// An object whose timer handler raises, as the navigator's auto-repeat may.
class FailingTimer : public QObject
{
public:
    int ticks = 0;

protected:
    void timerEvent(QTimerEvent* event) override
    {
        ++ticks;
        if (ticks == 2)
            killTimer(event->timerId());
        throw cardstore::Error("Cannot modify a read-only dataset");
    }
};

TEST(ErrorBox, AnErrorEscapingAnEventHandlerIsShownAndTheProgramGoesOn)
{
    MessageRecorder messages;
    FailingTimer timer;
    timer.startTimer(0);
    QTRY_COMPARE(timer.ticks, 2);
    EXPECT_EQ(
        messages.texts(), QStringList({ "Cannot modify a read-only dataset.", "Cannot modify a read-only dataset." }));
}

struct ArithmeticCase
{
    const char* name;
    int (*compute)();
    std::optional<int> result; // nullopt: overflow
};

void PrintTo(const ArithmeticCase& c, std::ostream* out)
{
    *out << c.name;
}

const ArithmeticCase kArithmeticCases[] = {
    { "sum", [] { return (karte::CheckedInt(41) + 451).value(); }, 492 },
    { "sum overflows", [] { return (karte::CheckedInt(INT_MAX) + 1).value(); }, std::nullopt },
    { "negative sum overflows", [] { return (karte::CheckedInt(INT_MIN) + -1).value(); }, std::nullopt },
    { "difference", [] { return (karte::CheckedInt(778) - 2).value(); }, 776 },
    { "difference overflows", [] { return (karte::CheckedInt(INT_MIN) - 1).value(); }, std::nullopt },
    { "product", [] { return (karte::CheckedInt(151) * 2).value(); }, 302 },
    { "product overflows", [] { return (karte::CheckedInt(INT_MAX / 2 + 1) * 2).value(); }, std::nullopt },
    { "div truncates", [] { return div(karte::CheckedInt(451), 3).value(); }, 150 },
    { "div truncates toward zero", [] { return div(karte::CheckedInt(-7), 2).value(); }, -3 },
    { "div of the smallest by -1 overflows", [] { return div(karte::CheckedInt(INT_MIN), -1).value(); }, std::nullopt },
};

class CheckedArithmetic : public ::testing::TestWithParam<ArithmeticCase>
{
};

TEST_P(CheckedArithmetic, RaisesInsteadOfWrapping)
{
    const ArithmeticCase& c = GetParam();
    if (c.result) {
        EXPECT_EQ(c.compute(), *c.result);
        return;
    }
    try {
        c.compute();
        FAIL() << "no overflow raised";
    } catch (const karte::IntOverflow& error) {
        EXPECT_STREQ(error.what(), "Integer overflow");
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CheckedArithmetic, ::testing::ValuesIn(kArithmeticCases), [](const auto& info) {
    std::string name = info.param.name;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
});

TEST(WindowScaling, ScalesEdgesSoThatTouchingControlsStillTouch)
{
    QWidget window;
    window.resize(300, 100);
    auto* bar = new QFrame(&window);
    bar->setGeometry(10, 20, 241, 41);
    QList<QPushButton*> buttons;
    for (int i = 0; i < 4; ++i) {
        buttons.append(new QPushButton(bar));
        buttons[i]->setGeometry(60 * i, 0, 61, 41);
    }

    karte::scaleWindow(&window, 96, 120);

    EXPECT_EQ(window.size(), QSize(240, 80));
    EXPECT_EQ(bar->geometry(), QRect(8, 16, 193, 33));
    // Each button still overlaps the next by one pixel, and the last one ends at the bar's edge.
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(buttons[i]->geometry().right(), buttons[i + 1]->x()) << i;
    }
    EXPECT_EQ(buttons[3]->geometry().right() + 1, bar->width());
}

TEST(WindowScaling, ScalesFixedSizesAndLayoutsButKeepsHairlines)
{
    QMainWindow window;
    window.setMenuBar(new QMenuBar(&window));
    window.menuBar()->addMenu("&File");
    auto* client = new QWidget(&window);
    window.setCentralWidget(client);
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(1, 1, 1, 10);
    layout->setSpacing(5);
    auto* toolbar = new QFrame(client);
    toolbar->setFixedHeight(41);
    layout->addWidget(toolbar);
    window.resize(778, 492);

    karte::scaleWindow(&window, 3, 2);

    EXPECT_EQ(toolbar->minimumHeight(), 62);
    EXPECT_EQ(toolbar->maximumHeight(), 62);
    EXPECT_EQ(layout->contentsMargins(), QMargins(1, 1, 1, 15));
    EXPECT_EQ(layout->spacing(), 8);
    // The design size of a main window is its client area; the menu bar comes on top.
    EXPECT_EQ(client->size(), QSize(1167, 738));
    EXPECT_EQ(window.size(), QSize(1167, 738 + window.menuBar()->sizeHint().height()));
}

TEST(WindowScaling, AtTheDesignDensityNothingMoves)
{
    QWidget window;
    window.resize(258, 66);
    auto* box = new QFrame(&window);
    box->setGeometry(187, 0, 70, 28);
    karte::scaleToScreen(&window);
    ASSERT_EQ(window.screen()->logicalDotsPerInchY(), 120);
    EXPECT_EQ(window.size(), QSize(258, 66));
    EXPECT_EQ(box->geometry(), QRect(187, 0, 70, 28));
}

} // namespace
