#pragma once

// The machine's sound output for the audio renderer: an ALSA playback device (which PulseAudio
// and PipeWire serve as well), chosen by ORBIVANE_AUDIO: unset or empty is "default", "none"
// switches sound off, anything else names an ALSA device ("null", "hw:1"...).
//
// write() queues sound in the device and waits while the device's buffer is full; discard()
// drops what is queued (the renderer's pause, stop and flush) and lets a waiting write return at
// once. The device holds up to latency() of sound ahead of what is heard.
//
// This file and SoundOutput.cpp are the only ones of the area that see ALSA.

#include <dshow/MediaFormats.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

namespace dshow::detail {

class SoundOutput {
public:
    // The device ORBIVANE_AUDIO names, or an empty text when sound is switched off.
    static std::string device_name();
    // Opens the device for integer PCM of 8 or 16 bits; nullptr when sound is off or no device opens.
    static std::unique_ptr<SoundOutput> open(const WAVEFORMATEX& format);
    ~SoundOutput();
    SoundOutput(const SoundOutput&) = delete;
    SoundOutput& operator=(const SoundOutput&) = delete;

    // Plays whole blocks of `bytes`; false when the device failed (it is of no further use).
    bool write(const BYTE* data, std::size_t bytes);
    void discard();
    static constexpr REFERENCE_TIME latency() { return 200 * MILLISECONDS; }

private:
    SoundOutput(void* pcm, std::size_t block);

    std::mutex m_lock;
    void* m_pcm; // snd_pcm_t
    std::size_t m_block;
    std::atomic<unsigned> m_generation { 0 };
};

}
