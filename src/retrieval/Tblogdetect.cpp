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

} // namespace

struct TBlogDetector::TLoaded
{
    TBlogConfig Config;
    std::unique_ptr<TScriptController> Script;
    QString Problem; // why the blog type cannot detect, when it cannot
};

TBlogDetector::TBlogDetector(const TBlogConfigList &configs)
{
    for (const TBlogConfig &config : configs) {
        auto loaded = std::make_unique<TLoaded>();
        loaded->Config = config;
        try {
            loaded->Script = std::make_unique<TScriptController>(DetectTimeLimit);
            loaded->Script->Initialize(config.GetLanguage(), ReadScriptFile(config.GetScriptPath()),
                                       ReadHelperScripts(config));
            if (!loaded->Script->HasFunction(QStringLiteral("DetectBlog")))
                loaded->Problem = QStringLiteral("判別の手段がありません");
        } catch (const EVarnokiError &error) {
            loaded->Problem = error.Message().simplified();
        }
        FLoaded.push_back(std::move(loaded));
    }
}

TBlogDetector::~TBlogDetector() = default;

QList<TBlogDetection> TBlogDetector::Detect(const QString &page, const QString &url, const QString &headers)
{
    QList<TBlogDetection> detections;
    for (const auto &loaded : FLoaded) {
        TBlogDetection detection{loaded->Config, 0, loaded->Problem};
        if (detection.Reason.isEmpty()) {
            TScriptController &script = *loaded->Script;
            script.ClearError();
            if (script.HasFunction(QStringLiteral("SetResponseHeaders")))
                script.CallFunction(QStringLiteral("SetResponseHeaders"), headers);
            const QString result = script.CallFunction(QStringLiteral("DetectBlog"), page, url);
            if (script.HasError()) {
                detection.Reason = QStringLiteral("スクリプトのエラー: ") + script.GetErrorMessage();
            } else {
                const qsizetype tab = result.indexOf(QLatin1Char('\t'));
                bool number = false;
                const int score = result.left(tab).trimmed().toInt(&number);
                detection.Score = number ? std::clamp(score, 0, 100) : 0;
                detection.Reason = tab < 0 ? QString() : result.mid(tab + 1).simplified();
            }
        }
        detections.append(detection);
    }
    std::stable_sort(detections.begin(), detections.end(),
                     [](const TBlogDetection &a, const TBlogDetection &b) { return a.Score > b.Score; });
    return detections;
}

QList<TBlogDetection> DetectBlogTypes(const TBlogConfigList &configs, const QString &page, const QString &url,
                                      const QString &headers)
{
    return TBlogDetector(configs).Detect(page, url, headers);
}

QList<TBlogDetection> FetchAndDetectBlogTypes(const TBlogConfigList &configs, const QString &url,
                                              const TFetchControl &control)
{
    // The request goes out first; the scripts load while the answer is on its way.
    TDirectFetch fetch(url, control);
    TBlogDetector detector(configs);
    TFetchOutcome outcome;
    const QString page = DecodePage(fetch.Finish(&outcome), NoCodePage);
    if (!outcome.Problem().isEmpty())
        throw EVarnokiError(QStringLiteral("トップページを取得できませんでした: ") + outcome.Problem());
    return detector.Detect(page, url, QString::fromLatin1(outcome.Headers.join('\n')));
}

const TBlogDetection *BestDetection(const QList<TBlogDetection> &detections)
{
    return !detections.isEmpty() && detections.first().Score > 0 ? &detections.first() : nullptr;
}

QString DetectionText(const TBlogDetection &detection)
{
    return detection.Config.GetName() + QStringLiteral(": ") + detection.Reason;
}
