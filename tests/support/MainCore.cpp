#include <QCoreApplication>
#include <gtest/gtest.h>

#include "Testtempdir.h"

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    TTestTempDir tempDir;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
