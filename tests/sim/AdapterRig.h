#pragma once

// A TARVELOX-01 channel on virtual time: the whole engine (EngineRig)
// running the built-in protocol "Стандарт A" on a two-pole line, whose idle
// step runs the adapter exchange, and the simulated intelligent adapter
// behind COM1. Classes the engine does not have yet stand in as steps that
// go on at once. The channel window is the real window state on a recording
// view, so the window's lines and boxes are what an operator would see.

#include "engine/ChannelWindowState.h"
#include "engine/JournalNotifier.h"
#include "engine/TelegramNumbering.h"
#include "protocols/DefaultProtocols.h"
#include "platform/serial/SimScheduler.h"
#include "sim/IntelligentAdapter.h"
#include "tests/engine/EngineRig.h"
#include "tests/engine/RecordingChannelWindowView.h"
#include "tests/fakes/TestFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <memory>

namespace korvane::test {

class AdapterRig {
public:
    // The clock stands at Start.
    explicit AdapterRig(QDateTime start = QDateTime(QDate(2026, 12, 10), QTime(9, 5, 2)))
        : rig(start)
    {
        int err = 0;
        rig.set = BuildDefaultProtocolSet(err, rig.box);
        for (const ElementCatalogEntry& e : DefaultElementCatalog()) {
            if (e.Create) {
                rig.catalog.push_back(e);
                continue;
            }
            std::vector<ScriptedClass> standIn = {{e.DisplayName, e.ClassName, nullptr, nullptr}};
            if (e.DisplayName == u"Ожидание подтверждения отбоя")
                standIn[0].OnStart = [](ScriptedElement& s) {
                    s.Driver().DisconnectWaitTime = 10000; // its "Ожидание", 10 s
                    s.JumpTo(s.ParamText(2));
                };
            else if (e.DisplayName == u"Отбой")
                standIn[0].OnStart = [](ScriptedElement& s) { s.GoNext(); };
            rig.catalog.push_back(MakeCatalog(standIn).front());
        }
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
        QObject::connect(&journals, &JournalNotifier::JournalChanged,
                         [this](int channel, int kind) { notices << QStringLiteral("%1/%2").arg(channel).arg(kind); });
        window.SetChannel(1);
        StartScanner();
    }
    // The channels restarted: the drivers go, new ones start, and with them
    // the exchange from its beginning.
    void RestartChannels()
    {
        rig.scanner.reset();
        StartScanner();
    }

    TTxChannelDriver& Driver() { return rig.Driver(1); }
    QString StepName() { return Driver().CurrentStep ? Driver().CurrentStep->Name : QString(); }

    // Runs until the exchange has ended and the protocol was restarted, at
    // most Limit ms; the window's boxes are shown at the end.
    bool RunToEnd(std::int64_t limit = 60000)
    {
        for (std::int64_t t = 0; t < limit; t += 10) {
            rig.Advance(10);
            if (Driver().AdapterExchangeDone && Driver().AdapterRestarted) {
                rig.Advance(500); // the protocol's head again; the file tick and the window's timer catch up
                window.MessagesTimerTimer();
                return true;
            }
        }
        window.MessagesTimerTimer();
        return false;
    }
    // The protocol began again after the exchange: its head put the port
    // back into line mode and the channel rests in its idle step.
    bool ProtocolRunsAgain()
    {
        TTxChannelDriver& d = Driver();
        return d.AdapterRestarted && StepName() == QStringLiteral("Анализ состояния приема")
               && d.Port->BaudRate() == br____50 && d.Port->DataBits() == db5;
    }

    QString In(const QString& name) const { return rig.dir.filePath("in1/" + name); }
    static QByteArray Read(const QString& path)
    {
        return korvane::test::ReadFileBytes(path);
    }
    QByteArray Journal() const { return Read(rig.dir.filePath("rx1.jrn")); }
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

    void StartScanner()
    {
        ScannerEnvironment env = rig.Environment();
        env.Journals = &journals;
        rig.scanner = std::make_unique<TTxScanner>(env);
        rig.scanner->Start(rig.set.get());
        Driver().SetWindow(&window);
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
