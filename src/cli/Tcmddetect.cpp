#include "cli/Tclicommands.h"

#include "cli/Tcliproject.h"
#include "cli/Tconsolehost.h"
#include "platform/Tappconfig.h"
#include "retrieval/Tblogdetect.h"
#include "retrieval/Tcodepage.h"
#include "retrieval/Thttputility.h"

#include <QDir>
#include <QFile>

namespace {
bool IsWebAddress(const QString &source)
{
    return source.startsWith(QLatin1String("http://")) || source.startsWith(QLatin1String("https://"));
}

int CommandDetect(TCliContext &context)
{
    const QString source = context.Arguments().at(0);
    TBlogConfigManager manager;
    manager.Load();
    QList<TBlogDetection> detections;
    if (IsWebAddress(source)) {
        detections = DetectBlogTypeOfUrl(source);
    } else {
        QFile file(source);
        if (!file.open(QIODevice::ReadOnly) || file.size() > 64 * 1024 * 1024)
            throw EUsageError(QStringLiteral("ページのファイルを読めません: ") + QDir::toNativeSeparators(source));
        detections = DetectBlogTypes(manager.GetBlogConfigs(), DecodePage(file.readAll(), NoCodePage), QString());
    }
    for (const TBlogDetection &detection : detections)
        PrintOut(EscapeField(detection.Config.GetName()) + QLatin1Char('\t') + QString::number(detection.Score)
                 + QLatin1Char('\t') + EscapeField(detection.Reason));
    if (!BestDetection(detections)) {
        PrintErr(QStringLiteral("どのブログの種類のページか判別できませんでした。"));
        return ExitFailed;
    }
    return ExitOk;
}
} // namespace

QList<TBlogDetection> DetectBlogTypeOfUrl(const QString &url)
{
    TAppConfig::GetInstance().Load(TAppConfig::GetIniFileName());
    TBlogConfigManager manager;
    manager.Load();
    TConsoleHost host;
    return FetchAndDetectBlogTypes(manager.GetBlogConfigs(), url, MakeFetchControl(host));
}

TCliCommand DetectCommand()
{
    return {
        .Name = QStringLiteral("detect"),
        .Description = QStringLiteral("ページがどのブログの種類のものかを判別します"),
        .Arguments = {QStringLiteral("URL|FILE")},
        .Help = QStringLiteral("ページ (URL か保存したファイル) を各ブログの種類に見せ、確からしい順に\n"
                               "名前<TAB>点数 (0〜100)<TAB>理由 を1行ずつ表示します。どれとも判別できなければ終了コードは 1 です。\n"
                               "Shows, best first, how sure each blog type is that the page is one of its blog's:\n"
                               "name, TAB, score (0-100), TAB, reason. Exits with 1 when none recognises it."),
        .Run = CommandDetect,
    };
}
