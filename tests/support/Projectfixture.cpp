#include "Projectfixture.h"

#include <QFile>

#include <sys/wait.h>
#include <unistd.h>

#include "Testpaths.h"

#include <QFile>
#include <QSqlQuery>

void ProjectTest::SetUp()
{
    ASSERT_TRUE(FDir.isValid());
    FDb = std::make_unique<TLdbDb>();
    FDb->CreateFromEmpty(TestPaths::EmptyProjectDb());
}

void ProjectTest::TearDown()
{
    const QString work = FDb->GetWorkFileName();
    FDb.reset();
    QFile::remove(work);
}

int ProjectTest::Count(const QString &sql)
{
    FDb->Prepare(sql);
    FDb->Exec();
    QSqlQuery &query = FDb->FQuery();
    const int result = query.next() ? query.value(0).toInt() : -1;
    query.finish();
    return result;
}

void MarkOwnerEnded(const QString &workFileName)
{
    const pid_t ended = ::fork();
    if (ended == 0)
        ::_exit(0);
    ::waitpid(ended, nullptr, 0);
    QFile info(workFileName + QStringLiteral(".info"));
    ASSERT_TRUE(info.open(QIODevice::ReadOnly));
    QByteArray text = info.readAll();
    info.close();
    const qsizetype from = text.indexOf("pid=") + 4;
    text.replace(from, text.indexOf('\n', from) - from, QByteArray::number(ended));
    ASSERT_TRUE(info.open(QIODevice::WriteOnly | QIODevice::Truncate));
    info.write(text);
}
