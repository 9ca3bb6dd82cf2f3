// Events as the kit wires them: a procedure plus the handler data it was
// connected with. The handler receives its data first, then the sender, then
// the event's own arguments. An unset event does nothing when fired.
#pragma once

namespace gleamkit {

class KitObject;

template <typename... Args> struct Event {
    using Procedure = void (*)(void* data, KitObject* sender, Args... args);

    Procedure proc = nullptr;
    void* data = nullptr;

    explicit operator bool() const { return proc != nullptr; }
    void Clear() {
        proc = nullptr;
        data = nullptr;
    }
    void Fire(KitObject* sender, Args... args) const {
        if (proc) proc(data, sender, args...);
    }
};

} // namespace gleamkit
