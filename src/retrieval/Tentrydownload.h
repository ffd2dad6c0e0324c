#pragma once

#include "blogtype/Tblogconfig.h"
#include "retrieval/Tcodepage.h"

#include <QString>

#include <functional>

class TDownloadHost;
class TEntryParser;
class TLdbDb;
struct TFetchControl;
struct TParsedEntry;

// Walks a blog from its newest entry to the oldest and stores every entry.
class TEntryDownloadJob
{
public:
    TEntryDownloadJob(TLdbDb &db, const TBlogConfig &blogConfig, const QString &blogUrl,
                      bool newEntryOnly, TDownloadHost &host);

    // Runs the whole walk. Returns false when it ended with an error (logged).
    bool RunDownload();

    // The question asked before a full download's found entries replace the held ones:
    // empty unless they are fewer than half of at least 10. The blog type is named when
    // it differs from the one of the last download that replaced the list.
    static QString ShrinkQuestion(int found, int held, const QString &lastBlogType, const QString &blogType);

private:
    enum class TListOutcome { NotOffered, FellBack, Read };
    // Reads the blog type's entry lists in place of the entry pages, when it has them.
    // FellBack: the first list page gave no entries (logged why) and nothing was stored;
    // Read: currentUrl is empty when the list was read to its end (or to a known entry
    // in latest-only mode), else the list page it stopped at. A later page's failure raises.
    TListOutcome ReadEntryList(TEntryParser &parser, const QString &top, QString &currentUrl,
                               TCodePageId codePage, const TFetchControl &control,
                               const std::function<void()> &wait,
                               const std::function<void(const QString &, const TParsedEntry &)> &store);
    // The sentence that names the blog type the top page looks like, when it is not the
    // chosen one; empty otherwise.
    QString WrongBlogTypeHint(const QString &top) const;
    // Why a list page is not newest first, or the empty text.
    static QString CheckOrder(const QList<TParsedEntry> &entries);
    // Why the list's newest entry differs from the top page's newest (recent, when the
    // top page names one) or from what its own page gives; the empty text when it does not.
    QString CheckAgainstPage(TEntryParser &parser, const TParsedEntry &listed, const QString &recent,
                             TCodePageId codePage, const TFetchControl &control,
                             const std::function<void()> &wait);

    TLdbDb &FDb;
    TBlogConfig FBlogConfig;
    QString FBlogUrl;
    bool FNewEntryOnly;
    TDownloadHost &FHost;
};
