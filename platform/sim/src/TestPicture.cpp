#include <sim/TestPicture.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

namespace sim {

namespace {

constexpr int code_cells = 48;
constexpr BYTE luma_white = 235;
constexpr BYTE luma_black = 16;

// 3 x 5 block glyphs, one row per 3 bits (top row first).
const char* glyph(char c)
{
    switch (c) {
    case '0': return "111101101101111";
    case '1': return "010110010010111";
    case '2': return "111001111100111";
    case '3': return "111001111001111";
    case '4': return "101101111001001";
    case '5': return "111100111001111";
    case '6': return "111100111101111";
    case '7': return "111001001001001";
    case '8': return "111101111101111";
    case '9': return "111101111001111";
    case 'L': return "100100100100111";
    case ':': return "000010000010000";
    default: return "000000000000000";
    }
}

unsigned checksum(unsigned kind, unsigned number, std::uint32_t frame)
{
    return ((kind * 0x3B) ^ (number * 0x61) ^ (frame * 0x9D) ^ ((frame >> 8) * 0x5B) ^ ((frame >> 16) * 0x2F) ^ 0xA5) & 0xFF;
}

// The code strip as bits, first cell first.
void code_bits(unsigned kind, unsigned number, std::uint32_t frame, bool* bits)
{
    static const bool sync[4] = { true, false, true, true };
    int at = 0;
    for (bool b : sync)
        bits[at++] = b;
    auto put = [&](unsigned value, int count) {
        for (int i = count - 1; i >= 0; --i)
            bits[at++] = (value >> i) & 1;
    };
    put(kind, 2);
    put(number & 0x3FF, 10);
    put(frame & 0xFFFFFF, 24);
    put(checksum(kind, number & 0x3FF, frame & 0xFFFFFF), 8);
}

struct Canvas {
    BYTE* out;
    int width;
    int height;

    void fill(int x0, int y0, int x1, int y1, BYTE y, BYTE u, BYTE v)
    {
        x0 = std::clamp(x0 & ~1, 0, width);
        x1 = std::clamp((x1 + 1) & ~1, 0, width);
        y0 = std::clamp(y0, 0, height);
        y1 = std::clamp(y1, 0, height);
        if (x0 >= x1 || y0 >= y1)
            return;
        // One row of pairs, then copies of it.
        const BYTE pair[4] = { y, u, y, v };
        BYTE* first = out + (static_cast<std::size_t>(y0) * width + x0) * 2;
        const std::size_t bytes = static_cast<std::size_t>(x1 - x0) * 2;
        for (std::size_t at = 0; at < bytes; at += 4)
            std::memcpy(first + at, pair, 4);
        for (int row = y0 + 1; row < y1; ++row)
            std::memcpy(out + (static_cast<std::size_t>(row) * width + x0) * 2, first, bytes);
    }

    void text(int x, int y, int cell, const std::string& s, BYTE luma)
    {
        for (char c : s) {
            const char* g = glyph(c);
            for (int r = 0; r < 5; ++r)
                for (int col = 0; col < 3; ++col)
                    if (g[r * 3 + col] == '1')
                        fill(x + col * cell, y + r * cell, x + (col + 1) * cell, y + (r + 1) * cell, luma, 128, 128);
            x += 4 * cell;
        }
    }
};

int text_width(const std::string& s, int cell) { return s.empty() ? 0 : static_cast<int>(s.size()) * 4 * cell - cell; }

std::string two(int v)
{
    std::string s = std::to_string(v);
    return s.size() < 2 ? "0" + s : s;
}

void render_noise(std::uint32_t frame_number, BYTE* out, std::size_t bytes)
{
    std::uint64_t state = 0x9E3779B97F4A7C15ull ^ (static_cast<std::uint64_t>(frame_number) * 0xD1B54A32D192ED03ull);
    std::size_t words = bytes / 8;
    for (std::size_t i = 0; i < words; ++i) {
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        std::uint64_t r = state * 0x2545F4914F6CDD1Dull;
        std::uint64_t v = (r & 0x00FF00FF00FF00FFull) | 0x8000800080008000ull;
        std::memcpy(out + i * 8, &v, 8);
    }
    for (std::size_t i = words * 8; i < bytes; ++i)
        out[i] = (i & 1) ? 128 : static_cast<BYTE>(i * 37);
}

// The source and frame number the code strip holds, or nothing.
template<typename Luma>
std::optional<PictureIdentity> read_code(int width, int height, Luma luma)
{
    if (width < code_cells || height < 16)
        return std::nullopt;
    int y = height / 32;
    bool bits[code_cells];
    for (int i = 0; i < code_cells; ++i)
        bits[i] = luma((2 * i + 1) * width / (2 * code_cells), y) > 128;
    auto read = [&](int at, int count) {
        unsigned v = 0;
        for (int i = 0; i < count; ++i)
            v = (v << 1) | (bits[at + i] ? 1u : 0u);
        return v;
    };
    if (bits[0] && !bits[1] && bits[2] && bits[3]) {
        unsigned kind = read(4, 2);
        unsigned number = read(6, 10);
        std::uint32_t frame = read(16, 24);
        if (read(40, 8) == checksum(kind, number, frame) && kind <= 1)
            return PictureIdentity { { kind == 0 ? SourceKind::Channel : SourceKind::Input, static_cast<int>(number) }, frame };
    }
    return std::nullopt;
}

template<typename Luma>
std::optional<PictureIdentity> identify(int width, int height, Luma luma)
{
    if (auto coded = read_code(width, height, luma))
        return coded;
    if (width < code_cells || height < 16)
        return std::nullopt;
    // Snow: neighbouring pixels differ a lot everywhere.
    long long total = 0;
    long long samples = 0;
    for (int row = height / 8; row < height; row += std::max(1, height / 16)) {
        for (int x = 0; x + 1 < width; x += 3) {
            total += std::abs(luma(x, row) - luma(x + 1, row));
            ++samples;
        }
    }
    if (samples && total / samples > 30)
        return PictureIdentity { PictureSource::noise(), 0 };
    return std::nullopt;
}

}

TestPicture::TestPicture(int width, int height)
    : m_width(std::max(2, width & ~1))
    , m_height(std::max(1, height))
{
}

VIDEOINFOHEADER TestPicture::format(REFERENCE_TIME time_per_frame) const
{
    return dshow::make_yuy2_format(m_width, m_height, time_per_frame);
}

std::vector<BYTE> TestPicture::render(const PictureSource& source, std::uint32_t frame_number, REFERENCE_TIME time) const
{
    std::vector<BYTE> frame(frame_bytes());
    render(source, frame_number, time, frame.data());
    return frame;
}

// Where the parts of a frame lie; the bars fill what the others leave.
struct TestPicture::Layout {
    Layout(const PictureSource& source, int w, int h)
        : text(label(source))
        , band(std::max(2, h / 16))
        , cell(std::max(1, std::min(h / 10, w / (static_cast<int>(text.size()) * 4 + 1))))
        , small(std::max(1, h / 96))
        , label_x((w - text_width(text, cell)) / 2)
        , label_y((h - 5 * cell) / 2)
        , clock_y(h - 7 * small)
    {
    }
    std::string text;
    int band;  // rows of the code strip
    int cell;  // the label's block size
    int small; // the clock's block size
    int label_x, label_y;
    int clock_y;

    // Rows of the label's box, and of the clock's whatever its text.
    int label_top() const { return label_y - cell; }
    int label_bottom() const { return label_y + 6 * cell; }
    int clock_top() const { return clock_y - small; }
    int clock_bottom() const { return clock_y + 6 * small; }
};

void TestPicture::render(const PictureSource& source, std::uint32_t frame_number, REFERENCE_TIME time, BYTE* out) const
{
    if (source.kind == SourceKind::Noise) {
        render_noise(frame_number, out, frame_bytes());
        return;
    }
    Layout layout(source, m_width, m_height);
    draw_bars(source, layout.band, m_height, out);
    draw_code(source, frame_number, layout, out);
    draw_label(layout, out);
    draw_clock(frame_number, time, layout, out);
}

void TestPicture::render_changes(const PictureSource& source, std::uint32_t frame_number, REFERENCE_TIME time, BYTE* out) const
{
    if (source.kind == SourceKind::Noise) {
        render_noise(frame_number, out, frame_bytes());
        return;
    }
    Layout layout(source, m_width, m_height);
    // The clock's rows go back to bars, as its text may have been longer.
    int top = std::max(layout.clock_top(), layout.band);
    int bottom = std::min(layout.clock_bottom(), m_height);
    if (top < bottom)
        draw_bars(source, top, bottom, out);
    draw_code(source, frame_number, layout, out);
    // The label again where the strip or the clock's rows cover part of it (small pictures).
    if (layout.label_top() < layout.band || (layout.label_top() < bottom && top < layout.label_bottom()))
        draw_label(layout, out);
    draw_clock(frame_number, time, layout, out);
}

// Colour bars in the source's hue on rows [top, bottom): one row drawn, then copied.
void TestPicture::draw_bars(const PictureSource& source, int top, int bottom, BYTE* out) const
{
    bottom = std::min(bottom, m_height);
    if (top >= bottom)
        return;
    Canvas canvas { out, m_width, m_height };
    const int w = m_width;
    double angle = source.number * 2.39996 + (source.kind == SourceKind::Input ? 1.0 : 0.0);
    BYTE u = static_cast<BYTE>(128 + std::lround(70 * std::cos(angle)));
    BYTE v = static_cast<BYTE>(128 + std::lround(70 * std::sin(angle)));
    for (int bar = 0; bar < 8; ++bar)
        canvas.fill(bar * w / 8, top, (bar + 1) * w / 8, top + 1, static_cast<BYTE>(180 - bar * 15), u, v);
    const std::size_t row_bytes = static_cast<std::size_t>(w) * 2;
    for (int row = top + 1; row < bottom; ++row)
        std::memcpy(out + row * row_bytes, out + top * row_bytes, row_bytes);
}

void TestPicture::draw_code(const PictureSource& source, std::uint32_t frame_number, const Layout& layout, BYTE* out) const
{
    Canvas canvas { out, m_width, m_height };
    bool bits[code_cells];
    code_bits(source.kind == SourceKind::Channel ? 0 : 1, static_cast<unsigned>(source.number), frame_number, bits);
    // One row of cells, then copies of it.
    for (int i = 0; i < code_cells; ++i)
        canvas.fill(i * m_width / code_cells, 0, (i + 1) * m_width / code_cells, 1, bits[i] ? luma_white : luma_black, 128, 128);
    const std::size_t row_bytes = static_cast<std::size_t>(m_width) * 2;
    for (int row = 1; row < std::min(layout.band, m_height); ++row)
        std::memcpy(out + row * row_bytes, out, row_bytes);
}

// The label, large, on a black box.
void TestPicture::draw_label(const Layout& layout, BYTE* out) const
{
    Canvas canvas { out, m_width, m_height };
    int cell = layout.cell;
    canvas.fill(layout.label_x - cell, layout.label_top(), layout.label_x + text_width(layout.text, cell) + cell,
        layout.label_bottom(), luma_black, 128, 128);
    canvas.text(layout.label_x, layout.label_y, cell, layout.text, luma_white);
}

// The running clock and the frame number.
void TestPicture::draw_clock(std::uint32_t frame_number, REFERENCE_TIME time, const Layout& layout, BYTE* out) const
{
    Canvas canvas { out, m_width, m_height };
    REFERENCE_TIME seconds = std::max<REFERENCE_TIME>(time, 0) / UNITS;
    std::string clock = two(static_cast<int>(seconds / 3600 % 100)) + ":" + two(static_cast<int>(seconds / 60 % 60)) + ":"
        + two(static_cast<int>(seconds % 60)) + "  " + std::to_string(frame_number);
    int small = layout.small;
    int cw = text_width(clock, small);
    canvas.fill(small, layout.clock_top(), small * 3 + cw, layout.clock_bottom(), luma_black, 128, 128);
    canvas.text(small * 2, layout.clock_y, small, clock, luma_white);
}

std::optional<PictureIdentity> identify_picture(const BYTE* yuy2, int width, int height)
{
    if (!yuy2)
        return std::nullopt;
    return identify(width, height, [&](int x, int y) { return static_cast<int>(yuy2[(static_cast<std::size_t>(y) * width + x) * 2]); });
}

namespace {

auto rgb32_luma(const DWORD* pixels, int stride)
{
    return [pixels, stride](int x, int y) {
        DWORD p = pixels[static_cast<std::size_t>(y) * stride + x];
        int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
        return ((66 * r + 129 * g + 25 * b + 128) >> 8) + 16;
    };
}

}

std::optional<PictureIdentity> identify_picture_rgb32(const DWORD* pixels, int width, int height, int stride)
{
    if (!pixels)
        return std::nullopt;
    return identify(width, height, rgb32_luma(pixels, stride));
}

std::optional<PictureIdentity> read_picture_code_rgb32(const DWORD* pixels, int width, int height, int stride)
{
    if (!pixels)
        return std::nullopt;
    return read_code(width, height, rgb32_luma(pixels, stride));
}

}
