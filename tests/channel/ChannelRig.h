#pragma once

// Whole channels on virtual time: the engine with the built-in protocol set
// and the engine's own element classes, each channel's port leading to a
// simulated telex network of its own (sim/: the simple adapter, the
// exchange, the distant stations of a scenario), folders and journals in a
// temporary folder. What the tests read back is what an operator would
// find: the line's transcript, the files, the journals, the log.

#include "engine/CallFailurePolicy.h"
#include "engine/JournalNotifier.h"
#include "support/NumberLists.h"
#include "platform/serial/SimScheduler.h"
#include "protocols/DefaultProtocols.h"
#include "sim/Scenario.h"
#include "sim/SimNetwork.h"
#include "support/OemText.h"
#include "tests/channel/TranscriptText.h"
#include "tests/engine/EngineRig.h"
#include "tests/fakes/TestFiles.h"

#include <QCoreApplication>
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>

#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace korvane::test {

class ChannelRig {
public:
    // The protocol kinds of TChannelOptions::StationType.
    enum Kind : std::uint32_t { StandardA = 0, StandardB = 1, PhysicalLine = 2 };

    ChannelRig()
    {
        int err = 0;
        rig.set = BuildDefaultProtocolSet(err, rig.box);
        EXPECT_EQ(err, 0);
        rig.catalog = DefaultElementCatalog();
        // Figures code 10 reads '4'; a number whose series are spent is
        // blocked, so that its telegram ends in a failure extension; every
        // failure category retries twice 30 s apart, in two series 60 s
        // apart, and holds a blocked number back for 10 minutes.
        rig.modes.Set([](TDriverModes& m) {
            m.ModeDriver |= DriverMode::FigsTenIsFour | DriverMode::BlockSpentNumbers;
            for (auto& column : m.BadCallsPolicy)
                column = {2, 30, 2, 60, 600};
        });
    }
    ~ChannelRig()
    {
        rig.scanner.reset(); // the ports close before their networks go
        networks.clear();
    }

    // Channel C on a network of ScenarioText (a scenario's text or a
    // built-in name), running protocol Kind; Setup may change its options.
    void AddChannel(int c, const QString& scenarioText, Kind kind = StandardA,
                    const std::function<void(TChannelOptions&)>& setup = {})
    {
        QString error;
        auto s = sim::Scenario::builtInNames().contains(scenarioText) ? sim::Scenario::load(scenarioText, &error)
                                                                      : sim::Scenario::parse(scenarioText, &error);
        ASSERT_TRUE(s) << error.toStdString();
        scenarios[c] = *s;
        networks[c] = std::make_unique<sim::SimNetwork>(scenarios[c], scheduler, true);
        const QString name = QStringLiteral("chan%1").arg(c);
        rig.map.registerSimulated(name, networks[c]->device());
        qputenv(qPrintable(QStringLiteral("KORVANE_COM%1").arg(c)), ("sim:" + name).toUtf8());
        rig.EnableChannel(c, QStringLiteral("^<_12345$ KORV"));
        TChannelOptions& r = rig.Channel(c);
        r.StationType = kind;
        r.ReceiveJrnFile.setText(rig.dir.filePath(QStringLiteral("rx%1.jrn").arg(c)));
        r.TransmJrnFile.setText(rig.dir.filePath(QStringLiteral("tx%1.jrn").arg(c)));
        r.ReceiveCommonFile.setText(rig.dir.filePath(QStringLiteral("rx%1.all").arg(c)));
        r.TransmCommonFile.setText(rig.dir.filePath(QStringLiteral("tx%1.all").arg(c)));
        QDir().mkpath(r.TransmDir.text());
        QDir().mkpath(r.ReceiveDir.text());
        if (setup)
            setup(r);
    }

    void Start()
    {
        ScannerEnvironment env = rig.Environment();
        env.Journals = &journals;
        rig.scanner = std::make_unique<TTxScanner>(env);
        rig.scanner->Start(rig.set.get());
    }

    TTxChannelDriver& Driver(int c = 1) { return rig.Driver(c); }
    QString StepName(int c = 1)
    {
        EngineLock lock(rig.scanner->Mutex());
        TTxChannelDriver& d = Driver(c);
        return d.CurrentStep ? d.CurrentStep->Name : QString();
    }
    void Advance(std::int64_t ms)
    {
        rig.Advance(ms);
        QCoreApplication::processEvents();
    }
    // Advances in steps of StepMs until Done holds; false when LimitMs passed first.
    bool RunUntil(const std::function<bool()>& done, std::int64_t limitMs, std::int64_t stepMs = 10)
    {
        for (std::int64_t t = 0; t < limitMs; t += stepMs) {
            if (done())
                return true;
            Advance(stepMs);
        }
        return done();
    }
    std::int64_t NowMs() const { return rig.clock.nowUs() / 1000; }
    // Runs until channel C rests in the idle step again after having left it.
    bool RunCall(int c = 1, std::int64_t limitMs = 300000)
    {
        if (!RunUntil([&] { return StepName(c) == kIdle; }, limitMs))
            return false;
        if (!RunUntil([&] { return StepName(c) != kIdle; }, limitMs))
            return false;
        return RunUntil([&] { return StepName(c) == kIdle; }, limitMs);
    }
    static inline const QString kIdle = QStringLiteral("Анализ состояния приема");

    // The retry state of Number in the failure lists: its reason and wait
    // (seconds), or nullopt when it is not listed.
    struct Retry {
        int reason;
        int wait;
        bool blocked;
    };
    static std::optional<Retry> RetryOf(const QString& number)
    {
        const ListsBusyLock lock;
        if (BadNumbers && BadNumbers->IndexOf(number) >= 0)
            return Retry{BadNumbers->ObjectAs<TBadNumObject>(BadNumbers->IndexOf(number))->Reason, 0, true};
        if (!UnsuccNumbers || UnsuccNumbers->IndexOf(number) < 0)
            return std::nullopt;
        const auto* o = UnsuccNumbers->ObjectAs<TUnsucNumObject>(UnsuccNumbers->IndexOf(number));
        return Retry{o->Reason, o->Wait, false};
    }

    sim::SimNetwork& Network(int c = 1) { return *networks.at(c); }
    sim::Transcript& Transcript(int c = 1) { return networks.at(c)->transcript(); }

    QString OutDir(int c = 1) { return rig.Channel(c).TransmDir.text(); }
    QString InDir(int c = 1) { return rig.Channel(c).ReceiveDir.text(); }
    // An outgoing telegram, written as the editor writes it (OEM, CR LF).
    void PutTelegram(int c, const QString& name, const QString& text)
    {
        Write(OutDir(c) + u'/' + name, AnsiToOem(text));
    }
    static QStringList Files(const QString& folder)
    {
        return QDir(folder).entryList(QDir::Files, QDir::Name);
    }
    QString OutFile(int c, const QString& name) { return OemToAnsi(Read(OutDir(c) + u'/' + name)); }
    QString InFile(int c, const QString& name) { return OemToAnsi(Read(InDir(c) + u'/' + name)); }
    // The journal's lines, without their CR LF.
    QStringList TxJournal(int c = 1) { return Lines(rig.Channel(c).TransmJrnFile.text()); }
    QStringList RxJournal(int c = 1) { return Lines(rig.Channel(c).ReceiveJrnFile.text()); }
    QStringList LogWith(const QString& text) const { return rig.LogLines().filter(text); }

    static QByteArray Read(const QString& path)
    {
        return korvane::test::ReadFileBytes(path);
    }
    static void Write(const QString& path, const QByteArray& bytes)
    {
        korvane::test::WriteFileBytes(path, bytes);
    }
    static QStringList Lines(const QString& path)
    {
        QStringList out = OemToAnsi(Read(path)).split(QStringLiteral("\r\n"));
        if (!out.isEmpty() && out.back().isEmpty())
            out.pop_back();
        return out;
    }

    EngineRig rig;
    serial::SimScheduler scheduler{&rig.clock};
    std::map<int, sim::Scenario> scenarios;
    std::map<int, std::unique_ptr<sim::SimNetwork>> networks;
    JournalNotifier journals;
};

} // namespace korvane::test

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList& l, std::ostream* os)
{
    *os << "\n  " << l.join(QStringLiteral("\n  ")).toStdString() << '\n';
}
QT_END_NAMESPACE
