#include "engine/elements/DiallingElements.h"

#include "engine/TxDriver.h"

namespace korvane {

namespace {

void EchoMarks(TTxElementPro& e, QStringView marks)
{
    for (QChar c : marks)
        e.EchoChar(c);
}

} // namespace

// ---- the invitation to dial ----

TTxWInvaitSendNum::TTxWInvaitSendNum(TTxChannelDriver& owner)
    : TTxElementPro(owner, 26, QStringLiteral("Ожид. приглашения к набору номера"), QStringLiteral("TTxWInvaitSendNum"))
{
}

void TTxWInvaitSendNum::Start()
{
    TTxElementPro::Start();
    State = ChannelStates::WaitDialInvitation;
    Wait = ParamValue(0);
    MinPulse = ParamValue(1);
    MaxPulse = ParamValue(2);
    OnSuccess = ParamText(3);
    OnFailure = ParamText(4);
    OnBusy = ParamText(5);
    if (MinPulse < 20)
        MinPulse = 10; // a pulse seen on two ticks is enough
    InPulse = 0;
    PulseMs = 0;
    if (Wait == 0)
        JumpTo(OnSuccess); // no waiting
}

void TTxWInvaitSendNum::DoIt()
{
    GuardedDoIt([this] {
        // 1. A broken line.
        if (LineBroken()) {
            JumpTo(OnFailure);
            return;
        }
        // 2. Input '+': a pulse begins or goes on.
        if (ReadInputLine()) {
            if (!InPulse) {
                InPulse = 1;
                PulseMs = 0;
            } else {
                PulseMs += FastInterval;
            }
        } else if (InPulse) {
            // 3. The pulse has ended: the invitation, a busy pulse, or neither.
            Driver().NoteStepLine(QStringLiteral("Импульс: %1 %2").arg(PulseMs).arg(TimeStamp()));
            if (MinPulse <= PulseMs && PulseMs <= MaxPulse) {
                JumpTo(OnSuccess);
                return;
            }
            if (IsBusyPulse(PulseMs)) {
                JumpWithResult(OnBusy, FailureCodes::OccPulse);
                return;
            }
            InPulse = 0;
        }
        // 4. The wait.
        if (CountDown(Wait))
            JumpWithResult(OnFailure, FailureCodes::Num);
    });
}

// ---- pulse dialling ----

TTxSendNumB::TTxSendNumB(TTxChannelDriver& owner)
    : TTxElementPro(owner, 19, QStringLiteral("Набор номера (B)"), QStringLiteral("TTxSendNumB"))
{
}

void TTxSendNumB::Start()
{
    TTxElementPro::Start();
    State = ChannelStates::Dialling;
    BreakTime = ParamValue(0);
    MakeTime = ParamValue(1);
    DigitGap = ParamValue(2);
    OnMore = ParamText(3);
    OnNoMore = ParamText(4);
    Elapsed = 0;
    Phase = NextCharacter;
    PulsesLeft = 0;
    EchoMarks(*this, u"<_//");
}

void TTxSendNumB::DoIt()
{
    GuardedDoIt([this] {
        switch (Phase) {
        case NextCharacter:
            NextChar();
            break;
        case Break: // loop open
            Elapsed += FastInterval;
            if (Elapsed >= BreakTime) {
                Phase = Make;
                SetLinePlus();
                Elapsed = 0;
            }
            break;
        case Make: // loop closed
            Elapsed += FastInterval;
            if (Elapsed >= MakeTime) {
                if (--PulsesLeft > 0) {
                    Phase = Break;
                    SetLineMinus();
                } else {
                    Phase = Gap;
                }
                Elapsed = 0;
            }
            break;
        case Gap: // between digits
            Elapsed += FastInterval;
            if (Elapsed >= DigitGap)
                Phase = NextCharacter;
            break;
        default:
            Phase = NextCharacter;
            break;
        }
    });
}

void TTxSendNumB::NextChar()
{
    TTxChannelDriver& d = Driver();
    const QString& number = DialString();
    if (d.DialPos < 1)
        d.DialPos = 1;
    if (d.DialPos > number.size()) {
        Finish();
        return;
    }
    const QChar c = number[d.DialPos - 1];
    ++d.DialPos;
    Digits += c;
    d.PutRxChar(c);
    d.PutEcho(c);
    d.NoteStepLine(QStringLiteral("НН(В): '%1' %2").arg(c).arg(TimeStamp()));
    if (c == u'+') {
        JumpTo(OnMore);
    } else if (c == u'-') {
        Finish();
    } else if (c >= u'0' && c <= u'9') {
        PulsesLeft = c == u'0' ? 10 : static_cast<std::uint8_t>(c.unicode() - u'0');
        Phase = Break;
        SetLineMinus();
        Elapsed = 0;
    }
    // any other character is shown and passed over
}

void TTxSendNumB::Finish()
{
    EchoMarks(*this, u"//<_");
    Driver().NoteStepLine(QStringLiteral("Номер B: \"%1\"").arg(Digits));
    JumpTo(OnNoMore);
}

// ---- decisions ----

TTxAnalizeNumB_A::TTxAnalizeNumB_A(TTxChannelDriver& owner)
    : TTxElementPro(owner, 16, QStringLiteral("Декадный донабор"), QStringLiteral("TTxAnalizeNumB_A"))
{
}

void TTxAnalizeNumB_A::Start()
{
    TTxElementPro::Start();
    OnMore = ParamText(0);
    OnAbsent = ParamText(1);
    if (!Step)
        return;
    JumpTo(DialString().contains(u'-') ? OnMore : OnAbsent);
}

TTxAnalizeCenterA::TTxAnalizeCenterA(TTxChannelDriver& owner)
    : TTxElementPro(owner, 17, QStringLiteral("Вызов центральной"), QStringLiteral("TTxAnalizeCenterA"))
{
}

void TTxAnalizeCenterA::Start()
{
    TTxElementPro::Start();
    OnAbsent = ParamText(0);
    OnClear = ParamText(1);
    CentralCode = ParamText(2);
    if (!DialString().contains(u'.')) {
        JumpTo(OnAbsent);
        return;
    }
    QString code = CentralCode;
    ExpandMacros(code);
    Driver().SendString(QChar(TelegraphTextMarks::FiguresShift) + code);
}

void TTxAnalizeCenterA::DoIt()
{
    if (Disconnected()) {
        JumpWithResult(OnClear, FailureCodes::Dis);
        return;
    }
    if (Driver().TxIdle)
        GoNext();
}

// ---- keyboard selection ----

TTxSendNumA::TTxSendNumA(TTxChannelDriver& owner)
    : TTxElementPro(owner, 18, QStringLiteral("Набор номера (A)"), QStringLiteral("TTxSendNumA"))
{
}

void TTxSendNumA::Start()
{
    TTxElementPro::Start();
    TTxChannelDriver& d = Driver();
    OnMore = ParamText(0);
    OnNoMore = ParamText(1);
    OnClear = ParamText(2);
    ParamValue(3); // "Ожидание запроса АО" and its jump are read, not used
    if (d.DialPos < 1)
        d.DialPos = 1;
    const QString original = DialString().mid(d.DialPos - 1);
    QString rest = original;
    if (!rest.isEmpty()) {
        d.LineRegister = NoRegister; // the first character goes out with its shift
        if (const qsizetype dot = rest.indexOf(u'.'); dot >= 0)
            rest.remove(dot, 1);
        if (const qsizetype plus = rest.indexOf(u'+'); plus >= 0) {
            QString part = rest.left(plus);
            ExpandMacros(part);
            d.SendString(part);
            // Past the '+' in the dialled number itself, not in the rest cut from it.
            d.DialPos = static_cast<std::uint8_t>(d.DialPos + original.indexOf(u'+') + 1);
            NoPlus = 0;
        } else {
            NoPlus = 1;
            QString all = rest + u'+';
            ExpandMacros(all);
            d.SendString(all);
        }
    } else {
        d.TxIdle = true;
        d.DialFinished = 1;
        NoPlus = 1;
    }
    d.NoteStepLine(QStringLiteral("Номер А: \"%1\"").arg(rest));
}

void TTxSendNumA::DoIt()
{
    GuardedDoIt([this] {
        if (Disconnected()) {
            JumpWithResult(OnClear, FailureCodes::Dis);
            return;
        }
        if (Driver().TxIdle)
            JumpTo(NoPlus ? OnNoMore : OnMore);
    });
}

// ---- the connection ----

TTxWaitAnswerStat::TTxWaitAnswerStat(TTxChannelDriver& owner)
    : TTxElementPro(owner, 25, QStringLiteral("Ожидание подключения"), QStringLiteral("TTxWaitAnswerStat"))
{
}

void TTxWaitAnswerStat::Start()
{
    TTxElementPro::Start();
    State = ChannelStates::WaitConnection;
    Wait = ParamValue(0);
    PlusTime = ParamValue(1);
    OnSuccess = ParamText(2);
    OnFailure = ParamText(3);
    OnClear = ParamText(4);
    PlusLeft = PlusTime;
}

void TTxWaitAnswerStat::DoIt()
{
    GuardedDoIt([this] {
        if (LineBroken()) {
            JumpTo(OnClear);
            return;
        }
        if (HeldFor(ReadInputLine(), PlusLeft, PlusTime)) {
            JumpTo(OnSuccess); // the connection is there
            return;
        }
        if (CountDown(Wait))
            JumpWithResult(OnFailure, FailureCodes::Sta);
    });
}

void AddDiallingElements(ElementFactories& factories)
{
    factories[QStringLiteral("TTxWInvaitSendNum")] = FactoryOf<TTxWInvaitSendNum>();
    factories[QStringLiteral("TTxSendNumB")] = FactoryOf<TTxSendNumB>();
    factories[QStringLiteral("TTxAnalizeNumB_A")] = FactoryOf<TTxAnalizeNumB_A>();
    factories[QStringLiteral("TTxAnalizeCenterA")] = FactoryOf<TTxAnalizeCenterA>();
    factories[QStringLiteral("TTxSendNumA")] = FactoryOf<TTxSendNumA>();
    factories[QStringLiteral("TTxWaitAnswerStat")] = FactoryOf<TTxWaitAnswerStat>();
}

} // namespace korvane
