#include "sim/Transcript.h"

namespace korvane::sim {

void Transcript::add(std::int64_t us, QString what)
{
    std::lock_guard lock(m_mutex);
    m_entries.push_back({us, std::move(what)});
    if (m_limit > 0 && m_entries.size() > m_limit)
        m_entries.pop_front();
}

void Transcript::setLimit(std::size_t maxEntries)
{
    std::lock_guard lock(m_mutex);
    m_limit = maxEntries;
    while (m_limit > 0 && m_entries.size() > m_limit)
        m_entries.pop_front();
}

std::vector<Transcript::Entry> Transcript::entries() const
{
    std::lock_guard lock(m_mutex);
    return {m_entries.begin(), m_entries.end()};
}

QStringList Transcript::texts(const QStringList& prefixes) const
{
    QStringList out;
    for (const Entry& e : entries()) {
        bool wanted = prefixes.isEmpty();
        for (const QString& p : prefixes)
            wanted = wanted || e.what.startsWith(p);
        if (wanted)
            out << e.what;
    }
    return out;
}

QString Transcript::text() const
{
    QString out;
    for (const Entry& e : entries())
        out += QStringLiteral("%1.%2 %3\n")
                   .arg(e.us / 1'000'000)
                   .arg((e.us / 1000) % 1000, 3, 10, QLatin1Char('0'))
                   .arg(e.what);
    return out;
}

QByteArray Transcript::codes(bool out) const
{
    const QString prefix = out ? QStringLiteral("out ") : QStringLiteral("in ");
    QByteArray codes;
    for (const Entry& e : entries()) {
        if (!e.what.startsWith(prefix))
            continue;
        bool ok = false;
        const int code = e.what.mid(prefix.size()).toInt(&ok);
        if (ok)
            codes.append(static_cast<char>(code));
    }
    return codes;
}

void Transcript::clear()
{
    std::lock_guard lock(m_mutex);
    m_entries.clear();
}

} // namespace korvane::sim
