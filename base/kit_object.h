// The kit object base: every object of the window kit and the bitmap layer
// derives from it. It carries the reference word that defers a Free made while
// a handler still uses the object, the OnDestroy event, and the auto-free list
// of objects that go with this one.
//
// Usage: objects are made by their New... function and released with Free().
// A handler that must survive a Free of its own object brackets its work with
// HoldRef()/DropRef(); the last DropRef completes a pending Free.
#pragma once

#include <cstdint>

#include "base/event.h"

namespace gleamkit {

class KitList;

class KitObject {
public:
    KitObject() = default;
    KitObject(const KitObject&) = delete;
    KitObject& operator=(const KitObject&) = delete;

    // Adds 2 to the reference word.
    void HoldRef() { m_refWord += 2; }
    // Subtracts 2; destroys the object when the word turns negative with the
    // pending-free bit set (a Free was asked for while references were held).
    void DropRef();

    // Fired once, with this object as sender, when the object is destroyed.
    Event<> OnDestroy;

    // 2 x reference count, plus bit 0 when a free is pending.
    int32_t RefWord() const { return m_refWord; }
    bool FreePending() const { return (m_refWord & 1) != 0; }

    friend void Free(KitObject* object);
    friend void AddOwned(KitObject* owner, KitObject* object);

protected:
    virtual ~KitObject() = default;

    // Runs when the object is destroyed. Derived kinds override it and call
    // KitObject::Destroy() at the point their destroy order needs the base part:
    // OnDestroy is taken out (so it fires once) and fired, then the auto-free
    // list is run from its front and freed. The memory goes after Destroy.
    virtual void Destroy();

private:
    void DestroyNow();

    int32_t m_refWord = 0;
    KitList* m_autoFree = nullptr;
};

// Frees the object: at once when no reference is held and no free is pending;
// nothing when a free is already pending; otherwise marks the free pending so
// the DropRef that releases the last reference destroys it. Free(nullptr) does
// nothing.
void Free(KitObject* object);

// Puts `object` at the front of the owner's auto-free list, so the object added
// last is freed first when the owner is destroyed.
void AddOwned(KitObject* owner, KitObject* object);

// Frees *object and sets the variable to none.
template <typename T> void FreeAndNull(T*& object) {
    KitObject* old = object;
    object = nullptr;
    Free(old);
}

} // namespace gleamkit
