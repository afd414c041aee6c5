#include "platform/QtWavePlayer.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

namespace korvane {

QtWavePlayer::QtWavePlayer(std::function<void(const QString&)> log) : log_(std::move(log)) {}

QtWavePlayer::~QtWavePlayer() = default;

void QtWavePlayer::play(const QString& fileName, bool loop)
{
    if (QMediaDevices::audioOutputs().isEmpty()) {
        if (!silenceLogged_ && log_)
            log_(QStringLiteral("Нет устройства вывода звука: звуковые события не воспроизводятся"));
        silenceLogged_ = true;
        return;
    }
    // A new effect for every wave: the one playing stops with its object.
    effect_ = std::make_unique<QSoundEffect>();
    effect_->setSource(QUrl::fromLocalFile(fileName));
    effect_->setLoopCount(loop ? QSoundEffect::Infinite : 1);
    effect_->play();
}

} // namespace korvane
