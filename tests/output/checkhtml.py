#!/usr/bin/env python3
"""Parses a generated table-of-contents page strictly and prints what it found as JSON.

Every element must be closed explicitly and properly nested, only the elements and
attributes the template programs use are accepted, and text must not hold a raw
"<" or ">". The test programs assert on the JSON: "errors" must be empty.
"""
import html
import json
import re
import sys
from html.parser import HTMLParser

VOID = {"meta", "link", "br", "input"}
ELEMENTS = VOID | {"html", "head", "title", "style", "body", "header", "main", "footer",
                   "nav", "section", "h1", "h2", "h3", "p", "ul", "li", "a", "span",
                   "time", "div", "script", "label"}
ATTRIBUTES = {"lang", "charset", "name", "content", "rel", "href", "id", "class",
              "datetime", "hidden", "type", "placeholder", "aria-label", "aria-live",
              "autocomplete", "for"}
BLOCK = {"p", "ul", "div", "section", "nav", "h1", "h2", "h3", "header", "main", "footer"}
DATETIME = re.compile(r"^\d{4}-\d{2}-\d{2}T\d{2}:\d{2}(:\d{2}(\.\d{1,3})?)?$")
CONTROL = re.compile(r"[\x00-\x08\x0b\x0c\x0e-\x1f\x7f-\x9f]")


class Checker(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=False)
        self.errors = []
        self.stack = []
        self.ids = {}
        self.fragment_links = []
        self.counts = {}
        self.title = ""
        self.headings = []
        self.items = []
        self.links = []
        self.stylesheets = []
        self.scripts = []
        self.hidden_ids = []
        self.doctype = None
        self.head_children = []
        self.captures = []  # open text collectors: [tag depth, dict, key]

    def error(self, message):
        self.errors.append(f"line {self.getpos()[0]}: {message}")

    def section_id(self):
        for tag, attrs in reversed(self.stack):
            if tag in ("section", "ul") and attrs.get("id"):
                return attrs["id"]
        return None

    def handle_decl(self, decl):
        self.doctype = decl

    def handle_starttag(self, tag, attrs):
        self.counts[tag] = self.counts.get(tag, 0) + 1
        if tag not in ELEMENTS:
            self.error(f"unexpected element <{tag}>")
        names = [name for name, _ in attrs]
        if len(names) != len(set(names)):
            self.error(f"duplicate attribute in <{tag}>")
        a = {name: ("" if value is None else value) for name, value in attrs}
        for name in a:
            if name not in ATTRIBUTES:
                self.error(f"unexpected attribute {name} on <{tag}>")
        for value in a.values():
            if CONTROL.search(value):
                self.error(f"control character in an attribute of <{tag}>")
        parent = self.stack[-1][0] if self.stack else None
        if parent is None and tag != "html":
            self.error(f"<{tag}> outside <html>")
        if parent == "ul" and tag != "li":
            self.error(f"<{tag}> inside <ul>")
        if tag == "li" and parent != "ul":
            self.error("<li> outside <ul>")
        if parent == "p" and tag in BLOCK:
            self.error(f"<{tag}> inside <p>")
        if tag == "a" and any(t == "a" for t, _ in self.stack):
            self.error("nested <a>")
        if parent == "head":
            self.head_children.append((tag, a))
        if "id" in a:
            if a["id"] in self.ids:
                self.error(f"duplicate id {a['id']}")
            self.ids[a["id"]] = tag
            if "hidden" in a:
                self.hidden_ids.append(a["id"])
        if tag == "a":
            href = a.get("href", "")
            if href.startswith("#"):
                self.fragment_links.append(href[1:])
            elif not re.match(r"^https?://", href):
                self.error(f"link to a non-web address: {href}")
            link = {"href": href, "text": "", "section": self.section_id()}
            self.links.append(link)
            self.captures.append([len(self.stack) + 1, link, "text"])
        if tag == "link" and a.get("rel") == "stylesheet":
            self.stylesheets.append(a.get("href", ""))
        if tag == "time" and not DATETIME.match(a.get("datetime", "")):
            self.error(f"bad datetime {a.get('datetime')}")
        if tag == "li" and self.stack and "entries" in self.stack[-1][1].get("class", "").split():
            item = {"section": self.section_id(), "title": "", "href": None, "date": "",
                    "datetime": None, "comment": None}
            self.items.append(item)
        if self.items and any(t == "li" for t, _ in self.stack) or tag == "li":
            item = self.items[-1] if self.items else None
            if item is not None and "entry-title" in a.get("class", "").split():
                item["href"] = a.get("href")
                self.captures.append([len(self.stack) + 1, item, "title"])
            if item is not None and tag == "time":
                item["datetime"] = a.get("datetime")
                self.captures.append([len(self.stack) + 1, item, "date"])
            if item is not None and tag == "p" and "comment" in a.get("class", "").split():
                item["comment"] = ""
                self.captures.append([len(self.stack) + 1, item, "comment"])
        if tag in ("h1", "h2", "h3"):
            heading = {"tag": tag, "text": "", "section": self.section_id()}
            self.headings.append(heading)
            self.captures.append([len(self.stack) + 1, heading, "text"])
        if tag == "title":
            self.captures.append([len(self.stack) + 1, self, "title"])
        if tag == "br":
            self.add_text("\n")
        if tag not in VOID:
            self.stack.append((tag, a))

    def handle_startendtag(self, tag, attrs):
        self.error(f"self-closing <{tag}/>")
        self.handle_starttag(tag, attrs)

    def handle_endtag(self, tag):
        if tag in VOID:
            self.error(f"end tag of void element </{tag}>")
            return
        if not self.stack or self.stack[-1][0] != tag:
            open_tag = self.stack[-1][0] if self.stack else None
            self.error(f"</{tag}> closes <{open_tag}>")
            return
        self.captures = [c for c in self.captures if c[0] < len(self.stack)]
        self.stack.pop()

    def add_text(self, text):
        for _, target, key in self.captures:
            if isinstance(target, dict):
                target[key] += text
            else:
                setattr(target, key, getattr(target, key) + text)

    def handle_data(self, data):
        inside = self.stack[-1][0] if self.stack else None
        if inside == "script":
            self.scripts.append(data)
            return
        if inside == "style":
            return
        if "<" in data or ">" in data:
            self.error(f"raw markup character in text: {data[:40]!r}")
        if CONTROL.search(data):
            self.error("control character in text")
        if inside == "ul" and data.strip():
            self.error("text inside <ul>")
        self.add_text(data)

    def handle_entityref(self, name):
        text = html.unescape(f"&{name};")
        if text == f"&{name};":
            self.error(f"unknown entity &{name};")
        self.add_text(text)

    def handle_charref(self, name):
        self.add_text(html.unescape(f"&#{name};"))

    def finish(self):
        if self.doctype is None or self.doctype.lower() != "doctype html":
            self.error(f"doctype is {self.doctype!r}")
        if self.stack:
            self.error("unclosed " + ", ".join(t for t, _ in self.stack))
        for name in ("html", "head", "body", "title", "main", "h1"):
            if self.counts.get(name, 0) != 1:
                self.error(f"{self.counts.get(name, 0)} <{name}> elements")
        if not self.head_children or self.head_children[0] != ("meta", {"charset": "utf-8"}):
            self.error("the head does not start with <meta charset=\"utf-8\">")
        if not any(t == "meta" and a.get("name") == "viewport" for t, a in self.head_children):
            self.error("no viewport")
        if not self.title.strip():
            self.error("empty title")
        for target in self.fragment_links:
            if target not in self.ids:
                self.error(f"link to missing #{target}")


def main():
    raw = open(sys.argv[1], "rb").read()
    checker = Checker()
    try:
        text = raw.decode("utf-8")
    except UnicodeDecodeError as e:
        checker.errors.append(f"not UTF-8: {e}")
        text = raw.decode("utf-8", "replace")
    if text.startswith("\ufeff"):
        checker.errors.append("byte-order mark")
    checker.feed(text)
    checker.close()
    checker.finish()
    json.dump({"errors": checker.errors, "title": checker.title, "headings": checker.headings,
               "items": checker.items, "links": checker.links, "stylesheets": checker.stylesheets,
               "scripts": checker.scripts, "hidden_ids": checker.hidden_ids},
              sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main()
