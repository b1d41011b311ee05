#include "DecodedStream.h"
#include "MediaTime.h"

#include <base/Files.h>
#include <base/Path.h>
#include <base/Text.h>
#include <com/TaskMemory.h>
#include <dshow/FileSource.h>
#include <dshow/Pins.h>
#include <dshow/VfwErrors.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

namespace dshow {

class FileSource::Stream final : public OutputPin {
public:
    Stream(BaseFilter& filter, std::u16string name, detail::FileStreamInfo info)
        : OutputPin(filter, name, name)
        , m_info(std::move(info))
    {
    }
    ~Stream() override { stop(); }

    HRESULT check_media_type(const AM_MEDIA_TYPE& type) override { return equal(type, m_info.type.get()) ? S_OK : S_FALSE; }
    std::vector<MediaType> media_types() override { return { m_info.type }; }

    bool video() const { return m_info.video; }

    void start(const std::string& path, REFERENCE_TIME position, double rate)
    {
        stop();
        if (!is_connected())
            return;
        m_stopping = false;
        m_thread = std::thread([this, path, position, rate] { stream(path, position, rate); });
    }

    void stop()
    {
        if (!m_thread.joinable())
            return;
        m_stopping = true;
        CComPtr<IPin> receiver = peer();
        if (receiver)
            receiver->BeginFlush();
        m_thread.join();
        if (receiver)
            receiver->EndFlush();
    }

protected:
    LONG buffer_size(const AM_MEDIA_TYPE& type) override
    {
        MediaType copy(type);
        if (const WAVEFORMATEX* wave = copy.wave_format())
            return static_cast<LONG>(std::max<DWORD>(wave->nAvgBytesPerSec / 10 / wave->nBlockAlign, 1) * wave->nBlockAlign);
        return OutputPin::buffer_size(type);
    }

private:
    // Delivers, waiting out the moment between the filter's on_pause and its paused state.
    HRESULT send(std::span<const BYTE> data, REFERENCE_TIME start, REFERENCE_TIME stop)
    {
        for (;;) {
            HRESULT hr = deliver(data, start, stop);
            if (hr != VFW_E_WRONG_STATE || m_stopping)
                return hr;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    // The same for a sample already filled.
    HRESULT send(IMediaSample* sample)
    {
        for (;;) {
            HRESULT hr = deliver(sample);
            if (hr != VFW_E_WRONG_STATE || m_stopping)
                return hr;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    // Each frame is decoded straight into the sample that carries it.
    HRESULT send_frame(detail::DecodedStream& decoder, REFERENCE_TIME begin, REFERENCE_TIME end)
    {
        CComPtr<IMediaSample> sample;
        HRESULT hr = get_delivery_buffer(&sample);
        if (FAILED(hr))
            return hr;
        BYTE* buffer = nullptr;
        sample->GetPointer(&buffer);
        std::size_t bytes = decoder.frame_bytes();
        if (!buffer || bytes > static_cast<std::size_t>(sample->GetSize()))
            return VFW_E_BUFFER_OVERFLOW;
        if (!decoder.take_picture(buffer))
            return S_OK; // a frame that cannot be converted is left out
        sample->SetActualDataLength(static_cast<LONG>(bytes));
        sample->SetTime(&begin, &end);
        sample->SetSyncPoint(TRUE);
        return send(sample);
    }

    void stream(const std::string& path, REFERENCE_TIME position, double rate)
    {
        auto decoder = detail::DecodedStream::open(path, m_info);
        if (!decoder)
            return;
        decoder->seek(position, rate);
        std::vector<BYTE> data;
        REFERENCE_TIME start = 0, stop = 0;
        auto stream_time = [&](REFERENCE_TIME media) { return static_cast<REFERENCE_TIME>(static_cast<double>(std::max<REFERENCE_TIME>(media - position, 0)) / rate); };
        auto next = [&] { return m_info.video ? decoder->next_frame(start, stop) : decoder->next(data, start, stop); };
        while (!m_stopping && next()) {
            REFERENCE_TIME begin = stream_time(start), end = std::max(stream_time(stop), begin + 1);
            HRESULT hr = S_OK;
            if (m_info.video) {
                hr = send_frame(*decoder, begin, end);
            } else {
                // Sound goes in buffers of the allocator's size, each with its share of the time.
                const WAVEFORMATEX* wave = m_info.type.wave_format();
                std::size_t piece = static_cast<std::size_t>(buffer_size(m_info.type.get()));
                double per_byte = static_cast<double>(UNITS) / wave->nAvgBytesPerSec;
                for (std::size_t at = 0; at < data.size() && hr == S_OK; at += piece) {
                    std::size_t length = std::min(piece, data.size() - at);
                    REFERENCE_TIME from = begin + static_cast<REFERENCE_TIME>(at * per_byte);
                    hr = send(std::span<const BYTE>(data.data() + at, length), from, from + static_cast<REFERENCE_TIME>(length * per_byte));
                }
            }
            if (hr != S_OK)
                return;
        }
        if (!m_stopping)
            deliver_end_of_stream();
    }

    detail::FileStreamInfo m_info;
    std::thread m_thread;
    std::atomic<bool> m_stopping { false };
};

FileSource::FileSource()
    : BaseFilter(CLSID_FileSource)
{
}

FileSource::~FileSource()
{
    stop_streams();
    if (m_hold != INVALID_HANDLE_VALUE)
        CloseHandle(m_hold);
}

void* FileSource::find_interface(REFIID iid)
{
    if (IsEqualIID(iid, IID_IFileSourceFilter))
        return static_cast<IFileSourceFilter*>(this);
    if (IsEqualIID(iid, IID_IMediaSeeking))
        return static_cast<IMediaSeeking*>(this);
    return BaseFilter::find_interface(iid);
}

STDMETHODIMP FileSource::Load(LPCOLESTR file, const AM_MEDIA_TYPE*)
{
    if (!file)
        return E_POINTER;
    std::lock_guard guard(m_seek_lock);
    if (!m_file.empty())
        return E_UNEXPECTED;
    std::string path = base::resolve_path(base::to_utf8(file));
    detail::FileInfo info;
    HRESULT hr = detail::probe_media_file(path, info);
    if (FAILED(hr))
        return hr;
    m_file = file;
    m_linux_path = path;
    // Held open as a reader that lets others only read, so the file is in use while loaded.
    m_hold = CreateFileA(base::to_utf8(file).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
        FILE_ATTRIBUTE_NORMAL, nullptr);
    m_duration = info.duration;
    int videos = 0, sounds = 0;
    for (auto& entry : info.streams) {
        if (!entry.decodable) {
            ++m_undecodable;
            continue;
        }
        int number = entry.video ? ++videos : ++sounds;
        std::u16string name = entry.video ? u"Video" : u"Audio";
        if (number > 1) {
            name += u' ';
            name += base::to_utf16(std::to_string(number));
        }
        m_streams.push_back(make_pin<Stream>(name, std::move(entry)));
    }
    return S_OK;
}

STDMETHODIMP FileSource::GetCurFile(LPOLESTR* file, AM_MEDIA_TYPE* type)
{
    if (!file)
        return E_POINTER;
    *file = nullptr;
    std::lock_guard guard(m_seek_lock);
    if (m_file.empty())
        return E_FAIL;
    auto* copy = static_cast<WCHAR*>(CoTaskMemAlloc((m_file.size() + 1) * sizeof(WCHAR)));
    if (!copy)
        return E_OUTOFMEMORY;
    std::memcpy(copy, m_file.c_str(), (m_file.size() + 1) * sizeof(WCHAR));
    if (type)
        *type = {};
    *file = copy;
    return S_OK;
}

int FileSource::undecodable_streams() const
{
    std::lock_guard guard(m_seek_lock);
    return m_undecodable;
}

HRESULT FileSource::on_pause()
{
    if (state() == State_Stopped)
        start_streams();
    return S_OK;
}

HRESULT FileSource::on_stop()
{
    stop_streams();
    return S_OK;
}

void FileSource::start_streams()
{
    REFERENCE_TIME start;
    double rate;
    {
        std::lock_guard guard(m_seek_lock);
        start = m_start;
        rate = m_rate;
    }
    for (Stream* stream : m_streams)
        stream->start(m_linux_path, start, rate);
}

void FileSource::stop_streams()
{
    for (Stream* stream : m_streams)
        stream->stop();
}

// IMediaSeeking

STDMETHODIMP FileSource::GetCapabilities(DWORD* capabilities)
{
    if (!capabilities)
        return E_POINTER;
    *capabilities = AM_SEEKING_CanSeekAbsolute | AM_SEEKING_CanSeekForwards | AM_SEEKING_CanSeekBackwards | AM_SEEKING_CanGetStopPos
        | AM_SEEKING_CanGetDuration;
    return S_OK;
}

STDMETHODIMP FileSource::CheckCapabilities(DWORD* capabilities)
{
    DWORD have = 0;
    GetCapabilities(&have);
    return detail::check_capabilities(have, capabilities);
}

STDMETHODIMP FileSource::IsFormatSupported(const GUID* format) { return detail::is_media_time(format); }

STDMETHODIMP FileSource::QueryPreferredFormat(GUID* format) { return detail::media_time(format); }

STDMETHODIMP FileSource::GetTimeFormat(GUID* format) { return detail::media_time(format); }
STDMETHODIMP FileSource::IsUsingTimeFormat(const GUID* format) { return detail::is_media_time(format); }

STDMETHODIMP FileSource::SetTimeFormat(const GUID* format) { return detail::set_media_time(format); }

STDMETHODIMP FileSource::GetDuration(LONGLONG* duration)
{
    if (!duration)
        return E_POINTER;
    std::lock_guard guard(m_seek_lock);
    if (m_duration <= 0)
        return E_NOTIMPL;
    *duration = m_duration;
    return S_OK;
}

STDMETHODIMP FileSource::GetStopPosition(LONGLONG* stop) { return GetDuration(stop); }

STDMETHODIMP FileSource::GetCurrentPosition(LONGLONG* current)
{
    if (!current)
        return E_POINTER;
    std::lock_guard guard(m_seek_lock);
    *current = m_start;
    return S_OK;
}

STDMETHODIMP FileSource::ConvertTimeFormat(LONGLONG* target, const GUID* target_format, LONGLONG source, const GUID* source_format)
{
    return detail::convert_media_time(target, target_format, source, source_format);
}

STDMETHODIMP FileSource::SetPositions(LONGLONG* current, DWORD current_flags, LONGLONG*, DWORD)
{
    DWORD how = current_flags & AM_SEEKING_PositioningBitsMask;
    if (how == AM_SEEKING_NoPositioning)
        return S_OK;
    if (!current)
        return E_POINTER;
    {
        std::lock_guard guard(m_seek_lock);
        REFERENCE_TIME wanted = how == AM_SEEKING_AbsolutePositioning ? *current : m_start + *current;
        m_start = std::max<REFERENCE_TIME>(wanted, 0);
        if (current_flags & AM_SEEKING_ReturnTime)
            *current = m_start;
    }
    if (!is_stopped())
        start_streams();
    return S_OK;
}

STDMETHODIMP FileSource::GetPositions(LONGLONG* current, LONGLONG* stop)
{
    if (current)
        GetCurrentPosition(current);
    if (stop && FAILED(GetStopPosition(stop)))
        *stop = 0;
    return S_OK;
}

STDMETHODIMP FileSource::GetAvailable(LONGLONG* earliest, LONGLONG* latest)
{
    if (earliest)
        *earliest = 0;
    if (latest) {
        std::lock_guard guard(m_seek_lock);
        *latest = m_duration;
    }
    return S_OK;
}

STDMETHODIMP FileSource::SetRate(double rate)
{
    if (!(rate > 0.0))
        return E_INVALIDARG;
    {
        std::lock_guard guard(m_seek_lock);
        m_rate = rate;
    }
    if (!is_stopped())
        start_streams();
    return S_OK;
}

STDMETHODIMP FileSource::GetRate(double* rate)
{
    if (!rate)
        return E_POINTER;
    std::lock_guard guard(m_seek_lock);
    *rate = m_rate;
    return S_OK;
}

STDMETHODIMP FileSource::GetPreroll(LONGLONG* preroll)
{
    if (!preroll)
        return E_POINTER;
    *preroll = 0;
    return S_OK;
}

}
