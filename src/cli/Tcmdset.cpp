#include "cli/Tclicommands.h"

#include "cli/Tcliproject.h"
#include "cli/Tconsolehost.h"
#include "platform/Tappconfig.h"
#include "retrieval/Tblogcategories.h"
#include "retrieval/Thttputility.h"

#include <algorithm>

namespace {
// "NAME=VALUE" split at the first "=".
QPair<QString, QString> SplitAssignment(const QString &text, const QString &option)
{
    const qsizetype equals = text.indexOf(QLatin1Char('='));
    if (equals <= 0)
        throw EUsageError(QStringLiteral("--%1 は 名前=値 の形で指定してください: %2").arg(option, text));
    return {text.left(equals), text.mid(equals + 1)};
}

int CommandSet(TCliContext &context)
{
    TCliProject &project = context.Project();
    TProject &model = project.Project();

    // A bad argument throws before the save, so the file keeps what it held.
    if (context.IsSet(QStringLiteral("blog-type")))
        model.SetBlogTypeName(FindBlogConfig(context.Value(QStringLiteral("blog-type"))).GetName());
    if (context.IsSet(QStringLiteral("url")))
        model.SetEntryUrl(context.Value(QStringLiteral("url")));
    if (context.IsSet(QStringLiteral("template"))) {
        const THtmlTemplate htmlTemplate = FindTemplate(context.Value(QStringLiteral("template")));
        if (htmlTemplate.GetName() != model.GetHtmlTemplateName()) {
            model.SetHtmlTemplateName(htmlTemplate.GetName());
            model.SetHtmlValues(EmptyTemplateValues(htmlTemplate));
        }
    }

    QList<QPair<QString, QString>> categories;
    for (const QString &text : context.Values(QStringLiteral("category"))) {
        const auto category = SplitAssignment(text, QStringLiteral("category"));
        // A category without a URL would not come back when the project is opened.
        if (category.second.isEmpty())
            throw EUsageError(QStringLiteral("カテゴリーのURLがありません: ") + text);
        categories.append(category);
    }
    if (context.IsSet(QStringLiteral("clear-categories")))
        model.ClearCategories();
    for (const auto &category : categories)
        model.AddCategory(category.first, category.second);
    if (context.IsSet(QStringLiteral("categories-from-blog"))) {
        // After the URL and blog type of this same command line.
        if (model.GetEntryUrl().trimmed().isEmpty())
            throw EUsageError(QStringLiteral("ブログのトップページのURLがありません。--url で指定してください。"));
        const TBlogConfig blogConfig = FindBlogConfig(model.GetBlogTypeName());
        TAppConfig::GetInstance().Load(TAppConfig::GetIniFileName());
        TConsoleHost host;
        const QList<TCategoryData> found = ReadBlogCategories(blogConfig, model.GetEntryUrl(), MakeFetchControl(host));
        QList<TCategoryData> merged;
        for (int i = 0; i < model.GetCategoryCount(); ++i)
            merged.append(model.GetCategory(i));
        const int added = MergeCategories(merged, found);
        model.ClearCategories();
        for (const TCategoryData &category : merged)
            model.AddCategory(category.GetName(), category.GetUrl());
        for (const TCategoryData &category : found)
            PrintOut(EscapeField(category.GetName()) + QLatin1Char('\t') + EscapeField(category.GetUrl()));
        PrintOut(CategoriesAddedText(int(found.size()), added));
    }

    const QStringList valueTexts = context.Values(QStringLiteral("value"));
    if (!valueTexts.isEmpty()) {
        const THtmlTemplate htmlTemplate = FindTemplate(model.GetHtmlTemplateName());
        THtmlValues values = model.GetHtmlValues();
        for (const QString &text : valueTexts) {
            const auto value = SplitAssignment(text, QStringLiteral("value"));
            const QStringList &names = htmlTemplate.GetConfigNames();
            const auto name = std::find_if(names.cbegin(), names.cend(), [&value](const QString &name) {
                return name.compare(value.first, Qt::CaseInsensitive) == 0;
            });
            if (name == names.cend())
                throw EUsageError(QStringLiteral("HTMLテンプレート「%1」にない設定項目です: %2")
                                      .arg(htmlTemplate.GetName(), value.first));
            values.insert(*name, value.second);
        }
        model.SetHtmlValues(values);
    }

    project.Save();
    return ExitOk;
}
} // namespace

TCliCommand SetCommand()
{
    return {
        .Name = QStringLiteral("set"),
        .Description = QStringLiteral("プロジェクトの設定を変更して保存します"),
        .Arguments = {QStringLiteral("PROJECT")},
        .Options = {
            {.Name = QStringLiteral("blog-type"), .ValueName = QStringLiteral("NAME"),
             .Help = QStringLiteral("ブログの種類 (blog-types の名前)。\nThe blog type (a name that blog-types lists).")},
            {.Name = QStringLiteral("url"), .ValueName = QStringLiteral("URL"),
             .Help = QStringLiteral("ブログのURL。\nThe blog's URL.")},
            {.Name = QStringLiteral("template"), .ValueName = QStringLiteral("NAME"),
             .Help = QStringLiteral("テンプレートを変えると設定項目の値は空に戻ります。\n"
                                    "A new template starts with empty values.")},
            {.Name = QStringLiteral("clear-categories"),
             .Help = QStringLiteral("カテゴリーを空にしてから --category を順に追加します。\n"
                                    "Categories are appended after an optional --clear-categories.")},
            {.Name = QStringLiteral("category"), .ValueName = QStringLiteral("NAME=URL"),
             .Help = QStringLiteral("カテゴリーを追加します。\nAppends a category."), .Repeatable = true},
            {.Name = QStringLiteral("categories-from-blog"),
             .Help = QStringLiteral("ブログのトップページ (または API) からカテゴリーを読み込み、まだないもの (URL で比べます) を\n"
                                    "最後に追加します。\n"
                                    "Reads the blog's own category list and appends those not there yet (by URL).")},
            {.Name = QStringLiteral("value"), .ValueName = QStringLiteral("KEY=VALUE"),
             .Help = QStringLiteral("テンプレートの設定項目に値を設定します。\nSets an item of the project's template."),
             .Repeatable = true},
        },
        .Help = QStringLiteral("プロジェクトの設定を変更して保存します。\n"
                               "NAME=URL、KEY=VALUE は最初の \"=\" で分けます。\n"
                               "Changes the project's settings and saves it. NAME=URL and KEY=VALUE are split at the\n"
                               "first \"=\"."),
        .Project = TProjectUse::Change,
        .Run = CommandSet,
    };
}
