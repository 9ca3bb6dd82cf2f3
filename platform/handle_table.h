// Typed handle tables of the platform layer. A handle is a pointer-sized value
// that encodes its table's tag, a slot and the slot's generation, so a stale
// handle (its object deleted, the slot reused) or one from another table finds
// nothing instead of a wrong object. Handle values are never below 2^32, which
// keeps them apart from small integers that Win32 lets stand for handles
// (a system-colour brush is COLOR_x + 1).
//
// Usage: one table per kind of object, held by the module that owns the kind:
//   HandleTable<Pen> pens(HandleTag::Pen);
//   uintptr_t h = pens.Insert(std::make_unique<Pen>(...));
//   if (Pen* pen = pens.Find(h)) ...;     // nullptr for a stale or foreign handle
//   pens.Remove(h);                       // the object is destroyed
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

// Each kind of platform object has its own tag; tags must be unique across the
// whole platform layer so that a handle of one kind never resolves in another
// kind's table.
enum class HandleTag : uint8_t {
    DeviceContext = 1,
    Bitmap = 2,
    Brush = 3,
    Pen = 4,
    Font = 5,
    Region = 6,
    Window = 16,
    Menu = 17,
    Accelerator = 18,
    Icon = 19,
    File = 20,
};

template <typename T> class HandleTable {
public:
    explicit HandleTable(HandleTag tag) : m_tag(tag) {}
    HandleTable(const HandleTable&) = delete;
    HandleTable& operator=(const HandleTable&) = delete;

    // Takes ownership of `object` and answers its new handle; 0 (and the object
    // is destroyed) only when 2^24 objects of this kind are alive at once.
    uintptr_t Insert(std::unique_ptr<T> object) {
        uint32_t slot;
        if (!m_free.empty()) {
            slot = m_free.back();
            m_free.pop_back();
        } else {
            if (m_slots.size() >= kMaxSlots) return 0;
            slot = static_cast<uint32_t>(m_slots.size());
            m_slots.push_back(Slot{});
        }
        m_slots[slot].object = std::move(object);
        return Encode(slot, m_slots[slot].generation);
    }

    // The object behind `handle`, or nullptr when the handle is 0, stale, or
    // belongs to another table.
    T* Find(uintptr_t handle) const {
        const Slot* slot = SlotOf(handle);
        return slot ? slot->object.get() : nullptr;
    }

    // Takes the object out of the table and answers it (nullptr for a handle
    // that Find would not resolve). The handle is dead from now on.
    std::unique_ptr<T> Remove(uintptr_t handle) {
        Slot* slot = const_cast<Slot*>(SlotOf(handle));
        if (!slot || !slot->object) return nullptr;
        std::unique_ptr<T> object = std::move(slot->object);
        slot->generation = slot->generation == UINT32_MAX ? 1 : slot->generation + 1;
        m_free.push_back(static_cast<uint32_t>(slot - m_slots.data()));
        return object;
    }

    // The tag encoded in any handle value (0 when it is no table's handle).
    static uint8_t TagOf(uintptr_t handle) {
        return (handle >> 32) == 0 ? 0 : static_cast<uint8_t>(handle & 0xFF);
    }

    // Calls fn(handle, object) for every live object.
    template <typename Fn> void ForEach(Fn&& fn) const {
        for (uint32_t i = 0; i < m_slots.size(); ++i) {
            if (m_slots[i].object) fn(Encode(i, m_slots[i].generation), m_slots[i].object.get());
        }
    }

private:
    static_assert(sizeof(uintptr_t) == 8, "handles carry a 32-bit generation");
    static constexpr std::size_t kMaxSlots = std::size_t{1} << 24;

    struct Slot {
        std::unique_ptr<T> object;
        uint32_t generation = 1;
    };

    uintptr_t Encode(uint32_t slot, uint32_t generation) const {
        return (static_cast<uintptr_t>(generation) << 32) | (static_cast<uintptr_t>(slot) << 8) |
               static_cast<uintptr_t>(m_tag);
    }

    const Slot* SlotOf(uintptr_t handle) const {
        if (TagOf(handle) != static_cast<uint8_t>(m_tag)) return nullptr;
        const uint32_t slot = static_cast<uint32_t>((handle >> 8) & 0xFFFFFF);
        if (slot >= m_slots.size()) return nullptr;
        const Slot& entry = m_slots[slot];
        if (entry.generation != static_cast<uint32_t>(handle >> 32) || !entry.object) {
            return nullptr;
        }
        return &entry;
    }

    std::vector<Slot> m_slots;
    std::vector<uint32_t> m_free;
    HandleTag m_tag;
};
