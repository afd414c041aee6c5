#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace korvane {

// The two single-byte code pages of the program: CP1251 (the ANSI code
// page: the INI file, the log, fixed-layout records) and CP866 (the OEM
// code page: telegram, record, journal and import files). Bytes below 0x80
// are ASCII in both.
//
// Conversion rules:
// - Unicode to a code page: a character the page has becomes its byte;
//   any other becomes '?'.
// - CP1251 to CP866: every Cyrillic letter, 'Ё', 'ё', 'Є', 'є', 'Ї', 'ї',
//   'Ў', 'ў', '№', '°', '·', '¤' and the no-break space keep their identity.
//   A character CP866 lacks takes a close fit where one is obvious: 'І'/'і'
//   become Latin 'I'/'i', 'Ј'/'ј' 'J'/'j', 'Ѕ'/'ѕ' 'S'/'s', 'Ґ'/'ґ' 'Г'/'г',
//   typographic quotes the plain '"' or ''', dashes and the soft hyphen '-',
//   the ellipsis '.', the bullet '∙'; anything else becomes '?'.
// - CP866 to CP1251: the letters and signs both pages share keep their
//   identity; box-drawing lines become '-', '|' or '+' by their shape, the
//   other graphic signs ('░', '█', '√', '■', ...) become '?'.
namespace codepage {

QByteArray toCp1251(QStringView text);
QString fromCp1251(QByteArrayView bytes);

QByteArray toCp866(QStringView text);
QString fromCp866(QByteArrayView bytes);

// Byte-level conversions between the pages, by the rules above.
QByteArray cp1251ToCp866(QByteArrayView bytes);
QByteArray cp866ToCp1251(QByteArrayView bytes);

// One character each way; '?' for a character the page does not hold.
char unicodeToCp1251(char16_t c);
char16_t cp1251ToUnicode(unsigned char b);
char unicodeToCp866(char16_t c);
char16_t cp866ToUnicode(unsigned char b);

} // namespace codepage
} // namespace korvane
