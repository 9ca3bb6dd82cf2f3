// Shared pieces of the window kit's tests: a fixture that starts every test
// from a clean window manager and kit state, and a log of destroy events.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/backend/headless/headless.h"
#include "winkit/application.h"
#include "winkit/control.h"

namespace gleamkit::winkit::testing {

// The names of watched objects, in the order their destroy events fired.
inline std::vector<std::string>& DestroyedNames() {
    static std::vector<std::string> names;
    return names;
}

inline void RecordDestroy(void* data, KitObject*) {
    DestroyedNames().push_back(static_cast<const char*>(data));
}

inline void WatchDestroy(KitObject* object, const char* name) {
    object->OnDestroy = {RecordDestroy, const_cast<char*>(name)};
}

// A plain kit object, to put on auto-free lists.
class Tracked : public KitObject {};

inline KitObject* NewTracked(const char* name) {
    auto* object = new Tracked();
    WatchDestroy(object, name);
    return object;
}

class KitTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::Reset();
        ResetApplication();
        DestroyedNames().clear();
    }
    void TearDown() override {
        ResetApplication();
        headless::Reset();
    }
};

} // namespace gleamkit::winkit::testing
