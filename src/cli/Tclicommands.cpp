#include "cli/Tclicommands.h"

QList<TCliCommand> CliCommands()
{
    // Made on each call: a help text names the user's folder as it is now.
    return {
        BlogTypesCommand(), TemplatesCommand(), NewCommand(),  SetCommand(),
        ShowCommand(),      EntriesCommand(),   CategoriesCommand(), ListCommand(),
        CommentCommand(),   MakeCommand(),      RecoverCommand(), TryCommand(),
        DetectCommand(),
    };
}
