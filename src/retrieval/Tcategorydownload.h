#pragma once

#include "blogtype/Tblogconfig.h"
#include "store/Tproject.h"

#include <QList>
#include <QSet>

class TDownloadHost;
class TLdbDb;

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

    TLdbDb &FDb;
    TBlogConfig FBlogConfig;
    QList<TCategoryData> FCategories;
    TDownloadHost &FHost;
    // Ids of the categories that were given their earlier links before the walk.
    QSet<int> FKeptRows;
};
