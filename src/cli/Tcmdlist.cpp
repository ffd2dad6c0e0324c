#include "cli/Tclicommands.h"

#include "cli/Tcliproject.h"
#include "platform/Tdatetime.h"
#include "store/Tcommatext.h"
#include "store/Tldbdb.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
int CommandList(TCliContext &context)
{
    const QString format = context.Value(QStringLiteral("format"));
    if (format != QLatin1String("tsv") && format != QLatin1String("json"))
        throw EUsageError(QStringLiteral("--format には tsv か json を指定してください: ") + format);

    TCliProject &project = context.Project();
    const TEntryList entries = project.Db().LoadEntries();
    const TCategoryMap categories = project.Db().LoadCategories();
    auto dateText = [](const TEntry &entry) {
        return DateTimeToQDateTime(entry.GetCreatedOn()).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    };

    if (format == QLatin1String("json")) {
        QJsonArray array;
        for (const TEntry &entry : entries) {
            array.append(QJsonObject{
                {QStringLiteral("id"), entry.GetId()},
                {QStringLiteral("url"), entry.GetUrl()},
                {QStringLiteral("date"), dateText(entry)},
                {QStringLiteral("title"), entry.GetTitle()},
                {QStringLiteral("categories"), CategoryCommaText(entry, categories)},
                {QStringLiteral("comment"), entry.GetComment()},
            });
        }
        // JSON escapes C0 controls itself; DEL and C1 may stand raw, so escape them too.
        WriteOut(JsonTerminalSafe(QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented))).toUtf8());
        return ExitOk;
    }

    QByteArray text;
    for (const TEntry &entry : entries) {
        const QStringList fields = {QString::number(entry.GetId()), entry.GetUrl(), dateText(entry),
                                    entry.GetTitle(), CategoryCommaText(entry, categories),
                                    entry.GetComment()};
        QStringList escaped;
        for (const QString &field : fields)
            escaped.append(EscapeField(field));
        text += escaped.join(QLatin1Char('\t')).toUtf8() + '\n';
    }
    WriteOut(text);
    return ExitOk;
}
} // namespace

TCliCommand ListCommand()
{
    return {
        .Name = QStringLiteral("list"),
        .Description = QStringLiteral("エントリーの一覧を表示します"),
        .Arguments = {QStringLiteral("PROJECT")},
        .Options = {
            {.Name = QStringLiteral("format"), .ValueName = QStringLiteral("tsv|json"), .Default = QStringLiteral("tsv"),
             .Help = QStringLiteral("出力の形式。\nThe output format.")},
        },
        .Help = QStringLiteral("エントリーを読み込み順に表示します: id、url、date (yyyy-mm-dd hh:mm:ss)、title、\n"
                               "categories (\",\"区切り)、comment。\n"
                               "tsv (既定): 1行に1エントリー、タブ区切り。タブ、改行、\\ は \\t、\\n、\\r、\\\\ と書きます。\n"
                               "json: 上の名前をキーとするオブジェクトの配列。\n"
                               "Lists the entries in load order. tsv (default): one line per entry, tabs between\n"
                               "fields, tab, line breaks and backslash escaped. json: an array of objects."),
        .Project = TProjectUse::Read,
        .Run = CommandList,
    };
}
