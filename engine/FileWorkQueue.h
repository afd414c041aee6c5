#pragma once

#include <deque>
#include <functional>
#include <mutex>

namespace korvane {

// Disk work asked for where no disk may be touched: under the engine lock
// or on the fast tick's thread (INI writes, log lines). The file tick runs
// it later on the main thread, without the engine lock, in the order it was
// asked for. Post may be called from any thread.
class FileWorkQueue {
public:
    using Work = std::function<void()>;

    void Post(Work work);
    // Runs the waiting work in order (main thread, engine lock not held).
    // Work that throws stays first and is tried again on the next Run; the
    // work behind it waits, and the exception goes to the caller.
    void Run();
    // Runs all the waiting work, the last time: work that throws is dropped
    // after OnFailure was called from within its handler (it may rethrow to
    // read the exception; what OnFailure throws is ignored).
    void RunAll(const std::function<void()>& onFailure);
    bool Empty() const;

private:
    mutable std::mutex mutex_;
    std::deque<Work> pending_;
};

} // namespace korvane
