// WordPress: classic themes (entry-title, entry-date, post-navigation) and block
// themes (wp-block-post-title, wp-block-post-date, post-navigation-link).

// The published date: themes that show the updated date put it first, in the same
// entry-date class.
function WpPublished(doc, scope) {
  var value = AttrOf(doc, ["time.published[datetime]", "[itemprop=datePublished][datetime]"], "datetime", scope);
  if (value)
    return value;
  var times = Select(doc, "time.entry-date[datetime]", scope);
  for (var i = 0; i < times.length; i++) {
    value = CollapseSpace(Attr(times[i], "datetime"));
    if (value && !HasClass(times[i], "updated"))
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

// A listed post's date: its <time>, else a date written as text (card themes).
function WpListDate(doc, post) {
  var date = WpPublished(doc, post);
  if (!date) {
    var text = TextOf(doc, [".post-date", ".entry-date", ".published", ".date"], post);
    if (!isNaN(DateKey(text)))
      date = text;
  }
  return date;
}

var WpPosts = "article.type-post, article.post, article[id^=post-], li.wp-block-post, .hentry";

// The posts a listing page shows, each with its date and whether it is sticky. Card
// themes give the title no link and wrap the whole post in one.
function WpListItems(doc) {
  var scope = DeclaredMain(doc);
  var links = Select(doc, ".entry-title a, .wp-block-post-title a", scope);
  var items = [];
  var i;
  var post;
  if (links.length) {
    for (i = 0; i < links.length; i++) {
      post = Closest(links[i], "article, li.wp-block-post, .hentry, .type-post");
      items.push({url: PageLink(doc, Attr(links[i], "href")), date: post ? WpListDate(doc, post) : "",
        pinned: HasClass(post, "sticky") || HasClass(post, "is-sticky")});
    }
    return items;
  }
  var posts = Select(doc, WpPosts, scope);
  for (i = 0; i < posts.length; i++) {
    post = posts[i];
    var outer = Closest(post.parent, WpPosts);
    if ((outer && Contains(scope, outer)) || Closest(post, "aside, footer, #comments"))
      continue;
    var url = LinkOf(doc, ["a[rel~=bookmark]", "h1 a", "h2 a", "h3 a"], post);
    if (!url) {
      var wrapper = Closest(post.parent, "a[href]");
      url = wrapper ? PageLink(doc, Attr(wrapper, "href")) : "";
    }
    if (url)
      items.push({url: url, date: WpListDate(doc, post), pinned: HasClass(post, "sticky") || HasClass(post, "is-sticky")});
  }
  return items.length ? items : WpHeadingItems(doc, scope);
}

// Themes without WordPress's own classes: each heading of the main part that holds a
// link, or sits inside one, with the date of its list item.
function WpHeadingItems(doc, scope) {
  var headings = Select(doc, "h2, h3", scope);
  var items = [];
  for (var i = 0; i < headings.length; i++) {
    if (Closest(headings[i], "aside, nav, footer, #comments"))
      continue;
    var url = LinkOf(doc, "a[href]", headings[i]);
    var wrapper = headings[i].parent;
    for (var up = 0; up < 4 && wrapper && wrapper.name !== "a"; up++)
      wrapper = wrapper.parent;
    if (wrapper && wrapper.name !== "a")
      wrapper = null;
    if (!url && wrapper)
      url = PageLink(doc, Attr(wrapper, "href"));
    var item = Closest(headings[i], "li, article") || wrapper;
    if (url)
      items.push({url: url, date: item ? WpListDate(doc, item) : "", pinned: false});
  }
  return items;
}

// Comment navigation uses .nav-previous and rel="prev" too, so links inside the
// comments or pointing at a comment page never count.
var WpCommentParts = "#comments, .comments-area, .comment-navigation, .comments-pagination, [id^=comment-nav]";

function WpIsCommentLink(node, url) {
  return !url || /\/comment-page-\d|[?&]cpage=/.test(url) || !!Closest(node, WpCommentParts);
}

// The first usable link of the selector list outside the comments.
function WpLinkOf(doc, selectors) {
  for (var i = 0; i < selectors.length; i++) {
    var found = Select(doc, selectors[i]);
    for (var j = 0; j < found.length; j++) {
      var url = PageLink(doc, Attr(found[j], "href"));
      if (!WpIsCommentLink(found[j], url))
        return url;
    }
  }
  return "";
}

// Classic themes call the older posts page "previous" (.nav-previous); only a link to
// a numbered page counts there, as entry and comment navigation use the class too.
function WpOlderListPage(doc) {
  var url = LinkOf(doc, ["a.next.page-numbers", "a.wp-block-query-pagination-next",
    ".wp-block-query-pagination-next a", "nav.posts-navigation .nav-previous a",
    ".posts-navigation .nav-previous a", "link[rel~=next]"]);
  if (!url) {
    var links = Select(doc, ".nav-previous a, a[rel~=next]");
    for (var i = 0; i < links.length && !url; i++) {
      url = PageLink(doc, Attr(links[i], "href"));
      if (WpIsCommentLink(links[i], url) || !/\/page\/\d+\/?(?:[?#]|$)|[?&]paged=\d+/.test(url))
        url = "";
    }
  }
  return url;
}

BlogType({
  // How its pages are told from others' (DetectBlog).
  detect: {hosts: ["wordpress.com"], generator: /^WordPress\b/i, links: ["https://api.w.org/"],
    assets: ["wp.com", "wordpress.com"], headers: /^(?:link:.*api\.w\.org.*|x-pingback:.*xmlrpc\.php.*)$/im},
  service: "wordpress",
  main: ["main", "#main", ".site-main", "#primary", "#content"],
  entries: WpListItems,
  title: [InMain(["h1.entry-title", "h1.wp-block-post-title", ".entry-title", ".wp-block-post-title"]),
    JsonLd("headline", "name")],
  date: [function (doc) { return WpPublished(doc); }, Meta("article:published_time"), JsonLd("datePublished")],
  // "Previous" is the older post in WordPress's own navigation.
  older: function (doc) {
    return WpLinkOf(doc, ["nav.post-navigation .nav-previous a", ".post-navigation .nav-previous a",
      ".post-navigation-link-previous a", ".wp-block-post-navigation-link.post-navigation-link-previous a",
      ".nav-single .nav-previous a", ".pager-post-navi a.prev-post", "#nav-single .nav-previous a",
      "#nav-below .nav-previous a[rel~=prev]", ".nav-previous a[rel~=prev]", "link[rel~=prev]", "a[rel~=prev]"]);
  },
  olderList: WpOlderListPage
});

// The REST API's post list, where the site announces the API on its top page: 100
// posts a request, newest first by date, instead of one entry page a request.
var WpListSize = 100;

// The address of a route of the REST API that a WordPress top page announces, with the
// query; empty where the page announces none.
function WpRestUrl(page, url, route, query) {
  var doc = HtmlDoc(page);
  if (!IsServicePage(doc, "wordpress"))
    return "";
  var api = AttrOf(doc, ["link[rel=\"https://api.w.org/\"]"], "href");
  if (!api)
    return "";
  api = NormalizeUrl(ResolveUrl(url || PageUrl(doc), api));
  // Sites without pretty permalinks announce "index.php?rest_route=/".
  if (/[?&]rest_route=/.test(api))
    return api.replace(/([?&])rest_route=[^&]*/, "$1rest_route=/" + route) + "&" + query;
  return api.replace(/\/?$/, "/") + route + "?" + query;
}

function GetEntryListUrl(page, url) {
  return WpRestUrl(page, url, "wp/v2/posts", "per_page=" + WpListSize + "&page=1&_fields=link,title,date");
}

// Past the last page WordPress answers 400 with this code: the list has ended.
function WpRestPosts(page) {
  var posts = ListJson(page);
  if (posts && !(posts instanceof Array) && posts.code === "rest_post_invalid_page_number")
    return [];
  if (!(posts instanceof Array))
    throw new Error("投稿の一覧ではありません: " + (posts && posts.code ? posts.code : typeof posts));
  return posts;
}

// The title is rendered HTML, read as the entry page's heading is; the date is the
// site's wall-clock time, which the entry pages show.
function GetEntryList(page, url) {
  var posts = WpRestPosts(page);
  var items = [];
  for (var i = 0; i < posts.length; i++) {
    var post = posts[i];
    items.push({url: ListLink(url, post.link), title: HtmlToText(post.title ? post.title.rendered : ""),
      date: post.date || ""});
  }
  return EntryListLines(items);
}

// A page shorter than asked for is the last one.
function GetNextEntryListUrl(page, url) {
  var m = /[?&]page=(\d+)/.exec(url);
  var size = /[?&]per_page=(\d+)/.exec(url);
  if (!m || WpRestPosts(page).length < (size ? parseInt(size[1], 10) : WpListSize))
    return "";
  return url.replace(/([?&])page=\d+/, "$1page=" + (parseInt(m[1], 10) + 1));
}

// The blog's categories from the REST API, where the top page announces it: every
// category with its archive URL, a child after its parent; else the categories widget.
function GetCategoryListSource(page, url) {
  return WpRestUrl(page, url, "wp/v2/categories", "per_page=100&orderby=name&hide_empty=true&_fields=id,name,link,parent");
}

function GetCategoryList(page, url) {
  if (/^\s*\[/.test(page)) {
    var categories = ListJson(page);
    var children = {};
    for (var i = 0; i < categories.length; i++) {
      var parent = categories[i].parent || 0;
      (children[parent] = children[parent] || []).push(categories[i]);
    }
    var items = [];
    var visit = function (parent, depth) {
      var list = children[parent] || [];
      for (var j = 0; j < list.length && depth < 20; j++) {
        items.push({name: HtmlToText(list[j].name || ""), url: ListLink(url, list[j].link)});
        visit(list[j].id, depth + 1);
      }
    };
    visit(0, 0);
    return CategoryListLines(items);
  }
  return PageCategoryLines(page, url, [".widget_categories a", ".wp-block-categories a"],
    /\/category\/|[?&]cat=\d+$/);
}
