// The scroll box: a child window that scrolls the controls inside it. A
// scrolling box keeps its scroll ranges equal to the extent of its visible
// children (adding, moving, resizing or showing a child, and resizing the box,
// all update them) and moves the children when the user scrolls; a child at
// content position x sits at x - scroll position.
//
// Usage:
//   Control* box = NewScrollingBox(form, ScrollEdge::Lowered);
//   box->SetAlign(Align::Client);          // fills the form's client area
//   Control* view = NewPaintBox(box);      // scrolled inside the box
#pragma once

#include "winkit/control.h"

namespace gleamkit::winkit {

enum class ScrollEdge : uint8_t {
    Raised = 0,  // WS_DLGFRAME
    Lowered = 1, // sunken client edge (ctl-3D)
    None = 2,
};

// Bars shown whatever the content: bit 0 horizontal, bit 1 vertical.
enum class ScrollBars : uint8_t { None = 0, Horizontal = 1, Vertical = 2, Both = 3 };

// Pixels one SB_LINEUP / SB_LINEDOWN moves a scrolling box.
inline constexpr int32_t kScrollLineStep = 16;

// A scroll box (window class "obj_ScrollBox") in `parent` with the form,
// scroll and erase handlers; `bars` may fix bars on. It does not follow its
// children until it gets the children-changed and scrolled steps (see
// NewScrollingBox). Freed with its parent.
Control* NewScrollBox(Control* parent, ScrollEdge edge, ScrollBars bars);

// A scroll box without fixed bars, line steps 16 and the children-changed and
// scrolled steps installed, so that it scrolls its children.
Control* NewScrollingBox(Control* parent, ScrollEdge edge);

// The rectangle the box's visible children cover (each counted when it and
// its ancestors are visible), widened by the box's ChildMargin; right and
// bottom are its last pixel (inclusive) after the margin.
Rect ChildrenExtent(Control& box);

// The scroll handler: WM_SIZE reruns the children-changed step; WM_HSCROLL and
// WM_VSCROLL move the position by the scroll code and run the scrolled step.
bool ScrollHandler(Control& box, KitMessage& message, LRESULT& result);

// The scrolling box's steps: with a child, watch it; without, fit the ranges
// to the children's extent and the client area (keeping each position's
// relative place in its range).
void ScrollingBoxChildrenChanged(Control& box, Control* child);
// Moves every child so the extent's corner sits at minus the scroll positions.
void ScrollingBoxScrolled(Control& box);

} // namespace gleamkit::winkit
