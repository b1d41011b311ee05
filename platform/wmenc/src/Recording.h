#pragma once

// One recording of the encoder (internal): the graph it runs on its devices and the file it
// writes. Made by PrepareToEncode, run by Start, completed by Stop.
//
// The graph: the capture device's "Capture" pin and the wave-in device's output feed the
// encoder's sink filter, whose inputs hand samples to the AsfWriter once archiving has begun
// (time stamps then count from the archive's start); with a preview wanted, the capture
// device's "Preview" pin (or, without one, a Smart Tee on its capture stream) feeds a video
// renderer whose window the preview views show.

#include "AsfWriter.h"

#include <com/ComPtr.h>
#include <dshow/FilterInterfaces.h>
#include <com/Moniker.h>
#include <dshow/GraphInterfaces.h>

#include <memory>
#include <optional>
#include <string>

namespace wmenc::detail {

class EncoderSink;

struct RecordingPlan {
    std::optional<std::u16string> video_device; // friendly name; "" for the first device
    std::optional<std::u16string> audio_device;
    Profile profile;
    std::string linux_path;
    Metadata metadata;
    bool preview = false;
};

class Recording {
public:
    ~Recording();

    // Opens the devices and the file; on failure the reason in `error`.
    static HRESULT prepare(const RecordingPlan& plan, std::unique_ptr<Recording>& made, std::u16string& error);

    HRESULT run();
    void start_archive();
    void stop_archive();
    // Stops the devices, completes the file and takes the graph down.
    HRESULT stop();

    const std::shared_ptr<AsfWriter>& writer() const { return m_writer; }
    // The preview renderer's window control, or empty.
    CComPtr<IVideoWindow> preview_window() const { return m_preview; }

private:
    Recording() = default;

    CComPtr<IGraphBuilder> m_graph;
    CComPtr<IMediaControl> m_control;
    CComPtr<IBaseFilter> m_sink_filter;
    EncoderSink* m_sink { nullptr };
    CComPtr<IVideoWindow> m_preview;
    std::shared_ptr<AsfWriter> m_writer;
    bool m_stopped { false };
};

// The device of a category whose friendly name is `name` (ASCII case ignored), or the first one
// when `name` is empty; false when there is none.
bool find_device(REFCLSID category, const std::u16string& name, CComPtr<IMoniker>* moniker = nullptr);

}
