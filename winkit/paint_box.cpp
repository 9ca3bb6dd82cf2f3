// The paint box and the paint handler that hands a control's paint device
// context to its OnPaint event.
#include "winkit/paint_box.h"

#include "bitmap/canvas.h"

namespace gleamkit::winkit {

namespace {

constexpr DWORD kPaintBoxStyle =
    WS_CHILD | WS_VISIBLE | SS_NOTIFY | SS_NOPREFIX | SS_LEFTNOWORDWRAP;
// A label starts 22 pixels high; the paint box is then made 24 narrower and
// 18 higher than a label, which gives 40 x 40 from the 64-pixel start.
constexpr int32_t kPaintBoxSize = 40;

// Ends the paint on every way out of the event, exceptions included: the
// window must be validated and the control's paint context given back.
class PaintScope {
public:
    PaintScope(Control& control, HWND window, HDC given)
        : m_control(control), m_window(window), m_savedDC(control.PaintDC()) {
        m_dc = given;
        if (!m_dc) {
            m_dc = BeginPaint(window, &m_paint);
            m_began = true;
        }
        control.SetPaintDC(m_dc);
    }
    ~PaintScope() {
        // The canvas lets the paint context go without releasing it: EndPaint
        // does that.
        if (m_control.HasCanvas()) {
            bitmap::Canvas* canvas = m_control.Canvas();
            if (canvas->HeldContext() == m_dc) {
                canvas->SetPaintFlag(true);
                canvas->SetHandle(nullptr);
            }
        }
        if (m_began) EndPaint(m_window, &m_paint);
        m_control.SetPaintDC(m_savedDC);
    }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;

    HDC DC() const { return m_dc; }

private:
    Control& m_control;
    HWND m_window;
    HDC m_savedDC;
    HDC m_dc = nullptr;
    PAINTSTRUCT m_paint{};
    bool m_began = false;
};

} // namespace

Control* NewPaintBox(Control* parent) {
    Control* box = NewChildControl(parent, "STATIC", kPaintBoxStyle, Ctl3D::Off, &kLabelActions);
    box->SetRepaintOnResize(true);
    box->SetCaption("");
    const Rect start = box->FullRect();
    box->SetBounds(
        MakeRect(start.Left, start.Top, start.Left + kPaintBoxSize, start.Top + kPaintBoxSize));
    return box;
}

void SetOnPaint(Control& control, PaintEvent::Procedure procedure, void* data) {
    control.OnPaint = {procedure, data};
    control.AttachHandler(PaintHandler);
}

bool PaintHandler(Control& control, KitMessage& message, LRESULT& result) {
    if (message.Message != WM_PAINT && message.Message != WM_PRINTCLIENT) return false;
    if (!control.OnPaint) return false;
    {
        PaintScope paint(control, message.Window, reinterpret_cast<HDC>(message.WParam));
        control.OnPaint.Fire(&control, paint.DC());
    }
    result = 0;
    return true;
}

} // namespace gleamkit::winkit
