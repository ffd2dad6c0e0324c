// Hatena Blog: entries of #main only (the sidebar modules link entries too), the
// entry-title-link of each, pagers .pager-next (towards older entries).

// The header's <time> gives the moment in UTC; the page's JSON-LD gives the same
// moment in the blog's own time zone, which is the date its readers see.
function HatenaDate(doc, entry) {
  var date = AttrOf(doc, [".entry-header time[datetime]", ".entry-date time[datetime]", "time[datetime]"],
    "datetime", entry);
  var published = JsonLd("datePublished")(doc);
  if (!date)
    return published;
  if (published && /(?:Z|[+-]00:?00)$/i.test(date) && Date.parse(published) === Date.parse(date))
    return published;
  return date;
}

BlogType({
  // How its pages are told from others' (DetectBlog).
  detect: {hosts: ["hatenablog.com", "hatenablog.jp", "hateblo.jp", "hatenadiary.com", "hatenadiary.jp", "hatenadiary.org", "hatena.blog"],
    assets: ["blog.st-hatena.com"], headers: /^x-dispatch:.*hatena.*$/im},
  service: "hatena",
  main: ["#main", "#main-inner", "main"],
  // Pinned entries come first on the top page whatever their age; their dates tell.
  entries: {links: "a.entry-title-link", around: "article, section.archive-entry, .archive-entry, .entry",
    date: "time[datetime]@datetime"},
  entry: ["article.entry", "article"],
  title: ["a.entry-title-link", ".entry-title", JsonLd("headline")],
  date: HatenaDate,
  // Entry URLs are usually dated (/entry/2024/03/10/123456), which tells the pager's
  // direction in templates that swap it.
  older: [".pager-permalink .pager-next a", ".pager-next a"],
  newer: [".pager-permalink .pager-prev a", ".pager-prev a"],
  order: UrlNumber(/\/entry\/(\d{4})\/(\d{2})\/(\d{2})\/(\d{6})$/),
  olderList: ".pager-next a"
});

// The blog's Atom feed, paged by its rel="next" links (/feed?page=<time>): its titles
// and its publication times, in the blog's own zone, are what the entry pages show. A
// blog whose entries all fit on the feed's first page is walked.
var HatenaFeedStart = "";

function GetEntryListUrl(page, url) {
  var doc = HtmlDoc(page);
  if (!IsServicePage(doc, "hatena"))
    return "";
  HatenaFeedStart = AnnouncedFeed(doc, url);
  if (!/\/feed$/.test(HatenaFeedStart)) {
    var origin = UrlOrigin(url || PageUrl(doc));
    HatenaFeedStart = origin ? origin + "/feed" : "";
  }
  return HatenaFeedStart;
}

function GetEntryList(page, url) {
  return PagedFeedLines(page, url, HatenaFeedStart);
}

function GetNextEntryListUrl(page, url) {
  return NextFeedUrl(page, url);
}

// The blog's categories: the category module of the side bar, else the entries' links.
function GetCategoryList(page, url) {
  return PageCategoryLines(page, url, [".hatena-module-category a", ".hatena-module-category-list a"],
    /\/archive\/category\/[^\/?#]+$/);
}
