#pragma once

// A cap on the size of any file this process writes, for as long as the
// guard lives: a write that would pass it is cut short and then fails with
// EFBIG, which is how a disk that fills up mid-write looks to the program.

#include <csignal>

#include <sys/resource.h>

namespace korvane::test {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit capped = old_;
        capped.rlim_cur = bytes;
        active_ = setrlimit(RLIMIT_FSIZE, &capped) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    // The cap could be set.
    bool active() const { return active_; }

private:
    rlimit old_{};
    void (*oldHandler_)(int) = SIG_DFL;
    bool active_ = false;
};

} // namespace korvane::test
