#pragma once

// MPEG-2 in a graph: the demultiplexer of program streams ("MPEG2 Demux", CLSID_MPEG2Demultiplexer)
// with its two interfaces, the format blocks of MPEG-2 video and MPEG audio, and the decoders
// intelligent Connect and Render insert behind it.
//
// The demultiplexer has one input ("MPEG-2 Stream", MEDIATYPE_Stream / MEDIASUBTYPE_MPEG2_PROGRAM)
// and no outputs until IMpeg2Demultiplexer::CreateOutputPin makes one with a type (copied) and a
// name. Each output answers IMPEG2StreamIdMap: MapStreamId(0xE0, MPEG2_PROGRAM_ELEMENTARY_STREAM,
// 0, 0) sends it the payload of the stream with that id. The stream is read by libavformat on the
// filter's own thread while it is paused or running; samples carry stream times from the
// program's time stamps, counted from the time of the input sample that brought the first one.
//
//     CComPtr<IMpeg2Demultiplexer> demux; ... ;
//     CComPtr<IPin> video;
//     demux->CreateOutputPin(&videoType, (LPWSTR)u"MpegVideo", &video);
//     CComPtr<IMPEG2StreamIdMap> map; video.QueryInterface(&map);
//     map->MapStreamId(0xE0, MPEG2_PROGRAM_ELEMENTARY_STREAM, 0, 0);
//
// The decoders: "MPEG-2 Video Decoder" takes MEDIASUBTYPE_MPEG2_VIDEO (FORMAT_MPEG2Video, its
// size and frame time from the block) and gives top-down YUY2 of that size; "MPEG Audio Decoder"
// takes MEDIASUBTYPE_MPEG2_AUDIO or an MPEG wave format (WAVE_FORMAT_MPEG) and gives 16-bit PCM
// at the block's rate and channels. Both keep the samples' times.

#include <com/Guid.h>
#include <dshow/FilterInterfaces.h>
#include <dshow/MediaFormats.h>

DEFINE_GUID(CLSID_MPEG2Demultiplexer, 0xAFB6C280, 0x2C41, 0x11D3, 0x8A, 0x60, 0x00, 0x00, 0xF8, 0x1E, 0x0E, 0x4A);
DEFINE_GUID(IID_IMpeg2Demultiplexer, 0x436EEE9C, 0x264F, 0x4242, 0x90, 0xE1, 0x4E, 0x33, 0x0C, 0x10, 0x75, 0x12);
DEFINE_GUID(IID_IMPEG2StreamIdMap, 0xD0E04C47, 0x25B8, 0x4369, 0x92, 0x5A, 0x36, 0x2A, 0x01, 0xD9, 0x54, 0x44);
DEFINE_GUID(CLSID_Mpeg2VideoDecoder, 0x0B1A5E20, 0x57A1, 0x4E11, 0x9C, 0x2D, 0x5F, 0x11, 0xE0, 0x21, 0x7A, 0x20);
DEFINE_GUID(CLSID_MpegAudioDecoder, 0x0B1A5E21, 0x57A1, 0x4E11, 0x9C, 0x2D, 0x5F, 0x11, 0xE0, 0x21, 0x7A, 0x21);

// MapStreamId content types.
constexpr DWORD MPEG2_PROGRAM_STREAM_MAP = 0;
constexpr DWORD MPEG2_PROGRAM_ELEMENTARY_STREAM = 1;

struct IMpeg2Demultiplexer : IUnknown {
    // A new output named `name` offering `type`; E_INVALIDARG for a null argument,
    // VFW_E_DUPLICATE_NAME when an output has that name, VFW_E_NOT_STOPPED while streaming.
    STDMETHOD(CreateOutputPin)(AM_MEDIA_TYPE* type, LPWSTR name, IPin** pin) PURE;
    STDMETHOD(SetOutputPinMediaType)(LPWSTR name, AM_MEDIA_TYPE* type) PURE;
    STDMETHOD(DeleteOutputPin)(LPWSTR name) PURE;
};
COM_INTERFACE(IMpeg2Demultiplexer, IID_IMpeg2Demultiplexer, IUnknown);

struct IEnumStreamIdMap;

struct IMPEG2StreamIdMap : IUnknown {
    // Sends the payload of stream `id` (0xBD..0xEF) to this output; only elementary streams
    // (content type 1) without substream filter or offset are supported (E_INVALIDARG else).
    STDMETHOD(MapStreamId)(ULONG id, DWORD content_type, ULONG substream_filter, int data_offset) PURE;
    STDMETHOD(UnmapStreamId)(ULONG count, ULONG* ids) PURE;
    // Not supported: E_NOTIMPL.
    STDMETHOD(EnumStreamIdMap)(IEnumStreamIdMap** map) PURE;
};
COM_INTERFACE(IMPEG2StreamIdMap, IID_IMPEG2StreamIdMap, IUnknown);

struct VIDEOINFOHEADER2 {
    RECT rcSource;
    RECT rcTarget;
    DWORD dwBitRate;
    DWORD dwBitErrorRate;
    REFERENCE_TIME AvgTimePerFrame;
    DWORD dwInterlaceFlags;
    DWORD dwCopyProtectFlags;
    DWORD dwPictAspectRatioX;
    DWORD dwPictAspectRatioY;
    DWORD dwControlFlags;
    DWORD dwReserved2;
    BITMAPINFOHEADER bmiHeader;
};
static_assert(sizeof(VIDEOINFOHEADER2) == 112);

// An MPEG2VIDEOINFO block is this header followed by cbSequenceHeader bytes of sequence header.
struct MPEG2VIDEOINFO {
    VIDEOINFOHEADER2 hdr;
    DWORD dwStartTimeCode;
    DWORD cbSequenceHeader;
    DWORD dwProfile;
    DWORD dwLevel;
    DWORD dwFlags;
    DWORD dwSequenceHeader[1];
};
constexpr std::size_t kMpeg2VideoInfoHeaderBytes = 132; // the block's size without the sequence header

#pragma pack(push, 1)
struct MPEG1WAVEFORMAT {
    WAVEFORMATEX wfx;
    WORD fwHeadLayer;
    DWORD dwHeadBitrate;
    WORD fwHeadMode;
    WORD fwHeadModeExt;
    WORD wHeadEmphasis;
    WORD fwHeadFlags;
    DWORD dwPTSLow;
    DWORD dwPTSHigh;
};
#pragma pack(pop)
static_assert(sizeof(MPEG1WAVEFORMAT) == 40);

namespace dshow {

// Registers the demultiplexer and the decoders with com, and the decoders with intelligent
// Connect and Render (register_classes does).
void register_mpeg2_filters();

}
