#include "engine/FileWorkQueue.h"

#include <utility>

namespace korvane {

void FileWorkQueue::Post(Work work)
{
    const std::lock_guard lock(mutex_);
    pending_.push_back(std::move(work));
}

void FileWorkQueue::Run()
{
    for (;;) {
        Work work;
        {
            const std::lock_guard lock(mutex_);
            if (pending_.empty())
                return;
            work = std::move(pending_.front());
            pending_.pop_front();
        }
        try {
            work();
        } catch (...) {
            const std::lock_guard lock(mutex_);
            pending_.push_front(std::move(work));
            throw;
        }
    }
}

void FileWorkQueue::RunAll(const std::function<void()>& onFailure)
{
    for (;;) {
        Work work;
        {
            const std::lock_guard lock(mutex_);
            if (pending_.empty())
                return;
            work = std::move(pending_.front());
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
