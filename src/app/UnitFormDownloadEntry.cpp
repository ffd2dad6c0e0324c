#include "app/UnitFormDownloadEntry.h"

#include "retrieval/Tentrydownload.h"

TFormDownloadEntry::TFormDownloadEntry(QWidget *parent)
    : TFormDownload(parent, QStringLiteral("FormDownloadEntry"), QStringLiteral("エントリーの取得"))
{
}

void TFormDownloadEntry::RunJob()
{
    TEntryDownloadJob job(*FDb, FBlogConfig, FBlogUrl, FNewEntryOnly, *this);
    job.RunDownload();
}
