#pragma once

#include "platform/serial/SerialTypes.h"

#include <QByteArray>
#include <cstdint>
#include <memory>
#include <vector>

namespace korvane::serial {
class SimSerialDevice;
}

namespace korvane::sim {

class Transcript;

// A simple line adapter (the Ormak kind) at the far end of a simulated
// serial device: it turns the port's signals into the telex line's and back,
// as the engine reads them.
//
// Port to line: the break condition holds the line at '-'; without it the
// line is at '+' and the port's characters go out on it as 5-bit codes. DTR
// is looped back to DCD (the adapter presence test), after a settable delay.
// Line to port: the line's polarity '+' is RI on; '-' holds the port's
// input at space (a break: nothing passes); a broken line (line fault) is DSR
// on; codes from the line reach the port in the adapter's frame (50 baud,
// 5 data bits, 1.5 stop bits unless told otherwise), so a port set to another
// frame receives garbage and sends garbage.
//
// Not thread-safe: the simulated network runs it on its scheduler.
class SimpleAdapter {
public:
    struct Event {
        enum class Kind : std::uint8_t { Polarity, Code };
        std::int64_t us;
        Kind kind;
        bool plus = false;      // Polarity: the port's output is '+'
        std::uint8_t code = 0;  // Code: a character sent by the port
    };

    SimpleAdapter(std::shared_ptr<serial::SimSerialDevice> device, Transcript* transcript,
                  serial::LineSettings frame = {50, 5, 0, 1}, std::int64_t dcdDelayUs = 0);

    serial::SimSerialDevice& device() const { return *m_device; }
    std::int64_t nowUs() const;

    // What the port did since the last call, in time order.
    std::vector<Event> poll();
    // The port's output polarity as last polled.
    bool outputPlus() const { return m_outPlus; }

    void setInput(bool plus);
    bool inputPlus() const { return m_inPlus; }
    void setFault(bool fault);
    bool fault() const { return m_fault; }
    // Codes to the port, paced at the adapter's speed; lost while the input
    // is '-'. Returns when the last of them will have gone.
    std::int64_t send(const QByteArray& codes);

    // When the next character from the port can arrive; -1 when none is on the way.
    std::int64_t nextDueUs() const;

private:
    std::shared_ptr<serial::SimSerialDevice> m_device;
    Transcript* m_transcript;
    serial::LineSettings m_frame;
    std::int64_t m_inLineFreeUs = 0; // when the codes handed to the port will have gone
    std::int64_t m_inPlusSinceUs = -1;
    bool m_outPlus = false;
    bool m_inPlus = false;
    bool m_fault = false;
};

} // namespace korvane::sim
