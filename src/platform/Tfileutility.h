#pragma once

#include <QString>
#include <QStringList>

// The user's temporary folder, ending with a path delimiter.
QString GetTempDirectory();

// The user's own folder in the temporary folder (mode 0700), made on first use, ending
// with a path delimiter. Raises when another user owns it.
QString GetPrivateTempDirectory();

// Creates a new, empty file (mode 0600) named prefix + hexadecimal number + ".tmp" in
// folder (the private temporary folder when folder is empty) and returns its full path.
QString CreateTempFile(const QString &folder, const QString &prefix);
QString CreateTempFile();

// The sources that exist, folders without a trailing delimiter, in order.
QStringList MakeDoubleNullList(const QStringList &paths);

// Quiet copy: every existing source is copied onto destination (or into it when it is
// a folder), replacing what is there. Each file is written beside its target and
// renamed over it, so a failed copy leaves the target as it was. showProgress is
// accepted for its callers' sake; nothing is ever shown.
bool CopyFilesTo(const QStringList &sources, const QString &destination, bool showProgress);
bool CopyFileTo(const QString &source, const QString &destination, bool showProgress);

// Replaces target with a copy of source through a temporary file in the target's
// folder. On failure the target is untouched and errorMessage says why.
bool ReplaceFileWithCopy(const QString &source, const QString &target, QString *errorMessage);

// Writes data to path through a temporary file in the same folder, then renames it
// over path.
bool WriteFileAtomically(const QString &path, const QByteArray &data, QString *errorMessage);
