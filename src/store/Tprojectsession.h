#pragma once

#include "store/Tldbdb.h"
#include "store/Tproject.h"
#include "store/Tworkingcopy.h"

#include <memory>

// The open project as the window and the command line both handle it: the project
// database with its working copy and the project file's lock, and the settings.
// New, open, save, restore after a crash and keeping work at a signal live here once.
class TProjectSession
{
public:
    TProjectSession();
    TProjectSession(const TProjectSession &) = delete;
    TProjectSession &operator=(const TProjectSession &) = delete;

    TLdbDb &Db() { return *FDb; }
    const TProject &Project() const { return FProject; }
    TProject &Project() { return FProject; }

    // A new, unsaved project from the shipped empty project database.
    void CreateNew();
    // Opens a project file into a fresh model, so that nothing of the previous project
    // shows; for changes, the file's lock is taken.
    void Open(const QString &fileName, bool forChanges = true);
    // Saves settings (the caller's view of the project) to fileName, the project's own
    // file when empty. They become the project's only once the file is written, so a
    // failed save keeps the project's file name.
    void Save(const TProject &settings, const QString &fileName = QString());
    // Takes up work that an ended process left unsaved.
    void Restore(const TUnsavedWork &work);
    // Writes settings into the working copy and keeps it for the next start to restore.
    void KeepForRecovery(const TProject &settings);

private:
    std::unique_ptr<TLdbDb> FDb;
    TProject FProject;
};
