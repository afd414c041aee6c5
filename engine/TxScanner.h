#pragma once

// The scanner: the engine's conductor. It builds one channel driver for
// every channel whose adapter type is not "Выключен" and drives them all
// from three ticks: the fast tick (10 ms) runs each driver's element, the
// protocol tick (50 ms) steps each protocol, counts the waits once a second
// and reports the fast-tick statistics, and the file tick (50 ms) does each
// driver's file work. It holds the two number lists for its lifetime.
//
// In high-precision mode (GlobalModes.PreciseTimer) the fast tick comes
// from a periodic timer on a thread of its own; the engine lock keeps it
// and the main thread's ticks apart. A failure of one driver never stops
// the others: each driver's step, fast tick and file work is caught on its
// own.

#include "engine/EngineEnvironment.h"
#include "engine/EngineMutex.h"
#include "engine/FileWorkQueue.h"
#include "engine/MemoryUsage.h"
#include "engine/TickTimer.h"
#include "engine/TxDriver.h"
#include "engine/TxPrintWork.h"
#include "engine/TxSoundWork.h"
#include "protocols/ProtocolModel.h"
#include "support/NumberLists.h"

#include <QObject>
#include <QString>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

namespace korvane {

class Profiler;
class TelegramPrinter;
class TunePlayer;
class WavePlayer;

struct ScannerEnvironment {
    MessageBox* Box = nullptr;
    SystemBeep* Beep = nullptr;
    const Clock* Time = nullptr;
    TickTimerFactory* Timers = nullptr;
    Profiler* Prof = nullptr;                   // null: the fast-tick period is not measured
    serial::SerialPortMap* PortMap = nullptr;   // null: the process-wide map
    const ElementCatalog* Catalog = nullptr;    // null: DefaultElementCatalog()
    QString IniFileName;
    QString ProgramFolder;
    const std::atomic<bool>* Closing = nullptr;
    std::function<void(const QString&)> WriteLog; // empty: the daily log
    // Panel 4 of the main window's status bar: the fast-tick statistics.
    std::function<void(const QString&)> ShowTickStatistics;
    // The heap in use, for the once-a-minute log line; empty: CurrentMemoryUsage.
    std::function<MemoryUsage()> Memory;
    // Sounds and automatic printing (both players null: the sound events
    // stay pending; no printer: nothing is printed).
    WavePlayer* Waves = nullptr;
    TunePlayer* Tunes = nullptr;
    TelegramPrinter* Printer = nullptr;
    QString SoundDir; // empty: ProgramFolder + "wavs"
    // The folder browser shows Folder again; empty: no browser.
    std::function<void(const QString&)> RefreshFolder;
    SubscriberLookup* Directory = nullptr; // null: no subscriber is found
    JournalNotifier* Journals = nullptr;   // null: journal notices go nowhere
    DiskStepHook DiskStep;                 // before every disk step of the record work; empty: none
};

class TTxScanner : public QObject {
    Q_OBJECT

public:
    static constexpr int FastInterval = TTxChannelDriver::FastInterval;
    static constexpr int ProtocolInterval = TTxChannelDriver::ProtocolInterval;
    static constexpr int FileInterval = 50;
    // A file tick whose disk work has taken this long (a slow disk, many
    // channels busy at once) leaves the channels after it to the next tick.
    static constexpr std::uint64_t FileTickBudget = 25; // ms

    // Env must name Box, Beep, Time and Timers. No timer runs yet.
    explicit TTxScanner(ScannerEnvironment env, QObject* owner = nullptr);
    ~TTxScanner() override;

    // Builds and opens the drivers of Set (kept, not owned) and starts the
    // ticks. A null set starts no channel.
    void Start(const TProtocolSet* set);

    // The ticks; the timers call them, tests may too.
    void FastTick();
    void ProtocolTimerTimer();
    void SecondTick();
    void FileWorkTimerTimer();
    // The sound and print halves of the file tick.
    TxSoundWork& Sounds() { return *sounds_; }
    TxPrintWork& Printing() { return *printing_; }

    // "I:%d; P:%3.1f; Min:%3.1f; Max:%3.1f".
    QString TickStatistics() const;

    // The driver of channel 1..8, or null.
    TTxChannelDriver* Driver(int channel) const;
    EngineMutex& Mutex() { return mutex_; }
    bool FastTickBusy() const { return fastTickBusy_.load(); }
    bool TimersRunning() const;

    int ProtocolTicks = 0;
    int FileTicks = 0;
    bool ProtocolBusy = false;
    bool FileWorkBusy = false;
    std::int16_t Seconds = 0;
    std::uint16_t ActiveChannels = 0;
    const TProtocolSet* ProtocolSet = nullptr;
    std::array<std::unique_ptr<TTxChannelDriver>, kChannelCount> Drivers;
    bool MMTimerRunning = false;

    // The measured fast-tick period in ms.
    long double TickPeriodLast = 0;
    long double TickPeriodMin = 10000;
    long double TickPeriodMax = 0;
    std::uint32_t TickProfPhase = 0;
    int TickSampleIndex = 0;

private:
    void StartChannel(int c, const TChannelOptions& r);
    void MeasureTickPeriod();
    // TickStatistics, formatted again only when one of its figures changed
    // (they change once in SampleCount fast ticks; it is shown at every
    // protocol tick).
    const QString& ShownTickStatistics();
    void Log(const QString& line);
    // A line for the daily log written by the next file tick (for lines
    // made under the engine lock).
    void QueueLog(const QString& line);
    // "== Исключение: %s [%s]" for the exception being handled.
    static QString ExceptionLine(const QString& method);
    void StopTimers();
    // At the end: the log lines and the drivers' disk work still queued.
    void RunQueuedFileWork();

    ScannerEnvironment env_;
    EngineMutex mutex_;
    ScopedNumberLists numberLists_;
    std::unique_ptr<TickTimer> fastTimer_;
    std::unique_ptr<TickTimer> protocolTimer_;
    std::unique_ptr<TickTimer> fileTimer_;
    std::atomic<bool> fastTickBusy_{false};
    std::array<QString, kChannelCount> fileWorkFailure_; // last failure logged, per channel
    std::size_t nextFileChannel_ = 0; // where the next file tick begins (one the last left over)
    FileWorkQueue logQueue_;
    bool precise_ = false;
    QString tickStatistics_;
    std::array<long long, 3> tickStatisticsFigures_{};
    std::unique_ptr<TxSoundWork> sounds_;
    std::unique_ptr<TxPrintWork> printing_;
};

// The current scanner; written only by the main window.
extern TTxScanner* Scanner;

} // namespace korvane
