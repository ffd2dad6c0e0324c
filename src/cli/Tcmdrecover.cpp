#include "cli/Tclicommands.h"

#include "cli/Tcliproject.h"

#include <QDir>

#include <algorithm>

namespace {
int CommandRecover(TCliContext &context)
{
    const QList<TUnsavedWork> found = FindUnsavedWork();
    if (context.Arguments().isEmpty()) {
        for (const TUnsavedWork &work : found)
            PrintOut(EscapeField(work.WorkFileName) + QLatin1Char('\t')
                     + work.LastChange.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QLatin1Char('\t')
                     + EscapeField(work.ProjectFileName));
        return ExitOk;
    }
    const QString fileName = AbsolutePath(context.Arguments().at(0));
    const auto work = std::find_if(found.cbegin(), found.cend(), [&fileName](const TUnsavedWork &work) {
        return work.ProjectFileName == fileName;
    });
    if (work == found.cend())
        throw EUsageError(QStringLiteral("このプロジェクトの保存されていない作業内容はありません: ")
                          + QDir::toNativeSeparators(fileName));
    if (context.IsSet(QStringLiteral("discard"))) {
        DiscardUnsavedWork(*work);
        return ExitOk;
    }
    TCliProject project;
    project.Restore(*work);
    project.Save();
    return ExitOk;
}
} // namespace

TCliCommand RecoverCommand()
{
    return {
        .Name = QStringLiteral("recover"),
        .Description = QStringLiteral("保存されずに終わった作業内容を一覧・復元します"),
        .Arguments = {QStringLiteral("[PROJECT]")},
        .Options = {
            {.Name = QStringLiteral("discard"),
             .Help = QStringLiteral("PROJECT の作業内容を復元せずに削除します。\nRemoves PROJECT's unsaved work instead.")},
        },
        .Help = QStringLiteral("保存されずに終わった作業内容 (異常終了やシグナルで終わったときのもの) を一覧します。\n"
                               "PROJECT を指定すると、そのプロジェクトの最新の作業内容で PROJECT を保存し直します。\n"
                               "Lists unsaved work left by runs that ended without saving; with PROJECT, saves its\n"
                               "newest unsaved work into PROJECT."),
        .Run = CommandRecover,
    };
}
