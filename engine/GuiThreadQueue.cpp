#include "engine/GuiThreadQueue.h"

#include <QMetaObject>
#include <QThread>

namespace korvane {

GuiThreadQueue::GuiThreadQueue()
    : receiver_(std::make_unique<QObject>())
{
}

GuiThreadQueue::~GuiThreadQueue() = default;

bool GuiThreadQueue::OnOwnThread() const
{
    return QThread::currentThread() == receiver_->thread();
}

void GuiThreadQueue::Post(std::function<void()> call)
{
    if (OnOwnThread())
        call();
    else
        QMetaObject::invokeMethod(receiver_.get(), std::move(call), Qt::QueuedConnection);
}

} // namespace korvane
