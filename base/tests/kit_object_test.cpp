// The object base's reference word and destroy order, and the kit list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/kit_list.h"
#include "base/kit_object.h"

namespace gleamkit {
namespace {

std::vector<std::string> g_log;

class Logged : public KitObject {
public:
    explicit Logged(std::string name) : m_name(std::move(name)) {}

protected:
    void Destroy() override {
        g_log.push_back("destroy " + m_name);
        KitObject::Destroy();
    }

private:
    std::string m_name;
};

void LogDestroyEvent(void* data, KitObject*) {
    g_log.push_back(std::string("event ") + static_cast<const char*>(data));
}

class KitObjectTest : public ::testing::Test {
protected:
    void SetUp() override { g_log.clear(); }
};

TEST_F(KitObjectTest, FreeWithoutReferencesDestroysAtOnceAndFiresOnDestroyOnce) {
    auto* object = new Logged("a");
    object->OnDestroy = {LogDestroyEvent, const_cast<char*>("a")};
    Free(object);
    EXPECT_EQ(g_log, (std::vector<std::string>{"destroy a", "event a"}));
    Free(nullptr); // freeing none does nothing
}

TEST_F(KitObjectTest, FreeWhileHeldIsDeferredToTheLastDropRef) {
    auto* object = new Logged("held");
    object->HoldRef();
    object->HoldRef();
    Free(object);
    EXPECT_TRUE(object->FreePending());
    EXPECT_EQ(object->RefWord(), 3);
    Free(object); // a second free while pending changes nothing
    EXPECT_EQ(object->RefWord(), 3);
    object->DropRef();
    EXPECT_TRUE(g_log.empty());
    object->DropRef();
    EXPECT_EQ(g_log, (std::vector<std::string>{"destroy held"}));
}

TEST_F(KitObjectTest, DropRefWithoutPendingFreeKeepsTheObject) {
    auto* object = new Logged("kept");
    object->HoldRef();
    object->DropRef();
    EXPECT_TRUE(g_log.empty());
    Free(object);
    EXPECT_EQ(g_log.size(), 1u);
}

TEST_F(KitObjectTest, OwnedObjectsGoAfterTheDestroyEventLatestFirst) {
    auto* owner = new Logged("owner");
    owner->OnDestroy = {LogDestroyEvent, const_cast<char*>("owner")};
    AddOwned(owner, new Logged("first"));
    AddOwned(owner, new Logged("second"));
    Free(owner);
    EXPECT_EQ(g_log, (std::vector<std::string>{"destroy owner", "event owner", "destroy second",
                                               "destroy first"}));
}

int Item(void* p) { return static_cast<int>(reinterpret_cast<intptr_t>(p)); }
void* P(intptr_t v) { return reinterpret_cast<void*>(v); }

TEST(KitListTest, GrowsByStepAndKeepsOrderThroughInsertDeleteAndRemove) {
    KitList* list = NewKitList();
    for (intptr_t v = 1; v <= 5; ++v) list->Add(P(v));
    EXPECT_EQ(list->Count(), 5);
    EXPECT_EQ(list->Capacity(), 8); // full at 4, grown to count + step
    list->Insert(0, P(9));
    list->Insert(6, P(10)); // at the end
    list->Insert(8, P(11)); // past the end: ignored
    EXPECT_EQ(list->Count(), 7);
    EXPECT_EQ(Item(list->ItemAt(0)), 9);
    EXPECT_EQ(Item(list->ItemAt(6)), 10);
    list->DeleteRun(1, 2); // removes 1 and 2
    EXPECT_EQ(Item(list->ItemAt(1)), 3);
    list->Remove(P(4));
    EXPECT_EQ(list->IndexOf(P(4)), -1);
    EXPECT_EQ(list->IndexOf(P(5)), 2);
    EXPECT_EQ(list->ItemAt(-1), nullptr);
    EXPECT_EQ(list->ItemAt(list->Count()), nullptr);
    list->DeleteRun(2, 100); // cut at the end
    EXPECT_EQ(list->Count(), 2);
    Free(list);
}

TEST(KitListTest, NonPositiveGrowthStepCountsAsFour) {
    KitList* list = NewKitList();
    list->SetGrowthStep(0);
    list->Add(P(1));
    EXPECT_EQ(list->Capacity(), 4);
    list->SetGrowthStep(-3);
    for (intptr_t v = 0; v < 4; ++v) list->Add(P(v));
    EXPECT_EQ(list->Capacity(), 8);
    Free(list);
}

} // namespace
} // namespace gleamkit
