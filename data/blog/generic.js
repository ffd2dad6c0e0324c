// Any blog that follows the common standards: JSON-LD (BlogPosting, Article, Blog,
// ItemList), Open Graph, <time datetime>, hAtom/microformats classes, and rel="prev"
// / rel="next" links between entries and between list pages.

var GenericEntries = "article, .hentry, .h-entry, [itemtype*=BlogPosting], [itemtype$=\"schema.org/Article\"]";

function GenericMain(doc) {
  return SelectFirst(doc, ["main", "[role=main]", "#main", "#content"]);
}

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
  var main = GenericMain(doc);
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
  var main = GenericMain(doc);
  var times = Select(doc, "time[datetime]", main);
  var items = [];
  for (var i = 0; i < times.length; i++) {
    if (Closest(times[i], "aside, nav, footer"))
      continue;
    var item = Closest(times[i], "li, tr, dt, dd, p, section, div");
    var url = item ? LinkOf(doc, "a[href]", item) : "";
    if (url)
      items.push({url: url, date: CollapseSpace(Attr(times[i], "datetime"))});
  }
  return items;
}

function GenericItems(doc) {
  var items = GenericLdItems(doc);
  if (!items.length)
    items = GenericMarkupItems(doc);
  return items.length ? items : GenericDatedItems(doc);
}

function GetRecentEntry(page) {
  var doc = HtmlDoc(page);
  var url = PickNewest(GenericItems(doc));
  // A top page that is itself an entry.
  if (!url && (JsonLdArticle(doc) || MetaContent(doc, "og:type") === "article"))
    url = PageLink(doc, PageUrl(doc));
  return url;
}

function GetDate(page) {
  var doc = HtmlDoc(page);
  var article = JsonLdArticle(doc);
  var date = article ? JsonLdString(article.datePublished || article.dateCreated) : "";
  if (!date)
    date = MetaContent(doc, "article:published_time");
  if (!date)
    date = GenericDateIn(doc, SelectFirst(doc, ["article", ".hentry", ".h-entry"], GenericMain(doc)) || GenericMain(doc));
  return date;
}

function GetTitle(page) {
  var doc = HtmlDoc(page);
  var article = JsonLdArticle(doc);
  var title = article ? JsonLdString(article.headline || article.name) : "";
  if (!title)
    title = CollapseSpace(MetaContent(doc, "og:title"));
  if (!title) {
    var entry = SelectFirst(doc, ["article", ".hentry", ".h-entry"], GenericMain(doc));
    title = TextOf(doc, [".entry-title", ".p-name", "[itemprop=headline]", "h1", "h2"], entry || GenericMain(doc));
  }
  return title;
}

function GetNextUrl(page) {
  return LinkOf(HtmlDoc(page), ["link[rel~=prev]", "a[rel~=prev]"]);
}

function GetEntryUrl(page) {
  var items = GenericItems(HtmlDoc(page));
  var urls = [];
  for (var i = 0; i < items.length; i++)
    urls.push(items[i].url);
  return UrlLines(urls);
}

function GetNextCategoryUrl(page) {
  return LinkOf(HtmlDoc(page), ["link[rel~=next]", "a[rel~=next]"]);
}
