#include "FontFace.h"

#include <cmath>
#include <cstdio>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include <map>
#include <tuple>

namespace gdi::detail {

namespace {

struct Library {
    std::mutex lock;
    FT_Library library = nullptr;
    bool failed = false;
    std::map<std::tuple<std::string, int, bool>, std::weak_ptr<FontFace>> faces;
};

Library& library()
{
    static Library* l = new Library; // never destroyed: faces may outlive static destruction
    return *l;
}

}

FontFace::~FontFace()
{
    if (m_face) {
        std::lock_guard guard(library().lock);
        FT_Done_Face(static_cast<FT_Face>(m_face));
    }
}

std::shared_ptr<FontFace> FontFace::get(const std::string& file, int size, bool cell_height)
{
    if (size <= 0 || size > 2048)
        return nullptr;
    auto& lib = library();
    std::lock_guard guard(lib.lock);
    auto key = std::make_tuple(file, size, cell_height);
    if (auto existing = lib.faces[key].lock())
        return existing;
    if (!lib.library && !lib.failed) {
        if (FT_Init_FreeType(&lib.library) != 0)
            lib.failed = true;
    }
    if (!lib.library)
        return nullptr;
    FT_Face face = nullptr;
    if (FT_New_Face(lib.library, file.c_str(), 0, &face) != 0) {
        static bool reported = false;
        if (!reported) {
            std::fprintf(stderr, "orbivane: cannot load font %s\n", file.c_str());
            reported = true;
        }
        return nullptr;
    }
    double units = face->units_per_EM ? face->units_per_EM : 2048;
    double win_ascent = face->ascender;
    double win_descent = -face->descender;
    double avg_units = 0;
    if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2))) {
        win_ascent = os2->usWinAscent;
        win_descent = os2->usWinDescent;
        avg_units = os2->xAvgCharWidth;
    }
    std::shared_ptr<FontFace> result(new FontFace);
    double em;
    if (cell_height) {
        em = size * units / (win_ascent + win_descent);
        result->m_ascent = static_cast<int>(std::lround(win_ascent * em / units));
        result->m_descent = size - result->m_ascent;
    } else {
        em = size;
        result->m_ascent = static_cast<int>(std::lround(win_ascent * em / units));
        result->m_descent = static_cast<int>(std::lround(win_descent * em / units));
    }
    FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(std::lround(em * 64)), 72, 72);
    result->m_face = face;
    result->m_em = static_cast<int>(std::lround(em));
    result->m_average = std::max(1, static_cast<int>(std::lround(avg_units * em / units)));
    result->m_max = std::max(1, static_cast<int>(std::lround((face->bbox.xMax - face->bbox.xMin) * em / units)));
    result->m_underline_offset = std::max(1, static_cast<int>(std::lround(-face->underline_position * em / units)));
    result->m_underline_thickness = std::max(1, static_cast<int>(std::lround(face->underline_thickness * em / units)));
    result->m_fixed = FT_IS_FIXED_WIDTH(face);
    result->m_family = face->family_name ? face->family_name : "DejaVu Sans";
    lib.faces[key] = result;
    return result;
}

const Glyph& FontFace::glyph(char32_t c)
{
    std::lock_guard guard(m_lock);
    auto it = m_glyphs.find(c);
    if (it != m_glyphs.end())
        return it->second;
    Glyph g;
    auto face = static_cast<FT_Face>(m_face);
    {
        // FreeType faces share the library's allocator: serialize rendering with face creation.
        std::lock_guard lib_guard(library().lock);
        if (FT_Load_Char(face, c, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) == 0) {
            FT_GlyphSlot slot = face->glyph;
            g.advance = static_cast<int>((slot->advance.x + 32) >> 6);
            g.left = slot->bitmap_left;
            g.top = slot->bitmap_top;
            g.width = static_cast<int>(slot->bitmap.width);
            g.rows = static_cast<int>(slot->bitmap.rows);
            g.coverage.resize(static_cast<std::size_t>(g.width) * g.rows);
            for (int y = 0; y < g.rows; ++y) {
                const unsigned char* src = slot->bitmap.buffer + y * slot->bitmap.pitch;
                std::copy(src, src + g.width, g.coverage.begin() + static_cast<std::ptrdiff_t>(y) * g.width);
            }
        }
    }
    return m_glyphs.emplace(c, std::move(g)).first->second;
}

}
