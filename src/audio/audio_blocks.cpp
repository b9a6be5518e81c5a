#include "audio/audio_blocks.h"

#include <algorithm>

namespace kestrion::audio {
namespace {

constexpr std::size_t kWordBytes = 4;
// Data id 2.
constexpr std::size_t kRmsOffset = 0;
constexpr std::size_t kPeakOffset = 4;
constexpr std::size_t kRedOffset = 8;
constexpr std::size_t kGreenOffset = 12;
constexpr std::size_t kBlueOffset = 16;
// Data id 10.
constexpr std::size_t kStyleRedOffset = 0;
constexpr std::size_t kStyleGreenOffset = 4;
constexpr std::size_t kStyleBlueOffset = 8;

constexpr std::int64_t kBandGain = 4;
constexpr int kStoredBlocks = 2;
constexpr std::int64_t kBandTop = 255;

void putWord(std::vector<std::uint8_t>& block, std::size_t offset, std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    for (std::size_t i = 0; i < kWordBytes; ++i)
        block[offset + i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

std::int32_t wordAt(std::span<const std::uint8_t> block, std::size_t offset)
{
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < kWordBytes; ++i)
        bits |= static_cast<std::uint32_t>(block[offset + i]) << (8 * i);
    return static_cast<std::int32_t>(bits);
}

std::int32_t levelAt(std::span<const std::uint8_t> block, std::size_t offset)
{
    return std::clamp(wordAt(block, offset), 0, kFullLevel);
}

std::uint8_t componentAt(std::span<const std::uint8_t> block, std::size_t offset)
{
    return static_cast<std::uint8_t>(std::clamp(wordAt(block, offset), 0, 255));
}

int styleLevelAt(std::span<const std::uint8_t> block, std::size_t offset)
{
    return std::clamp(wordAt(block, offset), 0, kMaxStyleLevel);
}

std::uint8_t componentOfStyleLevel(int level)
{
    return static_cast<std::uint8_t>(std::clamp(level, 0, kMaxStyleLevel) * 255 / kMaxStyleLevel);
}

}  // namespace

std::vector<std::uint8_t> encodeLevels(const Levels& levels)
{
    std::vector<std::uint8_t> block(kLevelsBytes);
    for (std::size_t i = 0; i < kLevelCount; ++i)
        putWord(block, i * kWordBytes, levels[i]);
    return block;
}

std::optional<Levels> decodeLevels(std::span<const std::uint8_t> block)
{
    if (block.size() != kLevelsBytes)
        return std::nullopt;
    Levels levels{};
    for (std::size_t i = 0; i < kLevelCount; ++i)
        levels[i] = levelAt(block, i * kWordBytes);
    return levels;
}

std::vector<std::uint8_t> encodeLoudness(const Loudness& loudness)
{
    std::vector<std::uint8_t> block(kLoudnessBytes);
    putWord(block, kRmsOffset, loudness.rms);
    putWord(block, kPeakOffset, loudness.peak);
    putWord(block, kRedOffset, loudness.colour.red);
    putWord(block, kGreenOffset, loudness.colour.green);
    putWord(block, kBlueOffset, loudness.colour.blue);
    return block;
}

std::optional<Loudness> decodeLoudness(std::span<const std::uint8_t> block)
{
    if (block.size() != kLoudnessBytes)
        return std::nullopt;
    Loudness loudness;
    loudness.rms = levelAt(block, kRmsOffset);
    loudness.peak = levelAt(block, kPeakOffset);
    loudness.colour = {componentAt(block, kRedOffset), componentAt(block, kGreenOffset),
                       componentAt(block, kBlueOffset)};
    return loudness;
}

std::vector<std::uint8_t> encodeStyleColour(const StyleColour& colour)
{
    std::vector<std::uint8_t> block(kStyleColourBytes);
    putWord(block, kStyleRedOffset, colour.red);
    putWord(block, kStyleGreenOffset, colour.green == 0 ? 1 : colour.green);
    putWord(block, kStyleBlueOffset, colour.blue);
    return block;
}

std::optional<StyleColour> decodeStyleColour(std::span<const std::uint8_t> block)
{
    if (block.size() != kStyleColourBytes)
        return std::nullopt;
    return StyleColour{styleLevelAt(block, kStyleRedOffset), styleLevelAt(block, kStyleGreenOffset),
                       styleLevelAt(block, kStyleBlueOffset)};
}

Colour colourOfStyle(const StyleColour& style)
{
    return {componentOfStyleLevel(style.red), componentOfStyleLevel(style.green), componentOfStyleLevel(style.blue)};
}

std::uint8_t bandLevel(std::span<const std::int32_t> previous, std::span<const std::int32_t> current)
{
    std::int64_t rise = 0;
    const std::size_t count = std::min(previous.size(), current.size());
    for (std::size_t i = 0; i < count; ++i)
        rise += std::max<std::int64_t>(0, static_cast<std::int64_t>(current[i]) - previous[i]);
    if (count == 0)
        return 0;
    const std::int64_t level = rise * kBandGain * kBandTop / (static_cast<std::int64_t>(count) * kFullLevel);
    return static_cast<std::uint8_t>(std::min(level, kBandTop));
}

std::optional<Bands> BandTracker::take(const Levels& levels)
{
    m_previous = m_last;
    m_last = levels;
    if (m_taken < kStoredBlocks) {
        ++m_taken;
        return std::nullopt;
    }
    Bands bands{};
    for (std::size_t b = 0; b < kBandCount; ++b) {
        const std::size_t first = b * kLevelsPerBand;
        bands[b] = bandLevel(std::span(m_previous).subspan(first, kLevelsPerBand),
                             std::span(m_last).subspan(first, kLevelsPerBand));
    }
    return bands;
}

void BandTracker::reset()
{
    m_last = {};
    m_previous = {};
    m_taken = 0;
}

}  // namespace kestrion::audio
