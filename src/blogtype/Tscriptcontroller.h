#pragma once

#include <QList>
#include <QString>

#include <chrono>
#include <memory>

struct TScriptEngine;

// A script loaded ahead of a blog type's own, such as the helpers every blog type
// shares; name is its file name, given in the errors it raises.
struct TScriptSource
{
    QString name;
    QString code;
};

// Runs one blog type's script: loads it into a fresh global scope, calls its global
// functions with one or two text arguments and keeps the details of the last script error.
class TScriptController
{
public:
    static constexpr std::chrono::milliseconds DefaultTimeLimit{10000};
    static constexpr qint64 DefaultMemoryLimit = qint64(1024) * 1024 * 1024;

    // A single call (or the loading of the script) that runs longer than timeLimit, or
    // during which the process grows by more than memoryLimitBytes, is stopped and
    // reported as a script error.
    explicit TScriptController(std::chrono::milliseconds timeLimit = DefaultTimeLimit,
                               qint64 memoryLimitBytes = DefaultMemoryLimit);
    ~TScriptController();
    TScriptController(const TScriptController &) = delete;
    TScriptController &operator=(const TScriptController &) = delete;

    // Discards any earlier script and runs helpers, then code, in one global scope;
    // each keeps its own line numbers. Raises for a language other than JScript,
    // JavaScript or ECMAScript. Errors of the script itself do not raise: a call of a
    // function it never got to define reports the error that stopped it.
    void Initialize(const QString &language, const QString &code, const QList<TScriptSource> &helpers = {});

    // "line,column:description" of an error that the script's top-level code raised
    // while it loaded, or empty text. Such a script keeps the functions it declares
    // (old scripts often start with objects only their host had), so calls still run;
    // a script that does not compile declares nothing and gives empty text here.
    QString GetLoadWarning() const;

    // Calls the script's global function with one string argument, argument with
    // every line break turned into one LF (the value of QuoteString(argument)), and
    // returns the result as text. Script errors do not raise: test HasError afterwards.
    QString CallFunction(const QString &functionName, const QString &argument);
    // The same with a second string argument (line breaks kept as they are turned in
    // the first), such as the URL a page came from.
    QString CallFunction(const QString &functionName, const QString &argument,
                         const QString &secondArgument);
    // Whether the script declares a global function of that name (an identifier).
    bool HasFunction(const QString &functionName);

    void ClearError();
    bool HasError() const { return FHasError; }
    // "line,column:description", or empty text when there is no error.
    QString GetErrorMessage() const;

    // A script string literal whose value is text with every line break as one LF:
    // the form in which a page is handed to a function written as an expression.
    static QString QuoteString(const QString &text);

private:
    QString Call(const QString &functionName, const QString &argument, const QString *secondArgument);
    void SetError(int line, int column, const QString &description);

    std::chrono::milliseconds FTimeLimit;
    qint64 FMemoryLimit;
    std::unique_ptr<TScriptEngine> FControl;
    int FErrorLine = 0;
    int FErrorColumn = 0;
    QString FErrorDescription;
    bool FHasError = false;
};
