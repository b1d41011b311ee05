#pragma once

// FFmpeg's libraries, loaded when first called instead of at the program's start. Linked
// directly, they and the many libraries they pull in cost every start some 20 ms before main,
// though a run that shows only the card's picture never calls them. The areas that decode,
// encode or convert through FFmpeg call it through `ff::`, by the library's own names and
// arguments, and use its types and inline helpers from its headers as usual:
//
//     AVFrame* frame = ff::av_frame_alloc();
//     ff::av_frame_free(&frame);
//
// The first call loads the five libraries together and looks its function up once. A library
// that cannot be loaded ends the program with a message, as it would end it at start if linked.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/frame.h>
#include <libavutil/mem.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <atomic>

namespace ff {

namespace detail {

// The address of FFmpeg's function `name`; ends the program when it cannot be found.
void* resolve(const char* name);

template<typename F>
class Function;

// One of FFmpeg's functions, looked up at its first call.
template<typename R, typename... A>
class Function<R(A...)> {
public:
    constexpr explicit Function(const char* name)
        : m_name(name)
    {
    }
    R operator()(A... args) const
    {
        R (*real)(A...) = m_real.load(std::memory_order_acquire);
        if (!real) {
            real = reinterpret_cast<R (*)(A...)>(resolve(m_name));
            m_real.store(real, std::memory_order_release);
        }
        return real(args...);
    }

private:
    const char* m_name;
    mutable std::atomic<R (*)(A...)> m_real { nullptr };
};

}

// decltype names the function's type without referring to the function, so nothing links it.
// The attributes of a few (malloc, alloc_size, warn_unused_result) do not belong to the type.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wignored-attributes"
#define ORBIVANE_FFMPEG(name) inline const detail::Function<decltype(::name)> name { #name };

ORBIVANE_FFMPEG(av_audio_fifo_alloc)
ORBIVANE_FFMPEG(av_audio_fifo_free)
ORBIVANE_FFMPEG(av_audio_fifo_read)
ORBIVANE_FFMPEG(av_audio_fifo_size)
ORBIVANE_FFMPEG(av_audio_fifo_write)
ORBIVANE_FFMPEG(av_channel_layout_copy)
ORBIVANE_FFMPEG(av_channel_layout_default)
ORBIVANE_FFMPEG(av_channel_layout_uninit)
ORBIVANE_FFMPEG(av_dict_set)
ORBIVANE_FFMPEG(av_find_input_format)
ORBIVANE_FFMPEG(av_frame_alloc)
ORBIVANE_FFMPEG(av_frame_free)
ORBIVANE_FFMPEG(av_frame_get_buffer)
ORBIVANE_FFMPEG(av_frame_make_writable)
ORBIVANE_FFMPEG(av_frame_unref)
ORBIVANE_FFMPEG(av_free)
ORBIVANE_FFMPEG(av_freep)
ORBIVANE_FFMPEG(av_interleaved_write_frame)
ORBIVANE_FFMPEG(av_log_set_level)
ORBIVANE_FFMPEG(av_malloc)
ORBIVANE_FFMPEG(av_mallocz)
ORBIVANE_FFMPEG(av_packet_alloc)
ORBIVANE_FFMPEG(av_packet_free)
ORBIVANE_FFMPEG(av_packet_rescale_ts)
ORBIVANE_FFMPEG(av_packet_unref)
ORBIVANE_FFMPEG(av_read_frame)
ORBIVANE_FFMPEG(av_rescale)
ORBIVANE_FFMPEG(av_rescale_q)
ORBIVANE_FFMPEG(av_samples_alloc_array_and_samples)
ORBIVANE_FFMPEG(av_samples_set_silence)
ORBIVANE_FFMPEG(av_seek_frame)
ORBIVANE_FFMPEG(av_write_trailer)
ORBIVANE_FFMPEG(avcodec_alloc_context3)
ORBIVANE_FFMPEG(avcodec_find_decoder)
ORBIVANE_FFMPEG(avcodec_find_encoder)
ORBIVANE_FFMPEG(avcodec_find_encoder_by_name)
ORBIVANE_FFMPEG(avcodec_flush_buffers)
ORBIVANE_FFMPEG(avcodec_free_context)
ORBIVANE_FFMPEG(avcodec_open2)
ORBIVANE_FFMPEG(avcodec_parameters_from_context)
ORBIVANE_FFMPEG(avcodec_parameters_to_context)
ORBIVANE_FFMPEG(avcodec_receive_frame)
ORBIVANE_FFMPEG(avcodec_receive_packet)
ORBIVANE_FFMPEG(avcodec_send_frame)
ORBIVANE_FFMPEG(avcodec_send_packet)
ORBIVANE_FFMPEG(avformat_alloc_context)
ORBIVANE_FFMPEG(avformat_alloc_output_context2)
ORBIVANE_FFMPEG(avformat_close_input)
ORBIVANE_FFMPEG(avformat_find_stream_info)
ORBIVANE_FFMPEG(avformat_free_context)
ORBIVANE_FFMPEG(avformat_new_stream)
ORBIVANE_FFMPEG(avformat_open_input)
ORBIVANE_FFMPEG(avformat_seek_file)
ORBIVANE_FFMPEG(avformat_write_header)
ORBIVANE_FFMPEG(avio_alloc_context)
ORBIVANE_FFMPEG(avio_closep)
ORBIVANE_FFMPEG(avio_context_free)
ORBIVANE_FFMPEG(avio_open)
ORBIVANE_FFMPEG(avio_seek)
ORBIVANE_FFMPEG(avio_size)
ORBIVANE_FFMPEG(swr_alloc_set_opts2)
ORBIVANE_FFMPEG(swr_convert)
ORBIVANE_FFMPEG(swr_free)
ORBIVANE_FFMPEG(swr_get_out_samples)
ORBIVANE_FFMPEG(swr_init)
ORBIVANE_FFMPEG(sws_freeContext)
ORBIVANE_FFMPEG(sws_getCachedContext)
ORBIVANE_FFMPEG(sws_getCoefficients)
ORBIVANE_FFMPEG(sws_getContext)
ORBIVANE_FFMPEG(sws_scale)
ORBIVANE_FFMPEG(sws_setColorspaceDetails)

#undef ORBIVANE_FFMPEG
#pragma GCC diagnostic pop

}
