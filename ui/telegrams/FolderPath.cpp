// One spelling for a folder, so that two names of one folder compare equal.
#include "ui/telegrams/FolderPath.h"

#include "platform/PathMapper.h"

#include <QDir>
#include <QFileInfo>

namespace korvane {

QString NormalFolder(const QString& folder, const PathMapper& paths)
{
    if (folder.isEmpty())
        return {};
    const QFileInfo info(paths.toNative(folder));
    const QString real = info.canonicalFilePath();
    return real.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : real;
}

bool SameFolder(const QString& a, const QString& b, const PathMapper& paths)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    const QString na = NormalFolder(a, paths);
    const QString nb = NormalFolder(b, paths);
    if (na == nb)
        return true;
    // A folder that exists has its one real name; only names of folders
    // not (or no longer) on disk are matched loosely.
    if (QFileInfo::exists(na) || QFileInfo::exists(nb))
        return false;
    return na.compare(nb, Qt::CaseInsensitive) == 0;
}

} // namespace korvane
