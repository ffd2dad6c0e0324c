#include "blogtype/Tcategoryparser.h"

#include "blogtype/Tentryparser.h"
#include "platform/Varnokierror.h"

namespace {

// Lines end at LF, CR or CR LF; a break at the very end starts no further line.
QStringList SplitLines(const QString &text)
{
    QStringList lines;
    qsizetype pos = 0;
    while (pos < text.size()) {
        qsizetype end = pos;
        while (end < text.size() && text[end] != u'\n' && text[end] != u'\r')
            ++end;
        lines.append(text.mid(pos, end - pos));
        if (end < text.size() && text[end] == u'\r' && end + 1 < text.size()
            && text[end + 1] == u'\n')
            ++end;
        pos = end + 1;
    }
    return lines;
}

} // namespace

TCategoryParser::TCategoryParser(std::chrono::milliseconds timeLimit)
    : FScriptController(std::make_unique<TScriptController>(timeLimit))
{
}

TCategoryParser::~TCategoryParser() = default;

void TCategoryParser::Initialize(const QString &language, const QString &script, const QList<TScriptSource> &helpers)
{
    FScriptController->Initialize(language, script, helpers);
}

void TCategoryParser::Initialize(const TBlogConfig &config)
{
    Initialize(config.GetLanguage(), ReadBlogTypeScript(config), ReadHelperScripts(config));
}

QString TCategoryParser::GetLoadWarning() const
{
    return FScriptController->GetLoadWarning();
}

QStringList TCategoryParser::GetEntryUrl(const QString &page)
{
    return SplitLines(FScriptController->CallFunction(QStringLiteral("GetEntryUrl"), page));
}

QString TCategoryParser::GetNextCategoryUrl(const QString &page)
{
    return FScriptController->CallFunction(QStringLiteral("GetNextCategoryUrl"), page);
}

bool TCategoryParser::HasCategoryList()
{
    return FScriptController->HasFunction(QStringLiteral("GetCategoryListUrl"))
        && FScriptController->HasFunction(QStringLiteral("GetEntryList"))
        && FScriptController->HasFunction(QStringLiteral("GetNextEntryListUrl"));
}

QString TCategoryParser::Call(const QString &functionName, const QString &page, const QString &url)
{
    const QString result = FScriptController->CallFunction(functionName, page, url);
    if (FScriptController->HasError())
        throw EVarnokiError(FScriptController->GetErrorMessage());
    return result;
}

QString TCategoryParser::GetCategoryListUrl(const QString &page, const QString &url)
{
    return TrimControl(Call(QStringLiteral("GetCategoryListUrl"), page, url));
}

QStringList TCategoryParser::GetEntryListUrls(const QString &page, const QString &url)
{
    QStringList urls;
    for (const TParsedEntry &entry : ParseEntryListLines(Call(QStringLiteral("GetEntryList"), page, url)))
        urls.append(entry.url);
    return urls;
}

QString TCategoryParser::GetNextEntryListUrl(const QString &page, const QString &url)
{
    return TrimControl(Call(QStringLiteral("GetNextEntryListUrl"), page, url));
}

bool TCategoryParser::HasError() const
{
    return FScriptController->HasError();
}

QString TCategoryParser::GetErrorMessage() const
{
    return FScriptController->GetErrorMessage();
}
