#pragma once

#include <QTemporaryDir>

// Points the temporary folder (TMPDIR) of the test process, and of the programs it
// starts, at a folder of its own that goes when the test ends, so that working copies
// and output databases the tests leave behind do not pile up.
class TTestTempDir
{
public:
    TTestTempDir();

private:
    QTemporaryDir FDir;
};
