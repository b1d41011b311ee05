// The video and sound compressors over libavcodec: one codec filter (CodecFilter.h) per
// compressor, with an encoder per codec family that does the work.

#include <dshow/Compressors.h>

#include "CodecFilter.h"

#include <base/Text.h>
#include <com/ClassRegistry.h>
#include <dshow/BaseFilter.h>
#include <dshow/DeviceEnumerator.h>
#include <dshow/MediaFormats.h>
#include <dshow/MediaType.h>
#include <dshow/Pins.h>
#include <dshow/VfwErrors.h>

#include <dshow/Ffmpeg.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

namespace dshow {

namespace {

using namespace detail;

constexpr DWORD fourcc(char a, char b, char c, char d)
{
    return DWORD(BYTE(a)) | DWORD(BYTE(b)) << 8 | DWORD(BYTE(c)) << 16 | DWORD(BYTE(d)) << 24;
}

// The subtype GUID of a FourCC or a wave format tag.
GUID subtype_of(DWORD code)
{
    GUID guid = MEDIASUBTYPE_PCM;
    guid.Data1 = code;
    return guid;
}

struct VideoCodec {
    const char* encoder;
    DWORD fourcc;
    AVPixelFormat pixels;
    WORD bits;
    int quantiser; // fixed quantiser, 0 for a lossless codec
    bool key_every_second;
};

class VideoEncoder final : public Codec {
public:
    explicit VideoEncoder(const VideoCodec& codec)
        : m_codec(codec)
    {
    }

    bool accepts(const MediaType& type) const override
    {
        const VIDEOINFOHEADER* video = type.video_info();
        if (!IsEqualGUID(type.get().majortype, MEDIATYPE_Video) || !video)
            return false;
        const auto& bmi = video->bmiHeader;
        return source_format(type.get().subtype) != AV_PIX_FMT_NONE && bmi.biWidth > 0 && bmi.biWidth % 2 == 0
            && bmi.biHeight != 0 && std::abs(bmi.biHeight) % 2 == 0;
    }

    bool open(const MediaType& type, MediaType& output) override
    {
        close();
        const VIDEOINFOHEADER& input = *type.video_info();
        const AVCodec* codec = ff::avcodec_find_encoder_by_name(m_codec.encoder);
        if (!codec)
            return false;
        CodecContext context(ff::avcodec_alloc_context3(codec));
        m_width = input.bmiHeader.biWidth;
        m_height = std::abs(input.bmiHeader.biHeight);
        m_bottom_up = input.bmiHeader.biHeight > 0 && !IsEqualGUID(type.get().subtype, MEDIASUBTYPE_YUY2);
        REFERENCE_TIME frame_time = input.AvgTimePerFrame > 0 ? input.AvgTimePerFrame : UNITS / 25;
        context->width = m_width;
        context->height = m_height;
        context->pix_fmt = m_codec.pixels;
        context->time_base = AVRational { static_cast<int>(frame_time), static_cast<int>(UNITS) };
        context->framerate = AVRational { static_cast<int>(UNITS), static_cast<int>(frame_time) };
        context->thread_count = 1;
        context->max_b_frames = 0;
        context->gop_size = m_codec.key_every_second ? std::max(1, static_cast<int>(UNITS / frame_time)) : 1;
        if (m_codec.quantiser) {
            context->flags |= AV_CODEC_FLAG_QSCALE;
            context->global_quality = FF_QP2LAMBDA * m_codec.quantiser;
        }
        if (ff::avcodec_open2(context.get(), codec, nullptr) < 0)
            return false;
        m_scale.reset(ff::sws_getContext(m_width, m_height, source_format(type.get().subtype), m_width, m_height, m_codec.pixels,
            SWS_POINT, nullptr, nullptr, nullptr));
        m_frame.reset(ff::av_frame_alloc());
        m_packet.reset(ff::av_packet_alloc());
        if (!m_scale || !m_frame || !m_packet)
            return false;
        m_frame->format = m_codec.pixels;
        m_frame->width = m_width;
        m_frame->height = m_height;
        if (ff::av_frame_get_buffer(m_frame.get(), 0) < 0)
            return false;
        m_source_format = type.get().subtype;
        m_source_stride = static_cast<int>(image_size(input.bmiHeader) / m_height);

        VIDEOINFOHEADER vih {};
        vih.AvgTimePerFrame = frame_time;
        vih.bmiHeader.biSize = sizeof(BITMAPINFOHEADER) + context->extradata_size;
        vih.bmiHeader.biWidth = m_width;
        vih.bmiHeader.biHeight = m_height;
        vih.bmiHeader.biPlanes = 1;
        vih.bmiHeader.biBitCount = m_codec.bits;
        vih.bmiHeader.biCompression = m_codec.fourcc;
        vih.bmiHeader.biSizeImage = static_cast<DWORD>(m_width * m_height * 3 + 4096);
        std::vector<BYTE> format(sizeof vih + context->extradata_size);
        std::memcpy(format.data(), &vih, sizeof vih);
        if (context->extradata_size)
            std::memcpy(format.data() + sizeof vih, context->extradata, context->extradata_size);
        output = MediaType::of(MEDIATYPE_Video, subtype_of(m_codec.fourcc));
        output.set_format(FORMAT_VideoInfo, format);
        output.get().bFixedSizeSamples = FALSE;
        output.get().bTemporalCompression = m_codec.key_every_second;
        output.get().lSampleSize = 0;
        m_context = std::move(context);
        m_frames = 0;
        return true;
    }

    void close() override
    {
        m_scale.reset();
        m_frame.reset();
        m_packet.reset();
        m_context.reset();
    }

    HRESULT process(IMediaSample* sample, const Deliver& deliver) override
    {
        BYTE* data = nullptr;
        if (!m_context || FAILED(sample->GetPointer(&data)))
            return VFW_E_WRONG_STATE;
        if (sample->GetActualDataLength() < m_source_stride * m_height)
            return S_OK; // a short frame is not a picture
        REFERENCE_TIME start = 0, stop = 0;
        bool timed = SUCCEEDED(sample->GetTime(&start, &stop));
        const uint8_t* source[1] = { data };
        int stride[1] = { m_source_stride };
        if (m_bottom_up) {
            source[0] = data + static_cast<std::ptrdiff_t>(m_source_stride) * (m_height - 1);
            stride[0] = -m_source_stride;
        }
        if (ff::av_frame_make_writable(m_frame.get()) < 0)
            return E_OUTOFMEMORY;
        ff::sws_scale(m_scale.get(), source, stride, 0, m_height, m_frame->data, m_frame->linesize);
        m_frame->pts = m_frames++;
        if (m_codec.quantiser)
            m_frame->quality = m_context->global_quality;
        if (ff::avcodec_send_frame(m_context.get(), m_frame.get()) < 0)
            return E_FAIL;
        return drain(m_context.get(), m_packet.get(), [&](const AVPacket& packet) {
            return deliver({ packet.data, static_cast<size_t>(packet.size) }, timed ? start : -1, timed ? stop : -1,
                (packet.flags & AV_PKT_FLAG_KEY) != 0);
        });
    }

private:
    static AVPixelFormat source_format(const GUID& subtype)
    {
        if (IsEqualGUID(subtype, MEDIASUBTYPE_YUY2))
            return AV_PIX_FMT_YUYV422;
        if (IsEqualGUID(subtype, MEDIASUBTYPE_RGB24))
            return AV_PIX_FMT_BGR24;
        if (IsEqualGUID(subtype, MEDIASUBTYPE_RGB32))
            return AV_PIX_FMT_BGR0;
        return AV_PIX_FMT_NONE;
    }

    const VideoCodec m_codec;
    CodecContext m_context;
    Scale m_scale;
    Frame m_frame;
    Packet m_packet;
    GUID m_source_format {};
    int m_width { 0 };
    int m_height { 0 };
    int m_source_stride { 0 };
    bool m_bottom_up { false };
    int64_t m_frames { 0 };
};

struct AudioCodec {
    const char* encoder;
    WORD tag;
    bool mp3;
};

class AudioEncoder final : public Codec {
public:
    explicit AudioEncoder(const AudioCodec& codec)
        : m_codec(codec)
    {
    }

    bool accepts(const MediaType& type) const override
    {
        const WAVEFORMATEX* wave = type.wave_format();
        if (!IsEqualGUID(type.get().majortype, MEDIATYPE_Audio) || !wave || wave->wFormatTag != WAVE_FORMAT_PCM
            || wave->wBitsPerSample != 16 || wave->nChannels < 1 || wave->nChannels > 2)
            return false;
        if (m_codec.mp3)
            return wave->nSamplesPerSec == 32000 || wave->nSamplesPerSec == 44100 || wave->nSamplesPerSec == 48000;
        return wave->nSamplesPerSec >= 8000 && wave->nSamplesPerSec <= 48000;
    }

    bool open(const MediaType& type, MediaType& output) override
    {
        close();
        const WAVEFORMATEX& input = *type.wave_format();
        const AVCodec* codec = ff::avcodec_find_encoder_by_name(m_codec.encoder);
        if (!codec)
            return false;
        CodecContext context(ff::avcodec_alloc_context3(codec));
        m_channels = input.nChannels;
        m_rate = static_cast<int>(input.nSamplesPerSec);
        context->sample_fmt = AV_SAMPLE_FMT_S16P;
        context->sample_rate = m_rate;
        ff::av_channel_layout_default(&context->ch_layout, m_channels);
        context->time_base = AVRational { 1, m_rate };
        if (m_codec.mp3)
            context->bit_rate = m_channels == 2 ? 128000 : 64000;
        if (ff::avcodec_open2(context.get(), codec, nullptr) < 0 || context->frame_size <= 0)
            return false;
        m_frame.reset(ff::av_frame_alloc());
        m_packet.reset(ff::av_packet_alloc());
        if (!m_frame || !m_packet)
            return false;
        m_frame->format = AV_SAMPLE_FMT_S16P;
        m_frame->nb_samples = context->frame_size;
        m_frame->sample_rate = m_rate;
        ff::av_channel_layout_copy(&m_frame->ch_layout, &context->ch_layout);
        if (ff::av_frame_get_buffer(m_frame.get(), 0) < 0)
            return false;

        WAVEFORMATEX wfx {};
        wfx.wFormatTag = m_codec.tag;
        wfx.nChannels = static_cast<WORD>(m_channels);
        wfx.nSamplesPerSec = input.nSamplesPerSec;
        std::vector<BYTE> extra;
        auto put16 = [&extra](unsigned value) {
            extra.push_back(static_cast<BYTE>(value));
            extra.push_back(static_cast<BYTE>(value >> 8));
        };
        if (m_codec.mp3) {
            wfx.nAvgBytesPerSec = static_cast<DWORD>(context->bit_rate / 8);
            wfx.nBlockAlign = 1;
            wfx.wBitsPerSample = 0;
            put16(1); // MPEGLAYER3_ID_MPEG
            put16(2); // fdwFlags: padding off
            put16(0);
            put16(static_cast<unsigned>(144 * context->bit_rate / m_rate)); // nBlockSize
            put16(1); // nFramesPerBlock
            put16(1393); // nCodecDelay
        } else {
            wfx.nBlockAlign = static_cast<WORD>(context->block_align);
            wfx.wBitsPerSample = 4;
            wfx.nAvgBytesPerSec = static_cast<DWORD>(static_cast<int64_t>(m_rate) * context->block_align / context->frame_size);
            put16(static_cast<unsigned>(context->frame_size)); // wSamplesPerBlock
        }
        wfx.cbSize = static_cast<WORD>(extra.size());
        output = MediaType::audio(wfx, extra);
        output.get().subtype = subtype_of(m_codec.tag);
        output.get().bFixedSizeSamples = FALSE;
        output.get().lSampleSize = m_codec.mp3 ? 0 : context->block_align;
        m_context = std::move(context);
        m_pending.assign(m_channels, {});
        m_sent = 0;
        m_origin = -1;
        return true;
    }

    void close() override
    {
        m_frame.reset();
        m_packet.reset();
        m_context.reset();
    }

    HRESULT process(IMediaSample* sample, const Deliver& deliver) override
    {
        BYTE* data = nullptr;
        if (!m_context || FAILED(sample->GetPointer(&data)))
            return VFW_E_WRONG_STATE;
        REFERENCE_TIME start = 0, stop = 0;
        if (m_origin < 0)
            m_origin = SUCCEEDED(sample->GetTime(&start, &stop)) ? start : 0;
        std::size_t frames = static_cast<std::size_t>(std::max<LONG>(sample->GetActualDataLength(), 0)) / (2 * m_channels);
        const auto* pcm = reinterpret_cast<const int16_t*>(data);
        for (int c = 0; c < m_channels; ++c) {
            auto& channel = m_pending[c];
            for (std::size_t i = 0; i < frames; ++i)
                channel.push_back(pcm[i * m_channels + c]);
        }
        const std::size_t block = static_cast<std::size_t>(m_context->frame_size);
        HRESULT hr = S_OK;
        std::size_t used = 0;
        while (hr == S_OK && m_pending[0].size() - used >= block) {
            if (ff::av_frame_make_writable(m_frame.get()) < 0)
                return E_OUTOFMEMORY;
            for (int c = 0; c < m_channels; ++c)
                std::memcpy(m_frame->data[c], m_pending[c].data() + used, block * sizeof(int16_t));
            m_frame->pts = m_sent;
            m_sent += static_cast<int64_t>(block);
            used += block;
            if (ff::avcodec_send_frame(m_context.get(), m_frame.get()) < 0)
                return E_FAIL;
            hr = drain(m_context.get(), m_packet.get(), [&](const AVPacket& packet) {
                REFERENCE_TIME at = m_origin + std::max<int64_t>(packet.pts, 0) * UNITS / m_rate;
                REFERENCE_TIME length = std::max<int64_t>(packet.duration, 0) * UNITS / m_rate;
                return deliver({ packet.data, static_cast<size_t>(packet.size) }, at, at + length, true);
            });
        }
        for (auto& channel : m_pending)
            channel.erase(channel.begin(), channel.begin() + static_cast<std::ptrdiff_t>(used));
        return hr;
    }

private:
    const AudioCodec m_codec;
    CodecContext m_context;
    Frame m_frame;
    Packet m_packet;
    int m_channels { 0 };
    int m_rate { 0 };
    std::vector<std::vector<int16_t>> m_pending;
    int64_t m_sent { 0 };
    REFERENCE_TIME m_origin { -1 };
};

struct Listed {
    CLSID clsid;
    CLSID category;
    const char16_t* name;
    std::function<std::shared_ptr<Codec>()> make;
};

const std::vector<Listed>& compressors()
{
    static const std::vector<Listed> list {
        { CLSID_MjpegCompressor, CLSID_VideoCompressorCategory, u"Motion JPEG Compressor",
            [] { return std::make_shared<VideoEncoder>(VideoCodec { "mjpeg", fourcc('M', 'J', 'P', 'G'), AV_PIX_FMT_YUVJ422P, 24, 3, false }); } },
        { CLSID_HuffyuvCompressor, CLSID_VideoCompressorCategory, u"Huffyuv Lossless Compressor",
            [] { return std::make_shared<VideoEncoder>(VideoCodec { "huffyuv", fourcc('H', 'F', 'Y', 'U'), AV_PIX_FMT_YUV422P, 16, 0, false }); } },
        { CLSID_Mpeg4Compressor, CLSID_VideoCompressorCategory, u"MPEG-4 Video Compressor",
            [] { return std::make_shared<VideoEncoder>(VideoCodec { "mpeg4", fourcc('F', 'M', 'P', '4'), AV_PIX_FMT_YUV420P, 24, 3, true }); } },
        { CLSID_ImaAdpcmCompressor, CLSID_AudioCompressorCategory, u"IMA ADPCM",
            [] { return std::make_shared<AudioEncoder>(AudioCodec { "adpcm_ima_wav", WAVE_FORMAT_IMA_ADPCM, false }); } },
        { CLSID_Mp3Compressor, CLSID_AudioCompressorCategory, u"MPEG Layer-3",
            [] { return std::make_shared<AudioEncoder>(AudioCodec { "libmp3lame", WAVE_FORMAT_MPEGLAYER3, true }); } },
    };
    return list;
}

com::ClassFactoryFunction factory_of(const Listed& listed)
{
    CLSID clsid = listed.clsid;
    auto make = listed.make;
    return [clsid, make](IUnknown* outer, REFIID iid, void** out) {
        return com::create_instance<CodecFilter>(outer, iid, out, clsid, make());
    };
}

}

void register_compressors()
{
    for (const Listed& listed : compressors())
        com::register_class(listed.clsid, factory_of(listed));
}

void register_compressor_devices()
{
    static std::mutex lock;
    static std::vector<int> ids;
    std::lock_guard guard(lock);
    for (int id : ids)
        unregister_device(id);
    ids.clear();
    for (const Listed& listed : compressors())
        ids.push_back(register_device({ listed.category, listed.name, listed.clsid, {}, factory_of(listed) }));
}

}
