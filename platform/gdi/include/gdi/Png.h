#pragma once

// PNG files and images: snapshots of surfaces for people to look at, and the program's compiled-in
// bitmaps and icons, which are stored as PNG bytes (see Resources.h).
//
// Pixels keep their alpha both ways, so writing a surface and reading the file back gives the same
// pixels. Paths are Linux paths.

#include <gdi/Surface.h>

#include <optional>
#include <string>
#include <vector>

namespace gdi {

// Writes a whole surface to a PNG file; false (and nothing left behind) on failure.
bool write_png(const Surface& surface, const std::string& path);
// Writes the part of a surface inside rect (clipped to the surface); an empty part fails.
bool write_png(const Surface& surface, const RECT& rect, const std::string& path);
// Encodes a surface as PNG bytes; empty on failure.
std::vector<BYTE> encode_png(const Surface& surface);

// Decodes PNG bytes into an owned surface; nothing for data that is not a valid PNG image.
std::optional<Surface> read_png(const void* data, std::size_t size);
// Reads a PNG file into an owned surface.
std::optional<Surface> read_png_file(const std::string& path);

}
