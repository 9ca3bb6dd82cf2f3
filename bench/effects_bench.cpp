// One Google Benchmark case per registry operation, registered from the table
// itself: the desktop program's arguments on the deterministic 1920x1080
// sample picture, wired as the program wires them. Each iteration works on a
// fresh copy made outside the timed region; only the operation is timed.
// One more case times reading a 1920x1080 bitmap file.
#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "effects/effect_common.h"
#include "effects/registry.h"
#include "tools/gleamfx/bmp_writer.h"
#include "tools/gleamfx/gleamfx.h"
#include "tools/sample/sample_picture.h"

namespace {

using gleamkit::bitmap::PixelBitmap;
using gleamkit::tools::PictureHolder;

constexpr int32_t kWidth = 1920;
constexpr int32_t kHeight = 1080;

PixelBitmap& SamplePicture() {
    static const PictureHolder picture(gleamkit::tools::NewSamplePicture(kWidth, kHeight));
    return *picture;
}

double ThreadCpuMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

void BenchOperation(benchmark::State& state, const gleamkit::fx::Operation* operation) {
    PixelBitmap& original = SamplePicture();
    std::vector<gleamkit::fx::ArgValue> args;
    if (!gleamkit::fx::ProgramArgs(*operation, original, args)) {
        state.SkipWithError("the program values do not parse");
        return;
    }
    // The second-picture operations read the same sample as their second picture.
    PictureHolder second(gleamkit::bitmap::NewPixelBitmap(0, 0));
    second->Assign(&original);
    PictureHolder work(gleamkit::bitmap::NewPixelBitmap(0, 0));
    double cpuMilliseconds = 0;
    for (auto _ : state) {
        work->Assign(&original);
        const gleamkit::fx::WiredRun run(*operation, *work, second.get());
        gleamkit::fx::SetRandomState(0);
        const double cpuStart = ThreadCpuMilliseconds();
        const auto start = std::chrono::steady_clock::now();
        try {
            run.Invoke(args);
        } catch (const std::exception& error) {
            state.SkipWithError(error.what());
            return;
        }
        const auto stop = std::chrono::steady_clock::now();
        cpuMilliseconds += ThreadCpuMilliseconds() - cpuStart;
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
    }
    // The operation's own processor time; "Time" is wall time and grows when
    // other processes share the machine, "CPU" also counts the untimed copies.
    state.counters["op_cpu_ms"] =
        benchmark::Counter(cpuMilliseconds, benchmark::Counter::kAvgIterations);
}

void BenchLoadFile(benchmark::State& state, const std::string& path) {
    for (auto _ : state) {
        PictureHolder picture(gleamkit::bitmap::NewPixelBitmap(0, 0));
        if (!picture->LoadFromFile(path.c_str())) {
            state.SkipWithError("cannot read the benchmark file");
            return;
        }
        benchmark::DoNotOptimize(picture->ScanLine(0));
    }
}

} // namespace

int main(int argc, char** argv) {
    for (const gleamkit::fx::Operation& operation : gleamkit::fx::Operations()) {
        benchmark::RegisterBenchmark(std::string(operation.name).c_str(), BenchOperation,
                                     &operation)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    }
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("gleamkit_bench_" + std::to_string(getpid()) + ".bmp"))
                                 .string();
    std::string error;
    if (!gleamkit::tools::WriteBmp24(SamplePicture(), path, error)) {
        std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), error.c_str());
        return 1;
    }
    benchmark::RegisterBenchmark("LoadFromFile/1920x1080", BenchLoadFile, path)
        ->Unit(benchmark::kMillisecond);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove(path);
    return 0;
}
