#pragma once

// The one way a file that holds a telegram, a record or a setting is
// rewritten: the new content goes into a temporary file beside the old one
// (same folder, so the rename stays on one file system), every write, the
// flush and the fsync are checked, and only then is the temporary renamed
// over the old file. A failure at any point removes the temporary and
// leaves the old file exactly as it was.
//
// A name that is a symbolic link (a chain of them) stays the link: the new
// file is written beside the file the link points to and renamed over it.
// The temporary is always a new file of the write's own, created
// exclusively and never through a link; what a cut write left under its
// name is removed first.

#include <QByteArray>
#include <QString>

namespace korvane {

// The suffix of the temporary file: "<name>" is written as "<name>.kvnew".
inline constexpr char SafeWriteSuffix[] = ".kvnew";

// Data written as the whole new content of Path. True on success; on
// failure false, the old file untouched, and Error (when given) tells why
// in the operator's words: "Ошибка записи файла <path>: <reason>".
bool WriteFileSafely(const QString& path, const QByteArray& data, QString* error = nullptr);

// The temporary that a write cut by a crash may have left beside Path (and
// beside the file Path links to); removes it when it is there, a link
// itself and not what it points to. True when one was removed.
bool RemoveSafeWriteLeftover(const QString& path);

// Every temporary of a cut write in Folder removed (at start, before the
// folder is scanned); the number removed.
int RemoveSafeWriteLeftovers(const QString& folder);

} // namespace korvane
