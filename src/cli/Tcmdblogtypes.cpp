#include "cli/Tclicommands.h"

#include "blogtype/Tblogconfig.h"
#include "platform/Tappdirs.h"

#include <QDir>
#include <QFileInfo>

namespace {
int CommandBlogTypes(TCliContext &context)
{
    const bool verbose = context.IsSet(QStringLiteral("verbose"));
    TBlogConfigManager manager;
    manager.Load();
    for (const QString &warning : manager.GetWarnings())
        PrintErr(warning);
    for (const TBlogConfig &config : manager.GetBlogConfigs()) {
        QString line = EscapeField(config.GetName()) + QLatin1Char('\t') + EscapeField(config.GetSimpleText());
        if (verbose) {
            line += QLatin1Char('\t') + EscapeField(QDir::toNativeSeparators(config.GetDirectory()));
            // The download refuses such a blog type; say so before anyone picks it.
            if (!QFileInfo(config.GetScriptPath()).isFile())
                line += QStringLiteral("\t（スクリプトがありません: ")
                        + EscapeField(QDir::toNativeSeparators(config.GetScriptPath())) + QStringLiteral("）");
        }
        PrintOut(line);
    }
    return ExitOk;
}
} // namespace

TCliCommand BlogTypesCommand()
{
    return {
        .Name = QStringLiteral("blog-types"),
        .Description = QStringLiteral("ブログの種類の一覧 (名前<TAB>説明)"),
        .Options = {
            {.Name = QStringLiteral("verbose"),
             .Help = QStringLiteral("3列目に読み込んだフォルダーを加えます (自分のフォルダー %1 が先です)。"
                                    "スクリプトのないものには4列目でそう示します。\n"
                                    "Adds the folder each comes from (the user's own folder first), and marks one whose "
                                    "script is missing.")
                         .arg(QDir::toNativeSeparators(GetUserBlogDir()))},
        },
        .Help = QStringLiteral("インストールされているブログの種類を1行に1つ、名前<TAB>説明の形で表示します。\n"
                               "Lists the installed blog types: name, TAB, description."),
        .Run = CommandBlogTypes,
    };
}
