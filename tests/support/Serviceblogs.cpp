#include "Serviceblogs.h"

#include "Testpaths.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QUrlQuery>

namespace {
// The title as the service stores it: HTML, with references where WordPress puts them.
QString TitleHtml(int n)
{
    return QStringLiteral("Tom&#8217;s &#8220;記事&#8221; &amp; No.%1 &lt;b&gt;").arg(n);
}

QString Escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

QByteArray Json(const QJsonValue &value)
{
    return value.isArray() ? QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact)
                           : QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact);
}

THttpTestResponse JsonResponse(int status, const QByteArray &body)
{
    THttpTestResponse response = THttpTestResponse::WithStatus(status, body);
    response.Header("Content-Type", "application/json; charset=UTF-8");
    return response;
}
} // namespace

TServiceBlog::TServiceBlog(TService service, int count)
    : FService(service), FCount(count)
{
    Server.SetKeepAlive(true);
    Server.SetHandler([this](const THttpTestRequest &request) { return Answer(request); });
}

TBlogConfig TServiceBlog::BlogConfig() const
{
    return TBlogConfig(TestPaths::BinDir()
                       + (FService == TService::WordPress ? QStringLiteral("/blog/wordpress.ini")
                                                          : QStringLiteral("/blog/blogger.ini")));
}

QString TServiceBlog::Title(int n)
{
    return QStringLiteral("Tom’s “記事” & No.%1 <b>").arg(n);
}

QDateTime TServiceBlog::LocalTime(int n)
{
    return QDateTime(QDate(2015, 1, 1), QTime(0, 0), Qt::UTC).addSecs(qint64(n) * 7 * 3600 + 61 * n);
}

QString TServiceBlog::EntryUrl(int n) const
{
    return FService == TService::WordPress
               ? Server.Url(QStringLiteral("/%1/entry-%2/").arg(LocalTime(n).toString(QStringLiteral("yyyy/MM/dd"))).arg(n))
               : Server.Url(QStringLiteral("/%1/post-%2.html").arg(LocalTime(n).toString(QStringLiteral("yyyy/MM"))).arg(n));
}

bool TServiceBlog::IsListTarget(const QByteArray &target) const
{
    return target.startsWith(FService == TService::WordPress ? "/wp-json/" : "/feeds/");
}

int TServiceBlog::ListRequests() const
{
    int count = 0;
    for (const THttpTestRequest &request : Server.Requests())
        count += IsListTarget(request.Target) ? 1 : 0;
    return count;
}

int TServiceBlog::PageRequests() const
{
    return int(Server.Requests().size()) - ListRequests();
}

std::optional<THttpTestResponse> TServiceBlog::Answer(const THttpTestRequest &request) const
{
    const QString target = QString::fromUtf8(request.Target);
    if (target == u"/")
        return TopPage();
    static const QRegularExpression Entry(QStringLiteral("/(?:entry|post)-(\\d+)(?:/|\\.html)$"));
    if (const QRegularExpressionMatch match = Entry.match(target); match.hasMatch()) {
        const int n = match.captured(1).toInt();
        if (n >= 1 && n <= FCount && EntryUrl(n) == Server.Url(target))
            return EntryPage(n);
    }
    if (!IsListTarget(request.Target))
        return std::nullopt;
    const QUrlQuery query(QUrl(Server.Url(target)).query());
    const int page = query.queryItemValue(QStringLiteral("page")).toInt();
    const int start = query.queryItemValue(QStringLiteral("start-index")).toInt();
    const bool first = FService == TService::WordPress ? page == 1 : start == 1;
    switch (ListMode.load()) {
    case TListMode::Forbidden:
        return THttpTestResponse::WithStatus(403, "<html><body>Forbidden</body></html>");
    case TListMode::NotJson:
        return THttpTestResponse::Html("<html><body><p>Log in</p></body></html>");
    case TListMode::Empty:
        return FService == TService::WordPress ? JsonResponse(200, "[]")
                                               : JsonResponse(200, R"({"version":"1.0","feed":{"openSearch$totalResults":{"$t":"0"}}})");
    case TListMode::FailsLater:
        if (!first)
            return THttpTestResponse::WithStatus(500, "<html><body>Internal Server Error</body></html>");
        break;
    case TListMode::Served:
        break;
    }
    if (FService == TService::WordPress && target.startsWith(u"/wp-json/wp/v2/posts?"))
        return WordPressList(page, query.queryItemValue(QStringLiteral("per_page")).toInt());
    if (FService == TService::Blogger && target.startsWith(u"/feeds/posts/default?"))
        return BloggerFeed(start, query.queryItemValue(QStringLiteral("max-results")).toInt());
    return THttpTestResponse::WithStatus(404);
}

THttpTestResponse TServiceBlog::TopPage() const
{
    QString html;
    if (FService == TService::WordPress) {
        html = QStringLiteral("<!DOCTYPE html><html><head><meta name=\"generator\" content=\"WordPress 6.5\">"
                              "<link rel=\"https://api.w.org/\" href=\"%1\"><link rel=\"canonical\" href=\"%2\">"
                              "</head><body><main id=\"main\">")
                   .arg(Server.Url(QStringLiteral("/wp-json/")), TopUrl());
        for (int n = FCount; n > FCount - 10 && n > 0; --n)
            html += QStringLiteral("<article class=\"post type-post\"><h2 class=\"entry-title\"><a href=\"%1\">%2</a></h2>"
                                   "<time class=\"entry-date published\" datetime=\"%3+09:00\">x</time></article>")
                        .arg(EntryUrl(n), TitleHtml(n), LocalTime(n).toString(Qt::ISODate).left(19));
        html += QStringLiteral("</main></body></html>");
    } else {
        html = QStringLiteral("<!DOCTYPE html><html><head><link rel=\"canonical\" href=\"%1\">"
                              "<link rel=\"alternate\" type=\"application/atom+xml\" href=\"%2\">"
                              "</head><body><div class=\"widget Blog\" id=\"Blog1\"><div class=\"blog-posts\">")
                   .arg(TopUrl(), Server.Url(QStringLiteral("/feeds/posts/default")));
        for (int n = FCount; n > FCount - 10 && n > 0; --n)
            html += QStringLiteral("<div class=\"post-outer\"><div class=\"post\"><h3 class=\"post-title\"><a href=\"%1\">%2</a></h3>"
                                   "<abbr class=\"published\" title=\"%3+09:00\">x</abbr></div></div>")
                        .arg(EntryUrl(n), Escaped(Title(n)), LocalTime(n).toString(Qt::ISODate).left(19));
        html += QStringLiteral("</div></div></body></html>");
    }
    return THttpTestResponse::Html(html.toUtf8(), "text/html; charset=UTF-8");
}

THttpTestResponse TServiceBlog::EntryPage(int n) const
{
    const QString date = LocalTime(n).toString(Qt::ISODate).left(19) + QStringLiteral("+09:00");
    QString html;
    if (FService == TService::WordPress) {
        html = QStringLiteral("<!DOCTYPE html><html><head><link rel=\"https://api.w.org/\" href=\"%1\">"
                              "<link rel=\"canonical\" href=\"%2\"></head><body><main id=\"main\">"
                              "<article class=\"post type-post\"><h1 class=\"entry-title\">%3</h1>"
                              "<time class=\"entry-date published\" datetime=\"%4\">x</time><p>本文</p></article>"
                              "<nav class=\"post-navigation\">")
                   .arg(Server.Url(QStringLiteral("/wp-json/")), EntryUrl(n), TitleHtml(n), date);
        if (n > 1)
            html += QStringLiteral("<div class=\"nav-previous\"><a href=\"%1\" rel=\"prev\">前の投稿</a></div>").arg(EntryUrl(n - 1));
        html += QStringLiteral("</nav></main></body></html>");
    } else {
        html = QStringLiteral("<!DOCTYPE html><html><head><link rel=\"canonical\" href=\"%1\"></head><body>"
                              "<div class=\"widget Blog\" id=\"Blog1\"><div class=\"post-outer\"><div class=\"post\">"
                              "<h3 class=\"post-title\">%2</h3><abbr class=\"published\" title=\"%3\">x</abbr></div></div>"
                              "<div id=\"blog-pager\">")
                   .arg(EntryUrl(n), Escaped(Title(n)), date);
        if (n > 1)
            html += QStringLiteral("<a class=\"blog-pager-older-link\" id=\"Blog1_blog-pager-older-link\" href=\"%1\">前の投稿</a>")
                        .arg(EntryUrl(n - 1));
        html += QStringLiteral("</div></div></body></html>");
    }
    return THttpTestResponse::Html(html.toUtf8(), "text/html; charset=UTF-8");
}

// As the REST API answers /wp/v2/posts with _fields=link,title,date (date_gmt beside).
THttpTestResponse TServiceBlog::WordPressList(int page, int perPage) const
{
    perPage = qBound(1, perPage, 100);
    const int pages = (FCount + perPage - 1) / perPage;
    if (page < 1 || page > qMax(pages, 1))
        return JsonResponse(400, R"({"code":"rest_post_invalid_page_number","message":"The page number requested is larger than the number of pages available.","data":{"status":400}})");
    QJsonArray posts;
    for (int n = FCount - (page - 1) * perPage; n > 0 && n > FCount - page * perPage; --n) {
        posts.append(QJsonObject{
            {QStringLiteral("date"), LocalTime(n).toString(Qt::ISODate).left(19)},
            {QStringLiteral("date_gmt"), LocalTime(n).addSecs(-9 * 3600).toString(Qt::ISODate).left(19)},
            {QStringLiteral("link"), EntryUrl(n)},
            {QStringLiteral("title"), QJsonObject{{QStringLiteral("rendered"), TitleHtml(n)}}}});
    }
    THttpTestResponse response = JsonResponse(200, Json(posts));
    response.Header("X-WP-Total", QByteArray::number(FCount));
    response.Header("X-WP-TotalPages", QByteArray::number(pages));
    return response;
}

// As Blogger answers /feeds/posts/default?alt=json: feed.entry, the openSearch counts
// and a next link while more posts follow.
THttpTestResponse TServiceBlog::BloggerFeed(int start, int max) const
{
    max = qBound(1, max, 150);
    QJsonArray entries;
    for (int n = FCount - (start - 1); n > 0 && n > FCount - (start - 1) - max; --n) {
        const QString published = LocalTime(n).toString(Qt::ISODate).left(19) + QStringLiteral(".000+09:00");
        entries.append(QJsonObject{
            {QStringLiteral("id"), QJsonObject{{QStringLiteral("$t"), QStringLiteral("tag:blogger.com,1999:blog-5550001.post-%1").arg(n)}}},
            {QStringLiteral("published"), QJsonObject{{QStringLiteral("$t"), published}}},
            {QStringLiteral("updated"), QJsonObject{{QStringLiteral("$t"), published}}},
            {QStringLiteral("title"), QJsonObject{{QStringLiteral("type"), QStringLiteral("text")}, {QStringLiteral("$t"), Title(n)}}},
            {QStringLiteral("link"), QJsonArray{
                QJsonObject{{QStringLiteral("rel"), QStringLiteral("replies")}, {QStringLiteral("type"), QStringLiteral("text/html")},
                            {QStringLiteral("href"), QString(EntryUrl(n) + QStringLiteral("#comment-form"))}},
                QJsonObject{{QStringLiteral("rel"), QStringLiteral("alternate")}, {QStringLiteral("type"), QStringLiteral("text/html")},
                            {QStringLiteral("href"), EntryUrl(n)}, {QStringLiteral("title"), Title(n)}}}}});
    }
    const QString self = QStringLiteral("/feeds/posts/default?alt=json&start-index=%1&max-results=%2");
    auto link = [](const QString &rel, const QString &href) {
        QJsonObject object;
        object.insert(QStringLiteral("rel"), rel);
        object.insert(QStringLiteral("type"), QStringLiteral("application/atom+xml"));
        object.insert(QStringLiteral("href"), href);
        return object;
    };
    QJsonArray links;
    links.append(link(QStringLiteral("alternate"), TopUrl()));
    links.append(link(QStringLiteral("self"), Server.Url(self.arg(start).arg(max))));
    if (start - 1 + max < FCount)
        links.append(link(QStringLiteral("next"), Server.Url(self.arg(start + max).arg(max))));
    const QJsonObject feed{
        {QStringLiteral("openSearch$totalResults"), QJsonObject{{QStringLiteral("$t"), QString::number(FCount)}}},
        {QStringLiteral("openSearch$startIndex"), QJsonObject{{QStringLiteral("$t"), QString::number(start)}}},
        {QStringLiteral("openSearch$itemsPerPage"), QJsonObject{{QStringLiteral("$t"), QString::number(max)}}},
        {QStringLiteral("link"), links},
        {QStringLiteral("entry"), entries}};
    return JsonResponse(200, Json(QJsonObject{{QStringLiteral("version"), QStringLiteral("1.0")},
                                              {QStringLiteral("encoding"), QStringLiteral("UTF-8")},
                                              {QStringLiteral("feed"), feed}}));
}
