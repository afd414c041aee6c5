#include "engine/TxSoundWork.h"

#include "engine/BusyGuard.h"
#include "engine/EngineError.h"
#include "engine/TxDriver.h"
#include "platform/PathMapper.h"
#include "platform/WavePlayer.h"
#include "protocols/DriverModes.h"
#include "support/Tunes.h"

#include <QDir>

namespace korvane {

TxSoundWork::TxSoundWork(Environment env) : env_(std::move(env))
{
    if (env_.Timers && env_.Tunes)
        tuneTimer_ = env_.Timers->CreateTimer(TunePlayer::kStepMs, [this] { env_.Tunes->AdvanceTune(); });
}

TxSoundWork::~TxSoundWork()
{
    if (tuneTimer_)
        tuneTimer_->stop();
}

void TxSoundWork::ScanSoundWork()
{
    if (SoundWorkBusy)
        return;
    BusyGuard busy(SoundWorkBusy);
    try {
        int channel = 0;
        TTxChannelDriver* d = nullptr;
        for (int c = 1; c <= 8 && !d; ++c) {
            TTxChannelDriver* candidate = env_.Drivers ? env_.Drivers(c) : nullptr;
            if (candidate && candidate->SoundEvents.load() != 0) {
                d = candidate;
                channel = c;
            }
        }
        if (!d)
            return;
        if (SoundPlaying) {
            SoundFinished();
            return;
        }
        for (int k = 1; k <= 10; ++k) {
            const std::uint32_t bit = 1u << (k - 1);
            if (!d->SoundEvents.take(bit))
                continue;
            SoundPlaying = 1;
            SoundNumber = k;
            PlaySound(channel, k);
            // The speaker plays one tune at a time: the next pending event
            // waits until this tune has ended, so each is heard whole.
            if (SoundPlaying && !GlobalModes.SoundCardMode)
                break;
        }
    } catch (...) {
        LogException(CurrentExceptionMessage());
    }
}

void TxSoundWork::PlaySound(int channel, int entry)
{
    TTxChannelDriver* d = env_.Drivers ? env_.Drivers(channel) : nullptr;
    if (!d || entry < 1 || entry > int(d->Sounds.size())) {
        SoundPlaying = 0;
        return;
    }
    const TSoundEntry& e = d->Sounds[std::size_t(entry - 1)];
    if (!e.Enabled) {
        SoundPlaying = 0;
        return;
    }
    if (GlobalModes.SoundCardMode) {
        if (env_.Waves)
            env_.Waves->play(WaveFilePath(e.WavFile.text()), e.Loop != 0);
        return;
    }
    if (!env_.Tunes) {
        SoundPlaying = 0;
        return;
    }
    env_.Tunes->BeginTune(e.Melody.text(), e.Loop != 0);
    env_.Tunes->AdvanceTune(); // the first note sounds at once
    if (tuneTimer_ && !env_.Tunes->TuneDone())
        tuneTimer_->start();
}

void TxSoundWork::SoundFinished()
{
    if (GlobalModes.SoundCardMode) {
        SoundPlaying = 0;
        return;
    }
    if (!env_.Tunes || env_.Tunes->TuneDone()) {
        if (tuneTimer_)
            tuneTimer_->stop();
        SoundPlaying = 0;
    }
}

void TxSoundWork::LogException(const QString& message) const
{
    if (env_.Log)
        env_.Log(QStringLiteral("== Исключение: %1 [%2]").arg(message, QStringLiteral("TTxScanner.ScanSoundWork")));
}

QString SoundWaveFilePath(const QString& stored, const QString& soundDir, const QString& programFolder)
{
    const bool hasFolder = stored.contains(QLatin1Char('\\')) || stored.contains(QLatin1Char('/')) ||
                           stored.contains(QLatin1Char(':'));
    if (!hasFolder)
        return QDir(soundDir).filePath(stored);
    return PathMapper(programFolder).toNative(stored);
}

QString TxSoundWork::WaveFilePath(const QString& stored) const
{
    return SoundWaveFilePath(stored, env_.SoundDir, env_.ProgramFolder);
}

} // namespace korvane
