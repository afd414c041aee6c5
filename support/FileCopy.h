#pragma once

#include <QString>

namespace korvane {

// The size of the pieces in which CopyOrAppendFile copies.
inline constexpr int CopyBufSize = 8192;

// src copied to dst, or appended to dst when dst exists; with keepDate dst
// then carries src's modification time. Raises FileError:
// "Ошибка открытия файла <src>" when src cannot be opened for reading,
// "Ошибка открытия файла <dst>" when an existing dst cannot be opened for
// writing, "Ошибка создания файла <dst>" when a new dst cannot be created,
// and a read or write error when a piece cannot be read or is not written
// whole (a full disk). Both files are closed whatever happens.
void CopyOrAppendFile(const QString& src, const QString& dst, bool keepDate);

} // namespace korvane
