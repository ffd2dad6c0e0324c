#pragma once

#include <QList>
#include <QString>

// One blog type: an INI file in the blog folder naming a script and its language.
class TBlogConfig
{
public:
    TBlogConfig() = default;
    explicit TBlogConfig(const QString &iniPath);

    QString GetName() const { return FName; }
    QString GetHelpPath() const;
    QString GetSimpleText() const { return FSimpleText; }
    QString GetEncode() const { return FEncode; }
    QString GetScriptPath() const;
    QString GetLanguage() const { return FLanguage; }

private:
    QString FName;
    QString FHelp;
    QString FSimpleText;
    QString FDirectory; // folder of the INI file, without a trailing separator
    QString FEncode;
    QString FFile;
    QString FLanguage;
};

using TBlogConfigList = QList<TBlogConfig>;

// Finds the blog types in the blog folder beside the executable.
class TBlogConfigManager
{
public:
    // folder: where to look; empty means GetBlogDir().
    explicit TBlogConfigManager(const QString &folder = QString());

    void Load();
    TBlogConfigList GetBlogConfigs() const { return FBlogConfigs; }

private:
    QString FFolder;
    TBlogConfigList FBlogConfigs;
};
