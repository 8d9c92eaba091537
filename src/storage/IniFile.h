#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <vector>

// A settings file of sections and key=value lines, kept as its own lines so that a rewrite
// leaves everything it does not own untouched (unknown keys, comments, blank lines).
// Section and key names compare without regard to case; values are bytes, read back exactly.
class IniFile {
public:
    // Files larger than this are refused rather than read into memory.
    static constexpr qint64 MaxFileSize = 4 * 1024 * 1024;

    IniFile() = default;

    // Parses file contents. Lines may end in CR LF or LF.
    static IniFile parse(const QByteArray& contents);

    // Reads a file; a missing file gives an empty document. False when it cannot be read.
    static bool load(const QString& path, IniFile& out, QString* error = nullptr);

    // The value of a key, empty when the key or section is absent.
    QByteArray value(const QByteArray& section, const QByteArray& key) const;

    // Sets a key, creating the section and key when absent. Values may not hold line breaks.
    // Returns false (and changes nothing) for such a value.
    bool setValue(const QByteArray& section, const QByteArray& key, const QByteArray& value);

    QByteArray toBytes() const;

    // Writes the whole file to a new file and renames it over the old one, so that a crash or
    // a full disk leaves either the old or the new file, never a part of one.
    bool save(const QString& path, QString* error = nullptr) const;

private:
    struct Line {
        QByteArray text;  // the line as it stands in the file, without its line end
        enum Kind { Other, Section, Key } kind = Other;
        qsizetype nameFrom = 0;    // the section's or the key's (trimmed) name within text
        qsizetype nameLength = 0;
        qsizetype valueFrom = 0;   // a key line's value: everything after the first '='
        QByteArrayView name() const { return QByteArrayView(text).sliced(nameFrom, nameLength); }
    };

    static Line classify(const QByteArray& text);
    // Adds a line at the end.
    void append(Line line);
    // Index of the header line of a section, or -1.
    int findSection(const QByteArray& section) const;
    // Index of a key line within the section that starts at header, or -1.
    int findKey(int header, const QByteArray& key) const;
    // One past the last line of the section that starts at header.
    int sectionEnd(int header) const;

    std::vector<Line> m_lines;
    std::vector<int> m_headers;  // the section header lines' indices, in order: a lookup passes only them
    QByteArray m_lineEnd = QByteArrayLiteral("\r\n");
};
