#include "cli/Tclicommands.h"

#include "cli/Tcliproject.h"
#include "store/Tldbdb.h"

#include <algorithm>

namespace {
int CommandComment(TCliContext &context)
{
    const QStringList positional = context.Arguments();
    TCliProject &project = context.Project();
    TEntryList entries = project.Db().LoadEntries();
    const auto entry = std::find_if(entries.begin(), entries.end(), [&positional](const TEntry &entry) {
        return entry.GetUrl() == positional.at(1);
    });
    if (entry == entries.end())
        throw EUsageError(QStringLiteral("このURLのエントリーはプロジェクトにありません: ") + positional.at(1));
    entry->SetComment(positional.at(2));
    project.Db().SaveComment(*entry);
    project.Save();
    return ExitOk;
}
} // namespace

TCliCommand CommentCommand()
{
    return {
        .Name = QStringLiteral("comment"),
        .Description = QStringLiteral("エントリーのコメントを設定して保存します"),
        .Arguments = {QStringLiteral("PROJECT"), QStringLiteral("URL"), QStringLiteral("TEXT")},
        .Help = QStringLiteral("URL のエントリーのコメントを TEXT にして、プロジェクトを保存します。\n"
                               "空の TEXT はコメントを消します。\n"
                               "Sets the comment of the entry with that URL and saves the project; an empty TEXT\n"
                               "removes the comment."),
        .Project = TProjectUse::Change,
        .Run = CommandComment,
    };
}
