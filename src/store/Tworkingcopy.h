#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

// A working copy that a process left behind with changes it never saved.
struct TUnsavedWork
{
    QString WorkFileName;
    QString ProjectFileName; // empty for a project that was never saved
    QDateTime LastChange;
};

// What is known of a working copy is kept beside it ("<copy>.info": the owning process
// and the project file), so that one left behind by a process that ended without
// saving can be found and restored.
// owner: the process the file belongs to, this one when 0.
void WriteWorkingCopyInfo(const QString &workFileName, const QString &projectFileName, bool changed,
                          qint64 owner = 0);
void RemoveWorkingCopyInfo(const QString &workFileName);

// The working copies in the private temporary folder whose process has ended: those
// with unsaved changes are returned, newest first; the others are removed.
QList<TUnsavedWork> FindUnsavedWork();
// Removes a working copy that will not be restored.
void DiscardUnsavedWork(const TUnsavedWork &work);

// The database engine keeps lock, trace and monitoring files in a folder that every
// process using it must share if they share database files. No database file is ever
// opened by two processes here (each opens its own copy), so each process gets a
// folder of its own inside the private temporary folder and never waits on another.
// Made once per process (folders of ended processes are removed first) and removed
// when the process exits; returns its path.
QString PrepareProcessEngineFolder();
