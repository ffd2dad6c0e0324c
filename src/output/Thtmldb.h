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

// The blog's name as its entry titles show it: the part after the last separator
// (" - ", " | ", "｜" and the like) when every title (two at least) ends with the same
// one, as blogs whose page titles carry the blog's name do. Empty otherwise.
QString BlogNameFromTitles(const QStringList &titles);
