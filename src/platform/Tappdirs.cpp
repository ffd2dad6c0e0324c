#include "platform/Tappdirs.h"

#include <QCoreApplication>

namespace {
QString &Override()
{
    static QString root;
    return root;
}

QString WithSlash(QString path)
{
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}
} // namespace

void SetAppDirOverride(const QString &root)
{
    Override() = root;
}

QString GetAppDir()
{
    return WithSlash(Override().isEmpty() ? QCoreApplication::applicationDirPath() : Override());
}

QString GetBlogDir() { return GetAppDir() + QStringLiteral("blog/"); }
QString GetTemplateDir() { return GetAppDir() + QStringLiteral("template/"); }
QString GetDbDir() { return GetAppDir() + QStringLiteral("db/"); }
