#pragma once

// Lines, shapes and rectangle fills with the DC's pen and brush, in logical coordinates.
//
// Rectangles exclude their right and bottom edges. Lines drawn with LineTo and Polyline leave out
// their last point. A NULL pen draws no outline (Rectangle and Ellipse then fill one pixel less
// to the right and bottom, as on Windows). Brush arguments may also be (HBRUSH)(COLOR_xxx + 1).

#include <base/Types.h>

// Raster operations for PatBlt, BitBlt and StretchBlt.
#define SRCCOPY 0x00CC0020u
#define SRCPAINT 0x00EE0086u
#define SRCAND 0x008800C6u
#define SRCINVERT 0x00660046u
#define SRCERASE 0x00440328u
#define NOTSRCCOPY 0x00330008u
#define NOTSRCERASE 0x001100A6u
#define MERGEPAINT 0x00BB0226u
#define PATCOPY 0x00F00021u
#define PATINVERT 0x005A0049u
#define DSTINVERT 0x00550009u
#define BLACKNESS 0x00000042u
#define WHITENESS 0x00FF0062u

int FillRect(HDC hdc, const RECT* rect, HBRUSH brush);
// A one-pixel frame just inside the rectangle, in the brush.
int FrameRect(HDC hdc, const RECT* rect, HBRUSH brush);
BOOL InvertRect(HDC hdc, const RECT* rect);
// The dotted focus frame (XOR, so a second call removes it).
BOOL DrawFocusRect(HDC hdc, const RECT* rect);
BOOL PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop);

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);
BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom);
BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT previous);
BOOL LineTo(HDC hdc, int x, int y);
BOOL GetCurrentPositionEx(HDC hdc, LPPOINT position);
BOOL Polyline(HDC hdc, const POINT* points, int count);
// Fills the polygon with the brush (fill mode of the DC) and outlines it, closed, with the pen.
BOOL Polygon(HDC hdc, const POINT* points, int count);

// Sets one pixel; returns the colour set, or CLR_INVALID outside the clip.
COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color);
// The colour of one pixel, or CLR_INVALID outside the surface or clip.
COLORREF GetPixel(HDC hdc, int x, int y);
