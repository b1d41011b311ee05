#pragma once

// The on-disk structures of RIFF AVI files, with OpenDML (AVI 2.0) indexes, as the writer and the
// reader share them. All fields are little-endian; every structure here has its file layout.
//
// File shape written by dshow::AviWriter:
//     RIFF 'AVI ' { LIST 'hdrl' { avih, LIST 'strl' { strh strf strn indx }..., LIST 'odml' { dmlh } }
//                   LIST 'movi' { 00dc 01wb ... [ix00 ix01] } idx1 }
//     RIFF 'AVIX' { LIST 'movi' { ... ix00 ix01 } } ...

#include <dshow/MediaFormats.h>

namespace dshow::avi {

constexpr FOURCC RIFF = MAKEFOURCC('R', 'I', 'F', 'F');
constexpr FOURCC LIST = MAKEFOURCC('L', 'I', 'S', 'T');
constexpr FOURCC JUNK = MAKEFOURCC('J', 'U', 'N', 'K');
constexpr FOURCC AVI_ = MAKEFOURCC('A', 'V', 'I', ' ');
constexpr FOURCC AVIX = MAKEFOURCC('A', 'V', 'I', 'X');
constexpr FOURCC hdrl = MAKEFOURCC('h', 'd', 'r', 'l');
constexpr FOURCC avih = MAKEFOURCC('a', 'v', 'i', 'h');
constexpr FOURCC strl = MAKEFOURCC('s', 't', 'r', 'l');
constexpr FOURCC strh = MAKEFOURCC('s', 't', 'r', 'h');
constexpr FOURCC strf = MAKEFOURCC('s', 't', 'r', 'f');
constexpr FOURCC strn = MAKEFOURCC('s', 't', 'r', 'n');
constexpr FOURCC indx = MAKEFOURCC('i', 'n', 'd', 'x');
constexpr FOURCC odml = MAKEFOURCC('o', 'd', 'm', 'l');
constexpr FOURCC dmlh = MAKEFOURCC('d', 'm', 'l', 'h');
constexpr FOURCC movi = MAKEFOURCC('m', 'o', 'v', 'i');
constexpr FOURCC rec_ = MAKEFOURCC('r', 'e', 'c', ' ');
constexpr FOURCC idx1 = MAKEFOURCC('i', 'd', 'x', '1');
constexpr FOURCC vids = MAKEFOURCC('v', 'i', 'd', 's');
constexpr FOURCC auds = MAKEFOURCC('a', 'u', 'd', 's');

// Main header flags.
constexpr DWORD AVIF_HASINDEX = 0x10;
constexpr DWORD AVIF_MUSTUSEINDEX = 0x20;
constexpr DWORD AVIF_ISINTERLEAVED = 0x100;
constexpr DWORD AVIF_TRUSTCKTYPE = 0x800;

// idx1 entry flags.
constexpr DWORD AVIIF_LIST = 0x1;
constexpr DWORD AVIIF_KEYFRAME = 0x10;

// OpenDML index types.
constexpr BYTE AVI_INDEX_OF_INDEXES = 0;
constexpr BYTE AVI_INDEX_OF_CHUNKS = 1;
// Set in a standard index entry's size when the chunk is not a key frame.
constexpr DWORD AVISTDINDEX_DELTAFRAME = 0x80000000u;

struct MainHeader {
    DWORD dwMicroSecPerFrame;
    DWORD dwMaxBytesPerSec;
    DWORD dwPaddingGranularity;
    DWORD dwFlags;
    DWORD dwTotalFrames; // video frames in the first RIFF
    DWORD dwInitialFrames;
    DWORD dwStreams;
    DWORD dwSuggestedBufferSize;
    DWORD dwWidth;
    DWORD dwHeight;
    DWORD dwReserved[4];
};
static_assert(sizeof(MainHeader) == 56);

struct StreamHeader {
    FOURCC fccType; // vids or auds
    FOURCC fccHandler;
    DWORD dwFlags;
    WORD wPriority;
    WORD wLanguage;
    DWORD dwInitialFrames;
    DWORD dwScale; // dwRate / dwScale = units per second
    DWORD dwRate;
    DWORD dwStart;
    DWORD dwLength; // in units: frames, or audio blocks
    DWORD dwSuggestedBufferSize;
    DWORD dwQuality;
    DWORD dwSampleSize; // 0 for variable-size chunks (video)
    struct {
        SHORT left;
        SHORT top;
        SHORT right;
        SHORT bottom;
    } rcFrame;
};
static_assert(sizeof(StreamHeader) == 56);

struct IndexEntry {
    DWORD ckid;
    DWORD dwFlags;
    DWORD dwChunkOffset; // of the chunk header, from the 'movi' FourCC
    DWORD dwChunkLength;
};
static_assert(sizeof(IndexEntry) == 16);

#pragma pack(push, 4)
// 'indx': one entry per standard index chunk of the stream.
struct SuperIndexHeader {
    WORD wLongsPerEntry; // 4
    BYTE bIndexSubType;
    BYTE bIndexType; // AVI_INDEX_OF_INDEXES
    DWORD nEntriesInUse;
    DWORD dwChunkId;
    DWORD dwReserved[3];
};
struct SuperIndexEntry {
    ULONGLONG qwOffset; // of the ix## chunk header, from the start of the file
    DWORD dwSize; // of the ix## chunk, header included
    DWORD dwDuration; // stream units covered
};
// 'ix##': one entry per data chunk of one stream within one RIFF.
struct StandardIndexHeader {
    WORD wLongsPerEntry; // 2
    BYTE bIndexSubType;
    BYTE bIndexType; // AVI_INDEX_OF_CHUNKS
    DWORD nEntriesInUse;
    DWORD dwChunkId;
    ULONGLONG qwBaseOffset;
    DWORD dwReserved;
};
struct StandardIndexEntry {
    DWORD dwOffset; // of the chunk data, from qwBaseOffset
    DWORD dwSize; // data size; AVISTDINDEX_DELTAFRAME when not a key frame
};
#pragma pack(pop)
static_assert(sizeof(SuperIndexHeader) == 24);
static_assert(sizeof(SuperIndexEntry) == 16);
static_assert(sizeof(StandardIndexHeader) == 24);
static_assert(sizeof(StandardIndexEntry) == 8);

// 'dmlh'.
struct ExtendedHeader {
    DWORD dwTotalFrames; // video frames of the whole file
    DWORD dwReserved[61];
};
static_assert(sizeof(ExtendedHeader) == 248);

// "00dc", "01wb": the chunk id of a stream's data.
constexpr FOURCC chunk_id(unsigned stream, char c, char d)
{
    return MAKEFOURCC(static_cast<char>('0' + (stream / 10) % 10), static_cast<char>('0' + stream % 10), c, d);
}
// "ix00".
constexpr FOURCC index_id(unsigned stream) { return MAKEFOURCC('i', 'x', static_cast<char>('0' + (stream / 10) % 10), static_cast<char>('0' + stream % 10)); }

}
