#pragma once

// STv, the capture engine: one filter graph for the time TV is on, holding the capture device
// and, behind it, either the preview or the recording chain.
//
// This header carries the engine's fields in their fixed order and the small graph operations
// the engine's other operations share: tearing down everything behind the capture filter,
// finding and connecting pins, finding a device filter by its FriendlyName, and, in debug mode,
// publishing the graph in the running-object table and saving it as a graph file. They report
// through their results only and run on the user-interface thread.

#include <base/Types.h>
#include <com/ComPtr.h>
#include <dshow/FileInterfaces.h>
#include <dshow/GraphInterfaces.h>

class ISampleCaptureGraphBuilder;

class STv {
public:
    virtual ~STv() = default;

    // Releases the recording chain's interfaces and the video window, then removes every filter
    // behind the capture and audio capture filters (which stay in the graph). Does not stop the
    // graph. Always true.
    bool TearDownGraph();
    // Removes, depth first, every filter downstream of `filter` (not `filter` itself).
    bool RemoveDownstream(IBaseFilter* filter);
    // The first output pin whose name contains "udio" (counted), or none.
    IPin* FindAudioPin(IBaseFilter* filter);
    // A counted pin of `direction` that is not connected (S_OK), or E_FAIL.
    HRESULT GetUnconnectedPin(IBaseFilter* filter, PIN_DIRECTION direction, IPin** pin);
    // Connects a free output of `from` to a free input of `to` (intelligent connect).
    HRESULT ConnectFilters(IBaseFilter* from, IBaseFilter* to);
    HRESULT ConnectPinToFilter(IPin* output, IBaseFilter* filter);
    // The device of `category` whose FriendlyName equals `name` ignoring case, the first device
    // when `name` is empty or null; counted, or none.
    IBaseFilter* FindFilterByFriendlyName(const char* name, REFCLSID category);

    // Registers the graph in the running-object table and saves the graph file (when a path is
    // set). False only without a graph.
    bool PublishGraph();
    // Registers `graph` as "!FilterGraph <pointer> pid <process>", revoking `cookie` first.
    HRESULT AddToRot(IUnknown* graph, DWORD* cookie);
    // Revokes a registration and clears the cookie.
    void RemoveFromRot(DWORD& cookie);
    // Writes the graph's persisted form to the "ActiveMovieGraph" stream of a new compound file.
    HRESULT SaveGraphFile(IGraphBuilder* graph, const char* path);

protected:
    // An engine with nothing open; construction proper fills the fields.
    STv() = default;

    BYTE m_debug { 0 }; // publish the graph for inspection
    CComPtr<IGraphBuilder> m_graph;
    CComPtr<IVideoWindow> m_videoWindow;
    ISampleCaptureGraphBuilder* m_builder { nullptr }; // owned
    CComPtr<IBaseFilter> m_captureFilter;
    CComPtr<IBaseFilter> m_audioCaptureFilter;
    CComPtr<IBaseFilter> m_multiplexer;
    CComPtr<IFileSinkFilter> m_fileSink;
    CComPtr<IUnknown> m_muxConfig; // the multiplexer's configuration interface
    char m_graphFilePath[260] {};
    BYTE m_noPreviewPin { 0 };
    BYTE m_previewBuilt { 0 };
    BYTE m_captureGraphActive { 0 };
    HWND m_parentWindow { nullptr };
    DWORD m_graphRegistration { 0 }; // running-object-table cookie; 0 = not registered
};
