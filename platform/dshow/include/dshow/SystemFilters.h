#pragma once

// The system filters a capture or preview graph is made of, registered with com under their
// standard class ids: the Smart Tee (SmartTee.h), the AVI multiplexer (AviMux.h), the file
// writer (FileWriter.h), the WAV multiplexer (WavDest.h), the audio renderers (AudioRenderer.h),
// the video renderer (VideoRenderer.h) and the compressors (Compressors.h), which it also lists
// in their device categories.
//
// dshow::register_classes() (FilterGraph.h) calls register_system_filters(); it also makes the
// DirectSound renderer and the video renderer available to Render and lists both audio
// renderers as devices of CLSID_AudioRendererCategory ("Default DirectSound Device", "Default WaveOut Device").
// Virtual hardware that cleared the device list calls register_audio_renderer_devices() again.

#include <com/Guid.h>

DEFINE_GUID(CLSID_SmartTee, 0xCC58E280, 0x8AA1, 0x11D1, 0xB3, 0xF1, 0x00, 0xAA, 0x00, 0x37, 0x61, 0xC5);
DEFINE_GUID(CLSID_AviDest, 0xE2510970, 0xF137, 0x11CE, 0x8B, 0x67, 0x00, 0xAA, 0x00, 0xA3, 0xF1, 0xA6);
DEFINE_GUID(CLSID_FileWriter, 0x8596E5F0, 0x0DA5, 0x11D0, 0xBD, 0x21, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86);
DEFINE_GUID(CLSID_DSoundRender, 0x79376820, 0x07D0, 0x11CF, 0xA2, 0x4D, 0x00, 0x20, 0xAF, 0xD7, 0x97, 0x67);
DEFINE_GUID(CLSID_AudioRender, 0xE30629D1, 0x27E5, 0x11CE, 0x87, 0x5D, 0x00, 0x60, 0x8C, 0xB7, 0x80, 0x66);

namespace dshow {

void register_system_filters();
// Lists the two audio renderers in CLSID_AudioRendererCategory (replacing an earlier listing).
void register_audio_renderer_devices();

}
