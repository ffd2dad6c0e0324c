#include "platform/Tfileutility.h"

#include "platform/Varnokierror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

QString GetTempDirectory()
{
    const QString path = QDir::tempPath();
    if (path.isEmpty() || !QFileInfo(path).isDir())
        throw EVarnokiError(QStringLiteral("Cannot get temporary direcotry."));
    return QDir::toNativeSeparators(path.endsWith(QLatin1Char('/')) ? path
                                                                   : path + QLatin1Char('/'));
}

QString GetPrivateTempDirectory()
{
    const QString path = GetTempDirectory() + QStringLiteral("varnoki-") + QString::number(::getuid());
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        throw EVarnokiError(QStringLiteral("作業用フォルダーを作成できません: %1\n%2")
                                .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    // Working copies are the user's projects: a folder someone else made in the shared
    // temporary folder, or one others may enter, is not used.
    struct stat info = {};
    if (::lstat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid())
        throw EVarnokiError(QStringLiteral("作業用フォルダーが他のユーザーのものであるため使えません: %1")
                                .arg(path));
    if ((info.st_mode & 0077) != 0 && ::chmod(native.constData(), 0700) != 0)
        throw EVarnokiError(QStringLiteral("作業用フォルダーを自分だけのものにできません: %1").arg(path));
    return path + QLatin1Char('/');
}

QString CreateTempFile(const QString &folder, const QString &prefix)
{
    QString dir = folder.isEmpty() ? GetPrivateTempDirectory() : folder;
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    // Names are tried until one can be created exclusively, as the Windows service does.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const quint32 number = QRandomGenerator::global()->bounded(1u, 0xFFFFFFFFu);
        const QString path = dir + prefix + QString::number(number, 16).toUpper()
                             + QStringLiteral(".tmp");
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFile::ReadOwner | QFile::WriteOwner))
            return path;
        if (file.exists())
            continue;
        break;
    }
    throw EVarnokiError(QStringLiteral("一時ファイルの作成に失敗しました。"));
}

QString CreateTempFile()
{
    return CreateTempFile(QString(), QString());
}

QStringList MakeDoubleNullList(const QStringList &paths)
{
    QStringList taken;
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (info.isDir()) {
            QString trimmed = path;
            while (trimmed.size() > 1 && trimmed.endsWith(QLatin1Char('/')))
                trimmed.chop(1);
            taken << trimmed;
        } else if (info.exists()) {
            taken << path;
        }
    }
    return taken;
}

bool WriteFileAtomically(const QString &path, const QByteArray &data, QString *errorMessage)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        if (errorMessage)
            *errorMessage = file.errorString();
        return false;
    }
    return true;
}

bool ReplaceFileWithCopy(const QString &source, const QString &target, QString *errorMessage)
{
    auto fail = [errorMessage](const QString &why) {
        if (errorMessage)
            *errorMessage = why;
        return false;
    };
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return fail(in.errorString());
    QSaveFile out(target);
    // Unbuffered, so that a failing write reports the system's reason at once.
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(out.errorString());
    QByteArray buffer;
    while (!in.atEnd()) {
        buffer = in.read(1 << 20);
        if (buffer.isEmpty() && in.error() != QFileDevice::NoError)
            break;
        if (out.write(buffer) != buffer.size()) {
            // Cancelling replaces the system's reason with its own.
            const int error = errno;
            const QString why = error != 0 ? QString::fromLocal8Bit(std::strerror(error)) : out.errorString();
            out.cancelWriting();
            return fail(why);
        }
    }
    if (in.error() != QFileDevice::NoError) {
        out.cancelWriting();
        return fail(in.errorString());
    }
    if (!out.commit())
        return fail(out.errorString());
    return true;
}

namespace {
bool CopyTree(const QString &source, const QString &target)
{
    const QFileInfo info(source);
    if (!info.isDir())
        return ReplaceFileWithCopy(source, target, nullptr);
    if (!QDir().mkpath(target))
        return false;
    const QDir dir(source);
    const auto names = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        if (!CopyTree(dir.filePath(name), target + QLatin1Char('/') + name))
            return false;
    }
    return true;
}
} // namespace

bool CopyFilesTo(const QStringList &sources, const QString &destination, bool /*showProgress*/)
{
    const QStringList taken = MakeDoubleNullList(sources);
    if (taken.isEmpty())
        return false;
    const bool intoFolder = QFileInfo(destination).isDir();
    bool ok = true;
    for (const QString &source : taken) {
        const QString target = intoFolder
                                   ? QDir(destination).filePath(QFileInfo(source).fileName())
                                   : destination;
        ok = CopyTree(source, target) && ok;
    }
    return ok;
}

bool CopyFileTo(const QString &source, const QString &destination, bool showProgress)
{
    return CopyFilesTo(QStringList{source}, destination, showProgress);
}
