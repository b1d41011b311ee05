#include "CaptureFilter.h"

#include <com/Property.h>
#include <com/TaskMemory.h>
#include <gdi/Yuy2.h>
#include <sim/TestPicture.h>
#include <sim/TestTone.h>

#include <algorithm>
#include <cstring>

namespace sim::detail {

namespace {

constexpr LONG kMinWidth = 32;
constexpr LONG kMinHeight = 24;
constexpr REFERENCE_TIME kMinFrameInterval = UNITS / 50;
constexpr REFERENCE_TIME kMaxFrameInterval = UNITS;

REFERENCE_TIME card_period(const CaptureCard& card) { return UNITS / std::max<LONG>(card.frames_per_second, 1); }

dshow::MediaType video_type(bool rgb, LONG width, LONG height, REFERENCE_TIME period)
{
    if (rgb)
        return dshow::MediaType::video(MEDIASUBTYPE_RGB24, dshow::make_rgb_format(width, height, 24, period));
    return dshow::MediaType::video(MEDIASUBTYPE_YUY2, dshow::make_yuy2_format(width, height, period));
}

void copy_text(const std::u16string& text, WCHAR* out, int* bytes)
{
    if (!bytes)
        return;
    int needed = static_cast<int>((text.size() + 1) * sizeof(WCHAR));
    if (out && *bytes > 0) {
        std::size_t units = std::min<std::size_t>(text.size(), static_cast<std::size_t>(*bytes) / sizeof(WCHAR) - 1);
        std::copy_n(text.data(), units, out);
        out[units] = 0;
    }
    *bytes = needed;
}

// Bottom-up RGB24 rows (padded to 4 bytes) from a top-down YUY2 frame.
void yuy2_to_rgb24(const BYTE* yuy2, int width, int height, BYTE* rgb, std::vector<BYTE>& scratch)
{
    scratch.resize(static_cast<std::size_t>(width) * height * 4);
    auto* bgra = reinterpret_cast<gdi::Pixel*>(scratch.data());
    gdi::yuy2_to_bgra(yuy2, static_cast<std::ptrdiff_t>(width) * 2, width, height, bgra, static_cast<std::ptrdiff_t>(width) * 4);
    std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t(3);
    for (int y = 0; y < height; ++y) {
        BYTE* row = rgb + stride * (height - 1 - y);
        const gdi::Pixel* src = bgra + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            row[x * 3 + 0] = static_cast<BYTE>(src[x]);
            row[x * 3 + 1] = static_cast<BYTE>(src[x] >> 8);
            row[x * 3 + 2] = static_cast<BYTE>(src[x] >> 16);
        }
        std::memset(row + width * 3, 0, stride - width * 3);
    }
}

}

StreamPin::StreamPin(dshow::BaseFilter& filter, std::u16string name, StreamKind kind, const CaptureCard& card)
    : OutputPin(filter, name, name)
    , m_kind(kind)
    , m_card(card)
{
    if (kind == StreamKind::Audio)
        m_format = dshow::MediaType::audio(dshow::make_pcm_format(card.audio_rate, card.audio_channels, 16));
    else
        m_format = video_type(card.rgb, card.width & ~1, card.height, card_period(card));
}

void* StreamPin::find_interface(REFIID iid)
{
    bool capture = m_kind == StreamKind::Capture;
    if (IsEqualIID(iid, IID_IKsPropertySet))
        return static_cast<IKsPropertySet*>(this);
    if (IsEqualIID(iid, IID_IAMStreamConfig) && m_card.stream_config)
        return static_cast<IAMStreamConfig*>(this);
    if (IsEqualIID(iid, IID_ISpecifyPropertyPages) && m_card.stream_config)
        return static_cast<ISpecifyPropertyPages*>(this);
    if (IsEqualIID(iid, IID_IAMStreamControl) && m_card.stream_control && m_kind != StreamKind::Preview)
        return static_cast<IAMStreamControl*>(this);
    if (IsEqualIID(iid, IID_IAMDroppedFrames) && m_card.dropped_frames && capture)
        return static_cast<IAMDroppedFrames*>(this);
    if (IsEqualIID(iid, IID_IAMVideoCompression) && m_card.video_compression && capture)
        return static_cast<IAMVideoCompression*>(this);
    return OutputPin::find_interface(iid);
}

std::vector<dshow::MediaType> StreamPin::capabilities() const
{
    if (m_kind == StreamKind::Audio)
        return { dshow::MediaType::audio(dshow::make_pcm_format(m_card.audio_rate, m_card.audio_channels, 16)) };
    LONG width = m_card.width & ~1;
    REFERENCE_TIME period = card_period(m_card);
    return { video_type(m_card.rgb, width, m_card.height, period), video_type(!m_card.rgb, width, m_card.height, period) };
}

HRESULT StreamPin::check_media_type(const AM_MEDIA_TYPE& type)
{
    dshow::MediaType copy(type);
    if (m_kind == StreamKind::Audio) {
        const WAVEFORMATEX* wave = copy.wave_format();
        if (!IsEqualGUID(type.majortype, MEDIATYPE_Audio) || !wave || wave->wFormatTag != WAVE_FORMAT_PCM || wave->wBitsPerSample != 16
            || wave->nChannels < 1 || wave->nChannels > 2 || wave->nSamplesPerSec < 8000 || wave->nSamplesPerSec > 48000
            || wave->nBlockAlign != wave->nChannels * 2)
            return S_FALSE;
        return S_OK;
    }
    const VIDEOINFOHEADER* video = copy.video_info();
    if (!IsEqualGUID(type.majortype, MEDIATYPE_Video) || !video)
        return S_FALSE;
    const BITMAPINFOHEADER& bmi = video->bmiHeader;
    LONG height = bmi.biHeight < 0 ? -bmi.biHeight : bmi.biHeight;
    bool yuy2 = IsEqualGUID(type.subtype, MEDIASUBTYPE_YUY2) && bmi.biCompression == FOURCC_YUY2 && bmi.biBitCount == 16;
    bool rgb = IsEqualGUID(type.subtype, MEDIASUBTYPE_RGB24) && bmi.biCompression == BI_RGB && bmi.biBitCount == 24 && bmi.biHeight > 0;
    if (!yuy2 && !rgb)
        return S_FALSE;
    if (bmi.biWidth < kMinWidth || bmi.biWidth > m_card.width || (bmi.biWidth & 1) || height < kMinHeight || height > m_card.height)
        return S_FALSE;
    if (video->AvgTimePerFrame != 0 && (video->AvgTimePerFrame < kMinFrameInterval || video->AvgTimePerFrame > kMaxFrameInterval))
        return S_FALSE;
    return S_OK;
}

std::vector<dshow::MediaType> StreamPin::media_types()
{
    std::vector<dshow::MediaType> types { format() };
    for (auto& type : capabilities()) {
        if (!dshow::equal(type.get(), types.front().get()))
            types.push_back(std::move(type));
    }
    return types;
}

dshow::MediaType StreamPin::format() const
{
    if (is_connected())
        return connection_type();
    std::lock_guard guard(m_lock);
    return m_format;
}

LONG StreamPin::buffer_size(const AM_MEDIA_TYPE& type)
{
    if (m_kind == StreamKind::Audio) {
        dshow::MediaType copy(type);
        if (const WAVEFORMATEX* wave = copy.wave_format()) {
            // Two frame periods of sound, at the slowest frame rate the card runs.
            LONGLONG frames = static_cast<LONGLONG>(wave->nSamplesPerSec) * card_period(m_card) / UNITS + 1;
            return static_cast<LONG>(std::max<LONGLONG>(frames * 2 * wave->nBlockAlign, wave->nAvgBytesPerSec / 10));
        }
    }
    return OutputPin::buffer_size(type);
}

STDMETHODIMP StreamPin::SetFormat(AM_MEDIA_TYPE* type)
{
    if (!type)
        return E_POINTER;
    if (!filter().is_stopped())
        return VFW_E_NOT_STOPPED;
    if (check_media_type(*type) != S_OK)
        return VFW_E_INVALIDMEDIATYPE;
    dshow::MediaType wanted(*type);
    if (const VIDEOINFOHEADER* video = wanted.video_info()) {
        LONG height = video->bmiHeader.biHeight < 0 ? -video->bmiHeader.biHeight : video->bmiHeader.biHeight;
        REFERENCE_TIME period = video->AvgTimePerFrame ? video->AvgTimePerFrame : card_period(m_card);
        wanted = video_type(IsEqualGUID(type->subtype, MEDIASUBTYPE_RGB24), video->bmiHeader.biWidth, height, period);
    }
    if (CComPtr<IPin> peer = this->peer()) {
        if (peer->QueryAccept(&wanted.get()) != S_OK)
            return VFW_E_INVALIDMEDIATYPE;
        {
            std::lock_guard guard(m_lock);
            m_format = wanted;
        }
        // Connected: the graph connects the pin again with the new format offered first.
        IFilterGraph* graph = filter().graph();
        return graph ? graph->Reconnect(this) : S_OK;
    }
    std::lock_guard guard(m_lock);
    m_format = std::move(wanted);
    return S_OK;
}

STDMETHODIMP StreamPin::GetFormat(AM_MEDIA_TYPE** type)
{
    if (!type)
        return E_POINTER;
    *type = CreateMediaType(&format().get());
    return *type ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP StreamPin::GetNumberOfCapabilities(int* count, int* caps_bytes)
{
    if (!count || !caps_bytes)
        return E_POINTER;
    *count = static_cast<int>(capabilities().size());
    *caps_bytes = m_kind == StreamKind::Audio ? sizeof(AUDIO_STREAM_CONFIG_CAPS) : sizeof(VIDEO_STREAM_CONFIG_CAPS);
    return S_OK;
}

STDMETHODIMP StreamPin::GetStreamCaps(int index, AM_MEDIA_TYPE** type, BYTE* caps)
{
    if (!type || !caps)
        return E_POINTER;
    *type = nullptr;
    auto all = capabilities();
    if (index < 0)
        return E_INVALIDARG;
    if (index >= static_cast<int>(all.size()))
        return S_FALSE;
    if (m_kind == StreamKind::Audio) {
        AUDIO_STREAM_CONFIG_CAPS audio {};
        audio.guid = FORMAT_WaveFormatEx;
        audio.MinimumChannels = 1;
        audio.MaximumChannels = 2;
        audio.ChannelsGranularity = 1;
        audio.MinimumBitsPerSample = audio.MaximumBitsPerSample = 16;
        audio.BitsPerSampleGranularity = 16;
        audio.MinimumSampleFrequency = 8000;
        audio.MaximumSampleFrequency = 48000;
        audio.SampleFrequencyGranularity = 1;
        std::memcpy(caps, &audio, sizeof audio);
    } else {
        VIDEO_STREAM_CONFIG_CAPS video {};
        video.guid = FORMAT_VideoInfo;
        video.VideoStandard = AnalogVideo_PAL_B;
        video.InputSize = { m_card.width, m_card.height };
        video.MinCroppingSize = video.MaxCroppingSize = video.InputSize;
        video.CropGranularityX = video.CropGranularityY = 1;
        video.CropAlignX = video.CropAlignY = 1;
        video.MinOutputSize = { kMinWidth, kMinHeight };
        video.MaxOutputSize = { m_card.width & ~1, m_card.height };
        video.OutputGranularityX = 2;
        video.OutputGranularityY = 1;
        video.MinFrameInterval = kMinFrameInterval;
        video.MaxFrameInterval = kMaxFrameInterval;
        LONG bits = IsEqualGUID(all[index].get().subtype, MEDIASUBTYPE_RGB24) ? 24 : 16;
        video.MinBitsPerSecond = kMinWidth * kMinHeight * bits;
        video.MaxBitsPerSecond = static_cast<LONG>(std::min<LONGLONG>(0x7FFFFFFF, static_cast<LONGLONG>(m_card.width) * m_card.height * bits * 50));
        std::memcpy(caps, &video, sizeof video);
    }
    *type = CreateMediaType(&all[index].get());
    return *type ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP StreamPin::StartAt(const REFERENCE_TIME* start, DWORD cookie)
{
    std::lock_guard guard(m_lock);
    if (!start) {
        m_start = -MAXLONGLONG; // now
        m_info.dwFlags &= ~AM_STREAM_INFO_START_DEFINED;
    } else {
        m_start = *start; // MAXLONGLONG: never, so the stream stays off
        if (*start == MAXLONGLONG)
            m_info.dwFlags &= ~AM_STREAM_INFO_START_DEFINED;
        else
            m_info.dwFlags |= AM_STREAM_INFO_START_DEFINED;
    }
    m_info.tStart = m_start;
    m_info.dwStartCookie = cookie;
    return S_OK;
}

STDMETHODIMP StreamPin::StopAt(const REFERENCE_TIME* stop, BOOL send_extra, DWORD cookie)
{
    std::lock_guard guard(m_lock);
    if (!stop) {
        m_stop = -MAXLONGLONG; // now
        m_info.dwFlags &= ~AM_STREAM_INFO_STOP_DEFINED;
    } else {
        m_stop = *stop; // MAXLONGLONG cancels the stop
        if (*stop == MAXLONGLONG)
            m_info.dwFlags &= ~AM_STREAM_INFO_STOP_DEFINED;
        else
            m_info.dwFlags |= AM_STREAM_INFO_STOP_DEFINED;
    }
    if (send_extra)
        m_info.dwFlags |= AM_STREAM_INFO_STOP_SEND_EXTRA;
    else
        m_info.dwFlags &= ~AM_STREAM_INFO_STOP_SEND_EXTRA;
    m_info.tStop = m_stop;
    m_info.dwStopCookie = cookie;
    return S_OK;
}

STDMETHODIMP StreamPin::GetInfo(AM_STREAM_INFO* info)
{
    if (!info)
        return E_POINTER;
    std::lock_guard guard(m_lock);
    *info = m_info;
    REFERENCE_TIME now = filter().stream_time();
    if (!(now >= m_start && now < m_stop))
        info->dwFlags |= AM_STREAM_INFO_DISCARDING;
    return S_OK;
}

bool StreamPin::passes(REFERENCE_TIME time) const
{
    if (!m_card.stream_control)
        return true;
    std::lock_guard guard(m_lock);
    return time >= m_start && time < m_stop;
}

STDMETHODIMP StreamPin::GetNumDropped(LONG* dropped) { return com::get_locked(m_lock, m_dropped, dropped); }

STDMETHODIMP StreamPin::GetNumNotDropped(LONG* delivered) { return com::get_locked(m_lock, m_delivered, delivered); }

STDMETHODIMP StreamPin::GetDroppedInfo(LONG size, LONG* frames, LONG* copied)
{
    if (!frames || !copied)
        return E_POINTER;
    if (size <= 0)
        return E_INVALIDARG;
    std::lock_guard guard(m_lock);
    LONG n = std::min<LONG>(size, static_cast<LONG>(m_dropped_frames.size()));
    std::copy_n(m_dropped_frames.begin(), n, frames);
    *copied = n;
    return S_OK;
}

STDMETHODIMP StreamPin::GetAverageFrameSize(LONG* bytes)
{
    if (!bytes)
        return E_POINTER;
    std::lock_guard guard(m_lock);
    *bytes = m_delivered ? static_cast<LONG>(m_delivered_bytes / m_delivered) : 0;
    return S_OK;
}

void StreamPin::reset_counters()
{
    std::lock_guard guard(m_lock);
    m_dropped = 0;
    m_delivered = 0;
    m_delivered_bytes = 0;
    m_dropped_frames.clear();
}

STDMETHODIMP StreamPin::put_KeyFrameRate(LONG rate) { return com::put_locked(m_lock, m_key_frame_rate, rate); }

STDMETHODIMP StreamPin::get_KeyFrameRate(LONG* rate) { return com::get_locked(m_lock, m_key_frame_rate, rate); }

STDMETHODIMP StreamPin::put_PFramesPerKeyFrame(LONG frames) { return com::put_locked(m_lock, m_p_frames, frames); }

STDMETHODIMP StreamPin::get_PFramesPerKeyFrame(LONG* frames) { return com::get_locked(m_lock, m_p_frames, frames); }

STDMETHODIMP StreamPin::put_Quality(double quality)
{
    if (quality > 1.0 || (quality < 0.0 && quality != -1.0))
        return E_INVALIDARG;
    return com::put_locked(m_lock, m_quality, quality);
}

STDMETHODIMP StreamPin::get_Quality(double* quality) { return com::get_locked(m_lock, m_quality, quality); }

STDMETHODIMP StreamPin::put_WindowSize(DWORDLONG frames) { return com::put_locked(m_lock, m_window, frames); }

STDMETHODIMP StreamPin::get_WindowSize(DWORDLONG* frames) { return com::get_locked(m_lock, m_window, frames); }

STDMETHODIMP StreamPin::GetInfo(WCHAR* version, int* version_bytes, LPWSTR description, int* description_bytes,
    LONG* default_key_frame_rate, LONG* default_p_frames_per_key, double* default_quality, LONG* capabilities)
{
    copy_text(u"1.0", version, version_bytes);
    copy_text(m_card.name, description, description_bytes);
    if (default_key_frame_rate)
        *default_key_frame_rate = -1;
    if (default_p_frames_per_key)
        *default_p_frames_per_key = -1;
    if (default_quality)
        *default_quality = -1.0;
    if (capabilities)
        *capabilities = 0; // uncompressed frames: nothing to set
    return S_OK;
}

STDMETHODIMP StreamPin::OverrideKeyFrame(LONG) { return E_NOTIMPL; }
STDMETHODIMP StreamPin::OverrideFrameSize(LONG, LONG) { return E_NOTIMPL; }

STDMETHODIMP StreamPin::Set(REFGUID set, DWORD, LPVOID, DWORD, LPVOID, DWORD)
{
    return IsEqualGUID(set, AMPROPSETID_Pin) ? E_PROP_ID_UNSUPPORTED : E_PROP_SET_UNSUPPORTED;
}

STDMETHODIMP StreamPin::Get(REFGUID set, DWORD id, LPVOID, DWORD, LPVOID data, DWORD data_bytes, DWORD* returned)
{
    if (!IsEqualGUID(set, AMPROPSETID_Pin))
        return E_PROP_SET_UNSUPPORTED;
    if (id != AMPROPERTY_PIN_CATEGORY)
        return E_PROP_ID_UNSUPPORTED;
    if (!data || !returned)
        return E_POINTER;
    if (data_bytes < sizeof(GUID))
        return E_UNEXPECTED;
    const GUID& category = m_kind == StreamKind::Preview ? PIN_CATEGORY_PREVIEW : PIN_CATEGORY_CAPTURE;
    std::memcpy(data, &category, sizeof(GUID));
    *returned = sizeof(GUID);
    return S_OK;
}

STDMETHODIMP StreamPin::QuerySupported(REFGUID set, DWORD id, DWORD* support)
{
    if (!IsEqualGUID(set, AMPROPSETID_Pin))
        return E_PROP_SET_UNSUPPORTED;
    if (id != AMPROPERTY_PIN_CATEGORY)
        return E_PROP_ID_UNSUPPORTED;
    if (support)
        *support = KSPROPERTY_SUPPORT_GET;
    return S_OK;
}

STDMETHODIMP StreamPin::GetPages(CAUUID* pages) { return fill_pages(m_card.stream_pages, pages); }

void StreamPin::stream(LONG frame, REFERENCE_TIME start, REFERENCE_TIME stop, const CardSignal& signal)
{
    if (!is_connected())
        return;
    dshow::MediaType type = connection_type();
    if (m_kind == StreamKind::Audio) {
        if (passes(start))
            stream_audio(start, stop, signal, type);
        return;
    }
    if (m_kind == StreamKind::Preview) {
        stream_video(frame, start, stop, signal, type);
        return;
    }
    if (m_card.drop_every > 0 && (frame + 1) % m_card.drop_every == 0) {
        std::lock_guard guard(m_lock);
        ++m_dropped;
        if (m_dropped_frames.size() < 4096)
            m_dropped_frames.push_back(frame);
        return;
    }
    if (!passes(start))
        return;
    if (SUCCEEDED(stream_video(frame, start, stop, signal, type))) {
        std::lock_guard guard(m_lock);
        ++m_delivered;
        m_delivered_bytes += dshow::image_size(type.video_info()->bmiHeader);
    }
}

HRESULT StreamPin::stream_video(LONG frame, REFERENCE_TIME start, REFERENCE_TIME stop, const CardSignal& signal, const dshow::MediaType& type)
{
    const VIDEOINFOHEADER* video = type.video_info();
    if (!video)
        return E_UNEXPECTED;
    int width = video->bmiHeader.biWidth;
    int height = video->bmiHeader.biHeight < 0 ? -video->bmiHeader.biHeight : video->bmiHeader.biHeight;
    LONG bytes = static_cast<LONG>(dshow::image_size(video->bmiHeader));
    IMediaSample* sample = nullptr;
    HRESULT hr = get_delivery_buffer(&sample);
    if (FAILED(hr))
        return hr;
    BYTE* data = nullptr;
    sample->GetPointer(&data);
    if (sample->GetSize() < bytes) {
        sample->Release();
        return E_UNEXPECTED;
    }
    TestPicture picture(width, height);
    if (IsEqualGUID(type.get().subtype, MEDIASUBTYPE_RGB24)) {
        std::vector<BYTE> yuy2 = picture.render(signal.picture(), static_cast<std::uint32_t>(frame), start);
        yuy2_to_rgb24(yuy2.data(), width, height, data, m_scratch);
    } else {
        draw_into(picture, signal.picture(), static_cast<std::uint32_t>(frame), start, data);
    }
    sample->SetActualDataLength(bytes);
    sample->SetSyncPoint(TRUE);
    if (m_kind == StreamKind::Preview) {
        sample->SetTime(nullptr, nullptr);
    } else {
        sample->SetTime(&start, &stop);
    }
    hr = deliver(sample);
    sample->Release();
    return hr;
}

// A buffer that comes round again holds the frame last drawn into it, as downstream filters
// only read the samples they receive: only what changes is drawn again.
void StreamPin::draw_into(const TestPicture& picture, const PictureSource& source, std::uint32_t frame, REFERENCE_TIME time, BYTE* data)
{
    auto held = std::find_if(m_painted.begin(), m_painted.end(), [&](const Painted& p) { return p.buffer == data; });
    if (held != m_painted.end() && held->source == source && held->width == picture.width() && held->height == picture.height()) {
        picture.render_changes(source, frame, time, data);
        return;
    }
    picture.render(source, frame, time, data);
    Painted painted { data, source, picture.width(), picture.height() };
    if (held != m_painted.end())
        *held = painted;
    else if (m_painted.size() < 16)
        m_painted.push_back(painted);
}

HRESULT StreamPin::active()
{
    // Buffers may be new memory at old addresses once the allocator has been decommitted.
    m_painted.clear();
    return OutputPin::active();
}

HRESULT StreamPin::stream_audio(REFERENCE_TIME start, REFERENCE_TIME stop, const CardSignal& signal, const dshow::MediaType& type)
{
    const WAVEFORMATEX* wave = type.wave_format();
    if (!wave)
        return E_UNEXPECTED;
    TestTone tone(signal.sound(), wave->nSamplesPerSec, wave->nChannels);
    std::uint64_t first = tone.frames_in(start);
    std::uint64_t last = tone.frames_in(stop);
    std::size_t count = static_cast<std::size_t>(last - first);
    LONG bytes = static_cast<LONG>(count * wave->nBlockAlign);
    IMediaSample* sample = nullptr;
    HRESULT hr = get_delivery_buffer(&sample);
    if (FAILED(hr))
        return hr;
    BYTE* data = nullptr;
    sample->GetPointer(&data);
    if (sample->GetSize() < bytes) {
        sample->Release();
        return E_UNEXPECTED;
    }
    tone.render(first, count, reinterpret_cast<std::int16_t*>(data));
    sample->SetActualDataLength(bytes);
    sample->SetSyncPoint(TRUE);
    sample->SetTime(&start, &stop);
    hr = deliver(sample);
    sample->Release();
    return hr;
}

}
