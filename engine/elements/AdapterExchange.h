#pragma once

// The command-mode exchange with the TARVELOX-01 intelligent adapter, run
// one step per fast tick by the idle element before the channel's protocol
// starts: the adapter's clock, its self-test, its program (loaded from
// TARVELOX.BIN when it has none), the channel's line settings and modes,
// then every telegram stored in its memory fetched, filed as a received
// telegram with its journal line, and deleted in the adapter only after the
// file tick has written it.
//
// Commands are "AT" + four letters, then "," and 16-bit arguments (low byte
// first, separated by ",") or nothing, and "."; they go out through the
// driver's transmit ring at 9600 bit/s, 8N1. A reply is what the adapter
// sent after the command had left the ring, kept apart from the receive
// buffer (which holds the commands the channel sent), so a reply of any
// length is read whole; a command goes out only once the adapter has been
// quiet for a step, so the tail of a reply longer than asked for never
// passes for the next reply.
//
// A fetched telegram goes whole into its own record file (in blocks of one
// receive buffer each), an empty one as a header alone. Its header as the
// adapter's ATHTEL reply gave it is marked in the INI file
// (AdapterFiledMark) by the pending file work, which keeps the mark with
// the record and the journal line and writes it after them. The adapter is
// told to delete the telegram only once all three are on disk (a disk that
// refuses them holds the exchange, the telegram kept in the adapter), and
// the mark is cleared once the adapter has deleted it. The exchange after
// a restart of the channels, or after a crash or an exit that left the
// work unfinished, reads the mark only once the work left is done, and
// deletes a marked telegram without filing it again.
//
// Every member runs with the engine lock held (Step takes it itself).

#include "engine/AdapterStatus.h"
#include "engine/elements/AdapterFiledMark.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QTime>

#include <array>
#include <cstdint>

namespace korvane {

class PendingFileWork;
class TTxChannelDriver;

class AdapterExchange {
public:
    // The exchange's states (values kept as the adapter trace shows them).
    enum State : std::uint8_t {
        Begin = 0,
        SetDate = 1,
        DateSent = 2,
        SetTime = 3,
        TimeSent = 4,
        Test = 5,
        TestReply = 6,
        AskStatus = 7,
        StatusReply = 8,
        AskHeader = 9,
        HeaderReply = 10,
        AskTelegram = 11,
        TelegramReply = 12,
        Delete = 13,
        DeleteReply = 14,
        SendModes = 15,
        ModesSent = 16,
        SendSettings = 17,
        SettingsAnnounced = 18,
        LoadProgram = 19,
        ProgramBlocks = 20,
        End = 23,
    };

    static constexpr int FirmwareBlockSize = 960;
    static constexpr int LoadTriesMax = 4;
    static constexpr int ReplySteps = 30;     // steps a reply may take after the command went out
    static constexpr int ProgramFileSteps = 300;
    // Steps the ring (and, under a program block, the port's queue) may take
    // to drain before the adapter's port is taken as dead: a 960-byte block
    // needs one second at 9600 bit/s.
    static constexpr int DrainSteps = 300;
    static constexpr int ShortWait = 100;     // steps after a program load
    static constexpr int LongWait = 200;      // steps while the line is busy, and before the end
    static constexpr int SettingsBlockSize = 32;
    static constexpr int AnswerBackCodes = 20;
    // The longest reply: a stored telegram's header and 65535 codes.
    static constexpr int MaxReplySize = int(StoredTelegramHeader::WireSize) + 65535;

    explicit AdapterExchange(TTxChannelDriver& driver) : d_(driver) {}

    // One step (a fast tick's worth) of the exchange.
    void Step();
    // A byte from the adapter (the port's data-available handler).
    void TakeAdapterByte(std::uint8_t b);
    // The file tick's part (main thread, engine lock not held), before
    // Work runs: the mark of a telegram whose record and journal line Work
    // has just taken on joins them, and the clearing of the mark of a
    // telegram deleted in the adapter joins Work too.
    void QueueFiledMark(PendingFileWork& work);
    // ... and after it has run: the fetched telegram counts as filed once
    // Work holds nothing of its connection any more (its record, journal
    // line and mark on disk); until then the exchange waits, the telegram
    // kept in the adapter. The mark a new exchange asks for is read once
    // no change of it waits in Work.
    void SettleFiledMark(const PendingFileWork& work);
    // The file tick has a part of the filed mark to do: a mark or its
    // clearing to queue, a fetched telegram not yet filed, or a mark asked
    // for and not yet read (engine lock held).
    bool FiledMarkPending() const { return clearPending_ || markSavePending_ || (markAsked_ && !markLoaded_); }
    // The channel's protocol was restarted before the exchange had ended:
    // the port may be in line mode now, so the exchange starts again from
    // its first state (the port put back into command mode).
    void Restart();

    // The command words as they go on the line.
    static QByteArray DateCommand(QDate date);
    static QByteArray TimeCommand(QTime time);
    static QByteArray Command(const char* name);
    static QByteArray Command(const char* name, std::initializer_list<std::uint16_t> words);
    // The settings block of the driver's answerback, line settings and times.
    static std::array<std::uint8_t, SettingsBlockSize> SettingsBlock(const TTxChannelDriver& d);
    // The note put before the file header and the journal line of a fetched telegram.
    static QString Note(const StoredTelegramHeader& h, int received);

    // ---- the exchange's fields ----
    std::uint8_t AdapterState = Begin;
    bool AdapterBusy = false;
    std::int32_t AdapterSkip = 0;
    std::int16_t AdapterWait = 0;
    std::int32_t FirmwareOffset = 0; // 1-based position of the next block in the program image
    std::int32_t FirmwareBlock = FirmwareBlockSize;
    std::int32_t LoadTries = 0;
    std::array<std::uint8_t, SettingsBlockSize> AdapterSettingsBlock{};
    StoredTelegramHeader Header;
    AdapterStatus Status;

private:
    void RunState();
    void Enter(std::uint8_t state);
    // The bytes queued for the adapter; the receive buffer and the reply
    // count start again so that a reply is found in this command's stretch.
    void Send(const QByteArray& bytes);
    bool Drained() const;
    // Counts a step of a state that waits for the ring to drain and then for
    // Steps more steps; true when they have passed (the count restarts).
    bool WaitedAfterDrain(int steps);
    // The reply of Expected bytes once it has arrived; otherwise counts
    // towards the time-out, the count starting again while bytes arrive.
    bool TakeReply(int expected, QByteArray& reply);
    void AdapterTimeout();
    void LoadError();
    void WriteProgramBlock();
    void FetchTelegram(const QByteArray& reply);
    void Finish();
    // A command state's check that the adapter has sent nothing since the
    // last step (else it counts towards the time-out).
    bool Quiet();
    // The mark of the telegram filed before a restart, read by the file tick.
    bool FiledMarkKnown();
    void ClearFiledMark();

    // Counts the steps the line has not drained; true when the port is stuck.
    bool Stalled();

    TTxChannelDriver& d_;
    QByteArray reply_;     // what the adapter sent since the last command left the ring
    bool heard_ = false;   // the adapter sent a byte since the last step
    bool quiet_ = true;    // ... and none in the step before this one
    int seenReplySize_ = 0;
    int stalled_ = 0;
    bool markAsked_ = false;    // the exchange wants the mark left by a former run
    bool markLoaded_ = false;   // ... and the file tick has read it
    bool markHeld_ = false;     // ... or found a change of it still waiting for the disk
    QByteArray loadedMark_;
    bool markTaken_ = false;
    QByteArray filedMark_;      // the header of the telegram filed and not yet deleted
    QByteArray headerReply_;    // the header as the adapter gave it (ATHTEL), the one compared after a restart
    QByteArray markToSave_;     // the fetched telegram's header, marked once it is written
    QString fetchedConnection_; // the connection of the fetched telegram's record work
    bool markSavePending_ = false; // the fetched telegram is not yet filed and marked
    bool markQueued_ = false;      // ... its mark is in the pending work
    bool clearPending_ = false;    // the mark of a deleted telegram is to be cleared
};

} // namespace korvane
