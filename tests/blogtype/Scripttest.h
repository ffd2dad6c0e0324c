#pragma once

#include "Qtprint.h"
#include "Testpaths.h"

#include <QFile>
#include <QString>
#include <gtest/gtest.h>

#include <ostream>

inline QString ReadScriptFixture(const QString &name)
{
    QFile file(TestPaths::FixturesDir() + QStringLiteral("/scripts/") + name);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read fixture " << name.toStdString();
        return QString();
    }
    return QString::fromUtf8(file.readAll());
}
