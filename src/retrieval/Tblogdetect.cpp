#include "retrieval/Tblogdetect.h"

#include "blogtype/Tscriptcontroller.h"
#include "platform/Varnokierror.h"
#include "retrieval/Tcodepage.h"
#include "retrieval/Thttputility.h"

#include <algorithm>

namespace {
// A clue search is a few regular expressions over the page; a script that takes longer
// is broken, and the others still answer.
constexpr std::chrono::milliseconds DetectTimeLimit{3000};

TBlogDetection Detect(const TBlogConfig &config, const QString &page, const QString &url, const QString &headers)
{
    TBlogDetection detection{config, 0, QString()};
    try {
        TScriptController script(DetectTimeLimit);
        script.Initialize(config.GetLanguage(), ReadScriptFile(config.GetScriptPath()), ReadHelperScripts(config));
        if (!script.HasFunction(QStringLiteral("DetectBlog"))) {
            detection.Reason = QStringLiteral("判別の手段がありません");
            return detection;
        }
        if (!headers.isEmpty() && script.HasFunction(QStringLiteral("SetResponseHeaders")))
            script.CallFunction(QStringLiteral("SetResponseHeaders"), headers);
        const QString result = script.CallFunction(QStringLiteral("DetectBlog"), page, url);
        if (script.HasError()) {
            detection.Reason = QStringLiteral("スクリプトのエラー: ") + script.GetErrorMessage();
            return detection;
        }
        const qsizetype tab = result.indexOf(QLatin1Char('\t'));
        bool number = false;
        const int score = result.left(tab).trimmed().toInt(&number);
        detection.Score = number ? std::clamp(score, 0, 100) : 0;
        detection.Reason = tab < 0 ? QString() : result.mid(tab + 1).simplified();
    } catch (const EVarnokiError &error) {
        detection.Reason = error.Message().simplified();
    }
    return detection;
}
} // namespace

QList<TBlogDetection> DetectBlogTypes(const TBlogConfigList &configs, const QString &page, const QString &url,
                                      const QString &headers)
{
    QList<TBlogDetection> detections;
    for (const TBlogConfig &config : configs)
        detections.append(Detect(config, page, url, headers));
    std::stable_sort(detections.begin(), detections.end(),
                     [](const TBlogDetection &a, const TBlogDetection &b) { return a.Score > b.Score; });
    return detections;
}

QList<TBlogDetection> FetchAndDetectBlogTypes(const TBlogConfigList &configs, const QString &url,
                                              const TFetchControl &control)
{
    TFetchOutcome outcome;
    const QString page = FetchPageDirect(url, NoCodePage, control, &outcome);
    if (!outcome.Problem().isEmpty())
        throw EVarnokiError(QStringLiteral("トップページを取得できませんでした: ") + outcome.Problem());
    return DetectBlogTypes(configs, page, url, outcome.Headers);
}

const TBlogDetection *BestDetection(const QList<TBlogDetection> &detections)
{
    return !detections.isEmpty() && detections.first().Score > 0 ? &detections.first() : nullptr;
}

QString DetectionText(const TBlogDetection &detection)
{
    return detection.Config.GetName() + QStringLiteral(": ") + detection.Reason;
}
