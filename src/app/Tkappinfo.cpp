#include "app/Tkappinfo.h"

#include "platform/Tapptitle.h"

QString TkAppInfo::GetValue(int kind) const
{
    switch (kind) {
    case 2:
    case 9: return GetApplicationTitle();
    case 3:
    case 10: return QStringLiteral(VARNOKI_VERSION);
    case 5: return QStringLiteral(VARNOKI_COPYRIGHT);
    case 7: return QStringLiteral("varnoki");
    default: return QString();
    }
}
