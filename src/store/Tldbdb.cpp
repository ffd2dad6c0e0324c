#include "store/Tldbdb.h"

#include "platform/Tfileutility.h"
#include "platform/Tprojectlock.h"
#include "platform/Varnokierror.h"

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <ibase.h>
#include <unistd.h>

#include <cstdio>

namespace {
QAtomicInt ConnectionCounter;

// The engine's client library catches SIGINT and SIGTERM itself and shuts the engine
// down on a thread of its own, under the program, which ends on these signals in its
// own way: it keeps the work and closes the project. Where both run, the program's
// detach and the engine's shutdown wait on each other for ever. The engine is told to
// leave the signals to the program.
int RefuseShutdownOnSignal(const int reason, const int, void *)
{
    return reason == fb_shutrsn_signal ? 1 : 0;
}

// URL columns hold this many bytes of UTF-8 (the index key limit of the engine).
constexpr int MaxUrlBytes = 4000;

const char *const ProjectTables[] = {"ENTRIES",    "TMP_ENTRIES",      "COMMENTS", "CATEGORIES",
                                     "CATEGORIES_ENTRY", "CONFIG", "HTML"};
} // namespace

void TLdbDb::PrepareEngine()
{
    // Read by the engine once, at its first use; a folder of this process's own, so
    // that no other process (nor a FIREBIRD_LOCK it passed on) shares its lock files.
    static const bool prepared = [] {
        qputenv("FIREBIRD_LOCK", QFile::encodeName(PrepareProcessEngineFolder()));
        ISC_STATUS_ARRAY status = {};
        fb_shutdown_callback(status, RefuseShutdownOnSignal, fb_shut_confirmation, nullptr);
        return true;
    }();
    Q_UNUSED(prepared);
}

TLdbDb::TLdbDb()
{
    PrepareEngine();
    FWorkFileName = CreateTempFile();
    WriteWorkingCopyInfo(FWorkFileName, QString(), false);
    FConnectionName = QStringLiteral("varnoki-project-%1").arg(ConnectionCounter.fetchAndAddRelaxed(1));
    FDatabase = QSqlDatabase::addDatabase(QStringLiteral("QIBASE"), FConnectionName);
    FDatabase.setUserName(QStringLiteral("SYSDBA"));
    FDatabase.setPassword(QStringLiteral("quietpond"));
    FDatabase.setConnectOptions(QStringLiteral("ISC_DPB_LC_CTYPE=UNICODE_FSS"));
}

TLdbDb::~TLdbDb()
{
    try {
        Close();
    } catch (...) {
        // A destructor must not throw; a failed commit cannot be reported here.
    }
    FQueryObject = nullptr;
    FStatements.clear();
    FDatabase = QSqlDatabase();
    QSqlDatabase::removeDatabase(FConnectionName);
    if (!FKeepWorkingCopy) {
        QFile::remove(FWorkFileName);
        RemoveWorkingCopyInfo(FWorkFileName);
    }
}

void TLdbDb::SetChanged(bool changed)
{
    if (FChanged == changed)
        return;
    FChanged = changed;
    WriteWorkingCopyInfo(FWorkFileName, FSavedFileName, changed);
}

void TLdbDb::SetSaved(const QString &fileName)
{
    FSavedFileName = fileName;
    FChanged = false;
    WriteWorkingCopyInfo(FWorkFileName, FSavedFileName, false);
}

std::unique_ptr<TProjectLock> TLdbDb::LockFor(const QString &fileName)
{
    if (FLock && FLock->Holds(fileName))
        return nullptr; // held already
    auto lock = std::make_unique<TProjectLock>();
    lock->Acquire(fileName);
    return lock;
}

void TLdbDb::KeepForRecovery()
{
    Commit();
    SetChanged(true);
    FKeepWorkingCopy = true;
}

void TLdbDb::Restore(const TUnsavedWork &work)
{
    std::unique_ptr<TProjectLock> lock =
        work.ProjectFileName.isEmpty() ? nullptr : LockFor(work.ProjectFileName);
    // The left copy is taken over by one rename before the engine opens it, so that two
    // processes restoring at once never open the same file (their engines would not
    // know of each other).
    const QString staging = CreateTempFile(QFileInfo(FWorkFileName).absolutePath(), QStringLiteral("restore"));
    if (::rename(QFile::encodeName(work.WorkFileName).constData(), QFile::encodeName(staging).constData()) != 0) {
        QFile::remove(staging);
        throw EVarnokiError(QStringLiteral("復元する作業用ファイルがありません: %1")
                                .arg(QDir::toNativeSeparators(work.WorkFileName)));
    }
    try {
        CheckProjectDatabase(staging, work.WorkFileName);
    } catch (...) {
        ::rename(QFile::encodeName(staging).constData(), QFile::encodeName(work.WorkFileName).constData());
        throw;
    }
    const bool wasConnected = IsConnected();
    Close();
    // One rename replaces the working copy, so a failure leaves it as it was.
    if (::rename(QFile::encodeName(staging).constData(), QFile::encodeName(FWorkFileName).constData()) != 0) {
        ::rename(QFile::encodeName(staging).constData(), QFile::encodeName(work.WorkFileName).constData());
        if (wasConnected)
            Connect(FWorkFileName);
        throw EVarnokiError(QStringLiteral("作業用ファイルを置き換えられません: %1")
                                .arg(QDir::toNativeSeparators(FWorkFileName)));
    }
    RemoveWorkingCopyInfo(work.WorkFileName);
    Connect(FWorkFileName);
    // A download that was cut off kept its finds apart; they join the entries as they
    // do when a download fails.
    if (GetMaxEntryId(true) > 0) {
        MergeTmpEntries();
        Commit();
    }
    if (lock)
        FLock = std::move(lock);
    FFileName = work.ProjectFileName.isEmpty() ? FWorkFileName : work.ProjectFileName;
    FSavedFileName = work.ProjectFileName;
    FChanged = true;
    WriteWorkingCopyInfo(FWorkFileName, FSavedFileName, true);
}

bool TLdbDb::IsConnected() const
{
    return FDatabase.isOpen();
}

QSqlQuery &TLdbDb::FQuery()
{
    if (!FQueryObject)
        throw EVarnokiError(QStringLiteral("プロジェクトが開かれていません。"));
    return *FQueryObject;
}

void TLdbDb::Connect(const QString &fileName)
{
    FNextEntryId[0] = FNextEntryId[1] = 0;
    FDatabase.setDatabaseName(fileName);
    if (!FDatabase.open()) {
        const QString message = FDatabase.lastError().text();
        FDatabase.close();
        throw EVarnokiError(message);
    }
    if (!FDatabase.transaction()) {
        const QString message = FDatabase.lastError().text();
        FDatabase.close();
        throw EVarnokiError(message);
    }
    FWorkFileName = fileName;
}

void TLdbDb::Commit()
{
    if (!FDatabase.isOpen())
        return;
    // Retaining keeps the transaction, and with it every prepared statement, usable.
    Prepare(QStringLiteral("commit retain"));
    Exec();
    SetChanged(true);
}

void TLdbDb::Close()
{
    if (!FDatabase.isOpen())
        return;
    FQueryObject = nullptr;
    FStatements.clear();
    FNextEntryId[0] = FNextEntryId[1] = 0;
    const bool committed = FDatabase.commit();
    const QString message = FDatabase.lastError().text();
    FDatabase.close();
    if (!committed)
        throw EVarnokiError(message);
}

void TLdbDb::CheckProjectDatabase(const QString &path, const QString &shownName)
{
    const QString name = FConnectionName + QStringLiteral("-check");
    QString problem;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QIBASE"), name);
        db.setDatabaseName(path);
        db.setUserName(FDatabase.userName());
        db.setPassword(FDatabase.password());
        db.setConnectOptions(FDatabase.connectOptions());
        if (!db.open()) {
            problem = db.lastError().text();
        } else {
            QSqlQuery query(db);
            for (const char *table : ProjectTables) {
                if (!query.exec(QStringLiteral("select count(*) from ") + QLatin1String(table))) {
                    problem = query.lastError().text();
                    break;
                }
            }
            query.finish();
            query = QSqlQuery();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    if (!problem.isEmpty())
        throw EVarnokiError(QStringLiteral("プロジェクトファイルとして開けません: %1\n%2")
                                .arg(QDir::toNativeSeparators(shownName), problem));
}

void TLdbDb::Open(const QString &fileName, bool forChanges)
{
    std::unique_ptr<TProjectLock> lock =
        forChanges && fileName != FWorkFileName ? LockFor(fileName) : nullptr;
    const bool wasConnected = IsConnected();
    Close();
    if (fileName != FWorkFileName) {
        // The file is copied and checked beside the working copy first, so that a
        // file that is no project, or cannot be read, leaves the working copy alone.
        const QString staging =
            CreateTempFile(QFileInfo(FWorkFileName).absolutePath(), QStringLiteral("open"));
        try {
            QString why;
            if (!QFileInfo(fileName).isFile())
                throw EVarnokiError(QStringLiteral("ファイルが見つかりません: %1")
                                        .arg(QDir::toNativeSeparators(fileName)));
            if (!ReplaceFileWithCopy(fileName, staging, &why))
                throw EVarnokiError(QStringLiteral("ファイルを読み込めません: %1\n%2")
                                        .arg(QDir::toNativeSeparators(fileName), why));
            CheckProjectDatabase(staging, fileName);
            QFile::remove(FWorkFileName);
            if (!QFile::rename(staging, FWorkFileName))
                throw EVarnokiError(QStringLiteral("作業用ファイルを置き換えられません: %1")
                                        .arg(QDir::toNativeSeparators(FWorkFileName)));
        } catch (...) {
            QFile::remove(staging);
            // Only a project that was open is reconnected: the empty file of a fresh
            // working copy would replace the real error with the engine's.
            if (wasConnected) {
                try {
                    Connect(FWorkFileName);
                } catch (const EVarnokiError &) {
                }
            }
            throw;
        }
    }
    Connect(FWorkFileName);
    if (fileName != FWorkFileName) {
        if (lock)
            FLock = std::move(lock);
        else if (!forChanges)
            FLock.reset();
        SetSaved(forChanges ? fileName : QString());
    }
    FFileName = fileName;
}

void TLdbDb::CreateFromEmpty(const QString &emptyDb)
{
    const bool wasConnected = IsConnected();
    Close();
    // The copy replaces the working copy in one rename, so a failure leaves the
    // previous project connected instead of no file at all.
    if (!QFileInfo(emptyDb).isFile() || !ReplaceFileWithCopy(emptyDb, FWorkFileName, nullptr)) {
        if (wasConnected)
            Connect(FWorkFileName);
        throw EVarnokiError(QStringLiteral("データファイルの作成に失敗しました。"));
    }
    try {
        Open(FWorkFileName);
    } catch (const EVarnokiError &) {
        throw EVarnokiError(QStringLiteral("データファイルの作成に失敗しました。"));
    }
    FLock.reset();
    SetSaved(QString());
}

void TLdbDb::CopyTo(const QString &fileName)
{
    std::unique_ptr<TProjectLock> lock = LockFor(fileName);
    Close();
    QString why;
    const bool copied = ReplaceFileWithCopy(FWorkFileName, fileName, &why);
    Connect(FWorkFileName);
    if (!copied)
        throw EVarnokiError(QStringLiteral("プロジェクトファイルを保存できませんでした: %1\n%2")
                                .arg(QDir::toNativeSeparators(fileName), why));
    if (lock)
        FLock = std::move(lock);
    SetSaved(fileName);
}

void TLdbDb::Prepare(const QString &sql)
{
    if (!FDatabase.isOpen())
        throw EVarnokiError(QStringLiteral("プロジェクトが開かれていません。"));
    if (FQueryObject)
        FQueryObject->finish();
    std::shared_ptr<QSqlQuery> &statement = FStatements[sql];
    if (!statement) {
        auto query = std::make_shared<QSqlQuery>(FDatabase);
        query->setForwardOnly(true);
        FQueryObject = query.get();
        if (!query->prepare(sql)) {
            const QString message = query->lastError().text();
            FStatements.remove(sql);
            FQueryObject = nullptr;
            throw EVarnokiError(message);
        }
        statement = std::move(query);
    }
    FQueryObject = statement.get();
}

void TLdbDb::BindText(const QString &placeholder, const QString &text)
{
    // Qt binds a null QString as NULL, which Firebird keeps apart from empty text.
    FQuery().bindValue(placeholder, text.isNull() ? QStringLiteral("") : text);
}

void TLdbDb::Exec()
{
    QSqlQuery &query = FQuery();
    if (!query.exec())
        RaiseQueryError(query.lastQuery());
}

void TLdbDb::RaiseQueryError(const QString &what) const
{
    Q_UNUSED(what);
    throw EVarnokiError(FQueryObject->lastError().text());
}

QString TLdbDb::FieldText(const QSqlQuery &query, const QString &name)
{
    const QVariant value = query.value(name);
    if (value.isNull())
        return QString();
    // Text blobs arrive as their UTF-8 bytes.
    if (value.typeId() == QMetaType::QByteArray)
        return QString::fromUtf8(value.toByteArray());
    return value.toString();
}

void TLdbDb::CheckUrl(const QString &url)
{
    if (url.toUtf8().size() > MaxUrlBytes)
        throw EVarnokiError(
            QStringLiteral("URL が長すぎるため保存できません（UTF-8 で %1 バイトまで）: %2…")
                .arg(MaxUrlBytes)
                .arg(url.left(100)));
}

QString TLdbDb::GetConfig(const QString &name)
{
    Prepare(QStringLiteral("select data from config where name = :KEY"));
    BindText(QStringLiteral(":KEY"), name);
    Exec();
    QString value;
    if (FQuery().next())
        value = FieldText(FQuery(), QStringLiteral("data"));
    FQuery().finish();
    return value;
}

void TLdbDb::SetConfig(const QString &name, const QString &value)
{
    Prepare(QStringLiteral("delete from config where name = :KEY"));
    BindText(QStringLiteral(":KEY"), name);
    Exec();
    Prepare(QStringLiteral("insert into config(name,data) values(:KEY, :VALUE)"));
    BindText(QStringLiteral(":KEY"), name);
    BindText(QStringLiteral(":VALUE"), value);
    Exec();
    FQuery().finish();
}
