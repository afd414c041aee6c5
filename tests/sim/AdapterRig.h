#pragma once

// A TARVELOX-01 channel on virtual time: the whole engine (EngineRig) with
// channel 1 resting in its idle step, which runs the adapter exchange as
// the idle element does, and the simulated intelligent adapter behind COM1.
// The channel window is the real window state on a recording view, so the
// window's lines and boxes are what an operator would see.

#include "engine/ChannelWindowState.h"
#include "engine/FolderRefresh.h"
#include "engine/JournalNotifier.h"
#include "engine/TelegramNumbering.h"
#include "platform/serial/SimScheduler.h"
#include "sim/IntelligentAdapter.h"
#include "tests/engine/EngineRig.h"
#include "tests/engine/RecordingChannelWindowView.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <memory>

namespace korvane::test {

// The adapter part of the idle element: the exchange to its end, one step
// per fast tick, then the protocol restarted once.
inline void RunAdapterPartOfIdle(ScriptedElement& e)
{
    TTxChannelDriver& d = e.Driver();
    if (d.AdapterType != 3)
        return;
    if (!d.AdapterExchangeDone) {
        e.State = 0;
        d.RunAdapterExchange();
        return;
    }
    if (!d.AdapterRestarted) {
        d.AdapterRestarted = 1;
        d.RestartProtocol();
    }
}

class AdapterRig {
public:
    // The clock stands at Start.
    explicit AdapterRig(QDateTime start = QDateTime(QDate(2026, 12, 10), QTime(9, 5, 2)))
        : rig(start)
    {
        rig.catalog = MakeCatalog({{QStringLiteral("Анализ состояния приема"), "TTxCheckInputLine", nullptr,
                                    [](ScriptedElement& e) { RunAdapterPartOfIdle(e); }}});
        rig.set = MakeSet({{"Ожидание", QStringLiteral("Анализ состояния приема"), {}}});
        line = rig.AddLine(1);
        adapter = std::make_unique<sim::IntelligentAdapter>(line, scheduler);
        rig.EnableChannel(1, QStringLiteral("^<_12345 $ABC"));
        TChannelOptions& r = rig.Channel(1);
        r.AdapterType = 3;
        r.Modes = ChannelMode::ChkAdapter; // the presence test: DCD = NOT DTR
        r.CtxModes = 1;
        r.ReceiveJrnFile.setText(rig.dir.filePath("rx1.jrn"));
    }

    ~AdapterRig() { rig.scanner.reset(); } // the drivers go before their window

    void WriteProgram(int bodySize)
    {
        ASSERT_TRUE(sim::IntelligentAdapter::WriteProgramFile(rig.dir.filePath("TARVELOX.BIN"), bodySize));
    }

    void Start()
    {
        ScannerEnvironment env = rig.Environment();
        env.Journals = &journals;
        QObject::connect(&journals, &JournalNotifier::JournalChanged,
                         [this](int channel, int kind) { notices << QStringLiteral("%1/%2").arg(channel).arg(kind); });
        rig.scanner = std::make_unique<TTxScanner>(env);
        rig.scanner->Start(rig.set.get());
        window.SetChannel(1);
        Driver().SetWindow(&window);
        // What the steps of "Стандарт A" before its idle step leave in the
        // driver on a two-pole line: 50 bit/s, 5 data bits, 1.5 stop bits,
        // no parity; break 300 ms, call 100 ms, clear-down 350 ms, receive
        // pause 120 s, pause and impulse 0, disconnect wait 10 s.
        TTxChannelDriver& d = Driver();
        d.BaudIndex = 0;
        d.DataBitsIndex = 1;
        d.StopBitsIndex = 1;
        d.ParityIndex = 0;
        d.LineBreakTime = 300;
        d.CallSignalTime = 100;
        d.ClearingTime = 350;
        d.ReceivePauseTime = 120000;
        d.PauseTime = 0;
        d.ImpulseTime = 0;
        d.DisconnectWaitTime = 10000;
    }

    TTxChannelDriver& Driver() { return rig.Driver(1); }
    ScriptedElement& Idle() { return static_cast<ScriptedElement&>(*Driver().ElementAt(0)); }

    // Runs until the exchange has ended and the protocol was restarted, at
    // most Limit ms; the window's boxes are shown at the end.
    bool RunToEnd(std::int64_t limit = 60000)
    {
        for (std::int64_t t = 0; t < limit; t += 10) {
            rig.Advance(10);
            if (Driver().AdapterExchangeDone && Driver().AdapterRestarted) {
                rig.Advance(200); // the file tick and the window's timer catch up
                window.MessagesTimerTimer();
                return true;
            }
        }
        window.MessagesTimerTimer();
        return false;
    }

    QString In(const QString& name) const { return rig.dir.filePath("in1/" + name); }
    static QByteArray Read(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QStringList Received() const { return QDir(rig.dir.filePath("in1")).entryList(QDir::Files, QDir::Name); }
    // The window's text lines and boxes, in order.
    QStringList WindowText() const
    {
        QStringList out;
        for (const QString& c : view.calls)
            if (c.startsWith("line ") || c.startsWith("box ") || c == "clear")
                out << c;
        return out;
    }

    EngineRig rig;
    serial::SimScheduler scheduler{&rig.clock};
    std::shared_ptr<serial::SimSerialDevice> line;
    std::unique_ptr<sim::IntelligentAdapter> adapter;
    JournalNotifier journals;
    QStringList notices;
    RecordingChannelWindowView view;
    ChannelWindowState window{view};
};

} // namespace korvane::test
