#include "application.h"
#include "errorbox.h"

#include <QStandardPaths>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // The offscreen screen at the design density, also when the tests are listed or run outside CTest with the
    // plain offscreen platform; another platform chosen on purpose is kept.
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty() || platform == "offscreen")
        qputenv("QT_QPA_PLATFORM", KARTE_OFFSCREEN_PLATFORM);
    QStandardPaths::setTestModeEnabled(true);
    karte::Application application(argc, argv);
    karte::installFontSubstitutions();
    karte::setApplicationTitle(QStringLiteral("Karte Cards by Quarn Software"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
