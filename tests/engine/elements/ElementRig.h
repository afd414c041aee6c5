#pragma once

// A channel running the engine's own element classes on virtual time, for
// the element tests: channel 1 on a simulated line, a protocol of the given
// steps, and helpers to drive the line's input and to read its output.

#include "tests/engine/EngineRig.h"

#include "engine/ElementCatalog.h"

#include <gtest/gtest.h>

#include <vector>

namespace korvane::test {

class ElementRig {
public:
    // Starts channel 1 with a protocol of Steps; Setup may change the
    // channel's options first. Nothing has run yet (the clock stands at 0);
    // the output is '-' as the driver opens the port.
    void Start(const std::vector<StepSpec>& steps, const QString& protocol = QStringLiteral("Тест"),
               const std::function<void(TChannelOptions&)>& setup = nullptr)
    {
        rig.catalog = DefaultElementCatalog();
        rig.set = MakeSet(steps, protocol);
        rig.AddLine(1);
        rig.EnableChannel(1);
        if (setup)
            setup(rig.Channel(1));
        rig.Start(true, false);
    }

    TTxChannelDriver& Driver() { return rig.Driver(1); }
    serial::SimSerialDevice& Line() { return *rig.lines[1]; }
    void Advance(std::int64_t ms) { rig.Advance(ms); }
    QString StepName() { return Driver().CurrentStep ? Driver().CurrentStep->Name : QString(); }

    // Advances by 1 ms until the channel is at step Name; the time it took,
    // or -1 when it did not get there within MaxMs.
    std::int64_t AdvanceUntilStep(const QString& name, std::int64_t maxMs)
    {
        for (std::int64_t t = 0; t <= maxMs; ++t) {
            if (StepName() == name)
                return t;
            Advance(1);
        }
        return -1;
    }

    // The prototype of a class, by display name.
    template <typename T = TTxElementPro>
    T& Element(const QString& displayName)
    {
        TTxChannelDriver& d = Driver();
        const int index = d.IndexOfElement(displayName);
        EXPECT_GE(index, 0) << displayName.toStdString();
        return dynamic_cast<T&>(*d.ElementAt(index));
    }
    // Runs one step of the protocol by hand: the prototype of its class
    // gets the step and Start. The channel's own stepping must rest
    // meanwhile at a step of another class.
    template <typename T = TTxElementPro>
    T& StartStep(const QString& stepName)
    {
        const TElementRec* step = Driver().Protocol->findStep(stepName);
        EXPECT_NE(step, nullptr) << stepName.toStdString();
        T& e = Element<T>(step->ClassDef->Name);
        e.Step = step;
        e.Start();
        return e;
    }
    // Calls DoIt until the element is done; the number of calls, or -1
    // after Max calls.
    static int DoItUntilDone(TTxElementPro& e, int max = 100000)
    {
        for (int n = 0; n < max;) {
            if (e.Done)
                return n;
            e.DoIt();
            ++n;
            if (e.Done)
                return n;
        }
        return -1;
    }

    // The times (ms since the clock's start) at which the output polarity
    // changed, and to what: true for '+' (break off).
    struct Polarity {
        std::int64_t ms;
        bool plus;
        friend bool operator==(const Polarity&, const Polarity&) = default;
    };
    std::vector<Polarity> OutputChanges()
    {
        std::vector<Polarity> out;
        bool brk = Line().lineChanges().empty() ? false : !Line().lineChanges().front().brk;
        bool first = true;
        for (const auto& c : Line().lineChanges()) {
            if (!first && c.brk == brk)
                continue;
            first = false;
            brk = c.brk;
            out.push_back({c.us / 1000, !c.brk});
        }
        return out;
    }
    // The lengths in ms of the '+' and '-' stretches of the output after
    // Since (ms), alternating, starting with the first change after it.
    std::vector<std::int64_t> StretchesAfter(std::int64_t since)
    {
        std::vector<Polarity> changes;
        for (const Polarity& p : OutputChanges())
            if (p.ms >= since)
                changes.push_back(p);
        std::vector<std::int64_t> out;
        for (std::size_t i = 1; i < changes.size(); ++i)
            out.push_back(changes[i].ms - changes[i - 1].ms);
        return out;
    }
    QStringList LogLines() const { return rig.LogLines(); }

    EngineRig rig;
    FakeChannelWindow window;
};

// Steps that wait long, of two classes, to rest at one not under test.
inline StepSpec LongPause(const QString& name = QStringLiteral("Ждать"))
{
    return {name, QStringLiteral("Пауза"), {"1000000"}};
}
inline StepSpec LongWait(const QString& name = QStringLiteral("Ждать"))
{
    return {name, QStringLiteral("Ожидание подключения"), {"60", "1500", name, name, name}};
}

} // namespace korvane::test
