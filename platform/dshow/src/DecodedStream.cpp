#include "DecodedStream.h"

#include <dshow/PlanarYuy2.h>
#include <dshow/VfwErrors.h>

#include <dshow/Ffmpeg.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <mutex>

namespace dshow::detail {

namespace {

constexpr AVRational kUnits { 1, static_cast<int>(UNITS) };

void quiet_libraries()
{
    static std::once_flag once;
    std::call_once(once, [] { ff::av_log_set_level(AV_LOG_QUIET); });
}

HRESULT open_input(const std::string& path, AVFormatContext*& format)
{
    quiet_libraries();
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return VFW_E_NOT_FOUND;
    format = nullptr;
    if (ff::avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0)
        return VFW_E_UNKNOWN_FILE_TYPE;
    if (ff::avformat_find_stream_info(format, nullptr) < 0) {
        ff::avformat_close_input(&format);
        return VFW_E_UNKNOWN_FILE_TYPE;
    }
    return S_OK;
}

REFERENCE_TIME file_origin(const AVFormatContext* format)
{
    return format->start_time != AV_NOPTS_VALUE ? ff::av_rescale_q(format->start_time, AV_TIME_BASE_Q, kUnits) : 0;
}

REFERENCE_TIME frame_period(const AVStream* stream)
{
    AVRational rate = stream->avg_frame_rate.num > 0 && stream->avg_frame_rate.den > 0 ? stream->avg_frame_rate : stream->r_frame_rate;
    if (rate.num <= 0 || rate.den <= 0)
        return UNITS / 25;
    return std::max<REFERENCE_TIME>(ff::av_rescale_q(1, av_inv_q(rate), kUnits), 1);
}

int output_channels(int channels) { return std::clamp(channels, 1, 2); }

}

HRESULT probe_media_file(const std::string& linux_path, FileInfo& info)
{
    AVFormatContext* format = nullptr;
    HRESULT hr = open_input(linux_path, format);
    if (FAILED(hr))
        return hr;
    info = {};
    if (format->duration != AV_NOPTS_VALUE && format->duration > 0)
        info.duration = ff::av_rescale_q(format->duration, AV_TIME_BASE_Q, kUnits);
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVStream* stream = format->streams[i];
        const AVCodecParameters* params = stream->codecpar;
        bool video = params->codec_type == AVMEDIA_TYPE_VIDEO;
        if (!video && params->codec_type != AVMEDIA_TYPE_AUDIO)
            continue;
        if (stream->disposition & AV_DISPOSITION_ATTACHED_PIC)
            continue; // a cover picture, not a stream to play
        FileStreamInfo entry;
        entry.index = static_cast<int>(i);
        entry.video = video;
        bool known = video ? params->width >= 2 && params->height >= 1 : params->sample_rate > 0 && params->ch_layout.nb_channels > 0;
        entry.decodable = known && ff::avcodec_find_decoder(params->codec_id) != nullptr;
        if (entry.decodable) {
            if (video)
                entry.type = MediaType::video(MEDIASUBTYPE_YUY2, make_yuy2_format(params->width & ~1, params->height, frame_period(stream)));
            else
                entry.type = MediaType::audio(make_pcm_format(static_cast<DWORD>(params->sample_rate),
                                                              static_cast<WORD>(output_channels(params->ch_layout.nb_channels)), 16));
        }
        info.streams.push_back(std::move(entry));
    }
    ff::avformat_close_input(&format);
    return S_OK;
}

struct DecodedStream::State {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVStream* stream = nullptr;
    SwsContext* scaler = nullptr;
    AVPixelFormat scaler_format = AV_PIX_FMT_NONE;
    int scaler_height = 0;
    SwrContext* resampler = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    int index = -1;
    bool video = false;
    int width = 0, height = 0; // video out
    int rate = 0, channels = 0; // sound out
    REFERENCE_TIME origin = 0;
    REFERENCE_TIME period = 0; // video frame
    double speed = 1.0;
    REFERENCE_TIME skip_until = 0; // nothing that ends before this is given out
    REFERENCE_TIME next_time = 0; // for frames without a time
    bool draining = false;

    ~State()
    {
        ff::sws_freeContext(scaler);
        ff::swr_free(&resampler);
        ff::av_frame_free(&frame);
        ff::av_packet_free(&packet);
        ff::avcodec_free_context(&codec);
        ff::avformat_close_input(&format);
    }

    // Decodes until a frame is in `frame`; false at the end or on an error that ends the stream.
    bool receive()
    {
        for (;;) {
            int result = ff::avcodec_receive_frame(codec, frame);
            if (result == 0)
                return true;
            if (result != AVERROR(EAGAIN) || draining)
                return false;
            if (ff::av_read_frame(format, packet) < 0) {
                draining = true;
                ff::avcodec_send_packet(codec, nullptr);
                continue;
            }
            // A damaged packet is dropped; the stream goes on with the next one.
            if (packet->stream_index == index)
                ff::avcodec_send_packet(codec, packet);
            ff::av_packet_unref(packet);
        }
    }

    REFERENCE_TIME frame_start()
    {
        std::int64_t stamp = frame->best_effort_timestamp;
        if (stamp == AV_NOPTS_VALUE)
            return next_time;
        return ff::av_rescale_q(stamp, stream->time_base, kUnits) - origin;
    }

    // The frame as top-down YUY2 into `out` (width * 2 * height bytes). The common planar
    // formats are packed directly; others go through a scaler made once for their format.
    bool picture(BYTE* out)
    {
        if (frame->width < width)
            return false;
        auto format = static_cast<AVPixelFormat>(frame->format);
        bool full = frame->color_range == AVCOL_RANGE_JPEG;
        int x_shift = -1, y_shift = -1;
        switch (format) {
        case AV_PIX_FMT_YUVJ420P: full = true; [[fallthrough]];
        case AV_PIX_FMT_YUV420P: x_shift = 1; y_shift = 1; break;
        case AV_PIX_FMT_YUVJ422P: full = true; [[fallthrough]];
        case AV_PIX_FMT_YUV422P: x_shift = 1; y_shift = 0; break;
        case AV_PIX_FMT_YUVJ444P: full = true; [[fallthrough]];
        case AV_PIX_FMT_YUV444P: x_shift = 0; y_shift = 0; break;
        default: break;
        }
        if (x_shift >= 0 && frame->height == height) {
            PlanarPicture in;
            for (int p = 0; p < 3; ++p) {
                in.planes[p] = frame->data[p];
                in.strides[p] = frame->linesize[p];
            }
            in.width = frame->width;
            in.height = frame->height;
            in.chroma_x_shift = x_shift;
            in.chroma_y_shift = y_shift;
            in.full_range = full;
            planar_to_yuy2(in, width, out, static_cast<std::ptrdiff_t>(width) * 2);
            return true;
        }
        if (!make_scaler(format, full))
            return false;
        uint8_t* planes[4] = { out, nullptr, nullptr, nullptr };
        int strides[4] = { width * 2, 0, 0, 0 };
        return ff::sws_scale(scaler, frame->data, frame->linesize, 0, frame->height, planes, strides) > 0;
    }

    // A scaler for the frame's format and height, kept while they stay. (The full-range "J"
    // formats are given to it as their plain forms with the range set, so that it does not
    // rebuild itself for every frame.)
    bool make_scaler(AVPixelFormat format, bool full)
    {
        if (scaler && format == scaler_format && frame->height == scaler_height)
            return true;
        ff::sws_freeContext(scaler);
        scaler_format = format;
        scaler_height = frame->height;
        AVPixelFormat plain = format;
        switch (format) {
        case AV_PIX_FMT_YUVJ411P: plain = AV_PIX_FMT_YUV411P; full = true; break;
        case AV_PIX_FMT_YUVJ420P: plain = AV_PIX_FMT_YUV420P; full = true; break;
        case AV_PIX_FMT_YUVJ422P: plain = AV_PIX_FMT_YUV422P; full = true; break;
        case AV_PIX_FMT_YUVJ440P: plain = AV_PIX_FMT_YUV440P; full = true; break;
        case AV_PIX_FMT_YUVJ444P: plain = AV_PIX_FMT_YUV444P; full = true; break;
        default: break;
        }
        scaler = ff::sws_getContext(width, frame->height, plain, width, height, AV_PIX_FMT_YUYV422, SWS_BILINEAR, nullptr, nullptr, nullptr);
        if (!scaler)
            return false;
        if (full) {
            const int* coefficients = ff::sws_getCoefficients(SWS_CS_ITU601);
            ff::sws_setColorspaceDetails(scaler, coefficients, 1, coefficients, 0, 0, 1 << 16, 1 << 16);
        }
        return true;
    }

    bool sound(std::vector<BYTE>& data)
    {
        if (!resampler) {
            AVChannelLayout out {};
            ff::av_channel_layout_default(&out, channels);
            int in_rate = std::max(1, static_cast<int>(std::lround(frame->sample_rate * speed)));
            int failed = ff::swr_alloc_set_opts2(&resampler, &out, AV_SAMPLE_FMT_S16, rate, &frame->ch_layout,
                                             static_cast<AVSampleFormat>(frame->format), in_rate, 0, nullptr);
            ff::av_channel_layout_uninit(&out);
            if (failed < 0 || ff::swr_init(resampler) < 0) {
                ff::swr_free(&resampler);
                return false;
            }
        }
        int room = ff::swr_get_out_samples(resampler, frame->nb_samples);
        if (room <= 0)
            return true;
        data.resize(static_cast<std::size_t>(room) * channels * 2);
        uint8_t* out[1] = { data.data() };
        int made = ff::swr_convert(resampler, out, room, const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
        if (made < 0)
            return false;
        data.resize(static_cast<std::size_t>(made) * channels * 2);
        return true;
    }
};

DecodedStream::DecodedStream(std::unique_ptr<State> state)
    : m_state(std::move(state))
{
}

DecodedStream::~DecodedStream() = default;

std::unique_ptr<DecodedStream> DecodedStream::open(const std::string& linux_path, const FileStreamInfo& info)
{
    auto state = std::make_unique<State>();
    if (!info.decodable || FAILED(open_input(linux_path, state->format)))
        return nullptr;
    if (info.index < 0 || static_cast<unsigned>(info.index) >= state->format->nb_streams)
        return nullptr;
    for (unsigned i = 0; i < state->format->nb_streams; ++i)
        state->format->streams[i]->discard = static_cast<int>(i) == info.index ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    state->index = info.index;
    state->stream = state->format->streams[info.index];
    state->video = info.video;
    const AVCodec* decoder = ff::avcodec_find_decoder(state->stream->codecpar->codec_id);
    if (!decoder || !(state->codec = ff::avcodec_alloc_context3(decoder)))
        return nullptr;
    if (ff::avcodec_parameters_to_context(state->codec, state->stream->codecpar) < 0)
        return nullptr;
    state->codec->thread_count = 2;
    state->codec->pkt_timebase = state->stream->time_base;
    if (ff::avcodec_open2(state->codec, decoder, nullptr) < 0)
        return nullptr;
    state->packet = ff::av_packet_alloc();
    state->frame = ff::av_frame_alloc();
    if (!state->packet || !state->frame)
        return nullptr;
    state->origin = file_origin(state->format);
    if (info.video) {
        const VIDEOINFOHEADER* format = info.type.video_info();
        state->width = format->bmiHeader.biWidth;
        state->height = std::abs(format->bmiHeader.biHeight);
        state->period = format->AvgTimePerFrame;
    } else {
        const WAVEFORMATEX* format = info.type.wave_format();
        state->rate = static_cast<int>(format->nSamplesPerSec);
        state->channels = format->nChannels;
    }
    return std::unique_ptr<DecodedStream>(new DecodedStream(std::move(state)));
}

bool DecodedStream::seek(REFERENCE_TIME position, double rate)
{
    State& s = *m_state;
    position = std::max<REFERENCE_TIME>(position, 0);
    std::int64_t target = ff::av_rescale_q(position + s.origin, kUnits, s.stream->time_base);
    if (ff::av_seek_frame(s.format, s.index, target, AVSEEK_FLAG_BACKWARD) < 0
        && ff::avformat_seek_file(s.format, s.index, INT64_MIN, target, target, 0) < 0)
        return false;
    ff::av_frame_unref(s.frame);
    ff::avcodec_flush_buffers(s.codec);
    ff::swr_free(&s.resampler);
    s.speed = rate;
    s.draining = false;
    s.skip_until = position;
    s.next_time = position;
    return true;
}

bool DecodedStream::next_frame(REFERENCE_TIME& start, REFERENCE_TIME& stop)
{
    State& s = *m_state;
    ff::av_frame_unref(s.frame);
    while (s.video && s.receive()) {
        start = s.frame_start();
        stop = start + s.period;
        s.next_time = stop;
        if (stop > s.skip_until)
            return true;
        ff::av_frame_unref(s.frame);
    }
    return false;
}

bool DecodedStream::take_picture(BYTE* out)
{
    State& s = *m_state;
    bool made = s.frame->data[0] && s.picture(out);
    ff::av_frame_unref(s.frame);
    return made;
}

std::size_t DecodedStream::frame_bytes() const
{
    return static_cast<std::size_t>(m_state->width) * 2 * static_cast<std::size_t>(m_state->height);
}

bool DecodedStream::next(std::vector<BYTE>& data, REFERENCE_TIME& start, REFERENCE_TIME& stop)
{
    State& s = *m_state;
    if (s.video) {
        while (next_frame(start, stop)) {
            data.resize(frame_bytes());
            if (take_picture(data.data()))
                return true;
        }
        return false;
    }
    while (s.receive()) {
        start = s.frame_start();
        stop = start + static_cast<REFERENCE_TIME>(s.frame->nb_samples) * UNITS / std::max(s.frame->sample_rate, 1);
        s.next_time = stop;
        bool made = stop > s.skip_until && s.sound(data);
        ff::av_frame_unref(s.frame);
        if (!made || data.empty())
            continue;
        if (start < s.skip_until) {
            // Cut the part before the position (counted in output samples, stretched by the rate).
            std::size_t block = static_cast<std::size_t>(s.channels) * 2;
            double seconds = static_cast<double>(s.skip_until - start) / UNITS / s.speed;
            std::size_t cut = std::min(data.size(), static_cast<std::size_t>(seconds * s.rate) * block);
            data.erase(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(cut));
            start = s.skip_until;
            if (data.empty())
                continue;
        }
        return true;
    }
    return false;
}

}
