// The band runner and its promise: every operation gives the same bytes for
// every thread count, on sizes that do not split evenly into bands.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

#include "base/error.h"
#include "effects/effect_common.h"
#include "effects/parallel.h"
#include "effects/registry.h"
#include "effects/tests/test_pictures.h"
#include "platform/kernel/clock.h"

namespace gleamkit::fx {
namespace {

using testing::MakeNoise;
using testing::PicturePtr;
using testing::SamePixels;

// Sets the thread count for one scope and returns to the default after it.
class Threads {
public:
    explicit Threads(int32_t count) { SetThreadCount(count); }
    ~Threads() { SetThreadCount(0); }
};

TEST(ParallelBandsTest, CoversEveryIndexOnceInAscendingBands) {
    for (const int32_t threads : {1, 2, 3, 8}) {
        const Threads setting(threads);
        for (const int32_t count : {1, 2, 7, 33, 1000}) {
            for (const int32_t grain : {1, 5, 64}) {
                std::vector<std::atomic<int>> seen(count);
                ParallelBands(count, grain, [&](int32_t begin, int32_t end) {
                    ASSERT_LT(begin, end);
                    for (int32_t i = begin; i < end; ++i) ++seen[i];
                });
                for (int32_t i = 0; i < count; ++i)
                    ASSERT_EQ(seen[i], 1) << threads << " threads, " << count << "/" << grain;
            }
        }
    }
}

TEST(ParallelBandsTest, OneThreadIsOneBandOnTheCaller) {
    const Threads setting(1);
    int calls = 0;
    ParallelBands(500, 1, [&](int32_t begin, int32_t end) {
        ++calls;
        EXPECT_EQ(begin, 0);
        EXPECT_EQ(end, 500);
    });
    EXPECT_EQ(calls, 1);
}

TEST(ParallelBandsTest, NestedCallsRunOnTheirCallerAndExceptionsComeBack) {
    const Threads setting(4);
    std::atomic<int> inner{0};
    ParallelBands(8, 1, [&](int32_t begin, int32_t end) {
        for (int32_t i = begin; i < end; ++i)
            ParallelBands(10, 1, [&](int32_t b, int32_t e) { inner += e - b; });
    });
    EXPECT_EQ(inner, 80);
    EXPECT_THROW(ParallelBands(64, 1,
                               [](int32_t begin, int32_t) {
                                   if (begin > 0) throw std::runtime_error("band failed");
                               }),
                 std::runtime_error);
    // The pool is usable again afterwards.
    std::atomic<int> total{0};
    ParallelBands(64, 1, [&](int32_t begin, int32_t end) { total += end - begin; });
    EXPECT_EQ(total, 64);
}

TEST(ParallelBandsTest, ThreadCountIsClampedAndResets) {
    SetThreadCount(100000);
    EXPECT_EQ(ThreadCount(), 256);
    SetThreadCount(3);
    EXPECT_EQ(ThreadCount(), 3);
    SetThreadCount(0);
    EXPECT_GE(ThreadCount(), 1);
}

// Runs `operation` with the desktop program's values on a copy of `input`.
PicturePtr RunOnce(const Operation& operation, bitmap::PixelBitmap& input) {
    PicturePtr picture = testing::CopyOf(input);
    PicturePtr second = MakeNoise(input.Width(), input.Height(), 99);
    std::vector<ArgValue> args;
    EXPECT_TRUE(ProgramArgs(operation, *picture, args));
    const WiredRun run(operation, *picture, second.get());
    SetRandomState(12345);
    try {
        run.Invoke(args);
    } catch (const Error&) {
    }
    return picture;
}

// Fixes the clock that reseeding operations read, for one scope.
class FixedClock {
public:
    FixedClock() {
        const SYSTEMTIME time{2000, 1, 6, 1, 12, 34, 56, 789};
        platform::SetFixedSystemTime(&time);
    }
    ~FixedClock() { platform::SetFixedSystemTime(nullptr); }
};

TEST(ParallelBandsTest, EveryOperationGivesTheSameBytesForEveryThreadCount) {
    const FixedClock clock;
    // Odd sizes, large enough to make several bands of every kind.
    const std::pair<int32_t, int32_t> sizes[] = {{401, 203}, {97, 311}, {1001, 17}};
    for (const auto& [width, height] : sizes) {
        const PicturePtr input = MakeNoise(width, height, static_cast<uint32_t>(width));
        for (const Operation& operation : Operations()) {
            PicturePtr expected;
            {
                const Threads one(1);
                expected = RunOnce(operation, *input);
            }
            for (const int32_t threads : {2, 3, 8}) {
                const Threads setting(threads);
                const PicturePtr actual = RunOnce(operation, *input);
                EXPECT_TRUE(SamePixels(*actual, *expected))
                    << operation.name << " on " << width << "x" << height << " with " << threads
                    << " threads";
            }
        }
    }
}

} // namespace
} // namespace gleamkit::fx
