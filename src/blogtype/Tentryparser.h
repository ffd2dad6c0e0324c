#pragma once

#include "blogtype/Tblogconfig.h"
#include "blogtype/Tscriptcontroller.h"

#include <QString>

#include <memory>

// What one entry page yields: its date text, its title and the next page to visit.
struct TParsedEntry
{
    QString date;
    QString title;
    QString nextUrl;
    QString url; // from an entry list: the entry's own URL
};

// The text without the control characters and spaces (up to U+0020) at its ends, as
// every value a script returns is read.
QString TrimControl(const QString &text);

// The entries of an entry list's lines (URL TAB title TAB date, one per line), trimmed;
// raises EVarnokiError at a line of another shape.
QList<TParsedEntry> ParseEntryListLines(const QString &text);

// Reads a blog's top page and entry pages through the blog type's script functions
// GetRecentEntry, GetDate, GetTitle and GetNextUrl. A script error raises
// EVarnokiError with the controller's "line,column:description" message.
class TEntryParser
{
public:
    explicit TEntryParser(
        std::chrono::milliseconds timeLimit = TScriptController::DefaultTimeLimit);
    ~TEntryParser();
    TEntryParser(const TEntryParser &) = delete;
    TEntryParser &operator=(const TEntryParser &) = delete;

    void Initialize(const QString &language, const QString &script, const QList<TScriptSource> &helpers = {});
    // The blog type's script with the helpers it gets (ReadHelperScripts); raises when
    // the script file cannot be read.
    void Initialize(const TBlogConfig &config);
    // See TScriptController::GetLoadWarning.
    QString GetLoadWarning() const;

    // The blog's name as its top page gives it (og:site_name, else <title>), read with
    // the shared helpers; empty when the page names none or the script has no helpers.
    QString GetBlogName(const QString &topPage);
    QString GetRecentEntry(const QString &page);
    QString GetDate(const QString &page);
    QString GetTitle(const QString &page);
    QString GetNextUrl(const QString &page);
    TParsedEntry Parse(const QString &page);

    // The entry lists a blog type may read (GetEntryListUrl, GetEntryList,
    // GetNextEntryListUrl), each given the page and the URL it came from.
    bool HasEntryList();
    QString GetEntryListUrl(const QString &topPage, const QString &topUrl);
    // One entry of each line "URL TAB title TAB date", newest first; a line that does
    // not have all three parts raises.
    QList<TParsedEntry> GetEntryList(const QString &page, const QString &url);
    QString GetNextEntryListUrl(const QString &page, const QString &url);

    bool HasError() const;
    QString GetErrorMessage() const;

private:
    QString Call(const QString &functionName, const QString &page);
    QString Call(const QString &functionName, const QString &page, const QString &url);

    std::unique_ptr<TScriptController> FScriptController;
};
