#include <gdi/Colors.h>
#include <gdi/Text.h>

#include "FontFace.h"
#include "Target.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using namespace gdi;
using namespace gdi::detail;

namespace {

// Decodes the character at s[i] into c; returns its length in bytes. A byte that does not start
// a valid UTF-8 sequence stands for itself (Latin-1).
std::size_t next_char(const char* s, std::size_t n, std::size_t i, char32_t& c)
{
    auto b = static_cast<unsigned char>(s[i]);
    int extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
    c = b;
    if (extra <= 0 || i + static_cast<std::size_t>(extra) >= n)
        return 1;
    char32_t value = extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
    for (int k = 1; k <= extra; ++k) {
        auto cb = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
        if ((cb & 0xC0) != 0x80)
            return 1;
        value = (value << 6) | (cb & 0x3F);
    }
    c = value;
    return static_cast<std::size_t>(extra) + 1;
}

std::u32string decode(const char* s, std::size_t n)
{
    std::u32string out;
    out.reserve(n);
    for (std::size_t i = 0; i < n;) {
        char32_t c;
        i += next_char(s, n, i, c);
        out.push_back(c);
    }
    return out;
}

// Bytes of each decoded character, to spread a per-byte advance array over characters.
std::vector<std::size_t> byte_counts(const char* s, std::size_t n)
{
    std::vector<std::size_t> counts;
    for (std::size_t i = 0; i < n;) {
        char32_t c;
        std::size_t len = next_char(s, n, i, c);
        counts.push_back(len);
        i += len;
    }
    return counts;
}

int width_of(FontFace& face, const std::u32string& s)
{
    int w = 0;
    for (char32_t c : s)
        w += face.advance(c);
    return w;
}

void draw_glyphs(Target& t, FontFace& face, const std::u32string& s, int sx, int baseline, Pixel color,
    const std::vector<int>* advances = nullptr)
{
    for (std::size_t i = 0; i < s.size(); ++i) {
        const Glyph& g = face.glyph(s[i]);
        int gx = sx + g.left;
        int gy = baseline - g.top;
        for (int y = 0; y < g.rows; ++y) {
            const BYTE* cov = g.coverage.data() + static_cast<std::ptrdiff_t>(y) * g.width;
            for (int x = 0; x < g.width; ++x)
                t.blend(gx + x, gy + y, color, cov[x]);
        }
        sx += advances && i < advances->size() ? (*advances)[i] : g.advance;
    }
}

void decorate(Target& t, const Font& font, FontFace& face, int sx, int width, int baseline, Pixel color)
{
    if (font.logfont.lfUnderline) {
        int y = baseline + face.underline_offset();
        t.fill({ sx, y, sx + width, y + face.underline_thickness() }, color);
    }
    if (font.logfont.lfStrikeOut) {
        int y = baseline - face.ascent() / 3;
        t.fill({ sx, y, sx + width, y + face.underline_thickness() }, color);
    }
}

FontFace* face_of(Target& t)
{
    auto& font = t.state().font;
    return font && font->face ? font->face.get() : nullptr;
}

// Draws a run with the DC's alignment from logical (x, y).
bool text_out(Target& t, int x, int y, const std::u32string& s, const std::vector<int>* advances)
{
    FontFace* face = face_of(t);
    if (!face)
        return false;
    DcState& st = t.state();
    bool update_cp = st.text_align & TA_UPDATECP;
    if (update_cp) {
        x = st.position.x;
        y = st.position.y;
    }
    int width = 0;
    if (advances) {
        for (int a : *advances)
            width += a;
    } else {
        width = width_of(*face, s);
    }
    int sx = x + t.ox();
    int sy = y + t.oy();
    UINT h = st.text_align & TA_CENTER;
    if (h == TA_CENTER)
        sx -= width / 2;
    else if (h == TA_RIGHT)
        sx -= width;
    UINT v = st.text_align & TA_BASELINE;
    int baseline = v == TA_BASELINE ? sy : v == TA_BOTTOM ? sy - face->descent() : sy + face->ascent();
    if (st.bk_mode == OPAQUE)
        t.fill({ sx, baseline - face->ascent(), sx + width, baseline + face->descent() }, pixel_from_colorref(st.bk_color));
    Pixel color = pixel_from_colorref(st.text_color);
    draw_glyphs(t, *face, s, sx, baseline, color, advances);
    decorate(t, *st.font, *face, sx, width, baseline, color);
    if (update_cp) {
        if (h == TA_LEFT)
            st.position.x += width;
        else if (h == TA_RIGHT)
            st.position.x -= width;
    }
    return true;
}

}

COLORREF SetTextColor(HDC hdc, COLORREF color)
{
    Target t(hdc);
    if (!t)
        return CLR_INVALID;
    COLORREF old = t.state().text_color;
    t.state().text_color = color & 0xFFFFFF;
    return old;
}

COLORREF GetTextColor(HDC hdc)
{
    Target t(hdc);
    return t ? t.state().text_color : CLR_INVALID;
}

COLORREF SetBkColor(HDC hdc, COLORREF color)
{
    Target t(hdc);
    if (!t)
        return CLR_INVALID;
    COLORREF old = t.state().bk_color;
    t.state().bk_color = color & 0xFFFFFF;
    return old;
}

COLORREF GetBkColor(HDC hdc)
{
    Target t(hdc);
    return t ? t.state().bk_color : CLR_INVALID;
}

int SetBkMode(HDC hdc, int mode)
{
    Target t(hdc);
    if (!t || (mode != TRANSPARENT && mode != OPAQUE))
        return 0;
    int old = t.state().bk_mode;
    t.state().bk_mode = mode;
    return old;
}

int GetBkMode(HDC hdc)
{
    Target t(hdc);
    return t ? t.state().bk_mode : 0;
}

UINT SetTextAlign(HDC hdc, UINT align)
{
    Target t(hdc);
    if (!t)
        return GDI_ERROR;
    UINT old = t.state().text_align;
    t.state().text_align = align;
    return old;
}

UINT GetTextAlign(HDC hdc)
{
    Target t(hdc);
    return t ? t.state().text_align : GDI_ERROR;
}

BOOL TextOutA(HDC hdc, int x, int y, LPCSTR text, int length)
{
    Target t(hdc);
    if (!t || length < 0 || (!text && length > 0))
        return FALSE;
    return text_out(t, x, y, decode(text ? text : "", static_cast<std::size_t>(length)), nullptr) ? TRUE : FALSE;
}

BOOL ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT length, const INT* dx)
{
    Target t(hdc);
    if (!t || (!text && length > 0))
        return FALSE;
    if (rect && (options & ETO_OPAQUE))
        t.fill(t.to_surface(*rect), pixel_from_colorref(t.state().bk_color));
    if (rect && (options & ETO_CLIPPED))
        t.restrict_clip(t.to_surface(*rect));
    if (length == 0)
        return TRUE;
    std::u32string s = decode(text, length);
    std::vector<int> advances;
    if (dx) {
        std::size_t byte = 0;
        for (std::size_t count : byte_counts(text, length)) {
            int sum = 0;
            for (std::size_t k = 0; k < count; ++k)
                sum += dx[byte + k];
            byte += count;
            advances.push_back(sum);
        }
        advances.resize(s.size(), 0);
    }
    return text_out(t, x, y, s, dx ? &advances : nullptr) ? TRUE : FALSE;
}

namespace {

struct Char {
    char32_t c;
    bool underline;
};
using Line = std::vector<Char>;

struct Layout {
    FontFace& face;
    UINT format;
    int tab_width;

    // Width of a line, tabs expanded from its start.
    int width(const Line& line, std::size_t count) const
    {
        int x = 0;
        for (std::size_t i = 0; i < count && i < line.size(); ++i) {
            if (line[i].c == U'\t')
                x = (x / tab_width + 1) * tab_width;
            else
                x += face.advance(line[i].c);
        }
        return x;
    }
    int width(const Line& line) const { return width(line, line.size()); }
};

std::vector<Line> paragraphs(const std::u32string& text, UINT format)
{
    bool prefix = !(format & DT_NOPREFIX);
    bool hide = format & DT_HIDEPREFIX;
    std::vector<Line> out(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        bool underline = false;
        if (prefix && c == U'&') {
            if (i + 1 >= text.size())
                continue; // a lone trailing prefix shows nothing
            c = text[++i];
            underline = c != U'&' && !hide;
        }
        if (c == U'\r')
            continue;
        if (c == U'\n') {
            if (!(format & DT_SINGLELINE))
                out.emplace_back();
            continue;
        }
        if (c == U'\t' && !(format & DT_EXPANDTABS))
            c = U' ';
        out.back().push_back({ c, underline });
    }
    return out;
}

void wrap(const Layout& layout, const Line& paragraph, int max_width, std::vector<Line>& lines)
{
    std::size_t start = 0;
    std::size_t n = paragraph.size();
    if (n == 0) {
        lines.emplace_back();
        return;
    }
    while (start < n) {
        std::size_t end = start;
        std::size_t last_break = std::string::npos;
        while (end < n) {
            if (paragraph[end].c == U' ')
                last_break = end;
            Line probe(paragraph.begin() + static_cast<std::ptrdiff_t>(start),
                paragraph.begin() + static_cast<std::ptrdiff_t>(end) + 1);
            if (layout.width(probe) > max_width && paragraph[end].c != U' ')
                break;
            ++end;
        }
        std::size_t line_end;
        std::size_t next;
        if (end >= n) {
            line_end = n;
            next = n;
        } else if (last_break != std::string::npos && last_break >= start) {
            line_end = last_break;
            next = last_break;
        } else {
            // A word wider than the rectangle stays whole on its own line.
            line_end = end;
            while (line_end < n && paragraph[line_end].c != U' ')
                ++line_end;
            next = line_end;
        }
        Line line(paragraph.begin() + static_cast<std::ptrdiff_t>(start), paragraph.begin() + static_cast<std::ptrdiff_t>(line_end));
        while (!line.empty() && line.back().c == U' ')
            line.pop_back();
        lines.push_back(std::move(line));
        while (next < n && paragraph[next].c == U' ')
            ++next;
        start = next;
    }
}

void ellipsize(const Layout& layout, Line& line, int max_width)
{
    if (layout.width(line) <= max_width)
        return;
    Line dots(3, Char { U'.', false });
    int dots_width = layout.width(dots);
    while (!line.empty() && layout.width(line) + dots_width > max_width)
        line.pop_back();
    line.insert(line.end(), dots.begin(), dots.end());
}

}

int DrawTextA(HDC hdc, LPCSTR text, int length, LPRECT rect, UINT format)
{
    Target t(hdc);
    if (!t || !rect || (!text && length != 0))
        return 0;
    FontFace* face = face_of(t);
    if (!face)
        return 0;
    std::size_t n = length < 0 ? std::strlen(text) : static_cast<std::size_t>(length);
    std::u32string decoded = decode(text ? text : "", n);
    Layout layout { *face, format, std::max(1, 8 * face->average_width()) };

    int rect_width = rect->right - rect->left;
    std::vector<Line> lines;
    for (auto& paragraph : paragraphs(decoded, format)) {
        if ((format & DT_WORDBREAK) && !(format & DT_SINGLELINE))
            wrap(layout, paragraph, rect_width, lines);
        else
            lines.push_back(std::move(paragraph));
    }
    if (decoded.empty())
        lines.clear();
    if (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS)) {
        for (auto& line : lines)
            ellipsize(layout, line, rect_width);
    }
    int line_height = face->height();
    int total = static_cast<int>(lines.size()) * line_height;
    int widest = 0;
    for (auto& line : lines)
        widest = std::max(widest, layout.width(line));

    if (format & DT_CALCRECT) {
        rect->right = rect->left + widest;
        rect->bottom = rect->top + total;
        return total;
    }

    int top = rect->top;
    int result = total;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            top = rect->top + (rect->bottom - rect->top - line_height) / 2;
        else if (format & DT_BOTTOM)
            top = rect->bottom - line_height;
        if (format & (DT_VCENTER | DT_BOTTOM))
            result = top - rect->top + line_height;
    }
    if (!(format & DT_NOCLIP))
        t.restrict_clip(t.to_surface(*rect));

    DcState& st = t.state();
    Pixel color = pixel_from_colorref(st.text_color);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        int w = layout.width(line);
        int x = rect->left;
        if (format & DT_CENTER)
            x = rect->left + (rect_width - w) / 2;
        else if (format & DT_RIGHT)
            x = rect->right - w;
        int sx = x + t.ox();
        int line_top = top + static_cast<int>(i) * line_height + t.oy();
        int baseline = line_top + face->ascent();
        if (st.bk_mode == OPAQUE)
            t.fill({ sx, line_top, sx + w, line_top + line_height }, pixel_from_colorref(st.bk_color));
        for (std::size_t k = 0; k < line.size(); ++k) {
            int cx = sx + layout.width(line, k);
            if (line[k].c != U'\t')
                draw_glyphs(t, *face, std::u32string(1, line[k].c), cx, baseline, color);
            if (line[k].underline) {
                int y = baseline + face->underline_offset();
                t.fill({ cx, y, cx + face->advance(line[k].c), y + 1 }, color);
            }
        }
        decorate(t, *st.font, *face, sx, w, baseline, color);
    }
    return result;
}

BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR text, int length, LPSIZE size)
{
    Target t(hdc);
    FontFace* face = t ? face_of(t) : nullptr;
    if (!face || !size || length < 0 || (!text && length > 0))
        return FALSE;
    size->cx = width_of(*face, decode(text ? text : "", static_cast<std::size_t>(length)));
    size->cy = face->height();
    return TRUE;
}

BOOL GetTextMetricsA(HDC hdc, LPTEXTMETRICA tm)
{
    Target t(hdc);
    FontFace* face = t ? face_of(t) : nullptr;
    if (!face || !tm)
        return FALSE;
    const LOGFONTA& lf = t.state().font->logfont;
    *tm = {};
    tm->tmHeight = face->height();
    tm->tmAscent = face->ascent();
    tm->tmDescent = face->descent();
    tm->tmInternalLeading = std::max(0, face->height() - face->em());
    tm->tmExternalLeading = 0;
    tm->tmAveCharWidth = face->average_width();
    tm->tmMaxCharWidth = face->max_width();
    tm->tmWeight = lf.lfWeight;
    tm->tmDigitizedAspectX = 96;
    tm->tmDigitizedAspectY = 96;
    tm->tmFirstChar = 32;
    tm->tmLastChar = 255;
    tm->tmDefaultChar = 31;
    tm->tmBreakChar = 32;
    tm->tmItalic = lf.lfItalic;
    tm->tmUnderlined = lf.lfUnderline;
    tm->tmStruckOut = lf.lfStrikeOut;
    // TMPF_FIXED_PITCH set means a variable-pitch font.
    tm->tmPitchAndFamily = static_cast<BYTE>(TMPF_TRUETYPE | TMPF_VECTOR | (face->fixed_pitch() ? 0 : TMPF_FIXED_PITCH)
        | (face->fixed_pitch() ? FF_MODERN : (face->family().find("Serif") != std::string::npos ? FF_ROMAN : FF_SWISS)));
    tm->tmCharSet = ANSI_CHARSET;
    return TRUE;
}

int GetTextFaceA(HDC hdc, int size, LPSTR name)
{
    Target t(hdc);
    FontFace* face = t ? face_of(t) : nullptr;
    if (!face)
        return 0;
    const std::string& family = face->family();
    if (!name)
        return static_cast<int>(family.size()) + 1;
    if (size <= 0)
        return 0;
    std::size_t copied = std::min<std::size_t>(family.size(), static_cast<std::size_t>(size) - 1);
    std::memcpy(name, family.data(), copied);
    name[copied] = '\0';
    return static_cast<int>(copied);
}
