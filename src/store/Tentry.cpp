// Entry operations of the project database.
#include "store/Tldbdb.h"

#include <QHash>
#include <QSqlQuery>

QString TLdbDb::GetEntryTableName(bool tmp)
{
    return tmp ? QStringLiteral("tmp_entries") : QStringLiteral("entries");
}

void TLdbDb::DeleteEntries(bool tmp)
{
    Prepare(QStringLiteral("delete from ") + GetEntryTableName(tmp));
    Exec();
    FQuery().finish();
}

int TLdbDb::GetMaxEntryId(bool tmp)
{
    Prepare(QStringLiteral("select max(id) as maxid from ") + GetEntryTableName(tmp));
    Exec();
    QSqlQuery &query = FQuery();
    const int result = query.next() ? query.value(QStringLiteral("maxid")).toInt() : 0;
    query.finish();
    return result;
}

void TLdbDb::InsertEntry(const QString &url, const QString &title, TDateTime createdOn, bool tmp)
{
    CheckUrl(url);
    const int id = GetMaxEntryId(tmp) + 1;
    Prepare(QStringLiteral("INSERT INTO ") + GetEntryTableName(tmp)
            + QStringLiteral(" (id, url, title, created_on)  VALUES (:ID, :URL, :TITLE, :DATE)"));
    QSqlQuery &query = FQuery();
    query.bindValue(QStringLiteral(":ID"), id);
    query.bindValue(QStringLiteral(":URL"), url);
    query.bindValue(QStringLiteral(":TITLE"), title);
    query.bindValue(QStringLiteral(":DATE"), DateTimeToQDateTime(createdOn));
    Exec();
    query.finish();
}

bool TLdbDb::ExistsEntry(const QString &url)
{
    Prepare(QStringLiteral("select count(*) as cnt from entries where url=:URL"));
    QSqlQuery &query = FQuery();
    query.bindValue(QStringLiteral(":URL"), url);
    Exec();
    const bool exists = query.next() && query.value(QStringLiteral("cnt")).toInt() > 0;
    query.finish();
    return exists;
}

TEntryList TLdbDb::LoadEntries()
{
    Prepare(QStringLiteral(
        "SELECT distinct entries.id, entries.url, entries.title, entries.created_on, "
        "comments.comment, categories_entry.category_id FROM entries LEFT JOIN comments ON "
        "entries.url = comments.url LEFT JOIN categories_entry ON entries.url = "
        "categories_entry.url"));
    Exec();
    QSqlQuery &query = FQuery();
    TEntryList result;
    QHash<int, qsizetype> positions;
    while (query.next()) {
        const int id = query.value(QStringLiteral("id")).toInt();
        const int categoryId = query.value(QStringLiteral("category_id")).toInt();
        const auto found = positions.constFind(id);
        if (found != positions.constEnd()) {
            result[*found].FCategoryIds.append(categoryId);
            continue;
        }
        TEntry entry;
        entry.FId = id;
        entry.FUrl = FieldText(query, QStringLiteral("url"));
        entry.FTitle = FieldText(query, QStringLiteral("title"));
        entry.FCreatedOn = QDateTimeToDateTime(query.value(QStringLiteral("created_on")).toDateTime());
        entry.FComment = FieldText(query, QStringLiteral("comment"));
        entry.FCategoryIds.append(categoryId);
        positions.insert(id, result.size());
        result.append(entry);
    }
    query.finish();
    return result;
}

void TLdbDb::MergeTmpEntries()
{
    const TEntryList known = LoadEntries();
    for (const TEntry &entry : known)
        InsertEntry(entry.GetUrl(), entry.GetTitle(), entry.GetCreatedOn(), true);
    Prepare(QStringLiteral("delete from entries"));
    Exec();
    Prepare(QStringLiteral("insert into entries select * from tmp_entries"));
    Exec();
    Prepare(QStringLiteral("delete from tmp_entries"));
    Exec();
    FQuery().finish();
}
