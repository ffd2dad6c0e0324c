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

// The first article's field: on an entry page, the entry's own.
function LdField(name) {
  return function (doc) {
    var articles = LdArticles(doc);
    return articles.length ? LdText(articles[0][name]) : "";
  };
}

// Old templates link the next pages by plain anchors that only their text tells apart.
var LdArchive = /\/archives\/(?!cat_)[^\/?#]+\.html$/;

BlogType({
  // How its pages are told from others' (DetectBlog).
  detect: {hosts: ["livedoor.jp", "livedoor.blog", "blog.jp", "doorblog.jp", "ldblog.jp", "livedoor.biz", "dreamlog.jp", "diary.to"],
    assets: ["livedoor.jp", "livedoor.com", "blogimg.jp", "ldblog.jp"]},
  service: "livedoor",
  main: [".main-container", "#main", "#content", "main"],
  entries: function (doc) {
    var articles = LdArticles(doc);
    var items = [];
    for (var i = 0; i < articles.length; i++)
      items.push({url: PageLink(doc, LdText(articles[i].permalink)), date: LdText(articles[i].date)});
    return items;
  },
  entry: ["article", ".article", ".blogbody"],
  // Old templates put the title beside the article rather than in it.
  title: [LdField("title"), InMain([".article-title", ".blogbody .title", "h2.title", "h3.title"])],
  date: [LdField("date"), "time[datetime]@datetime", "abbr.published[title]@title", "abbr.updated[title]@title"],
  // Templates differ in which pager link leads to the older article ("次の記事" is
  // older in most, newer in some); the archive number, which grows with every
  // article, tells them apart.
  older: ["li.paging-next a", ".article-pager-next a", "link[rel~=next]", "a[rel~=next]",
    LinkByText(/^次の記事/, LdArchive)],
  newer: ["li.paging-prev a", ".article-pager-prev a", "link[rel~=prev]", "a[rel~=prev]",
    LinkByText(/^前の記事/, LdArchive)],
  order: UrlNumber(/\/archives\/(\d+)\.html$/),
  // Saved or trimmed pages may lack the script data: the title's own link tells then.
  current: [LdField("permalink"), "link[rel~=canonical]", ".article-title a", "h2.title a", "h3.title a"],
  olderList: ["li.paging-next a", "link[rel~=next]", "a[rel~=next]", LinkByText(/^次(?:のページ|へ)/, /[?&]p=\d+$/)]
});

// The blog's categories: the category plugin, else the entries' category links.
function GetCategoryList(page, url) {
  return PageCategoryLines(page, url, [".plugin-categories a", ".sidebody.category a", "#category a"],
    /\/archives\/cat_\d+\.html$/);
}
