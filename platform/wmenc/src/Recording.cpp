#include "Recording.h"

#include <base/Path.h>
#include <base/Text.h>
#include <com/ClassRegistry.h>
#include <com/HResults.h>
#include <dshow/BaseFilter.h>
#include <dshow/DeviceEnumerator.h>
#include <dshow/FilterGraph.h>
#include <dshow/MediaType.h>
#include <dshow/Pins.h>
#include <dshow/SmartTee.h>
#include <dshow/VideoRenderer.h>

#include <atomic>
#include <memory>

DEFINE_GUID(CLSID_WMEncSink, 0x6E0D1B3A, 0x4C52, 0x4B7B, 0x8F, 0x21, 0x3A, 0x55, 0x90, 0x1C, 0x7E, 0x42);

namespace wmenc::detail {

// The encoder's end of the graph: a "Video" input (YUY2 or RGB24) and an "Audio" input (16-bit
// PCM), each passing what arrives while archiving to the file.
class EncoderSink final : public dshow::BaseFilter {
public:
    explicit EncoderSink(std::shared_ptr<AsfWriter> writer)
        : BaseFilter(CLSID_WMEncSink)
        , m_writer(std::move(writer))
    {
        if (m_writer->has_video())
            m_video = make_pin<Input>(true);
        if (m_writer->has_audio())
            m_audio = make_pin<Input>(false);
    }

    dshow::InputPin* video() const { return m_video; }
    dshow::InputPin* audio() const { return m_audio; }

    void start_archive()
    {
        m_origin = stream_time();
        m_archiving = true;
    }
    void stop_archive() { m_archiving = false; }

private:
    class Input final : public dshow::InputPin {
    public:
        Input(BaseFilter& filter, bool video)
            : InputPin(filter, video ? u"Video" : u"Audio")
            , m_is_video(video)
        {
        }
        HRESULT check_media_type(const AM_MEDIA_TYPE& type) override
        {
            dshow::MediaType t(type);
            if (m_is_video) {
                const VIDEOINFOHEADER* v = t.video_info();
                bool known = IsEqualGUID(type.subtype, MEDIASUBTYPE_YUY2) || IsEqualGUID(type.subtype, MEDIASUBTYPE_RGB24);
                return IsEqualGUID(type.majortype, MEDIATYPE_Video) && known && v && v->bmiHeader.biWidth > 0 && v->bmiHeader.biHeight > 0
                    ? S_OK
                    : S_FALSE;
            }
            const WAVEFORMATEX* w = t.wave_format();
            return IsEqualGUID(type.majortype, MEDIATYPE_Audio) && w && w->wFormatTag == WAVE_FORMAT_PCM && w->wBitsPerSample == 16
                    && (w->nChannels == 1 || w->nChannels == 2)
                ? S_OK
                : S_FALSE;
        }
        HRESULT receive(IMediaSample* sample) override { return static_cast<EncoderSink&>(filter()).take(*this, sample); }

        const bool m_is_video;
    };

    HRESULT take(Input& pin, IMediaSample* sample)
    {
        if (!m_archiving)
            return S_OK;
        REFERENCE_TIME start = 0;
        REFERENCE_TIME stop = 0;
        if (FAILED(sample->GetTime(&start, &stop)))
            return S_OK;
        if (start < m_origin)
            return S_OK;
        start -= m_origin;
        BYTE* data = nullptr;
        sample->GetPointer(&data);
        dshow::MediaType type = pin.connection_type();
        HRESULT hr = S_OK;
        if (pin.m_is_video) {
            const VIDEOINFOHEADER* v = type.video_info();
            bool yuy2 = IsEqualGUID(type.get().subtype, MEDIASUBTYPE_YUY2);
            hr = m_writer->write_video(data, yuy2 ? AsfWriter::Picture::Yuy2 : AsfWriter::Picture::Rgb24, v->bmiHeader.biWidth, v->bmiHeader.biHeight,
                start);
        } else {
            const WAVEFORMATEX* w = type.wave_format();
            hr = m_writer->write_audio(data, static_cast<std::size_t>(sample->GetActualDataLength()), static_cast<int>(w->nSamplesPerSec),
                w->nChannels, start);
        }
        // A failing file stops the stream; the statistics stop growing.
        return FAILED(hr) ? hr : S_OK;
    }

    const std::shared_ptr<AsfWriter> m_writer;
    Input* m_video { nullptr };
    Input* m_audio { nullptr };
    std::atomic<bool> m_archiving { false };
    std::atomic<REFERENCE_TIME> m_origin { 0 };
};

namespace {

std::u16string friendly_name(IMoniker* moniker)
{
    CComPtr<IPropertyBag> bag;
    if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(&bag))))
        return {};
    VARIANT name;
    VariantInit(&name);
    std::u16string result;
    if (SUCCEEDED(bag->Read(u"FriendlyName", &name, nullptr)) && name.vt == VT_BSTR && name.bstrVal)
        result = name.bstrVal;
    VariantClear(&name);
    return result;
}

CComPtr<IPin> output_pin(IBaseFilter* filter, const char16_t* name)
{
    CComPtr<IPin> found;
    if (name) {
        filter->FindPin(name, &found);
        return found;
    }
    CComPtr<IEnumPins> pins;
    filter->EnumPins(&pins);
    for (CComPtr<IPin> pin; pins && pins->Next(1, &pin, nullptr) == S_OK; pin.Release()) {
        PIN_DIRECTION direction;
        if (SUCCEEDED(pin->QueryDirection(&direction)) && direction == PINDIR_OUTPUT)
            return pin;
    }
    return found;
}

HRESULT bind(REFCLSID category, const std::u16string& name, CComPtr<IBaseFilter>& filter)
{
    CComPtr<IMoniker> moniker;
    if (!find_device(category, name, std::addressof(moniker)))
        return VFW_E_NOT_FOUND;
    return moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&filter));
}

std::u16string quoted(const std::u16string& name, bool video)
{
    if (name.empty())
        return video ? u"the default video device" : u"the default audio device";
    return u"\"" + name + u"\"";
}

}

bool find_device(REFCLSID category, const std::u16string& name, CComPtr<IMoniker>* out)
{
    CComPtr<ICreateDevEnum> devices;
    if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum, reinterpret_cast<void**>(&devices))))
        return false;
    CComPtr<IEnumMoniker> monikers;
    if (devices->CreateClassEnumerator(category, &monikers, 0) != S_OK)
        return false;
    std::string wanted = base::to_utf8(name);
    for (CComPtr<IMoniker> moniker; monikers->Next(1, &moniker, nullptr) == S_OK; moniker.Release()) {
        if (name.empty() || base::equals_ignoring_case(base::to_utf8(friendly_name(moniker)), wanted)) {
            if (out)
                *out = moniker;
            return true;
        }
    }
    return false;
}

Recording::~Recording() { stop(); }

HRESULT Recording::prepare(const RecordingPlan& plan, std::unique_ptr<Recording>& made, std::u16string& error)
{
    std::unique_ptr<Recording> r(new Recording);
    CComPtr<IBaseFilter> video_device;
    CComPtr<IBaseFilter> audio_device;
    bool video = plan.video_device && plan.profile.has_video();
    bool audio = plan.audio_device && plan.profile.has_audio();
    if (!video && !audio) {
        error = u"The profile \"" + base::to_utf16(plan.profile.name) + u"\" records none of the source group's sources.";
        return E_INVALIDARG;
    }
    HRESULT hr = S_OK;
    if (video && FAILED(hr = bind(CLSID_VideoInputDeviceCategory, *plan.video_device, video_device))) {
        error = u"The video device " + quoted(*plan.video_device, true) + u" cannot be opened.";
        return hr;
    }
    if (audio && FAILED(hr = bind(CLSID_AudioInputDeviceCategory, *plan.audio_device, audio_device))) {
        error = u"The audio device " + quoted(*plan.audio_device, false) + u" cannot be opened.";
        return hr;
    }

    r->m_writer = std::make_shared<AsfWriter>();
    if (FAILED(hr = r->m_writer->open(plan.linux_path, plan.profile, video, audio, plan.metadata))) {
        error = u"The output file \"" + base::to_utf16(base::to_windows_path(plan.linux_path)) + u"\" cannot be written.";
        return hr;
    }

    if (FAILED(hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, reinterpret_cast<void**>(&r->m_graph)))) {
        error = u"The encoder's graph cannot be made.";
        return hr;
    }
    r->m_graph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&r->m_control));
    auto* sink = new EncoderSink(r->m_writer);
    r->m_sink = sink;
    r->m_sink_filter.Attach(sink);
    r->m_graph->AddFilter(r->m_sink_filter, u"Encoder");

    auto connect = [&](IPin* output, IPin* input) { return output ? r->m_graph->ConnectDirect(output, input, nullptr) : VFW_E_NOT_FOUND; };
    CComPtr<IPin> capture;
    CComPtr<IPin> preview;
    if (video) {
        r->m_graph->AddFilter(video_device, u"Video Capture");
        capture = output_pin(video_device, u"Capture");
        if (plan.preview && capture && !(preview = output_pin(video_device, u"Preview"))) {
            // A device without a preview pin shares its capture stream through a Smart Tee.
            CComPtr<IBaseFilter> tee;
            tee.Attach(new dshow::SmartTee);
            r->m_graph->AddFilter(tee, u"Smart Tee");
            CComPtr<IPin> input;
            tee->FindPin(u"Input", &input);
            if (SUCCEEDED(connect(capture, input))) {
                capture.Release();
                tee->FindPin(u"Capture", &capture);
                tee->FindPin(u"Preview", &preview);
            }
        }
    }
    if (video && FAILED(hr = connect(capture, sink->video()))) {
        error = u"The video device " + quoted(*plan.video_device, true) + u" gives no picture the encoder can take.";
        return hr;
    }
    if (audio) {
        r->m_graph->AddFilter(audio_device, u"Audio Capture");
        if (FAILED(hr = connect(output_pin(audio_device, nullptr), sink->audio()))) {
            error = u"The audio device " + quoted(*plan.audio_device, false) + u" gives no sound the encoder can take.";
            return hr;
        }
    }
    if (preview) {
        // A preview that cannot be shown leaves the recording without one.
        CComPtr<IBaseFilter> renderer;
        renderer.Attach(new dshow::VideoRenderer);
        r->m_graph->AddFilter(renderer, u"Preview");
        CComPtr<IPin> input;
        renderer->FindPin(u"Input", &input);
        if (SUCCEEDED(connect(preview, input))) {
            renderer->QueryInterface(IID_IVideoWindow, reinterpret_cast<void**>(&r->m_preview));
            if (r->m_preview)
                r->m_preview->put_AutoShow(OAFALSE);
        } else {
            r->m_graph->RemoveFilter(renderer);
        }
    }
    made = std::move(r);
    return S_OK;
}

HRESULT Recording::run() { return m_control ? m_control->Run() : E_UNEXPECTED; }

void Recording::start_archive()
{
    if (m_sink)
        m_sink->start_archive();
}

void Recording::stop_archive()
{
    if (m_sink)
        m_sink->stop_archive();
}

HRESULT Recording::stop()
{
    if (m_stopped)
        return S_OK;
    m_stopped = true;
    if (m_control)
        m_control->Stop();
    HRESULT hr = m_writer ? m_writer->close() : S_OK;
    m_preview.Release();
    m_control.Release();
    m_sink = nullptr;
    m_sink_filter.Release();
    // Releasing the graph takes every filter out; the devices and the preview window go.
    m_graph.Release();
    return hr;
}

}
