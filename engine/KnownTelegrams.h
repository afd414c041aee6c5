#pragma once

// What the outgoing scan knows of the telegram files it has read: the
// address lines of each file as of its stamp. A file whose stamp has not
// changed need not be read again to see whether any of its numbers can be
// called now; one that is trusted (a watch on the folder stood when it was
// stamped, and has not named it since) need not even be stamped again.
// Entries of files no longer listed are dropped after each complete
// listing.

#include "engine/OutgoingListing.h"

#include <QHash>
#include <QString>
#include <QStringList>

namespace korvane {

class KnownTelegrams {
public:
    // A new listing begins: entries not touched until Prune are dropped then.
    void BeginListing() { ++generation_; }
    // The address lines of Name as read when it had Stamp; null when the
    // file is unknown or has changed since. Trust: a watch stands, so the
    // entry is trusted from now on if its file is a plain one.
    const QStringList* AddressLines(const QString& name, const FileStamp& stamp, bool trust = false);
    // The address lines of Name when it is trusted; else null.
    const QStringList* TrustedLines(const QString& name);
    // Name, as it stands with Stamp, begins with Lines (the rest of its lines
    // need not be given). Trust as for AddressLines.
    void Remember(const QString& name, const FileStamp& stamp, const QStringList& lines, bool trust = false);
    void Forget(const QString& name) { known_.remove(name); }
    // Name may have changed: it is stamped again before it is used.
    void Distrust(const QString& name);
    void DistrustAll();
    // Drops what the listing begun last did not reach.
    void Prune();
    qsizetype Count() const { return known_.size(); }

private:
    struct Entry {
        FileStamp Stamp;
        QStringList AddressLines;
        unsigned Generation = 0;
        bool Trusted = false;
    };
    QHash<QString, Entry> known_;
    unsigned generation_ = 0;
};

} // namespace korvane
