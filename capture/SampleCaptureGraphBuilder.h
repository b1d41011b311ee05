#pragma once

// ISampleCaptureGraphBuilder, the capture graph builder the engine uses: one system capture
// graph builder behind it, to which most operations go unchanged. Its own work is in
// RenderStream: a capture filter that delivers MPEG-2 is not rendered directly; its MPEG-2 pin
// feeds a demultiplexer ("MPEG2 Demux") whose video and sound outputs each feed a Smart Tee
// ("vidTee", "audTee"), and every stream is rendered from the matching tee. The chain is built
// by the first such RenderStream and kept until ReleaseAll.
//
// A plain object owned by the engine (no reference count), used on the user-interface thread:
//
//     auto* builder = new ISampleCaptureGraphBuilder;
//     builder->SetFiltergraph(graph);
//     bool mpeg2 = builder->IsMpeg2Capture(captureFilter);
//     builder->RenderStream(&PIN_CATEGORY_PREVIEW, nullptr, captureFilter, nullptr, nullptr);
//     builder->ReleaseAll();      // graph teardown
//     delete builder;

#include <com/ComPtr.h>
#include <dshow/CaptureGraphBuilder.h>
#include <dshow/Mpeg2.h>

class ISampleCaptureGraphBuilder final {
public:
    ISampleCaptureGraphBuilder();
    ~ISampleCaptureGraphBuilder();
    ISampleCaptureGraphBuilder(const ISampleCaptureGraphBuilder&) = delete;
    ISampleCaptureGraphBuilder& operator=(const ISampleCaptureGraphBuilder&) = delete;

    virtual HRESULT AllocCapFile(LPCOLESTR file, DWORDLONG size);
    // The full form with no media type.
    virtual HRESULT ControlStream(const GUID* category, IBaseFilter* filter, REFERENCE_TIME* start, REFERENCE_TIME* stop,
        WORD start_cookie, WORD stop_cookie);
    virtual HRESULT ControlStream(const GUID* category, const GUID* type, IBaseFilter* filter, REFERENCE_TIME* start,
        REFERENCE_TIME* stop, WORD start_cookie, WORD stop_cookie);
    virtual HRESULT CopyCaptureFile(LPOLESTR old_file, LPOLESTR new_file, int allow_escape_abort, IAMCopyCaptureFileProgress* callback);
    // The full form with no media type.
    virtual HRESULT FindInterface(const GUID* category, IBaseFilter* filter, REFIID iid, void** out);
    virtual HRESULT FindInterface(const GUID* category, const GUID* type, IBaseFilter* filter, REFIID iid, void** out);
    virtual HRESULT FindPin(IUnknown* source, PIN_DIRECTION direction, const GUID* category, const GUID* type, BOOL unconnected,
        int index, IPin** pin);
    virtual HRESULT GetFiltergraph(IGraphBuilder** graph);
    // The full form with no media type.
    virtual HRESULT RenderStream(const GUID* category, IUnknown* source, IBaseFilter* compressor, IBaseFilter* renderer);
    // `source` must be a filter (E_INVALIDARG otherwise). An MPEG-2 capture filter's streams are
    // rendered from the chain's tees: the sound tee for MEDIATYPE_Audio, the video tee else.
    virtual HRESULT RenderStream(const GUID* category, const GUID* type, IUnknown* source, IBaseFilter* compressor,
        IBaseFilter* renderer);
    virtual HRESULT SetFiltergraph(IGraphBuilder* graph);
    // E_INVALIDARG when any argument is null.
    virtual HRESULT SetOutputFileName(const GUID* type, LPCOLESTR file, IBaseFilter** mux, IFileSinkFilter** sink);

    // Forgets the MPEG-2 chain (demultiplexer, then the video and sound tees); the next MPEG-2
    // RenderStream builds a new one. The inner builder and the graph stay.
    void ReleaseAll();
    // Whether `filter` has an output pin that offers MPEG-2 video or an MPEG-2 program stream.
    bool IsMpeg2Capture(IBaseFilter* filter);

    // The MPEG-2 chain.
    static bool IsMpeg2Pin(IPin* pin);
    // The first output pin of `filter` that offers MPEG-2 (counted), or E_FAIL.
    HRESULT FindMpeg2Pin(IBaseFilter* filter, IPin** pin);
    // Adds the demultiplexer behind `capture`'s MPEG-2 pin (E_FAIL, and the demultiplexer out of
    // the graph, when the pin cannot be joined to it).
    HRESULT BuildMpeg2Path(IBaseFilter* capture);
    // Makes the demultiplexer's outputs and connects them to the two tees, made when missing.
    HRESULT RenderPreview(IBaseFilter* demultiplexer);
    // Makes the demultiplexer and adds it to the graph as "MPEG2 Demux"; S_OK at once when held.
    HRESULT AddMpeg2Demux();
    // The "MpegVideo" output (stream 0xE0) and the "MpegAudio" output (stream 0xC0).
    HRESULT CreateVideoPin(IMpeg2Demultiplexer* demultiplexer);
    HRESULT CreateAudioPin(IMpeg2Demultiplexer* demultiplexer);
    // The first pin of the direction asked whose name holds "ideo" (or "udio" for `audio`),
    // counted; none without an inner builder.
    IPin* FindPinByName(IBaseFilter* filter, bool wantOutput, bool audio);
    // Connects `output` directly to the first input of `downstream` that takes it; E_FAIL, and
    // `downstream` out of the graph, when none does.
    HRESULT ConnectPinToFilter(IPin* output, IBaseFilter* downstream);

private:
    HRESULT CreateOutputPin(IMpeg2Demultiplexer* demultiplexer, AM_MEDIA_TYPE type, const char16_t* name, DWORD streamId);
    // Forwarded operations without an inner builder report why it could not be made.
    HRESULT missing() const { return FAILED(m_creation) ? m_creation : E_UNEXPECTED; }

    CComPtr<IBaseFilter> m_outputFilter; // the demultiplexer, once the chain exists
    CComPtr<IBaseFilter> m_videoTee;
    CComPtr<IBaseFilter> m_audioTee;
    CComPtr<ICaptureGraphBuilder2> m_builder;
    CComPtr<IGraphBuilder> m_graph; // filled by the first RenderStream
    DWORD m_videoStreamId { 0xE0 };
    DWORD m_audioStreamId { 0xC0 };
    HRESULT m_creation { S_OK };
};
