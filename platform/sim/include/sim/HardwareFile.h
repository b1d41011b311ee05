#pragma once

// `hardware.json`, the description of a virtual machine's capture cards. Every key is optional
// and defaults to sim::CaptureCard's value:
//
//     { "capture_cards": [
//         { "name": "Sim TV Card", "name_readable": true,
//           "tuner": "standard" | "alternative" | "both" | "none",
//           "channels": [2, 125], "stations": [2, 5, 7], "country_code": 49,
//           "reported_country_code": 1, "tuner_inputs": 2,
//           "crossbar": "standard" | "none" | "no_audio_output"
//                       | { "inputs": [ { "type": 1, "related": 3 }, ... ], "outputs": [ ... ],
//                           "route": "accept" | "refuse" | "refuse_audio", "pin_counts_fail": false },
//           "private_crossbar": false, "mpeg2": false,
//           "preview_pin": true, "audio_pin": true, "width": 720, "height": 576, "fps": 25,
//           "rgb": false, "audio_rate": 44100, "audio_channels": 2,
//           "stream_config": true, "stream_control": true, "dropped_frames": true,
//           "video_compression": true, "drop_every": 0,
//           "filter_pages": ["{GUID}" | "tuner" | "video_input" | "stream_format"],
//           "stream_pages": [], "tuner_pages": [], "crossbar_pages": [], "filter_specifies_pages": true,
//           "tuner_page": { "title": "TVTuner Property Page", "button": "Set", "edit": true },
//           "fail_first_binds": 0, "always_fail_bind": false, "busy_while_open": false,
//           "run_fails": false, "stop_fails": false,
//           "bt848": { "module": "btvid_32.dll" | "bt848_32.dll", "tuner_address": 194, "fine_offset": 0 } } ] }
//
// Names are UTF-8. An unknown key or a value of the wrong type is an error, so a typing mistake
// in a test machine does not pass unnoticed.

#include <sim/CaptureCard.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

// The cards of a hardware description; nullopt with the reason in *error when it is invalid.
std::optional<std::vector<CaptureCard>> parse_hardware(std::string_view json, std::string* error = nullptr);
// The same from a file; nullopt when it cannot be read or is invalid.
std::optional<std::vector<CaptureCard>> load_hardware(const std::string& path, std::string* error = nullptr);
// The path of `hardware.json` in the platform home.
std::string hardware_file_path();

}
