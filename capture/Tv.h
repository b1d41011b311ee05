#pragma once

// STv, the capture engine: one filter graph for the time TV is on, holding the capture device
// and, behind it, either the preview or the recording chain.
//
// The client creates one engine when TV goes on and asks HasCaptureDevice() at once; an engine
// without a device is deleted. Construction opens the device chosen by its FriendlyName (or the
// first one with a tuner when the name is empty or "<default>"), finds its tuner and crossbar,
// routes the crossbar's audio and puts the tuner into a known state. Every operation runs on
// the user-interface thread and reports failures to the user through ErrorBox().
//
//     auto* tv = new STv("<default>", client, lineIn, debug, "<default>", graphFile);
//     if (!tv->HasCaptureDevice()) { delete tv; tv = nullptr; }
//
// The graph operations below (teardown, pins, publishing) are shared by the engine's other
// operations; they report through their results only.

#include <base/Types.h>
#include <com/ComPtr.h>
#include <com/Moniker.h>
#include <dshow/FileInterfaces.h>
#include <dshow/GraphInterfaces.h>
#include <dshow/MuxInterfaces.h>

#include <dshow/CaptureInterfaces.h>
#include <dshow/TunerInterfaces.h>
#include <user/Window.h>

class ISampleCaptureGraphBuilder;
class SMediaIn;
class TunerPageControl;

class STv {
public:
    // `deviceName` "" or "<default>": the first device with a tuner. `audioRendererName` null,
    // "<default>" or "-1": the first audio renderer. `graphFilePath` is where debug mode saves
    // the graph.
    STv(const char* deviceName, HWND parentWindow, BYTE lineIn, BYTE debug, const char* audioRendererName,
        const char* graphFilePath);
    virtual ~STv();

    STv(const STv&) = delete;
    STv& operator=(const STv&) = delete;

    // (Re)opens the capture device into the graph, dropping any device opened before.
    bool STvFindTvFilter();
    // Tuner defaults, device workaround, audio route and the stored channel; after each opening.
    void SetupDevice();
    // Shows `text` (cut to 259 characters) with, when `code` is not 0, its return-code line.
    int ErrorBox(const char* text, HRESULT code);

    bool HasCaptureDevice() const { return m_captureFilter != nullptr; }
    bool IsRecording() const { return m_capturePrepared || m_recordingTarget; }
    bool IsVideoShown() const { return m_videoShown != 0; }
    // The device name; after opening, the FriendlyName of the device opened.
    const char* GetDeviceName() const { return m_deviceName; }
    // The device's tuner (not counted), or null when it has none.
    IAMTVTuner* GetTuner() const { return m_tuner; }
    // -1: no channel.
    LONG GetChannel() const { return m_channel; }
    bool IsLineIn() const { return m_lineIn != 0; }
    LONG GetScreenMode() const { return m_screenMode; }
    bool IsCaptureMpeg2() const { return m_captureIsMpeg2 != 0; }

    // Picture on (builds and runs the preview, attaches the video window) or off.
    void STvShow(bool on);
    // Renders the capture device's preview video and sound, once until the next teardown.
    // The render result (S_OK when built before or nothing to build).
    HRESULT STvBuildPreviewGraph();
    // Runs the graph; false when there is nothing to run or it cannot run.
    bool Run();
    void Stop();
    // Makes the graph's video window a child of the parent window, filling its client area.
    void STvGrabPreviewWindow();
    void ReleasePreviewWindow();
    // Sizes the picture to the parent's client area (not in full screen).
    void FitVideoWindow();
    // 1 full screen, else windowed in the parent window; stored, applied while video is shown.
    void PlaceVideoWindow(LONG mode);

    // Tunes channel 2 and up; 0 and 1 select the external inputs L1 and L2.
    void SetChannel(LONG channel);
    // Routes the crossbar's line input (true) or tuner audio (false) to the audio output; true
    // when the crossbar took the route.
    bool RouteAudio(bool lineIn);
    // Preview volume, 0 (silence) to 100 (full).
    void SetVolume(LONG volume);
    // -1 leaves the country as it is; true when the tuner reports `code` back.
    bool SetCountryCode(LONG code);
    // Antenna (true) or cable input on every tuner input.
    void SetAntenna(bool antenna);
    // Routes the `index`-th non-tuner video input, with its related audio.
    bool SelectExternalInput(LONG index);
    // Routes the last input of `physicalType`, with its related audio.
    void RouteInputType(LONG physicalType);

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

    // The property pages of the tuner, the capture filter, the capture pin (its stream
    // configuration; the preview is built while the frame is open when no graph is) and the
    // crossbar, in a modal frame over the parent window. False when the object, the parent
    // window or the object's pages are missing.
    bool ShowTunerProperties();
    bool ShowCaptureFilterProperties();
    bool ShowCapturePinProperties();
    bool ShowCrossbarProperties();

    // Registers the graph in the running-object table and saves the graph file (when a path is
    // set). False only without a graph.
    bool PublishGraph();
    // Registers `graph` as "!FilterGraph <pointer> pid <process>", revoking `cookie` first.
    HRESULT AddToRot(IUnknown* graph, DWORD* cookie);
    // Revokes a registration and clears the cookie.
    void RemoveFromRot(DWORD& cookie);
    // Writes the graph's persisted form to the "ActiveMovieGraph" stream of a new compound file.
    HRESULT SaveGraphFile(IGraphBuilder* graph, const char* path);

    // AVI capture of the picture and sound to `path` (null keeps the capture file; an empty
    // capture file is ".\tmp.avi"), whatever its extension. The compressors are chosen by their
    // exact FriendlyName ("<No compression>" in any case, or a name not listed, means none); the
    // audio device by a part of its name, and only when the capture device has no audio pin of
    // its own. True when capture runs (also when it ran already).
    bool StartCapture(const char* path, const char* videoCompressorName, const char* audioCompressorName,
        const char* audioDeviceName);
    // Sound only, into a WAV file at `path`: the device's audio pin through a Smart Tee (the
    // preview keeps its sound), or else the audio capture device, through the chosen audio
    // compressor. True when capture runs.
    bool StartSoundCapture(const char* path, const char* audioCompressorName, const char* audioDeviceName);
    // Records through a Windows Media recording target, which takes over the device for a video
    // recording (`mediaFlags` with bit 2, and a path without ".wma"). The texts may be null or
    // empty. The target's Start result.
    bool StartWmRecording(const char* path, LONG mediaFlags, const char* audioDeviceName, const char* profileName,
        const char* copyright, const char* description, const char* title);
    // The Windows Media recording target while one exists.
    SMediaIn* GetRecordingTarget() const { return m_recordingTarget; }
    // Stops the AVI capture or the recording target, whichever runs. After an AVI capture the
    // preview is rebuilt when the picture was shown. After a target's video recording the device
    // is opened again and the preview restored only when `restartPreview` (else the engine is
    // left without a device, and the caller switches TV off).
    bool StopRecording(bool restartPreview);
    // "duration" (LONG seconds) or "dropratio" (float 0..1, dropped of all frames since capture
    // began; false before a frame passed) into `out`; false for other keys or no value.
    bool GetStatistic(const char* key, void* out);
    // Seconds recorded, -1 when unknown.
    LONG GetElapsedSeconds();
    // Bytes written (the low 32 bits), -1 when unknown.
    LONG GetFileSize();
    // Whether the device must be switched off after a recording instead of showing its picture
    // again (the 3dfx 3500TV card).
    bool Is3dfx3500() const;
    // The capture file; "" before the first capture.
    const char* GetCaptureFile() const { return m_captureFile; }

protected:
    // An engine with nothing open; construction proper fills the fields.
    STv() = default;

    // The audio route rule: the last audio output gets the last tuner-audio input (line-in 0)
    // or line input (line-in 1). S_FALSE when the crossbar lacks either pin.
    HRESULT RouteCrossbarAudio(bool lineIn);
    // Drops the interfaces of the device opened before, leaving none in the graph.
    void DropDevice();
    // The FriendlyName of a device moniker; false (and "") when unreadable.
    static bool ReadFriendlyName(IMoniker* moniker, char* name, std::size_t capacity);
    // The monikers of the devices of `category` (counted), or none when the system device
    // enumerator cannot be made or lists no such device.
    static IEnumMoniker* EnumerateDevices(REFCLSID category);
    // Hides the video window, gives it back its top-level state and releases it, with 60 ms
    // after each step; nothing when none is held.
    void DropVideoWindow();

    // The capture graph builder as the engine uses it.
    bool NewBuilder(); // a fresh builder in m_builder; false when none can be made
    void DeleteBuilder();
    HRESULT BuilderSetFiltergraph();
    HRESULT BuilderFindInterface(const GUID* category, const GUID* type, REFIID iid, void** out);
    bool BuilderIsMpeg2Capture();
    HRESULT BuilderRenderStream(const GUID* category, const GUID* type, IUnknown* source, IBaseFilter* compressor,
        IBaseFilter* renderer);
    // Puts the held audio renderer into the graph as "audioOut" when a teardown took it out.
    void AddAudioRendererToGraph();

    // Device workarounds: the 3dfx companion card's crossbar, the Studio PCTV input selection,
    // and tuning through the Bt848 driver's software I2C.
    // Adds the 3dfx card's companion device to the graph and takes its tuner and crossbar;
    // false when it is not a 3dfx card, already has a tuner or the companion is missing.
    bool Find3dfxCompanion();
    void DropCompanionFilter();
    // Selects the Studio PCTV card's TV input through its own property page.
    void STvHkPCTV();
    // Tunes `channel` of the antenna (true) or cable table; false when the driver library, one of
    // its exports or the tuner is missing, the channel is not in the table, or a transaction
    // failed.
    bool Bt848Tune(LONG channel, bool antenna);
    // The Bt848 tuner's I2C write address for the rest of the run: 0 not probed yet, 0xFF none.
    static BYTE s_bt848TunerAddress;
    // The tuner property-page control for devices without a tuner interface.
    void CreateTunerPageControl();
    void DeleteTunerPageControl();
    bool TunerPageSetChannel(LONG channel);
    // The capture graph behind the capture filter, ending in the AVI multiplexer.
    bool STvBuildCaptureGraph(const char* audioDeviceName);
    // The sound of the capture graph into `sink`: the device's audio pin through a Smart Tee whose
    // other branch keeps the preview sound, or else the audio capture device (`audioDeviceName`
    // null: none).
    void RenderCaptureAudio(const char* audioDeviceName, IBaseFilter* sink);
    // Filters chosen by name; false means none is used.
    bool SelectVideoCompressor(const char* name);
    bool SelectAudioCompressor(const char* name);
    bool SelectAudioCaptureDevice(const char* name);
    bool SelectCompressor(CComPtr<IBaseFilter>& field, REFCLSID category, const char* name, LPCWSTR graphName);
    // How a device's FriendlyName is compared with the name asked for.
    enum class NameMatch {
        Exact, // equal, letter case counting
        Contains, // the name is a part of it, letter case counting ("" fits every name)
        EqualIgnoringCase, // equal ignoring case ("" fits every name)
    };
    // The first device of `category` whose readable FriendlyName fits `name`; its name into
    // `matchedName` (260 bytes) when given. Counted.
    static IBaseFilter* BindDeviceByName(REFCLSID category, const char* name, NameMatch match, char* matchedName);
    // Deletes the recording target, if any; the field is cleared before the target goes.
    void DeleteRecordingTarget();

    SMediaIn* m_recordingTarget { nullptr }; // owned; set while recording Windows Media
    CComPtr<IAMTVTuner> m_tuner; // or the older identifier, driven alike
    BYTE m_debug { 0 }; // publish the graph for inspection
    BYTE m_lineIn { 0 }; // the crossbar routes the line input instead of the tuner audio
    LONG m_channel { -1 };
    CComPtr<IGraphBuilder> m_graph;
    CComPtr<IVideoWindow> m_videoWindow;
    CComPtr<IMediaControl> m_mediaControl;
    ISampleCaptureGraphBuilder* m_builder { nullptr }; // owned
    CComPtr<IBaseFilter> m_captureFilter;
    CComPtr<IBaseFilter> m_videoCompressor;
    CComPtr<IBaseFilter> m_audioCompressor;
    CComPtr<IBaseFilter> m_audioCaptureFilter;
    CComPtr<IBaseFilter> m_audioRenderer; // "audioOut"
    CComPtr<IAMDroppedFrames> m_droppedFrames;
    CComPtr<IBaseFilter> m_multiplexer;
    CComPtr<IFileSinkFilter> m_fileSink;
    CComPtr<IAMVideoCompression> m_videoCompression;
    CComPtr<IConfigAviMux> m_muxConfig;
    CComPtr<IAMCrossbar> m_crossbar;
    CComPtr<IMediaPosition> m_mediaPosition;
    CComPtr<IBaseFilter> m_companionFilter; // the card whose crossbar a 3dfx device uses
    TunerPageControl* m_tunerPage { nullptr }; // owned
    char m_graphFilePath[260] {};
    BYTE m_noPreviewPin { 0 };
    BYTE m_previewBuilt { 0 };
    BYTE m_running { 0 };
    BYTE m_capturePrepared { 0 }; // an AVI capture is prepared or running
    BYTE m_captureGraphActive { 0 };
    LONG m_screenMode { 0 }; // 1 full screen, else windowed
    HWND m_parentWindow { nullptr };
    char m_deviceName[260] {};
    char m_audioCaptureName[260] {};
    char m_captureFile[260] {};
    char m_audioRendererName[260] {}; // "" = the first audio renderer
    BYTE m_captureIsMpeg2 { 0 };
    LONG m_droppedBaseline { 0 };
    LONG m_passedBaseline { 0 };
    BYTE m_videoShown { 0 };
    BYTE m_antenna { 1 }; // 1 antenna, 0 cable
    DWORD m_graphRegistration { 0 }; // running-object-table cookie; 0 = not registered
};
