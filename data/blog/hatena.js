// Hatena Blog: entries of #main only (the sidebar modules link entries too), the
// entry-title-link of each, pagers .pager-next (towards older entries).

function HatenaMain(doc) {
  return SelectFirst(doc, ["#main", "#main-inner", "main"]);
}

function HatenaItems(doc) {
  var links = Select(doc, "a.entry-title-link", HatenaMain(doc));
  var items = [];
  for (var i = 0; i < links.length; i++) {
    var entry = Closest(links[i], "article, section.archive-entry, .archive-entry, .entry");
    items.push({
      url: PageLink(doc, Attr(links[i], "href")),
      date: entry ? AttrOf(doc, ["time[datetime]"], "datetime", entry) : ""
    });
  }
  return items;
}

function HatenaEntry(doc) {
  return SelectFirst(doc, ["article.entry", "article"], HatenaMain(doc));
}

function GetRecentEntry(page) {
  var doc = HtmlDoc(page);
  // Pinned entries come first on the top page whatever their age.
  return IsServicePage(doc, "hatena") ? PickNewest(HatenaItems(doc)) : "";
}

// The header's <time> gives the moment in UTC; the page's JSON-LD gives the same
// moment in the blog's own time zone, which is the date its readers see.
function GetDate(page) {
  var doc = HtmlDoc(page);
  var date = AttrOf(doc, [".entry-header time[datetime]", ".entry-date time[datetime]", "time[datetime]"],
    "datetime", HatenaEntry(doc) || HatenaMain(doc));
  var article = JsonLdArticle(doc);
  var published = article ? JsonLdString(article.datePublished) : "";
  if (!date)
    return published;
  if (published && /(?:Z|[+-]00:?00)$/i.test(date) && Date.parse(published) === Date.parse(date))
    return published;
  return date;
}

function GetTitle(page) {
  var doc = HtmlDoc(page);
  var title = TextOf(doc, ["a.entry-title-link", ".entry-title"], HatenaEntry(doc) || HatenaMain(doc));
  if (!title) {
    var article = JsonLdArticle(doc);
    title = article ? JsonLdString(article.headline) : "";
  }
  return title;
}

function GetNextUrl(page) {
  var doc = HtmlDoc(page);
  return LinkOf(doc, [".pager-permalink .pager-next a", ".pager-next a"]);
}

function GetEntryUrl(page) {
  var doc = HtmlDoc(page);
  if (!IsServicePage(doc, "hatena"))
    return "";
  var items = HatenaItems(doc);
  var urls = [];
  for (var i = 0; i < items.length; i++)
    urls.push(items[i].url);
  return UrlLines(urls);
}

function GetNextCategoryUrl(page) {
  return LinkOf(HtmlDoc(page), [".pager-next a"]);
}
