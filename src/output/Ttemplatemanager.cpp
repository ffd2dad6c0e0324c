#include "output/Ttemplatemanager.h"

THtmlTemplate::THtmlTemplate(const QString &iniPath) : FPath(iniPath) {}
QString THtmlTemplate::GetExePath() const { return QString(); }
QString THtmlTemplate::GetHelpPath() const { return QString(); }

TTemplateManager::TTemplateManager(const QString &folder) : FFolder(folder) {}
void TTemplateManager::Load() { FTemplates.clear(); }
