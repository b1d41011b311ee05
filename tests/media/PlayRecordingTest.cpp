// Recordings the program makes, played back by the player: Windows Media files written by the
// recording target from the virtual card, to their end, with the card's picture in the window.

#include <media/VideoFile.h>
#include <media/WMFileIn.h>

#include "PlainWindow.h"
#include "TempHome.h"

#include <base/Clock.h>
#include <base/Path.h>
#include <com/Apartment.h>
#include <dshow/DeviceEnumerator.h>
#include <dshow/FilterGraph.h>
#include <dshow/VideoRenderer.h>
#include <gdi/Surface.h>
#include <sim/SoundCard.h>
#include <sim/TestPicture.h>
#include <sim/VirtualHardware.h>
#include <user/Testing.h>
#include <user/Window.h>
#include <wmenc/Encoder.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace {

class PlayRecording : public testing::Test {
protected:
    void SetUp() override
    {
        base::Clock::install_virtual(base::Clock::make_wall_ms(2026, 3, 1, 20, 0, 0));
        CoInitialize(nullptr);
        dshow::register_classes();
        wmenc::register_classes();
        dshow::clear_devices();
        dshow::register_classes();
        user::testing::reset();
        sim::install_cards({ sim::CaptureCard {} });
        cards = sim::install_sound_cards({ sim::default_sound_card() });
        folder = test_support::make_temp_dir("playrecording");
    }
    void TearDown() override
    {
        sim::uninstall_cards();
        sim::install_sound_cards({});
        std::filesystem::remove_all(folder);
        user::testing::reset();
        CoUninitialize();
        base::Clock::install_real();
    }

    // Records `seconds` of the card into `name` (media flags 15 picture and sound, 5 sound only).
    std::string record(const std::string& name, int flags, int seconds)
    {
        std::string path = base::to_windows_path(folder) + "\\" + name;
        WMFileIn target(path.c_str(), flags, "Sim TV Card", "<default>", "", nullptr);
        EXPECT_TRUE(target.IsUsable());
        std::int64_t start = base::Clock::ticks_ms();
        EXPECT_TRUE(target.Start());
        for (int i = 0; i < 20000 && base::Clock::ticks_ms() - start < seconds * 1000; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_TRUE(target.Stop());
        return path;
    }

    // Pumps the owner's messages into the player until it stops by itself.
    static bool play_to_end(VideoFile& player)
    {
        for (int i = 0; i < 20000; ++i) {
            MSG message {};
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.message == WM_GRAPHNOTIFY)
                    player.HandleGraphEvents(message.wParam, message.lParam);
                else
                    DispatchMessageA(&message);
            }
            if (!player.IsRunning())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            Sleep(20);
        }
        return false;
    }

    // The card's picture in the video window, once one shows.
    static std::optional<sim::PictureIdentity> picture(HWND owner)
    {
        HWND video = FindWindowExA(owner, nullptr, "VideoRenderer", nullptr);
        for (int i = 0; video && i < 2000; ++i) {
            UpdateWindow(video);
            gdi::Surface shown;
            if (dshow::copy_video_picture(video, shown) && !shown.empty()) {
                auto seen = sim::identify_picture_rgb32(reinterpret_cast<const DWORD*>(shown.pixels()), shown.width(), shown.height(),
                    static_cast<int>(shown.stride() / 4));
                if (seen)
                    return seen;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return std::nullopt;
    }

    std::vector<std::shared_ptr<sim::SoundCard>> cards;
    std::string folder;
};

TEST_F(PlayRecording, WindowsMediaRecordingsPlayToTheirEndWithTheCardsPicture)
{
    struct Case {
        const char* name;
        int flags;
        bool picture;
    };
    for (Case c : { Case { "News.wmv", 15, true }, Case { "Radio.wma", 5, false } }) {
        SCOPED_TRACE(c.name);
        std::string path = record(c.name, c.flags, 3);
        HWND owner = plain_window("owner");
        SetWindowPos(owner, nullptr, 0, 0, 400, 320, SWP_NOZORDER | SWP_NOMOVE | SWP_SHOWWINDOW);
        {
            VideoFile player(path.c_str(), owner, "<default>", false, 80);
            ASSERT_TRUE(player.IsOk()) << player.GetErrorText();
            EXPECT_STREQ(player.GetErrorText(), "");
            EXPECT_GE(player.GetDuration(), 2);
            EXPECT_LE(player.GetDuration(), 4);
            ASSERT_TRUE(player.Run());
            if (c.picture) {
                auto seen = picture(owner);
                ASSERT_TRUE(seen.has_value()) << "the recording shows the card's picture";
                EXPECT_EQ(seen->source.kind, sim::SourceKind::Channel);
            }
            ASSERT_TRUE(play_to_end(player));
            EXPECT_EQ(player.GetPosition(), player.GetDuration());
        }
        DestroyWindow(owner);
    }
}

}
