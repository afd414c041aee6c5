#include "engine/VirtualTickTimers.h"

namespace korvane {

namespace {

class VirtualTickTimer final : public TickTimer {
public:
    VirtualTickTimer(serial::VirtualClock& clock, int periodMs, std::function<void()> tick)
        : clock_(clock), period_(periodMs), tick_(std::move(tick))
    {
    }
    void start() override
    {
        if (running_)
            return;
        running_ = true;
        elapsed_ = 0;
        subscription_ = clock_.subscribe([this] {
            if (++elapsed_ < period_)
                return;
            elapsed_ = 0;
            tick_();
        });
    }
    void stop() override
    {
        running_ = false;
        subscription_.reset();
    }
    bool running() const override { return running_; }

private:
    serial::VirtualClock& clock_;
    int period_;
    std::function<void()> tick_;
    serial::VirtualClock::Subscription subscription_;
    int elapsed_ = 0;
    bool running_ = false;
};

} // namespace

std::unique_ptr<TickTimer> VirtualTickTimerFactory::CreateTimer(int periodMs, std::function<void()> tick)
{
    return std::make_unique<VirtualTickTimer>(clock_, periodMs, std::move(tick));
}

std::unique_ptr<TickTimer> VirtualTickTimerFactory::CreatePreciseTimer(int periodMs, std::function<void()> tick)
{
    return std::make_unique<VirtualTickTimer>(clock_, periodMs, std::move(tick));
}

} // namespace korvane
