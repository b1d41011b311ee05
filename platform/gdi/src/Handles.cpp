#include "Handles.h"

#include <gdi/Colors.h>
#include <gdi/DeviceContext.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace gdi::detail {

namespace {

struct Table {
    std::mutex lock;
    std::unordered_map<std::uintptr_t, std::shared_ptr<Object>> objects;
    std::uintptr_t next = 0x10000;
};

Table& table()
{
    static Table* t = new Table; // outlives every static destructor that might release objects
    return *t;
}

}

void* add(std::shared_ptr<Object> object)
{
    auto& t = table();
    std::lock_guard guard(t.lock);
    std::uintptr_t id = t.next;
    t.next += 4;
    t.objects.emplace(id, std::move(object));
    return reinterpret_cast<void*>(id);
}

std::shared_ptr<Object> find(const void* handle)
{
    if (!handle)
        return nullptr;
    auto& t = table();
    std::lock_guard guard(t.lock);
    auto it = t.objects.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == t.objects.end() ? nullptr : it->second;
}

bool remove(const void* handle)
{
    std::shared_ptr<Object> doomed; // released outside the lock
    auto& t = table();
    std::lock_guard guard(t.lock);
    auto it = t.objects.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == t.objects.end())
        return false;
    doomed = std::move(it->second);
    t.objects.erase(it);
    return true;
}

bool claim_bitmap(Bitmap& bitmap, HDC dc)
{
    std::lock_guard guard(table().lock);
    if (bitmap.selected_in && bitmap.selected_in != dc)
        return false;
    bitmap.selected_in = dc;
    return true;
}

void release_bitmap(Bitmap& bitmap, HDC dc)
{
    std::lock_guard guard(table().lock);
    if (bitmap.selected_in == dc)
        bitmap.selected_in = nullptr;
}

bool bitmap_selected(const Bitmap& bitmap)
{
    std::lock_guard guard(table().lock);
    return bitmap.selected_in != nullptr;
}

void Bitmap::load_from_bits()
{
    if (!needs_sync() || !surface)
        return;
    for (int y = 0; y < surface->height(); ++y) {
        int src_row = bottom_up ? surface->height() - 1 - y : y;
        const BYTE* s = dib_memory.data() + src_row * dib_stride;
        Pixel* d = surface->row(y);
        for (int x = 0; x < surface->width(); ++x, s += 3)
            d[x] = 0xFF000000u | (static_cast<Pixel>(s[2]) << 16) | (static_cast<Pixel>(s[1]) << 8) | s[0];
    }
}

void Bitmap::store_to_bits()
{
    if (!needs_sync() || !surface)
        return;
    for (int y = 0; y < surface->height(); ++y) {
        int dst_row = bottom_up ? surface->height() - 1 - y : y;
        BYTE* d = dib_memory.data() + dst_row * dib_stride;
        const Pixel* s = surface->row(y);
        for (int x = 0; x < surface->width(); ++x, d += 3) {
            d[0] = static_cast<BYTE>(s[x]);
            d[1] = static_cast<BYTE>(s[x] >> 8);
            d[2] = static_cast<BYTE>(s[x] >> 16);
        }
    }
}

HGDIOBJ stock(int index)
{
    static std::once_flag once;
    static std::array<HGDIOBJ, 20> objects {};
    std::call_once(once, [] {
        auto brush = [](COLORREF c, UINT style = BS_SOLID) {
            auto b = std::make_shared<Brush>();
            b->color = c;
            b->style = style;
            b->stock = true;
            return add(b);
        };
        auto pen = [](COLORREF c, int style = PS_SOLID) {
            auto p = std::make_shared<Pen>();
            p->color = c;
            p->style = style;
            p->stock = true;
            return add(p);
        };
        objects[WHITE_BRUSH] = brush(RGB(255, 255, 255));
        objects[LTGRAY_BRUSH] = brush(RGB(192, 192, 192));
        objects[GRAY_BRUSH] = brush(RGB(128, 128, 128));
        objects[DKGRAY_BRUSH] = brush(RGB(64, 64, 64));
        objects[BLACK_BRUSH] = brush(RGB(0, 0, 0));
        objects[NULL_BRUSH] = brush(0, BS_NULL);
        objects[WHITE_PEN] = pen(RGB(255, 255, 255));
        objects[BLACK_PEN] = pen(RGB(0, 0, 0));
        objects[NULL_PEN] = pen(0, PS_NULL);
        objects[DC_BRUSH] = brush(RGB(255, 255, 255));
        objects[DC_PEN] = pen(RGB(0, 0, 0));

        LOGFONTA gui {};
        gui.lfHeight = kDialogFontHeight;
        gui.lfWeight = FW_NORMAL;
        std::strcpy(gui.lfFaceName, kDialogFontFace);
        auto gui_font = make_font(gui);
        gui_font->stock = true;
        HGDIOBJ gui_handle = add(gui_font);
        objects[DEFAULT_GUI_FONT] = gui_handle;
        objects[SYSTEM_FONT] = gui_handle;
        objects[ANSI_VAR_FONT] = gui_handle;
        objects[DEVICE_DEFAULT_FONT] = gui_handle;
        LOGFONTA fixed = gui;
        std::strcpy(fixed.lfFaceName, "DejaVu Sans Mono");
        auto fixed_font = make_font(fixed);
        fixed_font->stock = true;
        HGDIOBJ fixed_handle = add(fixed_font);
        objects[OEM_FIXED_FONT] = fixed_handle;
        objects[ANSI_FIXED_FONT] = fixed_handle;
        objects[SYSTEM_FIXED_FONT] = fixed_handle;

        // The 1x1 bitmap every memory DC starts with.
        auto bitmap = std::make_shared<Bitmap>();
        bitmap->surface = std::make_shared<Surface>(1, 1);
        bitmap->declared_bpp = 1;
        bitmap->stock = true;
        objects[9] = add(bitmap);
    });
    if (index < 0 || index >= static_cast<int>(objects.size()))
        return nullptr;
    return objects[static_cast<std::size_t>(index)];
}

std::shared_ptr<Brush> brush_for(HBRUSH handle)
{
    auto value = reinterpret_cast<std::uintptr_t>(handle);
    if (value >= 1 && value <= static_cast<std::uintptr_t>(kSysColorCount))
        handle = GetSysColorBrush(static_cast<int>(value - 1));
    return find_as<Brush>(handle, Kind::Brush);
}

}

using namespace gdi;
using namespace gdi::detail;

HPEN CreatePen(int style, int width, COLORREF color)
{
    auto pen = std::make_shared<Pen>();
    pen->style = style & PS_STYLE_MASK;
    if (pen->style > PS_INSIDEFRAME)
        return nullptr;
    pen->width = std::max(width, 1);
    // Styled pens wider than one pixel draw solid.
    if (pen->width > 1 && pen->style >= PS_DASH && pen->style <= PS_DASHDOTDOT)
        pen->style = PS_SOLID;
    pen->color = color & 0xFFFFFF;
    return static_cast<HPEN>(add(pen));
}

HPEN CreatePenIndirect(const LOGPEN* pen)
{
    if (!pen)
        return nullptr;
    return CreatePen(static_cast<int>(pen->lopnStyle), pen->lopnWidth.x, pen->lopnColor);
}

HBRUSH CreateSolidBrush(COLORREF color)
{
    auto brush = std::make_shared<Brush>();
    brush->color = color & 0xFFFFFF;
    return static_cast<HBRUSH>(add(brush));
}

HBRUSH CreateHatchBrush(int hatch, COLORREF color)
{
    if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS)
        return nullptr;
    auto brush = std::make_shared<Brush>();
    brush->style = BS_HATCHED;
    brush->hatch = hatch;
    brush->color = color & 0xFFFFFF;
    return static_cast<HBRUSH>(add(brush));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* brush)
{
    if (!brush)
        return nullptr;
    switch (brush->lbStyle) {
    case BS_SOLID:
        return CreateSolidBrush(brush->lbColor);
    case BS_NULL: {
        auto b = std::make_shared<Brush>();
        b->style = BS_NULL;
        return static_cast<HBRUSH>(add(b));
    }
    case BS_HATCHED:
        return CreateHatchBrush(static_cast<int>(brush->lbHatch), brush->lbColor);
    default:
        return nullptr;
    }
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bits_per_pixel, const void* bits)
{
    if (width < 0 || height < 0 || planes != 1 || (bits_per_pixel != 1 && bits_per_pixel != 24 && bits_per_pixel != 32))
        return nullptr;
    if (width == 0 || height == 0) {
        // An empty request gives the 1x1 stock bitmap, as on Windows.
        return static_cast<HBITMAP>(stock(9));
    }
    if (static_cast<long long>(width) * height > (1LL << 28))
        return nullptr;
    auto bitmap = std::make_shared<Bitmap>();
    bitmap->declared_bpp = static_cast<int>(bits_per_pixel);
    bitmap->surface = std::make_shared<Surface>(width, height);
    if (bits) {
        std::size_t row_bytes = ((static_cast<std::size_t>(width) * bits_per_pixel + 15) / 16) * 2;
        const BYTE* src = static_cast<const BYTE*>(bits);
        for (int y = 0; y < height; ++y) {
            const BYTE* s = src + y * row_bytes;
            Pixel* d = bitmap->surface->row(y);
            for (int x = 0; x < width; ++x) {
                if (bits_per_pixel == 1)
                    d[x] = (s[x / 8] & (0x80 >> (x % 8))) ? kOpaqueWhite : kOpaqueBlack;
                else if (bits_per_pixel == 24)
                    d[x] = 0xFF000000u | (s[x * 3 + 2] << 16) | (s[x * 3 + 1] << 8) | s[x * 3];
                else
                    d[x] = 0xFF000000u | (s[x * 4 + 2] << 16) | (s[x * 4 + 1] << 8) | s[x * 4];
            }
        }
    }
    return static_cast<HBITMAP>(add(bitmap));
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height)
{
    if (hdc && !find_as<Dc>(hdc, Kind::Dc))
        return nullptr;
    return CreateBitmap(width, height, 1, 32, nullptr);
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD)
{
    if (bits)
        *bits = nullptr;
    if (!info || usage != DIB_RGB_COLORS || section)
        return nullptr;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biWidth <= 0 || h.biHeight == 0 || h.biPlanes != 1
        || (h.biBitCount != 24 && h.biBitCount != 32) || h.biCompression != BI_RGB)
        return nullptr;
    int width = h.biWidth;
    int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    if (static_cast<long long>(width) * height > (1LL << 28))
        return nullptr;
    auto bitmap = std::make_shared<Bitmap>();
    bitmap->dib = true;
    bitmap->declared_bpp = h.biBitCount;
    bitmap->bottom_up = h.biHeight > 0;
    bitmap->dib_stride = static_cast<std::ptrdiff_t>(((static_cast<std::size_t>(width) * h.biBitCount + 31) / 32) * 4);
    bitmap->dib_memory.assign(static_cast<std::size_t>(bitmap->dib_stride) * height, 0);
    bitmap->bits = bitmap->dib_memory.data();
    if (h.biBitCount == 32) {
        BYTE* top = bitmap->dib_memory.data() + (bitmap->bottom_up ? (height - 1) * bitmap->dib_stride : 0);
        bitmap->surface = std::make_shared<Surface>(
            Surface::wrap(top, width, height, bitmap->bottom_up ? -bitmap->dib_stride : bitmap->dib_stride));
    } else {
        bitmap->surface = std::make_shared<Surface>(width, height);
        bitmap->load_from_bits();
    }
    if (bits)
        *bits = bitmap->bits;
    return static_cast<HBITMAP>(add(bitmap));
}

HRGN CreateRectRgn(int left, int top, int right, int bottom)
{
    auto region = std::make_shared<Region>();
    region->rect = { std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom) };
    return static_cast<HRGN>(add(region));
}

HRGN CreateRectRgnIndirect(const RECT* rect)
{
    if (!rect)
        return nullptr;
    return CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

BOOL PtInRegion(HRGN handle, int x, int y)
{
    auto region = find_as<Region>(handle, Kind::Region);
    if (!region)
        return FALSE;
    const RECT& r = region->rect;
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

int GetRgnBox(HRGN handle, LPRECT rect)
{
    auto region = find_as<Region>(handle, Kind::Region);
    if (!region || !rect)
        return RGN_ERROR;
    *rect = region->rect;
    return rect->right > rect->left && rect->bottom > rect->top ? SIMPLEREGION : NULLREGION;
}

BOOL SetRectRgn(HRGN handle, int left, int top, int right, int bottom)
{
    auto region = find_as<Region>(handle, Kind::Region);
    if (!region)
        return FALSE;
    region->rect = { std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom) };
    return TRUE;
}

HGDIOBJ GetStockObject(int index)
{
    if (index == 9)
        return nullptr; // the default bitmap is not a public stock object
    return stock(index);
}

BOOL DeleteObject(HGDIOBJ handle)
{
    auto object = find(handle);
    if (!object || object->kind == Kind::Dc || object->kind == Kind::Icon)
        return FALSE;
    if (object->stock)
        return TRUE;
    if (object->kind == Kind::Bitmap && bitmap_selected(static_cast<Bitmap&>(*object)))
        return FALSE;
    return remove(handle) ? TRUE : FALSE;
}

int GetObjectA(HGDIOBJ handle, int size, LPVOID buffer)
{
    auto object = find(handle);
    if (!object)
        return 0;
    auto copy = [&](const auto& value) -> int {
        int needed = static_cast<int>(sizeof value);
        if (!buffer)
            return needed;
        if (size < needed)
            return 0;
        std::memcpy(buffer, &value, sizeof value);
        return needed;
    };
    switch (object->kind) {
    case Kind::Pen: {
        auto& pen = static_cast<Pen&>(*object);
        LOGPEN lp { static_cast<UINT>(pen.style), { pen.width, 0 }, pen.color };
        return copy(lp);
    }
    case Kind::Brush: {
        auto& brush = static_cast<Brush&>(*object);
        LOGBRUSH lb { brush.style, brush.color, static_cast<ULONG_PTR>(brush.hatch) };
        return copy(lb);
    }
    case Kind::Font:
        return copy(static_cast<Font&>(*object).logfont);
    case Kind::Bitmap: {
        auto& bitmap = static_cast<Bitmap&>(*object);
        BITMAP bm {};
        bm.bmWidth = bitmap.surface->width();
        bm.bmHeight = bitmap.surface->height();
        bm.bmPlanes = 1;
        bm.bmBitsPixel = static_cast<WORD>(bitmap.declared_bpp);
        bm.bmWidthBytes = bitmap.dib ? static_cast<LONG>(bitmap.dib_stride)
                                     : static_cast<LONG>(((bm.bmWidth * bitmap.declared_bpp + 15) / 16) * 2);
        bm.bmBits = bitmap.dib ? bitmap.bits : nullptr;
        return copy(bm);
    }
    default:
        return 0;
    }
}

DWORD GetObjectType(HGDIOBJ handle)
{
    auto object = find(handle);
    if (!object)
        return 0;
    switch (object->kind) {
    case Kind::Pen:
        return OBJ_PEN;
    case Kind::Brush:
        return OBJ_BRUSH;
    case Kind::Font:
        return OBJ_FONT;
    case Kind::Bitmap:
        return OBJ_BITMAP;
    case Kind::Region:
        return OBJ_REGION;
    case Kind::Dc:
        return static_cast<Dc&>(*object).memory ? OBJ_MEMDC : OBJ_DC;
    default:
        return 0;
    }
}

namespace gdi {

std::shared_ptr<Surface> bitmap_surface(HBITMAP handle)
{
    auto bitmap = find_as<Bitmap>(handle, Kind::Bitmap);
    if (!bitmap)
        return nullptr;
    bitmap->load_from_bits();
    return bitmap->surface;
}

HBITMAP create_bitmap(std::shared_ptr<Surface> surface)
{
    if (!surface)
        return nullptr;
    auto bitmap = std::make_shared<Bitmap>();
    bitmap->surface = std::move(surface);
    return static_cast<HBITMAP>(add(bitmap));
}

bool is_valid_object(HGDIOBJ handle)
{
    return find(handle) != nullptr;
}

}
