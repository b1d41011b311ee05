#include "EncoderFixture.h"

#include <base/Home.h>
#include <base/Text.h>
#include <wmenc/ProfileManager.h>
#include <wmenc/Profiles.h>

#include "ProfileEditor.h"

#include <user/Controls.h>
#include <user/Dialogs.h>

#include <fstream>
#include <set>

namespace encoder_test {

namespace {

std::string profiles_file() { return base::platform_home() + "/wmprofiles.json"; }

class Profiles : public EncoderTest {
protected:
    void TearDown() override
    {
        std::filesystem::remove(profiles_file());
        EncoderTest::TearDown();
    }
};

}

TEST_F(Profiles, TheStandardTableIsRecordableAndHoldsTheNamesTheSettingsUse)
{
    std::set<std::string> names;
    for (const wmenc::Profile& p : wmenc::standard_profiles()) {
        std::string why;
        EXPECT_TRUE(wmenc::is_recordable(p, &why)) << p.name << ": " << why;
        std::string folded;
        for (char c : p.name)
            folded += base::fold_ascii(c);
        EXPECT_TRUE(names.insert(folded).second) << "twice: " << p.name;
    }
    wmenc::Profile found;
    for (const char* name : { "Video for single-channel ISDN (64 Kbps)", "Video for e-mail and dual-channel ISDN (128 Kbps)",
             "AUDIO FOR FM RADIO QUALITY FOR DIAL-UP MODEMS (28.8 KBPS STEREO)" })
        EXPECT_TRUE(wmenc::find_profile(name, found)) << name;
    ASSERT_TRUE(wmenc::find_profile("Video for e-mail and dual-channel ISDN (128 Kbps)", found));
    EXPECT_EQ(found.width, 320);
    EXPECT_EQ(found.total_bits_per_second(), 128000);
}

TEST_F(Profiles, TheUsersProfilesJoinTheCollectionAndTheManagerDescribesThem)
{
    wmenc::Profile mine;
    mine.name = "My PAL sound";
    mine.sample_rate = 44100;
    mine.channels = 2;
    mine.audio_kbps = 96;
    ASSERT_TRUE(wmenc::add_user_profile(mine));
    wmenc::Profile standard = wmenc::standard_profiles().front();
    EXPECT_FALSE(wmenc::add_user_profile(standard)) << "a standard name is taken";
    wmenc::Profile broken = mine;
    broken.name = "Broken";
    broken.channels = 6;
    EXPECT_FALSE(wmenc::add_user_profile(broken));

    CComPtr<IWMEncoder> encoder;
    CoCreateInstance(CLSID_WMEncoder, nullptr, CLSCTX_INPROC_SERVER, IID_IWMEncoder, reinterpret_cast<void**>(&encoder));
    CComPtr<IWMEncProfileCollection> profiles;
    encoder->get_ProfileCollection(&profiles);
    LONG count = 0;
    profiles->get_Count(&count);
    ASSERT_EQ(count, static_cast<LONG>(wmenc::standard_profiles().size() + 1));
    CComPtr<IWMEncProfile> last;
    profiles->Item(count - 1, &last);
    SHORT audio = 0;
    SHORT video = 1;
    last->get_MediaCount(WMENC_AUDIO, &audio);
    last->get_MediaCount(WMENC_VIDEO, &video);
    EXPECT_EQ(audio, 1);
    EXPECT_EQ(video, 0);

    CComPtr<IWMEncProfileManager> manager;
    ASSERT_EQ(CoCreateInstance(CLSID_WMEncProfileManager, nullptr, CLSCTX_INPROC_SERVER, IID_IWMEncProfileManager, reinterpret_cast<void**>(&manager)), S_OK);
    BSTR name = SysAllocString(u"my pal sound");
    BSTR details = nullptr;
    EXPECT_EQ(manager->GetDetailsString(name, 0, &details), S_OK);
    EXPECT_EQ(std::u16string(details), u"Sound 44.1 kHz stereo, 96 Kbps.");
    SysFreeString(details);
    SysFreeString(name);
    name = SysAllocString(u"Video for e-mail and dual-channel ISDN (128 Kbps)");
    EXPECT_EQ(manager->GetDetailsString(name, 0, &details), S_OK);
    EXPECT_NE(base::to_utf8(details).find("Picture 320 x 240 at 15 frames per second, 96 Kbps.\r\nSound 22.05 kHz stereo, 32 Kbps."), std::string::npos)
        << base::to_utf8(details);
    SysFreeString(details);
    SysFreeString(name);
    name = SysAllocString(u"No such profile");
    EXPECT_EQ(manager->GetDetailsString(name, 0, &details), E_INVALIDARG);
    SysFreeString(name);

    EXPECT_TRUE(wmenc::remove_user_profile("MY PAL SOUND"));
    EXPECT_FALSE(wmenc::remove_user_profile("My PAL sound"));
    EXPECT_EQ(wmenc::all_profiles().size(), wmenc::standard_profiles().size());
}

TEST_F(Profiles, AnUnreadableOrWrongEntryInTheFileIsLeftOut)
{
    {
        std::ofstream out(profiles_file());
        out << R"([{"name": "Good", "sampleRate": 22050, "channels": 1, "audioKbps": 32},
                   {"name": "good", "sampleRate": 22050, "channels": 1, "audioKbps": 32},
                   {"name": "Odd size", "width": 321, "height": 240, "framesPerSecond": 15, "videoKbps": 100},
                   42])";
    }
    auto all = wmenc::all_profiles();
    ASSERT_EQ(all.size(), wmenc::standard_profiles().size() + 1);
    EXPECT_EQ(all.back().name, "Good");
    {
        std::ofstream out(profiles_file());
        out << "not json";
    }
    EXPECT_EQ(wmenc::all_profiles().size(), wmenc::standard_profiles().size());
}

TEST_F(Profiles, TheEditorSavesAndDeletesTheUsersProfilesAndKeepsTheStandardOnes)
{
    using namespace wmenc::detail;
    std::vector<std::string> steps;
    user::testing::set_dialog_script([&](const user::testing::ModalDialog& d) {
        EXPECT_EQ(d.caption, "Profiles");
        LRESULT listed = SendDlgItemMessageA(d.dialog, kProfileList, LB_GETCOUNT, 0, 0);
        EXPECT_EQ(listed, static_cast<LRESULT>(wmenc::standard_profiles().size()));
        char name[260];
        GetDlgItemTextA(d.dialog, kProfileName, name, sizeof name);
        EXPECT_STREQ(name, wmenc::standard_profiles().front().name.c_str()) << "the first profile is shown";
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d.dialog, kDeleteProfile))) << "a standard profile cannot go";

        // Saving a standard profile's fields under its own name is refused; under a new name, kept.
        user::testing::press_dialog_button(d.dialog, kSaveProfile);
        SetDlgItemTextA(d.dialog, kProfileName, "My small video");
        SetDlgItemInt(d.dialog, kPictureWidth, 240, FALSE);
        SetDlgItemInt(d.dialog, kPictureHeight, 180, FALSE);
        user::testing::press_dialog_button(d.dialog, kSaveProfile);
        SetDlgItemTextA(d.dialog, kProfileName, "Odd");
        SetDlgItemInt(d.dialog, kPictureWidth, 241, FALSE);
        user::testing::press_dialog_button(d.dialog, kSaveProfile);
        steps.push_back(std::to_string(SendDlgItemMessageA(d.dialog, kProfileList, LB_GETCOUNT, 0, 0)));
        user::testing::press_dialog_button(d.dialog, IDCANCEL);
    });
    CComPtr<IWMEncProfileManager> manager;
    CoCreateInstance(CLSID_WMEncProfileManager, nullptr, CLSCTX_INPROC_SERVER, IID_IWMEncProfileManager, reinterpret_cast<void**>(&manager));
    EXPECT_EQ(manager->EditProfiles(17, 1, 0), S_OK);
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0], std::to_string(wmenc::standard_profiles().size() + 1));
    auto boxes = user::testing::message_box_journal();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].box.text, "The standard profile \"Video for single-channel ISDN (64 Kbps)\" is kept as it is: save your changes under a new name.");
    EXPECT_EQ(boxes[1].box.text, "The profile's picture size cannot be recorded.");
    wmenc::Profile mine;
    ASSERT_TRUE(wmenc::find_profile("my small video", mine));
    EXPECT_EQ(mine.width, 240);
    EXPECT_EQ(mine.frames_per_second, 15) << "the other fields as shown";

    // Deleting it from the editor.
    user::testing::set_dialog_script([&](const user::testing::ModalDialog& d) {
        LRESULT last = SendDlgItemMessageA(d.dialog, kProfileList, LB_GETCOUNT, 0, 0) - 1;
        SendDlgItemMessageA(d.dialog, kProfileList, LB_SETCURSEL, static_cast<WPARAM>(last), 0);
        SendMessageA(d.dialog, WM_COMMAND, MAKEWPARAM(kProfileList, LBN_SELCHANGE), 0);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d.dialog, kDeleteProfile)));
        user::testing::press_dialog_button(d.dialog, kDeleteProfile);
        user::testing::press_dialog_button(d.dialog, IDCANCEL);
    });
    EXPECT_EQ(manager->EditProfiles(17, 1, 0), S_OK);
    EXPECT_FALSE(wmenc::find_profile("my small video", mine));
}

}
