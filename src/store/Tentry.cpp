// Entry operations of the project database.
#include "store/Tldbdb.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <QSqlQuery>

QString TLdbDb::GetEntryTableName(bool tmp)
{
    return tmp ? QStringLiteral("tmp_entries") : QStringLiteral("entries");
}

void TLdbDb::DeleteEntries(bool tmp)
{
    FNextEntryId[tmp] = 0;
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

int TLdbDb::GetEntryCount(bool tmp)
{
    Prepare(QStringLiteral("select count(*) as cnt from ") + GetEntryTableName(tmp));
    Exec();
    QSqlQuery &query = FQuery();
    const int result = query.next() ? query.value(QStringLiteral("cnt")).toInt() : 0;
    query.finish();
    return result;
}

void TLdbDb::InsertEntry(const QString &url, const QString &title, TDateTime createdOn, bool tmp)
{
    CheckUrl(url);
    // A walk inserts thousands in a row; asking the engine for the largest id each time
    // costs as much as the insert.
    const int id = FNextEntryId[tmp] > 0 ? FNextEntryId[tmp] : GetMaxEntryId(tmp) + 1;
    FNextEntryId[tmp] = 0;
    Prepare(QStringLiteral("INSERT INTO ") + GetEntryTableName(tmp)
            + QStringLiteral(" (id, url, title, created_on)  VALUES (:ID, :URL, :TITLE, :DATE)"));
    QSqlQuery &query = FQuery();
    query.bindValue(QStringLiteral(":ID"), id);
    BindText(QStringLiteral(":URL"), url);
    BindText(QStringLiteral(":TITLE"), title);
    query.bindValue(QStringLiteral(":DATE"), DateTimeToQDateTime(createdOn));
    Exec();
    query.finish();
    FNextEntryId[tmp] = id + 1;
}

bool TLdbDb::ExistsEntry(const QString &url)
{
    Prepare(QStringLiteral("select count(*) as cnt from entries where url=:URL"));
    QSqlQuery &query = FQuery();
    BindText(QStringLiteral(":URL"), url);
    Exec();
    const bool exists = query.next() && query.value(QStringLiteral("cnt")).toInt() > 0;
    query.finish();
    return exists;
}

TEntryList TLdbDb::LoadEntries()
{
    // Comments and category links are read in two plain scans and joined here, in
    // place of one DISTINCT join: that join sorts every row with its URL and reads
    // the title and comment blobs once per link, which takes seconds for a blog of
    // ten thousand entries. The result is the same: entries in id order, the first
    // comment row of a URL, its distinct category ids in ascending order, or the
    // placeholder 0 when it has none.
    QHash<QString, QString> comments;
    Prepare(QStringLiteral("select url, comment from comments"));
    Exec();
    QSqlQuery *query = &FQuery();
    while (query->next()) {
        const QString url = FieldText(*query, QStringLiteral("url"));
        if (!comments.contains(url))
            comments.insert(url, FieldText(*query, QStringLiteral("comment")));
    }

    QHash<QString, QList<int>> links;
    Prepare(QStringLiteral("select url, category_id from categories_entry"));
    Exec();
    query = &FQuery();
    while (query->next()) {
        QList<int> &ids = links[FieldText(*query, QStringLiteral("url"))];
        const int id = query->value(QStringLiteral("category_id")).toInt();
        const auto at = std::lower_bound(ids.begin(), ids.end(), id);
        if (at == ids.end() || *at != id)
            ids.insert(at, id);
    }

    TEntryList result;
    QSet<int> seen;
    // Sorted here: an ORDER BY would make the engine sort every row with its URL.
    Prepare(QStringLiteral("select id, url, title, created_on from entries"));
    Exec();
    query = &FQuery();
    while (query->next()) {
        const int id = query->value(QStringLiteral("id")).toInt();
        if (seen.contains(id))
            continue;
        seen.insert(id);
        TEntry entry;
        entry.FId = id;
        entry.FUrl = FieldText(*query, QStringLiteral("url"));
        entry.FTitle = FieldText(*query, QStringLiteral("title"));
        entry.FCreatedOn = QDateTimeToDateTime(query->value(QStringLiteral("created_on")).toDateTime());
        entry.FComment = comments.value(entry.FUrl);
        entry.FCategoryIds = links.value(entry.FUrl, QList<int>{0});
        result.append(entry);
    }
    query->finish();
    std::stable_sort(result.begin(), result.end(),
                     [](const TEntry &a, const TEntry &b) { return a.FId < b.FId; });
    return result;
}

void TLdbDb::MergeTmpEntries()
{
    // A full walk that did not end may have met entries that were known before; the
    // staged row, the newer reading, is the one kept.
    QSet<QString> staged;
    Prepare(QStringLiteral("select url from tmp_entries"));
    Exec();
    while (FQuery().next())
        staged.insert(FieldText(FQuery(), QStringLiteral("url")));
    const TEntryList known = LoadEntries();
    for (const TEntry &entry : known) {
        if (!staged.contains(entry.GetUrl()))
            InsertEntry(entry.GetUrl(), entry.GetTitle(), entry.GetCreatedOn(), true);
    }
    ReplaceEntriesWithTmp();
}

void TLdbDb::ReplaceEntriesWithTmp()
{
    FNextEntryId[0] = FNextEntryId[1] = 0;
    Prepare(QStringLiteral("delete from entries"));
    Exec();
    Prepare(QStringLiteral("insert into entries select * from tmp_entries"));
    Exec();
    Prepare(QStringLiteral("delete from tmp_entries"));
    Exec();
    FQuery().finish();
}
