#include <sim/TestTone.h>

#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <numbers>
#include <numeric>
#include <vector>

namespace sim {

namespace {

constexpr double amplitude = 32767.0 / 3;
constexpr double noise_amplitude = 2000.0;

using Cycle = std::vector<std::int16_t>;

// The phases a tone of `frequency` whole Hz reaches are the multiples of g = gcd(frequency, rate)
// over rate; entry j of its cycle is the sample at phase j * g / rate.
Cycle make_cycle(std::uint64_t frequency, DWORD rate)
{
    std::uint64_t step = std::gcd(frequency, static_cast<std::uint64_t>(rate));
    Cycle cycle(rate / step);
    for (std::size_t j = 0; j < cycle.size(); ++j) {
        double phase = static_cast<double>(j * step) / rate;
        cycle[j] = static_cast<std::int16_t>(std::lround(amplitude * std::sin(2 * std::numbers::pi * phase)));
    }
    return cycle;
}

// Cycles are kept for the few pitches in use, as a tone is made for each buffer.
std::shared_ptr<const Cycle> cycle_of(std::uint64_t frequency, DWORD rate)
{
    static std::mutex lock;
    static std::map<std::pair<std::uint64_t, DWORD>, std::shared_ptr<const Cycle>> cycles;
    std::lock_guard guard(lock);
    const std::pair key { frequency, rate };
    if (auto found = cycles.find(key); found != cycles.end())
        return found->second;
    if (cycles.size() >= 64)
        cycles.clear();
    return cycles[key] = std::make_shared<const Cycle>(make_cycle(frequency, rate));
}

}

double tone_frequency(const PictureSource& source)
{
    switch (source.kind) {
    case SourceKind::Channel:
        return 400.0 + 20.0 * source.number;
    case SourceKind::Input:
        return 200.0 + 50.0 * source.number;
    case SourceKind::Noise:
        break;
    }
    return 0;
}

TestTone::TestTone(const PictureSource& source, DWORD samples_per_second, WORD channels)
    : m_source(source)
    , m_rate(samples_per_second ? samples_per_second : 44100)
    , m_channels(channels ? channels : 1)
    , m_frequency(tone_frequency(source))
{
    if (m_frequency > 0)
        m_cycle = cycle_of(static_cast<std::uint64_t>(std::llround(m_frequency)), m_rate);
}

WAVEFORMATEX TestTone::format() const { return dshow::make_pcm_format(m_rate, m_channels, 16); }

std::uint64_t TestTone::frames_in(REFERENCE_TIME duration) const
{
    if (duration <= 0)
        return 0;
    return static_cast<std::uint64_t>(duration) * m_rate / UNITS;
}

void TestTone::render(std::uint64_t first, std::size_t count, std::int16_t* out) const
{
    if (m_frequency <= 0) {
        // Hiss: a hash of the sample index, so any cut gives the same sound.
        for (std::size_t i = 0; i < count; ++i) {
            for (WORD c = 0; c < m_channels; ++c) {
                std::uint64_t x = (first + i) * 0x9E3779B97F4A7C15ull + c * 0xBF58476D1CE4E5B9ull;
                x ^= x >> 31;
                x *= 0x94D049BB133111EBull;
                x ^= x >> 29;
                double r = static_cast<double>(x >> 11) / static_cast<double>(1ull << 53) * 2 - 1;
                *out++ = static_cast<std::int16_t>(std::lround(r * noise_amplitude));
            }
        }
        return;
    }
    // The phase from the absolute index, reduced exactly: f * n / rate = whole cycles + fraction.
    // f is a whole number of Hz here, so (f * n) mod rate keeps full precision.
    auto f = static_cast<std::uint64_t>(std::llround(m_frequency));
    const Cycle& cycle = *m_cycle;
    const std::uint64_t step = m_rate / cycle.size();
    const std::uint64_t advance = f % m_rate;
    std::uint64_t k = (f * first) % m_rate;
    for (std::size_t i = 0; i < count; ++i) {
        std::int16_t value = cycle[k / step];
        for (WORD c = 0; c < m_channels; ++c)
            *out++ = value;
        k += advance;
        if (k >= m_rate)
            k -= m_rate;
    }
}

double measure_pitch(const std::int16_t* samples, std::size_t frames, int channels, DWORD samples_per_second)
{
    if (!samples || frames < 4 || channels <= 0 || samples_per_second == 0)
        return 0;
    auto at = [&](std::size_t i) { return static_cast<double>(samples[i * static_cast<std::size_t>(channels)]); };
    // Rising zero crossings, placed between samples by linear interpolation.
    std::vector<double> crossings;
    double peak = 0;
    for (std::size_t i = 0; i < frames; ++i)
        peak = std::max(peak, std::abs(at(i)));
    if (peak < 100)
        return 0;
    for (std::size_t i = 1; i < frames; ++i) {
        double a = at(i - 1), b = at(i);
        if (a < 0 && b >= 0)
            crossings.push_back(static_cast<double>(i - 1) + a / (a - b));
    }
    if (crossings.size() < 3)
        return 0;
    double period = (crossings.back() - crossings.front()) / static_cast<double>(crossings.size() - 1);
    // A steady pitch has evenly spaced crossings.
    for (std::size_t i = 1; i < crossings.size(); ++i)
        if (std::abs(crossings[i] - crossings[i - 1] - period) > period * 0.1)
            return 0;
    return samples_per_second / period;
}

std::optional<PictureSource> identify_tone(const std::int16_t* samples, std::size_t frames, int channels, DWORD samples_per_second)
{
    double pitch = measure_pitch(samples, frames, channels, samples_per_second);
    if (pitch <= 0) {
        // Not a tone: hiss when there is sound at all.
        double energy = 0;
        for (std::size_t i = 0; i < frames; ++i) {
            double v = samples ? samples[i * static_cast<std::size_t>(std::max(channels, 1))] : 0;
            energy += v * v;
        }
        if (frames && std::sqrt(energy / static_cast<double>(frames)) > 100)
            return PictureSource::noise();
        return std::nullopt;
    }
    for (int input = 1; input <= 2; ++input)
        if (std::abs(pitch - tone_frequency(PictureSource::input(input))) < 4)
            return PictureSource::input(input);
    long channel = std::lround((pitch - 400.0) / 20.0);
    if (channel >= 2 && std::abs(pitch - tone_frequency(PictureSource::channel(static_cast<int>(channel)))) < 4)
        return PictureSource::channel(static_cast<int>(channel));
    return std::nullopt;
}

}
