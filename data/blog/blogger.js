// Blogger (blogspot.com and custom domains): the posts of the main Blog widget
// (Blog1), its "older post" link, label pages under /search/label/.

// "?m=1" only asks for the mobile view of the same post.
function BloggerUrlFilter(url) {
  var m = /^([^?]*)\?([^#]*)$/.exec(url);
  if (!m)
    return url;
  var kept = [];
  var params = m[2].split("&");
  for (var i = 0; i < params.length; i++) {
    if (!/^m=[01]$/.test(params[i]))
      kept.push(params[i]);
  }
  return kept.length ? m[1] + "?" + kept.join("&") : m[1];
}

function BloggerDate(doc, scope) {
  var date = AttrOf(doc, ["abbr.published[title]"], "title", scope);
  if (!date)
    date = AttrOf(doc, ["time.published[datetime]", "[itemprop=datePublished][datetime]"], "datetime", scope);
  if (!date)
    date = AttrOf(doc, [".published[title]", "[itemprop=datePublished][title]"], "title", scope);
  if (!date)
    date = AttrOf(doc, ["meta[itemprop=datePublished]"], "content", scope);
  return date;
}

function BloggerPostUrl(doc, post) {
  var url = LinkOf(doc, [".post-title a", ".entry-title a", "a.timestamp-link", "a[rel~=bookmark]"], post);
  if (!url)
    url = PageLink(doc, AttrOf(doc, "meta[itemprop=url]", "content", post));
  return url;
}

function BloggerPosts(doc, main) {
  var posts = Select(doc, ".post-outer", main);
  if (!posts.length)
    posts = Select(doc, ".post", main);
  var items = [];
  for (var i = 0; i < posts.length; i++)
    items.push({url: BloggerPostUrl(doc, posts[i]), date: BloggerDate(doc, posts[i])});
  return items;
}

// The older page: an href, or for "load more" buttons whose href goes nowhere, the
// URL they load.
function BloggerOlderLink(doc) {
  var links = Select(doc, "#Blog1_blog-pager-older-link, a.blog-pager-older-link, [id$=_blog-pager-older-link]");
  for (var i = 0; i < links.length; i++) {
    var url = PageLink(doc, Attr(links[i], "href"));
    if (!url)
      url = PageLink(doc, Attr(links[i], "data-load") || Attr(links[i], "data-url"));
    if (url)
      return url;
  }
  return "";
}

// Featured and popular post widgets use the same classes outside the Blog widget
// (Blog1), which is the main part.
BlogType({
  // How its pages are told from others' (DetectBlog).
  detect: {hosts: ["blogspot.com", "blogspot.jp", "blogger.com"], generator: /^Blogger$/i,
    assets: ["blogger.com", "blogblog.com", "blogspot.com", "blogger.googleusercontent.com"]},
  service: "blogger",
  filterUrl: BloggerUrlFilter,
  main: ["#Blog1", ".widget.Blog", ".blog-posts", "#main"],
  entries: BloggerPosts,
  title: [".post-title", ".entry-title", JsonLd("headline", "name")],
  date: [BloggerDate, JsonLd("datePublished")],
  older: BloggerOlderLink,
  olderList: BloggerOlderLink
});

// The blog's JSON feed: 150 posts a request, newest first, instead of one post page a
// request.
var BloggerListSize = 150;

function GetEntryListUrl(page, url) {
  var doc = HtmlDoc(page);
  if (!IsServicePage(doc, "blogger"))
    return "";
  var feed = AttrOf(doc, ["link[rel~=alternate][type=\"application/atom+xml\"]"], "href");
  feed = feed ? NormalizeUrl(ResolveUrl(url || PageUrl(doc), feed)) : "";
  if (!/\/feeds\/posts\/default$/.test(feed)) {
    var origin = UrlOrigin(url || PageUrl(doc));
    if (!origin)
      return "";
    feed = origin + "/feeds/posts/default";
  }
  // Unless asked, the feed puts the posts edited last first.
  return feed + "?alt=json&orderby=published&start-index=1&max-results=" + BloggerListSize;
}

function BloggerFeed(page) {
  var json = ListJson(page);
  if (!json || !json.feed)
    throw new Error("Blogger のフィードではありません");
  return json.feed;
}

function BloggerLink(links, rel) {
  for (var i = 0; links && i < links.length; i++) {
    if (links[i].rel === rel)
      return links[i].href || "";
  }
  return "";
}

// The post pages give the published time without its milliseconds.
function GetEntryList(page, url) {
  var entries = BloggerFeed(page).entry || [];
  var items = [];
  for (var i = 0; i < entries.length; i++) {
    var entry = entries[i];
    var title = entry.title || {};
    items.push({url: ListLink(url, BloggerLink(entry.link, "alternate")),
      title: title.type === "html" ? HtmlToText(title.$t || "") : title.$t,
      date: ((entry.published || {}).$t || "").replace(/(T\d\d:\d\d:\d\d)\.\d+/, "$1")});
  }
  return EntryListLines(items);
}

// The next start index on the blog's own host while the feed names a next page (its
// link points at www.blogger.com over http), or while pages come full. Blogger may give
// fewer posts than asked for before the end, so the index moves by what came.
function GetNextEntryListUrl(page, url) {
  var feed = BloggerFeed(page);
  var count = (feed.entry || []).length;
  var start = /[?&]start-index=(\d+)/.exec(url);
  var size = /[?&]max-results=(\d+)/.exec(url);
  if (!count || (!BloggerLink(feed.link, "next") && count < (size ? parseInt(size[1], 10) : BloggerListSize)))
    return "";
  if (!start)
    return ListLink(url, BloggerLink(feed.link, "next"));
  return url.replace(/([?&])start-index=\d+/, "$1start-index=" + (parseInt(start[1], 10) + count));
}

// A label's posts by the label's feed (/feeds/posts/default/-/LABEL), 150 a request
// instead of a label page of some 20: the label pages list the same posts, newest first.
function GetCategoryListUrl(page, url) {
  var doc = HtmlDoc(page);
  var m = /^(https?:\/\/[^\/?#]+)\/search\/label\/([^\/?#]+)/.exec(url || "");
  if (!m || !IsServicePage(doc, "blogger"))
    return "";
  return m[1].toLowerCase() + "/feeds/posts/default/-/" + m[2] + "?alt=json&orderby=published&start-index=1&max-results=" +
    BloggerListSize;
}

// The blog's labels: the label gadget, else the posts' label links.
function GetCategoryList(page, url) {
  return PageCategoryLines(page, url, [".widget.Label a", "[id^=Label] a"], /\/search\/label\/[^\/?#]+(?:\?m=1)?$/);
}
