#include "media/Mixer.h"

#include <mm/Notices.h>
#include <sim/SoundCard.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using sim::ControlDescription;
using sim::line;

constexpr DWORD VOLUME = MIXERCONTROL_CONTROLTYPE_VOLUME;
constexpr DWORD MUTE = MIXERCONTROL_CONTROLTYPE_MUTE;

sim::SoundCardDescription named(const char* in, const char* out)
{
    auto card = sim::default_sound_card();
    card.wave_in = mm::WaveDevice { in };
    card.wave_out = mm::WaveDevice { out };
    return card;
}

// A card whose speakers carry one line-in source with a volume of the given range.
sim::SoundCardDescription ranged(DWORD minimum, DWORD maximum)
{
    auto card = sim::default_sound_card();
    card.destinations[0].sources = { line(MIXERLINE_COMPONENTTYPE_SRC_LINE, "Line In", "Line In", 2,
        { { VOLUME, minimum, maximum, minimum }, { MUTE, 0, 1, 0 } }) };
    return card;
}

DWORD control_of(const sim::SoundCard& card, DWORD component_type, DWORD type)
{
    return *card.control_id(*card.line_id(component_type), type);
}

// The control of a source of the wave-in destination (the speakers' sources come first).
DWORD record_control(const sim::SoundCard& card, DWORD source, DWORD type)
{
    return *card.control_id((source << 16) | 1, type);
}

TEST(SMixerDevice, DefaultNamesOpenDeviceZeroAndOtherNamesTheirOwnDevice)
{
    sim::install_sound_cards({ named("Alpha In", "Alpha Out"), named("Beta In", "Beta Out") });
    struct Case {
        int kind;
        const char* name;
        int mixer_id; // -1: nothing opened
    };
    for (auto [kind, name, mixer_id] : std::vector<Case> {
             { MIXER_OBJECTF_WAVEIN, "<Default>", 0 },
             { MIXER_OBJECTF_WAVEIN, "<DEFAULT>", 0 },
             { MIXER_OBJECTF_WAVEIN, "-1", 0 },
             { MIXER_OBJECTF_WAVEIN, "", 0 },
             { MIXER_OBJECTF_WAVEIN, nullptr, 0 },
             { MIXER_OBJECTF_WAVEOUT, "Sound Mapper", 0 },
             { MIXER_OBJECTF_WAVEOUT, "the mapper", 0 },
             { MIXER_OBJECTF_WAVEIN, "beta in", 1 },
             { MIXER_OBJECTF_WAVEOUT, "Beta Out", 1 },
             { MIXER_OBJECTF_WAVEOUT, "Beta In", -1 },
             { MIXER_OBJECTF_WAVEIN, "Gamma In", -1 },
             { static_cast<int>(MIXER_OBJECTF_MIXER), "-1", -1 },
         }) {
        SCOPED_TRACE(name ? name : "(null)");
        SMixer mixer(kind, name, nullptr);
        EXPECT_EQ(mixer.GetHandle() != nullptr, mixer_id >= 0);
        EXPECT_EQ(mixer.GetMixerId(), mixer_id >= 0 ? mixer_id : 0xFFFF);
    }
}

TEST(SMixerDevice, AFailingCapabilitiesReadEndsTheSearchWithDeviceZero)
{
    auto first = named("Alpha In", "Alpha Out");
    first.wave_in->caps_fail = true;
    sim::install_sound_cards({ first, named("Beta In", "Beta Out") });
    SMixer mixer(MIXER_OBJECTF_WAVEIN, "Beta In", nullptr);
    EXPECT_EQ(mixer.GetMixerId(), 0);
}

TEST(SMixerDevice, AMixerThatDoesNotOpenFailsEveryCallQuietly)
{
    auto card = sim::default_sound_card();
    card.mixer_open_fails = true;
    sim::install_sound_cards({ card });
    SMixer mixer(MIXER_OBJECTF_WAVEIN, "-1", nullptr);
    EXPECT_EQ(mixer.GetHandle(), nullptr);
    EXPECT_EQ(mixer.GetMixerId(), 0xFFFF);
    EXPECT_FALSE(mixer.SetVolume("Line-In", 10));
    EXPECT_EQ(mixer.GetVolume("Line-In"), -1);
    EXPECT_FALSE(mixer.SetMute("Line-In", true));
    EXPECT_FALSE(mixer.SelectRecordSource("Line-In"));
    EXPECT_EQ(mixer.GetRecordSourceCount(), -1);
}

TEST(SMixerVolume, LevelsScaleOntoTheControlsRange)
{
    auto cards = sim::install_sound_cards({ ranged(0, 65535), ranged(100, 200) });
    SMixer wide(MIXER_OBJECTF_WAVEIN, "-1", nullptr);
    DWORD volume = control_of(*cards[0], MIXERLINE_COMPONENTTYPE_SRC_LINE, VOLUME);

    EXPECT_FALSE(wide.SetVolume("Line-In", 128));
    EXPECT_FALSE(wide.SetVolume("Line-In", -1));
    EXPECT_TRUE(cards[0]->writes().empty());

    ASSERT_TRUE(wide.SetVolume("Line-In", 64));
    EXPECT_EQ(cards[0]->value(volume), std::vector<DWORD> { 33025 });
    EXPECT_EQ(wide.GetVolume("Line-In"), 63);
    ASSERT_TRUE(wide.SetVolume("line in", 127));
    EXPECT_EQ(cards[0]->value(volume), std::vector<DWORD> { 65535 });
    EXPECT_EQ(wide.GetVolume("LINE IN"), 127);

    mm::install({ cards[1], cards[0] });
    SMixer narrow(MIXER_OBJECTF_WAVEIN, "-1", nullptr);
    DWORD narrow_volume = control_of(*cards[1], MIXERLINE_COMPONENTTYPE_SRC_LINE, VOLUME);
    ASSERT_TRUE(narrow.SetVolume("Line", 0));
    EXPECT_EQ(cards[1]->value(narrow_volume), std::vector<DWORD> { 100 });
    ASSERT_TRUE(narrow.SetVolume("Line", 127));
    EXPECT_EQ(cards[1]->value(narrow_volume), std::vector<DWORD> { 200 });
}

TEST(SMixerVolume, EveryLevelScalesOntoARangeAsWideAs32Bits)
{
    auto cards = sim::install_sound_cards({ ranged(0, 0xFFFFFFFFu), ranged(5, 5) });
    SMixer mixer(MIXER_OBJECTF_WAVEIN, "-1", nullptr);
    DWORD volume = control_of(*cards[0], MIXERLINE_COMPONENTTYPE_SRC_LINE, VOLUME);

    struct Case {
        int level;
        DWORD value;
    };
    for (Case c : { Case { 0, 0 }, Case { 1, 0xFFFFFFFFu / 127 }, Case { 64, 0x81020407u }, Case { 100, 0xC993264Bu },
             Case { 127, 0xFFFFFFFFu } }) {
        SCOPED_TRACE(c.level);
        ASSERT_TRUE(mixer.SetVolume("Line-In", c.level));
        EXPECT_EQ(cards[0]->value(volume), std::vector<DWORD> { c.value });
    }
    for (Case c : { Case { 0, 0 }, Case { 63, 0x81020407u }, Case { 64, 0x81020408u }, Case { 126, 0xFFFFFFFEu },
             Case { 127, 0xFFFFFFFFu } }) {
        SCOPED_TRACE(c.level);
        cards[0]->set_value(volume, { c.value });
        EXPECT_EQ(mixer.GetVolume("Line-In"), c.level);
    }

    // A range of one value reads as -1.
    mm::install({ cards[1] });
    SMixer flat(MIXER_OBJECTF_WAVEIN, "-1", nullptr);
    EXPECT_EQ(flat.GetVolume("Line-In"), -1);
}

TEST(SMixerVolume, NamesFindPlaybackSourcesByNameThenByTheNamesTable)
{
    auto cards = sim::install_sound_cards({ sim::default_sound_card() });
    auto& card = *cards[0];
    SMixer mixer(MIXER_OBJECTF_WAVEIN, "-1", nullptr);

    ASSERT_TRUE(mixer.SetVolume("Mike", 127));
    EXPECT_EQ(card.value(control_of(card, MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, VOLUME)), std::vector<DWORD> { 65535 });
    ASSERT_TRUE(mixer.SetVolume("cd audio", 0));
    EXPECT_EQ(card.value(control_of(card, MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC, VOLUME)), std::vector<DWORD> { 0 });
    ASSERT_TRUE(mixer.SetMute("Aux", true));
    EXPECT_EQ(card.value(control_of(card, MIXERLINE_COMPONENTTYPE_SRC_AUXILIARY, MUTE)), std::vector<DWORD> { 1 });
    ASSERT_TRUE(mixer.SetMute("Line-In", false));
    EXPECT_FALSE(mixer.SetVolume("<Not connected>", 10));
    EXPECT_FALSE(mixer.SetMute("Synthesizer", true));
    EXPECT_EQ(mixer.GetVolume(nullptr), -1);
}

TEST(SMixerVolume, ATableNameNeverPassesForALineIdentifier)
{
    // The microphone's line id equals the line-input component type; there is no line input.
    auto card = sim::default_sound_card();
    auto microphone = line(MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, "Microphone", "Microphone", 1, sim::volume_and_mute());
    microphone.line_id = MIXERLINE_COMPONENTTYPE_SRC_LINE;
    card.destinations[0].sources = { microphone };
    auto cards = sim::install_sound_cards({ card });
    SMixer mixer(MIXER_OBJECTF_WAVEIN, "-1", nullptr);
    EXPECT_FALSE(mixer.SetVolume("Line-In", 100));
    EXPECT_FALSE(mixer.SetMute("Line-In", true));
    EXPECT_TRUE(cards[0]->writes().empty());
    EXPECT_TRUE(mixer.SetVolume("Mic", 100));
}

TEST(SMixerRecording, RecordVolumeActsOnTheWaveInSourceOfTheLine)
{
    auto description = sim::default_sound_card();
    description.destinations[1].sources[1].name = "Mic Capture"; // named unlike the speakers' source
    auto cards = sim::install_sound_cards({ description });
    auto& card = *cards[0];
    SMixer mixer(MIXER_OBJECTF_WAVEIN, "-1", nullptr);

    ASSERT_TRUE(mixer.SetRecordVolume("Line-In", 127));
    EXPECT_EQ(card.value(record_control(card, 0, VOLUME)), std::vector<DWORD> { 65535 });
    ASSERT_TRUE(mixer.SetRecordVolume("CD Audio", 0));
    EXPECT_EQ(card.value(record_control(card, 2, VOLUME)), std::vector<DWORD> { 0 });
    ASSERT_TRUE(mixer.SetRecordVolume("Microphone", 64)); // by the speakers' source of that name
    EXPECT_EQ(card.value(record_control(card, 1, VOLUME)), std::vector<DWORD> { 33025 });
    EXPECT_EQ(mixer.GetRecordVolume("mic capture"), 63);
    // The speakers' wave source has no recording counterpart.
    EXPECT_EQ(mixer.GetRecordVolume("Wave"), -1);
    EXPECT_FALSE(mixer.SetRecordVolume("Line-In", 128));
}

TEST(SMixerRecording, SelectingASourceSetsOnlyItsItem)
{
    auto cards = sim::install_sound_cards({ sim::default_sound_card() });
    auto& card = *cards[0];
    DWORD mux = *card.control_id(0xFFFF0001u, MIXERCONTROL_CONTROLTYPE_MUX);
    SMixer mixer(MIXER_OBJECTF_WAVEIN, "-1", nullptr);

    ASSERT_TRUE(mixer.SelectRecordSource("microphone"));
    EXPECT_EQ(card.value(mux), (std::vector<DWORD> { 0, 1, 0, 0 }));
    for (const char* name : { "line-in", "LINE-IN", "Line In" }) {
        card.set_value(mux, { 0, 0, 1, 0 });
        ASSERT_TRUE(mixer.SelectRecordSource(name)) << name;
        EXPECT_EQ(card.value(mux), (std::vector<DWORD> { 1, 0, 0, 0 })) << name;
    }
    EXPECT_FALSE(mixer.SelectRecordSource("Wave"));
    EXPECT_FALSE(mixer.SelectRecordSource("linein")); // only "line-in" has the other spellings
    card.fail_reads(mux);
    EXPECT_FALSE(mixer.SelectRecordSource("Microphone"));
}

TEST(SMixerRecording, EveryKindOfSelectorServes)
{
    for (DWORD type : { MIXERCONTROL_CONTROLTYPE_MUX, MIXERCONTROL_CONTROLTYPE_SINGLESELECT, MIXERCONTROL_CONTROLTYPE_MIXER,
             MIXERCONTROL_CONTROLTYPE_MULTIPLESELECT }) {
        SCOPED_TRACE(type);
        auto description = sim::default_sound_card();
        description.destinations[1].controls = { { VOLUME, 0, 65535, 0 }, { type, 0, 1, 0 } };
        auto cards = sim::install_sound_cards({ description });
        SMixer mixer(MIXER_OBJECTF_WAVEIN, "-1", nullptr);
        EXPECT_EQ(mixer.GetRecordSourceCount(), 4);
        ASSERT_TRUE(mixer.SelectRecordSource("Auxiliary"));
        EXPECT_EQ(cards[0]->value(*cards[0]->control_id(0xFFFF0001u, type)), (std::vector<DWORD> { 0, 0, 0, 1 }));
    }
}

TEST(SMixerRecording, SourceNamesComeFromTheSelectorAndStayInsideTheCount)
{
    sim::install_sound_cards({ sim::default_sound_card() });
    SMixer mixer(MIXER_OBJECTF_WAVEIN, "-1", nullptr);
    ASSERT_EQ(mixer.GetRecordSourceCount(), 4);
    std::vector<std::string> names;
    for (int i = 0; i < 4; ++i) {
        char name[64] = "";
        EXPECT_TRUE(mixer.GetRecordSourceName(i, name, sizeof(name)));
        names.push_back(name);
    }
    EXPECT_EQ(names, (std::vector<std::string> { "Line In", "Microphone", "CD Audio", "Auxiliary" }));

    char untouched[16] = "unchanged";
    EXPECT_FALSE(mixer.GetRecordSourceName(4, untouched, sizeof(untouched)));
    EXPECT_FALSE(mixer.GetRecordSourceName(-1, untouched, sizeof(untouched)));
    EXPECT_STREQ(untouched, "unchanged");

    char small[6];
    std::memset(small, 'x', sizeof(small));
    EXPECT_TRUE(mixer.GetRecordSourceName(1, small, sizeof(small)));
    EXPECT_STREQ(small, "Micro");
}

TEST(SMixerRecording, ASingleSourceDestinationOffersItsOwnNameAndUnmutesToSelect)
{
    auto description = sim::default_sound_card();
    description.destinations[1] = line(MIXERLINE_COMPONENTTYPE_DST_WAVEIN, "Recording", "TV Recording", 2, { { MUTE, 0, 1, 1 } });
    description.destinations[1].sources = { line(MIXERLINE_COMPONENTTYPE_SRC_LINE, "Line In", "Line In", 2, { { VOLUME, 0, 65535, 0 } }) };
    auto cards = sim::install_sound_cards({ description });
    SMixer mixer(MIXER_OBJECTF_WAVEIN, "-1", nullptr);

    EXPECT_EQ(mixer.GetRecordSourceCount(), 1);
    char name[64] = "";
    EXPECT_FALSE(mixer.GetRecordSourceName(0, name, sizeof(name)));
    EXPECT_STREQ(name, "TV Recording");

    DWORD mute = *cards[0]->control_id(0xFFFF0001u, MUTE);
    ASSERT_TRUE(mixer.SelectRecordSource("anything"));
    EXPECT_EQ(cards[0]->value(mute), std::vector<DWORD> { 0 });
}

TEST(SMixerRecording, ARecordingDestinationWithoutSelectorOrMuteHasNoSources)
{
    auto description = sim::default_sound_card();
    description.destinations[1].controls = { { VOLUME, 0, 65535, 0 } };
    sim::install_sound_cards({ description });
    SMixer mixer(MIXER_OBJECTF_WAVEIN, "-1", nullptr);
    EXPECT_EQ(mixer.GetRecordSourceCount(), -1);
    char name[16] = "kept";
    EXPECT_FALSE(mixer.GetRecordSourceName(0, name, sizeof(name)));
    EXPECT_STREQ(name, "kept");
    EXPECT_FALSE(mixer.SelectRecordSource("Line In"));
}

TEST(SMixerNotice, ChangesReachTheCallbackWindow)
{
    auto cards = sim::install_sound_cards({ sim::default_sound_card() });
    std::vector<std::pair<HWND, UINT>> posted;
    auto previous = mm::set_notice_poster([&](HWND w, UINT m, WPARAM, LPARAM) { posted.emplace_back(w, m); });
    HWND window = reinterpret_cast<HWND>(0x1234);
    {
        SMixer mixer(MIXER_OBJECTF_WAVEIN, "-1", window);
        ASSERT_TRUE(mixer.SetVolume("Line-In", 10));
    }
    mm::set_notice_poster(previous);
    EXPECT_EQ(posted, (std::vector<std::pair<HWND, UINT>> { { window, MM_MIXM_CONTROL_CHANGE } }));
}

}
