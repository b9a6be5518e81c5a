#pragma once

#include <array>
#include <complex>
#include <span>
#include <vector>

#include "audio/audio_blocks.h"

namespace kestrion::audio {

// The companion's analysis of one captured block: 1024 mono samples at 44.1 kHz (23 ms), weighed
// by a Hann window and taken through a radix-2 FFT. Level i is the magnitude of frequency bin
// i + 1 (43 Hz steps from 43 Hz to 21.5 kHz; the constant part is left out), scaled so that a
// full-scale sine on that bin reads kFullLevel. The loudness is the block's RMS and peak on the
// same scale.
class LevelAnalyser {
public:
    static constexpr int kSampleRate = 44100;
    static constexpr std::size_t kBlockSamples = 1024;

    LevelAnalyser();

    // samples: kBlockSamples values in -1..1 (fewer are padded with silence).
    Levels levels(std::span<const float> samples);
    static Loudness loudness(std::span<const float> samples);
    // The level index that a tone of the given frequency falls on.
    static std::size_t levelIndexOf(double hertz);

private:
    std::array<float, kBlockSamples> m_window{};
    std::array<std::complex<float>, kBlockSamples / 2> m_twiddles{};
    std::vector<std::complex<float>> m_work;
};

}  // namespace kestrion::audio
