#include "engine/elements/IdleElement.h"

#include "engine/TelegramNumbering.h"
#include "engine/TxDriver.h"
#include "platform/Clock.h"

#include <algorithm>

namespace korvane {

namespace {

constexpr std::uint32_t kIntelligentAdapter = 3;
constexpr std::uint16_t kBlinkTicks = 100; // one second of fast ticks

// The file name of a path, without its folder (either separator).
QString FileNameOf(const QString& path)
{
    const qsizetype cut = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.mid(cut + 1);
}

// Path with the extension of its file name replaced by Ext (".PTC").
QString WithExtension(const QString& path, const QString& ext)
{
    const QString name = FileNameOf(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString folder = path.left(path.size() - name.size());
    return folder + (dot < 0 ? name : name.left(dot)) + ext;
}

// The transmit journal's fields for a connection that starts now.
void BeginTransmitRecord(TTxChannelDriver& d, const QString& telegram)
{
    const QDateTime now = d.Environment().Time->now();
    d.ConnectionStart = now;
    d.TxJrnStart = now;
    d.TxJrnNumber = d.Number;
    d.TxJrnTelegram = telegram;
    d.TxJrnRecordFile = FileNameOf(d.ConnectionFile);
    d.TxJrnResult.clear();
    d.JrnTxCount = 0;
    d.JrnRxCount = 0;
}

} // namespace

TTxCheckInputLine::TTxCheckInputLine(TTxChannelDriver& owner)
    : TTxElementPro(owner, 29, QStringLiteral("Анализ состояния приема"), QStringLiteral("TTxCheckInputLine"))
{
}

void TTxCheckInputLine::Start()
{
    TTxElementPro::Start();
    TTxChannelDriver& d = Driver();
    if (Step) {
        ScanWait = ParamValue(0);
        CallTime = ParamValue(1);
        OnSuccess = ParamText(2);
        OnFailure = ParamText(3);
        OnClear = ParamText(4);
        CallLeft = CallTime;
        ScanLeft = ScanWait;
    }
    State = ChannelStates::Idle;
    d.CallSignalTime = CallTime;
    d.RxEnabled = false;
    // Between connections: the next call dials its own number from the start.
    d.DialNumber.clear();
    d.DialPos = 1;
    // The operator's call has ended: a destination that waited through it
    // gets its own number back.
    const bool waiting = TakeBackWaitingDestination();
    if (d.Window) {
        d.Window->SetTelegramFile(QString());
        if (waiting)
            d.Window->SetCallInfo(d.TlgFileName, d.Number, d.Address, QStringLiteral("AB=") + d.ExpectedAnswerBack);
        else
            d.Window->SetCallInfo(QString(), QString(), QString(), QString());
    }
}

bool TTxCheckInputLine::TakeBackWaitingDestination()
{
    TTxChannelDriver& d = Driver();
    TTxChannelDriver::SetAsideDestination& w = d.WaitingDestination;
    if (!w.Held)
        return false;
    w.Held = false;
    if (!d.Events.has(DriverEvent::DestinationChosen))
        return false;
    d.Number = w.Number;
    d.Address = w.Address;
    d.ExpectedAnswerBack = w.ExpectedAnswerBack;
    return true;
}

void TTxCheckInputLine::DoIt()
{
    GuardedDoIt([this] {
        // 1. The intelligent adapter's exchange runs to its end first.
        if (AdapterExchange())
            return;
        // 2. The line: a break, an incoming call. The first jump ends the tick,
        //    so nothing below can start a call over it.
        if (LineWatch())
            return;
        // 3. The alarm, the automatic transmission, or the operator's command.
        TTxChannelDriver& d = Driver();
        if (d.Alarm)
            ShowAlarm();
        else if (!d.DialogMode && (d.Modes & ChannelMode::AutoTrm))
            AutomaticTransmission();
        else if (d.Window && d.DialogMode)
            OperatorCommand();
    });
}

bool TTxCheckInputLine::AdapterExchange()
{
    TTxChannelDriver& d = Driver();
    if (d.AdapterType != kIntelligentAdapter)
        return false;
    if (!d.AdapterExchangeDone) {
        State = 0;
        AdapterExchangeStep();
        return true;
    }
    if (!d.AdapterRestarted) {
        d.AdapterRestarted = 1; // once in the life of the driver
        d.RestartProtocol();
        return true;
    }
    return false;
}

void TTxCheckInputLine::AdapterExchangeStep()
{
    Driver().RunAdapterExchange();
}

bool TTxCheckInputLine::LineWatch()
{
    bool ended = false;
    const bool ok = GuardedDoIt([this, &ended] {
        if (LineBroken()) {
            JumpTo(OnClear);
            ended = true;
        } else if (HeldFor(ReadInputLine(), CallLeft, CallTime)) {
            StartReceive();
            ended = true;
        }
    }, u".CheckBreakLine");
    return ended || !ok;
}

void TTxCheckInputLine::StartReceive()
{
    TTxChannelDriver& d = Driver();
    d.StartRecFile();
    d.RxEnabled = true;
    d.SoundEvents.raise(SoundEvent::ReceiveStart);
    d.NoteStepLine(QStringLiteral("+++++ Начало приема [%1]").arg(d.RxJrnFile));
    JumpTo(OnSuccess);
    State = ChannelStates::Connected;
}

void TTxCheckInputLine::ShowAlarm()
{
    TTxChannelDriver& d = Driver();
    d.SetChannelState(d.AuxState);
    if (!d.Window)
        return;
    if (++BlinkCount < kBlinkTicks)
        return;
    BlinkCount = 0;
    d.Window->SetElementName(BlinkPhase == 1 ? QStringLiteral("Аварийное состояние") : QString());
    d.Window->SetAlarmColor(BlinkPhase != 0);
    BlinkPhase ^= 1;
    d.SoundEvents.raise(SoundEvent::Alarm);
}

void TTxCheckInputLine::AutomaticTransmission()
{
    GuardedDoIt([this] {
        TTxChannelDriver& d = Driver();
        // a. Ask the file side for the next destination once the scan delay is out.
        if (d.ScanDelay <= 0 && !d.Events.has(DriverEvent::DestinationChosen | DriverEvent::ScanOutgoing))
            d.Events.raise(DriverEvent::ScanOutgoing);
        // b. Every ScanWait: call the destination the file side chose.
        if (!CountDown(ScanLeft))
            return;
        if (d.Events.take(DriverEvent::DestinationChosen) && !d.Number.isEmpty() && !d.TlgPath.isEmpty())
            StartTransmission();
        ScanLeft = ScanWait;
    }, u".AutoTrm");
}

void TTxCheckInputLine::StartTransmission()
{
    TTxChannelDriver& d = Driver();
    d.ConnectionFile = (d.Modes & ChannelMode::CommonTrm) ? d.TransmCommonFile
                                                           : WithExtension(d.TlgPath, QStringLiteral(".PTC"));
    d.ConnectionKind = 2; // automatic transmission
    BeginTransmitRecord(d, FileNameOf(d.TlgPath));
    d.SoundEvents.raise(SoundEvent::TransmitStart);
    d.RxEnabled = true;
    d.NoteStepLine(QStringLiteral("+++++ Начало автоматической передачи [#=%1, AB=%2, %3]")
                       .arg(d.TxJrnNumber, d.ExpectedAnswerBack, d.TxJrnTelegram));
    if (d.Window)
        d.Window->SetTelegramFile(d.TxJrnRecordFile);
    JumpTo(OnFailure);
}

void TTxCheckInputLine::OperatorCommand()
{
    TTxChannelDriver& d = Driver();
    ChannelWindow& w = *d.Window;
    const std::uint8_t command = w.ChannelCommand();
    switch (command) {
    case ChannelCommands::None:
        break;
    case ChannelCommands::Dial:
        w.ClearChannelCommand(command);
        Dial();
        break;
    case ChannelCommands::ControlMode:
        w.ClearChannelCommand(command);
        d.DialogMode = 0;
        d.SoundEvents.raise(SoundEvent::BackToControl);
        w.SetDialogMode(false);
        d.RestartProtocol();
        w.PostMessageCode(ChannelMessageCodes::BackToControl);
        break;
    case ChannelCommands::Disconnect:
    case ChannelCommands::Restart:
        break; // the protocol tick's dialog commands carry these out
    default:
        w.ClearChannelCommand(command);
        w.PostMessageCode(ChannelMessageCodes::Refused);
        break;
    }
}

void TTxCheckInputLine::Dial()
{
    TTxChannelDriver& d = Driver();
    // A destination chosen for the automatic transmission keeps waiting:
    // its number and answerback are set aside for this call's length, and
    // this call expects no answerback of its own.
    if (d.Events.has(DriverEvent::DestinationChosen) && !d.WaitingDestination.Held)
        d.WaitingDestination = {true, d.Number, d.Address, d.ExpectedAnswerBack};
    if (d.WaitingDestination.Held) {
        d.Address.clear();
        d.ExpectedAnswerBack.clear();
    }
    d.Number = d.Window->Number().left(ChannelWindow::NumberCapacity);
    JumpTo(OnFailure);
    d.ConnectionKind = 3; // operator dialog
    QString number;
    TTxChannelDriver::FormatNumber5(d.Numbering().NextDlgNo, number);
    d.ConnectionFile = d.TransmDir + QStringLiteral("/DLG") + number + QStringLiteral(".PTC");
    ++d.Numbering().NextDlgNo;
    BeginTransmitRecord(d, QStringLiteral("Диалог"));
    d.Window->SetTelegramFile(d.TxJrnRecordFile);
    d.RxEnabled = true;
    d.NoteStepLine(QStringLiteral("+++++ Начало передачи в \"Диалоге\" [%1, %2]").arg(d.TxJrnNumber, d.TxJrnRecordFile));
}

void AddIdleElement(ElementFactories& factories)
{
    factories[QStringLiteral("TTxCheckInputLine")] = FactoryOf<TTxCheckInputLine>();
}

} // namespace korvane
