#pragma once

// Text output with the DC's font, colours, background mode and alignment. Text is UTF-8.
//
// Glyphs are antialiased and blended onto the surface in the text colour; with OPAQUE background
// mode the text's cell is first filled with the background colour. TextOutA and ExtTextOutA place
// the reference point by SetTextAlign; DrawTextA lays text out in a rectangle (alignment, single
// line or word wrapping, '&' prefixes, end ellipsis) and can measure instead of drawing.

#include <base/Types.h>
#include <gdi/Fonts.h>

#define TRANSPARENT 1
#define OPAQUE 2

#define TA_NOUPDATECP 0
#define TA_UPDATECP 1
#define TA_LEFT 0
#define TA_RIGHT 2
#define TA_CENTER 6
#define TA_TOP 0
#define TA_BOTTOM 8
#define TA_BASELINE 24
#define GDI_ERROR 0xFFFFFFFFu

#define ETO_OPAQUE 0x0002
#define ETO_CLIPPED 0x0004

#define DT_TOP 0x00000000
#define DT_LEFT 0x00000000
#define DT_CENTER 0x00000001
#define DT_RIGHT 0x00000002
#define DT_VCENTER 0x00000004
#define DT_BOTTOM 0x00000008
#define DT_WORDBREAK 0x00000010
#define DT_SINGLELINE 0x00000020
#define DT_EXPANDTABS 0x00000040
#define DT_TABSTOP 0x00000080
#define DT_NOCLIP 0x00000100
#define DT_EXTERNALLEADING 0x00000200
#define DT_CALCRECT 0x00000400
#define DT_NOPREFIX 0x00000800
#define DT_INTERNAL 0x00001000
#define DT_EDITCONTROL 0x00002000
#define DT_PATH_ELLIPSIS 0x00004000
#define DT_END_ELLIPSIS 0x00008000
#define DT_MODIFYSTRING 0x00010000
#define DT_RTLREADING 0x00020000
#define DT_WORD_ELLIPSIS 0x00040000
#define DT_HIDEPREFIX 0x00100000
#define DT_PREFIXONLY 0x00200000

COLORREF SetTextColor(HDC hdc, COLORREF color);
COLORREF GetTextColor(HDC hdc);
COLORREF SetBkColor(HDC hdc, COLORREF color);
COLORREF GetBkColor(HDC hdc);
int SetBkMode(HDC hdc, int mode);
int GetBkMode(HDC hdc);
UINT SetTextAlign(HDC hdc, UINT align);
UINT GetTextAlign(HDC hdc);

BOOL TextOutA(HDC hdc, int x, int y, LPCSTR text, int length);
// ETO_OPAQUE fills rect with the background colour, ETO_CLIPPED clips the text to it; dx, when
// given, holds each character's advance.
BOOL ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT length,
    const INT* dx);
// Lays out text in rect; length -1 means up to the terminating zero. Returns the text's height
// (0 on failure). With DT_CALCRECT it draws nothing and sets rect's right and bottom to the
// text's extent: the widest line (with DT_WORDBREAK a word wider than rect widens it).
int DrawTextA(HDC hdc, LPCSTR text, int length, LPRECT rect, UINT format);
BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR text, int length, LPSIZE size);
BOOL GetTextMetricsA(HDC hdc, LPTEXTMETRICA metrics);
// The face name of the selected font.
int GetTextFaceA(HDC hdc, int size, LPSTR face);
