#pragma once

// Installing virtual capture cards as the machine's video input devices.
//
// install_cards registers each card with the system device enumerator (category
// CLSID_VideoInputDeviceCategory, in the given order, under its FriendlyName); every
// BindToObject makes a new capture filter, subject to the card's failure switches (the first k
// binds fail, every bind fails, or a bind fails while another filter of the card lives).
// install_machine installs what `hardware.json` in the platform home describes, or the default
// machine when there is no such file. Both replace the cards installed before.
//
//     sim::install_machine();                                   // start-up
//     sim::install_cards({ card_a, card_b });                   // a test's machine
//     IBaseFilter* f; sim::create_capture_filter(card, IID_IBaseFilter, (void**)&f);  // unregistered

#include <sim/CaptureCard.h>

#include <string>
#include <vector>

namespace sim {

// Registers the cards as video input devices, first to last.
void install_cards(const std::vector<CaptureCard>& cards);
// Installs `hardware.json` from the platform home, or default_machine(); false (and the default
// machine) when the file exists but cannot be used, with the reason (file, line, what is wrong)
// in *error and on standard error.
bool install_machine(std::string* error = nullptr);
// Removes the installed cards from the device enumerator.
void uninstall_cards();

// Binds of an installed card so far (by position in the last install), and its live filters.
int card_binds(std::size_t index);
int card_filters_alive(std::size_t index);

// A capture filter of `card` outside the device enumerator, without failure switches on binding.
HRESULT create_capture_filter(const CaptureCard& card, REFIID iid, void** out);

}
