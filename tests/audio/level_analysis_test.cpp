// The companion's levels of a known signal.
#include <gtest/gtest.h>

#include <algorithm>

#include "audio/audio_capture.h"
#include "audio/level_analysis.h"

namespace kestrion::audio {
namespace {

constexpr std::size_t kBlock = LevelAnalyser::kBlockSamples;

// The frequency that falls exactly on level index `index`.
double binFrequency(std::size_t index)
{
    return static_cast<double>(index + 1) * LevelAnalyser::kSampleRate / kBlock;
}

std::vector<float> toneBlock(double hertz, float amplitude)
{
    GeneratedCapture capture({{hertz, amplitude, kBlock}}, false);
    std::string error;
    EXPECT_TRUE(capture.open(error));
    std::vector<float> block(kBlock);
    EXPECT_TRUE(capture.read(block, error));
    return block;
}

TEST(LevelAnalysis, SilenceGivesNoLevels)
{
    LevelAnalyser analyser;
    const Levels levels = analyser.levels(std::vector<float>(kBlock, 0.0F));
    EXPECT_EQ(*std::max_element(levels.begin(), levels.end()), 0);
    EXPECT_EQ(LevelAnalyser::loudness(std::vector<float>(kBlock, 0.0F)), Loudness{});
}

TEST(LevelAnalysis, ToneOnABinReadsItsAmplitudeThere)
{
    struct Case {
        std::size_t index;
        float amplitude;
    };
    const Case cases[] = {{22, 0.5F}, {0, 1.0F}, {250, 0.25F}, {499, 0.8F}};
    LevelAnalyser analyser;
    for (const Case& c : cases) {
        const Levels levels = analyser.levels(toneBlock(binFrequency(c.index), c.amplitude));
        const auto loudest = std::max_element(levels.begin(), levels.end());
        EXPECT_EQ(static_cast<std::size_t>(loudest - levels.begin()), c.index);
        EXPECT_NEAR(*loudest, c.amplitude * kFullLevel, kFullLevel / 100.0) << "bin " << c.index;
        // The window keeps the tone out of levels a few bins away.
        const std::size_t far = c.index < 250 ? c.index + 5 : c.index - 5;
        EXPECT_LT(levels[far], kFullLevel / 1000) << "bin " << c.index;
    }
}

TEST(LevelAnalysis, LoudnessOfASine)
{
    const Loudness loudness = LevelAnalyser::loudness(toneBlock(binFrequency(22), 0.5F));
    EXPECT_NEAR(loudness.rms, 0.5 / std::sqrt(2.0) * kFullLevel, kFullLevel / 200.0);
    EXPECT_NEAR(loudness.peak, 0.5 * kFullLevel, kFullLevel / 200.0);
}

TEST(LevelAnalysis, FrequenciesFallOnTheirLevelIndex)
{
    EXPECT_EQ(LevelAnalyser::levelIndexOf(binFrequency(22)), 22U);
    EXPECT_EQ(LevelAnalyser::levelIndexOf(1000.0), 22U);
    EXPECT_EQ(LevelAnalyser::levelIndexOf(10.0), 0U);
    EXPECT_EQ(LevelAnalyser::levelIndexOf(40000.0), kLevelCount - 1);
}

}  // namespace
}  // namespace kestrion::audio
