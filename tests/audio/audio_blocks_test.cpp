// The blocks the tool and the companion exchange, and the band levels the tool derives.
#include <gtest/gtest.h>

#include "audio/audio_blocks.h"

namespace kestrion::audio {
namespace {

Levels flat(std::int32_t level)
{
    Levels levels{};
    levels.fill(level);
    return levels;
}

// Levels raised by `rise` in the first `count` levels of a band, flat elsewhere.
Levels withRise(std::size_t band, std::size_t count, std::int32_t rise)
{
    Levels levels = flat(1000);
    for (std::size_t i = 0; i < count; ++i)
        levels[band * kLevelsPerBand + i] += rise;
    return levels;
}

TEST(AudioBlocks, LevelsRoundTripLittleEndianAndClampHostileValues)
{
    Levels levels{};
    for (std::size_t i = 0; i < kLevelCount; ++i)
        levels[i] = static_cast<std::int32_t>(i * 131);
    const std::vector<std::uint8_t> block = encodeLevels(levels);
    ASSERT_EQ(block.size(), 2000U);
    EXPECT_EQ(block[4], 131);  // level 1, lowest byte first
    EXPECT_EQ(block[5], 0);
    EXPECT_EQ(decodeLevels(block), levels);

    std::vector<std::uint8_t> hostile(2000, 0xFF);  // every level -1
    hostile[0] = 0x00;
    hostile[3] = 0x7F;  // level 0 = 0x7FFFFF00
    const auto clamped = decodeLevels(hostile);
    ASSERT_TRUE(clamped);
    EXPECT_EQ((*clamped)[0], kFullLevel);
    EXPECT_EQ((*clamped)[1], 0);
}

TEST(AudioBlocks, BlocksOfAnotherSizeAreRefused)
{
    EXPECT_FALSE(decodeLevels(std::vector<std::uint8_t>(1999)));
    EXPECT_FALSE(decodeLevels(std::vector<std::uint8_t>(2004)));
    EXPECT_FALSE(decodeLoudness(std::vector<std::uint8_t>(16)));
    EXPECT_FALSE(decodeStyleColour(std::vector<std::uint8_t>(12)));
}

TEST(AudioBlocks, LoudnessRoundTrips)
{
    const Loudness loudness{23170, 32767, {85, 28, 198}};
    EXPECT_EQ(decodeLoudness(encodeLoudness(loudness)), loudness);
}

TEST(AudioBlocks, StyleColourSendsGreenZeroAsOneAndTheRestZero)
{
    const std::vector<std::uint8_t> block = encodeStyleColour({3, 0, 7});
    ASSERT_EQ(block.size(), 40U);
    EXPECT_EQ(block[0], 3);
    EXPECT_EQ(block[4], 1);
    EXPECT_EQ(block[8], 7);
    for (std::size_t i = 12; i < block.size(); ++i)
        EXPECT_EQ(block[i], 0) << "byte " << i;
    EXPECT_EQ(decodeStyleColour(encodeStyleColour({9, 5, 0})), (StyleColour{9, 5, 0}));
    EXPECT_EQ(colourOfStyle({9, 0, 3}), (Colour{255, 0, 85}));
}

TEST(AudioBands, FirstTwoBlocksAreOnlyStored)
{
    BandTracker tracker;
    EXPECT_FALSE(tracker.take(flat(0)));
    EXPECT_FALSE(tracker.take(flat(kFullLevel)));
    const auto third = tracker.take(flat(kFullLevel));
    ASSERT_TRUE(third);
    EXPECT_EQ(*third, Bands{});  // no change against the second block
    tracker.reset();
    EXPECT_FALSE(tracker.take(flat(kFullLevel)));
}

struct BandCase {
    const char* what;
    Levels previous;
    Levels current;
    std::size_t band;
    std::uint8_t expected;
};

TEST(AudioBands, BandLevelsFromTheRiseAgainstThePreviousBlock)
{
    const BandCase cases[] = {
        {"steady sound", flat(30000), flat(30000), 7, 0},
        {"falling sound", flat(30000), flat(1000), 7, 0},
        {"full rise of the whole band", flat(0), flat(kFullLevel), 0, 255},
        {"near-full rise of a quarter of the band", flat(1000), withRise(12, 5, kFullLevel - 1000), 12, 251},
        {"half rise of one level in twenty", flat(1000), withRise(24, 1, kFullLevel / 2), 24, 25},
        {"neighbouring band untouched", flat(1000), withRise(24, 1, kFullLevel / 2), 23, 0},
    };
    for (const BandCase& c : cases) {
        BandTracker tracker;
        tracker.take(flat(0));
        tracker.take(c.previous);
        const auto bands = tracker.take(c.current);
        ASSERT_TRUE(bands) << c.what;
        EXPECT_EQ((*bands)[c.band], c.expected) << c.what;
    }
}

}  // namespace
}  // namespace kestrion::audio
