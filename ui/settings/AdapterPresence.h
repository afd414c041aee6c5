#pragma once

// The adapter presence test of the channel options dialog: open the
// channel's COM port, run the loop-back test, close it again. Behind an
// interface so that a test can fake the port.

namespace korvane {

namespace serial {
class SerialPortMap;
}

enum class AdapterPresence {
    PortNotOpened, // the port did not open (in use by a running channel, or missing)
    Missing,       // the port opened, the adapter did not answer the loop-back
    Present,
};

class AdapterPresenceTest {
public:
    virtual ~AdapterPresenceTest() = default;
    // Channel 1..8 uses COM port Channel. Inverted: the loop-back of the
    // intelligent adapter, whose carrier line answers inverted.
    virtual AdapterPresence Check(int channel, bool inverted) = 0;
};

// The real test through a serial port object of its own, opened and closed
// within the call.
class CommPortPresenceTest final : public AdapterPresenceTest {
public:
    // Map: the port mapping to use; null: the process-wide one.
    explicit CommPortPresenceTest(serial::SerialPortMap* map = nullptr) : map_(map) {}
    AdapterPresence Check(int channel, bool inverted) override;

private:
    serial::SerialPortMap* map_;
};

} // namespace korvane
