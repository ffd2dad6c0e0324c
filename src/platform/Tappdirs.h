#pragma once

#include <QString>

// The program's own data folders beside its executable, each ending with "/".
QString GetAppDir();
QString GetBlogDir();
QString GetTemplateDir();
QString GetDbDir();

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
