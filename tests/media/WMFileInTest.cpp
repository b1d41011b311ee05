#include <media/WMFileIn.h>

#include "EncoderMachine.h"
#include "Ffprobe.h"
#include "PlainWindow.h"
#include "TempHome.h"

#include <base/Clock.h>
#include <base/Modules.h>
#include <base/Path.h>
#include <com/Apartment.h>
#include <com/ClassRegistry.h>
#include <dshow/DeviceEnumerator.h>
#include <dshow/FilterGraph.h>
#include <sim/SoundCard.h>
#include <sim/VirtualHardware.h>
#include <user/Testing.h>
#include <user/User.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

namespace {

constexpr char kCard[] = "Sim TV Card";

using test_support::run_until;

class WMFileInTest : public testing::Test {
protected:
    void SetUp() override
    {
        machine = std::make_unique<test_support::EncoderMachine>();
        user::testing::reset();
        folder = test_support::make_temp_dir("wmfilein");
        objects = com::live_objects();
        bstrs = com::outstanding_bstrs();
    }
    void TearDown() override
    {
        EXPECT_EQ(com::live_objects(), objects);
        EXPECT_EQ(com::outstanding_bstrs(), bstrs);
        EXPECT_EQ(com::thread_init_count(), 1);
        com::enable_all_classes();
        std::filesystem::remove_all(folder);
        user::testing::reset();
        machine.reset();
    }
    std::string windows(const std::string& name) const { return base::to_windows_path(folder) + "\\" + name; }
    std::string linux(const std::string& name) const { return folder + "/" + name; }
    static std::vector<std::string> boxes()
    {
        std::vector<std::string> texts;
        for (auto& shown : user::testing::message_box_journal())
            texts.push_back(shown.box.text);
        return texts;
    }

    std::unique_ptr<test_support::EncoderMachine> machine;
    std::string folder;
    std::int64_t objects = 0;
    std::int64_t bstrs = 0;
};

TEST_F(WMFileInTest, RecordsAFewSecondsOfPictureAndSoundWithTheirAttributes)
{
    std::string file = linux("News.wmv");
    double recorded = 0;
    {
        WMFileIn target(windows("News.wmv").c_str(), 15, kCard, "<default>", "", nullptr);
        ASSERT_TRUE(target.IsUsable());
        EXPECT_TRUE(target.SetAttribute("TITLE", "News at eight"));
        EXPECT_TRUE(target.SetAttribute("Author", "Channel 5"));
        EXPECT_TRUE(target.SetAttribute("copyright", "(c) Channel 5"));
        EXPECT_TRUE(target.SetAttribute("Description", "The evening news"));
        EXPECT_TRUE(target.SetAttribute("Recorded by", "Orbivane"));
        EXPECT_EQ(target.GetFileSize(), -1) << "no statistics before Start";

        std::int64_t start = base::Clock::ticks_ms();
        ASSERT_TRUE(target.Start());
        EXPECT_TRUE(target.IsEncoding());
        char status[260];
        ASSERT_TRUE(target.GetStatusText(status));
        EXPECT_STREQ(status, "recording");
        run_until(start, 3000);
        EXPECT_GT(target.GetFileSize(), 0);
        recorded = (base::Clock::ticks_ms() - start) / 1000.0;
        ASSERT_TRUE(target.Stop());
        EXPECT_FALSE(target.IsEncoding());

        // The statistics keep answering after Stop.
        EXPECT_EQ(target.GetFileSize(), static_cast<LONG>(std::filesystem::file_size(file)));
        EXPECT_GE(target.GetElapsed(), 2);
        EXPECT_LE(target.GetElapsed(), 4);
        ASSERT_TRUE(target.GetStatusText(status));
        EXPECT_STREQ(status, "") << "indexed within Stop's waits";
        char title[260];
        ASSERT_TRUE(target.GetAttribute("title", title));
        EXPECT_STREQ(title, "News at eight");
    }
    EXPECT_TRUE(boxes().empty()) << boxes().front();
    if (!test_support::have_ffprobe())
        GTEST_SKIP() << "ffprobe is not installed";
    auto video = test_support::ffprobe(file, "v", "stream=codec_name,width,height", false);
    EXPECT_EQ(video["codec_name"], "wmv2");
    EXPECT_EQ(video["width"], "176") << "the 64 Kbps profile when none is named";
    EXPECT_EQ(video["height"], "144");
    auto format = test_support::ffprobe(file, "a", "stream=codec_name:format=duration,nb_streams:format_tags", false);
    EXPECT_EQ(format["codec_name"], "wmav2");
    EXPECT_EQ(format["nb_streams"], "2");
    EXPECT_NEAR(std::stod(format["duration"]), recorded, 0.5);
    EXPECT_EQ(format["TAG:title"], "News at eight");
    EXPECT_EQ(format["TAG:artist"], "Channel 5");
    EXPECT_EQ(format["TAG:copyright"], "(c) Channel 5");
    EXPECT_EQ(format["TAG:comment"], "The evening news");
    EXPECT_EQ(format["TAG:Recorded by"], "Orbivane");
}

TEST_F(WMFileInTest, SoundOnlyFilesHaveOneAudioStreamAndNoPreview)
{
    HWND video = plain_window("video");
    {
        WMFileIn target(windows("Radio.wma").c_str(), -1, kCard, "Virtual Sound Card", "Audio for CD quality (64 Kbps stereo)", video);
        EXPECT_EQ(target.GetMediaFlags(), 5);
        std::int64_t start = base::Clock::ticks_ms();
        ASSERT_TRUE(target.Start());
        EXPECT_FALSE(FindWindowExA(video, nullptr, "VideoRenderer", nullptr));
        run_until(start, 2000);
        ASSERT_TRUE(target.Stop());
    }
    DestroyWindow(video);
    EXPECT_TRUE(boxes().empty());
    if (!test_support::have_ffprobe())
        GTEST_SKIP() << "ffprobe is not installed";
    auto format = test_support::ffprobe(linux("Radio.wma"), "a", "stream=codec_name,sample_rate:format=nb_streams", false);
    EXPECT_EQ(format["nb_streams"], "1");
    EXPECT_EQ(format["codec_name"], "wmav2");
    EXPECT_EQ(format["sample_rate"], "44100");
}

TEST_F(WMFileInTest, MediaFlagsMinusOneFollowTheExtensionCaseSensitively)
{
    const std::pair<const char*, INT> cases[] = { { "a.wma", 5 }, { "a.WMA", 15 }, { "a.wma.old", 5 }, { "a.wmv", 15 } };
    for (const auto& [name, flags] : cases) {
        WMFileIn target(windows(name).c_str(), -1, kCard, nullptr, nullptr, nullptr);
        EXPECT_EQ(target.GetMediaFlags(), flags) << name;
    }
}

struct Failure {
    const char* what;
    std::string path; // under the test folder
    const char* device;
    const char* audio;
    const char* profile;
    bool encoder_missing;
    std::vector<std::string> messages;
};

TEST_F(WMFileInTest, FailuresGiveTheirMessagesAndStartReportsThem)
{
    const std::string prepare = "\nwmfilein record preparetoencode\n    Return code = ";
    const Failure cases[] = {
        { "an unknown video device", "a.wmv", "No Such Card", nullptr, nullptr, false,
            { "Cannot set this video input for Media Encoder\n    Return code = 80070057",
                "No profile has been set for the source group \"SG_1\"." + prepare + "8000FFFF" } },
        { "an unknown sound device", "a.wmv", kCard, "No Such Sound", nullptr, false,
            { "No profile has been set for the source group \"SG_1\"." + prepare + "8000FFFF" } },
        { "a missing profile", "a.wmv", kCard, nullptr, "No such profile", false,
            { "No profile has been set for the source group \"SG_1\"." + prepare + "8000FFFF" } },
        { "an unwritable path", "Missing\\a.wmv", kCard, nullptr, nullptr, false, {} },
        { "an encoder that cannot be created", "a.wmv", kCard, nullptr, nullptr, true,
            { "Cannot access WindowsMedia Encoder.\nPlease make sure it is installed.\n    Return code = 80040154" } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        user::testing::reset();
        com::set_class_enabled(CLSID_WMEncoder, !c.encoder_missing);
        {
            WMFileIn target(windows(c.path).c_str(), 15, c.device, c.audio, c.profile, nullptr);
            EXPECT_FALSE(target.Start());
            EXPECT_FALSE(target.IsEncoding());
            char status[260] = "x";
            EXPECT_FALSE(target.GetStatusText(status));
            EXPECT_EQ(target.GetFileSize(), -1);
            EXPECT_EQ(target.GetElapsed(), -1);
            target.Stop();
        }
        EXPECT_EQ(boxes(), c.messages);
    }
}

TEST_F(WMFileInTest, AttributesAreKeptCutAndTerminated)
{
    WMFileIn target(windows("a.wmv").c_str(), 15, kCard, nullptr, nullptr, nullptr);
    char text[260];
    EXPECT_FALSE(target.SetAttribute("Title", ""));
    EXPECT_FALSE(target.GetAttribute("Title", text)) << "nothing stored";
    EXPECT_FALSE(target.SetAttribute("", "News"));
    EXPECT_FALSE(target.SetAttribute(nullptr, "News"));
    EXPECT_TRUE(target.SetAttribute("RATING", "G"));
    ASSERT_TRUE(target.GetAttribute("rating", text));
    EXPECT_STREQ(text, "G");
    EXPECT_FALSE(target.GetAttribute("Recorded by", text)) << "custom attributes are not read back";

    std::string long_text(400, 'n');
    EXPECT_TRUE(target.SetAttribute("description", long_text.c_str()));
    ASSERT_TRUE(target.GetAttribute("Description", text));
    EXPECT_EQ(std::string(text), std::string(259, 'n'));
    EXPECT_TRUE(target.SetAttribute("Station", long_text.c_str())) << "a long custom value is cut, not refused";
}

TEST_F(WMFileInTest, ThePreviewFitsItsWindowAndGoesToFullScreenAndBack)
{
    HWND video = plain_window("video");
    SetWindowPos(video, nullptr, 0, 0, 480, 360, SWP_NOMOVE | SWP_NOZORDER | SWP_SHOWWINDOW);
    {
        WMFileIn target(windows("a.wmv").c_str(), 15, kCard, nullptr, "Video for e-mail and dual-channel ISDN (128 Kbps)", video);
        ASSERT_TRUE(target.Start());
        HWND renderer = FindWindowExA(video, nullptr, "VideoRenderer", "ActiveMovie Window");
        ASSERT_TRUE(renderer);
        EXPECT_TRUE(IsWindowVisible(renderer));

        SetWindowPos(video, nullptr, 0, 0, 640, 480, SWP_NOMOVE | SWP_NOZORDER);
        target.FitPreview();
        RECT inner {};
        RECT outer {};
        GetClientRect(renderer, &inner);
        GetClientRect(video, &outer);
        EXPECT_EQ(inner.right, outer.right);
        EXPECT_EQ(inner.bottom, outer.bottom);

        target.SetFullScreen(true);
        EXPECT_EQ(GetParent(renderer), nullptr);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(renderer, GWL_STYLE)) & (WS_POPUP | WS_MAXIMIZE), DWORD(WS_POPUP | WS_MAXIMIZE));
        EXPECT_TRUE(GetWindowLongA(renderer, GWL_EXSTYLE) & WS_EX_TOPMOST);
        target.ShowPreview(false);
        EXPECT_FALSE(IsWindowVisible(renderer));
        target.ShowPreview(true);
        EXPECT_TRUE(IsWindowVisible(renderer));
        EXPECT_EQ(GetParent(renderer), nullptr) << "still full screen";

        target.SetFullScreen(false);
        EXPECT_EQ(GetParent(renderer), video);
        EXPECT_TRUE(GetWindowLongA(renderer, GWL_STYLE) & WS_CHILD);

        EXPECT_FALSE(target.Start()) << "recording already";
        EXPECT_TRUE(target.IsEncoding());
        EXPECT_TRUE(IsWindow(renderer));
        ASSERT_TRUE(target.Stop());
        EXPECT_FALSE(IsWindow(renderer));
    }
    DestroyWindow(video);
    EXPECT_EQ(boxes(), std::vector<std::string> { "The encoder is running already.\nwmfilein record preparetoencode\n    Return code = 8000FFFF" });
}

TEST_F(WMFileInTest, APreviewViewThatCannotBeMadeLeavesTheRecordingWithoutPreview)
{
    HWND video = plain_window("video");
    com::set_class_enabled(CLSID_WMEncPreview, false);
    {
        WMFileIn target(windows("a.wmv").c_str(), 15, kCard, nullptr, nullptr, video);
        EXPECT_TRUE(target.Start());
        EXPECT_FALSE(FindWindowExA(video, nullptr, "VideoRenderer", nullptr));
        target.ShowPreview(true);
        target.SetFullScreen(true);
        EXPECT_TRUE(target.Stop());
    }
    DestroyWindow(video);
    EXPECT_TRUE(boxes().empty());
}

// A window whose handler stops the target, as a Stop command arriving during the waits would.
LRESULT CALLBACK stopper_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_USER + 1) {
        auto* target = reinterpret_cast<WMFileIn*>(lparam);
        *reinterpret_cast<int*>(wparam) = target->Stop() ? 1 : 2;
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

TEST_F(WMFileInTest, AStopReachedFromTheWaitsMessagesDoesNothing)
{
    WNDCLASSA wc {};
    wc.lpfnWndProc = stopper_proc;
    wc.lpszClassName = "StopperWindow";
    RegisterClassA(&wc);
    HWND stopper = CreateWindowExA(0, "StopperWindow", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    int inner = 0;
    {
        WMFileIn target(windows("a.wmv").c_str(), 15, kCard, nullptr, nullptr, nullptr);
        ASSERT_TRUE(target.Start());
        PostMessageA(stopper, WM_USER + 1, reinterpret_cast<WPARAM>(&inner), reinterpret_cast<LPARAM>(&target));
        EXPECT_TRUE(target.Stop());
        EXPECT_EQ(inner, 2) << "the inner Stop ran and was refused";
        // And the destructor's own pumping after a loaded driver library.
        base::Modules::register_module("btvid_32.dll", {}, 2);
        inner = 0;
        PostMessageA(stopper, WM_USER + 1, reinterpret_cast<WPARAM>(&inner), reinterpret_cast<LPARAM>(&target));
    }
    EXPECT_EQ(inner, 2);
    EXPECT_EQ(GetModuleHandleA("btvid_32.dll"), nullptr) << "freed as often as it was loaded";
    base::Modules::unregister_module("btvid_32.dll");
    DestroyWindow(stopper);
}

}
