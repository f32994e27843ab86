// The record navigator bar over a real card set: which buttons are enabled when, what each does, the delete
// confirmation, the glyphs and hints, and the auto-repeat of Prior and Next on a clock the test runs by hand.
#include "editor_typing.h"
#include "errors.h"
#include "tdatasource.h"
#include "tdbnavigator.h"
#include "windowtest.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QHelpEvent>
#include <QImage>
#include <QToolTip>

#include <functional>

using editortest::readCards;

namespace {

// The clock of the auto-repeat, advanced by the test: fire() is the time running out.
class ManualTimer : public karte::RepeatTimer
{
public:
    void start(int milliseconds) override
    {
        active = true;
        interval = milliseconds;
    }
    void stop() override { active = false; }
    bool isActive() const override { return active; }
    void fire()
    {
        if (active)
            timeout();
    }

    bool active = false;
    int interval = 0;
};

constexpr TDBNavigator::Buttons kEditorButtons = TDBNavigator::First | TDBNavigator::Prior | TDBNavigator::Next
    | TDBNavigator::Last | TDBNavigator::Insert | TDBNavigator::Delete | TDBNavigator::Post | TDBNavigator::Refresh;

const TDBNavigator::Button kEditorOrder[] = { TDBNavigator::First, TDBNavigator::Prior, TDBNavigator::Next,
    TDBNavigator::Last, TDBNavigator::Insert, TDBNavigator::Delete, TDBNavigator::Post, TDBNavigator::Refresh };

std::vector<testsupport::Card> numberedCards(int count)
{
    std::vector<testsupport::Card> cards;
    for (int i = 1; i <= count; ++i)
        cards.push_back({ "card " + std::to_string(i), "κάρτα " + std::to_string(i), i });
    return cards;
}

class DBNavigatorTest : public ::testing::Test
{
public:
    DBNavigatorTest()
    {
        path = dir.file("set.db");
        window.resize(400, 60);
        nav = new TDBNavigator(&window);
        nav->setGeometry(0, 0, 384, 41);
        nav->setVisibleButtons(kEditorButtons);
        auto manual = std::make_unique<ManualTimer>();
        timer = manual.get();
        nav->setRepeatTimer(std::move(manual));
        source.setDataSet(&table);
        nav->setDataSource(&source);
    }

    void openSet(const std::vector<testsupport::Card>& cards, bool readOnly = false)
    {
        testsupport::makeCardSet(path, cards);
        table.setTableName(path);
        table.setReadOnly(readOnly);
        table.open();
    }

    void showWindow()
    {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    QAbstractButton* button(TDBNavigator::Button which) const { return nav->button(which); }

    void dragTo(TDBNavigator::Button which, QPoint position)
    {
        QAbstractButton* held = button(which);
        QMouseEvent move(QEvent::MouseMove, QPointF(position), held->mapToGlobal(QPointF(position)), Qt::NoButton,
            Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(held, &move);
    }

    testsupport::TempDir dir;
    std::string path;
    windowtest::MessageRecorder messages;
    cardstore::Table table;
    TDataSource source;
    QWidget window;
    TDBNavigator* nav;
    ManualTimer* timer;
    QMessageBox::StandardButton answer = QMessageBox::Ok;
};

struct EnablingCase
{
    const char* name;
    std::function<void(DBNavigatorTest&)> setUp;
    TDBNavigator::Buttons enabled;
};

void PrintTo(const EnablingCase& c, std::ostream* out)
{
    *out << c.name;
}

class DBNavigatorEnablingTest : public DBNavigatorTest, public ::testing::WithParamInterface<EnablingCase>
{
};

TEST_P(DBNavigatorEnablingTest, EnablesWhatTheTableAllowsNow)
{
    GetParam().setUp(*this);
    for (TDBNavigator::Button which : kEditorOrder)
        EXPECT_EQ(button(which)->isEnabled(), GetParam().enabled.testFlag(which))
            << TDBNavigator::hint(which).toStdString();
}

using N = TDBNavigator;
const N::Buttons kMoves = N::First | N::Prior | N::Next | N::Last;

INSTANTIATE_TEST_SUITE_P(States, DBNavigatorEnablingTest,
    ::testing::Values(EnablingCase { "NoSetOpen", [](DBNavigatorTest&) {}, {} },
        EnablingCase { "OnTheFirstCard", [](auto& t) { t.openSet(numberedCards(3)); },
            N::Next | N::Last | N::Insert | N::Delete | N::Refresh },
        EnablingCase { "InTheMiddle",
            [](auto& t) {
                t.openSet(numberedCards(3));
                t.table.next();
            },
            kMoves | N::Insert | N::Delete | N::Refresh },
        EnablingCase { "BackOnTheFirstCardByPrior",
            [](auto& t) {
                t.openSet(numberedCards(3));
                t.table.next();
                t.table.prior();
            },
            kMoves | N::Insert | N::Delete | N::Refresh },
        EnablingCase { "PriorFindingNoCard",
            [](auto& t) {
                t.openSet(numberedCards(3));
                t.table.next();
                t.table.prior();
                t.table.prior();
            },
            N::Next | N::Last | N::Insert | N::Delete | N::Refresh },
        EnablingCase { "OnTheLastCard",
            [](auto& t) {
                t.openSet(numberedCards(3));
                t.table.last();
            },
            N::First | N::Prior | N::Insert | N::Delete | N::Refresh },
        EnablingCase { "EmptySet", [](auto& t) { t.openSet({}); }, N::Insert | N::Refresh },
        EnablingCase { "Editing",
            [](auto& t) {
                t.openSet(numberedCards(3));
                t.table.edit();
            },
            N::Next | N::Last | N::Insert | N::Delete | N::Post | N::Refresh },
        EnablingCase { "Inserting",
            [](auto& t) {
                t.openSet(numberedCards(3));
                t.table.insert();
            },
            kMoves | N::Insert | N::Delete | N::Post | N::Refresh },
        EnablingCase { "InsertingIntoAnEmptySet",
            [](auto& t) {
                t.openSet({});
                t.table.insert();
            },
            kMoves | N::Insert | N::Delete | N::Post | N::Refresh },
        EnablingCase { "AfterCancellingAnEdit",
            [](auto& t) {
                t.openSet(numberedCards(3));
                t.table.edit();
                t.table.cancel();
            },
            N::Next | N::Last | N::Insert | N::Delete | N::Refresh },
        EnablingCase { "AfterPosting",
            [](auto& t) {
                t.openSet(numberedCards(3));
                t.table.edit();
                t.table.setFieldText("Language", "λόγος");
                t.table.post();
            },
            kMoves | N::Insert | N::Delete | N::Refresh },
        EnablingCase {
            "SetOpenedForReading", [](auto& t) { t.openSet(numberedCards(3), true); }, N::Next | N::Last | N::Refresh },
        EnablingCase { "BarDisabled",
            [](auto& t) {
                t.openSet(numberedCards(3));
                t.nav->setEnabled(false);
            },
            {} },
        EnablingCase { "SetClosedAgain",
            [](auto& t) {
                t.openSet(numberedCards(3));
                t.table.close();
            },
            {} }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DBNavigatorTest, ShowsEightButtonsSharingItsWidthWithGlyphsAndHints)
{
    openSet(numberedCards(3));
    showWindow();
    // Each hint says the button's key, and a screen reader reads the hint as the button's name and the key as its
    // shortcut.
    const std::pair<TDBNavigator::Button, const char*> hints[]
        = { { N::First, "First record (Alt+Home)" }, { N::Prior, "Prior record (Alt+PgUp)" },
              { N::Next, "Next record (Alt+PgDown)" }, { N::Last, "Last record (Alt+End)" },
              { N::Insert, "Insert record (Alt+Ins)" }, { N::Delete, "Delete record (Alt+Del)" },
              { N::Post, "Post edit (Ctrl+S)" }, { N::Refresh, "Refresh data (F5)" } };
    int left = 0;
    for (const auto& [which, hint] : hints) {
        SCOPED_TRACE(hint);
        QAbstractButton* shown = button(which);
        EXPECT_TRUE(shown->isVisible());
        EXPECT_EQ(shown->geometry(), QRect(left, 0, 48, 41));
        EXPECT_EQ(shown->toolTip(), hint);
        EXPECT_EQ(QAccessible::queryAccessibleInterface(shown)->text(QAccessible::Name), N::hint(which));
        EXPECT_EQ(shown->focusPolicy(), Qt::NoFocus);
        const bool narrow = which == N::Prior || which == N::Next;
        EXPECT_EQ(shown->iconSize(), QSize(narrow ? 10 : 14, 13));
        left += 48;
    }
    EXPECT_FALSE(button(N::Edit)->isVisible());
    EXPECT_FALSE(button(N::Cancel)->isVisible());
    EXPECT_EQ(TDBNavigator::hint(N::Edit), "Edit record");
    EXPECT_EQ(TDBNavigator::hint(N::Cancel), "Cancel edit");
    EXPECT_EQ(nav->focusPolicy(), Qt::NoFocus);
}

TEST_F(DBNavigatorTest, GlyphsHaveABlackAndAGreyImageWithATransparentLowerLeftPixel)
{
    for (const char* glyph :
        { "first", "prior", "next", "last", "insert", "delete", "edit", "post", "cancel", "refresh" }) {
        SCOPED_TRACE(glyph);
        const QString base = QStringLiteral(":/karte/navigator/%1").arg(QLatin1String(glyph));
        const QImage normal(base + ".png");
        const QImage grey(base + "-disabled.png");
        ASSERT_FALSE(normal.isNull());
        ASSERT_FALSE(grey.isNull());
        const int width = std::string(glyph) == "prior" || std::string(glyph) == "next" ? 10 : 14;
        EXPECT_EQ(normal.size(), QSize(width, 13));
        EXPECT_EQ(grey.size(), QSize(width, 13));
        EXPECT_EQ(qAlpha(normal.pixel(0, 12)), 0);
        EXPECT_EQ(qAlpha(grey.pixel(0, 12)), 0);
        // Black where the shape is solid; the disabled image has no dark pixel at all.
        auto dark = [](QRgb pixel) { return qAlpha(pixel) > 192 && qGray(pixel) < 64; };
        int darkPixels = 0;
        int darkWhenDisabled = 0;
        for (int y = 0; y < 13; ++y) {
            for (int x = 0; x < width; ++x) {
                darkPixels += dark(normal.pixel(x, y)) ? 1 : 0;
                darkWhenDisabled += dark(grey.pixel(x, y)) ? 1 : 0;
            }
        }
        EXPECT_GT(darkPixels, 0);
        EXPECT_EQ(darkWhenDisabled, 0);
    }
}

TEST_F(DBNavigatorTest, NeverShowsItsHints)
{
    openSet(numberedCards(3));
    showWindow();
    QAbstractButton* next = button(N::Next);
    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), next->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(next, &help);
    EXPECT_FALSE(QToolTip::isVisible());
}

TEST_F(DBNavigatorTest, ClicksMoveTheCursor)
{
    openSet(numberedCards(4));
    showWindow();
    QTest::mouseClick(button(N::Next), Qt::LeftButton);
    EXPECT_EQ(table.sequenceNumber(), 2);
    QTest::mouseClick(button(N::Last), Qt::LeftButton);
    EXPECT_EQ(table.sequenceNumber(), 4);
    QTest::mouseClick(button(N::Prior), Qt::LeftButton);
    EXPECT_EQ(table.sequenceNumber(), 3);
    QTest::mouseClick(button(N::First), Qt::LeftButton);
    EXPECT_EQ(table.sequenceNumber(), 1);
    // A click acts on the release over the button: a release elsewhere does nothing.
    QTest::mousePress(button(N::Next), Qt::LeftButton);
    dragTo(N::Next, QPoint(-20, -20));
    QTest::mouseRelease(button(N::Next), Qt::LeftButton, {}, QPoint(-20, -20));
    EXPECT_EQ(table.sequenceNumber(), 1);
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

TEST_F(DBNavigatorTest, DeleteAsksFirstAndOnlyOkDeletes)
{
    openSet(numberedCards(2));
    showWindow();
    karte::MessageBoxes::setResponder([this](const karte::MessageRequest& request) {
        EXPECT_EQ(request.title, "Confirm");
        EXPECT_EQ(request.text, "Delete record?");
        EXPECT_EQ(request.icon, QMessageBox::Question);
        EXPECT_EQ(request.buttons, QMessageBox::Ok | QMessageBox::Cancel);
        EXPECT_EQ(request.defaultButton, QMessageBox::Ok);
        return answer;
    });

    answer = QMessageBox::Cancel;
    QTest::mouseClick(button(N::Delete), Qt::LeftButton);
    EXPECT_EQ(readCards(path).size(), 2u);
    EXPECT_EQ(table.fieldText("English"), "card 1");

    answer = QMessageBox::Ok;
    QTest::mouseClick(button(N::Delete), Qt::LeftButton);
    EXPECT_EQ(editortest::englishOf(readCards(path)), std::vector<std::string>({ "card 2" }));
    EXPECT_EQ(table.fieldText("English"), "card 2");
}

TEST_F(DBNavigatorTest, DeletingACardNotYetPostedAbandonsIt)
{
    openSet(numberedCards(2));
    showWindow();
    QTest::mouseClick(button(N::Insert), Qt::LeftButton);
    table.setFieldText("English", "new");
    QTest::mouseClick(button(N::Delete), Qt::LeftButton);
    EXPECT_EQ(messages.texts(), QStringList("Delete record?"));
    EXPECT_EQ(table.state(), cardstore::DataSetState::Browse);
    EXPECT_EQ(readCards(path).size(), 2u);
    EXPECT_EQ(table.recordCount(), 2);
}

TEST_F(DBNavigatorTest, RefreshRereadsTheFileAfterPostingTheCardBeingEdited)
{
    openSet(numberedCards(2));
    showWindow();
    table.edit();
    table.setFieldText("Language", "λόγος");
    {
        cardstore::Table other;
        other.setTableName(path);
        other.open();
        other.insert();
        other.setFieldText("English", "added elsewhere");
        other.setFieldText("Language", "ἄλλος");
        other.post();
    }
    QTest::mouseClick(button(N::Refresh), Qt::LeftButton);
    EXPECT_EQ(table.state(), cardstore::DataSetState::Browse);
    EXPECT_EQ(table.recordCount(), 3);
    const auto cards = readCards(path);
    auto first = std::find_if(cards.begin(), cards.end(), [](const auto& card) { return card.english == "card 1"; });
    ASSERT_NE(first, cards.end());
    EXPECT_EQ(first->language, "λόγος");
}

TEST_F(DBNavigatorTest, PostFailsWithTheRequiredFieldAndTheCardStaysBeingInserted)
{
    openSet(numberedCards(1));
    showWindow();
    QTest::mouseClick(button(N::Insert), Qt::LeftButton);
    table.setFieldText("Language", "λόγος");
    QTest::mouseClick(button(N::Post), Qt::LeftButton);
    EXPECT_EQ(messages.texts(), QStringList("Field 'English' must have a value."));
    EXPECT_EQ(table.state(), cardstore::DataSetState::Insert);
    EXPECT_TRUE(button(N::Post)->isEnabled());
}

TEST_F(DBNavigatorTest, ButtonsDoNothingWithoutAnOpenSet)
{
    for (TDBNavigator::Button which : kEditorOrder)
        EXPECT_NO_THROW(nav->BtnClick(which));
    EXPECT_TRUE(messages.requests().empty());
}

struct RepeatCase
{
    const char* name;
    TDBNavigator::Button button;
    int startAt; // sequence number
    int step;
};

void PrintTo(const RepeatCase& c, std::ostream* out)
{
    *out << c.name;
}

class DBNavigatorRepeatTest : public DBNavigatorTest, public ::testing::WithParamInterface<RepeatCase>
{
};

TEST_P(DBNavigatorRepeatTest, RepeatsWhileHeldOverTheButton)
{
    openSet(numberedCards(8));
    showWindow();
    const TDBNavigator::Button which = GetParam().button;
    if (GetParam().startAt == 8)
        table.last();
    auto moved = [&] { return (table.sequenceNumber() - GetParam().startAt) * GetParam().step; };

    QTest::mousePress(button(which), Qt::LeftButton);
    EXPECT_EQ(moved(), 0);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval, TDBNavigator::kInitialRepeatPause);

    timer->fire();
    EXPECT_EQ(moved(), 1);
    EXPECT_EQ(timer->interval, TDBNavigator::kRepeatPause);
    timer->fire();
    EXPECT_EQ(moved(), 2);

    // Dragged off the button, it waits; back over it, it goes on.
    dragTo(which, QPoint(-20, -20));
    timer->fire();
    timer->fire();
    EXPECT_EQ(moved(), 2);
    EXPECT_TRUE(timer->isActive());
    dragTo(which, QPoint(5, 5));
    timer->fire();
    EXPECT_EQ(moved(), 3);

    // The release makes the usual move and ends the repetition.
    QTest::mouseRelease(button(which), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(moved(), 4);
    EXPECT_FALSE(timer->isActive());
    timer->fire();
    EXPECT_EQ(moved(), 4);
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Directions, DBNavigatorRepeatTest,
    ::testing::Values(
        RepeatCase { "Next", TDBNavigator::Next, 1, 1 }, RepeatCase { "Prior", TDBNavigator::Prior, 8, -1 }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DBNavigatorTest, OnlyPriorAndNextRepeat)
{
    openSet(numberedCards(3));
    showWindow();
    table.next();
    for (TDBNavigator::Button which : { N::First, N::Last, N::Insert, N::Refresh }) {
        QTest::mousePress(button(which), Qt::LeftButton);
        EXPECT_FALSE(timer->isActive()) << TDBNavigator::hint(which).toStdString();
        QTest::mouseRelease(button(which), Qt::LeftButton);
    }
}

TEST_F(DBNavigatorTest, AnErrorStopsTheRepetition)
{
    openSet(numberedCards(3));
    showWindow();
    table.insert();
    // A new card without its Greek word cannot be posted, so the move's browse-mode check fails.
    table.setFieldText("English", "incomplete");
    QTest::mousePress(button(N::Next), Qt::LeftButton);
    timer->fire();
    EXPECT_FALSE(timer->isActive());
    EXPECT_EQ(messages.texts(), QStringList("Field 'Language' must have a value."));
    EXPECT_EQ(table.state(), cardstore::DataSetState::Insert);
    dragTo(N::Next, QPoint(-20, -20));
    QTest::mouseRelease(button(N::Next), Qt::LeftButton, {}, QPoint(-20, -20));
    EXPECT_EQ(messages.requests().size(), 1u);
}

TEST_F(DBNavigatorTest, ReachingTheLastCardWhileHeldEndsTheRepetition)
{
    openSet(numberedCards(3));
    showWindow();
    QTest::mousePress(button(N::Next), Qt::LeftButton);
    timer->fire();
    timer->fire();
    EXPECT_EQ(table.sequenceNumber(), 3);
    EXPECT_TRUE(timer->isActive());
    // The move past the last card finds none: Next is disabled and lets go.
    timer->fire();
    EXPECT_TRUE(table.eof());
    EXPECT_FALSE(button(N::Next)->isEnabled());
    EXPECT_FALSE(timer->isActive());
}

} // namespace
