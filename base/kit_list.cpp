#include "base/kit_list.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace gleamkit {

KitList* NewKitList() {
    return new KitList();
}

void KitList::Grow() {
    const int32_t step = m_growthStep > 0 ? m_growthStep : 4;
    const int32_t capacity = m_count + step;
    void* grown = std::realloc(m_items, static_cast<size_t>(capacity) * sizeof(void*));
    if (!grown) throw std::bad_alloc();
    m_items = static_cast<void**>(grown);
    m_capacity = capacity;
}

void KitList::Add(void* item) {
    Insert(m_count, item);
}

void KitList::Insert(int32_t index, void* item) {
    if (index < 0 || index > m_count) return;
    if (m_count >= m_capacity) Grow();
    std::memmove(m_items + index + 1, m_items + index,
                 static_cast<size_t>(m_count - index) * sizeof(void*));
    m_items[index] = item;
    ++m_count;
}

void KitList::DeleteRun(int32_t index, int32_t count) {
    if (index < 0 || index >= m_count || count <= 0) return;
    if (count > m_count - index) count = m_count - index;
    std::memmove(m_items + index, m_items + index + count,
                 static_cast<size_t>(m_count - index - count) * sizeof(void*));
    m_count -= count;
}

void KitList::Remove(void* item) {
    DeleteRun(IndexOf(item), 1);
}

int32_t KitList::IndexOf(const void* item) const {
    for (int32_t i = 0; i < m_count; ++i)
        if (m_items[i] == item) return i;
    return -1;
}

void* KitList::ItemAt(int32_t index) const {
    if (index < 0 || index >= m_count) return nullptr;
    return m_items[index];
}

void KitList::Destroy() {
    std::free(m_items);
    m_items = nullptr;
    m_count = m_capacity = 0;
    KitObject::Destroy();
}

} // namespace gleamkit
