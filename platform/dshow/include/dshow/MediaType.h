#pragma once

// AM_MEDIA_TYPE, the description of what flows over a pin connection, its standard GUIDs, and the
// helpers that allocate, copy and free it.
//
// The format block (pbFormat, cbFormat bytes) is task memory, so a type handed out by an
// enumerator or ConnectionMediaType is freed by the receiver: FreeMediaType frees the block and
// releases pUnk, DeleteMediaType does that and frees a type that CreateMediaType allocated.
// dshow::MediaType owns one type and copies deeply, for code inside the layer:
//
//     dshow::MediaType mt = dshow::MediaType::video(MEDIASUBTYPE_YUY2, vih);
//     pin->QueryAccept(&mt.get());
//     AM_MEDIA_TYPE* out = nullptr;  enumerator->Next(1, &out, nullptr);  DeleteMediaType(out);

#include <com/Guid.h>
#include <com/Unknown.h>
#include <dshow/MediaFormats.h>

#include <span>

struct AM_MEDIA_TYPE {
    GUID majortype;
    GUID subtype;
    BOOL bFixedSizeSamples;
    BOOL bTemporalCompression;
    ULONG lSampleSize;
    GUID formattype;
    IUnknown* pUnk;
    ULONG cbFormat;
    BYTE* pbFormat; // task memory
};

// Major types.
DEFINE_GUID(MEDIATYPE_Video, 0x73646976, 0x0000, 0x0010, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71);
DEFINE_GUID(MEDIATYPE_Audio, 0x73647561, 0x0000, 0x0010, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71);
DEFINE_GUID(MEDIATYPE_Interleaved, 0x73766169, 0x0000, 0x0010, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71);
DEFINE_GUID(MEDIATYPE_Stream, 0xE436EB83, 0x524F, 0x11CE, 0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);

// Subtypes.
DEFINE_GUID(MEDIASUBTYPE_None, 0xE436EB8E, 0x524F, 0x11CE, 0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(MEDIASUBTYPE_YUY2, 0x32595559, 0x0000, 0x0010, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71);
DEFINE_GUID(MEDIASUBTYPE_RGB8, 0xE436EB7A, 0x524F, 0x11CE, 0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(MEDIASUBTYPE_RGB565, 0xE436EB7B, 0x524F, 0x11CE, 0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(MEDIASUBTYPE_RGB555, 0xE436EB7C, 0x524F, 0x11CE, 0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(MEDIASUBTYPE_RGB24, 0xE436EB7D, 0x524F, 0x11CE, 0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(MEDIASUBTYPE_RGB32, 0xE436EB7E, 0x524F, 0x11CE, 0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(MEDIASUBTYPE_PCM, 0x00000001, 0x0000, 0x0010, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71);
DEFINE_GUID(MEDIASUBTYPE_Avi, 0xE436EB88, 0x524F, 0x11CE, 0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(MEDIASUBTYPE_MPEG2_PROGRAM, 0xE06D8022, 0xDB46, 0x11CF, 0xB4, 0xD1, 0x00, 0x80, 0x5F, 0x6C, 0xBB, 0xEA);
DEFINE_GUID(MEDIASUBTYPE_MPEG2_VIDEO, 0xE06D8026, 0xDB46, 0x11CF, 0xB4, 0xD1, 0x00, 0x80, 0x5F, 0x6C, 0xBB, 0xEA);
DEFINE_GUID(MEDIASUBTYPE_MPEG2_AUDIO, 0xE06D802B, 0xDB46, 0x11CF, 0xB4, 0xD1, 0x00, 0x80, 0x5F, 0x6C, 0xBB, 0xEA);

// Format types.
DEFINE_GUID(FORMAT_None, 0x0F6417D6, 0xC318, 0x11D0, 0xA4, 0x3F, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96);
DEFINE_GUID(FORMAT_VideoInfo, 0x05589F80, 0xC356, 0x11CE, 0xBF, 0x01, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A);
DEFINE_GUID(FORMAT_VideoInfo2, 0xF72A76A0, 0xEB0A, 0x11D0, 0xAC, 0xE4, 0x00, 0x00, 0xC0, 0xCC, 0x16, 0xBA);
DEFINE_GUID(FORMAT_WaveFormatEx, 0x05589F81, 0xC356, 0x11CE, 0xBF, 0x01, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A);
DEFINE_GUID(FORMAT_MPEG2Video, 0xE06D80E3, 0xDB46, 0x11CF, 0xB4, 0xD1, 0x00, 0x80, 0x5F, 0x6C, 0xBB, 0xEA);

// Frees the format block and releases pUnk; the structure itself stays (zeroed format fields).
void FreeMediaType(AM_MEDIA_TYPE& type);
// FreeMediaType, then frees the structure (task memory). NULL is ignored.
void DeleteMediaType(AM_MEDIA_TYPE* type);
// Deep copy into `dest` (whose old contents are not freed); E_OUTOFMEMORY leaves dest empty.
HRESULT CopyMediaType(AM_MEDIA_TYPE* dest, const AM_MEDIA_TYPE* source);
// A deep copy in task memory, for DeleteMediaType; NULL when out of memory.
AM_MEDIA_TYPE* CreateMediaType(const AM_MEDIA_TYPE* source);

namespace dshow {

class MediaType {
public:
    MediaType();
    explicit MediaType(const AM_MEDIA_TYPE& type);
    MediaType(const MediaType& other);
    MediaType(MediaType&& other) noexcept;
    MediaType& operator=(const MediaType& other);
    MediaType& operator=(MediaType&& other) noexcept;
    ~MediaType();

    // Uncompressed video with a VIDEOINFOHEADER; the sample size is the image size.
    static MediaType video(REFGUID subtype, const VIDEOINFOHEADER& format);
    // PCM or another wave format with a WAVEFORMATEX (and its cbSize extra bytes).
    static MediaType audio(const WAVEFORMATEX& format, std::span<const BYTE> extra = {});
    // A type without a format block.
    static MediaType of(REFGUID major, REFGUID subtype);

    const AM_MEDIA_TYPE& get() const { return m_type; }
    AM_MEDIA_TYPE& get() { return m_type; }
    // Replaces the format block with a copy of `bytes`.
    void set_format(REFGUID format_type, std::span<const BYTE> bytes);
    std::span<const BYTE> format() const { return { m_type.pbFormat, m_type.cbFormat }; }
    // The VIDEOINFOHEADER, or nullptr when the format is not FORMAT_VideoInfo of full size.
    const VIDEOINFOHEADER* video_info() const;
    // The WAVEFORMATEX, or nullptr when the format is not FORMAT_WaveFormatEx of full size.
    const WAVEFORMATEX* wave_format() const;

private:
    AM_MEDIA_TYPE m_type {};
};

// True when `candidate` fits `pattern`: every GUID of the pattern that is not GUID_NULL is equal
// (a partial type given to Connect or RenderStream).
bool matches(const AM_MEDIA_TYPE& pattern, const AM_MEDIA_TYPE& candidate);
// Same major type, subtype and format type, and the same format bytes.
bool equal(const AM_MEDIA_TYPE& a, const AM_MEDIA_TYPE& b);

}
