#pragma once

// Writes small Paradox tables with pxlib, as the old system left them.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

namespace korvane::test {

struct ParadoxField {
    QByteArray Name;
    int Type;   // pxfAlpha, pxfAutoInc, pxfShort, pxfLong
    int Length; // bytes
};

// Rows hold a QByteArray (already in the table's code page) for a text
// field, an int for a number, or a null QVariant.
bool WriteParadoxFile(const QString& path, const QList<ParadoxField>& fields, const QList<QVariantList>& rows,
                      int codePage = 1251);

// The same table laid out block by block here (pxlib writes a big table
// slowly): pxlib writes the header, the records fill its data blocks in
// order, each block full but the last.
bool WriteParadoxFileQuickly(const QString& path, const QList<ParadoxField>& fields, const QList<QVariantList>& rows,
                             int codePage = 1251);

// A little-endian number written into a table's bytes.
void PutLittleEndian(QByteArray& bytes, qsizetype at, quint32 value, int size);

// The places of the header that say whether a table is encrypted: the
// word at 0x25 (FF00FF00 in a table of level 4 and later means "see the
// data header"), and the data header's word at 0x5C.
constexpr qsizetype EncryptionAt = 0x25;
constexpr qsizetype DataHeaderEncryptionAt = 0x5C;

} // namespace korvane::test
