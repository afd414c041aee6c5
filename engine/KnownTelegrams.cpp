#include "engine/KnownTelegrams.h"

namespace korvane {

const QStringList* KnownTelegrams::AddressLines(const QString& name, const FileStamp& stamp)
{
    const auto it = known_.find(name);
    if (it == known_.end())
        return nullptr;
    if (!(it->Stamp == stamp)) {
        known_.erase(it);
        return nullptr;
    }
    it->Generation = generation_;
    return &it->AddressLines;
}

void KnownTelegrams::Remember(const QString& name, const FileStamp& stamp, const QStringList& lines)
{
    QStringList address;
    for (const QString& l : lines) {
        if (l.isEmpty() || l.front() != u'|')
            break;
        address.append(l);
    }
    known_.insert(name, Entry{stamp, address, generation_});
}

void KnownTelegrams::Prune()
{
    known_.removeIf([this](const QHash<QString, Entry>::iterator& it) { return it->Generation != generation_; });
}

} // namespace korvane
