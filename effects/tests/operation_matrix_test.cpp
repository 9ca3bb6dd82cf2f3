// Every operation of the registry, on every awkward size and layout, with the
// desktop program's arguments and extreme ones: each call either succeeds or
// raises gleamkit::Error, finishes within a time limit (a watchdog ends the
// process naming the call otherwise), and, handed a picture of another
// layout, gives the pixels it gives on that picture converted to 24 bits
// first. Run under AddressSanitizer and UndefinedBehaviorSanitizer this also
// proves that no call reads or writes outside a picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "base/error.h"
#include "effects/effect_common.h"
#include "effects/registry.h"
#include "effects/tests/test_pictures.h"
#include "platform/kernel/clock.h"

namespace gleamkit::fx {
namespace {

using bitmap::BitmapLayout;
using testing::CopyOf;
using testing::MakePattern;
using testing::PicturePtr;

// Generous enough for the slowest call under the sanitizers, far below "hung".
constexpr auto kCallLimit = std::chrono::seconds(30);

struct Size {
    int32_t width, height;
};
constexpr Size kSizes[] = {{0, 0}, {1, 1}, {1, 7},   {7, 1}, {2, 2},
                           {3, 3}, {5, 4}, {17, 13}, {64, 3}};
// Every layout a file can give a picture, palette and direct: each walks
// another conversion path into and out of 24 bits.
constexpr BitmapLayout kOtherLayouts[] = {BitmapLayout::Bits8, BitmapLayout::Bits32,
                                          BitmapLayout::Bits1, BitmapLayout::Bits4,
                                          BitmapLayout::Bits16};

// Ends the process, naming the call, when one call runs past kCallLimit.
class Watchdog {
public:
    Watchdog() : m_thread([this] { Watch(); }) {}
    ~Watchdog() {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    void Start(const std::string& call) {
        std::lock_guard lock(m_mutex);
        m_call = call;
        m_started = std::chrono::steady_clock::now();
        m_running = true;
    }
    void Stop() {
        std::lock_guard lock(m_mutex);
        m_running = false;
    }

private:
    void Watch() {
        std::unique_lock lock(m_mutex);
        while (!m_stop) {
            m_wake.wait_for(lock, std::chrono::milliseconds(200));
            if (m_running && std::chrono::steady_clock::now() - m_started > kCallLimit) {
                std::fprintf(stderr, "operation matrix: %s did not finish within %lld s\n",
                             m_call.c_str(), static_cast<long long>(kCallLimit.count()));
                std::abort();
            }
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::string m_call;
    std::chrono::steady_clock::time_point m_started;
    bool m_running = false;
    bool m_stop = false;
    std::thread m_thread;
};

// Checks waived by name: the calls still run (under the sanitizers they must
// still stay inside every picture); only the named check is waived, and the
// waiver is printed. Grow's amount may ask for a scaled picture of any size,
// and memory that cannot be had raises std::bad_alloc, as every picture's
// storage does; the destination then stays source1's copy. A fault found here
// is listed only until it is mended.
enum class Waived { LayoutBlindness, OtherExceptions };
struct KnownFault {
    std::string_view operation;
    Waived check;
    const char* fault;
};
constexpr KnownFault kKnownFaults[] = {
    {"Grow", Waived::OtherExceptions,
     "Amount 1e30 asks for an INT32_MAX x INT32_MAX picture: std::bad_alloc"},
};

const KnownFault* FindKnownFault(std::string_view operation, Waived check) {
    for (const KnownFault& fault : kKnownFaults)
        if (fault.operation == operation && fault.check == check) return &fault;
    return nullptr;
}

// One argument set: the program's values with at most one replaced.
struct ArgSet {
    std::string text;
    std::vector<ArgValue> values;
};

std::vector<ArgValue> ExtremesOf(ParamKind kind, bool destinationSize, int32_t side) {
    std::vector<ArgValue> values;
    const auto integer = [&](int32_t i) {
        ArgValue value;
        value.i = i;
        values.push_back(value);
    };
    switch (kind) {
    case ParamKind::Int:
        if (destinationSize) {
            for (const int32_t i : {0, 1, -1, 3 * side}) integer(i);
        } else {
            for (const int32_t i : {0, 1, -1, INT32_MIN, INT32_MAX}) integer(i);
        }
        break;
    case ParamKind::Float:
        for (const long double f :
             {0.0L, -1.0L, 1e30L, std::numeric_limits<long double>::quiet_NaN()}) {
            ArgValue value;
            value.f = f;
            values.push_back(value);
        }
        break;
    case ParamKind::Color:
        for (const uint32_t c : {0u, 0x00FFFFFFu, 0xFFFFFFFFu, 0x80000005u, 0x7FFFFFFFu})
            integer(static_cast<int32_t>(c));
        break;
    case ParamKind::Rect:
        for (const Rect& r :
             {MakeRect(0, 0, 0, 0), MakeRect(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX),
              MakeRect(side, side, -side, -side), MakeRect(-5, -5, 2, 2)}) {
            ArgValue value;
            value.rect = r;
            values.push_back(value);
        }
        break;
    case ParamKind::Filter:
        for (int32_t i = -1; i <= 7; ++i) integer(i);
        break;
    }
    return values;
}

std::string Describe(ParamKind kind, const ArgValue& value) {
    std::ostringstream text;
    switch (kind) {
    case ParamKind::Float:
        text << value.f;
        break;
    case ParamKind::Rect:
        text << value.rect.Left << ',' << value.rect.Top << ',' << value.rect.Right << ','
             << value.rect.Bottom;
        break;
    default:
        text << value.i;
    }
    return text.str();
}

// The program's arguments on `picture`, then each parameter replaced in turn
// by each extreme value of its kind.
std::vector<ArgSet> ArgSets(const Operation& operation, bitmap::PixelBitmap& picture) {
    std::vector<ArgValue> program;
    EXPECT_TRUE(ProgramArgs(operation, picture, program)) << operation.name;
    const auto describe = [&](const std::vector<ArgValue>& values) {
        std::string text;
        for (size_t p = 0; p < values.size(); ++p) {
            if (p > 0) text += ' ';
            text += Describe(operation.params[p].kind, values[p]);
        }
        return text;
    };
    std::vector<ArgSet> sets = {{describe(program), program}};
    const int32_t side = std::max(picture.Width(), picture.Height());
    for (size_t p = 0; p < operation.params.size(); ++p) {
        const bool destinationSize = operation.wiring == Wiring::IntoNewPicture && p < 2;
        for (const ArgValue& extreme :
             ExtremesOf(operation.params[p].kind, destinationSize, side)) {
            std::vector<ArgValue> values = program;
            values[p] = extreme;
            sets.push_back({describe(values), values});
        }
    }
    return sets;
}

const char* LayoutName(BitmapLayout layout) {
    switch (layout) {
    case BitmapLayout::Bits1:
        return "1-bit";
    case BitmapLayout::Bits4:
        return "4-bit";
    case BitmapLayout::Bits8:
        return "8-bit";
    case BitmapLayout::Bits16:
        return "16-bit";
    case BitmapLayout::Bits32:
        return "32-bit";
    default:
        return "other layout";
    }
}

PicturePtr InLayout(bitmap::PixelBitmap& picture, BitmapLayout layout) {
    PicturePtr copy = CopyOf(picture);
    copy->SetLayout(layout);
    return copy;
}

struct Outcome {
    bool raised = false; // gleamkit::Error
    PicturePtr picture;
};

class OperationMatrix : public ::testing::TestWithParam<std::string_view> {
protected:
    void SetUp() override {
        const SYSTEMTIME noon{2000, 1, 6, 1, 12, 0, 0, 0};
        platform::SetFixedSystemTime(&noon);
    }
    void TearDown() override { platform::SetFixedSystemTime(nullptr); }

    // Runs the operation once on copies of `picture` and `second`.
    Outcome Run(const Operation& operation, bitmap::PixelBitmap& picture,
                bitmap::PixelBitmap* second, const ArgSet& args, const std::string& call) {
        Outcome outcome;
        outcome.picture = CopyOf(picture);
        PicturePtr secondCopy = second ? CopyOf(*second) : nullptr;
        SetRandomState(0);
        m_watchdog.Start(call);
        try {
            const WiredRun wired(operation, *outcome.picture, secondCopy.get());
            wired.Invoke(args.values);
        } catch (const Error&) {
            outcome.raised = true;
        } catch (const std::exception& error) {
            outcome.raised = true;
            if (const KnownFault* known = FindKnownFault(operation.name, Waived::OtherExceptions)) {
                m_waived.insert(known);
            } else {
                ADD_FAILURE() << call << " raised " << error.what();
            }
        }
        m_watchdog.Stop();
        ++m_calls;
        return outcome;
    }

    Watchdog m_watchdog;
    int64_t m_calls = 0;
    std::set<const KnownFault*> m_waived;
};

// The second pictures two-picture operations meet: smaller, larger, empty.
std::vector<PicturePtr> SecondPictures(Size size) {
    std::vector<PicturePtr> seconds;
    seconds.push_back(MakePattern(std::max(size.width / 2, 1), std::max(size.height / 2, 1)));
    seconds.push_back(MakePattern(size.width + 5, size.height + 3));
    seconds.push_back(PicturePtr(bitmap::NewPixelBitmap(0, 0)));
    return seconds;
}

TEST_P(OperationMatrix, EverySizeLayoutAndArgumentIsSafeAndLayoutBlind) {
    const Operation* operation = FindOperation(GetParam());
    ASSERT_NE(operation, nullptr);
    const bool needsSecond = NeedsSecondPicture(operation->wiring);
    const auto started = std::chrono::steady_clock::now();
    for (const Size size : kSizes) {
        PicturePtr picture = size.width == 0 ? PicturePtr(bitmap::NewPixelBitmap(0, 0))
                                             : MakePattern(size.width, size.height);
        std::vector<PicturePtr> seconds;
        if (needsSecond) seconds = SecondPictures(size);
        const size_t secondCount = needsSecond ? seconds.size() : 1;
        for (const ArgSet& args : ArgSets(*operation, *picture)) {
            for (size_t s = 0; s < secondCount; ++s) {
                bitmap::PixelBitmap* second = needsSecond ? seconds[s].get() : nullptr;
                std::ostringstream where;
                where << operation->name << '(' << args.text << ") on " << size.width << 'x'
                      << size.height;
                if (second)
                    where << " with a " << second->Width() << 'x' << second->Height() << " second";
                Run(*operation, *picture, second, args, where.str() + " (24-bit)");
                for (const BitmapLayout layout : kOtherLayouts) {
                    const std::string call = where.str() + " (" + LayoutName(layout) + ")";
                    PicturePtr narrow = InLayout(*picture, layout);
                    PicturePtr narrowSecond = second ? InLayout(*second, layout) : nullptr;
                    PicturePtr wide = InLayout(*narrow, BitmapLayout::Bits24);
                    PicturePtr wideSecond =
                        second ? InLayout(*narrowSecond, BitmapLayout::Bits24) : nullptr;
                    Outcome expected = Run(*operation, *wide, wideSecond.get(), args, call);
                    Outcome actual = Run(*operation, *narrow, narrowSecond.get(), args, call);
                    EXPECT_EQ(actual.raised, expected.raised) << call;
                    if (actual.raised || expected.raised) continue;
                    actual.picture->SetLayout(BitmapLayout::Bits24);
                    expected.picture->SetLayout(BitmapLayout::Bits24);
                    const auto same = testing::SamePixels(*actual.picture, *expected.picture);
                    if (const KnownFault* known =
                            FindKnownFault(operation->name, Waived::LayoutBlindness)) {
                        if (!same) m_waived.insert(known);
                        continue;
                    }
                    EXPECT_TRUE(same) << call;
                }
            }
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    RecordProperty("calls", std::to_string(m_calls));
    std::printf("%s: %lld calls in %.2f s\n", operation->name.data(),
                static_cast<long long>(m_calls), seconds);
    for (const KnownFault* known : m_waived)
        std::printf("%s: known fault, check waived: %s\n", operation->name.data(), known->fault);
}

std::vector<std::string_view> OperationNames() {
    std::vector<std::string_view> names;
    for (const Operation& operation : Operations()) names.push_back(operation.name);
    return names;
}

INSTANTIATE_TEST_SUITE_P(Registry, OperationMatrix, ::testing::ValuesIn(OperationNames()),
                         [](const ::testing::TestParamInfo<std::string_view>& info) {
                             std::string name;
                             for (const char c : info.param)
                                 name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

} // namespace
} // namespace gleamkit::fx
