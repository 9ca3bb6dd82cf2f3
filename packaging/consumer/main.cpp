// Uses the installed library end to end: makes a picture, runs one effect
// directly and one through the registry, reads a bitmap file back, and exits
// 0 only when every result is what the library promises.
#include <cstdio>

#include "effects/effects.h"
#include "effects/registry.h"

namespace {

using gleamkit::bitmap::BitmapLayout;
using gleamkit::bitmap::PixelBitmap;

bool Check(bool condition, const char* what) {
    if (!condition) std::fprintf(stderr, "consumer: %s failed\n", what);
    return condition;
}

} // namespace

int main() {
    PixelBitmap* picture = gleamkit::bitmap::NewPixelBitmap(4, 3);
    picture->SetLayout(BitmapLayout::Bits24);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) picture->Row24(y)[x] = {10, 20, 30};

    gleamkit::fx::Invert(*picture);
    bool ok = Check(picture->Row24(2)[3].Red == 225, "Invert");

    const gleamkit::fx::Operation* grey = gleamkit::fx::FindOperation("ConvertToGrayscale");
    ok = Check(grey != nullptr, "FindOperation") && ok;
    if (grey != nullptr) {
        const gleamkit::fx::WiredRun run(*grey, *picture, nullptr);
        run.Invoke({});
        const auto pixel = picture->Row24(0)[0];
        ok = Check(pixel.Red == pixel.Green && pixel.Green == pixel.Blue, "ConvertToGrayscale") &&
             ok;
    }
    ok = Check(gleamkit::fx::Operations().size() >= 49, "Operations") && ok;
    Free(picture);
    if (ok) std::printf("consumer: the installed Gleamkit works\n");
    return ok ? 0 : 1;
}
