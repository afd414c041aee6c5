// The character engine of the channel driver: the transmit path from the
// ring to the port, the receive path from the port to the buffers, the
// automatic answerback, the bells and the partner's answerback.

#include "engine/TxDriver.h"

#include "engine/elements/AdapterExchange.h"

#include "platform/Clock.h"
#include "platform/CodePages.h"
#include "protocols/DriverModes.h"
#include "support/LogFile.h"

#include <utility>

namespace korvane {

namespace {
QChar ShiftMark(std::uint8_t code)
{
    switch (code) {
    case 0: return QChar(TelegraphTextMarks::RussianShift);
    case 2: return QChar(TelegraphTextMarks::LineFeed);
    case 27: return QChar(TelegraphTextMarks::FiguresShift);
    case 31: return QChar(TelegraphTextMarks::LatinShift);
    default: return u'?';
    }
}
// The register shifts: Russian, figures, Latin.
bool IsShiftCode(std::uint8_t b)
{
    const std::uint8_t code = b & 31;
    return code == 0 || code == 27 || code == 31;
}
} // namespace

bool TTxChannelDriver::ShowShifts() const
{
    return (GlobalModes.ModeDriver & DriverMode::ShowShiftMarks) != 0;
}

bool TTxChannelDriver::FiveBitLine() const
{
    return Port->DataBits() == db5;
}

void TTxChannelDriver::AllocTxRing(std::uint16_t size)
{
    if (size == 0)
        return;
    Tx.Allocate(size);
    TxPauseActive = false;
    TxRetryPending = false;
}

void TTxChannelDriver::AllocEchoRing(std::uint16_t size)
{
    Echo.Allocate(size);
}

void TTxChannelDriver::AttachLineHandlers()
{
    Port->OnDataAvail = [this](QObject*, int count) {
        EngineLock lock(Mutex());
        ReceiveChars(count);
    };
    Port->OnTxEmptySignal = [this](QObject*) {
        EngineLock lock(Mutex());
        SendNext();
    };
    Port->OnRingSignal = [this](QObject*) { RingSignal(); };
}

void TTxChannelDriver::AttachAdapterHandlers()
{
    Port->OnDataAvail = [this](QObject*, int count) {
        EngineLock lock(Mutex());
        AdapterDataAvail(count);
    };
    Port->OnTxEmptySignal = [this](QObject*) {
        EngineLock lock(Mutex());
        AdapterTxEmpty();
    };
    Port->OnRingSignal = nullptr;
}

void TTxChannelDriver::SendString(const QString& s)
{
    if (QueueText(s) < s.size())
        NoteEngineLine(QStringLiteral("+-+Буфер передачи заполнен, текст не поставлен"));
}

qsizetype TTxChannelDriver::QueueText(QStringView s)
{
    EngineLock lock(Mutex());
    const bool wasEmpty = Tx.IsEmpty();
    qsizetype queued = 0;
    for (QChar c : s) {
        if (!Tx.Put(c))
            break;
        ++queued;
        TxIdle = false; // also while a WRU hold keeps the transmitter from starting
    }
    if (wasEmpty && queued > 0 && WruHoldMs < 1)
        SendNext();
    return queued;
}

void TTxChannelDriver::SendChar(QChar c)
{
    EngineLock lock(Mutex());
    if (Window)
        Window->SetLedAutoBlink(ChannelLed::Tx, true);
    const bool wasEmpty = Tx.IsEmpty();
    if (!Tx.Put(c)) {
        NoteEngineLine(QStringLiteral("+-+Буфер передачи заполнен, текст не поставлен"));
        return;
    }
    if (wasEmpty)
        SendNext();
}

void TTxChannelDriver::SendAnswerBack()
{
    EngineLock lock(Mutex());
    NoteEngineLine(QStringLiteral("+-+Начинаем передачу АО (Cntr=%1)").arg(AnswerBack.size()));
    AnswerBackSending = true;
    SendString(AnswerBack);
}

void TTxChannelDriver::SendNext()
{
    EngineLock lock(Mutex());
    if (TxPauseActive)
        return; // the held text waits for the end of the pause
    const bool retrying = std::exchange(TxRetryPending, false);
    while (!Tx.IsEmpty()) {
        TxIdle = false;
        if (Window)
            Window->SetLedAutoBlink(ChannelLed::Tx, true);
        const QChar c = Tx.Peek();
        Tx.Take();
        const TransmitResult result = TransmitChar(c);
        if (result == TransmitResult::Busy) {
            Tx.Untake(); // the transmission in progress comes back for it
            return;
        }
        if (result == TransmitResult::WriteFailed) {
            Tx.Untake();
            TxRetryPending = true; // the next fast tick tries again
            if (!retrying) // noted once, not on every try of a port that stays unwritable
                NoteEngineLine(QStringLiteral("+-+Повтор передачи символа"));
            return;
        }
        // Every character taken from the ring counts, sent or not.
        if (Window)
            Window->AdvanceProgressPosition();
        if (result == TransmitResult::Sent)
            return;
        // Nothing went out ('&' hold, no telegraph sign), so no
        // transmitter-empty event follows: on to the next character, unless
        // a '&' holds the rest back (it stays queued, the ring is not idle).
        NoteEngineLine(QStringLiteral("+-+Повтор передачи символа"));
        if (result == TransmitResult::Paused && !Tx.IsEmpty())
            return;
    }
    TxIdle = true;
    if (AnswerBackSending) {
        AnswerBackSending = false;
        StartCapture();
        NoteEngineLine(QStringLiteral("+-+Завершили передачу АО (Cntr=%1)").arg(Tx.Count()));
    }
    LedTimerEnabled = true;
    LedTimerDue = env_.Time->tickMs() + static_cast<std::uint64_t>(std::max(0, LedTimerInterval));
}

TTxChannelDriver::TransmitResult TTxChannelDriver::TransmitChar(QChar c)
{
    if (TransmitBusy) {
        NoteEngineLine(QStringLiteral("+-+Уже идет обработка передачи"));
        return TransmitResult::Busy;
    }
    TransmitBusy = true;
    TransmitResult result = TransmitResult::Sent;
    if (!FiveBitLine()) {
        const auto byte = static_cast<std::uint8_t>(codepage::unicodeToCp1251(c.unicode()));
        if (Port->WriteByte(byte) == 0) {
            result = TransmitResult::WriteFailed;
        } else {
            SoundEvents.raise(SoundEvent::LineActivity);
            ++TxCharCount;
            ++JrnTxCount;
            ++ConnTxCount;
            PutRxByte(byte);
        }
    } else if (c == u'&') {
        // The text after the '&' stays where it is in the ring.
        TxPauseActive = true;
        TxPauseMs = TxPauseTime;
        PauseRxMark = Rx.Total();
        if (Window)
            Window->SetLedAutoBlink(ChannelLed::Tx, false);
        result = TransmitResult::Paused;
    } else {
        const TelegraphRegister before = LineRegister;
        EncodeTelegraph(QStringView(&c, 1), codes_, LineRegister);
        if (codes_.isEmpty()) {
            // No telegraph sign: nothing goes out, but the log shows it was taken.
            PendingTxLine = QStringLiteral("Tx ->: '' %1").arg(TimeStamp());
            Events.raise(DriverEvent::LogTxLine);
            result = TransmitResult::Skipped;
        } else if (Port->WriteString(codes_) == 0) {
            LineRegister = before; // the codes did not go out
            result = TransmitResult::WriteFailed;
        } else {
            TelegraphRegister reg = before;
            DecodeTelegraph(codes_, text_, reg, ShowShifts());
            for (QChar t : std::as_const(text_)) {
                PutEcho(t);
                PutRxChar(t);
            }
            reg = before;
            QString marks;
            DecodeTelegraph(codes_, marks, reg, true);
            ConvertCrLfToMarks(marks);
            PendingTxLine = QStringLiteral("Tx ->: '%1' %2").arg(marks, TimeStamp());
            Events.raise(DriverEvent::LogTxLine);
            SoundEvents.raise(SoundEvent::LineActivity);
            const auto n = static_cast<std::uint16_t>(codes_.size());
            TxCharCount += n;
            JrnTxCount += n;
            ConnTxCount += n;
        }
    }
    TxCountChanged = true;
    TransmitBusy = false;
    return result;
}

void TTxChannelDriver::TickTransmitPause()
{
    if (!TxPauseActive)
        return;
    if (Rx.Total() != PauseRxMark) {
        TxPauseMs = TxPauseTime;
        PauseRxMark = Rx.Total();
        return;
    }
    TxPauseMs -= ProtocolInterval;
    if (TxPauseMs > 0)
        return;
    TxPauseActive = false;
    SendNext();
}

void TTxChannelDriver::AdapterTxEmpty()
{
    EngineLock lock(Mutex());
    if (Tx.IsEmpty())
        return;
    const QChar c = Tx.Peek();
    Tx.Take();
    const TransmitResult r = TransmitChar(c);
    if (r == TransmitResult::Busy || r == TransmitResult::WriteFailed) {
        Tx.Untake();
        TxRetryPending = r == TransmitResult::WriteFailed;
    }
}

void TTxChannelDriver::ReceiveChars(int count)
{
    EngineLock lock(Mutex());
    for (int i = 0; i < count; ++i) {
        const std::uint8_t b = Port->ReadByte();
        SoundEvents.raise(SoundEvent::LineActivity);
        if (!RxEnabled)
            continue;
        ++RxCharCount;
        ++JrnRxCount;
        ++ConnRxCount;
        RxCountChanged = true;
        if (PartnerAbCapture)
            ++PartnerAbCount;
        if (!FiveBitLine()) {
            PutEcho(QChar(codepage::cp1251ToUnicode(b)));
            PutLineByte(b);
        } else {
            codes_ = QByteArray(1, static_cast<char>(b));
            DecodeTelegraph(codes_, text_, LineRegister, ShowShifts());
            QChar c = text_.isEmpty() ? QChar() : text_.front();
            if (c == u'\n')
                c = QChar();
            if (!c.isNull()) {
                PutEcho(c);
                PutLineByte(static_cast<std::uint8_t>(codepage::unicodeToCp1251(c.unicode())));
                PendingRxLine = QStringLiteral("Rx <-: '%1' %2").arg(CrLfCharToMark(c), TimeStamp());
            } else {
                PendingRxLine = QStringLiteral("Rx <-: '%1' %2").arg(ShiftMark(b & 31), TimeStamp());
            }
            Events.raise(DriverEvent::LogRxLine);
            if (c == QChar(TelegraphTextMarks::AnswerbackRequest)) {
                WruHoldMs = WruHoldTime;
                SendAnswerBack();
                ++WruCount;
            }
            // A shift code leaves the count, also when its mark is shown
            // (bells in the figures register come each after a figures shift).
            if (c == u'Ю')
                ++BellCount;
            else if (!c.isNull() && !IsShiftCode(b))
                BellCount = 0;
            if (BellCount >= 3)
                BellAlarm = true;
        }
        if (PartnerAbCount >= 20)
            EndCapture();
    }
}

void TTxChannelDriver::AdapterDataAvail(int count)
{
    EngineLock lock(Mutex());
    AdapterExchange& exchange = Exchange();
    for (int i = 0; i < count; ++i) {
        // The adapter's replies stay apart from the receive buffer, which holds the commands sent.
        exchange.TakeAdapterByte(Port->ReadByte());
        ++AdapterReplyCount;
        ++RxCharCount;
        RxCountChanged = true;
    }
}

void TTxChannelDriver::StartCapture()
{
    PartnerAbStart = Rx.Total();
    PartnerAbCapture = true;
    PartnerAbCount = 0;
}

void TTxChannelDriver::EndCapture()
{
    PartnerAbCount = 0;
    PartnerAbCapture = false;
    PartnerAbEnd = Rx.Total();
    if (PartnerAbEnd <= PartnerAbStart)
        return;
    QByteArray bytes = Rx.Stored(PartnerAbStart, PartnerAbEnd);
    bytes.removeIf([](char b) { return b == '\r' || b == '\n' || b == '\0'; });
    PartnerAnswerBack = codepage::fromCp1251(bytes);
}

void TTxChannelDriver::PutRxByte(std::uint8_t b)
{
    if (Rx.Put(b))
        NoteChunkHandedOver();
}

void TTxChannelDriver::PutLineByte(std::uint8_t b)
{
    LineText.Note(Rx.Total(), b);
    PutRxByte(b);
}

void TTxChannelDriver::PutRxChar(QChar c)
{
    PutRxByte(static_cast<std::uint8_t>(codepage::unicodeToCp1251(c.unicode())));
}

void TTxChannelDriver::PutEcho(QChar c)
{
    Echo.Put(c);
}

void TTxChannelDriver::FlushEcho()
{
    while (!Echo.IsEmpty())
        ShowChar(Echo.Take());
}

void TTxChannelDriver::ShowChar(QChar c)
{
    if (Window && c != u'\n' && !c.isNull())
        Window->SendMemoChar(c);
}

} // namespace korvane
