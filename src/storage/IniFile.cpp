#include "storage/IniFile.h"

#include "platform/AtomicFile.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

// Names of another length are told apart without comparing letters: a lookup passes every
// section header, and every key of its section.
bool sameName(QByteArrayView a, QByteArrayView b)
{
    return a.size() == b.size() && a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

IniFile::Line IniFile::classify(const QByteArray& text)
{
    Line line{text};
    const QByteArrayView view(text);
    const QByteArrayView trimmed = view.trimmed();
    if (trimmed.isEmpty() || trimmed.front() == ';' || trimmed.front() == '#')
        return line;
    // Names are kept as their place in the text: one allocation a line, however long the file.
    const auto name = [&](QByteArrayView part) {
        line.nameFrom = part.isEmpty() ? 0 : part.data() - view.data();
        line.nameLength = part.size();
    };
    if (trimmed.front() == '[') {
        const qsizetype close = trimmed.indexOf(']');
        if (close > 0) {
            line.kind = Line::Section;
            name(trimmed.sliced(1, close - 1).trimmed());
        }
        return line;
    }
    const qsizetype eq = text.indexOf('=');
    if (eq > 0) {
        line.kind = Line::Key;
        name(view.first(eq).trimmed());
        line.valueFrom = eq + 1;
    }
    return line;
}

IniFile IniFile::parse(const QByteArray& contents)
{
    IniFile ini;
    if (contents.isEmpty())
        return ini;
    const qsizetype firstLf = contents.indexOf('\n');
    ini.m_lineEnd = (firstLf > 0 && contents.at(firstLf - 1) == '\r') || firstLf < 0
        ? QByteArrayLiteral("\r\n")
        : QByteArrayLiteral("\n");

    ini.m_lines.reserve(static_cast<std::size_t>(contents.count('\n')) + 1);
    qsizetype start = 0;
    while (start < contents.size()) {
        qsizetype end = contents.indexOf('\n', start);
        if (end < 0)
            end = contents.size();
        QByteArray text = contents.mid(start, end - start);
        // Every carriage return before the line feed belongs to the line end: a value can never
        // hold one, and a stray one would otherwise change meaning when the file is rewritten.
        while (text.endsWith('\r'))
            text.chop(1);
        ini.append(classify(text));
        start = end + 1;
    }
    return ini;
}

bool IniFile::load(const QString& path, IniFile& out, QString* error)
{
    QFile file(path);
    // QFileInfo, not QFile: a symbolic link to a file not there yet is no file either.
    if (!QFileInfo::exists(path)) {
        out = IniFile();
        return true;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    if (file.size() > MaxFileSize) {
        if (error)
            *error = QStringLiteral("file is larger than %1 bytes").arg(MaxFileSize);
        return false;
    }
    const QByteArray contents = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return false;
    }
    out = parse(contents);
    return true;
}

void IniFile::append(Line line)
{
    if (line.kind == Line::Section)
        m_headers.push_back(static_cast<int>(m_lines.size()));
    m_lines.push_back(std::move(line));
}

int IniFile::findSection(const QByteArray& section) const
{
    for (const int header : m_headers)
        if (sameName(m_lines[static_cast<std::size_t>(header)].name(), section))
            return header;
    return -1;
}

int IniFile::sectionEnd(int header) const
{
    const auto next = std::upper_bound(m_headers.begin(), m_headers.end(), header);
    return next == m_headers.end() ? static_cast<int>(m_lines.size()) : *next;
}

int IniFile::findKey(int header, const QByteArray& key) const
{
    const int end = sectionEnd(header);
    for (int i = header + 1; i < end; ++i)
        if (const Line& line = m_lines[static_cast<std::size_t>(i)]; line.kind == Line::Key && sameName(line.name(), key))
            return i;
    return -1;
}

QByteArray IniFile::value(const QByteArray& section, const QByteArray& key) const
{
    const int header = findSection(section);
    if (header < 0)
        return {};
    const int at = findKey(header, key);
    if (at < 0)
        return {};
    const Line& line = m_lines[static_cast<std::size_t>(at)];
    return line.text.mid(line.valueFrom);
}

bool IniFile::setValue(const QByteArray& section, const QByteArray& key, const QByteArray& value)
{
    if (value.contains('\r') || value.contains('\n'))
        return false;

    int header = findSection(section);
    if (header < 0) {
        if (!m_lines.empty() && !QByteArrayView(m_lines.back().text).trimmed().isEmpty())
            append(classify({}));
        append(classify('[' + section + ']'));
        header = static_cast<int>(m_lines.size()) - 1;
    }

    const int at = findKey(header, key);
    if (at >= 0) {
        // Keep the key's own spelling and position; replace only what follows '='.
        Line& line = m_lines[static_cast<std::size_t>(at)];
        line.text = line.text.left(line.valueFrom) + value;
        return true;
    }

    // New key: after the section's last non-blank line.
    int insertAt = sectionEnd(header);
    while (insertAt - 1 > header && QByteArrayView(m_lines[static_cast<std::size_t>(insertAt - 1)].text).trimmed().isEmpty())
        --insertAt;
    m_lines.insert(m_lines.begin() + insertAt, classify(key + '=' + value));
    for (int& later : m_headers)
        if (later >= insertAt)
            ++later;
    return true;
}

QByteArray IniFile::toBytes() const
{
    qsizetype size = 0;
    for (const Line& line : m_lines)
        size += line.text.size() + m_lineEnd.size();
    QByteArray out;
    out.reserve(size);
    for (const Line& line : m_lines)
        out.append(line.text).append(m_lineEnd);
    return out;
}

bool IniFile::save(const QString& path, QString* error) const
{
    // The settings file holds passwords: a new one is its owner's only.
    return WriteFileAtomically(path, toBytes(), error, NewFileAccess::OwnerOnly);
}
