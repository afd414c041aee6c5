// The driver's side of running a protocol: selecting and starting the
// element of a step, following steps that finish at once, the fast tick of
// the running element, and the operator's dialog commands.

#include "engine/TxDriver.h"
#include "engine/elements/AdapterExchange.h"

#include "engine/EngineError.h"
#include "platform/Clock.h"
#include "platform/SystemBeep.h"

#include <QTime>

#include <algorithm>
#include <array>

namespace korvane {

namespace {

// Classes whose steps, met in dialog mode, mean the connection is established.
constexpr std::array<std::uint16_t, 7> kConnectionCodes = {10, 20, 21, 22, 23, 24, 32};
constexpr std::uint16_t kWaitAskAuto = 31;
constexpr std::uint16_t kIdleElement = 29;
// The idle part of the protocol: clear-down, its confirmation, the idle loop.
constexpr std::array<std::uint16_t, 3> kIdleCodes = {27, 28, 29};

template <std::size_t N>
bool OneOf(const std::array<std::uint16_t, N>& codes, std::uint16_t code)
{
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

QString ClassNameOf(const TElementRec* step)
{
    return step && step->ClassDef ? step->ClassDef->Name : QString();
}

QString MissingElement(const TElementRec* step)
{
    return QStringLiteral("Элемент ") + ClassNameOf(step) + QStringLiteral(" отсутствтует в списке элементов");
}

} // namespace

int TTxChannelDriver::IndexOfElement(const QString& displayName) const
{
    for (std::size_t i = 0; i < Elements.size(); ++i)
        if (Elements[i]->ElementName.compare(displayName, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

TTxElementPro* TTxChannelDriver::ElementAt(int index) const
{
    return index >= 0 && index < ElementCount() ? Elements[static_cast<std::size_t>(index)].get() : nullptr;
}

void TTxChannelDriver::Step()
{
    EngineLock lock(Mutex());
    if (StepBusy)
        return;
    StepBusy = true;
    // An exception leaves StepBusy set: the channel is not stepped again
    // until the channels restart.
    if (RestartPending) {
        RestartPending = false;
        SelectStep();
        StepBusy = false;
        return;
    }
    if (CurrentIndex < 0)
        throw EngineError(MissingElement(CurrentStep));
    if (TTxElementPro* p = ElementAt(CurrentIndex); p && p->Done) {
        CurrentStep = p->Step;
        SelectStep();
    }
    if (CurrentElement && CurrentElement->State != ChannelState)
        SetChannelState(Alarm ? AuxState : CurrentElement->State);
    if (DialogMode)
        if (TTxElementPro* p = ElementAt(CurrentIndex))
            p->CheckDirectWork();
    TickTransmitPause();
    FlushEcho();
    ShowCounters();
    DialogCommands();
    if (BellAlarm) {
        BellAlarm = false;
        env_.Beep->beep();
    }
    if (AdapterType == 3 && AdapterRestarted)
        Port->ToggleDTR();
    if (Window) {
        if (RxEnabled && ConnectionStart.isValid()) {
            const qint64 ms = std::max<qint64>(0, ConnectionStart.msecsTo(env_.Time->now()));
            Window->SetConnectionTime(QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms % 86400000)));
        } else {
            Window->SetConnectionTime(QTime(0, 0));
        }
    }
    if (LedTimerEnabled && env_.Time->tickMs() >= LedTimerDue)
        LedTimerTimer();
    StepBusy = false;
}

void TTxChannelDriver::SelectStep()
{
    // A protocol whose steps all finish at once would chain for ever: one
    // pass over its steps is the most a single selection may take.
    const std::size_t limit = Protocol ? std::max<std::size_t>(1, Protocol->Elements.size()) : 1;
    for (std::size_t started = 0;; ++started) {
        if (!CurrentStep)
            throw EngineError(QStringLiteral("Текущий элемент = nil"));
        if (started >= limit)
            throw EngineError(QStringLiteral("Шаги протокола %1 завершаются без ожидания (элемент %2)")
                                  .arg(Protocol ? Protocol->Name : QString(), CurrentStep->Name));
        CurrentIndex = IndexOfElement(ClassNameOf(CurrentStep));
        if (Window)
            Window->SetElementName(CurrentStep->Name);
        if (CurrentIndex < 0)
            throw EngineError(MissingElement(CurrentStep));
        TTxElementPro* p = ElementAt(CurrentIndex);
        p->Step = CurrentStep;
        if (DialogMode && (OneOf(kConnectionCodes, p->Code) || (p->Code == kWaitAskAuto && ConnectionKind == 1)))
            ConnectionEstablished();
        if (DialogMode && ChannelState == ChannelStates::Connected)
            return; // the operator has the connection: wait here
        p->Start();
        if (!p->Done) {
            CurrentElement = p;
            return;
        }
        CurrentStep = p->Step;
    }
}

void TTxChannelDriver::ConnectionEstablished()
{
    if (CurrentElement)
        CurrentElement->State = ChannelStates::Connected;
    if (ChannelState != ChannelStates::Connected) {
        SetChannelState(ChannelStates::Connected);
        if (Window)
            Window->SetElementName(QStringLiteral("Соединение установлено"));
    }
}

void TTxChannelDriver::FastTick()
{
    EngineLock lock(Mutex());
    if (TxRetryPending && WruHoldMs <= 0)
        SendNext();
    TTxElementPro* e = CurrentElement;
    if (!e)
        return;
    if (WruHoldMs > 0) {
        WruHoldMs = static_cast<std::int16_t>(WruHoldMs - FastInterval);
        if (WruHoldMs <= 0) {
            WruHoldMs = 0;
            SendNext();
        }
    }
    const bool run = DialogMode ? (e->State != ChannelStates::Connected && !e->Done) : !e->Done;
    if (!run || SteppingStopped)
        return;
    try {
        e->DoIt();
    } catch (...) {
        // Elements catch their own failures; one that escapes, of any kind,
        // is treated the same way.
        e->HandleException(CurrentExceptionMessage(), e->ClassName + QStringLiteral(".DoIt"));
    }
}

void TTxChannelDriver::RestartProtocol()
{
    EngineLock lock(Mutex());
    CurrentStep = FirstStep;
    RestartPending = true;
    if (adapterExchange_) // a restart amid the exchange begins it again, the port back in command mode
        adapterExchange_->Restart();
    if (SteppingStopped)
        return; // no step follows: the alarm stays shown until the channels restart
    SetChannelState(0);
    SetAuxState(0);
    SetAlarm(0);
}

bool TTxChannelDriver::DsrOn()
{
    return Port->GetDSR();
}

bool TTxChannelDriver::ReadInputLine()
{
    const bool plus = Port->GetRing();
    InputLine = plus ? 1 : 0;
    return plus;
}

bool TTxChannelDriver::IdleStepRunning() const
{
    const TTxElementPro* e = CurrentElement;
    return e && e->Code == kIdleElement && !e->Done && e->State != ChannelStates::Connected;
}

void TTxChannelDriver::DialogCommands()
{
    if (!Window) {
        DialogMode = 0;
        return;
    }
    if (CurrentElement)
        CurrentElement->ReadInputLine();
    else
        ReadInputLine();
    Window->SetLedLight(ChannelLed::Rx, InputLine != 0);
    Window->SetLedLight(ChannelLed::Tx, OutputPolarity != 0);

    const std::uint8_t command = Window->ChannelCommand();
    if (DialogMode) {
        if (const auto key = Window->KeyRing().Take())
            SendChar(*key);
        switch (command) {
        case ChannelCommands::Call:
            Window->PostMessageCode(ChannelMessageCodes::Refused);
            break;
        case ChannelCommands::AskAnswerBack:
        case ChannelCommands::AnswerBack:
            if (IdleStepRunning()) {
                // Between connections there is no one to ask or answer: refused,
                // as the idle element refuses it when its tick comes first.
                Window->ClearChannelCommand(command);
                Window->PostMessageCode(ChannelMessageCodes::Refused);
                break;
            }
            Window->ClearChannelCommand(command);
            if (command == ChannelCommands::AnswerBack) {
                SendAnswerBack();
                Window->PostMessageCode(ChannelMessageCodes::AnswerBackQueued);
                break;
            }
            SendChar(QChar(TelegraphTextMarks::AnswerbackRequest));
            Window->PostMessageCode(ChannelMessageCodes::WruQueued);
            break;
        case ChannelCommands::Disconnect:
            Window->ClearChannelCommand(command);
            if (ConnectionKind == 3)
                TxDone = 1;
            RestartProtocol();
            Window->PostMessageCode(ChannelMessageCodes::Cleared);
            break;
        case ChannelCommands::ControlMode:
            Window->ClearChannelCommand(command);
            DialogMode = 0;
            Window->SetDialogMode(false);
            SoundEvents.raise(SoundEvent::BackToControl);
            RestartProtocol();
            NoteStepLine(QStringLiteral("Переход в \"Контроль\""));
            Window->PostMessageCode(ChannelMessageCodes::BackToControl);
            break;
        case ChannelCommands::Restart:
            Window->ClearChannelCommand(command);
            RestartProtocol();
            break;
        default: // none, or dialling (the idle element's)
            break;
        }
        return;
    }
    switch (command) {
    case ChannelCommands::None:
        break;
    case ChannelCommands::Call: {
        Window->ClearChannelCommand(command);
        Window->SetDialogMode(true);
        DialogMode = 1;
        TTxElementPro* p = ElementAt(CurrentIndex);
        if (p)
            p->Done = true;
        if (!Closing())
            SoundEvents.raise(SoundEvent::DialogEntered);
        const bool idle = p && OneOf(kIdleCodes, p->Code);
        NoteStepLine(idle ? QStringLiteral("Переход в \"Диалог\"")
                          : QStringLiteral("Переход в \"Диалог\" + соединение"));
        Window->PostMessageCode(idle ? ChannelMessageCodes::DialogFromIdle : ChannelMessageCodes::DialogFromWork);
        break;
    }
    case ChannelCommands::Restart:
        Window->ClearChannelCommand(command);
        RestartProtocol();
        break;
    default:
        Window->PostMessageCode(ChannelMessageCodes::Refused);
        break;
    }
}

} // namespace korvane
