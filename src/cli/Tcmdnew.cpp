#include "cli/Tclicommands.h"

#include "cli/Tcliproject.h"

#include <QDir>
#include <QFileInfo>

namespace {
int CommandNew(TCliContext &context)
{
    const QString fileName = AbsolutePath(context.Arguments().at(0));
    const TBlogConfig blogConfig = FindBlogConfig(context.Value(QStringLiteral("blog-type")));
    const QString url = context.Value(QStringLiteral("url"));
    THtmlTemplate htmlTemplate;
    if (context.IsSet(QStringLiteral("template"))) {
        htmlTemplate = FindTemplate(context.Value(QStringLiteral("template")));
    } else {
        TTemplateManager manager;
        manager.Load();
        if (!manager.GetTemplates().isEmpty())
            htmlTemplate = manager.GetTemplates().first();
    }
    if (QFileInfo::exists(fileName))
        throw EUsageError(QStringLiteral("ファイルが既にあります: ") + QDir::toNativeSeparators(fileName));

    TCliProject project;
    project.CreateNew();
    TProject &model = project.Project();
    model.SetBlogTypeName(blogConfig.GetName());
    model.SetEntryUrl(url);
    model.SetHtmlTemplateName(htmlTemplate.GetName());
    model.SetHtmlValues(EmptyTemplateValues(htmlTemplate));
    project.Save(fileName);
    return ExitOk;
}
} // namespace

TCliCommand NewCommand()
{
    return {
        .Name = QStringLiteral("new"),
        .Description = QStringLiteral("新しいプロジェクトファイルを作成します"),
        .Arguments = {QStringLiteral("PROJECT")},
        .Options = {
            {.Name = QStringLiteral("blog-type"), .ValueName = QStringLiteral("NAME"),
             .Help = QStringLiteral("ブログの種類 (blog-types の名前)。\nThe blog type (a name that blog-types lists)."),
             .Required = true},
            {.Name = QStringLiteral("url"), .ValueName = QStringLiteral("URL"),
             .Help = QStringLiteral("ブログのURL。\nThe blog's URL."), .Required = true},
            {.Name = QStringLiteral("template"), .ValueName = QStringLiteral("NAME"),
             .Help = QStringLiteral("省略すると最初のHTMLテンプレートを使います。\n"
                                    "Without it the first installed template is taken.")},
        },
        .Help = QStringLiteral("新しいプロジェクトファイル PROJECT を作成します。既にあるファイルは上書きしません。\n"
                               "設定項目の値は空で始まります。\n"
                               "Creates a new project file (never over an existing file). The template's items start\n"
                               "with empty values."),
        .Run = CommandNew,
    };
}
