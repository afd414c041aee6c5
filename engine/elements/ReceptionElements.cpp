#include "engine/elements/ReceptionElements.h"

#include "engine/TxDriver.h"
#include "engine/elements/ElementHelpers.h"
#include "support/TelegraphCode.h"

namespace korvane {

using elements::CharactersArrived;

// --- TTxWaitMessage ---

TTxWaitMessage::TTxWaitMessage(TTxChannelDriver& owner)
    : TTxElementPro(owner, 11, QStringLiteral("Ожидание символа"), QStringLiteral("TTxWaitMessage"))
{
}

void TTxWaitMessage::Start()
{
    TTxElementPro::Start();
    if (Step) {
        Wait = ParamValue(0);
        Pause = ParamValue(1);
        OnSuccess = ParamText(2);
        OnFailure = ParamText(3);
        OnClear = ParamText(4);
        Seen = 0;
    }
    PauseLeft = Pause;
    LastRxPos = Driver().Rx.Total();
}

void TTxWaitMessage::DoIt()
{
    Guarded(QStringLiteral("TTxWaitMessage.DoIt"), [this] { Work(); });
}

void TTxWaitMessage::Work()
{
    TTxChannelDriver& d = Driver();
    if (Disconnected()) {
        JumpWithResult(OnClear, FailureCodes::Dis);
        return;
    }
    if (CharactersArrived(d, LastRxPos)) {
        Seen = 1;
        PauseLeft = Pause;
    }
    if (!Seen) {
        if (CountDown(Wait)) {
            d.ResultCode = FailureCodes::Sta;
            JumpTo(OnFailure);
        }
    } else if (CountDown(PauseLeft)) {
        JumpTo(OnSuccess);
    }
}

// --- TTxRecData ---

TTxRecData::TTxRecData(TTxChannelDriver& owner)
    : TTxElementPro(owner, 21, QStringLiteral("Прием данных"), QStringLiteral("TTxRecData"))
{
}

void TTxRecData::Start()
{
    TTxElementPro::Start();
    // "Автоответчик" (0) is part of the step but plays no part here.
    OnClear = ParamText(1);
    IdleLeft = Driver().ReceivePauseTime;
    LastRxPos = Driver().Rx.Total();
}

void TTxRecData::DoIt()
{
    Guarded(QStringLiteral("TTxRecData.DoIt"), [this] { Work(); });
}

void TTxRecData::Work()
{
    TTxChannelDriver& d = Driver();
    if (Disconnected()) {
        JumpWithResult(OnClear, FailureCodes::Dis);
        return;
    }
    if (CharactersArrived(d, LastRxPos)) {
        IdleLeft = d.ReceivePauseTime;
    } else if (CountDown(IdleLeft)) {
        d.NoteEngineLine(QStringLiteral("Истекло время ожидания приема"));
        JumpTo(OnClear);
    }
}

// --- TTxWaitAskAuto ---

TTxWaitAskAuto::TTxWaitAskAuto(TTxChannelDriver& owner)
    : TTxElementPro(owner, 31, QStringLiteral("Ожидание запроса автоответа"), QStringLiteral("TTxWaitAskAuto"))
{
}

void TTxWaitAskAuto::Start()
{
    TTxElementPro::Start();
    if (Step) {
        Wait = ParamValue(0);
        OnSuccess = ParamText(1);
        OnFailure = ParamText(2);
        OnClear = ParamText(3);
        ScanPos = Driver().Rx.Total();
    }
}

void TTxWaitAskAuto::DoIt()
{
    Guarded(QStringLiteral("TTxWaitAskAuto.DoIt"), [this] { Work(); });
}

void TTxWaitAskAuto::Work()
{
    TTxChannelDriver& d = Driver();
    if (Disconnected()) {
        JumpWithResult(OnClear, FailureCodes::Dis);
        return;
    }
    const std::int64_t end = d.Rx.Total();
    const QByteArray text = d.Rx.Stored(ScanPos, end);
    ScanPos = end;
    if (text.contains(char(TelegraphTextMarks::AnswerbackRequest))) {
        JumpTo(OnSuccess);
        return;
    }
    if (CountDown(Wait))
        JumpTo(OnFailure);
}

// --- TTxReceiveAuto ---

TTxReceiveAuto::TTxReceiveAuto(TTxChannelDriver& owner)
    : TTxElementPro(owner, 24, QStringLiteral("Прием автоответа"), QStringLiteral("TTxReceiveAuto"))
{
}

void TTxReceiveAuto::Start()
{
    TTxElementPro::Start();
    Wait = ParamValue(0);
    Tries = ParamValue(1);
    OnSuccess = ParamText(2);
    OnRetry = ParamText(3);
    OnFailure = ParamText(4);
    OnClear = ParamText(5);
    TTxChannelDriver& d = Driver();
    SilenceLeft = Wait;
    LastRxPos = d.Rx.Total();
    StartRxPos = d.Rx.Total();
    Seen = 0;
    // The tries count over every request of the call: reloaded only when spent.
    if (d.AbTriesLeft == 0)
        d.AbTriesLeft = static_cast<std::int16_t>(Tries);
}

void TTxReceiveAuto::DoIt()
{
    Guarded(QStringLiteral("TTxReceiveAuto.DoIt"), [this] { Work(); });
}

void TTxReceiveAuto::TryFailed(const QString& retryLine, const QString& failureLine)
{
    TTxChannelDriver& d = Driver();
    d.AbTriesLeft = static_cast<std::int16_t>(d.AbTriesLeft - 1);
    if (d.AbTriesLeft > 0) {
        d.ResultCode = FailureCodes::Aab;
        JumpTo(OnRetry);
        d.NoteEngineLine(retryLine.arg(d.AbTriesLeft));
    } else {
        d.ResultCode = FailureCodes::Bab;
        JumpTo(OnFailure);
        d.NoteEngineLine(failureLine);
    }
}

void TTxReceiveAuto::Work()
{
    TTxChannelDriver& d = Driver();
    if (Disconnected()) {
        JumpWithResult(OnClear, FailureCodes::Dis);
        return;
    }
    // 1. Characters arrived: the answerback is complete after a silence of
    //    half the wait not yet used up.
    if (CharactersArrived(d, LastRxPos)) {
        Seen = 1;
        SilenceLeft = Wait / 2;
    }
    // 2. Nothing received within the wait.
    if (!Seen) {
        if (CountDown(Wait))
            TryFailed(QStringLiteral("\"Плохой\" Автоответ, нет приема, еще запрос АО, осталось попыток = %1"),
                      QStringLiteral("\"Плохой\" Автоответ, нет приема, Cntr=%1").arg(d.Rx.Total() - StartRxPos));
        return;
    }
    // 3. The answerback is complete: check it.
    if (!CountDown(SilenceLeft))
        return;
    if ((d.Modes & ChannelMode::CheckAB) == 0 || d.CheckAnswerBack(StartRxPos)) {
        d.ResultCode = FailureCodes::Success;
        JumpTo(OnSuccess);
        return;
    }
    TryFailed(QStringLiteral("\"Плохой\" Автоответ, еще запрос АО, осталось попыток = %1"),
              QStringLiteral("\"Плохой\" Автоответ, нет повторных попыток"));
}

// --- TTxWaitStatMessage ---

TTxWaitStatMessage::TTxWaitStatMessage(TTxChannelDriver& owner)
    : TTxElementPro(owner, 30, QStringLiteral("Ожидание служебных сигналов"), QStringLiteral("TTxWaitStatMessage"))
{
}

void TTxWaitStatMessage::Start()
{
    TTxElementPro::Start();
    if (Step) {
        Wait = ParamValue(0);
        Pause = ParamValue(1);
        // "Анализ GA" (2) is part of the step but plays no part here.
        CallChars = ParamValue(3);
        OnIncoming = ParamText(4);
        OnClear = ParamText(5);
        OnAnswerBack = ParamText(6);
        OnAskAnswerBack = ParamText(7);
        OnFailure = ParamText(8);
        Seen = 0;
        AbDone = 0;
        AbActive = 0;
    }
    TTxChannelDriver& d = Driver();
    WaitAgain = Wait;
    SilenceLeft = Pause;
    LastRxPos = d.Rx.Total();
    StartRxPos = d.Rx.Total();
}

void TTxWaitStatMessage::DoIt()
{
    Guarded(QStringLiteral("TTxWaitStatMessage.DoIt"), [this] { Work(); });
}

void TTxWaitStatMessage::Work()
{
    TTxChannelDriver& d = Driver();
    // 1. Cleared: the service signal that came before the clearing, else DIS.
    if (Disconnected()) {
        d.ResultCode = d.ClassifyServiceSignal(StartRxPos);
        JumpTo(OnClear);
        return;
    }
    // 2. The channel answers a WRU with its own answerback; the wait starts
    //    afresh when it has gone.
    if (d.AnswerBackSending) {
        if (!AbActive) {
            AbActive = 1;
            d.NoteStepLine(QStringLiteral("Начало передачи АО"));
        }
    } else if (AbActive && !AbDone) {
        AbActive = 0;
        AbDone = 1;
        LastRxPos = d.Rx.Total();
        SilenceLeft = Pause;
        Wait = WaitAgain;
        d.NoteStepLine(QStringLiteral("Передача АО завершена"));
    }
    // 3. Keyboard selection found nothing left to send.
    if (d.DialFinished) {
        d.DialFinished = 0;
        GoNext();
        return;
    }
    // 4. Characters arrived: so many of them make an incoming call.
    if (CharactersArrived(d, LastRxPos)) {
        if (--CallChars <= 0) {
            JumpTo(OnIncoming);
            return;
        }
        Seen = 1;
        if (!d.Events.has(DriverEvent::LogStepLine))
            d.NoteStepLine(QStringLiteral("Пауза после символа %1mc").arg(SilenceLeft, 4));
        SilenceLeft = Pause;
    }
    // 5. Nothing at all within the wait.
    if (!Seen) {
        if (CountDown(Wait))
            JumpTo(OnFailure);
        return;
    }
    // 6. The line fell silent after what arrived.
    if (!CountDown(SilenceLeft))
        return;
    if (AbDone) {
        if ((d.Modes & ChannelMode::CheckAB) != 0 && !d.CheckAnswerBack(StartRxPos)) {
            d.ResultCode = FailureCodes::Bab;
            JumpTo(OnFailure);
        } else {
            JumpTo(OnAskAnswerBack);
        }
    } else if (d.CheckAnswerBack(StartRxPos)) {
        JumpTo(OnAnswerBack);
    } else {
        GoNext();
    }
}

// --- TTxEmergency ---

TTxEmergency::TTxEmergency(TTxChannelDriver& owner)
    : TTxElementPro(owner, 48, QStringLiteral("Авария"), QStringLiteral("TTxEmergency"))
{
}

void TTxEmergency::Start()
{
    TTxElementPro::Start();
    if (!Step)
        return;
    Poll = ParamValue(0);
    OffTime = ParamValue(1);
    OffLeft = OffTime;
    TTxChannelDriver& d = Driver();
    d.SoundEvents.raise(SoundEvent::Alarm);
    if (LineFault()) { // line current out of limits
        State = ChannelStates::AlarmLineCurrent;
        d.SetAuxState(ChannelStates::AlarmLineCurrent);
    } else { // the clearing was not confirmed
        State = ChannelStates::AlarmNoClearConfirm;
        d.SetAuxState(ChannelStates::AlarmNoClearConfirm);
    }
}

void TTxEmergency::DoIt()
{
    Guarded(QStringLiteral("TTxEmergency.DoIt"), [this] { Work(); });
}

void TTxEmergency::Work()
{
    if (CountDown(OffLeft)) {
        Driver().RestartProtocol();
        return;
    }
    if (Poll && !LineFault() && !ReadInputLine())
        Driver().RestartProtocol();
}

} // namespace korvane
