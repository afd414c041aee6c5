#include "support/FileNumbering.h"

#include <QDir>

#include <algorithm>
#include <limits>
#include <vector>

namespace korvane {
namespace {

bool sameLetter(QChar a, QChar b)
{
    return a == b || a.toCaseFolded() == b.toCaseFolded();
}

// The mask's items, each matching a run of the name: a letter (one
// character, letter case ignored), '?' (one character other than a full
// stop, or none at the end of the name or before a full stop), '*' (any
// run), and ".*" at the end of the mask (a full stop and any run, or the
// end of the name).
//
// The match is a walk over the mask keeping the set of name positions the
// items so far can end at (a bit per position): each item maps that set to
// the next in one pass over the name, so the time is the product of the two
// lengths whatever the number of '*', never exponential.
bool matchMask(QStringView name, QStringView mask)
{
    const qsizetype n = name.size();
    std::vector<char> at(static_cast<std::size_t>(n) + 1, 0); // the name positions reached
    std::vector<char> next(at.size(), 0);
    at[0] = 1;
    for (qsizetype mi = 0; mi < mask.size(); ++mi) {
        const QChar m = mask[mi];
        std::fill(next.begin(), next.end(), 0);
        bool any = false;
        if (m == u'.' && mask.sliced(mi) == u".*") {
            // "NAME" matches "NAME.*"; else a full stop and anything after it.
            for (qsizetype k = 0; k <= n; ++k)
                if (at[std::size_t(k)] && (k == n || name[k] == u'.'))
                    return true;
            return false;
        }
        if (m == u'*') {
            // Any run: every position from the first reached on.
            qsizetype k = 0;
            while (k <= n && !at[std::size_t(k)])
                ++k;
            for (; k <= n; ++k) {
                next[std::size_t(k)] = 1;
                any = true;
            }
        } else {
            for (qsizetype k = 0; k <= n; ++k) {
                if (!at[std::size_t(k)])
                    continue;
                if (m == u'?') {
                    if (k < n && name[k] != u'.')
                        next[std::size_t(k + 1)] = 1;
                    else
                        next[std::size_t(k)] = 1; // none, at the end or before a full stop
                    any = true;
                } else if (k < n && sameLetter(name[k], m)) {
                    next[std::size_t(k + 1)] = 1;
                    any = true;
                }
            }
        }
        if (!any)
            return false;
        at.swap(next);
    }
    return at[std::size_t(n)] != 0;
}

} // namespace

bool MatchesFileMask(QStringView name, QStringView mask)
{
    return matchMask(name, mask);
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
        if (n > std::numeric_limits<std::int32_t>::max())
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
        const std::int32_t number = NumberOfFileName(name);
        // The last number has no next one: such a file is passed over.
        if (number < std::numeric_limits<std::int32_t>::max())
            n = std::max(n, number);
    }
    n = matched ? n + 1 : 1;
}

} // namespace korvane
