#pragma once

#include "cli/Tclicommand.h"

#include <QList>
#include <QStringList>

// Runs one command line (the program's arguments without the program name) and
// returns the exit status: 0 success, 1 a job or the make failed, 2 bad usage or a bad
// argument, 130 a download cancelled with Ctrl+C.
int RunCli(const QStringList &arguments);

// The commands, in the order of the command list; each is made in its Tcmd*.cpp file.
QList<TCliCommand> CliCommands();

TCliCommand BlogTypesCommand();
TCliCommand TemplatesCommand();
TCliCommand NewCommand();
TCliCommand SetCommand();
TCliCommand ShowCommand();
TCliCommand EntriesCommand();
TCliCommand CategoriesCommand();
TCliCommand ListCommand();
TCliCommand CommentCommand();
TCliCommand MakeCommand();
TCliCommand RecoverCommand();
TCliCommand TryCommand();
TCliCommand DetectCommand();

struct TBlogDetection;
// Fetches url once and asks every installed blog type about it, best first.
QList<TBlogDetection> DetectBlogTypeOfUrl(const QString &url);
