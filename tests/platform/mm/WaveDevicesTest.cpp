#include <mm/WaveDevices.h>
#include <sim/SoundCard.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

sim::SoundCardDescription card(const char* in, const char* out, bool in_fails = false)
{
    sim::SoundCardDescription description;
    if (in)
        description.wave_in = mm::WaveDevice { in, in_fails };
    if (out)
        description.wave_out = mm::WaveDevice { out };
    description.has_mixer = false;
    return description;
}

TEST(WaveDevices, ListsTheDevicesOfEveryCardInOrder)
{
    sim::install_sound_cards({ card("First In", "First Out"), card(nullptr, "Second Out"), card("Third In", nullptr) });
    EXPECT_EQ(waveInGetNumDevs(), 2u);
    EXPECT_EQ(waveOutGetNumDevs(), 2u);

    WAVEINCAPSA in {};
    ASSERT_EQ(waveInGetDevCapsA(1, &in, sizeof(in)), MMSYSERR_NOERROR);
    EXPECT_STREQ(in.szPname, "Third In");
    WAVEOUTCAPSA out {};
    ASSERT_EQ(waveOutGetDevCapsA(1, &out, sizeof(out)), MMSYSERR_NOERROR);
    EXPECT_STREQ(out.szPname, "Second Out");
    EXPECT_EQ(out.wChannels, 2);
    EXPECT_EQ(waveOutGetDevCapsA(2, &out, sizeof(out)), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(waveOutGetDevCapsA(0, nullptr, sizeof(out)), MMSYSERR_INVALPARAM);
    ASSERT_EQ(waveOutGetDevCapsA(WAVE_MAPPER, &out, sizeof(out)), MMSYSERR_NOERROR);
    EXPECT_NE(std::strstr(out.szPname, "Mapper"), nullptr);
}

TEST(WaveDevices, ProductNamesAreCutToThirtyOneBytesOfWholeCharacters)
{
    // 30 ASCII bytes and a two-byte character: the character does not fit.
    std::string name = std::string(30, 'x') + "\xC3\xA9" + "tail";
    sim::install_sound_cards({ card(name.c_str(), "Out") });
    WAVEINCAPSA caps;
    std::memset(&caps, 'z', sizeof(caps));
    ASSERT_EQ(waveInGetDevCapsA(0, &caps, sizeof(caps)), MMSYSERR_NOERROR);
    EXPECT_EQ(std::string(caps.szPname), std::string(30, 'x'));
}

TEST(WaveDevices, AFailingCapabilitiesReadAndNoDevices)
{
    sim::install_sound_cards({ card("Good", nullptr), card("Broken", nullptr, true) });
    WAVEINCAPSA caps {};
    EXPECT_EQ(waveInGetDevCapsA(1, &caps, sizeof(caps)), MMSYSERR_NODRIVER);

    sim::install_sound_cards({});
    EXPECT_EQ(waveInGetNumDevs(), 0u);
    EXPECT_EQ(waveInGetDevCapsA(WAVE_MAPPER, &caps, sizeof(caps)), MMSYSERR_BADDEVICEID);
}

}
