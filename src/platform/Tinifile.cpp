#include "platform/Tinifile.h"

#include "platform/Ticonv.h"
#include "platform/Tfileutility.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <limits>

namespace {
QString Trim(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 32)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 32)
        --end;
    return text.mid(begin, end - begin);
}

QString Fold(const QString &name)
{
    return name.toCaseFolded();
}

bool IsSectionLine(const QString &trimmed)
{
    return trimmed.size() >= 2 && trimmed.startsWith(QLatin1Char('['))
           && trimmed.endsWith(QLatin1Char(']'));
}

QString DecodeUtf16(QStringConverter::Encoding encoding, const QByteArray &bytes)
{
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    return decoder(bytes);
}
} // namespace

QString TIniFile::DecodeText(const QByteArray &bytes, TEncoding *encoding)
{
    TEncoding found;
    QString text;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        found = TEncoding::Utf8Bom;
        text = QString::fromUtf8(bytes.mid(3));
    } else if (bytes.startsWith("\xFF\xFE")) {
        found = TEncoding::Utf16LE;
        text = DecodeUtf16(QStringConverter::Utf16LE, bytes.mid(2));
    } else if (bytes.startsWith("\xFE\xFF")) {
        found = TEncoding::Utf16BE;
        text = DecodeUtf16(QStringConverter::Utf16BE, bytes.mid(2));
    } else {
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        text = utf8(bytes);
        found = TEncoding::Utf8;
        if (utf8.hasError()) {
            found = TEncoding::Cp932;
            text = IconvDecode(bytes, "CP932");
        }
    }
    if (encoding)
        *encoding = found;
    return text;
}

TIniFile::TLoadResult TIniFile::LoadFromFile(const QString &fileName, QString *errorMessage)
{
    LoadFromBytes(QByteArray());
    auto unreadable = [errorMessage](const QString &why) {
        if (errorMessage)
            *errorMessage = why;
        return TLoadResult::Unreadable;
    };

    const QFileInfo info(fileName);
    if (!info.exists())
        return info.isSymLink() ? unreadable(QStringLiteral("リンク先のないシンボリックリンクです。"))
                                : TLoadResult::Missing;
    // Opening a named pipe or a device could block or never end.
    if (!info.isFile())
        return unreadable(QStringLiteral("通常のファイルではありません。"));
    if (info.size() > MaxFileSize)
        return unreadable(QStringLiteral("ファイルが大きすぎます。"));

    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return unreadable(file.errorString());
    const QByteArray bytes = file.read(MaxFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        return unreadable(file.errorString());
    if (bytes.size() > MaxFileSize)
        return unreadable(QStringLiteral("ファイルが大きすぎます。"));
    LoadFromBytes(bytes);
    return TLoadResult::Loaded;
}

void TIniFile::LoadFromBytes(const QByteArray &bytes)
{
    const QString text = DecodeText(bytes, &FEncoding);
    FLines.clear();
    FLineBreak = QStringLiteral("\n");
    bool breakSeen = false;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\n') && c != QLatin1Char('\r'))
            continue;
        FLines.append(text.mid(start, i - start));
        const bool crlf = c == QLatin1Char('\r') && i + 1 < text.size()
                          && text.at(i + 1) == QLatin1Char('\n');
        if (!breakSeen) {
            FLineBreak = crlf ? QStringLiteral("\r\n") : QString(c);
            breakSeen = true;
        }
        if (crlf)
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        FLines.append(text.mid(start));
    Index();
}

void TIniFile::Index()
{
    FSections.clear();
    TSection *current = nullptr;
    for (int i = 0; i < FLines.size(); ++i) {
        const QString line = Trim(FLines.at(i));
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (IsSectionLine(line)) {
            if (current)
                current->end = i;
            // A repeated section starts afresh: only its last occurrence is seen.
            current = &FSections[Fold(Trim(line.mid(1, line.size() - 2)))];
            *current = TSection();
            current->header = i;
            continue;
        }
        if (!current)
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        TKeyLine key{i, Trim(line.left(equals)), Trim(line.mid(equals + 1))};
        current->lastKey.insert(Fold(key.key), int(current->keys.size()));
        current->keys.push_back(std::move(key));
    }
    if (current)
        current->end = int(FLines.size());
}

bool TIniFile::SectionExists(const QString &section) const
{
    return FSections.contains(Fold(section));
}

const TIniFile::TKeyLine *TIniFile::FindKey(const QString &section, const QString &key) const
{
    const auto s = FSections.constFind(Fold(section));
    if (s == FSections.constEnd())
        return nullptr;
    const auto k = s->lastKey.constFind(Fold(key));
    return k == s->lastKey.constEnd() ? nullptr : &s->keys.at(size_t(*k));
}

QString TIniFile::ReadString(const QString &section, const QString &key,
                             const QString &defaultValue) const
{
    const TKeyLine *found = FindKey(section, key);
    return found ? found->value : defaultValue;
}

bool TIniFile::ParseInteger(const QString &text, int *value)
{
    QStringView digits(text);
    bool negative = false;
    if (digits.startsWith(QLatin1Char('+')) || digits.startsWith(QLatin1Char('-'))) {
        negative = digits.front() == QLatin1Char('-');
        digits = digits.mid(1);
    }
    const bool hex = digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
    if (hex)
        digits = digits.mid(2);
    // Hexadecimal spells the 32 bits, so 0xFFFFFFFF is -1; decimal must fit as it is.
    const quint64 limit = hex ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    if (digits.isEmpty())
        return false;
    quint64 magnitude = 0;
    for (const QChar c : digits) {
        const char16_t u = c.unicode();
        int digit;
        if (u >= u'0' && u <= u'9')
            digit = u - u'0';
        else if (hex && u >= u'a' && u <= u'f')
            digit = u - u'a' + 10;
        else if (hex && u >= u'A' && u <= u'F')
            digit = u - u'A' + 10;
        else
            return false;
        magnitude = magnitude * (hex ? 16 : 10) + quint64(digit);
        if (magnitude > limit)
            return false;
    }
    qint64 result = hex ? qint64(qint32(quint32(magnitude))) : qint64(magnitude);
    if (negative)
        result = -result;
    if (result < std::numeric_limits<int>::min() || result > std::numeric_limits<int>::max())
        return false;
    *value = int(result);
    return true;
}

int TIniFile::ReadInteger(const QString &section, const QString &key, int defaultValue) const
{
    int value = 0;
    const TKeyLine *found = FindKey(section, key);
    return found && ParseInteger(found->value, &value) ? value : defaultValue;
}

bool TIniFile::ReadBool(const QString &section, const QString &key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

QStringList TIniFile::ReadSection(const QString &section) const
{
    QStringList names;
    const auto s = FSections.constFind(Fold(section));
    if (s == FSections.constEnd())
        return names;
    QSet<QString> seen;
    for (const TKeyLine &key : s->keys) {
        const QString folded = Fold(key.key);
        if (!seen.contains(folded)) {
            seen.insert(folded);
            names.append(key.key);
        }
    }
    return names;
}

void TIniFile::WriteString(const QString &section, const QString &key, const QString &value)
{
    QString clean = value;
    clean.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));

    const auto s = FSections.constFind(Fold(section));
    if (s == FSections.constEnd()) {
        if (!FLines.isEmpty() && !Trim(FLines.last()).isEmpty())
            FLines.append(QString());
        FLines.append(QLatin1Char('[') + section + QLatin1Char(']'));
        FLines.append(key + QLatin1Char('=') + clean);
    } else if (const TKeyLine *found = FindKey(section, key)) {
        FLines[found->line] = found->key + QLatin1Char('=') + clean;
    } else {
        // After the section's last line that is not blank, so blank separators stay.
        int at = s->header + 1;
        for (int i = s->end - 1; i > s->header; --i) {
            if (!Trim(FLines.at(i)).isEmpty()) {
                at = i + 1;
                break;
            }
        }
        FLines.insert(at, key + QLatin1Char('=') + clean);
    }
    Index();
}

void TIniFile::WriteInteger(const QString &section, const QString &key, int value)
{
    WriteString(section, key, QString::number(value));
}

void TIniFile::WriteBool(const QString &section, const QString &key, bool value)
{
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

QByteArray TIniFile::ToBytes() const
{
    QString text = FLines.join(FLineBreak);
    if (!FLines.isEmpty())
        text += FLineBreak;
    switch (FEncoding) {
    case TEncoding::Utf16LE:
    case TEncoding::Utf16BE: {
        QStringEncoder encoder(FEncoding == TEncoding::Utf16LE ? QStringConverter::Utf16LE
                                                               : QStringConverter::Utf16BE,
                               QStringConverter::Flag::WriteBom);
        return encoder(text);
    }
    case TEncoding::Utf8Bom:
        return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    case TEncoding::Utf8:
    case TEncoding::Cp932:
        break;
    }
    return text.toUtf8();
}

bool TIniFile::SaveToFile(const QString &fileName, QString *errorMessage) const
{
    return WriteFileAtomically(fileName, ToBytes(), errorMessage);
}

QString IniRelativePath(const QString &directory, const QString &relative)
{
    QString path = directory;
    if (!path.isEmpty() && !path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    QString tail = relative;
    tail.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return path + tail;
}

bool ResolvesInside(const QString &path, const QStringList &folders)
{
    const QString real = QFileInfo(path).canonicalFilePath();
    if (real.isEmpty())
        return false;
    return std::any_of(folders.cbegin(), folders.cend(), [&real](const QString &folder) {
        const QString realFolder = QFileInfo(folder).canonicalFilePath();
        return !realFolder.isEmpty() && real.startsWith(realFolder + (realFolder.endsWith(u'/') ? QString() : QStringLiteral("/")));
    });
}

QStringList DefinitionFolders(const QString &iniPath)
{
    const QFileInfo info(iniPath);
    return {info.absolutePath(), QFileInfo(info.canonicalFilePath()).absolutePath()};
}

QStringList ListFilesByName(const QString &folder, bool includeHidden)
{
    QDir::Filters filters = QDir::Files | QDir::NoDotAndDotDot;
    if (includeHidden)
        filters |= QDir::Hidden;
    const QDir dir(folder);
    QStringList names = dir.entryList(filters, QDir::Unsorted);
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
    QStringList paths;
    for (const QString &name : names) {
        if (!includeHidden && name.startsWith(QLatin1Char('.')))
            continue;
        const QString path = dir.filePath(name);
        if (QFileInfo(path).isFile())
            paths.append(path);
    }
    return paths;
}
