// The library's one worker pool. A job is a count cut into bands; the caller
// and the workers take bands from a shared counter until none are left, so
// which thread runs a band varies but what a band computes does not.
#include "effects/parallel.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace gleamkit::fx {

namespace {

constexpr int32_t kMostThreads = 256;
// More bands than threads evens out rows of unequal cost (the rim of a warp,
// the redone values of a fast path) without making bands too small to pay.
constexpr int32_t kBandsPerThread = 4;

int32_t DefaultThreadCount() {
    if (const char* text = std::getenv("GLEAMKIT_THREADS")) {
        char* end = nullptr;
        const long value = std::strtol(text, &end, 10);
        if (end != text && *end == '\0' && value >= 1)
            return static_cast<int32_t>(std::min<long>(value, kMostThreads));
    }
    const unsigned hardware = std::thread::hardware_concurrency();
    return hardware == 0 ? 1 : static_cast<int32_t>(std::min<unsigned>(hardware, kMostThreads));
}

std::atomic<int32_t> g_threadCount{0}; // 0: not yet read from the environment

class Pool {
public:
    static Pool& Instance() {
        static Pool pool;
        return pool;
    }

    // Runs the job on the caller and up to `helpers` workers.
    void Run(int32_t bands, int32_t helpers, const std::function<void(int32_t)>& runBand) {
        {
            std::unique_lock lock(m_mutex);
            while (static_cast<int32_t>(m_workers.size()) < helpers)
                m_workers.emplace_back([this, index = static_cast<int32_t>(m_workers.size())] {
                    WorkerLoop(index);
                });
            m_job = &runBand;
            m_bands = bands;
            m_helpers = helpers;
            m_nextBand.store(0);
            m_busy = 0;
            m_error = nullptr;
            ++m_generation;
        }
        m_wake.notify_all();
        TakeBands(runBand);
        // Every band is taken now, each by this thread or by a busy worker; a
        // worker that wakes only after the job has ended finds no job and
        // leaves it alone, so a slow-to-wake worker never holds the caller.
        std::unique_lock lock(m_mutex);
        m_done.wait(lock, [this] { return m_busy == 0; });
        m_job = nullptr;
        if (m_error) std::rethrow_exception(std::exchange(m_error, nullptr));
    }

    ~Pool() {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_all();
        for (std::thread& worker : m_workers) worker.join();
    }

private:
    void TakeBands(const std::function<void(int32_t)>& runBand) {
        for (int32_t band = m_nextBand.fetch_add(1); band < m_bands;
             band = m_nextBand.fetch_add(1)) {
            try {
                runBand(band);
            } catch (...) {
                std::lock_guard lock(m_mutex);
                if (!m_error) m_error = std::current_exception();
            }
        }
    }

    void WorkerLoop(int32_t index) {
        uint64_t seen = 0;
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [&] { return m_stopping || m_generation != seen; });
            if (m_stopping) return;
            seen = m_generation;
            if (index >= m_helpers || m_job == nullptr) continue;
            const std::function<void(int32_t)>* job = m_job;
            ++m_busy;
            lock.unlock();
            TakeBands(*job);
            lock.lock();
            --m_busy;
            if (m_busy == 0) m_done.notify_all();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    std::vector<std::thread> m_workers;
    const std::function<void(int32_t)>* m_job = nullptr;
    int32_t m_bands = 0;
    int32_t m_helpers = 0;
    int32_t m_busy = 0;
    std::atomic<int32_t> m_nextBand{0};
    uint64_t m_generation = 0;
    bool m_stopping = false;
    std::exception_ptr m_error;
};

// Held while a job runs: a second job meanwhile (nested, or from another
// thread) runs on its own caller instead of waiting for the pool.
std::mutex g_jobMutex;

} // namespace

int32_t ThreadCount() {
    int32_t count = g_threadCount.load(std::memory_order_relaxed);
    if (count == 0) {
        count = DefaultThreadCount();
        g_threadCount.store(count, std::memory_order_relaxed);
    }
    return count;
}

void SetThreadCount(int32_t count) {
    g_threadCount.store(count <= 0 ? 0 : std::min(count, kMostThreads), std::memory_order_relaxed);
}

std::vector<int32_t> BandEdges(int32_t count, int32_t grain) {
    if (count <= 0) return {0};
    grain = std::max(grain, 1);
    const int32_t threads = ThreadCount();
    const int32_t most = (count + grain - 1) / grain;
    const int32_t bands = std::min(most, threads == 1 ? 1 : threads * kBandsPerThread);
    std::vector<int32_t> edges(static_cast<size_t>(bands) + 1);
    for (int32_t b = 0; b <= bands; ++b)
        edges[b] = static_cast<int32_t>(int64_t{count} * b / bands);
    return edges;
}

void ParallelTasks(int32_t tasks, const std::function<void(int32_t)>& task) {
    if (tasks <= 0) return;
    const int32_t threads = ThreadCount();
    std::unique_lock job(g_jobMutex, std::try_to_lock);
    if (tasks == 1 || threads == 1 || !job.owns_lock()) {
        for (int32_t b = 0; b < tasks; ++b) task(b);
        return;
    }
    Pool::Instance().Run(tasks, std::min(threads, tasks) - 1, task);
}

void ParallelBands(int32_t count, int32_t grain,
                   const std::function<void(int32_t, int32_t)>& band) {
    if (count <= 0) return;
    const std::vector<int32_t> edges = BandEdges(count, grain);
    ParallelTasks(static_cast<int32_t>(edges.size()) - 1,
                  [&](int32_t b) { band(edges[b], edges[b + 1]); });
}

void ParallelRows(int32_t height, int32_t width,
                  const std::function<void(int32_t, int32_t)>& rows) {
    constexpr int32_t kPixelsPerBand = 8192;
    ParallelBands(height, kPixelsPerBand / std::max(width, 1) + 1, rows);
}

} // namespace gleamkit::fx
