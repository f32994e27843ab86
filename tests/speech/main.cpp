#include <QCoreApplication>

#include <gtest/gtest.h>

// The speaker delivers its sound through Qt's event loop.
int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
