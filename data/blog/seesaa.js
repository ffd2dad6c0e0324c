// Seesaa Blog: articles at /article/N.html, whose numbers grow with every article;
// the day in a date heading above the articles of that day (or beside the title),
// the time in the "posted by ... at 21:05" line; categories at /category/N-P.html.

var SeesaaTitles = [".article-title", "h3.title", "h2.title"];

// The day written for the article: inside it, else the last date heading before it.
function SeesaaDay(doc, article) {
  var day = TextOf(doc, [".article-date", ".date"], article);
  if (!day) {
    var headings = Select(doc, ".date", DeclaredMain(doc));
    for (var i = 0; i < headings.length && headings[i].start < article.start; i++)
      day = InnerText(doc, headings[i]);
  }
  return day;
}

function SeesaaDate(doc, article) {
  if (!article)
    return "";
  var day = /(\d{4})\s*[年\/.-]\s*(\d{1,2})\s*[月\/.-]\s*(\d{1,2})/.exec(SeesaaDay(doc, article));
  if (!day)
    return "";
  var two = function (n) { return (n.length < 2 ? "0" : "") + n; };
  var date = day[1] + "/" + two(day[2]) + "/" + two(day[3]);
  var time = /\bat\s*(\d{1,2}:\d{2}(?::\d{2})?)/.exec(TextOf(doc, [".article-info", ".posted"], article));
  return time ? date + " " + time[1] : date;
}

var SeesaaArticle = /\/article\/\d+\.html$/;
var SeesaaPagers = [".navi", ".page-navi", ".navigation", ".pager", ".article-navi"];

// The links of the article pager to other articles: they name the neighbours by
// title, older first in most templates, and the article numbers tell them apart.
function SeesaaPagerLink(last) {
  return function (doc) {
    var pager = SelectFirst(doc, SeesaaPagers);
    var links = pager ? Select(doc, "a[href]", pager) : [];
    var found = [];
    for (var i = 0; i < links.length; i++) {
      var url = PageLink(doc, Attr(links[i], "href"));
      if (SeesaaArticle.test(url) && url !== PageUrl(doc))
        found.push(url);
    }
    return found.length ? found[last ? found.length - 1 : 0] : "";
  };
}

BlogType({
  // How its pages are told from others' (DetectBlog).
  detect: {hosts: ["seesaa.net", "sblo.jp", "seesaa.jp"], assets: ["seesaa.net", "seesaa.jp", "sblo.jp"]},
  service: "seesaa",
  main: ["#content", "#main", ".content", "main"],
  entries: {links: SeesaaTitles.join(" a, ") + " a", around: ".article, .blog, article", date: SeesaaDate},
  entry: [".article", ".blog", "article"],
  title: [SeesaaTitles, Meta("og:title")],
  date: SeesaaDate,
  older: ["link[rel~=prev]", "a[rel~=prev]", SeesaaPagerLink(false)],
  newer: ["link[rel~=next]", "a[rel~=next]", SeesaaPagerLink(true)],
  order: UrlNumber(/\/article\/(\d+)\.html$/),
  olderList: ["link[rel~=next]", "a[rel~=next]", LinkByText(/^\s*次のページ|^\s*次の\d+件/)]
});

// The blog's categories: the side bar's category list, else the entries' category links.
function GetCategoryList(page, url) {
  return PageCategoryLines(page, url, [".sidebar-category a", "#category a"], /\/category\/\d+-\d+\.html$/);
}
