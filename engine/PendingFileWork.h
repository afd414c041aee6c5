#pragma once

// The record work a channel's file tick has taken on and not finished yet:
// record blocks and journal lines to append, a connection's blocks to move
// under the name its end gave it, done marks to write into telegrams,
// settings to write into the INI file once a connection is on disk, and
// the connection in progress with the text it has collected so far. All of
// it is kept in a small file of the channel (through the safe writer)
// before any of it touches the record files, and a connection's text often
// enough that a crash loses none of the work and no more than the last
// second of text: the next start finds the file and finishes the work, and
// gives a connection that the crash cut its end (an unfinished record with
// its journal line). Every step is done so that doing it again after a
// crash changes nothing: where an append lands is on the file before it is
// written, and what was done is struck off it before a move could make
// doing it again harmful. A telegram appended to its .TRS is such a move
// too, so a crash's repeat is told from a new sending by this work, never
// by the text. The file holds one piece a line and ends with their count:
// one that is cut or damaged is kept aside, and what can be read of it is
// finished.
//
// Main thread only, engine lock not held.

#include "engine/DiskSteps.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <list>

namespace korvane {

struct FileWorkItem {
    enum class Kind : std::uint8_t { Append = 1, Move = 2, Mark = 3, Setting = 4 };
    Kind kind = Kind::Append;
    QString connection;       // the connection it belongs to; empty: none
    QString path;             // Append: the file; Move: the old name; Mark: the telegram; Setting: the INI file
    QString target;           // Move: the new name; Setting: the section
    QByteArray bytes;         // Append: what is appended; Move: the connection's blocks, once read;
                              // Setting: the value (UTF-8)
    qint64 offset = -1;       // Append: where the bytes go; Move: where the connection's blocks begin
    qint64 targetOffset = -1; // Move: where they go in the new file
    int line = -1;            // Mark: the line and 1-based position of the '#' and its number
    int pos = 0;
    QString number;           // Mark: the number; Setting: the key
    bool block = false;        // Append: a record block of the connection (not a journal line)
    std::uint32_t doneBit = 0; // the Events bit raised when the last item with it is done
    int notice = -1;           // a journal line: the journal-changed notice (0 transmit, 1 receive)
    // Not kept on disk:
    std::uint64_t retryAt = 0;
    int failures = 0;  // the tries that failed in a row
    bool gone = false; // Mark: the telegram no longer stands
};

// The connection in progress, as a crash would leave it.
struct ConnectionInProgress {
    QString id;               // empty: none
    QString path;             // where its blocks go
    qint64 firstOffset = -1;  // where its first block stands in Path
    QByteArray header;        // the header of its blocks (OEM)
    QByteArray part;          // its text not yet in a block (OEM)
    QString crashPath;        // the name of its record when a crash cut it
    QString journalPath;      // its journal, and the line a crash gives it (OEM)
    QByteArray journalLine;
    int notice = -1;
    std::int32_t recNo = 0;   // the received-telegram number after its start
};

class PendingFileWork {
public:
    // File: where the work is kept. Hook: passed to every disk step.
    PendingFileWork(QString file, DiskStepHook hook = {});

    const QString& FileName() const { return file_; }
    // Reads what a former run left; false when there was nothing. A file
    // that cannot be read whole (cut, damaged) is kept aside under a name
    // of its own before anything overwrites it, and what can be read of it
    // is taken.
    bool Load();
    struct Damage {
        bool found = false;
        QString keptAs;      // where the damaged file is kept; empty: not yet (Save tries again)
        int itemsRead = 0;   // the pieces of work read from it
        bool connectionRead = false;
    };
    const Damage& LoadDamage() const { return damage_; }
    // Writes the work to its file when it changed. False (and Error) when
    // it could not; after a failure it is not tried again before the next
    // round (Run).
    bool Save(QString* error = nullptr);
    bool Changed() const { return changed_; }

    void Add(FileWorkItem item);
    // The connection in progress (an empty id: none).
    void SetConnection(const ConnectionInProgress& c);
    const ConnectionInProgress& Connection() const { return connection_; }
    // The connection's blocks now start at Offset of Path.
    void NoteConnectionBlocks(const QString& path, qint64 offset);

    // The work a crash cut is turned into items: the connection's last
    // part, its move to the crash name, its journal line. False when there
    // was no connection (or only noise of NoiseLength bytes or fewer).
    bool FinishCutConnection(int noiseLength);

    struct Outcome {
        std::function<void(const FileWorkItem&)> done;                       // an item finished
        std::function<void(const FileWorkItem&, const QString&)> failed;     // an item failed (message)
    };
    // One round: every item whose turn it is and whose retry time has come
    // is done, in order per file (and a journal line, a mark or a setting
    // after its connection's earlier items: a journal line names a record
    // only once the record is on disk). Where an item lands in its file is
    // decided and kept on disk before it is written. A failed item waits and
    // is tried again, RetryMs after each of its first tries and ever longer
    // after that, up to MaxRetryMs; the others go on. Now: a millisecond
    // clock. Only: when not empty, only the items of that file are done.
    void Run(std::uint64_t now, const Outcome& outcome, int retryMs = 1000, const QString& only = {});
    static constexpr int QuickRetries = 10;
    static constexpr std::uint64_t MaxRetryMs = 60'000;

    bool Empty() const { return items_.empty(); }
    const std::list<FileWorkItem>& Items() const { return items_; }
    // Items still waiting with DoneBit.
    bool Waiting(std::uint32_t doneBit) const;
    // A done mark waits for this telegram.
    bool MarkWaiting(const QString& telegram) const;
    // A setting of Key in Section of the INI file Path still waiting.
    bool SettingWaiting(const QString& path, const QString& section, const QString& key) const;
    // A record file with items still waiting for it.
    bool FileWaiting(const QString& path) const;
    // Items of Connection (its record blocks, move, journal line, done
    // mark) still waiting: false once all of them are on disk.
    bool ConnectionWaiting(const QString& connection) const;

private:
    bool Eligible(std::list<FileWorkItem>::const_iterator it, std::uint64_t now) const;
    // Puts the damaged file aside (Damage.keptAs); false when it could not.
    bool KeepDamagedAside();
    void Prepare(FileWorkItem& item);
    void Apply(FileWorkItem& item);
    void ApplyMove(FileWorkItem& item);
    void ApplyMark(FileWorkItem& item);

    QString file_;
    DiskSteps disk_;
    std::list<FileWorkItem> items_;
    ConnectionInProgress connection_;
    bool changed_ = false;
    Damage damage_;
    std::uint64_t round_ = 1;        // the current round (Run begins the next)
    std::uint64_t saveFailedIn_ = 0; // the round whose save failed (0: none)
    QString saveError_;
};

} // namespace korvane
