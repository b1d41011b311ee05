#include "AsfWriter.h"

#include "Ffprobe.h"
#include "TempDir.h"

#include <com/HResults.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace {

using wmenc::detail::AsfWriter;

wmenc::Profile profile(int fps)
{
    wmenc::Profile p;
    p.name = "test";
    p.width = 160;
    p.height = 120;
    p.frames_per_second = fps;
    p.video_kbps = 100;
    p.sample_rate = 22050;
    p.channels = 1;
    p.audio_kbps = 32;
    return p;
}

TEST(AsfWriter, TakesPicturesAtTheProfilesRateAndConvertsBothPictureFormats)
{
    const test_support::TempDir folder_dir("asf");
    const std::string& folder = folder_dir.path();
    std::string file = folder + "/rate.wmv";
    AsfWriter writer;
    ASSERT_EQ(writer.open(file, profile(10), true, false, {}), S_OK);
    EXPECT_FALSE(writer.has_audio()) << "sound was not asked for";
    std::vector<BYTE> yuy2(320 * 240 * 2, 0x80);
    std::vector<BYTE> rgb(((320 * 3 + 3) & ~3) * 240, 0x40);
    // Two seconds at 25 frames per second, alternating formats, give 20 frames at 10.
    for (int n = 0; n < 50; ++n) {
        REFERENCE_TIME start = n * (UNITS / 25);
        if (n % 2)
            EXPECT_TRUE(SUCCEEDED(writer.write_video(yuy2.data(), AsfWriter::Picture::Yuy2, 320, 240, start)));
        else
            EXPECT_TRUE(SUCCEEDED(writer.write_video(rgb.data(), AsfWriter::Picture::Rgb24, 320, 240, start)));
    }
    EXPECT_EQ(writer.duration_ms(), 2000);
    ASSERT_EQ(writer.close(), S_OK);
    EXPECT_EQ(writer.bytes(), static_cast<LONGLONG>(std::filesystem::file_size(file)));
    if (test_support::have_ffprobe()) {
        auto video = test_support::ffprobe(file, "v", "stream=nb_read_frames,width,height");
        EXPECT_EQ(video["nb_read_frames"], "20");
        EXPECT_EQ(video["width"], "160");
    }
}

TEST(AsfWriter, RefusesAFileWithoutStreamsOrThatCannotBeWritten)
{
    AsfWriter writer;
    EXPECT_EQ(writer.open("/tmp/none.wmv", profile(10), false, false, {}), E_INVALIDARG);
    wmenc::Profile sound_only = profile(10);
    sound_only.audio_kbps = 0;
    EXPECT_EQ(writer.open("/tmp/none.wmv", sound_only, false, true, {}), E_INVALIDARG) << "the profile has no sound";
    EXPECT_EQ(writer.open("/nonexistent-folder/x.wmv", profile(10), true, true, {}), STG_E_ACCESSDENIED);
    EXPECT_FALSE(writer.is_open());
}

}
