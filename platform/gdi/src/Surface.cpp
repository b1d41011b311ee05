#include <gdi/Surface.h>

#include <algorithm>
#include <cstring>

namespace gdi {

Surface::Surface(int width, int height, Pixel fill)
{
    m_width = std::max(width, 0);
    m_height = std::max(height, 0);
    m_storage.assign(static_cast<std::size_t>(m_width) * m_height, fill);
    m_pixels = m_storage.empty() ? nullptr : m_storage.data();
    m_stride = static_cast<std::ptrdiff_t>(m_width) * 4;
}

Surface Surface::wrap(void* first_row, int width, int height, std::ptrdiff_t stride_bytes)
{
    Surface s;
    s.m_owned = false;
    s.m_pixels = static_cast<Pixel*>(first_row);
    s.m_width = first_row ? std::max(width, 0) : 0;
    s.m_height = first_row ? std::max(height, 0) : 0;
    s.m_stride = stride_bytes;
    return s;
}

Surface Surface::adopt(std::shared_ptr<void> keeper, void* first_row, int width, int height, std::ptrdiff_t stride_bytes)
{
    Surface s = wrap(first_row, width, height, stride_bytes);
    if (first_row)
        s.m_keeper = std::move(keeper);
    return s;
}

Surface::Surface(const Surface& other)
{
    *this = other;
}

Surface::Surface(Surface&& other) noexcept
{
    *this = std::move(other);
}

Surface& Surface::operator=(const Surface& other)
{
    if (this == &other)
        return *this;
    m_width = other.m_width;
    m_height = other.m_height;
    m_owned = other.m_owned;
    m_keeper = other.m_keeper;
    if (other.m_owned) {
        m_storage = other.m_storage;
        m_pixels = m_storage.empty() ? nullptr : m_storage.data();
        m_stride = other.m_stride;
    } else {
        m_storage.clear();
        m_pixels = other.m_pixels;
        m_stride = other.m_stride;
    }
    return *this;
}

Surface& Surface::operator=(Surface&& other) noexcept
{
    if (this == &other)
        return *this;
    m_width = other.m_width;
    m_height = other.m_height;
    m_owned = other.m_owned;
    m_stride = other.m_stride;
    m_keeper = std::move(other.m_keeper);
    if (other.m_owned) {
        m_storage = std::move(other.m_storage);
        m_pixels = m_storage.empty() ? nullptr : m_storage.data();
    } else {
        m_storage.clear();
        m_pixels = other.m_pixels;
    }
    other.m_storage.clear();
    other.m_pixels = nullptr;
    other.m_width = other.m_height = 0;
    other.m_stride = 0;
    other.m_owned = true;
    return *this;
}

bool Surface::resize(int width, int height, Pixel fill)
{
    if (!m_owned)
        return false;
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == m_width && height == m_height)
        return true;
    std::vector<Pixel> storage(static_cast<std::size_t>(width) * height, fill);
    int keep_w = std::min(width, m_width);
    int keep_h = std::min(height, m_height);
    for (int y = 0; y < keep_h; ++y)
        std::memcpy(&storage[static_cast<std::size_t>(y) * width], row(y), static_cast<std::size_t>(keep_w) * 4);
    m_storage = std::move(storage);
    m_width = width;
    m_height = height;
    m_pixels = m_storage.empty() ? nullptr : m_storage.data();
    m_stride = static_cast<std::ptrdiff_t>(width) * 4;
    return true;
}

void Surface::fill(const RECT& rect, Pixel p)
{
    int left = std::max<int>(rect.left, 0);
    int top = std::max<int>(rect.top, 0);
    int right = std::min<int>(rect.right, m_width);
    int bottom = std::min<int>(rect.bottom, m_height);
    for (int y = top; y < bottom; ++y)
        std::fill(row(y) + left, row(y) + std::max(left, right), p);
}

Surface Surface::copy(const RECT& rect) const
{
    int left = std::max<int>(rect.left, 0);
    int top = std::max<int>(rect.top, 0);
    int right = std::min<int>(rect.right, m_width);
    int bottom = std::min<int>(rect.bottom, m_height);
    Surface out(std::max(right - left, 0), std::max(bottom - top, 0));
    for (int y = 0; y < out.height(); ++y)
        std::memcpy(out.row(y), row(top + y) + left, static_cast<std::size_t>(out.width()) * 4);
    return out;
}

bool Surface::same_pixels(const Surface& other) const
{
    if (m_width != other.m_width || m_height != other.m_height)
        return false;
    for (int y = 0; y < m_height; ++y) {
        if (std::memcmp(row(y), other.row(y), static_cast<std::size_t>(m_width) * 4) != 0)
            return false;
    }
    return true;
}

}
