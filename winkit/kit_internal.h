// State shared by the kit's own source files and not part of its interface:
// the registry of live controls (so a window property naming a control that is
// gone is never followed), the control whose window is being created, and the
// "SELF_" property name.
#pragma once

#include "winkit/control.h"

namespace gleamkit::winkit::detail {

inline constexpr const char* kSelfProperty = "SELF_";

void RegisterLiveControl(Control* control);
void UnregisterLiveControl(Control* control);
// The control when `candidate` is a control that is still alive, else none.
Control* LiveControl(void* candidate);

// The control whose window CreateWindowExA is making (its first message
// binds the window to it).
Control* CreatingControl();
void SetCreatingControl(Control* control);

// Holds a reference to a control for a scope: a Free made meanwhile is
// completed when the scope ends.
class RefHold {
public:
    explicit RefHold(KitObject& object) : m_object(object) { m_object.HoldRef(); }
    ~RefHold() { m_object.DropRef(); }
    RefHold(const RefHold&) = delete;
    RefHold& operator=(const RefHold&) = delete;

private:
    KitObject& m_object;
};

} // namespace gleamkit::winkit::detail
