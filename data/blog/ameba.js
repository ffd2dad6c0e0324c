// Ameba Blog (ameblo.jp): entry titles in .skin-entryTitle, the "next" paging
// button (a.skin-pagingNext) leading to older entries and older list pages, and the
// page's window.INIT_DATA where the markup leaves something out.

var AmebaTitles = [".skin-entryTitle", "a.skinArticleTitle", ".skinArticleHeader h1", ".skinArticleHeader h2"];
var AmebaListLinks = [".skin-entryTitle a", "a.skinArticleTitle", "[data-uranus-component=entryItemTitle] a",
  "a[data-uranus-component=entryItemTitle]", ".contentTitle a", "h2 a[href*=\"/entry-\"]"];

// Every entry record in INIT_DATA, keyed by its id.
function AmebaInitEntries(doc) {
  if (doc.amebaEntries)
    return doc.amebaEntries;
  var entries = {};
  var data = AssignedLiteral(doc.page, "window.INIT_DATA");
  function walk(value, depth) {
    if (!value || typeof value !== "object" || depth > 12)
      return;
    if (value.entry_id !== undefined && value.entry_title !== undefined && !entries.hasOwnProperty(String(value.entry_id)))
      entries[String(value.entry_id)] = value;
    for (var key in value) {
      if (value.hasOwnProperty(key) && value[key] && typeof value[key] === "object")
        walk(value[key], depth + 1);
    }
  }
  walk(data, 0);
  doc.amebaEntries = entries;
  return entries;
}

function AmebaEntryId(url) {
  var m = /\/entry-(\d+)\.html/.exec(url || "");
  return m ? m[1] : "";
}

// The page's own entry record: the one its canonical URL or entry element names.
function AmebaInitEntry(doc) {
  var entries = AmebaInitEntries(doc);
  var id = AmebaEntryId(PageUrl(doc)) || AttrOf(doc, "[data-unique-entry-id]", "data-unique-entry-id");
  if (id && entries.hasOwnProperty(id))
    return entries[id];
  var only = null;
  for (var key in entries) {
    if (entries.hasOwnProperty(key)) {
      if (only)
        return null;
      only = entries[key];
    }
  }
  return only;
}

function AmebaEntryLink(doc, id) {
  var m = /^https?:\/\/[^\/]+\/([^\/?#]+)\//.exec(PageUrl(doc));
  var amebaId = AttrOf(doc, "[data-unique-ameba-id]", "data-unique-ameba-id") || (m ? m[1] : "");
  return amebaId ? PageLink(doc, "/" + amebaId + "/entry-" + id + ".html") : "";
}

// The <time> text carries the time of day; its datetime attribute only the day.
function AmebaDate(doc, scope) {
  var times = Select(doc, ".skin-entryPubdate time, .articleTime time, time", scope);
  for (var i = 0; i < times.length; i++) {
    var m = /\d{4}-\d{1,2}-\d{1,2}(?:[ T]\d{1,2}:\d{2}(?::\d{2})?)?/.exec(InnerText(doc, times[i]));
    var attr = CollapseSpace(Attr(times[i], "datetime"));
    if (m && (m[0].length > 10 || !attr))
      return m[0];
    if (attr)
      return attr;
  }
  return "";
}

function AmebaItems(doc, main) {
  var links = [];
  for (var i = 0; i < AmebaListLinks.length && !links.length; i++)
    links = Select(doc, AmebaListLinks[i], main);
  var items = [];
  for (i = 0; i < links.length; i++) {
    var url = PageLink(doc, Attr(links[i], "href"));
    if (!AmebaEntryId(url))
      continue;
    var entry = Closest(links[i], "article, li, .skin-entry, .skinArticle");
    items.push({url: url, title: InnerText(doc, links[i]), date: entry ? AmebaDate(doc, entry) : ""});
  }
  if (!items.length) {
    // Markup not rendered: the records of INIT_DATA, limited to the theme of a theme page.
    var theme = /\/theme\d*-(\d+)\.html/.exec(PageUrl(doc));
    var entries = AmebaInitEntries(doc);
    for (var key in entries) {
      if (!entries.hasOwnProperty(key) || (theme && String(entries[key].theme_id) !== theme[1]))
        continue;
      items.push({url: AmebaEntryLink(doc, key), title: DecodeEntities(String(entries[key].entry_title || "")),
        date: String(entries[key].entry_created_datetime || "")});
    }
    items.sort(function (a, b) { return (DateKey(b.date) || 0) - (DateKey(a.date) || 0); });
  }
  return items;
}

function AmebaEntryDate(doc) {
  var article = SelectFirst(doc, ["article", ".skin-entry", ".skinArticle"], DeclaredMain(doc));
  return article ? AmebaDate(doc, article) : "";
}

// The page's own record in INIT_DATA, for what the markup leaves out.
function AmebaRecord(field) {
  return function (doc) {
    var entry = AmebaInitEntry(doc);
    return entry ? DecodeEntities(String(entry[field] || "")) : "";
  };
}

// The neighbours INIT_DATA names for the page's own entry (entryMetaMap[id].paging):
// "prev" is the older entry, "next" the newer; the entry numbers confirm it.
function AmebaPaging(which) {
  return function (doc) {
    var id = AmebaEntryId(PageUrl(doc)) || AttrOf(doc, "[data-unique-entry-id]", "data-unique-entry-id");
    var data = id ? AssignedLiteral(doc.page, "window.INIT_DATA") : null;
    var found = "";
    function walk(value, depth) {
      if (found || !value || typeof value !== "object" || depth > 10)
        return;
      var meta = value.entryMetaMap && value.entryMetaMap[id];
      var paging = meta && meta.paging ? meta.paging[which] : null;
      if (paging && typeof paging === "object")
        paging = paging.entry_id || paging.id || paging.url || "";
      if (paging) {
        found = /^\d+$/.test(String(paging)) ? AmebaEntryLink(doc, String(paging)) : String(paging);
        return;
      }
      for (var key in value) {
        if (value.hasOwnProperty(key) && value[key] && typeof value[key] === "object")
          walk(value[key], depth + 1);
      }
    }
    walk(data, 0);
    return found;
  };
}

BlogType({
  // How its pages are told from others' (DetectBlog).
  detect: {hosts: ["ameblo.jp", "ameba.jp"], assets: ["ameba.jp", "ameblo.jp"]},
  service: "ameba",
  main: [".skin-blogMain", "[data-uranus-layout=main]", "#main", "main", ".skin-blogBody"],
  entries: AmebaItems,
  title: [InMain(AmebaTitles), AmebaRecord("entry_title")],
  date: [AmebaEntryDate, AmebaRecord("entry_created_datetime")],
  // Entry numbers grow with every entry, which tells the paging buttons apart.
  // Skins with a footer pager (wu_pf_default) call the older entry "次へ" too.
  older: ["a.skin-pagingNext", "a.pagingNext", "a.footerNavNext", AmebaPaging("prev")],
  newer: ["a.skin-pagingPrev", "a.pagingPrev", "a.footerNavPrev", AmebaPaging("next")],
  order: UrlNumber(/\/entry-(\d+)\.html$/),
  olderList: ["a.skin-pagingNext", "a.pagingNext"]
});

// The blog's entry list (/ID/entrylist.html, then entrylist-2.html and on by its
// paging button): 20 entries a page, each with the title and the time of day that its
// page shows.
function GetEntryListUrl(page, url) {
  var doc = ListDoc(page, url);
  if (!IsServicePage(doc, "ameba"))
    return "";
  var m = /^https?:\/\/[^\/]+\/([^\/?#]+)/.exec(PageUrl(doc));
  var amebaId = AttrOf(doc, "[data-unique-ameba-id]", "data-unique-ameba-id") || (m ? m[1] : "");
  return amebaId ? PageLink(doc, "/" + amebaId + "/entrylist.html") : "";
}

function GetEntryList(page, url) {
  var doc = ListDoc(page, url);
  return EntryListLines(AmebaItems(doc, DeclaredMain(doc)));
}

function GetNextEntryListUrl(page, url) {
  var doc = ListDoc(page, url);
  return AmebaItems(doc, DeclaredMain(doc)).length ? LinkOf(doc, ["a.skin-pagingNext", "a.pagingNext"]) : "";
}

// The blog's themes: the theme module, else the entries' theme links.
function GetCategoryList(page, url) {
  return PageCategoryLines(page, url, ["[data-uranus-component=themes] a", ".skin-widgetTheme a", ".themeList a"],
    /\/theme\d*-\d+\.html$/);
}
