// Hardware descriptions as a person may mistype them: every text is either a machine within the
// loader's limits or refused with a reason.

#include <sim/HardwareFile.h>

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string error;
    auto cards = sim::parse_hardware(std::string_view(reinterpret_cast<const char*>(data), size), &error);
    if (!cards) {
        if (error.empty())
            std::abort();
        return 0;
    }
    for (const sim::CaptureCard& card : *cards) {
        if (card.width < 32 || card.width > 4096 || card.height < 24 || card.height > 4096 || card.tuner_inputs > 16
            || card.channel_min > card.channel_max)
            std::abort();
        if (card.crossbar)
            for (const auto* side : { &card.crossbar->inputs, &card.crossbar->outputs })
                for (const sim::CrossbarPin& pin : *side)
                    if (pin.related < -1 || pin.related >= static_cast<LONG>(side->size()))
                        std::abort();
    }
    return 0;
}
