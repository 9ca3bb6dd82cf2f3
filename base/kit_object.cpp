#include "base/kit_object.h"

#include "base/kit_list.h"

namespace gleamkit {

void KitObject::DropRef() {
    m_refWord -= 2;
    if (m_refWord < 0 && (m_refWord & 1) != 0) DestroyNow();
}

void KitObject::Destroy() {
    Event<> onDestroy = OnDestroy;
    OnDestroy.Clear();
    onDestroy.Fire(this);

    KitList* owned = m_autoFree;
    m_autoFree = nullptr;
    if (owned) {
        for (int32_t i = 0; i < owned->Count(); ++i)
            Free(static_cast<KitObject*>(owned->ItemAt(i)));
        Free(owned);
    }
}

void KitObject::DestroyNow() {
    Destroy();
    delete this;
}

void Free(KitObject* object) {
    if (!object) return;
    if (object->m_refWord == 0) {
        object->DestroyNow();
    } else if ((object->m_refWord & 1) == 0) {
        object->m_refWord -= 1;
    }
}

void AddOwned(KitObject* owner, KitObject* object) {
    if (!owner->m_autoFree) owner->m_autoFree = NewKitList();
    owner->m_autoFree->Insert(0, object);
}

} // namespace gleamkit
