#include "BarBitmaps.h"

#include <gdi/Png.h>
#include <gdi/Resources.h>
#include <gdi/Surface.h>

#include <array>
#include <cstring>
#include <vector>

namespace {

// Each picture is a grid of letters, one per pixel: '.' the button face, the others a colour
// of the palette below.
gdi::Pixel colour(char c)
{
    switch (c) {
    case 'k': return 0xFF20242Cu; // outline
    case 'g': return 0xFF6C7480u; // grey
    case 'w': return 0xFFF4F6F8u; // white
    case 'b': return 0xFF2F8FE0u; // screen blue
    case 'l': return 0xFF9CCFF5u; // light blue
    case 'd': return 0xFF404856u; // dark screen
    case 'r': return 0xFFD8302Au; // red
    case 'G': return 0xFF2E9E4Au; // green
    case 'y': return 0xFFE8B83Au; // yellow
    case 'n': return 0xFF8A5A2Eu; // brown
    default: return 0xFFD4D0C8u;  // the button face
    }
}

struct Picture {
    UINT id;
    std::array<const char*, 15> rows;
};

const Picture Pictures[] = {
    { IDB_TVON, { "................", "....k.....k.....", ".....k...k......", "......k.k.......",
                     ".kkkkkkkkkkkkkk.", ".kbbbbbbbbbbbbk.", ".kbllbbbbbbbbbk.", ".kblbbbbbbbbbbk.",
                     ".kbbbbbbbbbbbbk.", ".kbbbbbbbbbbbbk.", ".kbbbbbbbbbbbbk.", ".kkkkkkkkkkkkkk.",
                     "......kkkk......", "....kkkkkkkk....", "................" } },
    { IDB_TVOFF, { "................", "....g.....g.....", ".....g...g......", "......g.g.......",
                      ".kkkkkkkkkkkkkk.", ".kddddddddddddk.", ".kddddddddddddk.", ".kddddddddddddk.",
                      ".kddddddddddddk.", ".kddddddddddddk.", ".kddddddddddddk.", ".kkkkkkkkkkkkkk.",
                      "......kkkk......", "....kkkkkkkk....", "................" } },
    { IDB_ARCHIVES, { "................", "................", ".kkkkkkkkkkkkkk.", ".knnnnnnnnnnnnk.",
                         ".knnnkkkkkknnnk.", ".knnnnnnnnnnnnk.", ".kkkkkkkkkkkkkk.", ".knnnnnnnnnnnnk.",
                         ".knnnkkkkkknnnk.", ".knnnnnnnnnnnnk.", ".kkkkkkkkkkkkkk.", ".knnnnnnnnnnnnk.",
                         ".knnnkkkkkknnnk.", ".kkkkkkkkkkkkkk.", "................" } },
    { IDB_TIMER, { "................", ".....kkkkkk.....", "...kkwwwwwwkk...", "..kwwwwkwwwwwk..",
                      "..kwwwwkwwwwwk..", ".kwwwwwkwwwwwwk.", ".kwwwwwkwwwwwwk.", ".kwwwwwkkkkkwwk.",
                      ".kwwwwwwwwwwwwk.", ".kwwwwwwwwwwwwk.", "..kwwwwwwwwwwk..", "..kwwwwwwwwwwk..",
                      "...kkwwwwwwkk...", ".....kkkkkk.....", "................" } },
    { IDB_PLAY, { "................", "....k...........", "....kk..........", "....kGk.........",
                     "....kGGk........", "....kGGGk.......", "....kGGGGk......", "....kGGGGGk.....",
                     "....kGGGGk......", "....kGGGk.......", "....kGGk........", "....kGk.........",
                     "....kk..........", "....k...........", "................" } },
    { IDB_STOP, { "................", "................", "................", "...kkkkkkkkkk...",
                     "...kggggggggk...", "...kggggggggk...", "...kggggggggk...", "...kggggggggk...",
                     "...kggggggggk...", "...kggggggggk...", "...kggggggggk...", "...kkkkkkkkkk...",
                     "................", "................", "................" } },
    { IDB_RECORD, { "................", "................", ".....kkkkkk.....", "....krrrrrrk....",
                       "...krrrrrrrrk...", "...krrwrrrrrk...", "...krrrrrrrrk...", "...krrrrrrrrk...",
                       "...krrrrrrrrk...", "...krrrrrrrrk...", "....krrrrrrk....", ".....kkkkkk.....",
                       "................", "................", "................" } },
    { IDB_CHANNELUP, { "................", "................", ".......kk.......", "......kbbk......",
                          ".....kbbbbk.....", "....kbbbbbbk....", "...kbbbbbbbbk...", "..kbbbbbbbbbbk..",
                          ".kkkkkbbbbkkkkk.", ".....kbbbbk.....", ".....kbbbbk.....", ".....kbbbbk.....",
                          ".....kkkkkk.....", "................", "................" } },
    { IDB_CHANNELDOWN, { "................", "................", ".....kkkkkk.....", ".....kbbbbk.....",
                            ".....kbbbbk.....", ".....kbbbbk.....", ".kkkkkbbbbkkkkk.", "..kbbbbbbbbbbk..",
                            "...kbbbbbbbbk...", "....kbbbbbbk....", ".....kbbbbk.....", "......kbbk......",
                            ".......kk.......", "................", "................" } },
    { IDB_SKIPFORWARD, { "................", "................", "..k......k....k.", "..kk.....kk...k.",
                            "..kGk....kGk..k.", "..kGGk...kGGk.k.", "..kGGGk..kGGGkk.", "..kGGGGk.kGGGGk.",
                            "..kGGGk..kGGGkk.", "..kGGk...kGGk.k.", "..kGk....kGk..k.", "..kk.....kk...k.",
                            "..k......k....k.", "................", "................" } },
    { IDB_SKIPBACKWARD, { "................", "................", ".k....k......k..", ".k...kk.....kk..",
                             ".k..kGk....kGk..", ".k.kGGk...kGGk..", ".kkGGGk..kGGGk..", ".kGGGGk.kGGGGk..",
                             ".kkGGGk..kGGGk..", ".k.kGGk...kGGk..", ".k..kGk....kGk..", ".k...kk.....kk..",
                             ".k....k......k..", "................", "................" } },
    { IDB_SOUND, { "................", ".......k........", "......kk....k...", ".....kgk.....k..",
                      "..kkkggk..k...k.", "..kgggggk..k..k.", "..kgggggk..k..k.", "..kgggggk..k..k.",
                      "..kgggggk..k..k.", "..kkkggk..k...k.", ".....kgk.....k..", "......kk....k...",
                      ".......k........", "................", "................" } },
    { IDB_MUTED, { "................", ".......k........", "......kk........", ".....kgk........",
                      "..kkkggk.r...r..", "..kgggggk.r.r...", "..kgggggk..r....", "..kgggggk.r.r...",
                      "..kgggggkr...r..", "..kkkggk........", ".....kgk........", "......kk........",
                      ".......k........", "................", "................" } },
};

// A thumb: a raised yellow-grey tab, `width` x `height`.
gdi::Surface thumb(int width, int height, gdi::Pixel face)
{
    gdi::Surface image(width, height, face);
    for (int x = 0; x < width; ++x) {
        image.set_pixel(x, 0, colour('w'));
        image.set_pixel(x, height - 1, colour('k'));
    }
    for (int y = 0; y < height; ++y) {
        image.set_pixel(0, y, colour('w'));
        image.set_pixel(width - 1, y, colour('k'));
    }
    for (int y = 3; y < height - 3; y += 2)
        for (int x = 3; x < width - 3; ++x)
            image.set_pixel(x, y, colour('g'));
    return image;
}

gdi::Surface draw(const Picture& picture)
{
    gdi::Surface image(16, 15);
    for (int y = 0; y < 15; ++y) {
        const char* row = picture.rows[static_cast<std::size_t>(y)];
        for (int x = 0; x < 16 && row[x]; ++x)
            image.set_pixel(x, y, colour(row[x]));
    }
    return image;
}

struct Encoded {
    UINT id;
    std::vector<BYTE> png;
};

const std::vector<Encoded>& encoded()
{
    static const std::vector<Encoded> files = [] {
        std::vector<Encoded> out;
        for (const Picture& picture : Pictures)
            out.push_back({ picture.id, gdi::encode_png(draw(picture)) });
        out.push_back({ IDB_VOLUMETHUMB, gdi::encode_png(thumb(8, 16, colour('y'))) });
        out.push_back({ IDB_SLIDERTHUMB, gdi::encode_png(thumb(11, 18, colour('.'))) });
        return out;
    }();
    return files;
}

}

void RegisterBarBitmaps()
{
    for (const Encoded& file : encoded())
        gdi::register_image(file.id, file.png.data(), file.png.size());
}
