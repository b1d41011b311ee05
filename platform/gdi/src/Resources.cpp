#include <gdi/DeviceContext.h>
#include <gdi/Drawing.h>
#include <gdi/Fonts.h>
#include <gdi/Objects.h>
#include <gdi/Png.h>
#include <gdi/Resources.h>
#include <gdi/Text.h>

#include "Handles.h"

#include <base/Errors.h>
#include <base/Text.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

using namespace gdi;
using namespace gdi::detail;

namespace {

struct Image {
    const void* data;
    std::size_t size;
};

struct Registry {
    std::mutex lock;
    std::map<UINT, Image> by_id;
    std::map<std::string, Image> by_name;
    std::map<UINT, HICON> shared_by_id;
    std::map<std::string, HICON> shared_by_name;
};

Registry& registry()
{
    static Registry* r = new Registry;
    return *r;
}

// A resource name as an id (MAKEINTRESOURCE or "#123") or a folded name.
struct Key {
    bool numeric = false;
    UINT id = 0;
    std::string name;
};

bool parse_key(LPCSTR name, Key& key)
{
    if (!name)
        return false;
    if (IS_INTRESOURCE(name)) {
        key.numeric = true;
        key.id = static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name));
        return true;
    }
    if (name[0] == '#' && name[1]) {
        char* end = nullptr;
        unsigned long v = std::strtoul(name + 1, &end, 10);
        if (end && *end == '\0' && v <= 0xFFFF) {
            key.numeric = true;
            key.id = static_cast<UINT>(v);
            return true;
        }
    }
    key.name = base::folded_ascii(name);
    return true;
}

std::optional<Surface> load_surface(LPCSTR name)
{
    Key key;
    if (!parse_key(name, key))
        return std::nullopt;
    Image image { nullptr, 0 };
    {
        auto& r = registry();
        std::lock_guard guard(r.lock);
        if (key.numeric) {
            auto it = r.by_id.find(key.id);
            if (it != r.by_id.end())
                image = it->second;
        } else {
            auto it = r.by_name.find(key.name);
            if (it != r.by_name.end())
                image = it->second;
        }
    }
    if (!image.data)
        return std::nullopt;
    return read_png(image.data, image.size);
}

// The built-in system icons: a plain 32 x 32 symbol each.
std::optional<Surface> system_icon(UINT id)
{
    COLORREF disc;
    const char* symbol;
    switch (id) {
    case 32513:
        disc = RGB(200, 0, 0);
        symbol = "X";
        break;
    case 32514:
        disc = RGB(0, 64, 192);
        symbol = "?";
        break;
    case 32515:
        disc = RGB(230, 180, 0);
        symbol = "!";
        break;
    case 32516:
        disc = RGB(0, 64, 192);
        symbol = "i";
        break;
    case 32512:
    case 32517:
        disc = RGB(0, 128, 128);
        symbol = "";
        break;
    default:
        return std::nullopt;
    }
    auto surface = std::make_shared<Surface>(32, 32, 0xFFFF00FFu);
    HDC dc = create_dc(surface);
    HBRUSH brush = CreateSolidBrush(disc);
    HGDIOBJ old_brush = SelectObject(dc, brush);
    HGDIOBJ old_pen = SelectObject(dc, GetStockObject(NULL_PEN));
    if (id == 32512 || id == 32517) {
        Rectangle(dc, 2, 4, 31, 29);
        RECT client { 4, 10, 28, 26 };
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    } else {
        Ellipse(dc, 1, 1, 32, 32);
    }
    SelectObject(dc, old_pen);
    SelectObject(dc, old_brush);
    DeleteObject(brush);
    if (*symbol) {
        HFONT font = CreateFontA(-22, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "DejaVu Sans");
        HGDIOBJ old_font = SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(255, 255, 255));
        RECT r { 0, 0, 32, 32 };
        DrawTextA(dc, symbol, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(dc, old_font);
        DeleteObject(font);
    }
    DeleteDC(dc);
    // The magenta background becomes transparent.
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            if (surface->row(y)[x] == 0xFFFF00FFu)
                surface->row(y)[x] = 0;
        }
    }
    return *surface;
}

HICON make_icon(Surface image, bool shared)
{
    auto icon = std::make_shared<Icon>();
    icon->image = std::make_shared<Surface>(std::move(image));
    icon->stock = shared;
    return static_cast<HICON>(add(icon));
}

HICON shared_icon(HINSTANCE module, LPCSTR name, int width, int height)
{
    Key key;
    if (!parse_key(name, key)) {
        SetLastError(kErrorResourceNameNotFound);
        return nullptr;
    }
    bool system = !module && key.numeric && key.id >= 32512 && key.id <= 32517;
    UINT cache_id = key.id | (system ? 0x10000u : 0) | (static_cast<UINT>(width) << 17) | (static_cast<UINT>(height) << 24);
    std::string cache_name = key.name + "/" + std::to_string(width) + "x" + std::to_string(height);
    auto& r = registry();
    {
        std::lock_guard guard(r.lock);
        if (key.numeric) {
            auto it = r.shared_by_id.find(cache_id);
            if (it != r.shared_by_id.end())
                return it->second;
        } else {
            auto it = r.shared_by_name.find(cache_name);
            if (it != r.shared_by_name.end())
                return it->second;
        }
    }
    std::optional<Surface> image = system ? system_icon(key.id) : load_surface(name);
    if (!image) {
        SetLastError(kErrorResourceNameNotFound);
        return nullptr;
    }
    if ((width && width != image->width()) || (height && height != image->height()))
        image = scaled(*image, width ? width : image->width(), height ? height : image->height());
    HICON icon = make_icon(std::move(*image), true);
    std::lock_guard guard(r.lock);
    if (key.numeric)
        r.shared_by_id[cache_id] = icon;
    else
        r.shared_by_name[cache_name] = icon;
    return icon;
}

}

HBITMAP LoadBitmapA(HINSTANCE, LPCSTR name)
{
    auto image = load_surface(name);
    if (!image) {
        SetLastError(kErrorResourceNameNotFound);
        return nullptr;
    }
    return create_bitmap(std::make_shared<Surface>(std::move(*image)));
}

HICON LoadIconA(HINSTANCE module, LPCSTR name)
{
    return shared_icon(module, name, 0, 0);
}

HANDLE LoadImageA(HINSTANCE module, LPCSTR name, UINT type, int width, int height, UINT flags)
{
    if (type != IMAGE_BITMAP && type != IMAGE_ICON) {
        SetLastError(static_cast<DWORD>(ERROR_NOT_SUPPORTED));
        return nullptr;
    }
    if (width < 0 || height < 0) {
        SetLastError(static_cast<DWORD>(ERROR_INVALID_PARAMETER));
        return nullptr;
    }
    if (type == IMAGE_ICON && (flags & LR_DEFAULTSIZE)) {
        if (width == 0)
            width = 32;
        if (height == 0)
            height = 32;
    }
    std::optional<Surface> image;
    if (flags & LR_LOADFROMFILE) {
        if (!name || IS_INTRESOURCE(name)) {
            SetLastError(static_cast<DWORD>(ERROR_INVALID_PARAMETER));
            return nullptr;
        }
        std::string path = name;
        for (char& c : path) {
            if (c == '\\')
                c = '/';
        }
        image = read_png_file(path);
        if (!image) {
            SetLastError(static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
            return nullptr;
        }
    } else if (type == IMAGE_ICON && (flags & LR_SHARED)) {
        return shared_icon(module, name, width, height);
    } else {
        UINT id = IS_INTRESOURCE(name) ? static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)) : 0;
        bool system = !module && type == IMAGE_ICON && id >= 32512 && id <= 32517;
        image = system ? system_icon(id) : load_surface(name);
        if (!image) {
            SetLastError(kErrorResourceNameNotFound);
            return nullptr;
        }
    }
    if ((width && width != image->width()) || (height && height != image->height()))
        image = scaled(*image, width ? width : image->width(), height ? height : image->height());
    if (type == IMAGE_BITMAP)
        return create_bitmap(std::make_shared<Surface>(std::move(*image)));
    return make_icon(std::move(*image), false);
}

namespace gdi {

void register_image(UINT id, const void* png, std::size_t size)
{
    auto& r = registry();
    std::lock_guard guard(r.lock);
    r.by_id[id] = { png, size };
}

void register_image(const char* name, const void* png, std::size_t size)
{
    if (!name)
        return;
    Key key;
    parse_key(name, key);
    auto& r = registry();
    std::lock_guard guard(r.lock);
    if (key.numeric)
        r.by_id[key.id] = { png, size };
    else
        r.by_name[key.name] = { png, size };
}

void clear_images()
{
    auto& r = registry();
    std::lock_guard guard(r.lock);
    r.by_id.clear();
    r.by_name.clear();
    r.shared_by_id.clear();
    r.shared_by_name.clear();
}

bool has_image(LPCSTR name)
{
    Key key;
    if (!parse_key(name, key))
        return false;
    auto& r = registry();
    std::lock_guard guard(r.lock);
    return key.numeric ? r.by_id.count(key.id) > 0 : r.by_name.count(key.name) > 0;
}

}
