#pragma once

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>

// What the template programs share: reading the output database, the configuration
// items every template understands, and the HTML page around a template's body.

struct TocEntry
{
    int id = 0;
    QString url;
    QString title;
    QString comment;
    QDateTime date; // invalid when the blog gave no readable date
    QList<int> categoryIds;
};

struct TocCategory
{
    int id = 0;
    QString name;
    QString url;
};

struct TocData
{
    QList<TocEntry> entries;       // sorted as the settings ask
    QList<TocCategory> categories; // ascending id
    QList<QPair<QString, QString>> values;
    QString blogUrl;  // the blog's top page; empty when unknown
    QString blogName; // empty when unknown
};

struct TocSettings
{
    QString pageTitle;
    QString heading;
    QString description;
    QString dateFormat;
    QString cssUrl;
    bool newestFirst = true;
    bool showComments = true;
};

// A failure the program reports on stderr before it exits with status 1.
struct TocError
{
    QString message;
};

// The value of a configuration item, letter case of the name ignored; empty when the
// database has no such item.
QString ConfigValue(const TocData &data, const QString &name);

// Escapes text for element content and double-quoted attributes.
QString Esc(const QString &text);
// Escaped text whose line breaks become <br>.
QString EscLines(const QString &text);
// textHtml as a link to url when url is a web address, else textHtml alone.
QString Link(const QString &url, const QString &textHtml, const QString &cssClass = QString());
QString CountText(qsizetype count);

// One entry as a list item, and a list of them.
QString EntryItem(const TocEntry &entry, const TocSettings &settings);
QString EntryList(const QList<TocEntry> &entries, const TocSettings &settings,
                  const QString &idAttribute = QString());

struct TocPageParts
{
    QString body;
    QString summary; // shown under the heading
    QString css;     // extra rules of the template
    QString script;  // run at the end of the page
    QString blogLink; // the link back to the blog, above the heading; filled by RunTemplate
};

using TocRenderer = TocPageParts (*)(const TocData &data, const TocSettings &settings);
// Writes the whole file itself, for outputs that are no page of their own.
using TocTextRenderer = QString (*)(const TocData &data, const TocSettings &settings);

// What the link back to the blog shows: its name, else its address; empty when the
// output database knows neither.
QString BlogLinkText(const TocData &data);

// The entries in groups, each with its heading text and, for a category, its address.
struct TocGroup
{
    QString title;
    QString url;
    QList<TocEntry> entries;
};
// In the order of the category list, empty categories left out, then the entries in
// none of them under uncategorizedName. An entry in two categories is in both.
QList<TocGroup> GroupByCategory(const TocData &data, const QString &uncategorizedName);
// One group a month ("2024年3月") in the order of the entries, then "日付不明".
QList<TocGroup> GroupByMonth(const TocData &data);
// The item "まとめ方": true for by category (the default), false for by month.
bool ReadByCategory(const TocData &data);

// The whole program: arguments (output database, HTML file, own path), reading,
// rendering and writing the file through a temporary file. defaultTitle is the page
// title when the user gives none. Returns the exit status.
int RunTemplate(int argc, char **argv, const QString &defaultTitle, TocRenderer render);
int RunTextTemplate(int argc, char **argv, const QString &defaultTitle, TocTextRenderer render);
