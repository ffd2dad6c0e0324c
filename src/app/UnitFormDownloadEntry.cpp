#include "app/UnitFormDownloadEntry.h"

#include "retrieval/Tentrydownload.h"

#include <QProgressBar>
#include <QScopeGuard>
#include <QVBoxLayout>

TFormDownloadEntry::TFormDownloadEntry(QWidget *parent)
    : TFormDownload(parent, QStringLiteral("FormDownloadEntry"), QStringLiteral("エントリーの取得"))
{
    // How far back the blog goes is known only at its end: the bar shows activity and
    // says how many entries were read.
    ProgressBarEntry = new QProgressBar(this);
    ProgressBarEntry->setObjectName(QStringLiteral("ProgressBarEntry"));
    ProgressBarEntry->setRange(0, 0);
    ProgressBarEntry->setTextVisible(true);
    ProgressBarEntry->setFormat(EntryCountText(0));
    FProgressLayout->addWidget(ProgressBarEntry);
}

QString TFormDownloadEntry::EntryCountText(int count)
{
    return QStringLiteral("取得したエントリー %1 件").arg(count);
}

void TFormDownloadEntry::SetEntryProgress(int position, int maximum)
{
    Q_UNUSED(maximum);
    FEntriesRead = position;
    ProgressBarEntry->setFormat(EntryCountText(position));
}

void TFormDownloadEntry::RunJob()
{
    // However the job ends, the bar stops moving.
    const auto finished = qScopeGuard([this] {
        ProgressBarEntry->setRange(0, 1);
        ProgressBarEntry->setValue(1);
        ProgressBarEntry->setFormat(EntryCountText(FEntriesRead));
    });
    TEntryDownloadJob job(*FDb, FBlogConfig, FBlogUrl, FNewEntryOnly, *this);
    job.RunDownload();
}
