// livedoor Blog: every page carries its articles in the script variable
// ld_blog_vars (permalink, title, date, categories), filled by the initial object
// literal and by one ld_blog_vars.articles.push({...}) per article shown.

function LdArticles(doc) {
  if (doc.ldArticles)
    return doc.ldArticles;
  var found = [];
  var vars = AssignedLiteral(doc.page, "ld_blog_vars");
  if (vars && vars.articles instanceof Array)
    found = found.concat(vars.articles);
  var pattern = /ld_blog_vars\.articles\.push\(\s*(?=\{)/g;
  var m;
  while ((m = pattern.exec(doc.page)) !== null) {
    var article = ReadLiteral(doc.page, pattern.lastIndex);
    // An object that never closes swallows the rest of the page, later pushes too.
    if (!article)
      break;
    found.push(article);
  }
  var articles = [];
  for (var i = 0; i < found.length; i++) {
    if (found[i] && typeof found[i] === "object" && found[i].permalink)
      articles.push(found[i]);
  }
  doc.ldArticles = articles;
  return articles;
}

function LdText(value) {
  return typeof value === "string" || typeof value === "number" ? CollapseSpace(DecodeEntities(String(value))) : "";
}

function LdMain(doc) {
  return SelectFirst(doc, [".main-container", "#main", "#content", "main"]);
}

function GetRecentEntry(page) {
  var doc = HtmlDoc(page);
  if (!IsServicePage(doc, "livedoor"))
    return "";
  var articles = LdArticles(doc);
  var items = [];
  for (var i = 0; i < articles.length; i++)
    items.push({url: PageLink(doc, LdText(articles[i].permalink)), date: LdText(articles[i].date)});
  return PickNewest(items);
}

function GetDate(page) {
  var doc = HtmlDoc(page);
  var articles = LdArticles(doc);
  var date = articles.length ? LdText(articles[0].date) : "";
  if (!date) {
    var article = SelectFirst(doc, ["article", ".article", ".blogbody"], LdMain(doc));
    date = AttrOf(doc, ["time[datetime]"], "datetime", article);
    if (!date)
      date = AttrOf(doc, ["abbr.published[title]", "abbr.updated[title]"], "title", article);
  }
  return date;
}

function GetTitle(page) {
  var doc = HtmlDoc(page);
  var articles = LdArticles(doc);
  var title = articles.length ? LdText(articles[0].title) : "";
  if (!title)
    title = TextOf(doc, [".article-title", ".blogbody .title", "h2.title", "h3.title"], LdMain(doc));
  return title;
}

// Old templates link the next pages by plain anchors that only their text tells apart.
function LdLinkByText(doc, text, url) {
  var links = Select(doc, "a[href]");
  for (var i = 0; i < links.length; i++) {
    if (!text.test(InnerText(doc, links[i])))
      continue;
    var found = PageLink(doc, Attr(links[i], "href"));
    if (url.test(found))
      return found;
  }
  return "";
}

function GetNextUrl(page) {
  var doc = HtmlDoc(page);
  var url = LinkOf(doc, ["li.paging-next a", ".article-pager-next a", "link[rel~=next]", "a[rel~=next]"]);
  return url || LdLinkByText(doc, /^次の記事/, /\/archives\/(?!cat_)[^\/?#]+\.html$/);
}

function GetEntryUrl(page) {
  var doc = HtmlDoc(page);
  if (!IsServicePage(doc, "livedoor"))
    return "";
  var articles = LdArticles(doc);
  var urls = [];
  for (var i = 0; i < articles.length; i++)
    urls.push(PageLink(doc, LdText(articles[i].permalink)));
  return UrlLines(urls);
}

function GetNextCategoryUrl(page) {
  var doc = HtmlDoc(page);
  var url = LinkOf(doc, ["li.paging-next a", "link[rel~=next]", "a[rel~=next]"]);
  return url || LdLinkByText(doc, /^次(?:のページ|へ)/, /[?&]p=\d+$/);
}
