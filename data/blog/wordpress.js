// WordPress: classic themes (entry-title, entry-date, post-navigation) and block
// themes (wp-block-post-title, wp-block-post-date, post-navigation-link).

function WpMain(doc) {
  return SelectFirst(doc, ["main", "#main", ".site-main", "#primary", "#content"]);
}

function WpPublished(doc, scope) {
  var times = Select(doc, "time.entry-date[datetime], time.published[datetime]", scope);
  for (var i = 0; i < times.length; i++) {
    var value = CollapseSpace(Attr(times[i], "datetime"));
    if (value)
      return value;
  }
  // The block theme's "modified date" variant is not the publication date.
  times = Select(doc, ".wp-block-post-date time[datetime]", scope);
  for (i = 0; i < times.length; i++) {
    if (!HasClass(Closest(times[i], ".wp-block-post-date"), "wp-block-post-date__modified-date"))
      return CollapseSpace(Attr(times[i], "datetime"));
  }
  return "";
}

// The posts a listing page shows, each with its date and whether it is sticky.
function WpListItems(doc) {
  var scope = WpMain(doc);
  var links = Select(doc, ".entry-title a, .wp-block-post-title a", scope);
  var items = [];
  for (var i = 0; i < links.length; i++) {
    var post = Closest(links[i], "article, li.wp-block-post, .hentry, .type-post");
    items.push({
      url: PageLink(doc, Attr(links[i], "href")),
      date: post ? WpPublished(doc, post) : "",
      pinned: HasClass(post, "sticky") || HasClass(post, "is-sticky")
    });
  }
  return items;
}

function GetRecentEntry(page) {
  var doc = HtmlDoc(page);
  return IsServicePage(doc, "wordpress") ? PickNewest(WpListItems(doc)) : "";
}

function GetDate(page) {
  var doc = HtmlDoc(page);
  var date = WpPublished(doc);
  if (!date)
    date = MetaContent(doc, "article:published_time");
  if (!date) {
    var article = JsonLdArticle(doc);
    date = article ? JsonLdString(article.datePublished) : "";
  }
  return date;
}

function GetTitle(page) {
  var doc = HtmlDoc(page);
  var title = TextOf(doc, ["h1.entry-title", "h1.wp-block-post-title", ".entry-title",
    ".wp-block-post-title"], WpMain(doc));
  if (!title) {
    var article = JsonLdArticle(doc);
    title = article ? JsonLdString(article.headline || article.name) : "";
  }
  return title;
}

// Comment navigation uses .nav-previous too, so only the post navigation counts.
function GetNextUrl(page) {
  var doc = HtmlDoc(page);
  var url = LinkOf(doc, ["nav.post-navigation .nav-previous a", ".post-navigation .nav-previous a",
    ".post-navigation-link-previous a", ".wp-block-post-navigation-link.post-navigation-link-previous a"]);
  if (!url) {
    url = LinkOf(doc, "link[rel~=prev]");
    if (/\/comment-page-\d|[?&]cpage=/.test(url))
      url = "";
  }
  return url;
}

function GetEntryUrl(page) {
  var doc = HtmlDoc(page);
  if (!IsServicePage(doc, "wordpress"))
    return "";
  var items = WpListItems(doc);
  var urls = [];
  for (var i = 0; i < items.length; i++)
    urls.push(items[i].url);
  return UrlLines(urls);
}

function GetNextCategoryUrl(page) {
  var doc = HtmlDoc(page);
  return LinkOf(doc, ["a.next.page-numbers", "a.wp-block-query-pagination-next",
    ".wp-block-query-pagination-next a", "nav.posts-navigation .nav-previous a",
    ".posts-navigation .nav-previous a", "link[rel~=next]"]);
}
