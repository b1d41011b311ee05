#pragma once

// ISimCard: how a card's own property pages reach the card behind any of its filters, as a
// driver's pages talk to their driver (internal to the virtual hardware).

#include "CardSignal.h"

#include <com/Unknown.h>
#include <dshow/TunerInterfaces.h>

DEFINE_GUID(IID_ISimCard, 0x5A3C00F1, 0x6F1D, 0x4E21, 0x9B, 0x30, 0x51, 0x4D, 0x43, 0x41, 0x52, 0x44);

struct ISimCard : IUnknown {
    virtual sim::detail::CardSignal& card_signal() = 0;
    // The card's crossbar (counted), or null when it has none.
    virtual IAMCrossbar* card_crossbar() = 0;
};
COM_INTERFACE(ISimCard, IID_ISimCard, IUnknown);
