#include "platform/SystemDescription.h"

#include <QFile>
#include <QStringList>

#include <sys/utsname.h>

namespace korvane {

namespace {

QString unquoteOsReleaseValue(QByteArrayView raw)
{
    const QByteArray value = raw.toByteArray().trimmed();
    if (value.size() >= 2 && value.front() == '\'' && value.back() == '\'')
        return QString::fromUtf8(value.mid(1, value.size() - 2));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        QByteArray out;
        const QByteArray inner = value.mid(1, value.size() - 2);
        for (qsizetype i = 0; i < inner.size(); ++i) {
            const char c = inner[i];
            if (c == '\\' && i + 1 < inner.size()) {
                const char next = inner[i + 1];
                if (next == '"' || next == '\\' || next == '$' || next == '`') {
                    out += next;
                    ++i;
                    continue;
                }
            }
            out += c;
        }
        return QString::fromUtf8(out);
    }
    return QString::fromUtf8(value);
}

} // namespace

KernelIdentity kernelIdentity()
{
    utsname u {};
    if (uname(&u) != 0)
        return {};
    return {QString::fromLocal8Bit(u.sysname), QString::fromLocal8Bit(u.release),
            QString::fromLocal8Bit(u.machine)};
}

QString osPrettyNameFrom(QByteArrayView osRelease)
{
    const QByteArray text = osRelease.toByteArray();
    for (const QByteArray& line : text.split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (trimmed.startsWith("PRETTY_NAME="))
            return unquoteOsReleaseValue(trimmed.mid(12));
    }
    return QString();
}

QString osPrettyName()
{
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        QFile file(QString::fromLatin1(path));
        if (file.open(QIODevice::ReadOnly))
            return osPrettyNameFrom(file.readAll());
    }
    return QString();
}

QString systemDescriptionText(const QString& prettyName, const KernelIdentity& kernel)
{
    QStringList parts;
    for (const QString& field : {kernel.sysname, kernel.release, kernel.machine}) {
        if (!field.isEmpty())
            parts << field;
    }
    const QString kernelText = parts.join(u' ');
    if (prettyName.isEmpty())
        return kernelText;
    if (kernelText.isEmpty())
        return prettyName;
    return prettyName + QStringLiteral(", ") + kernelText;
}

QString systemDescription()
{
    return systemDescriptionText(osPrettyName(), kernelIdentity());
}

} // namespace korvane
