#pragma once

#include "Httptestserver.h"
#include "blogtype/Tblogconfig.h"

#include <QTemporaryDir>

// A small blog served by a test server: a top page and entry pages linked from the
// newest to the oldest, and a blog type (tests/fixtures/jobs/fixture.js) that reads them.
class TFixtureBlog
{
public:
    struct TPage
    {
        QString path;  // "/entry/3"
        QString title;
        QString date;
        QString extra; // more markup, e.g. "BOOM" to make the script fail
        int trickleMs = 0; // > 0: the page's body comes a byte at a time, this far apart
    };

    // encoding: the blog type's encode value; pages are encoded with codec (a name
    // QStringEncoder knows) and served with that charset in Content-Type.
    explicit TFixtureBlog(const QString &encode = QStringLiteral("UTF-8"),
                          const QByteArray &codec = "UTF-8");

    // Serves the top page and the entries, newest first; each links to the next.
    void SetEntries(const QList<TPage> &entries);
    // Serves a page of markup as is (encoded like the others).
    void SetPage(const QString &path, const QString &html);
    // Writes the blog type's INI file into a folder of its own and returns it loaded.
    TBlogConfig BlogConfig(const QString &scriptFile = QStringLiteral("fixture.js"));
    // The same blog type as written for the Windows script host: its first line makes
    // an object only that host had, and throws here.
    TBlogConfig OldStyleBlogConfig();

    QString Url(const QString &path) const { return Server.Url(path); }
    QString TopUrl() const { return Server.Url(QStringLiteral("/")); }

    THttpTestServer Server;

private:
    QByteArray Encode(const QString &html) const;

    QString FEncode;
    QByteArray FCodec;
    QTemporaryDir FDir;
};
