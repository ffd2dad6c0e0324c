#pragma once

#include "Httptestserver.h"
#include "blogtype/Tblogconfig.h"

#include <QDateTime>
#include <QString>

#include <atomic>

// Blogs of many entries made in code and served on 127.0.0.1 as the services serve
// them: a top page, one page per entry linked to the older one, and the service's
// entry list (WordPress's REST API post list, Blogger's JSON feed, Hatena Blog's Atom
// feed paged by time, Ameba's entry list pages, and for a blog of no service an RSS
// feed paged by RFC 5005 links). Titles carry character references and markup characters; times are in a
// zone 9 hours ahead of UTC.
class TServiceBlog
{
public:
    enum class TService { WordPress, Blogger, Hatena, Ameba, Generic };
    // How the entry list answers.
    enum class TListMode {
        Served,
        Forbidden,    // 403 at every list page
        NotJson,      // an HTML page with 200
        Empty,        // no entries
        FailsLater,   // 500 from the second page on
        Retitled,     // titles unlike the entry pages'
        OtherUrls,    // entry URLs with a query that the pages' links do not carry
        EditedFirst,  // posts edited last first, whatever is asked (Blogger)
        NewestOnly,   // a feed of the newest entries that pages no further (Hatena, Generic)
        EmptyLater,   // 200 without entries from the second page on (a maintenance page)
        Repeats,      // the first page's entries at every page, as a cache that ignores the query
    };

    // count entries; number 1 is the oldest.
    TServiceBlog(TService service, int count);
    // The blog as it is after more posts (or as it was before some).
    void SetCount(int count) { FCount = count; }

    THttpTestServer Server;
    std::atomic<TListMode> ListMode{TListMode::Served};
    // Whether entry pages link the older entry (Generic).
    std::atomic<bool> OlderLinks{true};
    // Whether entry pages show their title (WordPress).
    std::atomic<bool> TitledPages{true};
    // The number of posts WordPress's list announces (X-WP-Total) when not 0.
    std::atomic<int> AnnouncedTotal{0};

    QString TopUrl() const { return Server.Url(QStringLiteral("/")); }
    TBlogConfig BlogConfig() const;
    // Requests for the entry list and for everything else.
    int ListRequests() const;
    int PageRequests() const;

    // Blogger's labels of entry n ("偶数" for the even, "三の倍数" for multiples of
    // three) and a label's page.
    static QStringList Labels(int n);
    QString LabelUrl(const QString &label) const;

    // The entry's URL, title (as a reader sees it) and local time.
    QString EntryUrl(int n) const;
    static QString Title(int n);
    static QDateTime LocalTime(int n);

private:
    std::optional<THttpTestResponse> Answer(const THttpTestRequest &request) const;
    THttpTestResponse TopPage() const;
    THttpTestResponse EntryPage(int n) const;
    THttpTestResponse WordPressList(int page, int perPage) const;
    THttpTestResponse EmptyList() const;
    THttpTestResponse BloggerFeed(int start, int max, bool byPublished, const QString &label) const;
    THttpTestResponse LabelPage(const QString &label, int start) const;
    THttpTestResponse HatenaFeed(qint64 before) const;
    THttpTestResponse GenericFeed(int page, int entriesOf) const;
    THttpTestResponse AmebaList(int page, int entriesOf) const;
    static QString AmebaArticle(int n, const QString &url, const QString &title);
    int EntryNumber(const QString &target) const;
    QString ListTitle(int n) const;
    QString ListEntryUrl(int n) const;
    bool IsListTarget(const QByteArray &target) const;

    TService FService;
    std::atomic<int> FCount;
};
