#include <com/TaskMemory.h>
#include <dshow/MediaType.h>

#include <cstring>
#include <vector>
#include <utility>

void FreeMediaType(AM_MEDIA_TYPE& type)
{
    if (type.pbFormat)
        CoTaskMemFree(type.pbFormat);
    type.pbFormat = nullptr;
    type.cbFormat = 0;
    if (type.pUnk)
        type.pUnk->Release();
    type.pUnk = nullptr;
}

void DeleteMediaType(AM_MEDIA_TYPE* type)
{
    if (!type)
        return;
    FreeMediaType(*type);
    CoTaskMemFree(type);
}

HRESULT CopyMediaType(AM_MEDIA_TYPE* dest, const AM_MEDIA_TYPE* source)
{
    if (!dest || !source)
        return E_POINTER;
    if (dest == source)
        return S_OK;
    *dest = *source;
    dest->pbFormat = nullptr;
    dest->cbFormat = 0;
    if (source->cbFormat && source->pbFormat) {
        dest->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(source->cbFormat));
        if (!dest->pbFormat) {
            *dest = {};
            return E_OUTOFMEMORY;
        }
        std::memcpy(dest->pbFormat, source->pbFormat, source->cbFormat);
        dest->cbFormat = source->cbFormat;
    }
    if (dest->pUnk)
        dest->pUnk->AddRef();
    return S_OK;
}

AM_MEDIA_TYPE* CreateMediaType(const AM_MEDIA_TYPE* source)
{
    if (!source)
        return nullptr;
    auto* type = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (!type)
        return nullptr;
    if (FAILED(CopyMediaType(type, source))) {
        CoTaskMemFree(type);
        return nullptr;
    }
    return type;
}

namespace dshow {

MediaType::MediaType()
{
    m_type.formattype = FORMAT_None;
}

MediaType::MediaType(const AM_MEDIA_TYPE& type)
{
    if (FAILED(CopyMediaType(&m_type, &type)))
        m_type = {};
}

MediaType::MediaType(const MediaType& other)
    : MediaType(other.m_type)
{
}

MediaType::MediaType(MediaType&& other) noexcept
    : m_type(std::exchange(other.m_type, AM_MEDIA_TYPE {}))
{
}

MediaType& MediaType::operator=(const MediaType& other)
{
    if (this != &other) {
        FreeMediaType(m_type);
        if (FAILED(CopyMediaType(&m_type, &other.m_type)))
            m_type = {};
    }
    return *this;
}

MediaType& MediaType::operator=(MediaType&& other) noexcept
{
    if (this != &other) {
        FreeMediaType(m_type);
        m_type = std::exchange(other.m_type, AM_MEDIA_TYPE {});
    }
    return *this;
}

MediaType::~MediaType()
{
    FreeMediaType(m_type);
}

MediaType MediaType::video(REFGUID subtype, const VIDEOINFOHEADER& format)
{
    MediaType type = of(MEDIATYPE_Video, subtype);
    DWORD size = image_size(format.bmiHeader);
    type.m_type.bFixedSizeSamples = size != 0;
    type.m_type.bTemporalCompression = FALSE;
    type.m_type.lSampleSize = size;
    type.set_format(FORMAT_VideoInfo, { reinterpret_cast<const BYTE*>(&format), sizeof(format) });
    return type;
}

MediaType MediaType::audio(const WAVEFORMATEX& format, std::span<const BYTE> extra)
{
    GUID subtype = MEDIASUBTYPE_PCM;
    subtype.Data1 = format.wFormatTag; // the wave-format subtypes carry the tag in Data1
    MediaType type = of(MEDIATYPE_Audio, subtype);
    type.m_type.bFixedSizeSamples = TRUE;
    type.m_type.lSampleSize = format.nBlockAlign;
    std::vector<BYTE> bytes(sizeof(WAVEFORMATEX) + extra.size());
    WAVEFORMATEX header = format;
    header.cbSize = static_cast<WORD>(extra.size());
    std::memcpy(bytes.data(), &header, sizeof(header));
    if (!extra.empty())
        std::memcpy(bytes.data() + sizeof(header), extra.data(), extra.size());
    type.set_format(FORMAT_WaveFormatEx, bytes);
    return type;
}

MediaType MediaType::of(REFGUID major, REFGUID subtype)
{
    MediaType type;
    type.m_type.majortype = major;
    type.m_type.subtype = subtype;
    type.m_type.bFixedSizeSamples = TRUE;
    type.m_type.formattype = FORMAT_None;
    return type;
}

void MediaType::set_format(REFGUID format_type, std::span<const BYTE> bytes)
{
    if (m_type.pbFormat)
        CoTaskMemFree(m_type.pbFormat);
    m_type.pbFormat = nullptr;
    m_type.cbFormat = 0;
    m_type.formattype = format_type;
    if (bytes.empty())
        return;
    m_type.pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(bytes.size()));
    if (!m_type.pbFormat)
        return;
    std::memcpy(m_type.pbFormat, bytes.data(), bytes.size());
    m_type.cbFormat = static_cast<ULONG>(bytes.size());
}

const VIDEOINFOHEADER* MediaType::video_info() const
{
    if (m_type.formattype != FORMAT_VideoInfo || m_type.cbFormat < sizeof(VIDEOINFOHEADER) || !m_type.pbFormat)
        return nullptr;
    return reinterpret_cast<const VIDEOINFOHEADER*>(m_type.pbFormat);
}

const WAVEFORMATEX* MediaType::wave_format() const
{
    if (m_type.formattype != FORMAT_WaveFormatEx || m_type.cbFormat < sizeof(WAVEFORMATEX) || !m_type.pbFormat)
        return nullptr;
    return reinterpret_cast<const WAVEFORMATEX*>(m_type.pbFormat);
}

bool matches(const AM_MEDIA_TYPE& pattern, const AM_MEDIA_TYPE& candidate)
{
    if (pattern.majortype != GUID_NULL && pattern.majortype != candidate.majortype)
        return false;
    if (pattern.subtype != GUID_NULL && pattern.subtype != candidate.subtype)
        return false;
    if (pattern.formattype != GUID_NULL && pattern.formattype != candidate.formattype)
        return false;
    return true;
}

bool equal(const AM_MEDIA_TYPE& a, const AM_MEDIA_TYPE& b)
{
    if (a.majortype != b.majortype || a.subtype != b.subtype || a.formattype != b.formattype || a.cbFormat != b.cbFormat)
        return false;
    return a.cbFormat == 0 || (a.pbFormat && b.pbFormat && std::memcmp(a.pbFormat, b.pbFormat, a.cbFormat) == 0);
}

}
