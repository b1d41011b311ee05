#pragma once

// The wave-in and wave-out device lists: how many devices there are and what each is called.
//
// Devices are numbered from 0 over the installed sound cards, in order (see mm/SoundDriver.h);
// WAVE_MAPPER names the system's sound mapper, which exists whenever a device does.
//
//     WAVEINCAPSA caps;
//     for (UINT i = 0; i < waveInGetNumDevs(); ++i)
//         if (waveInGetDevCapsA(i, &caps, sizeof(caps)) == MMSYSERR_NOERROR) list(caps.szPname);

#include <base/Types.h>
#include <mm/MmSystem.h>

#define WAVE_MAPPER (static_cast<UINT>(-1))

#define WAVERR_BASE 32

#define WAVE_FORMAT_1M08 0x00000001
#define WAVE_FORMAT_1S08 0x00000002
#define WAVE_FORMAT_1M16 0x00000004
#define WAVE_FORMAT_1S16 0x00000008
#define WAVE_FORMAT_2M08 0x00000010
#define WAVE_FORMAT_2S08 0x00000020
#define WAVE_FORMAT_2M16 0x00000040
#define WAVE_FORMAT_2S16 0x00000080
#define WAVE_FORMAT_4M08 0x00000100
#define WAVE_FORMAT_4S08 0x00000200
#define WAVE_FORMAT_4M16 0x00000400
#define WAVE_FORMAT_4S16 0x00000800

#define WAVECAPS_VOLUME 0x0004
#define WAVECAPS_LRVOLUME 0x0008

struct WAVEINCAPSA {
    WORD wMid;
    WORD wPid;
    MMVERSION vDriverVersion;
    CHAR szPname[MAXPNAMELEN];
    DWORD dwFormats;
    WORD wChannels;
    WORD wReserved1;
};
using LPWAVEINCAPSA = WAVEINCAPSA*;

struct WAVEOUTCAPSA {
    WORD wMid;
    WORD wPid;
    MMVERSION vDriverVersion;
    CHAR szPname[MAXPNAMELEN];
    DWORD dwFormats;
    WORD wChannels;
    WORD wReserved1;
    DWORD dwSupport;
};
using LPWAVEOUTCAPSA = WAVEOUTCAPSA*;

UINT waveInGetNumDevs();
UINT waveOutGetNumDevs();
// Fills at most `size` bytes of `caps`; the product name is at most 31 bytes and terminated.
MMRESULT waveInGetDevCapsA(UINT_PTR device, LPWAVEINCAPSA caps, UINT size);
MMRESULT waveOutGetDevCapsA(UINT_PTR device, LPWAVEOUTCAPSA caps, UINT size);
