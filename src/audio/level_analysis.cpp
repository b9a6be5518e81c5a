#include "audio/level_analysis.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kestrion::audio {
namespace {

constexpr std::size_t kBits = 10;
static_assert(std::size_t{1} << kBits == LevelAnalyser::kBlockSamples);
static_assert(kLevelCount < LevelAnalyser::kBlockSamples / 2);

std::size_t reversedBits(std::size_t value)
{
    std::size_t reversed = 0;
    for (std::size_t i = 0; i < kBits; ++i)
        reversed |= ((value >> i) & 1U) << (kBits - 1 - i);
    return reversed;
}

std::int32_t scaled(double fraction)
{
    return static_cast<std::int32_t>(std::lround(std::clamp(fraction, 0.0, 1.0) * kFullLevel));
}

}  // namespace

LevelAnalyser::LevelAnalyser() : m_work(kBlockSamples)
{
    constexpr double kTwoPi = 2.0 * std::numbers::pi;
    for (std::size_t i = 0; i < kBlockSamples; ++i)
        m_window[i] = static_cast<float>(0.5 - 0.5 * std::cos(kTwoPi * static_cast<double>(i) / kBlockSamples));
    for (std::size_t i = 0; i < m_twiddles.size(); ++i)
        m_twiddles[i] = std::polar(1.0F, static_cast<float>(-kTwoPi * static_cast<double>(i) / kBlockSamples));
}

Levels LevelAnalyser::levels(std::span<const float> samples)
{
    for (std::size_t i = 0; i < kBlockSamples; ++i) {
        const float sample = i < samples.size() ? samples[i] : 0.0F;
        m_work[reversedBits(i)] = {sample * m_window[i], 0.0F};
    }
    for (std::size_t half = 1; half < kBlockSamples; half *= 2) {
        const std::size_t stride = kBlockSamples / (2 * half);
        for (std::size_t start = 0; start < kBlockSamples; start += 2 * half) {
            for (std::size_t k = 0; k < half; ++k) {
                const std::complex<float> odd = m_twiddles[k * stride] * m_work[start + k + half];
                m_work[start + k + half] = m_work[start + k] - odd;
                m_work[start + k] += odd;
            }
        }
    }
    // A Hann-windowed full-scale sine has the magnitude N / 4 on its bin.
    constexpr double kFullMagnitude = kBlockSamples / 4.0;
    Levels result{};
    for (std::size_t i = 0; i < kLevelCount; ++i)
        result[i] = scaled(std::abs(m_work[i + 1]) / kFullMagnitude);
    return result;
}

Loudness LevelAnalyser::loudness(std::span<const float> samples)
{
    double squares = 0.0;
    float peak = 0.0F;
    for (const float sample : samples) {
        squares += static_cast<double>(sample) * sample;
        peak = std::max(peak, std::abs(sample));
    }
    Loudness loudness;
    loudness.rms = samples.empty() ? 0 : scaled(std::sqrt(squares / static_cast<double>(samples.size())));
    loudness.peak = scaled(peak);
    return loudness;
}

std::size_t LevelAnalyser::levelIndexOf(double hertz)
{
    const double bin = std::round(hertz * kBlockSamples / kSampleRate);
    return static_cast<std::size_t>(std::clamp(bin - 1.0, 0.0, static_cast<double>(kLevelCount - 1)));
}

}  // namespace kestrion::audio
