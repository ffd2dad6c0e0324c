#include "retrieval/Tentrydownload.h"

#include "retrieval/Tdownloadhost.h"
#include "store/Tldbdb.h"

TEntryDownloadJob::TEntryDownloadJob(TLdbDb &db, const TBlogConfig &blogConfig,
                                     const QString &blogUrl, bool newEntryOnly,
                                     TDownloadHost &host)
    : FDb(db), FBlogConfig(blogConfig), FBlogUrl(blogUrl), FNewEntryOnly(newEntryOnly), FHost(host)
{
}

bool TEntryDownloadJob::RunDownload()
{
    return false;
}
