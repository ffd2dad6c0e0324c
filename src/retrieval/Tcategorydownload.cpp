#include "retrieval/Tcategorydownload.h"

#include "blogtype/Tcategoryparser.h"
#include "platform/Tappconfig.h"
#include "retrieval/Tdownloadhost.h"
#include "retrieval/Thttputility.h"
#include "retrieval/Tlistwalk.h"
#include "store/Tldbdb.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <optional>

TCategoryDownloadJob::TCategoryDownloadJob(TLdbDb &db, const TBlogConfig &blogConfig,
                                           const QList<TCategoryData> &categories,
                                           TDownloadHost &host)
    : FDb(db), FBlogConfig(blogConfig), FCategories(categories), FHost(host)
{
}

bool TCategoryDownloadJob::RunDownload()
{
    const int count = int(FCategories.size());
    FHost.SetCategoryProgress(0, count);
    FHost.SetEntryProgress(0, 0);

    const TFetchControl control = MakeFetchControl(FHost);
    THttpClient client;
    client.SetProxy(control.ProxyServer, control.ProxyPort, control.SystemProxy);
    const int sleepTime = TAppConfig::GetInstance().GetSleepTime();
    QString currentUrl;

    // The category being walked, until all of its pages were read.
    int unfinished = -1;
    auto keptLine = [&] {
        if (unfinished >= 0 && FKeptRows.contains(unfinished + 1))
            FHost.AddLog(QStringLiteral("カテゴリ「") + FCategories[unfinished].GetName()
                         + QStringLiteral("」のリンクは以前のまま残しました。"));
    };

    try {
        if (count == 0)
            FHost.AddLog(QStringLiteral("カテゴリーがありません。「ブログから読み込む」でブログのカテゴリーを読み込めます。"));
        KeepEarlierLinks();

        const QString scriptPath = FBlogConfig.GetScriptPath();
        if (!QFileInfo(scriptPath).isFile())
            throw EVarnokiError(QStringLiteral("スクリプトファイルが見つかりません。\n") + scriptPath);
        TCategoryParser parser;
        parser.Initialize(FBlogConfig);
        LogScriptLoadWarning(FHost, parser.GetLoadWarning());

        try {
            for (int i = 0; i < count; ++i) {
                const TCategoryData &category = FCategories[i];
                FHost.SetCategoryProgress(i + 1, count);
                FHost.SetEntryProgress(0, 0);
                currentUrl = category.GetUrl();
                if (FHost.IsCancelled())
                    break;
                unfinished = i;
                if (!FKeptRows.contains(i + 1))
                    FDb.InsertCategory(i + 1, category.GetName(), currentUrl);

                // A category's links are replaced only once all of its pages were read.
                QStringList found;
                // Next-page links that lead back to a page of this category would
                // otherwise be followed for ever.
                QSet<QString> visited;
                while (!currentUrl.isEmpty()) {
                    if (visited.contains(currentUrl)) {
                        FHost.AddLog(QStringLiteral("同じページに戻ったため巡回を終えます: ")
                                     + currentUrl);
                        break;
                    }
                    visited.insert(currentUrl);
                    FHost.ShowUrl(currentUrl);
                    FHost.ProcessMessages();
                    const TCodePageId codePage =
                        TCodePage::GetInstance()->GetCodePage(FBlogConfig.GetEncode());
                    const QString page = FetchPage(client, currentUrl, codePage, control);
                    FHost.ProcessMessages();

                    const QStringList urls = parser.GetEntryUrl(page);
                    if (parser.HasError())
                        throw EVarnokiError(parser.GetErrorMessage());
                    if (visited.size() == 1 && parser.HasCategoryList()) {
                        if (const std::optional<QStringList> listed =
                                ReadCategoryList(parser, page, currentUrl, urls, codePage, control, category.GetName())) {
                            found = *listed;
                            currentUrl.clear();
                            break;
                        }
                    }
                    FHost.SetEntryProgress(0, int(urls.size()));
                    found += urls;
                    FHost.SetEntryProgress(int(urls.size()), int(urls.size()));
                    FHost.AddLog(QStringLiteral("OK: ") + currentUrl + QLatin1Char(' ')
                                 + category.GetName());
                    FHost.ProcessMessages();

                    currentUrl = parser.GetNextCategoryUrl(page);
                    if (parser.HasError())
                        throw EVarnokiError(parser.GetErrorMessage());
                }
                FDb.DeleteCategoryEntries(i + 1);
                if (!found.isEmpty())
                    FDb.InsertCategoryEntries(i + 1, found);
                FDb.Commit();
                unfinished = -1;
                found.removeDuplicates();
                FHost.AddLog(QStringLiteral("カテゴリ「%1」のエントリー: %2 件").arg(category.GetName()).arg(found.size()));
                if (sleepTime > 0)
                    FHost.Wait(sleepTime);
            }
        } catch (const EFetchCancelled &) {
            // Cancel during a fetch stops at once; the category keeps its earlier links.
            keptLine();
        }
        FHost.AddLog(QStringLiteral("終了しました。"));
        return true;
    } catch (const EVarnokiError &error) {
        FHost.AddLog(QStringLiteral("Error: ") + currentUrl);
        FHost.AddLog(error.Message());
    } catch (const std::exception &error) {
        FHost.AddLog(QStringLiteral("Error: ") + currentUrl);
        FHost.AddLog(QString::fromLocal8Bit(error.what()));
    }
    keptLine();
    return false;
}

void TCategoryDownloadJob::KeepEarlierLinks()
{
    // A category that had links under the same URL before (the list may have been
    // reordered since) gets its row and those links at once, so that it keeps them
    // when the walk does not finish it. The others get their rows as they are reached.
    const TCategoryMap earlierCategories = FDb.LoadCategories();
    const QMap<int, QStringList> earlierLinks = FDb.LoadCategoryEntries();
    QHash<QString, QStringList> linksByUrl;
    for (const TCategory &category : earlierCategories) {
        if (category.GetId() > 0 && !category.GetUrl().isEmpty()
            && !linksByUrl.contains(category.GetUrl()))
            linksByUrl.insert(category.GetUrl(), earlierLinks.value(category.GetId()));
    }
    QMap<int, QStringList> links;
    for (int i = 0; i < FCategories.size(); ++i) {
        const QStringList urls = linksByUrl.value(FCategories[i].GetUrl());
        if (!urls.isEmpty())
            links.insert(i + 1, urls);
    }

    FDb.DeleteCategories();
    FDb.InsertCategory(0, QStringLiteral(" "), QString());
    FKeptRows.clear();
    for (auto it = links.cbegin(); it != links.cend(); ++it) {
        FDb.InsertCategory(it.key(), FCategories[it.key() - 1].GetName(), FCategories[it.key() - 1].GetUrl());
        FKeptRows.insert(it.key());
    }
    // Rewritten only when the list moved them: a blog's links can run to tens of thousands.
    QMap<int, QStringList> stored = earlierLinks;
    stored.removeIf([](const auto &item) { return item.value().isEmpty(); });
    if (links != stored) {
        FDb.DeleteCategoryEntries();
        for (auto it = links.cbegin(); it != links.cend(); ++it)
            FDb.InsertCategoryEntries(it.key(), it.value());
    }
}

std::optional<QStringList> TCategoryDownloadJob::ReadCategoryList(
    TCategoryParser &parser, const QString &page, const QString &url, const QStringList &pageUrls,
    TCodePageId codePage, const TFetchControl &control, const QString &name)
{
    auto fallBack = [&](const QString &why) {
        FHost.AddLog(QStringLiteral("カテゴリの一覧を読めないため、カテゴリのページを順にたどります（") + why
                     + QStringLiteral("）。"));
    };
    QString listUrl;
    try {
        listUrl = parser.GetCategoryListUrl(page, url);
    } catch (const EVarnokiError &error) {
        fallBack(error.Message());
        return std::nullopt;
    }
    if (listUrl.isEmpty())
        return std::nullopt;
    FHost.AddLog(QStringLiteral("カテゴリ「") + name + QStringLiteral("」の一覧を ") + listUrl
                 + QStringLiteral(" から読みます。"));

    QStringList found;
    // As in the entry download: a list ends only where it says so (TListWalk).
    TListWalk walk;
    bool first = true;
    while (!listUrl.isEmpty()) {
        if (FHost.IsCancelled())
            throw EFetchCancelled();
        walk.Visit(listUrl);
        FHost.ShowUrl(listUrl);
        FHost.ProcessMessages();
        TFetchOutcome outcome;
        const QString listPage = FetchPageDirect(listUrl, codePage, control, &outcome);
        FHost.ProcessMessages();

        // As in the entry download: past its last page a service may answer with a
        // client error whose body says the list has ended.
        const QString problem = outcome.Problem();
        const bool endAnswer = !first && outcome.NetworkError.isEmpty() && outcome.Status >= 400
                               && outcome.Status < 500;
        QStringList urls;
        QString next;
        try {
            if (!problem.isEmpty() && !endAnswer)
                throw EVarnokiError(problem);
            urls = parser.GetEntryListUrls(listPage, listUrl);
            if (!problem.isEmpty() && !urls.isEmpty())
                throw EVarnokiError(problem);
            // The links are those of the category's pages only while the list starts
            // with the entries of its first page, in their order.
            if (first && urls.mid(0, pageUrls.size()) != pageUrls)
                throw EVarnokiError(QStringLiteral("一覧のエントリーがカテゴリのページのエントリーと違います"));
            if (!urls.isEmpty())
                next = parser.GetNextEntryListUrl(listPage, listUrl);
        } catch (const EVarnokiError &error) {
            if (!first)
                throw EVarnokiError(problem.isEmpty() ? error.Message() : problem);
            fallBack(error.Message());
            return std::nullopt;
        }
        first = false;
        bool ended = false;
        found += walk.Take(urls, outcome, listPage, endAnswer, next, ended);
        FHost.SetEntryProgress(int(found.size()), int(found.size()));
        FHost.AddLog(QStringLiteral("OK: ") + listUrl + QLatin1Char(' ') + name);
        if (ended)
            break;
        listUrl = next;
    }
    if (const QString line = walk.TotalLine(); !line.isEmpty())
        FHost.AddLog(QStringLiteral("カテゴリ「") + name + QStringLiteral("」: ") + line);
    return found;
}
