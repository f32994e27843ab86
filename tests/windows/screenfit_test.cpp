// The side windows on a small screen (a 1920 x 1080 screen at twice the size) and where windows are placed.
#include "clock.h"
#include "newtestament.h"
#include "openings.h"
#include "placement.h"
#include "tform1.h"
#include "tprogressform.h"
#include "tstudyform.h"
#include "ui_tform1.h"
#include "ui_tprogressform.h"
#include "ui_tstudyform.h"
#include "windowtest.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

using namespace windowtest;

namespace {

// The small screen these tests are run on a second time (see CMakeLists.txt); none on the design screen.
QScreen* smallScreen()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen && screen->name() == QLatin1String("Small") ? screen : nullptr;
}

// Whether the control lies whole within the screen's available area, where the user can see and reach it.
bool onScreen(const QWidget* control, const QScreen* screen)
{
    const QRect shown(control->mapToGlobal(QPoint(0, 0)), control->size());
    return control->isVisible() && screen->availableGeometry().contains(shown);
}

std::string where(const QWidget* control)
{
    const QPoint at = control->mapToGlobal(QPoint(0, 0));
    return control->objectName().toStdString() + " at " + std::to_string(at.x()) + "," + std::to_string(at.y()) + " "
        + std::to_string(control->width()) + "x" + std::to_string(control->height());
}

class SmallScreenTest : public MainWindowTest
{
protected:
    SmallScreenTest()
        : clock(1'765'281'600'000)
        , screen(smallScreen())
    {
        formOn(fourCards());
        study = std::make_unique<TStudyForm>();
        study->setClock(&clock, false);
        study->setNewTestament(&karte::newTestament());
        progress = std::make_unique<TProgressForm>();
        progress->setClock(&clock);
        progress->setNewTestament(&karte::newTestament());
        form->connectStudyWindow(study.get());
        form->connectProgressWindow(progress.get());
        form->show();
    }
    ~SmallScreenTest() override
    {
        study.reset();
        progress.reset();
    }

    learning::ManualClock clock;
    QScreen* screen;
    std::unique_ptr<TStudyForm> study;
    std::unique_ptr<TProgressForm> progress;
};

TEST_F(SmallScreenTest, TheStudyWindowKeepsItsGradesAndSettingsOnTheScreen)
{
    if (!screen)
        GTEST_SKIP() << "runs on the small screen";
    ui().Study1->trigger();
    ASSERT_TRUE(study->isVisible());
    QTest::keyClick(study.get(), Qt::Key_Space);
    Ui::TStudyForm& studyUi = formOf(*study);
    EXPECT_TRUE(screen->availableGeometry().contains(study->frameGeometry())) << where(study.get());
    for (const QWidget* control :
        { static_cast<QWidget*>(studyUi.AgainButton), static_cast<QWidget*>(studyUi.EasyButton),
            static_cast<QWidget*>(studyUi.FirstSideBox), static_cast<QWidget*>(studyUi.RetentionBox) })
        EXPECT_TRUE(onScreen(control, screen)) << where(control);
}

TEST_F(SmallScreenTest, TheProgressWindowScrollsToItsLowerChartAndKeepsCloseOnTheScreen)
{
    if (!screen)
        GTEST_SKIP() << "runs on the small screen";
    ui().Progress1->trigger();
    ASSERT_TRUE(progress->isVisible());
    QCoreApplication::processEvents();
    Ui::TProgressForm& progressUi = formOf(*progress);
    EXPECT_TRUE(screen->availableGeometry().contains(progress->frameGeometry())) << where(progress.get());
    EXPECT_TRUE(onScreen(progressUi.CloseButton, screen)) << where(progressUi.CloseButton);
    // Tab goes from chart to chart, and the window shows the chart that has the focus.
    for (int tab = 0; tab < 10 && !progressUi.HistoryChart->hasFocus(); ++tab)
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : progress.get(), Qt::Key_Tab);
    ASSERT_TRUE(progressUi.HistoryChart->hasFocus());
    const QRect chart(progressUi.HistoryChart->mapTo(progressUi.ContentArea->viewport(), QPoint(0, 0)),
        progressUi.HistoryChart->size());
    EXPECT_TRUE(progressUi.ContentArea->viewport()->rect().contains(chart)) << where(progressUi.HistoryChart);
}

// A side window is placed by the size its opening gives it, not the size it had before.
TEST(Placement, AWindowIsCentredByTheSizeItOpensWith)
{
    QWidget window;
    window.resize(200, 100);
    karte::Openings openings(&window, [&window] { window.resize(640, 480); }, {});
    window.show();
    const QRect area = window.screen()->availableGeometry();
    EXPECT_EQ(window.frameGeometry().center(), area.center());
}

TEST(Placement, AFrameNoWindowManagerDrawsGivesWayToAKnownOne)
{
    const QRect area(0, 0, 1920, 1080);
    const QMargins openbox(1, 20, 1, 5);
    const struct
    {
        const char* what;
        QSize client;
        QMargins reported;
        QMargins known;
        QPoint frameAt;
    } cases[] = {
        { "framed", { 780, 760 }, openbox, {}, { 569, 147 } },
        { "not framed yet, another window is", { 780, 760 }, {}, openbox, { 569, 147 } },
        { "nothing framed yet", { 780, 760 }, {}, {}, { 570, 160 } },
        // Taken while the window manager framed the window and its size changed: the old size less the new.
        { "sizes before and after a resize", { 780, 760 }, { 0, 0, -680, -730 }, openbox, { 569, 147 } },
        { "a frame as wide as the screen", { 780, 760 }, { 960, 0, 960, 0 }, openbox, { 569, 147 } },
        { "taller than the screen", { 780, 1200 }, openbox, {}, { 569, 0 } },
    };
    for (const auto& c : cases)
        EXPECT_EQ(karte::centredFramePosition(area, c.client, c.reported, c.known), c.frameAt) << c.what;
}

} // namespace
