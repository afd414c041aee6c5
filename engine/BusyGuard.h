#pragma once

namespace korvane {

// Sets a busy flag for the guarded work and clears it however the work
// ends: the re-entry guards of the ticks and of the sound and print work.
class BusyGuard {
public:
    explicit BusyGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~BusyGuard() { flag_ = false; }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

private:
    bool& flag_;
};

} // namespace korvane
