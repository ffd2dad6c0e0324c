#include "Serviceblogs.h"

#include "Testpaths.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QLocale>
#include <QTimeZone>
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
// The JSON-LD of an entry page, "<" escaped as pages do inside <script>.
QString BlogPostingLd(const QString &headline, const QString &date)
{
    const QJsonObject object{{QStringLiteral("@context"), QStringLiteral("https://schema.org")},
                             {QStringLiteral("@type"), QStringLiteral("BlogPosting")},
                             {QStringLiteral("headline"), headline},
                             {QStringLiteral("datePublished"), date}};
    return QString::fromUtf8(Json(object)).replace(u'<', QStringLiteral("\\u003c"));
}

// An Ameba page up to its main part, which the caller closes with "</div></body></html>".
QString AmebaHead(const QString &url)
{
    return QStringLiteral("<!DOCTYPE html><html lang=\"ja\"><head><link rel=\"canonical\" href=\"%1\">"
                          "<link rel=\"stylesheet\" href=\"https://stat100.ameba.jp/ameblo/pc/css/skin.css\"></head>"
                          "<body><div class=\"skin-blogMain\" data-uranus-layout=\"main\">")
        .arg(url);
}
} // namespace

// An entry as Ameba's top and entry pages show it: the day in the <time> element's
// attribute, the time of day only in its text.
QString TServiceBlog::AmebaArticle(int n, const QString &url, const QString &title)
{
    return QStringLiteral("<article class=\"skin-entry js-entryWrapper\" data-unique-entry-id=\"%1\" data-unique-ameba-id=\"umiko\">"
                          "<h2 class=\"skin-entryTitle\" data-uranus-component=\"entryTitle\"><a href=\"%2\" class=\"skinArticleTitle\" rel=\"bookmark\">%3</a></h2>"
                          "<p class=\"skin-entryPubdate\"><time datetime=\"%4\" class=\"skin-textQuiet\">%5</time></p>"
                          "<div class=\"skin-entryBody\"><p>本文</p></div></article>")
        .arg(n)
        .arg(url, Escaped(title), LocalTime(n).toString(QStringLiteral("yyyy-MM-dd")),
             LocalTime(n).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
}

TServiceBlog::TServiceBlog(TService service, int count)
    : FService(service), FCount(count)
{
    Server.SetKeepAlive(true);
    Server.SetHandler([this](const THttpTestRequest &request) { return Answer(request); });
}

TBlogConfig TServiceBlog::BlogConfig() const
{
    static const char *const Files[] = {"wordpress", "blogger", "hatena", "ameba", "generic"};
    return TBlogConfig(TestPaths::BinDir() + QStringLiteral("/blog/%1.ini").arg(QLatin1String(Files[int(FService)])));
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
    switch (FService) {
    case TService::WordPress:
        return Server.Url(QStringLiteral("/%1/entry-%2/").arg(LocalTime(n).toString(QStringLiteral("yyyy/MM/dd"))).arg(n));
    case TService::Blogger:
        return Server.Url(QStringLiteral("/%1/post-%2.html").arg(LocalTime(n).toString(QStringLiteral("yyyy/MM"))).arg(n));
    case TService::Hatena:
        return Server.Url(QStringLiteral("/entry/") + LocalTime(n).toString(QStringLiteral("yyyy/MM/dd/HHmmss")));
    case TService::Ameba:
        return Server.Url(QStringLiteral("/umiko/entry-%1.html").arg(n));
    case TService::Generic:
        break;
    }
    return Server.Url(QStringLiteral("/posts/%1.html").arg(n));
}

// The number of the entry the target names, or 0.
int TServiceBlog::EntryNumber(const QString &target) const
{
    static const QRegularExpression Numbered(QStringLiteral("/(?:entry|post|posts/)-?(\\d+)(?:/|\\.html)$"));
    static const QRegularExpression Dated(QStringLiteral("^/entry/(\\d{4}/\\d{2}/\\d{2}/\\d{6})$"));
    int n = 0;
    if (const QRegularExpressionMatch match = Numbered.match(target); match.hasMatch()) {
        n = match.captured(1).toInt();
    } else if (const QRegularExpressionMatch dated = Dated.match(target); dated.hasMatch()) {
        QDateTime time = QDateTime::fromString(dated.captured(1), QStringLiteral("yyyy/MM/dd/HHmmss"));
        time.setTimeZone(QTimeZone::utc());
        n = int(LocalTime(0).secsTo(time) / (7 * 3600 + 61));
    }
    return n >= 1 && n <= FCount && EntryUrl(n) == Server.Url(target) ? n : 0;
}

bool TServiceBlog::IsListTarget(const QByteArray &target) const
{
    switch (FService) {
    case TService::WordPress:
        return target.startsWith("/wp-json/");
    case TService::Blogger:
        return target.startsWith("/feeds/");
    case TService::Hatena:
        return target == "/feed" || target.startsWith("/feed?");
    case TService::Ameba:
        return target.startsWith("/umiko/entrylist");
    case TService::Generic:
        break;
    }
    return target.startsWith("/feed.xml");
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
    // Entry pages answer whatever query their URL carries, as most servers do.
    if (const int n = EntryNumber(QUrl(Server.Url(target)).path()))
        return EntryPage(n);
    static const QRegularExpression Label(QStringLiteral("^/search/label/([^/?]+)(?:\\?max-results=20&start=(\\d+))?$"));
    if (const QRegularExpressionMatch label = Label.match(target); FService == TService::Blogger && label.hasMatch())
        return LabelPage(QUrl::fromPercentEncoding(label.captured(1).toUtf8()), qMax(1, label.captured(2).toInt()));
    if (!IsListTarget(request.Target))
        return std::nullopt;
    const QUrlQuery query(QUrl(Server.Url(target)).query());
    const int page = query.queryItemValue(QStringLiteral("page")).toInt();
    const int start = query.queryItemValue(QStringLiteral("start-index")).toInt();
    bool first = false;
    switch (FService) {
    case TService::WordPress:
        first = page == 1;
        break;
    case TService::Blogger:
        first = start == 1;
        break;
    case TService::Hatena:
    case TService::Generic:
        first = page <= 1;
        break;
    case TService::Ameba:
        first = target.endsWith(u"/entrylist.html");
        break;
    }
    switch (ListMode.load()) {
    case TListMode::Forbidden:
        return THttpTestResponse::WithStatus(403, "<html><body>Forbidden</body></html>");
    case TListMode::NotJson:
        return THttpTestResponse::Html("<html><body><p>Log in</p></body></html>");
    case TListMode::Empty:
        return EmptyList();
    case TListMode::FailsLater:
        if (!first)
            return THttpTestResponse::WithStatus(500, "<html><body>Internal Server Error</body></html>");
        break;
    case TListMode::EmptyLater:
        if (!first)
            return EmptyList();
        break;
    case TListMode::Served:
    case TListMode::Retitled:
    case TListMode::OtherUrls:
    case TListMode::EditedFirst:
    case TListMode::NewestOnly:
    case TListMode::Repeats:
        break;
    }
    // A cache that ignores the query: the first page's entries, with links onward.
    const bool repeats = ListMode == TListMode::Repeats;
    if (FService == TService::WordPress && target.startsWith(u"/wp-json/wp/v2/posts?"))
        return WordPressList(repeats ? 1 : page, query.queryItemValue(QStringLiteral("per_page")).toInt());
    static const QRegularExpression LabelFeed(QStringLiteral("^/feeds/posts/default/-/([^/?]+)\\?"));
    const QRegularExpressionMatch labelFeed = LabelFeed.match(target);
    if (FService == TService::Blogger && (target.startsWith(u"/feeds/posts/default?") || labelFeed.hasMatch()))
        return BloggerFeed(repeats ? 1 : start, query.queryItemValue(QStringLiteral("max-results")).toInt(),
                           query.queryItemValue(QStringLiteral("orderby")) == u"published"
                               && ListMode != TListMode::EditedFirst,
                           QUrl::fromPercentEncoding(labelFeed.captured(1).toUtf8()));
    if (FService == TService::Hatena)
        return HatenaFeed(repeats ? 0 : page);
    if (FService == TService::Generic)
        return GenericFeed(qMax(page, 1), repeats ? 1 : qMax(page, 1));
    static const QRegularExpression AmebaPage(QStringLiteral("^/umiko/entrylist(?:-(\\d+))?\\.html$"));
    if (const QRegularExpressionMatch match = AmebaPage.match(target); FService == TService::Ameba && match.hasMatch()) {
        const int number = match.captured(1).isEmpty() ? 1 : match.captured(1).toInt();
        return AmebaList(number, repeats ? 1 : number);
    }
    return THttpTestResponse::WithStatus(404);
}

// A list page of the service without entries, answered 200.
THttpTestResponse TServiceBlog::EmptyList() const
{
    if (FService == TService::WordPress)
        return JsonResponse(200, "[]");
    if (FService == TService::Blogger)
        return JsonResponse(200, R"({"version":"1.0","feed":{"openSearch$totalResults":{"$t":"0"}}})");
    if (FService == TService::Ameba)
        return THttpTestResponse::Html("<html><head><link rel=\"stylesheet\" href=\"https://stat100.ameba.jp/a.css\"></head>"
                                       "<body><div class=\"skin-blogMain\"><p>記事がありません</p></div></body></html>");
    return THttpTestResponse::Html(R"(<?xml version="1.0" encoding="utf-8"?><feed xmlns="http://www.w3.org/2005/Atom"><title>ブログ</title></feed>)",
                                   "application/atom+xml; charset=utf-8");
}

QString TServiceBlog::ListEntryUrl(int n) const
{
    return ListMode == TListMode::OtherUrls ? EntryUrl(n) + QStringLiteral("?from=list") : EntryUrl(n);
}

QString TServiceBlog::ListTitle(int n) const
{
    return ListMode == TListMode::Retitled ? Title(n) + QStringLiteral(" | ブログ") : Title(n);
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
    } else if (FService == TService::Blogger) {
        html = QStringLiteral("<!DOCTYPE html><html><head><link rel=\"canonical\" href=\"%1\">"
                              "<link rel=\"alternate\" type=\"application/atom+xml\" href=\"%2\">"
                              "</head><body><div class=\"widget Blog\" id=\"Blog1\"><div class=\"blog-posts\">")
                   .arg(TopUrl(), Server.Url(QStringLiteral("/feeds/posts/default")));
        for (int n = FCount; n > FCount - 10 && n > 0; --n)
            html += QStringLiteral("<div class=\"post-outer\"><div class=\"post\"><h3 class=\"post-title\"><a href=\"%1\">%2</a></h3>"
                                   "<abbr class=\"published\" title=\"%3+09:00\">x</abbr></div></div>")
                        .arg(EntryUrl(n), Escaped(Title(n)), LocalTime(n).toString(Qt::ISODate).left(19));
        html += QStringLiteral("</div></div></body></html>");
    } else if (FService == TService::Hatena) {
        html = QStringLiteral("<!DOCTYPE html><html data-blog-name=\"ブログ\"><head><link rel=\"canonical\" href=\"%1\">"
                              "<link rel=\"alternate\" type=\"application/atom+xml\" title=\"Atom\" href=\"%2\">"
                              "<link rel=\"alternate\" type=\"application/rss+xml\" title=\"RSS2.0\" href=\"%3\">"
                              "</head><body><div id=\"main\"><div id=\"main-inner\">")
                   .arg(TopUrl(), Server.Url(QStringLiteral("/feed")), Server.Url(QStringLiteral("/rss")));
        for (int n = FCount; n > FCount - 10 && n > 0; --n)
            html += QStringLiteral("<article class=\"entry\"><header class=\"entry-header\"><time datetime=\"%1Z\">x</time>"
                                   "<h1 class=\"entry-title\"><a class=\"entry-title-link bookmark\" href=\"%2\">%3</a></h1>"
                                   "</header></article>")
                        .arg(LocalTime(n).addSecs(-9 * 3600).toString(Qt::ISODate).left(19), EntryUrl(n), Escaped(Title(n)));
        html += QStringLiteral("</div></div></body></html>");
    } else if (FService == TService::Ameba) {
        html = AmebaHead(TopUrl());
        for (int n = FCount; n > FCount - 10 && n > 0; --n)
            html += AmebaArticle(n, EntryUrl(n), Title(n));
        html += QStringLiteral("</div></body></html>");
    } else {
        // The comment feed comes first, as some themes put it.
        html = QStringLiteral("<!DOCTYPE html><html><head><link rel=\"canonical\" href=\"%1\">"
                              "<link rel=\"alternate\" type=\"application/rss+xml\" title=\"Comments\" href=\"%2\">"
                              "<link rel=\"alternate\" type=\"application/rss+xml\" title=\"Posts\" href=\"%3\">"
                              "</head><body><main>")
                   .arg(TopUrl(), Server.Url(QStringLiteral("/comments.xml")), Server.Url(QStringLiteral("/feed.xml")));
        for (int n = FCount; n > FCount - 10 && n > 0; --n)
            html += QStringLiteral("<article><h2><a href=\"%1\">%2</a></h2><time datetime=\"%3+09:00\">x</time></article>")
                        .arg(EntryUrl(n), Escaped(Title(n)), LocalTime(n).toString(Qt::ISODate).left(19));
        html += QStringLiteral("</main></body></html>");
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
                   .arg(Server.Url(QStringLiteral("/wp-json/")), EntryUrl(n), TitledPages ? TitleHtml(n) : QString(), date);
        if (n > 1)
            html += QStringLiteral("<div class=\"nav-previous\"><a href=\"%1\" rel=\"prev\">前の投稿</a></div>").arg(EntryUrl(n - 1));
        html += QStringLiteral("</nav></main></body></html>");
    } else if (FService == TService::Blogger) {
        html = QStringLiteral("<!DOCTYPE html><html><head><link rel=\"canonical\" href=\"%1\"></head><body>"
                              "<div class=\"widget Blog\" id=\"Blog1\"><div class=\"post-outer\"><div class=\"post\">"
                              "<h3 class=\"post-title\">%2</h3><abbr class=\"published\" title=\"%3\">x</abbr></div></div>"
                              "<div id=\"blog-pager\">")
                   .arg(EntryUrl(n), Escaped(Title(n)), date);
        if (n > 1)
            html += QStringLiteral("<a class=\"blog-pager-older-link\" id=\"Blog1_blog-pager-older-link\" href=\"%1\">前の投稿</a>")
                        .arg(EntryUrl(n - 1));
        html += QStringLiteral("</div></div></body></html>");
    } else if (FService == TService::Hatena) {
        // The header's time in UTC, the JSON-LD's in the blog's zone.
        html = QStringLiteral("<!DOCTYPE html><html data-blog-name=\"ブログ\"><head><link rel=\"canonical\" href=\"%1\">"
                              "<script type=\"application/ld+json\">%2</script></head><body><div id=\"main\"><div id=\"main-inner\">"
                              "<article class=\"entry\"><header class=\"entry-header\"><time datetime=\"%3Z\">x</time>"
                              "<h1 class=\"entry-title\"><a class=\"entry-title-link bookmark\" href=\"%1\">%4</a></h1>"
                              "</header><div class=\"entry-content\"><p>本文</p></div></article>"
                              "<div class=\"pager pager-permalink permalink\">")
                   .arg(EntryUrl(n),
                        BlogPostingLd(Title(n), date),
                        LocalTime(n).addSecs(-9 * 3600).toString(Qt::ISODate).left(19), Escaped(Title(n)));
        if (n < FCount)
            html += QStringLiteral("<span class=\"pager-prev\"><a href=\"%1\" rel=\"prev\">次の記事</a></span>").arg(EntryUrl(n + 1));
        if (n > 1)
            html += QStringLiteral("<span class=\"pager-next\"><a href=\"%1\" rel=\"next\">前の記事</a></span>").arg(EntryUrl(n - 1));
        html += QStringLiteral("</div></div></div></body></html>");
    } else if (FService == TService::Ameba) {
        html = AmebaHead(EntryUrl(n)) + AmebaArticle(n, EntryUrl(n), Title(n))
               + QStringLiteral("<div class=\"skin-paging\">");
        if (n < FCount)
            html += QStringLiteral("<a class=\"skin-pagingPrev\" href=\"%1\">次の記事</a>").arg(EntryUrl(n + 1));
        if (n > 1)
            html += QStringLiteral("<a class=\"skin-pagingNext\" href=\"%1\">前の記事</a>").arg(EntryUrl(n - 1));
        html += QStringLiteral("</div></div></body></html>");
    } else {
        html = QStringLiteral("<!DOCTYPE html><html><head><link rel=\"canonical\" href=\"%1\">"
                              "<script type=\"application/ld+json\">%2</script>")
                   .arg(EntryUrl(n),
                        BlogPostingLd(Title(n), date));
        if (n > 1 && OlderLinks)
            html += QStringLiteral("<link rel=\"prev\" href=\"%1\">").arg(EntryUrl(n - 1));
        html += QStringLiteral("</head><body><main><article><h1>%1</h1><p>本文</p></article></main></body></html>").arg(Escaped(Title(n)));
    }
    return THttpTestResponse::Html(html.toUtf8(), "text/html; charset=UTF-8");
}

// As Hatena Blog answers /feed: 30 entries older than the time in ?page=, the next
// page named by the time of this one's oldest.
THttpTestResponse TServiceBlog::HatenaFeed(qint64 before) const
{
    constexpr int PageSize = 30;
    auto epoch = [](int n) { return LocalTime(n).addSecs(-9 * 3600).toSecsSinceEpoch(); };
    int newest = FCount;
    while (before > 0 && newest > 0 && epoch(newest) >= before)
        --newest;
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<feed xmlns=\"http://www.w3.org/2005/Atom\" xml:lang=\"ja\">"
                                 "<title>ブログ</title><link href=\"%1\"/><updated>2026-01-01T00:00:00+09:00</updated>"
                                 "<author><name>writer</name></author>"
                                 "<generator uri=\"https://blog.hatena.ne.jp/\" version=\"1\">Hatena::Blog</generator>"
                                 "<id>hatenablog://blog/1000</id>")
                      .arg(TopUrl());
    const int oldest = qMax(1, newest - PageSize + 1);
    if (oldest > 1 && newest > 0 && ListMode != TListMode::NewestOnly)
        xml += QStringLiteral("<link rel=\"next\" href=\"%1\"/>").arg(Server.Url(QStringLiteral("/feed?page=%1").arg(epoch(oldest))));
    for (int n = newest; n >= oldest && n > 0; --n) {
        const QString time = LocalTime(n).toString(Qt::ISODate).left(19) + QStringLiteral("+09:00");
        xml += QStringLiteral("<entry><title>%1</title><link href=\"%2\"/><id>hatenablog://entry/%3</id>"
                              "<published>%4</published><updated>%4</updated>"
                              "<summary type=\"html\">本文</summary><content type=\"html\">&lt;p&gt;本文&lt;/p&gt;</content>"
                              "<category term=\"日記\" label=\"日記\" />"
                              "<link rel=\"enclosure\" href=\"%5\" type=\"image/png\" length=\"0\" />"
                              "<author><name>writer</name></author></entry>")
                   .arg(Escaped(ListTitle(n)), ListEntryUrl(n)).arg(n).arg(time, Server.Url(QStringLiteral("/image.png")));
    }
    xml += QStringLiteral("</feed>");
    return THttpTestResponse::Html(xml.toUtf8(), "application/atom+xml; charset=utf-8");
}

// An RSS 2.0 feed of 50 items a page, paged by atom:link rel="next" / "previous"
// (RFC 5005), titles in CDATA and dates in RFC 822; NewestOnly serves the newest 20
// and no further page.
THttpTestResponse TServiceBlog::GenericFeed(int page, int entriesOf) const
{
    const bool newestOnly = ListMode == TListMode::NewestOnly;
    const int pageSize = newestOnly ? 20 : 50;
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\" xmlns:atom=\"http://www.w3.org/2005/Atom\">"
                                 "<channel><title>ブログ</title><link>%1</link><description>日々</description>"
                                 "<atom:link rel=\"self\" type=\"application/rss+xml\" href=\"%2\"/>")
                      .arg(TopUrl(), Server.Url(QStringLiteral("/feed.xml?page=%1").arg(page)));
    const int newest = FCount - (entriesOf - 1) * pageSize;
    if (!newestOnly && FCount - page * pageSize > 0)
        xml += QStringLiteral("<atom:link rel=\"next\" href=\"%1\"/>").arg(Server.Url(QStringLiteral("/feed.xml?page=%1").arg(page + 1)));
    if (!newestOnly && page > 1)
        xml += QStringLiteral("<atom:link rel=\"previous\" href=\"%1\"/>").arg(Server.Url(QStringLiteral("/feed.xml?page=%1").arg(page - 1)));
    for (int n = newest; n > newest - pageSize && n > 0; --n) {
        const QDateTime time = LocalTime(n);
        const QString date = QLocale::c().toString(time, QStringLiteral("ddd, dd MMM yyyy HH:mm:ss")) + QStringLiteral(" +0900");
        xml += QStringLiteral("<item><title><![CDATA[%1]]></title><link>%2</link><guid isPermaLink=\"true\">%2</guid>"
                              "<pubDate>%3</pubDate><description><![CDATA[<p>本文</p>]]></description></item>")
                   .arg(ListTitle(n), ListEntryUrl(n), date);
    }
    xml += QStringLiteral("</channel></rss>");
    return THttpTestResponse::Html(xml.toUtf8(), "application/rss+xml; charset=UTF-8");
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
            {QStringLiteral("link"), ListEntryUrl(n)},
            {QStringLiteral("title"), QJsonObject{{QStringLiteral("rendered"),
                ListMode == TListMode::Retitled ? TitleHtml(n) + QStringLiteral(" | ブログ") : TitleHtml(n)}}}});
    }
    THttpTestResponse response = JsonResponse(200, Json(posts));
    response.Header("X-WP-Total", QByteArray::number(AnnouncedTotal ? AnnouncedTotal.load() : FCount.load()));
    response.Header("X-WP-TotalPages", QByteArray::number(pages));
    return response;
}

// As Blogger answers /feeds/posts/default?alt=json: feed.entry, the openSearch counts
// and a next link while more posts follow.
QStringList TServiceBlog::Labels(int n)
{
    QStringList labels;
    if (n % 2 == 0)
        labels << QStringLiteral("偶数");
    if (n % 3 == 0)
        labels << QStringLiteral("三の倍数");
    return labels;
}

QString TServiceBlog::LabelUrl(const QString &label) const
{
    return Server.Url(QStringLiteral("/search/label/") + QString::fromUtf8(QUrl::toPercentEncoding(label)));
}

// As Blogger shows a label: 20 posts a page, the older ones behind the pager's link.
THttpTestResponse TServiceBlog::LabelPage(const QString &label, int start) const
{
    QList<int> posts;
    for (int n = FCount; n > 0; --n) {
        if (Labels(n).contains(label))
            posts.append(n);
    }
    QString html = QStringLiteral("<!DOCTYPE html><html><head><link rel=\"canonical\" href=\"%1\"></head><body>"
                                  "<div class=\"widget Blog\" id=\"Blog1\"><div class=\"blog-posts\">")
                       .arg(LabelUrl(label));
    for (int i = start - 1; i >= 0 && i < posts.size() && i < start - 1 + 20; ++i)
        html += QStringLiteral("<div class=\"post-outer\"><div class=\"post\"><h3 class=\"post-title\"><a href=\"%1\">%2</a></h3>"
                               "<abbr class=\"published\" title=\"%3+09:00\">x</abbr></div></div>")
                    .arg(EntryUrl(posts[i]), Escaped(Title(posts[i])), LocalTime(posts[i]).toString(Qt::ISODate).left(19));
    html += QStringLiteral("</div><div id=\"blog-pager\">");
    if (start - 1 + 20 < posts.size())
        html += QStringLiteral("<a class=\"blog-pager-older-link\" id=\"Blog1_blog-pager-older-link\" href=\"%1?max-results=20&amp;start=%2\">前の投稿</a>")
                    .arg(LabelUrl(label)).arg(start + 20);
    html += QStringLiteral("</div></div></body></html>");
    return THttpTestResponse::Html(html.toUtf8(), "text/html; charset=UTF-8");
}

THttpTestResponse TServiceBlog::BloggerFeed(int start, int max, bool byPublished, const QString &label) const
{
    max = qBound(1, max, 150);
    // Unless asked by publication, the feed puts the posts edited last first: here the
    // newest and then one from the middle of the blog.
    QList<int> order;
    for (int n = FCount; n > 0; --n) {
        if (label.isEmpty() || Labels(n).contains(label))
            order.append(n);
    }
    if (!byPublished && order.size() > 2)
        order.move(order.size() / 2, 1);
    QJsonArray entries;
    for (int i = start - 1; i >= 0 && i < order.size() && i < start - 1 + max; ++i) {
        const int n = order[i];
        const QString published = LocalTime(n).toString(Qt::ISODate).left(19) + QStringLiteral(".000+09:00");
        entries.append(QJsonObject{
            {QStringLiteral("id"), QJsonObject{{QStringLiteral("$t"), QStringLiteral("tag:blogger.com,1999:blog-5550001.post-%1").arg(n)}}},
            {QStringLiteral("published"), QJsonObject{{QStringLiteral("$t"), published}}},
            {QStringLiteral("updated"), QJsonObject{{QStringLiteral("$t"), published}}},
            {QStringLiteral("title"), QJsonObject{{QStringLiteral("type"), QStringLiteral("text")}, {QStringLiteral("$t"), ListTitle(n)}}},
            {QStringLiteral("link"), QJsonArray{
                QJsonObject{{QStringLiteral("rel"), QStringLiteral("replies")}, {QStringLiteral("type"), QStringLiteral("text/html")},
                            {QStringLiteral("href"), QString(EntryUrl(n) + QStringLiteral("#comment-form"))}},
                QJsonObject{{QStringLiteral("rel"), QStringLiteral("alternate")}, {QStringLiteral("type"), QStringLiteral("text/html")},
                            {QStringLiteral("href"), ListEntryUrl(n)}, {QStringLiteral("title"), Title(n)}}}}});
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
    // Blogger's next link names www.blogger.com over http; here a host that answers nothing.
    if (start - 1 + max < order.size())
        links.append(link(QStringLiteral("next"), QStringLiteral("http://127.0.0.1:9/feeds/5550001/posts/default?alt=json&start-index=%1&max-results=%2")
                                                      .arg(start + max).arg(max)));
    const QJsonObject feed{
        {QStringLiteral("openSearch$totalResults"), QJsonObject{{QStringLiteral("$t"), QString::number(order.size())}}},
        {QStringLiteral("openSearch$startIndex"), QJsonObject{{QStringLiteral("$t"), QString::number(start)}}},
        {QStringLiteral("openSearch$itemsPerPage"), QJsonObject{{QStringLiteral("$t"), QString::number(max)}}},
        {QStringLiteral("link"), links},
        {QStringLiteral("entry"), entries}};
    return JsonResponse(200, Json(QJsonObject{{QStringLiteral("version"), QStringLiteral("1.0")},
                                              {QStringLiteral("encoding"), QStringLiteral("UTF-8")},
                                              {QStringLiteral("feed"), feed}}));
}

// As Ameba answers /ID/entrylist.html and entrylist-N.html: 20 entries a page, the
// paging button to the next (older) page while there is one.
THttpTestResponse TServiceBlog::AmebaList(int page, int entriesOf) const
{
    constexpr int PageSize = 20;
    const int newest = FCount - (entriesOf - 1) * PageSize;
    if (page < 1 || newest < 1)
        return THttpTestResponse::WithStatus(404, "<html><body>ページが見つかりません</body></html>");
    QString html = AmebaHead(Server.Url(page == 1 ? QStringLiteral("/umiko/entrylist.html")
                                                  : QStringLiteral("/umiko/entrylist-%1.html").arg(page)))
                   + QStringLiteral("<h1>記事一覧</h1><ul class=\"skin-archiveList\">");
    for (int n = newest; n > newest - PageSize && n > 0; --n)
        html += QStringLiteral("<li class=\"skin-borderQuiet\" data-uranus-component=\"entryItem\"><div class=\"skin-entryItemBody\">"
                               "<h2 data-uranus-component=\"entryItemTitle\"><a href=\"%1\">%2</a></h2>"
                               "<p class=\"skin-textQuiet\"><time datetime=\"%3\">%4</time></p></div></li>")
                    .arg(ListEntryUrl(n).mid(TopUrl().size() - 1), Escaped(ListTitle(n)),
                         LocalTime(n).toString(QStringLiteral("yyyy-MM-dd")),
                         LocalTime(n).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    html += QStringLiteral("</ul><div class=\"skin-paging\">");
    if (page > 1)
        html += QStringLiteral("<a class=\"skin-pagingPrev\" href=\"/umiko/entrylist%1.html\">前へ</a>")
                    .arg(page == 2 ? QString() : QStringLiteral("-%1").arg(page - 1));
    if (FCount - page * PageSize > 0)
        html += QStringLiteral("<a class=\"skin-pagingNext\" href=\"/umiko/entrylist-%1.html\">次へ</a>").arg(page + 1);
    html += QStringLiteral("</div></div></body></html>");
    return THttpTestResponse::Html(html.toUtf8(), "text/html; charset=UTF-8");
}
