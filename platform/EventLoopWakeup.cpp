#include "platform/EventLoopWakeup.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>

namespace korvane {

// The anchor in the owning thread's event loop. The wake-up is a queued call
// by name, so no functor allocated by the waking thread is read on the other.
class EventLoopWakeupReceiver : public QObject {
    Q_OBJECT
public:
    explicit EventLoopWakeupReceiver(std::function<void()> onWake) : onWake_(std::move(onWake)) {}

    Q_INVOKABLE void woken() { onWake_(); }

private:
    const std::function<void()> onWake_;
};

EventLoopWakeup::EventLoopWakeup(std::function<void()> onWake)
    : receiver_(std::make_unique<EventLoopWakeupReceiver>(std::move(onWake)))
{
}

EventLoopWakeup::~EventLoopWakeup() = default;

void EventLoopWakeup::wake()
{
    QMetaObject::invokeMethod(receiver_.get(), "woken", Qt::QueuedConnection);
}

bool EventLoopWakeup::onOwnThread() const
{
    return QThread::currentThread() == receiver_->thread();
}

} // namespace korvane

#include "EventLoopWakeup.moc"
