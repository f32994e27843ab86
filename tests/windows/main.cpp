#include "application.h"
#include "errorbox.h"

#include <QStandardPaths>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Listing the tests runs this too, outside CTest's environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", KARTE_OFFSCREEN_PLATFORM);
    QStandardPaths::setTestModeEnabled(true);
    karte::Application application(argc, argv);
    karte::installFontSubstitutions();
    karte::setApplicationTitle(QStringLiteral("Karte Cards by Quarn Software"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
