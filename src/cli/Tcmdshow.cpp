#include "cli/Tclicommands.h"

#include "cli/Tcliproject.h"

namespace {
int CommandShow(TCliContext &context)
{
    const TProject &model = context.Project().Project();
    auto line = [](const QStringList &fields) {
        QStringList escaped;
        for (const QString &field : fields)
            escaped.append(EscapeField(field));
        PrintOut(escaped.join(QLatin1Char('\t')));
    };
    line({QStringLiteral("blog-type"), model.GetBlogTypeName()});
    line({QStringLiteral("url"), model.GetEntryUrl()});
    line({QStringLiteral("template"), model.GetHtmlTemplateName()});
    for (int i = 0; i < model.GetCategoryCount(); ++i) {
        const TCategoryData category = model.GetCategory(i);
        line({QStringLiteral("category"), category.GetName(), category.GetUrl()});
    }
    const THtmlValues values = model.GetHtmlValues();
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        line({QStringLiteral("value"), it.key(), it.value()});
    return ExitOk;
}
} // namespace

TCliCommand ShowCommand()
{
    return {
        .Name = QStringLiteral("show"),
        .Description = QStringLiteral("プロジェクトの設定を表示します"),
        .Arguments = {QStringLiteral("PROJECT")},
        .Help = QStringLiteral("プロジェクトの設定を1行に1つ、タブ区切りで表示します:\n"
                               "  blog-type<TAB>名前、url<TAB>URL、template<TAB>名前、\n"
                               "  category<TAB>名前<TAB>URL (カテゴリーごと)、value<TAB>項目<TAB>値 (設定項目ごと)\n"
                               "Shows the settings, one per line, tab-separated as above."),
        .Project = TProjectUse::Read,
        .Run = CommandShow,
    };
}
