#pragma once

#include <QString>

namespace korvane {

// Maps the paths that settings and files store in Windows form to native
// paths, in one place:
// - '\' becomes '/';
// - a drive "X:" at the start becomes <program folder>/drive_x (the letter
//   in lower case);
// - in a path so converted, each component that exists on disk is matched
//   without regard to letter case ("C:\MAIL2\Outgo1" finds an existing
//   drive_c/mail2/OUTGO1); from the first component that does not exist on,
//   the rest is kept as written;
// - a path with neither a drive nor a '\' (a native absolute or relative
//   path) passes unchanged.
// A relative Windows path ("MAIL2\OUTGO1") is matched from the current
// folder, one with a leading '\' from the root.
class PathMapper {
public:
    explicit PathMapper(QString programFolder);

    const QString& programFolder() const { return programFolder_; }

    QString toNative(const QString& stored) const;

private:
    QString programFolder_;
};

} // namespace korvane
