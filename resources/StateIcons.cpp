#include "StateIcons.h"

#include <gdi/Png.h>
#include <gdi/Resources.h>
#include <gdi/Surface.h>

#include <array>
#include <vector>

namespace {

enum class Look { Idle, Recording, Tv };

constexpr gdi::Pixel Clear = 0x00000000u;
constexpr gdi::Pixel Cabinet = 0xFF2E3440u;
constexpr gdi::Pixel Antenna = 0xFF4C566Au;
constexpr gdi::Pixel IdleScreen = 0xFF7A8899u;
constexpr gdi::Pixel TvScreen = 0xFF2F8FE0u;
constexpr gdi::Pixel TvGlare = 0xFF9CCFF5u;
constexpr gdi::Pixel RecordingScreen = 0xFF1C2833u;
constexpr gdi::Pixel RecordDot = 0xFFE0302Au;

// A small television set on a 16-unit grid, scaled to `size` pixels: cabinet, screen, stand and
// antenna; the screen's colour tells the activity, and recording adds a red dot.
gdi::Surface draw(Look look, int size)
{
    int k = size / 16;
    gdi::Surface image(size, size, Clear);
    auto box = [&](int l, int t, int r, int b, gdi::Pixel p) { image.fill(RECT { l * k, t * k, r * k, b * k }, p); };

    for (int step = 0; step < 3; ++step) {
        box(7 - step, 2 - step, 8 - step, 3 - step, Antenna);
        box(8 + step, 2 - step, 9 + step, 3 - step, Antenna);
    }
    box(1, 3, 15, 13, Cabinet);
    box(6, 13, 10, 14, Cabinet);
    box(4, 14, 12, 15, Cabinet);
    switch (look) {
    case Look::Idle:
        box(2, 4, 14, 12, IdleScreen);
        break;
    case Look::Tv:
        box(2, 4, 14, 12, TvScreen);
        box(3, 5, 6, 6, TvGlare);
        break;
    case Look::Recording: {
        box(2, 4, 14, 12, RecordingScreen);
        // A disc of radius 3 units centred on the screen.
        double cx = 8.0 * k, cy = 8.0 * k, r = 3.0 * k;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
                if (dx * dx + dy * dy <= r * r)
                    image.set_pixel(x, y, RecordDot);
            }
        }
        break;
    }
    }
    return image;
}

struct IconImage {
    UINT id;
    Look look;
    int size;
};

constexpr std::array<IconImage, 6> Icons { {
    { IDI_IDLE, Look::Idle, 32 },
    { IDI_IDLE_SMALL, Look::Idle, 16 },
    { IDI_RECORDING, Look::Recording, 32 },
    { IDI_RECORDING_SMALL, Look::Recording, 16 },
    { IDI_TV, Look::Tv, 32 },
    { IDI_TV_SMALL, Look::Tv, 16 },
} };

// The PNG bytes of every icon, made once; the image registry keeps pointers into them.
const std::array<std::vector<BYTE>, Icons.size()>& encoded()
{
    static const auto files = [] {
        std::array<std::vector<BYTE>, Icons.size()> out;
        for (std::size_t i = 0; i < Icons.size(); ++i)
            out[i] = gdi::encode_png(draw(Icons[i].look, Icons[i].size));
        return out;
    }();
    return files;
}

}

void RegisterStateIcons()
{
    const auto& files = encoded();
    for (std::size_t i = 0; i < Icons.size(); ++i)
        gdi::register_image(Icons[i].id, files[i].data(), files[i].size());
}
