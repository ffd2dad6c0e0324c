#include "retrieval/Tcategorydownload.h"

#include "retrieval/Tdownloadhost.h"
#include "store/Tldbdb.h"

TCategoryDownloadJob::TCategoryDownloadJob(TLdbDb &db, const TBlogConfig &blogConfig,
                                           const QList<TCategoryData> &categories,
                                           TDownloadHost &host)
    : FDb(db), FBlogConfig(blogConfig), FCategories(categories), FHost(host)
{
}

bool TCategoryDownloadJob::RunDownload()
{
    return false;
}
