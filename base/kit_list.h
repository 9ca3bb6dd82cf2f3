// The kit list: a growable array of pointer-sized items. A full list grows to
// count + growth step (a step of 0 or less counts as 4). Freeing the list
// releases its item memory, never the items themselves.
#pragma once

#include <cstdint>

#include "base/kit_object.h"

namespace gleamkit {

class KitList : public KitObject {
public:
    int32_t Count() const { return m_count; }
    int32_t Capacity() const { return m_capacity; }
    void SetGrowthStep(int32_t step) { m_growthStep = step; }

    void Add(void* item);
    // Inserts at `index` (0 .. Count), shifting the rest up; other indices are
    // ignored.
    void Insert(int32_t index, void* item);
    // Deletes `count` items from `index`; the run is cut to the list's end.
    void DeleteRun(int32_t index, int32_t count);
    // Removes the first occurrence of `item`, if any.
    void Remove(void* item);
    // Index of the first occurrence, -1 when absent.
    int32_t IndexOf(const void* item) const;
    // The item at `index`, or nullptr outside 0 .. Count - 1.
    void* ItemAt(int32_t index) const;

protected:
    void Destroy() override;

private:
    void Grow();

    void** m_items = nullptr;
    int32_t m_count = 0;
    int32_t m_capacity = 0;
    int32_t m_growthStep = 4;
};

// A new empty list with growth step 4.
KitList* NewKitList();

} // namespace gleamkit
