// Category link operations of the project database.
#include "store/Tldbdb.h"

#include <QSqlQuery>

void TLdbDb::DeleteCategoryEntries()
{
    Prepare(QStringLiteral("delete from categories_entry"));
    Exec();
    FQuery().finish();
}

void TLdbDb::InsertCategoryEntries(int categoryId, const QStringList &urls)
{
    for (const QString &url : urls)
        CheckUrl(url);
    Prepare(QStringLiteral("insert into categories_entry(category_id,url) values(:ID, :URL)"));
    QSqlQuery &query = FQuery();
    for (const QString &url : urls) {
        query.bindValue(QStringLiteral(":ID"), categoryId);
        query.bindValue(QStringLiteral(":URL"), url);
        Exec();
    }
    query.finish();
}
