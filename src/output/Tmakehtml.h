#pragma once

#include <QString>
#include <QStringList>

class THtmlTemplate;
class TLdbDb;

// The make step without its window: exports the project into a fresh output database
// (a copy of emptyDbPath) and starts the template's program on it with the arguments
// output database, HTML file and program path, in the program's folder. It does not
// wait for the program. Returns the output database's path.
QString MakeHtml(TLdbDb &db, const QString &emptyDbPath, const QStringList &configLines,
                 const THtmlTemplate &htmlTemplate, const QString &htmlPath);

