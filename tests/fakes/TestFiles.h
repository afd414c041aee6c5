#pragma once

// Whole-file reads and writes for tests that look at the bytes a file holds.

#include <QByteArray>
#include <QFile>
#include <QString>

namespace korvane::test {

// The file's bytes; empty when it does not exist or cannot be read.
inline QByteArray ReadFileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Bytes over the file (created when missing); false when it cannot be written.
inline bool WriteFileBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

} // namespace korvane::test
