#include "SoundOutput.h"

#include <alsa/asoundlib.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace dshow::detail {

namespace {

snd_pcm_t* pcm_of(void* handle) { return static_cast<snd_pcm_t*>(handle); }

void ignore_alsa_error(const char*, int, const char*, int, const char*, ...) { }

}

std::string SoundOutput::device_name()
{
    const char* chosen = std::getenv("ORBIVANE_AUDIO");
    if (!chosen || !*chosen)
        return "default";
    if (std::string(chosen) == "none")
        return {};
    return chosen;
}

std::unique_ptr<SoundOutput> SoundOutput::open(const WAVEFORMATEX& format)
{
    std::string name = device_name();
    if (name.empty() || format.wFormatTag != WAVE_FORMAT_PCM || format.nChannels == 0 || format.nSamplesPerSec == 0)
        return nullptr;
    snd_pcm_format_t sample = format.wBitsPerSample == 16 ? SND_PCM_FORMAT_S16_LE : format.wBitsPerSample == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_UNKNOWN;
    if (sample == SND_PCM_FORMAT_UNKNOWN)
        return nullptr;
    // ALSA reports a missing device on standard error; the renderer then plays silently.
    snd_lib_error_set_handler(ignore_alsa_error);
    snd_pcm_t* pcm = nullptr;
    if (snd_pcm_open(&pcm, name.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0)
        return nullptr;
    if (snd_pcm_set_params(pcm, sample, SND_PCM_ACCESS_RW_INTERLEAVED, format.nChannels, format.nSamplesPerSec, 1,
                           static_cast<unsigned>(latency() / 10))
        < 0) {
        snd_pcm_close(pcm);
        return nullptr;
    }
    return std::unique_ptr<SoundOutput>(new SoundOutput(pcm, format.nBlockAlign));
}

SoundOutput::SoundOutput(void* pcm, std::size_t block)
    : m_pcm(pcm)
    , m_block(block ? block : 1)
{
}

SoundOutput::~SoundOutput()
{
    discard();
    snd_pcm_close(pcm_of(m_pcm));
}

bool SoundOutput::write(const BYTE* data, std::size_t bytes)
{
    unsigned generation = m_generation;
    snd_pcm_uframes_t left = bytes / m_block;
    while (left > 0) {
        snd_pcm_sframes_t written;
        {
            std::lock_guard guard(m_lock);
            if (generation != m_generation)
                return true;
            written = snd_pcm_writei(pcm_of(m_pcm), data, left);
            if (written < 0 && written != -EAGAIN)
                written = snd_pcm_recover(pcm_of(m_pcm), static_cast<int>(written), 1) < 0 ? written : 0;
        }
        if (written == -EAGAIN || written == 0) {
            // The device's buffer is full: wait a little for room (a discard ends the wait).
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        if (written < 0)
            return false;
        data += static_cast<std::size_t>(written) * m_block;
        left -= static_cast<snd_pcm_uframes_t>(written);
    }
    return true;
}

void SoundOutput::discard()
{
    std::lock_guard guard(m_lock);
    ++m_generation;
    snd_pcm_drop(pcm_of(m_pcm));
    snd_pcm_prepare(pcm_of(m_pcm));
}

}
