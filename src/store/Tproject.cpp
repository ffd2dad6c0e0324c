#include "store/Tproject.h"

#include "platform/Varnokierror.h"
#include "store/Tldbdb.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>

namespace {
// The other templates' values live in one config row, as a JSON object of objects:
// older versions of the program read only the rows they know, so their files open
// as before, and they keep the row when they save.
const QString OtherHtmlValuesKey = QStringLiteral("html_template_values");

THtmlValuesByTemplate ParseOtherHtmlValues(const QString &text)
{
    THtmlValuesByTemplate result;
    const QJsonObject templates = QJsonDocument::fromJson(text.toUtf8()).object();
    for (auto it = templates.begin(); it != templates.end(); ++it) {
        THtmlValues values;
        const QJsonObject items = it.value().toObject();
        for (auto item = items.begin(); item != items.end(); ++item)
            values.insert(item.key(), item.value().toString());
        if (!it.key().isEmpty())
            result.insert(it.key(), values);
    }
    return result;
}

QString OtherHtmlValuesText(const THtmlValuesByTemplate &values)
{
    QJsonObject templates;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        QJsonObject items;
        for (auto item = it.value().cbegin(); item != it.value().cend(); ++item)
            items.insert(item.key(), item.value());
        templates.insert(it.key(), items);
    }
    return QString::fromUtf8(QJsonDocument(templates).toJson(QJsonDocument::Compact));
}
} // namespace

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
    FOtherHtmlValues.clear();

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
        else if (name == OtherHtmlValuesKey)
            FOtherHtmlValues = ParseOtherHtmlValues(data);
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
    THtmlValuesByTemplate others = FOtherHtmlValues;
    // The current template's values are those of the html table.
    others.remove(FHtmlTemplateName);
    if (!others.isEmpty()) {
        db.SetConfig(OtherHtmlValuesKey, OtherHtmlValuesText(others));
    } else {
        // No row at all when there is nothing to keep, as in the files before it.
        db.Prepare(QStringLiteral("delete from config where name = :KEY"));
        db.BindText(QStringLiteral(":KEY"), OtherHtmlValuesKey);
        db.Exec();
        db.FQuery().finish();
    }

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
