#pragma once

// IMediaSeeking: positions, duration and rate of a stream in media time (100 ns units). A file
// source has it (FileSource.h); the graph has it too and passes it on to the filters that have
// it, keeping the current position itself (FilterGraph.h).

#include <dshow/FilterInterfaces.h>
#include <dshow/MediaFormats.h>

DEFINE_GUID(IID_IMediaSeeking, 0x36B73880, 0xC2C8, 0x11CF, 0x8B, 0x46, 0x00, 0x80, 0x5F, 0x6C, 0xEF, 0x60);
DEFINE_GUID(TIME_FORMAT_MEDIA_TIME, 0x7B785574, 0x8C82, 0x11CF, 0xBC, 0x0C, 0x00, 0xAA, 0x00, 0xAC, 0x74, 0xF6);

// Capabilities (GetCapabilities).
constexpr DWORD AM_SEEKING_CanSeekAbsolute = 0x1;
constexpr DWORD AM_SEEKING_CanSeekForwards = 0x2;
constexpr DWORD AM_SEEKING_CanSeekBackwards = 0x4;
constexpr DWORD AM_SEEKING_CanGetCurrentPos = 0x8;
constexpr DWORD AM_SEEKING_CanGetStopPos = 0x10;
constexpr DWORD AM_SEEKING_CanGetDuration = 0x20;

// SetPositions flags.
constexpr DWORD AM_SEEKING_NoPositioning = 0x0;
constexpr DWORD AM_SEEKING_AbsolutePositioning = 0x1;
constexpr DWORD AM_SEEKING_RelativePositioning = 0x2;
constexpr DWORD AM_SEEKING_IncrementalPositioning = 0x3;
constexpr DWORD AM_SEEKING_PositioningBitsMask = 0x3;
constexpr DWORD AM_SEEKING_SeekToKeyFrame = 0x4;
constexpr DWORD AM_SEEKING_ReturnTime = 0x8;

struct IMediaSeeking : IUnknown {
    STDMETHOD(GetCapabilities)(DWORD* capabilities) PURE;
    // Keeps in `capabilities` those of them that are supported: S_OK all, S_FALSE some, E_FAIL none.
    STDMETHOD(CheckCapabilities)(DWORD* capabilities) PURE;
    STDMETHOD(IsFormatSupported)(const GUID* format) PURE;
    STDMETHOD(QueryPreferredFormat)(GUID* format) PURE;
    STDMETHOD(GetTimeFormat)(GUID* format) PURE;
    STDMETHOD(IsUsingTimeFormat)(const GUID* format) PURE;
    STDMETHOD(SetTimeFormat)(const GUID* format) PURE;
    STDMETHOD(GetDuration)(LONGLONG* duration) PURE;
    STDMETHOD(GetStopPosition)(LONGLONG* stop) PURE;
    STDMETHOD(GetCurrentPosition)(LONGLONG* current) PURE;
    STDMETHOD(ConvertTimeFormat)(LONGLONG* target, const GUID* target_format, LONGLONG source, const GUID* source_format) PURE;
    STDMETHOD(SetPositions)(LONGLONG* current, DWORD current_flags, LONGLONG* stop, DWORD stop_flags) PURE;
    STDMETHOD(GetPositions)(LONGLONG* current, LONGLONG* stop) PURE;
    STDMETHOD(GetAvailable)(LONGLONG* earliest, LONGLONG* latest) PURE;
    // Playback speed: 1.0 normal, 0.5 half speed; E_INVALIDARG for 0 and negative rates.
    STDMETHOD(SetRate)(double rate) PURE;
    STDMETHOD(GetRate)(double* rate) PURE;
    STDMETHOD(GetPreroll)(LONGLONG* preroll) PURE;
};
COM_INTERFACE(IMediaSeeking, IID_IMediaSeeking, IUnknown);

// Every IMediaSeeking member, declared in a class that implements the interface.
#define DSHOW_MEDIA_SEEKING_MEMBERS                                                                             \
    STDMETHODIMP GetCapabilities(DWORD* capabilities) override;                                                 \
    STDMETHODIMP CheckCapabilities(DWORD* capabilities) override;                                               \
    STDMETHODIMP IsFormatSupported(const GUID* format) override;                                                \
    STDMETHODIMP QueryPreferredFormat(GUID* format) override;                                                   \
    STDMETHODIMP GetTimeFormat(GUID* format) override;                                                          \
    STDMETHODIMP IsUsingTimeFormat(const GUID* format) override;                                                \
    STDMETHODIMP SetTimeFormat(const GUID* format) override;                                                    \
    STDMETHODIMP GetDuration(LONGLONG* duration) override;                                                      \
    STDMETHODIMP GetStopPosition(LONGLONG* stop) override;                                                      \
    STDMETHODIMP GetCurrentPosition(LONGLONG* current) override;                                                \
    STDMETHODIMP ConvertTimeFormat(LONGLONG* target, const GUID* target_format, LONGLONG source, const GUID* source_format) override; \
    STDMETHODIMP SetPositions(LONGLONG* current, DWORD current_flags, LONGLONG* stop, DWORD stop_flags) override; \
    STDMETHODIMP GetPositions(LONGLONG* current, LONGLONG* stop) override;                                      \
    STDMETHODIMP GetAvailable(LONGLONG* earliest, LONGLONG* latest) override;                                   \
    STDMETHODIMP SetRate(double rate) override;                                                                 \
    STDMETHODIMP GetRate(double* rate) override;                                                                \
    STDMETHODIMP GetPreroll(LONGLONG* preroll) override;
