#pragma once

// The audio capture filter of a virtual sound card's wave-in device (internal): a live source
// with one output, "Capture", of 16-bit PCM (44.1 kHz stereo) in blocks of a tenth of a second,
// timestamped on the reference clock while running; the pin's category is PIN_CATEGORY_CAPTURE
// and it takes stream control (IAMStreamControl), as the capture graph builder expects. It records what the card's line input
// carries: the tone of input L1 (sim/TestTone.h), the sound a TV card's cable brings there.

#include "LiveThread.h"

#include <dshow/BaseFilter.h>
#include <dshow/Pins.h>


DEFINE_GUID(CLSID_SimWaveIn, 0x5A3C0010, 0x6F1D, 0x4E21, 0x9B, 0x30, 0x51, 0x4D, 0x43, 0x41, 0x52, 0x44);

namespace sim::detail {

class WaveInFilter final : public dshow::BaseFilter {
public:
    WaveInFilter();
    ~WaveInFilter() override;

private:
    class Output;

    HRESULT on_pause() override;
    HRESULT on_run(REFERENCE_TIME start) override;
    HRESULT on_stop() override;
    HRESULT state_result(FILTER_STATE state) const override { return state == State_Paused ? VFW_S_CANT_CUE : S_OK; }

    void start_streaming(REFERENCE_TIME start);
    void streaming_loop(std::int64_t run_ticks);

    Output* m_output;
    LiveThread m_streaming;
};

}
