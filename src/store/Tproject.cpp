#include "store/Tproject.h"

#include "platform/Varnokierror.h"
#include "store/Tldbdb.h"

#include <QSqlQuery>

TCategoryData TProject::GetCategory(int index) const
{
    if (index < 0 || index >= FCategories.size())
        throw EVarnokiError(QStringLiteral("リストのインデックスが範囲を超えています (%1)").arg(index));
    return FCategories.at(index);
}

void TProject::AddCategory(const QString &name, const QString &url)
{
    FCategories.append(TCategoryData{name.toUtf8(), url.toUtf8()});
}

void TProject::Load(const QString &fileName, TLdbDb &db, bool forChanges)
{
    db.Open(fileName, forChanges);
    Read(db);
}

void TProject::Read(TLdbDb &db)
{
    FEntryUrl.clear();

    db.Prepare(QStringLiteral("select * from config"));
    db.Exec();
    QSqlQuery *query = &db.FQuery();
    while (query->next()) {
        const QString name = TLdbDb::FieldText(*query, QStringLiteral("name"));
        const QString data = TLdbDb::FieldText(*query, QStringLiteral("data"));
        if (name == QLatin1String("entry_url"))
            FEntryUrl = data;
        else if (name == QLatin1String("html_template_name"))
            FHtmlTemplateName = data;
        else if (name == QLatin1String("blog_type_name"))
            FBlogTypeName = data;
    }

    ClearCategories();
    db.Prepare(QStringLiteral("select * from categories order by id"));
    db.Exec();
    query = &db.FQuery();
    while (query->next()) {
        const QString name = TLdbDb::FieldText(*query, QStringLiteral("name"));
        const QString url = TLdbDb::FieldText(*query, QStringLiteral("url"));
        if (!name.isEmpty() && !url.isEmpty())
            AddCategory(name, url);
    }

    FHtmlValues.clear();
    db.Prepare(QStringLiteral("select name,data from html"));
    db.Exec();
    query = &db.FQuery();
    while (query->next())
        FHtmlValues.insert(TLdbDb::FieldText(*query, QStringLiteral("name")),
                           TLdbDb::FieldText(*query, QStringLiteral("data")));
    query->finish();

    FFileName = db.GetFileName();
}

void TProject::Save(const QString &fileName, TLdbDb &db)
{
    Write(db);
    db.CopyTo(fileName);
    FFileName = fileName;
}

void TProject::Write(TLdbDb &db)
{
    db.SetConfig(QStringLiteral("entry_url"), FEntryUrl);
    db.SetConfig(QStringLiteral("html_template_name"), FHtmlTemplateName);
    db.SetConfig(QStringLiteral("blog_type_name"), FBlogTypeName);

    db.DeleteCategories();
    db.InsertCategory(0, QStringLiteral(" "), QString());
    for (int i = 0; i < FCategories.size(); ++i)
        db.InsertCategory(i + 1, FCategories[i].GetName(), FCategories[i].GetUrl());

    db.Prepare(QStringLiteral("delete from html"));
    db.Exec();
    db.Prepare(QStringLiteral("insert into html(name,data) values (:NAME,:DATA)"));
    QSqlQuery &query = db.FQuery();
    for (auto it = FHtmlValues.cbegin(); it != FHtmlValues.cend(); ++it) {
        db.BindText(QStringLiteral(":NAME"), it.key());
        db.BindText(QStringLiteral(":DATA"), it.value());
        db.Exec();
    }
    query.finish();
}
