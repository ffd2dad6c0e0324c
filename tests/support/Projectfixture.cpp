#include "Projectfixture.h"

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
