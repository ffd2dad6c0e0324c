#include "cli/Tclicommands.h"

#include "cli/Tcliproject.h"
#include "retrieval/Tblogdetect.h"

#include <QDir>
#include <QFileInfo>

namespace {
int CommandNew(TCliContext &context)
{
    const QString fileName = AbsolutePath(context.Arguments().at(0));
    const QString url = context.Value(QStringLiteral("url"));
    if (QFileInfo::exists(fileName))
        throw EUsageError(QStringLiteral("ファイルが既にあります: ") + QDir::toNativeSeparators(fileName));
    THtmlTemplate htmlTemplate;
    if (context.IsSet(QStringLiteral("template"))) {
        htmlTemplate = FindTemplate(context.Value(QStringLiteral("template")));
    } else {
        TTemplateManager manager;
        manager.Load();
        if (!manager.GetTemplates().isEmpty())
            htmlTemplate = manager.GetTemplates().first();
    }
    // A bad argument is named before the network is asked.
    TBlogConfig blogConfig;
    if (context.IsSet(QStringLiteral("blog-type"))) {
        blogConfig = FindBlogConfig(context.Value(QStringLiteral("blog-type")));
    } else {
        const QList<TBlogDetection> detections = DetectBlogTypeOfUrl(url);
        const TBlogDetection *best = BestDetection(detections);
        if (!best)
            throw EVarnokiError(QStringLiteral("ブログの種類を判別できませんでした。--blog-type で指定してください。"));
        blogConfig = best->Config;
        PrintOut(QStringLiteral("ブログの種類: ") + DetectionText(*best));
    }

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
             .Help = QStringLiteral("ブログの種類 (blog-types の名前)。省略するとトップページを一度取得して判別します。\n"
                                    "The blog type (a name that blog-types lists); without it the top page is fetched\n"
                                    "once and the best match taken.")},
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
