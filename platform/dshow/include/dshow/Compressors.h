#pragma once

// The compressors of the system device enumerator's compressor categories: filters with one
// input and one output that turn uncompressed video or PCM sound into a compressed stream, made
// with FFmpeg's libavcodec. Each writes the stream as AVI and WAV readers know it.
//
// CLSID_VideoCompressorCategory:
//   "Motion JPEG Compressor"       'MJPG', every frame a key frame
//   "Huffyuv Lossless Compressor"  'HFYU' (4:2:2, its tables in the format block)
//   "MPEG-4 Video Compressor"      'FMP4' (MPEG-4 part 2, no B-frames, a key frame every second)
// CLSID_AudioCompressorCategory:
//   "IMA ADPCM"                    WAVE_FORMAT_IMA_ADPCM (4 bits a sample, in blocks)
//   "MPEG Layer-3"                 WAVE_FORMAT_MPEGLAYER3 (128 kbit/s stereo, 64 mono)
//
// Inputs: "Input" takes YUY2, RGB24 or RGB32 video with a VIDEOINFOHEADER (even width), or
// 16-bit PCM sound (MPEG Layer-3 at 32, 44.1 or 48 kHz). The output, "Output", can only be
// connected once the input is; its type carries the compressed format. Samples keep their
// times; a video sample is a sync point when its frame is a key frame. Sound is cut into the
// codec's blocks: what is left of a block when the filter stops is dropped.
//
// register_system_filters (SystemFilters.h) lists the five as devices; register_compressor_devices
// lists them again after a test cleared the device list.

#include <com/Guid.h>

DEFINE_GUID(CLSID_MjpegCompressor, 0x0B1A5E10, 0x57A1, 0x4E11, 0x9C, 0x2D, 0x5F, 0x11, 0xE0, 0x21, 0x7A, 0x10);
DEFINE_GUID(CLSID_HuffyuvCompressor, 0x0B1A5E11, 0x57A1, 0x4E11, 0x9C, 0x2D, 0x5F, 0x11, 0xE0, 0x21, 0x7A, 0x11);
DEFINE_GUID(CLSID_Mpeg4Compressor, 0x0B1A5E12, 0x57A1, 0x4E11, 0x9C, 0x2D, 0x5F, 0x11, 0xE0, 0x21, 0x7A, 0x12);
DEFINE_GUID(CLSID_ImaAdpcmCompressor, 0x0B1A5E13, 0x57A1, 0x4E11, 0x9C, 0x2D, 0x5F, 0x11, 0xE0, 0x21, 0x7A, 0x13);
DEFINE_GUID(CLSID_Mp3Compressor, 0x0B1A5E14, 0x57A1, 0x4E11, 0x9C, 0x2D, 0x5F, 0x11, 0xE0, 0x21, 0x7A, 0x14);

#define WAVE_FORMAT_IMA_ADPCM 0x0011
#define WAVE_FORMAT_MPEGLAYER3 0x0055

namespace dshow {

// Registers the compressor classes with com.
void register_compressors();
// Lists the compressors in their two categories (replacing an earlier listing).
void register_compressor_devices();

}
