#include "engine/GuiThreadQueue.h"

#include <utility>

namespace korvane {

GuiThreadQueue::GuiThreadQueue() : wakeup_([this] { Drain(); }) {}

void GuiThreadQueue::Post(std::function<void()> call)
{
    if (OnOwnThread()) {
        bool behindOthers = false;
        {
            std::lock_guard lock(mutex_);
            if (!pending_.empty()) {
                // Calls from another thread wait still: this one goes after them.
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

void GuiThreadQueue::Drain()
{
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
