#pragma once

// Drawing objects: pens, brushes, bitmaps and rectangular regions, the stock objects, and the
// calls shared by all objects (DeleteObject, GetObjectA, GetObjectType).
//
// Every object is a handle into one table; handles are never reused within a run, so a deleted
// handle stays invalid. Stock objects ignore DeleteObject. A device context keeps what is selected
// into it alive, so deleting a selected pen, brush or font is safe; a bitmap selected into a DC
// cannot be deleted (FALSE) and cannot be selected into a second DC. Fonts are in Fonts.h.
// Bitmaps are 32-bit surfaces whatever their declared depth; GetObjectA reports the declared one.

#include <base/Types.h>
#include <gdi/Surface.h>

#include <memory>

// Pen styles.
#define PS_SOLID 0
#define PS_DASH 1
#define PS_DOT 2
#define PS_DASHDOT 3
#define PS_DASHDOTDOT 4
#define PS_NULL 5
#define PS_INSIDEFRAME 6
#define PS_STYLE_MASK 0x0000000F

// Brush styles and hatches.
#define BS_SOLID 0
#define BS_NULL 1
#define BS_HOLLOW BS_NULL
#define BS_HATCHED 2
#define HS_HORIZONTAL 0
#define HS_VERTICAL 1
#define HS_FDIAGONAL 2
#define HS_BDIAGONAL 3
#define HS_CROSS 4
#define HS_DIAGCROSS 5

// Stock objects.
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define OEM_FIXED_FONT 10
#define ANSI_FIXED_FONT 11
#define ANSI_VAR_FONT 12
#define SYSTEM_FONT 13
#define DEVICE_DEFAULT_FONT 14
#define SYSTEM_FIXED_FONT 16
#define DEFAULT_GUI_FONT 17
#define DC_BRUSH 18
#define DC_PEN 19

// Object types (GetObjectType, GetCurrentObject).
#define OBJ_PEN 1
#define OBJ_BRUSH 2
#define OBJ_DC 3
#define OBJ_FONT 6
#define OBJ_BITMAP 7
#define OBJ_REGION 8
#define OBJ_MEMDC 10

// Bitmap headers.
#define BI_RGB 0
#define BI_BITFIELDS 3
#define DIB_RGB_COLORS 0
#define DIB_PAL_COLORS 1

// Region results and combination.
#define NULLREGION 1
#define SIMPLEREGION 2
#define COMPLEXREGION 3
#define RGN_ERROR 0

struct LOGPEN {
    UINT lopnStyle;
    POINT lopnWidth;
    COLORREF lopnColor;
};

struct LOGBRUSH {
    UINT lbStyle;
    COLORREF lbColor;
    ULONG_PTR lbHatch;
};

struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
};
using LPBITMAP = BITMAP*;

// Media formats (dshow/MediaFormats.h) define the same header.
#ifndef ORBIVANE_BITMAPINFOHEADER_DEFINED
#    define ORBIVANE_BITMAPINFOHEADER_DEFINED
struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
using LPBITMAPINFOHEADER = BITMAPINFOHEADER*;
#endif

struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};

struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};

HPEN CreatePen(int style, int width, COLORREF color);
HPEN CreatePenIndirect(const LOGPEN* pen);
HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreateHatchBrush(int hatch, COLORREF color);
HBRUSH CreateBrushIndirect(const LOGBRUSH* brush);

// A bitmap of the given declared depth (1, 24 or 32 bits); bits, when given, are rows of the
// declared depth, each padded to an even number of bytes.
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bits_per_pixel, const void* bits);
// A 32-bit bitmap, black, whatever the DC (also for a memory DC holding its 1x1 stock bitmap).
HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height);
// A DIB section of 24 or 32 bits (BI_RGB); *bits receives memory the caller may write directly.
// Rows run bottom-up for a positive biHeight, top-down for a negative one; rows are 4-byte aligned.
HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
    DWORD offset);

HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const RECT* rect);
// True when the point lies in the region (right and bottom excluded).
BOOL PtInRegion(HRGN region, int x, int y);
int GetRgnBox(HRGN region, LPRECT rect);
BOOL SetRectRgn(HRGN region, int left, int top, int right, int bottom);

HGDIOBJ GetStockObject(int index);
BOOL DeleteObject(HGDIOBJ object);
// Copies LOGPEN, LOGBRUSH, LOGFONTA or BITMAP into buffer; returns bytes copied, or the size
// needed when buffer is NULL; 0 for an invalid handle or a too-small buffer.
int GetObjectA(HGDIOBJ object, int size, LPVOID buffer);
// One of the OBJ_* values, 0 for an invalid handle.
DWORD GetObjectType(HGDIOBJ object);

namespace gdi {

// The surface of a bitmap (its pixels are the bitmap's), or nullptr for an invalid handle. A
// 24-bit DIB section's surface is brought up to date from its bits first.
std::shared_ptr<Surface> bitmap_surface(HBITMAP bitmap);
// A new bitmap that draws into the given surface (for surfaces made by higher areas).
HBITMAP create_bitmap(std::shared_ptr<Surface> surface);
// True when the handle names a live object (stock objects included).
bool is_valid_object(HGDIOBJ object);

}
