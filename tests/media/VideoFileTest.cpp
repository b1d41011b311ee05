// VideoFile over the platform's graph: files made by ffmpeg play in a child of the owner window to
// their end, positions and seeks in whole seconds, volume and mute on the chosen sound device,
// the error texts, the tag search, the size and the names.

#include <media/VideoFile.h>

#include "MediaFiles.h"
#include "TempHome.h"

#include <base/Clock.h>
#include <base/Path.h>
#include <com/Apartment.h>
#include <com/Object.h>
#include <dshow/AudioRenderer.h>
#include <dshow/DeviceEnumerator.h>
#include <dshow/FilterGraph.h>
#include <dshow/SystemFilters.h>
#include <user/MessageBox.h>
#include <user/Window.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

namespace {

DEFINE_GUID(CLSID_TestSpeakers, 0x3E1F0B6A, 0x2D44, 0x4C1B, 0x8E, 0x10, 0x5A, 0x77, 0x21, 0xC3, 0x9D, 0x02);

LRESULT CALLBACK plain_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    return DefWindowProcA(window, message, wparam, lparam);
}

class Player : public ::testing::Test {
protected:
    static void SetUpTestSuite() { dir = test_support::make_temp_dir("videofile"); }
    void SetUp() override
    {
        CoInitialize(nullptr);
        dshow::register_classes();
        base::Clock::install_virtual(base::Clock::make_wall_ms(2026, 12, 11, 21, 0, 0));
        WNDCLASSA wc {};
        wc.lpfnWndProc = plain_proc;
        wc.lpszClassName = "PlayerOwner";
        RegisterClassA(&wc);
        owner = CreateWindowExA(0, "PlayerOwner", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 360, 280, nullptr, nullptr, nullptr, nullptr);
        // A sound device of its own, so the test can read the renderer the player chose.
        speakers_id = dshow::register_device({ CLSID_AudioRendererCategory, u"Speakers (Test Card)", CLSID_TestSpeakers, {},
            [this](IUnknown*, REFIID iid, void** out) {
                auto* renderer = new dshow::AudioRenderer(CLSID_DSoundRender);
                speakers = renderer;
                HRESULT hr = renderer->QueryInterface(iid, out);
                renderer->Release();
                return hr;
            } });
    }
    void TearDown() override
    {
        delete player;
        speakers = nullptr;
        dshow::unregister_device(speakers_id);
        DestroyWindow(owner);
        base::Clock::install_real();
        CoUninitialize();
    }

    static std::string made(const std::string& name, const test_support::MediaRecipe& recipe)
    {
        std::string path = dir + "/" + name;
        if (test_support::read_bytes(path).empty())
            test_support::make_media_file(path, recipe);
        return base::to_windows_path(path);
    }
    static std::string avi() { return made("clip.avi", { "-c:v mjpeg -c:a pcm_s16le" }); }

    void open(const std::string& path, const char* device = "Test Card", bool mute = false, int volume = 50)
    {
        delete player;
        player = new VideoFile(path.c_str(), owner, device, mute, volume);
    }
    // Pumps the owner's messages, handing WM_GRAPHNOTIFY to the player, until it stops running.
    bool play_to_end()
    {
        for (int i = 0; i < 20000; ++i) {
            MSG message {};
            while (PeekMessageA(&message, owner, WM_GRAPHNOTIFY, WM_GRAPHNOTIFY, PM_REMOVE))
                player->HandleGraphEvents(message.wParam, message.lParam);
            if (!player->IsRunning())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            Sleep(20);
        }
        return false;
    }
    LONG speaker_volume()
    {
        LONG volume = 1;
        if (speakers)
            speakers->get_Volume(&volume);
        return volume;
    }

    static inline std::string dir;
    HWND owner {};
    VideoFile* player {};
    dshow::AudioRenderer* speakers {};
    int speakers_id {};
};

TEST_F(Player, PlaysARecordingInAChildOfTheOwnerToItsEnd)
{
    if (!test_support::have_ffmpeg())
        GTEST_SKIP();
    open(avi());
    ASSERT_TRUE(player->IsOk());
    EXPECT_STREQ(player->GetErrorText(), "");
    EXPECT_STREQ(player->GetAudioRendererName(), "Speakers (Test Card)");
    EXPECT_EQ(player->GetDuration(), 2);
    EXPECT_EQ(player->GetPosition(), 0);
    HWND video = FindWindowExA(owner, nullptr, "VideoRenderer", "ActiveMovie Window");
    ASSERT_NE(video, nullptr);
    EXPECT_TRUE(IsWindowVisible(video));
    RECT box {};
    GetClientRect(video, &box);
    EXPECT_EQ(box.right, 360);
    EXPECT_EQ(box.bottom, 280);

    ASSERT_TRUE(player->Run());
    EXPECT_TRUE(player->IsRunning());
    ASSERT_TRUE(play_to_end());
    EXPECT_EQ(player->GetPosition(), 2);
    EXPECT_GT(speakers->rendered_bytes(), 0u);

    // Seeks in whole seconds; a later Run plays from there.
    ASSERT_TRUE(player->SetPosition(1));
    EXPECT_EQ(player->GetPosition(), 1);
    ASSERT_TRUE(player->SetRate(0.5));
    ASSERT_TRUE(player->Run());
    ASSERT_TRUE(play_to_end());
    EXPECT_EQ(player->GetPosition(), 2);
}

TEST_F(Player, VolumeAndMuteReachTheChosenSoundDevice)
{
    if (!test_support::have_ffmpeg())
        GTEST_SKIP();
    open(avi(), "Test Card", false, 37);
    ASSERT_TRUE(player->IsOk());
    EXPECT_EQ(speaker_volume(), -6300);
    player->SetMute(true);
    EXPECT_EQ(speaker_volume(), -10000);
    player->SetVolume(80); // kept for the unmute
    player->SetMute(true);
    EXPECT_EQ(speaker_volume(), -10000);
    player->SetMute(false);
    EXPECT_EQ(speaker_volume(), -2000);
    for (auto [level, expected] : { std::pair { 0, -10000 }, { 50, -5000 }, { 100, 0 }, { 150, 0 }, { -5, -10000 } }) {
        player->SetVolume(level);
        EXPECT_EQ(speaker_volume(), expected) << level;
    }

    // Muted from the start.
    open(avi(), "Test Card", true, 60);
    EXPECT_EQ(speaker_volume(), -10000);
    player->SetMute(false);
    EXPECT_EQ(speaker_volume(), -4000);
}

TEST_F(Player, AnUnknownSoundDeviceLeavesTheDefaultRendererAndStillPlays)
{
    if (!test_support::have_ffmpeg())
        GTEST_SKIP();
    open(made("tone.wav", { "-c:a pcm_s16le", false }), "No Such Card");
    ASSERT_TRUE(player->IsOk());
    EXPECT_STREQ(player->GetAudioRendererName(), "No Such Card");
    EXPECT_EQ(speakers, nullptr);
    ASSERT_TRUE(player->Run());
    EXPECT_TRUE(play_to_end()) << "a sound file ends too";
}

TEST_F(Player, FilesThatCannotPlayLeaveTheirReason)
{
    open(base::to_windows_path(dir + "/missing.avi"));
    EXPECT_FALSE(player->IsOk());
    EXPECT_STREQ(player->GetErrorText(), "File does not exist.");
    EXPECT_FALSE(player->Run());
    EXPECT_FALSE(player->IsRunning());
    EXPECT_EQ(player->GetDuration(), -1);
    EXPECT_EQ(player->GetPosition(), -1);
    EXPECT_FALSE(player->SetPosition(3));
    EXPECT_FALSE(player->SetRate(0.5));
    EXPECT_EQ(player->GetFileSize(), -1.0);

    test_support::write_bytes(dir + "/junk.avi", std::vector<char>(3000, 'j'));
    open(base::to_windows_path(dir + "/junk.avi"));
    EXPECT_FALSE(player->IsOk());
    EXPECT_STREQ(player->GetErrorText(), "Could not render as a multimedia file.\nOne possible reason:\n"
                                         "Make sure you have installed the latest Windows Media Player (v7.0 or greater) from Microsoft.");
}

TEST_F(Player, AFileWithAnUnknownStreamPlaysWithAWarning)
{
    if (!test_support::have_ffmpeg())
        GTEST_SKIP();
    std::string odd = made("odd.avi", { "-c:v rawvideo -pix_fmt yuyv422 -c:a pcm_s16le" });
    test_support::patch_file(base::to_linux_path(odd), "YUY2", "QZQZ");
    open(odd);
    EXPECT_TRUE(player->IsOk());
    EXPECT_STREQ(player->GetErrorText(), "Some of the streams in this movie are in an unsupported format.\n"
                                         "Make sure you have installed the latest Windows Media Player (v7.0 or greater) from Microsoft.");
}

TEST_F(Player, TagsAreFoundInTheFilesHeadIgnoringCase)
{
    auto utf16 = [](const std::string& text) {
        std::vector<char> bytes;
        for (char c : text) {
            bytes.push_back(c);
            bytes.push_back(0);
        }
        return bytes;
    };
    struct Case {
        const char* name;
        std::vector<char> bytes;
        const char* wanted;
        int size;
        const char* found; // nullptr: no tag
    };
    std::vector<char> head(100, 'x');
    auto with = [&](std::vector<char> a, const std::vector<char>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    std::vector<char> zero { 0, 0 };
    std::vector<char> late(1996, 'x');
    std::vector<Case> cases {
        { "recorded.avi", with(with(head, utf16("Recorded by Orbivane")), zero), "recorded by", 260, "Recorded by Orbivane" },
        { "cut.avi", with(with(head, utf16("Copyright 2026 Ann")), zero), "Copyright", 10, "Copyright" },
        { "end.avi", with(head, utf16("copyright at the very end")), "COPYRIGHT", 260, "copyright at the very end" },
        { "odd.avi", with(with(head, utf16("Recorded by X")), { 'q' }), "Recorded by", 260, "Recorded by X" },
        { "late.avi", with(late, utf16("Recorded by nobody")), "Recorded by", 260, nullptr },
        { "other.avi", with(head, utf16("Title of it")), "Title", 260, nullptr },
        { "empty.avi", {}, "copyright", 260, nullptr },
    };
    for (const Case& c : cases) {
        test_support::write_bytes(dir + "/" + c.name, c.bytes);
        open(base::to_windows_path(dir + "/" + c.name));
        char out[260] = "untouched";
        bool found = player->GetTag(c.wanted, c.size, out);
        EXPECT_EQ(found, c.found != nullptr) << c.name;
        if (c.found) {
            EXPECT_STREQ(out, c.found) << c.name;
        }
    }
}

TEST_F(Player, SizeAndNamesOfTheFile)
{
    std::string big = dir + "/big.avi";
    {
        std::ofstream(big).put('x');
    }
    std::filesystem::resize_file(big, 5ull << 30);
    open(base::to_windows_path(big));
    EXPECT_EQ(player->GetFileSize(), 5.0 * 1024 * 1024 * 1024);

    struct Case {
        const char* path;
        const char* base;
        int flags;
    };
    for (Case c : { Case { "\\videos\\x.AVI", "x.AVI", 12 }, Case { "\\videos\\x.wmv", "x.wmv", 12 }, Case { "x.mpg", "x.mpg", 4 },
             Case { "\\videos\\ab", "ab", 0 } }) {
        open(c.path);
        char name[260];
        EXPECT_STREQ(player->GetBaseName(name), c.base);
        EXPECT_EQ(player->IsPlayableExtension(), c.flags) << c.path;
    }
}

}
