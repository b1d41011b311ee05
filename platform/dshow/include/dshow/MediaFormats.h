#pragma once

// The format blocks of media types: video as VIDEOINFOHEADER over a BITMAPINFOHEADER, sound as
// WAVEFORMATEX, with their Windows layouts, plus FourCC helpers and REFERENCE_TIME.
//
// These are plain structures, copied byte for byte into and out of media types and AVI files.
// REFERENCE_TIME counts 100-nanosecond units; UNITS is one second of it.
//
//     VIDEOINFOHEADER vih = dshow::make_yuy2_format(720, 576, UNITS / 25);
//     WAVEFORMATEX wfx = dshow::make_pcm_format(44100, 2, 16);

#include <base/Types.h>

#include <cstdint>

using REFERENCE_TIME = LONGLONG;
using REFTIME = double;
using FOURCC = DWORD;

constexpr REFERENCE_TIME UNITS = 10000000;
constexpr REFERENCE_TIME MILLISECONDS = 10000;

// A FourCC from four characters, first character in the lowest byte.
constexpr FOURCC MAKEFOURCC(char a, char b, char c, char d)
{
    return static_cast<FOURCC>(static_cast<BYTE>(a)) | (static_cast<FOURCC>(static_cast<BYTE>(b)) << 8)
        | (static_cast<FOURCC>(static_cast<BYTE>(c)) << 16) | (static_cast<FOURCC>(static_cast<BYTE>(d)) << 24);
}
constexpr FOURCC mmioFOURCC(char a, char b, char c, char d) { return MAKEFOURCC(a, b, c, d); }

constexpr FOURCC FOURCC_YUY2 = MAKEFOURCC('Y', 'U', 'Y', '2');

// biCompression values besides FourCCs.
constexpr DWORD BI_RGB = 0;
constexpr DWORD BI_RLE8 = 1;
constexpr DWORD BI_RLE4 = 2;
constexpr DWORD BI_BITFIELDS = 3;

// wFormatTag values.
constexpr WORD WAVE_FORMAT_PCM = 1;
constexpr WORD WAVE_FORMAT_MULAW = 7;
constexpr WORD WAVE_FORMAT_MPEG = 0x50;

#ifndef ORBIVANE_BITMAPINFOHEADER_DEFINED
#    define ORBIVANE_BITMAPINFOHEADER_DEFINED
struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight; // positive: bottom-up rows (RGB); FourCC formats are top-down
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression; // BI_RGB, BI_RLE8 ... or a FourCC
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
using LPBITMAPINFOHEADER = BITMAPINFOHEADER*;
static_assert(sizeof(BITMAPINFOHEADER) == 40);
#endif

#ifndef ORBIVANE_WAVEFORMATEX_DEFINED
#    define ORBIVANE_WAVEFORMATEX_DEFINED
#    pragma pack(push, 1)
struct WAVEFORMATEX {
    WORD wFormatTag;
    WORD nChannels;
    DWORD nSamplesPerSec;
    DWORD nAvgBytesPerSec;
    WORD nBlockAlign; // bytes of one sample over all channels
    WORD wBitsPerSample;
    WORD cbSize; // bytes of format data that follow this structure
};
#    pragma pack(pop)
using LPWAVEFORMATEX = WAVEFORMATEX*;
static_assert(sizeof(WAVEFORMATEX) == 18);
#endif

struct VIDEOINFOHEADER {
    RECT rcSource;
    RECT rcTarget;
    DWORD dwBitRate;
    DWORD dwBitErrorRate;
    REFERENCE_TIME AvgTimePerFrame;
    BITMAPINFOHEADER bmiHeader;
};
static_assert(sizeof(VIDEOINFOHEADER) == 88);

namespace dshow {

// Bytes of one uncompressed image (rows padded to 4 bytes); 0 when the format is compressed.
DWORD image_size(const BITMAPINFOHEADER& header);

// A top-down YUY2 format of the given size and frame duration.
VIDEOINFOHEADER make_yuy2_format(LONG width, LONG height, REFERENCE_TIME time_per_frame);
// A bottom-up RGB format (24 or 32 bits).
VIDEOINFOHEADER make_rgb_format(LONG width, LONG height, WORD bits, REFERENCE_TIME time_per_frame);
// Integer PCM.
WAVEFORMATEX make_pcm_format(DWORD samples_per_second, WORD channels, WORD bits_per_sample);

}
