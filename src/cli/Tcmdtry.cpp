#include "cli/Tclicommands.h"

#include "blogtype/Tcategoryparser.h"
#include "blogtype/Tentryparser.h"
#include "cli/Tcliproject.h"
#include "cli/Tconsolehost.h"
#include "platform/Tappconfig.h"
#include "platform/Tdatetime.h"
#include "retrieval/Tcodepage.h"
#include "retrieval/Tdateparser.h"
#include "retrieval/Thttputility.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <functional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// A page for "try": fetched as the entry download fetches, or read from a file.
QString TryPage(const QString &source, TCodePageId codePage, const TFetchControl &control, QString *problem)
{
    if (source.startsWith(QLatin1String("http://")) || source.startsWith(QLatin1String("https://"))) {
        TFetchOutcome outcome;
        const QString page = FetchPageDirect(source, codePage, control, &outcome);
        *problem = outcome.Problem();
        return page;
    }
    // Opened without waiting (a named pipe would block the open), read only when it is a
    // plain file (a device or a pipe may never end), and only up to what a fetch takes.
    const QString shown = QDir::toNativeSeparators(source);
    const int fd = ::open(QFile::encodeName(source).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        throw EUsageError(QStringLiteral("ページのファイルを読めません: ") + shown);
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        throw EUsageError(QStringLiteral("ページのファイルがふつうのファイルではありません: ") + shown);
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw EUsageError(QStringLiteral("ページのファイルを読めません: ") + shown);
    }
    const QByteArray bytes = file.read(control.MaxBodyBytes + 1);
    if (file.error() != QFileDevice::NoError)
        throw EUsageError(QStringLiteral("ページのファイルを読めません: ") + shown);
    if (bytes.size() > control.MaxBodyBytes)
        throw EUsageError(QStringLiteral("ページのファイルが大きすぎます: ") + shown);
    return DecodePage(bytes, codePage);
}

// The character set a page names for itself: its byte order mark, else its <meta>
// (charset or http-equiv Content-Type). Empty when it names none.
QString OwnCharset(const QByteArray &head)
{
    if (head.startsWith("\xEF\xBB\xBF"))
        return QStringLiteral("UTF-8");
    if (head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF"))
        return QStringLiteral("UTF-16");
    static const QRegularExpression Meta(QStringLiteral("<meta[^>]*charset\\s*=\\s*[\"']?([A-Za-z0-9_:.-]+)"),
                                         QRegularExpression::CaseInsensitiveOption);
    return Meta.match(QString::fromLatin1(head.left(8192))).captured(1);
}

int CommandTry(TCliContext &context)
{
    const TBlogConfig blogConfig = FindBlogConfig(context.Value(QStringLiteral("blog-type")));
    auto count = [&](const QString &option) {
        bool valid = false;
        const int value = context.Value(option).toInt(&valid);
        if (!valid || value < 0)
            throw EUsageError(QStringLiteral("--%1 には 0 以上の数を指定してください: ").arg(option) + context.Value(option));
        return value;
    };
    const int walk = count(QStringLiteral("walk"));
    const int listPages = count(QStringLiteral("list"));
    const QString encode = context.IsSet(QStringLiteral("encode")) ? context.Value(QStringLiteral("encode"))
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
        if (name == QLatin1String("GetTitle") && result.trimmed().isEmpty())
            line += QStringLiteral(" → タイトルが見つかりません");
        PrintOut(line + took);
        return result;
    };
    auto entryLines = [&](const QString &page, const QString &indent) {
        call(QStringLiteral("GetDate"), [&] { return entryParser.GetDate(page); }, indent);
        call(QStringLiteral("GetTitle"), [&] { return entryParser.GetTitle(page); }, indent);
        return call(QStringLiteral("GetNextUrl"), [&] { return entryParser.GetNextUrl(page); }, indent);
    };

    const QString source = context.Arguments().at(0);
    QString problem;
    const QString page = TryPage(source, codePage, control, &problem);
    PrintOut(QStringLiteral("ページ: %1 (%2 文字)").arg(source).arg(page.size()));
    if (!problem.isEmpty()) {
        PrintOut(problem);
        failed = true;
    }
    // A page read in another character set than its own comes out garbled, silently.
    {
        QFile file(source);
        const QByteArray head = !source.contains(QLatin1String("://")) && file.open(QIODevice::ReadOnly)
                                    ? file.read(8192) : page.left(8192).toLatin1();
        const QString own = OwnCharset(head);
        const TCodePageId ownPage = TCodePage::GetInstance()->GetCodePage(own);
        if (!own.isEmpty() && ownPage != NoCodePage && ownPage != codePage
            && encode.compare(QLatin1String("JISAutoDetect"), Qt::CaseInsensitive) != 0)
            PrintOut(QStringLiteral("Warning: ページの文字コードは %1 ですが、%2 として読みました"
                                    "（ブログの種類の INI ファイルの encode、または --encode）。")
                         .arg(own, encode));
    }
    if (listPages > 0 && !entryParser.HasEntryList())
        PrintOut(QStringLiteral("Warning: このブログの種類にはエントリーの一覧を読む関数がないため、--list は使いません。"));

    // A list's answer, saved to a file (a feed, an API answer, a list page): read with
    // the blog type's list functions as if fetched from the URL given.
    auto listEntries = [&](const QString &listPage, const QString &listUrl) {
        QList<TParsedEntry> entries;
        call(QStringLiteral("GetEntryList"), [&]() -> QString {
            entries = entryParser.GetEntryList(listPage, listUrl);
            return QStringLiteral("%1 件").arg(entries.size());
        }, QStringLiteral("  "));
        for (const TParsedEntry &entry : entries) {
            const std::optional<TDateTime> date = ParseDateText(entry.date);
            PrintOut(QStringLiteral("    %1\t%2\t%3 → %4")
                         .arg(EscapeField(entry.url), EscapeField(entry.title), EscapeField(entry.date),
                              date ? DateTimeToQDateTime(*date).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                                   : QStringLiteral("日付として読めません")));
        }
        return entries.isEmpty() ? QString()
                                 : call(QStringLiteral("GetNextEntryListUrl"),
                                        [&] { return entryParser.GetNextEntryListUrl(listPage, listUrl); },
                                        QStringLiteral("  "));
    };
    if (context.IsSet(QStringLiteral("list-url"))) {
        if (!entryParser.HasEntryList())
            throw EUsageError(QStringLiteral("このブログの種類にはエントリーの一覧を読む関数がありません: ")
                              + blogConfig.GetName());
        const QString listUrl = context.Value(QStringLiteral("list-url"));
        PrintOut(QStringLiteral("[一覧] %1").arg(listUrl));
        listEntries(page, listUrl);
        return failed ? ExitFailed : ExitOk;
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

    // The entry list, from a top page, as the download reads it in place of the walk.
    if (entryParser.HasEntryList()) {
        const QString pageUrl = source.contains(QLatin1String("://")) ? source : QString();
        QString listUrl = call(QStringLiteral("GetEntryListUrl"), [&] { return entryParser.GetEntryListUrl(page, pageUrl); }, QString());
        QSet<QString> listed;
        for (int step = 1; step <= listPages && !listUrl.isEmpty() && !host.IsCancelled(); ++step) {
            if (listed.contains(listUrl)) {
                PrintOut(QStringLiteral("同じページに戻ったため巡回を終えます: ") + listUrl);
                break;
            }
            listed.insert(listUrl);
            const QString listPage = TryPage(listUrl, codePage, control, &problem);
            PrintOut(QStringLiteral("[一覧 %1] %2").arg(step).arg(listUrl));
            // A service may answer past its last page with a client error whose body says so.
            if (!problem.isEmpty())
                PrintOut(QStringLiteral("  ") + problem);
            listUrl = listEntries(listPage, listUrl);
        }
    }

    // From a top page the walk starts at the newest entry, as the download does; from an
    // entry page (whose newest entry is itself, or none) at the older one.
    if (!newest.isEmpty() && newest != source)
        next = newest;
    // Ends where the download would: back at a page it has read.
    QSet<QString> visited{source};
    int step = 1;
    for (; step <= walk && !next.isEmpty() && !host.IsCancelled(); ++step) {
        const QString url = next;
        if (visited.contains(url)) {
            PrintOut(QStringLiteral("同じページに戻ったため巡回を終えます: ") + url);
            break;
        }
        visited.insert(url);
        const QString older = TryPage(url, codePage, control, &problem);
        PrintOut(QStringLiteral("[%1] %2").arg(step).arg(url));
        if (!problem.isEmpty()) {
            PrintOut(QStringLiteral("  ") + problem);
            failed = true;
            break;
        }
        next = entryLines(older, QStringLiteral("  "));
    }
    // Where the download would end too: no older entry.
    if (walk > 0 && next.isEmpty() && !host.IsCancelled())
        PrintOut(QStringLiteral("古いエントリーがないため巡回を終えます（%1 件たどりました）。").arg(step - 1));
    return failed ? ExitFailed : ExitOk;
}
} // namespace

TCliCommand TryCommand()
{
    return {
        .Name = QStringLiteral("try"),
        .Description = QStringLiteral("ブログの種類のスクリプトがページから読む値を表示します"),
        .Arguments = {QStringLiteral("URL|FILE")},
        .Options = {
            {.Name = QStringLiteral("blog-type"), .ValueName = QStringLiteral("NAME"),
             .Help = QStringLiteral("使うブログの種類 (blog-types の名前)。\nThe blog type to use (a name that blog-types lists)."),
             .Required = true},
            {.Name = QStringLiteral("walk"), .ValueName = QStringLiteral("N"), .Default = QStringLiteral("0"),
             .Help = QStringLiteral("そこから古いほうへ N 件のエントリーをたどり、1件ごとに表示します。\nFollows N older entries.")},
            {.Name = QStringLiteral("list"), .ValueName = QStringLiteral("N"), .Default = QStringLiteral("0"),
             .Help = QStringLiteral("ブログの種類がエントリーの一覧を読むとき、その N ページを読み、1件ごとに表示します。\nReads N pages of the blog type's entry list.")},
            {.Name = QStringLiteral("list-url"), .ValueName = QStringLiteral("URL"),
             .Help = QStringLiteral("ファイルを、この URL から取得したエントリーの一覧（フィード・API の答え・一覧ページ）として、"
                                    "ブログの種類の一覧の関数で読みます。\nReads the file as the entry list answered at URL.")},
            {.Name = QStringLiteral("encode"), .ValueName = QStringLiteral("NAME"),
             .Help = QStringLiteral("ブログの種類の文字コードの代わりに使う文字コード。\nOverrides the character set.")},
        },
        .Help = QStringLiteral("ブログの種類のスクリプトの各関数がそのページについて返す値と、かかった時間を表示します。\n"
                               "GetDate は、プログラムが読み取った日時も示します。スクリプトのエラーは行と列つきで示します。\n"
                               "Shows what each function of the blog type's script returns for the page, and how long\n"
                               "it took."),
        .Cancellable = true,
        .Run = CommandTry,
    };
}
