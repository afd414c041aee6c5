#include "platform/PathMapper.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace korvane {
namespace {

bool isAsciiLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
}

bool startsWithDrive(const QString& path)
{
    return path.size() >= 2 && isAsciiLetter(path[0]) && path[1] == u':'
        && (path.size() == 2 || path[2] == u'\\' || path[2] == u'/');
}

// The entry of folder whose name equals name ignoring case: name itself if it
// exists as written, else the first such entry in name order, else empty.
QString matchEntry(const QString& folder, const QString& name)
{
    QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    if (dir.exists(name))
        return name;
    const QStringList entries =
        dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    return {};
}

QString joined(const QString& base, const QString& name)
{
    if (base.isEmpty())
        return name;
    if (base.endsWith(u'/'))
        return base + name;
    return base + u'/' + name;
}

} // namespace

PathMapper::PathMapper(QString programFolder)
    : programFolder_(std::move(programFolder))
{
    while (programFolder_.size() > 1 && programFolder_.endsWith(u'/'))
        programFolder_.chop(1);
}

QString PathMapper::toNative(const QString& stored) const
{
    const bool drive = startsWithDrive(stored);
    if (!drive && !stored.contains(u'\\'))
        return stored;

    QString rest = stored;
    rest.replace(u'\\', u'/');

    QString base;
    QStringList components;
    if (drive) {
        components << QStringLiteral("drive_") + rest[0].toLower();
        rest = rest.mid(2);
        base = programFolder_;
    } else if (rest.startsWith(u'/')) {
        base = QStringLiteral("/");
    }
    const bool trailingSlash = rest.endsWith(u'/');
    components += rest.split(u'/', Qt::SkipEmptyParts);

    QString result = base;
    bool matching = true;
    for (const QString& component : components) {
        QString name = component;
        if (matching && component != u"." && component != u"..") {
            const QString found = matchEntry(result, component);
            if (found.isEmpty())
                matching = false;
            else
                name = found;
        }
        result = joined(result, name);
    }
    if (trailingSlash && !result.endsWith(u'/'))
        result += u'/';
    if (result.isEmpty())
        result = QStringLiteral(".");
    return result;
}

} // namespace korvane
