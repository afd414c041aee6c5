#pragma once

// A channel for the file tick's tests: the whole engine on virtual time
// (EngineRig) with channel 1 waiting in an idle step, its folders and
// journals in the rig's folder, and the journal notices, the directory and
// the folder refreshes recorded. The tests raise the line side's requests
// themselves, as the protocol elements would.

#include "engine/JournalNotifier.h"
#include "engine/SubscriberLookup.h"
#include "tests/engine/EngineRig.h"
#include "tests/fakes/TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <map>
#include <utility>
#include <vector>

namespace korvane::test {

// A directory of subscribers by number; Unavailable while Closed.
class FakeDirectory final : public SubscriberLookup {
public:
    Result LocateSubscriber(const QString& number, SubscriberRecord& record, QString& error) override
    {
        ++lookups;
        if (closed) {
            error = QStringLiteral("Набор данных закрыт");
            return Result::Unavailable;
        }
        const auto it = subscribers.find(number);
        if (it == subscribers.end())
            return Result::NotFound;
        record = it->second;
        return Result::Found;
    }
    std::map<QString, SubscriberRecord> subscribers;
    bool closed = false;
    int lookups = 0;
};

class FileWorkRig {
public:
    explicit FileWorkRig(std::function<void(TChannelOptions&)> options = {})
    {
        rig.catalog = MakeCatalog({{QStringLiteral("Анализ состояния приема"), "TTxCheckInputLine", nullptr, nullptr}});
        rig.set = MakeSet({{"Ожидание", QStringLiteral("Анализ состояния приема"), {}}});
        rig.AddLine(1);
        rig.EnableChannel(1);
        TChannelOptions& r = rig.Channel(1);
        r.ReceiveJrnFile.setText(rig.dir.filePath("rx1.jrn"));
        r.TransmJrnFile.setText(rig.dir.filePath("tx1.jrn"));
        if (options)
            options(r);
        ScannerEnvironment& env = env_;
        env = rig.Environment();
        env.Journals = &journals;
        env.Directory = &directory;
        env.RefreshFolder = [this](const QString& folder) { refreshed << folder; };
        env.DiskStep = [this](const char* step, const QString& path) { return !diskStep || diskStep(step, path); };
        QObject::connect(&journals, &JournalNotifier::JournalChanged,
                         [this](int channel, int kind) { notices.emplace_back(channel, kind); });
        rig.scanner = std::make_unique<TTxScanner>(env);
        rig.scanner->Start(rig.set.get());
        rig.Advance(60); // the first protocol tick starts the idle step
    }

    TTxChannelDriver& Driver() { return rig.Driver(1); }
    // The channels stop as a crash stops them (nothing of the file tick's
    // work is done on the way out) and start again on the same folders,
    // DownMs later.
    void Restart(std::int64_t downMs = 0)
    {
        rig.scanner.reset();
        rig.Advance(downMs);
        rig.scanner = std::make_unique<TTxScanner>(env_);
        rig.scanner->Start(rig.set.get());
        rig.Advance(60);
    }
    QString In(const QString& name) const { return rig.dir.filePath("in1/" + name); }
    QString Out(const QString& name) const { return rig.dir.filePath("out1/" + name); }
    // One file tick and a little more.
    void Tick() { rig.Advance(TTxScanner::FileInterval + 10); }
    // Runs the queued notices.
    void Deliver() { QCoreApplication::processEvents(); }

    static QByteArray Read(const QString& path)
    {
        return korvane::test::ReadFileBytes(path);
    }
    static void Write(const QString& path, const QByteArray& bytes)
    {
        korvane::test::WriteFileBytes(path, bytes);
    }
    // The log lines that contain Text.
    QStringList LogWith(const QString& text) const { return rig.LogLines().filter(text); }

    // Asked before every disk step of the record and telegram work; false fails the step.
    std::function<bool(const char* step, const QString& path)> diskStep;
    JournalNotifier journals;
    FakeDirectory directory;
    QStringList refreshed; // the folders the browser was asked to show again
    std::vector<std::pair<int, int>> notices;
    EngineRig rig; // last, so its scanner and drivers go first

private:
    ScannerEnvironment env_;
};

} // namespace korvane::test
