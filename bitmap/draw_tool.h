// DrawTool: a brush, font or pen whose platform object is made on demand. A
// canvas owns its tools and selects their handles lazily; a tool drops its
// handle whenever a setting really changes, telling its canvas first (OnChange)
// so the old handle is deselected before it is deleted.
//
// Usage: canvas->Brush()->SetColor(MakeColor(255, 0, 0)); the canvas's next
// drawing call selects the new brush. Tools are KitObjects released with Free
// (a canvas frees its own).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "base/color.h"
#include "base/event.h"
#include "base/kit_object.h"
#include "platform/win32_types.h"

namespace gleamkit::bitmap {

enum class ToolKind : uint8_t { Brush = 0, Font = 1, Pen = 2 };

enum class BrushStyle : uint8_t { Solid = 0, Clear = 1 };

class DrawTool : public KitObject {
public:
    ToolKind Kind() const { return m_kind; }

    // The platform object: HBRUSH, HFONT or HPEN, made on first request and
    // remade when a system colour it uses has changed. A tool without its own
    // handle whose settings equal its parent's answers the parent's handle.
    // None when the platform refuses the settings.
    HGDIOBJ Handle();

    Color GetColor() const { return m_color; }
    void SetColor(Color color);

    // Brush settings. A pattern bitmap (owned by the tool from now on and
    // deleted with it) takes precedence over the style; none removes it.
    BrushStyle GetBrushStyle() const;
    void SetBrushStyle(BrushStyle style);
    void SetBrushPattern(HBITMAP pattern);

    // Pen settings: a PS_ style, a width (0 and 1 draw one pixel wide) and the
    // binary raster mode (an R2_ value; R2_COPYPEN by default).
    int GetPenStyle() const;
    void SetPenStyle(int style);
    int32_t GetPenWidth() const;
    void SetPenWidth(int32_t width);
    int GetPenMode() const;
    void SetPenMode(int rop2);

    // Font height as the platform's LOGFONT height: negative for a character
    // height in pixels, positive for a cell height, 0 for the default.
    int32_t GetFontHeight() const;
    void SetFontHeight(int32_t height);

    // Font face name: at most 31 characters are kept.
    const char* GetFontName() const;
    void SetFontName(const char* name);

    // A tool of the same kind whose handle this one shares while their
    // settings are equal; none to share nothing. Not owned.
    void SetParent(DrawTool* parent) { m_parent = parent; }

    // Fired when the handle is dropped because a setting changed, before the
    // old handle is deleted.
    Event<> OnChange;

protected:
    void Destroy() override;

private:
    friend DrawTool* NewBrush();
    friend DrawTool* NewFont();
    friend DrawTool* NewPen();
    friend DrawTool* AssignDrawTool(DrawTool* target, const DrawTool* source);

    static constexpr size_t kRecordSize = 60;

    bool SameSettings(const DrawTool& other) const;
    HGDIOBJ MakeHandle();
    // Takes the handle out, tells OnChange, then deletes the old handle.
    void Drop();
    template <typename T> T Field(size_t offset) const;
    template <typename T> void SetField(size_t offset, T value);

    ToolKind m_kind = ToolKind::Brush;
    HGDIOBJ m_handle = nullptr;
    DrawTool* m_parent = nullptr;
    Color m_cachedRgb = 0;
    Color m_color = 0;
    // By kind. Brush: pattern HBITMAP at 0, style byte at 8. Font: LOGFONTA.
    // Pen: style byte at 0, width at 4, mode (R2_ value minus 1) at 8.
    std::array<uint8_t, kRecordSize> m_record{};
};

// A solid brush of the button-face system colour.
DrawTool* NewBrush();
// The window-text system colour, DEFAULT_CHARSET, face "MS Sans Serif".
DrawTool* NewFont();
// A black solid pen of width 0 drawing with R2_COPYPEN.
DrawTool* NewPen();

// Copies `source`'s colour and settings into `target` and answers the tool
// that results: `source` none frees `target` and answers none; `target` none
// makes a new tool of the source's kind (the caller owns it).
DrawTool* AssignDrawTool(DrawTool* target, const DrawTool* source);

} // namespace gleamkit::bitmap
