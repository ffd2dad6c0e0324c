#include "cli/Tclicommands.h"

#include "cli/Tcliproject.h"
#include "cli/Tconsolehost.h"
#include "retrieval/Tcategorydownload.h"

namespace {
int CommandCategories(TCliContext &context)
{
    TCliProject &project = context.Project();
    const TProject &model = project.Project();
    const TBlogConfig blogConfig = FindBlogConfig(model.GetBlogTypeName());
    QList<TCategoryData> categories;
    for (int i = 0; i < model.GetCategoryCount(); ++i)
        categories.append(model.GetCategory(i));
    return RunJobAndSave(project, [&](TConsoleHost &host) {
        TCategoryDownloadJob job(project.Db(), blogConfig, categories, host);
        return job.RunDownload();
    });
}
} // namespace

TCliCommand CategoriesCommand()
{
    return {
        .Name = QStringLiteral("categories"),
        .Description = QStringLiteral("各カテゴリーのエントリーを取得して保存します"),
        .Arguments = {QStringLiteral("PROJECT")},
        .Help = QStringLiteral("ブログにアクセスして各カテゴリーのエントリーを取得し、プロジェクトを保存します。\n"
                               "Ctrl+C でキャンセルすると、それまでに取得した内容を保存して終わります。\n"
                               "Downloads which entries belong to each category and saves the project.\n"
                               "Ctrl+C cancels and saves what was downloaded."),
        .Project = TProjectUse::Change,
        .Cancellable = true,
        .Run = CommandCategories,
    };
}
