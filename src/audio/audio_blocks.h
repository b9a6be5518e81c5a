#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// What the tool and the audio companion exchange: the message codes the tool sends, and the
// byte layouts of the data blocks each side sends the other. Every block is a row of 32-bit
// little-endian integers; the layouts are encoded and decoded here and nowhere else.
namespace kestrion::audio {

// Messages from the tool to the companion (the code and a value).
enum class Message : int {
    Hello = 0,    // the sender is the tool the blocks go to
    Start = 1,    // capture the sound output and send blocks
    Stop = 2,     // close the capture
    Reset = 3,    // the colour goes back to white until the tool sends one
    Goodbye = 4,  // the tool is gone: send nothing more
    Idle = 5,     // stop and goodbye in one: the companion waits for the next hello
    Red = 6,      // the companion's colour, component by component (0 to 255)
    Green = 7,
    Blue = 8,
};

// Data block ids.
inline constexpr int kLevelsId = 1;       // companion to tool: the levels of one captured block
inline constexpr int kLoudnessId = 2;     // companion to tool: loudness and the companion's colour
inline constexpr int kStyleColourId = 10; // tool to companion: the active audio style's colour

inline constexpr std::size_t kLevelCount = 500;
inline constexpr std::int32_t kFullLevel = 65535;
inline constexpr std::size_t kBandCount = 25;
inline constexpr std::size_t kLevelsPerBand = kLevelCount / kBandCount;
inline constexpr std::size_t kLevelsBytes = kLevelCount * 4;
inline constexpr std::size_t kLoudnessBytes = 20;
inline constexpr std::size_t kStyleColourBytes = 40;
// Style colour levels run 0 to 9.
inline constexpr int kMaxStyleLevel = 9;

using Levels = std::array<std::int32_t, kLevelCount>;
using Bands = std::array<std::uint8_t, kBandCount>;

struct Colour {
    std::uint8_t red = 255;
    std::uint8_t green = 255;
    std::uint8_t blue = 255;

    constexpr bool operator==(const Colour&) const = default;
};

// Data id 2: the block's loudness (0 to kFullLevel) and the colour the companion shows.
struct Loudness {
    std::int32_t rms = 0;
    std::int32_t peak = 0;
    Colour colour;

    constexpr bool operator==(const Loudness&) const = default;
};

struct StyleColour {
    int red = 0;
    int green = 0;
    int blue = 0;

    constexpr bool operator==(const StyleColour&) const = default;
};

std::vector<std::uint8_t> encodeLevels(const Levels& levels);
// nullopt unless the block has exactly kLevelsBytes; levels outside 0..kFullLevel are clamped.
std::optional<Levels> decodeLevels(std::span<const std::uint8_t> block);

std::vector<std::uint8_t> encodeLoudness(const Loudness& loudness);
std::optional<Loudness> decodeLoudness(std::span<const std::uint8_t> block);

// The tool's block for the companion: red, green, blue, the rest zero. A green of 0 goes as 1:
// the companion takes an all-zero colour for "no style".
std::vector<std::uint8_t> encodeStyleColour(const StyleColour& colour);
// Levels are clamped to 0..kMaxStyleLevel.
std::optional<StyleColour> decodeStyleColour(std::span<const std::uint8_t> block);
// A style colour (levels 0 to 9) as 8-bit components.
Colour colourOfStyle(const StyleColour& style);

// The tool's side of the levels: keeps the last block and derives 25 band levels (0 to 255)
// from the rise of each band against the block before it. A steady sound gives low bands, a
// new one high bands, so the light follows the beat. The first two blocks are only stored.
class BandTracker {
public:
    std::optional<Bands> take(const Levels& levels);
    void reset();
    // Counts up to 2: whether the next block gives bands.
    int blocksStored() const { return m_taken; }
    const Levels& last() const { return m_last; }

private:
    Levels m_last{};
    Levels m_previous{};
    int m_taken = 0;
};

// One band's level from the rises of its levels: the mean rise, four times amplified so that a
// new tone filling a quarter of the band reaches full light, on the 0..255 scale.
std::uint8_t bandLevel(std::span<const std::int32_t> previous, std::span<const std::int32_t> current);

}  // namespace kestrion::audio
