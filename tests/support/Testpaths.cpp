#include "Testpaths.h"

namespace TestPaths {
QString BinDir() { return QStringLiteral(VARNOKI_TEST_BIN_DIR); }
QString EmptyProjectDb() { return BinDir() + QStringLiteral("/db/VARNOKI.FDB"); }
QString FixturesDir() { return QStringLiteral(VARNOKI_TEST_FIXTURES_DIR); }
QString SourceDir() { return QStringLiteral(VARNOKI_TEST_SOURCE_DIR); }
} // namespace TestPaths
