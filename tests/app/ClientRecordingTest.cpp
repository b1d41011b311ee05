// The recording commands: the names recordings get, the pruning of old ones, and Record,
// Record audio and Stop from the menu, which write real files from the virtual card.

#include "ClientFixture.h"

#include "DialogDriver.h"
#include "Ffprobe.h"
#include "AsfFile.h"
#include "ShownPicture.h"
#include "TempHome.h"

#include <app/RecordingNames.h>
#include <resources/ArchiveDialog.h>
#include <settings/Settings.h>

#include <base/Files.h>
#include <base/Path.h>
#include <base/Text.h>
#include <dshow/AudioRenderer.h>
#include <dshow/AviReader.h>
#include <dshow/SystemFilters.h>
#include <media/VideoFile.h>
#include <sim/TestPicture.h>
#include <user/CommonControls.h>
#include <user/Keyboard.h>
#include <wmenc/Encoder.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

using namespace client_test;

TEST(RecordingNames, AFileBelongsToAStemOnlyWhenItsWholeNameHasTheStemsForm)
{
    struct Case {
        const char* stem;
        const char* file;
        bool belongs;
    };
    const Case cases[] = {
        { "News_%Y%m%d", "News_20261209_1.wmv", true },
        { "News_%Y%m%d", "news_20261209_9999.WMV", true },
        { "News_%Y%m%d", "News_20261209.wmv", true }, // the name without instance number
        { "News_%Y%m%d", "News_late_20261209_1.wmv", false },
        { "News_late_%Y%m%d", "News_20261209_1.wmv", false },
        { "News_%Y%m%d", "News_2026129_1.wmv", false }, // a digit short
        { "News_%Y%m%d", "News_20261209_1.avi", false },
        { "News_%Y%m%d", "News_20261209_0.wmv", false },
        { "News_%Y%m%d", "News_20261209_12345.wmv", false },
        { "News", "News_1.wmv", true },
        { "News", "News_late_1.wmv", false },
        { "tv", "tv_3.avi", true },
        { "tv_%a %H-%M", "tv_Wed 20-15_1.avi", true },
        { "tv_%a %H-%M", "tv_ 20-15_1.avi", false },
        { "tv_%#d", "tv_9_1.avi", true },
        { "50%%", "50%_1.avi", true },
        { "50%%", "50x_1.avi", false },
    };
    for (const Case& c : cases) {
        const char* extension = std::string_view(c.stem).starts_with("News") ? "wmv" : "avi";
        EXPECT_EQ(IsRecordingOf(c.stem, extension, c.file), c.belongs) << c.stem << " / " << c.file;
    }

    EXPECT_EQ(MakeRecordingStem(nullptr, ""), "tv");
    EXPECT_EQ(MakeRecordingStem("", "%Y"), "tv_%Y");
    EXPECT_EQ(MakeRecordingStem("100% Sport", "%d"), "100%% Sport_%d");
    EXPECT_EQ(MakeRecordingStem("..\\..\\etc/x", ""), "..-..-etc-x");
    EXPECT_EQ(RecordingStemPrefix("News_%Y%m%d"), "News_");
    EXPECT_EQ(RecordingStemPrefix("100%% Sport_%d"), "100% Sport_");
}

class ClientRecording : public ClientTest {
protected:
    void SetUp() override
    {
        ClientTest::SetUp();
        wmenc::register_classes();
        base::Clock::set_wall_ms(base::Clock::make_wall_ms(2026, 12, 9, 20, 15, 0));
        folder = test_support::make_temp_dir("recordings");
        base::copy_bounded(Settings.DefaultDirectory, sizeof Settings.DefaultDirectory, base::to_windows_path(folder));
        Settings.ImprovedFilePattern[0] = 0;
        Settings.FileInstanceMode = 0;
    }
    std::string make_name(const char* base, const char* extension, LONG keep = -1)
    {
        char path[260] = {};
        EXPECT_TRUE(client->MakeRecordFileName(MakeRecordingStem(base, Settings.ImprovedFilePattern).c_str(), extension, path, keep));
        return path;
    }
    std::string windows(const std::string& name) const { return base::to_windows_path(folder + "/" + name); }
    // A file with a creation time `minutes` after 2026-12-01 00:00.
    void older_file(const std::string& name, int minutes)
    {
        std::ofstream(folder + "/" + name) << "old";
        FILETIME time = base::filetime_from_unix_ms(base::Clock::make_wall_ms(2026, 12, 1, 0, minutes, 0));
        ASSERT_TRUE(base::set_creation_time(windows(name).c_str(), time));
    }
    // Lets the capture run until the file holds `frames` frames' worth (on the streaming pace).
    static void let_it_record(int milliseconds)
    {
        for (int i = 0; i < milliseconds; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            pump();
        }
    }

    // TV on, Record for about `milliseconds`, Stop, TV off.
    void record_with_tv_on(int milliseconds)
    {
        command(CM_TV);
        command(CM_RECORD);
        let_it_record(milliseconds);
        command(CM_STOP);
        command(CM_TV);
    }

    std::string folder;
};

TEST_F(ClientRecording, NamesCarryTheDateAndTheFirstFreeInstanceNumber)
{
    open();
    base::copy_bounded(Settings.ImprovedFilePattern, sizeof Settings.ImprovedFilePattern, "%Y%m%d");
    EXPECT_EQ(make_name("News", "wmv"), windows("News_20261209_1.wmv"));
    std::ofstream(folder + "/News_20261209_1.wmv") << "x";
    EXPECT_EQ(make_name("News", "wmv"), windows("News_20261209_2.wmv"));

    // With the plain-name mode the number appears only once the plain name is taken.
    Settings.FileInstanceMode = 1;
    EXPECT_EQ(make_name("News", "avi"), windows("News_20261209.avi"));
    std::ofstream(folder + "/News_20261209.avi") << "x";
    EXPECT_EQ(make_name("News", "avi"), windows("News_20261209_1.avi"));

    // A folder ending in a backslash gets no second one; an event's name stays literal and inside the folder.
    std::string slashed = base::to_windows_path(folder) + "\\";
    base::copy_bounded(Settings.DefaultDirectory, sizeof Settings.DefaultDirectory, slashed);
    Settings.FileInstanceMode = 0;
    EXPECT_EQ(make_name("tv", "avi"), slashed + "tv_20261209_1.avi");
    EXPECT_EQ(make_name("100%d ..\\up", "avi"), slashed + "100%d ..-up_20261209_1.avi");

    // A code the runtime does not know, or a '%' at the end, stays as typed, as the File page's
    // example shows it, and the name still counts as the stem's recording.
    base::copy_bounded(Settings.ImprovedFilePattern, sizeof Settings.ImprovedFilePattern, "%Y_%q%");
    EXPECT_EQ(make_name("tv", "avi"), slashed + "tv_2026_%q%_1.avi");
    EXPECT_TRUE(IsRecordingOf(MakeRecordingStem("tv", "%Y_%q%").c_str(), "avi", "tv_2026_%q%_1.avi"));
}

TEST_F(ClientRecording, KeepingTwoDeletesTheTwoOldestOfThreeAndNeverAnotherEventsFiles)
{
    open();
    older_file("News_1.wmv", 1);
    older_file("News_late_1.wmv", 2);
    older_file("News_2.wmv", 3);
    older_file("News_3.wmv", 4);
    older_file("News_late_2.wmv", 5);
    older_file("News_4.avi", 0);

    EXPECT_EQ(make_name("News", "wmv", 2), windows("News_1.wmv"));
    EXPECT_FALSE(std::filesystem::exists(folder + "/News_1.wmv"));
    EXPECT_FALSE(std::filesystem::exists(folder + "/News_2.wmv"));
    EXPECT_TRUE(std::filesystem::exists(folder + "/News_3.wmv"));
    EXPECT_TRUE(std::filesystem::exists(folder + "/News_4.avi"));
    EXPECT_TRUE(std::filesystem::exists(folder + "/News_late_1.wmv"));
    EXPECT_TRUE(std::filesystem::exists(folder + "/News_late_2.wmv"));

    // Keep -1 (the menu's) and keep 0 delete nothing; keep 1 leaves none of the older ones.
    EXPECT_EQ(make_name("News_late", "wmv", -1), windows("News_late_3.wmv"));
    EXPECT_EQ(make_name("News_late", "wmv", 0), windows("News_late_3.wmv"));
    EXPECT_TRUE(std::filesystem::exists(folder + "/News_late_2.wmv"));
    EXPECT_EQ(make_name("News_late", "wmv", 1), windows("News_late_1.wmv"));
    EXPECT_FALSE(std::filesystem::exists(folder + "/News_late_2.wmv"));
    EXPECT_TRUE(std::filesystem::exists(folder + "/News_3.wmv"));
}

TEST_F(ClientRecording, WhenEveryInstanceNumberIsTakenNothingIsOverwrittenAndTheUserIsTold)
{
    Settings.DefaultMediaFormat = 0;
    for (int n = 1; n <= 9999; ++n)
        std::ofstream(folder + "/tv_" + std::to_string(n) + ".avi");
    open();
    char path[260];
    EXPECT_FALSE(client->MakeRecordFileName("tv", "avi", path, -1));
    command(1808);
    ASSERT_NE(Tv, nullptr);
    EXPECT_FALSE(Tv->IsRecording());
    EXPECT_NE(Settings.ActivityState, ActivityRecording);
    EXPECT_EQ(std::filesystem::file_size(folder + "/tv_9999.avi"), 0u);
    ASSERT_EQ(box_texts().size(), 1u);
    EXPECT_NE(box_texts()[0].find("tv_1.avi"), std::string::npos) << box_texts()[0];
}

TEST_F(ClientRecording, RecordFromTheMenuWritesAnAviOfTheChannelAndStopBringsThePictureBack)
{
    Settings.DefaultMediaFormat = 0;
    Settings.Channel = 6;
    open();
    command(1800);
    ASSERT_NE(Tv, nullptr);
    // A low recording level is raised before recording.
    SMixer probe(MIXER_OBJECTF_WAVEIN, "<default>", nullptr);
    probe.SetRecordVolume("Line-In", 40);

    command(1808);
    ASSERT_TRUE(Tv->IsRecording());
    EXPECT_EQ(Settings.ActivityState, ActivityRecording);
    EXPECT_NEAR(probe.GetRecordVolume("Line-In"), 110, 1); // levels round through the card's scale
    let_it_record(400);
    command(1807);
    ASSERT_NE(Tv, nullptr);
    EXPECT_FALSE(Tv->IsRecording());
    EXPECT_TRUE(Tv->IsVideoShown());
    EXPECT_EQ(Settings.ActivityState, ActivityTv);
    EXPECT_TRUE(box_texts().empty()) << box_texts()[0];

    dshow::AviReader reader;
    ASSERT_EQ(reader.open(folder + "/tv_1.avi"), S_OK) << reader.problem();
    ASSERT_EQ(reader.streams().size(), 2u);
    EXPECT_EQ(reader.streams()[0].bitmap.biWidth, 720);
    EXPECT_GT(reader.streams()[0].chunks, 0u);
    EXPECT_FALSE(reader.streams()[1].video);
}

TEST_F(ClientRecording, RecordAudioInAviModeWritesASoundOnlyWaveFile)
{
    Settings.DefaultMediaFormat = 0;
    open();
    command(1819); // TV goes on for it
    ASSERT_NE(Tv, nullptr);
    ASSERT_TRUE(Tv->IsRecording());
    let_it_record(300);
    command(1807);
    EXPECT_FALSE(Tv->IsRecording());
    EXPECT_TRUE(box_texts().empty()) << box_texts()[0];

    std::ifstream in(folder + "/tv_1.wav", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    ASSERT_GT(bytes.size(), 44u);
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
    DWORD riff = 0;
    std::memcpy(&riff, bytes.data() + 4, 4);
    EXPECT_EQ(riff + 8, bytes.size());
    if (!test_support::have_ffprobe())
        GTEST_SKIP() << "ffprobe is not installed";
    auto probe = test_support::ffprobe(folder + "/tv_1.wav", "a:0", "stream=codec_name,sample_rate,channels", false);
    EXPECT_EQ(probe["codec_name"], "pcm_s16le") << probe["error"];
    EXPECT_EQ(probe["sample_rate"], "44100");
    EXPECT_EQ(test_support::ffprobe(folder + "/tv_1.wav", "v", "stream=codec_name", false).count("codec_name"), 0u);
}

TEST_F(ClientRecording, AFormatOtherThanAviOrWindowsMediaIsRefused)
{
    Settings.DefaultMediaFormat = 1;
    open();
    command(1808);
    ASSERT_NE(Tv, nullptr);
    EXPECT_FALSE(Tv->IsRecording());
    EXPECT_EQ(box_texts(), std::vector<std::string> { "improper mode" });
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}


TEST_F(ClientRecording, WindowsMediaRecordingsNameTheWindowWhileTheyRunAndGiveThePictureBackAtStop)
{
    Settings.DefaultMediaFormat = 3;
    open();
    command(1800);
    ASSERT_NE(Tv, nullptr);
    command(1808);
    ASSERT_TRUE(Tv->IsRecording());
    EXPECT_FALSE(Tv->HasCaptureDevice()) << "the encoder has the card";
    EXPECT_EQ(window_text(frame->GetHandle()), "tv_1.wmv Orbivane");
    let_it_record(300);
    command(1807);
    ASSERT_NE(Tv, nullptr);
    EXPECT_FALSE(Tv->IsRecording());
    EXPECT_TRUE(Tv->HasCaptureDevice());
    EXPECT_TRUE(Tv->IsVideoShown());
    EXPECT_EQ(window_text(frame->GetHandle()), "Orbivane");
    EXPECT_TRUE(test_support::is_asf_file(folder + "/tv_1.wmv"));

    command(1819);
    ASSERT_TRUE(Tv->IsRecording());
    EXPECT_TRUE(Tv->HasCaptureDevice()) << "sound only leaves the card to the engine";
    let_it_record(300);
    command(1807);
    EXPECT_FALSE(Tv->IsRecording());
    EXPECT_TRUE(test_support::is_asf_file(folder + "/tv_1.wma"));
    EXPECT_TRUE(box_texts().empty()) << box_texts()[0];
}

TEST_F(ClientRecording, AWindowsMediaFileThatCannotBeMadeIsReportedAndTheRecordingStopped)
{
    Settings.DefaultMediaFormat = 3;
    std::string missing = base::to_windows_path(folder) + "\\missing";
    base::copy_bounded(Settings.DefaultDirectory, sizeof Settings.DefaultDirectory, missing);
    open();
    command(1808);
    ASSERT_NE(Tv, nullptr);
    EXPECT_FALSE(Tv->IsRecording());
    EXPECT_NE(Settings.ActivityState, ActivityRecording);
    ASSERT_FALSE(box_texts().empty());
    EXPECT_EQ(box_texts().back(),
        "Cannot write to this file: \n     " + missing + "\\tv_1.wmv\nIf directory exists, may be read-only.");
}

// The hourglass shows through the whole start, the report of its failure included, and the arrow
// comes back once it is over.
TEST_F(ClientRecording, TheHourglassShowsWhileARecordingStartsAndTheArrowAfter)
{
    Settings.DefaultMediaFormat = 3;
    std::string missing = base::to_windows_path(folder) + "\\missing";
    base::copy_bounded(Settings.DefaultDirectory, sizeof Settings.DefaultDirectory, missing);
    open();
    std::vector<HCURSOR> seen;
    user::testing::set_message_box_responder([&](const user::MessageBoxCall&) {
        seen.push_back(GetCursor());
        return IDOK;
    });
    command(1808);
    user::testing::set_message_box_responder(nullptr);
    EXPECT_EQ(seen, std::vector<HCURSOR> { LoadCursorA(nullptr, IDC_WAIT) });
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
}

}

namespace {

using namespace client_test;

TEST_F(ClientRecording, TheRadioProgramDoesNotGetTheTunerWhileTvRecords)
{
    sim::uninstall_cards();
    sim::CaptureCard card;
    card.name = u"Sim WDM Card";
    sim::install_cards({ card });
    Settings.DefaultMediaFormat = 0;
    open();
    command(CM_TV);
    command(CM_RECORD);
    ASSERT_TRUE(Tv->IsRecording());
    EXPECT_EQ(client->ReleaseTunerRequest(5, 13), TunerRequestRefused);
    EXPECT_TRUE(Tv->IsRecording());
    let_it_record(100);
    command(CM_STOP);
    EXPECT_EQ(client->ReleaseTunerRequest(5, 13), 0);
    EXPECT_EQ(Tv, nullptr);
}

TEST_F(ClientRecording, PropertiesOfARunningWindowsMediaRecordingShowItsTextsTimeSizeAndDate)
{
    Settings.DefaultMediaFormat = 3;
    open();
    command(CM_PROPERTIES);
    EXPECT_TRUE(box_texts().empty()) << "nothing played or recorded: nothing shown";
    EXPECT_FALSE(enabler(CM_PROPERTIES).enabled);
    command(CM_TV);
    command(CM_RECORD);
    ASSERT_TRUE(Tv->IsRecording());
    EXPECT_TRUE(enabler(CM_PROPERTIES).enabled);
    let_it_record(300);
    command(CM_PROPERTIES);
    const auto shown = user::testing::message_box_journal();
    ASSERT_EQ(shown.size(), 1u);
    const auto& box = shown[0].box;
    EXPECT_EQ(box.caption, "tv_1.wmv Properties");
    EXPECT_TRUE(box.text.starts_with("\nCopyright:   Copyright by broadcaster and its content providers. Not for distribution."
                                      "\nTitle:   Orbivane\nDescription:   Recorded by "))
        << box.text;
    // The time recorded so far (shown once a second has passed), the size and the file's date last.
    EXPECT_NE(box.text.find("\nSize: 0."), std::string::npos) << box.text;
    auto date = box.text.rfind("MB\nDate: ");
    ASSERT_NE(date, std::string::npos) << box.text;
    std::string day_month_year = box.text.substr(date + 9);
    EXPECT_EQ(std::count(day_month_year.begin(), day_month_year.end(), '-'), 2) << day_month_year;
    command(CM_STOP);
}

}

namespace {

using namespace client_test;

TEST_F(ClientRecording, PropertiesOfAPlayedRecordingShowItsTags)
{
    for (BYTE format : { BYTE(0), BYTE(3) }) {
        Settings.DefaultMediaFormat = format;
        open();
        record_with_tv_on(300);
        std::string file = format ? "/tv_1.wmv" : "/tv_1.avi";
        client->OpenMediaFile(base::to_windows_path(folder + file).c_str());
        user::testing::reset();
        command(CM_PROPERTIES);
        const auto shown = user::testing::message_box_journal();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].box.caption, file.substr(1) + " Properties");
        const std::string& text = shown[0].box.text;
        if (format) {
            EXPECT_TRUE(text.starts_with("\nCopyright notice: Copyright by broadcaster and its content providers. "
                                         "Not for distribution.\nDescription: Recorded by "))
                << text;
        } else {
            EXPECT_TRUE(text.starts_with("\nSize: ")) << "no tags, and under a second is no duration: " << text;
        }
        EXPECT_NE(text.find("MB\nDate: "), std::string::npos) << text;
        close();
    }
}

TEST_F(ClientRecording, TheArchiveListsTheProgramsRecordingsAndOpensTheOneChosenWhichCannotBeDeletedWhilePlaying)
{
    Settings.DefaultMediaFormat = 3;
    open();
    record_with_tv_on(300);
    ASSERT_EQ(Tv, nullptr);
    older_file("News_1.avi", 0);
    user::testing::reset();

    // The recording heads the first group, "<unscheduled>": Home, open it, Down to the file.
    auto choose_recording = [](HWND d) {
        HWND tree = GetDlgItem(d, IDC_ARCHIVE_TREE);
        SetFocus(tree);
        for (UINT key : { UINT(VK_HOME), UINT(VK_RIGHT), UINT(VK_DOWN) }) {
            user::key_input(key, true);
            user::key_input(key, false);
            user::testing::pump_dialog(d);
        }
    };
    std::vector<std::string> groups;
    user::testing::set_dialog_script(IDD_ARCHIVE, [&](const user::testing::ModalDialog& d) {
        HWND tree = GetDlgItem(d.dialog, IDC_ARCHIVE_TREE);
        for (HTREEITEM group = dialog_driver::tree_item(tree, TVGN_ROOT); group;
             group = dialog_driver::tree_item(tree, TVGN_NEXT, group))
            groups.push_back(dialog_driver::tree_text(tree, group));
        choose_recording(d.dialog);
        user::testing::press_dialog_button(d.dialog, IDC_ARCHIVE_INFO);
        user::testing::press_dialog_button(d.dialog, IDOK);
    });
    command(CM_ARCHIVES);
    EXPECT_EQ(groups, (std::vector<std::string> { "<unscheduled>", "News" }));
    ASSERT_EQ(user::testing::message_box_journal().size(), 1u);
    const auto info = user::testing::message_box_journal()[0].box;
    EXPECT_EQ(info.caption, "tv_1.wmv Properties");
    EXPECT_TRUE(info.text.starts_with("\nCopyright notice: Copyright by broadcaster and its content providers. "
                                      "Not for distribution.\nDescription: Recorded by "))
        << info.text;
    ASSERT_NE(client->GetPlayer(), nullptr);
    EXPECT_EQ(std::string(client->GetPlayer()->GetPath()), windows("tv_1.wmv"));
    EXPECT_EQ(window_text(frame->GetHandle()), "tv_1.wmv Orbivane");
    command(CM_PLAY);
    EXPECT_TRUE(client->GetPlayer()->IsRunning());

    // The file being played is in use.
    user::testing::reset();
    user::testing::set_dialog_script(IDD_ARCHIVE, [&](const user::testing::ModalDialog& d) {
        choose_recording(d.dialog);
        user::testing::press_dialog_button(d.dialog, IDC_ARCHIVE_DELETE);
        user::testing::press_dialog_button(d.dialog, IDCANCEL);
    });
    command(CM_ARCHIVES);
    EXPECT_EQ(box_texts(), std::vector<std::string> { "Can't delete file\n\t   tv_1.wmv\nAlready in use by this or another program?" });
    EXPECT_TRUE(std::filesystem::exists(folder + "/tv_1.wmv"));
    ASSERT_NE(client->GetPlayer(), nullptr);
    EXPECT_TRUE(client->GetPlayer()->IsRunning()) << "Cancel opens nothing new";
}

}

namespace {

using namespace client_test;

DEFINE_GUID(CLSID_PlaybackSpeakers, 0x5B0C2E71, 0x8A3D, 0x4F26, 0x9C, 0x41, 0x0E, 0x6D, 0x52, 0xB8, 0x17, 0xA4);

// What the program recorded plays back in its own window: the AVI with the channel's picture and
// sound, the WAV with sound only, each to its end.
TEST_F(ClientRecording, ItsOwnAviAndWaveRecordingsPlayWithTheirPictureAndSoundToTheirEnd)
{
    dshow::AudioRenderer* speakers = nullptr;
    int device = dshow::register_device({ CLSID_AudioRendererCategory, u"Speakers (Playback Card)", CLSID_PlaybackSpeakers, {},
        [&](IUnknown*, REFIID iid, void** out) {
            auto* renderer = new dshow::AudioRenderer(CLSID_DSoundRender);
            speakers = renderer;
            HRESULT hr = renderer->QueryInterface(iid, out);
            renderer->Release();
            return hr;
        } });
    base::copy_bounded(Settings.WaveOutDriver, sizeof Settings.WaveOutDriver, "Playback Card");
    Settings.DefaultMediaFormat = 0;
    Settings.Channel = 7;
    open();
    ShowWindow(frame->GetHandle(), SW_SHOWNORMAL);
    command(CM_RECORD);
    ASSERT_NE(Tv, nullptr);
    ASSERT_TRUE(Tv->IsRecording());
    let_it_record(1500);
    command(CM_STOP);
    command(CM_RECORDAUDIO);
    ASSERT_TRUE(Tv->IsRecording());
    let_it_record(1500);
    command(CM_STOP);
    ASSERT_TRUE(box_texts().empty()) << box_texts()[0];

    for (const char* name : { "tv_1.avi", "tv_1.wav" }) {
        SCOPED_TRACE(name);
        bool picture = std::string_view(name).ends_with(".avi");
        speakers = nullptr;
        client->OpenMediaFile(windows(name).c_str());
        VideoFile* player = client->GetPlayer();
        ASSERT_NE(player, nullptr);
        EXPECT_EQ(Tv, nullptr) << "opening a file turns TV off";
        EXPECT_TRUE(box_texts().empty()) << box_texts()[0];
        EXPECT_GE(player->GetDuration(), 1);
        ASSERT_NE(speakers, nullptr) << "the chosen sound device";
        command(CM_PLAY);
        ASSERT_TRUE(player->IsRunning());
        HWND video = FindWindowExA(client->GetHandle(), nullptr, "VideoRenderer", nullptr);
        if (picture) {
            ASSERT_NE(video, nullptr);
            EXPECT_EQ(shown_picture(video, sim::PictureSource::channel(7)), sim::PictureSource::channel(7));
        } else {
            EXPECT_TRUE(video == nullptr || !IsWindowVisible(video)) << "sound only shows no picture";
        }
        // The end of the file stops the player (EC_COMPLETE through the client), and the tick ends
        // the playback.
        for (int i = 0; i < 20000 && player->IsRunning(); ++i) {
            pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            Sleep(20);
        }
        EXPECT_FALSE(player->IsRunning());
        EXPECT_EQ(player->GetPosition(), player->GetDuration());
        EXPECT_GT(speakers->rendered_bytes(), 44100u * 2 * 2 / 2) << "at least half a second of the sound";
        SendMessageA(client->GetHandle(), WM_TIMER, TClient::TimerId, 0);
        EXPECT_EQ(Settings.ActivityState, ActivityIdle);
        command(CM_FILECLOSE);
    }
    close();
    dshow::unregister_device(device);
}

}
