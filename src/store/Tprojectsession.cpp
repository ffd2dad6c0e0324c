#include "store/Tprojectsession.h"

#include "platform/Tappdirs.h"

TProjectSession::TProjectSession()
    : FDb(std::make_unique<TLdbDb>())
{
}

void TProjectSession::CreateNew()
{
    FDb->CreateFromEmpty(GetDbDir() + QStringLiteral("VARNOKI.FDB"));
    FProject = TProject();
}

void TProjectSession::Open(const QString &fileName, bool forChanges)
{
    TProject project;
    project.Load(fileName, *FDb, forChanges);
    FProject = project;
}

void TProjectSession::Save(const TProject &settings, const QString &fileName)
{
    TProject project = settings;
    project.Save(fileName.isEmpty() ? FProject.GetFileName() : fileName, *FDb);
    FProject = project;
}

void TProjectSession::Restore(const TUnsavedWork &work)
{
    FDb->Restore(work);
    TProject restored;
    restored.Read(*FDb);
    FProject = restored;
}

void TProjectSession::KeepForRecovery(const TProject &settings)
{
    TProject project = settings;
    project.Write(*FDb);
    FDb->KeepForRecovery();
}
