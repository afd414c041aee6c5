#pragma once

// One spelling for a folder, so that two names of the same folder compare
// equal: a folder stored in Windows form ("C:\MAIL2\OUTGO1") is mapped to
// its native path as the channels map it, a relative path is made absolute,
// "." and ".." and a trailing separator are dropped, and a folder that
// exists is named by its real path on disk (so letter case and links no
// longer matter).

#include <QString>

namespace korvane {

class PathMapper;

QString NormalFolder(const QString& folder, const PathMapper& paths);

// True when both name the same folder; an empty name matches nothing.
// Folders of which neither exists compare without regard to letter case.
bool SameFolder(const QString& a, const QString& b, const PathMapper& paths);

} // namespace korvane
