#pragma once

// One DejaVu face at one pixel size, drawn through FreeType, with a cache of its rendered glyphs.
// Faces are shared: every font of the same file and size uses one FontFace. Thread-safe.

#include <base/Types.h>

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace gdi::detail {

struct Glyph {
    int advance = 0; // pixels to the next pen position
    int left = 0;    // bitmap offset right of the pen
    int top = 0;     // bitmap top above the baseline
    int width = 0;
    int rows = 0;
    std::vector<BYTE> coverage; // width x rows, 0..255
};

class FontFace {
public:
    // The face of a font file at a size: em_size in pixels (negative lfHeight), or the cell height
    // when cell_height is true. nullptr when the file cannot be loaded.
    static std::shared_ptr<FontFace> get(const std::string& file, int size, bool cell_height);
    ~FontFace();

    // The glyph of a code point, rendered on first use.
    const Glyph& glyph(char32_t c);
    // Advance of a code point without keeping its bitmap apart from the cache.
    int advance(char32_t c) { return glyph(c).advance; }

    int ascent() const { return m_ascent; }
    int descent() const { return m_descent; }
    int height() const { return m_ascent + m_descent; }
    int em() const { return m_em; }
    int average_width() const { return m_average; }
    int max_width() const { return m_max; }
    int underline_offset() const { return m_underline_offset; } // below the baseline
    int underline_thickness() const { return m_underline_thickness; }
    bool fixed_pitch() const { return m_fixed; }
    const std::string& family() const { return m_family; }

private:
    FontFace() = default;
    std::mutex m_lock;
    void* m_face = nullptr; // FT_Face
    std::unordered_map<char32_t, Glyph> m_glyphs;
    int m_ascent = 0;
    int m_descent = 0;
    int m_em = 0;
    int m_average = 0;
    int m_max = 0;
    int m_underline_offset = 1;
    int m_underline_thickness = 1;
    bool m_fixed = false;
    std::string m_family;
};

}
