#include "blogtype/Tblogconfig.h"

#include "platform/Tappdirs.h"

TBlogConfig::TBlogConfig(const QString &iniPath) { Q_UNUSED(iniPath); }
QString TBlogConfig::GetHelpPath() const { return QString(); }
QString TBlogConfig::GetScriptPath() const { return QString(); }

TBlogConfigManager::TBlogConfigManager(const QString &folder) : FFolder(folder) {}
void TBlogConfigManager::Load() { FBlogConfigs.clear(); }
