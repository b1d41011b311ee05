// The AVI/WAV and Sound device pages: their lists from the device enumerator and the sound
// cards, what they show of the settings and what confirming them stores.

#include "PreferencesFixture.h"

#include <dialogs/SetAvi.h>
#include <dialogs/SetFile.h>
#include <dialogs/SetSound.h>

#include <base/SystemInfo.h>
#include <com/Apartment.h>
#include <dshow/DeviceEnumerator.h>
#include <dshow/FilterGraph.h>
#include <sim/SoundCard.h>

#include <cstring>

namespace {

using namespace dialog_driver;

std::vector<std::string> entries(HWND page, int id)
{
    std::vector<std::string> list;
    HWND combo = item(page, id);
    int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[300] = {};
        SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        list.push_back(text);
    }
    return list;
}

bool listed(const std::vector<std::string>& list, const char* name)
{
    return std::find(list.begin(), list.end(), name) != list.end();
}

class AviPageTest : public PreferencesFixture {
protected:
    void SetUp() override
    {
        PreferencesFixture::SetUp();
        CoInitialize(nullptr);
        dshow::register_classes();
        for (const char16_t* name : { u"Test Motion Codec", u"Test Lossless Codec" })
            ids.push_back(dshow::register_device({ CLSID_VideoCompressorCategory, name, CLSID_NULL, u"", nullptr }));
        ids.push_back(dshow::register_device({ CLSID_AudioCompressorCategory, u"Test Sound Codec", CLSID_NULL, u"", nullptr }));
        std::strcpy(Settings.VideoCodec, "test lossless");
        std::strcpy(Settings.AudioCodec, "Codec no longer installed");
    }
    void TearDown() override
    {
        for (int id : ids)
            dshow::unregister_device(id);
        CoUninitialize();
        PreferencesFixture::TearDown();
    }
    std::vector<int> ids;
};

TEST_F(AviPageTest, ListsTheCompressorsAndStoresTheChoiceWithNoCompressionAsEmpty)
{
    LONG format = 3;
    OWL::TPropertySheet sheet(frame, "Options", 0, false, PSH_NOAPPLYNOW);
    new TSetAvi(&sheet, &format);
    run(sheet, [&](HWND s) {
        HWND p = page_of(s);
        auto video = entries(p, 2101);
        ASSERT_FALSE(video.empty());
        EXPECT_EQ(video[0], "<No compression>");
        EXPECT_TRUE(listed(video, "Test Motion Codec"));
        EXPECT_FALSE(listed(video, "Test Sound Codec")) << "only the video category";
        EXPECT_TRUE(listed(entries(p, 2106), "Test Sound Codec"));
        // The stored name picks its entry by its beginning, without regard to case; a name no
        // longer installed leaves "<No compression>".
        EXPECT_EQ(text(p, 2101), "Test Lossless Codec");
        EXPECT_EQ(text(p, 2106), "<No compression>");
        EXPECT_EQ(IsDlgButtonChecked(p, 2105), BST_UNCHECKED);
        EXPECT_FALSE(IsWindowVisible(item(p, 2103)));
        EXPECT_FALSE(IsWindowVisible(item(p, 2104)));
        pick(p, 2101, "<No compression>");
        pick(p, 2106, "Test Sound Codec");
    });
    EXPECT_STREQ(Settings.VideoCodec, "");
    EXPECT_STREQ(Settings.AudioCodec, "Test Sound Codec");
}

TEST_F(AviPageTest, TheFormatBoxActsAtOnceOnTheSheetsCopyEvenWhenCancelled)
{
    LONG format = 3;
    Settings.ImprovedFilePattern[0] = '\0';
    Settings.FileInstanceMode = 1;
    OWL::TPropertySheet sheet(frame, "Options", 0, false, PSH_NOAPPLYNOW);
    new TSetAvi(&sheet, &format);
    new TSetFile(&sheet, &format);
    run(sheet, [&](HWND s) {
        user::testing::press_dialog_button(page_of(s), 2105);
        EXPECT_EQ(format, 0);
        SendMessageA(s, PSM_SETCURSEL, 1, 0);
        EXPECT_EQ(text(page_of(s), 1311), "Event.avi") << "the File page's example follows the copy";
        SendMessageA(s, PSM_SETCURSEL, 0, 0);
        EXPECT_EQ(IsDlgButtonChecked(page_of(s), 2105), BST_CHECKED);
        user::testing::press_dialog_button(page_of(s), 2105);
        EXPECT_EQ(format, 3);
        user::testing::press_dialog_button(page_of(s), 2105);
    }, IDCANCEL);
    EXPECT_EQ(format, 0);
    EXPECT_STREQ(Settings.VideoCodec, "test lossless") << "Cancel applies nothing";
}

class SoundPageTest : public PreferencesFixture {
protected:
    void SetUp() override
    {
        PreferencesFixture::SetUp();
        sim::SoundCardDescription a = sim::default_sound_card();
        a.wave_in = mm::WaveDevice { "Alpha In" };
        a.wave_out = mm::WaveDevice { "Alpha Out" };
        sim::SoundCardDescription b = sim::default_sound_card();
        b.wave_in.reset();
        b.wave_out = mm::WaveDevice { "Beta Out" };
        sim::SoundCardDescription plain;
        plain.wave_in = mm::WaveDevice { "Gamma In" };
        plain.has_mixer = false;
        sim::SoundCardDescription silent = sim::default_sound_card();
        silent.wave_in = mm::WaveDevice { "Delta In" };
        silent.wave_out.reset();
        silent.destinations[1].sources.clear();
        silent.destinations[1].controls.clear();
        sim::install_sound_cards({ a, b, plain, silent });
        std::strcpy(Settings.WaveOutDriver, "-1");
        std::strcpy(Settings.WaveInDriver, "Alpha In");
        std::strcpy(Settings.MixerInput, "Line");
        Settings.ChangeMixer = 1;
        Settings.MixerStream = 1;
        base::set_os_major_version(5);
    }
    void TearDown() override
    {
        sim::install_sound_cards({});
        base::set_os_major_version(6);
        PreferencesFixture::TearDown();
    }
};

TEST_F(SoundPageTest, ListsTheDevicesAndTheInputsRecordingLines)
{
    std::strcpy(Settings.WaveInDriver, "Alpha In");
    OWL::TPropertySheet sheet(frame, "Options", 0, false, PSH_NOAPPLYNOW);
    new TSetSound(&sheet, 7);
    run(sheet, [&](HWND s) {
        EXPECT_EQ(sheet.GetWizButtons(), 7);
        HWND p = page_of(s);
        EXPECT_EQ(entries(p, 2308), (std::vector<std::string> { "<default>", "Alpha Out", "Beta Out" }));
        EXPECT_EQ(entries(p, 2306), (std::vector<std::string> { "<default>", "Alpha In", "Delta In", "Gamma In" }));
        EXPECT_EQ(text(p, 2308), "<default>");
        EXPECT_EQ(text(p, 2306), "Alpha In");
        EXPECT_EQ(entries(p, 2303), (std::vector<std::string> { "<not connected>", "Auxiliary", "CD Audio", "Line In", "Microphone" }));
        EXPECT_EQ(text(p, 2303), "Line In");
        EXPECT_TRUE(IsWindowEnabled(item(p, 2303)));
        EXPECT_EQ(IsDlgButtonChecked(p, 2301), BST_CHECKED);

        pick(p, 2306, "Gamma In");
        EXPECT_TRUE(entries(p, 2303).empty()) << "a card without a mixer";
        pick(p, 2306, "Delta In");
        EXPECT_TRUE(entries(p, 2303).empty()) << "a mixer without recording sources";
        pick(p, 2306, "Alpha In");
        pick(p, 2303, "Microphone");
        user::testing::press_dialog_button(p, 2301);
    });
    EXPECT_STREQ(Settings.WaveOutDriver, "<default>");
    EXPECT_STREQ(Settings.WaveInDriver, "Alpha In");
    EXPECT_STREQ(Settings.MixerInput, "Microphone");
    EXPECT_EQ(Settings.ChangeMixer, 0);
}

TEST_F(SoundPageTest, StreamingIsOfferedOnlyBetweenTwoCards)
{
    std::strcpy(Settings.WaveOutDriver, "Alpha Out");
    OWL::TPropertySheet sheet(frame, "Options", 0, false, PSH_NOAPPLYNOW);
    new TSetSound(&sheet);
    run(sheet, [&](HWND s) {
        HWND p = page_of(s);
        EXPECT_FALSE(IsWindowVisible(item(p, 2313))) << "one card";
    });
    EXPECT_EQ(Settings.MixerStream, 0) << "a hidden box stores 0";

    OWL::TPropertySheet again(frame, "Options", 0, false, PSH_NOAPPLYNOW);
    new TSetSound(&again);
    run(again, [&](HWND s) {
        HWND p = page_of(s);
        pick(p, 2308, "Beta Out");
        EXPECT_TRUE(IsWindowVisible(item(p, 2313)));
        EXPECT_EQ(IsDlgButtonChecked(p, 2313), BST_CHECKED);
    });
    EXPECT_STREQ(Settings.WaveOutDriver, "Beta Out");
    EXPECT_EQ(Settings.MixerStream, 1);
}

TEST_F(SoundPageTest, AMissingDeviceShowsTheDefaultAndNewerSystemsGreyTheLineButKeepIt)
{
    std::strcpy(Settings.WaveInDriver, "Card removed");
    base::set_os_major_version(6);
    OWL::TPropertySheet sheet(frame, "Options", 0, false, PSH_NOAPPLYNOW);
    new TSetSound(&sheet);
    run(sheet, [&](HWND s) {
        HWND p = page_of(s);
        EXPECT_EQ(text(p, 2306), "<default>");
        EXPECT_FALSE(IsWindowEnabled(item(p, 2303)));
        EXPECT_FALSE(IsWindowEnabled(item(p, 2304)));
        EXPECT_EQ(text(p, 2303), "Line In") << "the default device's lines, filled";
        key(p, VK_F1, 2308);
    });
    EXPECT_STREQ(Settings.WaveInDriver, "<default>");
    EXPECT_STREQ(Settings.MixerInput, "Line In");
    EXPECT_EQ(popups(), (std::vector<UINT> { 2308 }));
}

}
