// Laying out aligned children (see Control::SetAlign).
#pragma once

#include "winkit/control.h"

namespace gleamkit::winkit {

// Places the control's visible, unlocked aligned children: top and bottom
// ones first, then left and right, then client ones, each inside what the
// earlier ones left with the control's ChildMargin around it. A child whose
// size changed has its own children laid out too. Nothing while the control
// has no window (its first WM_SIZE lays it out).
void Realign(Control& control);

} // namespace gleamkit::winkit
