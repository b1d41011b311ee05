#pragma once

// The interfaces of filters and pins: IMediaFilter and IBaseFilter, IPin, the pin, media-type and
// filter enumerators, IFilterGraph (what a filter sees of its graph) and IReferenceClock, with
// PIN_INFO, FILTER_INFO, PIN_DIRECTION and FILTER_STATE.
//
// Conventions the graph relies on: QueryPinInfo and QueryFilterInfo hand out AddRef'd pointers
// (pFilter, pGraph) that the caller releases; ConnectedTo hands out an AddRef'd peer or fails with
// VFW_E_NOT_CONNECTED; Disconnect breaks one end only; enumerators return S_OK while they fill
// every slot asked for and S_FALSE at the end. dshow::BaseFilter and the pin classes
// (BaseFilter.h, Pins.h) implement all of it for the layer's filters.

#include <com/Persist.h>
#include <com/Unknown.h>
#include <dshow/MediaType.h>
#include <dshow/VfwErrors.h>

enum PIN_DIRECTION { PINDIR_INPUT = 0, PINDIR_OUTPUT = 1 };

enum FILTER_STATE { State_Stopped = 0, State_Paused = 1, State_Running = 2 };

constexpr int MAX_PIN_NAME = 128;
constexpr int MAX_FILTER_NAME = 128;

struct IBaseFilter;
struct IFilterGraph;
struct IPin;
struct IEnumPins;
struct IEnumMediaTypes;
struct IEnumFilters;
struct IReferenceClock;

struct PIN_INFO {
    IBaseFilter* pFilter; // AddRef'd
    PIN_DIRECTION dir;
    WCHAR achName[MAX_PIN_NAME];
};

struct FILTER_INFO {
    WCHAR achName[MAX_FILTER_NAME];
    IFilterGraph* pGraph; // AddRef'd, NULL when the filter is in no graph
};

using HEVENT = DWORD_PTR;
using HSEMAPHORE = DWORD_PTR;

DEFINE_GUID(IID_IReferenceClock, 0x56A86897, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(IID_IMediaFilter, 0x56A86899, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(IID_IBaseFilter, 0x56A86895, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(IID_IPin, 0x56A86891, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(IID_IEnumPins, 0x56A86892, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(IID_IEnumFilters, 0x56A86893, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(IID_IEnumMediaTypes, 0x89C31040, 0x846B, 0x11CE, 0x97, 0xD3, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A);
DEFINE_GUID(IID_IFilterGraph, 0x56A8689F, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);

struct IReferenceClock : IUnknown {
    // The clock's time in 100 ns units.
    STDMETHOD(GetTime)(REFERENCE_TIME* time) PURE;
    STDMETHOD(AdviseTime)(REFERENCE_TIME base_time, REFERENCE_TIME stream_time, HEVENT event, DWORD_PTR* cookie) PURE;
    STDMETHOD(AdvisePeriodic)(REFERENCE_TIME start, REFERENCE_TIME period, HSEMAPHORE semaphore, DWORD_PTR* cookie) PURE;
    STDMETHOD(Unadvise)(DWORD_PTR cookie) PURE;
};
COM_INTERFACE(IReferenceClock, IID_IReferenceClock, IUnknown);

struct IMediaFilter : IPersist {
    STDMETHOD(Stop)() PURE;
    STDMETHOD(Pause)() PURE;
    // Runs with stream time 0 at reference time `start`.
    STDMETHOD(Run)(REFERENCE_TIME start) PURE;
    // S_OK, or VFW_S_STATE_INTERMEDIATE while a change is pending, VFW_S_CANT_CUE for a live
    // source that delivers nothing while paused.
    STDMETHOD(GetState)(DWORD timeout_ms, FILTER_STATE* state) PURE;
    STDMETHOD(SetSyncSource)(IReferenceClock* clock) PURE;
    STDMETHOD(GetSyncSource)(IReferenceClock** clock) PURE;
};
COM_INTERFACE(IMediaFilter, IID_IMediaFilter, IPersist);

struct IBaseFilter : IMediaFilter {
    STDMETHOD(EnumPins)(IEnumPins** pins) PURE;
    // Finds a pin by its id (QueryId); VFW_E_NOT_FOUND when there is none.
    STDMETHOD(FindPin)(LPCWSTR id, IPin** pin) PURE;
    STDMETHOD(QueryFilterInfo)(FILTER_INFO* info) PURE;
    // Called by the graph on AddFilter (graph, name) and RemoveFilter (NULL, NULL); the filter
    // keeps the graph pointer without a reference.
    STDMETHOD(JoinFilterGraph)(IFilterGraph* graph, LPCWSTR name) PURE;
    STDMETHOD(QueryVendorInfo)(LPWSTR* info) PURE;
};
COM_INTERFACE(IBaseFilter, IID_IBaseFilter, IMediaFilter);

struct IPin : IUnknown {
    // Output pins only: connects to `receiver`, with `type` (possibly partial) or any agreed type.
    STDMETHOD(Connect)(IPin* receiver, const AM_MEDIA_TYPE* type) PURE;
    // Input pins only: accepts a connection from `connector` with the full `type`.
    STDMETHOD(ReceiveConnection)(IPin* connector, const AM_MEDIA_TYPE* type) PURE;
    // Breaks this end only: S_OK, S_FALSE when not connected, VFW_E_NOT_STOPPED while active.
    STDMETHOD(Disconnect)() PURE;
    STDMETHOD(ConnectedTo)(IPin** peer) PURE;
    // Copies the connection's type into `type` (format block in task memory).
    STDMETHOD(ConnectionMediaType)(AM_MEDIA_TYPE* type) PURE;
    STDMETHOD(QueryPinInfo)(PIN_INFO* info) PURE;
    STDMETHOD(QueryDirection)(PIN_DIRECTION* direction) PURE;
    // The pin's id in task memory (CoTaskMemFree).
    STDMETHOD(QueryId)(LPWSTR* id) PURE;
    // S_OK when the pin would accept `type`, S_FALSE otherwise.
    STDMETHOD(QueryAccept)(const AM_MEDIA_TYPE* type) PURE;
    STDMETHOD(EnumMediaTypes)(IEnumMediaTypes** types) PURE;
    STDMETHOD(QueryInternalConnections)(IPin** pins, ULONG* count) PURE;
    STDMETHOD(EndOfStream)() PURE;
    STDMETHOD(BeginFlush)() PURE;
    STDMETHOD(EndFlush)() PURE;
    STDMETHOD(NewSegment)(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) PURE;
};
COM_INTERFACE(IPin, IID_IPin, IUnknown);

struct IEnumPins : IUnknown {
    STDMETHOD(Next)(ULONG count, IPin** pins, ULONG* fetched) PURE;
    STDMETHOD(Skip)(ULONG count) PURE;
    STDMETHOD(Reset)() PURE;
    STDMETHOD(Clone)(IEnumPins** clone) PURE;
};
COM_INTERFACE(IEnumPins, IID_IEnumPins, IUnknown);

struct IEnumMediaTypes : IUnknown {
    // Each type is a CreateMediaType copy for DeleteMediaType.
    STDMETHOD(Next)(ULONG count, AM_MEDIA_TYPE** types, ULONG* fetched) PURE;
    STDMETHOD(Skip)(ULONG count) PURE;
    STDMETHOD(Reset)() PURE;
    STDMETHOD(Clone)(IEnumMediaTypes** clone) PURE;
};
COM_INTERFACE(IEnumMediaTypes, IID_IEnumMediaTypes, IUnknown);

struct IEnumFilters : IUnknown {
    STDMETHOD(Next)(ULONG count, IBaseFilter** filters, ULONG* fetched) PURE;
    STDMETHOD(Skip)(ULONG count) PURE;
    STDMETHOD(Reset)() PURE;
    STDMETHOD(Clone)(IEnumFilters** clone) PURE;
};
COM_INTERFACE(IEnumFilters, IID_IEnumFilters, IUnknown);

struct IFilterGraph : IUnknown {
    // Adds a filter under `name` (NULL: a name is made up); VFW_S_DUPLICATE_NAME when the name
    // was taken and had to be changed.
    STDMETHOD(AddFilter)(IBaseFilter* filter, LPCWSTR name) PURE;
    // Disconnects both ends of every connected pin of the filter, then drops it.
    STDMETHOD(RemoveFilter)(IBaseFilter* filter) PURE;
    STDMETHOD(EnumFilters)(IEnumFilters** filters) PURE;
    STDMETHOD(FindFilterByName)(LPCWSTR name, IBaseFilter** filter) PURE;
    // A direct connection of two pins of filters in this graph, without intermediate filters.
    STDMETHOD(ConnectDirect)(IPin* output, IPin* input, const AM_MEDIA_TYPE* type) PURE;
    STDMETHOD(Reconnect)(IPin* pin) PURE;
    // Breaks one end only, like IPin::Disconnect.
    STDMETHOD(Disconnect)(IPin* pin) PURE;
    STDMETHOD(SetDefaultSyncSource)() PURE;
};
COM_INTERFACE(IFilterGraph, IID_IFilterGraph, IUnknown);

constexpr HRESULT VFW_S_CANT_CUE = static_cast<HRESULT>(0x00040268u);
