#pragma once

#include "blogtype/Tblogconfig.h"

#include <QList>
#include <QString>

#include <memory>
#include <vector>

struct TFetchControl;

// How sure one blog type is that a page belongs to its blog service.
struct TBlogDetection
{
    TBlogConfig Config;
    int Score = 0; // 0 (no clue) to 100
    QString Reason;
};

class TScriptController;

// Every blog type's script, loaded once (which costs more than a detection, so that a
// fetch can run meanwhile), then asked about pages.
class TBlogDetector
{
public:
    explicit TBlogDetector(const TBlogConfigList &configs);
    ~TBlogDetector();
    TBlogDetector(const TBlogDetector &) = delete;
    TBlogDetector &operator=(const TBlogDetector &) = delete;

    // See DetectBlogTypes.
    QList<TBlogDetection> Detect(const QString &page, const QString &url, const QString &headers = QString());

private:
    struct TLoaded;
    std::vector<std::unique_ptr<TLoaded>> FLoaded;
};

// Asks every blog type's DetectBlog (the default one of the shared helpers, or the
// script's own) about the page that came from url (empty for a file) with those
// response header lines; best first, equal scores in the list's order. A blog type
// without the function, or whose script fails, scores 0 and says why.
QList<TBlogDetection> DetectBlogTypes(const TBlogConfigList &configs, const QString &page, const QString &url,
                                      const QString &headers = QString());

// Fetches the top page once and detects; a page that cannot be fetched raises with the
// reason in the program's words.
QList<TBlogDetection> FetchAndDetectBlogTypes(const TBlogConfigList &configs, const QString &url,
                                              const TFetchControl &control);

// The best detection when it names a blog type at all (a score above 0), else null.
const TBlogDetection *BestDetection(const QList<TBlogDetection> &detections);

// "はてなブログ: hatenablog.com のページです"
QString DetectionText(const TBlogDetection &detection);
