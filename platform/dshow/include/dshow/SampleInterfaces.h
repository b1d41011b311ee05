#pragma once

// The interfaces of sample delivery: IMediaSample (one buffer with its times and flags),
// IMemAllocator (where an output pin gets its buffers) and IMemInputPin (the input side that
// receives them). An output pin gets a sample from the allocator agreed at connection, fills it
// and calls the peer's IMemInputPin::Receive on its streaming thread. dshow::MediaSample and
// dshow::MemAllocator (MediaSample.h) implement the first two.

#include <dshow/FilterInterfaces.h>

struct ALLOCATOR_PROPERTIES {
    LONG cBuffers;
    LONG cbBuffer;
    LONG cbAlign;
    LONG cbPrefix;
};

// IMemAllocator::GetBuffer flags.
constexpr DWORD AM_GBF_PREVFRAMESKIPPED = 1;
constexpr DWORD AM_GBF_NOTASYNCPOINT = 2;
constexpr DWORD AM_GBF_NOWAIT = 4;

DEFINE_GUID(IID_IMediaSample, 0x56A8689A, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(IID_IMemAllocator, 0x56A8689C, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(IID_IMemInputPin, 0x56A8689D, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);

constexpr HRESULT VFW_E_NOT_COMMITTED = static_cast<HRESULT>(0x80040211u);
constexpr HRESULT VFW_E_SIZENOTSET = static_cast<HRESULT>(0x80040212u);
constexpr HRESULT VFW_E_BUFFER_OVERFLOW = static_cast<HRESULT>(0x8004020Du);
constexpr HRESULT VFW_E_BADALIGN = static_cast<HRESULT>(0x8004020Eu);
constexpr HRESULT VFW_E_ALREADY_COMMITTED = static_cast<HRESULT>(0x8004020Fu);
constexpr HRESULT VFW_E_BUFFERS_OUTSTANDING = static_cast<HRESULT>(0x80040210u);
constexpr HRESULT VFW_E_SAMPLE_TIME_NOT_SET = static_cast<HRESULT>(0x80040249u);
constexpr HRESULT VFW_S_NO_STOP_TIME = static_cast<HRESULT>(0x00040270u);

struct IMediaSample : IUnknown {
    STDMETHOD(GetPointer)(BYTE** buffer) PURE;
    STDMETHOD_(LONG, GetSize)() PURE;
    // VFW_E_SAMPLE_TIME_NOT_SET without times, VFW_S_NO_STOP_TIME with a start only.
    STDMETHOD(GetTime)(REFERENCE_TIME* start, REFERENCE_TIME* stop) PURE;
    // NULL start clears the times; NULL stop sets a start only.
    STDMETHOD(SetTime)(REFERENCE_TIME* start, REFERENCE_TIME* stop) PURE;
    // S_OK or S_FALSE.
    STDMETHOD(IsSyncPoint)() PURE;
    STDMETHOD(SetSyncPoint)(BOOL sync) PURE;
    STDMETHOD(IsPreroll)() PURE;
    STDMETHOD(SetPreroll)(BOOL preroll) PURE;
    STDMETHOD_(LONG, GetActualDataLength)() PURE;
    // VFW_E_BUFFER_OVERFLOW beyond the buffer's size.
    STDMETHOD(SetActualDataLength)(LONG length) PURE;
    // S_FALSE with NULL when the type did not change; otherwise a CreateMediaType copy.
    STDMETHOD(GetMediaType)(AM_MEDIA_TYPE** type) PURE;
    STDMETHOD(SetMediaType)(AM_MEDIA_TYPE* type) PURE;
    STDMETHOD(IsDiscontinuity)() PURE;
    STDMETHOD(SetDiscontinuity)(BOOL discontinuity) PURE;
    STDMETHOD(GetMediaTime)(LONGLONG* start, LONGLONG* stop) PURE;
    STDMETHOD(SetMediaTime)(LONGLONG* start, LONGLONG* stop) PURE;
};
COM_INTERFACE(IMediaSample, IID_IMediaSample, IUnknown);

struct IMemAllocator : IUnknown {
    STDMETHOD(SetProperties)(ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual) PURE;
    STDMETHOD(GetProperties)(ALLOCATOR_PROPERTIES* properties) PURE;
    STDMETHOD(Commit)() PURE;
    STDMETHOD(Decommit)() PURE;
    // VFW_E_NOT_COMMITTED unless committed.
    STDMETHOD(GetBuffer)(IMediaSample** sample, REFERENCE_TIME* start, REFERENCE_TIME* stop, DWORD flags) PURE;
    STDMETHOD(ReleaseBuffer)(IMediaSample* sample) PURE;
};
COM_INTERFACE(IMemAllocator, IID_IMemAllocator, IUnknown);

struct IMemInputPin : IUnknown {
    // The input pin's own allocator, if it has one (VFW_E_NO_ALLOCATOR otherwise).
    STDMETHOD(GetAllocator)(IMemAllocator** allocator) PURE;
    STDMETHOD(NotifyAllocator)(IMemAllocator* allocator, BOOL read_only) PURE;
    STDMETHOD(GetAllocatorRequirements)(ALLOCATOR_PROPERTIES* properties) PURE;
    // Called on the streaming thread with a sample the callee may AddRef and keep.
    STDMETHOD(Receive)(IMediaSample* sample) PURE;
    STDMETHOD(ReceiveMultiple)(IMediaSample** samples, LONG count, LONG* processed) PURE;
    // S_OK when Receive may block.
    STDMETHOD(ReceiveCanBlock)() PURE;
};
COM_INTERFACE(IMemInputPin, IID_IMemInputPin, IUnknown);
