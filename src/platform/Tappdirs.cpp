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

namespace {
// A tree with db/ beside the executable (the build tree, or a copy of it) keeps all its
// data there; an installed program reaches its data and template programs from its
// own bin folder, so that any prefix works.
bool DataBesideExecutable()
{
    return !Override().isEmpty() || QFileInfo(GetAppDir() + QStringLiteral("db")).isDir();
}

QString FromAppDir(const char *relative)
{
    return WithSlash(QDir::cleanPath(GetAppDir() + QLatin1String(relative)));
}

QString GetDataDir()
{
    return DataBesideExecutable() ? GetAppDir() : FromAppDir(VARNOKI_DATA_FROM_BIN);
}
} // namespace

QString GetBlogDir() { return GetDataDir() + QStringLiteral("blog/"); }
QString GetTemplateDir() { return GetDataDir() + QStringLiteral("template/"); }
QString GetDbDir() { return GetDataDir() + QStringLiteral("db/"); }

QString GetTemplateProgramDir()
{
    return DataBesideExecutable() ? GetTemplateDir() : FromAppDir(VARNOKI_PROGRAMS_FROM_BIN);
}

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
