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

} // namespace korvane::test
