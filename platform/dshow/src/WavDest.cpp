#include "FileStreamPin.h"
#include <dshow/WavDest.h>

#include <dshow/AviWriter.h>
#include <dshow/FileWriter.h>
#include <dshow/MediaType.h>
#include <dshow/VfwErrors.h>

#include <cerrno>
#include <cstring>

namespace dshow {

namespace {

// Header offsets patched at the end: the RIFF size, the 'fact' sample count, the 'data' size.
constexpr long kRiffSizeOffset = 4;

void put32(std::vector<BYTE>& out, DWORD value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<BYTE>(value >> (8 * i)));
}

void put_id(std::vector<BYTE>& out, const char* id) { out.insert(out.end(), id, id + 4); }

}

class WavDest::Input final : public InputPin {
public:
    Input(BaseFilter& filter, std::u16string name)
        : InputPin(filter, std::move(name))
    {
    }
    HRESULT check_media_type(const AM_MEDIA_TYPE& type) override
    {
        if (!IsEqualGUID(type.majortype, MEDIATYPE_Audio))
            return S_FALSE;
        MediaType copy(type);
        const WAVEFORMATEX* wave = copy.wave_format();
        if (!wave || wave->nChannels == 0 || wave->nSamplesPerSec == 0 || wave->nBlockAlign == 0 || wave->nAvgBytesPerSec == 0)
            return S_FALSE;
        return wave->wFormatTag == WAVE_FORMAT_PCM || type.cbFormat >= sizeof(WAVEFORMATEX) + wave->cbSize ? S_OK : S_FALSE;
    }
    HRESULT receive(IMediaSample* sample) override { return static_cast<WavDest&>(filter()).receive(sample); }
};

WavDest::WavDest()
    : BaseFilter(CLSID_WavDest)
{
    m_input = make_pin<Input>(u"Input");
    m_output = make_pin<FileStreamPin>(u"Wave Out", MEDIASUBTYPE_WAVE);
}

WavDest::~WavDest()
{
    on_stop();
}

HRESULT WavDest::last_result() const
{
    std::lock_guard guard(m_write_lock);
    return m_last_result;
}

HRESULT WavDest::on_pause()
{
    std::lock_guard guard(m_write_lock);
    if (m_file)
        return S_OK; // from running
    if (!m_input->is_connected())
        return VFW_E_NOT_CONNECTED;
    CComPtr<IFileWriterTarget> target = m_output->target();
    if (!target)
        return VFW_E_NOT_CONNECTED;
    MediaType type = m_input->connection_type();
    const WAVEFORMATEX* wave = type.wave_format();
    if (!wave)
        return VFW_E_INVALIDMEDIATYPE;
    m_compressed = wave->wFormatTag != WAVE_FORMAT_PCM;
    std::size_t format_bytes = m_compressed ? sizeof(WAVEFORMATEX) + wave->cbSize : 16;
    auto bytes = type.format();
    m_format.assign(bytes.begin(), bytes.begin() + std::min(format_bytes, bytes.size()));
    m_format.resize(format_bytes);

    std::string path;
    if (HRESULT hr = target->OpenTarget(&path); FAILED(hr))
        return hr;
    m_file = std::fopen(path.c_str(), "wb");
    if (!m_file)
        return hresult_from_errno(errno);
    m_data_bytes = 0;
    m_error = S_OK;

    std::vector<BYTE> header;
    put_id(header, "RIFF");
    put32(header, 0);
    put_id(header, "WAVE");
    put_id(header, "fmt ");
    put32(header, static_cast<DWORD>(m_format.size()));
    header.insert(header.end(), m_format.begin(), m_format.end());
    if (m_format.size() % 2)
        header.push_back(0);
    if (m_compressed) {
        put_id(header, "fact");
        put32(header, 4);
        put32(header, 0);
    }
    put_id(header, "data");
    put32(header, 0);
    return write(header.data(), header.size());
}

HRESULT WavDest::write(const void* data, std::size_t size)
{
    if (FAILED(m_error))
        return m_error;
    if (size && std::fwrite(data, 1, size, m_file) != size)
        m_error = hresult_from_errno(errno ? errno : EIO);
    return m_error;
}

HRESULT WavDest::receive(IMediaSample* sample)
{
    BYTE* data = nullptr;
    if (FAILED(sample->GetPointer(&data)))
        return E_POINTER;
    LONG length = std::max<LONG>(sample->GetActualDataLength(), 0);
    std::lock_guard guard(m_write_lock);
    if (!m_file)
        return VFW_E_WRONG_STATE;
    HRESULT hr = write(data, static_cast<std::size_t>(length));
    if (SUCCEEDED(hr))
        m_data_bytes += static_cast<ULONGLONG>(length);
    return hr;
}

HRESULT WavDest::on_stop()
{
    std::lock_guard guard(m_write_lock);
    if (!m_file)
        return S_OK;
    if (m_data_bytes % 2)
        write("", 1); // chunks are padded to even sizes
    const auto* wave = reinterpret_cast<const WAVEFORMATEX*>(m_format.data());
    long format_chunk = 8 + static_cast<long>((m_format.size() + 1) / 2 * 2);
    long fact_offset = 12 + format_chunk;
    long data_size_offset = fact_offset + (m_compressed ? 12 : 0) + 4;
    DWORD data = static_cast<DWORD>(std::min<ULONGLONG>(m_data_bytes, 0xFFFFFFF0ull));
    DWORD riff = static_cast<DWORD>(data_size_offset + 4 - 8 + (data + 1) / 2 * 2);
    auto patch = [this](long offset, DWORD value) {
        std::vector<BYTE> bytes;
        put32(bytes, value);
        if (std::fseek(m_file, offset, SEEK_SET) != 0)
            m_error = FAILED(m_error) ? m_error : hresult_from_errno(errno);
        else
            write(bytes.data(), bytes.size());
    };
    patch(kRiffSizeOffset, riff);
    if (m_compressed) {
        // Samples per channel, from the stream's average rate.
        ULONGLONG samples = wave->nAvgBytesPerSec ? m_data_bytes * wave->nSamplesPerSec / wave->nAvgBytesPerSec : 0;
        patch(fact_offset + 8, static_cast<DWORD>(samples));
    }
    patch(data_size_offset, data);
    if (std::fclose(m_file) != 0 && SUCCEEDED(m_error))
        m_error = hresult_from_errno(errno);
    m_file = nullptr;
    m_last_result = m_error;
    return m_last_result;
}

}
