#include "app/UnitFormDownloadEntry.h"

#include "app/Tmessagebox.h"
#include "retrieval/Tentrydownload.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QScopeGuard>
#include <QVBoxLayout>

TFormDownloadEntry::TFormDownloadEntry(QWidget *parent)
    : TFormDownload(parent, QStringLiteral("FormDownloadEntry"), QStringLiteral("エントリーの取得"))
{
    // How far back the blog goes is known only at its end: the bar shows activity and
    // says how many entries were read.
    // A moving bar shows no text, so the count has a label of its own.
    ProgressBarEntry = new QProgressBar(this);
    ProgressBarEntry->setObjectName(QStringLiteral("ProgressBarEntry"));
    ProgressBarEntry->setRange(0, 0);
    ProgressBarEntry->setTextVisible(false);
    LabelEntryCount = new QLabel(EntryCountText(0), this);
    LabelEntryCount->setObjectName(QStringLiteral("LabelEntryCount"));
    auto *row = new QHBoxLayout;
    row->addWidget(LabelEntryCount);
    row->addWidget(ProgressBarEntry, 1);
    FProgressLayout->addLayout(row);
}

QString TFormDownloadEntry::EntryCountText(int count)
{
    return QStringLiteral("取得したエントリー %1 件").arg(count);
}

void TFormDownloadEntry::SetEntryProgress(int position, int maximum)
{
    Q_UNUSED(maximum);
    FEntriesRead = position;
    LabelEntryCount->setText(EntryCountText(position));
}

bool TFormDownloadEntry::ConfirmReplaceEntries(const QString &question)
{
    return TMessageBox::AskReplace(this, question) == QMessageBox::Apply;
}

void TFormDownloadEntry::RunJob()
{
    // However the job ends, the bar stops moving.
    const auto finished = qScopeGuard([this] {
        ProgressBarEntry->setRange(0, 1);
        ProgressBarEntry->setValue(1);
    });
    TEntryDownloadJob job(*FDb, FBlogConfig, FBlogUrl, FNewEntryOnly, *this);
    job.RunDownload();
}
