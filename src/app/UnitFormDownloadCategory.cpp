#include "app/UnitFormDownloadCategory.h"

#include "retrieval/Tcategorydownload.h"

#include <QProgressBar>
#include <QVBoxLayout>

namespace {
QProgressBar *MakeProgressBar(QWidget *parent, const QString &name)
{
    auto *bar = new QProgressBar(parent);
    bar->setObjectName(name);
    bar->setRange(0, 1);
    bar->setValue(0);
    bar->setTextVisible(false);
    return bar;
}

// A maximum of 0 would turn the bar into a busy indicator; an empty bar says more.
void SetProgress(QProgressBar *bar, int position, int maximum)
{
    bar->setRange(0, qMax(1, maximum));
    bar->setValue(qBound(0, position, qMax(1, maximum)));
}
} // namespace

TFormDownloadCategory::TFormDownloadCategory(QWidget *parent)
    : TFormDownload(parent, QStringLiteral("FormDownloadCategory"), QStringLiteral("カテゴリの取得"))
{
    ProgressBarCategory = MakeProgressBar(this, QStringLiteral("ProgressBarCategory"));
    ProgressBarEntry = MakeProgressBar(this, QStringLiteral("ProgressBarEntry"));
    FProgressLayout->addWidget(ProgressBarCategory);
    FProgressLayout->addWidget(ProgressBarEntry);
}

void TFormDownloadCategory::SetCategoryProgress(int position, int maximum)
{
    SetProgress(ProgressBarCategory, position, maximum);
}

void TFormDownloadCategory::SetEntryProgress(int position, int maximum)
{
    SetProgress(ProgressBarEntry, position, maximum);
}

void TFormDownloadCategory::RunJob()
{
    TCategoryDownloadJob job(*FDb, FBlogConfig, FCategories, *this);
    job.RunDownload();
}
