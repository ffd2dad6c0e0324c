#include "Tocpage.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QSaveFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <algorithm>
#include <climits>
#include <functional>
#include <cstdio>

namespace {

const QString ConnectionName = QStringLiteral("toc");
const QLocale Japanese(QLocale::Japanese);

const char BaseCss[] = R"css(
:root{color-scheme:light dark;--bg:#fbfbfa;--fg:#1f2328;--muted:#636c76;--line:#dde1e6;--accent:#0a5fc2;--card:#ffffff;--chip:#f0f3f6}
@media (prefers-color-scheme:dark){:root{--bg:#15171b;--fg:#e4e6e9;--muted:#9aa3ad;--line:#2e343b;--accent:#72b5ff;--card:#1d2127;--chip:#242a31}}
*{box-sizing:border-box}
html{-webkit-text-size-adjust:100%;text-size-adjust:100%}
body{margin:0;background:var(--bg);color:var(--fg);font-family:system-ui,-apple-system,"Hiragino Sans","Hiragino Kaku Gothic ProN","Noto Sans JP","Noto Sans CJK JP","Yu Gothic UI",Meiryo,sans-serif;font-size:1rem;line-height:1.75}
header,main,footer{max-width:46rem;margin:0 auto;padding:0 1.1rem}
h1{font-size:1.65rem;line-height:1.35;margin:2.2rem 0 .4rem;letter-spacing:.02em}
h2{font-size:1.25rem;line-height:1.4;margin:2.4rem 0 .5rem;padding-bottom:.35rem;border-bottom:2px solid var(--line)}
h3{font-size:1.05rem;margin:1.6rem 0 .3rem}
a{color:var(--accent);text-decoration:none}
a:hover,a:focus-visible{text-decoration:underline}
.blog-link{margin:1.2rem 0 0;font-size:.9rem}
.description{margin:.3rem 0}
.summary{color:var(--muted);font-size:.9rem;margin:.3rem 0 1.2rem}
.count{color:var(--muted);font-size:.8em;font-weight:normal;margin-left:.4em}
ul.entries{list-style:none;margin:0;padding:0}
ul.entries>li{padding:.65rem 0;border-bottom:1px solid var(--line)}
.entry-title{font-weight:600;overflow-wrap:anywhere}
.entry-date{color:var(--muted);font-size:.85rem;margin-left:.6rem;white-space:nowrap;font-variant-numeric:tabular-nums}
.comment{margin:.2rem 0 0;color:var(--muted);font-size:.92rem;overflow-wrap:anywhere}
nav.toc ul{list-style:none;margin:.5rem 0 0;padding:0;display:flex;flex-wrap:wrap;gap:.45rem}
nav.toc a{display:inline-block;padding:.15rem .7rem;background:var(--chip);border:1px solid var(--line);border-radius:999px;font-size:.9rem}
.empty{color:var(--muted)}
.top{font-size:.85rem;margin:.6rem 0 0;text-align:right}
footer{color:var(--muted);font-size:.8rem;margin:3rem auto 2rem}
@media (max-width:32rem){h1{font-size:1.35rem;margin-top:1.4rem}h2{font-size:1.12rem}.entry-date{display:block;margin-left:0}}
@media print{nav.toc,.top{display:none}a{color:inherit}}
)css";

[[noreturn]] void Fail(const QString &message)
{
    throw TocError{message};
}

QDateTime ParseDate(const QVariant &value)
{
    const QString text = value.toString().trimmed();
    const QDate date = QDate::fromString(text.left(10), Qt::ISODate);
    if (!date.isValid())
        return QDateTime();
    QTime time(0, 0);
    const QString rest = text.mid(11);
    if (!rest.isEmpty()) {
        for (const char *format : {"HH:mm:ss.zzz", "HH:mm:ss", "HH:mm"}) {
            time = QTime::fromString(rest, QLatin1String(format));
            if (time.isValid())
                break;
        }
        if (!time.isValid())
            return QDateTime();
    }
    // Day 0 of the project's date values is what an entry gets when its date was unknown.
    if (date == QDate(1899, 12, 30) && time == QTime(0, 0))
        return QDateTime();
    return QDateTime(date, time, Qt::UTC);
}

void Run(QSqlQuery &query, const QString &sql, const QString &dbPath)
{
    if (!query.exec(sql))
        Fail(QStringLiteral("出力データベースを読めません: %1\n%2")
                 .arg(dbPath, query.lastError().text()));
}

TocData ReadDatabase(const QString &dbPath)
{
    if (!QFileInfo(dbPath).isFile())
        Fail(QStringLiteral("出力データベースが見つかりません: %1").arg(dbPath));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), ConnectionName);
    db.setDatabaseName(dbPath);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    if (!db.open())
        Fail(QStringLiteral("出力データベースを開けません: %1\n%2").arg(dbPath, db.lastError().text()));

    TocData data;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    QHash<int, qsizetype> positions;
    Run(query, QStringLiteral("select id, url, タイトル, 日付, コメント from entries order by id, rowid"),
        dbPath);
    while (query.next()) {
        TocEntry entry;
        entry.id = query.value(0).toInt();
        entry.url = query.value(1).toString();
        entry.title = query.value(2).toString();
        entry.date = ParseDate(query.value(3));
        entry.comment = query.value(4).toString();
        if (!positions.contains(entry.id))
            positions.insert(entry.id, data.entries.size());
        data.entries.append(entry);
    }
    Run(query, QStringLiteral("select entry_id, category_id from entries_categories order by rowid"),
        dbPath);
    while (query.next()) {
        const auto found = positions.constFind(query.value(0).toInt());
        if (found != positions.constEnd())
            data.entries[*found].categoryIds.append(query.value(1).toInt());
    }
    Run(query, QStringLiteral("select id, name, url from categories order by id, rowid"), dbPath);
    while (query.next())
        data.categories.append(
            TocCategory{query.value(0).toInt(), query.value(1).toString(), query.value(2).toString()});
    Run(query, QStringLiteral("select name, data from html order by rowid"), dbPath);
    while (query.next())
        data.values.append({query.value(0).toString(), query.value(1).toString()});
    // Databases made before the blog table existed have none: the blog is then unknown.
    if (query.exec(QStringLiteral("select url, name from blog order by rowid limit 1")) && query.next()) {
        data.blogUrl = query.value(0).toString().trimmed();
        data.blogName = query.value(1).toString().trimmed();
    }
    return data;
}

bool ReadFlag(const TocData &data, const QString &name, bool defaultValue)
{
    const QString value = ConfigValue(data, name).trimmed().toLower();
    if (value.isEmpty())
        return defaultValue;
    static const QStringList yes = {QStringLiteral("はい"), QStringLiteral("する"), QStringLiteral("表示"),
                                    QStringLiteral("yes"), QStringLiteral("true"), QStringLiteral("on"),
                                    QStringLiteral("1")};
    static const QStringList no = {QStringLiteral("いいえ"), QStringLiteral("しない"),
                                   QStringLiteral("非表示"), QStringLiteral("no"),
                                   QStringLiteral("false"), QStringLiteral("off"), QStringLiteral("0")};
    if (yes.contains(value))
        return true;
    if (no.contains(value))
        return false;
    Fail(QStringLiteral("設定「%1」の値「%2」は使えません。「はい」か「いいえ」を指定してください。")
             .arg(name, ConfigValue(data, name)));
}

bool ReadNewestFirst(const TocData &data)
{
    const QString name = QStringLiteral("並び順");
    const QString value = ConfigValue(data, name).trimmed().toLower();
    if (value.isEmpty())
        return true;
    static const QStringList newest = {QStringLiteral("新しい順"), QStringLiteral("降順"),
                                       QStringLiteral("newest"), QStringLiteral("desc")};
    static const QStringList oldest = {QStringLiteral("古い順"), QStringLiteral("昇順"),
                                       QStringLiteral("oldest"), QStringLiteral("asc")};
    if (newest.contains(value))
        return true;
    if (oldest.contains(value))
        return false;
    Fail(QStringLiteral("設定「%1」の値「%2」は使えません。「新しい順」か「古い順」を指定してください。")
             .arg(name, ConfigValue(data, name)));
}

TocSettings ReadSettings(const TocData &data, const QString &defaultTitle)
{
    TocSettings settings;
    settings.pageTitle = ConfigValue(data, QStringLiteral("ページタイトル")).trimmed();
    if (settings.pageTitle.isEmpty())
        settings.pageTitle = defaultTitle;
    settings.heading = ConfigValue(data, QStringLiteral("見出し")).trimmed();
    if (settings.heading.isEmpty())
        settings.heading = settings.pageTitle;
    settings.description = ConfigValue(data, QStringLiteral("説明")).trimmed();
    settings.dateFormat = ConfigValue(data, QStringLiteral("日付の書式")).trimmed();
    if (settings.dateFormat.isEmpty())
        settings.dateFormat = QStringLiteral("yyyy/MM/dd");
    settings.cssUrl = ConfigValue(data, QStringLiteral("CSSファイル")).trimmed();
    settings.newestFirst = ReadNewestFirst(data);
    settings.showComments = ReadFlag(data, QStringLiteral("コメントを表示"), true);
    return settings;
}

void SortEntries(QList<TocEntry> &entries, bool newestFirst)
{
    // Newest first, and among equal dates the lower id first: ids count from the
    // blog's newest entry backwards. Unknown dates sort as the oldest.
    std::stable_sort(entries.begin(), entries.end(), [](const TocEntry &a, const TocEntry &b) {
        const qint64 da = a.date.isValid() ? a.date.toMSecsSinceEpoch() : LLONG_MIN;
        const qint64 db = b.date.isValid() ? b.date.toMSecsSinceEpoch() : LLONG_MIN;
        return da != db ? da > db : a.id < b.id;
    });
    if (!newestFirst)
        std::reverse(entries.begin(), entries.end());
}

QString Page(const TocSettings &settings, const TocPageParts &parts)
{
    QString html;
    html.reserve(parts.body.size() + 8192);
    html += QStringLiteral("<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n"
                           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                           "<meta name=\"generator\" content=\"Varnoki\">\n<title>")
            + Esc(settings.pageTitle) + QStringLiteral("</title>\n<style>")
            + QString::fromUtf8(BaseCss) + parts.css + QStringLiteral("</style>\n");
    if (!settings.cssUrl.isEmpty())
        html += QStringLiteral("<link rel=\"stylesheet\" href=\"") + Esc(settings.cssUrl)
                + QStringLiteral("\">\n");
    html += QStringLiteral("</head>\n<body>\n<header id=\"top\">\n");
    if (!parts.blogLink.isEmpty())
        html += QStringLiteral("<p class=\"blog-link\">") + parts.blogLink + QStringLiteral("</p>\n");
    html += QStringLiteral("<h1>") + Esc(settings.heading) + QStringLiteral("</h1>\n");
    if (!settings.description.isEmpty())
        html += QStringLiteral("<p class=\"description\">") + EscLines(settings.description)
                + QStringLiteral("</p>\n");
    if (!parts.summary.isEmpty())
        html += QStringLiteral("<p class=\"summary\">") + parts.summary + QStringLiteral("</p>\n");
    html += QStringLiteral("</header>\n<main>\n") + parts.body
            + QStringLiteral("</main>\n<footer>\n<p>")
            + Esc(Japanese.toString(QDate::currentDate(), QStringLiteral("yyyy年M月d日")))
            + QStringLiteral(" 更新</p>\n</footer>\n");
    if (!parts.script.isEmpty())
        html += QStringLiteral("<script>") + parts.script + QStringLiteral("</script>\n");
    html += QStringLiteral("</body>\n</html>\n");
    return html;
}

void WriteHtml(const QString &path, const QString &html)
{
    // Written beside the target and renamed over it, so a failure never leaves a
    // half-written page.
    QSaveFile file(path);
    const QByteArray bytes = html.toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        Fail(QStringLiteral("HTMLファイルを書き込めません: %1\n%2").arg(path, file.errorString()));
}

void PrintError(const QString &message)
{
    std::fprintf(stderr, "%s: %s\n", qUtf8Printable(QCoreApplication::applicationName()),
                 qUtf8Printable(message));
}

} // namespace

QString ConfigValue(const TocData &data, const QString &name)
{
    for (const auto &value : data.values) {
        if (value.first.compare(name, Qt::CaseInsensitive) == 0)
            return value.second;
    }
    return QString();
}

QString Esc(const QString &text)
{
    QString result;
    result.reserve(text.size() + 16);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&': result += QLatin1String("&amp;"); break;
        case '<': result += QLatin1String("&lt;"); break;
        case '>': result += QLatin1String("&gt;"); break;
        case '"': result += QLatin1String("&quot;"); break;
        case '\'': result += QLatin1String("&#39;"); break;
        case '\t': case '\n': case '\r': result += c; break;
        default:
            // Control characters are not allowed in an HTML document.
            if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F))
                break;
            result += c;
        }
    }
    return result;
}

QString EscLines(const QString &text)
{
    QString normalized = text;
    normalized.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return Esc(normalized).replace(QLatin1String("\n"), QLatin1String("<br>"));
}

QString Link(const QString &url, const QString &textHtml, const QString &cssClass)
{
    const QUrl parsed(url.trimmed());
    const QString scheme = parsed.scheme().toLower();
    // Only web addresses become links: a "javascript:" address from a hostile blog
    // would otherwise run in the reader's page.
    if (!parsed.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return cssClass.isEmpty() ? textHtml
                                  : QStringLiteral("<span class=\"") + cssClass
                                        + QStringLiteral("\">") + textHtml + QStringLiteral("</span>");
    QString html = QStringLiteral("<a");
    if (!cssClass.isEmpty())
        html += QStringLiteral(" class=\"") + cssClass + QLatin1Char('"');
    return html + QStringLiteral(" href=\"") + Esc(parsed.toString(QUrl::FullyEncoded))
           + QStringLiteral("\">") + textHtml + QStringLiteral("</a>");
}

QString CountText(qsizetype count)
{
    return QString::number(count) + QStringLiteral(" 件");
}

QString EntryItem(const TocEntry &entry, const TocSettings &settings)
{
    const QString title = entry.title.trimmed().isEmpty() ? QStringLiteral("（無題）") : entry.title;
    QString html = QStringLiteral("<li>") + Link(entry.url, Esc(title), QStringLiteral("entry-title"));
    if (entry.date.isValid())
        html += QStringLiteral(" <time class=\"entry-date\" datetime=\"")
                + entry.date.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")) + QStringLiteral("\">")
                + Esc(Japanese.toString(entry.date, settings.dateFormat))
                + QStringLiteral("</time>");
    if (settings.showComments && !entry.comment.trimmed().isEmpty())
        html += QStringLiteral("<p class=\"comment\">") + EscLines(entry.comment.trimmed())
                + QStringLiteral("</p>");
    return html + QStringLiteral("</li>\n");
}

QString EntryList(const QList<TocEntry> &entries, const TocSettings &settings,
                  const QString &idAttribute)
{
    QString html = QStringLiteral("<ul class=\"entries\"");
    if (!idAttribute.isEmpty())
        html += QStringLiteral(" id=\"") + idAttribute + QLatin1Char('"');
    html += QStringLiteral(">\n");
    for (const TocEntry &entry : entries)
        html += EntryItem(entry, settings);
    return html + QStringLiteral("</ul>\n");
}

QString BlogLinkText(const TocData &data)
{
    return data.blogName.isEmpty() ? data.blogUrl : data.blogName;
}

QList<TocGroup> GroupByCategory(const TocData &data, const QString &uncategorizedName)
{
    QList<TocGroup> groups(data.categories.size());
    TocGroup uncategorized{uncategorizedName, QString(), {}};
    for (const TocEntry &entry : data.entries) {
        QList<qsizetype> placed;
        for (const int id : entry.categoryIds) {
            // Id 0 is the placeholder of entries without a category.
            for (qsizetype i = 0; id != 0 && i < data.categories.size(); ++i) {
                if (data.categories.at(i).id == id && !placed.contains(i)) {
                    groups[i].entries.append(entry);
                    placed.append(i);
                }
            }
        }
        // Links to categories no longer listed must not make an entry vanish.
        if (placed.isEmpty())
            uncategorized.entries.append(entry);
    }
    QList<TocGroup> result;
    for (qsizetype i = 0; i < groups.size(); ++i) {
        if (groups.at(i).entries.isEmpty())
            continue;
        const TocCategory &category = data.categories.at(i);
        const QString name = category.name.trimmed();
        result.append(TocGroup{name.isEmpty() ? QStringLiteral("（名前なし）") : name, category.url,
                               groups.at(i).entries});
    }
    if (!uncategorized.entries.isEmpty())
        result.append(uncategorized);
    return result;
}

QList<TocGroup> GroupByMonth(const TocData &data)
{
    QList<TocGroup> groups;
    TocGroup undated{QStringLiteral("日付不明"), QString(), {}};
    QDate last;
    for (const TocEntry &entry : data.entries) {
        if (!entry.date.isValid()) {
            undated.entries.append(entry);
            continue;
        }
        const QDate date = entry.date.date();
        if (groups.isEmpty() || date.year() != last.year() || date.month() != last.month())
            groups.append(TocGroup{QStringLiteral("%1年%2月").arg(date.year()).arg(date.month()), QString(), {}});
        last = date;
        groups.last().entries.append(entry);
    }
    if (!undated.entries.isEmpty())
        groups.append(undated);
    return groups;
}

bool ReadByCategory(const TocData &data)
{
    const QString name = QStringLiteral("まとめ方");
    const QString value = ConfigValue(data, name).trimmed();
    if (value.isEmpty() || value == QStringLiteral("カテゴリー別"))
        return true;
    if (value == QStringLiteral("月別"))
        return false;
    Fail(QStringLiteral("設定「%1」の値「%2」は使えません。「カテゴリー別」か「月別」を指定してください。")
             .arg(name, value));
}

namespace {

int Run(int argc, char **argv, const QString &defaultTitle,
        const std::function<QString(const TocData &, const TocSettings &)> &write)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 3) {
        PrintError(QStringLiteral("使い方: %1 出力データベース HTMLファイル")
                       .arg(QFileInfo(args.value(0)).fileName()));
        return 2;
    }
    int status = 0;
    try {
        TocData data = ReadDatabase(args.at(1));
        const TocSettings settings = ReadSettings(data, defaultTitle);
        SortEntries(data.entries, settings.newestFirst);
        WriteHtml(args.at(2), write(data, settings));
    } catch (const TocError &error) {
        PrintError(error.message);
        status = 1;
    }
    QSqlDatabase::removeDatabase(ConnectionName);
    return status;
}

} // namespace

int RunTextTemplate(int argc, char **argv, const QString &defaultTitle, TocTextRenderer render)
{
    return Run(argc, argv, defaultTitle, render);
}

int RunTemplate(int argc, char **argv, const QString &defaultTitle, TocRenderer render)
{
    return Run(argc, argv, defaultTitle, [render](const TocData &data, const TocSettings &settings) {
        TocPageParts parts = render(data, settings);
        const QString text = BlogLinkText(data);
        if (!text.isEmpty())
            parts.blogLink = Link(data.blogUrl, Esc(text));
        return Page(settings, parts);
    });
}
