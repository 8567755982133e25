// A file size limit on this process for the length of a scope: writes to regular files beyond it
// fail with EFBIG (SIGXFSZ is ignored meanwhile), which holds even for root.
#pragma once

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>

namespace plavik::test {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : handler_(std::signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit small = saved_;
        small.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, handler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    void (*handler_)(int);
    rlimit saved_{};
};

} // namespace plavik::test
#endif
