// The MPEG decoders over libavcodec, as codec filters (CodecFilter.h): MPEG-2 video to top-down
// YUY2, MPEG audio (layers 1 and 2) to 16-bit PCM.

#include <dshow/Mpeg2.h>

#include "CodecFilter.h"

#include <com/ClassRegistry.h>
#include <dshow/FilterGraph.h>

#include <dshow/Ffmpeg.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

namespace dshow {

namespace {

using namespace detail;

struct ResampleDeleter {
    void operator()(SwrContext* context) const { ff::swr_free(&context); }
};
using Resample = std::unique_ptr<SwrContext, ResampleDeleter>;

// The bytes that follow a format block's fixed part, when the block holds them.
std::span<const BYTE> block_tail(const MediaType& type, std::size_t fixed, std::size_t length)
{
    auto block = type.format();
    if (block.size() < fixed)
        return {};
    return block.subspan(fixed, std::min(length, block.size() - fixed));
}

// What both decoders share: the codec, its frame and packet, and the sending of one sample.
class Decoder : public Codec {
protected:
    // Opens the decoder of `id`, `configure`d first; false when it cannot.
    bool open_codec(AVCodecID id, const std::function<void(AVCodecContext&)>& configure)
    {
        const AVCodec* codec = ff::avcodec_find_decoder(id);
        if (!codec)
            return false;
        CodecContext context(ff::avcodec_alloc_context3(codec));
        if (!context)
            return false;
        context->thread_count = 1;
        configure(*context);
        if (ff::avcodec_open2(context.get(), codec, nullptr) < 0)
            return false;
        m_frame.reset(ff::av_frame_alloc());
        m_packet.reset(ff::av_packet_alloc());
        if (!m_frame || !m_packet)
            return false;
        m_context = std::move(context);
        return true;
    }
    void close_codec()
    {
        m_frame.reset();
        m_packet.reset();
        m_context.reset();
    }
    // Hands the sample's bytes to the decoder, its start time as the packet's; S_FALSE when the
    // decoder refused them (damaged data is skipped, as a decoder does), a failure when closed.
    HRESULT send(IMediaSample* sample, REFERENCE_TIME& start, bool& timed)
    {
        BYTE* data = nullptr;
        if (!m_context || FAILED(sample->GetPointer(&data)))
            return VFW_E_WRONG_STATE;
        REFERENCE_TIME stop = 0;
        timed = SUCCEEDED(sample->GetTime(&start, &stop));
        m_packet->data = data;
        m_packet->size = sample->GetActualDataLength();
        m_packet->pts = timed ? start : AV_NOPTS_VALUE;
        int sent = ff::avcodec_send_packet(m_context.get(), m_packet.get());
        m_packet->data = nullptr;
        m_packet->size = 0;
        return sent < 0 && sent != AVERROR(EAGAIN) ? S_FALSE : S_OK;
    }

    CodecContext m_context;
    Frame m_frame;
    Packet m_packet;
};

class Mpeg2VideoDecoder final : public Decoder {
public:
    bool accepts(const MediaType& type) const override
    {
        const AM_MEDIA_TYPE& t = type.get();
        return IsEqualGUID(t.majortype, MEDIATYPE_Video) && IsEqualGUID(t.subtype, MEDIASUBTYPE_MPEG2_VIDEO)
            && IsEqualGUID(t.formattype, FORMAT_MPEG2Video) && header(type) != nullptr;
    }

    bool open(const MediaType& type, MediaType& output) override
    {
        close();
        const MPEG2VIDEOINFO* info = header(type);
        if (!info)
            return false;
        auto sequence = block_tail(type, kMpeg2VideoInfoHeaderBytes, info->cbSequenceHeader);
        bool opened = open_codec(AV_CODEC_ID_MPEG2VIDEO, [&](AVCodecContext& context) {
            if (sequence.empty())
                return;
            context.extradata = static_cast<uint8_t*>(ff::av_mallocz(sequence.size() + AV_INPUT_BUFFER_PADDING_SIZE));
            if (!context.extradata)
                return;
            std::memcpy(context.extradata, sequence.data(), sequence.size());
            context.extradata_size = static_cast<int>(sequence.size());
        });
        if (!opened)
            return false;
        m_width = info->hdr.bmiHeader.biWidth & ~1;
        m_height = std::abs(info->hdr.bmiHeader.biHeight);
        REFERENCE_TIME frame_time = info->hdr.AvgTimePerFrame > 0 ? info->hdr.AvgTimePerFrame : UNITS / 25;
        output = MediaType::video(MEDIASUBTYPE_YUY2, make_yuy2_format(m_width, m_height, frame_time));
        return true;
    }

    void close() override
    {
        m_scale.reset();
        m_picture.clear();
        close_codec();
    }

    HRESULT process(IMediaSample* sample, const Deliver& deliver) override
    {
        REFERENCE_TIME start = 0;
        bool timed = false;
        if (HRESULT hr = send(sample, start, timed); hr != S_OK)
            return FAILED(hr) ? hr : S_OK;
        for (;;) {
            int received = ff::avcodec_receive_frame(m_context.get(), m_frame.get());
            if (received < 0)
                return S_OK;
            HRESULT hr = convert() ? S_OK : E_FAIL;
            REFERENCE_TIME when = m_frame->pts;
            ff::av_frame_unref(m_frame.get());
            if (FAILED(hr))
                return hr;
            bool known = when != AV_NOPTS_VALUE;
            hr = deliver(m_picture, known ? when : -1, known ? when + frame_time() : -1, true);
            if (hr != S_OK)
                return hr;
        }
    }

private:
    static const MPEG2VIDEOINFO* header(const MediaType& type)
    {
        auto block = type.format();
        if (block.size() < kMpeg2VideoInfoHeaderBytes)
            return nullptr;
        auto* info = reinterpret_cast<const MPEG2VIDEOINFO*>(block.data());
        const auto& bmi = info->hdr.bmiHeader;
        return bmi.biWidth >= 2 && bmi.biWidth <= 4096 && bmi.biHeight != 0 && std::abs(bmi.biHeight) <= 4096 ? info : nullptr;
    }
    REFERENCE_TIME frame_time() const
    {
        AVRational rate = m_context->framerate;
        return rate.num > 0 && rate.den > 0 ? UNITS * rate.den / rate.num : UNITS / 25;
    }
    // The decoded frame, scaled to the output's size, as YUY2.
    bool convert()
    {
        m_scale.reset(ff::sws_getCachedContext(m_scale.release(), m_frame->width, m_frame->height,
            static_cast<AVPixelFormat>(m_frame->format), m_width, m_height, AV_PIX_FMT_YUYV422, SWS_BILINEAR, nullptr,
            nullptr, nullptr));
        if (!m_scale)
            return false;
        m_picture.resize(static_cast<std::size_t>(m_width) * m_height * 2);
        uint8_t* planes[1] = { m_picture.data() };
        int strides[1] = { m_width * 2 };
        return ff::sws_scale(m_scale.get(), m_frame->data, m_frame->linesize, 0, m_frame->height, planes, strides) > 0;
    }

    Scale m_scale;
    std::vector<BYTE> m_picture;
    int m_width { 0 };
    int m_height { 0 };
};

class MpegAudioDecoder final : public Decoder {
public:
    bool accepts(const MediaType& type) const override
    {
        const AM_MEDIA_TYPE& t = type.get();
        const WAVEFORMATEX* wave = type.wave_format();
        if (!IsEqualGUID(t.majortype, MEDIATYPE_Audio) || !wave || wave->nChannels < 1 || wave->nChannels > 2
            || wave->nSamplesPerSec < 8000 || wave->nSamplesPerSec > 48000)
            return false;
        return IsEqualGUID(t.subtype, MEDIASUBTYPE_MPEG2_AUDIO) || wave->wFormatTag == WAVE_FORMAT_MPEG;
    }

    bool open(const MediaType& type, MediaType& output) override
    {
        close();
        const WAVEFORMATEX& wave = *type.wave_format();
        bool opened = open_codec(AV_CODEC_ID_MP2, [&](AVCodecContext& context) {
            context.sample_rate = static_cast<int>(wave.nSamplesPerSec);
            ff::av_channel_layout_default(&context.ch_layout, wave.nChannels);
        });
        if (!opened)
            return false;
        m_rate = static_cast<int>(wave.nSamplesPerSec);
        m_channels = wave.nChannels;
        output = MediaType::audio(make_pcm_format(wave.nSamplesPerSec, wave.nChannels, 16));
        return true;
    }

    void close() override
    {
        m_resample.reset();
        close_codec();
    }

    HRESULT process(IMediaSample* sample, const Deliver& deliver) override
    {
        REFERENCE_TIME start = 0;
        bool timed = false;
        if (HRESULT hr = send(sample, start, timed); hr != S_OK)
            return FAILED(hr) ? hr : S_OK;
        REFERENCE_TIME at = start;
        for (;;) {
            if (ff::avcodec_receive_frame(m_context.get(), m_frame.get()) < 0)
                return S_OK;
            bool converted = convert();
            ff::av_frame_unref(m_frame.get());
            if (!converted)
                return E_FAIL;
            REFERENCE_TIME length = static_cast<REFERENCE_TIME>(m_pcm.size() / (2 * m_channels)) * UNITS / m_rate;
            HRESULT hr = deliver(m_pcm, timed ? at : -1, timed ? at + length : -1, true);
            at += length;
            if (hr != S_OK)
                return hr;
        }
    }

private:
    // The decoded frame as interleaved 16-bit samples at the output's rate and channels.
    bool convert()
    {
        if (!m_resample) {
            AVChannelLayout out {};
            ff::av_channel_layout_default(&out, m_channels);
            SwrContext* context = nullptr;
            int failed = ff::swr_alloc_set_opts2(&context, &out, AV_SAMPLE_FMT_S16, m_rate, &m_frame->ch_layout,
                static_cast<AVSampleFormat>(m_frame->format), m_frame->sample_rate, 0, nullptr);
            ff::av_channel_layout_uninit(&out);
            m_resample.reset(context);
            if (failed < 0 || ff::swr_init(m_resample.get()) < 0) {
                m_resample.reset();
                return false;
            }
        }
        int room = ff::swr_get_out_samples(m_resample.get(), m_frame->nb_samples);
        if (room < 0)
            return false;
        m_pcm.resize(static_cast<std::size_t>(room) * 2 * m_channels);
        uint8_t* out[1] = { m_pcm.data() };
        int made = ff::swr_convert(m_resample.get(), out, room, const_cast<const uint8_t**>(m_frame->extended_data), m_frame->nb_samples);
        if (made < 0)
            return false;
        m_pcm.resize(static_cast<std::size_t>(made) * 2 * m_channels);
        return true;
    }

    Resample m_resample;
    std::vector<BYTE> m_pcm;
    int m_rate { 0 };
    int m_channels { 0 };
};

template<typename T>
com::ClassFactoryFunction decoder_factory(REFCLSID clsid)
{
    CLSID id = clsid;
    return [id](IUnknown* outer, REFIID iid, void** out) {
        return com::create_instance<CodecFilter>(outer, iid, out, id, std::make_shared<T>());
    };
}

}

void register_mpeg2_demultiplexer();

void register_mpeg2_filters()
{
    register_mpeg2_demultiplexer();
    com::register_class(CLSID_Mpeg2VideoDecoder, decoder_factory<Mpeg2VideoDecoder>(CLSID_Mpeg2VideoDecoder));
    com::register_class(CLSID_MpegAudioDecoder, decoder_factory<MpegAudioDecoder>(CLSID_MpegAudioDecoder));
    register_graph_filter(CLSID_Mpeg2VideoDecoder, u"MPEG-2 Video Decoder", FilterRole::Intermediate);
    register_graph_filter(CLSID_MpegAudioDecoder, u"MPEG Audio Decoder", FilterRole::Intermediate);
}

}
