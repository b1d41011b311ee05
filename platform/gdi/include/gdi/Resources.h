#pragma once

// The program's compiled-in images: a registry from resource id (or name) to PNG bytes, which
// LoadBitmapA, LoadIconA and LoadImageA decode. The resource files register their images at start
// (gdi::register_image); the module handle is not looked at, as the program has one image set.
//
// LoadIconA(NULL, IDI_xxx) gives the built-in system icons. A missing resource fails with
// ERROR_RESOURCE_NAME_NOT_FOUND (1814, gdi::kErrorResourceNameNotFound) as the last error.

#include <base/Types.h>

#include <cstddef>

#ifndef MAKEINTRESOURCEA
#    define IS_INTRESOURCE(r) ((reinterpret_cast<ULONG_PTR>(r) >> 16) == 0)
#    define MAKEINTRESOURCEA(i) (reinterpret_cast<LPSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(i))))
#    define MAKEINTRESOURCE MAKEINTRESOURCEA
#endif

#define IDI_APPLICATION MAKEINTRESOURCEA(32512)
#define IDI_HAND MAKEINTRESOURCEA(32513)
#define IDI_ERROR IDI_HAND
#define IDI_QUESTION MAKEINTRESOURCEA(32514)
#define IDI_EXCLAMATION MAKEINTRESOURCEA(32515)
#define IDI_WARNING IDI_EXCLAMATION
#define IDI_ASTERISK MAKEINTRESOURCEA(32516)
#define IDI_INFORMATION IDI_ASTERISK
#define IDI_WINLOGO MAKEINTRESOURCEA(32517)

#define IMAGE_BITMAP 0
#define IMAGE_ICON 1
#define IMAGE_CURSOR 2

#define LR_DEFAULTCOLOR 0x00000000
#define LR_LOADFROMFILE 0x00000010
#define LR_DEFAULTSIZE 0x00000040
#define LR_SHARED 0x00008000
#define LR_CREATEDIBSECTION 0x00002000

// Loads a registered image as a 32-bit bitmap.
HBITMAP LoadBitmapA(HINSTANCE module, LPCSTR name);
// Loads a registered image as an icon (module NULL: a built-in IDI_ icon).
HICON LoadIconA(HINSTANCE module, LPCSTR name);
// IMAGE_BITMAP or IMAGE_ICON, scaled to width x height when they are not 0 (LR_DEFAULTSIZE:
// 32 x 32 for icons). LR_LOADFROMFILE reads a PNG file named by a Linux path.
HANDLE LoadImageA(HINSTANCE module, LPCSTR name, UINT type, int width, int height, UINT flags);

namespace gdi {

constexpr DWORD kErrorResourceNameNotFound = 1814;

// Registers PNG bytes under a numeric id; the bytes must stay valid (compiled-in data).
void register_image(UINT id, const void* png, std::size_t size);
// Registers PNG bytes under a name (matched without regard to case).
void register_image(const char* name, const void* png, std::size_t size);
// Removes every registered image (tests).
void clear_images();
// Whether an image is registered under the resource name (MAKEINTRESOURCE id, "#id" or a name).
bool has_image(LPCSTR name);

}
