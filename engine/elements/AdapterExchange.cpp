#include "engine/elements/AdapterExchange.h"

#include "engine/PendingFileWork.h"
#include "engine/TxDriver.h"
#include "platform/Clock.h"
#include "platform/CodePages.h"
#include "protocols/DriverModes.h"
#include "support/TelegraphCode.h"

#include <algorithm>
#include <vector>

namespace korvane {

namespace {
// UART divisors of the line speeds by the port-settings element's speed
// index: 50, 75, 100, 110, 150, 200, 300, 600, 1200 bit/s and four higher.
constexpr std::array<std::uint16_t, 13> UartDivisors = {1875, 1250, 938, 853, 625, 469, 313, 156, 78, 39, 20, 10, 5};

// The line states 1..6: the adapter is busy on its line.
bool LineBusy(std::uint8_t state)
{
    return state >= 1 && state <= 6;
}

std::uint8_t Byte(const QByteArray& b, int i)
{
    return static_cast<std::uint8_t>(b[i]);
}
} // namespace

QByteArray AdapterExchange::Command(const char* name)
{
    return QByteArray(name) + '.';
}

QByteArray AdapterExchange::Command(const char* name, std::initializer_list<std::uint16_t> words)
{
    QByteArray out(name);
    for (std::uint16_t w : words) {
        out += ',';
        out += static_cast<char>(w & 0xFF);
        out += static_cast<char>(w >> 8);
    }
    out += '.';
    return out;
}

QByteArray AdapterExchange::DateCommand(QDate date)
{
    return Command("ATDATE", {static_cast<std::uint16_t>(date.year() % 100), static_cast<std::uint16_t>(date.month()),
                              static_cast<std::uint16_t>(date.day())});
}

QByteArray AdapterExchange::TimeCommand(QTime time)
{
    return Command("ATTIME", {static_cast<std::uint16_t>(time.second()), static_cast<std::uint16_t>(time.minute()),
                              static_cast<std::uint16_t>(time.hour())});
}

std::array<std::uint8_t, AdapterExchange::SettingsBlockSize> AdapterExchange::SettingsBlock(const TTxChannelDriver& d)
{
    std::array<std::uint8_t, SettingsBlockSize> b{};
    QByteArray codes;
    TelegraphRegister reg = LatinRegister;
    EncodeTelegraph(d.AnswerBack, codes, reg);
    for (int i = 0; i < AnswerBackCodes; ++i)
        b[std::size_t(i)] = i < codes.size() ? static_cast<std::uint8_t>(codes[i]) : FiguresRegister;
    const std::uint16_t divisor = UartDivisors[std::min<std::size_t>(d.BaudIndex, UartDivisors.size() - 1)];
    b[20] = static_cast<std::uint8_t>(divisor & 0xFF);
    b[21] = static_cast<std::uint8_t>(divisor >> 8);
    const int dataBits = d.DataBitsIndex + 4; // the index counts from 4 bits
    std::uint8_t lcr = 0x40 | static_cast<std::uint8_t>(std::max(0, dataBits - 5) & 3);
    if (d.StopBitsIndex != 0)
        lcr |= 0x04;
    if (d.ParityIndex == 1)
        lcr |= 0x08;
    else if (d.ParityIndex == 2)
        lcr |= 0x18;
    b[22] = lcr;
    b[23] = static_cast<std::uint8_t>(d.LineBreakTime / 5);
    b[24] = static_cast<std::uint8_t>(d.CallSignalTime / 5);
    b[25] = static_cast<std::uint8_t>(d.ClearingTime / 5);
    b[26] = static_cast<std::uint8_t>(d.ReceivePauseTime / 1000);
    b[27] = static_cast<std::uint8_t>(d.PauseTime / 5);
    b[28] = static_cast<std::uint8_t>(d.ImpulseTime / 5);
    b[29] = static_cast<std::uint8_t>(d.DisconnectWaitTime / 1000);
    b[30] = 10;
    b[31] = 3;
    return b;
}

QString AdapterExchange::Note(const StoredTelegramHeader& h, int received)
{
    return QString::asprintf("/TARVELOX/ \u2116%d %.2d/%.2d/%.2d %.2d:%.2d:%.2d %.4d-%.4d", h.Number, h.Day, h.Month,
                             h.Year, h.Hour, h.Minute, h.Second, int(h.TextLength()), received - 11);
}

void AdapterExchange::Step()
{
    EngineLock lock(d_.Mutex());
    if (d_.AdapterExchangeDone)
        return;
    // The last fetched telegram is not written, or not marked filed, yet.
    if (d_.Events.has(DriverEvent::WriteChunk | DriverEvent::WriteRxJournal) || markSavePending_)
        return;
    if (AdapterBusy)
        return;
    AdapterBusy = true;
    quiet_ = !heard_;
    heard_ = false;
    if (AdapterSkip > 0) {
        --AdapterSkip;
    } else {
        AdapterSkip = 0;
        RunState();
    }
    d_.ShowCounters();
    AdapterBusy = false;
}

void AdapterExchange::Restart()
{
    EngineLock lock(d_.Mutex());
    if (d_.AdapterExchangeDone)
        return;
    AdapterState = Begin;
    AdapterWait = 0;
    AdapterSkip = 0;
    reply_.clear();
    seenReplySize_ = 0;
    stalled_ = 0;
    d_.Tx.Reset();
    d_.Rx.Reset();
    d_.AdapterReplyCount = 0;
}

void AdapterExchange::Enter(std::uint8_t state)
{
    AdapterState = state;
    AdapterWait = 0;
}

bool AdapterExchange::Drained() const
{
    return d_.Tx.IsEmpty();
}

void AdapterExchange::TakeAdapterByte(std::uint8_t b)
{
    EngineLock lock(d_.Mutex());
    if (d_.AdapterExchangeDone)
        return; // the port is going back to line mode: nothing more is asked of the adapter
    heard_ = true;
    // While the command is still going out, a byte can only be the tail of
    // the reply before it.
    if (Drained() && reply_.size() < MaxReplySize)
        reply_.append(static_cast<char>(b));
}

bool AdapterExchange::Quiet()
{
    if (quiet_)
        return true;
    AdapterTimeout(); // an adapter that never stops sending is as good as a silent one
    return false;
}

void AdapterExchange::Send(const QByteArray& bytes)
{
    d_.Rx.Reset();
    d_.AdapterReplyCount = 0;
    reply_.clear();
    seenReplySize_ = 0;
    QString s;
    s.reserve(bytes.size());
    for (char b : bytes)
        s += QChar(codepage::cp1251ToUnicode(static_cast<unsigned char>(b))); // every byte survives, 0 included
    d_.SendString(s);
}

bool AdapterExchange::WaitedAfterDrain(int steps)
{
    if (!Drained())
        return false;
    if (++AdapterWait <= steps)
        return false;
    AdapterWait = 0;
    return true;
}

bool AdapterExchange::TakeReply(int expected, QByteArray& reply)
{
    if (!Drained())
        return false;
    const int count = static_cast<int>(reply_.size());
    if (count >= expected) {
        reply = reply_.left(expected); // more than asked for: the reply is the first bytes
        return true;
    }
    if (count != seenReplySize_) {
        // Bytes keep arriving (a long telegram at 9600 bit/s): the reply is on its way.
        seenReplySize_ = count;
        AdapterWait = 0;
        return false;
    }
    AdapterTimeout();
    return false;
}

void AdapterExchange::AdapterTimeout()
{
    if (++AdapterWait > ReplySteps) {
        AdapterWait = 0;
        AdapterState = End;
        if (d_.Window)
            d_.Window->SetAdapterTimeout();
    }
}

void AdapterExchange::LoadError()
{
    Enter(End);
    if (d_.Window)
        d_.Window->SetAdapterLoadError();
}

bool AdapterExchange::Stalled()
{
    const bool waiting = AdapterState != End
                         && (!Drained() || (AdapterState == ProgramBlocks && d_.Port->GetOutCount() > 0));
    stalled_ = waiting ? stalled_ + 1 : 0;
    return stalled_ > DrainSteps;
}

void AdapterExchange::RunState()
{
    if (Stalled()) {
        // Nothing leaves the port (its adapter gone): the exchange ends as after a silent adapter.
        stalled_ = 0;
        AdapterWait = 0;
        AdapterState = End;
        if (d_.Window)
            d_.Window->SetAdapterTimeout();
        return;
    }
    QByteArray reply;
    const QDateTime now = d_.Environment().Time->now();
    switch (AdapterState) {
    case Begin:
        markAsked_ = true; // read by the file tick once the work a former run left is done
        if (++AdapterWait > 20) {
            d_.Port->SetParams(br__9600, db8, sb1_0, paNone);
            d_.AttachAdapterHandlers();
            d_.Port->SetStatusInterval(50);
            d_.Port->SetBreak(false);
            d_.Port->SetRTS(true);
            d_.RxEnabled = true;
            LoadTries = 0;
            Enter(SetDate);
        }
        break;
    case SetDate:
        if (WaitedAfterDrain(15)) {
            Send(DateCommand(now.date()));
            Enter(DateSent);
        }
        break;
    case DateSent:
        if (WaitedAfterDrain(2))
            Enter(SetTime);
        break;
    case SetTime:
        if (!Quiet())
            break;
        Send(TimeCommand(now.time()));
        Enter(TimeSent);
        break;
    case TimeSent:
        if (WaitedAfterDrain(1))
            Enter(Test);
        break;
    case Test:
        if (!Quiet())
            break;
        Send(Command("ATTEST"));
        Enter(TestReply);
        break;
    case TestReply:
        if (TakeReply(6, reply)) {
            Status.VersionMajor = Byte(reply, 0);
            Status.VersionMinor = Byte(reply, 1);
            Status.MemorySize = static_cast<std::uint32_t>((Byte(reply, 4) & 3) + 1) * 32768u;
            Status.ProgramPresent = (Byte(reply, 4) & 4) != 0;
            if (d_.Window)
                d_.Window->ShowAdapterInfo(Status);
            if (Status.ProgramPresent) {
                Enter(SendSettings);
            } else {
                Enter(LoadProgram);
                d_.Events.raise(DriverEvent::LoadAdapterProgram);
            }
        }
        break;
    case LoadProgram:
        if (LoadTries >= LoadTriesMax) {
            LoadError();
        } else if (d_.Events.take(DriverEvent::AdapterProgramLoaded)) {
            if (d_.FirmwareSize < 6) { // not even the load command's three words
                LoadError();
                break;
            }
            const auto word = [this](int i) {
                return static_cast<std::uint16_t>(d_.FirmwareBuf[std::size_t(i)] | (d_.FirmwareBuf[std::size_t(i + 1)] << 8));
            };
            Send(Command("ATLOAD", {word(0), word(2), word(4)}));
            ++LoadTries;
            FirmwareOffset = 7;
            FirmwareBlock = FirmwareBlockSize;
            Enter(ProgramBlocks);
        } else if (++AdapterWait > ProgramFileSteps) {
            LoadError(); // the program file is missing or unreadable
        }
        break;
    case ProgramBlocks:
        // The load command must have left the ring and the port before a block follows it.
        if (Drained() && d_.Port->GetOutCount() == 0 && ++AdapterWait > 1) {
            AdapterWait = 0;
            WriteProgramBlock();
        }
        break;
    case SendSettings:
        if (!Quiet())
            break;
        AdapterSettingsBlock = SettingsBlock(d_);
        Send(Command("ATLOAD", {0x0020, 0x2EA0}));
        Enter(SettingsAnnounced);
        break;
    case SettingsAnnounced:
        if (WaitedAfterDrain(1)) {
            Send(QByteArray(reinterpret_cast<const char*>(AdapterSettingsBlock.data()), SettingsBlockSize));
            Enter(SendModes);
        }
        break;
    case SendModes:
        if (WaitedAfterDrain(1)) {
            Send(Command("ATLODO", {static_cast<std::uint16_t>(d_.CtxModes & 0xFFFF),
                                    static_cast<std::uint16_t>(d_.CtxModes >> 16)}));
            Enter(ModesSent);
        }
        break;
    case ModesSent:
        if (WaitedAfterDrain(6))
            Enter(AskStatus);
        break;
    case AskStatus:
        if (!Quiet())
            break;
        Send(Command("ATTLXS"));
        Enter(StatusReply);
        break;
    case StatusReply:
        if (TakeReply(7, reply)) {
            Status.LineState = Byte(reply, 0);
            Status.StoredCount = Byte(reply, 2);
            Status.FreeMemory = Byte(reply, 4) | (Byte(reply, 5) << 8) | (Byte(reply, 6) << 16);
            AdapterWait = 0;
            if (LineBusy(Status.LineState)) {
                AdapterSkip = LongWait;
                if (d_.Window)
                    d_.Window->AddText(QStringLiteral("Ожидание завершения приема"));
                Enter(AskStatus);
            } else {
                if (Status.StoredCount > 0) {
                    Enter(AskHeader);
                } else {
                    AdapterSkip = LongWait;
                    Enter(End);
                }
                if (d_.Window)
                    d_.Window->ShowAdapterChannelState(Status);
            }
        }
        break;
    case AskHeader:
        if (!FiledMarkKnown() || !Quiet())
            break;
        Send(Command("ATHTEL"));
        Enter(HeaderReply);
        break;
    case HeaderReply:
        if (TakeReply(int(StoredTelegramHeader::WireSize), reply)) {
            Header = StoredTelegramHeader::FromBytes(reply);
            headerReply_ = reply;
            if (d_.Window)
                d_.Window->ShowStoredTelegram(Header);
            if (!filedMark_.isEmpty() && reply == filedMark_) {
                // Filed before the channels restarted, not deleted then: deleted now, not filed again.
                d_.QueueLogLine(QStringLiteral("Канал %1: [Телеграмма №%2 из TARVELOX-01 уже записана, удаляется]")
                                    .arg(d_.Channel)
                                    .arg(Header.Number));
                Enter(Delete);
            } else {
                Enter(AskTelegram);
            }
        }
        break;
    case AskTelegram:
        if (!Quiet())
            break;
        Send(Command("ATGETT"));
        Enter(TelegramReply);
        break;
    case TelegramReply:
        if (TakeReply(int(StoredTelegramHeader::WireSize) + Header.TextLength(), reply)) {
            FetchTelegram(reply);
            Enter(Delete);
        }
        break;
    case Delete:
        // The fetched telegram is written: its note has done its work.
        d_.AdapterNote.clear();
        if (!Quiet())
            break;
        Send(Command("ATDELT"));
        Enter(DeleteReply);
        break;
    case DeleteReply:
        if (TakeReply(2, reply)) {
            ClearFiledMark();
            if (--Status.StoredCount > 0) {
                Enter(AskHeader);
            } else {
                AdapterSkip = LongWait;
                Enter(End);
            }
        }
        break;
    case End:
        Finish();
        break;
    default:
        Enter(End);
        break;
    }
}

void AdapterExchange::WriteProgramBlock()
{
    const std::int32_t from = FirmwareOffset - 1; // 0-based
    // The last block is what is left of the image, never more.
    const std::int32_t length = std::min(FirmwareBlock, d_.FirmwareSize - from);
    if (length > 0) {
        const std::uint32_t taken = d_.Port->Write(d_.FirmwareBuf.data() + from, static_cast<std::uint32_t>(length));
        if (taken == 0) { // the port takes nothing: the load cannot go on
            LoadError();
            return;
        }
        d_.TxCharCount = static_cast<std::uint16_t>(FirmwareOffset); // the window shows the progress
        d_.TxCountChanged = true;
        FirmwareOffset += static_cast<std::int32_t>(taken); // a part the port could not take goes with the next block
    }
    if (FirmwareOffset - 1 >= d_.FirmwareSize) {
        AdapterSkip = ShortWait;
        Enter(SetDate); // the clock, the test and the settings again, with the new program
    }
}

void AdapterExchange::FetchTelegram(const QByteArray& reply)
{
    const QByteArray codes = reply.mid(int(StoredTelegramHeader::WireSize));
    d_.StartRecFile();
    d_.RxJrnEnd = d_.Environment().Time->now();
    d_.AdapterNote = Note(Header, static_cast<int>(reply_.size()));
    // Each stored telegram was received on a line of its own: decoding starts unshifted.
    TelegraphRegister reg = NoRegister;
    QString text;
    DecodeTelegraph(codes, text, reg, (GlobalModes.ModeDriver & DriverMode::ShowShiftMarks) != 0);
    d_.PlaceChunk(text); // whole, in blocks of one buffer; an empty telegram as a header alone
    d_.Events.raise(DriverEvent::WriteRxJournal);
    fetchedConnection_ = d_.ConnectionId();
    // The header compared at the next start is the ATHTEL reply; the copy
    // repeated before the text may have come garbled.
    markToSave_ = headerReply_;
    markSavePending_ = true;
    markQueued_ = false;
}

void AdapterExchange::QueueFiledMark(PendingFileWork& work)
{
    std::vector<FileWorkItem> items;
    {
        EngineLock lock(d_.Mutex());
        const AdapterFiledMark mark(d_.Channel, d_.Environment().IniFileName);
        // A clearing goes before the mark of the telegram fetched after it.
        if (clearPending_) {
            items.push_back(mark.SaveAfter({}, {}));
            clearPending_ = false;
        }
        // The mark joins the record and the journal line in the same round
        // of the work, so that the work file never holds them without it.
        if (markSavePending_ && !markQueued_ && !d_.Events.has(DriverEvent::WriteChunk | DriverEvent::WriteRxJournal)) {
            items.push_back(mark.SaveAfter(markToSave_, fetchedConnection_));
            markQueued_ = true;
        }
    }
    for (FileWorkItem& item : items)
        work.Add(std::move(item));
}

void AdapterExchange::SettleFiledMark(const PendingFileWork& work)
{
    const AdapterFiledMark mark(d_.Channel, d_.Environment().IniFileName);
    {
        EngineLock lock(d_.Mutex());
        if (markSavePending_ && markQueued_ && !work.ConnectionWaiting(fetchedConnection_)) {
            // Record, journal line and mark on disk: the adapter may delete it.
            filedMark_ = markToSave_;
            markSavePending_ = false;
            markQueued_ = false;
        }
        if (!markAsked_ || markLoaded_)
            return;
        // A mark a former run left to the work is read once the work has written it.
        markHeld_ = mark.Waiting(work);
        if (markHeld_)
            return;
    }
    const QByteArray header = mark.Load();
    EngineLock lock(d_.Mutex());
    loadedMark_ = header;
    markLoaded_ = true;
}

bool AdapterExchange::FiledMarkKnown()
{
    if (markTaken_)
        return true;
    if (markLoaded_) {
        filedMark_ = loadedMark_;
        markTaken_ = true;
        return true;
    }
    if (markHeld_) {
        // The mark waits for a disk that refuses it: so does the exchange.
        AdapterWait = 0;
        return false;
    }
    if (++AdapterWait > ProgramFileSteps) {
        // The file tick never came to it: the exchange goes on without the mark.
        AdapterWait = 0;
        markTaken_ = true;
        return true;
    }
    return false;
}

void AdapterExchange::ClearFiledMark()
{
    if (filedMark_.isEmpty())
        return;
    // A mark left behind by a crash names a telegram the adapter no longer holds: harmless.
    filedMark_.clear();
    clearPending_ = true;
}

void AdapterExchange::Finish()
{
    d_.ConnectionKind = 0;
    d_.AdapterNote.clear();
    if (++AdapterWait <= 2)
        return;
    d_.Port->SetBreak(true);
    d_.Port->SetRTS(false);
    d_.AdapterExchangeDone = 1;
    d_.Tx.Reset();
    d_.Rx.Reset();
    d_.AdapterReplyCount = 0;
    if (d_.Window)
        d_.Window->ClearText();
}

void TTxChannelDriver::RunAdapterExchange()
{
    Exchange().Step();
}

void TTxChannelDriver::QueueAdapterFiledMark()
{
    AdapterExchange* exchange = nullptr;
    {
        EngineLock lock(Mutex());
        exchange = adapterExchange_.get();
    }
    if (exchange)
        exchange->QueueFiledMark(Work());
}

void TTxChannelDriver::SettleAdapterFiledMark()
{
    AdapterExchange* exchange = nullptr;
    {
        EngineLock lock(Mutex());
        exchange = adapterExchange_.get();
    }
    if (exchange)
        exchange->SettleFiledMark(Work());
}

AdapterExchange& TTxChannelDriver::Exchange()
{
    EngineLock lock(Mutex());
    if (!adapterExchange_)
        adapterExchange_ = std::make_unique<AdapterExchange>(*this);
    return *adapterExchange_;
}

} // namespace korvane
