#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>

namespace korvane {

// Telegram and record files are named by a three-letter prefix (TEL, TLG,
// DLG), a decimal number of five digits with leading zeros (more once it
// passes 99999), a full stop and a state extension: TEL00042.TLG.

// Whether a file name matches a DOS-style mask, letter case ignored:
// '*' matches any run of characters, '?' one character or none at the end
// of the name or before a full stop ("TLG*.RE?" matches .RE and .REC), and a
// trailing ".*" also matches a name without an extension.
bool MatchesFileMask(QStringView name, QStringView mask);

// The number of a numbered file name: every character between the
// three-letter prefix and the first full stop must be a decimal digit;
// otherwise (or without a full stop, or beyond the 32-bit range) 0.
std::int32_t NumberOfFileName(QStringView name);

// N := one more than the highest number among the files matching mask, 1
// when none matches. A file numbered 2147483647 has no next number and is
// passed over. The mask is a folder and a name mask, separated by '/'
// or '\' ("/var/korvane/in\TLG*.RE?"); the folder must be a native path.
// Ordinary files count, hidden ones included; folders do not.
void GetNextFileNumber(const QString& mask, std::int32_t& n);

} // namespace korvane
