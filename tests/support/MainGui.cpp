#include <QApplication>
#include <gtest/gtest.h>

#include "Testtempdir.h"

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TTestTempDir tempDir;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
