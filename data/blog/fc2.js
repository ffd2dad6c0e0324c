// FC2 Blog with its default templates: entries at blog-entry-N.html, categories at
// blog-category-N.html (further pages blog-category-N-P.html), titles in
// h2.entry_header, dates written as text such as 2020/01/02 12:34.

var Fc2EntryPattern = /\/blog-entry-(\d+)\.html$/;
var Fc2DatePattern = /(\d{4})\s*([\/.\-年])\s*(\d{1,2})\s*[\/.\-月]\s*(\d{1,2})\s*日?(\s*[(（][^)）]{1,4}[)）])?(?:\s*(\d{1,2})\s*[:時]\s*(\d{2})\s*分?(?::(\d{2})|\s*(\d{2})\s*秒)?)?/;

var Fc2Titles = ["h2.entry_header", ".entry_header", ".entry_title", ".entry-title", ".entry-header",
  ".entryTitle", ".entry_ttl"];
var Fc2SideParts = "aside, #sidemenu, #side, #sidebar, .sidemenu, .plugin, .plugin_body";

// The entries' title elements of the main part: those of the known classes, else
// headings that link to an entry (templates name their classes freely). Kept with the
// page, as every date lookup needs them.
function Fc2TitleNodes(doc) {
  if (doc.fc2Titles)
    return doc.fc2Titles;
  var main = DeclaredMain(doc);
  var titles = Select(doc, Fc2Titles.join(", "), main);
  if (!titles.length) {
    var sides = Select(doc, Fc2SideParts, main);
    var links = Select(doc, "a[href]", main);
    var last = null;
    for (var i = 0; i < links.length; i++) {
      var heading = links[i].parent;
      for (var up = 0; up < 3 && heading && !Headings.hasOwnProperty(heading.name); up++)
        heading = heading.parent;
      if (!heading || !Headings.hasOwnProperty(heading.name) || heading === last ||
          isNaN(Fc2EntryNumber(PageLink(doc, Attr(links[i], "href")))))
        continue;
      var inSide = false;
      for (var j = 0; j < sides.length && !inSide; j++)
        inSide = Contains(sides[j], heading);
      if (!inSide)
        titles.push(last = heading);
    }
  }
  doc.fc2Titles = titles;
  return titles;
}

// How many of the entries' titles lie in the element.
function Fc2TitlesIn(doc, node) {
  var titles = Fc2TitleNodes(doc);
  var low = 0;
  var high = titles.length;
  while (low < high) {
    var middle = (low + high) >> 1;
    if (titles[middle].start < node.innerStart)
      low = middle + 1;
    else
      high = middle;
  }
  var count = 0;
  for (var i = low; i < titles.length && count < 2 && Contains(node, titles[i]); i++)
    count++;
  return count;
}

function Fc2EntryNumber(url) {
  var m = Fc2EntryPattern.exec(url.replace(/[?#].*$/, ""));
  return m ? parseInt(m[1], 10) : NaN;
}

// The element's text without the entry body, where dates of other days may appear;
// spaced, with a space for every tag, so that numbers in elements of their own stay apart.
function Fc2TextWithoutBody(doc, node, spaced) {
  var bodies = Select(doc, ".entry_body, .entry_more, .more, .entry-body, .entry_text, .entryBody, .entry_content, .entry-content", node);
  var html = "";
  var at = node.innerStart;
  for (var i = 0; i < bodies.length; i++) {
    if (bodies[i].start < at)
      continue;
    html += doc.page.substring(at, bodies[i].start) + " ";
    at = bodies[i].end;
  }
  html += doc.page.substring(at, node.innerEnd);
  return HtmlToText(spaced ? html.replace(/</g, " <") : html);
}

var Fc2Months = {jan: 1, feb: 2, mar: 3, apr: 4, may: 5, jun: 6, jul: 7, aug: 8, sep: 9, oct: 10, nov: 11, dec: 12};

// Dates that templates lay out rather than write: "2024 06 08" from elements of their
// own (a calendar-style date), "Jun 08, 2024" and "8 June 2024". {index, end, year,
// month, day} of the first one, or null.
function Fc2LaidOutDate(text) {
  var patterns = [
    {re: /(?:^|[^\d])((?:19|20)\d\d)\s+(\d{1,2})\s+(\d{1,2})(?!\d)/, y: 1, m: 2, d: 3},
    {re: /(?:^|[^A-Za-z])(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec)[a-z]*\.?\s*(\d{1,2})(?:st|nd|rd|th)?\s*[,.]?\s*((?:19|20)\d\d)(?!\d)/i, y: 3, m: 1, d: 2},
    {re: /(?:^|[^\d])(\d{1,2})(?:st|nd|rd|th)?\s*(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec)[a-z]*\.?\s*[,.]?\s*((?:19|20)\d\d)(?!\d)/i, y: 3, m: 2, d: 1}
  ];
  var best = null;
  for (var i = 0; i < patterns.length; i++) {
    var m = patterns[i].re.exec(text);
    if (!m)
      continue;
    var month = m[patterns[i].m];
    month = /\d/.test(month) ? parseInt(month, 10) : Fc2Months[month.substring(0, 3).toLowerCase()];
    var day = parseInt(m[patterns[i].d], 10);
    if (month < 1 || month > 12 || day < 1 || day > 31)
      continue;
    if (!best || m.index < best.index)
      best = {index: m.index, end: m.index + m[0].length, year: m[patterns[i].y], month: month, day: day};
  }
  return best;
}

// A time of day written in the text (not in the title, which may hold one: "5:30 起床").
function Fc2TimeApart(doc, title, text) {
  return /(?:^|[^\d:])([01]?\d|2[0-3])\s*:\s*([0-5]\d)(?:\s*:\s*([0-5]\d))?(?![\d:])/.exec(
    text.split(InnerText(doc, title)).join(" "));
}

function Fc2Two(number) {
  return (number < 10 ? "0" : "") + parseInt(number, 10);
}

// The first date written near the entry's title: in the smallest enclosing element
// that has one and does not hold another entry's title.
function Fc2DateNear(doc, title) {
  for (var node = title.parent; node && node.index >= 0; node = node.parent) {
    if (Fc2TitlesIn(doc, node) > 1)
      break;
    var text = Fc2TextWithoutBody(doc, node);
    var m = Fc2DatePattern.exec(text);
    var apart;
    if (m) {
      var hour = m[6];
      var minute = m[7];
      var second = m[8] || m[9];
      if (!hour) {
        // Templates that write the time apart from the day, as in "12:34" in the footer.
        apart = Fc2TimeApart(doc, title, text.substring(m.index + m[0].length));
        if (!apart)
          return CollapseSpace(m[0]);
        hour = apart[1];
        minute = apart[2];
        second = apart[3];
      } else if (!m[5] && !/[\/.\-月]\s*\d{3,4}\s*[:時]/.test(m[0])) {
        return CollapseSpace(m[0]);
      }
      // "2020/01/02(木) 12:34" without the day of the week, and "2013-07-05" and
      // "17:00" of elements of their own, which the text runs together.
      var sep = m[2] === "年" ? "/" : m[2];
      return m[1] + sep + Fc2Two(m[3]) + sep + Fc2Two(m[4]) + " " + hour + ":" + minute + (second ? ":" + second : "");
    }
    text = Fc2TextWithoutBody(doc, node, true);
    var laid = Fc2LaidOutDate(text);
    if (laid) {
      apart = Fc2TimeApart(doc, title, text.substring(laid.end));
      return laid.year + "/" + Fc2Two(laid.month) + "/" + Fc2Two(laid.day) +
        (apart ? " " + apart[1] + ":" + apart[2] + (apart[3] ? ":" + apart[3] : "") : "");
    }
    var time = AttrOf(doc, "time[datetime]", "datetime", node);
    if (time)
      return time;
  }
  return "";
}

function Fc2Items(doc) {
  var main = DeclaredMain(doc);
  var titles = Fc2TitleNodes(doc);
  var items = [];
  for (var i = 0; i < titles.length; i++) {
    var url = LinkOf(doc, "a[href]", titles[i]);
    if (url && !isNaN(Fc2EntryNumber(url)))
      items.push({url: url, date: Fc2DateNear(doc, titles[i])});
  }
  if (!items.length) {
    var links = Select(doc, "a[href]", main);
    for (i = 0; i < links.length; i++) {
      if (Closest(links[i], Fc2SideParts))
        continue;
      url = PageLink(doc, Attr(links[i], "href"));
      if (!isNaN(Fc2EntryNumber(url)))
        items.push({url: url, date: ""});
    }
  }
  return items;
}

// Which entry this page shows: its own URL, the comment form's entry number, or the
// link of its title.
function Fc2CurrentNumber(doc) {
  var number = Fc2EntryNumber(PageUrl(doc));
  if (isNaN(number))
    number = parseInt(AttrOf(doc, ["input[name=\"comment[no]\"]"], "value"), 10);
  if (isNaN(number)) {
    var titles = Fc2TitleNodes(doc);
    number = titles.length ? Fc2EntryNumber(LinkOf(doc, "a[href]", titles[0])) : NaN;
  }
  return number;
}

function Fc2Date(doc) {
  var titles = Fc2TitleNodes(doc);
  return titles.length ? Fc2DateNear(doc, titles[0]) : "";
}

function Fc2Title(doc) {
  var titles = Fc2TitleNodes(doc);
  return titles.length ? InnerText(doc, titles[0]) : "";
}

// The templates link the older entry with rel="next" (and the newer with rel="prev").
// Entry numbers grow with every new entry, so when the page's own number is known
// a link to a higher number is never taken as the older one: a walk cannot turn
// back on itself.
function Fc2OlderEntry(doc) {
  var older = LinkOf(doc, ["link[rel~=next]", "a[rel~=next]"]);
  var newer = LinkOf(doc, ["link[rel~=prev]", "a[rel~=prev]"]);
  if (isNaN(Fc2EntryNumber(older)))
    older = "";
  if (isNaN(Fc2EntryNumber(newer)))
    newer = "";
  var current = Fc2CurrentNumber(doc);
  if (isNaN(current))
    return older;
  if (older && Fc2EntryNumber(older) < current)
    return older;
  if (newer && Fc2EntryNumber(newer) < current)
    return newer;
  return older || newer ? "" : Fc2NearestOlder(doc, current);
}

// Without rel links: the highest entry number below this one among the blog's own
// entry links on the page (the page navigation, but also lists and plugins).
function Fc2NearestOlder(doc, current) {
  var origin = UrlOrigin(PageUrl(doc));
  var links = Select(doc, "a[href]");
  var best = "";
  var bestNumber = -1;
  for (var i = 0; i < links.length; i++) {
    var url = PageLink(doc, Attr(links[i], "href"));
    var number = Fc2EntryNumber(url);
    if (number < current && number > bestNumber && (!origin || UrlOrigin(url) === origin)) {
      best = url;
      bestNumber = number;
    }
  }
  return best;
}

// The next page: the rel="next" link, the link to the page numbered one higher than
// this one's own URL, or a link to a list page that says it leads on.
function Fc2OlderListPage(doc) {
  var url = LinkOf(doc, ["link[rel~=next]", "a[rel~=next]"]);
  if (url)
    return url;
  var links = Select(doc, "a[href]");
  var own = /\/blog-category-(\d+)(?:-(\d+))?\.html$/.exec(PageUrl(doc).replace(/[?#].*$/, ""));
  if (own) {
    var wanted = "/blog-category-" + own[1] + "-" + ((own[2] ? parseInt(own[2], 10) : 0) + 1) + ".html";
    for (var i = 0; i < links.length; i++) {
      url = PageLink(doc, Attr(links[i], "href"));
      if (url.replace(/[?#].*$/, "").slice(-wanted.length) === wanted)
        return url;
    }
  }
  for (i = 0; i < links.length; i++) {
    url = PageLink(doc, Attr(links[i], "href"));
    if (/\/(?:blog-category-\d+-\d+|page-\d+)\.html$/.test(url) &&
        /次のページ|次へ|次の\d+件|next|»/i.test(InnerText(doc, links[i]) + " " + Attr(links[i], "title")))
      return url;
  }
  return "";
}

BlogType({
  // How its pages are told from others' (DetectBlog).
  detect: {hosts: ["fc2.com", "fc2blog.net", "fc2blog.us"], assets: ["fc2.com", "fc2.net"]},
  service: "fc2",
  // "#contents" and "#content" often hold the side menu as well.
  main: ["#main_contents", "#main", "main", "[role=main]", "#mainColumn", "#main-column",
    "#main_column", "#contents", "#content", ".main"],
  entries: Fc2Items,
  title: Fc2Title,
  date: Fc2Date,
  older: Fc2OlderEntry,
  // Entry numbers grow with every entry: what the standards find is checked by them.
  order: UrlNumber(Fc2EntryPattern),
  current: function (doc) {
    var number = Fc2CurrentNumber(doc);
    return isNaN(number) ? "" : "/blog-entry-" + number + ".html";
  },
  olderList: Fc2OlderListPage
});

// The blog's categories: the category plugin, else the entries' category links.
function GetCategoryList(page, url) {
  return PageCategoryLines(page, url, [".plugin-category a", ".plugin-category-list a", ".category_list a"],
    /\/blog-category-\d+\.html$/);
}
