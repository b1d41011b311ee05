// The client's playback commands over files made by ffmpeg: open, play to the end and replay,
// stop, toggle, half rate, skip with Ctrl and Shift, the position slider's messages, the time
// texts and the title, the error boxes, close, TV and playback excluding each other, and the
// file dialogs.

#include "ClientFixture.h"

#include "MediaFiles.h"
#include "TempHome.h"

#include <media/VideoFile.h>

#include <base/Path.h>
#include <owl/Application.h>
#include <owl/OpenSaveDialog.h>
#include <owl/RecentFiles.h>
#include <user/Controls.h>
#include <user/Dialogs.h>
#include <user/Keyboard.h>

#include <filesystem>
#include <thread>

namespace {

using namespace client_test;

class PlaybackClient : public TestClient {
public:
    PlaybackClient()
        : OWL::TWindow(nullptr)
    {
    }
    using TClient::ShowPositionText;
};

// The application with its recent-files list, as the program has it.
class TestApp : public OWL::TApplication, public OWL::TRecentFiles {
public:
    TestApp()
        : OWL::TApplication("Orbivane")
        , OWL::TRecentFiles("Software\\Kestrelon\\Orbivane", 6, 80)
    {
    }
};

class ClientPlayback : public ClientTest {
protected:
    static void SetUpTestSuite() { dir = test_support::make_temp_dir("client-playback"); }
    void SetUp() override
    {
        ClientTest::SetUp();
        if (!test_support::have_ffmpeg())
            GTEST_SKIP() << "ffmpeg is not installed";
        app = std::make_unique<TestApp>();
        client = new PlaybackClient;
        frame = std::make_unique<OWL::TFrameWindow>(nullptr, "Orbivane", client);
        frame->OnMessage(WM_UPDATESTATEICON, [this](WPARAM, LPARAM) {
            ++state_icons;
            return LRESULT(0);
        });
        ASSERT_TRUE(frame->Create());
        app->SetMainWindow(frame.get());
        pump();
    }
    void TearDown() override
    {
        if (app)
            app->SetMainWindow(nullptr);
        close();
        app.reset();
        ClientTest::TearDown();
    }

    static std::string made(const std::string& name, const test_support::MediaRecipe& recipe)
    {
        std::string path = dir + "/" + name;
        if (test_support::read_bytes(path).empty())
            test_support::make_media_file(path, recipe);
        return base::to_windows_path(path);
    }
    static std::string avi() { return made("clip.avi", { "-c:v mjpeg -c:a pcm_s16le" }); }
    // Eleven minutes of quiet sound, for the long skips.
    static std::string long_wav() { return made("long.wav", { "-ar 8000 -ac 1 -c:a pcm_u8", false, true, 700 }); }

    PlaybackClient& playing() { return static_cast<PlaybackClient&>(*client); }
    VideoFile* player() const { return client->GetPlayer(); }
    std::string title() const { return window_text(frame->GetHandle()); }

    // Pumps the thread's messages until the player has stopped by itself.
    bool run_to_end()
    {
        for (int i = 0; i < 20000; ++i) {
            pump();
            if (!player()->IsRunning())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            Sleep(20);
        }
        return false;
    }
    void tick()
    {
        SendMessageA(client->GetHandle(), WM_TIMER, TClient::TimerId, 0);
        pump();
    }
    void hold(UINT key, bool down) { user::key_input(key, down); }
    void scroll(UINT code, int thumb = 0)
    {
        SendMessageA(client->GetHandle(), WM_HSCROLL, MAKEWPARAM(code, thumb), 0);
        pump();
    }

    static inline std::string dir;
    std::unique_ptr<TestApp> app;
};

TEST_F(ClientPlayback, OpenShowsTheFileAndPlayRunsItToTheEndAndThenFromTheStart)
{
    client->OpenMediaFile(avi().c_str());
    ASSERT_NE(player(), nullptr);
    EXPECT_EQ(title(), "clip.avi Orbivane");
    EXPECT_EQ(client->GetDurationText(), " 0:02  ");
    EXPECT_EQ(client->GetPositionText(), " 0:00");
    EXPECT_EQ(app->GetEntries().front(), avi());
    EXPECT_TRUE(box_texts().empty());
    EXPECT_EQ(enabler(CM_PLAY), (Enabled { true, false }));

    int icons = state_icons;
    command(CM_PLAY);
    EXPECT_EQ(Settings.ActivityState, ActivityPlaying);
    EXPECT_GT(state_icons, icons);
    EXPECT_TRUE(player()->IsRunning());
    ASSERT_TRUE(run_to_end()) << "the end of the file stops the player";
    EXPECT_EQ(player()->GetPosition(), 2);

    command(CM_PLAY);
    EXPECT_TRUE(player()->IsRunning());
    EXPECT_EQ(player()->GetPosition(), 0) << "play at the end starts again";

    command(CM_TOGGLEPLAY);
    EXPECT_FALSE(player()->IsRunning());
    EXPECT_EQ(Settings.ActivityState, ActivityIdle);
    command(CM_TOGGLEPLAY);
    EXPECT_TRUE(player()->IsRunning());
    command(CM_STOP);
    EXPECT_FALSE(player()->IsRunning());

    command(CM_HALFRATE);
    EXPECT_TRUE(player()->IsRunning());
    ASSERT_TRUE(run_to_end());
}

TEST_F(ClientPlayback, SkipsGoSixtySecondsOrTenMinutesWithCtrlOrASecondWithShiftAndStopAtTheEnds)
{
    client->OpenMediaFile(long_wav().c_str());
    ASSERT_NE(player(), nullptr);
    ASSERT_EQ(player()->GetDuration(), 700);
    struct Case {
        int from;
        UINT key; // 0: none
        UINT command;
        int to;
    };
    for (Case c : { Case { 100, 0, CM_SKIPFORWARD, 160 }, Case { 100, VK_SHIFT, CM_SKIPFORWARD, 101 },
             Case { 99, VK_CONTROL, CM_SKIPFORWARD, 699 }, Case { 200, VK_CONTROL, CM_SKIPFORWARD, 700 },
             Case { 100, 0, CM_SKIPBACKWARD, 40 }, Case { 30, 0, CM_SKIPBACKWARD, 0 }, Case { 5, VK_SHIFT, CM_SKIPBACKWARD, 3 },
             Case { 1, VK_SHIFT, CM_SKIPBACKWARD, 0 }, Case { 650, VK_CONTROL, CM_SKIPBACKWARD, 50 },
             Case { 599, VK_CONTROL, CM_SKIPBACKWARD, 0 } }) {
        ASSERT_TRUE(player()->SetPosition(static_cast<unsigned>(c.from)));
        if (c.key)
            hold(c.key, true);
        command(c.command);
        if (c.key)
            hold(c.key, false);
        EXPECT_EQ(player()->GetPosition(), c.to) << c.from << " key " << c.key << " command " << c.command;
    }

    // A running file skips and runs on, still playing for a tick that comes during the skip.
    player()->SetPosition(10);
    command(CM_PLAY);
    PostMessageA(client->GetHandle(), WM_TIMER, TClient::TimerId, 0);
    command(CM_SKIPFORWARD);
    EXPECT_TRUE(player()->IsRunning());
    EXPECT_GE(player()->GetPosition(), 70);
    EXPECT_EQ(Settings.ActivityState, ActivityPlaying);
}

TEST_F(ClientPlayback, TheSlidersLineStepSkipsOnceAndADragStopsAndResumesAtTheDrop)
{
    client->OpenMediaFile(long_wav().c_str());
    ASSERT_NE(player(), nullptr);
    player()->SetPosition(100);
    scroll(SB_LINERIGHT);
    EXPECT_EQ(player()->GetPosition(), 160);
    scroll(SB_ENDSCROLL);
    EXPECT_EQ(player()->GetPosition(), 160) << "the end of the line step does not seek again";
    scroll(SB_LINELEFT);
    scroll(SB_ENDSCROLL);
    EXPECT_EQ(player()->GetPosition(), 100);

    command(CM_PLAY);
    scroll(SB_THUMBTRACK, 500);
    EXPECT_FALSE(player()->IsRunning()) << "dragging stops playback";
    EXPECT_EQ(client->GetPositionText(), " 5:50");
    scroll(SB_ENDSCROLL);
    EXPECT_TRUE(player()->IsRunning()) << "and the drop resumes it";
    EXPECT_LT(player()->GetPosition(), 5) << "at the slider's position, 0 without a slider";
}

TEST_F(ClientPlayback, TheTickShowsThePositionWhilePlayingAndEndsAFileThatHasRunOut)
{
    // The test's ticks are the only ones: the client's own timer would end the file at a moment
    // of its choosing while the test waits.
    ASSERT_TRUE(KillTimer(client->GetHandle(), TClient::TimerId));
    client->OpenMediaFile(avi().c_str());
    ASSERT_NE(player(), nullptr);
    command(CM_PLAY);
    Sleep(1300);
    tick();
    EXPECT_EQ(client->GetPositionText(), " 0:01");

    // While the thumb is held the tick leaves the stopped file alone.
    scroll(SB_THUMBTRACK, 0);
    ASSERT_FALSE(player()->IsRunning());
    tick();
    EXPECT_EQ(Settings.ActivityState, ActivityPlaying);
    EXPECT_EQ(client->GetPositionText(), " 0:00");
    scroll(SB_ENDSCROLL);
    ASSERT_TRUE(player()->IsRunning());

    ASSERT_TRUE(run_to_end());
    EXPECT_EQ(Settings.ActivityState, ActivityPlaying) << "until the tick sees the end";
    int icons = state_icons;
    tick();
    EXPECT_EQ(Settings.ActivityState, ActivityIdle);
    EXPECT_GT(state_icons, icons);
    ASSERT_NE(player(), nullptr) << "the file stays open";
    command(CM_PLAY);
    EXPECT_EQ(player()->GetPosition(), 0);
}

TEST_F(ClientPlayback, TimesShowMinutesAndSecondsAndHoursFromTheFirstHour)
{
    client->OpenMediaFile(avi().c_str());
    ASSERT_NE(player(), nullptr);
    for (auto [seconds, text] : { std::pair { 3725, " 1:02:05" }, { 65, " 1:05" }, { 0, " 0:00" }, { 3600, " 1:00:00" } }) {
        playing().ShowPositionText(seconds, false);
        EXPECT_EQ(client->GetPositionText(), text) << seconds;
    }
    command(CM_FILECLOSE);
    EXPECT_EQ(player(), nullptr);
    EXPECT_EQ(title(), "Orbivane");
    EXPECT_EQ(client->GetPositionText(), "");
    EXPECT_EQ(client->GetDurationText(), "");
    for (UINT id : { CM_PLAY, CM_TOGGLEPLAY, CM_SKIPFORWARD, CM_SKIPBACKWARD, CM_FILECLOSE })
        EXPECT_FALSE(enabler(id).enabled) << id;
    command(CM_PLAY);
    command(CM_SKIPFORWARD);
    EXPECT_EQ(player(), nullptr) << "commands that need a file do nothing without one";
}

TEST_F(ClientPlayback, AFileThatCannotPlayShowsItsReasonOnceAndLeavesNoFileOpen)
{
    std::string missing = base::to_windows_path(dir + "/missing.avi");
    client->OpenMediaFile(missing.c_str());
    EXPECT_EQ(player(), nullptr);
    ASSERT_EQ(box_texts().size(), 1u);
    EXPECT_EQ(box_texts()[0], "File does not exist.\n  " + missing);
    EXPECT_EQ(user::testing::message_box_journal()[0].box.caption, "Orbivane");
    EXPECT_EQ(user::testing::message_box_journal()[0].box.owner, client->GetHandle());
    EXPECT_EQ(title(), "Orbivane");
    EXPECT_TRUE(app->GetEntries().empty());

    // Plays with a warning: the box has no owner and the file stays open.
    user::testing::reset();
    std::string odd = made("odd.avi", { "-c:v rawvideo -pix_fmt yuyv422 -c:a pcm_s16le" });
    test_support::patch_file(base::to_linux_path(odd), "YUY2", "QZQZ");
    client->OpenMediaFile(odd.c_str());
    ASSERT_NE(player(), nullptr);
    ASSERT_EQ(box_texts().size(), 1u);
    EXPECT_EQ(user::testing::message_box_journal()[0].box.owner, nullptr);
    EXPECT_EQ(title(), "odd.avi Orbivane");
}

TEST_F(ClientPlayback, TvAndPlaybackExcludeEachOther)
{
    command(CM_TV);
    ASSERT_NE(Tv, nullptr);
    client->OpenMediaFile(avi().c_str());
    EXPECT_EQ(Tv, nullptr) << "opening a file turns TV off";
    ASSERT_NE(player(), nullptr);
    command(CM_TV);
    EXPECT_NE(Tv, nullptr);
    EXPECT_EQ(player(), nullptr) << "TV on closes the file";
    EXPECT_EQ(title(), "Orbivane");
}

TEST_F(ClientPlayback, OpenAndSaveAsGoThroughTheFileDialogs)
{
    std::string folder = base::to_windows_path(dir);
    avi();
    user::testing::set_dialog_script(OWL::TOpenSaveDialog::TemplateId, [&](const user::testing::ModalDialog& d) {
        // A folder typed goes there; then a name in it.
        SetDlgItemTextA(d.dialog, OWL::TOpenSaveDialog::NameFieldId, folder.c_str());
        user::testing::press_dialog_button(d.dialog, IDOK);
        SetDlgItemTextA(d.dialog, OWL::TOpenSaveDialog::NameFieldId, "CLIP.avi");
        user::testing::press_dialog_button(d.dialog, IDOK);
    });
    command(CM_FILEOPEN);
    ASSERT_NE(player(), nullptr);
    EXPECT_EQ(title(), "clip.avi Orbivane");
    char current[260] {};
    GetCurrentDirectoryA(sizeof current, current);
    EXPECT_EQ(std::string(current), folder) << "the dialog moves to the chosen folder";

    user::testing::set_dialog_script(OWL::TOpenSaveDialog::TemplateId, [](const user::testing::ModalDialog& d) {
        SetDlgItemTextA(d.dialog, OWL::TOpenSaveDialog::NameFieldId, "kept");
        user::testing::press_dialog_button(d.dialog, IDOK);
    });
    command(CM_FILESAVEAS);
    EXPECT_EQ(app->GetEntries().front(), folder + "\\kept.wmv") << "the default extension";
    EXPECT_FALSE(std::filesystem::exists(dir + "/kept.wmv")) << "nothing is written";

    user::testing::set_dialog_script(OWL::TOpenSaveDialog::TemplateId,
        [](const user::testing::ModalDialog& d) { user::testing::press_dialog_button(d.dialog, IDCANCEL); });
    command(CM_FILEOPEN);
    EXPECT_EQ(player(), nullptr) << "Open closes the file first; Cancel opens none";
}

}

namespace {

using namespace client_test;

TEST_F(ClientPlayback, PropertiesOfAPlayedFileShowItsDurationSizeAndDate)
{
    client->OpenMediaFile(avi().c_str());
    ASSERT_NE(player(), nullptr);
    EXPECT_TRUE(enabler(CM_PROPERTIES).enabled);
    command(CM_PROPERTIES);
    const auto shown = user::testing::message_box_journal();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].box.caption, "clip.avi Properties");
    const std::string& text = shown[0].box.text;
    EXPECT_TRUE(text.starts_with("\nDuration: 0:02\nSize: 0.")) << "no tags; under a megabyte has three decimals: " << text;
    EXPECT_NE(text.find("MB\nDate: "), std::string::npos) << text;
}

}
