// Comment operation of the project database.
#include "store/Tldbdb.h"

#include <QSqlQuery>

void TLdbDb::SaveComment(const TEntry &entry)
{
    CheckUrl(entry.GetUrl());
    Prepare(QStringLiteral("delete from comments where url=:URL"));
    BindText(QStringLiteral(":URL"), entry.GetUrl());
    Exec();
    Prepare(QStringLiteral("insert into comments(url,comment) values(:URL, :COMMENT)"));
    BindText(QStringLiteral(":URL"), entry.GetUrl());
    BindText(QStringLiteral(":COMMENT"), entry.GetComment());
    Exec();
    FQuery().finish();
    // A comment is typed by hand: it survives a crash from the moment it is stored.
    Commit();
}
