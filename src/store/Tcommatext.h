#pragma once

#include "store/Tcategory.h"
#include "store/Tentry.h"

#include <QStringList>

// Joins texts with ",", enclosing in double quotes (inner quotes doubled) every text
// that holds a space, a control character, a comma or a double quote.
QString JoinCommaText(const QStringList &items);

// The names of the entry's categories as comma text, in the entry's order. Names are
// trimmed of spaces and control characters and left out when nothing remains, so the
// placeholder category (a single space) and ids without a category add nothing.
QString CategoryCommaText(const TEntry &entry, const TCategoryMap &categories);
