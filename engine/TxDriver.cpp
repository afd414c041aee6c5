#include "engine/TxDriver.h"

#include "engine/TelegramNumbering.h"
#include "engine/elements/AdapterExchange.h"

#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/PathMapper.h"
#include "protocols/ErrorBox.h"

#include <QDir>

namespace korvane {

TTxChannelDriver::TTxChannelDriver(const EngineEnvironment& env, QObject* owner)
    : QObject(owner), env_(env)
{
    Q_ASSERT(env_.Box && env_.Beep && env_.Time && env_.Mutex);
    Port = std::make_unique<TCommPort>(nullptr, env_.PortMap);
    FirmwareBuf.assign(FirmwareBufSize, 0);
    const ElementCatalog& catalog = env_.Catalog ? *env_.Catalog : DefaultElementCatalog();
    for (const ElementCatalogEntry& entry : catalog)
        if (entry.Create)
            if (auto element = entry.Create(*this))
                Elements.push_back(std::move(element));
}

TTxChannelDriver::~TTxChannelDriver()
{
    ClosePort();
    CurrentElement = nullptr;
    while (!Elements.empty())
        Elements.pop_back(); // last to first
}

void TTxChannelDriver::SetChannel(std::uint8_t ch)
{
    if (ch == Channel)
        return;
    Channel = ch;
    Port->SetComNumber(static_cast<TComNumber>(ch - 1));
    numbering_.reset();
}

void TTxChannelDriver::ApplyOptions(const TChannelOptions& r, const TProtocolRec& protocol)
{
    const PathMapper paths(env_.ProgramFolder);
    Protocol = &protocol;
    PortAddr = r.PortAddr;
    FirstStep = protocol.Elements.empty() ? nullptr : &protocol.Elements.front();
    CurrentStep = FirstStep;
    TwoPoleLine = r.LineType == kTwoPoleLine;
    AdapterType = r.AdapterType;
    Modes = r.Modes;
    CtxModes = r.CtxModes;
    AnswerBack = r.AnswerBack.text();
    TlgHeader = r.TlgHeader.text();
    TransmDir = paths.toNative(r.TransmDir.text());
    ReceiveDir = paths.toNative(r.ReceiveDir.text());
    for (const QString& dir : {TransmDir, ReceiveDir})
        if (!dir.isEmpty() && !QDir(dir).exists())
            QDir().mkpath(dir);
    TransmCommonFile = paths.toNative(r.TransmCommonFile.text());
    ReceiveCommonFile = paths.toNative(r.ReceiveCommonFile.text());
    TransmJrnFile = paths.toNative(r.TransmJrnFile.text());
    ReceiveJrnFile = paths.toNative(r.ReceiveJrnFile.text());
    Sounds = r.Sounds;
    ApplyCounters(r.Counters);
}

void TTxChannelDriver::OpenPort()
{
    QString failure;
    {
        EngineLock lock(Mutex());
        Port->Open();
        if (!Port->Opened()) {
            failure = QStringLiteral("Не могу открыть COM-порт: %1-й канал").arg(Channel);
        } else if ((Modes & ChannelMode::ChkAdapter) && !Port->CheckAdapter(AdapterType == 3)) {
            failure = QStringLiteral("АВАРИЯ %1-й канал\rОтсутствует устройство TELEX").arg(Channel);
            Port->Close();
        } else {
            PortOpen = true;
            Port->SetDTRState(true);
            Port->SetBreak(true);
            OutputPolarity = 0;
        }
        LedTimerEnabled = false;
    }
    // The box waits for the operator: never with the engine lock held.
    if (!failure.isEmpty())
        showErrorBox(*env_.Box, failure);
}

void TTxChannelDriver::ClosePort()
{
    if (Port)
        Port->Close();
    PortOpen = false;
    LedTimerEnabled = false;
}

void TTxChannelDriver::SetWindow(ChannelWindow* w)
{
    EngineLock lock(Mutex());
    if (w == Window)
        return;
    Window = w;
    if (!w) {
        DialogMode = 0;
        RestartProtocol();
        return;
    }
    w->SetAnswerBackAndProtocol(AnswerBack, Protocol ? Protocol->Name : QString());
    w->SetChannelState(ChannelState);
    w->SetDialogMode(DialogMode != 0);
    w->SetElementName(CurrentStep ? CurrentStep->Name : QString());
    if (DialogMode && w->ChannelState() == ChannelStates::Connected)
        w->SetElementName(QStringLiteral("Соединение установлено"));
}

void TTxChannelDriver::SetChannelState(std::uint8_t s)
{
    if (s == ChannelState)
        return;
    ChannelState = s;
    if (Window)
        Window->SetChannelState(s);
}

void TTxChannelDriver::SetAuxState(std::uint8_t s)
{
    if (s == AuxState)
        return;
    AuxState = s;
    if (Window)
        Window->SetAuxState(s);
}

void TTxChannelDriver::SetAlarm(std::uint8_t a)
{
    if (a == Alarm)
        return;
    Alarm = a;
    if (Window)
        Window->SetAlarmColor(a != 0);
}

void TTxChannelDriver::EnterFailureAlarm()
{
    EnterAlarm(ChannelStates::AlarmFileError);
}

void TTxChannelDriver::EnterAlarm(std::uint8_t state)
{
    SetAlarm(1);
    SetChannelState(state);
    SetAuxState(state);
    SoundEvents.raise(SoundEvent::Alarm);
}

void TTxChannelDriver::StopStepping()
{
    SteppingStopped = true;
    EnterAlarm(ChannelStates::AlarmProtocolStopped);
}

void TTxChannelDriver::ShowCounters()
{
    if (RxCountChanged) {
        RxCountChanged = false;
        if (Window)
            Window->SetRxCount(RxCharCount);
    }
    if (TxCountChanged) {
        TxCountChanged = false;
        if (Window)
            Window->SetTxCount(TxCharCount);
    }
}

void TTxChannelDriver::ResetCounters()
{
    TxDone = 0;
    WruTwice = 0;
    RxCharCount = 0;
    TxCharCount = 0;
    RxCountChanged = true;
    TxCountChanged = true;
    ConnectionKind = 0;
}

void TTxChannelDriver::LedTimerTimer()
{
    if (Window) {
        Window->SetLedAutoBlink(ChannelLed::Tx, false);
        Window->SetLedAutoBlink(ChannelLed::Rx, false);
    }
    LedTimerEnabled = false;
}

void TTxChannelDriver::FormatNumber5(int n, QString& s)
{
    s = QString::number(n);
    while (s.size() < 5)
        s.prepend(u'0');
}

QString TTxChannelDriver::CountWords() const
{
    int first = 0;
    while (first < TlgLines.size() && !TlgLines[first].isEmpty() && TlgLines[first].startsWith(u'|'))
        ++first;
    int words = 0;
    for (int i = first; i < TlgLines.size(); ++i) {
        QString line = TlgLines[i];
        for (qsizetype space = line.indexOf(u' '); space >= 0; space = line.indexOf(u' ')) {
            if (space > 0)
                ++words;
            line.remove(0, space + 1);
        }
        if (!line.isEmpty())
            ++words;
    }
    return QString::number(words);
}

QString TTxChannelDriver::TimeStamp() const
{
    return env_.Time->now().time().toString(QStringLiteral("ss:zzz"));
}

bool TTxChannelDriver::Closing() const
{
    return env_.Closing && env_.Closing->load();
}

void TTxChannelDriver::NoteEngineLine(const QString& line)
{
    PendingEngineLine = line;
    Events.raise(DriverEvent::LogEngineLine);
}

void TTxChannelDriver::NoteStepLine(const QString& line)
{
    PendingStepLine = line;
    Events.raise(DriverEvent::LogStepLine);
}

void TTxChannelDriver::NoteExceptionLine(const QString& line)
{
    PendingExceptionLine = line;
    Events.raise(DriverEvent::LogExceptionLine);
}

} // namespace korvane
