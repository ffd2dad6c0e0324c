#include "cli/Tclicommands.h"

#include "cli/Tcliproject.h"
#include "retrieval/Tdownloadhost.h"
#include "retrieval/Tcodepage.h"
#include "retrieval/Thttputility.h"
#include "retrieval/Tdateparser.h"
#include "blogtype/Tcategoryparser.h"
#include "blogtype/Tentryparser.h"
#include "cli/Tconsolehost.h"
#include "output/Thtmldb.h"
#include "output/Tmakehtml.h"
#include "platform/Tappconfig.h"
#include "platform/Tappdirs.h"
#include "platform/Tdatetime.h"
#include "retrieval/Tcategorydownload.h"
#include "retrieval/Tentrydownload.h"
#include "store/Tcommatext.h"
#include "store/Tldbdb.h"

#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {
constexpr int ExitOk = 0;
constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;
constexpr int ExitCancelled = 130;

const QString Program = QStringLiteral("varnoki-cli");

const QString MainUsage = QStringLiteral(
    "使い方 / Usage: varnoki-cli COMMAND [ARGUMENTS]\n"
    "\n"
    "コマンド / Commands:\n"
    "  blog-types                         ブログの種類の一覧 (名前<TAB>説明)\n"
    "  templates                          HTMLテンプレートの一覧 (名前<TAB>設定項目)\n"
    "  new PROJECT --blog-type NAME --url URL [--template NAME]\n"
    "                                     新しいプロジェクトファイルを作成します\n"
    "  set PROJECT [OPTIONS]              プロジェクトの設定を変更して保存します\n"
    "  show PROJECT                       プロジェクトの設定を表示します\n"
    "  entries PROJECT [--latest-only]    エントリーを取得して保存します\n"
    "  categories PROJECT                 各カテゴリーのエントリーを取得して保存します\n"
    "  list PROJECT [--format tsv|json]   エントリーの一覧を表示します\n"
    "  comment PROJECT URL TEXT           エントリーのコメントを設定して保存します\n"
    "  make PROJECT HTMLFILE [--wait]     HTMLファイルを作成します\n"
    "  recover [PROJECT] [--discard]      保存されずに終わった作業内容を一覧・復元します\n"
    "  try --blog-type NAME URL|FILE      ブログの種類のスクリプトがページから読む値を表示します\n"
    "\n"
    "各コマンドの説明 / Help on a command: varnoki-cli COMMAND --help\n"
    "終了コード / Exit status: 0 成功 success, 1 エラー error, 2 使い方の誤り bad usage,\n"
    "  130 Ctrl+C でキャンセル cancelled");

// Control characters that a terminal would act on: C0 other than tab and line breaks,
// DEL and C1 (a blog's titles could otherwise move the cursor, recolour or retitle it).
bool IsTerminalControl(char16_t c)
{
    return (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') || (c >= 0x7F && c <= 0x9F);
}

QString ControlEscape(char16_t c, const char *form)
{
    return QString::asprintf(form, unsigned(c));
}

void Print(std::FILE *stream, const QString &line)
{
    const QByteArray bytes = TerminalSafe(line).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

QString OneLine(const QString &message)
{
    QStringList lines = message.split(QLatin1Char('\n'));
    for (QString &line : lines)
        line = line.trimmed();
    lines.removeAll(QString());
    return lines.join(QLatin1Char(' '));
}

// Raised by the parser after it has shown a command's help.
struct THelpShown
{
};

// Parses a command's arguments: options as declared on parser, positional arguments
// counted against minCount and maxCount.
void ParseArguments(QCommandLineParser &parser, const QString &command, const QStringList &args,
                    const QString &help, int minCount, int maxCount)
{
    const QCommandLineOption helpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    parser.addOption(helpOption);
    const QString seeHelp = QStringLiteral(" (%1 %2 --help)").arg(Program, command);
    if (!parser.parse(QStringList{Program} + args)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty())
            throw EUsageError(QStringLiteral("不明なオプションです: ") + unknown.first() + seeHelp);
        throw EUsageError(QStringLiteral("オプションが正しくありません: ") + parser.errorText() + seeHelp);
    }
    if (parser.isSet(helpOption)) {
        PrintOut(help);
        throw THelpShown();
    }
    const qsizetype count = parser.positionalArguments().size();
    if (count < minCount || count > maxCount)
        throw EUsageError(QStringLiteral("引数の数が正しくありません。") + seeHelp);
}

QString RequiredValue(const QCommandLineParser &parser, const QString &option, const QString &command)
{
    if (!parser.isSet(option))
        throw EUsageError(QStringLiteral("--%1 を指定してください。 (%2 %3 --help)")
                              .arg(option, Program, command));
    return parser.value(option);
}

// "NAME=VALUE" split at the first "=".
QPair<QString, QString> SplitAssignment(const QString &text, const QString &option)
{
    const qsizetype equals = text.indexOf(QLatin1Char('='));
    if (equals <= 0)
        throw EUsageError(QStringLiteral("--%1 は 名前=値 の形で指定してください: %2").arg(option, text));
    return {text.left(equals), text.mid(equals + 1)};
}

int Finish(bool ok, bool cancelled)
{
    if (cancelled) {
        PrintErr(QStringLiteral("キャンセルしました。取得した内容は保存しました。"));
        return ExitCancelled;
    }
    return ok ? ExitOk : ExitFailed;
}

// Runs a download job and saves the project whatever the job's end, as the window
// program keeps what was stored in the working copy.
int RunJobAndSave(TCliProject &project, const std::function<bool(TConsoleHost &)> &job)
{
    TAppConfig::GetInstance().Load(TAppConfig::GetIniFileName());
    TConsoleHost host;
    bool ok = false;
    try {
        ok = job(host);
    } catch (const EVarnokiError &error) {
        PrintErr(OneLine(error.Message()));
    }
    const bool cancelled = host.IsCancelled();
    project.Save();
    return Finish(ok, cancelled);
}

// A page for "try": fetched as the entry download fetches, or read from a file.
QString TryPage(const QString &source, TCodePageId codePage, const TFetchControl &control, QString *problem)
{
    if (source.startsWith(QLatin1String("http://")) || source.startsWith(QLatin1String("https://"))) {
        TFetchOutcome outcome;
        const QString page = FetchPageDirect(source, codePage, control, &outcome);
        *problem = outcome.Problem();
        return page;
    }
    QFile file(source);
    if (!file.open(QIODevice::ReadOnly) || file.size() > 64 * 1024 * 1024)
        throw EUsageError(QStringLiteral("ページのファイルを読めません: ") + QDir::toNativeSeparators(source));
    return DecodePage(file.readAll(), codePage);
}

int CommandTry(const QStringList &args)
{
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("blog-type"), QString(), QStringLiteral("NAME")});
    parser.addOption({QStringLiteral("walk"), QString(), QStringLiteral("N"), QStringLiteral("0")});
    parser.addOption({QStringLiteral("encode"), QString(), QStringLiteral("NAME")});
    ParseArguments(parser, QStringLiteral("try"), args,
                   QStringLiteral("使い方 / Usage: varnoki-cli try --blog-type NAME URL|FILE [--walk N] [--encode NAME]\n"
                                  "ブログの種類のスクリプトの各関数がそのページについて返す値と、かかった時間を表示します。\n"
                                  "GetDate は、プログラムが読み取った日時も示します。スクリプトのエラーは行と列つきで示します。\n"
                                  "--walk N: そこから古いほうへ N 件のエントリーをたどり、1件ごとに表示します。\n"
                                  "--encode: ブログの種類の文字コードの代わりに使う文字コード。\n"
                                  "Shows what each function of the blog type's script returns for the page, and how long\n"
                                  "it took; --walk N follows N older entries; --encode overrides the character set."),
                   1, 1);
    const TBlogConfig blogConfig = FindBlogConfig(RequiredValue(parser, QStringLiteral("blog-type"), QStringLiteral("try")));
    bool validWalk = false;
    const int walk = parser.value(QStringLiteral("walk")).toInt(&validWalk);
    if (!validWalk || walk < 0)
        throw EUsageError(QStringLiteral("--walk には 0 以上の数を指定してください: ") + parser.value(QStringLiteral("walk")));
    const QString encode = parser.isSet(QStringLiteral("encode")) ? parser.value(QStringLiteral("encode"))
                                                                  : blogConfig.GetEncode();
    const TCodePageId codePage = TCodePage::GetInstance()->GetCodePage(encode);
    TAppConfig::GetInstance().Load(TAppConfig::GetIniFileName());
    TConsoleHost host;
    const TFetchControl control = MakeFetchControl(host);
    TEntryParser entryParser;
    entryParser.Initialize(blogConfig);
    TCategoryParser categoryParser;
    categoryParser.Initialize(blogConfig);
    if (!entryParser.GetLoadWarning().isEmpty())
        PrintOut(QStringLiteral("Warning: ") + entryParser.GetLoadWarning());

    bool failed = false;
    QElapsedTimer clock;
    // Runs one function, prints its line and returns its result.
    auto call = [&](const QString &name, const std::function<QString()> &function, const QString &indent) {
        clock.start();
        QString result;
        QString error;
        try {
            result = function();
        } catch (const EVarnokiError &e) {
            error = e.Message();
        }
        const QString took = QStringLiteral(" (%1 ms)").arg(double(clock.nsecsElapsed()) / 1e6, 0, 'f', 1);
        if (!error.isEmpty()) {
            failed = true;
            PrintOut(indent + name + QStringLiteral(": エラー ") + error + took);
            return QString();
        }
        QString line = indent + name + QStringLiteral(": ") + EscapeField(result);
        if (name == QLatin1String("GetDate")) {
            const std::optional<TDateTime> date = ParseDateText(result);
            line += date ? QStringLiteral(" → ") + DateTimeToQDateTime(*date).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                         : QStringLiteral(" → 日付として読めません");
        }
        PrintOut(line + took);
        return result;
    };
    auto entryLines = [&](const QString &page, const QString &indent) {
        call(QStringLiteral("GetDate"), [&] { return entryParser.GetDate(page); }, indent);
        call(QStringLiteral("GetTitle"), [&] { return entryParser.GetTitle(page); }, indent);
        return call(QStringLiteral("GetNextUrl"), [&] { return entryParser.GetNextUrl(page); }, indent);
    };

    const QString source = parser.positionalArguments().at(0);
    QString problem;
    const QString page = TryPage(source, codePage, control, &problem);
    PrintOut(QStringLiteral("ページ: %1 (%2 文字)").arg(source).arg(page.size()));
    if (!problem.isEmpty()) {
        PrintOut(problem);
        failed = true;
    }
    const QString newest = call(QStringLiteral("GetRecentEntry"), [&] { return entryParser.GetRecentEntry(page); }, QString());
    QString next = entryLines(page, QString());
    call(QStringLiteral("GetEntryUrl"), [&]() -> QString {
        const QStringList urls = categoryParser.GetEntryUrl(page);
        if (categoryParser.HasError())
            throw EVarnokiError(categoryParser.GetErrorMessage());
        return QStringLiteral("%1 件").arg(urls.size()) + (urls.isEmpty() ? QString() : QStringLiteral(" ") + urls.join(QLatin1Char(' ')));
    }, QString());
    call(QStringLiteral("GetNextCategoryUrl"), [&]() -> QString {
        const QString url = categoryParser.GetNextCategoryUrl(page);
        if (categoryParser.HasError())
            throw EVarnokiError(categoryParser.GetErrorMessage());
        return url;
    }, QString());

    // From a top page the walk starts at the newest entry, from an entry page at the older one.
    if (next.isEmpty())
        next = newest;
    for (int step = 1; step <= walk && !next.isEmpty() && !host.IsCancelled(); ++step) {
        const QString url = next;
        const QString older = TryPage(url, codePage, control, &problem);
        PrintOut(QStringLiteral("[%1] %2").arg(step).arg(url));
        if (!problem.isEmpty()) {
            PrintOut(QStringLiteral("  ") + problem);
            failed = true;
            break;
        }
        next = entryLines(older, QStringLiteral("  "));
    }
    return failed ? ExitFailed : ExitOk;
}

int CommandRecover(const QStringList &args)
{
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("discard"), QString()});
    ParseArguments(parser, QStringLiteral("recover"), args,
                   QStringLiteral("使い方 / Usage: varnoki-cli recover [PROJECT] [--discard]\n"
                                  "保存されずに終わった作業内容 (異常終了やシグナルで終わったときのもの) を一覧します。\n"
                                  "PROJECT を指定すると、そのプロジェクトの最新の作業内容で PROJECT を保存し直します。\n"
                                  "--discard: PROJECT の作業内容を復元せずに削除します。\n"
                                  "Lists unsaved work left by runs that ended without saving; with PROJECT, saves its\n"
                                  "newest unsaved work into PROJECT (--discard removes it instead)."),
                   0, 1);
    const QList<TUnsavedWork> found = FindUnsavedWork();
    if (parser.positionalArguments().isEmpty()) {
        for (const TUnsavedWork &work : found)
            PrintOut(EscapeField(work.WorkFileName) + QLatin1Char('\t')
                     + work.LastChange.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QLatin1Char('\t')
                     + EscapeField(work.ProjectFileName));
        return ExitOk;
    }
    const QString fileName = AbsolutePath(parser.positionalArguments().at(0));
    const auto work = std::find_if(found.cbegin(), found.cend(), [&fileName](const TUnsavedWork &work) {
        return work.ProjectFileName == fileName;
    });
    if (work == found.cend())
        throw EUsageError(QStringLiteral("このプロジェクトの保存されていない作業内容はありません: ")
                          + QDir::toNativeSeparators(fileName));
    if (parser.isSet(QStringLiteral("discard"))) {
        DiscardUnsavedWork(*work);
        return ExitOk;
    }
    TCliProject project;
    project.Restore(*work);
    project.Save();
    return ExitOk;
}

int CommandBlogTypes(const QStringList &args)
{
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("verbose"), QString()});
    ParseArguments(parser, QStringLiteral("blog-types"), args,
                   QStringLiteral("使い方 / Usage: varnoki-cli blog-types [--verbose]\n"
                                  "インストールされているブログの種類を1行に1つ、名前<TAB>説明の形で表示します。\n"
                                  "--verbose: 3列目に読み込んだフォルダーを加えます (自分のフォルダー %1 が先です)。\n"
                                  "Lists the installed blog types: name, TAB, description; --verbose adds the folder\n"
                                  "each comes from (the user's own folder first).")
                       .arg(QDir::toNativeSeparators(GetUserBlogDir())),
                   0, 0);
    const bool verbose = parser.isSet(QStringLiteral("verbose"));
    TBlogConfigManager manager;
    manager.Load();
    for (const QString &warning : manager.GetWarnings())
        PrintErr(warning);
    for (const TBlogConfig &config : manager.GetBlogConfigs()) {
        QString line = EscapeField(config.GetName()) + QLatin1Char('\t') + EscapeField(config.GetSimpleText());
        if (verbose)
            line += QLatin1Char('\t') + EscapeField(QDir::toNativeSeparators(config.GetDirectory()));
        PrintOut(line);
    }
    return ExitOk;
}

int CommandTemplates(const QStringList &args)
{
    QCommandLineParser parser;
    ParseArguments(parser, QStringLiteral("templates"), args,
                   QStringLiteral("使い方 / Usage: varnoki-cli templates\n"
                                  "インストールされているHTMLテンプレートを1行に1つ、名前<TAB>設定項目(\",\"区切り)の形で表示します。\n"
                                  "Lists the installed templates: name, TAB, configuration items joined by \",\"."),
                   0, 0);
    TTemplateManager manager;
    manager.Load();
    for (const THtmlTemplate &htmlTemplate : manager.GetTemplates())
        PrintOut(EscapeField(htmlTemplate.GetName()) + QLatin1Char('\t')
                 + EscapeField(htmlTemplate.GetConfigNames().join(QLatin1Char(','))));
    return ExitOk;
}

int CommandNew(const QStringList &args)
{
    const QString command = QStringLiteral("new");
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("blog-type"), QString(), QStringLiteral("NAME")});
    parser.addOption({QStringLiteral("url"), QString(), QStringLiteral("URL")});
    parser.addOption({QStringLiteral("template"), QString(), QStringLiteral("NAME")});
    ParseArguments(parser, command, args,
                   QStringLiteral("使い方 / Usage: varnoki-cli new PROJECT --blog-type NAME --url URL [--template NAME]\n"
                                  "新しいプロジェクトファイル PROJECT を作成します。既にあるファイルは上書きしません。\n"
                                  "--template を省略すると最初のHTMLテンプレートを使います。設定項目の値は空で始まります。\n"
                                  "Creates a new project file (never over an existing file). Without --template the\n"
                                  "first installed template is taken; its items start with empty values."),
                   1, 1);
    const QString fileName = AbsolutePath(parser.positionalArguments().at(0));
    const TBlogConfig blogConfig = FindBlogConfig(RequiredValue(parser, QStringLiteral("blog-type"), command));
    const QString url = RequiredValue(parser, QStringLiteral("url"), command);
    THtmlTemplate htmlTemplate;
    if (parser.isSet(QStringLiteral("template"))) {
        htmlTemplate = FindTemplate(parser.value(QStringLiteral("template")));
    } else {
        TTemplateManager manager;
        manager.Load();
        if (!manager.GetTemplates().isEmpty())
            htmlTemplate = manager.GetTemplates().first();
    }
    if (QFileInfo::exists(fileName))
        throw EUsageError(QStringLiteral("ファイルが既にあります: ") + QDir::toNativeSeparators(fileName));

    TCliProject project;
    project.CreateNew();
    TProject &model = project.Project();
    model.SetBlogTypeName(blogConfig.GetName());
    model.SetEntryUrl(url);
    model.SetHtmlTemplateName(htmlTemplate.GetName());
    model.SetHtmlValues(EmptyTemplateValues(htmlTemplate));
    project.Save(fileName);
    return ExitOk;
}

int CommandSet(const QStringList &args)
{
    const QString command = QStringLiteral("set");
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("blog-type"), QString(), QStringLiteral("NAME")});
    parser.addOption({QStringLiteral("url"), QString(), QStringLiteral("URL")});
    parser.addOption({QStringLiteral("template"), QString(), QStringLiteral("NAME")});
    parser.addOption({QStringLiteral("clear-categories"), QString()});
    parser.addOption({QStringLiteral("category"), QString(), QStringLiteral("NAME=URL")});
    parser.addOption({QStringLiteral("value"), QString(), QStringLiteral("KEY=VALUE")});
    ParseArguments(parser, command, args,
                   QStringLiteral("使い方 / Usage: varnoki-cli set PROJECT [--blog-type NAME] [--url URL] [--template NAME]\n"
                                  "                         [--clear-categories] [--category NAME=URL]... [--value KEY=VALUE]...\n"
                                  "プロジェクトの設定を変更して保存します。--clear-categories はカテゴリーを空にしてから\n"
                                  "--category を順に追加します。テンプレートを変えると設定項目の値は空に戻ります。\n"
                                  "--value はテンプレートの設定項目に値を設定します。NAME=URL、KEY=VALUE は最初の \"=\" で分けます。\n"
                                  "Changes the project's settings and saves it. Categories are appended after an optional\n"
                                  "--clear-categories; a new template starts with empty values; --value sets an item of\n"
                                  "the project's template. NAME=URL and KEY=VALUE are split at the first \"=\"."),
                   1, 1);

    TCliProject project;
    project.Open(parser.positionalArguments().at(0));
    TProject &model = project.Project();

    // A bad argument throws before the save, so the file keeps what it held.
    if (parser.isSet(QStringLiteral("blog-type")))
        model.SetBlogTypeName(FindBlogConfig(parser.value(QStringLiteral("blog-type"))).GetName());
    if (parser.isSet(QStringLiteral("url")))
        model.SetEntryUrl(parser.value(QStringLiteral("url")));
    if (parser.isSet(QStringLiteral("template"))) {
        const THtmlTemplate htmlTemplate = FindTemplate(parser.value(QStringLiteral("template")));
        if (htmlTemplate.GetName() != model.GetHtmlTemplateName()) {
            model.SetHtmlTemplateName(htmlTemplate.GetName());
            model.SetHtmlValues(EmptyTemplateValues(htmlTemplate));
        }
    }

    QList<QPair<QString, QString>> categories;
    for (const QString &text : parser.values(QStringLiteral("category"))) {
        const auto category = SplitAssignment(text, QStringLiteral("category"));
        // A category without a URL would not come back when the project is opened.
        if (category.second.isEmpty())
            throw EUsageError(QStringLiteral("カテゴリーのURLがありません: ") + text);
        categories.append(category);
    }
    if (parser.isSet(QStringLiteral("clear-categories")))
        model.ClearCategories();
    for (const auto &category : categories)
        model.AddCategory(category.first, category.second);

    const QStringList valueTexts = parser.values(QStringLiteral("value"));
    if (!valueTexts.isEmpty()) {
        const THtmlTemplate htmlTemplate = FindTemplate(model.GetHtmlTemplateName());
        THtmlValues values = model.GetHtmlValues();
        for (const QString &text : valueTexts) {
            const auto value = SplitAssignment(text, QStringLiteral("value"));
            const QStringList &names = htmlTemplate.GetConfigNames();
            const auto name = std::find_if(names.cbegin(), names.cend(), [&value](const QString &name) {
                return name.compare(value.first, Qt::CaseInsensitive) == 0;
            });
            if (name == names.cend())
                throw EUsageError(QStringLiteral("HTMLテンプレート「%1」にない設定項目です: %2")
                                      .arg(htmlTemplate.GetName(), value.first));
            values.insert(*name, value.second);
        }
        model.SetHtmlValues(values);
    }

    project.Save();
    return ExitOk;
}

int CommandShow(const QStringList &args)
{
    QCommandLineParser parser;
    ParseArguments(parser, QStringLiteral("show"), args,
                   QStringLiteral("使い方 / Usage: varnoki-cli show PROJECT\n"
                                  "プロジェクトの設定を1行に1つ、タブ区切りで表示します:\n"
                                  "  blog-type<TAB>名前、url<TAB>URL、template<TAB>名前、\n"
                                  "  category<TAB>名前<TAB>URL (カテゴリーごと)、value<TAB>項目<TAB>値 (設定項目ごと)\n"
                                  "Shows the settings, one per line, tab-separated as above."),
                   1, 1);
    TCliProject project;
    project.Open(parser.positionalArguments().at(0), false);
    const TProject &model = project.Project();
    auto line = [](const QStringList &fields) {
        QStringList escaped;
        for (const QString &field : fields)
            escaped.append(EscapeField(field));
        PrintOut(escaped.join(QLatin1Char('\t')));
    };
    line({QStringLiteral("blog-type"), model.GetBlogTypeName()});
    line({QStringLiteral("url"), model.GetEntryUrl()});
    line({QStringLiteral("template"), model.GetHtmlTemplateName()});
    for (int i = 0; i < model.GetCategoryCount(); ++i) {
        const TCategoryData category = model.GetCategory(i);
        line({QStringLiteral("category"), category.GetName(), category.GetUrl()});
    }
    const THtmlValues values = model.GetHtmlValues();
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        line({QStringLiteral("value"), it.key(), it.value()});
    return ExitOk;
}

int CommandEntries(const QStringList &args)
{
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("latest-only"), QString()});
    ParseArguments(parser, QStringLiteral("entries"), args,
                   QStringLiteral("使い方 / Usage: varnoki-cli entries PROJECT [--latest-only]\n"
                                  "ブログにアクセスしてエントリーのURLとタイトルを取得し、プロジェクトを保存します。\n"
                                  "--latest-only: 最新記事のみ (保存済みのエントリーに出会ったところで止めます)。\n"
                                  "Ctrl+C でキャンセルすると、それまでに取得した内容を保存して終わります。\n"
                                  "Downloads the blog's entries and saves the project; --latest-only stops at the first\n"
                                  "known entry. Ctrl+C cancels and saves what was downloaded."),
                   1, 1);
    TCliProject project;
    project.Open(parser.positionalArguments().at(0));
    const TBlogConfig blogConfig = FindBlogConfig(project.Project().GetBlogTypeName());
    const bool latestOnly = parser.isSet(QStringLiteral("latest-only"));
    return RunJobAndSave(project, [&](TConsoleHost &host) {
        TEntryDownloadJob job(project.Db(), blogConfig, project.Project().GetEntryUrl(), latestOnly, host);
        return job.RunDownload();
    });
}

int CommandCategories(const QStringList &args)
{
    QCommandLineParser parser;
    ParseArguments(parser, QStringLiteral("categories"), args,
                   QStringLiteral("使い方 / Usage: varnoki-cli categories PROJECT\n"
                                  "ブログにアクセスして各カテゴリーのエントリーを取得し、プロジェクトを保存します。\n"
                                  "Ctrl+C でキャンセルすると、それまでに取得した内容を保存して終わります。\n"
                                  "Downloads which entries belong to each category and saves the project.\n"
                                  "Ctrl+C cancels and saves what was downloaded."),
                   1, 1);
    TCliProject project;
    project.Open(parser.positionalArguments().at(0));
    const TProject &model = project.Project();
    const TBlogConfig blogConfig = FindBlogConfig(model.GetBlogTypeName());
    QList<TCategoryData> categories;
    for (int i = 0; i < model.GetCategoryCount(); ++i)
        categories.append(model.GetCategory(i));
    return RunJobAndSave(project, [&](TConsoleHost &host) {
        TCategoryDownloadJob job(project.Db(), blogConfig, categories, host);
        return job.RunDownload();
    });
}

int CommandList(const QStringList &args)
{
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("format"), QString(), QStringLiteral("tsv|json"), QStringLiteral("tsv")});
    ParseArguments(parser, QStringLiteral("list"), args,
                   QStringLiteral("使い方 / Usage: varnoki-cli list PROJECT [--format tsv|json]\n"
                                  "エントリーを読み込み順に表示します: id、url、date (yyyy-mm-dd hh:mm:ss)、title、\n"
                                  "categories (\",\"区切り)、comment。\n"
                                  "tsv (既定): 1行に1エントリー、タブ区切り。タブ、改行、\\ は \\t、\\n、\\r、\\\\ と書きます。\n"
                                  "json: 上の名前をキーとするオブジェクトの配列。\n"
                                  "Lists the entries in load order. tsv (default): one line per entry, tabs between\n"
                                  "fields, tab, line breaks and backslash escaped. json: an array of objects."),
                   1, 1);
    const QString format = parser.value(QStringLiteral("format"));
    if (format != QLatin1String("tsv") && format != QLatin1String("json"))
        throw EUsageError(QStringLiteral("--format には tsv か json を指定してください: ") + format);

    TCliProject project;
    project.Open(parser.positionalArguments().at(0), false);
    const TEntryList entries = project.Db().LoadEntries();
    const TCategoryMap categories = project.Db().LoadCategories();
    auto dateText = [](const TEntry &entry) {
        return DateTimeToQDateTime(entry.GetCreatedOn()).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    };

    if (format == QLatin1String("json")) {
        QJsonArray array;
        for (const TEntry &entry : entries) {
            array.append(QJsonObject{
                {QStringLiteral("id"), entry.GetId()},
                {QStringLiteral("url"), entry.GetUrl()},
                {QStringLiteral("date"), dateText(entry)},
                {QStringLiteral("title"), entry.GetTitle()},
                {QStringLiteral("categories"), CategoryCommaText(entry, categories)},
                {QStringLiteral("comment"), entry.GetComment()},
            });
        }
        // JSON escapes C0 controls itself; DEL and C1 may stand raw, so escape them too.
        QString jsonText = QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented));
        QString safe;
        safe.reserve(jsonText.size());
        for (const QChar c : jsonText)
            safe += IsTerminalControl(c.unicode()) ? ControlEscape(c.unicode(), "\\u%04x") : QString(c);
        const QByteArray json = safe.toUtf8();
        std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
        std::fflush(stdout);
        return ExitOk;
    }

    for (const TEntry &entry : entries) {
        const QStringList fields = {QString::number(entry.GetId()), entry.GetUrl(), dateText(entry),
                                    entry.GetTitle(), CategoryCommaText(entry, categories),
                                    entry.GetComment()};
        QStringList escaped;
        for (const QString &field : fields)
            escaped.append(EscapeField(field));
        const QByteArray line = escaped.join(QLatin1Char('\t')).toUtf8() + '\n';
        std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    }
    std::fflush(stdout);
    return ExitOk;
}

int CommandComment(const QStringList &args)
{
    QCommandLineParser parser;
    ParseArguments(parser, QStringLiteral("comment"), args,
                   QStringLiteral("使い方 / Usage: varnoki-cli comment PROJECT URL TEXT\n"
                                  "URL のエントリーのコメントを TEXT にして、プロジェクトを保存します。\n"
                                  "空の TEXT はコメントを消します。\n"
                                  "Sets the comment of the entry with that URL and saves the project; an empty TEXT\n"
                                  "removes the comment."),
                   3, 3);
    const QStringList positional = parser.positionalArguments();
    TCliProject project;
    project.Open(positional.at(0));
    TEntryList entries = project.Db().LoadEntries();
    const auto entry = std::find_if(entries.begin(), entries.end(), [&positional](const TEntry &entry) {
        return entry.GetUrl() == positional.at(1);
    });
    if (entry == entries.end())
        throw EUsageError(QStringLiteral("このURLのエントリーはプロジェクトにありません: ") + positional.at(1));
    entry->SetComment(positional.at(2));
    project.Db().SaveComment(*entry);
    project.Save();
    return ExitOk;
}

int CommandMake(const QStringList &args)
{
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("wait"), QString()});
    parser.addOption({QStringLiteral("timeout"), QString(), QStringLiteral("SECONDS"), QStringLiteral("300")});
    ParseArguments(parser, QStringLiteral("make"), args,
                   QStringLiteral("使い方 / Usage: varnoki-cli make PROJECT HTMLFILE [--wait [--timeout SECONDS]]\n"
                                  "プロジェクトのHTMLテンプレートのプログラムで HTMLFILE を作成します。\n"
                                  "--wait: プログラムの終了を待ち、その終了コードを返します。--timeout 秒 (既定 300) を\n"
                                  "過ぎるか Ctrl+C で、プログラムを終了させます。\n"
                                  "Exports the project and starts its template's program to write HTMLFILE; with\n"
                                  "--wait, waits for it (at most --timeout seconds, default 300; Ctrl+C ends it) and\n"
                                  "exits with its exit status."),
                   2, 2);
    bool validTimeout = false;
    const int timeout = parser.value(QStringLiteral("timeout")).toInt(&validTimeout);
    if (!validTimeout || timeout <= 0 || timeout > 24 * 3600)
        throw EUsageError(QStringLiteral("--timeout には 1 以上の秒数を指定してください: ")
                          + parser.value(QStringLiteral("timeout")));
    const QStringList positional = parser.positionalArguments();
    TCliProject project;
    project.Open(positional.at(0), false);
    const TProject &model = project.Project();
    const THtmlTemplate htmlTemplate = FindTemplate(model.GetHtmlTemplateName());
    // The template's program runs in its own folder, so a relative path would land there.
    const QString htmlPath = AbsolutePath(positional.at(1));
    if (!QFileInfo(QFileInfo(htmlPath).absolutePath()).isDir())
        throw EUsageError(QStringLiteral("HTMLファイルのフォルダーがありません: ")
                          + QDir::toNativeSeparators(QFileInfo(htmlPath).absolutePath()));
    const QString emptyDb = GetDbDir() + QStringLiteral("html.mdb");
    const QStringList lines = TemplateConfigLines(htmlTemplate, model.GetHtmlValues());

    if (!parser.isSet(QStringLiteral("wait"))) {
        MakeHtmlDetached(project.Db(), emptyDb, lines, htmlTemplate, htmlPath);
        return ExitOk;
    }
    std::unique_ptr<TTemplateRun> run;
    try {
        run = MakeHtml(project.Db(), emptyDb, lines, htmlTemplate, htmlPath, true);
    } catch (const EVarnokiError &error) {
        PrintErr(OneLine(error.Message()));
        return ExitFailed;
    }
    TConsoleHost host;
    if (!run->Wait(timeout * 1000, [&host] { return host.IsCancelled(); })) {
        if (host.IsCancelled()) {
            PrintErr(QStringLiteral("キャンセルしました。テンプレートのプログラムを終了させました。"));
            return ExitCancelled;
        }
        PrintErr(QStringLiteral("テンプレートのプログラムが %1 秒以内に終わらなかったため終了させました: %2")
                     .arg(timeout)
                     .arg(QDir::toNativeSeparators(htmlTemplate.GetExePath())));
        return ExitFailed;
    }
    if (run->Succeeded())
        return ExitOk;
    PrintErr(OneLine(run->Failure()));
    return run->ExitCode() > 0 ? run->ExitCode() : ExitFailed;
}

struct TCommand
{
    QString name;
    std::function<int(const QStringList &)> run;
    bool cancellable = false; // Ctrl+C cancels a download or a wait instead of ending the program
};

const QList<TCommand> &Commands()
{
    static const QList<TCommand> commands = {
        {QStringLiteral("blog-types"), CommandBlogTypes},
        {QStringLiteral("templates"), CommandTemplates},
        {QStringLiteral("new"), CommandNew},
        {QStringLiteral("set"), CommandSet},
        {QStringLiteral("show"), CommandShow},
        {QStringLiteral("entries"), CommandEntries, true},
        {QStringLiteral("categories"), CommandCategories, true},
        {QStringLiteral("list"), CommandList},
        {QStringLiteral("comment"), CommandComment},
        {QStringLiteral("make"), CommandMake, true},
        {QStringLiteral("recover"), CommandRecover},
        {QStringLiteral("try"), CommandTry, true},
    };
    return commands;
}
} // namespace

void PrintOut(const QString &line)
{
    Print(stdout, line);
}

void PrintErr(const QString &line)
{
    Print(stderr, line);
}

QString EscapeField(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (QChar c : text) {
        switch (c.unicode()) {
        case u'\t': result += QLatin1String("\\t"); break;
        case u'\n': result += QLatin1String("\\n"); break;
        case u'\r': result += QLatin1String("\\r"); break;
        case u'\\': result += QLatin1String("\\\\"); break;
        default: result += IsTerminalControl(c.unicode()) ? ControlEscape(c.unicode(), "\\x%02X") : QString(c);
        }
    }
    return result;
}

QString TerminalSafe(const QString &text)
{
    if (std::none_of(text.cbegin(), text.cend(), [](QChar c) { return IsTerminalControl(c.unicode()); }))
        return text;
    QString result;
    result.reserve(text.size() + 8);
    for (const QChar c : text)
        result += IsTerminalControl(c.unicode()) ? ControlEscape(c.unicode(), "\\x%02X") : QString(c);
    return result;
}

int RunCli(const QStringList &arguments)
{
    if (arguments.isEmpty()) {
        PrintErr(QStringLiteral("コマンドを指定してください。 (%1 --help)").arg(Program));
        return ExitUsage;
    }
    const QString name = arguments.first();
    if (name == QLatin1String("--help") || name == QLatin1String("-h") || name == QLatin1String("help")) {
        PrintOut(MainUsage);
        return ExitOk;
    }
    if (name == QLatin1String("--version")) {
        PrintOut(Program + QLatin1Char(' ') + QStringLiteral(VARNOKI_VERSION));
        return ExitOk;
    }
    const QList<TCommand> &commands = Commands();
    const auto command = std::find_if(commands.cbegin(), commands.cend(),
                                      [&name](const TCommand &command) { return command.name == name; });
    try {
        if (command == commands.cend())
            throw EUsageError(QStringLiteral("不明なコマンドです: %1 (%2 --help)").arg(name, Program));
        if (!command->cancellable)
            ReleaseStopSignals();
        return command->run(arguments.mid(1));
    } catch (const THelpShown &) {
        return ExitOk;
    } catch (const EUsageError &error) {
        PrintErr(OneLine(error.Message()));
        return ExitUsage;
    } catch (const EVarnokiError &error) {
        PrintErr(OneLine(error.Message()));
        return ExitFailed;
    } catch (const std::exception &error) {
        PrintErr(OneLine(QString::fromLocal8Bit(error.what())));
        return ExitFailed;
    }
}
