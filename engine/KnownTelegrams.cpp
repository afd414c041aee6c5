#include "engine/KnownTelegrams.h"

namespace korvane {

const QStringList* KnownTelegrams::AddressLines(const QString& name, const FileStamp& stamp, bool trust)
{
    const auto it = known_.find(name);
    if (it == known_.end())
        return nullptr;
    if (!(it->Stamp == stamp)) {
        known_.erase(it);
        return nullptr;
    }
    it->Generation = generation_;
    it->Trusted = trust && stamp.Plain;
    return &it->AddressLines;
}

const QStringList* KnownTelegrams::TrustedLines(const QString& name)
{
    const auto it = known_.find(name);
    if (it == known_.end() || !it->Trusted)
        return nullptr;
    it->Generation = generation_;
    return &it->AddressLines;
}

void KnownTelegrams::Distrust(const QString& name)
{
    if (const auto it = known_.find(name); it != known_.end())
        it->Trusted = false;
}

void KnownTelegrams::DistrustAll()
{
    for (Entry& e : known_)
        e.Trusted = false;
}

void KnownTelegrams::Remember(const QString& name, const FileStamp& stamp, const QStringList& lines, bool trust)
{
    QStringList address;
    for (const QString& l : lines) {
        if (l.isEmpty() || l.front() != u'|')
            break;
        address.append(l);
    }
    known_.insert(name, Entry{stamp, address, generation_, trust && stamp.Plain});
}

void KnownTelegrams::Prune()
{
    known_.removeIf([this](const QHash<QString, Entry>::iterator& it) { return it->Generation != generation_; });
}

} // namespace korvane
