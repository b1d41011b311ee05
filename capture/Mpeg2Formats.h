#pragma once

// The media types of the MPEG-2 chain's demultiplexer outputs, as constant tables of the
// program: "MpegVideo" carries MPEG-2 video of 720 x 480 at 29.97 frames/s (an MPEG2VIDEOINFO
// block with its sequence header, 218 bytes), "MpegAudio" MPEG audio layer II at 48 kHz, stereo,
// 256 kbit/s (an MPEG1WAVEFORMAT block, 40 bytes). The types point at the tables; the
// demultiplexer copies them when it makes its pins.
//
//     AM_MEDIA_TYPE video = Mpeg2VideoType();
//     demux->CreateOutputPin(&video, name, &pin);

#include <dshow/MediaType.h>

AM_MEDIA_TYPE Mpeg2VideoType();
AM_MEDIA_TYPE Mpeg2AudioType();
