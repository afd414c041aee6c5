#include "platform/IniFile.h"

#include "platform/IntegerText.h"
#include "platform/SafeFileWriter.h"

#include "platform/CodePages.h"

#include <QFile>
#include <QMutex>
#include <QMutexLocker>

#include <vector>

namespace korvane {
namespace {

// Serialises every file access of every IniFile object: parts of the program
// that open the same file on their own must not interleave a rewrite.
QMutex& fileAccessMutex()
{
    static QMutex mutex;
    return mutex;
}

// One line of the file: its text and its own line end ("\r\n", "\n", "\r",
// or nothing for a last line without one).
struct Line {
    QByteArray text;
    QByteArray end;
};

enum class LineKind { Other, Section, Entry };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    QString name;  // section name or key
    QString value; // entry value, blanks trimmed
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }

QByteArray trimmed(const QByteArray& bytes)
{
    qsizetype b = 0;
    qsizetype e = bytes.size();
    while (b < e && isBlank(bytes[b]))
        ++b;
    while (e > b && isBlank(bytes[e - 1]))
        --e;
    return bytes.mid(b, e - b);
}

ParsedLine parse(const Line& line)
{
    ParsedLine out;
    const QByteArray t = trimmed(line.text);
    if (t.isEmpty() || t.startsWith(';'))
        return out;
    if (t.startsWith('[')) {
        const qsizetype close = t.indexOf(']');
        out.kind = LineKind::Section;
        out.name = codepage::fromCp1251(trimmed(t.mid(1, close < 0 ? -1 : close - 1)));
        return out;
    }
    const qsizetype eq = t.indexOf('=');
    if (eq < 0)
        return out;
    out.kind = LineKind::Entry;
    out.name = codepage::fromCp1251(trimmed(t.left(eq)));
    out.value = codepage::fromCp1251(trimmed(t.mid(eq + 1)));
    return out;
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

std::vector<Line> loadLines(const QString& fileName)
{
    std::vector<Line> lines;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return lines;
    const QByteArray all = file.readAll();
    qsizetype pos = 0;
    while (pos < all.size()) {
        qsizetype i = pos;
        while (i < all.size() && all[i] != '\r' && all[i] != '\n')
            ++i;
        Line line;
        line.text = all.mid(pos, i - pos);
        if (i < all.size()) {
            const qsizetype endLen = (all[i] == '\r' && i + 1 < all.size() && all[i + 1] == '\n') ? 2 : 1;
            line.end = all.mid(i, endLen);
            i += endLen;
        }
        lines.push_back(std::move(line));
        pos = i;
    }
    return lines;
}

bool saveLines(const QString& fileName, const std::vector<Line>& lines)
{
    QByteArray all;
    for (const Line& l : lines) {
        all += l.text;
        all += l.end;
    }
    return WriteFileSafely(fileName, all);
}

// Index of the header line of the first section of that name, or -1.
qsizetype findSection(const std::vector<Line>& lines, const QString& section)
{
    for (size_t i = 0; i < lines.size(); ++i) {
        const ParsedLine p = parse(lines[i]);
        if (p.kind == LineKind::Section && sameName(p.name, section))
            return qsizetype(i);
    }
    return -1;
}

// One past the last line that belongs to the section whose header is at index.
qsizetype sectionEnd(const std::vector<Line>& lines, qsizetype header)
{
    qsizetype i = header + 1;
    while (i < qsizetype(lines.size()) && parse(lines[size_t(i)]).kind != LineKind::Section)
        ++i;
    return i;
}

// Index of the first entry of that key inside the section, or -1.
qsizetype findKey(const std::vector<Line>& lines, qsizetype header, const QString& key)
{
    const qsizetype end = sectionEnd(lines, header);
    for (qsizetype i = header + 1; i < end; ++i) {
        const ParsedLine p = parse(lines[size_t(i)]);
        if (p.kind == LineKind::Entry && sameName(p.name, key))
            return i;
    }
    return -1;
}

std::optional<QString> lookUp(const QString& fileName, const QString& section, const QString& key)
{
    const std::vector<Line> lines = loadLines(fileName);
    const qsizetype header = findSection(lines, section);
    if (header < 0)
        return std::nullopt;
    const qsizetype at = findKey(lines, header, key);
    if (at < 0)
        return std::nullopt;
    return parse(lines[size_t(at)]).value;
}

const QByteArray kCrLf = QByteArrayLiteral("\r\n");

// Inserts a line before index, giving the line before it a line end if it
// had none (a last line of the file).
void insertLine(std::vector<Line>& lines, qsizetype index, Line line)
{
    if (index > 0 && lines[size_t(index - 1)].end.isEmpty())
        lines[size_t(index - 1)].end = kCrLf;
    lines.insert(lines.begin() + index, std::move(line));
}

} // namespace

IniFile::IniFile(QString fileName)
    : m_fileName(std::move(fileName))
{
}

QString IniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const
{
    QMutexLocker lock(&fileAccessMutex());
    std::optional<QString> value = lookUp(m_fileName, section, key);
    if (!value)
        return defaultValue;
    QString v = *value;
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    return v;
}

qint32 IniFile::ReadInteger(const QString& section, const QString& key, qint32 defaultValue) const
{
    const QString text = ReadString(section, key, QString());
    return parseSystemInteger(text).value_or(defaultValue);
}

bool IniFile::ReadBool(const QString& section, const QString& key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

bool IniFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    QMutexLocker lock(&fileAccessMutex());
    std::vector<Line> lines = loadLines(m_fileName);
    qsizetype header = findSection(lines, section);
    if (header < 0) {
        const qsizetype at = qsizetype(lines.size());
        insertLine(lines, at, Line{"[" + codepage::toCp1251(section) + "]", kCrLf});
        header = at;
    }
    const qsizetype at = findKey(lines, header, key);
    if (at >= 0) {
        // Keep the key as it is spelt in the file, and the line's own end.
        Line& line = lines[size_t(at)];
        const QByteArray t = line.text;
        line.text = t.left(t.indexOf('=') + 1) + codepage::toCp1251(value);
    } else {
        // After the last entry of the section (blank lines and comments
        // that follow it stay where they are), or right after the header.
        qsizetype insertAt = header + 1;
        const qsizetype end = sectionEnd(lines, header);
        for (qsizetype i = header + 1; i < end; ++i)
            if (parse(lines[size_t(i)]).kind == LineKind::Entry)
                insertAt = i + 1;
        insertLine(lines, insertAt, Line{codepage::toCp1251(key) + "=" + codepage::toCp1251(value), kCrLf});
    }
    return saveLines(m_fileName, lines);
}

bool IniFile::WriteInteger(const QString& section, const QString& key, qint32 value)
{
    return WriteString(section, key, QString::number(value));
}

bool IniFile::WriteBool(const QString& section, const QString& key, bool value)
{
    return WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool IniFile::SectionExists(const QString& section) const
{
    QMutexLocker lock(&fileAccessMutex());
    return findSection(loadLines(m_fileName), section) >= 0;
}

bool IniFile::ValueExists(const QString& section, const QString& key) const
{
    QMutexLocker lock(&fileAccessMutex());
    return lookUp(m_fileName, section, key).has_value();
}

QStringList IniFile::ReadSection(const QString& section) const
{
    QMutexLocker lock(&fileAccessMutex());
    const std::vector<Line> lines = loadLines(m_fileName);
    QStringList keys;
    const qsizetype header = findSection(lines, section);
    if (header < 0)
        return keys;
    const qsizetype end = sectionEnd(lines, header);
    for (qsizetype i = header + 1; i < end; ++i) {
        const ParsedLine p = parse(lines[size_t(i)]);
        if (p.kind == LineKind::Entry)
            keys << p.name;
    }
    return keys;
}

QStringList IniFile::ReadSections() const
{
    QMutexLocker lock(&fileAccessMutex());
    QStringList names;
    for (const Line& l : loadLines(m_fileName)) {
        const ParsedLine p = parse(l);
        if (p.kind == LineKind::Section)
            names << p.name;
    }
    return names;
}

bool IniFile::EraseSection(const QString& section)
{
    QMutexLocker lock(&fileAccessMutex());
    std::vector<Line> lines = loadLines(m_fileName);
    const qsizetype header = findSection(lines, section);
    if (header < 0)
        return true;
    const qsizetype end = sectionEnd(lines, header);
    lines.erase(lines.begin() + header, lines.begin() + end);
    return saveLines(m_fileName, lines);
}

bool IniFile::DeleteKey(const QString& section, const QString& key)
{
    QMutexLocker lock(&fileAccessMutex());
    std::vector<Line> lines = loadLines(m_fileName);
    const qsizetype header = findSection(lines, section);
    if (header < 0)
        return true;
    const qsizetype at = findKey(lines, header, key);
    if (at < 0)
        return true;
    lines.erase(lines.begin() + at);
    return saveLines(m_fileName, lines);
}

} // namespace korvane
