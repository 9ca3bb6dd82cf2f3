// gleamfx apply: reads IN, runs one registry operation wired as the desktop
// program wires it, writes OUT. Options fix the random state and the clock so
// runs are reproducible, and --repeat/--time measure the operation alone on a
// fresh copy of IN each run (the state is set again before every run, so the
// output is the same whatever the count).
#include <algorithm>
#include <charconv>
#include <chrono>
#include <ctime>
#include <cstdint>
#include <iomanip>
#include <new>
#include <optional>
#include <ostream>
#include <vector>

#include "effects/effect_common.h"
#include "effects/parallel.h"
#include "effects/registry.h"
#include "platform/kernel/clock.h"
#include "tools/gleamfx/picture_files.h"
#include "tools/gleamfx/gleamfx.h"
#include "tools/gleamfx/run_options.h"

namespace gleamkit::tools {

namespace {

constexpr int32_t kMaxRepeat = 100000;
constexpr int32_t kMaxThreads = 256;

struct ApplyOptions : RunOptions {
    int32_t repeat = 1;
    bool time = false;
    int32_t threads = 0; // 0: GLEAMKIT_THREADS or the hardware threads
    std::vector<std::string> positional; // IN OUT OP ARG...
};

// Fills `options`; on a usage error answers its reason.
std::optional<std::string> ParseOptions(std::span<const std::string> args, ApplyOptions& options) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        const bool takesValue = word == "--repeat" || word == "--threads";
        if (takesValue && i + 1 == args.size()) return word + " needs a value";
        std::optional<std::string> reason;
        if (ReadRunOption(args, i, options, reason)) {
            if (reason) return reason;
        } else if (word == "--repeat") {
            if (!ParseNumber(args[++i], options.repeat) || options.repeat < 1 ||
                options.repeat > kMaxRepeat)
                return "--repeat '" + args[i] + "' is not a count from 1 to " +
                       std::to_string(kMaxRepeat);
        } else if (word == "--threads") {
            if (!ParseNumber(args[++i], options.threads) || options.threads < 1 ||
                options.threads > kMaxThreads)
                return "--threads '" + args[i] + "' is not a count from 1 to " +
                       std::to_string(kMaxThreads);
        } else if (word == "--time") {
            options.time = true;
        } else if (word.starts_with("--")) {
            return "unknown option '" + word + "'";
        } else {
            options.positional.push_back(word);
        }
    }
    if (options.positional.size() < 3) return "apply takes IN, OUT and OP";
    return std::nullopt;
}

// Reads the given argument words into one value per parameter; parameters
// without a word take the desktop program's value (worked out on `picture`
// where it depends on it). A rectangle takes one word holding four integers
// or four words.
std::optional<std::string> ReadArgs(const fx::Operation& operation,
                                    std::span<const std::string> words,
                                    bitmap::PixelBitmap& picture, std::vector<fx::ArgValue>& args) {
    std::vector<fx::ArgValue> program;
    if (!fx::ProgramArgs(operation, picture, program))
        return std::string(operation.name) + " has a program value that cannot be read";
    args.clear();
    size_t next = 0;
    for (size_t p = 0; p < operation.params.size(); ++p) {
        const fx::ParamSpec& param = operation.params[p];
        fx::ArgValue value = program[p];
        if (next < words.size()) {
            std::string text = words[next++];
            const bool oneWordRect = fx::ParseArg(param.kind, text, value);
            if (!oneWordRect && param.kind == fx::ParamKind::Rect && next + 3 <= words.size()) {
                for (int k = 0; k < 3; ++k) text += ' ' + words[next++];
            }
            if (!oneWordRect && !fx::ParseArg(param.kind, text, value)) {
                const char* hint =
                    param.kind == fx::ParamKind::Rect ? " (a rectangle is four integers)" : "";
                return "'" + text + "' is not a valid value for " + std::string(param.name) + hint;
            }
        }
        args.push_back(value);
    }
    if (next < words.size()) {
        return std::string(operation.name) + " takes " + std::to_string(operation.params.size()) +
               " argument(s)";
    }
    return std::nullopt;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    if (values.size() % 2 == 1) return values[middle];
    return (values[middle - 1] + values[middle]) / 2;
}

// Processor time of this thread: unlike the wall clock it does not grow while
// other processes hold the processor, so it stays comparable on a busy machine.
// The processor time of the whole process: an operation may run on worker
// threads as well as on this one.
double CpuMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// The operation's thread count for the length of the command.
struct ThreadSetting {
    explicit ThreadSetting(int32_t threads) : m_set(threads > 0) {
        if (m_set) fx::SetThreadCount(threads);
    }
    ~ThreadSetting() {
        if (m_set) fx::SetThreadCount(0);
    }
    ThreadSetting(const ThreadSetting&) = delete;
    ThreadSetting& operator=(const ThreadSetting&) = delete;

private:
    bool m_set;
};

} // namespace

int RunApply(std::span<const std::string> args, std::ostream& err) {
    ApplyOptions options;
    if (const auto reason = ParseOptions(args, options)) return UsageError(err, *reason);
    const std::string& inPath = options.positional[0];
    const std::string& outPath = options.positional[1];
    const std::string& name = options.positional[2];
    const fx::Operation* operation = fx::FindOperation(name);
    if (operation == nullptr) return UsageError(err, "unknown operation '" + name + "'");
    const bool needsSecond = fx::NeedsSecondPicture(operation->wiring);
    PictureHolder input;
    PictureHolder second;
    if (const int status =
            ReadInputPictures(inPath, options.second, needsSecond, name, input, second, err))
        return status;
    std::vector<fx::ArgValue> values;
    const std::span<const std::string> words = std::span(options.positional).subspan(3);
    if (const auto reason = ReadArgs(*operation, words, *input, values))
        return UsageError(err, *reason);

    const FixedClock clock(options.utcTime);
    const ThreadSetting threadSetting(options.threads);
    PictureHolder work(bitmap::NewPixelBitmap(0, 0));
    std::vector<double> milliseconds;
    std::vector<double> cpuMilliseconds;
    try {
        for (int32_t run = 0; run < options.repeat; ++run) {
            work->Assign(input.get());
            const fx::WiredRun wired(*operation, *work, second.get());
            fx::SetRandomState(options.seed);
            const double cpuStart = CpuMilliseconds();
            const auto start = std::chrono::steady_clock::now();
            wired.Invoke(values);
            const auto stop = std::chrono::steady_clock::now();
            cpuMilliseconds.push_back(CpuMilliseconds() - cpuStart);
            milliseconds.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
        }
    } catch (const std::bad_alloc&) {
        if (operation->wiring == fx::Wiring::IntoNewPicture)
            return OutOfMemory(err, values[0].i, values[1].i);
        return OutOfMemory(err, input->Width(), input->Height());
    } catch (const std::exception& error) {
        return Failure(err, name + ": " + error.what());
    }
    if (options.time) {
        err << "gleamfx: " << name << " median " << std::fixed << std::setprecision(3)
            << Median(milliseconds) << " ms (cpu " << Median(cpuMilliseconds) << " ms) over "
            << options.repeat << " run(s)\n";
    }
    try {
        std::string reason;
        if (!WritePicture(*work, outPath, reason)) return Failure(err, outPath + ": " + reason);
    } catch (const std::bad_alloc&) {
        return OutOfMemory(err, work->Width(), work->Height());
    }
    return kExitOk;
}

} // namespace gleamkit::tools
