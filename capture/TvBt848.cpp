// Tuning a Bt848 card without tuner interface over its I2C bus, through the exports of the driver
// library its capture driver has loaded.

#include <capture/Tv.h>

#include <base/Clock.h>
#include <base/Modules.h>

#include <array>

namespace {

// PLL dividers in 62.5 kHz steps: 16 x (picture carrier in MHz + 45.75 MHz intermediate).
// Carriers are given in hundredths of a MHz.
constexpr WORD divider_of(LONG carrier) { return static_cast<WORD>(16 * carrier / 100 + 732); }

constexpr LONG antenna_carrier(LONG channel)
{
    if (channel >= 2 && channel <= 4)
        return 5525 + 600 * (channel - 2);
    if (channel == 5 || channel == 6)
        return 7725 + 600 * (channel - 5);
    if (channel >= 7 && channel <= 13)
        return 17525 + 600 * (channel - 7);
    if (channel >= 14 && channel <= 69)
        return 47125 + 600 * (channel - 14);
    return 0;
}

constexpr LONG cable_carrier(LONG channel)
{
    if (channel == 1)
        return 7325;
    if (channel >= 2 && channel <= 13)
        return antenna_carrier(channel);
    if (channel >= 14 && channel <= 22)
        return 12125 + 600 * (channel - 14);
    if (channel >= 23 && channel <= 94)
        return 21725 + 600 * (channel - 23);
    if (channel >= 95 && channel <= 99)
        return 9125 + 600 * (channel - 95);
    if (channel >= 100 && channel <= 125)
        return 64925 + 600 * (channel - 100);
    return 0;
}

template<std::size_t N, typename Carrier>
constexpr std::array<WORD, N> make_table(Carrier carrier)
{
    std::array<WORD, N> table {};
    for (std::size_t channel = 0; channel < N; ++channel) {
        LONG mhz = carrier(static_cast<LONG>(channel));
        table[channel] = mhz ? divider_of(mhz) : 0;
    }
    return table;
}

constexpr auto kAntennaTable = make_table<70>(antenna_carrier);
constexpr auto kCableTable = make_table<126>(cable_carrier);
static_assert(kAntennaTable[2] == 0x0650 && kAntennaTable[69] == 0x34F0);
static_assert(kCableTable[1] == 0x0770 && kCableTable[95] == 0x0890 && kCableTable[125] == 0x34D0);

constexpr WORD kMidBandFrom = 0x0A04; // dividers above it
constexpr WORD kHighBandFrom = 0x1C00;
constexpr WORD kLowBand = 0xCEA0;
constexpr WORD kMidBand = 0xCE90;
constexpr WORD kHighBand = 0xCE30;
constexpr int kFineOffsets[] = { -4, 4, -8, 8, -12, 12, -16, 16, -20, 20, -24, 24, -28, 28, -32, 32, -36, 36, -40, 40 };
constexpr BYTE kStatusLocked = 0x40;

struct Bt848Exports {
    int (*preChannelChange)(int);
    int (*channelChanged)(int);
    int (*isInitOk)();
    int (*initSwMode)(int);
    void (*start)();
    int (*stop)();
    void (*write)(int);
    void (*read)(BYTE*);
    void (*sendNack)();

    // The driver's exports; false when the library is not loaded or lacks one.
    bool Find()
    {
        HMODULE module = GetModuleHandleA("btvid_32.dll");
        if (!module)
            module = GetModuleHandleA("bt848_32.dll");
        if (!module)
            return false;
        bool all = true;
        auto get = [&](auto& field, const char* name) {
            field = reinterpret_cast<std::remove_reference_t<decltype(field)>>(GetProcAddress(module, name));
            all = all && field;
        };
        get(preChannelChange, "Bt848PreChannelChange");
        get(channelChanged, "Bt848ChannelChanged");
        get(isInitOk, "I2CIsInitOK");
        get(initSwMode, "I2CInitSWMode");
        get(start, "I2CSWStart");
        get(stop, "I2CSWStop");
        get(write, "I2CSWWrite");
        get(read, "I2CSWRead");
        get(sendNack, "I2CSWSendNACK");
        return all;
    }
    // One write transaction of two bytes to `address`; whether it went through.
    bool Send(BYTE address, WORD word)
    {
        start();
        write(address);
        write(word >> 8);
        write(word & 0xFF);
        return stop() == 0;
    }
    // The status byte read from `address`, 0xFF when nobody answered.
    BYTE Read(BYTE address, bool* ok)
    {
        BYTE value = 0xFF;
        start();
        write(address | 1);
        read(&value);
        sendNack();
        if (stop() != 0 && ok)
            *ok = false;
        return value;
    }
};

}

BYTE STv::s_bt848TunerAddress = 0;

bool STv::Bt848Tune(LONG channel, bool antenna)
{
    if (!m_captureFilter || s_bt848TunerAddress == 0xFF)
        return false;
    Bt848Exports bus {};
    if (!bus.Find())
        return false;
    // Channels outside the tables, or without a carrier, have no divider to send.
    if (channel < 0 || channel >= static_cast<LONG>(antenna ? kAntennaTable.size() : kCableTable.size()))
        return false;
    WORD divider = antenna ? kAntennaTable[channel] : kCableTable[channel];
    if (!divider)
        return false;
    WORD control = kLowBand;
    if (divider > kHighBandFrom)
        control = kHighBand;
    else if (divider > kMidBandFrom)
        control = kMidBand;

    bool ok = true;
    if ((bus.isInitOk() & 0xFF) == 0)
        ok = false;
    if (bus.initSwMode(100000) != 0)
        ok = false;
    bus.start();
    bus.stop();

    if (s_bt848TunerAddress == 0) {
        for (int address = 0xC2; address <= 0xCF && s_bt848TunerAddress == 0; ++address) {
            BYTE answer = bus.Read(static_cast<BYTE>(address), nullptr);
            if (answer != 0xFF && answer != 0)
                s_bt848TunerAddress = static_cast<BYTE>(address);
        }
        if (s_bt848TunerAddress == 0)
            s_bt848TunerAddress = 0xFF;
    }
    BYTE address = s_bt848TunerAddress;

    if (bus.preChannelChange(channel) != 0)
        ok = false;
    ok = bus.Send(address, 0) && ok;
    ok = bus.Send(address, divider) && ok;
    ok = bus.Send(address, control) && ok;

    WORD current = divider;
    bool tuned = false;
    for (int pass = 0; pass < 20 && !tuned; ++pass) {
        BYTE status = 0;
        for (int poll = 0; poll < 10; ++poll) {
            SleepEx(30, FALSE);
            status = bus.Read(address, &ok);
            if (status & kStatusLocked)
                break;
        }
        switch (status & 7) {
        case 0: current = static_cast<WORD>(current - 2); break;
        case 1: current = static_cast<WORD>(current - 1); break;
        case 2: tuned = true; break;
        case 3: current = static_cast<WORD>(current + 1); break;
        default: current = static_cast<WORD>(divider + kFineOffsets[pass]); break;
        }
        if (!tuned)
            ok = bus.Send(address, current) && ok;
    }
    if (!tuned)
        ok = bus.Send(address, divider) && ok;

    if (bus.channelChanged(channel) != 0)
        ok = false;
    return ok;
}
