#pragma once

// A filter of one input and one output around a libavcodec codec (the compressors, the MPEG
// decoders): the codec says which inputs it takes and, once opened for the input's type, what
// the output gives; each input sample becomes the units the codec makes of it. Internal to the
// area, and with FFmpeg's headers.

#include <dshow/BaseFilter.h>
#include <dshow/MediaFormats.h>
#include <dshow/MediaType.h>
#include <dshow/Pins.h>
#include <dshow/VfwErrors.h>

#include <dshow/Ffmpeg.h>

#include <functional>
#include <memory>
#include <mutex>
#include <span>

namespace dshow::detail {

struct CodecContextDeleter {
    void operator()(AVCodecContext* context) const { ff::avcodec_free_context(&context); }
};
struct FrameDeleter {
    void operator()(AVFrame* frame) const { ff::av_frame_free(&frame); }
};
struct PacketDeleter {
    void operator()(AVPacket* packet) const { ff::av_packet_free(&packet); }
};
struct ScaleDeleter {
    void operator()(SwsContext* context) const { ff::sws_freeContext(context); }
};
using CodecContext = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using Frame = std::unique_ptr<AVFrame, FrameDeleter>;
using Packet = std::unique_ptr<AVPacket, PacketDeleter>;
using Scale = std::unique_ptr<SwsContext, ScaleDeleter>;

// What one codec does for the filter. The filter serialises every call.
class Codec {
public:
    virtual ~Codec() = default;
    // Whether the input takes `type`.
    virtual bool accepts(const MediaType& type) const = 0;
    // Opens the codec for input `type` and gives the output type; false when it cannot.
    virtual bool open(const MediaType& type, MediaType& output) = 0;
    virtual void close() = 0;
    // One input sample; `deliver` is called for each unit made of it (times -1 when untimed).
    using Deliver = std::function<HRESULT(std::span<const BYTE>, REFERENCE_TIME, REFERENCE_TIME, bool)>;
    virtual HRESULT process(IMediaSample* sample, const Deliver& deliver) = 0;
};

// Hands every packet the codec has ready to `each`, until it wants more input.
inline HRESULT drain(AVCodecContext* context, AVPacket* packet, const std::function<HRESULT(const AVPacket&)>& each)
{
    for (;;) {
        int result = ff::avcodec_receive_packet(context, packet);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
            return S_OK;
        if (result < 0)
            return E_FAIL;
        HRESULT hr = each(*packet);
        ff::av_packet_unref(packet);
        if (hr != S_OK)
            return hr;
    }
}

class CodecFilter final : public BaseFilter {
public:
    CodecFilter(REFCLSID clsid, std::shared_ptr<Codec> codec)
        : BaseFilter(clsid)
        , m_encoder(std::move(codec))
    {
        m_input = make_pin<Input>(u"Input");
        m_output = make_pin<Output>(u"Output");
    }
    ~CodecFilter() override { m_encoder->close(); }

private:
    class Input final : public InputPin {
    public:
        Input(BaseFilter& filter, std::u16string name)
            : InputPin(filter, std::move(name))
        {
        }
        CodecFilter& owner() const { return static_cast<CodecFilter&>(filter()); }
        HRESULT check_media_type(const AM_MEDIA_TYPE& type) override
        {
            return owner().m_encoder->accepts(MediaType(type)) ? S_OK : S_FALSE;
        }
        HRESULT receive(IMediaSample* sample) override { return owner().receive(sample); }
        HRESULT end_of_stream() override { return owner().m_output->deliver_end_of_stream(); }

    protected:
        HRESULT complete_connect(IPin*) override
        {
            // The output's type comes from the codec opened for this input.
            auto& filter = owner();
            std::lock_guard guard(filter.m_codec_lock);
            MediaType output;
            bool opened = filter.m_encoder->open(connection_type(), output);
            filter.m_encoder->close();
            if (!opened)
                return VFW_E_TYPE_NOT_ACCEPTED;
            filter.m_output_type = output;
            return S_OK;
        }
    };

    class Output final : public OutputPin {
    public:
        Output(BaseFilter& filter, std::u16string name)
            : OutputPin(filter, std::move(name))
        {
        }
        CodecFilter& owner() const { return static_cast<CodecFilter&>(filter()); }
        HRESULT check_media_type(const AM_MEDIA_TYPE& type) override
        {
            auto& filter = owner();
            if (!filter.m_input->is_connected())
                return S_FALSE;
            std::lock_guard guard(filter.m_codec_lock);
            const AM_MEDIA_TYPE& mine = filter.m_output_type.get();
            return IsEqualGUID(type.majortype, mine.majortype) && IsEqualGUID(type.subtype, mine.subtype) ? S_OK : S_FALSE;
        }
        std::vector<MediaType> media_types() override
        {
            auto& filter = owner();
            if (!filter.m_input->is_connected())
                return {};
            std::lock_guard guard(filter.m_codec_lock);
            return { filter.m_output_type };
        }
        STDMETHODIMP Connect(IPin* receiver, const AM_MEDIA_TYPE* type) override
        {
            if (!owner().m_input->is_connected())
                return VFW_E_NOT_CONNECTED;
            return OutputPin::Connect(receiver, type);
        }

    protected:
        LONG buffer_size(const AM_MEDIA_TYPE& type) override
        {
            MediaType copy(type);
            if (const VIDEOINFOHEADER* video = copy.video_info())
                return static_cast<LONG>(video->bmiHeader.biSizeImage);
            return 64 * 1024;
        }
    };

    HRESULT on_pause() override
    {
        if (!m_input->is_connected())
            return S_OK;
        std::lock_guard guard(m_codec_lock);
        MediaType output;
        return m_encoder->open(m_input->connection_type(), output) ? S_OK : E_FAIL;
    }
    HRESULT on_stop() override
    {
        std::lock_guard guard(m_codec_lock);
        m_encoder->close();
        return S_OK;
    }
    HRESULT receive(IMediaSample* sample)
    {
        std::lock_guard guard(m_codec_lock);
        return m_encoder->process(sample, [this](std::span<const BYTE> data, REFERENCE_TIME start, REFERENCE_TIME stop, bool key) {
            HRESULT hr = m_output->deliver(data, start < 0 ? 0 : start, start < 0 ? -1 : stop, key);
            return hr == VFW_E_NOT_CONNECTED ? S_OK : hr;
        });
    }

    std::shared_ptr<Codec> m_encoder;
    Input* m_input;
    Output* m_output;
    std::mutex m_codec_lock;
    MediaType m_output_type;
};


}
