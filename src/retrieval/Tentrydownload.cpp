#include "retrieval/Tentrydownload.h"

#include "blogtype/Tentryparser.h"
#include "retrieval/Tblogdetect.h"
#include "platform/Tappconfig.h"
#include "retrieval/Tdateparser.h"
#include "retrieval/Tdownloadhost.h"
#include "retrieval/Thttputility.h"
#include "retrieval/Tlistwalk.h"
#include "store/Tldbdb.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <optional>

namespace {
const QString KeptEarlierEntries =
    QStringLiteral("取得が最後まで終わらなかったため、以前のエントリー一覧を残し、"
                   "今回取得したエントリーをその前に加えました。");

// Whether a list's title and a page's name the same entry: the same but for white
// space, or one is the other with the blog's name before or after a separator.
bool SameTitle(const QString &one, const QString &other, const QString &siteName)
{
    const QString a = one.simplified();
    const QString b = other.simplified();
    if (a == b)
        return true;
    const QString site = siteName.simplified();
    const QString &shorter = a.size() < b.size() ? a : b;
    const QString &longer = a.size() < b.size() ? b : a;
    if (site.isEmpty() || shorter.isEmpty() || longer.size() <= shorter.size() + site.size())
        return false;
    static const QRegularExpression Separator(QStringLiteral("^ ?[-|:/~»«·•\\x{2013}\\x{2014}]{1,2} ?$"));
    const auto same = [](const QString &x, const QString &y) { return x.compare(y, Qt::CaseInsensitive) == 0; };
    const qsizetype rest = longer.size() - shorter.size() - site.size();
    return (longer.startsWith(shorter) && same(longer.right(site.size()), site)
            && Separator.match(longer.mid(shorter.size(), rest)).hasMatch())
           || (longer.endsWith(shorter) && same(longer.left(site.size()), site)
               && Separator.match(longer.mid(site.size(), rest)).hasMatch());
}

// The blog type of the last full download that replaced the list.
const QString LastBlogTypeKey = QStringLiteral("entry_blog_type");
} // namespace

QString TEntryDownloadJob::ShrinkQuestion(int found, int held, const QString &lastBlogType,
                                          const QString &blogType)
{
    if (held < 10 || found * 2 >= held)
        return QString();
    QString question = QStringLiteral("取得したエントリーは %1 件で、これまでの %2 件より少なくなります。").arg(found).arg(held);
    if (!lastBlogType.isEmpty() && lastBlogType != blogType)
        question += QStringLiteral("ブログの種類が前回の取得時の「%1」から「%2」に変わっています。").arg(lastBlogType, blogType);
    return question + QStringLiteral("一覧を置き換えますか？");
}

TEntryDownloadJob::TEntryDownloadJob(TLdbDb &db, const TBlogConfig &blogConfig,
                                     const QString &blogUrl, bool newEntryOnly,
                                     TDownloadHost &host)
    : FDb(db), FBlogConfig(blogConfig), FBlogUrl(blogUrl), FNewEntryOnly(newEntryOnly), FHost(host)
{
}

bool TEntryDownloadJob::RunDownload()
{
    const int sleepTime = TAppConfig::GetInstance().GetSleepTime();
    TFetchControl control = MakeFetchControl(FHost);
    // Every stored page is committed, so that a crash or kill loses at most the page in
    // flight; on a fast local blog, where a commit would cost as much as the page, at
    // most every CommitIntervalMs, and before the walk waits for the network.
    constexpr qint64 CommitIntervalMs = 20;
    QElapsedTimer sinceCommit;
    sinceCommit.start();
    bool uncommitted = false;
    auto commit = [&] {
        FDb.Commit();
        uncommitted = false;
        sinceCommit.restart();
    };
    control.Idle = [&] {
        if (uncommitted)
            commit();
    };
    QString currentUrl = FBlogUrl;
    // A line that says more about the error, such as the network error of the last
    // fetch, logged after its message.
    QString detail;
    auto wait = [&] {
        if (sleepTime > 0)
            FHost.Wait(sleepTime);
        FHost.ProcessMessages();
    };
    bool hadEntries = false;

    try {
        // Both modes collect the walk in tmp_entries, so that the entries known before
        // stay as they were until the walk has ended.
        FDb.DeleteEntries(true);
        hadEntries = FDb.GetMaxEntryId(false) > 0;

        TEntryParser parser;
        if (!QFileInfo(FBlogConfig.GetScriptPath()).isFile())
            throw EVarnokiError(QStringLiteral("ブログのスクリプトファイルが見つかりません。"));
        parser.Initialize(FBlogConfig);
        LogScriptLoadWarning(FHost, parser.GetLoadWarning());
        const TCodePageId codePage = TCodePage::GetInstance()->GetCodePage(FBlogConfig.GetEncode());

        try {
            FHost.ShowUrl(currentUrl);
            FHost.ProcessMessages();
            TFetchOutcome outcome;
            const QString top = FetchPageDirect(currentUrl, codePage, control, &outcome);
            if (!outcome.Problem().isEmpty()) {
                detail = outcome.Problem();
                throw EVarnokiError(QStringLiteral("最新エントリーのURLの取得に失敗しました。"));
            }
            // Kept for the pages that lead back to the blog.
            if (const QString name = parser.GetBlogName(top); !name.isEmpty())
                FDb.SetConfig(QStringLiteral("blog_name"), name);
            int entriesRead = 0;
            // One store for both sources, so that a listed entry is kept exactly as its
            // page would be.
            auto store = [&](const QString &url, const TParsedEntry &entry) {
                TDateTime date = 0;
                if (const auto parsed = ParseDateText(entry.date))
                    date = *parsed;
                else
                    FHost.AddLog(QStringLiteral("Error: ") + entry.date
                                 + QStringLiteral(" は日付ではありません。"));
                // An untitled entry is stored (services allow them), and the log says so.
                if (entry.title.trimmed().isEmpty())
                    FHost.AddLog(QStringLiteral("タイトルが見つかりません: ") + url);
                FDb.InsertEntry(url, entry.title, date, true);
                uncommitted = true;
                if (sinceCommit.elapsed() >= CommitIntervalMs)
                    commit();
                FHost.AddLog(QStringLiteral("OK: ") + url + QLatin1Char(' ') + entry.title);
                // How many the walk has read; how many it will read nobody knows.
                FHost.SetEntryProgress(++entriesRead, 0);
            };

            const TListOutcome listOutcome = ReadEntryList(parser, top, currentUrl, codePage, control, wait, store);
            if (listOutcome != TListOutcome::Read) {
                // The error lines of a top page without a newest entry name the top page.
                const QString recent = parser.GetRecentEntry(top);
                if (recent.isEmpty()) {
                    detail = WrongBlogTypeHint(top);
                    throw EVarnokiError(QStringLiteral("最新エントリーのURLの取得に失敗しました。"));
                }
                currentUrl = recent;
                FHost.AddLog(QStringLiteral("OK: ") + currentUrl
                             + QStringLiteral(" 最新エントリーのURLを取得しました。"));
                // A list that was fetched has waited after its page already.
                if (listOutcome == TListOutcome::NotOffered)
                    wait();

                // A blog whose older-entry links lead back to a page already seen would
                // otherwise be walked for ever.
                QSet<QString> visited;
                // The next page, asked for while this one is stored when no wait is set
                // between pages: the round trip then costs the walk nothing.
                std::optional<TDirectFetch> next;
                while (!currentUrl.isEmpty()) {
                    if (FHost.IsCancelled())
                        break;
                    if (visited.contains(currentUrl)) {
                        FHost.AddLog(QStringLiteral("同じページに戻ったため巡回を終えます: ") + currentUrl);
                        currentUrl.clear();
                        break;
                    }
                    visited.insert(currentUrl);

                    FHost.ShowUrl(currentUrl);
                    FHost.ProcessMessages();
                    TDirectFetch fetch = next ? std::move(*next) : TDirectFetch(currentUrl, control);
                    next.reset();
                    const QString page = DecodePage(fetch.Finish(&outcome), codePage);
                    FHost.ProcessMessages();
                    // A maintenance page or a cut-off page is not an entry.
                    if (!outcome.Problem().isEmpty())
                        throw EVarnokiError(outcome.Problem());
                    const TParsedEntry entry = parser.Parse(page);
                    if (entry.date.isEmpty() && entry.title.isEmpty())
                        throw EVarnokiError(QStringLiteral("ERROR: ") + currentUrl);

                    // The walk visits a URL once, so in full mode nothing it stores is known.
                    if (FNewEntryOnly && FDb.ExistsEntry(currentUrl)) {
                        currentUrl.clear();
                        break;
                    }
                    if (sleepTime <= 0 && !entry.nextUrl.isEmpty() && !visited.contains(entry.nextUrl))
                        next.emplace(entry.nextUrl, control);
                    store(currentUrl, entry);
                    currentUrl = entry.nextUrl;
                    wait();
                }
            }
        } catch (const EFetchCancelled &) {
            // Cancel during a fetch ends the walk as Cancel between pages does.
        }
        const bool walkComplete = currentUrl.isEmpty();

        if (FNewEntryOnly || !walkComplete) {
            FDb.MergeTmpEntries();
        } else {
            // A wrong blog type, or a blog that answered with a stub, reads a few entries
            // where the project holds many: replacing them takes the user's word.
            const int found = FDb.GetEntryCount(true);
            const int held = FDb.GetEntryCount(false);
            const QString question = ShrinkQuestion(found, held, FDb.GetConfig(LastBlogTypeKey), FBlogConfig.GetName());
            if (!question.isEmpty() && !FHost.ConfirmReplaceEntries(question)) {
                FDb.DeleteEntries(true);
                FDb.Commit();
                FHost.AddLog(QStringLiteral("取得したエントリーは %1 件で、これまでの %2 件より少ないため、"
                                            "以前のエントリー一覧をそのまま残しました。").arg(found).arg(held));
                return false;
            }
            FDb.ReplaceEntriesWithTmp();
        }
        FDb.SetConfig(LastBlogTypeKey, FBlogConfig.GetName());
        FDb.Commit();
        if (!FNewEntryOnly && !walkComplete && hadEntries)
            FHost.AddLog(KeptEarlierEntries);
        FHost.AddLog(QStringLiteral("終了しました。"));
        return true;
    } catch (const EVarnokiError &error) {
        FHost.AddLog(QStringLiteral("Error: ") + currentUrl);
        FHost.AddLog(error.Message());
        if (!detail.isEmpty())
            FHost.AddLog(detail);
    } catch (const std::exception &error) {
        FHost.AddLog(QStringLiteral("Error: ") + currentUrl);
        FHost.AddLog(QString::fromLocal8Bit(error.what()));
    }

    // A failed latest-only walk leaves its finds in tmp_entries for the next run to
    // discard: merged, they would leave a gap that later latest-only runs never fill.
    // A failed full walk keeps the earlier list with the new finds in front of it.
    if (!FNewEntryOnly) {
        try {
            FDb.MergeTmpEntries();
            FDb.Commit();
            if (hadEntries)
                FHost.AddLog(KeptEarlierEntries);
        } catch (const EVarnokiError &error) {
            FHost.AddLog(error.Message());
        }
    }
    return false;
}

TEntryDownloadJob::TListOutcome TEntryDownloadJob::ReadEntryList(
    TEntryParser &parser, const QString &top, QString &currentUrl, TCodePageId codePage,
    const TFetchControl &control, const std::function<void()> &wait,
    const std::function<void(const QString &, const TParsedEntry &)> &store)
{
    if (!parser.HasEntryList())
        return TListOutcome::NotOffered;
    auto fallBack = [&](const QString &why) {
        FHost.AddLog(QStringLiteral("エントリーの一覧を読めないため、エントリーのページを順にたどります（")
                     + why + QStringLiteral("）。"));
    };
    QString listUrl;
    try {
        listUrl = parser.GetEntryListUrl(top, FBlogUrl);
    } catch (const EVarnokiError &error) {
        fallBack(error.Message());
        return TListOutcome::NotOffered;
    }
    if (listUrl.isEmpty())
        return TListOutcome::NotOffered;
    FHost.AddLog(QStringLiteral("エントリーの一覧を ") + listUrl + QStringLiteral(" から読みます。"));
    // Where the page walk would start. A list that names its newest entry otherwise
    // names every entry otherwise, and a latest-only run would not know them.
    QString recent;
    try {
        recent = parser.GetRecentEntry(top);
    } catch (const EVarnokiError &) {
    }
    // The wait after the top page.
    wait();

    // An entry published during the walk moves older ones onto the next page, where
    // they show twice; a list that only repeats itself is an error (TListWalk).
    TListWalk walk;
    bool first = true;
    while (!listUrl.isEmpty()) {
        if (FHost.IsCancelled())
            return TListOutcome::Read;
        currentUrl = listUrl;
        walk.Visit(listUrl);
        FHost.ShowUrl(listUrl);
        FHost.ProcessMessages();
        TFetchOutcome outcome;
        const QString page = FetchPageDirect(listUrl, codePage, control, &outcome);
        FHost.ProcessMessages();
        wait();

        // Past its last page a service may answer with a client error whose body says
        // so (WordPress: 400); the blog type reads that body as a list without entries.
        const QString problem = outcome.Problem();
        const bool endAnswer = !first && outcome.NetworkError.isEmpty() && outcome.Status >= 400
                               && outcome.Status < 500;
        QList<TParsedEntry> entries;
        QString next;
        try {
            if (!problem.isEmpty() && !endAnswer)
                throw EVarnokiError(problem);
            entries = parser.GetEntryList(page, listUrl);
            if (!problem.isEmpty() && !entries.isEmpty())
                throw EVarnokiError(problem);
            if (first && entries.isEmpty())
                throw EVarnokiError(QStringLiteral("一覧にエントリーがありません"));
            if (!entries.isEmpty())
                next = parser.GetNextEntryListUrl(page, listUrl);
            if (first) {
                if (const QString why = CheckOrder(entries); !why.isEmpty())
                    throw EVarnokiError(why);
                if (const QString why = CheckAgainstPage(parser, entries.first(), recent, codePage, control, wait);
                    !why.isEmpty())
                    throw EVarnokiError(why);
            }
        } catch (const EVarnokiError &error) {
            if (!first)
                throw EVarnokiError(problem.isEmpty() ? error.Message() : problem);
            fallBack(error.Message());
            currentUrl = FBlogUrl;
            return TListOutcome::FellBack;
        }
        first = false;
        QStringList urls;
        for (const TParsedEntry &entry : entries)
            urls.append(entry.url);
        bool ended = false;
        const QStringList taken = walk.Take(urls, outcome, page, endAnswer, next, ended);
        QSet<QString> fresh(taken.cbegin(), taken.cend());
        for (const TParsedEntry &entry : entries) {
            if (!fresh.remove(entry.url))
                continue;
            if (FNewEntryOnly && FDb.ExistsEntry(entry.url)) {
                currentUrl.clear();
                return TListOutcome::Read;
            }
            store(entry.url, entry);
        }
        if (ended)
            break;
        listUrl = next;
    }
    if (const QString line = walk.TotalLine(); !line.isEmpty())
        FHost.AddLog(line);
    currentUrl.clear();
    return TListOutcome::Read;
}

QString TEntryDownloadJob::WrongBlogTypeHint(const QString &top) const
{
    // A blogger who picked the wrong type knows the service's name, not its markup.
    TBlogConfigManager manager;
    manager.Load();
    if (manager.GetBlogConfigs().isEmpty()) {
        // A blog type from a folder of its own: its neighbours are the ones to ask.
        manager = TBlogConfigManager(FBlogConfig.GetDirectory());
        manager.Load();
    }
    const QList<TBlogDetection> detections = DetectBlogTypes(manager.GetBlogConfigs(), top, FBlogUrl);
    const TBlogDetection *best = BestDetection(detections);
    if (!best || best->Config.GetName() == FBlogConfig.GetName())
        return QString();
    return QStringLiteral("このページは %1 のようです。ブログの種類を確かめてください。").arg(best->Config.GetName());
}

QString TEntryDownloadJob::CheckOrder(const QList<TParsedEntry> &entries)
{
    // The walk stores entries newest first, and a latest-only run stops at the first
    // known one: a list by the time of the last edit would do both wrong.
    std::optional<TDateTime> previous;
    for (const TParsedEntry &entry : entries) {
        const std::optional<TDateTime> date = ParseDateText(entry.date);
        if (!date)
            continue;
        if (previous && *date > *previous)
            return QStringLiteral("一覧が新しい順ではありません: ") + entry.url;
        previous = date;
    }
    return QString();
}

QString TEntryDownloadJob::CheckAgainstPage(TEntryParser &parser, const TParsedEntry &listed,
                                            const QString &recent, TCodePageId codePage,
                                            const TFetchControl &control, const std::function<void()> &wait)
{
    if (!recent.isEmpty() && recent != listed.url)
        return QStringLiteral("一覧のいちばん新しいエントリー %1 がトップページの %2 と違います").arg(listed.url, recent);
    // A list is read in place of the pages only while it says what they say: a plugin
    // that retitles posts, a feed in another time zone or a cut-off title would
    // otherwise change every row. One page tells, at the cost of one request.
    FHost.ShowUrl(listed.url);
    FHost.ProcessMessages();
    TFetchOutcome outcome;
    const QString page = FetchPageDirect(listed.url, codePage, control, &outcome);
    FHost.ProcessMessages();
    wait();
    if (!outcome.Problem().isEmpty())
        return listed.url + QLatin1Char(' ') + outcome.Problem();
    // Only a contradiction refuses the list: where the page is silent on a field, the
    // list's value stands for it.
    const TParsedEntry own = parser.Parse(page);
    const bool hasTitle = !own.title.trimmed().isEmpty();
    const std::optional<TDateTime> date = ParseDateText(own.date);
    if (hasTitle && !SameTitle(own.title, listed.title, FDb.GetConfig(QStringLiteral("blog_name"))))
        return QStringLiteral("一覧のタイトル「%1」がエントリーのページの「%2」と違います").arg(listed.title, own.title);
    if (date && date != ParseDateText(listed.date))
        return QStringLiteral("一覧の日付「%1」がエントリーのページの「%2」と違います").arg(listed.date, own.date);
    if (!hasTitle || !date) {
        QStringList agreed{QStringLiteral("URL")};
        QStringList silent;
        (hasTitle ? agreed : silent) << QStringLiteral("タイトル");
        (date ? agreed : silent) << QStringLiteral("日付");
        FHost.AddLog(QStringLiteral("エントリーのページ %1 に%2が見つからないため、一覧は%3が合うことで使います。")
                         .arg(listed.url, silent.join(QStringLiteral("と")), agreed.join(QStringLiteral("と"))));
    }
    return QString();
}
