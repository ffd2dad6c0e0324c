#pragma once

#include "blogtype/Tblogconfig.h"
#include "blogtype/Tscriptcontroller.h"

#include <QString>
#include <QStringList>

#include <memory>

// Reads a blog's category pages through the blog type's script functions GetEntryUrl
// and GetNextCategoryUrl. Script errors stay in the controller: the caller tests
// HasError after each call.
class TCategoryParser
{
public:
    explicit TCategoryParser(
        std::chrono::milliseconds timeLimit = TScriptController::DefaultTimeLimit);
    ~TCategoryParser();
    TCategoryParser(const TCategoryParser &) = delete;
    TCategoryParser &operator=(const TCategoryParser &) = delete;

    void Initialize(const QString &language, const QString &script, const QList<TScriptSource> &helpers = {});
    // The blog type's script with the helpers it gets (ReadHelperScripts); raises when
    // the script file cannot be read.
    void Initialize(const TBlogConfig &config);
    // See TScriptController::GetLoadWarning.
    QString GetLoadWarning() const;

    // The entry URLs of the page, one per line of the script's result, untrimmed.
    QStringList GetEntryUrl(const QString &page);
    QString GetNextCategoryUrl(const QString &page);

    // A category may be read by an entry list instead of its pages: GetCategoryListUrl
    // names the list from the category's first page, read with the entry list functions.
    // These raise EVarnokiError at a script error.
    bool HasCategoryList();
    QString GetCategoryListUrl(const QString &page, const QString &url);
    QStringList GetEntryListUrls(const QString &page, const QString &url);
    QString GetNextEntryListUrl(const QString &page, const QString &url);

    bool HasError() const;
    QString GetErrorMessage() const;

private:
    QString Call(const QString &functionName, const QString &page, const QString &url);

    std::unique_ptr<TScriptController> FScriptController;
};
