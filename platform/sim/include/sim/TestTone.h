#pragma once

// The sound of the virtual capture card: 16-bit PCM with a pitch that depends on the source, and
// a way to tell the source back from a stretch of sound.
//
// Channel n plays a sine of 400 + 20 n Hz, input L1 250 Hz and L2 300 Hz, on every channel of
// the format at a third of full scale; noise is a quiet hiss. Samples are a function of their
// absolute index, so buffers cut anywhere join without a click and stay exact over hours.
//
//     sim::TestTone tone(sim::PictureSource::channel(5));          // 44100 Hz stereo
//     std::vector<std::int16_t> pcm(4410 * 2);
//     tone.render(0, 4410, pcm.data());
//     sim::identify_tone(pcm.data(), 4410, 2, 44100);             // channel 5

#include <base/Types.h>
#include <dshow/MediaFormats.h>
#include <sim/PictureSource.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace sim {

// The pitch of a source in Hz; 0 for noise.
double tone_frequency(const PictureSource& source);

class TestTone {
public:
    explicit TestTone(const PictureSource& source, DWORD samples_per_second = 44100, WORD channels = 2);

    WAVEFORMATEX format() const;
    double frequency() const { return m_frequency; }
    // Sound frames (one sample per channel) in `duration` of stream time, rounded down.
    std::uint64_t frames_in(REFERENCE_TIME duration) const;

    // Frames [first, first + count) into `out`, interleaved, count * channels samples.
    void render(std::uint64_t first, std::size_t count, std::int16_t* out) const;

private:
    PictureSource m_source;
    DWORD m_rate;
    WORD m_channels;
    double m_frequency;
    std::shared_ptr<const std::vector<std::int16_t>> m_cycle; // one cycle of the tone's samples
};

// The pitch of the first channel, from its zero crossings; 0 when silent or without a steady pitch.
double measure_pitch(const std::int16_t* samples, std::size_t frames, int channels, DWORD samples_per_second);
// Which source the sound comes from; nullopt when silent or no source's pitch.
std::optional<PictureSource> identify_tone(const std::int16_t* samples, std::size_t frames, int channels, DWORD samples_per_second);

}
