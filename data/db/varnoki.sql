/* The empty project database VARNOKI.FDB.
   Texts are UTF-8. URL columns hold the UTF-8 bytes of the URL in a column of
   character set NONE: Firebird limits an index key to a quarter of the page, so a
   UTF8 column (four bytes a character) could index only about 1,000 characters,
   while a byte column indexes 4,000 bytes. Titles, names, values and comments
   are text blobs, which have no length limit and keep the DISTINCT sort of the
   entry load small; config names are looked up, so they are short texts. */
SET SQL DIALECT 3;
CREATE DATABASE '%OUTPUT%' USER 'SYSDBA' PASSWORD 'quietpond'
  PAGE_SIZE 16384 DEFAULT CHARACTER SET UTF8;

CREATE DOMAIN D_URL AS VARCHAR(4000) CHARACTER SET NONE;
CREATE DOMAIN D_TEXT AS BLOB SUB_TYPE TEXT CHARACTER SET UTF8;

CREATE TABLE entries (
  id INTEGER,
  url D_URL,
  title D_TEXT,
  created_on TIMESTAMP
);

CREATE TABLE tmp_entries (
  id INTEGER,
  url D_URL,
  title D_TEXT,
  created_on TIMESTAMP
);

CREATE TABLE comments (
  url D_URL,
  comment D_TEXT
);

CREATE TABLE categories (
  id INTEGER,
  name D_TEXT,
  url D_URL
);

CREATE TABLE categories_entry (
  category_id INTEGER,
  url D_URL
);

CREATE TABLE config (
  name VARCHAR(255) CHARACTER SET UTF8,
  data D_TEXT
);

CREATE TABLE html (
  name D_TEXT,
  data D_TEXT
);

CREATE INDEX entries_url ON entries (url);
CREATE DESCENDING INDEX entries_id_desc ON entries (id);
CREATE DESCENDING INDEX tmp_entries_id_desc ON tmp_entries (id);
CREATE INDEX comments_url ON comments (url);
CREATE INDEX categories_entry_url ON categories_entry (url);
CREATE INDEX config_name ON config (name);

COMMIT;
