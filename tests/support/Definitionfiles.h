#pragma once

#include "Qtprint.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <ostream>

// Helpers for tests that lay out INI files, folders and hostile files by hand.

// Writes bytes to path, creating its folder; false when that fails.
bool WriteBytes(const QString &path, const QByteArray &bytes);

// Makes a named pipe at path: opening it for reading would wait for a writer forever.
bool MakeFifo(const QString &path);

// Lets every user enter folder and read what is in it (a QTemporaryDir is private).
void OpenToEveryone(const QString &folder);

// Runs body in a child process as the user "nobody" when this process is root, which
// reads any file whatever its permissions, else in this process. Returns what body
// returns (0-254), or -1 when the child could not run or did not exit normally.
int RunUnprivileged(const std::function<int()> &body);

