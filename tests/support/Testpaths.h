#pragma once

#include <QString>

// Where the built program tree and the test fixtures are.
namespace TestPaths {
QString BinDir();        // the runnable tree: executables, blog/, template/, db/
QString EmptyProjectDb(); // db/VARNOKI.FDB of that tree
QString FixturesDir();   // tests/fixtures
QString SourceDir();
} // namespace TestPaths
