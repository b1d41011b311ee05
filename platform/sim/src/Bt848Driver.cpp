// The virtual Bt848 driver library: software I2C over one tuner chip.

#include <sim/Bt848Driver.h>

#include <base/Modules.h>

#include <mutex>

namespace sim::detail {

namespace {

struct Bus {
    Bt848Card card;
    TunerChip chip;
    bool initialised = true; // the capture driver set the bus up when it loaded the library
    bool addressed = false; // the current transaction's address byte came
    bool acknowledged = true; // every byte of the current transaction was taken
    bool reading = false;
    std::vector<BYTE> bytes; // data bytes of the current write transaction
    WORD nominal = 0;
    bool after_zero = false;
};

std::mutex g_lock;
Bus g_bus;

BYTE status(const Bus& bus)
{
    LONG error = static_cast<LONG>(bus.chip.divider) - (static_cast<LONG>(bus.nominal) + bus.card.fine_offset);
    BYTE adc = 4;
    if (error == 0)
        adc = 2;
    else if (error == -1)
        adc = 3;
    else if (error == 1)
        adc = 1;
    else if (error >= 2 && error <= 4)
        adc = 0;
    return static_cast<BYTE>(0x40 | adc);
}

void take_write(Bus& bus)
{
    for (std::size_t i = 0; i + 1 < bus.bytes.size(); i += 2) {
        BYTE high = bus.bytes[i], low = bus.bytes[i + 1];
        if (high & 0x80) {
            bus.chip.control = high;
            bus.chip.band = low;
            continue;
        }
        auto divider = static_cast<WORD>((high << 8) | low);
        if (bus.after_zero && divider)
            bus.nominal = divider;
        bus.after_zero = divider == 0;
        bus.chip.divider = divider;
        bus.chip.dividers.push_back(divider);
    }
}

int bt848_pre_channel_change(int) { return 0; }
int bt848_channel_changed(int channel)
{
    std::lock_guard guard(g_lock);
    g_bus.chip.channel_changes.push_back(channel);
    return 0;
}
int i2c_is_init_ok()
{
    std::lock_guard guard(g_lock);
    return g_bus.initialised ? 1 : 0;
}
int i2c_init_sw_mode(int rate)
{
    std::lock_guard guard(g_lock);
    g_bus.initialised = rate > 0;
    return g_bus.initialised ? 0 : 1;
}
void i2c_sw_start()
{
    std::lock_guard guard(g_lock);
    g_bus.addressed = false;
    g_bus.acknowledged = g_bus.initialised;
    g_bus.reading = false;
    g_bus.bytes.clear();
}
int i2c_sw_stop()
{
    std::lock_guard guard(g_lock);
    Bus& bus = g_bus;
    if (bus.addressed) {
        ++bus.chip.transactions;
        if (bus.acknowledged && !bus.reading)
            take_write(bus);
    }
    bool ok = bus.addressed && bus.acknowledged;
    bus.addressed = false;
    bus.bytes.clear();
    return ok ? 0 : 1;
}
void i2c_sw_write(int value)
{
    std::lock_guard guard(g_lock);
    Bus& bus = g_bus;
    auto byte = static_cast<BYTE>(value);
    if (!bus.addressed) {
        bus.addressed = true;
        bus.reading = byte & 1;
        bool ours = bus.card.tuner_address && (byte & 0xFE) == bus.card.tuner_address;
        bus.acknowledged = bus.acknowledged && ours;
        return;
    }
    bus.bytes.push_back(byte);
}
void i2c_sw_read(BYTE* value)
{
    std::lock_guard guard(g_lock);
    if (!value)
        return;
    // Nobody drives the bus: it reads high.
    *value = (g_bus.addressed && g_bus.reading && g_bus.acknowledged) ? status(g_bus) : 0xFF;
}
void i2c_sw_send_nack() {}

const char* const kModules[] = { "btvid_32.dll", "bt848_32.dll" };

// The channel plans: runs of channels 6 MHz apart, the first one's picture carrier in 1/16 MHz.
struct ChannelRun {
    LONG first;
    LONG last;
    LONG carrier;
};
constexpr ChannelRun kChannelRuns[] = {
    { 2, 4, 884 }, { 5, 6, 1236 }, { 7, 13, 2804 }, { 14, 69, 7540 }, // broadcast
    { 1, 1, 1172 }, { 14, 22, 1940 }, { 23, 94, 3476 }, { 95, 99, 1460 }, { 100, 125, 10388 }, // cable
};
constexpr LONG kIntermediate = 732; // 45.75 MHz
constexpr LONG kChannelWidth = 96; // 6 MHz

}

}

namespace sim {

void install_bt848_driver(const Bt848Card& card)
{
    using namespace detail;
    uninstall_bt848_driver();
    {
        std::lock_guard guard(g_lock);
        g_bus.card = card;
    }
    base::Modules::Exports exports {
        { "Bt848PreChannelChange", base::export_of(&bt848_pre_channel_change) },
        { "Bt848ChannelChanged", base::export_of(&bt848_channel_changed) },
        { "I2CIsInitOK", base::export_of(&i2c_is_init_ok) },
        { "I2CInitSWMode", base::export_of(&i2c_init_sw_mode) },
        { "I2CSWStart", base::export_of(&i2c_sw_start) },
        { "I2CSWStop", base::export_of(&i2c_sw_stop) },
        { "I2CSWWrite", base::export_of(&i2c_sw_write) },
        { "I2CSWRead", base::export_of(&i2c_sw_read) },
        { "I2CSWSendNACK", base::export_of(&i2c_sw_send_nack) },
    };
    exports.erase(card.missing_export);
    base::Modules::register_module(card.module, std::move(exports), 1);
}

void uninstall_bt848_driver()
{
    {
        std::lock_guard guard(detail::g_lock);
        detail::g_bus = detail::Bus {};
    }
    for (const char* module : detail::kModules)
        base::Modules::unregister_module(module);
}

TunerChip tuner_chip()
{
    std::lock_guard guard(detail::g_lock);
    return detail::g_bus.chip;
}

std::optional<LONG> bt848_tuned_channel()
{
    using namespace detail;
    LONG carrier = 0;
    {
        std::lock_guard guard(g_lock);
        if (!g_bus.chip.divider)
            return std::nullopt;
        carrier = static_cast<LONG>(g_bus.chip.divider) - g_bus.card.fine_offset - kIntermediate;
    }
    for (const ChannelRun& run : kChannelRuns) {
        LONG offset = carrier - run.carrier;
        if (offset >= 0 && offset % kChannelWidth == 0 && run.first + offset / kChannelWidth <= run.last)
            return run.first + offset / kChannelWidth;
    }
    return std::nullopt;
}

}
