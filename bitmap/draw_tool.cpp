// DrawTool settings, handle making and the drop rule. Settings live in a
// zero-filled 60-byte record so that two tools compare equal byte for byte
// exactly when their platform objects would be the same.
#include "bitmap/draw_tool.h"

#include <cstddef>
#include <cstring>

#include "platform/win32.h"

namespace gleamkit::bitmap {
namespace {

constexpr size_t kPatternOffset = 0;
constexpr size_t kBrushStyleOffset = 8;
constexpr size_t kPenStyleOffset = 0;
constexpr size_t kPenWidthOffset = 4;
constexpr size_t kPenModeOffset = 8;
constexpr size_t kFontHeightOffset = offsetof(LOGFONTA, lfHeight);
constexpr size_t kFaceNameOffset = offsetof(LOGFONTA, lfFaceName);

static_assert(sizeof(LOGFONTA) == 60);

DrawTool* NewTool(ToolKind kind, Color color);

} // namespace

template <typename T> T DrawTool::Field(size_t offset) const {
    T value;
    std::memcpy(&value, m_record.data() + offset, sizeof(T));
    return value;
}

template <typename T> void DrawTool::SetField(size_t offset, T value) {
    std::memcpy(m_record.data() + offset, &value, sizeof(T));
}

HGDIOBJ DrawTool::Handle() {
    if (m_handle && ResolveColor(m_color) != m_cachedRgb) Drop();
    if (!m_handle) {
        if (m_parent && SameSettings(*m_parent)) return m_parent->Handle();
        m_cachedRgb = ResolveColor(m_color);
        m_handle = MakeHandle();
    }
    return m_handle;
}

HGDIOBJ DrawTool::MakeHandle() {
    const auto rgb = static_cast<COLORREF>(m_cachedRgb);
    switch (m_kind) {
    case ToolKind::Brush: {
        LOGBRUSH brush{BS_SOLID, rgb, 0};
        if (const auto pattern = Field<HBITMAP>(kPatternOffset)) {
            brush.lbStyle = BS_PATTERN;
            brush.lbHatch = reinterpret_cast<ULONG_PTR>(pattern);
        } else if (GetBrushStyle() == BrushStyle::Clear) {
            brush.lbStyle = BS_NULL;
        }
        return CreateBrushIndirect(&brush);
    }
    case ToolKind::Font: {
        LOGFONTA font;
        std::memcpy(&font, m_record.data(), sizeof(font));
        return CreateFontIndirectA(&font);
    }
    case ToolKind::Pen: {
        const LOGPEN pen{static_cast<UINT>(GetPenStyle()), POINT{GetPenWidth(), 0}, rgb};
        return CreatePenIndirect(&pen);
    }
    }
    return nullptr;
}

void DrawTool::Drop() {
    HGDIOBJ old = m_handle;
    m_handle = nullptr;
    OnChange.Fire(this);
    if (old) DeleteObject(old);
}

bool DrawTool::SameSettings(const DrawTool& other) const {
    return m_kind == other.m_kind && m_color == other.m_color && m_record == other.m_record;
}

void DrawTool::SetColor(Color color) {
    if (color == m_color) return;
    m_color = color;
    Drop();
    m_cachedRgb = ResolveColor(color);
}

BrushStyle DrawTool::GetBrushStyle() const {
    return static_cast<BrushStyle>(Field<uint8_t>(kBrushStyleOffset));
}

void DrawTool::SetBrushStyle(BrushStyle style) {
    if (m_kind != ToolKind::Brush || style == GetBrushStyle()) return;
    SetField<uint8_t>(kBrushStyleOffset, static_cast<uint8_t>(style));
    Drop();
}

void DrawTool::SetBrushPattern(HBITMAP pattern) {
    const auto old = Field<HBITMAP>(kPatternOffset);
    if (m_kind != ToolKind::Brush || pattern == old) return;
    SetField<HBITMAP>(kPatternOffset, pattern);
    Drop();
    if (old) DeleteObject(old);
}

int DrawTool::GetPenStyle() const {
    return Field<uint8_t>(kPenStyleOffset);
}

void DrawTool::SetPenStyle(int style) {
    if (m_kind != ToolKind::Pen || style == GetPenStyle()) return;
    SetField<uint8_t>(kPenStyleOffset, static_cast<uint8_t>(style));
    Drop();
}

int32_t DrawTool::GetPenWidth() const {
    return Field<int32_t>(kPenWidthOffset);
}

void DrawTool::SetPenWidth(int32_t width) {
    if (m_kind != ToolKind::Pen || width == GetPenWidth()) return;
    SetField<int32_t>(kPenWidthOffset, width);
    Drop();
}

int DrawTool::GetPenMode() const {
    return Field<uint8_t>(kPenModeOffset) + 1;
}

void DrawTool::SetPenMode(int rop2) {
    if (m_kind != ToolKind::Pen || rop2 == GetPenMode()) return;
    SetField<uint8_t>(kPenModeOffset, static_cast<uint8_t>(rop2 - 1));
    Drop();
}

int32_t DrawTool::GetFontHeight() const {
    return Field<int32_t>(kFontHeightOffset);
}

void DrawTool::SetFontHeight(int32_t height) {
    if (m_kind != ToolKind::Font || height == GetFontHeight()) return;
    SetField<int32_t>(kFontHeightOffset, height);
    Drop();
}

const char* DrawTool::GetFontName() const {
    return reinterpret_cast<const char*>(m_record.data() + kFaceNameOffset);
}

void DrawTool::SetFontName(const char* name) {
    if (m_kind != ToolKind::Font || !name || std::strncmp(name, GetFontName(), LF_FACESIZE) == 0)
        return;
    char* face = reinterpret_cast<char*>(m_record.data() + kFaceNameOffset);
    std::memset(face, 0, LF_FACESIZE);
    std::strncpy(face, name, LF_FACESIZE - 1);
    Drop();
}

void DrawTool::Destroy() {
    if (m_handle) DeleteObject(m_handle);
    m_handle = nullptr;
    if (m_kind == ToolKind::Brush) {
        if (const auto pattern = Field<HBITMAP>(kPatternOffset)) DeleteObject(pattern);
    }
    KitObject::Destroy();
}

namespace {

DrawTool* NewTool(ToolKind kind, Color color) {
    DrawTool* tool = nullptr;
    switch (kind) {
    case ToolKind::Brush:
        tool = NewBrush();
        break;
    case ToolKind::Font:
        tool = NewFont();
        break;
    case ToolKind::Pen:
        tool = NewPen();
        break;
    }
    tool->SetColor(color);
    return tool;
}

} // namespace

DrawTool* NewBrush() {
    auto* tool = new DrawTool();
    tool->m_kind = ToolKind::Brush;
    tool->m_color = SystemColor(COLOR_BTNFACE);
    return tool;
}

DrawTool* NewFont() {
    auto* tool = new DrawTool();
    tool->m_kind = ToolKind::Font;
    tool->m_color = SystemColor(COLOR_WINDOWTEXT);
    LOGFONTA font{};
    font.lfCharSet = DEFAULT_CHARSET;
    std::strcpy(font.lfFaceName, "MS Sans Serif");
    std::memcpy(tool->m_record.data(), &font, sizeof(font));
    return tool;
}

DrawTool* NewPen() {
    auto* tool = new DrawTool();
    tool->m_kind = ToolKind::Pen;
    tool->m_color = 0;
    tool->SetField<uint8_t>(kPenModeOffset, R2_COPYPEN - 1);
    return tool;
}

DrawTool* AssignDrawTool(DrawTool* target, const DrawTool* source) {
    if (!source) {
        Free(target);
        return nullptr;
    }
    if (!target) target = NewTool(source->m_kind, source->m_color);
    if (target == source) return target;
    target->Drop();
    if (target->m_kind == ToolKind::Brush) {
        // A pattern bitmap belongs to one tool: the copy gets its own.
        if (const auto old = target->Field<HBITMAP>(kPatternOffset)) DeleteObject(old);
    }
    target->m_kind = source->m_kind;
    target->m_color = source->m_color;
    target->m_record = source->m_record;
    if (target->m_kind == ToolKind::Brush) {
        if (const auto pattern = source->Field<HBITMAP>(kPatternOffset))
            target->SetField<HBITMAP>(
                kPatternOffset, static_cast<HBITMAP>(CopyImage(pattern, IMAGE_BITMAP, 0, 0, 0)));
    }
    target->m_cachedRgb = ResolveColor(target->m_color);
    target->Drop();
    return target;
}

} // namespace gleamkit::bitmap
