// The MPEG-2 program-stream demultiplexer ("MPEG2 Demux"): outputs made on demand, each fed the
// payload of the stream ids mapped to it, read by libavformat on the filter's own thread.

#include <dshow/Mpeg2.h>

#include <com/ClassRegistry.h>
#include <dshow/BaseFilter.h>
#include <dshow/MediaType.h>
#include <dshow/Pins.h>
#include <dshow/VfwErrors.h>

#include <dshow/Ffmpeg.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace dshow {

namespace {

constexpr std::size_t kQueueLimit = 16 * 1024 * 1024; // input bytes held at most; more are dropped
constexpr int kReadBufferBytes = 32 * 1024;
constexpr REFERENCE_TIME kNoTime = -1;

class Mpeg2Demultiplexer final : public BaseFilter, public IMpeg2Demultiplexer {
public:
    Mpeg2Demultiplexer()
        : BaseFilter(CLSID_MPEG2Demultiplexer)
    {
        m_input = make_pin<Input>(u"MPEG-2 Stream");
    }
    ~Mpeg2Demultiplexer() override { stop_thread(); }

    DSHOW_FORWARD_UNKNOWN(BaseFilter)

    STDMETHODIMP CreateOutputPin(AM_MEDIA_TYPE* type, LPWSTR name, IPin** pin) override
    {
        if (!type || !name || !pin)
            return E_INVALIDARG;
        *pin = nullptr;
        std::lock_guard guard(lock());
        if (!is_stopped())
            return VFW_E_NOT_STOPPED;
        if (output_named(name))
            return VFW_E_DUPLICATE_NAME;
        Output* output = make_pin<Output>(std::u16string(name), MediaType(*type));
        output->AddRef();
        *pin = output;
        return S_OK;
    }
    STDMETHODIMP SetOutputPinMediaType(LPWSTR name, AM_MEDIA_TYPE* type) override
    {
        if (!name || !type)
            return E_INVALIDARG;
        std::lock_guard guard(lock());
        Output* output = output_named(name);
        if (!output)
            return VFW_E_NOT_FOUND;
        if (output->is_connected())
            return VFW_E_ALREADY_CONNECTED;
        output->set_type(MediaType(*type));
        return S_OK;
    }
    STDMETHODIMP DeleteOutputPin(LPWSTR name) override
    {
        if (!name)
            return E_INVALIDARG;
        std::lock_guard guard(lock());
        if (!is_stopped())
            return VFW_E_NOT_STOPPED;
        Output* output = output_named(name);
        return output ? remove_pin(output) : VFW_E_NOT_FOUND;
    }

protected:
    void* find_interface(REFIID iid) override
    {
        if (IsEqualIID(iid, IID_IMpeg2Demultiplexer))
            return static_cast<IMpeg2Demultiplexer*>(this);
        return BaseFilter::find_interface(iid);
    }
    HRESULT on_pause() override
    {
        if (m_input->is_connected() && !m_thread.joinable())
            start_thread();
        return S_OK;
    }
    HRESULT on_stop() override
    {
        stop_thread();
        return S_OK;
    }

private:
    class Input final : public InputPin {
    public:
        Input(BaseFilter& filter, std::u16string name)
            : InputPin(filter, std::move(name))
        {
        }
        HRESULT check_media_type(const AM_MEDIA_TYPE& type) override
        {
            return IsEqualGUID(type.majortype, MEDIATYPE_Stream) && IsEqualGUID(type.subtype, MEDIASUBTYPE_MPEG2_PROGRAM)
                ? S_OK
                : S_FALSE;
        }
        HRESULT receive(IMediaSample* sample) override { return owner().push(sample); }
        HRESULT end_of_stream() override
        {
            owner().push_end();
            return S_OK;
        }

    private:
        Mpeg2Demultiplexer& owner() const { return static_cast<Mpeg2Demultiplexer&>(filter()); }
    };

    class Output final : public OutputPin, public IMPEG2StreamIdMap {
    public:
        Output(BaseFilter& filter, std::u16string name, MediaType type)
            : OutputPin(filter, std::move(name))
            , m_type(std::move(type))
        {
        }
        DSHOW_FORWARD_UNKNOWN(OutputPin)

        HRESULT check_media_type(const AM_MEDIA_TYPE& type) override
        {
            std::lock_guard guard(m_lock);
            const AM_MEDIA_TYPE& mine = m_type.get();
            return IsEqualGUID(type.majortype, mine.majortype) && IsEqualGUID(type.subtype, mine.subtype) ? S_OK : S_FALSE;
        }
        std::vector<MediaType> media_types() override
        {
            std::lock_guard guard(m_lock);
            return { m_type };
        }
        void set_type(MediaType type)
        {
            std::lock_guard guard(m_lock);
            m_type = std::move(type);
        }
        bool carries(int id) const
        {
            std::lock_guard guard(m_lock);
            return m_ids.count(static_cast<ULONG>(id)) != 0;
        }

        STDMETHODIMP MapStreamId(ULONG id, DWORD content_type, ULONG substream_filter, int data_offset) override
        {
            if (id < 0xBD || id > 0xEF || content_type != MPEG2_PROGRAM_ELEMENTARY_STREAM || substream_filter != 0 || data_offset != 0)
                return E_INVALIDARG;
            std::lock_guard guard(m_lock);
            m_ids.insert(id);
            return S_OK;
        }
        STDMETHODIMP UnmapStreamId(ULONG count, ULONG* ids) override
        {
            if (count && !ids)
                return E_POINTER;
            std::lock_guard guard(m_lock);
            for (ULONG i = 0; i < count; ++i)
                m_ids.erase(ids[i]);
            return S_OK;
        }
        STDMETHODIMP EnumStreamIdMap(IEnumStreamIdMap**) override { return E_NOTIMPL; }

    protected:
        void* find_interface(REFIID iid) override
        {
            if (IsEqualIID(iid, IID_IMPEG2StreamIdMap))
                return static_cast<IMPEG2StreamIdMap*>(this);
            return OutputPin::find_interface(iid);
        }
        LONG buffer_size(const AM_MEDIA_TYPE& type) override
        {
            return IsEqualGUID(type.majortype, MEDIATYPE_Video) ? 2 * 1024 * 1024 : 64 * 1024;
        }

    private:
        mutable std::mutex m_lock;
        MediaType m_type;
        std::set<ULONG> m_ids;
    };

    Output* output_named(const char16_t* name) const
    {
        for (BasePin* pin : pins())
            if (pin->direction() == PINDIR_OUTPUT && pin->name() == name)
                return static_cast<Output*>(pin);
        return nullptr;
    }

    // The streaming side: the input's bytes go into a queue that libavformat reads.
    HRESULT push(IMediaSample* sample)
    {
        BYTE* data = nullptr;
        if (FAILED(sample->GetPointer(&data)))
            return E_POINTER;
        LONG length = sample->GetActualDataLength();
        REFERENCE_TIME start = 0, stop = 0;
        bool timed = SUCCEEDED(sample->GetTime(&start, &stop));
        std::lock_guard guard(m_queue_lock);
        if (m_first_input_time == kNoTime)
            m_first_input_time = timed ? start : 0;
        if (length > 0 && m_queue.size() + static_cast<std::size_t>(length) <= kQueueLimit)
            m_queue.insert(m_queue.end(), data, data + length);
        m_queue_changed.notify_all();
        return S_OK;
    }
    void push_end()
    {
        std::lock_guard guard(m_queue_lock);
        m_ended = true;
        m_queue_changed.notify_all();
    }
    // libavformat's read: waits for bytes; the end once the input ended or the filter stops.
    static int read_packet(void* opaque, uint8_t* buffer, int size)
    {
        auto* self = static_cast<Mpeg2Demultiplexer*>(opaque);
        std::unique_lock guard(self->m_queue_lock);
        self->m_queue_changed.wait(guard, [self] { return self->m_quit || self->m_ended || !self->m_queue.empty(); });
        if (self->m_quit || self->m_queue.empty())
            return AVERROR_EOF;
        int count = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(size), self->m_queue.size()));
        std::copy_n(self->m_queue.begin(), count, buffer);
        self->m_queue.erase(self->m_queue.begin(), self->m_queue.begin() + count);
        return count;
    }

    void start_thread()
    {
        {
            std::lock_guard guard(m_queue_lock);
            m_queue.clear();
            m_quit = false;
            m_ended = false;
            m_first_input_time = kNoTime;
        }
        m_thread = std::thread([this] { demultiplex(); });
    }
    void stop_thread()
    {
        {
            std::lock_guard guard(m_queue_lock);
            m_quit = true;
            m_queue_changed.notify_all();
        }
        if (m_thread.joinable())
            m_thread.join();
    }

    void demultiplex()
    {
        auto* buffer = static_cast<uint8_t*>(ff::av_malloc(kReadBufferBytes));
        AVIOContext* io = buffer ? ff::avio_alloc_context(buffer, kReadBufferBytes, 0, this, read_packet, nullptr, nullptr) : nullptr;
        if (!io) {
            ff::av_free(buffer);
            return;
        }
        AVFormatContext* format = ff::avformat_alloc_context();
        if (format) {
            format->pb = io;
            format->flags |= AVFMT_FLAG_CUSTOM_IO;
            if (ff::avformat_open_input(&format, nullptr, ff::av_find_input_format("mpeg"), nullptr) == 0) {
                read_packets(format);
                ff::avformat_close_input(&format);
            }
        }
        ff::av_freep(&io->buffer);
        ff::avio_context_free(&io);
    }

    void read_packets(AVFormatContext* format)
    {
        AVPacket* packet = ff::av_packet_alloc();
        std::int64_t first_pts = AV_NOPTS_VALUE;
        while (packet && ff::av_read_frame(format, packet) >= 0) {
            const AVStream* stream = format->streams[packet->stream_index];
            std::int64_t pts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
            REFERENCE_TIME start = kNoTime;
            if (pts != AV_NOPTS_VALUE) {
                if (first_pts == AV_NOPTS_VALUE)
                    first_pts = pts;
                REFERENCE_TIME origin = 0;
                {
                    std::lock_guard guard(m_queue_lock);
                    origin = m_first_input_time == kNoTime ? 0 : m_first_input_time;
                }
                start = origin + ff::av_rescale_q(pts - first_pts, stream->time_base, AVRational { 1, static_cast<int>(UNITS) });
            }
            int id = stream->id & 0xFF;
            for (BasePin* pin : pins()) {
                if (pin->direction() != PINDIR_OUTPUT)
                    continue;
                auto* output = static_cast<Output*>(pin);
                if (!output->carries(id) || !output->is_connected())
                    continue;
                std::span<const BYTE> payload(packet->data, static_cast<std::size_t>(packet->size));
                output->deliver(payload, start < 0 ? 0 : start, -1, (packet->flags & AV_PKT_FLAG_KEY) != 0);
            }
            ff::av_packet_unref(packet);
        }
        ff::av_packet_free(&packet);
        for (BasePin* pin : pins())
            if (pin->direction() == PINDIR_OUTPUT && pin->is_connected())
                static_cast<Output*>(pin)->deliver_end_of_stream();
    }

    Input* m_input;
    std::thread m_thread;
    std::mutex m_queue_lock;
    std::condition_variable m_queue_changed;
    std::deque<BYTE> m_queue;
    bool m_quit { false };
    bool m_ended { false };
    REFERENCE_TIME m_first_input_time { kNoTime };
};

}

void register_mpeg2_demultiplexer()
{
    com::register_class(CLSID_MPEG2Demultiplexer, [](IUnknown* outer, REFIID iid, void** out) {
        return com::create_instance<Mpeg2Demultiplexer>(outer, iid, out);
    });
}

}
