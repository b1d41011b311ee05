#include "ClientFixture.h"

namespace {

using namespace client_test;

// The raw value of the sound card's 0..65535 volume control for a mixer level.
DWORD raw_level(int level)
{
    return static_cast<DWORD>(65535u * static_cast<unsigned>(level) / 127u);
}

TEST_F(ClientTest, MuteRoutesTheLineInputThroughTheCrossbar)
{
    open();
    command(CM_TV);
    ASSERT_NE(Tv, nullptr);
    EXPECT_FALSE(Tv->IsLineIn());
    DWORD mute = line_in_control(MIXERCONTROL_CONTROLTYPE_MUTE);
    sound_cards[0]->set_value(line_in_control(MIXERCONTROL_CONTROLTYPE_VOLUME), { 0 });
    pump();
    Settings.Volume = 80;

    command(CM_MUTE);
    EXPECT_TRUE(Settings.Mute);
    EXPECT_TRUE(Tv->IsLineIn()) << "the crossbar routes the silent line input";
    EXPECT_EQ(line_in_value(MIXERCONTROL_CONTROLTYPE_MUTE), 0u) << "the crossbar did it: the mixer is left alone";
    EXPECT_EQ(enabler(CM_MUTE), (Enabled { true, true }));

    command(CM_MUTEOTHER);
    EXPECT_FALSE(Settings.Mute);
    EXPECT_FALSE(Tv->IsLineIn());
    EXPECT_EQ(sound_cards[0]->value(mute).at(0), 0u);
    EXPECT_EQ(line_in_value(MIXERCONTROL_CONTROLTYPE_VOLUME), raw_level(80 * 127 / 100)) << "the volume is restored";

    SendMessageA(client->GetHandle(), WM_TRAYMUTE, 0, 0);
    EXPECT_TRUE(Settings.Mute);
}

TEST_F(ClientTest, WithoutACrossbarTheMixerMutes)
{
    sim::CaptureCard plain;
    plain.crossbar.reset();
    sim::install_cards({ plain });
    open();
    command(CM_TV);
    ASSERT_NE(Tv, nullptr);
    command(CM_MUTE);
    EXPECT_TRUE(Settings.Mute);
    EXPECT_EQ(line_in_value(MIXERCONTROL_CONTROLTYPE_MUTE), 1u);
    command(CM_MUTE);
    EXPECT_EQ(line_in_value(MIXERCONTROL_CONTROLTYPE_MUTE), 0u);
}

TEST_F(ClientTest, MuteWithoutTvOnlyChangesTheSetting)
{
    open();
    auto writes = sound_cards[0]->writes().size();
    command(CM_MUTE);
    EXPECT_TRUE(Settings.Mute);
    command(CM_MUTE);
    EXPECT_FALSE(Settings.Mute);
    EXPECT_EQ(sound_cards[0]->writes().size(), writes);
}

TEST_F(ClientTest, TvOnWhileMutedLeavesTheMixerLineMuted)
{
    Settings.Mute = 1;
    open();
    sound_cards[0]->set_value(line_in_control(MIXERCONTROL_CONTROLTYPE_MUTE), { 1 });
    command(CM_TV);
    ASSERT_NE(Tv, nullptr);
    EXPECT_TRUE(Tv->IsLineIn()) << "the engine starts on the line input";
    EXPECT_EQ(line_in_value(MIXERCONTROL_CONTROLTYPE_MUTE), 1u);
}

TEST_F(ClientTest, VolumeStepsOfTenReachTheMixer)
{
    open();
    command(CM_TV);
    ASSERT_NE(client->GetMixer(), nullptr);
    struct Case {
        LONG from;
        UINT command;
        LONG to;
    };
    for (Case c : { Case { 95, CM_VOLUMEUP, 100 }, Case { 100, CM_VOLUMEUP, 100 }, Case { 50, CM_VOLUMEUP, 60 },
             Case { 5, CM_VOLUMEDOWN, 0 }, Case { 0, CM_VOLUMEDOWN, 0 }, Case { 47, CM_VOLUMEDOWN, 37 } }) {
        SCOPED_TRACE(testing::Message() << c.from << " " << c.command);
        Settings.Volume = c.from;
        command(c.command);
        EXPECT_EQ(Settings.Volume, c.to) << "also after the mixer's own notice";
        EXPECT_EQ(line_in_value(MIXERCONTROL_CONTROLTYPE_VOLUME), raw_level(c.to * 127 / 100));
    }

    client->SetVolume(101);
    client->SetVolume(static_cast<unsigned>(-1));
    EXPECT_EQ(Settings.Volume, 37) << "out of range: ignored";
}

TEST_F(ClientTest, VolumeChangedInTheSystemMixerComesBack)
{
    open();
    command(CM_TV);
    ASSERT_NE(client->GetMixer(), nullptr);
    DWORD volume = line_in_control(MIXERCONTROL_CONTROLTYPE_VOLUME);

    sound_cards[0]->set_value(volume, { raw_level(64) + 1 }); // reads back as level 64
    pump();
    EXPECT_EQ(Settings.Volume, 64 * 100 / 127);

    // Our own settings read back a level lower must not walk the volume down.
    for (unsigned v : { 37u, 50u, 80u, 1u }) {
        client->SetVolume(v);
        pump();
        EXPECT_EQ(Settings.Volume, static_cast<LONG>(v));
    }

    // An unreadable level leaves the volume alone.
    sound_cards[0]->fail_reads(volume);
    sound_cards[0]->set_value(volume, { raw_level(120) });
    pump();
    EXPECT_EQ(Settings.Volume, 1);
    sound_cards[0]->fail_reads(volume, false);

    // Without a mixer the notice means nothing.
    command(CM_TV);
    EXPECT_EQ(SendMessageA(client->GetHandle(), MM_MIXM_CONTROL_CHANGE, 0, 0), 0);
    EXPECT_EQ(Settings.Volume, 1);
}

}
