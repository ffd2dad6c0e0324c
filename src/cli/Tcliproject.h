#pragma once

#include "blogtype/Tblogconfig.h"
#include "output/Ttemplatemanager.h"
#include "platform/Varnokierror.h"
#include "store/Tproject.h"
#include "store/Tprojectsession.h"
#include "store/Tworkingcopy.h"

#include <memory>

class TLdbDb;

// A wrong command line or an argument that names nothing usable: exit status 2.
class EUsageError : public EVarnokiError
{
public:
    using EVarnokiError::EVarnokiError;
};

// A project file handled the way the window program handles it: opened into a working
// copy in the temporary folder, changed there, and written back by TProject::Save.
class TCliProject
{
public:
    TCliProject();
    ~TCliProject(); // drops the working copy; the project file keeps what was saved
    TCliProject(const TCliProject &) = delete;
    TCliProject &operator=(const TCliProject &) = delete;

    // Opens an existing project file, for changes with its lock (a project another
    // process holds raises EProjectBusy); a missing or unreadable file is a usage
    // error. Unsaved work of the project left by an earlier run is pointed out.
    void Open(const QString &fileName, bool forChanges = true);
    // Takes up unsaved work left by an earlier run.
    void Restore(const TUnsavedWork &work);
    // Starts a new project from the shipped empty project database.
    void CreateNew();
    // Saves to fileName, or to the file the project came from when it is empty.
    void Save(const QString &fileName = QString());

    TLdbDb &Db() { return FSession.Db(); }
    TProject &Project() { return FSession.Project(); }

private:
    TProjectSession FSession;
};

// The installed blog type or template of that name; a usage error when there is none.
TBlogConfig FindBlogConfig(const QString &name);
THtmlTemplate FindTemplate(const QString &name);

// The template's items, each with an empty value, as a new project or a change of
// template starts them.
THtmlValues EmptyTemplateValues(const THtmlTemplate &htmlTemplate);

// The "name=value" lines the make step gets: the template's items in its order with the
// project's values (names matched without regard to case), then any other non-empty
// value of the project, as the window's value editor shows them.
QStringList TemplateConfigLines(const THtmlTemplate &htmlTemplate, const THtmlValues &values);

// An absolute path for a file named on the command line.
QString AbsolutePath(const QString &path);
