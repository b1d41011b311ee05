#include <sim/TestTone.h>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace {

TEST(TestTone, PitchTellsTheSource)
{
    const sim::PictureSource sources[] = { sim::PictureSource::channel(2), sim::PictureSource::channel(3), sim::PictureSource::channel(69),
        sim::PictureSource::channel(125), sim::PictureSource::input(1), sim::PictureSource::input(2) };
    for (const auto& source : sources) {
        sim::TestTone tone(source);
        EXPECT_EQ(tone.format().nSamplesPerSec, 44100u);
        EXPECT_EQ(tone.format().nChannels, 2);
        std::vector<std::int16_t> pcm(4410 * 2);
        tone.render(123456, 4410, pcm.data());
        EXPECT_NEAR(sim::measure_pitch(pcm.data(), 4410, 2, 44100), sim::tone_frequency(source), 0.5) << sim::label(source);
        auto heard = sim::identify_tone(pcm.data(), 4410, 2, 44100);
        ASSERT_TRUE(heard) << sim::label(source);
        EXPECT_EQ(*heard, source);
    }
}

TEST(TestTone, BuffersJoinExactly)
{
    sim::TestTone tone(sim::PictureSource::channel(7), 48000, 1);
    std::vector<std::int16_t> whole(1000), parts(1000);
    tone.render(5000, 1000, whole.data());
    tone.render(5000, 333, parts.data());
    tone.render(5333, 667, parts.data() + 333);
    EXPECT_EQ(whole, parts);
}

// Each sample is the sine of its own absolute index, hours in as at the start, at any rate (the
// pitch above the rate too) and in a tone made after another pitch's.
TEST(TestTone, SamplesAreTheSineOfTheirIndex)
{
    struct Case {
        sim::PictureSource source;
        DWORD rate;
        WORD channels;
    };
    const Case cases[] = { { sim::PictureSource::channel(5), 44100, 2 }, { sim::PictureSource::input(2), 48000, 1 },
        { sim::PictureSource::channel(500), 8000, 1 }, { sim::PictureSource::channel(123), 22050, 2 } };
    for (const std::uint64_t first : { std::uint64_t { 0 }, std::uint64_t { 44100ull * 3600 * 5 + 17 } }) {
        for (const auto& c : cases) {
            sim::TestTone tone(c.source, c.rate, c.channels);
            std::vector<std::int16_t> pcm(500 * c.channels);
            tone.render(first, 500, pcm.data());
            auto f = static_cast<std::uint64_t>(sim::tone_frequency(c.source));
            for (std::size_t i = 0; i < 500; ++i) {
                double phase = static_cast<double>((f * (first + i)) % c.rate) / c.rate;
                auto expected = static_cast<std::int16_t>(std::lround(32767.0 / 3 * std::sin(2 * std::numbers::pi * phase)));
                for (WORD ch = 0; ch < c.channels; ++ch)
                    ASSERT_EQ(pcm[i * c.channels + ch], expected) << sim::label(c.source) << " at " << first + i;
            }
        }
    }
}

TEST(TestTone, NoiseAndSilence)
{
    sim::TestTone hiss(sim::PictureSource::noise());
    std::vector<std::int16_t> pcm(4410 * 2);
    hiss.render(0, 4410, pcm.data());
    auto heard = sim::identify_tone(pcm.data(), 4410, 2, 44100);
    ASSERT_TRUE(heard);
    EXPECT_EQ(heard->kind, sim::SourceKind::Noise);
    std::vector<std::int16_t> silence(4410 * 2);
    EXPECT_FALSE(sim::identify_tone(silence.data(), 4410, 2, 44100));
}

}
