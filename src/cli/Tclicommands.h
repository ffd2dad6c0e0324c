#pragma once

#include <QString>
#include <QStringList>

// Runs one command line (the program's arguments without the program name) and
// returns the exit status: 0 success, 1 a job or the make failed, 2 bad usage or a bad
// argument, 130 a download cancelled with Ctrl+C.
int RunCli(const QStringList &arguments);

// One line of text, UTF-8, to standard output or standard error, flushed at once so
// that log lines show as they happen. Passed through TerminalSafe.
void PrintOut(const QString &line);
void PrintErr(const QString &line);

// A field of the tab-separated outputs: tab, line feed, carriage return and backslash
// written as \t, \n, \r and \\, other control characters as \xHH.
QString EscapeField(const QString &text);

// text with every control character that a terminal acts on, other than tab and line
// breaks, written as \xHH.
QString TerminalSafe(const QString &text);
