// The paint box: a plain child window (the kit's copy of the system STATIC
// class) whose whole look comes from its OnPaint event.
//
// Usage:
//   Control* view = NewPaintBox(parent);
//   SetOnPaint(*view, DrawPicture, data);   // DrawPicture(data, sender, dc)
// The event gets the device context of the paint in progress; the update
// region is validated afterwards. Without OnPaint the box paints as an empty
// label.
#pragma once

#include "winkit/control.h"

namespace gleamkit::winkit {

// A 40 x 40 paint box at the parent's first child position, visible, without
// border, that repaints itself whenever it is resized. Freed with its parent.
Control* NewPaintBox(Control* parent);

// Stores OnPaint and attaches the paint handler (WM_PAINT, and WM_PRINTCLIENT
// with its device context in wParam).
void SetOnPaint(Control& control, PaintEvent::Procedure procedure, void* data);

// The paint handler: while OnPaint is set, runs it inside BeginPaint/EndPaint
// (or on the context a WM_PRINTCLIENT brings) and answers 0.
bool PaintHandler(Control& control, KitMessage& message, LRESULT& result);

} // namespace gleamkit::winkit
