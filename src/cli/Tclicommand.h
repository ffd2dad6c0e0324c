#pragma once

// What every command of varnoki-cli shares: its declaration, the parsing of its
// command line, the project it names, its output and its exit status.

#include <QByteArray>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class TCliProject;
class TConsoleHost;

constexpr int ExitOk = 0;
constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;
constexpr int ExitCancelled = 130;

// Where the commands' text goes: standard output and standard error, or what a test
// puts in their place. Each write is passed on (and flushed) at once.
enum class TCliStream { Out, Err };
class TCliSink
{
public:
    virtual ~TCliSink() = default;
    virtual void Write(TCliStream stream, const QByteArray &bytes) = 0;
};

// Makes sink take all output until it is set again (nullptr: standard output and
// standard error); returns the sink it replaces.
TCliSink *SetCliSink(TCliSink *sink);

// One line of text, UTF-8, to standard output or standard error, flushed at once so
// that log lines show as they happen. Passed through TerminalSafe.
void PrintOut(const QString &line);
void PrintErr(const QString &line);
// Text as it is, to standard output.
void WriteOut(const QByteArray &bytes);

// A field of the tab-separated outputs: tab, line feed, carriage return and backslash
// written as \t, \n, \r and \\, other control characters as \xHH.
QString EscapeField(const QString &text);

// text with every control character that a terminal acts on, other than tab and line
// breaks, written as \xHH.
QString TerminalSafe(const QString &text);
// The same for JSON text, written as \u00HH so that JSON readers still read them.
QString JsonTerminalSafe(const QString &text);

// A message on one line: its lines trimmed and joined by spaces.
QString OneLine(const QString &message);

// An option of a command. An empty ValueName makes it a switch.
struct TCliOption
{
    QString Name{};      // without the leading "--"
    QString ValueName{}; // "NAME"; empty for a switch
    QString Default{};   // the value when the option is not given
    QString Help{};      // Japanese first, then English on a line of its own
    bool Required = false;
    bool Repeatable = false; // given once per value, as in --category A=x --category B=y
};

// How a command uses the project file named by its first argument.
enum class TProjectUse { None, Read, Change };

class TCliContext;

// One command of varnoki-cli. Its help and its line in the command list are made from
// these fields, so that they say what the command takes.
struct TCliCommand
{
    QString Name{};
    QString Description{}; // one line, for the command list
    QStringList Arguments{}; // "PROJECT", "[PROJECT]", "URL|FILE": optional ones in brackets
    QList<TCliOption> Options{};
    QString Help{}; // what the command does, Japanese first, then English
    TProjectUse Project = TProjectUse::None; // the first argument names the project
    bool Cancellable = false; // Ctrl+C cancels a download or a wait instead of ending the program
    std::function<int(TCliContext &)> Run{};

    // "varnoki-cli NAME ARGUMENTS OPTIONS" with every option.
    QString Synopsis() const;
    // The text of "varnoki-cli NAME --help".
    QString HelpText() const;
};

// What a command's Run gets: its parsed command line and, when it names one, the
// project, opened with the command's first call of Project().
class TCliContext
{
public:
    // Parses arguments as the command declares them: a wrong command line raises a
    // usage error, and --help shows the help and raises what ends the command at once.
    TCliContext(const TCliCommand &command, const QStringList &arguments);
    ~TCliContext();

    QStringList Arguments() const { return FParser.positionalArguments(); }
    bool IsSet(const QString &option) const;
    // The option's value or its default; a usage error when a required option is missing.
    QString Value(const QString &option) const;
    QStringList Values(const QString &option) const;
    TCliProject &Project();

private:
    const TCliOption &Declared(const QString &option) const;

    const TCliCommand &FCommand;
    QCommandLineParser FParser;
    std::unique_ptr<TCliProject> FProject;
};

// Runs a download job and saves the project whatever the job's end, as the window
// program keeps what was stored in the working copy.
int RunJobAndSave(TCliProject &project, const std::function<bool(TConsoleHost &)> &job);
