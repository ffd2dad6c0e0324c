#pragma once

#include "blogtype/Tblogconfig.h"

#include <QString>

class TDownloadHost;
class TLdbDb;

// Walks a blog from its newest entry to the oldest and stores every entry.
class TEntryDownloadJob
{
public:
    TEntryDownloadJob(TLdbDb &db, const TBlogConfig &blogConfig, const QString &blogUrl,
                      bool newEntryOnly, TDownloadHost &host);

    // Runs the whole walk. Returns false when it ended with an error (logged).
    bool RunDownload();

private:
    TLdbDb &FDb;
    TBlogConfig FBlogConfig;
    QString FBlogUrl;
    bool FNewEntryOnly;
    TDownloadHost &FHost;
};
