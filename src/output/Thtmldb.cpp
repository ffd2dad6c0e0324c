#include "output/Thtmldb.h"

#include "platform/Tdatetime.h"
#include "platform/Tfileutility.h"
#include "platform/Varnokierror.h"
#include "store/Tldbdb.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

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
