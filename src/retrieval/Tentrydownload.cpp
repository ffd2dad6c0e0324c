#include "retrieval/Tentrydownload.h"

#include "blogtype/Tentryparser.h"
#include "platform/Tappconfig.h"
#include "retrieval/Tdateparser.h"
#include "retrieval/Tdownloadhost.h"
#include "retrieval/Thttputility.h"
#include "store/Tldbdb.h"

#include <QFileInfo>
#include <QSet>

TEntryDownloadJob::TEntryDownloadJob(TLdbDb &db, const TBlogConfig &blogConfig,
                                     const QString &blogUrl, bool newEntryOnly,
                                     TDownloadHost &host)
    : FDb(db), FBlogConfig(blogConfig), FBlogUrl(blogUrl), FNewEntryOnly(newEntryOnly), FHost(host)
{
}

bool TEntryDownloadJob::RunDownload()
{
    const int sleepTime = TAppConfig::GetInstance().GetSleepTime();
    const TFetchControl control = MakeFetchControl(FHost);
    QString currentUrl = FBlogUrl;
    // The network error of the last fetch, added to the error lines so that an
    // unreachable host is not reported only as a page the script could not read.
    QString networkError;
    auto wait = [&] {
        if (sleepTime > 0)
            FHost.Wait(sleepTime);
        FHost.ProcessMessages();
    };

    try {
        FDb.DeleteEntries(FNewEntryOnly);

        TEntryParser parser;
        if (!QFileInfo(FBlogConfig.GetScriptPath()).isFile())
            throw EVarnokiError(QStringLiteral("ブログのスクリプトファイルが見つかりません。"));
        parser.Initialize(FBlogConfig.GetLanguage(), ReadScriptFile(FBlogConfig.GetScriptPath()));
        const TCodePageId codePage = TCodePage::GetInstance()->GetCodePage(FBlogConfig.GetEncode());

        try {
            FHost.ShowUrl(currentUrl);
            FHost.ProcessMessages();
            const QString top = FetchPageDirect(currentUrl, codePage, control, &networkError);
            currentUrl = parser.GetRecentEntry(top);
            if (currentUrl.isEmpty())
                throw EVarnokiError(QStringLiteral("最新エントリーのURLの取得に失敗しました。"));
            networkError.clear();
            FHost.AddLog(QStringLiteral("OK: ") + currentUrl
                         + QStringLiteral(" 最新エントリーのURLを取得しました。"));
            wait();

            // A blog whose older-entry links lead back to a page already seen would
            // otherwise be walked for ever.
            QSet<QString> visited;
            while (!currentUrl.isEmpty()) {
                if (FHost.IsCancelled())
                    break;
                if (visited.contains(currentUrl)) {
                    FHost.AddLog(QStringLiteral("同じページに戻ったため巡回を終えます: ") + currentUrl);
                    break;
                }
                visited.insert(currentUrl);

                FHost.ShowUrl(currentUrl);
                FHost.ProcessMessages();
                const QString page = FetchPageDirect(currentUrl, codePage, control, &networkError);
                FHost.ProcessMessages();
                const TParsedEntry entry = parser.Parse(page);
                if (entry.date.isEmpty() && entry.title.isEmpty())
                    throw EVarnokiError(QStringLiteral("ERROR: ") + currentUrl);
                networkError.clear();

                const bool known = FDb.ExistsEntry(currentUrl);
                if (known && FNewEntryOnly)
                    break;
                if (!known) {
                    TDateTime date = 0;
                    if (const auto parsed = ParseDateText(entry.date))
                        date = *parsed;
                    else
                        FHost.AddLog(QStringLiteral("Error: ") + entry.date
                                     + QStringLiteral(" は日付ではありません。"));
                    FDb.InsertEntry(currentUrl, entry.title, date, FNewEntryOnly);
                }
                FHost.AddLog(QStringLiteral("OK: ") + currentUrl + QLatin1Char(' ') + entry.title);
                currentUrl = entry.nextUrl;
                wait();
            }
        } catch (const EFetchCancelled &) {
            // Cancel during a fetch ends the walk as Cancel between pages does.
        }

        if (FNewEntryOnly)
            FDb.MergeTmpEntries();
        FHost.AddLog(QStringLiteral("終了しました。"));
        return true;
    } catch (const EVarnokiError &error) {
        FHost.AddLog(QStringLiteral("Error: ") + currentUrl);
        FHost.AddLog(error.Message());
        if (!networkError.isEmpty())
            FHost.AddLog(networkError);
    } catch (const std::exception &error) {
        FHost.AddLog(QStringLiteral("Error: ") + currentUrl);
        FHost.AddLog(QString::fromLocal8Bit(error.what()));
    }
    return false;
}
