#include "app/UnitFormDownloadCategory.h"

#include "retrieval/Tcategorydownload.h"

#include <QProgressBar>
#include <QVBoxLayout>

namespace {
QProgressBar *MakeProgressBar(QWidget *parent, const QString &name, const QString &format)
{
    auto *bar = new QProgressBar(parent);
    bar->setObjectName(name);
    bar->setRange(0, 1);
    bar->setValue(0);
    bar->setFormat(format);
    bar->setTextVisible(true);
    return bar;
}

// A maximum of 0 would turn the bar into a busy indicator; an empty bar that says
// "0 / 0" says more.
void SetProgress(QProgressBar *bar, const QString &format, int position, int maximum)
{
    bar->setRange(0, qMax(1, maximum));
    bar->setValue(qBound(0, position, qMax(1, maximum)));
    bar->setFormat(format.arg(position).arg(maximum));
}

const QString CategoryFormat = QStringLiteral("カテゴリー %1 / %2");
const QString EntryFormat = QStringLiteral("このカテゴリーのエントリー %1 / %2");
} // namespace

TFormDownloadCategory::TFormDownloadCategory(QWidget *parent)
    : TFormDownload(parent, QStringLiteral("FormDownloadCategory"), QStringLiteral("カテゴリの取得"))
{
    ProgressBarCategory = MakeProgressBar(this, QStringLiteral("ProgressBarCategory"), CategoryFormat.arg(0).arg(0));
    ProgressBarEntry = MakeProgressBar(this, QStringLiteral("ProgressBarEntry"), EntryFormat.arg(0).arg(0));
    FProgressLayout->addWidget(ProgressBarCategory);
    FProgressLayout->addWidget(ProgressBarEntry);
}

void TFormDownloadCategory::SetCategoryProgress(int position, int maximum)
{
    SetProgress(ProgressBarCategory, CategoryFormat, position, maximum);
}

void TFormDownloadCategory::SetEntryProgress(int position, int maximum)
{
    SetProgress(ProgressBarEntry, EntryFormat, position, maximum);
}

void TFormDownloadCategory::RunJob()
{
    TCategoryDownloadJob job(*FDb, FBlogConfig, FCategories, *this);
    job.RunDownload();
}
