#pragma once

#include "Qtprint.h"
#include "store/Tldbdb.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

// Makes a working copy's owner look like a process that has ended, as after a crash.
void MarkOwnerEnded(const QString &workFileName);

// A fresh project in a working copy, and a temporary folder for files to save.
class ProjectTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Number of rows a statement counts, e.g. "select count(*) from config".
    int Count(const QString &sql);
    QString Path(const QString &name) const { return FDir.filePath(name); }

    QTemporaryDir FDir;
    std::unique_ptr<TLdbDb> FDb;
};
