#include "cli/Tclicommands.h"

#include "output/Ttemplatemanager.h"

namespace {
int CommandTemplates(TCliContext &)
{
    TTemplateManager manager;
    manager.Load();
    for (const THtmlTemplate &htmlTemplate : manager.GetTemplates())
        PrintOut(EscapeField(htmlTemplate.GetName()) + QLatin1Char('\t')
                 + EscapeField(htmlTemplate.GetConfigNames().join(QLatin1Char(','))));
    return ExitOk;
}
} // namespace

TCliCommand TemplatesCommand()
{
    return {
        .Name = QStringLiteral("templates"),
        .Description = QStringLiteral("HTMLテンプレートの一覧 (名前<TAB>設定項目)"),
        .Help = QStringLiteral("インストールされているHTMLテンプレートを1行に1つ、名前<TAB>設定項目(\",\"区切り)の形で表示します。\n"
                               "Lists the installed templates: name, TAB, configuration items joined by \",\"."),
        .Run = CommandTemplates,
    };
}
