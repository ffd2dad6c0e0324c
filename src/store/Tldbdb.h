#pragma once

#include "platform/Tdatetime.h"
#include "store/Tcategory.h"
#include "store/Tentry.h"
#include "store/Tworkingcopy.h"

#include <QHash>
#include <QMap>
#include <QSqlDatabase>
#include <QStringList>

#include <memory>

class QSqlQuery;
class TProjectLock;

// The project database: a private working copy in the temporary folder, one
// connection and one transaction that Close commits. The table operations live in
// their own modules (entries, categories, category links, comments).
class TLdbDb
{
public:
    TLdbDb();
    ~TLdbDb();
    TLdbDb(const TLdbDb &) = delete;
    TLdbDb &operator=(const TLdbDb &) = delete;

    QString GetFileName() const { return FFileName; }
    QString GetWorkFileName() const { return FWorkFileName; }

    // forChanges takes the project file's lock (raising when another process holds
    // it); read-only users (listings, making the table of contents) open without it.
    void Open(const QString &fileName, bool forChanges = true);
    // Replaces the working copy with the empty project database emptyDb and connects
    // to it; on failure the working copy keeps what it held.
    void CreateFromEmpty(const QString &emptyDb);
    // Saves the working copy to fileName, taking that file's lock first.
    void CopyTo(const QString &fileName);
    // Makes the working copy of unsaved work left behind by an ended process this
    // project's (its project file's lock taken); it then counts as changed.
    void Restore(const TUnsavedWork &work);
    // Keeps the working copy, committed, when this object goes, for a later Restore.
    void KeepForRecovery();
    void Close();
    // Makes what was written so far part of the working copy's file, so that a crash
    // keeps it; the connection stays open.
    void Commit();
    bool IsConnected() const;
    // Whether the working copy holds committed changes not saved to a project file.
    bool HasUnsavedChanges() const { return FChanged; }

    void SetConfig(const QString &name, const QString &value);
    // The value of a config row, or empty text when there is none.
    QString GetConfig(const QString &name);

    // Entries
    static QString GetEntryTableName(bool tmp);
    void DeleteEntries(bool tmp);
    int GetMaxEntryId(bool tmp);
    int GetEntryCount(bool tmp);
    void InsertEntry(const QString &url, const QString &title, TDateTime createdOn, bool tmp);
    bool ExistsEntry(const QString &url);
    TEntryList LoadEntries();
    // The staged entries, then the known ones that were not staged again, renumbered.
    void MergeTmpEntries();
    // The staged entries become the entry list.
    void ReplaceEntriesWithTmp();

    // Categories and category links
    void DeleteCategories();
    void InsertCategory(int id, const QString &name, const QString &url);
    TCategoryMap LoadCategories();
    void DeleteCategoryEntries();
    void DeleteCategoryEntries(int categoryId);
    // Every category's links, in stored order.
    QMap<int, QStringList> LoadCategoryEntries();
    void InsertCategoryEntries(int categoryId, const QStringList &urls);

    // Comments
    void SaveComment(const TEntry &entry);

    // The statement object of the table operations: the one last prepared.
    QSqlQuery &FQuery();

    // Binds a text parameter of the current statement; empty text is stored as empty
    // text, never as NULL.
    void BindText(const QString &placeholder, const QString &text);
    // Runs the current statement; raises the engine's message on failure.
    void Exec();
    // Makes sql the current statement. Each statement text is prepared once per
    // connection and reused, since preparing costs more than running it.
    void Prepare(const QString &sql);
    // Reads a text field, whatever form (text or text blob) the engine hands it in.
    static QString FieldText(const QSqlQuery &query, const QString &name);
    // Raises a clear error when a URL is longer than the URL columns hold.
    static void CheckUrl(const QString &url);

    // Where the project database's lock files go; set before the first connection.
    static void PrepareEngine();

private:
    void Connect(const QString &fileName);
    void SetChanged(bool changed);
    // The working copy matches fileName (empty: a project never saved).
    void SetSaved(const QString &fileName);
    std::unique_ptr<TProjectLock> LockFor(const QString &fileName);
    void RaiseQueryError(const QString &what) const;
    void CheckProjectDatabase(const QString &path, const QString &shownName);

    QString FConnectionName;
    QSqlDatabase FDatabase;
    QHash<QString, std::shared_ptr<QSqlQuery>> FStatements;
    QSqlQuery *FQueryObject = nullptr;
    QString FFileName;
    QString FWorkFileName;
    std::unique_ptr<TProjectLock> FLock;
    // Whether the working copy holds committed changes that were not saved.
    bool FChanged = false;
    bool FKeepWorkingCopy = false;
    // The file a restored working copy would be saved to.
    QString FSavedFileName;
    // Id of the next InsertEntry into entries [0] and tmp_entries [1]; 0 when unknown.
    int FNextEntryId[2] = {0, 0};
};
