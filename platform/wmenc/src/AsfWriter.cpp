#include "AsfWriter.h"

#include <com/HResults.h>

#include <dshow/Ffmpeg.h>

#include <algorithm>
#include <cerrno>
#include <cmath>

namespace wmenc::detail {

namespace {

struct Encoder {
    AVCodecContext* codec { nullptr };
    AVStream* stream { nullptr };
    AVFrame* frame { nullptr };

    ~Encoder()
    {
        ff::av_frame_free(&frame);
        ff::avcodec_free_context(&codec);
    }
};

}

struct AsfWriter::State {
    AVFormatContext* format { nullptr };
    AVPacket* packet { nullptr };
    HRESULT result { S_OK };
    bool open { false };
    LONGLONG final_bytes { 0 };

    std::unique_ptr<Encoder> video;
    int fps { 0 };
    SwsContext* scaler { nullptr };
    int64_t last_frame { -1 };

    std::unique_ptr<Encoder> audio;
    SwrContext* resampler { nullptr };
    int in_rate { 0 };
    int in_channels { 0 };
    AVAudioFifo* fifo { nullptr };
    int64_t audio_origin { -1 }; // output samples before the first one
    int64_t audio_fed { 0 }; // output samples taken so far
    int64_t audio_encoded { 0 };

    ~State()
    {
        ff::sws_freeContext(scaler);
        ff::swr_free(&resampler);
        if (fifo)
            ff::av_audio_fifo_free(fifo);
        video.reset();
        audio.reset();
        ff::av_packet_free(&packet);
        if (format) {
            ff::avio_closep(&format->pb);
            ff::avformat_free_context(format);
        }
    }

    void fail(HRESULT hr)
    {
        if (SUCCEEDED(result))
            result = hr;
    }

    // Sends `frame` (NULL: the end) to the encoder and writes what comes out.
    void encode(Encoder& e, AVFrame* frame)
    {
        if (ff::avcodec_send_frame(e.codec, frame) < 0) {
            fail(E_FAIL);
            return;
        }
        for (;;) {
            int got = ff::avcodec_receive_packet(e.codec, packet);
            if (got == AVERROR(EAGAIN) || got == AVERROR_EOF)
                return;
            if (got < 0) {
                fail(E_FAIL);
                return;
            }
            ff::av_packet_rescale_ts(packet, e.codec->time_base, e.stream->time_base);
            packet->stream_index = e.stream->index;
            if (ff::av_interleaved_write_frame(format, packet) < 0)
                fail(STG_E_WRITEFAULT);
        }
    }

    // Encodes whole frames from the sound queue; at the end also the rest, padded with silence.
    void drain_audio(bool at_end)
    {
        Encoder& e = *audio;
        int size = e.codec->frame_size > 0 ? e.codec->frame_size : 2048;
        while (ff::av_audio_fifo_size(fifo) >= size || (at_end && ff::av_audio_fifo_size(fifo) > 0)) {
            ff::av_frame_unref(e.frame);
            e.frame->nb_samples = size;
            e.frame->format = e.codec->sample_fmt;
            ff::av_channel_layout_copy(&e.frame->ch_layout, &e.codec->ch_layout);
            e.frame->sample_rate = e.codec->sample_rate;
            if (ff::av_frame_get_buffer(e.frame, 0) < 0) {
                fail(E_OUTOFMEMORY);
                return;
            }
            ff::av_samples_set_silence(e.frame->extended_data, 0, size, e.codec->ch_layout.nb_channels, e.codec->sample_fmt);
            ff::av_audio_fifo_read(fifo, reinterpret_cast<void**>(e.frame->extended_data), size);
            e.frame->pts = audio_origin + audio_encoded;
            audio_encoded += size;
            encode(e, e.frame);
        }
    }
};

AsfWriter::AsfWriter()
{
    // The libraries' own chatter (rate-control notes) stays off standard error.
    static const bool quiet = [] {
        ff::av_log_set_level(AV_LOG_ERROR);
        return true;
    }();
    (void)quiet;
}

AsfWriter::~AsfWriter() { close(); }

HRESULT AsfWriter::open(const std::string& linux_path, const Profile& profile, bool video, bool audio, const Metadata& metadata)
{
    std::lock_guard guard(m_lock);
    video = video && profile.has_video();
    audio = audio && profile.has_audio();
    if (!video && !audio)
        return E_INVALIDARG;
    auto s = std::make_unique<State>();
    if (ff::avformat_alloc_output_context2(&s->format, nullptr, "asf", linux_path.c_str()) < 0 || !s->format)
        return E_FAIL;
    s->format->flags |= AVFMT_FLAG_BITEXACT;
    s->packet = ff::av_packet_alloc();

    auto add_stream = [&](const char* name, auto configure) -> std::unique_ptr<Encoder> {
        const AVCodec* codec = ff::avcodec_find_encoder_by_name(name);
        if (!codec)
            return nullptr;
        auto e = std::make_unique<Encoder>();
        e->codec = ff::avcodec_alloc_context3(codec);
        configure(*e->codec);
        if (s->format->oformat->flags & AVFMT_GLOBALHEADER)
            e->codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        if (ff::avcodec_open2(e->codec, codec, nullptr) < 0)
            return nullptr;
        e->stream = ff::avformat_new_stream(s->format, nullptr);
        if (!e->stream || ff::avcodec_parameters_from_context(e->stream->codecpar, e->codec) < 0)
            return nullptr;
        e->stream->time_base = e->codec->time_base;
        e->frame = ff::av_frame_alloc();
        return e;
    };

    if (video) {
        s->fps = profile.frames_per_second;
        s->video = add_stream("wmv2", [&](AVCodecContext& c) {
            c.width = profile.width;
            c.height = profile.height;
            c.time_base = { 1, profile.frames_per_second };
            c.framerate = { profile.frames_per_second, 1 };
            c.pix_fmt = AV_PIX_FMT_YUV420P;
            c.bit_rate = profile.video_kbps * 1000LL;
            c.bit_rate_tolerance = static_cast<int>(c.bit_rate / 4);
            c.rc_max_rate = c.bit_rate * 3 / 2;
            c.rc_buffer_size = static_cast<int>(c.bit_rate);
            c.gop_size = profile.frames_per_second * 3;
            c.max_b_frames = 0;
            c.qmin = 1;
            c.qmax = 31;
        });
        if (!s->video)
            return E_FAIL;
    }
    if (audio) {
        s->audio = add_stream("wmav2", [&](AVCodecContext& c) {
            c.sample_fmt = AV_SAMPLE_FMT_FLTP;
            c.sample_rate = profile.sample_rate;
            ff::av_channel_layout_default(&c.ch_layout, profile.channels);
            c.bit_rate = profile.audio_kbps * 1000LL;
            c.time_base = { 1, profile.sample_rate };
        });
        if (!s->audio)
            return E_FAIL;
        s->fifo = ff::av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, profile.channels, profile.sample_rate);
    }
    for (const auto& [name, value] : metadata)
        ff::av_dict_set(&s->format->metadata, name.c_str(), value.c_str(), 0);

    int opened = ff::avio_open(&s->format->pb, linux_path.c_str(), AVIO_FLAG_WRITE);
    if (opened < 0)
        return opened == AVERROR(EACCES) || opened == AVERROR(EROFS) || opened == AVERROR(ENOENT) ? STG_E_ACCESSDENIED : E_FAIL;
    if (ff::avformat_write_header(s->format, nullptr) < 0)
        return STG_E_WRITEFAULT;
    s->open = true;
    m_state = std::move(s);
    return S_OK;
}

HRESULT AsfWriter::write_video(const BYTE* data, Picture format, int width, int height, REFERENCE_TIME start)
{
    std::lock_guard guard(m_lock);
    State* s = m_state.get();
    if (!s || !s->open || !s->video)
        return S_FALSE;
    // The slot a picture starts in (a stamp a millisecond early counts for the next slot).
    int64_t index = (start + UNITS / 1000) * s->fps / UNITS;
    if (index <= s->last_frame)
        return S_FALSE; // faster than the profile's rate
    Encoder& e = *s->video;
    AVPixelFormat in = format == Picture::Yuy2 ? AV_PIX_FMT_YUYV422 : AV_PIX_FMT_BGR24;
    s->scaler = ff::sws_getCachedContext(s->scaler, width, height, in, e.codec->width, e.codec->height, AV_PIX_FMT_YUV420P, SWS_BILINEAR,
        nullptr, nullptr, nullptr);
    if (!s->scaler)
        return E_FAIL;
    ff::av_frame_unref(e.frame);
    e.frame->format = AV_PIX_FMT_YUV420P;
    e.frame->width = e.codec->width;
    e.frame->height = e.codec->height;
    if (ff::av_frame_get_buffer(e.frame, 0) < 0)
        return E_OUTOFMEMORY;
    const uint8_t* planes[1];
    int strides[1];
    if (format == Picture::Yuy2) {
        planes[0] = data;
        strides[0] = width * 2;
    } else {
        // Bottom-up rows padded to 4 bytes: start at the last row and walk back.
        int stride = (width * 3 + 3) & ~3;
        planes[0] = data + static_cast<std::ptrdiff_t>(stride) * (height - 1);
        strides[0] = -stride;
    }
    ff::sws_scale(s->scaler, planes, strides, 0, height, e.frame->data, e.frame->linesize);
    e.frame->pts = index;
    s->last_frame = index;
    s->encode(e, e.frame);
    return s->result;
}

HRESULT AsfWriter::write_audio(const BYTE* pcm, std::size_t bytes, int rate, int channels, REFERENCE_TIME start)
{
    std::lock_guard guard(m_lock);
    State* s = m_state.get();
    if (!s || !s->open || !s->audio)
        return S_FALSE;
    if (rate <= 0 || channels < 1 || channels > 2)
        return E_INVALIDARG;
    AVCodecContext* c = s->audio->codec;
    if (!s->resampler || rate != s->in_rate || channels != s->in_channels) {
        ff::swr_free(&s->resampler);
        AVChannelLayout in_layout;
        ff::av_channel_layout_default(&in_layout, channels);
        if (ff::swr_alloc_set_opts2(&s->resampler, &c->ch_layout, c->sample_fmt, c->sample_rate, &in_layout, AV_SAMPLE_FMT_S16, rate, 0, nullptr)
                < 0
            || ff::swr_init(s->resampler) < 0)
            return E_FAIL;
        s->in_rate = rate;
        s->in_channels = channels;
    }
    if (s->audio_origin < 0)
        s->audio_origin = std::max<int64_t>(0, ff::av_rescale(start, c->sample_rate, UNITS));
    int in_samples = static_cast<int>(bytes / (2 * channels));
    int out_capacity = ff::swr_get_out_samples(s->resampler, in_samples);
    if (out_capacity <= 0)
        return S_OK;
    uint8_t** out = nullptr;
    if (ff::av_samples_alloc_array_and_samples(&out, nullptr, c->ch_layout.nb_channels, out_capacity, c->sample_fmt, 0) < 0)
        return E_OUTOFMEMORY;
    const uint8_t* in[1] = { pcm };
    int converted = ff::swr_convert(s->resampler, out, out_capacity, in, in_samples);
    if (converted > 0) {
        ff::av_audio_fifo_write(s->fifo, reinterpret_cast<void**>(out), converted);
        s->audio_fed += converted;
    }
    ff::av_freep(&out[0]);
    ff::av_freep(&out);
    s->drain_audio(false);
    return s->result;
}

HRESULT AsfWriter::close()
{
    std::lock_guard guard(m_lock);
    State* s = m_state.get();
    if (!s || !s->open)
        return s ? s->result : S_OK;
    if (s->video)
        s->encode(*s->video, nullptr);
    if (s->audio) {
        s->drain_audio(true);
        s->encode(*s->audio, nullptr);
    }
    if (ff::av_write_trailer(s->format) < 0)
        s->fail(STG_E_WRITEFAULT);
    s->final_bytes = ff::avio_size(s->format->pb);
    ff::avio_closep(&s->format->pb);
    s->open = false;
    return s->result;
}

bool AsfWriter::is_open() const
{
    std::lock_guard guard(m_lock);
    return m_state && m_state->open;
}

bool AsfWriter::has_video() const
{
    std::lock_guard guard(m_lock);
    return m_state && m_state->video;
}

bool AsfWriter::has_audio() const
{
    std::lock_guard guard(m_lock);
    return m_state && m_state->audio;
}

LONGLONG AsfWriter::bytes() const
{
    std::lock_guard guard(m_lock);
    if (!m_state)
        return 0;
    if (!m_state->open)
        return m_state->final_bytes;
    return ff::avio_seek(m_state->format->pb, 0, SEEK_CUR);
}

LONG AsfWriter::duration_ms() const
{
    std::lock_guard guard(m_lock);
    const State* s = m_state.get();
    if (!s)
        return 0;
    int64_t ms = 0;
    if (s->video && s->last_frame >= 0)
        ms = (s->last_frame + 1) * 1000 / s->fps;
    if (s->audio && s->audio_origin >= 0)
        ms = std::max<int64_t>(ms, (s->audio_origin + s->audio_fed) * 1000 / s->audio->codec->sample_rate);
    return static_cast<LONG>(std::min<int64_t>(ms, 0x7FFFFFFF));
}

}
