#pragma once

#include "protocols/ProtocolModel.h"

#include <QChar>
#include <QString>

#include <cstdint>
#include <utility>

namespace korvane {

class TTxChannelDriver;

// The base of the protocol elements. A driver holds one prototype of every
// element class; the prototype runs each step of its class in turn: the
// driver sets Step, calls Start once on the protocol tick and, until Done is
// set, DoIt on every fast tick. An element finishes by naming the next step
// (GoNext or JumpTo); Start sets every field that DoIt relies on, because the
// same object runs all the steps of its class.
//
// Start and CheckDirectWork run on the main thread, DoIt on the fast tick,
// all of them with the driver's engine lock held.
class TTxElementPro {
public:
    // ClassName is the class's own name ("TTxPause"), used in the tags of the
    // exception lines; ElementName its display name in the registry.
    TTxElementPro(TTxChannelDriver& owner, std::uint16_t code, QString elementName, QString className);
    virtual ~TTxElementPro() = default;
    TTxElementPro(const TTxElementPro&) = delete;
    TTxElementPro& operator=(const TTxElementPro&) = delete;

    // The base part of a start; every descendant calls it first: Done and
    // Digits cleared, State := the driver's ChannelState, the start logged,
    // the countdowns reloaded.
    virtual void Start();
    // One fast tick of work.
    virtual void DoIt() = 0;
    // Dialog mode, each protocol tick: clearing by the partner during a
    // connection.
    virtual void CheckDirectWork();

    std::uint16_t Code = 0;
    QString ElementName;
    QString ClassName;
    const TElementRec* Step = nullptr; // the step being run; the next one once Done
    std::uint8_t State = 0;
    bool Done = false;
    std::int32_t ClearingLeft = 0; // ms
    std::int32_t BreakLeft = 0;    // ms
    QString Digits;

    TTxChannelDriver& Driver() const { return driver_; }

    // --- For the descendants ---

    // The step's value of parameter Index (the class's definition order), or
    // null when the step has fewer values (or none).
    const TParamValue* Param(int index) const;
    // A value as a number: a value-table parameter its 0-based position, a
    // numeric one scaled by its unit to ms ("с" x1000, "мин" x60000) and
    // rounded half to even, any other 0. Throws EngineError for a text that
    // is no number or no entry of the table.
    std::int32_t ParamValue(const TParamValue* p) const;
    std::int32_t ParamValue(int index) const { return ParamValue(Param(index)); }
    // The value text of a parameter, empty when the step has none.
    QString ParamText(int index) const;

    // Done; Step := the step after it (null after the last). The first
    // GoNext or JumpTo after a Start decides: a later one in the same Start
    // or DoIt is ignored, so a clearing jump cannot be overtaken by a test
    // that comes after it.
    void GoNext();
    // Done; Step := the first step of the protocol named Target. Throws
    // EngineError when no step has that name (unless the next step is
    // already chosen).
    void JumpTo(const QString& target);

    void SetLinePlus();
    void SetLineMinus();
    bool LineFault();
    bool ReadInputLine();
    // DSR has stayed on for the line-break time. Interval is the time one
    // call stands for: the fast tick's in DoIt, the protocol tick's in
    // CheckDirectWork.
    bool LineBroken(int interval = FastInterval);
    // The line broke, or the input has stayed '-' for the clearing time.
    bool Disconnected(int interval = FastInterval);
    bool IsBusyPulse(std::int32_t ms) const;

    // Logs "== Исключение: Msg [Tag]" (whatever the log mode) and restarts
    // the protocol.
    void HandleException(const QString& msg, const QString& tag);
    // Shows a character the channel sends by itself as if it had come from the line.
    void EchoChar(QChar c);
    void NextTlgNumber(int kind, QString& s);
    // Upper-cases a header or text template and replaces its macros.
    void ExpandMacros(QString& s);

    // ---------------------------------------------------------------------
    // Shared by the element classes: counting ticks, waiting for a line
    // state for a time, jumping on a result, guarding a tick's work.

    static constexpr int FastInterval = 10; // ms, one DoIt

    // Left -= Interval; true once Left has run out (<= 0).
    static bool CountDown(std::int32_t& left, int interval = FastInterval);
    // A line state that must last Full ms: while Holds, Left counts down and
    // the result is true once it has run out; otherwise Left starts again
    // at Full and the result is false.
    static bool HeldFor(bool holds, std::int32_t& left, std::int32_t full, int interval = FastInterval);
    // JumpTo Target and note Code as the call's result.
    void JumpWithResult(const QString& target, std::uint8_t code);
    // Runs Work; an exception out of it is logged under Tag and restarts
    // the protocol (HandleException). Returns false when Work failed.
    template <typename Work>
    bool Guarded(const QString& tag, Work&& work);
    // Guarded under this class's DoIt tag followed by Part
    // ("TTxIdle.DoIt.AutoTrm"); the tag is only made when something is
    // caught, so the work of every fast tick allocates nothing for it.
    template <typename Work>
    bool GuardedDoIt(Work&& work, QStringView part = {});
    // The exception tag of this class's DoIt ("TTxPause.DoIt").
    QString DoItTag() const { return ClassName + QStringLiteral(".DoIt"); }
    // The number as it is dialled: the driver's dial string when a fixed
    // prefix was put before the number, else Number itself.
    const QString& DialString() const;
    // The time now as "ss:zzz", for the step lines of the line's events.
    QString TimeStamp() const;
    // ---------------------------------------------------------------------

private:
    // Runs Work; when it throws, the tag MakeTag() gives is noted (NoteCaught).
    template <typename Work, typename MakeTag>
    bool GuardedUnder(Work&& work, MakeTag&& makeTag);
    // Logs the exception being handled under Tag and restarts the protocol.
    void NoteCaught(const QString& tag);

    bool nextChosen_ = false; // GoNext or JumpTo has named the next step since Start

    TTxChannelDriver& driver_;
};

template <typename Work, typename MakeTag>
bool TTxElementPro::GuardedUnder(Work&& work, MakeTag&& makeTag)
{
    try {
        work();
        return true;
    } catch (...) { // of any kind
        NoteCaught(makeTag());
        return false;
    }
}

template <typename Work>
bool TTxElementPro::Guarded(const QString& tag, Work&& work)
{
    return GuardedUnder(std::forward<Work>(work), [&tag] { return tag; });
}

template <typename Work>
bool TTxElementPro::GuardedDoIt(Work&& work, QStringView part)
{
    return GuardedUnder(std::forward<Work>(work), [this, part] { return DoItTag().append(part); });
}

} // namespace korvane
