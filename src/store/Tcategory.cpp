// Category operations of the project database.
#include "store/Tldbdb.h"

#include <QSqlQuery>

void TLdbDb::DeleteCategories()
{
    Prepare(QStringLiteral("delete from categories"));
    Exec();
    FQuery().finish();
}

void TLdbDb::InsertCategory(int id, const QString &name, const QString &url)
{
    CheckUrl(url);
    Prepare(QStringLiteral("INSERT INTO categories (id, name, url) VALUES (:ID, :NAME, :URL)"));
    QSqlQuery &query = FQuery();
    query.bindValue(QStringLiteral(":ID"), id);
    BindText(QStringLiteral(":NAME"), name);
    BindText(QStringLiteral(":URL"), url);
    Exec();
    query.finish();
}

TCategoryMap TLdbDb::LoadCategories()
{
    Prepare(QStringLiteral("select * from categories"));
    Exec();
    QSqlQuery &query = FQuery();
    TCategoryMap result;
    while (query.next()) {
        TCategory category;
        category.FId = query.value(QStringLiteral("id")).toInt();
        category.FName = FieldText(query, QStringLiteral("name"));
        category.FUrl = FieldText(query, QStringLiteral("url"));
        if (!result.contains(category.FId))
            result.insert(category.FId, category);
    }
    query.finish();
    return result;
}
