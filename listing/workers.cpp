#include "listing/workers.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace plavik {

bool FramePacer::Due() {
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < kFrame)
        return false;
    last_ = now;
    return true;
}

int WorkerCount() {
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

void RunOnWorkers(std::size_t count, int workers, const std::function<void(std::size_t, int)>& work,
                  const WorkerReports& reports) {
    if (count == 0)
        return;
    workers =
        static_cast<int>(std::clamp<std::size_t>(static_cast<std::size_t>(std::max(workers, 1)), 1, count));

    std::atomic<std::size_t> next{0};
    std::mutex mutex;
    std::condition_variable wake;
    std::vector<std::size_t> done; // finished since the last report, guarded by mutex
    std::size_t doneCount = 0;     // guarded by mutex
    std::size_t doneBelow = 0;     // finished indexes below wakeAt, guarded by mutex

    std::vector<std::thread> threads;
    threads.reserve(static_cast<std::size_t>(workers));
    for (int w = 0; w < workers; ++w) {
        threads.emplace_back([&, w] {
            for (std::size_t i = next++; i < count; i = next++) {
                work(i, w);
                std::lock_guard lock(mutex);
                done.push_back(i);
                ++doneCount;
                if (i < reports.wakeAt)
                    ++doneBelow;
                if (doneCount == count || (i < reports.wakeAt && doneBelow == reports.wakeAt))
                    wake.notify_one();
            }
        });
    }

    FramePacer pacer;
    std::vector<std::size_t> batch;
    bool early = reports.wakeAt > 0; // the early report is still to come
    for (bool all = false; !all;) {
        {
            std::unique_lock lock(mutex);
            wake.wait_for(lock, reports.every,
                          [&] { return doneCount == count || (early && doneBelow >= reports.wakeAt); });
            all = doneCount == count;
            early = early && doneBelow < reports.wakeAt;
            batch.swap(done);
            done.clear();
        }
        if (reports.finished && !batch.empty())
            reports.finished(batch);
        batch.clear();
        if (!all && reports.pump && pacer.Due())
            reports.pump();
    }
    for (std::thread& t : threads)
        t.join();
}

} // namespace plavik
