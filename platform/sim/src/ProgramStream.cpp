#include "ProgramStream.h"

#include <dshow/Ffmpeg.h>

#include <algorithm>
#include <cstring>

namespace sim::detail {

namespace {

constexpr BYTE kVideoStream = 0xE0;
constexpr BYTE kSoundStream = 0xC0;
constexpr int kSoundBitRate = 256000;
constexpr std::size_t kMaxPesPayload = 65000;

// Stream time (100 ns) as 90 kHz clock ticks.
std::uint64_t ticks_90k(REFERENCE_TIME time) { return static_cast<std::uint64_t>(std::max<REFERENCE_TIME>(time, 0)) * 9 / 1000; }

class Bits {
public:
    explicit Bits(std::vector<BYTE>& out)
        : m_out(out)
    {
    }
    void put(std::uint64_t value, int count)
    {
        for (int i = count - 1; i >= 0; --i) {
            m_byte = static_cast<BYTE>((m_byte << 1) | ((value >> i) & 1));
            if (++m_filled == 8) {
                m_out.push_back(m_byte);
                m_byte = 0;
                m_filled = 0;
            }
        }
    }

private:
    std::vector<BYTE>& m_out;
    BYTE m_byte { 0 };
    int m_filled { 0 };
};

// A 33-bit clock value in three parts, each followed by a marker bit.
void put_stamp(Bits& bits, std::uint64_t value)
{
    bits.put(value >> 30, 3);
    bits.put(1, 1);
    bits.put(value >> 15, 15);
    bits.put(1, 1);
    bits.put(value, 15);
    bits.put(1, 1);
}

// An MPEG-2 pack header with the system clock at `scr` (90 kHz).
void put_pack_header(std::vector<BYTE>& out, std::uint64_t scr)
{
    out.insert(out.end(), { 0x00, 0x00, 0x01, 0xBA });
    Bits bits(out);
    bits.put(1, 2);
    put_stamp(bits, scr);
    bits.put(0, 9); // clock extension
    bits.put(1, 1);
    bits.put(25200, 22); // mux rate in 50 bytes/s: 10.08 Mbit/s
    bits.put(3, 2);
    bits.put(0x1F, 5);
    bits.put(0, 3); // no stuffing
}

// PES packets of `stream` carrying `payload`, the first with the time stamp `pts` (90 kHz).
void put_pes(std::vector<BYTE>& out, BYTE stream, const BYTE* payload, std::size_t size, std::uint64_t pts)
{
    bool first = true;
    while (size > 0 || first) {
        std::size_t chunk = std::min(size, kMaxPesPayload);
        std::size_t header = first ? 5 : 0;
        std::size_t length = 3 + header + chunk;
        out.insert(out.end(), { 0x00, 0x00, 0x01, stream, static_cast<BYTE>(length >> 8), static_cast<BYTE>(length) });
        out.push_back(first ? 0x84 : 0x80); // '10', data aligned on the first
        out.push_back(first ? 0x80 : 0x00); // PTS only
        out.push_back(static_cast<BYTE>(header));
        if (first) {
            Bits bits(out);
            bits.put(2, 4);
            put_stamp(bits, pts);
        }
        out.insert(out.end(), payload, payload + chunk);
        payload += chunk;
        size -= chunk;
        first = false;
    }
}

struct ContextFree {
    void operator()(AVCodecContext* c) const { ff::avcodec_free_context(&c); }
};
struct FrameFree {
    void operator()(AVFrame* f) const { ff::av_frame_free(&f); }
};
struct PacketFree {
    void operator()(AVPacket* p) const { ff::av_packet_free(&p); }
};
struct ScaleFree {
    void operator()(SwsContext* s) const { ff::sws_freeContext(s); }
};

}

struct ProgramStreamEncoder::State {
    std::unique_ptr<AVCodecContext, ContextFree> video;
    std::unique_ptr<AVCodecContext, ContextFree> sound;
    std::unique_ptr<AVFrame, FrameFree> picture;
    std::unique_ptr<AVFrame, FrameFree> samples;
    std::unique_ptr<AVPacket, PacketFree> packet;
    std::unique_ptr<SwsContext, ScaleFree> scale;
    int width = 0;
    int height = 0;
    std::int64_t frames = 0;
    std::vector<std::int16_t> pending; // sound not yet a whole codec frame
    std::uint64_t pending_first = 0; // the sound frame index of pending's start
};

ProgramStreamEncoder::ProgramStreamEncoder() = default;
ProgramStreamEncoder::~ProgramStreamEncoder() = default;

bool ProgramStreamEncoder::open(int width, int height, int frames_per_second)
{
    close();
    auto state = std::make_unique<State>();
    const AVCodec* video = ff::avcodec_find_encoder(AV_CODEC_ID_MPEG2VIDEO);
    const AVCodec* sound = ff::avcodec_find_encoder(AV_CODEC_ID_MP2);
    if (!video || !sound)
        return false;
    state->video.reset(ff::avcodec_alloc_context3(video));
    auto& v = *state->video;
    v.width = width;
    v.height = height;
    v.pix_fmt = AV_PIX_FMT_YUV420P;
    v.time_base = AVRational { 1, frames_per_second };
    v.framerate = AVRational { frames_per_second, 1 };
    v.gop_size = 12;
    v.max_b_frames = 0;
    v.thread_count = 1;
    v.flags |= AV_CODEC_FLAG_QSCALE;
    v.global_quality = FF_QP2LAMBDA * 3;
    if (ff::avcodec_open2(state->video.get(), video, nullptr) < 0)
        return false;

    state->sound.reset(ff::avcodec_alloc_context3(sound));
    auto& a = *state->sound;
    a.sample_rate = kSoundRate;
    a.sample_fmt = AV_SAMPLE_FMT_S16;
    a.bit_rate = kSoundBitRate;
    ff::av_channel_layout_default(&a.ch_layout, kSoundChannels);
    if (ff::avcodec_open2(state->sound.get(), sound, nullptr) < 0)
        return false;

    state->picture.reset(ff::av_frame_alloc());
    state->samples.reset(ff::av_frame_alloc());
    state->packet.reset(ff::av_packet_alloc());
    state->scale.reset(ff::sws_getContext(width, height, AV_PIX_FMT_YUYV422, width, height, AV_PIX_FMT_YUV420P, SWS_POINT,
        nullptr, nullptr, nullptr));
    if (!state->picture || !state->samples || !state->packet || !state->scale)
        return false;
    state->picture->format = AV_PIX_FMT_YUV420P;
    state->picture->width = width;
    state->picture->height = height;
    if (ff::av_frame_get_buffer(state->picture.get(), 0) < 0)
        return false;
    state->samples->format = AV_SAMPLE_FMT_S16;
    state->samples->nb_samples = a.frame_size;
    state->samples->sample_rate = kSoundRate;
    ff::av_channel_layout_default(&state->samples->ch_layout, kSoundChannels);
    if (ff::av_frame_get_buffer(state->samples.get(), 0) < 0)
        return false;
    state->width = width;
    state->height = height;
    m_state = std::move(state);
    return true;
}

void ProgramStreamEncoder::close() { m_state.reset(); }

bool ProgramStreamEncoder::encode(const BYTE* yuy2, const std::int16_t* pcm, std::size_t sound_frames, REFERENCE_TIME start,
    std::uint64_t first_sound_frame, std::vector<BYTE>& packs)
{
    if (!m_state)
        return false;
    State& s = *m_state;
    put_pack_header(packs, ticks_90k(start));

    // The picture.
    if (ff::av_frame_make_writable(s.picture.get()) < 0)
        return false;
    const uint8_t* source[1] = { yuy2 };
    int stride[1] = { s.width * 2 };
    ff::sws_scale(s.scale.get(), source, stride, 0, s.height, s.picture->data, s.picture->linesize);
    s.picture->pts = s.frames++;
    if (ff::avcodec_send_frame(s.video.get(), s.picture.get()) < 0)
        return false;
    while (ff::avcodec_receive_packet(s.video.get(), s.packet.get()) == 0) {
        put_pes(packs, kVideoStream, s.packet->data, static_cast<std::size_t>(s.packet->size), ticks_90k(start));
        ff::av_packet_unref(s.packet.get());
    }

    // The sound, in whole codec frames.
    if (s.pending.empty())
        s.pending_first = first_sound_frame;
    s.pending.insert(s.pending.end(), pcm, pcm + sound_frames * kSoundChannels);
    auto frame_size = static_cast<std::size_t>(s.sound->frame_size);
    while (s.pending.size() >= frame_size * kSoundChannels) {
        if (ff::av_frame_make_writable(s.samples.get()) < 0)
            return false;
        std::memcpy(s.samples->data[0], s.pending.data(), frame_size * kSoundChannels * sizeof(std::int16_t));
        s.samples->pts = static_cast<std::int64_t>(s.pending_first);
        std::uint64_t pts = s.pending_first * 90000 / kSoundRate;
        s.pending.erase(s.pending.begin(), s.pending.begin() + static_cast<std::ptrdiff_t>(frame_size * kSoundChannels));
        s.pending_first += frame_size;
        if (ff::avcodec_send_frame(s.sound.get(), s.samples.get()) < 0)
            return false;
        while (ff::avcodec_receive_packet(s.sound.get(), s.packet.get()) == 0) {
            put_pes(packs, kSoundStream, s.packet->data, static_cast<std::size_t>(s.packet->size), pts);
            ff::av_packet_unref(s.packet.get());
        }
    }
    return true;
}

}
