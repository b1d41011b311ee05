// The picture of the running TV in the client area, through the machine's video renderer.

#include "ClientFixture.h"

#include <resources/CommandIds.h>

#include <ShownPicture.h>
#include <gdi/Surface.h>
#include <sim/TestPicture.h>
#include <user/Paint.h>

namespace {

using namespace client_test;

class ClientPicture : public ClientTest {
protected:
    HWND video_window() const { return FindWindowExA(client->GetHandle(), nullptr, "VideoRenderer", nullptr); }
};

TEST_F(ClientPicture, TvOnShowsTheChannelInTheClientAreaAndFollowsSurfing)
{
    open();
    ShowWindow(frame->GetHandle(), SW_SHOWNORMAL);
    pump();
    command(CM_TV);
    ASSERT_NE(Tv, nullptr);
    HWND video = video_window();
    ASSERT_TRUE(video);
    EXPECT_TRUE(IsWindowVisible(video));
    RECT area {}, placed {};
    GetClientRect(client->GetHandle(), &area);
    GetWindowRect(video, &placed);
    MapWindowPoints(nullptr, client->GetHandle(), reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.left, 0);
    EXPECT_EQ(placed.top, 0);
    EXPECT_EQ(placed.right, area.right);
    EXPECT_EQ(placed.bottom, area.bottom);
    EXPECT_EQ(shown_picture(video, sim::PictureSource::channel(5)), sim::PictureSource::channel(5));

    command(CM_CHANNELUP);
    EXPECT_EQ(shown_picture(video, sim::PictureSource::channel(6)), sim::PictureSource::channel(6));

    // The frame resized: the picture fills the new client area.
    SetWindowPos(frame->GetHandle(), nullptr, 0, 0, 500, 400, SWP_NOZORDER | SWP_NOMOVE);
    pump();
    GetClientRect(client->GetHandle(), &area);
    GetWindowRect(video, &placed);
    MapWindowPoints(nullptr, client->GetHandle(), reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.right, area.right);
    EXPECT_EQ(placed.bottom, area.bottom);

    command(CM_TVAUDIOONLY); // sound only: the picture goes
    EXPECT_FALSE(IsWindowVisible(video));
    EXPECT_EQ(video_window(), nullptr);
    command(CM_TV);
    video = video_window();
    ASSERT_TRUE(video);
    EXPECT_EQ(shown_picture(video, sim::PictureSource::channel(6)), sim::PictureSource::channel(6));

    command(CM_TV);
    EXPECT_EQ(Tv, nullptr);
    EXPECT_EQ(video_window(), nullptr);
    // The last frame does not stay behind in the client area.
    pump();
    gdi::Surface shown_now;
    ASSERT_TRUE(user::copy_window_surface(frame->GetHandle(), shown_now));
    RECT outer {}, inner {};
    GetWindowRect(frame->GetHandle(), &outer);
    GetClientRect(client->GetHandle(), &inner);
    MapWindowPoints(client->GetHandle(), nullptr, reinterpret_cast<POINT*>(&inner), 2);
    POINT at { inner.left - outer.left, inner.top - outer.top };
    ASSERT_TRUE(shown_now.contains(inner.right - 1 - outer.left, inner.bottom - 1 - outer.top));
    EXPECT_EQ(sim::identify_picture_rgb32(shown_now.row(at.y) + at.x, inner.right - inner.left,
                  inner.bottom - inner.top, static_cast<int>(shown_now.stride() / 4)),
        std::nullopt);
    EXPECT_EQ(box_texts(), std::vector<std::string> {});
}

}
