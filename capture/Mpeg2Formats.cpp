// The demultiplexer outputs' format blocks, built once from their fields.

#include <capture/Mpeg2Formats.h>

#include <dshow/Mpeg2.h>

#include <array>
#include <cstring>

namespace {

constexpr std::size_t kVideoBlockBytes = 218;
constexpr std::size_t kAudioBlockBytes = 40;

// A sequence header (720 x 480, 4:3, 29.97 Hz, 4 Mbit/s, a non-intra matrix) and its extension
// (main profile at main level, interlaced, 4:2:0).
constexpr BYTE kSequenceHeader[86] = {
    0x00, 0x00, 0x01, 0xB3, 0x2D, 0x01, 0xE0, 0x24, 0x09, 0xC4, 0x23, 0x81, 0x10, 0x11, 0x11, 0x12, 0x12, 0x12, 0x13, 0x13,
    0x13, 0x13, 0x14, 0x14, 0x14, 0x14, 0x14, 0x15, 0x15, 0x15, 0x15, 0x15, 0x15, 0x16, 0x16, 0x16, 0x16, 0x16, 0x16, 0x16,
    0x17, 0x17, 0x17, 0x17, 0x17, 0x17, 0x17, 0x17, 0x18, 0x18, 0x18, 0x19, 0x18, 0x18, 0x18, 0x19, 0x1A, 0x1A, 0x1A, 0x1A,
    0x19, 0x1B, 0x1B, 0x1B, 0x1B, 0x1B, 0x1C, 0x1C, 0x1C, 0x1C, 0x1E, 0x1E, 0x1E, 0x1F, 0x1F, 0x21, 0x00, 0x00, 0x01, 0xB5,
    0x14, 0x82, 0x00, 0x01, 0x00, 0x00,
};
static_assert(kMpeg2VideoInfoHeaderBytes + sizeof kSequenceHeader == kVideoBlockBytes);

const std::array<BYTE, kVideoBlockBytes>& VideoBlock()
{
    static const std::array<BYTE, kVideoBlockBytes> block = [] {
        MPEG2VIDEOINFO info {};
        info.hdr.rcSource = { 0, 0, 720, 480 };
        info.hdr.dwBitRate = 4000000;
        info.hdr.AvgTimePerFrame = 333667;
        info.hdr.dwPictAspectRatioX = 4;
        info.hdr.dwPictAspectRatioY = 3;
        info.hdr.bmiHeader.biSize = 40;
        info.hdr.bmiHeader.biWidth = 720;
        info.hdr.bmiHeader.biHeight = 480;
        info.hdr.bmiHeader.biXPelsPerMeter = 2000;
        info.hdr.bmiHeader.biYPelsPerMeter = 53031;
        info.dwStartTimeCode = 0x0006F498;
        info.cbSequenceHeader = sizeof kSequenceHeader;
        info.dwProfile = 2;
        info.dwLevel = 2;
        std::array<BYTE, kVideoBlockBytes> bytes {};
        std::memcpy(bytes.data(), &info, kMpeg2VideoInfoHeaderBytes);
        std::memcpy(bytes.data() + kMpeg2VideoInfoHeaderBytes, kSequenceHeader, sizeof kSequenceHeader);
        return bytes;
    }();
    return block;
}

const std::array<BYTE, kAudioBlockBytes>& AudioBlock()
{
    static const std::array<BYTE, kAudioBlockBytes> block = [] {
        MPEG1WAVEFORMAT format {};
        format.wfx.wFormatTag = WAVE_FORMAT_MPEG;
        format.wfx.nChannels = 2;
        format.wfx.nSamplesPerSec = 48000;
        format.wfx.nAvgBytesPerSec = 32000;
        format.wfx.nBlockAlign = 768;
        format.wfx.cbSize = 22;
        format.fwHeadLayer = 2;
        format.dwHeadBitrate = 256000;
        format.fwHeadMode = 1;
        format.fwHeadModeExt = 1;
        format.wHeadEmphasis = 1;
        format.fwHeadFlags = 0x001C;
        std::array<BYTE, kAudioBlockBytes> bytes {};
        std::memcpy(bytes.data(), &format, kAudioBlockBytes);
        return bytes;
    }();
    return block;
}

AM_MEDIA_TYPE TypeOf(REFGUID major, REFGUID subtype, REFGUID format, const BYTE* block, std::size_t size)
{
    AM_MEDIA_TYPE type {};
    type.majortype = major;
    type.subtype = subtype;
    type.bFixedSizeSamples = TRUE;
    type.bTemporalCompression = FALSE;
    type.lSampleSize = 0;
    type.formattype = format;
    type.pUnk = nullptr;
    type.cbFormat = static_cast<ULONG>(size);
    type.pbFormat = const_cast<BYTE*>(block);
    return type;
}

}

AM_MEDIA_TYPE Mpeg2VideoType()
{
    return TypeOf(MEDIATYPE_Video, MEDIASUBTYPE_MPEG2_VIDEO, FORMAT_MPEG2Video, VideoBlock().data(), kVideoBlockBytes);
}

AM_MEDIA_TYPE Mpeg2AudioType()
{
    return TypeOf(MEDIATYPE_Audio, MEDIASUBTYPE_MPEG2_AUDIO, FORMAT_WaveFormatEx, AudioBlock().data(), kAudioBlockBytes);
}
