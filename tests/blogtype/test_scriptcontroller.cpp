#include "Scripttest.h"

#include "blogtype/Tscriptcontroller.h"
#include "platform/Varnokierror.h"

#include <QRegularExpression>

#include <sys/resource.h>

using namespace std::chrono_literals;

namespace {

const QString JScript = QStringLiteral("JScript");

QString Quoted(const char16_t *text)
{
    return TScriptController::QuoteString(QString::fromUtf16(text));
}

} // namespace

TEST(ScriptControllerTest, QuoteStringEscapesInTheFixedOrder)
{
    EXPECT_EQ(Quoted(u""), QStringLiteral("\"\""));
    EXPECT_EQ(Quoted(u"a\\b"), QStringLiteral("\"a\\\\b\""));
    EXPECT_EQ(Quoted(u"say \"hi\""), QStringLiteral("\"say \\\"hi\\\"\""));
    EXPECT_EQ(Quoted(u"1\r\n2\n3\r4\r\r\n5\n\r6"),
              QStringLiteral("\"1\\n2\\n3\\n4\\n\\n5\\n\\n6\""));
    // A backslash before a quote or a break stays a literal backslash.
    EXPECT_EQ(Quoted(u"\\\"\\\n"), QStringLiteral("\"\\\\\\\"\\\\\\n\""));
    EXPECT_EQ(Quoted(u"\t\u3042\u2028'"), QString::fromUtf16(u"\"\t\u3042\u2028'\""));
}

TEST(ScriptControllerTest, PageTextReachesScriptWithBreaksAsSingleLf)
{
    TScriptController controller;
    controller.Initialize(JScript, QStringLiteral(
        "function Echo(s) { return s; }\n"
        "function Args() { return arguments.length + ':' + typeof arguments[0]; }\n"
        "function Codes(s) { var c = []; for (var i = 0; i < s.length; i++) c.push(s.charCodeAt(i)); return c.join(' '); }\n"
        "function Unquote(q) { return eval(q); }\n"));

    const QString page = QString::fromUtf16(
        u"<a href=\"x\">\\n</a>\r\nline2\nline3\rline4\r\r\nend \"); Boom(); (\" \\\t\u2028\u65e5\u672c");
    QString expected = page;
    expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');

    EXPECT_EQ(controller.CallFunction(QStringLiteral("Echo"), page), expected);
    EXPECT_FALSE(controller.HasError()) << controller.GetErrorMessage().toStdString();
    // The argument is the value QuoteString's literal stands for.
    EXPECT_EQ(controller.CallFunction(QStringLiteral("Unquote"), TScriptController::QuoteString(page)),
              expected);
    EXPECT_EQ(controller.CallFunction(QStringLiteral("Args"), page), QStringLiteral("1:string"));
    EXPECT_EQ(controller.CallFunction(QStringLiteral("Codes"), QStringLiteral("\r\n\r\\\"")),
              QStringLiteral("10 10 92 34"));
    EXPECT_EQ(controller.CallFunction(QStringLiteral("Echo"), QString()), QString());
}

TEST(ScriptControllerTest, ASecondArgumentReachesTheFunctionBesideThePage)
{
    TScriptController controller;
    controller.Initialize(JScript, QStringLiteral(
        "function Args(a, b) { return arguments.length + ':' + a + '|' + b; }\n"
        "const Later = (a, b) => b;\n"
        "var NotOne = 3;\n"));

    EXPECT_EQ(controller.CallFunction(QStringLiteral("Args"), QStringLiteral("p\r\nq"), QStringLiteral("http://h/?a=1\r")),
              QStringLiteral("2:p\nq|http://h/?a=1\n"));
    EXPECT_FALSE(controller.HasError()) << controller.GetErrorMessage().toStdString();
    EXPECT_EQ(controller.CallFunction(QStringLiteral("Args"), QStringLiteral("p")), QStringLiteral("1:p|undefined"));
    EXPECT_EQ(controller.CallFunction(QStringLiteral("Later"), QStringLiteral("p"), QStringLiteral("u")), QStringLiteral("u"));

    EXPECT_TRUE(controller.HasFunction(QStringLiteral("Args")));
    EXPECT_TRUE(controller.HasFunction(QStringLiteral("Later")));
    EXPECT_FALSE(controller.HasFunction(QStringLiteral("NotOne")));
    EXPECT_FALSE(controller.HasFunction(QStringLiteral("Missing")));
    EXPECT_FALSE(controller.HasError());
}

TEST(ScriptControllerTest, ResultsConvertToText)
{
    TScriptController controller;
    controller.Initialize(QStringLiteral("javascript"), QStringLiteral(
        "function Nothing(s) { }\n"
        "function Undef(s) { return undefined; }\n"
        "function Null(s) { return null; }\n"
        "function Empty(s) { return ''; }\n"
        "function Int(s) { return 42; }\n"
        "function Real(s) { return 2.5; }\n"
        "function Negative(s) { return -0.125; }\n"
        "function Bool(s) { return s.length > 0; }\n"
        "function List(s) { return [1, 'a', 2]; }\n"
        "function Obj(s) { return { toString: function () { return 'obj:' + s; } }; }\n"
        "function Bad(s) { return { toString: function () { throw new Error('no text'); } }; }\n"));

    const struct {
        const char *function;
        QString expected;
    } cases[] = {
        {"Nothing", QString()},
        {"Undef", QString()},
        {"Null", QString()},
        {"Empty", QString()},
        {"Int", QStringLiteral("42")},
        {"Real", QStringLiteral("2.5")},
        {"Negative", QStringLiteral("-0.125")},
        {"Bool", QStringLiteral("true")},
        {"List", QStringLiteral("1,a,2")},
        {"Obj", QStringLiteral("obj:x")},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(controller.CallFunction(QLatin1String(c.function), QStringLiteral("x")), c.expected)
            << c.function;
        EXPECT_FALSE(controller.HasError()) << c.function;
    }

    // A value whose conversion to text throws is a script error, not an empty result.
    EXPECT_EQ(controller.CallFunction(QStringLiteral("Bad"), QStringLiteral("x")), QString());
    EXPECT_TRUE(controller.HasError());
    EXPECT_TRUE(controller.GetErrorMessage().contains(QLatin1String("no text")));
}

TEST(ScriptControllerTest, UndefinedFunctionSetsErrorWithPosition)
{
    TScriptController controller;
    controller.Initialize(JScript, QStringLiteral("function Defined(s) { return s; }\nvar NotFunction = 5;\n"));
    EXPECT_FALSE(controller.HasError());
    EXPECT_EQ(controller.GetErrorMessage(), QString());

    EXPECT_EQ(controller.CallFunction(QStringLiteral("GetNextUrl"), QStringLiteral("page")), QString());
    EXPECT_TRUE(controller.HasError());
    const QString message = controller.GetErrorMessage();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^1,[1-9][0-9]*:ReferenceError: .*GetNextUrl"))
                    .match(message)
                    .hasMatch())
        << message.toStdString();

    controller.CallFunction(QStringLiteral("NotFunction"), QStringLiteral("page"));
    EXPECT_EQ(controller.GetErrorMessage(), QStringLiteral("0,0:「NotFunction」は関数ではありません。"));
}

TEST(ScriptControllerTest, SyntaxErrorIsReportedAtEveryCallWithLineAndColumn)
{
    const struct {
        QString code;
        QString message;
    } cases[] = {
        {QStringLiteral("function A(s) {\n  return s;\n}\nfunction B(s) {\n  var x = ;\n}\n"),
         QStringLiteral("5,11:SyntaxError: Unexpected token ';'")},
        // Windows line ends count once; the unterminated string is marked at its quote.
        {QStringLiteral("function A(s) {\r\n\r\n  return 'abc;\r\n}\r\n"),
         QStringLiteral("3,10:")},
        {QStringLiteral("function A(s) { retur n s; }"),
         QStringLiteral("1,23:SyntaxError: Unexpected identifier 'n'")},
        {QStringLiteral("function A(s) {\n  if (s) {\n    return s;\n}\n"),
         QStringLiteral("5,1:SyntaxError:")},
    };
    for (const auto &c : cases) {
        TScriptController controller;
        EXPECT_NO_THROW(controller.Initialize(JScript, c.code));
        // Nothing of a script that does not compile runs: the calls say why.
        EXPECT_EQ(controller.GetLoadWarning(), QString());
        for (int call = 0; call < 2; ++call) {
            EXPECT_EQ(controller.CallFunction(QStringLiteral("A"), QStringLiteral("x")), QString());
            EXPECT_TRUE(controller.HasError());
            EXPECT_TRUE(controller.GetErrorMessage().startsWith(c.message))
                << controller.GetErrorMessage().toStdString() << " for " << c.code.toStdString();
        }
    }
}

TEST(ScriptControllerTest, RuntimeErrorsCarryLineAndColumnAndTheNextCallRecovers)
{
    TScriptController controller;
    controller.Initialize(JScript, QStringLiteral(
        "function Ok(s) { return 'ok:' + s; }\n"
        "function Null(s) {\n"
        "  var o = null;\n"
        "  return o.x;\n"
        "}\n"
        "function Throw(s) {\n"
        "  throw new Error('壊れた ' + s);\n"
        "}\n"));

    EXPECT_EQ(controller.CallFunction(QStringLiteral("Null"), QStringLiteral("x")), QString());
    EXPECT_EQ(controller.GetErrorMessage(),
              QStringLiteral("4,11:TypeError: null is not an object (evaluating 'o.x')"));

    controller.CallFunction(QStringLiteral("Throw"), QStringLiteral("page"));
    EXPECT_EQ(controller.GetErrorMessage(),
              QStringLiteral("7,18:Error: 壊れた page"));

    EXPECT_EQ(controller.CallFunction(QStringLiteral("Ok"), QStringLiteral("x")), QStringLiteral("ok:x"));
    EXPECT_FALSE(controller.HasError());
    EXPECT_EQ(controller.GetErrorMessage(), QString());

    controller.CallFunction(QStringLiteral("Throw"), QStringLiteral("page"));
    controller.ClearError();
    EXPECT_FALSE(controller.HasError());
    EXPECT_EQ(controller.GetErrorMessage(), QString());
}

TEST(ScriptControllerTest, ScriptWhoseTopLevelThrowsKeepsItsFunctions)
{
    TScriptController controller;
    controller.Initialize(JScript, QStringLiteral(
        "var http = new ActiveXObject(\"Microsoft.XMLHTTP\");\r\n"
        "function GetTitle(s) { return /<h1>(.*)<\\/h1>/.exec(s)[1]; }\r\n"
        "function Fetch(s) { return http.responseText; }\r\n"
        "const Later = function (s) { return s; };\r\n"));
    const QString loadError = controller.GetLoadWarning();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^1,[1-9][0-9]*:ReferenceError: .*ActiveXObject"))
                    .match(loadError)
                    .hasMatch())
        << loadError.toStdString();

    for (int call = 0; call < 2; ++call) {
        EXPECT_EQ(controller.CallFunction(QStringLiteral("GetTitle"), QStringLiteral("<h1>題名</h1>")),
                  QStringLiteral("題名"));
        EXPECT_FALSE(controller.HasError()) << controller.GetErrorMessage().toStdString();
    }
    // A function that needs what the first line failed to make fails on its own line.
    controller.CallFunction(QStringLiteral("Fetch"), QString());
    EXPECT_TRUE(controller.GetErrorMessage().startsWith(QLatin1String("3,"))) << controller.GetErrorMessage().toStdString();
    // Functions the script never got to define, or never had, report what stopped it.
    for (const QString &function : {QStringLiteral("Later"), QStringLiteral("GetNextUrl")}) {
        EXPECT_EQ(controller.CallFunction(function, QString()), QString());
        EXPECT_EQ(controller.GetErrorMessage(), loadError) << function.toStdString();
    }
    EXPECT_EQ(controller.GetLoadWarning(), loadError);

    controller.Initialize(JScript, QStringLiteral("function GetTitle(s) { return s; }\n"));
    EXPECT_EQ(controller.GetLoadWarning(), QString());
}

TEST(ScriptControllerTest, ThrownValuesThatAreNotErrorsGiveAMessage)
{
    // The engine records no position for a value that is not an Error object.
    const struct {
        const char *thrown;
        QString message;
    } cases[] = {
        {"'oops'", QStringLiteral("0,0:oops")},
        {"42", QStringLiteral("0,0:42")},
        {"false", QStringLiteral("0,0:false")},
        {"null", QStringLiteral("0,0:スクリプトが null を投げました。")},
        {"undefined", QStringLiteral("0,0:スクリプトが undefined を投げました。")},
        {"''", QStringLiteral("0,0:スクリプトが空の文字列を投げました。")},
        {"{ toString: function () { return ''; } }",
         QStringLiteral("0,0:スクリプトが文字列にすると空になる値を投げました。")},
        {"{ line: 9, column: 4, toString: function () { return 'own'; } }", QStringLiteral("9,4:own")},
    };
    for (const auto &c : cases) {
        const QString thrown = QLatin1String(c.thrown);
        TScriptController controller;
        controller.Initialize(JScript, QStringLiteral("function F(s) {\n  throw ") + thrown
                                           + QStringLiteral(";\n}\n"));
        EXPECT_EQ(controller.CallFunction(QStringLiteral("F"), QString()), QString());
        EXPECT_TRUE(controller.HasError());
        EXPECT_EQ(controller.GetErrorMessage(), c.message) << c.thrown;

        // The same value thrown by the top-level code is the load warning.
        controller.Initialize(JScript, QStringLiteral("function F(s) { return 'f'; }\nthrow ") + thrown
                                           + QStringLiteral(";\n"));
        EXPECT_EQ(controller.GetLoadWarning(), c.message) << c.thrown;
        EXPECT_EQ(controller.CallFunction(QStringLiteral("F"), QString()), QStringLiteral("f"));
    }
}

TEST(ScriptControllerTest, TimeLimitStopsEndlessScriptsAndTheEngineStaysUsable)
{
    TScriptController controller(200ms);
    controller.Initialize(JScript, QStringLiteral(
        "function Loop(s) { while (true) { } }\n"
        "function Stubborn(s) { for (;;) { try { while (true) { } } catch (e) { } } }\n"
        "function Ok(s) { return 'ok'; }\n"));
    const QString expected =
        QStringLiteral("0,0:スクリプトの実行が制限時間（0.2秒）を超えたため中止しました。");

    // Twice in a row: a stopped script run again must be stopped again.
    for (const QString &function : {QStringLiteral("Loop"), QStringLiteral("Loop"),
                                    QStringLiteral("Stubborn")}) {
        EXPECT_EQ(controller.CallFunction(function, QStringLiteral("x")), QString());
        EXPECT_TRUE(controller.HasError()) << function.toStdString();
        EXPECT_EQ(controller.GetErrorMessage(), expected) << function.toStdString();
    }
    EXPECT_EQ(controller.CallFunction(QStringLiteral("Ok"), QString()), QStringLiteral("ok"));
    EXPECT_FALSE(controller.HasError());

    // An endless loop while the script loads is stopped too; the functions it declares
    // still run, and one it never got to define fails with the stop.
    controller.Initialize(JScript, QStringLiteral(
        "function Ok(s) { return 'ok'; }\nfor (;;) { }\nvar Late = function (s) { return s; };\n"));
    EXPECT_EQ(controller.GetLoadWarning(), expected);
    EXPECT_EQ(controller.CallFunction(QStringLiteral("Ok"), QString()), QStringLiteral("ok"));
    EXPECT_FALSE(controller.HasError());
    EXPECT_EQ(controller.CallFunction(QStringLiteral("Late"), QString()), QString());
    EXPECT_EQ(controller.GetErrorMessage(), expected);
}

TEST(ScriptControllerTest, MemoryLimitStopsAllocatingScriptsAndTheEngineStaysUsable)
{
    constexpr qint64 limit = 128 * 1024 * 1024;
    TScriptController controller(10s, limit);
    controller.Initialize(JScript, QStringLiteral(
        "function Grow(s) { var a = []; while (1) a.push(new Array(1e6).fill(s)); }\n"
        "var kept = [];\n"
        "function Hoard(s) { while (1) kept.push(new Array(1e6).fill(s)); }\n"
        "function Ok(s) { return 'ok'; }\n"));
    const QString expected =
        QStringLiteral("0,0:スクリプトが使うメモリが上限（128 MiB）を超えたため中止しました。");
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const qint64 peakBefore = qint64(usage.ru_maxrss) * 1024;

    // Hoard keeps what it took in a global: the next call starts from there and is
    // measured from there.
    for (const QString &function : {QStringLiteral("Grow"), QStringLiteral("Hoard"), QStringLiteral("Grow")}) {
        EXPECT_EQ(controller.CallFunction(function, QStringLiteral("x")), QString());
        EXPECT_EQ(controller.GetErrorMessage(), expected) << function.toStdString();
    }
    EXPECT_EQ(controller.CallFunction(QStringLiteral("Ok"), QString()), QStringLiteral("ok"));
    EXPECT_FALSE(controller.HasError());
    getrusage(RUSAGE_SELF, &usage);
    // Without the bound the script grows until the machine runs out.
    EXPECT_LT(qint64(usage.ru_maxrss) * 1024, std::max(peakBefore, qint64(200) * 1024 * 1024) + 3 * limit);
}

TEST(ScriptControllerTest, FunctionsShareOneGlobalScopeUntilTheNextInitialize)
{
    TScriptController controller;
    controller.Initialize(JScript, QStringLiteral(
        "var count = 0;\n"
        "function Inner(s) { return s.toUpperCase(); }\n"
        "function Outer(s) { count++; return '[' + Inner(s) + ']' + count; }\n"));
    EXPECT_EQ(controller.CallFunction(QStringLiteral("Outer"), QStringLiteral("ab")), QStringLiteral("[AB]1"));
    EXPECT_EQ(controller.CallFunction(QStringLiteral("Outer"), QStringLiteral("cd")), QStringLiteral("[CD]2"));

    controller.Initialize(QStringLiteral("ECMASCRIPT"), QStringLiteral(
        "function Other(s) { return typeof Outer + ',' + typeof count; }\n"));
    EXPECT_EQ(controller.CallFunction(QStringLiteral("Other"), QString()),
              QStringLiteral("undefined,undefined"));
    controller.CallFunction(QStringLiteral("Outer"), QString());
    EXPECT_TRUE(controller.HasError());
}

TEST(ScriptControllerTest, JapaneseTextInAndOut)
{
    TScriptController controller;
    controller.Initialize(JScript, QString::fromUtf16(
        u"function Title(s) {\n"
        u"  var m = /<title>(.*?)\uff5c(.*?)<\\/title>/.exec(s);\n"
        u"  return m ? m[2] + '\u3000\u2015\u3000' + m[1] : '\u306a\u3057';\n"
        u"}\n"));
    const QString page = QString::fromUtf16(
        u"<title>\u65e5\u8a18\u3067\u3059\uff5c\u79c1\u306e\u30d6\u30ed\u30b0\U0001F600</title>");
    EXPECT_EQ(controller.CallFunction(QStringLiteral("Title"), page),
              QString::fromUtf16(u"\u79c1\u306e\u30d6\u30ed\u30b0\U0001F600\u3000\u2015\u3000"
                                 u"\u65e5\u8a18\u3067\u3059"));
    EXPECT_EQ(controller.CallFunction(QStringLiteral("Title"), QStringLiteral("none")),
              QString::fromUtf16(u"\u306a\u3057"));
}

TEST(ScriptControllerTest, LanguageNamesAreCheckedBeforeAnythingIsReplaced)
{
    TScriptController controller;
    for (const char *language : {"JScript", "jscript", "JAVASCRIPT", "JavaScript", "ECMAScript",
                                 "ecmascript"})
        EXPECT_NO_THROW(controller.Initialize(QLatin1String(language),
                                              QStringLiteral("function F(s) { return 'kept'; }")))
            << language;

    for (const char *language : {"VBScript", "", "JScript ", "Python", "JScript.Encode"}) {
        try {
            controller.Initialize(QLatin1String(language), QStringLiteral("function F(s) { }"));
            ADD_FAILURE() << "accepted " << language;
        } catch (const EVarnokiError &error) {
            EXPECT_TRUE(error.Message().contains(QString(u'\u300c') + QLatin1String(language)
                                                 + u'\u300d'))
                << error.what();
        }
    }
    EXPECT_EQ(controller.CallFunction(QStringLiteral("F"), QString()), QStringLiteral("kept"));
}

TEST(ScriptControllerTest, ScriptsSeeAPlainEnvironment)
{
    TScriptController controller;
    controller.Initialize(JScript, QStringLiteral(
        "function Probe(s) {\n"
        "  var names = s.split(','), found = [];\n"
        "  for (var i = 0; i < names.length; i++)\n"
        "    if (typeof this[names[i]] !== 'undefined') found.push(names[i]);\n"
        "  return found.join(',');\n"
        "}\n"));
    EXPECT_EQ(controller.CallFunction(QStringLiteral("Probe"),
                   QStringLiteral("require,process,load,loadString,readFile,read,readline,run,"
                                  "runString,print,quit,fetch,XMLHttpRequest,WebSocket,"
                                  "ActiveXObject,WScript,GetObject,importScripts,Worker,$vm")),
              QString());
}

TEST(ScriptControllerTest, OldJScriptStyleScriptRunsUnchanged)
{
    TScriptController controller;
    controller.Initialize(JScript, ReadScriptFixture(QStringLiteral("jscript_dialect.js")));
    const QString page = QStringLiteral(
        "<html><head><TITLE>Old &amp; Gold</TITLE></head>\r\n"
        "<a href=\"/archives/120.html\">\u6700\u65b0\u8a18\u4e8b</a>\r\n"
        "<span class=date>2006.03.09</span>\r\n"
        "<a href=\"/archives/119.html\" rel=\"prev\">\u524d</a>\r\n");

    EXPECT_EQ(controller.CallFunction(QStringLiteral("GetRecentEntry"), page),
              QStringLiteral("http://old.example.jp/archives/120.html"));
    EXPECT_EQ(controller.CallFunction(QStringLiteral("GetDate"), page), QStringLiteral("2006/03/09"));
    EXPECT_EQ(controller.CallFunction(QStringLiteral("GetTitle"), page), QStringLiteral("Old &amp; Gold"));
    EXPECT_EQ(controller.CallFunction(QStringLiteral("GetNextUrl"), page),
              QStringLiteral("http://old.example.jp/archives/119.html"));
    EXPECT_FALSE(controller.HasError()) << controller.GetErrorMessage().toStdString();

    EXPECT_EQ(controller.CallFunction(QStringLiteral("GetDate"), QStringLiteral("none")), QString());
    EXPECT_EQ(controller.CallFunction(QStringLiteral("GetTitle"), QStringLiteral("none")), QString());
    EXPECT_FALSE(controller.HasError());
}

TEST(ScriptControllerTest, CallWithoutScriptIsAnErrorNotACrash)
{
    TScriptController controller;
    EXPECT_EQ(controller.CallFunction(QStringLiteral("GetDate"), QStringLiteral("x")), QString());
    EXPECT_TRUE(controller.HasError());
    EXPECT_FALSE(controller.GetErrorMessage().isEmpty());
}

TEST(ScriptControllerTest, FunctionsOfEveryDeclarationFormSeeEachPageAsGiven)
{
    TScriptController controller;
    controller.Initialize(JScript, QStringLiteral(
        "function Echo(s) { return s; }\n"
        "const Shout = function (s) { return s.toUpperCase(); };\n"
        "let Count = s => String(s.length);\n"));
    // Pages of one length, and one page object changed in place, are not mixed up.
    QString page = QStringLiteral("page-a");
    EXPECT_EQ(controller.CallFunction(QStringLiteral("Echo"), page), QStringLiteral("page-a"));
    EXPECT_EQ(controller.CallFunction(QStringLiteral("Echo"), QStringLiteral("page-b")), QStringLiteral("page-b"));
    page[5] = u'c';
    EXPECT_EQ(controller.CallFunction(QStringLiteral("Echo"), page), QStringLiteral("page-c"));
    EXPECT_EQ(controller.CallFunction(QStringLiteral("Shout"), page), QStringLiteral("PAGE-C"));
    EXPECT_EQ(controller.CallFunction(QStringLiteral("Count"), page), QStringLiteral("6"));
    EXPECT_FALSE(controller.HasError());
}
