// Work spread over one thread per core while the calling thread keeps its window painted.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <vector>

namespace plavik {

// Says when a frame has passed, so that a long loop pumps the message queue at most once per frame.
class FramePacer {
public:
    static constexpr std::chrono::milliseconds kFrame{16};
    FramePacer() : last_(std::chrono::steady_clock::now()) {}
    // True (and the frame restarted) when a frame has passed since the last time it said so.
    bool Due();

private:
    std::chrono::steady_clock::time_point last_;
};

// How RunOnWorkers reports back to the calling thread.
struct WorkerReports {
    // Called at most once per frame while the work runs.
    std::function<void()> pump;
    // Called with the indexes finished since its last call (in no particular order): as soon as the
    // indexes below wakeAt are all finished, then once per `every`, and once more at the end.
    std::function<void(const std::vector<std::size_t>&)> finished;
    std::size_t wakeAt = 0;
    std::chrono::milliseconds every = FramePacer::kFrame;
};

// The number of worker threads: one per core, at least one.
int WorkerCount();

// Runs work(index, worker) for every index in [0, count), indexes taken in increasing order by
// `workers` threads (worker = 0 .. workers - 1, so that each can keep state of its own). The calling
// thread only waits and reports. work must not throw.
void RunOnWorkers(std::size_t count, int workers, const std::function<void(std::size_t, int)>& work,
                  const WorkerReports& reports = {});

} // namespace plavik
