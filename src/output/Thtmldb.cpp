#include "output/Thtmldb.h"

#include "platform/Tdatetime.h"
#include "platform/Tfileutility.h"
#include "platform/Varnokierror.h"
#include "store/Tldbdb.h"
#include "store/Tproject.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <exception>

namespace {
QAtomicInt ConnectionCounter;

// Often enough to keep a status window painted, rarely enough to cost nothing.
constexpr int RowsBetweenEvents = 500;

class TOutputWriter
{
public:
    explicit TOutputWriter(QSqlDatabase &db) : FQuery(db) {}

    void Prepare(const QString &sql)
    {
        FQuery.finish();
        if (!FQuery.prepare(sql))
            Fail();
    }

    void Bind(const QString &name, const QVariant &value) { FQuery.bindValue(name, value); }

    void Exec()
    {
        if (!FQuery.exec())
            Fail();
        if (++FRows % RowsBetweenEvents == 0)
            QCoreApplication::processEvents();
    }

    void Finish() { FQuery.finish(); }

private:
    [[noreturn]] void Fail()
    {
        throw EVarnokiError(QStringLiteral("出力データベースに書き込めませんでした。\n")
                            + FQuery.lastError().text());
    }

    QSqlQuery FQuery;
    int FRows = 0;
};

// Texts are never stored as NULL, so readers need not tell the two apart.
QString NotNull(const QString &text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

QString NamePart(const QString &line)
{
    const qsizetype at = line.indexOf(QLatin1Char('='));
    return at < 0 ? QString() : line.left(at);
}

QString ValueOf(const QStringList &lines, const QString &name)
{
    for (const QString &line : lines) {
        const qsizetype at = line.indexOf(QLatin1Char('='));
        if (at >= 0 && line.left(at).compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(at + 1);
    }
    return QString();
}

// What follows the last separator of a title that has text before it; else empty.
QString TitleSuffix(const QString &title)
{
    static const QStringList separators = {
        QStringLiteral(" - "), QStringLiteral(" | "), QStringLiteral(" – "), QStringLiteral(" — "),
        QStringLiteral("｜"), QStringLiteral(" : "), QStringLiteral(" / ")};
    qsizetype end = -1;
    for (const QString &separator : separators) {
        const qsizetype at = title.lastIndexOf(separator);
        if (at > 0)
            end = std::max(end, at + separator.size());
    }
    return end < 0 ? QString() : title.mid(end).trimmed();
}

void FillOutput(QSqlDatabase &out, TLdbDb &db, const QStringList &configLines)
{
    if (!out.transaction())
        throw EVarnokiError(QStringLiteral("出力データベースに書き込めませんでした。\n")
                            + out.lastError().text());
    TOutputWriter writer(out);
    QCoreApplication::processEvents();

    const TEntryList entries = db.LoadEntries();
    writer.Prepare(QStringLiteral(
        "insert into entries(id,url,タイトル,日付,コメント) values (:ID,:URL,:TITLE,:DATE,:COMMENT)"));
    for (const TEntry &entry : entries) {
        writer.Bind(QStringLiteral(":ID"), entry.GetId());
        writer.Bind(QStringLiteral(":URL"), NotNull(entry.GetUrl()));
        writer.Bind(QStringLiteral(":TITLE"), NotNull(entry.GetTitle()));
        writer.Bind(QStringLiteral(":DATE"), HtmlDbDateText(entry.GetCreatedOn()));
        writer.Bind(QStringLiteral(":COMMENT"), NotNull(entry.GetComment()));
        writer.Exec();
    }

    writer.Prepare(QStringLiteral(
        "insert into entries_categories(entry_id,category_id) values (:ENTRY_ID, :CATEGORY_ID)"));
    for (const TEntry &entry : entries) {
        const QList<int> categoryIds = entry.GetCategoryIds();
        for (const int categoryId : categoryIds) {
            writer.Bind(QStringLiteral(":ENTRY_ID"), entry.GetId());
            writer.Bind(QStringLiteral(":CATEGORY_ID"), categoryId);
            writer.Exec();
        }
    }

    const TCategoryMap categories = db.LoadCategories();
    writer.Prepare(QStringLiteral("insert into categories(id,name,url) values (:ID,:NAME,:URL)"));
    for (const TCategory &category : categories) {
        writer.Bind(QStringLiteral(":ID"), category.GetId());
        writer.Bind(QStringLiteral(":NAME"), NotNull(category.GetName()));
        writer.Bind(QStringLiteral(":URL"), NotNull(category.GetUrl()));
        writer.Exec();
    }

    // An empty database made before the table existed gets it here.
    TProject project;
    project.Read(db);
    QStringList titles;
    for (const TEntry &entry : entries)
        titles.append(entry.GetTitle());
    writer.Prepare(QStringLiteral("create table if not exists blog (url TEXT, name TEXT)"));
    writer.Exec();
    writer.Prepare(QStringLiteral("delete from blog"));
    writer.Exec();
    writer.Prepare(QStringLiteral("insert into blog(url,name) values (:URL,:NAME)"));
    writer.Bind(QStringLiteral(":URL"), project.GetEntryUrl().trimmed());
    // The name the top page gave at the last download, else what the titles share.
    const QString storedName = db.GetConfig(QStringLiteral("blog_name"));
    writer.Bind(QStringLiteral(":NAME"), storedName.isEmpty() ? BlogNameFromTitles(titles) : storedName);
    writer.Exec();

    writer.Prepare(QStringLiteral("insert into html(name,data) values (:NAME,:DATA)"));
    for (const QString &line : configLines) {
        const QString name = NamePart(line);
        writer.Bind(QStringLiteral(":NAME"), NotNull(name));
        writer.Bind(QStringLiteral(":DATA"), NotNull(ValueOf(configLines, name)));
        writer.Exec();
    }
    writer.Finish();

    if (!out.commit())
        throw EVarnokiError(QStringLiteral("出力データベースに書き込めませんでした。\n")
                            + out.lastError().text());
}
} // namespace

QString BlogNameFromTitles(const QStringList &titles)
{
    QString name;
    int count = 0;
    for (const QString &title : titles) {
        const QString text = title.simplified();
        if (text.isEmpty())
            continue;
        const QString suffix = TitleSuffix(text);
        if (suffix.isEmpty() || (count > 0 && suffix != name))
            return QString();
        name = suffix;
        ++count;
    }
    return count >= 2 ? name : QString();
}

QString HtmlDbDateText(TDateTime dateTime)
{
    const QDateTime value = DateTimeToQDateTime(dateTime);
    return value.toString(value.time().msec() != 0 ? QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")
                                                   : QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString CreateHtmlDb(TLdbDb &db, const QString &emptyDbPath, const QStringList &configLines)
{
    const QString path = CreateTempFile();
    QFile::remove(path);
    if (!QFileInfo(emptyDbPath).isFile() || !CopyFileTo(emptyDbPath, path, false)) {
        QFile::remove(path);
        throw EVarnokiError(QStringLiteral("データファイルの作成に失敗しました。"));
    }

    const QString connectionName =
        QStringLiteral("varnoki-output-%1").arg(ConnectionCounter.fetchAndAddRelaxed(1));
    std::exception_ptr failure;
    {
        QSqlDatabase out = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        out.setDatabaseName(path);
        try {
            if (!out.open())
                throw EVarnokiError(QStringLiteral("出力データベースを開けませんでした。\n")
                                    + out.lastError().text());
            FillOutput(out, db, configLines);
        } catch (...) {
            failure = std::current_exception();
        }
        out.close();
    }
    QSqlDatabase::removeDatabase(connectionName);

    if (failure) {
        // Nobody will read a copy the export could not finish.
        QFile::remove(path);
        std::rethrow_exception(failure);
    }
    return path;
}
