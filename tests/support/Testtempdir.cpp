#include "Testtempdir.h"

#include "store/Tldbdb.h"

#include <QFile>

TTestTempDir::TTestTempDir() : FDir(QDir::tempPath() + QStringLiteral("/varnoki-test-XXXXXX"))
{
    if (!FDir.isValid())
        return;
    // Some tests run a child as another user, which must reach its files in here.
    QFile::setPermissions(FDir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                           | QFileDevice::ExeOwner | QFileDevice::ReadGroup
                                           | QFileDevice::ExeGroup | QFileDevice::ReadOther
                                           | QFileDevice::ExeOther);
    qputenv("TMPDIR", QFile::encodeName(FDir.path()));
    // The user's own blog types and templates must not come from the real home.
    qputenv("XDG_DATA_HOME", QFile::encodeName(FDir.path() + QStringLiteral("/data")));
    // The engine's own folder is made once, here, where it lasts as long as the process:
    // tests that point TMPDIR elsewhere for a while must not take it along.
    TLdbDb::PrepareEngine();
}
