#pragma once

#include <QString>

// The title the program sets at start-up; it also names the settings file.
inline QString GetApplicationTitle()
{
    return QStringLiteral("ブログ目次作成ソフト Varnoki");
}
