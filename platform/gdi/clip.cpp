// Region handles and clipping: the Win32 region calls over gdi::Region, and
// the clip region of a context (context coordinates, intersected with what
// the context can reach whenever it draws).
#include "platform/gdi/gdi_objects.h"

using namespace gdi;

namespace {

// What a context can reach, in context coordinates, clip region included.
bool EffectiveClip(HDC handle, Region& clip, int& offsetX, int& offsetY) {
    DrawTarget target;
    if (!ResolveTarget(handle, target)) return false;
    clip = std::move(target.clip);
    offsetX = target.offsetX;
    offsetY = target.offsetY;
    clip.Offset(-offsetX, -offsetY);
    return true;
}

int EffectiveType(HDC handle) {
    Region clip;
    int offsetX, offsetY;
    return EffectiveClip(handle, clip, offsetX, offsetY) ? clip.Type() : ERROR;
}

// The context's whole drawable area in context coordinates.
Region Bounds(const DeviceContext& dc) {
    if (dc.memory) {
        const Bitmap* bitmap = FindBitmap(dc.bitmap);
        return bitmap ? Region::FromRect(0, 0, bitmap->width, bitmap->height) : Region();
    }
    return Region::FromRect(-dc.originX, -dc.originY, dc.surface->width - dc.originX,
                            dc.surface->height - dc.originY);
}

} // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
    return AddRegion(Region::FromRect(left, top, right, bottom));
}

HRGN CreateRectRgnIndirect(const RECT* rect) {
    if (!rect) return nullptr;
    return CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

BOOL SetRectRgn(HRGN handle, int left, int top, int right, int bottom) {
    Region* region = FindRegion(handle);
    if (!region) return FALSE;
    *region = Region::FromRect(left, top, right, bottom);
    return TRUE;
}

int CombineRgn(HRGN target, HRGN a, HRGN b, int mode) {
    Region* result = FindRegion(target);
    const Region* first = FindRegion(a);
    if (!result || !first) return ERROR;
    if (mode == RGN_COPY) {
        *result = *first;
        return result->Type();
    }
    const Region* second = FindRegion(b);
    if (!second) return ERROR;
    Region::Op op;
    switch (mode) {
    case RGN_AND:
        op = Region::Op::And;
        break;
    case RGN_OR:
        op = Region::Op::Or;
        break;
    case RGN_XOR:
        op = Region::Op::Xor;
        break;
    case RGN_DIFF:
        op = Region::Op::Diff;
        break;
    default:
        return ERROR;
    }
    *result = Region::Combine(*first, *second, op);
    return result->Type();
}

int OffsetRgn(HRGN handle, int x, int y) {
    Region* region = FindRegion(handle);
    if (!region) return ERROR;
    region->Offset(x, y);
    return region->Type();
}

int GetRgnBox(HRGN handle, LPRECT box) {
    const Region* region = FindRegion(handle);
    if (!region || !box) return ERROR;
    *box = region->Box();
    return region->Type();
}

BOOL PtInRegion(HRGN handle, int x, int y) {
    const Region* region = FindRegion(handle);
    return region && region->Contains(x, y) ? TRUE : FALSE;
}

BOOL RectInRegion(HRGN handle, const RECT* rect) {
    const Region* region = FindRegion(handle);
    return region && rect && region->Intersects(*rect) ? TRUE : FALSE;
}

BOOL EqualRgn(HRGN a, HRGN b) {
    const Region* first = FindRegion(a);
    const Region* second = FindRegion(b);
    return first && second && *first == *second ? TRUE : FALSE;
}

int SelectClipRgn(HDC handle, HRGN region) {
    DeviceContext* dc = FindDC(handle);
    if (!dc) return ERROR;
    if (!region) {
        dc->clip.reset();
    } else {
        const Region* clip = FindRegion(region);
        if (!clip) return ERROR;
        dc->clip = *clip;
    }
    return EffectiveType(handle);
}

int IntersectClipRect(HDC handle, int left, int top, int right, int bottom) {
    DeviceContext* dc = FindDC(handle);
    if (!dc) return ERROR;
    const Region rect = Region::FromRect(left, top, right, bottom);
    dc->clip = dc->clip ? Region::Combine(*dc->clip, rect, Region::Op::And) : rect;
    return EffectiveType(handle);
}

int ExcludeClipRect(HDC handle, int left, int top, int right, int bottom) {
    DeviceContext* dc = FindDC(handle);
    if (!dc) return ERROR;
    const Region rect = Region::FromRect(left, top, right, bottom);
    dc->clip = Region::Combine(dc->clip ? *dc->clip : Bounds(*dc), rect, Region::Op::Diff);
    return EffectiveType(handle);
}

int GetClipRgn(HDC handle, HRGN region) {
    DeviceContext* dc = FindDC(handle);
    Region* target = FindRegion(region);
    if (!dc || !target) return -1;
    if (!dc->clip) return 0;
    *target = *dc->clip;
    return 1;
}

int GetClipBox(HDC handle, LPRECT box) {
    Region clip;
    int offsetX, offsetY;
    if (!box || !EffectiveClip(handle, clip, offsetX, offsetY)) return ERROR;
    *box = clip.Box();
    return clip.Type();
}
