#include <dshow/AviReader.h>
#include <dshow/AviWriter.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace dshow {

double AviStreamInfo::duration_seconds() const
{
    if (header.dwRate == 0)
        return 0;
    ULONGLONG units = video ? chunks : (header.dwSampleSize ? bytes / header.dwSampleSize : chunks);
    return static_cast<double>(units) * header.dwScale / header.dwRate;
}

namespace {

std::string fourcc_text(FOURCC id)
{
    std::string text;
    for (int i = 0; i < 4; ++i) {
        char c = static_cast<char>((id >> (8 * i)) & 0xFF);
        text += (c >= 32 && c < 127) ? c : '?';
    }
    return "'" + text + "'";
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

}

struct AviReader::Walk {
    explicit Walk(AviReader& owner)
        : reader(owner)
    {
    }
    AviReader& reader;
    int fd = -1;
    ULONGLONG size = 0;

    struct IxChunk {
        unsigned stream;
        DWORD size;
        bool referenced = false;
    };
    std::map<ULONGLONG, IxChunk> ix_chunks; // by header offset
    std::vector<std::vector<avi::SuperIndexEntry>> super;
    std::vector<ULONGLONG> first_riff_chunks;
    ULONGLONG movi0_fourcc = 0;
    bool seen_movi0 = false;

    ~Walk()
    {
        if (fd >= 0)
            ::close(fd);
    }

    bool read_at(ULONGLONG offset, void* out, std::size_t n) const
    {
        if (offset + n > size)
            return false;
        std::size_t done = 0;
        while (done < n) {
            ssize_t got = ::pread(fd, static_cast<char*>(out) + done, n - done, static_cast<off_t>(offset + done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return false;
            done += static_cast<std::size_t>(got);
        }
        return true;
    }

    // The chunk header at `at` inside [.., end): its id, size, and where the next chunk starts.
    HRESULT chunk(ULONGLONG at, ULONGLONG end, FOURCC& id, DWORD& chunk_size, ULONGLONG& next)
    {
        DWORD h[2];
        if (at + 8 > end || !read_at(at, h, 8))
            return reader.invalid("truncated chunk header at " + std::to_string(at));
        id = h[0];
        chunk_size = h[1];
        next = at + 8 + chunk_size + (chunk_size & 1);
        if (at + 8 + chunk_size > end)
            return reader.invalid(fourcc_text(id) + " at " + std::to_string(at) + " leaves its parent");
        if (next > end)
            next = end; // a final odd chunk may end without its pad byte only at the end of its parent
        return S_OK;
    }

    // Visits each chunk in [begin, end) in order with its offset, id and size; the first failure,
    // of a header or of `visit`, ends the walk and is the result.
    template<typename Visit>
    HRESULT each_chunk(ULONGLONG begin, ULONGLONG end, Visit visit)
    {
        for (ULONGLONG at = begin; at < end;) {
            FOURCC id;
            DWORD n;
            ULONGLONG next;
            if (auto hr = chunk(at, end, id, n, next); FAILED(hr))
                return hr;
            if (auto hr = visit(at, id, n); FAILED(hr))
                return hr;
            at = next;
        }
        return S_OK;
    }

    HRESULT list_type(ULONGLONG at, DWORD chunk_size, FOURCC& type)
    {
        if (chunk_size < 4 || !read_at(at + 8, &type, 4))
            return reader.invalid("LIST without a type at " + std::to_string(at));
        return S_OK;
    }

    HRESULT strl(ULONGLONG begin, ULONGLONG end)
    {
        AviStreamInfo info;
        unsigned index = static_cast<unsigned>(reader.m_streams.size());
        bool have_strh = false, have_strf = false;
        std::vector<avi::SuperIndexEntry> entries;
        HRESULT walked = each_chunk(begin, end, [&](ULONGLONG at, FOURCC id, DWORD n) -> HRESULT {
            if (id == avi::strh) {
                if (have_strh || n < 48 || n > sizeof(avi::StreamHeader))
                    return reader.invalid("bad strh in stream " + std::to_string(index));
                read_at(at + 8, &info.header, n);
                have_strh = true;
            } else if (id == avi::strf) {
                if (!have_strh || have_strf)
                    return reader.invalid("strf out of place in stream " + std::to_string(index));
                info.format.resize(n);
                if (!read_at(at + 8, info.format.data(), n))
                    return reader.invalid("unreadable strf");
                have_strf = true;
            } else if (id == avi::strn) {
                std::string name(n, '\0');
                read_at(at + 8, name.data(), n);
                if (auto nul = name.find('\0'); nul != std::string::npos)
                    name.resize(nul);
                else
                    return reader.invalid("strn without NUL in stream " + std::to_string(index));
                info.name = name;
            } else if (id == avi::indx) {
                avi::SuperIndexHeader h {};
                if (n < sizeof(h) || !read_at(at + 8, &h, sizeof(h)))
                    return reader.invalid("short indx");
                if (h.wLongsPerEntry != 4 || h.bIndexType != avi::AVI_INDEX_OF_INDEXES
                    || sizeof(h) + static_cast<ULONGLONG>(h.nEntriesInUse) * sizeof(avi::SuperIndexEntry) > n)
                    return reader.invalid("bad indx header in stream " + std::to_string(index));
                entries.resize(h.nEntriesInUse);
                read_at(at + 8 + sizeof(h), entries.data(), entries.size() * sizeof(avi::SuperIndexEntry));
                info.super_index = true;
                info.chunk_id = h.dwChunkId;
            } else if (id != avi::JUNK && id != MAKEFOURCC('s', 't', 'r', 'd') && id != MAKEFOURCC('v', 'p', 'r', 'p')) {
                return reader.invalid("unexpected " + fourcc_text(id) + " in strl");
            }
            return S_OK;
        });
        if (FAILED(walked))
            return walked;
        if (!have_strh || !have_strf)
            return reader.invalid("stream " + std::to_string(index) + " lacks strh or strf");
        const auto& sh = info.header;
        if (sh.dwScale == 0 || sh.dwRate == 0)
            return reader.invalid("stream " + std::to_string(index) + " has no rate");
        if (sh.fccType == avi::vids) {
            info.video = true;
            if (info.format.size() < sizeof(BITMAPINFOHEADER))
                return reader.invalid("video strf shorter than BITMAPINFOHEADER");
            std::memcpy(&info.bitmap, info.format.data(), sizeof(BITMAPINFOHEADER));
            if (info.bitmap.biSize < sizeof(BITMAPINFOHEADER) || info.bitmap.biSize > info.format.size() || info.bitmap.biWidth <= 0
                || info.bitmap.biHeight == 0)
                return reader.invalid("bad BITMAPINFOHEADER in stream " + std::to_string(index));
        } else if (sh.fccType == avi::auds) {
            if (info.format.size() < 16)
                return reader.invalid("sound strf shorter than a PCM format");
            std::memcpy(&info.wave, info.format.data(), std::min<std::size_t>(info.format.size(), sizeof(WAVEFORMATEX)));
            if (info.format.size() < sizeof(WAVEFORMATEX))
                info.wave.cbSize = 0;
            else if (sizeof(WAVEFORMATEX) + info.wave.cbSize > info.format.size())
                return reader.invalid("WAVEFORMATEX cbSize passes strf");
            const auto& w = info.wave;
            if (w.nChannels == 0 || w.nSamplesPerSec == 0 || w.nBlockAlign == 0)
                return reader.invalid("bad WAVEFORMATEX in stream " + std::to_string(index));
            if (w.wFormatTag == WAVE_FORMAT_PCM) {
                if (w.nBlockAlign != w.nChannels * ((w.wBitsPerSample + 7) / 8) || w.nAvgBytesPerSec != w.nSamplesPerSec * w.nBlockAlign)
                    return reader.invalid("inconsistent PCM format in stream " + std::to_string(index));
                if (sh.dwSampleSize != w.nBlockAlign || sh.dwScale != w.nBlockAlign || sh.dwRate != w.nAvgBytesPerSec)
                    return reader.invalid("PCM stream header rate does not match its format");
            }
        } else {
            return reader.invalid("stream " + std::to_string(index) + " of unknown type " + fourcc_text(sh.fccType));
        }
        reader.m_has_super_index = reader.m_has_super_index || info.super_index;
        reader.m_streams.push_back(std::move(info));
        super.push_back(std::move(entries));
        return S_OK;
    }

    HRESULT hdrl(ULONGLONG begin, ULONGLONG end)
    {
        bool have_avih = false;
        HRESULT walked = each_chunk(begin, end, [&](ULONGLONG at, FOURCC id, DWORD n) -> HRESULT {
            if (id == avi::avih) {
                if (have_avih || at != begin || n != sizeof(avi::MainHeader))
                    return reader.invalid("avih must come first and hold 56 bytes");
                read_at(at + 8, &reader.m_main, sizeof(avi::MainHeader));
                have_avih = true;
            } else if (id == avi::LIST) {
                FOURCC type;
                if (auto hr = list_type(at, n, type); FAILED(hr))
                    return hr;
                if (type == avi::strl) {
                    if (!have_avih)
                        return reader.invalid("strl before avih");
                    if (auto hr = strl(at + 12, at + 8 + n); FAILED(hr))
                        return hr;
                } else if (type == avi::odml) {
                    FOURCC sub;
                    DWORD sub_size;
                    ULONGLONG sub_next;
                    if (auto hr = chunk(at + 12, at + 8 + n, sub, sub_size, sub_next); FAILED(hr))
                        return hr;
                    if (sub != avi::dmlh || sub_size < 4)
                        return reader.invalid("odml without dmlh");
                    read_at(at + 20, &reader.m_dml_total_frames, 4);
                } else if (type != MAKEFOURCC('I', 'N', 'F', 'O')) {
                    return reader.invalid("unexpected LIST " + fourcc_text(type) + " in hdrl");
                }
            } else if (id != avi::JUNK) {
                return reader.invalid("unexpected " + fourcc_text(id) + " in hdrl");
            }
            return S_OK;
        });
        if (FAILED(walked))
            return walked;
        if (!have_avih)
            return reader.invalid("no avih");
        if (reader.m_main.dwStreams != reader.m_streams.size())
            return reader.invalid("avih counts " + std::to_string(reader.m_main.dwStreams) + " streams, hdrl holds "
                + std::to_string(reader.m_streams.size()));
        first_riff_chunks.assign(reader.m_streams.size(), 0);
        return S_OK;
    }

    HRESULT movi(ULONGLONG begin, ULONGLONG end, unsigned riff)
    {
        return each_chunk(begin, end, [&](ULONGLONG at, FOURCC id, DWORD n) -> HRESULT {
            char c[4] = { static_cast<char>(id), static_cast<char>(id >> 8), static_cast<char>(id >> 16), static_cast<char>(id >> 24) };
            if (id == avi::LIST) {
                FOURCC type;
                if (auto hr = list_type(at, n, type); FAILED(hr))
                    return hr;
                if (type != avi::rec_)
                    return reader.invalid("unexpected LIST " + fourcc_text(type) + " in movi");
                if (auto hr = movi(at + 12, at + 8 + n, riff); FAILED(hr))
                    return hr;
            } else if (id == avi::JUNK) {
            } else if (c[0] == 'i' && c[1] == 'x' && is_digit(c[2]) && is_digit(c[3])) {
                unsigned stream = static_cast<unsigned>((c[2] - '0') * 10 + (c[3] - '0'));
                if (stream >= reader.m_streams.size())
                    return reader.invalid(fourcc_text(id) + " of no stream");
                ix_chunks[at] = { stream, n };
            } else if (is_digit(c[0]) && is_digit(c[1])) {
                unsigned stream = static_cast<unsigned>((c[0] - '0') * 10 + (c[1] - '0'));
                if (stream >= reader.m_streams.size())
                    return reader.invalid("chunk " + fourcc_text(id) + " of no stream");
                auto& info = reader.m_streams[stream];
                bool type_ok = info.video ? (c[2] == 'd' && (c[3] == 'c' || c[3] == 'b')) : (c[2] == 'w' && c[3] == 'b');
                if (!type_ok)
                    return reader.invalid("chunk " + fourcc_text(id) + " does not suit its stream");
                if (info.chunk_id == 0)
                    info.chunk_id = id;
                else if (info.chunk_id != id)
                    return reader.invalid("stream " + std::to_string(stream) + " mixes chunk ids");
                reader.m_chunks.push_back({ stream, at + 8, n, true, riff });
                ++info.chunks;
                info.bytes += n;
                if (n == 0)
                    ++info.empty_chunks;
                if (riff == 0)
                    ++first_riff_chunks[stream];
            } else {
                return reader.invalid("unexpected " + fourcc_text(id) + " in movi");
            }
            return S_OK;
        });
    }

    HRESULT index1(ULONGLONG at, DWORD n)
    {
        reader.m_has_idx1 = true;
        if (n % sizeof(avi::IndexEntry))
            return reader.invalid("idx1 size is not a multiple of 16");
        std::vector<avi::IndexEntry> entries(n / sizeof(avi::IndexEntry));
        read_at(at + 8, entries.data(), n);
        std::size_t k = 0;
        for (const auto& e : entries) {
            if (e.dwFlags & avi::AVIIF_LIST)
                continue;
            if (k >= reader.m_chunks.size() || reader.m_chunks[k].riff != 0)
                return reader.invalid("idx1 has more entries than the first movi has chunks");
            auto& c = reader.m_chunks[k];
            ULONGLONG header = movi0_fourcc + e.dwChunkOffset;
            if (header + 8 != c.offset || e.dwChunkLength != c.size || e.ckid != reader.m_streams[c.stream].chunk_id)
                return reader.invalid("idx1 entry " + std::to_string(k) + " does not point at its chunk");
            c.keyframe = (e.dwFlags & avi::AVIIF_KEYFRAME) != 0;
            ++k;
        }
        if (k < reader.m_chunks.size() && reader.m_chunks[k].riff == 0)
            return reader.invalid("idx1 misses chunks of the first movi");
        reader.m_idx1_entries = k;
        return S_OK;
    }

    HRESULT riff(ULONGLONG begin, ULONGLONG end, unsigned number)
    {
        bool have_hdrl = number != 0, have_movi = false;
        HRESULT walked = each_chunk(begin, end, [&](ULONGLONG at, FOURCC id, DWORD n) -> HRESULT {
            if (id == avi::LIST) {
                FOURCC type;
                if (auto hr = list_type(at, n, type); FAILED(hr))
                    return hr;
                if (type == avi::hdrl && number == 0 && !have_hdrl && at == begin) {
                    if (auto hr = hdrl(at + 12, at + 8 + n); FAILED(hr))
                        return hr;
                    have_hdrl = true;
                } else if (type == avi::movi && have_hdrl && !have_movi) {
                    if (number == 0)
                        movi0_fourcc = at + 8;
                    if (auto hr = movi(at + 12, at + 8 + n, number); FAILED(hr))
                        return hr;
                    have_movi = true;
                } else if (type != MAKEFOURCC('I', 'N', 'F', 'O')) {
                    return reader.invalid("unexpected LIST " + fourcc_text(type) + " in RIFF " + std::to_string(number));
                }
            } else if (id == avi::idx1 && number == 0 && have_movi && !reader.m_has_idx1) {
                if (auto hr = index1(at, n); FAILED(hr))
                    return hr;
            } else if (id != avi::JUNK) {
                return reader.invalid("unexpected " + fourcc_text(id) + " in RIFF " + std::to_string(number));
            }
            return S_OK;
        });
        if (FAILED(walked))
            return walked;
        if (!have_hdrl)
            return reader.invalid("no hdrl");
        if (!have_movi)
            return reader.invalid("RIFF " + std::to_string(number) + " has no movi");
        return S_OK;
    }

    HRESULT open_dml_indexes()
    {
        for (unsigned s = 0; s < reader.m_streams.size(); ++s) {
            auto& info = reader.m_streams[s];
            if (!info.super_index) {
                if (reader.m_riffs > 1)
                    return reader.invalid("OpenDML file without indx for stream " + std::to_string(s));
                continue;
            }
            std::vector<std::size_t> mine;
            for (std::size_t k = 0; k < reader.m_chunks.size(); ++k)
                if (reader.m_chunks[k].stream == s)
                    mine.push_back(k);
            std::size_t next = 0;
            ULONGLONG duration = 0;
            for (const auto& e : super[s]) {
                auto found = ix_chunks.find(e.qwOffset);
                if (found == ix_chunks.end() || found->second.stream != s || e.dwSize != found->second.size + 8)
                    return reader.invalid("indx entry of stream " + std::to_string(s) + " does not point at its ix chunk");
                found->second.referenced = true;
                avi::StandardIndexHeader h {};
                read_at(e.qwOffset + 8, &h, sizeof(h));
                if (h.wLongsPerEntry != 2 || h.bIndexType != avi::AVI_INDEX_OF_CHUNKS || h.dwChunkId != info.chunk_id
                    || sizeof(h) + static_cast<ULONGLONG>(h.nEntriesInUse) * 8 > found->second.size)
                    return reader.invalid("bad ix header for stream " + std::to_string(s));
                std::vector<avi::StandardIndexEntry> entries(h.nEntriesInUse);
                read_at(e.qwOffset + 8 + sizeof(h), entries.data(), entries.size() * sizeof(avi::StandardIndexEntry));
                ULONGLONG units = 0;
                for (const auto& entry : entries) {
                    if (next >= mine.size())
                        return reader.invalid("ix of stream " + std::to_string(s) + " indexes more chunks than there are");
                    auto& c = reader.m_chunks[mine[next++]];
                    DWORD size = entry.dwSize & ~avi::AVISTDINDEX_DELTAFRAME;
                    if (h.qwBaseOffset + entry.dwOffset != c.offset || size != c.size)
                        return reader.invalid("ix entry of stream " + std::to_string(s) + " does not point at its chunk");
                    c.keyframe = (entry.dwSize & avi::AVISTDINDEX_DELTAFRAME) == 0;
                    units += info.video ? 1 : (info.header.dwSampleSize ? size / info.header.dwSampleSize : 1);
                }
                if (units != e.dwDuration)
                    return reader.invalid("indx duration of stream " + std::to_string(s) + " does not match its ix");
                duration += units;
            }
            if (next != mine.size())
                return reader.invalid("OpenDML indexes of stream " + std::to_string(s) + " miss chunks");
            (void)duration;
        }
        for (const auto& [offset, ix] : ix_chunks)
            if (!ix.referenced)
                return reader.invalid("ix chunk at " + std::to_string(offset) + " is in no indx");
        return S_OK;
    }

    HRESULT totals()
    {
        const AviStreamInfo* first_video = nullptr;
        unsigned first_video_index = 0;
        for (unsigned s = 0; s < reader.m_streams.size(); ++s) {
            const auto& info = reader.m_streams[s];
            if (info.video) {
                if (!first_video) {
                    first_video = &info;
                    first_video_index = s;
                }
                if (info.header.dwLength != info.chunks)
                    return reader.invalid("video stream " + std::to_string(s) + " claims " + std::to_string(info.header.dwLength)
                        + " frames, holds " + std::to_string(info.chunks));
            } else if (info.header.dwSampleSize) {
                if (info.bytes % info.header.dwSampleSize)
                    return reader.invalid("sound stream " + std::to_string(s) + " holds a partial block");
                if (info.header.dwLength != info.bytes / info.header.dwSampleSize)
                    return reader.invalid("sound stream " + std::to_string(s) + " length does not match its data");
            }
        }
        if (first_video) {
            ULONGLONG expected = reader.m_riffs > 1 ? first_riff_chunks[first_video_index] : first_video->chunks;
            if (reader.m_main.dwTotalFrames != expected)
                return reader.invalid("avih counts " + std::to_string(reader.m_main.dwTotalFrames) + " frames, expected "
                    + std::to_string(expected));
            if (reader.m_dml_total_frames && reader.m_dml_total_frames != first_video->chunks)
                return reader.invalid("dmlh total frames do not match the video");
        }
        if ((reader.m_main.dwFlags & avi::AVIF_HASINDEX) && !reader.m_has_idx1)
            return reader.invalid("AVIF_HASINDEX without idx1");
        return S_OK;
    }
};

HRESULT AviReader::invalid(std::string what)
{
    m_problem = std::move(what);
    return HRESULT_FROM_WIN32(ERROR_BAD_FORMAT);
}

HRESULT AviReader::open(const std::string& path)
{
    *this = AviReader();
    m_path = path;
    Walk walk(*this);
    walk.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (walk.fd < 0) {
        auto hr = errno == ENOENT ? HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) : hresult_from_errno(errno);
        m_problem = "cannot open " + path;
        return hr;
    }
    struct stat st {};
    fstat(walk.fd, &st);
    walk.size = static_cast<ULONGLONG>(st.st_size);
    m_file_size = walk.size;
    ULONGLONG at = 0;
    while (at < walk.size) {
        DWORD h[3];
        if (at + 12 > walk.size || !walk.read_at(at, h, 12))
            return invalid("trailing bytes at " + std::to_string(at));
        if (h[0] != avi::RIFF)
            return invalid("not a RIFF at " + std::to_string(at));
        if (h[2] != (m_riffs == 0 ? avi::AVI_ : avi::AVIX))
            return invalid("RIFF " + std::to_string(m_riffs) + " is of form " + fourcc_text(h[2]));
        ULONGLONG end = at + 8 + h[1];
        if (h[1] < 4 || end > walk.size)
            return invalid("RIFF " + std::to_string(m_riffs) + " passes the end of the file");
        if (auto hr = walk.riff(at + 12, end, m_riffs); FAILED(hr))
            return hr;
        ++m_riffs;
        at = end + (h[1] & 1);
    }
    if (m_riffs == 0)
        return invalid("empty file");
    if (auto hr = walk.open_dml_indexes(); FAILED(hr))
        return hr;
    return walk.totals();
}

std::vector<AviChunk> AviReader::stream_chunks(unsigned stream) const
{
    std::vector<AviChunk> result;
    for (const auto& c : m_chunks)
        if (c.stream == stream)
            result.push_back(c);
    return result;
}

HRESULT AviReader::read_chunk(const AviChunk& chunk, std::vector<BYTE>& out) const
{
    int fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return hresult_from_errno(errno);
    out.resize(chunk.size);
    std::size_t done = 0;
    HRESULT hr = S_OK;
    while (done < chunk.size) {
        ssize_t got = ::pread(fd, out.data() + done, chunk.size - done, static_cast<off_t>(chunk.offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            hr = HRESULT_FROM_WIN32(ERROR_READ_FAULT);
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    ::close(fd);
    return hr;
}

HRESULT AviReader::read_frame(unsigned stream, std::size_t index, std::vector<BYTE>& out) const
{
    std::size_t seen = 0;
    for (const auto& c : m_chunks) {
        if (c.stream != stream)
            continue;
        if (seen++ == index)
            return read_chunk(c, out);
    }
    return E_INVALIDARG;
}

}
