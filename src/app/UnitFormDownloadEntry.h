#pragma once

#include "app/UnitFormDownload.h"
#include "blogtype/Tblogconfig.h"

class QLabel;
class QProgressBar;
class TLdbDb;

// "エントリーの取得": walks the blog from its newest entry and stores every entry.
class TFormDownloadEntry : public TFormDownload
{
    Q_OBJECT

public:
    explicit TFormDownloadEntry(QWidget *parent);

    void SetBlogUrl(const QString &url) { FBlogUrl = url; }
    void SetDatabase(TLdbDb *db) { FDb = db; }
    void SetNewEntryOnly(bool newEntryOnly) { FNewEntryOnly = newEntryOnly; }
    void SetBlogConfig(const TBlogConfig &blogConfig) { FBlogConfig = blogConfig; }
    void SetEntryProgress(int position, int maximum) override;
    bool ConfirmReplaceEntries(const QString &question) override;

    QProgressBar *ProgressBarEntry;
    QLabel *LabelEntryCount;

    // "取得したエントリー N 件", as the bar says it.
    static QString EntryCountText(int count);

protected:
    void RunJob() override;

private:
    int FEntriesRead = 0;
    QString FBlogUrl;
    TLdbDb *FDb = nullptr;
    TBlogConfig FBlogConfig;
    bool FNewEntryOnly = false;
};
