#include "Registry.h"

#include <mm/WaveDevices.h>

#include <base/Text.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr const char* mapper_name = "Sound Mapper";
constexpr WORD manufacturer_id = 0xFF;
constexpr WORD product_id = 1;
constexpr MMVERSION driver_version = 0x0100;

// The product name of device `device` of a kind, or the error that reading it gives.
MMRESULT product_name(mm::detail::DeviceKind kind, UINT_PTR device, std::string& name)
{
    if (device == WAVE_MAPPER) {
        if (mm::detail::device_count(kind) == 0)
            return MMSYSERR_BADDEVICEID;
        name = mapper_name;
        return MMSYSERR_NOERROR;
    }
    if (device > 0xFFFFFFFFu)
        return MMSYSERR_BADDEVICEID;
    auto found = mm::detail::device(kind, static_cast<UINT>(device));
    if (!found)
        return MMSYSERR_BADDEVICEID;
    const auto& wave = kind == mm::detail::DeviceKind::WaveIn ? found->driver->wave_in() : found->driver->wave_out();
    if (wave->caps_fail)
        return MMSYSERR_NODRIVER;
    name = wave->name;
    return MMSYSERR_NOERROR;
}

template<typename Caps>
MMRESULT fill_caps(mm::detail::DeviceKind kind, UINT_PTR device, Caps* caps, UINT size)
{
    if (!caps)
        return MMSYSERR_INVALPARAM;
    std::string name;
    if (MMRESULT result = product_name(kind, device, name); result != MMSYSERR_NOERROR)
        return result;
    Caps full {};
    full.wMid = manufacturer_id;
    full.wPid = product_id;
    full.vDriverVersion = driver_version;
    base::copy_bounded(full.szPname, sizeof(full.szPname), name);
    full.dwFormats = 0x00000FFF; // 11.025, 22.05 and 44.1 kHz, mono and stereo, 8 and 16 bits
    full.wChannels = 2;
    std::memcpy(caps, &full, std::min<std::size_t>(size, sizeof(full)));
    return MMSYSERR_NOERROR;
}

}

UINT waveInGetNumDevs()
{
    return mm::detail::device_count(mm::detail::DeviceKind::WaveIn);
}

UINT waveOutGetNumDevs()
{
    return mm::detail::device_count(mm::detail::DeviceKind::WaveOut);
}

MMRESULT waveInGetDevCapsA(UINT_PTR device, LPWAVEINCAPSA caps, UINT size)
{
    return fill_caps(mm::detail::DeviceKind::WaveIn, device, caps, size);
}

MMRESULT waveOutGetDevCapsA(UINT_PTR device, LPWAVEOUTCAPSA caps, UINT size)
{
    return fill_caps(mm::detail::DeviceKind::WaveOut, device, caps, size);
}
