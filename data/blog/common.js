// Helpers shared by every blog type script; the program loads this file (and the
// service registry services.js) ahead of each blog type's own script. Plain
// ECMAScript: pages arrive as one string, and everything here works on that string
// alone. A blog type usually only declares what its pages look like (BlogType at the
// end of this file); the guide for blog type authors tells how.

// ---------------------------------------------------------------- entities

var NamedEntities = (function () {
  var table = {amp: 38, lt: 60, gt: 62, quot: 34, apos: 39};
  var latin1 = ("nbsp iexcl cent pound curren yen brvbar sect uml copy ordf laquo not shy " +
    "reg macr deg plusmn sup2 sup3 acute micro para middot cedil sup1 ordm raquo frac14 " +
    "frac12 frac34 iquest Agrave Aacute Acirc Atilde Auml Aring AElig Ccedil Egrave Eacute " +
    "Ecirc Euml Igrave Iacute Icirc Iuml ETH Ntilde Ograve Oacute Ocirc Otilde Ouml times " +
    "Oslash Ugrave Uacute Ucirc Uuml Yacute THORN szlig agrave aacute acirc atilde auml " +
    "aring aelig ccedil egrave eacute ecirc euml igrave iacute icirc iuml eth ntilde ograve " +
    "oacute ocirc otilde ouml divide oslash ugrave uacute ucirc uuml yacute thorn yuml").split(" ");
  for (var i = 0; i < latin1.length; i++)
    table[latin1[i]] = 160 + i;
  var greek = "Alpha Beta Gamma Delta Epsilon Zeta Eta Theta Iota Kappa Lambda Mu Nu Xi Omicron Pi Rho".split(" ");
  for (i = 0; i < greek.length; i++) {
    table[greek[i]] = 913 + i;
    table[greek[i].toLowerCase()] = 945 + i;
  }
  var greek2 = "Sigma Tau Upsilon Phi Chi Psi Omega".split(" ");
  for (i = 0; i < greek2.length; i++) {
    table[greek2[i]] = 931 + i;
    table[greek2[i].toLowerCase()] = 963 + i;
  }
  var others = ("sigmaf 962 thetasym 977 upsih 978 piv 982 OElig 338 oelig 339 Scaron 352 " +
    "scaron 353 Yuml 376 fnof 402 circ 710 tilde 732 ensp 8194 emsp 8195 thinsp 8201 " +
    "zwnj 8204 zwj 8205 lrm 8206 rlm 8207 hyphen 8208 ndash 8211 mdash 8212 lsquo 8216 " +
    "rsquo 8217 sbquo 8218 ldquo 8220 rdquo 8221 bdquo 8222 dagger 8224 Dagger 8225 " +
    "bull 8226 hellip 8230 permil 8240 prime 8242 Prime 8243 lsaquo 8249 rsaquo 8250 " +
    "oline 8254 frasl 8260 euro 8364 image 8465 weierp 8472 real 8476 trade 8482 " +
    "alefsym 8501 larr 8592 uarr 8593 rarr 8594 darr 8595 harr 8596 crarr 8629 lArr 8656 " +
    "uArr 8657 rArr 8658 dArr 8659 hArr 8660 forall 8704 part 8706 exist 8707 empty 8709 " +
    "nabla 8711 isin 8712 notin 8713 ni 8715 prod 8719 sum 8721 minus 8722 lowast 8727 " +
    "radic 8730 prop 8733 infin 8734 ang 8736 and 8743 or 8744 cap 8745 cup 8746 int 8747 " +
    "there4 8756 sim 8764 cong 8773 asymp 8776 ne 8800 equiv 8801 le 8804 ge 8805 sub 8834 " +
    "sup 8835 nsub 8836 sube 8838 supe 8839 oplus 8853 otimes 8855 perp 8869 sdot 8901 " +
    "lceil 8968 rceil 8969 lfloor 8970 rfloor 8971 lang 9001 rang 9002 loz 9674 " +
    "spades 9824 clubs 9827 hearts 9829 diams 9830 starf 9733 star 9734 check 10003").split(" ");
  for (i = 0; i + 1 < others.length; i += 2)
    table[others[i]] = parseInt(others[i + 1], 10);
  return table;
})();

// Character references 128-159 name the windows-1252 characters, as browsers read them.
var Windows1252 = {128: 0x20AC, 130: 0x201A, 131: 0x0192, 132: 0x201E, 133: 0x2026,
  134: 0x2020, 135: 0x2021, 136: 0x02C6, 137: 0x2030, 138: 0x0160, 139: 0x2039,
  140: 0x0152, 142: 0x017D, 145: 0x2018, 146: 0x2019, 147: 0x201C, 148: 0x201D,
  149: 0x2022, 150: 0x2013, 151: 0x2014, 152: 0x02DC, 153: 0x2122, 154: 0x0161,
  155: 0x203A, 156: 0x0153, 158: 0x017E, 159: 0x0178};

// Names a page may write without the closing semicolon (as in "&amp" or "&nbsp ").
var BareEntities = {amp: 1, lt: 1, gt: 1, quot: 1, nbsp: 1, copy: 1, reg: 1};

function CodePointText(code) {
  if (Windows1252.hasOwnProperty(code))
    code = Windows1252[code];
  if (!(code > 0 && code <= 0x10FFFF) || (code >= 0xD800 && code <= 0xDFFF))
    code = 0xFFFD;
  return String.fromCodePoint(code);
}

// Decodes character references in one pass, so "&amp;#8217;" stays "&#8217;".
function DecodeEntities(text) {
  if (!text || text.indexOf("&") < 0)
    return text || "";
  return text.replace(/&(?:#[xX]([0-9a-fA-F]{1,8});?|#([0-9]{1,9});?|([a-zA-Z][a-zA-Z0-9]{1,31})(;?))/g,
    function (whole, hex, dec, name, semicolon, offset, all) {
      if (hex)
        return CodePointText(parseInt(hex, 16));
      if (dec)
        return CodePointText(parseInt(dec, 10));
      if (!NamedEntities.hasOwnProperty(name))
        return whole;
      if (!semicolon) {
        // "?a=1&copy=2" is a query, not a copyright sign.
        var following = all.charAt(offset + whole.length);
        if (!BareEntities.hasOwnProperty(name) || /[A-Za-z0-9=]/.test(following))
          return whole;
      }
      return String.fromCodePoint(NamedEntities[name]);
    });
}

// Collapses runs of ASCII white space and trims; other spaces stay.
function CollapseSpace(text) {
  return (text || "").replace(/[ \t\n\r\f]+/g, " ").replace(/^ | $/g, "");
}

// ---------------------------------------------------------------- HTML scanning

var VoidElements = {area: 1, base: 1, br: 1, col: 1, embed: 1, hr: 1, img: 1, input: 1,
  keygen: 1, link: 1, meta: 1, param: 1, source: 1, track: 1, wbr: 1};
var RawTextElements = {script: 1, style: 1, textarea: 1, title: 1, xmp: 1, iframe: 1,
  noembed: 1, noframes: 1};
var ParagraphClosers = {address: 1, article: 1, aside: 1, blockquote: 1, details: 1,
  dialog: 1, div: 1, dl: 1, fieldset: 1, figcaption: 1, figure: 1, footer: 1, form: 1,
  h1: 1, h2: 1, h3: 1, h4: 1, h5: 1, h6: 1, header: 1, hgroup: 1, hr: 1, main: 1, menu: 1,
  nav: 1, ol: 1, p: 1, pre: 1, section: 1, table: 1, ul: 1};
var ScopeBoundaries = {html: 1, table: 1, td: 1, th: 1, caption: 1, marquee: 1, object: 1,
  applet: 1, template: 1, button: 1};
var Headings = {h1: 1, h2: 1, h3: 1, h4: 1, h5: 1, h6: 1};

var AttributePattern = /([^\s"'>\/=]+)(?:\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s>]+)))?/g;
var RawTextEnds = {};
// How far up the open elements the tree builder looks, and how deep the tree gets.
var MaxDepth = 512;

function IsAsciiLetter(code) {
  return (code >= 65 && code <= 90) || (code >= 97 && code <= 122);
}

function IsSpaceCode(code) {
  return code === 32 || code === 9 || code === 10 || code === 12 || code === 13;
}

// What NextMarkup found; one object, read before the next call.
var Markup = {kind: "", start: 0, end: 0, name: "", closing: false, attrs: ""};

function FoundMarkup(kind, start, end, name, closing, attrs) {
  Markup.kind = kind;
  Markup.start = start;
  Markup.end = end;
  Markup.name = name;
  Markup.closing = closing;
  Markup.attrs = attrs;
  return Markup;
}

// The next piece of markup at or after pos, read the way browsers read it: a tag runs
// to the first ">" outside a quoted attribute value, a comment to "-->". Returns
// {kind: "tag" | "other", start, end, name, closing, attrs (text)}, valid until the
// next call, or null when no more markup follows (a tag cut off by the end of the page counts as none). Each
// character is looked at once, so hostile pages cost no more than long ones.
function NextMarkup(page, pos) {
  var length = page.length;
  for (;;) {
    var lt = page.indexOf("<", pos);
    if (lt < 0 || lt + 1 >= length)
      return null;
    var code = page.charCodeAt(lt + 1);
    if (code === 33 || code === 63) { // "!" or "?"
      var close;
      if (code === 33 && page.substr(lt + 2, 2) === "--") {
        close = page.indexOf("-->", lt + 4);
        if (close < 0)
          return null;
        return FoundMarkup("other", lt, close + 3, "", false, "");
      }
      close = page.indexOf(">", lt + 2);
      if (close < 0)
        return null;
      return FoundMarkup("other", lt, close + 1, "", false, "");
    }
    var closing = code === 47; // "/"
    var nameStart = closing ? lt + 2 : lt + 1;
    if (nameStart >= length || !IsAsciiLetter(page.charCodeAt(nameStart))) {
      pos = lt + 1;
      continue;
    }
    var i = nameStart + 1;
    while (i < length) {
      code = page.charCodeAt(i);
      if (IsSpaceCode(code) || code === 47 || code === 62)
        break;
      i++;
    }
    var name = page.substring(nameStart, i).toLowerCase();
    var attrsStart = i;
    while (i < length) {
      code = page.charCodeAt(i);
      if (code === 62) // ">"
        return FoundMarkup("tag", lt, i + 1, name, closing, i > attrsStart ? page.substring(attrsStart, i) : "");
      i++;
      if (code === 61) { // "=": a value follows, perhaps quoted
        while (i < length && IsSpaceCode(page.charCodeAt(i)))
          i++;
        code = page.charCodeAt(i);
        if (code === 34 || code === 39) {
          var quote = page.indexOf(code === 34 ? "\"" : "'", i + 1);
          if (quote < 0)
            return null;
          i = quote + 1;
        }
      }
    }
    return null;
  }
}

// The end of a raw text element's content (script, style, ...) starting at pos:
// {innerEnd, end}.
function RawTextEnd(page, name, pos) {
  var pattern = RawTextEnds[name] ||
    (RawTextEnds[name] = new RegExp("</" + name + "(?=[\\s/>])[^>]*>", "ig"));
  pattern.lastIndex = pos;
  var close = pattern.exec(page);
  return close ? {innerEnd: close.index, end: pattern.lastIndex} : {innerEnd: page.length, end: page.length};
}

function ParseAttributes(text) {
  var attrs = {};
  var m;
  AttributePattern.lastIndex = 0;
  while ((m = AttributePattern.exec(text)) !== null) {
    var name = m[1].toLowerCase();
    if (attrs.hasOwnProperty(name))
      continue;
    var value = m[2] !== undefined ? m[2] : m[3] !== undefined ? m[3] : m[4] !== undefined ? m[4] : "";
    attrs[name] = DecodeEntities(value);
  }
  return attrs;
}

// Ends the open elements from stack[i] up, at position `at`.
function PopTo(stack, i, at, open) {
  for (var j = stack.length - 1; j >= i; j--) {
    stack[j].innerEnd = stack[j].end = at;
    open[stack[j].name]--;
  }
  stack.length = i;
}

// Closes the nearest open element named in `names` (and everything opened after it)
// when it is found before any element of `boundaries`. `open` counts the open
// elements by name, which spares the search in the usual case of none.
function CloseOpen(stack, names, boundaries, at, open) {
  var name;
  for (var i = stack.length - 1; i > 0 && i >= stack.length - MaxDepth; i--) {
    name = stack[i].name;
    if (names.hasOwnProperty(name)) {
      PopTo(stack, i, at, open);
      return;
    }
    if (boundaries.hasOwnProperty(name))
      return;
  }
}

// Whether any element of the list is open.
function AnyOpen(open, names) {
  for (var i = 0; i < names.length; i++) {
    if (open[names[i]] > 0)
      return true;
  }
  return false;
}

function ImpliedEnd(names, within) {
  var closes = {};
  for (var i = 0; i < names.length; i++)
    closes[names[i]] = 1;
  return {names: names, closes: closes, within: within};
}

var ParagraphOnly = {p: 1};
// Start tags that end an open element of their kind: a new item ends the last one,
// within the boundaries named.
var Implied = {
  li: ImpliedEnd(["li"], {ul: 1, ol: 1, menu: 1, table: 1, td: 1, th: 1}),
  dt: ImpliedEnd(["dt", "dd"], {dl: 1, table: 1, td: 1, th: 1}),
  dd: ImpliedEnd(["dt", "dd"], {dl: 1, table: 1, td: 1, th: 1}),
  tr: ImpliedEnd(["tr"], {table: 1, tbody: 1, thead: 1, tfoot: 1}),
  td: ImpliedEnd(["td", "th"], {tr: 1, table: 1}),
  th: ImpliedEnd(["td", "th"], {tr: 1, table: 1}),
  option: ImpliedEnd(["option"], {select: 1, datalist: 1, optgroup: 1}),
  a: ImpliedEnd(["a"], ScopeBoundaries)
};
var NoAttributes = {};

var LastPage = null;
var LastDoc = null;

// The page as a tree of elements, built the forgiving way browsers build it: end tags
// close what they match, some start tags close what they imply, unclosed elements end
// with the page. Scripts, styles and comments are not scanned for tags.
function HtmlDoc(page) {
  page = String(page === undefined || page === null ? "" : page);
  if (page === LastPage && LastDoc)
    return LastDoc;
  var root = {name: "#document", attrs: {}, start: 0, innerStart: 0, innerEnd: page.length,
    end: page.length, parent: null, index: -1};
  var nodes = [];
  var byTag = {};
  var stack = [root];
  var open = {};
  var markup;
  var pos = 0;
  while ((markup = NextMarkup(page, pos)) !== null) {
    pos = markup.end;
    if (markup.kind !== "tag")
      continue;
    var at = markup.start;
    var after = markup.end;
    var name = markup.name;
    if (markup.closing) {
      var lowest = Math.max(1, stack.length - MaxDepth);
      for (var i = stack.length - 1; i >= lowest && stack[i].name !== name; i--) {}
      if (i >= lowest) {
        var closed = stack[i];
        PopTo(stack, i, at, open);
        closed.end = after;
      }
      continue;
    }
    // Most elements close nothing; the counts of open elements say so without a search.
    if (open.p > 0 && ParagraphClosers.hasOwnProperty(name))
      CloseOpen(stack, ParagraphOnly, ScopeBoundaries, at, open);
    if (Implied.hasOwnProperty(name)) {
      var rule = Implied[name];
      if (AnyOpen(open, rule.names))
        CloseOpen(stack, rule.closes, rule.within, at, open);
    }
    if (Headings.hasOwnProperty(name) && Headings.hasOwnProperty(stack[stack.length - 1].name))
      CloseOpen(stack, Headings, {}, at, open);

    // Past MaxDepth, elements hang from the element at that depth, as browsers do, so
    // that no walk up the tree is longer than that.
    var attrs = markup.attrs;
    var node = {name: name, attrs: attrs ? ParseAttributes(attrs) : NoAttributes, start: at, innerStart: after,
      innerEnd: after, end: after, parent: stack[Math.min(stack.length, MaxDepth) - 1], index: nodes.length};
    nodes.push(node);
    (byTag[" " + name] || (byTag[" " + name] = [])).push(node);
    if (VoidElements.hasOwnProperty(name) || (attrs.indexOf("/") >= 0 && /(^|[\s"'])\/\s*$/.test(attrs)))
      continue;
    if (RawTextElements.hasOwnProperty(name)) {
      var raw = RawTextEnd(page, name, after);
      node.innerEnd = raw.innerEnd;
      node.end = pos = raw.end;
      continue;
    }
    stack.push(node);
    open[name] = (open[name] || 0) + 1;
  }
  PopTo(stack, 1, page.length, open);
  LastPage = page;
  LastDoc = {page: page, root: root, nodes: nodes, byTag: byTag, pageUrl: null, jsonLd: null};
  return LastDoc;
}

// ---------------------------------------------------------------- selectors

var SelectorCache = {};

// A small CSS selector language: type, #id, .class, [attr], [attr=v], [attr~=v],
// [attr^=v], [attr$=v], [attr*=v], descendant and child combinators, comma lists.
function ParseSelector(text) {
  if (SelectorCache.hasOwnProperty(text))
    return SelectorCache[text];
  var alternatives = [];
  var parts = [];
  var compound = null;
  var combinator = null;
  var pattern = /\s*(,|>)\s*|\s+|([a-zA-Z][\w-]*|\*)|#([\w-]+)|\.([\w-]+)|\[\s*([\w:-]+)\s*(?:([~^$*|]?=)\s*(?:"([^"]*)"|'([^']*)'|([^\]\s]+))\s*)?\]/g;
  var m;
  var position = 0;
  function finish() {
    if (compound) {
      parts.push({compound: compound, combinator: combinator});
      compound = null;
      combinator = null;
    }
  }
  function current() {
    if (!compound)
      compound = {tag: null, id: null, classes: [], attrs: []};
    return compound;
  }
  while (position < text.length) {
    pattern.lastIndex = position;
    m = pattern.exec(text);
    if (!m || m.index !== position)
      throw new Error("Bad selector: " + text);
    position = pattern.lastIndex;
    if (m[1] === ",") {
      finish();
      alternatives.push(parts);
      parts = [];
    } else if (m[1] === ">" || (m[0].length && !m[1] && /^\s+$/.test(m[0]))) {
      if (compound) {
        finish();
        combinator = m[1] === ">" ? ">" : " ";
      } else if (m[1] === ">") {
        combinator = ">";
      }
    } else if (m[2]) {
      current().tag = m[2] === "*" ? null : m[2].toLowerCase();
    } else if (m[3]) {
      current().id = m[3];
    } else if (m[4]) {
      current().classes.push(m[4]);
    } else if (m[5]) {
      var value = m[7] !== undefined ? m[7] : m[8] !== undefined ? m[8] : m[9];
      current().attrs.push({name: m[5].toLowerCase(), op: m[6] || "", value: value});
    }
  }
  finish();
  alternatives.push(parts);
  SelectorCache[text] = alternatives;
  return alternatives;
}

function IsClassSeparator(value, at) {
  return at < 0 || at >= value.length || /\s/.test(value.charAt(at));
}

// Whether the class attribute names the class; spaces of any kind separate names.
function HasClass(node, name) {
  var value = node && node.attrs["class"];
  if (!value || !name)
    return false;
  for (var at = value.indexOf(name); at >= 0; at = value.indexOf(name, at + 1)) {
    if (IsClassSeparator(value, at - 1) && IsClassSeparator(value, at + name.length))
      return true;
  }
  return false;
}

function MatchAttribute(node, test) {
  if (!node.attrs.hasOwnProperty(test.name))
    return false;
  var actual = node.attrs[test.name];
  var wanted = test.value;
  switch (test.op) {
  case "": return true;
  case "=": return actual === wanted;
  case "~=": return (" " + actual.replace(/\s+/g, " ") + " ").indexOf(" " + wanted + " ") >= 0;
  case "^=": return wanted !== "" && actual.indexOf(wanted) === 0;
  case "$=": return wanted !== "" && actual.length >= wanted.length &&
    actual.lastIndexOf(wanted) === actual.length - wanted.length;
  case "*=": return wanted !== "" && actual.indexOf(wanted) >= 0;
  case "|=": return actual === wanted || actual.indexOf(wanted + "-") === 0;
  }
  return false;
}

function MatchCompound(node, compound) {
  if (!node || node.index < 0)
    return false;
  if (compound.tag && node.name !== compound.tag)
    return false;
  if (compound.id && node.attrs.id !== compound.id)
    return false;
  for (var i = 0; i < compound.classes.length; i++) {
    if (!HasClass(node, compound.classes[i]))
      return false;
  }
  for (i = 0; i < compound.attrs.length; i++) {
    if (!MatchAttribute(node, compound.attrs[i]))
      return false;
  }
  return true;
}

// Whether node matches parts[0..i], the combinators read right to left. memo keeps
// the answers per part and element, so that one selection costs elements x parts
// however deep the page nests.
function MatchParts(node, parts, i, memo) {
  if (!MatchCompound(node, parts[i].compound))
    return false;
  if (i === 0)
    return true;
  var key = node.index;
  var known = memo.self[i];
  if (known.hasOwnProperty(key))
    return known[key];
  var result;
  if (parts[i].combinator === ">")
    result = !!node.parent && node.parent.index >= 0 && MatchParts(node.parent, parts, i - 1, memo);
  else
    result = AncestorMatches(node, parts, i - 1, memo);
  known[key] = result;
  return result;
}

function AncestorMatches(node, parts, i, memo) {
  var parent = node.parent;
  if (!parent || parent.index < 0)
    return false;
  var known = memo.ancestor[i];
  if (known.hasOwnProperty(parent.index))
    return known[parent.index];
  var result = MatchParts(parent, parts, i, memo) || AncestorMatches(parent, parts, i, memo);
  known[parent.index] = result;
  return result;
}

function NewMatchMemo(parts) {
  var memo = {self: [], ancestor: []};
  for (var i = 0; i < parts.length; i++) {
    memo.self.push({});
    memo.ancestor.push({});
  }
  return memo;
}

function Matches(node, selector) {
  var alternatives = ParseSelector(selector);
  for (var i = 0; i < alternatives.length; i++) {
    var parts = alternatives[i];
    if (parts.length && MatchParts(node, parts, parts.length - 1, NewMatchMemo(parts)))
      return true;
  }
  return false;
}

function Contains(scope, node) {
  return !scope || scope.index < 0 ||
    (node.start >= scope.innerStart && node.start < scope.innerEnd && node !== scope);
}

var NoNodes = [];

// The elements that can match the compound: those of its type, else all. (An index
// of classes costs more to build than the selectors of one page save.)
function Candidates(doc, compound) {
  return compound.tag ? doc.byTag[" " + compound.tag] || NoNodes : doc.nodes;
}

// The first position in list (page order) of an element at or after index.
function FirstFrom(list, index) {
  var low = 0;
  var high = list.length;
  while (low < high) {
    var middle = (low + high) >> 1;
    if (list[middle].index < index)
      low = middle + 1;
    else
      high = middle;
  }
  return low;
}

function ByIndex(a, b) {
  return a.index - b.index;
}

// Elements matching the selector, in page order, inside scope when one is given.
// Only the elements of the last part's type are tried.
function Select(doc, selector, scope) {
  var alternatives = ParseSelector(selector);
  var inside = scope && scope.index >= 0;
  var first = inside ? scope.index + 1 : 0;
  var end = inside ? scope.innerEnd : Infinity;
  var found = [];
  var seen = alternatives.length > 1 ? {} : null;
  for (var a = 0; a < alternatives.length; a++) {
    var parts = alternatives[a];
    if (!parts.length)
      continue;
    var memo = NewMatchMemo(parts);
    var list = Candidates(doc, parts[parts.length - 1].compound);
    for (var i = FirstFrom(list, first); i < list.length; i++) {
      var node = list[i];
      if (node.start >= end)
        break;
      if (!MatchParts(node, parts, parts.length - 1, memo))
        continue;
      if (seen) {
        if (seen.hasOwnProperty(node.index))
          continue;
        seen[node.index] = true;
      }
      found.push(node);
    }
  }
  if (seen && alternatives.length > 1)
    found.sort(ByIndex);
  return found;
}

// The first element of the first selector in the list that matches anything.
function SelectFirst(doc, selectors, scope) {
  if (typeof selectors === "string")
    selectors = [selectors];
  for (var i = 0; i < selectors.length; i++) {
    var found = Select(doc, selectors[i], scope);
    if (found.length)
      return found[0];
  }
  return null;
}

function Closest(node, selector) {
  for (; node && node.index >= 0; node = node.parent) {
    if (Matches(node, selector))
      return node;
  }
  return null;
}

function Attr(node, name) {
  return node && node.attrs.hasOwnProperty(name) ? node.attrs[name] : "";
}

var BlockElements = {br: 1, p: 1, div: 1, li: 1, dd: 1, dt: 1, tr: 1, td: 1, th: 1, h1: 1, h2: 1,
  h3: 1, h4: 1, h5: 1, h6: 1, ul: 1, ol: 1, dl: 1, table: 1, section: 1, article: 1, header: 1,
  footer: 1, aside: 1, nav: 1, blockquote: 1};

// Markup as a reader sees it: tags dropped (block elements leave a space), scripts,
// styles and comments left out, references decoded, white space collapsed.
function HtmlToText(html) {
  var text = "";
  var pos = 0;
  var markup;
  while ((markup = NextMarkup(html, pos)) !== null) {
    text += html.substring(pos, markup.start);
    pos = markup.end;
    if (markup.kind === "tag" && BlockElements.hasOwnProperty(markup.name))
      text += " ";
    if (markup.kind === "tag" && !markup.closing &&
        (markup.name === "script" || markup.name === "style" || markup.name === "template"))
      pos = RawTextEnd(html, markup.name, pos).end;
  }
  text += html.substring(pos).replace(/<[\s\S]*$/, function (rest) {
    return /^<[a-zA-Z\/!?]/.test(rest) ? "" : rest;
  });
  return CollapseSpace(DecodeEntities(text));
}

function InnerText(doc, node) {
  if (!node)
    return "";
  var html = doc.page.substring(node.innerStart, node.innerEnd);
  if (RawTextElements.hasOwnProperty(node.name) && node.name !== "title" && node.name !== "textarea")
    return "";
  return node.name === "title" || node.name === "textarea" ? CollapseSpace(DecodeEntities(html)) : HtmlToText(html);
}

// Text of the first element found by the selector list (see SelectFirst).
function TextOf(doc, selectors, scope) {
  if (typeof selectors === "string")
    selectors = [selectors];
  for (var i = 0; i < selectors.length; i++) {
    var found = Select(doc, selectors[i], scope);
    for (var j = 0; j < found.length; j++) {
      if (doc.entryOnly && IsForeign(doc, found[j]))
        continue;
      var text = InnerText(doc, found[j]);
      if (text)
        return text;
    }
  }
  return "";
}

// The first non-empty value of the attribute on elements found by the selector list.
function AttrOf(doc, selectors, name, scope) {
  if (typeof selectors === "string")
    selectors = [selectors];
  for (var i = 0; i < selectors.length; i++) {
    var found = Select(doc, selectors[i], scope);
    for (var j = 0; j < found.length; j++) {
      if (doc.entryOnly && IsForeign(doc, found[j]))
        continue;
      var value = CollapseSpace(Attr(found[j], name));
      if (value)
        return value;
    }
  }
  return "";
}

// Saved pages now and then carry the value as "value" rather than "content".
function MetaContent(doc, key) {
  var selectors = ["meta[property=\"" + key + "\"]", "meta[name=\"" + key + "\"]"];
  return AttrOf(doc, selectors, "content") || AttrOf(doc, selectors, "value");
}

// ---------------------------------------------------------------- URLs

var UrlPattern = /^([a-zA-Z][a-zA-Z0-9+.\-]*):(?:\/\/([^\/?#]*))?([^?#]*)(\?[^#]*)?(#[\s\S]*)?$/;

function RemoveDotSegments(path) {
  if (path.indexOf(".") < 0)
    return path;
  var input = path.split("/");
  var output = [];
  for (var i = 0; i < input.length; i++) {
    var segment = input[i];
    if (segment === "..") {
      if (output.length > 1)
        output.pop();
      if (i === input.length - 1)
        output.push("");
    } else if (segment === ".") {
      if (i === input.length - 1)
        output.push("");
    } else {
      output.push(segment);
    }
  }
  var result = output.join("/");
  if (path.charAt(0) === "/" && result.charAt(0) !== "/")
    result = "/" + result;
  return result;
}

// Resolves a reference against an absolute base URL (the rules browsers follow).
function ResolveUrl(base, ref) {
  ref = ref.replace(/^[\u0000-\u0020]+|[\u0000-\u0020]+$/g, "").replace(/[\t\n\r]/g, "");
  if (UrlPattern.test(ref) && /^[a-zA-Z][a-zA-Z0-9+.\-]*:/.test(ref)) {
    var own = UrlPattern.exec(ref);
    // "http:page.html" is relative to a base of the same scheme.
    var baseParts = UrlPattern.exec(base || "");
    if (own[2] !== undefined || !baseParts || own[1].toLowerCase() !== baseParts[1].toLowerCase())
      return ref;
    ref = ref.substring(own[1].length + 1);
  }
  var b = UrlPattern.exec(base || "");
  if (!b || b[2] === undefined)
    return ref;
  var scheme = b[1];
  if (ref.substring(0, 2) === "//")
    return scheme + ":" + ref;
  var origin = scheme + "://" + b[2];
  var basePath = b[3] || "/";
  if (ref === "")
    return origin + basePath + (b[4] || "");
  if (ref.charAt(0) === "#")
    return origin + basePath + (b[4] || "") + ref;
  if (ref.charAt(0) === "?")
    return origin + basePath + ref;
  var m = /^([^?#]*)([\s\S]*)$/.exec(ref);
  var path = m[1];
  if (path.charAt(0) !== "/")
    path = basePath.substring(0, basePath.lastIndexOf("/") + 1) + path;
  return origin + RemoveDotSegments(path) + m[2];
}

// Scheme and host in lower case, no default port, "/" for an empty path, no fragment.
// Everything else (path, query, trailing slash, escapes) stays as the site wrote it.
function NormalizeUrl(url) {
  var m = UrlPattern.exec(url);
  if (!m || m[2] === undefined)
    return url.replace(/#[\s\S]*$/, "");
  var scheme = m[1].toLowerCase();
  var authority = m[2];
  var at = authority.lastIndexOf("@");
  var userinfo = at >= 0 ? authority.substring(0, at + 1) : "";
  var host = authority.substring(at + 1).toLowerCase();
  if ((scheme === "http" && /:80$/.test(host)) || (scheme === "https" && /:443$/.test(host)))
    host = host.replace(/:\d+$/, "");
  return scheme + "://" + userinfo + host + (m[3] || "/") + (m[4] || "");
}

// Blog type scripts may set this to a function that rewrites every URL they return
// (for example to drop a query parameter that only selects a mobile view).
var SiteUrlFilter = null;

// The scheme and host (with port) of an absolute URL, in lower case; empty otherwise.
function UrlOrigin(url) {
  var m = /^(https?:\/\/[^\/?#]+)/i.exec(url || "");
  return m ? m[1].toLowerCase() : "";
}

function IsAbsoluteHttp(url) {
  return /^https?:\/\/[^\/?#]/i.test(url);
}

function IsUsableOwnUrl(url) {
  return IsAbsoluteHttp(url) || /^\/\/[^\/?#]/.test(url || "");
}

// The scheme for a reference written without one ("//host/..."), when the page says
// nowhere else how it was reached: the one its absolute links to that host use, else
// http, which blog hosts answer (redirecting where they moved to https).
function CompleteScheme(doc, url) {
  if (!/^\/\/[^\/?#]/.test(url))
    return url;
  var host = /^\/\/([^\/?#]+)/.exec(url)[1].toLowerCase();
  var schemes = doc.schemes || (doc.schemes = {});
  if (!schemes.hasOwnProperty("h" + host)) {
    var m = new RegExp("(https?):(?:\\\\?\\/){2}" + host.replace(/[.*+?^${}()|[\]\\]/g, "\\$&") + "(?![\\w.-])",
      "i").exec(doc.page);
    schemes["h" + host] = m ? m[1].toLowerCase() : "http";
  }
  return schemes["h" + host] + ":" + url;
}

// The URL this page calls its own, used to resolve relative links: <base href>,
// then <link rel="canonical">, then og:url, then the blog's own address or any
// absolute link to its top, index or feed (those share at least the host).
function PageUrl(doc) {
  if (doc.pageUrl !== null)
    return doc.pageUrl;
  var own = AttrOf(doc, ["link[rel~=canonical]"], "href");
  if (!IsUsableOwnUrl(own))
    own = MetaContent(doc, "og:url");
  if (!IsUsableOwnUrl(own))
    own = AttrOf(doc, ["html[data-blog-uri]"], "data-blog-uri");
  if (!IsUsableOwnUrl(own))
    own = AttrOf(doc, ["link[rel~=top]", "link[rel~=index]", "link[rel~=home]", "link[rel~=start]",
      "link[rel~=alternate][type=\"application/rss+xml\"]",
      "link[rel~=alternate][type=\"application/atom+xml\"]"], "href");
  own = IsUsableOwnUrl(own) ? CompleteScheme(doc, own) : "";
  var base = AttrOf(doc, ["base[href]"], "href");
  if (base)
    own = ResolveUrl(own, CompleteScheme(doc, base));
  doc.pageUrl = IsAbsoluteHttp(own) ? own : "";
  return doc.pageUrl;
}

// The one normalisation every URL a script returns goes through: references decoded
// (attributes already are), resolved against the page's own URL, fragment dropped,
// then the blog type's own filter. Empty for links that lead nowhere.
function PageLink(doc, href) {
  href = (href || "").replace(/^[\u0000-\u0020]+|[\u0000-\u0020]+$/g, "");
  if (!href || href.charAt(0) === "#" || /^(javascript|mailto|tel|data):/i.test(href))
    return "";
  var url = NormalizeUrl(CompleteScheme(doc, ResolveUrl(PageUrl(doc), href)));
  if (SiteUrlFilter)
    url = SiteUrlFilter(url);
  return url;
}

// The link of the first element found by the selector list that has a usable href.
function LinkOf(doc, selectors, scope) {
  if (typeof selectors === "string")
    selectors = [selectors];
  for (var i = 0; i < selectors.length; i++) {
    var found = Select(doc, selectors[i], scope);
    for (var j = 0; j < found.length; j++) {
      var url = PageLink(doc, Attr(found[j], "href"));
      if (url)
        return url;
    }
  }
  return "";
}

// Drops empty and repeated URLs, keeping the first position of each.
function UniqueUrls(urls) {
  var seen = {};
  var result = [];
  for (var i = 0; i < urls.length; i++) {
    var url = urls[i];
    if (url && !seen.hasOwnProperty("u" + url)) {
      seen["u" + url] = true;
      result.push(url);
    }
  }
  return result;
}

function UrlLines(urls) {
  return UniqueUrls(urls).join("\n");
}

// ---------------------------------------------------------------- services

// Marks that only pages of one service carry (their scripts, hosts and class names),
// by service name: services.js names the shipped services', a declaration may add its own.
var ServiceMarks = {};

// Whether the page may be one of the service's: it carries the service's marks, or
// none of another service's. A blog type reads nothing from another service's pages.
function IsServicePage(doc, service) {
  if (ServiceMarks.hasOwnProperty(service) && ServiceMarks[service].test(doc.page))
    return true;
  for (var other in ServiceMarks) {
    if (other !== service && ServiceMarks.hasOwnProperty(other) && ServiceMarks[other].test(doc.page))
      return false;
  }
  return true;
}

// ---------------------------------------------------------------- dates

// A sortable number for a date text (wall-clock digits, zone ignored), NaN when the
// text names no date. Only used to compare dates found on one page.
function DateKey(text) {
  var m = /(\d{4})\s*[-\/.年]\s*(\d{1,2})\s*[-\/.月]\s*(\d{1,2})\s*日?(?:[^\d]{0,12}?(\d{1,2})\s*[:時]\s*(\d{1,2})(?:\s*[:分]\s*(\d{1,2}))?)?/.exec(text || "");
  if (!m)
    return NaN;
  var value = 0;
  for (var i = 1; i <= 6; i++)
    value = value * 100 + (m[i] ? parseInt(m[i], 10) : 0);
  return value;
}

// items: [{url, date, pinned}] in page order. The newest by date when dates are
// known (a pinned entry shown first may be old), else the first one not pinned; links
// to list pages count only where nothing else is listed.
function PickNewest(items) {
  // Date archives, categories and tags listed beside the entries are no entries.
  var entries = [];
  for (var j = 0; j < items.length; j++) {
    if (items[j].url && !IsListPageUrl(items[j].url))
      entries.push(items[j]);
  }
  if (entries.length)
    items = entries;
  var best = null;
  var bestKey = NaN;
  for (var i = 0; i < items.length; i++) {
    if (!items[i].url)
      continue;
    var key = DateKey(items[i].date);
    if (!isNaN(key) && (isNaN(bestKey) || key > bestKey)) {
      best = items[i];
      bestKey = key;
    }
  }
  if (best)
    return best.url;
  for (i = 0; i < items.length; i++) {
    if (items[i].url && !items[i].pinned)
      return items[i].url;
  }
  for (i = 0; i < items.length; i++) {
    if (items[i].url)
      return items[i].url;
  }
  return "";
}

// ---------------------------------------------------------------- script data

// Reads a JSON value or a script object literal (single quotes, bare keys, trailing
// commas, comments) starting at text[position]. Returns {value, end} or null. It
// never runs page code.
function ParseLiteral(text, position) {
  var i = position;
  var depth = 0;
  function fail() { throw new Error("literal"); }
  function skip() {
    for (;;) {
      var c = text.charAt(i);
      if (c === " " || c === "\t" || c === "\n" || c === "\r" || c === "\u00a0" || c === "\ufeff") {
        i++;
      } else if (c === "/" && text.charAt(i + 1) === "/") {
        while (i < text.length && text.charAt(i) !== "\n")
          i++;
      } else if (c === "/" && text.charAt(i + 1) === "*") {
        var close = text.indexOf("*/", i + 2);
        i = close < 0 ? text.length : close + 2;
      } else {
        return;
      }
    }
  }
  function string() {
    var quote = text.charAt(i++);
    var out = "";
    for (;;) {
      if (i >= text.length)
        fail();
      var c = text.charAt(i++);
      if (c === quote)
        return out;
      if (c === "\n")
        fail();
      if (c !== "\\") {
        out += c;
        continue;
      }
      c = text.charAt(i++);
      switch (c) {
      case "n": out += "\n"; break;
      case "t": out += "\t"; break;
      case "r": out += "\r"; break;
      case "b": out += "\b"; break;
      case "f": out += "\f"; break;
      case "v": out += "\v"; break;
      case "0": out += "\u0000"; break;
      case "\n": break;
      case "u":
        if (text.charAt(i) === "{") {
          var end = text.indexOf("}", i);
          if (end < 0)
            fail();
          out += CodePointText(parseInt(text.substring(i + 1, end), 16));
          i = end + 1;
        } else {
          out += String.fromCharCode(parseInt(text.substr(i, 4), 16) || 0);
          i += 4;
        }
        break;
      case "x":
        out += String.fromCharCode(parseInt(text.substr(i, 2), 16) || 0);
        i += 2;
        break;
      default: out += c;
      }
    }
  }
  function value() {
    skip();
    var c = text.charAt(i);
    if (c === "{" || c === "[") {
      if (++depth > 200)
        fail();
      var closing = c === "{" ? "}" : "]";
      var result = c === "{" ? {} : [];
      i++;
      for (;;) {
        skip();
        if (text.charAt(i) === closing) {
          i++;
          depth--;
          return result;
        }
        if (i >= text.length)
          fail();
        if (c === "{") {
          var key;
          var k = text.charAt(i);
          if (k === "\"" || k === "'") {
            key = string();
          } else {
            var word = /^[^\s:,{}\[\]"']+/.exec(text.substring(i, i + 200));
            if (!word)
              fail();
            key = word[0];
            i += key.length;
          }
          skip();
          if (text.charAt(i) !== ":")
            fail();
          i++;
          result[key] = value();
        } else {
          result.push(value());
        }
        skip();
        if (text.charAt(i) === ",")
          i++;
        else if (text.charAt(i) !== closing)
          fail();
      }
    }
    if (c === "\"" || c === "'")
      return string();
    var token = /^(?:-?(?:\d+\.?\d*|\.\d+)(?:[eE][-+]?\d+)?|true|false|null|undefined)/.exec(text.substring(i, i + 40));
    if (!token)
      fail();
    i += token[0].length;
    var t = token[0];
    return t === "true" ? true : t === "false" ? false : t === "null" || t === "undefined" ? null : parseFloat(t);
  }
  try {
    var parsed = value();
    return {value: parsed, end: i};
  } catch (e) {
    return null;
  }
}

// The end of the bracketed value starting at text[start] ("{" or "["), skipping
// strings; -1 when it does not close.
function LiteralEnd(text, start) {
  var depth = 0;
  for (var i = start; i < text.length; i++) {
    var c = text.charAt(i);
    if (c === "\"" || c === "'") {
      for (i++; i < text.length && text.charAt(i) !== c; i++) {
        if (text.charAt(i) === "\\")
          i++;
      }
    } else if (c === "{" || c === "[") {
      depth++;
    } else if (c === "}" || c === "]") {
      if (--depth === 0)
        return i + 1;
    }
  }
  return -1;
}

// The value of the JSON text or object literal at text[start]; null when unreadable.
function ReadLiteral(text, start) {
  var end = LiteralEnd(text, start);
  if (end > 0) {
    try {
      return JSON.parse(text.substring(start, end));
    } catch (e) {
    }
  }
  var parsed = ParseLiteral(text, start);
  return parsed ? parsed.value : null;
}

// The literal assigned by the first "name = {...}" (or "[...]") in the text.
function AssignedLiteral(text, name) {
  var pattern = new RegExp(name.replace(/[.$]/g, "\\$&") + "\\s*=\\s*(?=[\\[{])", "g");
  var m = pattern.exec(text);
  return m ? ReadLiteral(text, pattern.lastIndex) : null;
}

// ---------------------------------------------------------------- JSON-LD

function JsonLdText(script) {
  return script.replace(/^\s*(?:<!--|<!\[CDATA\[)/, "").replace(/(?:-->|\]\]>)\s*$/, "");
}

// Every typed object in the page's JSON-LD blocks, nested ones and @graph members
// included, in page order.
function JsonLdObjects(doc) {
  if (doc.jsonLd)
    return doc.jsonLd;
  var objects = [];
  function walk(value, depth) {
    if (!value || typeof value !== "object" || depth > 12)
      return;
    if (value instanceof Array) {
      for (var i = 0; i < value.length; i++)
        walk(value[i], depth + 1);
      return;
    }
    if (value["@type"])
      objects.push(value);
    for (var key in value) {
      if (value.hasOwnProperty(key) && typeof value[key] === "object")
        walk(value[key], depth + 1);
    }
  }
  var scripts = Select(doc, "script[type]");
  for (var i = 0; i < scripts.length; i++) {
    if (CollapseSpace(Attr(scripts[i], "type")).toLowerCase() !== "application/ld+json")
      continue;
    var text = JsonLdText(doc.page.substring(scripts[i].innerStart, scripts[i].innerEnd));
    var start = text.search(/[\[{]/);
    if (start >= 0)
      walk(ReadLiteral(text, start), 0);
  }
  doc.jsonLd = objects;
  return objects;
}

function JsonLdIsType(object, pattern) {
  var types = object["@type"];
  if (!(types instanceof Array))
    types = [types];
  for (var i = 0; i < types.length; i++) {
    if (typeof types[i] === "string" && pattern.test(types[i].replace(/^.*[\/#:]/, "")))
      return true;
  }
  return false;
}

var ArticleTypes = /^(?:\w*Article|BlogPosting|LiveBlogPosting|SocialMediaPosting|Report)$/;

// The first article-like object (BlogPosting, Article, NewsArticle, ...), or null.
function JsonLdArticle(doc) {
  var objects = JsonLdObjects(doc);
  for (var i = 0; i < objects.length; i++) {
    if (JsonLdIsType(objects[i], ArticleTypes))
      return objects[i];
  }
  return null;
}

// A JSON-LD value as text: strings as they are (references decoded), {"@value"}
// objects by their value, arrays by their first member.
function JsonLdString(value) {
  if (value instanceof Array)
    value = value.length ? value[0] : "";
  if (value && typeof value === "object")
    value = value["@value"] !== undefined ? value["@value"] : "";
  if (typeof value === "number")
    value = String(value);
  return typeof value === "string" ? CollapseSpace(DecodeEntities(value)) : "";
}

// A JSON-LD reference as a URL text: a string, or an object's @id or url.
function JsonLdUrl(value) {
  if (value instanceof Array)
    value = value.length ? value[0] : "";
  if (value && typeof value === "object")
    value = value.url || value["@id"] || "";
  return typeof value === "string" ? CollapseSpace(DecodeEntities(value)) : "";
}

// ---------------------------------------------------------------- the standards layer

// What every blog type reads by itself beneath its declaration: the title, date and
// older entry that the web's common standards (JSON-LD, Open Graph, microformats,
// <time>, rel="prev") and the usual theme markup name, and dates written as text.

// Parts of a page that are about something else than the entry: comments, sidebars,
// related posts, the site's header and footer, navigation. Titles and dates found there
// are never the entry's own.
var ForeignParts = "#comments, .comments, .comments-area, #respond, .comment-respond, .comment-list, " +
  ".commentlist, .comment, .comment-body, #sidebar, .sidebar, #secondary, .widget-area, #side, #sidemenu, " +
  ".side, aside.widget, .jp-relatedposts, #jp-relatedposts, .related-posts, .yarpp-related, .relatedposts, " +
  ".related, #related, .crp_related, #colophon, .site-footer, #footer, nav, .breadcrumb, .breadcrumbs, " +
  "#site-title, .site-title, #blog-title, .site-branding, #site-description, .site-description, #header, " +
  ".site-header, #masthead";
// Parts whose links never lead to the entry's neighbours (the pager itself sits in a nav).
var CommentParts = "#comments, .comments, .comments-area, #respond, .comment-list, .commentlist, .comment, " +
  ".comment-navigation, .comments-pagination, #sidebar, .sidebar, #secondary, .widget-area, #side, " +
  "aside.widget, .jp-relatedposts, #jp-relatedposts, .related-posts, .yarpp-related, .relatedposts, .related, " +
  "#related, .crp_related";

// A list of simple selectors ("tag", "#id", ".class", "tag.class", others) made into
// tables, so that one element is tested by a look-up per class rather than a match per
// selector.
var PartSets = {};

function PartSet(parts) {
  if (PartSets.hasOwnProperty(parts))
    return PartSets[parts];
  var set = {tags: {}, ids: {}, classes: {}, others: [], classPattern: null};
  var alternatives = ParseSelector(parts);
  for (var i = 0; i < alternatives.length; i++) {
    var compound = alternatives[i][0].compound;
    var plain = alternatives[i].length === 1 && !compound.attrs.length && !compound.id;
    if (plain && !compound.tag && compound.classes.length === 1)
      set.classes[" " + compound.classes[0]] = null;
    else if (plain && compound.tag && compound.classes.length === 1)
      set.classes[" " + compound.classes[0]] = compound.tag;
    else if (plain && compound.tag && !compound.classes.length)
      set.tags[compound.tag] = true;
    else if (alternatives[i].length === 1 && compound.id && !compound.tag && !compound.classes.length &&
             !compound.attrs.length)
      set.ids[" " + compound.id] = true;
    else
      set.others.push(alternatives[i]);
  }
  var names = [];
  for (var key in set.classes) {
    if (set.classes.hasOwnProperty(key))
      names.push(key.substring(1).replace(/[.*+?^${}()|[\]\\]/g, "\\$&"));
  }
  if (names.length)
    set.classPattern = new RegExp("(?:^|\\s)(" + names.join("|") + ")(?=\\s|$)", "g");
  return (PartSets[parts] = set);
}

function InPartSet(node, set) {
  if (set.tags.hasOwnProperty(node.name))
    return true;
  var attrs = node.attrs;
  if (attrs.id && set.ids.hasOwnProperty(" " + attrs.id))
    return true;
  var value = attrs["class"];
  if (value && set.classPattern) {
    var pattern = set.classPattern;
    pattern.lastIndex = 0;
    var m;
    while ((m = pattern.exec(value)) !== null) {
      var tag = set.classes[" " + m[1]];
      if (tag === null || tag === node.name)
        return true;
      pattern.lastIndex = m.index + m[0].length;
    }
  }
  for (var i = 0; i < set.others.length; i++) {
    var parts = set.others[i];
    if (parts.length === 1 ? MatchCompound(node, parts[0].compound) :
        MatchParts(node, parts, parts.length - 1, NewMatchMemo(parts)))
      return true;
  }
  return false;
}

// The elements of the page, in page order from position start, that match the set.
function FindInSet(doc, parts, start, first) {
  var set = PartSet(parts);
  var found = [];
  for (var i = NodeAt(doc, start || 0); i < doc.nodes.length; i++) {
    if (InPartSet(doc.nodes[i], set)) {
      found.push(doc.nodes[i]);
      if (first)
        break;
    }
  }
  return found;
}

// The position in doc.nodes of the first element starting at or after pos.
function NodeAt(doc, pos) {
  var low = 0;
  var high = doc.nodes.length;
  while (low < high) {
    var middle = (low + high) >> 1;
    if (doc.nodes[middle].start < pos)
      low = middle + 1;
    else
      high = middle;
  }
  return low;
}

// Whether the element lies in one of the parts (a list of simple selectors); the answer
// is kept for every element on the way up, so a page costs its elements once.
function InParts(doc, node, parts) {
  var memo = doc["in " + parts] || (doc["in " + parts] = {});
  var set = PartSet(parts);
  var path = [];
  var result = false;
  for (var n = node; n && n.index >= 0; n = n.parent) {
    if (memo.hasOwnProperty(n.index)) {
      result = memo[n.index];
      break;
    }
    path.push(n);
    if ((result = InPartSet(n, set)))
      break;
  }
  for (var i = 0; i < path.length; i++)
    memo[path[i].index] = result;
  return result;
}

function IsForeign(doc, node) {
  return InParts(doc, node, ForeignParts);
}

// ---- dates written as text

var MonthNumbers = (function () {
  var names = {
    1: "january jan januar jänner jän janvier janv enero gennaio januari janeiro",
    2: "february feb februar février févr fevrier febrero febbraio februari fevereiro",
    3: "march mar märz maerz marz mars marzo maart março",
    4: "april apr avril avr abril aprile",
    5: "may mai mayo maggio mei maio",
    6: "june jun juni juin junio giugno junho",
    7: "july jul juli juillet juil julio luglio julho",
    8: "august aug août aout agosto augustus",
    9: "september sept sep septembre setembro settembre septiembre",
    10: "october oct oktober okt octobre octubre ottobre outubro",
    11: "november nov novembre noviembre novembro",
    12: "december dec dezember dez décembre déc decembre diciembre dicembre dezembro"
  };
  var table = {};
  for (var month in names) {
    var list = names[month].split(" ");
    for (var i = 0; i < list.length; i++)
      table[list[i]] = parseInt(month, 10);
  }
  return table;
})();
var MonthAlternatives = Object.keys(MonthNumbers).sort(function (a, b) { return b.length - a.length; }).join("|");
var NotLetter = "(?![a-zà-öø-ÿ])";
var Weekdays = new RegExp("(?:^|[^a-zà-öø-ÿ])(?:monday|tuesday|wednesday|thursday|friday|saturday|sunday|" +
  "mon|tues?|wed|thu(?:rs?)?|fri|sat|sun|montag|dienstag|mittwoch|donnerstag|freitag|samstag|sonnabend|sonntag|" +
  "lundi|mardi|mercredi|jeudi|vendredi|samedi|dimanche)" + NotLetter + "\\.?,?", "g");
var JapaneseWeekdays = /[(（]\s*[月火水木金土日](?:曜日?)?\s*[)）]|[月火水木金土日]曜日?/g;
var TextDatePatterns = [
  {re: /(\d{4})\s*年\s*(\d{1,2})\s*月\s*(\d{1,2})\s*日/g, y: 1, m: 2, d: 3},
  {re: /(\d{4})([-\/.])(\d{1,2})\2(\d{1,2})(?!\d)/g, y: 1, m: 3, d: 4},
  {re: /(\d{1,2})\.\s?(\d{1,2})\.\s?(\d{4}|\d{2})(?![\d.])/g, y: 3, m: 2, d: 1},
  {re: /(\d{1,2})\/(\d{1,2})\/(\d{4}|\d{2})(?!\d)/g, y: 3, m: 1, d: 2, either: true},
  {re: new RegExp("(\\d{1,2})(?:\\.|st|nd|rd|th|er)?\\s*(?:de\\s+)?(" + MonthAlternatives + ")" + NotLetter +
    "\\.?,?\\s*(?:de\\s+)?(\\d{4})(?!\\d)", "g"), y: 3, m: 2, d: 1},
  {re: new RegExp("(?:^|[^a-zà-öø-ÿ])(" + MonthAlternatives + ")" + NotLetter +
    "\\.?\\s*(\\d{1,2})(?:st|nd|rd|th)?\\s*,?\\s*(\\d{4})(?!\\d)", "g"), y: 3, m: 1, d: 2}
];
var TextTimePattern = /^[\s,|@\-–—]*(?:(?:at|um|à|a las|alle|om|gegen|le|de)\s+)?t?\s*(?:(午前|午後)\s*)?([01]?\d|2[0-3])\s*(?::|時|h(?=\d))\s*([0-5]\d|\d(?=\s*分))(?:\s*(?::|分)\s*([0-5]\d)(?:[.,]\d+)?)?\s*(?:分|秒)?\s*(am|pm|a\.m\.|p\.m\.)?(?:\s*(z|utc|gmt|[+-]\d{2}:?\d{2})(?![\d]))?/;

function DateText(text) {
  return (text || "").normalize("NFKC").toLowerCase().replace(JapaneseWeekdays, " ")
    .replace(Weekdays, function (found) { return found.charAt(0) === " " ? " " : found.charAt(0) + " "; });
}

function Two(number) {
  return (number < 10 ? "0" : "") + number;
}

// Every date the text names, in order, each with its time of day when one follows:
// [{year, month, day, hour, minute, second, hasTime, zone, index, end}] (at most
// limit). lang ("en-US" and the like) settles the order of "03/04/2019". The text is
// read once, however many dates it holds.
function ReadDatesText(text, lang, limit) {
  var t = DateText(text);
  var found = [];
  for (var i = 0; i < TextDatePatterns.length; i++) {
    var p = TextDatePatterns[i];
    p.re.lastIndex = 0;
    var m;
    while ((m = p.re.exec(t)) !== null) {
      var month = /\d/.test(m[p.m]) ? parseInt(m[p.m], 10) : MonthNumbers[m[p.m]];
      var day = parseInt(m[p.d], 10);
      var year = parseInt(m[p.y], 10);
      if (m[p.y].length === 2)
        year += year < 70 ? 2000 : 1900;
      if (p.either && (month > 12 || (day <= 12 && !/^en(?:-us)?$/i.test(lang || "")))) {
        var swap = month;
        month = day;
        day = swap;
      }
      var check = new Date(Date.UTC(year, month - 1, day));
      if (year < 1990 || year > 2100 || check.getUTCMonth() !== month - 1 || check.getUTCDate() !== day)
        continue;
      var at = m.index + (m[0].length - m[0].replace(/^[^\da-zà-öø-ÿ]+/, "").length);
      found.push({year: year, month: month, day: day, hour: 0, minute: 0, second: 0, hasTime: false, zone: "",
        index: at, end: m.index + m[0].length});
    }
  }
  found.sort(function (a, b) { return a.index - b.index || b.end - a.end; });
  var dates = [];
  for (i = 0; i < found.length && dates.length < (limit || Infinity); i++) {
    if (dates.length && found[i].index < dates[dates.length - 1].end)
      continue;
    var time = TextTimePattern.exec(t.substring(found[i].end, found[i].end + 60));
    if (time)
      SetTime(found[i], time);
    dates.push(found[i]);
  }
  return dates;
}

// The first date the text names, or null.
function ReadDateText(text, lang) {
  return ReadDatesText(text, lang, 1)[0] || null;
}

function SetTime(date, m) {
  var hour = parseInt(m[2], 10);
  var marker = m[1] || m[5] || "";
  if (marker) {
    if (hour > 12)
      return;
    hour = hour % 12 + (marker === "午後" || marker.charAt(0) === "p" ? 12 : 0);
  }
  date.hour = hour;
  date.minute = parseInt(m[3], 10);
  date.second = m[4] ? parseInt(m[4], 10) : 0;
  date.hasTime = true;
  date.zone = m[6] || "";
  date.end += m[0].length;
}

// A time of day on its own ("posted at 12:53", "18:55 Uhr"), as a date of day 0.
function ReadTimeText(text) {
  var t = DateText(text);
  var m = /(?:^|[^\d:.\/])((?:午前|午後)\s*)?([01]?\d|2[0-3])\s*(?::|時)\s*([0-5]\d|\d(?=\s*分))(?:\s*(?::|分)\s*([0-5]\d))?(?![\d:])\s*(am|pm|a\.m\.|p\.m\.)?/.exec(t);
  if (!m)
    return null;
  var time = {year: 0, month: 0, day: 0, hasTime: false, index: m.index, end: m.index};
  SetTime(time, [m[0], m[1] ? m[1].replace(/\s+/g, "") : "", m[2], m[3], m[4], m[5], ""]);
  return time.hasTime ? time : null;
}

function DateOut(date) {
  var text = date.year + "-" + Two(date.month) + "-" + Two(date.day);
  return date.hasTime ? text + " " + Two(date.hour) + ":" + Two(date.minute) + ":" + Two(date.second) : text;
}

// ---- the reader's clock

var IsoInstant = /^(\d{4})-(\d\d)-(\d\d)[T ](\d\d):(\d\d)(?::(\d\d))?(?:\.\d+)?\s*(Z|[+-]\d\d:?\d\d)$/i;

function IsoMinutes(m) {
  return Date.UTC(+m[1], +m[2] - 1, +m[3], +m[4], +m[5]) / 60000;
}

function OffsetMinutes(zone) {
  if (/^z$/i.test(zone))
    return 0;
  var m = /^([+-])(\d\d):?(\d\d)$/.exec(zone);
  return m ? (m[1] === "-" ? -1 : 1) * (parseInt(m[2], 10) * 60 + parseInt(m[3], 10)) : NaN;
}

function ZoneText(offset) {
  var sign = offset < 0 ? "-" : "+";
  offset = Math.abs(offset);
  return sign + Two(Math.floor(offset / 60)) + ":" + Two(offset % 60);
}

// The page's own timestamps with a zone: [{minutes (UTC), offset}].
function PageInstants(doc) {
  if (doc.instants)
    return doc.instants;
  var found = [];
  var re = /(\d{4})-(\d\d)-(\d\d)T(\d\d):(\d\d)(?::\d\d)?(?:\.\d+)?([+-]\d\d:?\d\d)["']/g;
  var m;
  while ((m = re.exec(doc.page)) !== null && found.length < 200) {
    // Attributes and JSON-LD dates, not whatever a script carries.
    if (!/(?:datetime|content|title|value|date\w*"?)\s*[=:]\s*["']$/i.test(doc.page.substring(m.index - 40, m.index)))
      continue;
    var offset = OffsetMinutes(m[6]);
    var local = IsoMinutes([m[0], m[1], m[2], m[3], m[4], m[5]]);
    found.push({minutes: local - offset, local: local, offset: offset});
  }
  doc.instants = found;
  return found;
}

// Central Europe's summer time, for blogs whose other timestamps show both its offsets.
function EuropeanOffset(minutes) {
  var year = new Date(minutes * 60000).getUTCFullYear();
  function lastSunday(month) {
    var day = new Date(Date.UTC(year, month + 1, 0));
    return Date.UTC(year, month, day.getUTCDate() - day.getUTCDay(), 1) / 60000;
  }
  return minutes >= lastSunday(2) && minutes < lastSunday(9) ? 120 : 60;
}

// A date in UTC turned into the blog's own wall-clock time, where the page tells the
// zone: the same moment written with its offset elsewhere on the page, the time of day
// shown beside the title, the offset of the page's other timestamps, or a Japanese page.
// Other dates stay as they are.
function ReadersClock(doc, value) {
  var m = IsoInstant.exec(value || "");
  if (!m || OffsetMinutes(m[7]) !== 0)
    return value;
  var utc = IsoMinutes(m);
  var instants = PageInstants(doc);
  var offset = NaN;
  var seen = {};
  var kinds = 0;
  for (var i = 0; i < instants.length; i++) {
    if (instants[i].offset === 0)
      continue;
    if (instants[i].minutes === utc) {
      offset = instants[i].offset;
      break;
    }
    // The same wall-clock time with the blog's offset: the "Z" was written on the
    // local time (as some SEO plugins do), which readers see as it stands.
    if (instants[i].local === utc)
      return value.replace(/\s*(?:Z|[+-]00:?00)$/i, "");
    if (!seen.hasOwnProperty(instants[i].offset)) {
      seen[instants[i].offset] = true;
      kinds++;
    }
  }
  if (isNaN(offset)) {
    var shown = ShownDate(doc);
    if (shown && shown.hasTime) {
      var difference = shown.year ?
        Date.UTC(shown.year, shown.month - 1, shown.day, shown.hour, shown.minute) / 60000 - utc :
        ((shown.hour * 60 + shown.minute - (+m[4] * 60 + +m[5])) % 1440 + 1440 + 720) % 1440 - 720;
      if (difference % 15 === 0 && difference >= -720 && difference <= 840)
        offset = difference;
    }
  }
  if (isNaN(offset) && kinds === 1)
    offset = parseInt(Object.keys(seen)[0], 10);
  if (isNaN(offset) && kinds === 2 && seen[60] && seen[120])
    offset = EuropeanOffset(utc);
  if (isNaN(offset) && /^ja\b/i.test(PageLanguage(doc)))
    offset = 540;
  if (isNaN(offset) || offset === 0)
    return value;
  var local = new Date((utc + offset) * 60000);
  return local.getUTCFullYear() + "-" + Two(local.getUTCMonth() + 1) + "-" + Two(local.getUTCDate()) + "T" +
    Two(local.getUTCHours()) + ":" + Two(local.getUTCMinutes()) + ":" + (m[6] || "00") + ZoneText(offset);
}

function PageLanguage(doc) {
  if (doc.language === undefined) {
    doc.language = AttrOf(doc, "html[lang]", "lang") || MetaContent(doc, "og:locale").replace(/_/g, "-") ||
      AttrOf(doc, "meta[http-equiv=content-language]", "content");
  }
  return doc.language;
}

// ---- title

// The blog's own name, as the page states it: og:site_name, the JSON-LD site or
// publisher, the site title in the header.
function SiteNames(doc) {
  if (doc.siteNames)
    return doc.siteNames;
  var names = [MetaContent(doc, "og:site_name"), MetaContent(doc, "application-name")];
  var objects = JsonLdObjects(doc);
  for (var i = 0; i < objects.length; i++) {
    if (JsonLdIsType(objects[i], /^(?:WebSite|Blog|Organization)$/))
      names.push(JsonLdString(objects[i].name));
  }
  var heads = FindInSet(doc, "#site-title, .site-title, #blog-title, .blog-title, #logo, .logo");
  var h1s = Select(doc, "h1");
  for (i = 0; i < h1s.length; i++) {
    if (InParts(doc, h1s[i], "#header, .header, .site-branding"))
      heads.push(h1s[i]);
  }
  for (i = 0; i < heads.length && i < 8; i++)
    names.push(InnerText(doc, heads[i]));
  var kept = [];
  for (i = 0; i < names.length; i++) {
    var name = TitleKey(names[i]);
    if (name && name.length < 120)
      kept.push(name);
  }
  doc.siteNames = kept;
  return kept;
}

// Titles compared as a reader reads them: compatibility forms, case and white space
// aside.
function TitleKey(text) {
  return CollapseSpace((text || "").normalize("NFKC")).toLowerCase().replace(/\s+/g, " ");
}

var TitleSeparator = /\s[-|–—»«·•~\/:]{1,2}\s|:\s|\s::|\s\||\s*｜\s*/g;

// The ways a page title may be cut at its separators: [{text, key}], the whole first,
// then each beginning and each end.
function TitleParts(text) {
  text = CollapseSpace(text).replace(/[\s:|]+$/, "");
  var parts = [{text: text, key: TitleKey(text)}];
  var cuts = [];
  var m;
  TitleSeparator.lastIndex = 0;
  while ((m = TitleSeparator.exec(text)) !== null && cuts.length < 8)
    cuts.push({start: m.index, end: m.index + m[0].length});
  for (var i = 0; i < cuts.length; i++) {
    var head = CollapseSpace(text.substring(0, cuts[i].start));
    var tail = CollapseSpace(text.substring(cuts[i].end));
    parts.push({text: head, key: TitleKey(head)}, {text: tail, key: TitleKey(tail)});
  }
  return parts;
}

// A page title without the site's name before or after it.
function WithoutSiteName(doc, text) {
  var names = SiteNames(doc);
  var parts = TitleParts(text);
  if (parts.length === 1 || !names.length)
    return parts[0].text;
  for (var i = 1; i < parts.length; i += 2) {
    for (var j = 0; j < names.length; j++) {
      if (parts[i + 1].key === names[j] && parts[i].text)
        return parts[i].text;
      if (parts[i].key === names[j] && parts[i + 1].text)
        return parts[i + 1].text;
    }
  }
  return parts[0].text;
}

var TitleElements = "h1, h2, h3, h4, .entry-title, .post-title, .postitle, .storytitle, .title, " +
  "[itemprop=headline], .p-name";

// The entry's title: its own heading, the one whose text the page's metadata (JSON-LD,
// Open Graph, <title>) also carries; else those, without the site's name; else the one
// heading of the entry.
function StandardTitle(doc) {
  if (doc.standardTitle !== undefined)
    return doc.standardTitle;
  var article = JsonLdArticle(doc);
  var headline = article ? JsonLdString(article.headline) || JsonLdString(article.name) : "";
  var og = MetaContent(doc, "og:title") || MetaContent(doc, "twitter:title");
  var pageTitle = TextOf(doc, "title");
  var known = {};
  var sources = [headline, og, pageTitle];
  for (var i = 0; i < sources.length; i++) {
    var parts = sources[i] ? TitleParts(sources[i]) : [];
    // A part of a longer title counts when it is most of it: a short heading ("News")
    // that begins a title is not the title.
    for (var j = 0; j < parts.length; j++) {
      if (parts[j].key && (j === 0 || parts[j].key.length >= 0.4 * parts[0].key.length))
        known["k" + parts[j].key] = true;
    }
  }
  var names = SiteNames(doc);
  var headings = FindInSet(doc, TitleElements);
  var sole = null;
  var soleCount = 0;
  for (i = 0; i < headings.length; i++) {
    if (IsForeign(doc, headings[i]))
      continue;
    if (headings[i].innerEnd - headings[i].innerStart > 3000)
      continue;
    var text = InnerText(doc, headings[i]);
    var key = TitleKey(text);
    if (!key || key.length > 400 || names.indexOf(key) >= 0)
      continue;
    if (known.hasOwnProperty("k" + key)) {
      doc.titleNode = headings[i];
      return (doc.standardTitle = text);
    }
    if (headings[i].name === "h1" && !(sole && Contains(sole, headings[i]))) {
      sole = sole || headings[i];
      soleCount++;
    }
  }
  var title = headline ? WithoutSiteName(doc, headline) : og ? WithoutSiteName(doc, og) : "";
  if (!title && soleCount === 1) {
    doc.titleNode = sole;
    title = InnerText(doc, sole);
  }
  if (!title && pageTitle)
    title = WithoutSiteName(doc, pageTitle);
  // An untitled entry's page names only the blog.
  if (names.indexOf(TitleKey(title)) >= 0)
    title = "";
  return (doc.standardTitle = title);
}

// ---- date

var EntryBodies = ".entry-content, .entry-body, .post-body, .post-content, .article-body, .entry_body, " +
  ".entry_text, .entryBody, .article-content, .skin-entryBody, [itemprop=articleBody], .e-content";
var EntryMeta = ".post-footer, .post-timestamp, .meta, .byline, .entry-meta, .post-meta, .postmeta, " +
  ".entry-footer, .post-info, .posted, .posted-on, .article-time, .entry-time, .time, .timestamp, .date";

// The element that holds the entry the title names.
function EntryAround(doc, node) {
  return Closest(node, "article, .hentry, .h-entry, .post, .entry, [itemtype*=BlogPosting]") ||
    (node.parent && node.parent.index >= 0 ? node.parent : null);
}

// The text of the page from start to end, without the parts that are not the entry's
// and with a space for every tag (so "05</span><span>17:00" stays two things).
function PlainText(doc, start, end) {
  var html = "";
  var at = start;
  for (var i = NodeAt(doc, start); i < doc.nodes.length; i++) {
    var node = doc.nodes[i];
    if (node.start < at)
      continue;
    if (node.start >= end)
      break;
    if (IsForeign(doc, node) || HiddenDate.test(Attr(node, "class"))) {
      html += doc.page.substring(at, node.start);
      at = Math.min(node.end, end);
    }
  }
  html += doc.page.substring(at, end);
  return HtmlToText(html.replace(/</g, " <"));
}

// Dates of the last edit, and those written only for search engines.
var HiddenDate = /(?:^|\s)(?:modified|date-modified|entry-modified|post-update|rich-snippet-hidden|screen-reader-text)(?:\s|$)/;

// The date written near the entry's title: between the title and the entry's text,
// else just before the title (a date heading above it). Kept with the page.
function ShownDate(doc) {
  if (doc.shownDate !== undefined)
    return doc.shownDate;
  StandardTitle(doc);
  var title = doc.titleNode || SelectFirst(doc, ["h1.entry-title", ".entry-title", ".post-title", "article h1", "h1"]);
  var found = null;
  if (title) {
    var entry = EntryAround(doc, title);
    var end = Math.min(title.end + 4000, entry ? entry.innerEnd : doc.page.length);
    var body = FindInSet(doc, EntryBodies, title.end, true);
    if (body.length)
      end = Math.min(end, body[0].start);
    var lang = PageLanguage(doc);
    found = ReadDateText(PlainText(doc, title.end, end), lang);
    if (!found) {
      var start = Math.max(0, title.start - 1500);
      var before = PlainText(doc, start, title.start);
      var dates = ReadDatesText(before, lang);
      found = dates.length ? dates[dates.length - 1] : null;
    }
    if (!found)
      found = ReadTimeText(PlainText(doc, title.end, end));
  }
  return (doc.shownDate = found);
}

// A time of day written in the entry's meta lines ("posted by ... at 12:53"), for a
// date that comes without one.
function MetaTime(doc, date) {
  var metas = FindInSet(doc, EntryMeta);
  for (var i = 0; i < metas.length; i++) {
    if (IsForeign(doc, metas[i]))
      continue;
    var text = PlainText(doc, metas[i].innerStart, metas[i].innerEnd);
    var full = ReadDateText(text, PageLanguage(doc));
    if (full && full.hasTime && full.year === date.year && full.month === date.month && full.day === date.day)
      return full;
    var time = full ? null : ReadTimeText(text);
    if (time)
      return time;
  }
  // The same day written again with its time further on ("Posted on ... at 09:11").
  var entry = doc.titleNode ? EntryAround(doc, doc.titleNode) : null;
  if (entry) {
    var rest = PlainText(doc, doc.titleNode.end, entry.innerEnd);
    var dates = ReadDatesText(rest, PageLanguage(doc));
    for (var j = 0; j < dates.length; j++) {
      var m = dates[j];
      if (m.hasTime && m.year === date.year && m.month === date.month && m.day === date.day)
        return m;
    }
  }
  return null;
}

// The dates microformats and microdata mark, strongest first: h-entry's dt-published,
// hAtom's published, schema.org's datePublished; each by its datetime, title or content
// attribute, else its text. One pass over the page.
function MarkedDates(doc) {
  var kinds = [[], [], []];
  var nodes = FindInSet(doc, ".dt-published, .published, [itemprop=datePublished]");
  for (var i = 0; i < nodes.length; i++) {
    var node = nodes[i];
    if (IsForeign(doc, node))
      continue;
    var value = CollapseSpace(Attr(node, "datetime") || Attr(node, "title") || Attr(node, "content"));
    if (!value && node.innerEnd - node.innerStart < 400)
      value = InnerText(doc, node);
    if (value)
      kinds[HasClass(node, "dt-published") ? 0 : HasClass(node, "published") ? 1 : 2].push(value);
  }
  return kinds[0].concat(kinds[1], kinds[2]);
}

// The entry's date by the strongest evidence the page has: JSON-LD, Open Graph's
// article:published_time, microformats, <time> in the entry, the date written near the
// title, the date in the entry's URL; a date without its time of day takes the time
// written beside it.
function StandardDate(doc) {
  if (doc.standardDate !== undefined)
    return doc.standardDate;
  var article = JsonLdArticle(doc);
  var values = [article ? JsonLdString(article.datePublished) || JsonLdString(article.dateCreated) : "",
    MetaContent(doc, "article:published_time"), MetaContent(doc, "og:published_time")];
  var marked = MarkedDates(doc);
  for (var i = 0; i < marked.length; i++)
    values.push(marked[i]);
  // hAtom asks for "updated" on every entry, so themes put it on the publication time
  // too: it means the last edit only beside a time without it.
  var times = Select(doc, "time[datetime]");
  var edited = "";
  for (i = 0; i < times.length; i++) {
    var node = times[i];
    if (IsForeign(doc, node))
      continue;
    var classes = Attr(node, "class") + " " + Attr(node.parent, "class");
    if (!/updated|modified|update/i.test(classes)) {
      edited = "";
      values.push(CollapseSpace(Attr(node, "datetime")));
      break;
    }
    if (!edited && !/modified|update(?!d)/i.test(classes))
      edited = CollapseSpace(Attr(node, "datetime"));
  }
  if (edited)
    values.push(edited);
  var lang = PageLanguage(doc);
  var date = "";
  var written;
  for (i = 0; i < values.length && !date; i++) {
    if (values[i] && IsoInstant.test(values[i]))
      date = values[i];
    else if (values[i] && (written = ReadDateText(values[i], lang)))
      date = DateTextWithTime(doc, written);
  }
  if (!date && ShownDate(doc) && ShownDate(doc).year)
    date = DateTextWithTime(doc, ShownDate(doc));
  if (!date) {
    var m = /\/((?:19|20)\d\d)[\/-](\d\d)[\/-](\d\d)(?:[\/-]|$)/.exec(PageUrl(doc).replace(/[?#][\s\S]*$/, ""));
    if (m)
      date = m[1] + "-" + m[2] + "-" + m[3];
  }
  return (doc.standardDate = date);
}

// A date read from text, with the time written apart when the text gives none.
function DateTextWithTime(doc, date) {
  if (!date.hasTime) {
    var time = MetaTime(doc, date);
    if (time) {
      date.hour = time.hour;
      date.minute = time.minute;
      date.second = time.second;
      date.hasTime = true;
    }
  }
  return DateOut(date) + (date.zone && date.zone !== "z" ? date.zone.toUpperCase() : "");
}

// ---- older entry

// The pager elements themes use (the link itself or its container), in page order.
var OlderPagers = ".nav-previous, .nav-paging-prev, .next-prev-prev, .p-pnLinks__item.-prev, .previous, .prev, " +
  ".older, #prevlink, .prev-post, .post-prev, .previous-post, .nav-prev, .blog-pager-older-link";
var NewerPagers = ".nav-next, .nav-paging-next, .next-prev-next, .p-pnLinks__item.-next, .next, .newer, " +
  "#nextlink, .next-post, .post-next, .nav-next, .blog-pager-newer-link";
var OlderTexts = /^(?:[«‹←<]+\s*)?(?:previous|prev|older|前の記事|前の投稿|前のエントリー?|前の日記|古い記事|前へ|vorherige[rs]?|älterer?|précédent|article précédent)(?![a-z])/i;
var NewerTexts = /^(?:next|newer|次の記事|次の投稿|次のエントリー?|新しい記事|nächste[rs]?|neuerer?|suivant)(?![a-z])/i;
// What a link or its label must hold at all to be read further.
OlderTexts.quick = /prev|older|前|古い|vorherig|älter|précédent/i;
NewerTexts.quick = /next|newer|次|新しい|nächst|neuer|suivant/i;
// Addresses of list pages rather than entries.
// ("/archives/2562" is an entry of WordPress's numbered permalinks.)
var ListPageUrl = /\/(?:category|categories|tag|tags|label|labels|author|page|search|feed)\/?(?:[?#]|$)|\/(?:category|tag|tags|label|author|search|feed)\/|\/archives?\/?$|\/archive\/\d{4}(?:\/\d{1,2}){0,2}\/?$|\/archives?\/(?:date\/|cat_|\d{4}-\d{2}\.html)|\/page\/\d+\/?$|^https?:\/\/[^\/]+\/?(?:[?#].*)?$|^https?:\/\/[^\/]+\/\d{4}(?:\/\d{1,2}){0,2}\/?$/;

function IsListPageUrl(url) {
  return ListPageUrl.test((url || "").replace(/#[\s\S]*$/, ""));
}

// Entry links of the pager kind: where they lead, if it is another entry of this blog.
function NeighbourLink(doc, node) {
  var url = PageLink(doc, Attr(node, "href"));
  if (!url || /\/comment-page-\d|[?&](?:cpage|replytocom)=/.test(url) || InParts(doc, node, CommentParts))
    return "";
  var own = OwnUrl(doc);
  if (own && (url === own || UrlOrigin(url) !== UrlOrigin(own)))
    return "";
  return IsListPageUrl(url) ? "" : url;
}

// The links of the pager selectors, else those whose text (or a label just before them,
// as in "Previous: <a>") says so.
function NeighbourLinks(doc, rels, pagers, texts) {
  var found = [FirstNeighbour(doc, rels), FirstPager(doc, pagers)];
  if (!found[0] && !found[1]) {
    var label = texts.label || (texts.label = new RegExp("(?:^|\\s)" + texts.source.replace(/^\^/, "") + "\\s*[:：]?$", "i"));
    var links = Select(doc, "a[href]");
    for (i = 0; i < links.length; i++) {
      var inner = doc.page.substring(links[i].innerStart, Math.min(links[i].innerEnd, links[i].innerStart + 300));
      var before = doc.page.substring(Math.max(0, links[i].start - 80), links[i].start);
      if (!texts.quick.test(inner + " " + before + " " + Attr(links[i], "title") + " " + Attr(links[i], "aria-label")))
        continue;
      var text = InnerText(doc, links[i]) || Attr(links[i], "title") || Attr(links[i], "aria-label");
      if ((texts.test(text) || label.test(HtmlToText(before))) && (found[0] = NeighbourLink(doc, links[i])))
        break;
    }
  }
  return UniqueUrls(found);
}

// The first usable link of the pager elements: the element itself or the first link in it.
function FirstPager(doc, parts) {
  var nodes = FindInSet(doc, parts);
  for (var i = 0; i < nodes.length; i++) {
    var links = nodes[i].name === "a" ? [nodes[i]] : Select(doc, "a[href]", nodes[i]);
    for (var j = 0; j < links.length && j < 3; j++) {
      var url = NeighbourLink(doc, links[j]);
      if (url)
        return url;
    }
  }
  return "";
}

// The first usable neighbour link of the selector list, tried in order.
function FirstNeighbour(doc, selectors) {
  for (var i = 0; i < selectors.length; i++) {
    var nodes = Select(doc, selectors[i]);
    for (var j = 0; j < nodes.length; j++) {
      var url = NeighbourLink(doc, nodes[j]);
      if (url)
        return url;
    }
  }
  return "";
}

// The page's own address as it states it (a <base> may point elsewhere).
function OwnUrl(doc) {
  if (doc.ownUrl === undefined) {
    var own = AttrOf(doc, ["link[rel~=canonical]"], "href") || MetaContent(doc, "og:url");
    doc.ownUrl = own ? PageLink(doc, own) : PageUrl(doc) ? PageLink(doc, PageUrl(doc)) : "";
  }
  return doc.ownUrl;
}

// The order of the blog's entries that their URLs tell: the date in the path, else the
// number the path ends with; the one the page's own URL follows.
function UrlOrder(doc) {
  var own = OwnUrl(doc).replace(/[?#][\s\S]*$/, "");
  if (/\/(?:19|20)\d\d\/\d\d\/(?:\d\d\/)?/.test(own))
    return UrlNumber(/\/((?:19|20)\d\d)\/(\d\d)\/(\d\d\/)?/);
  if (/\/(?:19|20)\d\d-\d\d-\d\d/.test(own))
    return UrlNumber(/\/((?:19|20)\d\d)-(\d\d)-(\d\d)/);
  if (/\/\d+(?:\.html?)?\/?$/.test(own))
    return UrlNumber(/\/(\d+)(?:\.html?)?\/?$/);
  return null;
}

// The older entry by rel="prev", the pager classes and the link texts themes use,
// its direction confirmed by the URLs' order where they have one.
function StandardOlder(doc, order, current) {
  var older = NeighbourLinks(doc, ["link[rel~=prev]", "a[rel~=prev]"], OlderPagers, OlderTexts);
  order = order || UrlOrder(doc);
  if (!order)
    return older[0] || "";
  var newer = NeighbourLinks(doc, ["link[rel~=next]", "a[rel~=next]"], NewerPagers, NewerTexts);
  var candidates = older.length ? older : [""];
  for (var i = 0; i < newer.length; i++) {
    if (candidates.indexOf(newer[i]) < 0)
      candidates.push(newer[i]);
  }
  return PickOlder(candidates, order, order(current ? FindLink(doc, current) : OwnUrl(doc)));
}

// ---------------------------------------------------------------- declarations

// Where "selector@attribute" puts its "@" (one inside a quoted or bracketed value
// does not count), or -1.
function AttributeMark(finder) {
  var at = finder.lastIndexOf("@");
  return at > 0 && !/[\]"']/.test(finder.substring(at)) ? at : -1;
}

// A finder says where a value is: a selector, whose first matching element's text
// it is ("h1.entry-title"); a selector with "@" and an attribute name, for that
// attribute's value ("time[datetime]@datetime"); a function (doc, scope) that
// returns it; or a list of these, tried in order until one gives a value.
function FindValue(doc, finder, scope) {
  if (!finder)
    return "";
  if (finder instanceof Array) {
    for (var i = 0; i < finder.length; i++) {
      var value = FindValue(doc, finder[i], scope);
      if (value)
        return value;
    }
    return "";
  }
  if (typeof finder === "function")
    return CollapseSpace(String(finder(doc, scope) || ""));
  var at = AttributeMark(finder);
  if (at > 0)
    return AttrOf(doc, [finder.substring(0, at)], finder.substring(at + 1), scope);
  return TextOf(doc, [finder], scope);
}

// The same for links: a selector gives the href of its first matching element that
// leads somewhere ("sel@attr" another attribute's URL), a function returns a URL,
// and every URL is made absolute by PageLink.
function FindLink(doc, finder, scope) {
  if (!finder)
    return "";
  if (finder instanceof Array) {
    for (var i = 0; i < finder.length; i++) {
      var url = FindLink(doc, finder[i], scope);
      if (url)
        return url;
    }
    return "";
  }
  if (typeof finder === "function")
    return PageLink(doc, String(finder(doc, scope) || ""));
  var at = AttributeMark(finder);
  if (at > 0) {
    var found = Select(doc, finder.substring(0, at), scope);
    for (var j = 0; j < found.length; j++) {
      url = PageLink(doc, Attr(found[j], finder.substring(at + 1)));
      if (url)
        return url;
    }
    return "";
  }
  return LinkOf(doc, [finder], scope);
}

// A finder looked up in the declared main part rather than in the entry.
function InMain(finder) {
  return function (doc) { return FindValue(doc, finder, DeclaredMain(doc)); };
}

// A link finder for pagers that only their text tells apart: the first link whose
// text matches text and, when url is given, whose URL matches url.
function LinkByText(text, url) {
  return function (doc) {
    var links = Select(doc, "a[href]");
    for (var i = 0; i < links.length; i++) {
      if (!text.test(InnerText(doc, links[i])))
        continue;
      var found = PageLink(doc, Attr(links[i], "href"));
      if (found && (!url || url.test(found)))
        return found;
    }
    return "";
  };
}

// Finders for the page's JSON-LD article and its meta tags: JsonLd("headline",
// "name") is the first of those fields of the article that has a value.
function JsonLd() {
  var fields = arguments;
  return function (doc) {
    var article = JsonLdArticle(doc);
    for (var i = 0; article && i < fields.length; i++) {
      var value = JsonLdString(article[fields[i]]);
      if (value)
        return value;
    }
    return "";
  };
}

function Meta(key) {
  return function (doc) { return MetaContent(doc, key); };
}

// An entry order read from URLs: UrlNumber(/\/entry-(\d+)\.html/) gives the number
// the pattern captures (several captures are joined, as in a date and time), NaN
// for URLs that do not match. Services whose entry numbers or dated URLs grow with
// time let a blog type tell the older of two links by their data.
function UrlNumber(pattern) {
  return function (url) {
    var m = pattern.exec((url || "").replace(/[?#][\s\S]*$/, ""));
    if (!m)
      return NaN;
    var digits = "";
    for (var i = 1; i < m.length; i++)
      digits += m[i] || "";
    return digits ? parseFloat(digits) : NaN;
  };
}

// Of the candidate links (the one the page calls older first), the one that is
// older than the page by order, the newest of such; when no ordered one is older, the
// one the page calls older if it has no order (a named entry among numbered ones).
// When the page's own place is unknown, the one of two that comes first by order;
// else the one the page calls older.
function PickOlder(candidates, order, current) {
  var older = candidates[0] || "";
  var known = [];
  for (var i = 0; i < candidates.length; i++) {
    if (candidates[i] && !isNaN(order(candidates[i])))
      known.push(candidates[i]);
  }
  if (!isNaN(current) && known.length) {
    var best = "";
    for (i = 0; i < known.length; i++) {
      var key = order(known[i]);
      if (key < current && (!best || key > order(best)))
        best = known[i];
    }
    return best || (older && isNaN(order(older)) ? older : "");
  }
  if (known.length === 2 && order(known[0]) !== order(known[1]))
    return order(known[0]) < order(known[1]) ? known[0] : known[1];
  return older;
}

// The entries a list page shows, as [{url, date, pinned}] in page order, by a
// declaration's entries (or categoryEntries) part: a function (doc, main), or
// {links, around, date, pinned}: each element of main matching links is an entry's
// link, the closest element around it matching around holds its date (a finder) and,
// when it matches pinned, marks it pinned; or {items, link, date, pinned}: each
// element matching items is an entry, its link found inside it by the link finder.
function ListEntries(doc, list, main) {
  if (!list)
    return [];
  if (typeof list === "function")
    return list(doc, main) || [];
  var items = [];
  var nodes = Select(doc, list.items || list.links, main);
  for (var i = 0; i < nodes.length; i++) {
    var url;
    var around;
    if (list.items) {
      around = nodes[i];
      url = FindLink(doc, list.link || "a[href]", around);
    } else {
      around = list.around ? Closest(nodes[i], list.around) : null;
      url = PageLink(doc, Attr(nodes[i], "href"));
    }
    if (!url)
      continue;
    items.push({url: url, date: around ? FindValue(doc, list.date, around) : "",
      pinned: !!(around && list.pinned && Matches(around, list.pinned))});
  }
  return items;
}

var Declaration = null;

// The main part of the page (the declaration's main finder), kept with the page;
// null for the whole page.
function DeclaredMain(doc) {
  if (doc.declaredMain === undefined)
    doc.declaredMain = Declaration.main ? SelectFirst(doc, Declaration.main) : null;
  return doc.declaredMain;
}

// An entry page's entry: the declaration's entry finder inside main, else main.
function DeclaredEntry(doc) {
  if (doc.declaredEntry === undefined) {
    var main = DeclaredMain(doc);
    doc.declaredEntry = (Declaration.entry ? SelectFirst(doc, Declaration.entry, main) : null) || main;
  }
  return doc.declaredEntry;
}

function DeclaredEntries(doc, list) {
  if (Declaration.service && !IsServicePage(doc, Declaration.service))
    return [];
  return ListEntries(doc, list, DeclaredMain(doc));
}

// The six functions the program calls, made from the declaration. A script may still
// write any of them itself; BlogType leaves those alone.
// A declared finder's value on an entry page, read only outside the parts of the page
// that are not the entry's (comments, sidebars, related posts).
function EntryValue(doc, finder) {
  doc.entryOnly = true;
  try {
    return FindValue(doc, finder, DeclaredEntry(doc));
  } finally {
    doc.entryOnly = false;
  }
}

// The six functions the program calls, made from the declaration and, beneath it, the
// standards layer. A script may still write any of them itself; BlogType leaves those
// alone.
var DeclaredFunctions = {
  GetRecentEntry: function (page) {
    return PickNewest(DeclaredEntries(HtmlDoc(page), Declaration.entries));
  },
  GetDate: function (page) {
    var doc = HtmlDoc(page);
    return ReadersClock(doc, EntryValue(doc, Declaration.date) || StandardDate(doc));
  },
  GetTitle: function (page) {
    var doc = HtmlDoc(page);
    // A declared heading that only names the blog (an untitled entry's page) is no title.
    var title = EntryValue(doc, Declaration.title);
    return title && TitleKey(title) !== TitleKey(MetaContent(doc, "og:site_name")) ? title : StandardTitle(doc);
  },
  GetNextUrl: function (page) {
    var doc = HtmlDoc(page);
    var older = FindLink(doc, Declaration.older);
    var newer = Declaration.order ? FindLink(doc, Declaration.newer) : "";
    if (!older && !newer)
      return StandardOlder(doc, Declaration.order, Declaration.current);
    if (!Declaration.order)
      return older;
    var own = Declaration.current ? FindLink(doc, Declaration.current) : PageUrl(doc);
    return PickOlder([older, newer], Declaration.order, Declaration.order(own));
  },
  GetEntryUrl: function (page) {
    var items = DeclaredEntries(HtmlDoc(page), Declaration.categoryEntries || Declaration.entries);
    var urls = [];
    for (var i = 0; i < items.length; i++)
      urls.push(items[i].url);
    return UrlLines(urls);
  },
  GetNextCategoryUrl: function (page) {
    return FindLink(HtmlDoc(page), Declaration.olderList);
  }
};

// Declares a blog type. Every part is optional:
//   service          the service's name in ServiceMarks: list pages of other services
//                    give no entries
//   marks            a pattern only this service's pages match (added to ServiceMarks)
//   main             selectors of the page's main part, where entries are looked for
//   entries          the entries of a list page (see ListEntries)
//   categoryEntries  those of a category page, when they differ
//   entry            selectors of the entry on an entry page, inside main
//   title, date      finders of the entry's title and date, inside the entry
//   older            link finder of the older entry
//   newer, order, current
//                    where the service's pager can mean either way: the newer link's
//                    finder, order(url) giving a number that grows with time, and a
//                    link finder of the page's own URL (else the page's URL); the
//                    older link is then told by order
//   olderList        link finder of a list page's older page
//   filterUrl        function (url) that rewrites every URL the blog type returns
function BlogType(declaration) {
  Declaration = declaration;
  if (declaration.marks && declaration.service)
    ServiceMarks[declaration.service] = declaration.marks;
  if (declaration.filterUrl)
    SiteUrlFilter = declaration.filterUrl;
  var global = (function () { return this; })();
  for (var name in DeclaredFunctions) {
    if (DeclaredFunctions.hasOwnProperty(name) && !IsWritten(name))
      global[name] = DeclaredFunctions[name];
  }
}

// Whether the script wrote the function itself: with "function", or with let or const
// (which the global object does not show, and which may not be set yet).
function IsWritten(name) {
  try {
    return (0, eval)("typeof " + name) !== "undefined";
  } catch (e) {
    return true;
  }
}

// ---------------------------------------------------------------- entry lists

// A list page's JSON; a page that is not JSON (a login or error page) throws with a
// message the log shows.
function ListJson(page) {
  try {
    return JSON.parse(page);
  } catch (e) {
    throw new Error("一覧が JSON ではありません: " + e.message);
  }
}

// A URL of an entry list's answer as every URL a blog type returns: resolved against
// the list's URL, normalised and through the blog type's filter.
function ListLink(listUrl, href) {
  href = (href || "").replace(/^[\u0000-\u0020]+|[\u0000-\u0020]+$/g, "");
  if (!href)
    return "";
  var url = NormalizeUrl(ResolveUrl(listUrl || "", href));
  return SiteUrlFilter ? SiteUrlFilter(url) : url;
}

// A list page's document; a page that names no URL of its own is at the one it was
// fetched from.
function ListDoc(page, url) {
  var doc = HtmlDoc(page);
  if (!PageUrl(doc) && IsAbsoluteHttp(url || ""))
    doc.pageUrl = url;
  return doc;
}

// items: [{url, title, date}], newest first. The lines GetEntryList returns: URL TAB
// title TAB date, each on one line; items without a URL are left out.
function EntryListLines(items) {
  var lines = [];
  for (var i = 0; i < items.length; i++) {
    if (!items[i].url)
      continue;
    lines.push([items[i].url, CollapseSpace(items[i].title || ""), CollapseSpace(items[i].date || "")].join("\t"));
  }
  return lines.join("\n");
}

// ---------------------------------------------------------------- feeds

// An Atom or RSS feed page read as an entry list: its entries ({url, title, date},
// newest first as feeds give them), its next (older) page and whether it says it is
// complete. Feeds are XML, which the HTML reader would get wrong (RSS's <link> holds
// text, CDATA sections hold markup), so they are read here.
function FeedText(xml) {
  var text = "";
  var re = /<!\[CDATA\[([\s\S]*?)\]\]>/g;
  var pos = 0;
  var m;
  while ((m = re.exec(xml)) !== null) {
    text += DecodeEntities(xml.substring(pos, m.index)) + m[1];
    pos = re.lastIndex;
  }
  return text + DecodeEntities(xml.substring(pos));
}

// The first element of that name (with any namespace prefix given) in the XML, as
// {attrs, inner}, or null.
function FeedElement(xml, name) {
  var re = new RegExp("<" + name + "(\\s[^>]*?)?(/?)>", "i");
  var m = re.exec(xml);
  if (!m)
    return null;
  var attrs = m[1] || "";
  if (m[2])
    return {attrs: attrs, inner: ""};
  var rest = xml.substring(m.index + m[0].length);
  var end = rest.search(new RegExp("</" + name + "\\s*>", "i"));
  return {attrs: attrs, inner: end < 0 ? rest : rest.substring(0, end)};
}

function FeedAttr(attrs, name) {
  var m = new RegExp("\\s" + name + "\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)')", "i").exec(attrs || "");
  return m ? DecodeEntities(m[1] !== undefined ? m[1] : m[2]) : "";
}

// The href of the first <link> (or <atom:link>) with that rel; rel "alternate" also
// takes a link that names no rel, as Atom reads it.
function FeedLink(xml, rel) {
  var re = /<(?:atom:)?link(\s[^>]*?)?\/?>/gi;
  var m;
  while ((m = re.exec(xml)) !== null) {
    var own = FeedAttr(m[1], "rel").toLowerCase();
    var href = FeedAttr(m[1], "href");
    if (href && (own === rel || (!own && rel === "alternate")))
      return href;
  }
  return "";
}

// A title as a reader sees it: Atom says whether it is HTML; RSS titles are text.
function FeedTitle(block) {
  var title = FeedElement(block, "title");
  if (!title)
    return "";
  var type = FeedAttr(title.attrs, "type").toLowerCase();
  var text = FeedText(title.inner);
  return type === "html" || type === "xhtml" || type === "text/html" ? HtmlToText(text) : CollapseSpace(text);
}

// An entry's publication time (RSS's in RFC 822, which the date reader takes as it
// is); "updated" is the time of the last edit, which the entry pages do not show.
function FeedEntryDate(block) {
  var names = ["published", "pubDate", "dc:date", "issued", "dcterms:issued"];
  for (var i = 0; i < names.length; i++) {
    var found = FeedElement(block, names[i]);
    if (found && CollapseSpace(FeedText(found.inner)))
      return CollapseSpace(FeedText(found.inner));
  }
  return "";
}

function ReadFeed(page, url) {
  page = (page || "").replace(/<!--[\s\S]*?-->/g, "");
  if (!/<(?:\w+:)?(?:feed|rss|RDF)[\s>]/.test(page))
    throw new Error("フィードではありません");
  var blocks = page.match(/<(entry|item)[\s>][\s\S]*?<\/\1\s*>/g) || [];
  var head = page.replace(/<(entry|item)[\s>][\s\S]*?<\/\1\s*>/g, "");
  var items = [];
  for (var i = 0; i < blocks.length; i++) {
    var link = FeedLink(blocks[i], "alternate");
    if (!link) {
      var plain = FeedElement(blocks[i], "link");
      link = plain ? CollapseSpace(FeedText(plain.inner)) : "";
    }
    if (!link) {
      var guid = FeedElement(blocks[i], "guid");
      if (guid && !/isPermaLink\s*=\s*["']false/i.test(guid.attrs))
        link = CollapseSpace(FeedText(guid.inner));
    }
    items.push({url: ListLink(url, link), title: FeedTitle(blocks[i]), date: FeedEntryDate(blocks[i])});
  }
  var next = FeedLink(head, "next");
  return {items: items, next: next ? ListLink(url, next) : "", complete: /<(?:\w+:)?complete\s*\/?>/.test(head)};
}

// The lines of a feed page read as the blog's whole list. Its first page (start) must
// page on or say it is complete: a feed of only the newest entries would end the list
// there, and a full run would drop every older entry.
function PagedFeedLines(page, url, start) {
  var feed = ReadFeed(page, url);
  if (url === start && !feed.next && !feed.complete && feed.items.length)
    throw new Error("フィードに古いエントリーが載っていません");
  return EntryListLines(feed.items);
}

// The feed's next page while it gives entries.
function NextFeedUrl(page, url) {
  var feed = ReadFeed(page, url);
  return feed.items.length ? feed.next : "";
}

// The feed a page announces: Atom before RSS, a comment feed never.
function AnnouncedFeed(doc, url) {
  var types = ["application/atom+xml", "application/rss+xml"];
  for (var t = 0; t < types.length; t++) {
    var links = Select(doc, "link[rel~=alternate][type=\"" + types[t] + "\"]");
    for (var i = 0; i < links.length; i++) {
      var href = CollapseSpace(Attr(links[i], "href"));
      if (href && !/comment/i.test(href + " " + Attr(links[i], "title")))
        return NormalizeUrl(ResolveUrl(url || PageUrl(doc), href));
    }
  }
  return "";
}

// ---------------------------------------------------------------- recognising a blog

// How sure a blog type is that a page is one of its blog's, from the declaration's
// detect part:
//   hosts      host names of the service ("hatenablog.com" also takes its subdomains)
//   generator  a pattern of <meta name="generator">
//   links      rel values of <link> that only the service's pages carry
//   assets     hosts the pages load scripts, styles or images from
//   headers    a pattern of the answer's header lines ("Name: value")
//   standard   true for a blog type of no service: the standard marks count, a little
// and the service's marks (services.js and the declaration's marks). DetectBlog returns
// "score TAB reason": 0 to 100, and the strongest clue in a few words.

var ResponseHeaders = "";

// The header lines of the answer the next DetectBlog's page came with.
function SetResponseHeaders(text) {
  ResponseHeaders = text || "";
  return "";
}

function HostOf(url) {
  var m = UrlPattern.exec(url || "");
  return m && m[2] ? m[2].replace(/^[^@]*@/, "").replace(/:\d*$/, "").toLowerCase() : "";
}

// The name of the list that host is or ends in, or "".
function HostIn(host, names) {
  for (var i = 0; host && i < names.length; i++) {
    var name = names[i].toLowerCase();
    if (host === name || host.substring(host.length - name.length - 1) === "." + name)
      return name;
  }
  return "";
}

// Attribute value of the first tag the pattern finds; the page is not parsed, which
// keeps a detection of all blog types within a few milliseconds.
var TagAttrPatterns = {};

function TagAttr(tag, name) {
  if (!TagAttrPatterns.hasOwnProperty(name))
    TagAttrPatterns[name] = new RegExp("\\s" + name + "\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))", "i");
  var m = TagAttrPatterns[name].exec(tag);
  return m ? DecodeEntities(m[1] !== undefined ? m[1] : m[2] !== undefined ? m[2] : m[3]) : "";
}

// The <meta> and <link> tags of the page's head, where they belong: {meta: [], link: []}.
function HeadTags(page) {
  var end = page.search(/<\/head\s*>|<body[\s>]/i);
  var tags = (end < 0 ? page : page.substring(0, end)).match(/<(?:meta|link)\b[^>]*>/gi) || [];
  var found = {meta: [], link: []};
  for (var i = 0; i < tags.length; i++)
    found[/^<meta/i.test(tags[i]) ? "meta" : "link"].push(tags[i]);
  return found;
}

// The hosts a page names for itself: where it came from, its canonical link and og:url.
function OwnHosts(head, url) {
  var hosts = [HostOf(url)];
  for (var i = 0; i < head.link.length; i++) {
    if (/^canonical$/i.test(TagAttr(head.link[i], "rel")))
      hosts.push(HostOf(TagAttr(head.link[i], "href")));
  }
  for (i = 0; i < head.meta.length; i++) {
    if (TagAttr(head.meta[i], "property") === "og:url")
      hosts.push(HostOf(TagAttr(head.meta[i], "content")));
  }
  return hosts;
}

function AssetHosts(page) {
  var hosts = [];
  var re = /<(?:script|link|img|iframe)\b[^>]*?\s(?:src|href)\s*=\s*["']?(?:https?:)?\/\/([a-zA-Z0-9.\-]+)/g;
  var m;
  while ((m = re.exec(page)) !== null)
    hosts.push(m[1].toLowerCase());
  return hosts;
}

// The standard marks of a blog page, for a blog type of no service.
var StandardMarks = [
  [/"@type"\s*:\s*"(?:BlogPosting|Blog|Article|NewsArticle)"/, 10, "JSON-LD"],
  [/<meta\b[^>]*\b(?:property|name)=["']?og:/, 6, "OGP"],
  [/class=["'][^"']*\b(?:h-entry|hentry)\b/, 8, "microformats"],
  [/\bitemprop=["']|\bitemtype=["']https?:\/\/schema\.org/, 6, "microdata"],
  [/<link\b[^>]*\brel=["']?(?:prev|next)\b/, 6, "rel=\"prev\"/\"next\""],
  [/<time\b[^>]*\bdatetime=/, 4, "<time datetime>"],
  [/<article\b/, 4, "<article>"],
  [/<link\b[^>]*application\/(?:atom|rss)\+xml/, 4, "フィード"]
];

function DetectClues(page, url) {
  var detect = Declaration && Declaration.detect ? Declaration.detect : {};
  var service = Declaration ? Declaration.service : "";
  var clues = [];
  var head = HeadTags(page);
  var own = OwnHosts(head, url);
  for (var i = 0; detect.hosts && i < own.length; i++) {
    var host = HostIn(own[i], detect.hosts);
    if (host) {
      clues.push([60, host + " のページです"]);
      break;
    }
  }
  if (detect.generator) {
    var metas = head.meta;
    for (i = 0; i < metas.length; i++) {
      var generator = TagAttr(metas[i], "content") || TagAttr(metas[i], "value");
      if (/^generator$/i.test(TagAttr(metas[i], "name")) && detect.generator.test(generator)) {
        clues.push([50, "generator が " + CollapseSpace(generator).substring(0, 40) + " です"]);
        break;
      }
    }
  }
  if (detect.links) {
    var links = head.link;
    for (i = 0; i < links.length; i++) {
      var rel = TagAttr(links[i], "rel");
      if (detect.links.indexOf(rel) >= 0) {
        clues.push([50, "<link rel=\"" + rel + "\"> があります"]);
        break;
      }
    }
  }
  if (detect.assets) {
    var assets = AssetHosts(page);
    for (i = 0; i < assets.length; i++) {
      var asset = HostIn(assets[i], detect.assets);
      if (asset) {
        clues.push([40, asset + " のファイルを読み込んでいます"]);
        break;
      }
    }
  }
  if (detect.headers && ResponseHeaders) {
    var header = detect.headers.exec(ResponseHeaders);
    if (header)
      clues.push([50, "応答ヘッダー " + CollapseSpace(header[0]).substring(0, 40)]);
  }
  if (service && ServiceMarks.hasOwnProperty(service)) {
    var mark = ServiceMarks[service].exec(page);
    if (mark)
      clues.push([40, "「" + CollapseSpace(mark[0]).substring(0, 30) + "」があります"]);
  }
  if (detect.standard) {
    var total = 0;
    var names = [];
    for (i = 0; i < StandardMarks.length; i++) {
      if (StandardMarks[i][0].test(page)) {
        total += StandardMarks[i][1];
        names.push(StandardMarks[i][2]);
      }
    }
    // Below any service's own clue: the standards are the fallback, not a rival.
    if (total)
      clues.push([Math.min(total, 30), "標準的な記述 (" + names.join("・") + ") があります"]);
  }
  return clues;
}

// Another service's marks: a page that carries them is not this blog type's unless it
// also carries clues of its own.
function OtherService(page) {
  var service = Declaration ? Declaration.service : "";
  for (var other in ServiceMarks) {
    if (other !== service && ServiceMarks.hasOwnProperty(other) && ServiceMarks[other].test(page))
      return other;
  }
  return "";
}

function DeclaredDetectBlog(page, url) {
  page = page || "";
  var clues = DetectClues(page, url);
  var service = Declaration ? Declaration.service : "";
  // A page of no service may still link to one: a blog type of no service gives way to
  // another service's marks unless the page names its own generator.
  if (!clues.length)
    return "0\t手がかりがありません";
  if (!service && Math.max.apply(null, clues.map(function (c) { return c[0]; })) < 50) {
    var other = OtherService(page);
    if (other)
      return "0\t" + other + " の印があります";
  }
  clues.sort(function (a, b) { return b[0] - a[0]; });
  var score = 0;
  for (var i = 0; i < clues.length; i++)
    score += i ? clues[i][0] / 2 : clues[i][0];
  return Math.min(100, Math.round(score)) + "\t" + clues[0][1];
}

DeclaredFunctions.DetectBlog = DeclaredDetectBlog;

// ---------------------------------------------------------------- the blog's categories

// GetCategoryList(page, url) gives the blog's categories as lines "name TAB URL", in the
// blog's order. A blog type whose service lists them elsewhere (an API) names that page
// with GetCategoryListSource(topPage, topUrl); GetCategoryList then gets that page, and
// the top page when the other gives none.

// A category's name as a link shows it, without the entry count ("日記 (3)") or a
// "カテゴリ:" label in front.
function CategoryName(text) {
  return CollapseSpace(text).replace(/^(?:カテゴリー?|Category|テーマ)\s*[:：]\s*/i, "")
    .replace(/\s*[(（]\s*\d+\s*[)）]$/, "");
}

function HasEntryCount(text) {
  return /[(（]\s*\d+\s*[)）]\s*$/.test(CollapseSpace(text));
}

// The category links of a page: those inside the first of the modules (selectors of the
// service's category list) that has any; else the links that show an entry count, as
// category lists do; else every category link, in the order of their first appearance.
// pattern tells a category URL from others.
function CategoryLinks(doc, modules, pattern) {
  var groups = [];
  for (var i = 0; modules && i < modules.length; i++)
    groups.push(Select(doc, modules[i]));
  var all = Select(doc, "a[href]");
  groups.push(all.filter(function (a) { return HasEntryCount(InnerText(doc, a)); }));
  groups.push(all);
  for (i = 0; i < groups.length; i++) {
    var items = [];
    var seen = {};
    for (var j = 0; j < groups[i].length; j++) {
      var link = groups[i][j];
      var url = PageLink(doc, CollapseSpace(Attr(link, "href")));
      if (!url || !pattern.test(url) || seen.hasOwnProperty(url))
        continue;
      var name = CategoryName(InnerText(doc, link)) || CategoryName(Attr(link, "title"));
      if (!name)
        continue;
      seen[url] = true;
      items.push({name: name, url: url});
    }
    if (items.length)
      return items;
  }
  return [];
}

// items: [{name, url}] -> the lines GetCategoryList returns.
function CategoryListLines(items) {
  var lines = [];
  for (var i = 0; i < items.length; i++) {
    var name = CollapseSpace(items[i].name).replace(/\t/g, " ");
    if (name && items[i].url)
      lines.push(name + "\t" + items[i].url);
  }
  return lines.join("\n");
}

// The page's categories, for a blog type that reads them from its pages.
function PageCategoryLines(page, url, modules, pattern) {
  return CategoryListLines(CategoryLinks(ListDoc(page, url), modules, pattern));
}
