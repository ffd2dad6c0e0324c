// Category link operations of the project database.
#include "store/Tldbdb.h"

#include <QSqlQuery>

void TLdbDb::DeleteCategoryEntries()
{
    Prepare(QStringLiteral("delete from categories_entry"));
    Exec();
    FQuery().finish();
}

void TLdbDb::DeleteCategoryEntries(int categoryId)
{
    Prepare(QStringLiteral("delete from categories_entry where category_id=:ID"));
    FQuery().bindValue(QStringLiteral(":ID"), categoryId);
    Exec();
    FQuery().finish();
}

QMap<int, QStringList> TLdbDb::LoadCategoryEntries()
{
    Prepare(QStringLiteral("select category_id, url from categories_entry"));
    Exec();
    QSqlQuery &query = FQuery();
    QMap<int, QStringList> result;
    while (query.next())
        result[query.value(QStringLiteral("category_id")).toInt()].append(
            FieldText(query, QStringLiteral("url")));
    query.finish();
    return result;
}

void TLdbDb::InsertCategoryEntries(int categoryId, const QStringList &urls)
{
    for (const QString &url : urls)
        CheckUrl(url);
    Prepare(QStringLiteral("insert into categories_entry(category_id,url) values(:ID, :URL)"));
    QSqlQuery &query = FQuery();
    for (const QString &url : urls) {
        query.bindValue(QStringLiteral(":ID"), categoryId);
        BindText(QStringLiteral(":URL"), url);
        Exec();
    }
    query.finish();
}
