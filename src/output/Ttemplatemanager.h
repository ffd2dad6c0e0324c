#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// One HTML template: an INI file in the template folder naming the program that
// writes the table of contents, its help document and its configuration items.
class THtmlTemplate
{
public:
    THtmlTemplate() = default;
    // Reads the INI file at iniPath. When no file is there the name stays empty.
    explicit THtmlTemplate(const QString &iniPath);

    QString GetPath() const { return FPath; }
    QString GetName() const { return FName; }
    QString GetDirectory() const { return FDirectory; }
    QString GetExePath() const;
    QString GetHelpPath() const;
    // The non-empty values of [CONFIG], in the order their keys stand in the file.
    const QStringList &GetConfigNames() const { return FConfigNames; }
    // The values an item takes, from [CHOICES] (item name = values separated by "|"),
    // in file order, trimmed, empty and repeated ones left out; empty when the item
    // has none. Names of no [CONFIG] item are ignored, letter case is not.
    QStringList GetChoices(const QString &itemName) const;

private:
    QString FPath;
    QString FName;
    QString FDirectory; // always ends with a separator when read from a file
    QString FExe;
    QString FHelp;
    QStringList FConfigNames;
    QHash<QString, QStringList> FChoices; // folded item name -> values
};

using THtmlTemplateList = QList<THtmlTemplate>;

// The templates of a folder: every regular file in it, dot files included, whose
// [TEMPLATE] name is not empty, sorted by file name.
class TTemplateManager
{
public:
    // folder: where to look; empty means GetTemplateDir().
    explicit TTemplateManager(const QString &folder = QString());

    void Load();
    THtmlTemplateList GetTemplates() const { return FTemplates; }

private:
    QString FFolder;
    THtmlTemplateList FTemplates;
};
