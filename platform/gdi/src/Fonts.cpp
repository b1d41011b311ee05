#include <gdi/Fonts.h>
#include <gdi/Objects.h>

#include "FontFace.h"
#include "Handles.h"

#include <base/Text.h>

#include <cstring>
#include <string>
#include <sys/stat.h>

using namespace gdi;
using namespace gdi::detail;

namespace {

bool contains_word(const std::string& haystack, const char* needle)
{
    return haystack.find(needle) != std::string::npos;
}

const char* font_dir()
{
    static const char* dir = [] {
        static const char* candidates[] = { "/usr/share/fonts/truetype/dejavu", "/usr/share/fonts/dejavu",
            "/usr/share/fonts/TTF" };
        for (const char* c : candidates) {
            struct stat st;
            std::string probe = std::string(c) + "/DejaVuSans.ttf";
            if (stat(probe.c_str(), &st) == 0)
                return c;
        }
        return candidates[0];
    }();
    return dir;
}

}

namespace gdi {

const char* font_file_for(const LOGFONTA& font)
{
    std::string face = base::folded_ascii(std::string_view(font.lfFaceName, strnlen(font.lfFaceName, LF_FACESIZE)));
    enum { Sans, Mono, Serif } family = Sans;
    if (contains_word(face, "sans"))
        family = contains_word(face, "mono") ? Mono : Sans;
    else if (contains_word(face, "courier") || contains_word(face, "mono") || contains_word(face, "console")
        || contains_word(face, "fixed") || contains_word(face, "terminal"))
        family = Mono;
    else if (contains_word(face, "times") || contains_word(face, "serif") || contains_word(face, "roman")
        || contains_word(face, "georgia"))
        family = Serif;
    else if (face.empty() && (font.lfPitchAndFamily & 0x3) == FIXED_PITCH)
        family = Mono;
    else if (face.empty() && (font.lfPitchAndFamily & 0xF0) == FF_ROMAN)
        family = Serif;
    bool bold = font.lfWeight >= FW_SEMIBOLD;
    bool italic = font.lfItalic != 0;
    static const char* names[3][4] = {
        { "DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSans-Oblique.ttf", "DejaVuSans-BoldOblique.ttf" },
        { "DejaVuSansMono.ttf", "DejaVuSansMono-Bold.ttf", "DejaVuSansMono-Oblique.ttf", "DejaVuSansMono-BoldOblique.ttf" },
        { "DejaVuSerif.ttf", "DejaVuSerif-Bold.ttf", "DejaVuSerif-Italic.ttf", "DejaVuSerif-BoldItalic.ttf" },
    };
    return names[family][(bold ? 1 : 0) + (italic ? 2 : 0)];
}

HFONT dialog_font()
{
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

namespace detail {

std::shared_ptr<Font> make_font(const LOGFONTA& logfont)
{
    auto font = std::make_shared<Font>();
    font->logfont = logfont;
    font->logfont.lfFaceName[LF_FACESIZE - 1] = '\0';
    if (font->logfont.lfWeight == FW_DONTCARE)
        font->logfont.lfWeight = FW_NORMAL;
    std::string file = std::string(font_dir()) + "/" + font_file_for(font->logfont);
    LONG height = logfont.lfHeight;
    if (height == 0)
        height = kDialogFontHeight;
    font->face = height < 0 ? FontFace::get(file, -height, false) : FontFace::get(file, height, true);
    if (!font->face && file.find("DejaVuSans.ttf") == std::string::npos)
        font->face = FontFace::get(std::string(font_dir()) + "/DejaVuSans.ttf", height < 0 ? -height : height, height > 0);
    return font;
}

}

}

HFONT CreateFontIndirectA(const LOGFONTA* font)
{
    if (!font)
        return nullptr;
    return static_cast<HFONT>(add(make_font(*font)));
}

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
    DWORD strike_out, DWORD charset, DWORD out_precision, DWORD clip_precision, DWORD quality,
    DWORD pitch_and_family, LPCSTR face)
{
    LOGFONTA lf {};
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight;
    lf.lfItalic = static_cast<BYTE>(italic ? 1 : 0);
    lf.lfUnderline = static_cast<BYTE>(underline ? 1 : 0);
    lf.lfStrikeOut = static_cast<BYTE>(strike_out ? 1 : 0);
    lf.lfCharSet = static_cast<BYTE>(charset);
    lf.lfOutPrecision = static_cast<BYTE>(out_precision);
    lf.lfClipPrecision = static_cast<BYTE>(clip_precision);
    lf.lfQuality = static_cast<BYTE>(quality);
    lf.lfPitchAndFamily = static_cast<BYTE>(pitch_and_family);
    if (face)
        std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirectA(&lf);
}

LONG GetDialogBaseUnits()
{
    return MAKELONG(kDialogBaseUnitX, kDialogBaseUnitY);
}
