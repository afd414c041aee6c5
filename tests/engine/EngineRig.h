#pragma once

// A whole channel engine on virtual time for the tests: a scanner whose
// ticks run on a serial::VirtualClock, simulated line devices behind
// COM1..COM8, a protocol set built from test elements, the fake window,
// boxes and beep, and a daily log in a temporary folder.

#include "engine/ElementCatalog.h"
#include "engine/TxDriver.h"
#include "engine/TxElementPro.h"
#include "engine/TxScanner.h"
#include "engine/VirtualTickTimers.h"
#include "platform/serial/SerialPortMap.h"
#include "platform/serial/SimSerialDevice.h"
#include "platform/serial/VirtualClock.h"
#include "protocols/DriverModes.h"
#include "protocols/ElementClassRegistry.h"
#include "protocols/ProtocolModel.h"
#include "support/LogFile.h"
#include "tests/engine/FakeChannelWindow.h"
#include "tests/fakes/FakeMessageBox.h"
#include "tests/fakes/FakeSystemBeep.h"

#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <map>
#include <memory>

namespace korvane::test {

// A step element for the tests, registered under a real class's display
// name: its Start and DoIt do what the test says and count their calls.
class ScriptedElement final : public TTxElementPro {
public:
    using Action = std::function<void(ScriptedElement&)>;

    ScriptedElement(TTxChannelDriver& d, std::uint16_t code, const QString& displayName, const QString& className,
                    Action onStart, Action onDoIt)
        : TTxElementPro(d, code, displayName, className), onStart_(std::move(onStart)), onDoIt_(std::move(onDoIt))
    {
    }
    void Start() override
    {
        TTxElementPro::Start();
        ++starts;
        if (onStart_)
            onStart_(*this);
    }
    void DoIt() override
    {
        ++doIts;
        if (onDoIt_)
            onDoIt_(*this);
    }

    int starts = 0;
    int doIts = 0;

private:
    Action onStart_;
    Action onDoIt_;
};

// What a scripted class does, by display name.
struct ScriptedClass {
    QString DisplayName;
    QString ClassName;
    ScriptedElement::Action OnStart;
    ScriptedElement::Action OnDoIt;
};

inline ElementCatalog MakeCatalog(const std::vector<ScriptedClass>& classes)
{
    static const std::map<QString, std::uint16_t> codes = [] {
        int err = 0;
        std::map<QString, std::uint16_t> out;
        const auto registry = BuildClassRegistry(err);
        for (const TElementClassDef& def : registry->entries())
            out.emplace(def.Name, def.Code);
        return out;
    }();
    ElementCatalog catalog;
    for (const ScriptedClass& c : classes) {
        const std::uint16_t code = codes.count(c.DisplayName) ? codes.at(c.DisplayName) : 0;
        catalog.push_back({c.ClassName, c.DisplayName, [c, code](TTxChannelDriver& d) {
                               return std::make_unique<ScriptedElement>(d, code, c.DisplayName, c.ClassName,
                                                                        c.OnStart, c.OnDoIt);
                           }});
    }
    return catalog;
}

// One step: its name, the display name of its class, its values in definition order.
struct StepSpec {
    QString Name;
    QString ClassName;
    QStringList Values;
};

// A protocol set whose kind-1 protocol has the given steps; channels off.
inline std::unique_ptr<TProtocolSet> MakeSet(const std::vector<StepSpec>& steps, const QString& name = "Тест")
{
    auto set = std::make_unique<TProtocolSet>();
    int err = 0;
    set->Registry = BuildClassRegistry(err);
    TProtocolRec protocol;
    protocol.Name = name;
    for (const StepSpec& s : steps) {
        TElementRec rec;
        rec.Name = s.Name;
        rec.ClassDef = set->Registry->find(s.ClassName);
        if (rec.ClassDef)
            for (std::size_t i = 0; i < rec.ClassDef->Params.size(); ++i)
                rec.Params.push_back({s.Values.value(int(i)), &rec.ClassDef->Params[i]});
        protocol.Elements.push_back(std::move(rec));
    }
    set->Protocols[0].push_back(std::move(protocol));
    return set;
}

// Keeps GlobalModes as the test sets them, and gives the old ones back.
class ModesScope {
public:
    ModesScope() : saved_(GlobalModes) {}
    ~ModesScope() { ApplyDriverModes(saved_); }
    void Set(std::function<void(TDriverModes&)> change)
    {
        TDriverModes m = GlobalModes;
        change(m);
        ApplyDriverModes(m);
    }

private:
    TDriverModes saved_;
};

class EngineRig {
public:
    explicit EngineRig(QDateTime start = QDateTime(QDate(2026, 1, 15), QTime(12, 0))) : clock(std::move(start))
    {
        logFile_ = std::make_unique<TLogFile>(dir.path(), clock);
        savedLog_ = LogFile;
        LogFile = logFile_.get();
        modes.Set([](TDriverModes& m) {
            m.TlxLogMode = 1;
            m.PreciseTimer = 1;
            m.ModeDriver = 0;
        });
    }
    ~EngineRig()
    {
        scanner.reset();
        LogFile = savedLog_;
        for (int c = 1; c <= kChannelCount; ++c)
            qunsetenv(qPrintable(QStringLiteral("KORVANE_COM%1").arg(c)));
    }

    // A simulated line behind COMc.
    std::shared_ptr<serial::SimSerialDevice> AddLine(int c)
    {
        auto line = serial::SimSerialDevice::create({&clock, true});
        const QString name = QStringLiteral("e1rig%1").arg(c);
        map.registerSimulated(name, line);
        qputenv(qPrintable(QStringLiteral("KORVANE_COM%1").arg(c)), ("sim:" + name).toUtf8());
        lines[c] = line;
        return line;
    }
    // COMc leads nowhere.
    void MissingLine(int c)
    {
        qputenv(qPrintable(QStringLiteral("KORVANE_COM%1").arg(c)), QByteArray("sim:e1missing"));
    }

    TChannelOptions& Channel(int c) { return set->Channels[std::size_t(c - 1)]; }
    void EnableChannel(int c, const QString& answerBack = QStringLiteral("12345 TEST"))
    {
        TChannelOptions& r = Channel(c);
        r.AdapterType = 1;
        r.StationType = 0;
        r.AnswerBack.setText(answerBack);
        r.TransmDir.setText(dir.filePath(QStringLiteral("out%1").arg(c)));
        r.ReceiveDir.setText(dir.filePath(QStringLiteral("in%1").arg(c)));
    }

    ScannerEnvironment Environment()
    {
        ScannerEnvironment env;
        env.Box = &box;
        env.Beep = &beep;
        env.Time = &clock;
        env.Timers = &timers;
        env.PortMap = &map;
        env.Catalog = &catalog;
        env.IniFileName = dir.filePath(QStringLiteral("KORVANE2.INI"));
        env.ProgramFolder = dir.path();
        env.ShowTickStatistics = [this](const QString& s) { statistics = s; };
        if (configure)
            configure(env);
        return env;
    }

    // Starts the scanner; the drivers' lines run 5-bit telegraph at 50 baud
    // with the character engine attached (what the port-settings element does),
    // and, when connected, stand at '+' as in a connection: a line held at '-'
    // (the break the driver opens with) carries no characters.
    void Start(bool telegraph = true, bool connected = true)
    {
        scanner = std::make_unique<TTxScanner>(Environment());
        scanner->Start(set.get());
        for (int c = 1; c <= kChannelCount; ++c)
            if (TTxChannelDriver* d = scanner->Driver(c)) {
                if (telegraph)
                    d->Port->SetParams(br____50, db5, sb1_5, paNone);
                d->AttachLineHandlers();
                if (connected)
                    d->Port->SetBreak(false);
            }
    }
    TTxChannelDriver& Driver(int c = 1) { return *scanner->Driver(c); }

    void Advance(std::int64_t ms) { clock.advance(ms); }
    // Bytes the far end of COMc received, in order.
    QByteArray Sent(int c = 1) { return sent_[c] += lines[c]->takeReceived(); }

    QStringList LogLines() const
    {
        QFile f(logFile_->FileNameFor(clock.today()));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QStringList out;
        // Each line is the time ("H:mm:ss", 7 or 8 characters), two blanks
        // and the message.
        for (const QByteArray& line : f.readAll().split('\n')) {
            const qsizetype gap = line.indexOf("  ");
            if (gap > 0)
                out << codepage::fromCp1251(line.mid(gap + 2)).trimmed();
        }
        return out;
    }

    QTemporaryDir dir;
    serial::VirtualClock clock;
    serial::SerialPortMap map;
    VirtualTickTimerFactory timers{clock};
    FakeMessageBox box;
    FakeSystemBeep beep;
    ModesScope modes;
    ElementCatalog catalog;
    std::unique_ptr<TProtocolSet> set = MakeSet({});
    std::unique_ptr<TTxScanner> scanner;
    std::map<int, std::shared_ptr<serial::SimSerialDevice>> lines;
    QString statistics;
    // Further settings of the scanner's environment, made before it starts.
    std::function<void(ScannerEnvironment&)> configure;

private:
    std::unique_ptr<TLogFile> logFile_;
    TLogFile* savedLog_ = nullptr;
    std::map<int, QByteArray> sent_;
};

// Codes as a byte string, for comparisons with what a line carried.
inline QByteArray Codes(std::initializer_list<int> codes)
{
    QByteArray out;
    for (int c : codes)
        out.append(char(c));
    return out;
}

} // namespace korvane::test
