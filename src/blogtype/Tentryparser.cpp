#include "blogtype/Tentryparser.h"

#include "platform/Varnokierror.h"

// Only characters up to U+0020 go; an ideographic space is part of the title.
QString TrimControl(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 0x20)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 0x20)
        --end;
    return text.mid(begin, end - begin);
}

QList<TParsedEntry> ParseEntryListLines(const QString &text)
{
    QList<TParsedEntry> entries;
    for (const QStringView line : QStringView(text).split(u'\n', Qt::SkipEmptyParts)) {
        const QList<QStringView> parts = line.split(u'\t');
        if (parts.size() != 3 || TrimControl(parts[0].toString()).isEmpty())
            throw EVarnokiError(QStringLiteral("GetEntryList の行が「URL タブ タイトル タブ 日付」の形ではありません: ")
                                + line.toString());
        TParsedEntry entry;
        entry.date = TrimControl(parts[2].toString());
        entry.title = TrimControl(parts[1].toString());
        entry.url = TrimControl(parts[0].toString());
        entries.append(entry);
    }
    return entries;
}

TEntryParser::TEntryParser(std::chrono::milliseconds timeLimit)
    : FScriptController(std::make_unique<TScriptController>(timeLimit))
{
}

TEntryParser::~TEntryParser() = default;

void TEntryParser::Initialize(const QString &language, const QString &script, const QList<TScriptSource> &helpers)
{
    FScriptController->Initialize(language, script, helpers);
}

void TEntryParser::Initialize(const TBlogConfig &config)
{
    Initialize(config.GetLanguage(), ReadBlogTypeScript(config), ReadHelperScripts(config));
}

QString TEntryParser::GetLoadWarning() const
{
    return FScriptController->GetLoadWarning();
}

QString TEntryParser::Call(const QString &functionName, const QString &page)
{
    const QString result = FScriptController->CallFunction(functionName, page);
    if (FScriptController->HasError())
        throw EVarnokiError(FScriptController->GetErrorMessage());
    return result;
}

QString TEntryParser::GetBlogName(const QString &topPage)
{
    const QString name = FScriptController->CallFunction(
        QStringLiteral("(function (page) { if (typeof HtmlDoc !== 'function') return ''; var doc = HtmlDoc(page);"
                       " return MetaContent(doc, 'og:site_name') || TextOf(doc, 'title'); })"),
        topPage);
    return FScriptController->HasError() ? QString() : TrimControl(name);
}

QString TEntryParser::Call(const QString &functionName, const QString &page, const QString &url)
{
    const QString result = FScriptController->CallFunction(functionName, page, url);
    if (FScriptController->HasError())
        throw EVarnokiError(FScriptController->GetErrorMessage());
    return result;
}

QString TEntryParser::GetRecentEntry(const QString &page)
{
    return Call(QStringLiteral("GetRecentEntry"), page);
}

QString TEntryParser::GetDate(const QString &page)
{
    return Call(QStringLiteral("GetDate"), page);
}

QString TEntryParser::GetTitle(const QString &page)
{
    return TrimControl(Call(QStringLiteral("GetTitle"), page));
}

QString TEntryParser::GetNextUrl(const QString &page)
{
    return Call(QStringLiteral("GetNextUrl"), page);
}

TParsedEntry TEntryParser::Parse(const QString &page)
{
    TParsedEntry entry;
    entry.date = GetDate(page);
    entry.title = GetTitle(page);
    entry.nextUrl = GetNextUrl(page);
    return entry;
}

bool TEntryParser::HasEntryList()
{
    return FScriptController->HasFunction(QStringLiteral("GetEntryListUrl"))
        && FScriptController->HasFunction(QStringLiteral("GetEntryList"))
        && FScriptController->HasFunction(QStringLiteral("GetNextEntryListUrl"));
}

QString TEntryParser::GetEntryListUrl(const QString &topPage, const QString &topUrl)
{
    return TrimControl(Call(QStringLiteral("GetEntryListUrl"), topPage, topUrl));
}

QList<TParsedEntry> TEntryParser::GetEntryList(const QString &page, const QString &url)
{
    return ParseEntryListLines(Call(QStringLiteral("GetEntryList"), page, url));
}

QString TEntryParser::GetNextEntryListUrl(const QString &page, const QString &url)
{
    return TrimControl(Call(QStringLiteral("GetNextEntryListUrl"), page, url));
}

bool TEntryParser::HasError() const
{
    return FScriptController->HasError();
}

QString TEntryParser::GetErrorMessage() const
{
    return FScriptController->GetErrorMessage();
}
