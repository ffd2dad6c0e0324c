#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

class TLdbDb;

// A category as the URL page, the project model and the category download hand it
// to each other. The texts are held as UTF-8, so every character survives.
struct TCategoryData
{
    QByteArray name;
    QByteArray url;

    QString GetName() const { return QString::fromUtf8(name); }
    QString GetUrl() const { return QString::fromUtf8(url); }
};

using THtmlValues = QMap<QString, QString>;
// Template name -> the values typed for that template.
using THtmlValuesByTemplate = QMap<QString, THtmlValues>;

// A project's settings: where it is saved, the blog, its categories and the chosen
// template with its values. Entries, comments and links stay in the database.
class TProject
{
public:
    QString GetFileName() const { return FFileName; }
    QString GetEntryUrl() const { return FEntryUrl; }
    void SetEntryUrl(const QString &url) { FEntryUrl = url; }
    QString GetBlogTypeName() const { return FBlogTypeName; }
    void SetBlogTypeName(const QString &name) { FBlogTypeName = name; }
    QString GetHtmlTemplateName() const { return FHtmlTemplateName; }
    void SetHtmlTemplateName(const QString &name) { FHtmlTemplateName = name; }

    int GetCategoryCount() const { return int(FCategories.size()); }
    TCategoryData GetCategory(int index) const;
    void AddCategory(const QString &name, const QString &url);
    void ClearCategories() { FCategories.clear(); }

    THtmlValues GetHtmlValues() const { return FHtmlValues; }
    void SetHtmlValues(const THtmlValues &values) { FHtmlValues = values; }
    // The values of the templates used before the current one, so that choosing one
    // again brings them back. The current template's values are GetHtmlValues.
    THtmlValuesByTemplate GetOtherHtmlValues() const { return FOtherHtmlValues; }
    void SetOtherHtmlValues(const THtmlValuesByTemplate &values) { FOtherHtmlValues = values; }

    // Opens fileName into db's working copy (for changes: with its lock) and reads it.
    void Load(const QString &fileName, TLdbDb &db, bool forChanges = true);
    // Reads the settings of the project db holds; its file is db's.
    void Read(TLdbDb &db);
    // Writes the settings into db's working copy, then saves it to fileName.
    void Save(const QString &fileName, TLdbDb &db);
    // Writes the settings into db's working copy only.
    void Write(TLdbDb &db);

private:
    QString FFileName;
    QString FEntryUrl;
    QList<TCategoryData> FCategories;
    QString FHtmlTemplateName;
    THtmlValues FHtmlValues;
    THtmlValuesByTemplate FOtherHtmlValues;
    QString FBlogTypeName;
};
