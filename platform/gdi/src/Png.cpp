#include <gdi/Png.h>

#include <algorithm>
#include <cstdio>
#include <png.h>

namespace gdi {

namespace {

bool clip_rect(const Surface& surface, const RECT& rect, RECT& out)
{
    out.left = std::max<LONG>(rect.left, 0);
    out.top = std::max<LONG>(rect.top, 0);
    out.right = std::min<LONG>(rect.right, surface.width());
    out.bottom = std::min<LONG>(rect.bottom, surface.height());
    return out.right > out.left && out.bottom > out.top;
}

png_image make_image(int width, int height)
{
    png_image image {};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_BGRA;
    return image;
}

}

bool write_png(const Surface& surface, const std::string& path)
{
    return write_png(surface, RECT { 0, 0, surface.width(), surface.height() }, path);
}

bool write_png(const Surface& surface, const RECT& rect, const std::string& path)
{
    RECT r;
    if (!clip_rect(surface, rect, r))
        return false;
    png_image image = make_image(r.right - r.left, r.bottom - r.top);
    const Pixel* first = surface.row(r.top) + r.left;
    std::string temp = path + ".partial";
    int ok = png_image_write_to_file(&image, temp.c_str(), 0, first,
        static_cast<png_int_32>(surface.stride()), nullptr);
    png_image_free(&image);
    if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

std::vector<BYTE> encode_png(const Surface& surface)
{
    if (surface.empty())
        return {};
    png_image image = make_image(surface.width(), surface.height());
    png_alloc_size_t size = 0;
    auto stride = static_cast<png_int_32>(surface.stride());
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, surface.pixels(), stride, nullptr))
        return {};
    std::vector<BYTE> out(size);
    if (!png_image_write_to_memory(&image, out.data(), &size, 0, surface.pixels(), stride, nullptr))
        return {};
    out.resize(size);
    return out;
}

std::optional<Surface> read_png(const void* data, std::size_t size)
{
    if (!data || size < 8)
        return std::nullopt;
    png_image image {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data, size))
        return std::nullopt;
    image.format = PNG_FORMAT_BGRA;
    if (image.width == 0 || image.height == 0 || image.width > 32768 || image.height > 32768) {
        png_image_free(&image);
        return std::nullopt;
    }
    Surface surface(static_cast<int>(image.width), static_cast<int>(image.height), 0);
    if (!png_image_finish_read(&image, nullptr, surface.pixels(), static_cast<png_int_32>(surface.stride()), nullptr)) {
        png_image_free(&image);
        return std::nullopt;
    }
    png_image_free(&image);
    return surface;
}

std::optional<Surface> read_png_file(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return std::nullopt;
    std::vector<BYTE> bytes;
    BYTE buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(file);
    return read_png(bytes.data(), bytes.size());
}

}
