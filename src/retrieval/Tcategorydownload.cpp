#include "retrieval/Tcategorydownload.h"

#include "blogtype/Tcategoryparser.h"
#include "platform/Tappconfig.h"
#include "retrieval/Tdownloadhost.h"
#include "retrieval/Thttputility.h"
#include "store/Tldbdb.h"

#include <QFileInfo>
#include <QSet>

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

    const TAppConfig &config = TAppConfig::GetInstance();
    THttpClient client;
    if (config.GetUseProxy())
        client.SetProxy(config.GetProxyServer(), config.GetProxyPort());
    const int sleepTime = config.GetSleepTime();
    const TFetchControl control = MakeFetchControl(FHost);
    QString currentUrl;

    try {
        FDb.DeleteCategories();
        FDb.InsertCategory(0, QStringLiteral(" "), QString());
        FDb.DeleteCategoryEntries();

        const QString scriptPath = FBlogConfig.GetScriptPath();
        if (!QFileInfo(scriptPath).isFile())
            throw EVarnokiError(QStringLiteral("スクリプトファイルが見つかりません。\n") + scriptPath);
        TCategoryParser parser;
        parser.Initialize(FBlogConfig.GetLanguage(), ReadScriptFile(scriptPath));

        try {
            for (int i = 0; i < count; ++i) {
                const TCategoryData &category = FCategories[i];
                FHost.SetCategoryProgress(i + 1, count);
                FHost.SetEntryProgress(0, 0);
                currentUrl = category.GetUrl();
                if (FHost.IsCancelled())
                    break;
                FDb.InsertCategory(i + 1, category.GetName(), currentUrl);

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
                    FHost.SetEntryProgress(0, int(urls.size()));
                    if (!urls.isEmpty())
                        FDb.InsertCategoryEntries(i + 1, urls);
                    FHost.SetEntryProgress(int(urls.size()), int(urls.size()));
                    FHost.AddLog(QStringLiteral("OK: ") + currentUrl + QLatin1Char(' ')
                                 + category.GetName());
                    FHost.ProcessMessages();

                    currentUrl = parser.GetNextCategoryUrl(page);
                    if (parser.HasError())
                        throw EVarnokiError(parser.GetErrorMessage());
                }
                if (sleepTime > 0)
                    FHost.Wait(sleepTime);
            }
        } catch (const EFetchCancelled &) {
            // Cancel during a fetch stops at once; what was stored stays.
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
    return false;
}
