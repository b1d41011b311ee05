#include "TempHome.h"

#include <dshow/AviReader.h>
#include <dshow/AviWriter.h>
#include <sim/TestPicture.h>
#include <sim/TestTone.h>

#include <algorithm>
#include <gtest/gtest.h>

namespace {

const sim::PictureSource sources[] = { sim::PictureSource::channel(2), sim::PictureSource::channel(5), sim::PictureSource::channel(12),
    sim::PictureSource::channel(69), sim::PictureSource::channel(125), sim::PictureSource::input(1), sim::PictureSource::input(2) };

TEST(TestPicture, EveryChannelAndInputIsIdentifiedWithItsFrameNumber)
{
    sim::TestPicture picture(720, 576);
    std::vector<std::vector<BYTE>> frames;
    for (const auto& source : sources) {
        for (std::uint32_t n : { 0u, 1u, 1234u, 0xFFFFFFu }) {
            auto frame = picture.render(source, n, n * UNITS / 25);
            auto seen = sim::identify_picture(frame.data(), 720, 576);
            ASSERT_TRUE(seen) << sim::label(source) << " frame " << n;
            EXPECT_EQ(seen->source, source) << sim::label(source);
            EXPECT_EQ(seen->frame, n);
        }
        frames.push_back(picture.render(source, 7, 0));
    }
    // Distinct pictures for distinct sources.
    for (std::size_t i = 0; i < frames.size(); ++i)
        for (std::size_t j = i + 1; j < frames.size(); ++j)
            EXPECT_NE(frames[i], frames[j]);
}

// Drawing only the changes over the frame before gives the whole frame: as the frame number
// gains and loses digits, hours in, and at sizes where the label meets the strip or the clock.
TEST(TestPicture, ChangesOverTheFrameBeforeGiveTheWholeFrame)
{
    struct Step {
        std::uint32_t frame;
        REFERENCE_TIME time;
    };
    const Step steps[] = { { 9, 0 }, { 10, UNITS }, { 99, 4 * UNITS }, { 100, 4 * UNITS }, { 5, 0 }, { 123456, 3601 * UNITS },
        { 0xFFFFFF, 99 * 3600 * UNITS }, { 1, 0 } };
    const std::pair<int, int> sizes[] = { { 720, 576 }, { 352, 288 }, { 100, 20 }, { 50, 12 }, { 48, 3 }, { 2, 1 } };
    for (auto [width, height] : sizes) {
        sim::TestPicture picture(width, height);
        for (const auto& source : { sim::PictureSource::channel(5), sim::PictureSource::channel(125), sim::PictureSource::input(2) }) {
            std::vector<BYTE> held = picture.render(source, steps[0].frame, steps[0].time);
            for (const auto& step : steps) {
                picture.render_changes(source, step.frame, step.time, held.data());
                ASSERT_EQ(held, picture.render(source, step.frame, step.time))
                    << width << "x" << height << " " << sim::label(source) << " frame " << step.frame;
            }
        }
    }
}

TEST(TestPicture, NoiseAndBlackAreToldApart)
{
    sim::TestPicture picture(720, 576);
    auto a = picture.render(sim::PictureSource::noise(), 1, 0);
    auto b = picture.render(sim::PictureSource::noise(), 2, 0);
    EXPECT_NE(a, b);
    auto seen = sim::identify_picture(a.data(), 720, 576);
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->source.kind, sim::SourceKind::Noise);
    std::vector<BYTE> black(720 * 576 * 2);
    for (std::size_t i = 0; i < black.size(); ++i)
        black[i] = (i & 1) ? 128 : 16;
    EXPECT_FALSE(sim::identify_picture(black.data(), 720, 576));
}

TEST(TestPicture, ScaledRgbCopyIsStillIdentified)
{
    // As a renderer shows it: converted to RGB and halved.
    sim::TestPicture picture(720, 576);
    auto frame = picture.render(sim::PictureSource::input(2), 99, 0);
    std::vector<DWORD> rgb(360 * 288);
    for (int y = 0; y < 288; ++y)
        for (int x = 0; x < 360; ++x) {
            int luma = frame[(static_cast<std::size_t>(y * 2) * 720 + x * 2) * 2];
            int c = std::clamp((luma - 16) * 255 / 219, 0, 255);
            rgb[y * 360 + x] = static_cast<DWORD>(c << 16 | c << 8 | c);
        }
    auto seen = sim::identify_picture_rgb32(rgb.data(), 360, 288, 360);
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->source, sim::PictureSource::input(2));
    EXPECT_EQ(seen->frame, 99u);
}

TEST(TestPicture, RecordedChannelComesBackFromTheFile)
{
    auto path = test_support::temp_home() + "/channel5.avi";
    sim::TestPicture picture(720, 576);
    sim::TestTone tone(sim::PictureSource::channel(5));
    dshow::AviWriter writer;
    int video = writer.add_video_stream(picture.format(UNITS / 25));
    int sound = writer.add_audio_stream(tone.format());
    ASSERT_EQ(writer.open(path), S_OK);
    std::vector<std::int16_t> pcm(1764 * 2);
    for (int n = 0; n < 50; ++n) {
        REFERENCE_TIME t = n * UNITS / 25;
        tone.render(static_cast<std::uint64_t>(n) * 1764, 1764, pcm.data());
        ASSERT_EQ(writer.write(sound, { reinterpret_cast<const BYTE*>(pcm.data()), pcm.size() * 2 }, t), S_OK);
        ASSERT_EQ(writer.write(video, picture.render(sim::PictureSource::channel(5), static_cast<std::uint32_t>(n), t), t), S_OK);
    }
    ASSERT_EQ(writer.close(), S_OK);

    dshow::AviReader reader;
    ASSERT_EQ(reader.open(path), S_OK) << reader.problem();
    std::vector<BYTE> data;
    for (std::size_t n = 0; n < 50; ++n) {
        ASSERT_EQ(reader.read_frame(0, n, data), S_OK);
        auto seen = sim::identify_picture(data.data(), 720, 576);
        ASSERT_TRUE(seen);
        EXPECT_EQ(seen->source, sim::PictureSource::channel(5));
        EXPECT_EQ(seen->frame, n);
    }
    ASSERT_EQ(reader.read_frame(1, 10, data), S_OK);
    auto heard = sim::identify_tone(reinterpret_cast<const std::int16_t*>(data.data()), data.size() / 4, 2, 44100);
    ASSERT_TRUE(heard);
    EXPECT_EQ(*heard, sim::PictureSource::channel(5));
}

}
