#pragma once

// The property pages of the virtual cards, as a card's driver would register them. A card lists
// them by CLSID for its capture filter, capture pin, tuner and crossbar (sim::CaptureCard); a
// property frame (dshow/PropertyFrame.h) creates them. Each page acts on the card itself:
//
// - "TVTuner Property Page" (CLSID_SimTunerPage): an input-type combo box ("Antenna", "Cable"),
//   the channel in an edit control and a button ("Set" unless the card says otherwise) that
//   tunes to it at once; Apply tunes to the edited channel and sets the input type. Bound to a
//   tuner (IAMTVTuner under either identifier) or to a capture filter, whose card it tunes
//   directly, as drivers that offer no tuner interface do.
// - "Video Input" / "Crossbar" (CLSID_SimVideoInputPage): the crossbar's video inputs ("TV",
//   "Composite", "S-Video", ...) in a combo box with control id 1004; a choice marks the page
//   changed and Apply routes the video output to it, with its related audio. Bound to a
//   crossbar ("Crossbar") or to a capture filter that has one ("Video Input").
// - "Stream Format" (CLSID_SimStreamFormatPage): the capture pin's formats in a combo box;
//   Apply sets the chosen one through IAMStreamConfig.
//
// sim::install_cards and sim::create_capture_filter register the page classes with com.

#include <com/Guid.h>

DEFINE_GUID(CLSID_SimTunerPage, 0x5A3C0011, 0x6F1D, 0x4E21, 0x9B, 0x30, 0x51, 0x4D, 0x43, 0x41, 0x52, 0x44);
DEFINE_GUID(CLSID_SimVideoInputPage, 0x5A3C0012, 0x6F1D, 0x4E21, 0x9B, 0x30, 0x51, 0x4D, 0x43, 0x41, 0x52, 0x44);
DEFINE_GUID(CLSID_SimStreamFormatPage, 0x5A3C0013, 0x6F1D, 0x4E21, 0x9B, 0x30, 0x51, 0x4D, 0x43, 0x41, 0x52, 0x44);

namespace sim {

// Control ids of the pages.
constexpr int kTunerPageInputType = 1001;
constexpr int kTunerPageChannel = 1002;
constexpr int kTunerPageSet = 1003;
constexpr int kVideoInputPageInputs = 1004;
constexpr int kStreamFormatPageFormats = 1010;

// Registers the page classes (again: a class a test switched off stays off).
void register_property_pages();

}
