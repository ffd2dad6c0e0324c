#pragma once

#include "platform/Tdatetime.h"

#include <QString>
#include <QStringList>

class TLdbDb;

// Exports the project into a fresh copy of the empty output database emptyDbPath and
// returns the copy's path, a file in the temporary folder. configLines are the
// template's values as "name=value", in editor order. The copy is complete when this
// returns; after a failure no copy is left behind.
QString CreateHtmlDb(TLdbDb &db, const QString &emptyDbPath, const QStringList &configLines);

// The form in which the output database stores a date-time: "yyyy-MM-dd HH:mm:ss",
// followed by ".zzz" only when there are milliseconds.
QString HtmlDbDateText(TDateTime dateTime);
