#pragma once

#include "app/UnitFormDownload.h"
#include "blogtype/Tblogconfig.h"

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

protected:
    void RunJob() override;

private:
    QString FBlogUrl;
    TLdbDb *FDb = nullptr;
    TBlogConfig FBlogConfig;
    bool FNewEntryOnly = false;
};
