// Splitting an operation's rows across worker threads where every output value
// depends only on inputs no other band writes, so the result is the same for
// every thread count. Callers still see one call on one thread: ParallelBands
// returns only when every band is done.
//
// The thread count comes from one setting: SetThreadCount, else the
// GLEAMKIT_THREADS environment variable, else the machine's hardware threads.
// One thread runs every band on the caller's thread, in order. The workers are
// one pool for the whole library, started on first use.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace gleamkit::fx {

// The number of threads the next ParallelBands may use (at least 1).
int32_t ThreadCount();

// Sets the thread count for later operations (clamped to 1 .. 256); 0 returns
// to GLEAMKIT_THREADS or the hardware default.
void SetThreadCount(int32_t count);

// Calls band(begin, end) for consecutive ranges that together cover 0 .. count
// - 1, each about `grain` long or longer, on up to ThreadCount() threads. A
// band must not write what another band reads or writes. Called while another
// ParallelBands is running (from a band, or from another thread) it runs
// everything on the calling thread. The first exception a band raises is
// raised again once all bands have ended.
void ParallelBands(int32_t count, int32_t grain, const std::function<void(int32_t, int32_t)>& band);

// The bands ParallelBands(count, grain, ...) would make now: band b covers
// edges[b] .. edges[b + 1] - 1. For operations that must save what lies
// around each band before any band runs; run them with ParallelTasks.
std::vector<int32_t> BandEdges(int32_t count, int32_t grain);

// Calls task(b) for every b in 0 .. tasks - 1, on up to ThreadCount()
// threads, under the rules of ParallelBands.
void ParallelTasks(int32_t tasks, const std::function<void(int32_t)>& task);

// ParallelBands over the rows of a picture `width` pixels wide, with bands
// large enough (some thousands of pixels) that waking a worker pays.
void ParallelRows(int32_t height, int32_t width, const std::function<void(int32_t, int32_t)>& rows);

} // namespace gleamkit::fx
