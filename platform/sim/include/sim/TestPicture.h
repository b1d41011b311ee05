#pragma once

// The pictures of the virtual capture card: YUY2 frames that show which channel or input they
// come from, and a way to read that back from a frame.
//
// A frame has, from the top: a code strip (black and white cells holding the source and the
// frame number, with a check sum), colour bars in a hue of the source, the source's label
// ("5", "125", "L1") in large block digits on a black box, and a running clock (stream time as
// hh:mm:ss) with the frame number. Noise is luma snow that changes with every frame. The strip
// cells are wide (1/48 of the width), so identify_picture also reads frames that were scaled or
// converted to RGB on their way to a window.
//
//     sim::TestPicture picture(720, 576);
//     std::vector<BYTE> frame(picture.frame_bytes());
//     picture.render(sim::PictureSource::channel(5), 17, 17 * UNITS / 25, frame.data());
//     auto seen = sim::identify_picture(frame.data(), 720, 576);   // channel 5, frame 17

#include <base/Types.h>
#include <dshow/MediaFormats.h>
#include <sim/PictureSource.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace sim {

class TestPicture {
public:
    // Even widths only (YUY2 packs two pixels); odd widths are rounded down.
    explicit TestPicture(int width = 720, int height = 576);

    int width() const { return m_width; }
    int height() const { return m_height; }
    std::size_t frame_bytes() const { return static_cast<std::size_t>(m_width) * m_height * 2; }
    VIDEOINFOHEADER format(REFERENCE_TIME time_per_frame) const;

    // Draws frame `frame_number` of `source`, at stream time `time`, into `out` (frame_bytes()).
    void render(const PictureSource& source, std::uint32_t frame_number, REFERENCE_TIME time, BYTE* out) const;
    std::vector<BYTE> render(const PictureSource& source, std::uint32_t frame_number, REFERENCE_TIME time) const;
    // The same into `out` that already holds a frame of `source` at this size: only what changes
    // from frame to frame (the code strip and the clock) is drawn again.
    void render_changes(const PictureSource& source, std::uint32_t frame_number, REFERENCE_TIME time, BYTE* out) const;

private:
    struct Layout;
    void draw_bars(const PictureSource& source, int top, int bottom, BYTE* out) const;
    void draw_code(const PictureSource& source, std::uint32_t frame_number, const Layout& layout, BYTE* out) const;
    void draw_label(const Layout& layout, BYTE* out) const;
    void draw_clock(std::uint32_t frame_number, REFERENCE_TIME time, const Layout& layout, BYTE* out) const;

    int m_width;
    int m_height;
};

struct PictureIdentity {
    PictureSource source;
    std::uint32_t frame = 0; // frame number modulo 2^24; 0 for noise
};

// Which source a YUY2 frame shows; nullopt when it is none of the test pictures (black, garbage).
std::optional<PictureIdentity> identify_picture(const BYTE* yuy2, int width, int height);
// The same for a 32-bit RGB surface (0x00RRGGBB pixels), `stride` in pixels.
std::optional<PictureIdentity> identify_picture_rgb32(const DWORD* pixels, int width, int height, int stride);
// Only the code strip of a 32-bit RGB surface (noise is not looked for): cheap enough to try at
// many places of a screen grab when looking for where a picture lies.
std::optional<PictureIdentity> read_picture_code_rgb32(const DWORD* pixels, int width, int height, int stride);

}
