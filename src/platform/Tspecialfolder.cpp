#include "platform/Tspecialfolder.h"

#include "platform/Varnokierror.h"

#include <QStandardPaths>

QString GetSpecialFolderPath(int kind)
{
    if (kind < 0 || kind > 29)
        throw EVarnokiError(QStringLiteral("指定されたコードが見つかりません。"));

    QStandardPaths::StandardLocation location;
    switch (kind) {
    case 1: location = QStandardPaths::GenericConfigLocation; break;
    case 11:
    case 12: location = QStandardPaths::DesktopLocation; break;
    case 15: location = QStandardPaths::FontsLocation; break;
    case 18: location = QStandardPaths::GenericCacheLocation; break;
    case 21: location = QStandardPaths::DocumentsLocation; break;
    case 24: location = QStandardPaths::ApplicationsLocation; break;
    default: return QString(); // no Linux counterpart
    }
    return QStandardPaths::writableLocation(location);
}
