#pragma once

#include <QString>

// The program's own data folders beside its executable, each ending with "/".
QString GetAppDir();
QString GetBlogDir();
QString GetTemplateDir();
QString GetDbDir();

// Makes the folders above resolve under root instead (tests run from elsewhere).
void SetAppDirOverride(const QString &root);
