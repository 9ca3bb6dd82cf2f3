#include <gtest/gtest.h>

#include "base/color.h"

namespace gleamkit {
namespace {

TEST(ColorTest, SystemColoursResolveThroughThePlatformAndPlainOnesPassThrough) {
    EXPECT_EQ(ResolveColor(SystemColor(15)), MakeColor(212, 208, 200)); // button face
    EXPECT_EQ(ResolveColor(SystemColor(12)), MakeColor(128, 128, 128)); // workspace
    EXPECT_EQ(ResolveColor(static_cast<Color>(0x80000005)), 0x00FFFFFF);
    EXPECT_EQ(ResolveColor(0x00123456), 0x00123456);
}

} // namespace
} // namespace gleamkit
