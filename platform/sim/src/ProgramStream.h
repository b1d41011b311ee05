#pragma once

// The MPEG-2 encoder of a virtual card that encodes in hardware (internal): each frame period's
// picture (YUY2) and sound become MPEG-2 program-stream packs, the picture through libavcodec's
// "mpeg2video" (PES stream 0xE0), the sound through "mp2" at 48 kHz, stereo, 256 kbit/s (PES
// stream 0xC0), time-stamped with the stream time in 90 kHz units.
//
//     ProgramStreamEncoder encoder;
//     if (encoder.open(720, 480, 30)) encoder.encode(yuy2, pcm, frames, start, first_sound_frame, packs);

#include <base/Types.h>
#include <dshow/MediaFormats.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace sim::detail {

class ProgramStreamEncoder {
public:
    static constexpr int kSoundRate = 48000;
    static constexpr int kSoundChannels = 2;

    ProgramStreamEncoder();
    ~ProgramStreamEncoder();
    ProgramStreamEncoder(const ProgramStreamEncoder&) = delete;
    ProgramStreamEncoder& operator=(const ProgramStreamEncoder&) = delete;

    // False when a codec is missing or refuses the size or rate.
    bool open(int width, int height, int frames_per_second);
    void close();
    // Appends to `packs` one pack with the picture of stream time `start` and the sound frames
    // [first_sound_frame, + sound_frames) as far as whole sound frames of the codec are complete.
    bool encode(const BYTE* yuy2, const std::int16_t* pcm, std::size_t sound_frames, REFERENCE_TIME start,
        std::uint64_t first_sound_frame, std::vector<BYTE>& packs);

private:
    struct State;
    std::unique_ptr<State> m_state;
};

}
