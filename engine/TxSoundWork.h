#pragma once

// The channels' sound events, played on the main thread from the file
// tick: each pending bit of a driver's SoundEvents is its sound entry,
// played as a wave file on the sound card (driver mode SoundCardMode) or as
// a tune on the speaker. Nothing here waits for a sound to end: a tune
// steps on a timer of its own, and the work asks on its next call whether
// the sound has finished.

#include "engine/TickTimer.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

namespace korvane {

class TTxChannelDriver;
class TunePlayer;
class WavePlayer;

// The file of a stored wave name: a name without a folder part lies in
// SoundDir; one with a folder is a stored path, mapped from ProgramFolder.
QString SoundWaveFilePath(const QString& stored, const QString& soundDir, const QString& programFolder);

class TxSoundWork {
public:
    // Drivers: the driver of channel 1..8, or null. SoundDir: the folder of
    // the wave files named without one ("wavs" in the program folder).
    // ProgramFolder maps stored Windows paths. Log gets the exception lines.
    struct Environment {
        std::function<TTxChannelDriver*(int)> Drivers;
        WavePlayer* Waves = nullptr;
        TunePlayer* Tunes = nullptr;
        TickTimerFactory* Timers = nullptr;
        QString SoundDir;
        QString ProgramFolder;
        std::function<void(const QString&)> Log;
    };

    explicit TxSoundWork(Environment env);
    ~TxSoundWork();

    // One call per file tick: plays the pending events of the first channel
    // that has some, or waits for the sound in progress.
    void ScanSoundWork();
    // Plays entry Entry (1..10) of the channel's sounds.
    void PlaySound(int channel, int entry);
    // Ends the current sound when it has finished.
    void SoundFinished();

    bool SoundWorkBusy = false;
    std::uint8_t SoundPlaying = 0;
    int SoundNumber = 0;

private:
    QString WaveFilePath(const QString& stored) const;
    void LogException(const QString& message) const;

    Environment env_;
    std::unique_ptr<TickTimer> tuneTimer_;
};

} // namespace korvane
