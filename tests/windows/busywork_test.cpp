// Slow work (deriving a protected set's key) runs while the windows go on painting, under the busy cursor.
#include "busywork.h"
#include "protectedfile.h"
#include "session.h"
#include "table.h"
#include "windowtest.h"

#include <QApplication>
#include <QCursor>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace {

TEST(BusyWork, TheEventLoopRunsUnderTheBusyCursorWhileTheWorkDoes)
{
    std::atomic<bool> timerFired = false;
    Qt::CursorShape cursorMeanwhile = Qt::ArrowCursor;
    QTimer::singleShot(0, [&] {
        cursorMeanwhile = QApplication::overrideCursor() ? QApplication::overrideCursor()->shape() : Qt::ArrowCursor;
        timerFired = true;
    });
    bool timerFiredDuringWork = false;
    karte::runWhileBusy([&] {
        // Waits for the timer, which only an event loop running meanwhile can fire; gives up after a while.
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!timerFired && std::chrono::steady_clock::now() < giveUp)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        timerFiredDuringWork = timerFired;
    });
    EXPECT_TRUE(timerFiredDuringWork);
    EXPECT_EQ(cursorMeanwhile, Qt::WaitCursor);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(BusyWork, OpeningAProtectedSetDerivesItsKeyThatWay)
{
    testsupport::TempDir dir;
    const std::string path = dir.file("secret.SDB");
    testsupport::makeCardSet(path, { { "word", "λόγος", 330 } });
    cardstore::setKeyDerivationCostForNewSets({ 1, 8 * 1024 });
    cardstore::protectCardSet(path, "a fresh password");
    cardstore::setKeyDerivationCostForNewSets(cardstore::defaultKeyDerivationCost());
    int runs = 0;
    cardstore::setKeyDerivationRunner([&runs](const std::function<void()>& work) {
        ++runs;
        karte::runWhileBusy(work);
    });
    cardstore::Session::instance().addPassword("a fresh password");
    cardstore::Table table;
    table.setTableName(path);
    table.open();
    EXPECT_EQ(table.fieldText("Language"), "λόγος");
    EXPECT_GE(runs, 1);
    cardstore::Session::instance().removeAllPasswords();
    karte::deriveKeysWhileBusy();
}

} // namespace
