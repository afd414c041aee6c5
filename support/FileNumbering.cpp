#include "support/FileNumbering.h"

#include <QDir>

#include <limits>

namespace korvane {
namespace {

bool sameLetter(QChar a, QChar b)
{
    return a == b || a.toCaseFolded() == b.toCaseFolded();
}

// Matches name[ni..] against mask[mi..].
bool matchFrom(QStringView name, qsizetype ni, QStringView mask, qsizetype mi)
{
    while (mi < mask.size()) {
        const QChar m = mask[mi];
        if (m == u'*') {
            // Collapse runs of '*'.
            while (mi < mask.size() && mask[mi] == u'*')
                ++mi;
            if (mi == mask.size())
                return true;
            for (qsizetype k = ni; k <= name.size(); ++k)
                if (matchFrom(name, k, mask, mi))
                    return true;
            return false;
        }
        if (m == u'?') {
            // One character, or none at the end of the name or before a
            // full stop.
            if (ni < name.size() && name[ni] != u'.' && matchFrom(name, ni + 1, mask, mi + 1))
                return true;
            if (ni == name.size() || name[ni] == u'.')
                return matchFrom(name, ni, mask, mi + 1);
            return false;
        }
        if (m == u'.' && ni == name.size() && mask.sliced(mi) == u".*")
            return true; // "NAME" matches "NAME.*"
        if (ni == name.size() || !sameLetter(name[ni], m))
            return false;
        ++ni;
        ++mi;
    }
    return ni == name.size();
}

} // namespace

bool MatchesFileMask(QStringView name, QStringView mask)
{
    return matchFrom(name, 0, mask, 0);
}

std::int32_t NumberOfFileName(QStringView name)
{
    constexpr qsizetype kPrefix = 3;
    const qsizetype dot = name.indexOf(u'.');
    if (dot <= kPrefix)
        return 0;
    std::int64_t n = 0;
    for (qsizetype i = kPrefix; i < dot; ++i) {
        const char16_t c = name[i].unicode();
        if (c < u'0' || c > u'9')
            return 0;
        n = n * 10 + (c - u'0');
        if (n > std::numeric_limits<std::int32_t>::max() - 1)
            return 0;
    }
    return static_cast<std::int32_t>(n);
}

void GetNextFileNumber(const QString& mask, std::int32_t& n)
{
    n = 0;
    const qsizetype sep = std::max(mask.lastIndexOf(u'/'), mask.lastIndexOf(u'\\'));
    const QString folder = sep < 0 ? QStringLiteral(".") : (sep == 0 ? QStringLiteral("/") : mask.left(sep));
    const QString nameMask = mask.mid(sep + 1);

    bool matched = false;
    const QDir dir(folder);
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (!MatchesFileMask(name, nameMask))
            continue;
        matched = true;
        n = std::max(n, NumberOfFileName(name));
    }
    n = matched ? n + 1 : 1;
}

} // namespace korvane
