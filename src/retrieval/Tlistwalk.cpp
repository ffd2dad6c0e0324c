#include "retrieval/Tlistwalk.h"

#include "platform/Varnokierror.h"
#include "retrieval/Thttputility.h"

#include <QRegularExpression>

#include <algorithm>

namespace {
const QString Repeats = QStringLiteral("一覧が同じエントリーをくり返しています");

std::optional<qint64> Number(const QByteArray &text)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    return ok && value >= 0 ? std::optional<qint64>(value) : std::nullopt;
}

// The number of entries a feed says it holds (OpenSearch's totalResults: in an Atom or
// RSS head, or in Blogger's JSON feed), read before its first entry so that an entry's
// text cannot say it.
std::optional<qint64> FeedTotal(const QString &page)
{
    static const QRegularExpression Json(QStringLiteral("\"openSearch\\$totalResults\"\\s*:\\s*\\{\\s*\"\\$t\"\\s*:\\s*\"?(\\d{1,15})\""));
    static const QRegularExpression Xml(QStringLiteral("<(?:[\\w-]+:)?totalResults\\s*>\\s*(\\d{1,15})\\s*<"));
    static const QRegularExpression FirstEntry(QStringLiteral("<(?:[\\w-]+:)?(?:entry|item)[\\s>]"));
    const QString trimmed = page.trimmed();
    if (trimmed.startsWith(u'{')) {
        if (const QRegularExpressionMatch match = Json.match(page); match.hasMatch())
            return match.captured(1).toLongLong();
        return std::nullopt;
    }
    const qsizetype entry = page.indexOf(FirstEntry);
    if (const QRegularExpressionMatch match = Xml.match(entry < 0 ? page : page.left(entry)); match.hasMatch())
        return match.captured(1).toLongLong();
    return std::nullopt;
}
} // namespace

void TListWalk::Visit(const QString &url)
{
    if (FVisited.contains(url))
        throw EVarnokiError(Repeats);
    FVisited.insert(url);
}

QStringList TListWalk::Take(const QStringList &urls, const TFetchOutcome &outcome, const QString &page,
                            bool endAnswer, const QString &next, bool &ended)
{
    ++FPage;
    ended = false;
    // The largest any page announced: entries published during the walk raise it, and
    // a page that says less than an earlier one has no say in where the list ends.
    std::optional<qint64> total = Number(outcome.Header("X-WP-Total"));
    if (!total)
        total = FeedTotal(page);
    if (total)
        FTotal = std::max(FTotal.value_or(0), *total);
    if (const std::optional<qint64> pages = Number(outcome.Header("X-WP-TotalPages")))
        FPages = std::max(FPages.value_or(0), *pages);

    if (urls.isEmpty()) {
        const bool allRead = (FTotal && FSeen.size() >= *FTotal) || (FPages && FPage > *FPages);
        if (!endAnswer && !allRead)
            throw EVarnokiError(QStringLiteral("一覧のページ %1 にエントリーがありません").arg(FPage));
        ended = true;
        return {};
    }
    QStringList fresh;
    for (const QString &url : urls) {
        if (!FSeen.contains(url)) {
            FSeen.insert(url);
            fresh.append(url);
        }
    }
    if (fresh.isEmpty())
        throw EVarnokiError(Repeats);
    ended = next.isEmpty();
    return fresh;
}

QString TListWalk::TotalLine() const
{
    if (!FTotal || *FTotal == FSeen.size())
        return QString();
    return QStringLiteral("一覧はエントリーを %1 件としていますが、読んだのは %2 件です。").arg(*FTotal).arg(FSeen.size());
}
