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

    // Work of one Lane keeps its order; lanes wait for nothing of each other.
    void Post(Work work, int lane = 0);
    // Runs the waiting work in order (main thread, engine lock not held).
    // Work that throws stays where it is and is tried again on the next
    // Run; the later work of its lane waits, the other lanes' work goes on,
    // and the first exception goes to the caller at the end.
    void Run();
    // Runs all the waiting work, the last time: work that throws is dropped
    // after OnFailure was called from within its handler (it may rethrow to
    // read the exception; what OnFailure throws is ignored).
    void RunAll(const std::function<void()>& onFailure);
    bool Empty() const;

private:
    struct Item {
        Work work;
        int lane = 0;
    };
    mutable std::mutex mutex_;
    std::deque<Item> pending_;
};

} // namespace korvane
