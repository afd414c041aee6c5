#pragma once

// The channel driver: the object that owns one telegraph line. It holds a
// copy of the channel's settings, its serial port, the character engine
// (transmit ring, echo ring, receive buffers), one prototype of every
// protocol element class, its place in the channel's protocol, the counters
// and flags of the connection, the requests its line side leaves for the
// file tick, and the link to its channel window.
//
// Threads. Everything here runs with the engine lock held (EngineMutex):
// the fast tick takes it on its own thread in high-precision mode, the
// protocol tick, the file tick, the port's events and the operator's calls
// take it on the main thread. The request words Events and SoundEvents are
// atomics besides, so that a reader outside the lock sees whole words.
// Log lines are only noted here and written by FileWork on the main thread.

#include "engine/ChannelWindow.h"
#include "engine/ElementSettings.h"
#include "engine/EngineEnvironment.h"
#include "engine/FileWorkQueue.h"
#include "engine/OutgoingTelegrams.h"
#include "engine/PendingFileWork.h"
#include "engine/ReceiveBuffers.h"
#include "engine/ReceivedText.h"
#include "engine/TransmitRing.h"
#include "engine/TxElementPro.h"
#include "protocols/ChannelOptions.h"
#include "protocols/ProtocolModel.h"
#include "serial/CommPort.h"
#include "support/FailureCodes.h"
#include "support/TelegraphCode.h"

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <array>
#include <atomic>
#include <cstdint>
#include <exception>
#include <memory>
#include <vector>

namespace korvane {

class AdapterExchange;
class TelegramNumbering;

// Requests of the line side to the file tick (TTxChannelDriver::Events).
namespace DriverEvent {
inline constexpr std::uint32_t ScanOutgoing = 0x1;
// The call to Number succeeded: the file tick marks the destination line
// that was selected for it done. Raised by the clear-down, never by a
// buffer write, so a telegram is marked exactly when its call succeeded.
inline constexpr std::uint32_t CallSucceeded = 0x2;
inline constexpr std::uint32_t WriteChunk = 0x4;
inline constexpr std::uint32_t WriteTxJournal = 0x8;
inline constexpr std::uint32_t WriteRxJournal = 0x10;
inline constexpr std::uint32_t LoadAdapterProgram = 0x80;
inline constexpr std::uint32_t DestinationChosen = 0x100;
inline constexpr std::uint32_t ChunkWritten = 0x400;
inline constexpr std::uint32_t TxJournalWritten = 0x800;
inline constexpr std::uint32_t RxJournalWritten = 0x1000;
inline constexpr std::uint32_t AdapterProgramLoaded = 0x8000;
inline constexpr std::uint32_t LogTxLine = 0x10000;
inline constexpr std::uint32_t LogRxLine = 0x20000;
inline constexpr std::uint32_t LogEngineLine = 0x100000;
inline constexpr std::uint32_t LogStepLine = 0x200000;
inline constexpr std::uint32_t LogElementStart = 0x400000;
inline constexpr std::uint32_t LogExceptionLine = 0x800000;
inline constexpr std::uint32_t TxLineLogged = 0x1000000;
inline constexpr std::uint32_t RxLineLogged = 0x2000000;
inline constexpr std::uint32_t EngineLineLogged = 0x10000000;
inline constexpr std::uint32_t StepLineLogged = 0x20000000;
inline constexpr std::uint32_t ElementStartLogged = 0x40000000;
inline constexpr std::uint32_t ExceptionLineLogged = 0x80000000;
} // namespace DriverEvent

// The lanes of the queued disk work: each kind waits only for its own kind.
namespace FileWorkLane {
inline constexpr int Other = 0;
inline constexpr int Counters = 1;
inline constexpr int RecNo = 2;
inline constexpr int Log = 3;
} // namespace FileWorkLane

// Sound events (TTxChannelDriver::SoundEvents): bit k-1 is sound entry k.
namespace SoundEvent {
inline constexpr std::uint32_t TransmitStart = 0x1;
inline constexpr std::uint32_t TransmitEnd = 0x2;
inline constexpr std::uint32_t SuccessfulEnd = 0x4;
inline constexpr std::uint32_t ReceiveStart = 0x8;
inline constexpr std::uint32_t ReceiveEnd = 0x10;
inline constexpr std::uint32_t DialogEntered = 0x20;
inline constexpr std::uint32_t BackToControl = 0x40;
inline constexpr std::uint32_t LineActivity = 0x80;
inline constexpr std::uint32_t Alarm = 0x200;
} // namespace SoundEvent

// A request word shared by the line side and the file tick.
class RequestWord {
public:
    std::uint32_t load() const { return bits_.load(); }
    void raise(std::uint32_t bits) { bits_.fetch_or(bits); }
    void clear(std::uint32_t bits) { bits_.fetch_and(~bits); }
    bool has(std::uint32_t bits) const { return (bits_.load() & bits) != 0; }
    // Clears Bits and returns which of them were set.
    std::uint32_t take(std::uint32_t bits) { return bits_.fetch_and(~bits) & bits; }
    void store(std::uint32_t bits) { bits_.store(bits); }

private:
    std::atomic<std::uint32_t> bits_{0};
};

class TTxChannelDriver : public QObject {
    Q_OBJECT

public:
    static constexpr int FastInterval = 10;     // ms
    static constexpr int ProtocolInterval = 50; // ms
    static constexpr int TxRingSize = 8192;
    static constexpr int EchoRingSize = 320;
    static constexpr int FirmwareBufSize = 8192;
    static constexpr int WruHoldTime = 300;     // ms
    static constexpr int TxPauseTime = 2000;    // ms
    static constexpr int LedTimerDefaultInterval = 1000; // ms

    // Env must name Box, Beep, Time and Mutex. The port stays closed.
    explicit TTxChannelDriver(const EngineEnvironment& env, QObject* owner = nullptr);
    ~TTxChannelDriver() override;

    const EngineEnvironment& Environment() const { return env_; }
    EngineMutex& Mutex() const { return *env_.Mutex; }

    // --- Creation, port, window ---
    void SetChannel(std::uint8_t ch);
    // Copies a channel's settings record (paths mapped to native ones, the
    // two folders created) and its protocol.
    void ApplyOptions(const TChannelOptions& r, const TProtocolRec& protocol);
    void OpenPort();
    void ClosePort();
    void SetWindow(ChannelWindow* w);

    // --- Setters that act only on a change ---
    void SetChannelState(std::uint8_t s);
    void SetAuxState(std::uint8_t s);
    void SetAlarm(std::uint8_t a);
    void ShowCounters();
    void ResetCounters();
    // Alarm on, the file-operation alarm state shown, the alarm sound asked for.
    void EnterFailureAlarm();
    // A failure escaped the protocol's stepping: the channel is out of
    // service until the channels restart. Its protocol is not stepped nor
    // its element run any more, and the alarm of a stopped protocol stays shown.
    void StopStepping();

    // The LED timer: armed when the transmitter goes idle, fired by the
    // protocol tick when its interval has passed.
    void SetLedTimerInterval(int ms) { LedTimerInterval = ms; }
    void LedTimerTimer();

    // --- Telegram numbers (kept by the numbering of the channel) ---
    void InitNumbers();
    // The telegram counters of the channel's settings record.
    void ApplyCounters(const TTlgCounters& counters);
    // Draws a number; the counters' INI save waits for the next file tick.
    void NextCounter(int kind, QString& s);
    // "TlgRecNo" := N, written by the next file tick before its FileWork
    // (so before a chunk of the reception that drew N is written).
    void SaveTlgRecNo(std::int32_t n);
    std::int32_t LoadTlgRecNo();
    TelegramNumbering& Numbering();
    // The words of the telegram text in TlgLines, in decimal.
    QString CountWords() const;
    // N in decimal with leading zeros to five digits.
    static void FormatNumber5(int n, QString& s);

    // --- Character engine ---
    void AllocTxRing(std::uint16_t size);
    void AllocEchoRing(std::uint16_t size);
    // Queues S; what does not fit the ring is refused and noted.
    void SendString(const QString& s);
    // Queues as much of S as the ring has room for and starts the
    // transmitter when it was idle; the number of characters queued.
    qsizetype QueueText(QStringView s);
    void SendChar(QChar c);
    void SendAnswerBack();
    // Transmitter-empty handler of 5-bit and 8-bit lines.
    void SendNext();
    // The protocol tick of a '&' hold, in every mode: a character received
    // restarts its 2000 ms; once they have passed in silence the held text
    // goes on.
    void TickTransmitPause();
    void AdapterTxEmpty();
    // Data-available handler of 5-bit and 8-bit lines.
    void ReceiveChars(int count);
    void AdapterDataAvail(int count);
    void RingSignal() {}
    void PutRxByte(std::uint8_t b);
    void PutRxChar(QChar c);
    // Stores a byte that came from the line (PutRxByte, noted in LineText).
    void PutLineByte(std::uint8_t b);
    void PutEcho(QChar c);
    void FlushEcho();
    void ShowChar(QChar c);
    // Attaches the character engine's handlers to the port's events (5-bit
    // and 8-bit lines), or the adapter command mode's.
    void AttachLineHandlers();
    void AttachAdapterHandlers();
    // The port runs at 5 data bits.
    bool FiveBitLine() const;

    // --- What the line returned (read from the receive buffers) ---
    // Whether ExpectedAnswerBack occurs in the text received from the line
    // since Start (a receive position, Rx.Total()); the check is
    // noted as a step line. True without a note when the channel does not
    // check answerbacks.
    bool CheckAnswerBack(std::int64_t start);
    // The service signal in the text received from the line since Start; Dis when none.
    FailureCode ClassifyServiceSignal(std::int64_t start);

    // --- Stepping ---
    void Step();
    void FastTick();
    void RestartProtocol();
    bool DsrOn();
    bool ReadInputLine();
    void DialogCommands();
    // The idle element runs: no connection stands, none is being made.
    bool IdleStepRunning() const;
    // The prototype of a class by display name (letter case ignored), or -1.
    int IndexOfElement(const QString& displayName) const;
    TTxElementPro* ElementAt(int index) const;
    int ElementCount() const { return static_cast<int>(Elements.size()); }

    // --- Adapter exchange (engine/elements/AdapterExchange) ---
    // One step of the TARVELOX-01 command-mode exchange; run by the idle
    // element until AdapterExchangeDone.
    void RunAdapterExchange();
    AdapterExchange& Exchange();
    // The file tick's part, around the run of the pending record work: a
    // telegram fetched from the adapter is marked filed with its file and
    // journal line, and deleted in the adapter once all three are written.
    void QueueAdapterFiledMark();
    void SettleAdapterFiledMark();

    // --- File tick ---
    // The driver's part of the file tick, on the main thread, in this order:
    // the pending channel log lines, the adapter's program file, the
    // received-telegram number, the call that succeeded, the receive chunks,
    // the journal lines, the outgoing scan. Takes the engine lock itself,
    // never across a disk access; throws what the files throw.
    void FileWork();

    // --- Outgoing telegrams (TxDriverOutgoing.cpp, OutgoingTelegrams) ---
    // The file tick's scan of the outgoing folder and its current telegram
    // (main thread only). It hands the telegram and a chosen destination to
    // the fields TlgLines, TlgPath, TlgFileName, Number, Address and
    // ExpectedAnswerBack, and sets Events $100.
    OutgoingTelegrams& Outgoing() { return *outgoing_; }
    // ExpectedAnswerBack := A, with the step line "===+ Ожидаемый автоответ ['A']".
    void SetExpectedAnswerBack(const QString& a);

    // --- Record files and journals (TxDriverRecords.cpp) ---
    // The line side calls these with the engine lock held.
    // Begins a reception: ConnectionStart, ConnectionKind 1, ConnectionFile
    // (the common receive file, or TLG<TlgRecNo>.REC in ReceiveDir),
    // TlgRecNo + 1 (saved to the INI file by the next file tick, before the
    // reception's first block is written), the receive journal fields reset,
    // the file's name shown in the window.
    void StartRecFile();
    // Hands the part-filled receive buffer to the file tick when it holds
    // more than 5 bytes (Events $400 cleared, $4 set) and starts again at
    // the start of buffer A; returns the bytes it held (ChunkLen).
    int FlushRxBuffer();
    // Drops the text in the buffer being filled; filling starts again at
    // the start of buffer A.
    void ResetRxBuffer();
    // Text decoded elsewhere (a telegram fetched from the adapter) becomes
    // the chunk to write, in blocks of at most 8192 bytes (an empty text is
    // one empty block: a header alone); Events $400 cleared, $4 set.
    // Returns its length.
    int PlaceChunk(const QString& text);
    // The file tick's side, on the main thread without the engine lock:
    // the chunks, journal lines and done marks asked for are taken into the
    // channel's pending file work (kept on disk before the record files are
    // touched) and written from there, each file's work in order, a failed
    // one tried again while the rest goes on. The request bits are cleared
    // when the work is taken; the done bits ($400, $800, $1000) are raised
    // when it is on disk.
    // A record file with blocks still waiting to be written (for the printing).
    bool RecordWaiting(const QString& path) const;
    // Every record block and journal line the line side has asked for is on
    // disk: none waits to be taken or in the pending file work (main thread).
    bool RecordWorkDone() const;
    // From appended to the end of To and deleted, as a piece of the pending
    // file work: kept on its file while it is done, so that a crash between
    // the append and the delete has the next start finish it without
    // appending twice. True when it is done; else it waits in the work and
    // is tried again (a failure is logged once and raises the alarm).
    bool MoveTelegramByWork(const QString& from, const QString& to);
    // Where the channel's pending file work is kept.
    QString PendingWorkFile() const;
    // The name the pending file work gives the current connection's items
    // (its start and kind). Under the engine lock.
    QString ConnectionId() const;
    // Reads the adapter's program file (Size bytes) into FirmwareBuf. A file
    // larger than the buffer is refused: logged, handed to the window for
    // its timer's box, false.
    // Throws FileError when it cannot be read.
    bool LoadFirmware(const QString& path, std::int32_t size);

    // --- Disk work asked for on the line side ---
    // Work that touches the disk, asked for under the engine lock or on the
    // fast tick's thread: the next file tick runs it on the main thread,
    // without the lock, in the order asked, before the driver's FileWork.
    // The work must not touch the driver's fields (copy what it needs).
    // What it throws reaches the file tick like a failure of FileWork.
    void QueueFileWork(FileWorkQueue::Work work, int lane = FileWorkLane::Other);
    // A line for the daily log, written by the next file tick whatever the
    // log mode (for lines that need none of the channel's pending-line bits).
    void QueueLogLine(const QString& line);
    // The file tick's part: runs the queued disk work (main thread, lock not held).
    void RunQueuedFileWork();
    // The last run, when the channels stop: work that fails is dropped
    // after OnFailure was called within its handler.
    void FinishQueuedFileWork(const std::function<void()>& onFailure);

    // --- Log lines for the file tick (each replaces one not yet written) ---
    void NoteEngineLine(const QString& line);
    void NoteStepLine(const QString& line);
    void NoteExceptionLine(const QString& line);

    // ---------------- fields ----------------
    std::uint8_t Channel = 0;

    // Receive buffers, partner answerback capture
    ReceiveBuffers Rx;
    // What of the stored text came from the line (not the channel's own echo).
    ReceivedText LineText;
    std::int64_t PauseRxMark = 0;
    std::int64_t PartnerAbStart = 0;
    std::int64_t PartnerAbEnd = 0;
    bool PartnerAbCapture = false;
    std::uint16_t PartnerAbCount = 0;
    QString PartnerAnswerBack;

    // Transmit ring, echo ring, firmware buffer
    TransmitRing Tx{TxRingSize};
    EchoRing Echo{EchoRingSize};
    std::vector<std::uint8_t> FirmwareBuf;
    std::int32_t FirmwareSize = 0;

    TelegraphRegister LineRegister = NoRegister;
    std::uint8_t DialogMode = 0;
    std::uint8_t ChannelState = 0;
    std::uint8_t AuxState = 0;
    std::uint8_t Alarm = 0;

    bool LedTimerEnabled = false;
    int LedTimerInterval = LedTimerDefaultInterval;
    std::uint64_t LedTimerDue = 0;

    QStringList TlgRawLines;
    QStringList TlgLines;
    std::uint8_t TxDone = 0;
    std::uint8_t WruTwice = 0;
    std::uint16_t RxCharCount = 0;
    std::uint16_t TxCharCount = 0;
    std::uint16_t JrnTxCount = 0, JrnRxCount = 0;
    std::uint16_t ConnTxCount = 0, ConnRxCount = 0;
    std::uint16_t AdapterReplyCount = 0;
    bool RxCountChanged = false;
    bool TxCountChanged = false;
    bool TransmitBusy = false;
    // A character whose write failed waits at the read position for the next fast tick.
    bool TxRetryPending = false;
    std::uint8_t AdapterRestarted = 0;
    std::uint8_t AdapterExchangeDone = 0;
    bool AnswerBackSending = false;
    bool TxIdle = true;
    std::uint8_t DialFinished = 0;
    // A '&' on a 5-bit line holds the transmitter: what was queued after
    // it stays in the ring, and what is queued meanwhile follows it.
    bool TxPauseActive = false;
    std::int32_t TxPauseMs = 0;
    std::int16_t WruHoldMs = 0;
    FailureCode ResultCode = FailureCodes::Success;

    // Settings copy
    std::uint32_t AdapterType = 0;
    std::uint16_t PortAddr = 0;
    std::uint32_t Modes = 0;
    std::uint32_t CtxModes = 0;
    QString AnswerBack;
    QString TlgHeader;
    QString TransmDir, ReceiveDir, TransmCommonFile, ReceiveCommonFile, TransmJrnFile, ReceiveJrnFile;
    std::array<TSoundEntry, TChannelOptions::kSoundCount> Sounds{};
    bool TwoPoleLine = true;

    bool PortOpen = false;
    std::uint8_t InputLine = 0;
    std::uint8_t OutputPolarity = 0;

    // Protocol position
    const TProtocolRec* Protocol = nullptr;
    const TElementRec* FirstStep = nullptr;
    const TElementRec* CurrentStep = nullptr;
    bool RestartPending = true;
    bool StepBusy = false;
    bool SteppingStopped = false;
    int CurrentIndex = -1;
    TTxElementPro* CurrentElement = nullptr;
    std::vector<std::unique_ptr<TTxElementPro>> Elements;

    // Element settings kept for later elements and the adapter (ms unless said)
    std::int32_t DisconnectWaitTime = 0;
    std::int32_t CallSignalTime = 0;
    std::int32_t ClearingTime = 0;
    std::int32_t BusyPulseMin = 0, BusyPulseMax = 0;
    std::int32_t LineBreakTime = 0;
    std::int32_t ImpulseTime = 0;
    std::int32_t PauseTime = 0;
    std::int32_t ReceivePauseTime = 0;
    std::uint16_t BaudIndex = 0, DataBitsIndex = 0, StopBitsIndex = 0, ParityIndex = 0, CharPause = 0;
    ContraryWorkSettings ContraryWork;
    MessageMarks Marks;
    SwitchingCentreSettings SwitchingCentre;

    std::unique_ptr<TCommPort> Port;
    QString Number;
    // What the dialling elements dial when a fixed prefix goes before the
    // number ("Постоянный донабор"); empty: Number. Number itself stays the
    // key of done-marking and of the failure lists.
    QString DialNumber;
    std::uint8_t DialPos = 1; // 1-based position in the dialled number of the next character
    QString Address;
    QString ExpectedAnswerBack;
    // A chosen destination that waits (Events $100) while the operator's
    // dialled call uses Number: set aside by the idle element's dial and
    // put back when the line returns to the idle step, so that it is called
    // with its own number, address and expected answerback.
    struct SetAsideDestination {
        bool Held = false;
        QString Number, Address, ExpectedAnswerBack;
    };
    SetAsideDestination WaitingDestination;
    ChannelWindow* Window = nullptr;
    QString TlgFileName;
    std::int32_t ScanDelay = 0;
    QString TlgPath;
    QString ConnectionFile;
    std::uint8_t IncomeTlgRequest = 0;
    std::uint32_t WruCount = 0;
    std::uint8_t ConnectionKind = 0;
    QDateTime ConnectionStart;

    RequestWord Events;
    RequestWord SoundEvents;

    std::uint32_t BellCount = 0;
    bool BellAlarm = false;
    bool RxEnabled = false;
    std::int16_t AbTriesLeft = 0;

    QString PendingStepLine, PendingEngineLine, PendingExceptionLine, PendingTxLine, PendingRxLine;

    // Record files and journals
    QString AdapterNote;
    QDateTime RxJrnStart, RxJrnEnd;
    QString RxJrnFile;
    QDateTime TxJrnStart, TxJrnEnd;
    QString TxJrnNumber, TxJrnTelegram, TxJrnRecordFile, TxJrnResult;
    bool TlgRecNoSavePending = false; // StartRecFile moved TlgRecNo on; the file tick saves it

private:
    enum class TransmitResult { Sent, Skipped, Paused, Busy, WriteFailed };
    // Alarm on, State shown (and kept as the auxiliary state), the alarm sound asked for.
    void EnterAlarm(std::uint8_t state);
    TransmitResult TransmitChar(QChar c);
    void SelectStep();
    void ConnectionEstablished();
    void StartCapture();
    void EndCapture();
    void NoteChunkHandedOver();
    void WriteChannelLines();
    void SaveTlgRecNoIfPending();
    PendingFileWork& Work();
    // The first file tick: temporaries of cut writes removed, the work a
    // crash left finished (a cut connection gets its end).
    void RecoverFileWork();
    // Under the engine lock: what the line side asked for, into the pending work.
    void TakeRecordWork();
    void RunRecordWork();
    // Nothing for this file tick: no request, no connection, no work waiting.
    bool FileTickIdle();
    // The connection in progress as a crash would leave it.
    ConnectionInProgress CutConnection(const QString& id);
    // A failure of the file work: logged once for its file (Key) until it
    // succeeds, and the alarm raised then, naming the file.
    void FileWorkFailed(const QString& key, const QString& message, bool keyIsFile = true);
    // A line for the daily log that never stops the file work.
    void LogQuietly(const QString& line) const;
    QString TimeStamp() const;
    bool ShowShifts() const;
    bool Closing() const;

    EngineEnvironment env_;
    std::unique_ptr<TelegramNumbering> numbering_;
    FileWorkQueue fileWork_;
    std::unique_ptr<OutgoingTelegrams> outgoing_ = std::make_unique<OutgoingTelegrams>(*this);
    std::unique_ptr<AdapterExchange> adapterExchange_;
    QByteArray codes_; // conversion buffers, kept to spare allocations
    // A file work that failed is tried again at this pace.
    static constexpr std::uint64_t ChunkRetryInterval = 1000; // ms
    // The text of a connection in progress is kept on disk at this pace: a
    // kill, even one during a write of the work file, then loses no more
    // than the text of the last second, as long as one write of the work
    // file takes less than the rest of that second (some 0.2 s, with one
    // file tick).
    static constexpr std::uint64_t PartSaveInterval = 750; // ms
    std::unique_ptr<PendingFileWork> work_;
    bool recovered_ = false;
    // The connection whose blocks were taken last, and the file they went to.
    QString recordConn_;
    QString recordPath_;
    QString endedConn_; // the connection whose end (its journal line) was taken
    std::uint64_t partSavedAt_ = 0;
    QSet<QString> failuresLogged_;
    std::exception_ptr logFailure_; // a channel log line that could not be written this tick
    QString text_;
};

} // namespace korvane
