#include <mm/Mixer.h>
#include <mm/Notices.h>
#include <user/User.h>
#include <sim/SoundCard.h>

#include <PlainWindow.h>
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

HMIXEROBJ obj(HMIXER mixer) { return reinterpret_cast<HMIXEROBJ>(mixer); }
HWND window(UINT_PTR n) { return reinterpret_cast<HWND>(n); }

struct Notice {
    HWND window;
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
    bool operator==(const Notice&) const = default;
};

class Mixer : public ::testing::Test {
protected:
    void SetUp() override
    {
        cards = sim::install_sound_cards({ sim::default_sound_card() });
        default_poster = mm::set_notice_poster([this](HWND w, UINT m, WPARAM wp, LPARAM lp) { notices.push_back({ w, m, wp, lp }); });
        ASSERT_EQ(mixerOpen(&mixer, 0, 0, 0, MIXER_OBJECTF_WAVEIN), MMSYSERR_NOERROR);
    }
    void TearDown() override
    {
        mixerClose(mixer);
        mm::set_notice_poster(default_poster);
    }

    MIXERLINEA line_by_type(DWORD type)
    {
        MIXERLINEA line {};
        line.cbStruct = sizeof(line);
        line.dwComponentType = type;
        EXPECT_EQ(mixerGetLineInfoA(obj(mixer), &line, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_COMPONENTTYPE), MMSYSERR_NOERROR);
        return line;
    }
    MMRESULT control(DWORD line_id, DWORD type, MIXERCONTROLA& out)
    {
        MIXERLINECONTROLSA request {};
        request.cbStruct = sizeof(request);
        request.dwLineID = line_id;
        request.dwControlType = type;
        request.cControls = 1;
        request.cbmxctrl = sizeof(out);
        request.pamxctrl = &out;
        return mixerGetLineControlsA(obj(mixer), &request, MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE);
    }
    MMRESULT set(HMIXER through, DWORD control_id, std::vector<DWORD> values)
    {
        MIXERCONTROLDETAILS details {};
        details.cbStruct = sizeof(details);
        details.dwControlID = control_id;
        details.cChannels = 1;
        details.cMultipleItems = values.size() > 1 ? static_cast<DWORD>(values.size()) : 0;
        details.cbDetails = sizeof(DWORD);
        details.paDetails = values.data();
        return mixerSetControlDetails(obj(through), &details, MIXER_OBJECTF_HMIXER);
    }
    MMRESULT get(DWORD control_id, std::vector<DWORD>& values)
    {
        MIXERCONTROLDETAILS details {};
        details.cbStruct = sizeof(details);
        details.dwControlID = control_id;
        details.cChannels = 1;
        details.cMultipleItems = values.size() > 1 ? static_cast<DWORD>(values.size()) : 0;
        details.cbDetails = sizeof(DWORD);
        details.paDetails = values.data();
        return mixerGetControlDetailsA(obj(mixer), &details, MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_VALUE);
    }

    std::vector<std::shared_ptr<sim::SoundCard>> cards;
    std::vector<Notice> notices;
    mm::NoticePoster default_poster;
    HMIXER mixer = nullptr;
};

TEST_F(Mixer, TheDefaultCardHasSpeakersAndARecordingDestination)
{
    EXPECT_EQ(mixerGetNumDevs(), 1u);
    MIXERCAPSA caps {};
    ASSERT_EQ(mixerGetDevCapsA(0, &caps, sizeof(caps)), MMSYSERR_NOERROR);
    EXPECT_EQ(caps.cDestinations, 2u);

    MIXERLINEA speakers = line_by_type(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
    EXPECT_EQ(speakers.cConnections, 5u);
    EXPECT_EQ(speakers.Target.dwType, MIXERLINE_TARGETTYPE_WAVEOUT);
    EXPECT_STREQ(speakers.Target.szPname, "Virtual Sound Card");
    std::vector<std::string> names;
    for (DWORD s = 0; s < speakers.cConnections; ++s) {
        MIXERLINEA source {};
        source.cbStruct = sizeof(source);
        source.dwDestination = speakers.dwDestination;
        source.dwSource = s;
        ASSERT_EQ(mixerGetLineInfoA(obj(mixer), &source, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_SOURCE), MMSYSERR_NOERROR);
        EXPECT_NE(source.fdwLine & MIXERLINE_LINEF_SOURCE, 0u);
        EXPECT_EQ(source.cControls, 2u);
        MIXERCONTROLA volume, mute;
        EXPECT_EQ(control(source.dwLineID, MIXERCONTROL_CONTROLTYPE_VOLUME, volume), MMSYSERR_NOERROR);
        EXPECT_EQ(control(source.dwLineID, MIXERCONTROL_CONTROLTYPE_MUTE, mute), MMSYSERR_NOERROR);
        names.push_back(source.szName);
    }
    EXPECT_EQ(names, (std::vector<std::string> { "Line In", "Microphone", "CD Audio", "Wave", "Auxiliary" }));

    MIXERLINEA recording = line_by_type(MIXERLINE_COMPONENTTYPE_DST_WAVEIN);
    EXPECT_EQ(recording.Target.dwType, MIXERLINE_TARGETTYPE_WAVEIN);
    MIXERCONTROLA mux;
    ASSERT_EQ(control(recording.dwLineID, MIXERCONTROL_CONTROLTYPE_MUX, mux), MMSYSERR_NOERROR);
    EXPECT_EQ(mux.cMultipleItems, recording.cConnections);
    EXPECT_NE(mux.fdwControl & MIXERCONTROL_CONTROLF_MULTIPLE, 0u);

    std::vector<MIXERCONTROLDETAILS_LISTTEXTA> texts(mux.cMultipleItems);
    MIXERCONTROLDETAILS details {};
    details.cbStruct = sizeof(details);
    details.dwControlID = mux.dwControlID;
    details.cChannels = 1;
    details.cMultipleItems = mux.cMultipleItems;
    details.cbDetails = sizeof(MIXERCONTROLDETAILS_LISTTEXTA);
    details.paDetails = texts.data();
    ASSERT_EQ(mixerGetControlDetailsA(obj(mixer), &details, MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_LISTTEXT), MMSYSERR_NOERROR);
    EXPECT_STREQ(texts[0].szName, "Line In");
    EXPECT_EQ(texts[1].dwParam2, MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE);

    // The item's line id leads back to the source.
    MIXERLINEA by_id {};
    by_id.cbStruct = sizeof(by_id);
    by_id.dwLineID = texts[1].dwParam1;
    ASSERT_EQ(mixerGetLineInfoA(obj(mixer), &by_id, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_LINEID), MMSYSERR_NOERROR);
    EXPECT_STREQ(by_id.szName, "Microphone");
}

TEST_F(Mixer, LineAndControlQueriesRefuseWhatDoesNotExist)
{
    MIXERLINEA line {};
    line.cbStruct = sizeof(line);
    line.dwComponentType = MIXERLINE_COMPONENTTYPE_DST_HEADPHONES;
    EXPECT_EQ(mixerGetLineInfoA(obj(mixer), &line, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_COMPONENTTYPE), MIXERR_INVALLINE);
    line.dwDestination = 0;
    line.dwSource = 5;
    EXPECT_EQ(mixerGetLineInfoA(obj(mixer), &line, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_SOURCE), MMSYSERR_INVALPARAM);
    line.cbStruct = sizeof(line) - 1;
    EXPECT_EQ(mixerGetLineInfoA(obj(mixer), &line, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_DESTINATION), MMSYSERR_INVALPARAM);

    MIXERLINEA recording = line_by_type(MIXERLINE_COMPONENTTYPE_DST_WAVEIN);
    MIXERCONTROLA out;
    EXPECT_EQ(control(recording.dwLineID, MIXERCONTROL_CONTROLTYPE_MUTE, out), MIXERR_INVALCONTROL);
    EXPECT_EQ(control(0x12345678, MIXERCONTROL_CONTROLTYPE_VOLUME, out), MIXERR_INVALLINE);

    // All controls: the count must be the line's.
    MIXERLINEA speakers = line_by_type(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
    std::vector<MIXERCONTROLA> all(speakers.cControls);
    MIXERLINECONTROLSA request {};
    request.cbStruct = sizeof(request);
    request.dwLineID = speakers.dwLineID;
    request.cControls = speakers.cControls;
    request.cbmxctrl = sizeof(MIXERCONTROLA);
    request.pamxctrl = all.data();
    ASSERT_EQ(mixerGetLineControlsA(obj(mixer), &request, MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ALL), MMSYSERR_NOERROR);
    EXPECT_EQ(all[0].dwControlType, MIXERCONTROL_CONTROLTYPE_VOLUME);
    EXPECT_EQ(all[1].dwControlType, MIXERCONTROL_CONTROLTYPE_MUTE);
    request.cControls = 1;
    EXPECT_EQ(mixerGetLineControlsA(obj(mixer), &request, MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ALL), MMSYSERR_INVALPARAM);
}

TEST_F(Mixer, ValuesAreCheckedWrittenAndReadBack)
{
    MIXERLINEA speakers = line_by_type(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
    MIXERCONTROLA volume, mute;
    ASSERT_EQ(control(speakers.dwLineID, MIXERCONTROL_CONTROLTYPE_VOLUME, volume), MMSYSERR_NOERROR);
    ASSERT_EQ(control(speakers.dwLineID, MIXERCONTROL_CONTROLTYPE_MUTE, mute), MMSYSERR_NOERROR);
    EXPECT_EQ(volume.Bounds.dwMaximum, 65535u);

    EXPECT_EQ(set(mixer, volume.dwControlID, { 1234 }), MMSYSERR_NOERROR);
    std::vector<DWORD> value(1);
    ASSERT_EQ(get(volume.dwControlID, value), MMSYSERR_NOERROR);
    EXPECT_EQ(value[0], 1234u);
    EXPECT_EQ(set(mixer, volume.dwControlID, { 65536 }), MMSYSERR_INVALPARAM);
    EXPECT_EQ(set(mixer, mute.dwControlID, { 7 }), MMSYSERR_NOERROR);
    ASSERT_EQ(get(mute.dwControlID, value), MMSYSERR_NOERROR);
    EXPECT_EQ(value[0], 1u);
    EXPECT_EQ(set(mixer, 999, { 1 }), MIXERR_INVALCONTROL);

    cards[0]->fail_reads(volume.dwControlID);
    EXPECT_NE(get(volume.dwControlID, value), MMSYSERR_NOERROR);
    cards[0]->fail_writes(volume.dwControlID);
    EXPECT_NE(set(mixer, volume.dwControlID, { 5 }), MMSYSERR_NOERROR);

    // A selector takes exactly one item.
    MIXERLINEA recording = line_by_type(MIXERLINE_COMPONENTTYPE_DST_WAVEIN);
    MIXERCONTROLA mux;
    ASSERT_EQ(control(recording.dwLineID, MIXERCONTROL_CONTROLTYPE_MUX, mux), MMSYSERR_NOERROR);
    EXPECT_EQ(set(mixer, mux.dwControlID, { 1, 1, 0, 0 }), MMSYSERR_INVALPARAM);
    EXPECT_EQ(set(mixer, mux.dwControlID, { 1, 0 }), MMSYSERR_INVALPARAM);
    EXPECT_EQ(set(mixer, mux.dwControlID, { 0, 0, 1, 0 }), MMSYSERR_NOERROR);
    std::vector<DWORD> items(4);
    ASSERT_EQ(get(mux.dwControlID, items), MMSYSERR_NOERROR);
    EXPECT_EQ(items, (std::vector<DWORD> { 0, 0, 1, 0 }));
}

TEST_F(Mixer, EveryCallbackWindowHearsOfEachChangeTheChangersOwnIncluded)
{
    HMIXER first = nullptr, second = nullptr;
    ASSERT_EQ(mixerOpen(&first, 0, reinterpret_cast<DWORD_PTR>(window(0x100)), 0, MIXER_OBJECTF_WAVEIN | CALLBACK_WINDOW), MMSYSERR_NOERROR);
    ASSERT_EQ(mixerOpen(&second, 0, reinterpret_cast<DWORD_PTR>(window(0x200)), 0, MIXER_OBJECTF_WAVEOUT | CALLBACK_WINDOW), MMSYSERR_NOERROR);
    MIXERLINEA speakers = line_by_type(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
    MIXERCONTROLA volume;
    ASSERT_EQ(control(speakers.dwLineID, MIXERCONTROL_CONTROLTYPE_VOLUME, volume), MMSYSERR_NOERROR);

    ASSERT_EQ(set(first, volume.dwControlID, { 100 }), MMSYSERR_NOERROR);
    auto lparam = static_cast<LPARAM>(volume.dwControlID);
    EXPECT_EQ(notices, (std::vector<Notice> {
                           { window(0x100), MM_MIXM_CONTROL_CHANGE, reinterpret_cast<WPARAM>(first), lparam },
                           { window(0x200), MM_MIXM_CONTROL_CHANGE, reinterpret_cast<WPARAM>(second), lparam },
                       }));

    // Setting the value it already has changes nothing; a change from outside is heard too.
    notices.clear();
    ASSERT_EQ(set(first, volume.dwControlID, { 100 }), MMSYSERR_NOERROR);
    EXPECT_TRUE(notices.empty());
    cards[0]->set_value(volume.dwControlID, { 200 });
    EXPECT_EQ(notices.size(), 2u);

    // A closed handle hears nothing more and names nothing.
    notices.clear();
    EXPECT_EQ(mixerClose(second), MMSYSERR_NOERROR);
    EXPECT_EQ(mixerClose(second), MMSYSERR_INVALHANDLE);
    cards[0]->set_value(volume.dwControlID, { 300 });
    EXPECT_EQ(notices, (std::vector<Notice> { { window(0x100), MM_MIXM_CONTROL_CHANGE, reinterpret_cast<WPARAM>(first), lparam } }));
    UINT id = 0;
    EXPECT_EQ(mixerGetID(obj(second), &id, MIXER_OBJECTF_HMIXER), MMSYSERR_INVALHANDLE);
    mixerClose(first);
}

TEST(MixerDevices, OpeningFollowsTheWaveDevicesOfEachCard)
{
    sim::SoundCardDescription second = sim::default_sound_card();
    second.wave_in = mm::WaveDevice { "Second In" };
    second.wave_out.reset();
    sim::SoundCardDescription broken = sim::default_sound_card();
    broken.mixer_open_fails = true;
    sim::SoundCardDescription mixerless;
    mixerless.wave_in = mm::WaveDevice { "No Mixer" };
    mixerless.has_mixer = false;
    sim::install_sound_cards({ sim::default_sound_card(), second, broken, mixerless });

    EXPECT_EQ(mixerGetNumDevs(), 3u);
    struct Case {
        DWORD kind;
        UINT device;
        MMRESULT result;
        UINT mixer_id;
    };
    for (auto [kind, device, result, mixer_id] : std::vector<Case> {
             { MIXER_OBJECTF_WAVEIN, 0, MMSYSERR_NOERROR, 0 },
             { MIXER_OBJECTF_WAVEIN, 1, MMSYSERR_NOERROR, 1 },
             { MIXER_OBJECTF_WAVEOUT, 1, MMSYSERR_NODRIVER, 0 },   // the broken card's output
             { MIXER_OBJECTF_WAVEIN, 3, MMSYSERR_NODRIVER, 0 },    // a card without mixer
             { MIXER_OBJECTF_WAVEIN, 4, MMSYSERR_BADDEVICEID, 0 },
             { MIXER_OBJECTF_MIXER, 1, MMSYSERR_NOERROR, 1 },
             { MIXER_OBJECTF_AUX, 0, MMSYSERR_INVALFLAG, 0 },
             { 0x00001234, 0, MMSYSERR_INVALFLAG, 0 },
         }) {
        SCOPED_TRACE(testing::Message() << std::hex << kind << " " << device);
        HMIXER mixer = reinterpret_cast<HMIXER>(1);
        EXPECT_EQ(mixerOpen(&mixer, device, 0, 0, kind), result);
        if (result != MMSYSERR_NOERROR) {
            EXPECT_EQ(mixer, nullptr);
            continue;
        }
        UINT id = 0xFFFF;
        EXPECT_EQ(mixerGetID(obj(mixer), &id, MIXER_OBJECTF_HMIXER), MMSYSERR_NOERROR);
        EXPECT_EQ(id, mixer_id);
        mixerClose(mixer);
    }
    HMIXER mixer = nullptr;
    EXPECT_EQ(mixerOpen(&mixer, 0, 0, 0, MIXER_OBJECTF_WAVEIN | CALLBACK_FUNCTION), MMSYSERR_INVALFLAG);
}

}

TEST_F(Mixer, TheNoticeReachesTheCallbackWindowsQueue)
{
    mm::set_notice_poster(default_poster);
    HWND window = plain_window("mixer");
    ASSERT_TRUE(window);
    HMIXER watcher = nullptr;
    ASSERT_EQ(mixerOpen(&watcher, 0, reinterpret_cast<DWORD_PTR>(window), 0, MIXER_OBJECTF_WAVEOUT | CALLBACK_WINDOW), MMSYSERR_NOERROR);
    MIXERLINEA speakers = line_by_type(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
    MIXERCONTROLA volume;
    ASSERT_EQ(control(speakers.dwLineID, MIXERCONTROL_CONTROLTYPE_VOLUME, volume), MMSYSERR_NOERROR);
    ASSERT_EQ(set(mixer, volume.dwControlID, { 1234 }), MMSYSERR_NOERROR);

    MSG msg {};
    ASSERT_TRUE(PeekMessageA(&msg, window, MM_MIXM_CONTROL_CHANGE, MM_MIXM_CONTROL_CHANGE, PM_REMOVE));
    EXPECT_EQ(msg.wParam, reinterpret_cast<WPARAM>(watcher));
    EXPECT_EQ(msg.lParam, static_cast<LPARAM>(volume.dwControlID));
    mixerClose(watcher);
    DestroyWindow(window);
}
