#pragma once

// What the encoder's tests and benchmark share: a machine with the default TV card and sound
// card on a virtual clock, with COM and the graph and encoder classes; the choice of a profile by
// name; and a wait while the devices run.
//
//     test_support::EncoderMachine machine;          // for as long as the test or benchmark runs
//     test_support::set_profile(encoder, group, u"Video for single-channel ISDN (64 Kbps)");
//     test_support::run_until(start, 3000);          // 3 s of virtual time after `start`

#include <base/Clock.h>
#include <com/Apartment.h>
#include <com/ComPtr.h>
#include <dshow/DeviceEnumerator.h>
#include <dshow/FilterGraph.h>
#include <sim/SoundCard.h>
#include <sim/VirtualHardware.h>
#include <wmenc/Encoder.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace test_support {

struct EncoderMachine {
    EncoderMachine()
    {
        base::Clock::install_virtual(base::Clock::make_wall_ms(2026, 3, 1, 20, 0, 0));
        CoInitialize(nullptr); // the client window's
        dshow::register_classes();
        wmenc::register_classes();
        dshow::clear_devices();
        sim::install_cards(sim::default_machine());
        cards = sim::install_sound_cards({ sim::default_sound_card() });
    }
    ~EncoderMachine()
    {
        sim::uninstall_cards();
        sim::install_sound_cards({});
        CoUninitialize();
        base::Clock::install_real();
    }
    EncoderMachine(const EncoderMachine&) = delete;
    EncoderMachine& operator=(const EncoderMachine&) = delete;

    std::vector<std::shared_ptr<sim::SoundCard>> cards;
};

// Waits (in real time, generously) until the virtual clock has run `ms` past `from`: the
// devices' streaming threads move it as they deliver.
inline void run_until(std::int64_t from, std::int64_t ms)
{
    for (int i = 0; i < 100000 && base::Clock::ticks_ms() - from < ms; ++i)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
}

// Sets the encoder's profile of that name on `group`; false when there is none.
inline bool set_profile(IWMEncoder* encoder, IWMEncSourceGroup* group, const std::u16string& name)
{
    CComPtr<IWMEncProfileCollection> profiles;
    encoder->get_ProfileCollection(&profiles);
    LONG count = 0;
    profiles->get_Count(&count);
    for (LONG i = 0; i < count; ++i) {
        CComPtr<IWMEncProfile> profile;
        profiles->Item(i, &profile);
        BSTR text = nullptr;
        profile->get_Name(&text);
        bool same = name == text;
        SysFreeString(text);
        if (same) {
            VARIANT v;
            VariantInit(&v);
            v.vt = VT_DISPATCH;
            v.pdispVal = profile;
            return group->put_Profile(v) == S_OK;
        }
    }
    return false;
}

}
