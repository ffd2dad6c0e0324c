#include "store/Tldbdb.h"

#include "platform/Tfileutility.h"
#include "platform/Varnokierror.h"

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <unistd.h>

namespace {
QAtomicInt ConnectionCounter;

// URL columns hold this many bytes of UTF-8 (the index key limit of the engine).
constexpr int MaxUrlBytes = 4000;

const char *const ProjectTables[] = {"ENTRIES",    "TMP_ENTRIES",      "COMMENTS", "CATEGORIES",
                                     "CATEGORIES_ENTRY", "CONFIG", "HTML"};
} // namespace

void TLdbDb::PrepareEngine()
{
    // The embedded engine keeps lock files in a shared folder by default, which
    // another user may own; a per-user folder avoids that.
    if (qEnvironmentVariableIsSet("FIREBIRD_LOCK"))
        return;
    const QString lockDir = QDir::tempPath() + QStringLiteral("/varnoki-firebird-")
                            + QString::number(::getuid());
    QDir().mkpath(lockDir);
    qputenv("FIREBIRD_LOCK", QFile::encodeName(lockDir));
}

TLdbDb::TLdbDb()
{
    PrepareEngine();
    FWorkFileName = CreateTempFile();
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

void TLdbDb::Open(const QString &fileName)
{
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
            if (QFileInfo::exists(FWorkFileName))
                Connect(FWorkFileName);
            throw;
        }
    }
    Connect(FWorkFileName);
    FFileName = fileName;
}

void TLdbDb::CreateFromEmpty(const QString &emptyDb)
{
    Close();
    // The copy replaces the working copy in one rename, so a failure leaves the
    // previous project connected instead of no file at all.
    if (!QFileInfo(emptyDb).isFile() || !ReplaceFileWithCopy(emptyDb, FWorkFileName, nullptr)) {
        Connect(FWorkFileName);
        throw EVarnokiError(QStringLiteral("データファイルの作成に失敗しました。"));
    }
    Open(FWorkFileName);
}

void TLdbDb::CopyTo(const QString &fileName)
{
    Close();
    QString why;
    const bool copied = ReplaceFileWithCopy(FWorkFileName, fileName, &why);
    Connect(FWorkFileName);
    if (!copied)
        throw EVarnokiError(QStringLiteral("プロジェクトファイルを保存できませんでした: %1\n%2")
                                .arg(QDir::toNativeSeparators(fileName), why));
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
