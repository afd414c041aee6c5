#include "engine/elements/LineControlElements.h"

#include "engine/TxDriver.h"

#include <algorithm>

namespace korvane {

namespace {

constexpr int kTextLimit = 69; // characters of a stored settings text

} // namespace

// ---- finishing at once ----

TTxAtOnceElement::TTxAtOnceElement(TTxChannelDriver& owner, std::uint16_t code, QString elementName,
                                   QString className, bool finishWithoutStep)
    : TTxElementPro(owner, code, std::move(elementName), std::move(className)),
      finishWithoutStep_(finishWithoutStep)
{
}

void TTxAtOnceElement::Start()
{
    TTxElementPro::Start();
    if (Step)
        Apply();
    if (Step || finishWithoutStep_)
        DoIt();
}

void TTxAtOnceElement::DoIt()
{
    GuardedDoIt([this] { GoNext(); });
}

// ---- polarity ----

TTxSetOutPlus::TTxSetOutPlus(TTxChannelDriver& owner)
    : TTxAtOnceElement(owner, 1, QStringLiteral("Установить полярность \"+\""), QStringLiteral("TTxSetOutPlus"), true)
{
}

void TTxSetOutPlus::Start()
{
    TTxElementPro::Start();
    State = ChannelStates::Calling;
    SetLinePlus();
    DoIt();
}

TTxSetOutMinus::TTxSetOutMinus(TTxChannelDriver& owner)
    : TTxAtOnceElement(owner, 2, QStringLiteral("Установить полярность \"-\""), QStringLiteral("TTxSetOutMinus"),
                       true)
{
}

void TTxSetOutMinus::Start()
{
    TTxElementPro::Start();
    SetLineMinus();
    DoIt();
}

// ---- timed ----

TTxImpulse::TTxImpulse(TTxChannelDriver& owner)
    : TTxElementPro(owner, 7, QStringLiteral("Импульс"), QStringLiteral("TTxImpulse"))
{
}

void TTxImpulse::Start()
{
    TTxElementPro::Start();
    const std::int32_t length = Step ? ParamValue(0) : 0;
    Left = length;
    Driver().ImpulseTime = length;
    if (length > 0)
        SetLinePlus();
}

void TTxImpulse::DoIt()
{
    GuardedDoIt([this] {
        if (Left > 0) {
            Left -= FastInterval;
            return;
        }
        SetLineMinus();
        GoNext();
    });
}

TTxPause::TTxPause(TTxChannelDriver& owner) : TTxElementPro(owner, 12, QStringLiteral("Пауза"), QStringLiteral("TTxPause"))
{
}

void TTxPause::Start()
{
    TTxElementPro::Start();
    const std::int32_t length = Step ? ParamValue(0) : 0;
    Left = length;
    Driver().PauseTime = length;
}

void TTxPause::DoIt()
{
    GuardedDoIt([this] {
        if (Left >= 1)
            Left -= FastInterval;
        else
            GoNext();
    });
}

// ---- jump ----

TTxJumpTo::TTxJumpTo(TTxChannelDriver& owner)
    : TTxElementPro(owner, 15, QStringLiteral("Переход"), QStringLiteral("TTxJumpTo"))
{
}

void TTxJumpTo::Start()
{
    TTxElementPro::Start();
    Target.reset();
    const TParamValue* p = Param(0);
    if (p && p->Def && !p->Def->Units && p->Def->Name.startsWith(u'*'))
        Target = p->Value;
}

void TTxJumpTo::DoIt()
{
    GuardedDoIt([this] {
        if (Target)
            JumpTo(*Target);
        else
            GoNext(); // a step without a jump target goes on to the next step
    });
}

// ---- settings writers ----

TTxAnalizeGoToCKS::TTxAnalizeGoToCKS(TTxChannelDriver& owner)
    : TTxAtOnceElement(owner, 33, QStringLiteral("Выход на ЦКС"), QStringLiteral("TTxAnalizeGoToCKS"), true)
{
}

void TTxAnalizeGoToCKS::Apply()
{
    Enabled = ParamValue(0);
    Attempts = ParamValue(1);
    SwitchingCentreCode = ParamText(2);
    SwitchingCentreSettings& s = Driver().SwitchingCentre;
    s.Enabled = Enabled != 0;
    s.Attempts = static_cast<std::uint16_t>(Attempts);
    s.Code = SwitchingCentreCode;
}

TTxConstPulse::TTxConstPulse(TTxChannelDriver& owner)
    : TTxAtOnceElement(owner, 34, QStringLiteral("Постоянный донабор"), QStringLiteral("TTxConstPulse"), true)
{
}

void TTxConstPulse::Apply()
{
    Enabled = ParamValue(0);
    ExitCode = ParamText(1);
    TTxChannelDriver& d = Driver();
    if (Enabled != 1) {
        d.DialNumber.clear(); // the number is dialled as it is
        return;
    }
    const bool standardA = d.Protocol && d.Protocol->Name == u"Стандарт A";
    d.DialNumber = (ExitCode + (standardA ? u'-' : u'+') + d.Number).left(ChannelWindow::NumberCapacity);
}

TTxDisconReceive::TTxDisconReceive(TTxChannelDriver& owner)
    : TTxAtOnceElement(owner, 64, QStringLiteral("Отбой приема"), QStringLiteral("TTxDisconReceive"))
{
}

void TTxDisconReceive::Apply()
{
    TTxChannelDriver& d = Driver();
    const std::int32_t twoPole = ParamValue(0);
    if (d.TwoPoleLine)
        d.ClearingTime = twoPole;
    const std::int32_t onePole = ParamValue(1);
    if (!d.TwoPoleLine)
        d.ClearingTime = onePole;
}

TTxBusyLine::TTxBusyLine(TTxChannelDriver& owner)
    : TTxAtOnceElement(owner, 65, QStringLiteral("Занято"), QStringLiteral("TTxBusyLine"))
{
}

void TTxBusyLine::Apply()
{
    TTxChannelDriver& d = Driver();
    for (int pair = 0; pair < 2; ++pair) {
        const std::int32_t min = ParamValue(2 * pair);
        const std::int32_t max = ParamValue(2 * pair + 1);
        if ((pair == 0) == d.TwoPoleLine) {
            d.BusyPulseMin = min;
            d.BusyPulseMax = max;
        }
    }
}

TTxBreakLine::TTxBreakLine(TTxChannelDriver& owner)
    : TTxAtOnceElement(owner, 66, QStringLiteral("Обpыв линии"), QStringLiteral("TTxBreakLine"))
{
}

void TTxBreakLine::Apply()
{
    Driver().LineBreakTime = ParamValue(0);
}

TTxContraryWork::TTxContraryWork(TTxChannelDriver& owner)
    : TTxAtOnceElement(owner, 67, QStringLiteral("Встpечная pабота"), QStringLiteral("TTxContraryWork"))
{
}

void TTxContraryWork::Apply()
{
    ContraryWorkSettings& s = Driver().ContraryWork;
    s.Count = ParamValue(0);
    s.Wait = ParamValue(1);
    s.Pause = ParamValue(2);
    s.Counter = static_cast<std::uint16_t>(ParamValue(3));
    s.Rollback = ParamValue(4);
    s.Text = ParamText(5).left(kTextLimit);
}

TTxPortSettings::TTxPortSettings(TTxChannelDriver& owner)
    : TTxAtOnceElement(owner, 68, QStringLiteral("Режим приема/передачи"), QStringLiteral("TTxPortSettings"))
{
}

void TTxPortSettings::Apply()
{
    TTxChannelDriver& d = Driver();
    // 1. The value-table positions; the tables begin as the port's enumerations do.
    d.BaudIndex = static_cast<std::uint16_t>(ParamValue(0));
    d.DataBitsIndex = static_cast<std::uint16_t>(ParamValue(1));
    d.StopBitsIndex = static_cast<std::uint16_t>(ParamValue(2));
    d.ParityIndex = static_cast<std::uint16_t>(ParamValue(3));
    d.CharPause = static_cast<std::uint16_t>(ParamValue(4));
    // 2. The port's line parameters.
    d.Port->SetParams(static_cast<TBaudRate>(d.BaudIndex), static_cast<TDataBits>(d.DataBitsIndex),
                      static_cast<TStopBits>(d.StopBitsIndex), static_cast<TParity>(d.ParityIndex));
    // 3. DTR on, output '-'.
    d.Port->SetDTRState(true);
    SetLineMinus();
    // 4. The character engine's handlers (this also ends the adapter's command mode).
    d.AttachLineHandlers();
    d.Port->SetStatusInterval(50);
    // 5. The LED timer: one character's time, at least 1 ms (fast lines).
    d.LedTimerEnabled = false;
    const int bitMs = 1000 / static_cast<int>(BaudTable[d.Port->BaudRate()]);
    d.SetLedTimerInterval(std::max(1, (d.DataBitsIndex + 8) * bitMs));
}

TTxMessageParam::TTxMessageParam(TTxChannelDriver& owner)
    : TTxAtOnceElement(owner, 69, QStringLiteral("Параметры сообщения"), QStringLiteral("TTxMessageParam"))
{
}

void TTxMessageParam::Apply()
{
    MessageMarks& m = Driver().Marks;
    m.Start = ParamText(0).left(kTextLimit);
    m.EndA = ParamText(1).left(kTextLimit);
    m.EndB = ParamText(2).left(kTextLimit);
}

TTxReceivePause::TTxReceivePause(TTxChannelDriver& owner)
    : TTxAtOnceElement(owner, 70, QStringLiteral("Пауза при приеме данных"), QStringLiteral("TTxReceivePause"))
{
}

void TTxReceivePause::Apply()
{
    Driver().ReceivePauseTime = ParamValue(0);
}

void AddLineControlElements(ElementFactories& factories)
{
    factories[QStringLiteral("TTxSetOutPlus")] = FactoryOf<TTxSetOutPlus>();
    factories[QStringLiteral("TTxSetOutMinus")] = FactoryOf<TTxSetOutMinus>();
    factories[QStringLiteral("TTxImpulse")] = FactoryOf<TTxImpulse>();
    factories[QStringLiteral("TTxPause")] = FactoryOf<TTxPause>();
    factories[QStringLiteral("TTxJumpTo")] = FactoryOf<TTxJumpTo>();
    factories[QStringLiteral("TTxAnalizeGoToCKS")] = FactoryOf<TTxAnalizeGoToCKS>();
    factories[QStringLiteral("TTxConstPulse")] = FactoryOf<TTxConstPulse>();
    factories[QStringLiteral("TTxDisconReceive")] = FactoryOf<TTxDisconReceive>();
    factories[QStringLiteral("TTxBusyLine")] = FactoryOf<TTxBusyLine>();
    factories[QStringLiteral("TTxBreakLine")] = FactoryOf<TTxBreakLine>();
    factories[QStringLiteral("TTxContraryWork")] = FactoryOf<TTxContraryWork>();
    factories[QStringLiteral("TTxPortSettings")] = FactoryOf<TTxPortSettings>();
    factories[QStringLiteral("TTxMessageParam")] = FactoryOf<TTxMessageParam>();
    factories[QStringLiteral("TTxReceivePause")] = FactoryOf<TTxReceivePause>();
}

} // namespace korvane
