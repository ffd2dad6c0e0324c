#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

// An INI file held in memory, read by the rules that blog types, templates and the
// settings file share: decoded by byte-order mark (UTF-8 when the bytes are valid
// UTF-8, else CP932, without one); lines trimmed of characters up to 32; ";"
// comments; section and key names matched without regard to case; the last of
// repeated sections or keys counts; a present but empty value is the empty text.
// Writing changes only the lines it must, so comments and other sections survive.
class TIniFile
{
public:
    enum class TLoadResult { Loaded, Missing, Unreadable };
    enum class TEncoding { Utf8, Utf8Bom, Utf16LE, Utf16BE, Cp932 };

    // Anything larger is not an INI file (a template folder also holds programs).
    static constexpr qint64 MaxFileSize = 4 * 1024 * 1024;

    TIniFile() = default;
    // Reads fileName; a file that is missing or cannot be read reads as empty.
    explicit TIniFile(const QString &fileName) { LoadFromFile(fileName); }

    // Missing: nothing at fileName. Unreadable: something is there but it is not a
    // regular file, cannot be opened or read, or is larger than MaxFileSize. In both
    // cases the image is left empty.
    TLoadResult LoadFromFile(const QString &fileName, QString *errorMessage = nullptr);
    void LoadFromBytes(const QByteArray &bytes);

    static QString DecodeText(const QByteArray &bytes, TEncoding *encoding = nullptr);

    bool SectionExists(const QString &section) const;
    QString ReadString(const QString &section, const QString &key,
                       const QString &defaultValue) const;
    // Decimal, or hexadecimal after 0x or 0X; anything else yields defaultValue.
    int ReadInteger(const QString &section, const QString &key, int defaultValue) const;
    // Any integer but 0 is true.
    bool ReadBool(const QString &section, const QString &key, bool defaultValue) const;
    // The key names of a section, in file order, each once.
    QStringList ReadSection(const QString &section) const;

    void WriteString(const QString &section, const QString &key, const QString &value);
    void WriteInteger(const QString &section, const QString &key, int value);
    void WriteBool(const QString &section, const QString &key, bool value);

    // The image as a file: in the encoding it was read in when that was UTF-16 or
    // UTF-8 with a mark, else UTF-8; with the line breaks it was read with.
    QByteArray ToBytes() const;
    // Replaces fileName atomically with ToBytes().
    bool SaveToFile(const QString &fileName, QString *errorMessage) const;

    static bool ParseInteger(const QString &text, int *value);

private:
    struct TKeyLine
    {
        int line;
        QString key;
        QString value;
    };
    struct TSection
    {
        int header = 0;
        int end = 0; // the line after the section's last line
        std::vector<TKeyLine> keys;
        QHash<QString, int> lastKey; // folded key -> index into keys
    };

    void Index();
    const TKeyLine *FindKey(const QString &section, const QString &key) const;

    QStringList FLines;
    QString FLineBreak = QStringLiteral("\n");
    TEncoding FEncoding = TEncoding::Utf8;
    QHash<QString, TSection> FSections; // folded name -> last occurrence
};

// directory + separator + relative, the separator added only when directory does not
// end with one (nor is empty). Backslashes in relative (files made on Windows) become separators.
QString IniRelativePath(const QString &directory, const QString &relative);

// Whether the file, its links followed, lies within one of the folders (theirs followed
// too): a definition file's "../" or a link out of its folder must not name just any file.
bool ResolvesInside(const QString &path, const QStringList &folders);

// The folders a file named in the definition file iniPath may lie in: the file's folder,
// and where a link to the definition file leads, that folder.
QStringList DefinitionFolders(const QString &iniPath);

// The full paths of the regular files directly in folder, sorted by file name without
// regard to case (then with it). Names starting with "." are left out unless
// includeHidden. A missing folder yields an empty list.
QStringList ListFilesByName(const QString &folder, bool includeHidden);
