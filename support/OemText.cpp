#include "support/OemText.h"

#include "platform/CodePages.h"
#include "platform/SafeFileWriter.h"
#include "support/FileError.h"

#include <QFile>
#include <QFileInfo>

namespace korvane {
namespace {

OemLines splitLines(const QByteArray& body)
{
    OemLines lines;
    qsizetype start = 0;
    const qsizetype n = body.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = body[i];
        if (c != '\r' && c != '\n')
            continue;
        lines.append(body.mid(start, i - start));
        if (c == '\r' && i + 1 < n && body[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(body.mid(start));
    return lines;
}

OemLines readLines(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError::openFailed(fileName);
    const QByteArray body = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw FileError::readFailed(fileName);
    return splitLines(body);
}

QStringList toText(const OemLines& lines)
{
    QStringList text;
    text.reserve(lines.size());
    for (const QByteArray& line : lines)
        text.append(codepage::fromCp866(line));
    return text;
}

} // namespace

void AnsiToOemShort(QByteArray& s)
{
    s = codepage::cp1251ToCp866(s);
}

void OemToAnsiStr(QByteArray& s)
{
    s = codepage::cp866ToCp1251(s);
}

void OemToAnsiShort(QByteArray& s)
{
    OemToAnsiStr(s);
}

QString OemToAnsi(QByteArrayView s)
{
    const qsizetype nul = s.indexOf('\0');
    return codepage::fromCp866(nul < 0 ? s : s.first(nul));
}

QByteArray AnsiToOem(QStringView s)
{
    return codepage::toCp866(s);
}

void LoadOemStrings(const QString& fileName, OemLines& temp, QStringList& dest)
{
    OemLines lines = readLines(fileName);
    QStringList text = toText(lines);
    temp = std::move(lines);
    dest = std::move(text);
}

void LoadOemStringsClear(const QString& fileName, OemLines& temp, QStringList& dest)
{
    temp.clear();
    dest.clear();
    LoadOemStrings(fileName, temp, dest);
}

QStringList OemBytesToLines(const QByteArray& body)
{
    return toText(splitLines(body));
}

void StringsToOem(const QStringList& src, OemLines& dest)
{
    dest.clear();
    dest.reserve(src.size());
    for (const QString& line : src)
        dest.append(codepage::toCp866(line));
}

void SaveOemStrings(const QString& fileName, OemLines& temp, const QStringList& src)
{
    StringsToOem(src, temp);
    QByteArray body;
    qsizetype size = 0;
    for (const QByteArray& line : temp)
        size += line.size() + 2;
    body.reserve(size);
    for (const QByteArray& line : temp) {
        body.append(line);
        body.append("\r\n", 2);
    }

    if (!QFileInfo(QFileInfo(fileName).absolutePath()).isDir())
        throw FileError::createFailed(fileName);
    if (!WriteFileSafely(fileName, body))
        throw FileError::writeFailed(fileName);
}

} // namespace korvane
