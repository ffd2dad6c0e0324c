// Any blog that follows the common standards: JSON-LD (BlogPosting, Article, Blog,
// ItemList), Open Graph, <time datetime>, hAtom/microformats classes, and rel="prev"
// / rel="next" links between entries and between list pages.

var GenericEntries = "article, .hentry, .h-entry, [itemtype*=BlogPosting], [itemtype$=\"schema.org/Article\"]";

// Entries listed by JSON-LD: a Blog's blogPost, or an ItemList's elements.
function GenericLdItems(doc) {
  var objects = JsonLdObjects(doc);
  var items = [];
  for (var i = 0; i < objects.length; i++) {
    var list = null;
    if (JsonLdIsType(objects[i], /^Blog$/))
      list = objects[i].blogPost;
    else if (JsonLdIsType(objects[i], /^ItemList$/))
      list = objects[i].itemListElement;
    if (!(list instanceof Array))
      continue;
    for (var j = 0; j < list.length; j++) {
      var post = list[j] && list[j].item && typeof list[j].item === "object" ? list[j].item : list[j];
      if (!post)
        continue;
      var url = typeof post === "string" ? post : JsonLdUrl(post.url || post.mainEntityOfPage || post["@id"] || list[j].url);
      items.push({url: PageLink(doc, url), date: typeof post === "object" ? JsonLdString(post.datePublished) : ""});
    }
  }
  return items;
}

function GenericDateIn(doc, scope) {
  var date = AttrOf(doc, ["time.dt-published[datetime]", "[itemprop=datePublished][datetime]", "time[pubdate][datetime]",
    "time.published[datetime]", "time[datetime]"], "datetime", scope);
  if (!date)
    date = AttrOf(doc, ["[itemprop=datePublished][content]"], "content", scope);
  return date;
}

// Entries listed by markup: the outermost entry elements of the main part, each
// with its permalink and date.
function GenericMarkupItems(doc) {
  var main = DeclaredMain(doc);
  var entries = Select(doc, GenericEntries, main);
  var items = [];
  for (var i = 0; i < entries.length; i++) {
    var outer = Closest(entries[i].parent, GenericEntries);
    if (outer && Contains(main, outer))
      continue;
    if (Closest(entries[i], "aside, nav, footer"))
      continue;
    var url = LinkOf(doc, ["a[rel~=bookmark]", ".entry-title a", ".p-name a", "a.u-url", "[itemprop=url][href]",
      "h1 a", "h2 a", "h3 a"], entries[i]);
    if (url)
      items.push({url: url, date: GenericDateIn(doc, entries[i])});
  }
  return items;
}

// A plain list: each dated item of the main part with the link it holds.
function GenericDatedItems(doc) {
  var main = DeclaredMain(doc);
  var times = Select(doc, "time[datetime]", main);
  var items = [];
  for (var i = 0; i < times.length; i++) {
    if (Closest(times[i], "aside, nav, footer"))
      continue;
    // The item's link to an entry: a date links to its day's archive.
    var url = "";
    var item = Closest(times[i], "li, tr, dt, dd, p, section, div");
    for (var up = 0; item && item.index >= 0 && up < 3 && !url; up++, item = item.parent) {
      var links = Select(doc, "a[href]", item);
      for (var j = 0; j < links.length && !url; j++) {
        url = PageLink(doc, Attr(links[j], "href"));
        if (IsListPageUrl(url))
          url = "";
      }
    }
    if (url)
      items.push({url: url, date: CollapseSpace(Attr(times[i], "datetime"))});
  }
  return items;
}

// Templates without any of those: each heading of the main part that links to a page
// of the blog's own, other than its list pages.
function GenericHeadingItems(doc) {
  var headings = Select(doc, "h1 a[href], h2 a[href], h3 a[href]", DeclaredMain(doc));
  var origin = UrlOrigin(PageUrl(doc));
  var items = [];
  for (var i = 0; i < headings.length; i++) {
    if (IsForeign(doc, headings[i]))
      continue;
    var url = PageLink(doc, Attr(headings[i], "href"));
    if (url && !IsListPageUrl(url) && (!origin || UrlOrigin(url) === origin))
      items.push({url: url, date: ""});
  }
  return items;
}

function GenericItems(doc) {
  var items = GenericLdItems(doc);
  if (!items.length)
    items = GenericMarkupItems(doc);
  if (!items.length)
    items = GenericDatedItems(doc);
  return items.length ? items : GenericHeadingItems(doc);
}

// Written out rather than declared: a top page that is itself an entry is its own newest.
function GetRecentEntry(page) {
  var doc = HtmlDoc(page);
  var url = PickNewest(GenericItems(doc));
  if (!url && (JsonLdArticle(doc) || MetaContent(doc, "og:type") === "article"))
    url = PageLink(doc, PageUrl(doc));
  return url;
}

BlogType({
  // How its pages are told from others' (DetectBlog).
  detect: {standard: true,
    generator: /^(?:Hugo|Jekyll|Movable ?Type|Ghost|Hexo|Gatsby|Eleventy|Pelican|Zola|Docusaurus|Nikola|Publii|Octopress|Drupal|Joomla|Medium|Gridsome|VuePress|MkDocs|Astro|Textpattern|Serendipity|Dotclear|Bludit|Grav|Kirby|a-blog cms)\b/i},
  main: ["main", "[role=main]", "#main", "#content"],
  entries: GenericItems,
  // The entry's title, date and older entry are what the standards layer reads.
  olderList: ["link[rel~=next]", "a[rel~=next]"]
});

// The feed the top page announces, where it pages back to the oldest entry (RFC 5005
// rel="next" links) or says it holds them all: a blog without rel="prev" links between
// its entries can then be read too. A feed of only the newest entries is no list of
// the blog, and the pages are walked instead.
var GenericFeedStart = "";

function GetEntryListUrl(page, url) {
  GenericFeedStart = AnnouncedFeed(HtmlDoc(page), url);
  return GenericFeedStart;
}

function GetEntryList(page, url) {
  return PagedFeedLines(page, url, GenericFeedStart);
}

function GetNextEntryListUrl(page, url) {
  return NextFeedUrl(page, url);
}

// Categories or tags the page links to (rel="tag", or URLs of the usual shapes).
function GetCategoryList(page, url) {
  return PageCategoryLines(page, url, ["a[rel~=tag]"],
    /\/(?:category|categories|tags?|labels?|topics?)\/[^\/?#]+\/?$|[?&](?:cat|tag)=[^&#]+$/);
}
