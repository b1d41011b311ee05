#pragma once

// What one bound card receives: the tuner's channel and the crossbar's routes, shared by the
// card's tuner, crossbar and capture filters, and the picture and sound that follow from them.

#include <sim/CaptureCard.h>
#include <sim/PictureSource.h>

#include <mutex>
#include <vector>

namespace sim::detail {

class CardSignal {
public:
    explicit CardSignal(const CaptureCard& card);

    const CaptureCard& card() const { return m_card; }

    LONG channel() const;
    void set_channel(LONG channel);

    // The crossbar input routed to `output`, -1 when none.
    LONG route(LONG output) const;
    void set_route(LONG output, LONG input);

    // What the capture pins show and play now.
    PictureSource picture() const;
    PictureSource sound() const;

private:
    void start_on_external_input();
    PictureSource tuner_source() const;
    PictureSource video_input_source(LONG input) const;
    PictureSource picture_locked() const;

    const CaptureCard m_card;
    mutable std::mutex m_lock;
    LONG m_channel;
    std::vector<LONG> m_routes;
};

}
