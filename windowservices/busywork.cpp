#include "busywork.h"

#include "protectedfile.h"

#include <QApplication>
#include <QEventLoop>

#include <thread>

namespace karte {

void runWhileBusy(const std::function<void()>& work)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QEventLoop waiting;
    std::thread worker([&work, &waiting] {
        work();
        QMetaObject::invokeMethod(&waiting, &QEventLoop::quit, Qt::QueuedConnection);
    });
    waiting.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    QApplication::restoreOverrideCursor();
}

void deriveKeysWhileBusy()
{
    cardstore::setKeyDerivationRunner(runWhileBusy);
}

} // namespace karte
