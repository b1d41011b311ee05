#pragma once

// Fonts: LOGFONTA descriptions mapped onto the DejaVu faces and drawn through FreeType.
//
// A negative lfHeight is the character (em) height in pixels, a positive one the cell height
// (ascent + descent), 0 the dialog font's size. Face names map to DejaVu Sans, Sans Mono
// ("Courier", "Mono", "Console", "Fixed") or Serif ("Times", "Serif" without "Sans", "Roman");
// lfWeight >= 600 takes the bold face, lfItalic the oblique one. The dialog font (DEFAULT_GUI_FONT,
// also SYSTEM_FONT) is DejaVu Sans at 8 points at 96 dpi (-11 px, a 13-pixel cell); dialog base
// units are fixed at 6 x 13 pixels so every dialog layout is the same on every machine.

#include <base/Types.h>

#define LF_FACESIZE 32

#define FW_DONTCARE 0
#define FW_THIN 100
#define FW_LIGHT 300
#define FW_NORMAL 400
#define FW_REGULAR 400
#define FW_MEDIUM 500
#define FW_SEMIBOLD 600
#define FW_BOLD 700
#define FW_HEAVY 900

#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define OUT_DEFAULT_PRECIS 0
#define CLIP_DEFAULT_PRECIS 0
#define DEFAULT_QUALITY 0
#define ANTIALIASED_QUALITY 4
#define DEFAULT_PITCH 0
#define FIXED_PITCH 1
#define VARIABLE_PITCH 2
#define FF_DONTCARE 0x00
#define FF_ROMAN 0x10
#define FF_SWISS 0x20
#define FF_MODERN 0x30
#define TMPF_FIXED_PITCH 0x01
#define TMPF_VECTOR 0x02
#define TMPF_TRUETYPE 0x04

struct LOGFONTA {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    CHAR lfFaceName[LF_FACESIZE];
};
using LPLOGFONTA = LOGFONTA*;

struct TEXTMETRICA {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    BYTE tmFirstChar;
    BYTE tmLastChar;
    BYTE tmDefaultChar;
    BYTE tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
};
using LPTEXTMETRICA = TEXTMETRICA*;

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
    DWORD underline, DWORD strike_out, DWORD charset, DWORD out_precision, DWORD clip_precision,
    DWORD quality, DWORD pitch_and_family, LPCSTR face);
HFONT CreateFontIndirectA(const LOGFONTA* font);
// The dialog base units, MAKELONG(6, 13).
LONG GetDialogBaseUnits();

namespace gdi {

constexpr int kDialogBaseUnitX = 6;
constexpr int kDialogBaseUnitY = 13;
// The dialog font's lfHeight: 8 points at 96 dpi.
constexpr int kDialogFontHeight = -11;
constexpr const char* kDialogFontFace = "DejaVu Sans";

// Pixels of a horizontal / vertical dialog unit count (MapDialogRect's arithmetic).
constexpr int dialog_units_to_pixels_x(int units) { return units * kDialogBaseUnitX / 4; }
constexpr int dialog_units_to_pixels_y(int units) { return units * kDialogBaseUnitY / 8; }

// The stock dialog font (DEFAULT_GUI_FONT).
HFONT dialog_font();
// The font file a description maps to (for tests and diagnostics).
const char* font_file_for(const LOGFONTA& font);

}
