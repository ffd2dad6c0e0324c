#pragma once

#include "blogtype/Tscriptcontroller.h"

#include <QList>
#include <QString>

// One blog type: an INI file in the blog folder naming a script and its language.
class TBlogConfig
{
public:
    TBlogConfig() = default;
    // Reads the INI file at iniPath; a missing key takes its default.
    explicit TBlogConfig(const QString &iniPath);

    QString GetName() const { return FName; }
    QString GetHelpPath() const;
    QString GetSimpleText() const { return FSimpleText; }
    QString GetEncode() const { return FEncode; }
    QString GetScriptPath() const;
    QString GetLanguage() const { return FLanguage; }
    QString GetDirectory() const { return FDirectory; }
    QString GetIniPath() const { return FIniPath; }

private:
    QString FName;
    QString FHelp;
    QString FSimpleText;
    QString FDirectory; // folder of the INI file, without a trailing separator
    QString FIniPath;
    QString FEncode;
    QString FFile;
    QString FLanguage;
};

using TBlogConfigList = QList<TBlogConfig>;

// The blog types of a folder: every "*.ini" file in it (any letter case, dot files
// left out) whose [CONFIG] name is not empty, sorted by file name.
class TBlogConfigManager
{
public:
    // folder: where to look; empty means GetBlogDir().
    explicit TBlogConfigManager(const QString &folder = QString());

    void Load();
    TBlogConfigList GetBlogConfigs() const { return FBlogConfigs; }
    // One line for each of the user's blog types that shares its name with a shipped one.
    QStringList GetWarnings() const { return FWarnings; }

private:
    QString FFolder;
    TBlogConfigList FBlogConfigs;
    QStringList FWarnings;
};

// A blog type's script as text: decoded like the INI files, lines joined with CR LF.
QString ReadScriptFile(const QString &path);
// The blog type's own script (ReadScriptFile); raises when it lies outside the blog
// type's folder.
QString ReadBlogTypeScript(const TBlogConfig &config);

// The helper scripts every blog type gets ahead of its own (common.js, then the
// service registry services.js), each taken from the user's blog folder, else the
// blog type's own folder, else the shipped one; those found nowhere are left out.
QList<TScriptSource> ReadHelperScripts(const TBlogConfig &config);
