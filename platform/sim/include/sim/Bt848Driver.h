#pragma once

// The driver library of a virtual Bt848 card without tuner interface, and the tuner chip on the
// card's I2C bus that the library's software I2C reaches.
//
// install_bt848_driver registers the library (as loaded: the capture driver holds it) under its
// module name with the nine exports a program uses to tune the chip itself. The chip answers at
// its write address (reads at address | 1); it takes a divider (two bytes, the first with bit 7
// clear) and a control word (two bytes, the first with bit 7 set) per transaction, and reads back
// a status byte: 0x40 (locked) with the frequency error in its low three bits (2 on the station,
// 3 one step low, 1 one step high, 0 two to four steps high, 4 further off). The station sits
// `fine_offset` steps from the divider written after a zero divider.
//
//     sim::install_bt848_driver({ "btvid_32.dll", 0xC2, 0 });
//     ... tune ...
//     EXPECT_EQ(sim::tuner_chip().divider, 0x0650);
//     EXPECT_EQ(sim::bt848_tuned_channel(), 2);

#include <base/Types.h>

#include <optional>
#include <string>
#include <vector>

namespace sim {

struct Bt848Card {
    std::string module = "btvid_32.dll"; // or "bt848_32.dll"
    BYTE tuner_address = 0xC2; // 0xC2 to 0xCE, even; 0: no tuner answers
    LONG fine_offset = 0; // the station's carrier from the nominal divider, in divider steps
    std::string missing_export; // an export the library lacks; "" none
};

// What the chip was programmed with, and the bus's history.
struct TunerChip {
    WORD divider = 0;
    BYTE control = 0;
    BYTE band = 0;
    std::vector<WORD> dividers; // every divider written, in order
    int transactions = 0; // Start..Stop sequences on the bus
    std::vector<int> channel_changes; // the channels of Bt848ChannelChanged
};

// Registers the library (replacing one installed before) over a fresh chip.
void install_bt848_driver(const Bt848Card& card);
void uninstall_bt848_driver();
TunerChip tuner_chip();
// The channel whose picture carrier the chip is tuned to (its divider less the card's fine
// offset, in 62.5 kHz steps above the 45.75 MHz intermediate frequency) on the broadcast or the
// cable channel plan, whose carriers never coincide; none when it is on no channel's carrier.
// What a Bt848 card without tuner interface receives.
std::optional<LONG> bt848_tuned_channel();

}
