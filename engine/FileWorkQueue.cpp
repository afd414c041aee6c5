#include "engine/FileWorkQueue.h"

#include <exception>
#include <set>
#include <utility>

namespace korvane {

void FileWorkQueue::Post(Work work, int lane)
{
    const std::lock_guard lock(mutex_);
    pending_.push_back({std::move(work), lane});
}

void FileWorkQueue::Run()
{
    if (Empty())
        return; // the common case on every file tick: not even a queue to swap
    std::deque<Item> taken;
    {
        const std::lock_guard lock(mutex_);
        taken.swap(pending_);
    }
    std::deque<Item> kept; // what failed, and what waits behind it in its lane
    std::set<int> blocked;
    std::exception_ptr first;
    for (Item& item : taken) {
        if (blocked.count(item.lane)) {
            kept.push_back(std::move(item));
            continue;
        }
        try {
            item.work();
        } catch (...) {
            if (!first)
                first = std::current_exception();
            blocked.insert(item.lane);
            kept.push_back(std::move(item));
        }
    }
    if (!kept.empty()) {
        const std::lock_guard lock(mutex_);
        // Posted meanwhile goes behind what was kept.
        for (auto it = kept.rbegin(); it != kept.rend(); ++it)
            pending_.push_front(std::move(*it));
    }
    if (first)
        std::rethrow_exception(first);
}

void FileWorkQueue::RunAll(const std::function<void()>& onFailure)
{
    for (;;) {
        Work work;
        {
            const std::lock_guard lock(mutex_);
            if (pending_.empty())
                return;
            work = std::move(pending_.front().work);
            pending_.pop_front();
        }
        try {
            work();
        } catch (...) {
            try {
                if (onFailure)
                    onFailure();
            } catch (...) {
            }
        }
    }
}

bool FileWorkQueue::Empty() const
{
    const std::lock_guard lock(mutex_);
    return pending_.empty();
}

} // namespace korvane
