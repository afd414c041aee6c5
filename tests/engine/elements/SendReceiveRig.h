#pragma once

// One channel running a protocol of real elements on a simulated line in
// virtual time. The steps under test come first; the steps that they jump
// to are waiting steps of a scripted class ("Пауза") that never finish, so
// that a test reads where an element went from the driver's current step.
// The line rests with its input at '+' (RI on) and DSR off, so nothing
// counts as clearing or a break until a test says so.

#include "tests/engine/EngineRig.h"

#include "engine/ElementCatalog.h"

#include <gtest/gtest.h>

namespace korvane::test {

inline const QString kLanding = QStringLiteral("Пауза");

// A waiting step named Name.
inline StepSpec Landing(const QString& name)
{
    return {name, kLanding, {}};
}

class SendReceiveRig {
public:
    static constexpr int CharMs = 150; // one 5-bit character at 50 baud with 1.5 stop bits

    // Steps: the steps under test; then the landing steps "Далее", "Успех",
    // "Неудача", "Отбой" and any Extra names.
    explicit SendReceiveRig(std::vector<StepSpec> steps, const QStringList& extra = {},
                        const QString& answerBack = QStringLiteral("12345 TEST"))
    {
        rig.catalog = MakeCatalog({{kLanding, "TTxPause", [this](ScriptedElement&) { ++landings; }, nullptr}});
        for (const ElementCatalogEntry& e : DefaultElementCatalog())
            rig.catalog.push_back(e);
        for (const QString& name : QStringList{"Далее", "Успех", "Неудача", "Отбой"} + extra)
            steps.push_back(Landing(name));
        rig.set = MakeSet(steps);
        line = rig.AddLine(1);
        line->setRing(true);
        rig.EnableChannel(1, answerBack);
        rig.Start();
        TTxChannelDriver& d = Driver();
        d.ClearingTime = 300;
        d.LineBreakTime = 300;
        d.RxEnabled = true;
        d.SetWindow(&window);
    }

    TTxChannelDriver& Driver() { return rig.Driver(); }
    // The name of the step being run.
    QString StepName() { return Driver().CurrentStep ? Driver().CurrentStep->Name : QString(); }
    void Advance(std::int64_t ms) { rig.Advance(ms); }
    // Runs until the channel leaves step Name or Limit ms have passed; the time taken.
    std::int64_t RunWhileAt(const QString& name, std::int64_t limit = 120000)
    {
        std::int64_t t = 0;
        while (StepName() == name && t < limit) {
            rig.Advance(10);
            t += 10;
        }
        return t;
    }
    // The distant side sends Codes.
    void Receive(const QByteArray& codes) { line->send(codes); }
    // The codes the line carried to the distant side since the last call.
    QByteArray Sent() { return line->takeReceived(); }
    // The distant side clears: the input falls to '-'.
    void Clear() { line->setRing(false); }
    QStringList LogLines() const { return rig.LogLines(); }
    // Whether a channel line of the log carries Text as its bracketed message.
    bool Logged(const QString& text) const
    {
        const QString tail = u'[' + text + u']';
        for (const QString& l : LogLines())
            if (l.startsWith(QStringLiteral("Канал 1: ")) && l.endsWith(tail))
                return true;
        return false;
    }

    EngineRig rig;
    FakeChannelWindow window;
    std::shared_ptr<serial::SimSerialDevice> line;
    int landings = 0;
};

// The codes of Text on a line whose register is not yet known.
inline QByteArray Encoded(const QString& text)
{
    QByteArray codes;
    TelegraphRegister reg = NoRegister;
    EncodeTelegraph(text, codes, reg);
    return codes;
}

} // namespace korvane::test
