#include "blogtype/Tscriptcontroller.h"

#include "platform/Varnokierror.h"

#include <JavaScriptCore/JavaScript.h>
#include <jsc/jsc.h>

#include <cmath>

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

int IntProperty(JSContextRef ctx, JSObjectRef object, const QString &name)
{
    JSValueRef exception = nullptr;
    JSValueRef value = JSObjectGetProperty(ctx, object, TJsString(name).Ref(), &exception);
    if (exception || !JSValueIsNumber(ctx, value))
        return 0;
    const double number = JSValueToNumber(ctx, value, nullptr);
    return std::isfinite(number) && std::abs(number) < 2e9 ? int(number) : 0;
}

// The engine's default signal-based traps now and then miss the time limit when a
// stopped script runs again; checks at loop edges never do. Options must be set
// before the first engine exists.
void PrepareEngineOptions()
{
    static const bool prepared = jsc_options_set_boolean("usePollingTraps", TRUE);
    Q_UNUSED(prepared);
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

} // namespace

struct TScriptEngine
{
    explicit TScriptEngine(std::chrono::milliseconds timeLimit)
        : group((PrepareEngineOptions(), JSContextGroupCreate())),
          context(JSGlobalContextCreateInGroup(group, nullptr))
    {
        JSContextGroupSetExecutionTimeLimit(group, double(timeLimit.count()) / 1000.0,
                                            &TScriptEngine::OnTimeLimit, this);
    }
    ~TScriptEngine()
    {
        JSGlobalContextRelease(context);
        JSContextGroupRelease(group);
    }
    TScriptEngine(const TScriptEngine &) = delete;
    TScriptEngine &operator=(const TScriptEngine &) = delete;

    static bool OnTimeLimit(JSContextRef, void *engine)
    {
        static_cast<TScriptEngine *>(engine)->timedOut = true;
        return true;
    }

    // Evaluates source in the global scope; false with *error filled on a script error.
    bool Evaluate(const QString &source, QString *result, TScriptError *error,
                  std::chrono::milliseconds timeLimit)
    {
        timedOut = false;
        JSValueRef exception = nullptr;
        JSValueRef value =
            JSEvaluateScript(context, TJsString(source).Ref(), nullptr, nullptr, 1, &exception);
        if (!exception && result && ValueToText(context, value, *result, &exception))
            return true;
        if (!exception)
            return true;
        *error = Describe(exception, timeLimit);
        return false;
    }

    TScriptError Describe(JSValueRef exception, std::chrono::milliseconds timeLimit)
    {
        TScriptError error;
        if (timedOut) {
            error.description =
                QStringLiteral("スクリプトの実行が制限時間（%1秒）を超えたため中止しました。")
                    .arg(double(timeLimit.count()) / 1000.0);
            return error;
        }
        if (JSValueIsObject(context, exception)) {
            JSObjectRef object = JSValueToObject(context, exception, nullptr);
            error.line = IntProperty(context, object, QStringLiteral("line"));
            error.column = IntProperty(context, object, QStringLiteral("column"));
        }
        JSValueRef ignored = nullptr;
        if (!ValueToText(context, exception, error.description, &ignored))
            error.description = QStringLiteral("スクリプトで原因不明のエラーが発生しました。");
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
    bool timedOut = false;
    bool loadFailed = false;
    TScriptError loadError;
};

TScriptController::TScriptController(std::chrono::milliseconds timeLimit) : FTimeLimit(timeLimit)
{
}

TScriptController::~TScriptController() = default;

void TScriptController::Initialize(const QString &language, const QString &code)
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
    FControl = std::make_unique<TScriptEngine>(FTimeLimit);
    TScriptError error;
    if (!FControl->Evaluate(code, nullptr, &error, FTimeLimit)) {
        if (!FControl->timedOut && error.column == 0
            && error.description.startsWith(QLatin1String("SyntaxError:")))
            error.column = FControl->FindSyntaxErrorColumn(code, error.line);
        FControl->loadFailed = true;
        FControl->loadError = error;
    }
}

QString TScriptController::CallFunction(const QString &functionName, const QString &argument)
{
    ClearError();
    if (!FControl) {
        SetError(0, 0, QStringLiteral("スクリプトが読み込まれていません。"));
        return QString();
    }
    if (FControl->loadFailed) {
        const TScriptError &error = FControl->loadError;
        SetError(error.line, error.column, error.description);
        return QString();
    }
    QString result;
    TScriptError error;
    if (!FControl->Evaluate(functionName + u'(' + argument + u')', &result, &error, FTimeLimit)) {
        SetError(error.line, error.column, error.description);
        return QString();
    }
    return result;
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
    return QString::number(FErrorLine) + u',' + QString::number(FErrorColumn) + u':'
        + FErrorDescription;
}

QString TScriptController::QuoteString(const QString &text)
{
    QString result = text;
    result.replace(QLatin1String("\\"), QLatin1String("\\\\"));
    result.replace(QLatin1String("\r\n"), QLatin1String("\\n"));
    result.replace(QLatin1String("\n"), QLatin1String("\\n"));
    result.replace(QLatin1String("\r"), QLatin1String("\\n"));
    result.replace(QLatin1String("\""), QLatin1String("\\\""));
    return u'"' + result + u'"';
}
