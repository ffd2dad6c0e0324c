#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One HTML template: an INI file in the template folder naming the program that
// writes the table of contents, its help document and its configuration items.
class THtmlTemplate
{
public:
    THtmlTemplate() = default;
    explicit THtmlTemplate(const QString &iniPath);

    QString GetPath() const { return FPath; }
    QString GetName() const { return FName; }
    QString GetExePath() const;
    QString GetHelpPath() const;
    const QStringList &GetConfigNames() const { return FConfigNames; }

private:
    QString FPath;
    QString FName;
    QString FDirectory; // always ends with a separator when read from a file
    QString FExe;
    QString FHelp;
    QStringList FConfigNames;
};

using THtmlTemplateList = QList<THtmlTemplate>;

// Finds the templates in the template folder beside the executable.
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
