#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace korvane {

// Telegram, record, journal and import files are text files of lines ending
// CR LF, each byte a character of the OEM code page (CP866). Inside the
// program, text is QString; the CP1251 and CP866 bytes exist only at the
// edges. So:
// - the in-place conversions work on bytes: a QByteArray of CP1251 bytes
//   becomes CP866 bytes and back (fixed-layout records, raw file lines);
// - OemToAnsi and AnsiToOem cross between file bytes and program text;
// - a string list loaded from a file comes as two lists: the raw lines as
//   stored (QList<QByteArray>, CP866) and the same lines as program text
//   (QStringList).
// The conversions convert the whole string, whatever its length, and never
// fail; the file routines raise FileError.

using OemLines = QList<QByteArray>;

// CP1251 bytes to CP866 bytes, in place.
void AnsiToOemShort(QByteArray& s);
// CP866 bytes to CP1251 bytes, in place.
void OemToAnsiStr(QByteArray& s);
// The same conversion as OemToAnsiStr.
void OemToAnsiShort(QByteArray& s);

// CP866 bytes up to the first NUL, if any, as program text.
QString OemToAnsi(QByteArrayView s);
// Program text as CP866 bytes ('?' for a character CP866 lacks and has no
// close fit for).
QByteArray AnsiToOem(QStringView s);

// temp := the lines of fileName as stored; dest := the same lines as text.
// A line ends at CR LF, LF or CR; a last line without an end counts.
// On failure (FileError "Ошибка открытия файла %s") both lists are left as
// they were.
void LoadOemStrings(const QString& fileName, OemLines& temp, QStringList& dest);
// As LoadOemStrings, after emptying both lists (so they are empty when the
// file cannot be read).
void LoadOemStringsClear(const QString& fileName, OemLines& temp, QStringList& dest);

// The lines of Body (file bytes in CP866) as text, split as LoadOemStrings
// splits a file.
QStringList OemBytesToLines(const QByteArray& body);

// dest := one line per line of src, each converted to CP866.
void StringsToOem(const QStringList& src, OemLines& dest);

// temp := src's lines in CP866; temp saved to fileName (created or
// replaced), every line followed by CR LF. Raises FileError
// ("Ошибка создания файла %s", or a write error).
void SaveOemStrings(const QString& fileName, OemLines& temp, const QStringList& src);

} // namespace korvane
