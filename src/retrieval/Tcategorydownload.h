#pragma once

#include "blogtype/Tblogconfig.h"
#include "retrieval/Tcodepage.h"
#include "store/Tproject.h"

#include <QList>
#include <QSet>
#include <QStringList>

#include <optional>

class TCategoryParser;
class TDownloadHost;
class TLdbDb;
struct TFetchControl;

// Rewrites the category rows and links every entry URL found on each category's pages.
class TCategoryDownloadJob
{
public:
    TCategoryDownloadJob(TLdbDb &db, const TBlogConfig &blogConfig,
                         const QList<TCategoryData> &categories, TDownloadHost &host);

    // Runs the whole walk. Returns false when it ended with an error (logged).
    bool RunDownload();

private:
    void KeepEarlierLinks();
    // The category's links by the blog type's list for it, when it has one that starts
    // with the entries of the category's first page (pageUrls); nullopt (logged why) when
    // its first page gives none, so that the pages are walked. A later page's failure raises.
    std::optional<QStringList> ReadCategoryList(TCategoryParser &parser, const QString &page, const QString &url,
                                                const QStringList &pageUrls, TCodePageId codePage,
                                                const TFetchControl &control, const QString &name);

    TLdbDb &FDb;
    TBlogConfig FBlogConfig;
    QList<TCategoryData> FCategories;
    TDownloadHost &FHost;
    // Ids of the categories that were given their earlier links before the walk.
    QSet<int> FKeptRows;
};
