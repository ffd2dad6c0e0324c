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
};

using TocRenderer = TocPageParts (*)(const TocData &data, const TocSettings &settings);

// The whole program: arguments (output database, HTML file, own path), reading,
// rendering and writing the file through a temporary file. defaultTitle is the page
// title when the user gives none. Returns the exit status.
int RunTemplate(int argc, char **argv, const QString &defaultTitle, TocRenderer render);
