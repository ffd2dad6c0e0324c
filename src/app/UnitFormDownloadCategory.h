#pragma once

#include "app/UnitFormDownload.h"
#include "blogtype/Tblogconfig.h"
#include "store/Tproject.h"

class QProgressBar;
class TLdbDb;

// "カテゴリの取得": rewrites the categories and links the entries each one lists.
class TFormDownloadCategory : public TFormDownload
{
    Q_OBJECT

public:
    explicit TFormDownloadCategory(QWidget *parent);

    void SetCategories(const QList<TCategoryData> &categories) { FCategories = categories; }
    void SetDatabase(TLdbDb *db) { FDb = db; }
    void SetBlogConfig(const TBlogConfig &blogConfig) { FBlogConfig = blogConfig; }

    void SetCategoryProgress(int position, int maximum) override;
    void SetEntryProgress(int position, int maximum) override;

    QProgressBar *ProgressBarCategory;
    QProgressBar *ProgressBarEntry;

protected:
    void RunJob() override;

private:
    QList<TCategoryData> FCategories;
    TLdbDb *FDb = nullptr;
    TBlogConfig FBlogConfig;
};
