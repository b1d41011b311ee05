#pragma once

// The capture filter of a virtual card and its output pins. The filter is a live source: it
// streams from its own thread while running (nothing while paused, VFW_S_CANT_CUE), one video
// frame per frame period of the reference clock on "Capture" (timestamped, gated by stream
// control, counted for IAMDroppedFrames) and "Preview" (no timestamps), and the sound of the
// same period on "Audio". It owns the card's tuner and crossbar filters and wires them to its
// analog inputs while it is in a graph.

#include "CardAccess.h"
#include "CardSignal.h"
#include "LiveThread.h"
#include "ProgramStream.h"
#include "UpstreamFilters.h"

#include <dshow/BaseFilter.h>
#include <dshow/CaptureInterfaces.h>
#include <dshow/PinCategory.h>
#include <dshow/Pins.h>
#include <dshow/PropertyPages.h>
#include <sim/TestPicture.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace sim::detail {

// What the registration keeps of an installed card: its description and bind counters.
struct CardState {
    explicit CardState(CaptureCard card)
        : card(std::move(card))
    {
    }
    const CaptureCard card;
    std::atomic<int> binds { 0 };
    std::atomic<int> live { 0 }; // capture filters of this card that exist
};

enum class StreamKind { Capture, Preview, Audio };

class StreamPin final : public dshow::OutputPin,
                        public IAMStreamConfig,
                        public IAMStreamControl,
                        public IAMDroppedFrames,
                        public IAMVideoCompression,
                        public IKsPropertySet,
                        public ISpecifyPropertyPages {
public:
    StreamPin(dshow::BaseFilter& filter, std::u16string name, StreamKind kind, const CaptureCard& card);

    DSHOW_FORWARD_UNKNOWN(dshow::OutputPin)

    HRESULT check_media_type(const AM_MEDIA_TYPE& type) override;
    std::vector<dshow::MediaType> media_types() override;

    // IAMStreamConfig
    STDMETHODIMP SetFormat(AM_MEDIA_TYPE* type) override;
    STDMETHODIMP GetFormat(AM_MEDIA_TYPE** type) override;
    STDMETHODIMP GetNumberOfCapabilities(int* count, int* caps_bytes) override;
    STDMETHODIMP GetStreamCaps(int index, AM_MEDIA_TYPE** type, BYTE* caps) override;
    // IAMStreamControl
    STDMETHODIMP StartAt(const REFERENCE_TIME* start, DWORD cookie) override;
    STDMETHODIMP StopAt(const REFERENCE_TIME* stop, BOOL send_extra, DWORD cookie) override;
    STDMETHODIMP GetInfo(AM_STREAM_INFO* info) override;
    // IAMDroppedFrames
    STDMETHODIMP GetNumDropped(LONG* dropped) override;
    STDMETHODIMP GetNumNotDropped(LONG* delivered) override;
    STDMETHODIMP GetDroppedInfo(LONG size, LONG* frames, LONG* copied) override;
    STDMETHODIMP GetAverageFrameSize(LONG* bytes) override;
    // IAMVideoCompression
    STDMETHODIMP put_KeyFrameRate(LONG rate) override;
    STDMETHODIMP get_KeyFrameRate(LONG* rate) override;
    STDMETHODIMP put_PFramesPerKeyFrame(LONG frames) override;
    STDMETHODIMP get_PFramesPerKeyFrame(LONG* frames) override;
    STDMETHODIMP put_Quality(double quality) override;
    STDMETHODIMP get_Quality(double* quality) override;
    STDMETHODIMP put_WindowSize(DWORDLONG frames) override;
    STDMETHODIMP get_WindowSize(DWORDLONG* frames) override;
    STDMETHODIMP GetInfo(WCHAR* version, int* version_bytes, LPWSTR description, int* description_bytes,
        LONG* default_key_frame_rate, LONG* default_p_frames_per_key, double* default_quality, LONG* capabilities) override;
    STDMETHODIMP OverrideKeyFrame(LONG frame) override;
    STDMETHODIMP OverrideFrameSize(LONG frame, LONG size) override;
    // IKsPropertySet
    STDMETHODIMP Set(REFGUID set, DWORD id, LPVOID instance, DWORD instance_bytes, LPVOID data, DWORD data_bytes) override;
    STDMETHODIMP Get(REFGUID set, DWORD id, LPVOID instance, DWORD instance_bytes, LPVOID data, DWORD data_bytes, DWORD* returned) override;
    STDMETHODIMP QuerySupported(REFGUID set, DWORD id, DWORD* support) override;
    // ISpecifyPropertyPages
    STDMETHODIMP GetPages(CAUUID* pages) override;

    StreamKind kind() const { return m_kind; }
    // The format delivered: the connection's, or the one set while unconnected.
    dshow::MediaType format() const;
    // Streaming-thread side: counters start again, one frame of stream time [start, stop).
    void reset_counters();
    void stream(LONG frame, REFERENCE_TIME start, REFERENCE_TIME stop, const CardSignal& signal);

protected:
    void* find_interface(REFIID iid) override;
    LONG buffer_size(const AM_MEDIA_TYPE& type) override;
    HRESULT active() override;

private:
    // A sample buffer holding a whole picture of `source` at this size.
    struct Painted {
        const BYTE* buffer;
        PictureSource source;
        int width, height;
    };

    std::vector<dshow::MediaType> capabilities() const;
    void draw_into(const TestPicture& picture, const PictureSource& source, std::uint32_t frame, REFERENCE_TIME time, BYTE* data);
    bool passes(REFERENCE_TIME time) const;
    HRESULT stream_video(LONG frame, REFERENCE_TIME start, REFERENCE_TIME stop, const CardSignal& signal, const dshow::MediaType& type);
    HRESULT stream_audio(REFERENCE_TIME start, REFERENCE_TIME stop, const CardSignal& signal, const dshow::MediaType& type);

    const StreamKind m_kind;
    const CaptureCard& m_card;
    mutable std::mutex m_lock;
    dshow::MediaType m_format;
    REFERENCE_TIME m_start { -MAXLONGLONG };
    REFERENCE_TIME m_stop { MAXLONGLONG };
    AM_STREAM_INFO m_info {};
    LONG m_dropped { 0 };
    LONG m_delivered { 0 };
    LONGLONG m_delivered_bytes { 0 };
    std::vector<LONG> m_dropped_frames;
    LONG m_key_frame_rate { -1 };
    LONG m_p_frames { -1 };
    double m_quality { -1.0 };
    DWORDLONG m_window { 1 };
    std::vector<BYTE> m_scratch;
    std::vector<Painted> m_painted; // streaming thread, cleared while stopped
};

// "Capture" of a card that encodes in hardware: an MPEG-2 program stream of the card's picture and
// sound (ProgramStream.h), one pack per frame period, time-stamped like the capture pin's frames.
class ProgramStreamPin final : public dshow::OutputPin {
public:
    ProgramStreamPin(dshow::BaseFilter& filter, std::u16string name, const CaptureCard& card);

    HRESULT check_media_type(const AM_MEDIA_TYPE& type) override;
    std::vector<dshow::MediaType> media_types() override;
    HRESULT active() override;
    void inactive() override;
    // Streaming-thread side: the pack of one frame period [start, stop).
    void stream(LONG frame, REFERENCE_TIME start, REFERENCE_TIME stop, const CardSignal& signal);

protected:
    LONG buffer_size(const AM_MEDIA_TYPE&) override { return 4 * 1024 * 1024; }

private:
    const CaptureCard& m_card;
    std::mutex m_lock;
    ProgramStreamEncoder m_encoder;
    bool m_open { false };
    std::vector<BYTE> m_packs;
    std::vector<std::int16_t> m_sound;
};

class CaptureFilter final : public dshow::BaseFilter, public ISpecifyPropertyPages, public ISimCard {
public:
    explicit CaptureFilter(std::shared_ptr<CardState> state);
    ~CaptureFilter() override;

    DSHOW_FORWARD_UNKNOWN(dshow::BaseFilter)

    STDMETHODIMP JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;
    STDMETHODIMP GetPages(CAUUID* pages) override;
    // ISimCard
    CardSignal& card_signal() override { return *m_signal; }
    IAMCrossbar* card_crossbar() override;

protected:
    void* find_interface(REFIID iid) override;
    HRESULT on_pause() override;
    HRESULT on_run(REFERENCE_TIME start) override;
    HRESULT on_stop() override;
    HRESULT state_result(FILTER_STATE state) const override;

private:
    // Whether the crossbar stands between the tuner and the capture filter in the graph.
    bool wired_crossbar() const;
    void wire_upstream();
    void unwire_upstream();
    void start_streaming(REFERENCE_TIME start);
    void stop_streaming();
    void streaming_loop(std::int64_t run_ticks, REFERENCE_TIME period);

    const std::shared_ptr<CardState> m_state;
    const std::shared_ptr<CardSignal> m_signal;
    TunerFilter* m_tuner { nullptr }; // owned references
    CrossbarFilter* m_crossbar { nullptr };
    AnalogInput* m_video_in { nullptr };
    AnalogInput* m_audio_in { nullptr };
    std::vector<StreamPin*> m_streams;
    ProgramStreamPin* m_program { nullptr }; // instead of the streams, on a card that encodes

    LiveThread m_streaming;
    LONG m_next_frame { 0 };
};

}
