#include "blogtype/Tscriptcontroller.h"

#include "platform/Varnokierror.h"

#include <JavaScriptCore/JavaScript.h>
#include <jsc/jsc.h>

#include <QElapsedTimer>

#include <cmath>
#include <cstdio>

#include <unistd.h>

// Exported by JavaScriptCore but declared only in a header the -dev package does not ship.
extern "C" {
typedef bool (*JSShouldTerminateCallback)(JSContextRef ctx, void *context);
JS_EXPORT void JSContextGroupSetExecutionTimeLimit(JSContextGroupRef group, double limit,
                                                   JSShouldTerminateCallback callback,
                                                   void *context);
}

namespace {

struct TScriptError
{
    int line = 0;
    int column = 0;
    QString description;
};

class TJsString
{
public:
    explicit TJsString(const QString &text)
        : FRef(JSStringCreateWithCharacters(reinterpret_cast<const JSChar *>(text.utf16()),
                                            size_t(text.size())))
    {
    }
    explicit TJsString(JSStringRef adopted) : FRef(adopted) {}
    ~TJsString()
    {
        if (FRef)
            JSStringRelease(FRef);
    }
    TJsString(const TJsString &) = delete;
    TJsString &operator=(const TJsString &) = delete;

    JSStringRef Ref() const { return FRef; }
    QString Text() const
    {
        if (!FRef)
            return QString();
        return QString(reinterpret_cast<const QChar *>(JSStringGetCharactersPtr(FRef)),
                       qsizetype(JSStringGetLength(FRef)));
    }

private:
    JSStringRef FRef;
};

// Returns false, with *exception set, when the value's own toString throws.
bool ValueToText(JSContextRef ctx, JSValueRef value, QString &text, JSValueRef *exception)
{
    if (JSValueIsUndefined(ctx, value) || JSValueIsNull(ctx, value)) {
        text.clear();
        return true;
    }
    TJsString string(JSValueToStringCopy(ctx, value, exception));
    if (!string.Ref())
        return false;
    text = string.Text();
    return true;
}

// A thrown value whose text is empty: say what it was, so that a message is never blank.
QString DescribeSilentValue(JSContextRef ctx, JSValueRef value)
{
    if (JSValueIsNull(ctx, value))
        return QStringLiteral("スクリプトが null を投げました。");
    if (JSValueIsUndefined(ctx, value))
        return QStringLiteral("スクリプトが undefined を投げました。");
    if (JSValueIsString(ctx, value))
        return QStringLiteral("スクリプトが空の文字列を投げました。");
    return QStringLiteral("スクリプトが文字列にすると空になる値を投げました。");
}

QString ErrorText(int line, int column, const QString &description)
{
    return QString::number(line) + u',' + QString::number(column) + u':' + description;
}

int IntProperty(JSContextRef ctx, JSObjectRef object, const QString &name)
{
    JSValueRef exception = nullptr;
    JSValueRef value = JSObjectGetProperty(ctx, object, TJsString(name).Ref(), &exception);
    if (exception || !JSValueIsNumber(ctx, value))
        return 0;
    const double number = JSValueToNumber(ctx, value, nullptr);
    return std::isfinite(number) && std::abs(number) < 2e9 ? int(number) : 0;
}

QString TextProperty(JSContextRef ctx, JSObjectRef object, const QString &name)
{
    JSValueRef exception = nullptr;
    JSValueRef value = JSObjectGetProperty(ctx, object, TJsString(name).Ref(), &exception);
    if (exception || !JSValueIsString(ctx, value))
        return QString();
    return TJsString(JSValueToStringCopy(ctx, value, nullptr)).Text();
}

// The engine's default signal-based traps now and then miss the time limit when a
// stopped script runs again; checks at loop edges never do. Options must be set
// before the first engine exists.
void PrepareEngineOptions()
{
    static const bool prepared = jsc_options_set_boolean("usePollingTraps", TRUE);
    Q_UNUSED(prepared);
}

// The value a script receives: what QuoteString's literal stands for.
QString NormaliseLineBreaks(const QString &text)
{
    if (!text.contains(u'\r'))
        return text;
    QString result(text.size(), Qt::Uninitialized);
    QChar *out = result.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r') {
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            *out++ = u'\n';
        } else {
            *out++ = text[i];
        }
    }
    result.truncate(out - result.constData());
    return result;
}

bool IsLineBreak(QChar c)
{
    return c == u'\n' || c == u'\r' || c == QChar(0x2028) || c == QChar(0x2029);
}

// Start offset of a 1-based line, counting line breaks the way the engine does; -1
// when the text has fewer lines.
qsizetype LineStart(const QString &code, int line)
{
    qsizetype pos = 0;
    for (int current = 1; current < line; ++current) {
        while (pos < code.size() && !IsLineBreak(code[pos]))
            ++pos;
        if (pos == code.size())
            return -1;
        if (code[pos] == u'\r' && pos + 1 < code.size() && code[pos + 1] == u'\n')
            ++pos;
        ++pos;
    }
    return pos;
}

// The process's resident memory in bytes, 0 when it cannot be read.
qint64 ResidentBytes()
{
    std::FILE *file = std::fopen("/proc/self/statm", "r");
    if (!file)
        return 0;
    long long size = 0;
    long long resident = 0;
    const int read = std::fscanf(file, "%lld %lld", &size, &resident);
    std::fclose(file);
    return read == 2 ? qint64(resident) * qint64(sysconf(_SC_PAGESIZE)) : 0;
}

// How often a running script is looked at for its time and memory.
constexpr double CheckIntervalSeconds = 0.05;

enum class TStopReason { None, Time, Memory };

} // namespace

struct TScriptEngine
{
    TScriptEngine(std::chrono::milliseconds limit, qint64 memoryLimitBytes)
        : group((PrepareEngineOptions(), JSContextGroupCreate())),
          context(JSGlobalContextCreateInGroup(group, nullptr)), timeLimit(limit),
          memoryLimit(memoryLimitBytes)
    {
        Arm();
    }

    // The engine asks once when the interval has passed; asking again means arming it
    // anew, which it allows from inside the callback.
    void Arm()
    {
        JSContextGroupSetExecutionTimeLimit(group, CheckIntervalSeconds,
                                            &TScriptEngine::OnTimeLimit, this);
    }
    ~TScriptEngine()
    {
        if (lastArgumentValue)
            JSValueUnprotect(context, lastArgumentValue);
        JSGlobalContextRelease(context);
        JSContextGroupRelease(group);
    }
    TScriptEngine(const TScriptEngine &) = delete;
    TScriptEngine &operator=(const TScriptEngine &) = delete;

    static bool OnTimeLimit(JSContextRef, void *engine)
    {
        auto *self = static_cast<TScriptEngine *>(engine);
        // Measured from the first look, not from the start: reading it costs more than a
        // typical call, and what a script can take in one interval is small.
        const qint64 resident = ResidentBytes();
        if (self->residentAtStart < 0)
            self->residentAtStart = resident;
        if (self->clock.elapsed() >= self->timeLimit.count())
            self->stopped = TStopReason::Time;
        else if (resident - self->residentAtStart > self->memoryLimit)
            self->stopped = TStopReason::Memory;
        if (self->stopped != TStopReason::None)
            return true;
        self->Arm();
        return false;
    }

    void StartRun()
    {
        // A stopped run left the engine without a next look.
        if (stopped != TStopReason::None)
            Arm();
        stopped = TStopReason::None;
        residentAtStart = -1;
        clock.start();
    }

    // What a stopped script had allocated is garbage now; give it back at once.
    void EndRun()
    {
        if (stopped == TStopReason::Memory)
            JSGarbageCollect(context);
    }

    // Runs a helper ahead of the blog type's script. An error in it is kept like one
    // of the script's, with the helper named, unless the script fails itself.
    void LoadHelper(const TScriptSource &helper)
    {
        StartRun();
        JSValueRef exception = nullptr;
        JSEvaluateScript(context, TJsString(helper.code).Ref(), nullptr, TJsString(helper.name).Ref(), 1,
                         &exception);
        EndRun();
        if (!exception || loadFailed)
            return;
        loadFailed = true;
        loadCompiled = true;
        loadError = Describe(exception);
    }

    // Runs the script's top level. A failure is kept in loadError; loadCompiled tells
    // whether the script got as far as running, which declares its functions.
    void Load(const QString &code)
    {
        StartRun();
        JSValueRef exception = nullptr;
        const TJsString script(code);
        JSEvaluateScript(context, script.Ref(), nullptr, nullptr, 1, &exception);
        EndRun();
        if (!exception)
            return;
        loadFailed = true;
        loadError = Describe(exception);
        loadCompiled = stopped != TStopReason::None
                       || JSCheckScriptSyntax(context, script.Ref(), nullptr, 1, nullptr);
        if (!loadCompiled && loadError.column == 0)
            loadError.column = FindSyntaxErrorColumn(code, loadError.line);
    }

    // Calls a global function directly rather than evaluating name("literal"): every
    // distinct page would otherwise be compiled and cached as a program of its own,
    // costing milliseconds and, over a long download, hundreds of megabytes.
    bool Call(const QString &functionName, const QString &argument, const QString *second,
              QString *result, TScriptError *error)
    {
        StartRun();
        JSValueRef exception = nullptr;
        JSValueRef found = FindGlobalFunction(functionName);
        // Evaluating the bare name finds functions declared with let or const, and lets
        // the engine report an undefined one.
        if (!found)
            found = JSEvaluateScript(context, TJsString(functionName).Ref(), nullptr, nullptr, 1,
                                     &exception);
        JSObjectRef function = !exception && JSValueIsObject(context, found)
                                   ? JSValueToObject(context, found, nullptr)
                                   : nullptr;
        if (!function || !JSObjectIsFunction(context, function)) {
            // A script that stopped while loading may not have got to this function;
            // its own error says why better than a missing name does.
            if (loadFailed)
                *error = loadError;
            else if (exception)
                *error = Describe(exception);
            else
                *error = {0, 0, QStringLiteral("「%1」は関数ではありません。").arg(functionName)};
            return false;
        }
        JSValueRef values[2] = {ArgumentValue(argument), nullptr};
        if (second)
            values[1] = JSValueMakeString(context, TJsString(NormaliseLineBreaks(*second)).Ref());
        JSValueRef returned = JSObjectCallAsFunction(context, function, nullptr, second ? 2 : 1,
                                                     values, &exception);
        EndRun();
        if (!exception && ValueToText(context, returned, *result, &exception))
            return true;
        *error = Describe(exception);
        return false;
    }

    // Whether the name is a function the script declared, with function, let or const.
    bool HasFunction(const QString &name)
    {
        if (FindGlobalFunction(name))
            return true;
        StartRun();
        JSValueRef exception = nullptr;
        JSValueRef value = JSEvaluateScript(context, TJsString(QStringLiteral("typeof ") + name).Ref(),
                                            nullptr, nullptr, 1, &exception);
        EndRun();
        QString type;
        return !exception && ValueToText(context, value, type, &exception) && type == u"function";
    }

    // A function property of the global object, found without compiling anything;
    // nullptr when there is none.
    JSValueRef FindGlobalFunction(const QString &name)
    {
        JSObjectRef global = JSContextGetGlobalObject(context);
        TJsString property(name);
        JSValueRef exception = nullptr;
        if (!JSObjectHasProperty(context, global, property.Ref()))
            return nullptr;
        JSValueRef value = JSObjectGetProperty(context, global, property.Ref(), &exception);
        if (exception || !JSValueIsObject(context, value)
            || !JSObjectIsFunction(context, JSValueToObject(context, value, nullptr)))
            return nullptr;
        return value;
    }

    // The parsers call several functions on one page in a row; the script string is
    // made once for them (script strings cannot be changed, so sharing one is safe).
    JSValueRef ArgumentValue(const QString &argument)
    {
        if (lastArgumentValue && argument.size() == lastArgument.size()
            && (argument.constData() == lastArgument.constData() || argument == lastArgument))
            return lastArgumentValue;
        if (lastArgumentValue)
            JSValueUnprotect(context, lastArgumentValue);
        TJsString text(NormaliseLineBreaks(argument));
        lastArgumentValue = JSValueMakeString(context, text.Ref());
        JSValueProtect(context, lastArgumentValue);
        lastArgument = argument;
        return lastArgumentValue;
    }

    TScriptError Describe(JSValueRef exception)
    {
        TScriptError error;
        QString source;
        if (stopped == TStopReason::Time) {
            error.description =
                QStringLiteral("スクリプトの実行が制限時間（%1秒）を超えたため中止しました。")
                    .arg(double(timeLimit.count()) / 1000.0);
            return error;
        }
        if (stopped == TStopReason::Memory) {
            error.description =
                QStringLiteral("スクリプトが使うメモリが上限（%1 MiB）を超えたため中止しました。")
                    .arg(memoryLimit / (1024 * 1024));
            return error;
        }
        if (JSValueIsObject(context, exception)) {
            JSObjectRef object = JSValueToObject(context, exception, nullptr);
            error.line = IntProperty(context, object, QStringLiteral("line"));
            error.column = IntProperty(context, object, QStringLiteral("column"));
            source = TextProperty(context, object, QStringLiteral("sourceURL"));
        }
        JSValueRef ignored = nullptr;
        if (!ValueToText(context, exception, error.description, &ignored))
            error.description = QStringLiteral("スクリプトで原因不明のエラーが発生しました。");
        else if (error.description.isEmpty())
            error.description = DescribeSilentValue(context, exception);
        // Only helpers carry a name; an error raised inside one says which.
        if (!source.isEmpty())
            error.description += QStringLiteral(" (") + source + QLatin1Char(')');
        return error;
    }

    bool HasSyntaxErrorAt(const QString &code, int line, const QString &message)
    {
        JSValueRef exception = nullptr;
        if (JSCheckScriptSyntax(context, TJsString(code).Ref(), nullptr, 1, &exception))
            return false;
        if (!exception || !JSValueIsObject(context, exception))
            return false;
        JSObjectRef object = JSValueToObject(context, exception, nullptr);
        QString text;
        JSValueRef ignored = nullptr;
        return IntProperty(context, object, QStringLiteral("line")) == line
            && ValueToText(context, exception, text, &ignored) && text == message;
    }

    // The engine gives the line of a syntax error but not its column. Cutting the
    // script at a position and appending a character that can never be valid moves
    // the error onto that character as long as the cut lies at or before the real
    // error; the last such position on the error's line is where the error is.
    int FindSyntaxErrorColumn(const QString &code, int line)
    {
        const qsizetype start = LineStart(code, line);
        if (start < 0)
            return 0;
        qsizetype end = start;
        while (end < code.size() && !IsLineBreak(code[end]))
            ++end;
        const QChar sentinel(0x0001);
        JSValueRef exception = nullptr;
        JSCheckScriptSyntax(context, TJsString(QString(sentinel)).Ref(), nullptr, 1, &exception);
        QString sentinelMessage;
        JSValueRef ignored = nullptr;
        if (!exception || !ValueToText(context, exception, sentinelMessage, &ignored))
            return 0;
        const qsizetype maxProbes = 1000;
        for (qsizetype pos = end; pos >= start && end - pos < maxProbes; --pos) {
            if (HasSyntaxErrorAt(code.left(pos) + sentinel, line, sentinelMessage))
                return int(pos - start) + 1;
        }
        return 0;
    }

    JSContextGroupRef group;
    JSGlobalContextRef context;
    std::chrono::milliseconds timeLimit;
    qint64 memoryLimit;
    TStopReason stopped = TStopReason::None;
    QElapsedTimer clock;
    qint64 residentAtStart = 0;
    QString lastArgument;
    JSValueRef lastArgumentValue = nullptr;
    bool loadFailed = false;
    bool loadCompiled = false;
    TScriptError loadError;
};

TScriptController::TScriptController(std::chrono::milliseconds timeLimit, qint64 memoryLimitBytes)
    : FTimeLimit(timeLimit), FMemoryLimit(memoryLimitBytes)
{
}

TScriptController::~TScriptController() = default;

void TScriptController::Initialize(const QString &language, const QString &code,
                                   const QList<TScriptSource> &helpers)
{
    const Qt::CaseSensitivity cs = Qt::CaseInsensitive;
    if (language.compare(QLatin1String("JScript"), cs) != 0
        && language.compare(QLatin1String("JavaScript"), cs) != 0
        && language.compare(QLatin1String("ECMAScript"), cs) != 0) {
        throw EVarnokiError(
            QStringLiteral("スクリプト言語「%1」には対応していません。"
                           "JScript、JavaScript、ECMAScript のいずれかを指定してください。")
                .arg(language));
    }
    FControl.reset();
    FControl = std::make_unique<TScriptEngine>(FTimeLimit, FMemoryLimit);
    for (const TScriptSource &helper : helpers)
        FControl->LoadHelper(helper);
    FControl->Load(code);
}

QString TScriptController::GetLoadWarning() const
{
    if (!FControl || !FControl->loadFailed || !FControl->loadCompiled)
        return QString();
    const TScriptError &error = FControl->loadError;
    return ErrorText(error.line, error.column, error.description);
}

QString TScriptController::CallFunction(const QString &functionName, const QString &argument)
{
    return Call(functionName, argument, nullptr);
}

QString TScriptController::CallFunction(const QString &functionName, const QString &argument,
                                        const QString &secondArgument)
{
    return Call(functionName, argument, &secondArgument);
}

bool TScriptController::HasFunction(const QString &functionName)
{
    return FControl && FControl->HasFunction(functionName);
}

QString TScriptController::Call(const QString &functionName, const QString &argument,
                                const QString *secondArgument)
{
    ClearError();
    if (!FControl) {
        SetError(0, 0, QStringLiteral("スクリプトが読み込まれていません。"));
        return QString();
    }
    TScriptError error;
    QString result;
    if (FControl->Call(functionName, argument, secondArgument, &result, &error))
        return result;
    SetError(error.line, error.column, error.description);
    return QString();
}

void TScriptController::ClearError()
{
    FErrorLine = 0;
    FErrorColumn = 0;
    FErrorDescription.clear();
    FHasError = false;
}

void TScriptController::SetError(int line, int column, const QString &description)
{
    FErrorLine = line;
    FErrorColumn = column;
    FErrorDescription = description;
    FHasError = true;
}

QString TScriptController::GetErrorMessage() const
{
    if (!FHasError)
        return QString();
    return ErrorText(FErrorLine, FErrorColumn, FErrorDescription);
}

QString TScriptController::QuoteString(const QString &text)
{
    // One pass gives the same text as replacing backslashes, then CR LF, LF and CR,
    // then quotes: no replacement produces what a later one looks for.
    const char16_t *begin = reinterpret_cast<const char16_t *>(text.constData());
    const char16_t *end = begin + text.size();
    qsizetype length = text.size() + 2;
    for (const char16_t *p = begin; p != end; ++p) {
        if (*p == u'\r' && p + 1 != end && p[1] == u'\n')
            ++p;
        else if (*p == u'\\' || *p == u'"' || *p == u'\n' || *p == u'\r')
            ++length;
    }
    QString result(length, Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(result.data());
    *out++ = u'"';
    for (const char16_t *p = begin; p != end; ++p) {
        switch (*p) {
        case u'\\':
        case u'"':
            *out++ = u'\\';
            *out++ = *p;
            break;
        case u'\r':
            if (p + 1 != end && p[1] == u'\n')
                ++p;
            [[fallthrough]];
        case u'\n':
            *out++ = u'\\';
            *out++ = u'n';
            break;
        default:
            *out++ = *p;
        }
    }
    *out = u'"';
    return result;
}
