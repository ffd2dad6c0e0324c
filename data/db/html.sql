-- The empty output database html.mdb. Every export fills a copy of it, which the
-- template programs read. Dates are ISO 8601 text "YYYY-MM-DD HH:MM:SS" (with
-- ".SSS" only when there are milliseconds), the wall-clock time of the entry; the
-- date functions of SQLite and most other readers take that form as it is.
CREATE TABLE entries (
  id INTEGER,
  url TEXT,
  タイトル TEXT,
  日付 DATETIME,
  コメント TEXT
);

CREATE TABLE entries_categories (
  entry_id INTEGER,
  category_id INTEGER
);

CREATE TABLE categories (
  id INTEGER,
  name TEXT,
  url TEXT
);

CREATE TABLE html (
  name TEXT,
  data TEXT
);

-- The blog the entries come from, one row: the address of its top page and its name,
-- each empty when unknown. Programs that do not know this table never read it.
CREATE TABLE blog (
  url TEXT,
  name TEXT
);

CREATE INDEX entries_id ON entries (id);
CREATE INDEX entries_categories_entry ON entries_categories (entry_id);
CREATE INDEX entries_categories_category ON entries_categories (category_id);
