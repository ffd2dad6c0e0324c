#include "Fixtureblog.h"

#include "Testpaths.h"

#include <QFile>
#include <QStringEncoder>

TFixtureBlog::TFixtureBlog(const QString &encode, const QByteArray &codec)
    : FEncode(encode), FCodec(codec)
{
}

QByteArray TFixtureBlog::Encode(const QString &html) const
{
    QStringEncoder encoder(FCodec.constData(), FCodec.startsWith("UTF-16")
                                                   ? QStringConverter::Flag::WriteBom
                                                   : QStringConverter::Flag::Default);
    return encoder.encode(html);
}

void TFixtureBlog::SetPage(const QString &path, const QString &html)
{
    Server.SetRoute(path.toUtf8(), THttpTestResponse::Html(Encode(html), "text/html; charset=" + FCodec));
}

void TFixtureBlog::SetEntries(const QList<TPage> &entries)
{
    const QString latest = entries.isEmpty() ? QString() : Url(entries.first().path);
    SetPage(QStringLiteral("/"),
            QStringLiteral("<html><body><a class=\"latest\" href=\"%1\">最新</a></body></html>").arg(latest));
    for (int i = 0; i < entries.size(); ++i) {
        const TPage &page = entries[i];
        QString html = QStringLiteral("<html><body><h1>%1</h1><span class=\"date\">%2</span>%3")
                           .arg(page.title, page.date, page.extra);
        if (i + 1 < entries.size())
            html += QStringLiteral("<a class=\"prev\" href=\"%1\">前</a>").arg(Url(entries[i + 1].path));
        SetPage(page.path, html + QStringLiteral("</body></html>"));
        if (page.trickleMs > 0) {
            THttpTestResponse slow = THttpTestResponse::Html(
                Encode(html + QStringLiteral("</body></html>")), "text/html; charset=" + FCodec);
            slow.TrickleMs = page.trickleMs;
            Server.SetRoute(page.path.toUtf8(), slow);
        }
    }
}

TBlogConfig TFixtureBlog::BlogConfig(const QString &scriptFile)
{
    const QString ini = FDir.filePath(QStringLiteral("fixture.ini"));
    QFile file(ini);
    file.open(QIODevice::WriteOnly);
    file.write(QStringLiteral("[CONFIG]\nname=テスト用\nencode=%1\n[SCRIPT]\nfile=%2\nlanguage=JScript\n")
                   .arg(FEncode, scriptFile)
                   .toUtf8());
    file.close();
    QFile::copy(TestPaths::FixturesDir() + QStringLiteral("/jobs/fixture.js"),
                FDir.filePath(QStringLiteral("fixture.js")));
    return TBlogConfig(ini);
}

TBlogConfig TFixtureBlog::OldStyleBlogConfig()
{
    QFile fixture(TestPaths::FixturesDir() + QStringLiteral("/jobs/fixture.js"));
    fixture.open(QIODevice::ReadOnly);
    QFile script(FDir.filePath(QStringLiteral("oldstyle.js")));
    script.open(QIODevice::WriteOnly);
    script.write("var http = new ActiveXObject(\"Microsoft.XMLHTTP\");\r\n" + fixture.readAll());
    script.close();
    return BlogConfig(QStringLiteral("oldstyle.js"));
}
