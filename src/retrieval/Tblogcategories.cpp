#include "retrieval/Tblogcategories.h"

#include "blogtype/Tscriptcontroller.h"
#include "blogtype/Tentryparser.h"
#include "platform/Varnokierror.h"
#include "retrieval/Tcodepage.h"
#include "retrieval/Thttputility.h"

#include <QFileInfo>
#include <QSet>
#include <QUrl>

namespace {
// The same address however its escapes are written ("%e6" or "%E6").
QString UrlKey(const QString &url)
{
    return QUrl(url.trimmed()).toString(QUrl::FullyEncoded);
}

QString Call(TScriptController &script, const QString &function, const QString &page, const QString &url)
{
    const QString result = script.CallFunction(function, page, url);
    if (script.HasError())
        throw EVarnokiError(function + QStringLiteral(": ") + script.GetErrorMessage());
    return result;
}
} // namespace

QList<TCategoryData> ReadBlogCategories(const TBlogConfig &config, const QString &topUrl,
                                        const TFetchControl &control)
{
    if (!QFileInfo(config.GetScriptPath()).isFile())
        throw EVarnokiError(QStringLiteral("ブログのスクリプトファイルが見つかりません。"));
    TScriptController script;
    script.Initialize(config.GetLanguage(), ReadScriptFile(config.GetScriptPath()), ReadHelperScripts(config));
    if (!script.HasFunction(QStringLiteral("GetCategoryList")))
        throw EVarnokiError(QStringLiteral("ブログの種類「%1」はブログからカテゴリーを読み込めません。").arg(config.GetName()));
    const TCodePageId codePage = TCodePage::GetInstance()->GetCodePage(config.GetEncode());
    TFetchOutcome outcome;
    const QString top = FetchPageDirect(topUrl, codePage, control, &outcome);
    if (!outcome.Problem().isEmpty())
        throw EVarnokiError(QStringLiteral("トップページを取得できませんでした: ") + outcome.Problem());

    QString lines;
    if (script.HasFunction(QStringLiteral("GetCategoryListSource"))) {
        // The service's own list is the fuller one; a site that hides it still shows
        // its categories on the top page.
        const QString source = TrimControl(Call(script, QStringLiteral("GetCategoryListSource"), top, topUrl));
        if (!source.isEmpty()) {
            const QString page = FetchPageDirect(source, codePage, control, &outcome);
            if (outcome.Problem().isEmpty()) {
                try {
                    lines = Call(script, QStringLiteral("GetCategoryList"), page, source);
                } catch (const EVarnokiError &) {
                }
            }
        }
    }
    if (TrimControl(lines).isEmpty())
        lines = Call(script, QStringLiteral("GetCategoryList"), top, topUrl);

    QList<TCategoryData> found;
    QSet<QString> seen;
    for (const QStringView line : QStringView(lines).split(u'\n', Qt::SkipEmptyParts)) {
        const qsizetype tab = line.lastIndexOf(u'\t');
        const QString name = tab < 0 ? QString() : TrimControl(line.left(tab).toString());
        const QString url = tab < 0 ? QString() : TrimControl(line.mid(tab + 1).toString());
        if (name.isEmpty() || url.isEmpty() || seen.contains(UrlKey(url)))
            continue;
        seen.insert(UrlKey(url));
        found.append(TCategoryData{name.toUtf8(), url.toUtf8()});
    }
    return found;
}

int MergeCategories(QList<TCategoryData> &categories, const QList<TCategoryData> &found)
{
    QSet<QString> known;
    for (const TCategoryData &category : categories)
        known.insert(UrlKey(category.GetUrl()));
    int added = 0;
    for (const TCategoryData &category : found) {
        if (known.contains(UrlKey(category.GetUrl())))
            continue;
        known.insert(UrlKey(category.GetUrl()));
        categories.append(category);
        ++added;
    }
    return added;
}

QString CategoriesAddedText(int found, int added)
{
    if (found == 0)
        return QStringLiteral("ブログのページにカテゴリーが見つかりませんでした。");
    return QStringLiteral("ブログのカテゴリー %1 件のうち %2 件を追加しました。").arg(found).arg(added);
}
