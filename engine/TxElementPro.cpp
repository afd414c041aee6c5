#include "engine/TxElementPro.h"

#include "engine/EngineError.h"
#include "engine/TxDriver.h"
#include "platform/Clock.h"
#include "protocols/DecimalNumber.h"
#include "protocols/DriverModes.h"
#include "support/TelegraphCode.h"
#include "support/UpperCase.h"

#include <QFileInfo>

#include <cmath>
#include <limits>

namespace korvane {

TTxElementPro::TTxElementPro(TTxChannelDriver& owner, std::uint16_t code, QString elementName, QString className)
    : Code(code), ElementName(std::move(elementName)), ClassName(std::move(className)), driver_(owner)
{
}

void TTxElementPro::Start()
{
    Done = false;
    nextChosen_ = false;
    Digits.clear();
    State = driver_.ChannelState;
    driver_.Events.raise(DriverEvent::LogElementStart);
    BreakLeft = driver_.LineBreakTime;
    ClearingLeft = driver_.ClearingTime;
}

const TParamValue* TTxElementPro::Param(int index) const
{
    if (!Step || index < 0 || index >= static_cast<int>(Step->Params.size()))
        return nullptr;
    return &Step->Params[static_cast<std::size_t>(index)];
}

QString TTxElementPro::ParamText(int index) const
{
    const TParamValue* p = Param(index);
    return p ? p->Value : QString();
}

std::int32_t TTxElementPro::ParamValue(const TParamValue* p) const
{
    if (!p || !p->Def)
        return 0;
    const TParamDef& def = *p->Def;
    switch (def.kind()) {
    case ParamKind::Table: {
        const qsizetype index = def.valueIndex(p->Value);
        if (index < 0)
            throw EngineError(QStringLiteral("The value ") + p->Value + QStringLiteral(" is not in the list of ")
                              + def.Name);
        return static_cast<std::int32_t>(index);
    }
    case ParamKind::Numeric: {
        const auto invalid = [p] {
            return EngineError(QStringLiteral("The value ") + p->Value + QStringLiteral(" is not a valid number"));
        };
        const std::optional<double> number = parseDecimal(p->Value);
        if (!number)
            throw invalid();
        double v = *number;
        const QString units = def.Units.value_or(QString());
        if (units == u"с")
            v *= 1000;
        else if (units == u"мин")
            v *= 60000;
        v = std::nearbyint(v); // halves to the even neighbour
        // A hand-edited file may hold any number: one that does not fit is
        // no valid value, never a wrapped one.
        if (!std::isfinite(v) || v < std::numeric_limits<std::int32_t>::min()
            || v > std::numeric_limits<std::int32_t>::max())
            throw invalid();
        return static_cast<std::int32_t>(v);
    }
    case ParamKind::Jump:
    case ParamKind::Text:
        break;
    }
    return 0;
}

void TTxElementPro::GoNext()
{
    if (nextChosen_)
        return; // an earlier jump of this run decided
    nextChosen_ = true;
    Done = true;
    Step = driver_.Protocol ? driver_.Protocol->stepAfter(Step) : nullptr;
}

void TTxElementPro::JumpTo(const QString& target)
{
    if (nextChosen_)
        return; // an earlier jump of this run decided
    const TElementRec* step = driver_.Protocol ? driver_.Protocol->findStep(target) : nullptr;
    if (!step)
        throw EngineError(QStringLiteral("The element ") + target + QStringLiteral(" doesn't present in the ElementList"));
    nextChosen_ = true;
    Done = true;
    Step = step;
}

void TTxElementPro::SetLinePlus()
{
    driver_.Port->SetBreak(false);
    driver_.OutputPolarity = 1;
}

void TTxElementPro::SetLineMinus()
{
    driver_.Port->SetBreak(true);
    driver_.OutputPolarity = 0;
}

bool TTxElementPro::LineFault()
{
    return driver_.DsrOn();
}

bool TTxElementPro::ReadInputLine()
{
    return driver_.ReadInputLine();
}

bool TTxElementPro::LineBroken(int interval)
{
    return HeldFor(LineFault(), BreakLeft, driver_.LineBreakTime, interval);
}

bool TTxElementPro::Disconnected(int interval)
{
    if (LineBroken(interval))
        return true;
    return HeldFor(!ReadInputLine(), ClearingLeft, driver_.ClearingTime, interval);
}

bool TTxElementPro::IsBusyPulse(std::int32_t ms) const
{
    return driver_.BusyPulseMin <= ms && ms <= driver_.BusyPulseMax;
}

void TTxElementPro::HandleException(const QString& msg, const QString& tag)
{
    driver_.NoteExceptionLine(QStringLiteral("== Исключение: %1 [%2]").arg(msg, tag));
    driver_.RestartProtocol();
}

void TTxElementPro::EchoChar(QChar c)
{
    if (!driver_.Window)
        return;
    if (!driver_.FiveBitLine()) {
        driver_.PutRxChar(c);
        driver_.PutEcho(c);
        return;
    }
    QByteArray codes;
    QString text;
    TelegraphRegister reg = driver_.LineRegister;
    EncodeTelegraph(QStringView(&c, 1), codes, reg);
    reg = driver_.LineRegister;
    DecodeTelegraph(codes, text, reg, (GlobalModes.ModeDriver & DriverMode::ShowShiftMarks) != 0);
    const QChar shown = text.isEmpty() ? QChar() : text.front();
    if (!shown.isNull())
        driver_.PutRxChar(shown);
    driver_.PutEcho(shown == u'\n' ? QChar() : shown);
}

void TTxElementPro::NextTlgNumber(int kind, QString& s)
{
    driver_.NextCounter(kind, s);
}

namespace {

// Removes the macro at Pos: up to the text's first '}' when that lies after
// it, else the macro's own NameLength characters.
void RemoveMacro(QString& s, qsizetype pos, qsizetype nameLength)
{
    const qsizetype close = s.indexOf(u'}');
    s.remove(pos, close > pos ? close - pos + 1 : nameLength);
}

} // namespace

void TTxElementPro::ExpandMacros(QString& s)
{
    UpperCaseCyr(s); // the telegraph's own capitals: no letter the code page lacks
    auto group = [&s](const QString& name, auto insert) {
        const qsizetype pos = s.indexOf(name);
        if (pos < 0)
            return;
        RemoveMacro(s, pos, name.size());
        s.insert(pos, insert());
    };
    auto fixed = [&s](const QString& name, const QString& value) {
        const qsizetype pos = s.indexOf(name);
        if (pos >= 0)
            s.replace(pos, name.size(), value);
    };
    auto number = [this] {
        QString n;
        NextTlgNumber(0, n);
        return n;
    };
    auto nothing = [] { return QString(); };
    const QDateTime now = driver_.Environment().Time->now();
    auto date = [&now] { return now.toString(QStringLiteral("dd/MM")); };

    group(QStringLiteral("{COUNT-"), number);
    group(QStringLiteral("{НОМЕР-"), number);
    group(QStringLiteral("{COUNTCKS-"), nothing);
    group(QStringLiteral("{НОМЕРЦКС-"), nothing);
    const QString words = driver_.CountWords();
    fixed(QStringLiteral("{WORDS}"), words);
    fixed(QStringLiteral("{СЛОВ}"), words);
    group(QStringLiteral("{DATA"), date);
    group(QStringLiteral("{ДАТА"), date);
    const QString time = now.toString(QStringLiteral("HHmm"));
    fixed(QStringLiteral("{TIME}"), time);
    fixed(QStringLiteral("{ВРЕМЯ}"), time);
    fixed(QStringLiteral("{#CALLNUMB}"), driver_.Number);
    fixed(QStringLiteral("{#АБОНЕНТА}"), driver_.Number);
    const QString fileName = QFileInfo(QString(driver_.TlgFileName).replace(u'\\', u'/')).fileName();
    fixed(QStringLiteral("{FILENAME}"), fileName);
    fixed(QStringLiteral("{ИМЯФАЙЛА}"), fileName);
    s.replace(u'{', u' ');
    if (const qsizetype bar = s.indexOf(u'|'); bar >= 0)
        s[bar] = u'0';
}

void TTxElementPro::CheckDirectWork()
{
    TTxChannelDriver& d = driver_;
    if (d.ChannelState != ChannelStates::Connected)
        return;
    if (Disconnected(TTxChannelDriver::ProtocolInterval)) {
        d.CurrentStep = d.FirstStep;
        d.RestartPending = true;
        d.SetChannelState(0);
        if (d.Window)
            d.Window->PostMessageCode(ChannelMessageCodes::PartnerCleared);
        d.ResultCode = FailureCodes::Dis;
    }
    // The end of a '&' pause is the driver's own, in every mode (TickTransmitPause).
}

// ---------------------------------------------------------------------------
// Shared by the element classes.

bool TTxElementPro::CountDown(std::int32_t& left, int interval)
{
    left -= interval;
    return left <= 0;
}

bool TTxElementPro::HeldFor(bool holds, std::int32_t& left, std::int32_t full, int interval)
{
    if (!holds) {
        left = full;
        return false;
    }
    return CountDown(left, interval);
}

void TTxElementPro::JumpWithResult(const QString& target, std::uint8_t code)
{
    if (nextChosen_)
        return;
    JumpTo(target);
    driver_.ResultCode = code;
}

const QString& TTxElementPro::DialString() const
{
    return driver_.DialNumber.isEmpty() ? driver_.Number : driver_.DialNumber;
}

QString TTxElementPro::TimeStamp() const
{
    return driver_.Environment().Time->now().time().toString(QStringLiteral("ss:zzz"));
}

void TTxElementPro::NoteCaught(const QString& tag)
{
    HandleException(CurrentExceptionMessage(), tag);
}
// ---------------------------------------------------------------------------

} // namespace korvane
