#include "platform/Tappdirs.h"

#include "platform/Tinifile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QStandardPaths>

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

namespace {
QString UserDir(const QString &kind)
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        return QString();
    const QString path = base + QStringLiteral("/varnoki/") + kind + QLatin1Char('/');
    QDir().mkpath(path); // a folder that cannot be made simply holds nothing
    return path;
}
} // namespace

QString GetUserBlogDir() { return UserDir(QStringLiteral("blog")); }
QString GetUserTemplateDir() { return UserDir(QStringLiteral("template")); }

QStringList ListDefinitionFiles(const QString &userFolder, const QString &shippedFolder,
                                bool includeHidden)
{
    QMap<QString, QString> byName;
    for (const QString &path : ListFilesByName(shippedFolder, includeHidden))
        byName.insert(QFileInfo(path).fileName(), path);
    if (!userFolder.isEmpty() && QDir(QDir::cleanPath(userFolder)) != QDir(QDir::cleanPath(shippedFolder))) {
        for (const QString &path : ListFilesByName(userFolder, includeHidden))
            byName.insert(QFileInfo(path).fileName(), path);
    }
    QStringList names = byName.keys();
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
    QStringList paths;
    for (const QString &name : names)
        paths.append(byName.value(name));
    return paths;
}
