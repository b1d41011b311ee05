#include "FileStreamPin.h"
#include <base/Text.h>
#include <dshow/AviMux.h>
#include <dshow/FileWriter.h>
#include <dshow/SystemFilters.h>

#include <cstdio>

namespace dshow {

class AviMux::Input final : public InputPin {
public:
    Input(BaseFilter& filter, std::u16string name)
        : InputPin(filter, std::move(name))
    {
    }
    AviMux& mux() const { return static_cast<AviMux&>(filter()); }

    HRESULT check_media_type(const AM_MEDIA_TYPE& type) override
    {
        MediaType copy(type);
        if (IsEqualGUID(type.majortype, MEDIATYPE_Video)) {
            const VIDEOINFOHEADER* video = copy.video_info();
            return video && video->bmiHeader.biWidth > 0 && video->bmiHeader.biHeight != 0 ? S_OK : S_FALSE;
        }
        if (IsEqualGUID(type.majortype, MEDIATYPE_Audio)) {
            const WAVEFORMATEX* wave = copy.wave_format();
            if (!wave || wave->nChannels == 0 || wave->nSamplesPerSec == 0 || wave->nBlockAlign == 0)
                return S_FALSE;
            return wave->wFormatTag == WAVE_FORMAT_PCM || type.cbFormat >= sizeof(WAVEFORMATEX) + wave->cbSize ? S_OK : S_FALSE;
        }
        return S_FALSE;
    }
    HRESULT receive(IMediaSample* sample) override { return mux().receive(*this, sample); }
    HRESULT end_of_stream() override { return mux().end_of_stream(*this); }

    int stream { -1 }; // while a file is open
    bool ended { false };

protected:
    HRESULT complete_connect(IPin*) override
    {
        // Keep one input free.
        bool free_left = false;
        for (BasePin* pin : mux().pins())
            free_left = free_left || (pin != this && pin->direction() == PINDIR_INPUT && !pin->is_connected());
        if (!free_left)
            mux().add_input();
        return S_OK;
    }
};

AviMux::AviMux()
    : BaseFilter(CLSID_AviDest)
{
    m_output = make_pin<FileStreamPin>(u"AVI Out", MEDIASUBTYPE_Avi);
    add_input();
}

AviMux::~AviMux()
{
    on_stop();
}

void AviMux::add_input()
{
    char text[24];
    std::snprintf(text, sizeof text, "Input %02d", ++m_inputs_made);
    make_pin<Input>(base::to_utf16(text));
}

void* AviMux::find_interface(REFIID iid)
{
    if (IsEqualIID(iid, IID_IConfigAviMux))
        return static_cast<IConfigAviMux*>(this);
    if (IsEqualIID(iid, IID_IConfigInterleaving))
        return static_cast<IConfigInterleaving*>(this);
    return BaseFilter::find_interface(iid);
}

STDMETHODIMP AviMux::SetMasterStream(LONG stream)
{
    if (stream < -1)
        return E_INVALIDARG;
    std::lock_guard guard(lock());
    if (!is_stopped())
        return VFW_E_WRONG_STATE;
    m_master = stream;
    return S_OK;
}

STDMETHODIMP AviMux::GetMasterStream(LONG* stream)
{
    if (!stream)
        return E_POINTER;
    std::lock_guard guard(lock());
    *stream = m_master;
    return S_OK;
}

STDMETHODIMP AviMux::SetOutputCompatibilityIndex(BOOL old_index)
{
    std::lock_guard guard(lock());
    if (!is_stopped())
        return VFW_E_WRONG_STATE;
    m_options.compatibility_index = old_index != FALSE;
    return S_OK;
}

STDMETHODIMP AviMux::GetOutputCompatibilityIndex(BOOL* old_index)
{
    if (!old_index)
        return E_POINTER;
    std::lock_guard guard(lock());
    *old_index = m_options.compatibility_index ? TRUE : FALSE;
    return S_OK;
}

STDMETHODIMP AviMux::put_Mode(InterleavingMode mode)
{
    if (mode != INTERLEAVE_NONE && mode != INTERLEAVE_CAPTURE && mode != INTERLEAVE_FULL && mode != INTERLEAVE_NONE_BUFFERED)
        return E_INVALIDARG;
    std::lock_guard guard(lock());
    if (!is_stopped())
        return VFW_E_WRONG_STATE;
    m_options.mode = mode;
    return S_OK;
}

STDMETHODIMP AviMux::get_Mode(InterleavingMode* mode)
{
    if (!mode)
        return E_POINTER;
    std::lock_guard guard(lock());
    *mode = m_options.mode;
    return S_OK;
}

STDMETHODIMP AviMux::put_Interleaving(const REFERENCE_TIME* interleave, const REFERENCE_TIME* preroll)
{
    if ((interleave && *interleave <= 0) || (preroll && *preroll < 0))
        return E_INVALIDARG;
    std::lock_guard guard(lock());
    if (!is_stopped())
        return VFW_E_WRONG_STATE;
    if (interleave)
        m_options.interleave = *interleave;
    if (preroll)
        m_options.preroll = *preroll;
    return S_OK;
}

STDMETHODIMP AviMux::get_Interleaving(REFERENCE_TIME* interleave, REFERENCE_TIME* preroll)
{
    if (!interleave || !preroll)
        return E_POINTER;
    std::lock_guard guard(lock());
    *interleave = m_options.interleave;
    *preroll = m_options.preroll;
    return S_OK;
}

HRESULT AviMux::last_result() const
{
    std::lock_guard guard(m_write_lock);
    return m_last_result;
}

HRESULT AviMux::on_pause()
{
    std::lock_guard write_guard(m_write_lock);
    if (m_writer)
        return S_OK; // from running
    CComPtr<IFileWriterTarget> target = m_output->target();
    if (!target)
        return VFW_E_NOT_CONNECTED;

    AviWriterOptions options;
    LONG master;
    {
        std::lock_guard guard(lock());
        options = m_options;
        master = m_master;
    }
    auto writer = std::make_unique<AviWriter>(options);
    std::vector<Input*> inputs;
    for (BasePin* pin : pins()) {
        auto* input = dynamic_cast<Input*>(pin);
        if (!input || !input->is_connected())
            continue;
        MediaType type = input->connection_type();
        int stream = -1;
        if (const VIDEOINFOHEADER* video = type.video_info()) {
            stream = writer->add_video_stream(*video, type.format().subspan(sizeof(VIDEOINFOHEADER)));
        } else if (const WAVEFORMATEX* wave = type.wave_format()) {
            auto extra = type.format().subspan(sizeof(WAVEFORMATEX));
            stream = writer->add_audio_stream(*wave, extra.first(std::min<size_t>(extra.size(), wave->cbSize)));
        }
        if (stream < 0)
            return VFW_E_INVALIDMEDIATYPE;
        inputs.push_back(input);
    }
    if (inputs.empty())
        return VFW_E_NOT_CONNECTED;
    writer->set_master_stream(master);

    std::string path;
    if (HRESULT hr = target->OpenTarget(&path); FAILED(hr))
        return hr;
    if (HRESULT hr = writer->open(path); FAILED(hr))
        return hr;
    for (size_t i = 0; i < inputs.size(); ++i) {
        inputs[i]->stream = static_cast<int>(i);
        inputs[i]->ended = false;
    }
    m_streams = static_cast<int>(inputs.size());
    m_ended = 0;
    m_writer = std::move(writer);
    return S_OK;
}

HRESULT AviMux::on_stop()
{
    std::lock_guard write_guard(m_write_lock);
    if (!m_writer)
        return S_OK;
    m_last_result = m_writer->close();
    m_writer.reset();
    for (BasePin* pin : pins()) {
        if (auto* input = dynamic_cast<Input*>(pin))
            input->stream = -1;
    }
    return m_last_result;
}

HRESULT AviMux::receive(Input& pin, IMediaSample* sample)
{
    BYTE* data = nullptr;
    if (FAILED(sample->GetPointer(&data)))
        return E_POINTER;
    LONG length = sample->GetActualDataLength();
    REFERENCE_TIME start = 0, stop = 0;
    bool has_time = SUCCEEDED(sample->GetTime(&start, &stop));
    bool keyframe = sample->IsSyncPoint() == S_OK;
    std::lock_guard guard(m_write_lock);
    if (!m_writer || pin.stream < 0)
        return VFW_E_WRONG_STATE;
    if (pin.ended)
        return VFW_E_SAMPLE_REJECTED_EOS;
    return m_writer->write(pin.stream, { data, static_cast<size_t>(std::max<LONG>(length, 0)) }, start, has_time, keyframe);
}

HRESULT AviMux::end_of_stream(Input& pin)
{
    bool all_ended;
    {
        std::lock_guard guard(m_write_lock);
        if (!m_writer || pin.stream < 0 || pin.ended)
            return S_OK;
        pin.ended = true;
        m_writer->end_of_stream(pin.stream);
        all_ended = ++m_ended == m_streams;
    }
    if (all_ended)
        m_output->deliver_end_of_stream();
    return S_OK;
}

}
