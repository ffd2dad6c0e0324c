#pragma once

#include <QString>

// The program's own folders, each ending with "/": its executable's folder, and its
// data folders. Those are beside the executable when a db/ folder is there (the build
// tree), else in the installed tree's <prefix>/share/varnoki/.
QString GetAppDir();
QString GetBlogDir();
QString GetTemplateDir();
QString GetDbDir();

// Where the shipped template programs are: beside the template INI files in the build
// tree, <prefix>/libexec/varnoki/ when installed.
QString GetTemplateProgramDir();

// The user's own blog types and templates ($XDG_DATA_HOME/varnoki/blog/ and
// .../template/, normally under ~/.local/share), made on first use, each ending with "/".
QString GetUserBlogDir();
QString GetUserTemplateDir();

// The files of the user's folder and of the shipped folder, sorted by file name; a
// user's file replaces the shipped file of the same name. A folder that cannot be
// read gives nothing.
QStringList ListDefinitionFiles(const QString &userFolder, const QString &shippedFolder,
                                bool includeHidden);

// Makes the folders above resolve under root instead (tests run from elsewhere).
void SetAppDirOverride(const QString &root);
