#include "cli/Tclicommands.h"

#include "cli/Tcliproject.h"
#include "cli/Tconsolehost.h"
#include "retrieval/Tentrydownload.h"

namespace {
int CommandEntries(TCliContext &context)
{
    TCliProject &project = context.Project();
    const TBlogConfig blogConfig = FindBlogConfig(project.Project().GetBlogTypeName());
    const bool latestOnly = context.IsSet(QStringLiteral("latest-only"));
    return RunJobAndSave(project, [&](TConsoleHost &host) {
        host.SetAllowShrink(context.IsSet(QStringLiteral("allow-shrink")));
        TEntryDownloadJob job(project.Db(), blogConfig, project.Project().GetEntryUrl(), latestOnly, host);
        return job.RunDownload();
    });
}
} // namespace

TCliCommand EntriesCommand()
{
    return {
        .Name = QStringLiteral("entries"),
        .Description = QStringLiteral("エントリーを取得して保存します"),
        .Arguments = {QStringLiteral("PROJECT")},
        .Options = {
            {.Name = QStringLiteral("latest-only"),
             .Help = QStringLiteral("最新記事のみ (保存済みのエントリーに出会ったところで止めます)。\n"
                                    "Stops at the first known entry.")},
            {.Name = QStringLiteral("allow-shrink"),
             .Help = QStringLiteral("取得したエントリーがこれまでの半分に満たなくても一覧を置き換えます。\n"
                                    "Replaces the list even when the download found fewer than half of the held entries.")},
        },
        .Help = QStringLiteral("ブログにアクセスしてエントリーのURLとタイトルを取得し、プロジェクトを保存します。\n"
                               "Ctrl+C でキャンセルすると、それまでに取得した内容を保存して終わります。\n"
                               "Downloads the blog's entries and saves the project. Ctrl+C cancels and saves what\n"
                               "was downloaded."),
        .Project = TProjectUse::Change,
        .Cancellable = true,
        .Run = CommandEntries,
    };
}
