#pragma once

// The interfaces of a capture device's output pins: IAMStreamConfig (the formats the pin can
// deliver, with VIDEO_STREAM_CONFIG_CAPS / AUDIO_STREAM_CONFIG_CAPS), IAMStreamControl (start
// and stop times that gate delivery), IAMDroppedFrames (frame counters) and IAMVideoCompression
// (a compressing device's settings).
//
// Media types handed out by GetFormat and GetStreamCaps are CreateMediaType copies that the
// caller frees with DeleteMediaType. GetNumberOfCapabilities reports the size of the caps
// structure that GetStreamCaps fills (sizeof VIDEO_STREAM_CONFIG_CAPS for video pins).
// StartAt/StopAt take stream times; a NULL time means now, MAXLONGLONG cancels that side.

#include <dshow/MediaType.h>

#include <cstdint>

DEFINE_GUID(IID_IAMStreamConfig, 0xC6E13340, 0x30AC, 0x11D0, 0xA1, 0x8C, 0x00, 0xA0, 0xC9, 0x11, 0x89, 0x56);
DEFINE_GUID(IID_IAMVideoCompression, 0xC6E13343, 0x30AC, 0x11D0, 0xA1, 0x8C, 0x00, 0xA0, 0xC9, 0x11, 0x89, 0x56);
DEFINE_GUID(IID_IAMDroppedFrames, 0xC6E13344, 0x30AC, 0x11D0, 0xA1, 0x8C, 0x00, 0xA0, 0xC9, 0x11, 0x89, 0x56);
DEFINE_GUID(IID_IAMStreamControl, 0x36B73881, 0xC2C8, 0x11CF, 0x8B, 0x46, 0x00, 0x80, 0x5F, 0x6C, 0xEF, 0x60);

constexpr REFERENCE_TIME MAXLONGLONG = 0x7FFFFFFFFFFFFFFFLL;

struct VIDEO_STREAM_CONFIG_CAPS {
    GUID guid; // the format type (FORMAT_VideoInfo)
    ULONG VideoStandard; // AnalogVideo_* bits
    SIZE InputSize;
    SIZE MinCroppingSize;
    SIZE MaxCroppingSize;
    int CropGranularityX;
    int CropGranularityY;
    int CropAlignX;
    int CropAlignY;
    SIZE MinOutputSize;
    SIZE MaxOutputSize;
    int OutputGranularityX;
    int OutputGranularityY;
    int StretchTapsX;
    int StretchTapsY;
    int ShrinkTapsX;
    int ShrinkTapsY;
    LONGLONG MinFrameInterval; // 100 ns units
    LONGLONG MaxFrameInterval;
    LONG MinBitsPerSecond;
    LONG MaxBitsPerSecond;
};
static_assert(sizeof(VIDEO_STREAM_CONFIG_CAPS) == 128);

struct AUDIO_STREAM_CONFIG_CAPS {
    GUID guid; // FORMAT_WaveFormatEx
    ULONG MinimumChannels;
    ULONG MaximumChannels;
    ULONG ChannelsGranularity;
    ULONG MinimumBitsPerSample;
    ULONG MaximumBitsPerSample;
    ULONG BitsPerSampleGranularity;
    ULONG MinimumSampleFrequency;
    ULONG MaximumSampleFrequency;
    ULONG SampleFrequencyGranularity;
};
static_assert(sizeof(AUDIO_STREAM_CONFIG_CAPS) == 52);

struct IAMStreamConfig : IUnknown {
    // The format the pin delivers from now on; VFW_E_NOT_STOPPED while running,
    // VFW_E_INVALIDMEDIATYPE when the pin cannot deliver it.
    STDMETHOD(SetFormat)(AM_MEDIA_TYPE* type) PURE;
    STDMETHOD(GetFormat)(AM_MEDIA_TYPE** type) PURE;
    STDMETHOD(GetNumberOfCapabilities)(int* count, int* caps_bytes) PURE;
    // The index-th format with its limits in `caps` (a *_STREAM_CONFIG_CAPS); S_FALSE past the end.
    STDMETHOD(GetStreamCaps)(int index, AM_MEDIA_TYPE** type, BYTE* caps) PURE;
};
COM_INTERFACE(IAMStreamConfig, IID_IAMStreamConfig, IUnknown);

// AM_STREAM_INFO flags.
constexpr DWORD AM_STREAM_INFO_START_DEFINED = 0x1;
constexpr DWORD AM_STREAM_INFO_STOP_DEFINED = 0x2;
constexpr DWORD AM_STREAM_INFO_DISCARDING = 0x4;
constexpr DWORD AM_STREAM_INFO_STOP_SEND_EXTRA = 0x10;

struct AM_STREAM_INFO {
    REFERENCE_TIME tStart;
    REFERENCE_TIME tStop;
    DWORD dwStartCookie;
    DWORD dwStopCookie;
    DWORD dwFlags;
};

struct IAMStreamControl : IUnknown {
    STDMETHOD(StartAt)(const REFERENCE_TIME* start, DWORD cookie) PURE;
    STDMETHOD(StopAt)(const REFERENCE_TIME* stop, BOOL send_extra, DWORD cookie) PURE;
    STDMETHOD(GetInfo)(AM_STREAM_INFO* info) PURE;
};
COM_INTERFACE(IAMStreamControl, IID_IAMStreamControl, IUnknown);

struct IAMDroppedFrames : IUnknown {
    // Frames the pin could not deliver, and frames delivered, since streaming started.
    STDMETHOD(GetNumDropped)(LONG* dropped) PURE;
    STDMETHOD(GetNumNotDropped)(LONG* delivered) PURE;
    // Frame numbers of the first dropped frames (up to `size`).
    STDMETHOD(GetDroppedInfo)(LONG size, LONG* frames, LONG* copied) PURE;
    STDMETHOD(GetAverageFrameSize)(LONG* bytes) PURE;
};
COM_INTERFACE(IAMDroppedFrames, IID_IAMDroppedFrames, IUnknown);

// IAMVideoCompression::GetInfo capability bits.
constexpr LONG CompressionCaps_CanQuality = 0x1;
constexpr LONG CompressionCaps_CanCrunch = 0x2;
constexpr LONG CompressionCaps_CanKeyFrame = 0x4;
constexpr LONG CompressionCaps_CanBFrame = 0x8;
constexpr LONG CompressionCaps_CanWindow = 0x10;

struct IAMVideoCompression : IUnknown {
    STDMETHOD(put_KeyFrameRate)(LONG rate) PURE;
    STDMETHOD(get_KeyFrameRate)(LONG* rate) PURE;
    STDMETHOD(put_PFramesPerKeyFrame)(LONG frames) PURE;
    STDMETHOD(get_PFramesPerKeyFrame)(LONG* frames) PURE;
    STDMETHOD(put_Quality)(double quality) PURE;
    STDMETHOD(get_Quality)(double* quality) PURE;
    STDMETHOD(put_WindowSize)(DWORDLONG frames) PURE;
    STDMETHOD(get_WindowSize)(DWORDLONG* frames) PURE;
    // Version and description text (sizes in bytes, in and out) and the defaults; any may be NULL.
    STDMETHOD(GetInfo)(WCHAR* version, int* version_bytes, LPWSTR description, int* description_bytes,
        LONG* default_key_frame_rate, LONG* default_p_frames_per_key, double* default_quality, LONG* capabilities) PURE;
    STDMETHOD(OverrideKeyFrame)(LONG frame) PURE;
    STDMETHOD(OverrideFrameSize)(LONG frame, LONG size) PURE;
};
COM_INTERFACE(IAMVideoCompression, IID_IAMVideoCompression, IUnknown);
