// Start-up placeholder until the main window exists: creates a new project the way
// the program does and tells where its working copy is.
#include "platform/Tappdirs.h"
#include "platform/Tapptitle.h"
#include "platform/Varnokierror.h"
#include "store/Tldbdb.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(GetApplicationTitle());
    QTextStream out(stdout);
    try {
        TLdbDb db;
        db.CreateFromEmpty(GetDbDir() + QStringLiteral("VARNOKI.FDB"));
        out << "新しいプロジェクトを作成しました: " << db.GetWorkFileName() << Qt::endl;
    } catch (const EVarnokiError &error) {
        QTextStream(stderr) << error.Message() << Qt::endl;
        return 1;
    }
    return 0;
}
