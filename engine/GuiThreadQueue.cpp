#include "engine/GuiThreadQueue.h"

#include "engine/EngineMutex.h"

#include <utility>

namespace korvane {

GuiThreadQueue::GuiThreadQueue()
    : self_(std::make_shared<GuiThreadQueue*>(this)), wakeup_([this] { Drain(); })
{
}

GuiThreadQueue::~GuiThreadQueue() = default;

void GuiThreadQueue::Post(std::function<void()> call)
{
    if (OnOwnThread()) {
        bool behindOthers = false;
        {
            std::lock_guard lock(mutex_);
            if (!pending_.empty() || EngineMutex::HeldByThisThread()) {
                // Calls from another thread wait still, or the engine lock is
                // held: this one goes after them, when the lock is free.
                pending_.push_back(std::move(call));
                behindOthers = true;
            }
        }
        if (behindOthers)
            Drain();
        else
            call();
        return;
    }
    bool wake = false;
    {
        std::lock_guard lock(mutex_);
        pending_.push_back(std::move(call));
        wake = !std::exchange(wakePosted_, true);
    }
    if (wake)
        wakeup_.wake();
}

void GuiThreadQueue::DrainAfterRelease()
{
    if (std::exchange(drainAfterRelease_, true))
        return;
    EngineMutex::AfterRelease([self = std::weak_ptr<GuiThreadQueue*>(self_)] {
        if (const auto queue = self.lock()) {
            (*queue)->drainAfterRelease_ = false;
            (*queue)->Drain();
        }
    });
}

void GuiThreadQueue::Drain()
{
    if (EngineMutex::HeldByThisThread()) {
        DrainAfterRelease();
        return;
    }
    for (;;) {
        std::function<void()> call;
        {
            std::lock_guard lock(mutex_);
            if (pending_.empty()) {
                wakePosted_ = false;
                return;
            }
            call = std::move(pending_.front());
            pending_.pop_front();
        }
        call();
    }
}

} // namespace korvane
