#pragma once

// The capture graph builder (CLSID_CaptureGraphBuilder2, ICaptureGraphBuilder2): builds capture
// and preview chains from a capture filter in one filter graph and finds the interfaces of the
// filters around it. dshow::register_classes() registers it.
//
//     CComPtr<ICaptureGraphBuilder2> builder;
//     CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER,
//         IID_ICaptureGraphBuilder2, reinterpret_cast<void**>(&builder));
//     builder->SetFiltergraph(graph);
//     builder->RenderStream(&PIN_CATEGORY_PREVIEW, nullptr, capture, nullptr, nullptr);
//
// Its behaviour:
//  - SetFiltergraph takes the graph once (E_UNEXPECTED when it already has one); GetFiltergraph
//    makes a graph when none was set.
//  - FindInterface queries the filter, then its pins (output pins of the category and major
//    type when a pin category is given: none of them gives E_NOINTERFACE), then downstream
//    (pin, peer pin, peer's filter, onward) and upstream the same way. LOOK_DOWNSTREAM_ONLY and
//    LOOK_UPSTREAM_ONLY search the filter, its pins of that side and that direction only. Pins
//    are followed outside the graph too, so a device's companion filters are found.
//  - RenderStream renders a filter's first free output of the category and type, or a given
//    output pin, through an optional compressor into the renderer (when none is given, a new
//    Video Renderer for video, a new DirectSound renderer for sound, the graph's Render for
//    other streams; never a filter already in the graph). On a filter without a preview pin, a Smart Tee is put
//    on the capture pin: capture renders its "Capture" output (sound pins are captured
//    directly), preview its "Preview" output and gives VFW_S_NOPREVIEWPIN. A category no pin has, or a pin already rendered, is E_INVALIDARG.
//  - ControlStream sets the start and stop of every output pin of the category and type, on the
//    given filter or, with none, on every filter of the graph (E_FAIL when none matched or a pin
//    has no IAMStreamControl).
//  - SetOutputFileName(MEDIASUBTYPE_Avi) names the file (failing as IFileSinkFilter::SetFileName
//    does), adds the AVI multiplexer and the file writer and connects them.
//  - AllocCapFile and CopyCaptureFile are not provided (E_NOTIMPL).

#include <dshow/FileInterfaces.h>
#include <dshow/GraphInterfaces.h>

DEFINE_GUID(CLSID_CaptureGraphBuilder2, 0xBF87B6E1, 0x8C27, 0x11D0, 0xB3, 0xF0, 0x00, 0xAA, 0x00, 0x37, 0x61, 0xC5);
DEFINE_GUID(IID_ICaptureGraphBuilder2, 0x93E5A4E0, 0x2D50, 0x11D2, 0xAB, 0xFA, 0x00, 0xA0, 0xC9, 0xC6, 0xE3, 0x8D);
DEFINE_GUID(IID_IAMCopyCaptureFileProgress, 0x670D1D20, 0xA068, 0x11D0, 0xB3, 0xF0, 0x00, 0xAA, 0x00, 0x37, 0x61, 0xC5);

struct IAMCopyCaptureFileProgress : IUnknown {
    STDMETHOD(Progress)(int percent) PURE;
};
COM_INTERFACE(IAMCopyCaptureFileProgress, IID_IAMCopyCaptureFileProgress, IUnknown);

struct ICaptureGraphBuilder2 : IUnknown {
    STDMETHOD(SetFiltergraph)(IGraphBuilder* graph) PURE;
    STDMETHOD(GetFiltergraph)(IGraphBuilder** graph) PURE;
    // The multiplexer (counted) and, when `sink` is not NULL, the writer's IFileSinkFilter.
    STDMETHOD(SetOutputFileName)(const GUID* type, LPCOLESTR file, IBaseFilter** mux, IFileSinkFilter** sink) PURE;
    STDMETHOD(FindInterface)(const GUID* category, const GUID* type, IBaseFilter* filter, REFIID iid, void** out) PURE;
    // `source` is a filter or an output pin; `compressor` and `renderer` may be NULL.
    STDMETHOD(RenderStream)(const GUID* category, const GUID* type, IUnknown* source, IBaseFilter* compressor, IBaseFilter* renderer) PURE;
    STDMETHOD(ControlStream)(const GUID* category, const GUID* type, IBaseFilter* filter, REFERENCE_TIME* start,
        REFERENCE_TIME* stop, WORD start_cookie, WORD stop_cookie) PURE;
    STDMETHOD(AllocCapFile)(LPCOLESTR file, DWORDLONG size) PURE;
    STDMETHOD(CopyCaptureFile)(LPOLESTR old_file, LPOLESTR new_file, int allow_escape_abort, IAMCopyCaptureFileProgress* callback) PURE;
    // The index-th pin of `source` (a filter, or a pin checked itself) of that direction,
    // category and major type, only unconnected ones when `unconnected`; E_FAIL when none.
    STDMETHOD(FindPin)(IUnknown* source, PIN_DIRECTION direction, const GUID* category, const GUID* type, BOOL unconnected,
        int index, IPin** pin) PURE;
};
COM_INTERFACE(ICaptureGraphBuilder2, IID_ICaptureGraphBuilder2, IUnknown);
