#include "engine/elements/ClearDownElements.h"

#include "engine/CallFailurePolicy.h"
#include "engine/OutgoingTelegrams.h"
#include "engine/TelegramNumbering.h"
#include "engine/TxDriver.h"
#include "platform/Clock.h"
#include "protocols/DriverModes.h"

#include <QFileInfo>

namespace korvane {


namespace {

QString FileNameOf(const QString& path)
{
    return QFileInfo(QString(path).replace(u'\\', u'/')).fileName();
}

// A record part of 5 characters or fewer is noise and is never written.
constexpr int kNoiseLength = 5;

} // namespace

// --- TTxDisConnect ---

TTxDisConnect::TTxDisConnect(TTxChannelDriver& owner)
    : TTxElementPro(owner, 27, QStringLiteral("Отбой"), QStringLiteral("TTxDisConnect"))
{
}

void TTxDisConnect::Start()
{
    // 1. Nothing more is asked for or received in this call.
    TTxElementPro::Start();
    TTxChannelDriver& d = Driver();
    d.AbTriesLeft = 0;
    d.RxEnabled = false;
    // The expected answerback belongs to the call that ends, unless the
    // file side has chosen the next destination meanwhile (an incoming call
    // came before the chosen one could be called): that one keeps its own.
    d.SetExpectedAnswerBack(d.Events.has(DriverEvent::DestinationChosen) ? d.ExpectedAnswerBack : QString());
    // 2. The record and the result of the connection.
    switch (d.ConnectionKind) {
    case 1:
        EndReception();
        break;
    case 2:
        EndTransmission();
        break;
    case 3:
        EndDialog();
        break;
    default:
        break;
    }
    // 3. The line back to '-' and the call's state reset.
    d.Events.raise(DriverEvent::LogStepLine);
    ResetCall();
    // 4. Done at once unless the file tick still has to write.
    DoIt();
}

bool TTxDisConnect::FlushRecord(int& flushed)
{
    TTxChannelDriver& d = Driver();
    const std::int64_t connectionBytes = d.Rx.Total() - ConnectionTextStart;
    flushed = d.FlushRxBuffer();
    return connectionBytes > flushed;
}

void TTxDisConnect::EndReception()
{
    TTxChannelDriver& d = Driver();
    int flushed = 0;
    const bool earlierParts = FlushRecord(flushed);
    if (flushed <= kNoiseLength && !earlierParts) {
        // Noise: no journal line, and the number goes to the next reception,
        // in the INI file too.
        d.Numbering().TlgRecNo -= 1;
        d.TlgRecNoSavePending = true;
        return;
    }
    d.WruTwice = d.WruCount >= 2 ? 1 : 0;
    d.SoundEvents.raise(SoundEvent::ReceiveEnd);
    // A reception without its two answerback requests is kept as .RE.
    if (!d.WruTwice && (d.Modes & ChannelMode::CommonRec) == 0)
        d.ConnectionFile = ChangeFileExt(d.ConnectionFile, QStringLiteral(".RE"));
    d.RxJrnFile = FileNameOf(d.ConnectionFile);
    d.RxJrnEnd = d.Environment().Time->now();
    d.NoteStepLine(QStringLiteral("+++++ Завершение приема [%1 = %2, AAB: %3]")
                       .arg(d.PartnerAnswerBack, d.RxJrnFile)
                       .arg(d.WruCount));
    d.Events.clear(DriverEvent::RxJournalWritten);
    d.Events.raise(DriverEvent::WriteRxJournal);
}

void TTxDisConnect::EndTransmission()
{
    TTxChannelDriver& d = Driver();
    // A call that ended without a failure code but before its text had
    // gone out did not succeed.
    if (d.ResultCode == FailureCodes::Success && !d.TxDone)
        d.ResultCode = FailureCodes::Unk;
    if (d.ResultCode != FailureCodes::Success) {
        d.TxDone = 0;
        RegisterCallFailure(GlobalModes, d.Number, d.ResultCode);
    } else {
        RemoveUnsuccessfulNumber(d.Number);
        d.Events.raise(DriverEvent::CallSucceeded); // the file tick marks the destination done
    }
    int flushed = 0;
    if (d.TxDone) {
        d.SoundEvents.raise(SoundEvent::SuccessfulEnd);
        FlushRecord(flushed);
    } else {
        d.SoundEvents.raise(SoundEvent::TransmitEnd);
        if ((d.Modes & ChannelMode::CommonTrm) == 0)
            d.ConnectionFile = ChangeFileExt(d.TlgPath, QStringLiteral(".PT"));
        if (d.Modes & ChannelMode::BadCalls)
            d.ResetRxBuffer(); // the record of an unfinished transmission is dropped
        else
            FlushRecord(flushed);
    }
    NoteTransmitJournal(QStringLiteral("+++++ Завершение автоматической передачи [%1 - %2 = %3]"));
}

void TTxDisConnect::EndDialog()
{
    TTxChannelDriver& d = Driver();
    if ((d.Modes & ChannelMode::CommonTrm) == 0 && !d.TxDone)
        d.ConnectionFile = ChangeFileExt(d.ConnectionFile, QStringLiteral(".PT"));
    int flushed = 0;
    FlushRecord(flushed);
    NoteTransmitJournal(QStringLiteral("+++++ Завершение соединения в \"Диалоге\" [%1 - %2 = %3]"));
    d.SoundEvents.raise(SoundEvent::TransmitEnd);
}

void TTxDisConnect::NoteTransmitJournal(const QString& stepFormat)
{
    TTxChannelDriver& d = Driver();
    d.TxJrnRecordFile = FileNameOf(d.ConnectionFile);
    d.TxJrnEnd = d.Environment().Time->now();
    const FailureCode result = d.ResultCode < FailureCodes::Count ? d.ResultCode : FailureCodes::Unk;
    d.TxJrnResult = FailureCodeTexts[result].toString();
    d.NoteStepLine(stepFormat.arg(d.Number, d.TxJrnRecordFile, d.TxJrnResult.trimmed()));
    d.Events.clear(DriverEvent::TxJournalWritten);
    d.Events.raise(DriverEvent::WriteTxJournal);
}

void TTxDisConnect::ResetCall()
{
    TTxChannelDriver& d = Driver();
    d.ResultCode = FailureCodes::Success;
    d.WruCount = 0;
    d.PartnerAbCapture = false;
    d.LineRegister = NoRegister;
    SetLineMinus();
    State = ChannelStates::Clearing;
    d.DialPos = 1;
    d.DialFinished = 0; // a dialling that ended in this call says nothing of the next
    // Anything still queued for sending is dropped, and with it whatever
    // held the transmitter back: a '&' pause, the hold after a WRU, an
    // own answerback under way.
    d.Tx.Reset();
    d.TxPauseActive = false;
    d.WruHoldMs = 0;
    d.AnswerBackSending = false;
    d.TxRetryPending = false;
    d.TxIdle = true;
    ConnectionTextStart = d.Rx.Total();
}

void TTxDisConnect::DoIt()
{
    Guarded(QStringLiteral("TTxDisconnect.DoIt"), [this] {
        TTxChannelDriver& d = Driver();
        if (d.Events.has(DriverEvent::WriteChunk | DriverEvent::WriteTxJournal | DriverEvent::WriteRxJournal))
            return; // the file tick has not written everything yet
        d.ResetCounters();
        GoNext();
    });
}

// --- TTxWaitDisConnect ---

TTxWaitDisConnect::TTxWaitDisConnect(TTxChannelDriver& owner)
    : TTxElementPro(owner, 28, QStringLiteral("Ожидание подтверждения отбоя"), QStringLiteral("TTxWaitDisConnect"))
{
}

void TTxWaitDisConnect::Start()
{
    TTxElementPro::Start();
    if (Step) {
        Wait = ParamValue(0);
        PlusTime = ParamValue(1);
        OnSuccess = ParamText(2);
        OnFailure = ParamText(3);
    }
    TTxChannelDriver& d = Driver();
    PlusLeft = PlusTime;
    State = ChannelStates::WaitClearConfirm;
    d.DisconnectWaitTime = Wait;
    d.RxEnabled = false;
}

void TTxWaitDisConnect::DoIt()
{
    Guarded(QStringLiteral("TTxWaitDisConnect.DoIt"), [this] { Work(); });
}

void TTxWaitDisConnect::Work()
{
    if (LineBroken()) {
        JumpTo(OnFailure);
        return;
    }
    if (!ReadInputLine()) {
        // The distant side holds its line at '-': the clearing is confirmed.
        if (CountDown(PlusLeft)) {
            JumpTo(OnSuccess);
            return;
        }
    } else {
        PlusLeft = PlusTime;
    }
    if (CountDown(Wait))
        JumpTo(OnFailure);
}

} // namespace korvane
