#include "Blogsites.h"

#include "Testpaths.h"

#include "blogtype/Tscriptcontroller.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>
#include <gtest/gtest.h>

namespace {
QString Folder(const QString &name)
{
    return TestPaths::FixturesDir() + QStringLiteral("/blogs/") + name;
}

QStringList Strings(const QJsonValue &value)
{
    QStringList list;
    for (const QJsonValue &item : value.toArray())
        list << item.toString();
    return list;
}

TBlogSite ReadSite(const QString &name)
{
    TBlogSite site;
    site.name = name;
    QFile file(Folder(name) + QStringLiteral("/site.json"));
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read site.json of " << name.toStdString();
        return site;
    }
    const QJsonObject json = QJsonDocument::fromJson(file.readAll()).object();
    site.blogType = json[QLatin1String("blogtype")].toString();
    site.charset = json[QLatin1String("charset")].toString();
    site.top = json[QLatin1String("top")].toString();
    site.pagersReadByData = json[QLatin1String("pagersReadByData")].toBool();
    const QJsonObject routes = json[QLatin1String("routes")].toObject();
    for (auto it = routes.begin(); it != routes.end(); ++it)
        site.routes.insert(it.key(), it.value().toString());
    for (const QJsonValue &value : json[QLatin1String("entries")].toArray()) {
        const QJsonObject entry = value.toObject();
        site.entries.append({entry[QLatin1String("url")].toString(), entry[QLatin1String("title")].toString(),
                             entry[QLatin1String("date")].toString(), entry[QLatin1String("stored")].toString()});
    }
    for (const QJsonValue &value : json[QLatin1String("categories")].toArray()) {
        const QJsonObject category = value.toObject();
        TBlogSite::TCategory item{category[QLatin1String("name")].toString(),
                                  category[QLatin1String("url")].toString(), {}};
        for (const QJsonValue &page : category[QLatin1String("pages")].toArray()) {
            const QJsonObject object = page.toObject();
            item.pages.append({object[QLatin1String("url")].toString(), Strings(object[QLatin1String("entries")]),
                               object[QLatin1String("next")].toString()});
        }
        site.categories.append(item);
        site.blogCategories.append({item.name, item.url});
    }
    if (json.contains(QLatin1String("blogCategories"))) {
        site.blogCategories.clear();
        for (const QJsonValue &value : json[QLatin1String("blogCategories")].toArray())
            site.blogCategories.append({value[0].toString(), value[1].toString()});
    }
    return site;
}
} // namespace

QByteArray TBlogSite::Page(const QString &target, const QString &base) const
{
    if (!routes.contains(target))
        return QByteArray();
    QFile file(Folder(name) + QLatin1Char('/') + routes.value(target));
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << file.fileName().toStdString();
        return QByteArray();
    }
    QByteArray bytes = file.readAll();
    bytes.replace("{{BASE}}", base.toUtf8());
    bytes.replace("{{HOST}}", QUrl(base).authority().toUtf8());
    return bytes;
}

THttpTestServer::THandler TBlogSite::Handler(const QString &base) const
{
    const TBlogSite site = *this;
    return [site, base](const THttpTestRequest &request) -> std::optional<THttpTestResponse> {
        const QString target = QString::fromUtf8(request.Target);
        if (!site.routes.contains(target))
            return THttpTestResponse::WithStatus(404, "not found");
        return THttpTestResponse::Html(site.Page(target, base), "text/html");
    };
}

QList<TBlogSite> LoadBlogSites()
{
    QList<TBlogSite> sites;
    const QDir dir(TestPaths::FixturesDir() + QStringLiteral("/blogs"));
    for (const QString &name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        sites.append(ReadSite(name));
    return sites;
}

QStringList ShippedBlogTypeFiles()
{
    return QDir(TestPaths::SourceDir() + QStringLiteral("/data/blog"))
        .entryList({QStringLiteral("*.ini")}, QDir::Files, QDir::Name);
}

QStringList ServiceBlogTypeFiles()
{
    TScriptController controller;
    QList<TScriptSource> helpers;
    for (const QString &name : {QStringLiteral("common.js"), QStringLiteral("services.js")}) {
        QFile file(TestPaths::SourceDir() + QStringLiteral("/data/blog/") + name);
        if (!file.open(QIODevice::ReadOnly))
            ADD_FAILURE() << "cannot read " << name.toStdString();
        helpers.append({name, QString::fromUtf8(file.readAll())});
    }
    controller.Initialize(QStringLiteral("JScript"), QString(), helpers);
    const QString names = controller.CallFunction(
        QStringLiteral("(function () { return Object.keys(ServiceMarks).sort().join(' '); })"), QString());
    EXPECT_FALSE(controller.HasError()) << controller.GetErrorMessage().toStdString();
    QStringList files;
    for (const QString &name : names.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        files << name + QStringLiteral(".ini");
    return files;
}
