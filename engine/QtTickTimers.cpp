#include "engine/TickTimer.h"

#include "platform/PeriodicTimer.h"

#include <QTimer>

namespace korvane {

namespace {

class QtTickTimer final : public TickTimer {
public:
    QtTickTimer(int periodMs, std::function<void()> tick)
    {
        timer_.setInterval(periodMs);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [tick = std::move(tick)] { tick(); });
    }
    void start() override { timer_.start(); }
    void stop() override { timer_.stop(); }
    bool running() const override { return timer_.isActive(); }

private:
    QTimer timer_;
};

class PreciseTickTimer final : public TickTimer {
public:
    PreciseTickTimer(int periodMs, std::function<void()> tick)
        : timer_(std::chrono::milliseconds(periodMs), std::move(tick))
    {
    }
    void start() override { timer_.start(); }
    void stop() override { timer_.stop(); }
    bool running() const override { return timer_.running(); }

private:
    PeriodicTimer timer_;
};

} // namespace

std::unique_ptr<TickTimer> QtTickTimerFactory::CreateTimer(int periodMs, std::function<void()> tick)
{
    return std::make_unique<QtTickTimer>(periodMs, std::move(tick));
}

std::unique_ptr<TickTimer> QtTickTimerFactory::CreatePreciseTimer(int periodMs, std::function<void()> tick)
{
    return std::make_unique<PreciseTickTimer>(periodMs, std::move(tick));
}

} // namespace korvane
