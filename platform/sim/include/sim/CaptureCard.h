#pragma once

// sim::CaptureCard, the description of one virtual TV capture card: its name, tuner, crossbar,
// output pins and failure switches. A machine is a list of them (sim::default_machine() is one
// ordinary TV card); VirtualHardware.h installs a machine as video input devices, HardwareFile.h
// reads one from `hardware.json`.
//
// A bound card is three filters, wired as real cards are: the tuner's "Analog Video" and
// "Analog Audio" outputs feed the crossbar's tuner inputs, and the crossbar's decoder outputs
// feed the capture filter's "Analog Video In" and "Analog Audio In" (without a crossbar the
// tuner feeds the capture filter directly). The capture filter owns the other two; the wiring is
// made while the capture filter is in a graph, so a search upstream from it finds IAMCrossbar and
// IAMTVTuner. What the capture pins show follows the routing: the tuner input shows the tuned
// channel (noise where no station sends), the other video inputs L1, L2 in input order.
//
//     sim::CaptureCard card;                 // "Sim TV Card", tuner, crossbar, three pins
//     card.tuner = sim::TunerInterface::Alternative;
//     card.fail_first_binds = 8;
//     sim::install_cards({ card });

#include <com/Guid.h>
#include <dshow/TunerInterfaces.h>
#include <sim/Bt848Driver.h>
#include <sim/PropertyPages.h>

#include <optional>
#include <string>
#include <vector>

DEFINE_GUID(CLSID_SimCaptureFilter, 0x5A3C0001, 0x6F1D, 0x4E21, 0x9B, 0x30, 0x51, 0x4D, 0x43, 0x41, 0x52, 0x44);
DEFINE_GUID(CLSID_SimTvTuner, 0x5A3C0002, 0x6F1D, 0x4E21, 0x9B, 0x30, 0x51, 0x4D, 0x43, 0x41, 0x52, 0x44);
DEFINE_GUID(CLSID_SimCrossbar, 0x5A3C0003, 0x6F1D, 0x4E21, 0x9B, 0x30, 0x51, 0x4D, 0x43, 0x41, 0x52, 0x44);

namespace sim {

// Which identifiers the tuner answers.
enum class TunerInterface {
    Standard, // IID_IAMTVTuner (and IID_IAMTuner)
    Alternative, // only the older IID_IAMTVTunerAlt
    Both,
    None, // no tuner filter at all: the tuner input receives the channel set on the capture
          // filter's tuner page when it lists one, a Bt848 chip's channel, or else noise
};

struct CrossbarPin {
    LONG type = 0; // PhysicalConnectorType
    LONG related = -1; // index of the related pin on the same side, -1 for none
};

enum class RoutePolicy {
    Accept, // any video input to a video output, any audio input to an audio output
    RefuseAll,
    RefuseAudio, // video routes work, audio routes fail
};

struct Crossbar {
    // The usual layout: inputs tuner video, composite, S-Video, tuner audio, line audio;
    // outputs video decoder, audio decoder.
    std::vector<CrossbarPin> inputs {
        { PhysConn_Video_Tuner, 3 },
        { PhysConn_Video_Composite, 4 },
        { PhysConn_Video_SVideo, 4 },
        { PhysConn_Audio_Tuner, 0 },
        { PhysConn_Audio_Line, 1 },
    };
    std::vector<CrossbarPin> outputs {
        { PhysConn_Video_VideoDecoder, 1 },
        { PhysConn_Audio_AudioDecoder, 0 },
    };
    RoutePolicy route = RoutePolicy::Accept;
    bool pin_counts_fail = false; // get_PinCounts gives E_FAIL

    // The usual layout without its audio output.
    static Crossbar without_audio_output();
};

// How a card's tuner page looks, for the drivers whose tuner is reached only through it.
struct TunerPage {
    std::string title = "TVTuner Property Page";
    std::string button = "Set"; // the button that tunes at once
    bool edit = true; // the channel edit control is there
};

struct CaptureCard {
    std::u16string name = u"Sim TV Card";
    bool name_readable = true; // false: the device's property bag cannot be opened

    TunerInterface tuner = TunerInterface::Standard;
    LONG channel_min = 2;
    LONG channel_max = 125;
    // Channels on which a station sends; empty means every channel in range does.
    std::vector<LONG> stations;
    LONG country_code = 49;
    // When set, get_CountryCode reports this instead of what was put.
    std::optional<LONG> reported_country_code;
    LONG tuner_inputs = 2; // get_NumInputConnections

    std::optional<Crossbar> crossbar = Crossbar {};
    // The driver keeps its crossbar to itself: it is not wired upstream of the capture filter
    // (the tuner feeds the capture filter, and no IAMCrossbar is found there), only the capture
    // filter's "Video Input" page routes it, and the card starts on its first video input that
    // is not the tuner.
    bool private_crossbar = false;

    // The card encodes in hardware: its one output, "Capture", delivers an MPEG-2 program stream
    // (MEDIATYPE_Stream, MEDIASUBTYPE_MPEG2_PROGRAM) of its picture at the card's size and frame
    // rate and of its sound at 48 kHz, stereo, MPEG audio layer II; the pin options below that
    // describe uncompressed streams do not apply.
    bool mpeg2 = false;

    // Output pins: "Capture" always, "Preview" and "Audio" when set.
    bool preview_pin = true;
    bool audio_pin = true;
    LONG width = 720;
    LONG height = 576;
    LONG frames_per_second = 25;
    bool rgb = false; // the capture pin starts in RGB24 instead of YUY2
    DWORD audio_rate = 44100;
    WORD audio_channels = 2;

    // Interfaces of the capture pin.
    bool stream_config = true;
    bool stream_control = true;
    bool dropped_frames = true;
    bool video_compression = true;
    // Every n-th frame is dropped (counted, not delivered); 0: none.
    LONG drop_every = 0;

    // Property pages (CLSIDs) of the capture filter, the capture pin's stream configuration,
    // the tuner and the crossbar (sim/PropertyPages.h).
    std::vector<CLSID> filter_pages { CLSID_SimVideoInputPage };
    std::vector<CLSID> stream_pages { CLSID_SimStreamFormatPage };
    std::vector<CLSID> tuner_pages { CLSID_SimTunerPage };
    std::vector<CLSID> crossbar_pages { CLSID_SimVideoInputPage };
    // false: the capture filter does not answer ISpecifyPropertyPages at all.
    bool filter_specifies_pages = true;
    TunerPage tuner_page;
    // The card's driver library with software I2C to the tuner chip (sim/Bt848Driver.h).
    std::optional<Bt848Card> bt848;

    // Failure switches.
    int fail_first_binds = 0; // the first k binds fail
    bool always_fail_bind = false;
    bool busy_while_open = false; // a bind fails while another instance of the card lives
    bool run_fails = false; // the capture filter's Run fails
    bool stop_fails = false; // its Stop reports E_FAIL (the filter stops all the same)

    // The source a channel shows: the channel's picture where a station sends, else noise.
    bool has_station(LONG channel) const;
};

// One TV card as a plain machine has it.
std::vector<CaptureCard> default_machine();

}
