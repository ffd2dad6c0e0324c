#pragma once

#include "Testpaths.h"

#include <QFile>
#include <QString>
#include <gtest/gtest.h>

#include <ostream>

// Readable failure output for texts.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

inline QString ReadScriptFixture(const QString &name)
{
    QFile file(TestPaths::FixturesDir() + QStringLiteral("/scripts/") + name);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read fixture " << name.toStdString();
        return QString();
    }
    return QString::fromUtf8(file.readAll());
}
