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
    // in file order, trimmed, empty and repeated ones left out; an empty first part
    // makes the empty text the first choice. Empty when the item has none. Names of no [CONFIG] item
    // are ignored, letter case is not.
    QStringList GetChoices(const QString &itemName) const;
    // The value a template program takes for an item left empty, from [DEFAULTS]
    // (item name = value, letter case of the name ignored); empty when not given.
    QString GetDefault(const QString &itemName) const;

    // What the program writes: a whole page, a piece of HTML to paste into a blog
    // entry, or Markdown. [TEMPLATE] kind= page|fragment|markdown; a page when absent
    // or unknown, as templates without the key always were.
    enum class TKind { Page, Fragment, Markdown };
    TKind GetKind() const { return FKind; }
    // The extension of the file it writes, without the dot: [TEMPLATE] ext=, else
    // "md" for Markdown and "html" for the rest.
    QString GetExt() const { return FExt; }

private:
    QString FPath;
    QString FName;
    QString FDirectory; // always ends with a separator when read from a file
    QString FExe;
    QString FHelp;
    QStringList FConfigNames;
    QHash<QString, QStringList> FChoices; // folded item name -> values
    QHash<QString, QString> FDefaults;    // folded item name -> value
    TKind FKind = TKind::Page;
    QString FExt = QStringLiteral("html");
};

// "HTMLページ", "HTML断片", "Markdown": the kind as the windows name it.
QString TemplateKindText(THtmlTemplate::TKind kind);
// Whether a file name's extension suits what the template writes (.html or .htm for
// HTML, .md or .markdown for Markdown, letter case ignored).
bool ExtensionFitsTemplate(const THtmlTemplate &htmlTemplate, const QString &fileName);
// What to tell the user when a file name's extension does not fit what the template
// writes (a Markdown file named .html opens as a broken page); empty when it fits.
QString TemplateExtensionNote(const THtmlTemplate &htmlTemplate, const QString &fileName);

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
