// Alignment: children aligned to an edge (or to the whole client area) are laid
// out again whenever their parent's size changes or a child becomes visible.
// Top and bottom children take the full width first, then left and right ones
// the remaining height, then client children what is left.
#include "winkit/align.h"

#include "winkit/application.h"

namespace gleamkit::winkit {

namespace {

bool InPass(Align align, int pass) {
    switch (pass) {
    case 0:
        return align == Align::Top || align == Align::Bottom;
    case 1:
        return align == Align::Left || align == Align::Right;
    default:
        return align == Align::Client;
    }
}

// Places a child of size `current` against its edge of `remaining` with
// `margin` around it, and shrinks `remaining` by what the child took.
Rect PlaceChild(Align align, const Rect& current, Rect& remaining, int32_t margin) {
    const int32_t width = current.Right - current.Left;
    const int32_t height = current.Bottom - current.Top;
    Rect placed;
    switch (align) {
    case Align::Top:
        placed = MakeRect(remaining.Left + margin, remaining.Top + margin, remaining.Right - margin,
                          remaining.Top + margin + height);
        remaining.Top += height + margin;
        break;
    case Align::Bottom:
        placed = MakeRect(remaining.Left + margin, remaining.Bottom - margin - height,
                          remaining.Right - margin, remaining.Bottom - margin);
        remaining.Bottom -= height + margin;
        break;
    case Align::Left:
        placed = MakeRect(remaining.Left + margin, remaining.Top + margin,
                          remaining.Left + margin + width, remaining.Bottom - margin);
        remaining.Left += width + margin;
        break;
    case Align::Right:
        placed = MakeRect(remaining.Right - margin - width, remaining.Top + margin,
                          remaining.Right - margin, remaining.Bottom - margin);
        remaining.Right -= width + margin;
        break;
    default:
        placed = MakeRect(remaining.Left + margin, remaining.Top + margin, remaining.Right - margin,
                          remaining.Bottom - margin);
        break;
    }
    if (placed.Right < placed.Left) placed.Right = placed.Left;
    if (placed.Bottom < placed.Top) placed.Bottom = placed.Top;
    return placed;
}

} // namespace

void Realign(Control& control) {
    // Laying out children resizes them, and a child's WM_SIZE asks for its
    // parent's layout again: that inner request finds the layout in progress.
    if (control.IsRealigning() || !control.Handle()) return;
    control.SetRealigning(true);
    struct Done {
        Control& control;
        ~Done() { control.SetRealigning(false); }
    } done{control};

    Rect remaining = control.ClientRect();
    const int32_t margin = control.ChildMargin();
    for (int pass = 0; pass < 3; ++pass) {
        for (int32_t i = 0; i < control.ChildCount(); ++i) {
            Control* child = control.Child(i);
            if (!InPass(child->GetAlign(), pass) || child->AlignLocked()) continue;
            if (!child->CountsAsVisible()) continue;
            const Rect current = child->FullRect();
            const Rect placed = PlaceChild(child->GetAlign(), current, remaining, margin);
            if (placed == current) continue;
            child->SetBounds(placed);
            if (placed.Right - placed.Left != current.Right - current.Left ||
                placed.Bottom - placed.Top != current.Bottom - current.Top)
                Realign(*child);
        }
    }
}

void Control::SetAlign(Align align) {
    if (align == m_align || m_alignLocked) return;
    m_align = align;
    InstallRealignHook(Realign);
    if (m_parent) Realign(*m_parent);
}

} // namespace gleamkit::winkit
