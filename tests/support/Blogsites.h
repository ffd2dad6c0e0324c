#pragma once

#include "Httptestserver.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

// A copy of a blog service's pages in tests/fixtures/blogs/<name>/, described by its
// site.json: the blog type that reads it, the page behind each request target, and
// what a crawl must find. URLs are paths; the pages say {{BASE}} (scheme and host)
// and {{HOST}} where a served copy puts its own address.
struct TBlogSite
{
    struct TEntry
    {
        QString url;
        QString title;
        QString date;   // the text the blog type returns
        QString stored; // the date-time stored, "yyyy-MM-dd hh:mm:ss"
    };
    struct TCategoryPage
    {
        QString url;
        QStringList entries;
        QString next;
    };
    struct TCategory
    {
        QString name;
        QString url;
        QList<TCategoryPage> pages;
    };

    QString name;
    QString blogType; // the INI file in the blog folder
    QString charset;  // of the page files
    QString top;
    // Whether the blog type tells the older entry from the data (entry numbers,
    // dated URLs) rather than from which pager link a template calls older.
    bool pagersReadByData = false;
    QMap<QString, QString> routes; // request target -> file
    QList<TEntry> entries;         // newest first
    QList<TCategory> categories;
    // The blog's own category list as its blog type reads it (name, URL), in the blog's
    // order: "blogCategories" where it differs from the categories.
    QList<QPair<QString, QString>> blogCategories;

    // The bytes of the page served for target, with base ("http://host:port") put in.
    QByteArray Page(const QString &target, const QString &base) const;
    // Answers requests for the site's pages as a server at base would; 404 otherwise.
    THttpTestServer::THandler Handler(const QString &base) const;
};

QList<TBlogSite> LoadBlogSites();

// The INI files of the shipped blog types (data/blog/), by file name.
QStringList ShippedBlogTypeFiles();
// Those of the services that services.js registers: NAME.ini for each service NAME.
QStringList ServiceBlogTypeFiles();
