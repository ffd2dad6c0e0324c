#include "cli/Tclicommands.h"
#include "cli/Tconsolehost.h"
#include "platform/Tapptitle.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    // Before any thread starts, so that every thread inherits it.
    HoldStopSignals();
    QCoreApplication app(argc, argv);
    // The window program's name, so that both read the same settings file.
    QCoreApplication::setApplicationName(GetApplicationTitle());
    QCoreApplication::setApplicationVersion(QStringLiteral(VARNOKI_VERSION));
    return RunCli(QCoreApplication::arguments().mid(1));
}
