#include "platform/ToneSystemBeep.h"

namespace korvane {

ToneSystemBeep::ToneSystemBeep(ToneOutput& output, std::uint16_t hz, int durationMs)
    : m_output(output), m_hz(hz)
{
    m_stopTimer.setSingleShot(true);
    m_stopTimer.setInterval(durationMs);
    QObject::connect(&m_stopTimer, &QTimer::timeout, &m_stopTimer, [this] { m_output.stopTone(); });
}

ToneSystemBeep::~ToneSystemBeep()
{
    if (m_stopTimer.isActive())
        m_output.stopTone();
}

// A beep during a beep starts the tone again and lengthens it.
void ToneSystemBeep::beep()
{
    m_output.startTone(m_hz);
    m_stopTimer.start();
}

} // namespace korvane
