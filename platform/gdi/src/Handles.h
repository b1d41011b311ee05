#pragma once

// The table of drawing objects behind every GDI handle, and the objects themselves.

#include <gdi/Fonts.h>
#include <gdi/Objects.h>
#include <gdi/Surface.h>

#include <memory>
#include <optional>
#include <vector>

namespace gdi::detail {

class FontFace;

enum class Kind { Pen, Brush, Font, Bitmap, Region, Dc, Icon };

struct Object {
    explicit Object(Kind k)
        : kind(k)
    {
    }
    virtual ~Object() = default;
    Kind kind;
    bool stock = false;
};

struct Pen : Object {
    Pen()
        : Object(Kind::Pen)
    {
    }
    int style = PS_SOLID;
    int width = 1;
    COLORREF color = 0;
};

struct Brush : Object {
    Brush()
        : Object(Kind::Brush)
    {
    }
    UINT style = BS_SOLID;
    COLORREF color = 0;
    int hatch = 0;
};

struct Font : Object {
    Font()
        : Object(Kind::Font)
    {
    }
    LOGFONTA logfont {};
    std::shared_ptr<FontFace> face; // null when the font file cannot be loaded
};

struct Bitmap : Object {
    Bitmap()
        : Object(Kind::Bitmap)
    {
    }
    std::shared_ptr<Surface> surface;
    int declared_bpp = 32;
    // DIB sections: memory handed to the caller.
    bool dib = false;
    void* bits = nullptr;
    std::vector<BYTE> dib_memory;
    std::ptrdiff_t dib_stride = 0; // bytes, positive
    bool bottom_up = false;
    HDC selected_in = nullptr;     // guarded by the table lock

    // 24-bit DIB sections keep their bits apart from the surface.
    bool needs_sync() const { return dib && declared_bpp == 24; }
    void load_from_bits();
    void store_to_bits();
};

struct Region : Object {
    Region()
        : Object(Kind::Region)
    {
    }
    RECT rect {};
};

struct Icon : Object {
    Icon()
        : Object(Kind::Icon)
    {
    }
    std::shared_ptr<Surface> image;
};

// The part of a DC's state that SaveDC/RestoreDC keep.
struct DcState {
    HPEN pen_handle = nullptr;
    std::shared_ptr<Pen> pen;
    HBRUSH brush_handle = nullptr;
    std::shared_ptr<Brush> brush;
    HFONT font_handle = nullptr;
    std::shared_ptr<Font> font;
    HBITMAP bitmap_handle = nullptr;
    std::shared_ptr<Bitmap> bitmap;
    COLORREF text_color = 0;
    COLORREF bk_color = 0xFFFFFF;
    int bk_mode = 2;
    UINT text_align = 0;
    POINT viewport { 0, 0 };
    POINT position { 0, 0 };
    std::optional<RECT> clip; // device coordinates
    int stretch_mode = 1;
    int fill_mode = 1;
};

struct Dc : Object {
    Dc()
        : Object(Kind::Dc)
    {
    }
    bool memory = false;
    std::shared_ptr<Surface> surface; // non-memory DCs
    POINT origin { 0, 0 };
    std::optional<RECT> base_clip; // device coordinates
    HWND window = nullptr;
    DcState state;
    std::vector<DcState> saved;
};

// Adds an object; returns its new handle.
void* add(std::shared_ptr<Object> object);
// The live object of a kind behind a handle, or nullptr.
std::shared_ptr<Object> find(const void* handle);
template<typename T>
std::shared_ptr<T> find_as(const void* handle, Kind kind)
{
    auto object = find(handle);
    if (!object || object->kind != kind)
        return nullptr;
    return std::static_pointer_cast<T>(object);
}
// Removes a handle; false when it was not there.
bool remove(const void* handle);

// Marks a bitmap selected into a DC (or none); fails when another DC holds it.
bool claim_bitmap(Bitmap& bitmap, HDC dc);
void release_bitmap(Bitmap& bitmap, HDC dc);
bool bitmap_selected(const Bitmap& bitmap);

// Stock objects, made on first use.
HGDIOBJ stock(int index);
// The brush behind an HBRUSH, or a system colour brush for (HBRUSH)(COLOR_xxx + 1).
std::shared_ptr<Brush> brush_for(HBRUSH handle);
// The font for the dialog (and the font that fonts without a face fall back to).
std::shared_ptr<Font> make_font(const LOGFONTA& logfont);

}

namespace gdi::detail {

// A copy of a surface scaled to width x height: area averaging (alpha-weighted) when shrinking,
// nearest pixel when enlarging.
Surface scaled(const Surface& source, int width, int height);

}
