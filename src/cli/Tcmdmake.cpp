#include "cli/Tclicommands.h"

#include "cli/Tcliproject.h"
#include "cli/Tconsolehost.h"
#include "output/Tmakehtml.h"
#include "platform/Tappdirs.h"

#include <QDir>
#include <QFileInfo>

namespace {
int CommandMake(TCliContext &context)
{
    bool validTimeout = false;
    const int timeout = context.Value(QStringLiteral("timeout")).toInt(&validTimeout);
    if (!validTimeout || timeout <= 0 || timeout > 24 * 3600)
        throw EUsageError(QStringLiteral("--timeout には 1 以上の秒数を指定してください: ")
                          + context.Value(QStringLiteral("timeout")));
    const QStringList positional = context.Arguments();
    TCliProject &project = context.Project();
    const TProject &model = project.Project();
    const THtmlTemplate htmlTemplate = FindTemplate(model.GetHtmlTemplateName());
    // The template's program runs in its own folder, so a relative path would land there.
    const QString htmlPath = AbsolutePath(positional.at(1));
    if (!QFileInfo(QFileInfo(htmlPath).absolutePath()).isDir())
        throw EUsageError(QStringLiteral("HTMLファイルのフォルダーがありません: ")
                          + QDir::toNativeSeparators(QFileInfo(htmlPath).absolutePath()));
    // Made all the same: the name is the user's, but a browser would show a Markdown
    // file named .html as a broken page.
    const QString note = TemplateExtensionNote(htmlTemplate, htmlPath);
    if (!note.isEmpty())
        PrintErr(note);
    const QString emptyDb = GetDbDir() + QStringLiteral("html.mdb");
    const QStringList lines = TemplateConfigLines(htmlTemplate, model.GetHtmlValues());

    if (!context.IsSet(QStringLiteral("wait"))) {
        MakeHtmlDetached(project.Db(), emptyDb, lines, htmlTemplate, htmlPath);
        return ExitOk;
    }
    std::unique_ptr<TTemplateRun> run;
    try {
        run = MakeHtml(project.Db(), emptyDb, lines, htmlTemplate, htmlPath, true);
    } catch (const EVarnokiError &error) {
        PrintErr(OneLine(error.Message()));
        return ExitFailed;
    }
    TConsoleHost host;
    if (!run->Wait(timeout * 1000, [&host] { return host.IsCancelled(); })) {
        if (host.IsCancelled()) {
            PrintErr(QStringLiteral("キャンセルしました。テンプレートのプログラムを終了させました。"));
            return ExitCancelled;
        }
        PrintErr(QStringLiteral("テンプレートのプログラムが %1 秒以内に終わらなかったため終了させました: %2")
                     .arg(timeout)
                     .arg(QDir::toNativeSeparators(htmlTemplate.GetExePath())));
        return ExitFailed;
    }
    if (run->Succeeded())
        return ExitOk;
    PrintErr(OneLine(run->Failure()));
    return run->ExitCode() > 0 ? run->ExitCode() : ExitFailed;
}
} // namespace

TCliCommand MakeCommand()
{
    return {
        .Name = QStringLiteral("make"),
        .Description = QStringLiteral("HTMLファイルを作成します"),
        .Arguments = {QStringLiteral("PROJECT"), QStringLiteral("HTMLFILE")},
        .Options = {
            {.Name = QStringLiteral("wait"),
             .Help = QStringLiteral("プログラムの終了を待ち、その終了コードを返します。\n"
                                    "Waits for the program and exits with its exit status.")},
            {.Name = QStringLiteral("timeout"), .ValueName = QStringLiteral("SECONDS"), .Default = QStringLiteral("300"),
             .Help = QStringLiteral("--wait のとき、この秒数を過ぎるか Ctrl+C で、プログラムを終了させます。\n"
                                    "With --wait, the program is ended after this many seconds, or by Ctrl+C.")},
        },
        .Help = QStringLiteral("プロジェクトのHTMLテンプレートのプログラムで HTMLFILE を作成します。\n"
                               "Exports the project and starts its template's program to write HTMLFILE."),
        .Project = TProjectUse::Read,
        .Cancellable = true,
        .Run = CommandMake,
    };
}
