#include "FileOutput.h"

#include <dshow/AviFormat.h>
#include <dshow/AviWriter.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <limits>
#include <numeric>

namespace dshow {

namespace {

constexpr REFERENCE_TIME no_time = std::numeric_limits<REFERENCE_TIME>::min();
constexpr REFERENCE_TIME max_gap = 3600 * UNITS;
constexpr std::size_t max_spare_buffers = 8;

REFERENCE_TIME floor_div(REFERENCE_TIME a, REFERENCE_TIME b)
{
    REFERENCE_TIME q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

DWORD clamp32(ULONGLONG value) { return value > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<DWORD>(value); }

// Builds RIFF structures in memory, with nested sizes filled in when a level ends.
class Bytes {
public:
    void u16(WORD v) { raw(&v, 2); }
    void u32(DWORD v) { raw(&v, 4); }
    void raw(const void* data, std::size_t size)
    {
        auto* p = static_cast<const BYTE*>(data);
        m_data.insert(m_data.end(), p, p + size);
    }
    void zeros(std::size_t size) { m_data.insert(m_data.end(), size, 0); }
    void begin(FOURCC id, FOURCC type = 0)
    {
        u32(id);
        m_open.push_back(m_data.size());
        u32(0);
        if (type)
            u32(type);
    }
    void end()
    {
        auto at = m_open.back();
        m_open.pop_back();
        DWORD size = static_cast<DWORD>(m_data.size() - at - 4);
        std::memcpy(m_data.data() + at, &size, 4);
        if (size & 1)
            m_data.push_back(0);
    }
    void chunk(FOURCC id, const void* data, std::size_t size)
    {
        begin(id);
        raw(data, size);
        end();
    }
    std::size_t size() const { return m_data.size(); }
    std::vector<BYTE>& data() { return m_data; }

private:
    std::vector<BYTE> m_data;
    std::vector<std::size_t> m_open;
};

struct Pending {
    std::vector<BYTE> data;
    REFERENCE_TIME start = 0;
    REFERENCE_TIME block = 0;
    bool has_time = true;
    bool keyframe = true;
};

struct Entry {
    ULONGLONG offset; // of the chunk header, in the file
    DWORD size;
    bool keyframe;
};

struct Stream {
    bool video = false;
    std::vector<BYTE> format; // the strf contents
    VIDEOINFOHEADER vih {};
    WAVEFORMATEX wfx {};
    std::string name;
    FOURCC ckid = 0;

    ULONGLONG chunks = 0;
    ULONGLONG bytes = 0;
    DWORD max_chunk = 0;
    ULONGLONG first_riff_chunks = 0;
    bool started = false;

    std::deque<Pending> queue;
    REFERENCE_TIME delivered = no_time; // end of what arrived, on the interleave scale
    REFERENCE_TIME next_start = 0; // start of the next sample, for samples without a time
    bool ended = false;

    std::vector<Entry> riff_entries; // this RIFF's chunks, for its standard index
    ULONGLONG riff_units = 0; // stream units in this RIFF
    std::vector<avi::SuperIndexEntry> super;
    std::size_t indx_offset = 0; // of the reserved 'indx' chunk in the header

    REFERENCE_TIME frame_duration() const { return vih.AvgTimePerFrame; }
    bool is_pcm() const { return !video && wfx.wFormatTag == WAVE_FORMAT_PCM; }
    REFERENCE_TIME duration_of(std::size_t size) const
    {
        if (video)
            return std::max<REFERENCE_TIME>(frame_duration(), 0);
        if (wfx.nAvgBytesPerSec == 0)
            return 0;
        return static_cast<REFERENCE_TIME>(static_cast<ULONGLONG>(size) * UNITS / wfx.nAvgBytesPerSec);
    }
    ULONGLONG units_of(ULONGLONG size) const
    {
        if (video)
            return 1;
        return wfx.nBlockAlign ? size / wfx.nBlockAlign : size;
    }
};

}

struct AviWriter::Impl {
    AviWriterOptions options;
    std::vector<Stream> streams;
    int master = -1;

    FileOutput out;
    bool opened = false;
    HRESULT error = S_OK;
    bool open_dml = false;

    // The current RIFF.
    unsigned riff_number = 0;
    ULONGLONG riff_start = 0;
    ULONGLONG movi_start = 0; // of the movi LIST header
    ULONGLONG riff_entries = 0;
    DWORD first_riff_size = 0;
    DWORD first_movi_size = 0;
    std::vector<avi::IndexEntry> idx1;
    std::size_t header_size = 0;

    // Interleaving.
    bool block_set = false;
    REFERENCE_TIME block = 0; // every block before this one has been written
    REFERENCE_TIME latest = no_time;
    std::size_t queued_bytes = 0;
    std::vector<std::vector<BYTE>> spare;

    bool base_set = false;
    REFERENCE_TIME base = 0;

    bool interleaved() const
    {
        return (options.mode == INTERLEAVE_CAPTURE || options.mode == INTERLEAVE_FULL) && streams.size() > 1;
    }

    HRESULT fail(HRESULT hr)
    {
        if (SUCCEEDED(error))
            error = hr;
        return error;
    }

    std::vector<BYTE> build_header();
    HRESULT emit_chunk(Stream& s, const BYTE* data, std::size_t size, bool keyframe);
    HRESULT emit_sample(Stream& s, const BYTE* data, std::size_t size, REFERENCE_TIME start, bool has_time, bool keyframe);
    HRESULT emit_block(REFERENCE_TIME up_to);
    HRESULT schedule(bool force_all);
    HRESULT finish_riff();
    HRESULT begin_riff();
    void settle_base(REFERENCE_TIME candidate);
};

AviWriter::AviWriter()
    : m_impl(std::make_unique<Impl>())
{
}

AviWriter::AviWriter(AviWriterOptions options)
    : AviWriter()
{
    m_impl->options = options;
}

AviWriter::~AviWriter()
{
    if (m_impl->opened)
        close();
}

AviWriterOptions& AviWriter::options() { return m_impl->options; }

int AviWriter::add_video_stream(const VIDEOINFOHEADER& format, std::string name)
{
    return add_video_stream(format, {}, std::move(name));
}

int AviWriter::add_video_stream(const VIDEOINFOHEADER& format, std::span<const BYTE> extra, std::string name)
{
    auto& impl = *m_impl;
    if (impl.opened || impl.streams.size() >= 100)
        return -1;
    const auto& bmi = format.bmiHeader;
    if (bmi.biSize < sizeof(BITMAPINFOHEADER) || bmi.biWidth <= 0 || bmi.biHeight == 0 || format.AvgTimePerFrame < 0)
        return -1;
    Stream s;
    s.video = true;
    s.vih = format;
    s.vih.bmiHeader.biSize = static_cast<DWORD>(sizeof(BITMAPINFOHEADER) + extra.size());
    s.format.resize(sizeof(BITMAPINFOHEADER));
    std::memcpy(s.format.data(), &s.vih.bmiHeader, sizeof(BITMAPINFOHEADER));
    s.format.insert(s.format.end(), extra.begin(), extra.end());
    s.name = std::move(name);
    unsigned number = static_cast<unsigned>(impl.streams.size());
    s.ckid = bmi.biCompression == BI_RGB ? avi::chunk_id(number, 'd', 'b') : avi::chunk_id(number, 'd', 'c');
    impl.streams.push_back(std::move(s));
    return static_cast<int>(number);
}

int AviWriter::add_audio_stream(const WAVEFORMATEX& format, std::span<const BYTE> extra, std::string name)
{
    auto& impl = *m_impl;
    if (impl.opened || impl.streams.size() >= 100)
        return -1;
    if (format.nChannels == 0 || format.nSamplesPerSec == 0 || format.nBlockAlign == 0 || format.nAvgBytesPerSec == 0)
        return -1;
    if (extra.size() != format.cbSize)
        return -1;
    if (format.wFormatTag == WAVE_FORMAT_PCM
        && (format.wBitsPerSample == 0 || format.nBlockAlign != format.nChannels * ((format.wBitsPerSample + 7) / 8)
            || format.nAvgBytesPerSec != format.nSamplesPerSec * format.nBlockAlign))
        return -1;
    Stream s;
    s.wfx = format;
    s.format.resize(sizeof(WAVEFORMATEX));
    std::memcpy(s.format.data(), &format, sizeof(WAVEFORMATEX));
    s.format.insert(s.format.end(), extra.begin(), extra.end());
    s.name = std::move(name);
    unsigned number = static_cast<unsigned>(impl.streams.size());
    s.ckid = avi::chunk_id(number, 'w', 'b');
    impl.streams.push_back(std::move(s));
    return static_cast<int>(number);
}

void AviWriter::set_master_stream(int stream) { m_impl->master = stream; }

int AviWriter::master_stream() const { return m_impl->master; }

int AviWriter::stream_count() const { return static_cast<int>(m_impl->streams.size()); }

bool AviWriter::is_open() const { return m_impl->opened; }

HRESULT AviWriter::error() const { return m_impl->error; }

ULONGLONG AviWriter::chunks(int stream) const
{
    if (stream < 0 || stream >= stream_count())
        return 0;
    return m_impl->streams[static_cast<std::size_t>(stream)].chunks;
}

AviWriterStats AviWriter::stats() const
{
    AviWriterStats stats;
    stats.file_bytes = m_impl->out.is_open() ? m_impl->out.position() : 0;
    stats.riffs = m_impl->opened ? m_impl->riff_number + 1 : 0;
    stats.open_dml = m_impl->open_dml;
    return stats;
}

std::vector<BYTE> AviWriter::Impl::build_header()
{
    // Video timing, rewritten from the master sound stream when there is one.
    struct Timing {
        DWORD scale;
        DWORD rate;
    };
    std::vector<Timing> timing(streams.size());
    const Stream* sound_master = nullptr;
    if (master >= 0 && static_cast<std::size_t>(master) < streams.size()) {
        const auto& m = streams[static_cast<std::size_t>(master)];
        if (!m.video && m.bytes > 0)
            sound_master = &m;
    }
    for (std::size_t i = 0; i < streams.size(); ++i) {
        const auto& s = streams[i];
        if (!s.video) {
            timing[i] = { s.wfx.nBlockAlign, s.wfx.nAvgBytesPerSec };
            continue;
        }
        ULONGLONG scale = static_cast<ULONGLONG>(std::max<REFERENCE_TIME>(s.frame_duration(), 1));
        ULONGLONG rate = UNITS;
        if (sound_master && s.chunks > 0) {
            // Frame period = sound bytes / (bytes per second * frames).
            scale = sound_master->bytes;
            rate = static_cast<ULONGLONG>(sound_master->wfx.nAvgBytesPerSec) * s.chunks;
        }
        auto g = std::gcd(scale, rate);
        scale /= g;
        rate /= g;
        if (scale > 0xFFFFFFFFull || rate > 0xFFFFFFFFull) {
            scale = std::max<ULONGLONG>(1, (scale * UNITS + rate / 2) / rate);
            rate = UNITS;
            g = std::gcd(scale, rate);
            scale /= g;
            rate /= g;
        }
        timing[i] = { static_cast<DWORD>(scale), static_cast<DWORD>(rate) };
    }

    const Stream* first_video = nullptr;
    std::size_t first_video_index = 0;
    for (std::size_t i = 0; i < streams.size(); ++i) {
        if (streams[i].video) {
            first_video = &streams[i];
            first_video_index = i;
            break;
        }
    }

    avi::MainHeader main {};
    ULONGLONG max_bytes_per_second = 0;
    DWORD suggested = 0;
    for (std::size_t i = 0; i < streams.size(); ++i) {
        const auto& s = streams[i];
        suggested = std::max(suggested, s.max_chunk);
        if (s.video)
            max_bytes_per_second += static_cast<ULONGLONG>(s.max_chunk) * timing[i].rate / std::max<DWORD>(timing[i].scale, 1);
        else
            max_bytes_per_second += s.wfx.nAvgBytesPerSec;
    }
    if (first_video) {
        const auto& t = timing[first_video_index];
        main.dwMicroSecPerFrame = clamp32((static_cast<ULONGLONG>(t.scale) * 1000000 + t.rate / 2) / t.rate);
        main.dwTotalFrames = clamp32(open_dml ? first_video->first_riff_chunks : first_video->chunks);
        main.dwWidth = static_cast<DWORD>(first_video->vih.bmiHeader.biWidth);
        main.dwHeight = static_cast<DWORD>(std::abs(first_video->vih.bmiHeader.biHeight));
    } else if (!streams.empty()) {
        const auto& s = streams.front();
        ULONGLONG chunks_total = open_dml ? s.first_riff_chunks : s.chunks;
        main.dwTotalFrames = clamp32(chunks_total);
        if (s.chunks > 0)
            main.dwMicroSecPerFrame = clamp32(s.bytes * 1000000 / s.wfx.nAvgBytesPerSec / s.chunks);
    }
    main.dwMaxBytesPerSec = clamp32(max_bytes_per_second);
    main.dwFlags = avi::AVIF_TRUSTCKTYPE;
    if (options.compatibility_index)
        main.dwFlags |= avi::AVIF_HASINDEX;
    if (options.mode == INTERLEAVE_CAPTURE || options.mode == INTERLEAVE_FULL)
        main.dwFlags |= avi::AVIF_ISINTERLEAVED;
    main.dwStreams = static_cast<DWORD>(streams.size());
    main.dwSuggestedBufferSize = suggested ? suggested + 8 : 0;

    Bytes b;
    b.begin(avi::RIFF, avi::AVI_);
    b.begin(avi::LIST, avi::hdrl);
    b.chunk(avi::avih, &main, sizeof(main));
    for (std::size_t i = 0; i < streams.size(); ++i) {
        auto& s = streams[i];
        avi::StreamHeader sh {};
        sh.dwScale = timing[i].scale;
        sh.dwRate = timing[i].rate;
        sh.dwQuality = 0xFFFFFFFFu;
        sh.dwSuggestedBufferSize = s.max_chunk;
        if (s.video) {
            const auto& bmi = s.vih.bmiHeader;
            sh.fccType = avi::vids;
            sh.fccHandler = bmi.biCompression > BI_BITFIELDS ? bmi.biCompression : 0;
            sh.dwLength = clamp32(s.chunks);
            sh.rcFrame.right = static_cast<SHORT>(bmi.biWidth);
            sh.rcFrame.bottom = static_cast<SHORT>(std::abs(bmi.biHeight));
        } else {
            sh.fccType = avi::auds;
            sh.dwLength = clamp32(s.units_of(s.bytes));
            sh.dwSampleSize = s.wfx.nBlockAlign;
        }
        b.begin(avi::LIST, avi::strl);
        b.chunk(avi::strh, &sh, sizeof(sh));
        b.chunk(avi::strf, s.format.data(), s.format.size());
        if (!s.name.empty())
            b.chunk(avi::strn, s.name.c_str(), s.name.size() + 1);
        // Room for the super index; a 'JUNK' chunk until the file is OpenDML.
        s.indx_offset = b.size();
        avi::SuperIndexHeader ih {};
        ih.wLongsPerEntry = 4;
        ih.bIndexType = avi::AVI_INDEX_OF_INDEXES;
        ih.nEntriesInUse = static_cast<DWORD>(s.super.size());
        ih.dwChunkId = s.ckid;
        b.begin(open_dml ? avi::indx : avi::JUNK);
        b.raw(&ih, sizeof(ih));
        b.raw(s.super.data(), s.super.size() * sizeof(avi::SuperIndexEntry));
        std::size_t unused = options.max_riffs > s.super.size() ? options.max_riffs - s.super.size() : 0;
        b.zeros(unused * sizeof(avi::SuperIndexEntry));
        b.end();
        b.end();
    }
    avi::ExtendedHeader dml {};
    dml.dwTotalFrames = first_video ? clamp32(first_video->chunks) : main.dwTotalFrames;
    b.begin(avi::LIST, avi::odml);
    b.chunk(avi::dmlh, &dml, sizeof(dml));
    b.end();
    b.end(); // hdrl
    // The movi list header closes the header; sizes are those of the first RIFF.
    b.u32(avi::LIST);
    b.u32(first_movi_size);
    b.u32(avi::movi);
    auto& bytes = b.data();
    std::memcpy(bytes.data() + 4, &first_riff_size, 4);
    return std::move(bytes);
}

HRESULT AviWriter::open(const std::string& path)
{
    auto& impl = *m_impl;
    if (impl.opened)
        return E_UNEXPECTED;
    if (impl.streams.empty() || impl.options.interleave <= 0 || impl.options.preroll < 0 || impl.options.max_riffs == 0
        || impl.options.riff_limit < 4096)
        return E_INVALIDARG;
    impl.error = S_OK;
    if (auto hr = impl.out.open(path, impl.options.buffer_size); FAILED(hr))
        return hr;
    impl.opened = true;
    impl.open_dml = !impl.options.compatibility_index;
    auto header = impl.build_header();
    impl.header_size = header.size();
    impl.riff_start = 0;
    impl.movi_start = header.size() - 12;
    impl.out.write(header.data(), header.size());
    return impl.fail(impl.out.error());
}

void AviWriter::Impl::settle_base(REFERENCE_TIME candidate)
{
    if (base_set)
        return;
    base = candidate;
    for (const auto& s : streams)
        if (!s.queue.empty() && s.queue.front().has_time)
            base = std::min(base, s.queue.front().start);
    base_set = true;
}

HRESULT AviWriter::Impl::emit_chunk(Stream& s, const BYTE* data, std::size_t size, bool keyframe)
{
    if (FAILED(error))
        return error;
    if (size > 0x7FFFFFF0u)
        return fail(E_INVALIDARG);
    std::size_t padded = size + (size & 1);
    // Would this chunk, with the indexes still to come, push the RIFF past its limit?
    ULONGLONG projected = out.position() - riff_start + 8 + padded + 24 * (riff_entries + 1) + 32 * streams.size() + 16;
    if (riff_entries > 0 && projected > options.riff_limit) {
        if (riff_number + 1 >= options.max_riffs)
            return fail(E_FAIL);
        open_dml = true;
        if (auto hr = finish_riff(); FAILED(hr))
            return hr;
        if (auto hr = begin_riff(); FAILED(hr))
            return hr;
    }
    ULONGLONG offset = out.position();
    DWORD header[2] = { s.ckid, static_cast<DWORD>(size) };
    static const BYTE pad = 0;
    out.write(header, sizeof(header), data, size, &pad, size & 1);
    if (FAILED(out.error()))
        return fail(out.error());
    s.riff_entries.push_back({ offset, static_cast<DWORD>(size), keyframe });
    ++riff_entries;
    if (riff_number == 0 && options.compatibility_index)
        idx1.push_back({ s.ckid, keyframe ? avi::AVIIF_KEYFRAME : 0u, static_cast<DWORD>(offset - (movi_start + 8)), static_cast<DWORD>(size) });
    ++s.chunks;
    s.bytes += size;
    auto units = s.units_of(size);
    s.riff_units += s.video ? 1 : units;
    s.max_chunk = std::max(s.max_chunk, static_cast<DWORD>(size));
    return S_OK;
}

HRESULT AviWriter::Impl::emit_sample(Stream& s, const BYTE* data, std::size_t size, REFERENCE_TIME start, bool has_time, bool keyframe)
{
    settle_base(has_time ? start : std::numeric_limits<REFERENCE_TIME>::max());
    if (s.video && has_time && s.frame_duration() > 0) {
        auto fd = s.frame_duration();
        auto slot = floor_div(start - base + fd / 2, fd);
        if (slot > static_cast<REFERENCE_TIME>(s.chunks) && (slot - static_cast<REFERENCE_TIME>(s.chunks)) * fd <= max_gap) {
            while (static_cast<REFERENCE_TIME>(s.chunks) < slot)
                if (auto hr = emit_chunk(s, nullptr, 0, false); FAILED(hr))
                    return hr;
        }
    }
    if (!s.started && s.is_pcm() && has_time && start > base && start - base <= max_gap) {
        auto blocks = static_cast<ULONGLONG>(start - base) * s.wfx.nSamplesPerSec / UNITS;
        if (blocks > 0) {
            std::vector<BYTE> silence(blocks * s.wfx.nBlockAlign, s.wfx.wBitsPerSample == 8 ? 0x80 : 0);
            if (auto hr = emit_chunk(s, silence.data(), silence.size(), true); FAILED(hr))
                return hr;
        }
    }
    s.started = true;
    return emit_chunk(s, data, size, keyframe);
}

HRESULT AviWriter::write(int stream, std::span<const BYTE> data, REFERENCE_TIME start, bool has_time, bool keyframe)
{
    auto& impl = *m_impl;
    if (!impl.opened)
        return E_UNEXPECTED;
    if (stream < 0 || stream >= stream_count())
        return E_INVALIDARG;
    if (FAILED(impl.error))
        return impl.error;
    auto& s = impl.streams[static_cast<std::size_t>(stream)];
    if (s.ended)
        return E_UNEXPECTED;
    if (!has_time)
        start = s.next_start;
    auto duration = s.duration_of(data.size());
    s.next_start = start + duration;
    auto key = start - (s.video ? 0 : impl.options.preroll);
    s.delivered = std::max(s.delivered, key + duration);
    impl.latest = std::max(impl.latest, s.delivered);

    if (!impl.interleaved())
        return impl.emit_sample(s, data.data(), data.size(), start, has_time, keyframe);

    auto block = floor_div(key, impl.options.interleave);
    if (impl.block_set && block < impl.block)
        return impl.emit_sample(s, data.data(), data.size(), start, has_time, keyframe);
    // Capture: the open block is written as it arrives, straight from the caller's memory.
    if (impl.options.mode == INTERLEAVE_CAPTURE && impl.queued_bytes == 0 && impl.block_set && block == impl.block
        && std::all_of(impl.streams.begin(), impl.streams.end(), [](const Stream& t) { return t.queue.empty(); }))
        return impl.emit_sample(s, data.data(), data.size(), start, has_time, keyframe);

    Pending p;
    if (!impl.spare.empty()) {
        p.data = std::move(impl.spare.back());
        impl.spare.pop_back();
    }
    p.data.assign(data.begin(), data.end());
    p.start = start;
    p.block = block;
    p.has_time = has_time;
    p.keyframe = keyframe;
    impl.queued_bytes += data.size();
    s.queue.push_back(std::move(p));
    return impl.schedule(false);
}

HRESULT AviWriter::Impl::emit_block(REFERENCE_TIME up_to)
{
    // Sound of the block first, then its video.
    for (int pass = 0; pass < 2; ++pass) {
        for (auto& s : streams) {
            if (s.video != (pass == 1))
                continue;
            while (!s.queue.empty() && s.queue.front().block <= up_to) {
                auto p = std::move(s.queue.front());
                s.queue.pop_front();
                queued_bytes -= p.data.size();
                auto hr = emit_sample(s, p.data.data(), p.data.size(), p.start, p.has_time, p.keyframe);
                if (spare.size() < max_spare_buffers)
                    spare.push_back(std::move(p.data));
                if (FAILED(hr))
                    return hr;
            }
        }
    }
    return S_OK;
}

HRESULT AviWriter::Impl::schedule(bool force_all)
{
    for (;;) {
        REFERENCE_TIME first = std::numeric_limits<REFERENCE_TIME>::max();
        for (const auto& s : streams)
            if (!s.queue.empty())
                first = std::min(first, s.queue.front().block);
        if (first == std::numeric_limits<REFERENCE_TIME>::max())
            return S_OK;
        if (!block_set || first > block) {
            block = first;
            block_set = true;
        }
        if (options.mode == INTERLEAVE_CAPTURE && first <= block) {
            if (auto hr = emit_block(block); FAILED(hr))
                return hr;
            continue;
        }
        bool write_now = force_all || queued_bytes > options.queue_limit;
        if (!write_now) {
            REFERENCE_TIME frontier = std::numeric_limits<REFERENCE_TIME>::max();
            for (const auto& s : streams)
                if (!s.ended)
                    frontier = std::min(frontier, s.delivered);
            if (options.mode == INTERLEAVE_CAPTURE && latest != no_time)
                frontier = std::max(frontier, latest - options.interleave);
            write_now = frontier != no_time && (block + 1) * options.interleave <= frontier;
        }
        if (!write_now)
            return S_OK;
        if (auto hr = emit_block(block); FAILED(hr))
            return hr;
        ++block;
    }
}

HRESULT AviWriter::end_of_stream(int stream)
{
    auto& impl = *m_impl;
    if (!impl.opened)
        return E_UNEXPECTED;
    if (stream < 0 || stream >= stream_count())
        return E_INVALIDARG;
    impl.streams[static_cast<std::size_t>(stream)].ended = true;
    if (FAILED(impl.error))
        return impl.error;
    return impl.interleaved() ? impl.schedule(false) : S_OK;
}

HRESULT AviWriter::Impl::finish_riff()
{
    if (open_dml) {
        for (std::size_t i = 0; i < streams.size(); ++i) {
            auto& s = streams[i];
            if (s.riff_entries.empty())
                continue;
            if (s.super.size() >= options.max_riffs)
                return fail(E_FAIL);
            ULONGLONG at = out.position();
            avi::StandardIndexHeader ih {};
            ih.wLongsPerEntry = 2;
            ih.bIndexType = avi::AVI_INDEX_OF_CHUNKS;
            ih.nEntriesInUse = static_cast<DWORD>(s.riff_entries.size());
            ih.dwChunkId = s.ckid;
            ih.qwBaseOffset = movi_start;
            std::vector<avi::StandardIndexEntry> entries;
            entries.reserve(s.riff_entries.size());
            for (const auto& e : s.riff_entries)
                entries.push_back({ static_cast<DWORD>(e.offset + 8 - movi_start), e.size | (e.keyframe ? 0u : avi::AVISTDINDEX_DELTAFRAME) });
            DWORD size = static_cast<DWORD>(sizeof(ih) + entries.size() * sizeof(avi::StandardIndexEntry));
            DWORD header[2] = { avi::index_id(static_cast<unsigned>(i)), size };
            out.write(header, sizeof(header), &ih, sizeof(ih), nullptr, 0);
            out.write(entries.data(), entries.size() * sizeof(avi::StandardIndexEntry));
            s.super.push_back({ at, size + 8, static_cast<DWORD>(s.riff_units) });
        }
    }
    for (auto& s : streams) {
        s.riff_entries.clear();
        s.riff_units = 0;
    }
    DWORD movi_size = static_cast<DWORD>(out.position() - movi_start - 8);
    if (riff_number == 0) {
        first_movi_size = movi_size;
        if (options.compatibility_index) {
            DWORD header[2] = { avi::idx1, static_cast<DWORD>(idx1.size() * sizeof(avi::IndexEntry)) };
            out.write(header, sizeof(header), idx1.data(), idx1.size() * sizeof(avi::IndexEntry), nullptr, 0);
            idx1 = {};
        }
        first_riff_size = static_cast<DWORD>(out.position() - riff_start - 8);
        for (auto& s : streams)
            s.first_riff_chunks = s.chunks;
    } else {
        DWORD riff_size = static_cast<DWORD>(out.position() - riff_start - 8);
        out.patch(movi_start + 4, &movi_size, 4);
        out.patch(riff_start + 4, &riff_size, 4);
    }
    return fail(out.error());
}

HRESULT AviWriter::Impl::begin_riff()
{
    open_dml = true;
    ++riff_number;
    riff_entries = 0;
    riff_start = out.position();
    movi_start = riff_start + 12;
    DWORD header[6] = { avi::RIFF, 0, avi::AVIX, avi::LIST, 0, avi::movi };
    out.write(header, sizeof(header));
    return fail(out.error());
}

HRESULT AviWriter::close()
{
    auto& impl = *m_impl;
    if (!impl.opened)
        return E_UNEXPECTED;
    if (SUCCEEDED(impl.error))
        impl.schedule(true);
    if (SUCCEEDED(impl.error))
        impl.finish_riff();
    if (SUCCEEDED(impl.error)) {
        auto header = impl.build_header();
        if (header.size() != impl.header_size)
            impl.fail(E_UNEXPECTED);
        else
            impl.out.patch(0, header.data(), header.size());
        impl.fail(impl.out.error());
    }
    impl.fail(impl.out.close());
    impl.opened = false;
    for (auto& s : impl.streams)
        s.queue.clear();
    impl.queued_bytes = 0;
    return impl.error;
}

}
