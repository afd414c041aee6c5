#pragma once

#include "platform/SystemBeep.h"
#include "platform/ToneOutput.h"

#include <QTimer>

namespace korvane {

// The message beep as a short tone on a tone output of its own (give it an
// output that nothing else plays on, or the beep cuts that tone). The tone
// stops by itself from a timer, so beep() returns at once.
class ToneSystemBeep final : public SystemBeep {
public:
    static constexpr std::uint16_t kDefaultHz = 880;
    static constexpr int kDefaultDurationMs = 120;

    explicit ToneSystemBeep(ToneOutput& output, std::uint16_t hz = kDefaultHz,
                            int durationMs = kDefaultDurationMs);
    ~ToneSystemBeep() override;

    void beep() override;

private:
    ToneOutput& m_output;
    std::uint16_t m_hz;
    QTimer m_stopTimer;
};

} // namespace korvane
