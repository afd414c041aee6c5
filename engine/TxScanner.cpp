#include "engine/TxScanner.h"

#include "engine/BusyGuard.h"
#include "engine/CallFailurePolicy.h"
#include "engine/EngineError.h"
#include "platform/MessageBox.h"
#include "protocols/DriverModes.h"
#include "protocols/ErrorBox.h"
#include "support/LogFile.h"
#include "support/Profiler.h"

#include <QDir>

#include <cmath>

#include <utility>

namespace korvane {

TTxScanner* Scanner = nullptr;

TTxScanner::TTxScanner(ScannerEnvironment env, QObject* owner) : QObject(owner), env_(std::move(env))
{
    Q_ASSERT(env_.Box && env_.Beep && env_.Time && env_.Timers);
    precise_ = GlobalModes.PreciseTimer != 0;
    if (precise_)
        fastTimer_ = env_.Timers->CreatePreciseTimer(FastInterval, [this] {
            if (MMTimerRunning)
                FastTick();
        });
    else
        fastTimer_ = env_.Timers->CreateTimer(FastInterval, [this] { FastTick(); });
    protocolTimer_ = env_.Timers->CreateTimer(ProtocolInterval, [this] { ProtocolTimerTimer(); });
    fileTimer_ = env_.Timers->CreateTimer(FileInterval, [this] { FileWorkTimerTimer(); });

    const auto drivers = [this](int c) { return Driver(c); };
    const auto log = [this](const QString& line) { Log(line); };
    TxSoundWork::Environment sound;
    sound.Drivers = drivers;
    sound.Waves = env_.Waves;
    sound.Tunes = env_.Tunes;
    sound.Timers = env_.Timers;
    sound.SoundDir = env_.SoundDir.isEmpty() ? QDir(env_.ProgramFolder).filePath(QStringLiteral("wavs")) : env_.SoundDir;
    sound.ProgramFolder = env_.ProgramFolder;
    sound.Log = log;
    sounds_ = std::make_unique<TxSoundWork>(std::move(sound));
    TxPrintWork::Environment print;
    print.Drivers = drivers;
    print.Mutex = &mutex_;
    print.Printer = env_.Printer;
    print.Time = env_.Time;
    print.Log = log;
    print.RefreshFolder = env_.RefreshFolder;
    printing_ = std::make_unique<TxPrintWork>(std::move(print));
}

TTxScanner::~TTxScanner()
{
    StopTimers();
    // What the last ticks asked the disk for is done before the drivers go:
    // a telegram number drawn then is saved, so no restart draws it again.
    RunQueuedFileWork();
    for (auto& d : Drivers)
        d.reset();
}

void TTxScanner::RunQueuedFileWork()
{
    logQueue_.RunAll({});
    for (auto& d : Drivers)
        if (d)
            d->FinishQueuedFileWork([this] { Log(ExceptionLine(QStringLiteral("TTxScanner.Destroy"))); });
}

void TTxScanner::StopTimers()
{
    MMTimerRunning = false;
    fastTimer_->stop(); // waits for a fast tick in progress on the timer's thread
    fileTimer_->stop();
    protocolTimer_->stop();
}

bool TTxScanner::TimersRunning() const
{
    return fastTimer_->running() || protocolTimer_->running() || fileTimer_->running();
}

TTxChannelDriver* TTxScanner::Driver(int channel) const
{
    return channel >= 1 && channel <= kChannelCount ? Drivers[static_cast<std::size_t>(channel - 1)].get() : nullptr;
}

void TTxScanner::Log(const QString& line)
{
    try {
        EngineEnvironment log;
        log.WriteLog = env_.WriteLog;
        log.Log(line);
    } catch (...) {
        // A log that cannot be written must not stop the channels.
    }
}

void TTxScanner::QueueLog(const QString& line)
{
    logQueue_.Post([this, line] { Log(line); });
}

QString TTxScanner::ExceptionLine(const QString& method)
{
    return QStringLiteral("== Исключение: %1 [%2]").arg(CurrentExceptionMessage(), method);
}

void TTxScanner::Start(const TProtocolSet* set)
{
    ProtocolSet = set;
    ActiveChannels = 0;
    for (int c = 1; c <= kChannelCount; ++c) {
        Drivers[static_cast<std::size_t>(c - 1)].reset();
        if (!set)
            continue;
        const TChannelOptions& r = set->Channels[static_cast<std::size_t>(c - 1)];
        if (r.AdapterType == 0)
            continue;
        ++ActiveChannels;
        StartChannel(c, r);
    }
    if (ActiveChannels == 0)
        return;
    if (precise_) {
        Log(QStringLiteral("-= Режим повышенной точности"));
        MMTimerRunning = true;
    } else {
        Log(QStringLiteral("-= Режим обычной точности"));
    }
    fastTimer_->start();
    protocolTimer_->start();
    fileTimer_->start();
}

void TTxScanner::StartChannel(int c, const TChannelOptions& r)
{
    const TProtocolRec* protocol = ProtocolSet->protocolOfChannel(c);
    const bool adapterKnown = r.AdapterType < kAdapterTypeCount;
    if (!protocol || protocol->Elements.empty() || !adapterKnown) {
        // Nothing to run on this line: the channel is treated like one whose port did not open.
        const QString why = !adapterKnown ? QStringLiteral("Неизвестный тип адаптера: %1-й канал").arg(c)
                                          : QStringLiteral("Нет протокола для типа станции: %1-й канал").arg(c);
        Log(QStringLiteral("Канал %1: [%2]").arg(c).arg(why));
        showErrorBox(*env_.Box, why);
        showErrorBox(*env_.Box, QStringLiteral("Ошибка открытия COM-порта #%1").arg(c));
        return;
    }
    EngineEnvironment de;
    de.Box = env_.Box;
    de.Beep = env_.Beep;
    de.Time = env_.Time;
    de.Mutex = &mutex_;
    de.PortMap = env_.PortMap;
    de.Catalog = env_.Catalog;
    de.IniFileName = env_.IniFileName;
    de.ProgramFolder = env_.ProgramFolder;
    de.Closing = env_.Closing;
    de.WriteLog = env_.WriteLog;
    de.Directory = env_.Directory;
    de.Journals = env_.Journals;
    de.RefreshFolder = env_.RefreshFolder;
    de.DiskStep = env_.DiskStep;
    auto d = std::make_unique<TTxChannelDriver>(de);
    d->SetChannel(static_cast<std::uint8_t>(c));
    d->ApplyOptions(r, *protocol);
    d->InitNumbers();
    d->OpenPort();
    if (!d->PortOpen) {
        d.reset();
        showErrorBox(*env_.Box, QStringLiteral("Ошибка открытия COM-порта #%1").arg(c));
        return;
    }
    Log(QStringLiteral("Канал %1: (%2) [%3] {%4}")
            .arg(c)
            .arg(protocol->Name, AdapterModelNames[r.AdapterType].toString(), d->AnswerBack));
    Drivers[static_cast<std::size_t>(c - 1)] = std::move(d);
}

void TTxScanner::FastTick()
{
    if (fastTickBusy_.exchange(true))
        return;
    // Cleared however the tick ends, so one failure never stops every channel.
    struct BusyClear {
        std::atomic<bool>& busy;
        ~BusyClear() { busy.store(false); }
    } clear{fastTickBusy_};
    {
        EngineLock lock(mutex_);
        MeasureTickPeriod();
        for (auto& d : Drivers) {
            if (!d)
                continue;
            try {
                d->FastTick();
            } catch (...) {
                // Not written here (this may be the timer's thread): the file tick logs it.
                d->NoteExceptionLine(ExceptionLine(QStringLiteral("TTxScanner.FastTick")));
                d->RestartProtocol();
            }
        }
    }
}

void TTxScanner::MeasureTickPeriod()
{
    Profiler* prof = env_.Prof;
    if (!prof)
        return;
    if (TickProfPhase == 0) {
        prof->SetProfTimer(1, true);
        TickProfPhase = 1;
        return;
    }
    TickProfPhase = 0;
    prof->SetProfTimer(1, false);
    prof->ProfSamples()[static_cast<std::size_t>(TickSampleIndex)] = prof->ProfSlots(1).LastTime;
    if (++TickSampleIndex <= Profiler::SampleCount - 1)
        return;
    TickSampleIndex = 0;
    if (prof->CpuClockMHz() <= 0)
        return;
    TickPeriodLast = prof->AverageProfSamples() / prof->CpuClockMHz() / 1000;
    TickPeriodMin = std::min(TickPeriodMin, TickPeriodLast);
    TickPeriodMax = std::max(TickPeriodMax, TickPeriodLast);
}

QString TTxScanner::TickStatistics() const
{
    return QString::asprintf("I:%d; P:%3.1f; Min:%3.1f; Max:%3.1f", FastInterval, static_cast<double>(TickPeriodLast),
                             static_cast<double>(TickPeriodMin), static_cast<double>(TickPeriodMax));
}

const QString& TTxScanner::ShownTickStatistics()
{
    // As shown, to a tenth of a millisecond.
    const auto tenths = [](long double ms) { return std::llround(static_cast<double>(ms) * 10.0); };
    const std::array<long long, 3> figures{tenths(TickPeriodLast), tenths(TickPeriodMin), tenths(TickPeriodMax)};
    if (tickStatistics_.isEmpty() || figures != tickStatisticsFigures_) {
        tickStatisticsFigures_ = figures;
        tickStatistics_ = TickStatistics();
    }
    return tickStatistics_;
}

void TTxScanner::ProtocolTimerTimer()
{
    if (ProtocolBusy)
        return;
    QString statistics;
    {
        BusyGuard busy(ProtocolBusy);
        EngineLock lock(mutex_);
        for (std::size_t i = 0; i < Drivers.size(); ++i) {
            TTxChannelDriver* d = Drivers[i].get();
            if (!d)
                continue;
            try {
                d->Step();
            } catch (...) {
                // The driver's step guard stays set: it is not stepped again
                // until the channels restart. Shown as an alarm, logged once
                // (by the file tick: no disk is touched under the lock).
                QueueLog(ExceptionLine(QStringLiteral("TTxScanner.ProtocolTimerTimer")));
                d->StopStepping();
            }
        }
        if (++ProtocolTicks >= 20) {
            ProtocolTicks = 0;
            try {
                SecondTick();
            } catch (...) {
                QueueLog(ExceptionLine(QStringLiteral("TTxScanner.ProtocolTimerTimer")));
            }
            if (++Seconds >= 60) {
                Seconds = 0;
                if (GlobalModes.TlxLogMode) {
                    QueueLog(MemoryLine(env_.Memory ? env_.Memory() : CurrentMemoryUsage()));
                    QueueLog(TickStatistics());
                }
            }
        }
        statistics = ShownTickStatistics();
    }
    if (env_.ShowTickStatistics)
        env_.ShowTickStatistics(statistics);
}

void TTxScanner::SecondTick()
{
    if (UnsuccNumbers)
        CountDownRetryWaits();
    for (auto& d : Drivers)
        if (d && d->ScanDelay > 0)
            --d->ScanDelay;
}

void TTxScanner::FileWorkTimerTimer()
{
    if (!FileWorkBusy) {
        BusyGuard busy(FileWorkBusy);
        try {
            logQueue_.Run(); // the lines of the protocol tick
        } catch (...) {
            // Log() keeps its failures to itself; nothing else is queued here.
        }
        // The main thread is never held for every channel's slow disk at
        // once: past the budget the channels left wait for the next tick,
        // which begins with them.
        const std::uint64_t began = env_.Time->tickMs();
        const std::size_t first = std::exchange(nextFileChannel_, 0);
        for (std::size_t k = 0; k < Drivers.size(); ++k) {
            const std::size_t i = (first + k) % Drivers.size();
            TTxChannelDriver* d = Drivers[i].get();
            if (!d)
                continue;
            if (k > 0 && env_.Time->tickMs() - began >= FileTickBudget) {
                nextFileChannel_ = i;
                break;
            }
            try {
                // The disk work the line side asked for goes first: a
                // number saved for a reception precedes that reception's chunks.
                d->RunQueuedFileWork();
                d->FileWork();
                fileWorkFailure_[i].clear();
            } catch (...) {
                const QString line = ExceptionLine(QStringLiteral("TTxScanner.FileWorkTimerTimer"));
                if (line != fileWorkFailure_[i]) {
                    // A failure that repeats every tick is told once: one
                    // log line, one alarm with its sound.
                    Log(line);
                    EngineLock lock(mutex_);
                    if (d->Window)
                        d->Window->SetAlarmFile({});
                    d->EnterFailureAlarm();
                }
                fileWorkFailure_[i] = line;
            }
        }
    }
    if (env_.Waves || env_.Tunes) // without any sound output the events stay pending
        sounds_->ScanSoundWork();
    ++FileTicks;
    if (FileTicks % 20 == 0 && env_.Printer)
        printing_->ScanPrintWork();
}

} // namespace korvane
