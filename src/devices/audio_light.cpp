#include "devices/audio_light.h"

#include <algorithm>

namespace kestrion {
namespace {

constexpr int kSpectrumMode = 1;
constexpr int kPulseMode = 2;
constexpr std::uint8_t kFull = 255;

lighting::Rgb mix(const lighting::Rgb& quiet, const lighting::Rgb& loud, std::uint8_t level)
{
    const auto blend = [level](std::uint8_t from, std::uint8_t to) {
        return static_cast<std::uint8_t>((from * (kFull - level) + to * level) / kFull);
    };
    return {blend(quiet.red, loud.red), blend(quiet.green, loud.green), blend(quiet.blue, loud.blue)};
}

KeyColour lit(const lighting::Rgb& colour, std::uint8_t brightness)
{
    return {colour.red, colour.green, colour.blue, brightness};
}

// The bands a column of LEDs follows: an even share of the 25, the loudest of them counting.
std::uint8_t columnLevel(const audio::Bands& bands, std::size_t column)
{
    const std::size_t first = column * audio::kBandCount / lighting::kColumnCount;
    const std::size_t last = (column + 1) * audio::kBandCount / lighting::kColumnCount;
    return *std::max_element(bands.begin() + static_cast<long>(first), bands.begin() + static_cast<long>(last));
}

}  // namespace

std::optional<LightFrame> AudioLightPainter::paint(const AudioLightInfo& record, const audio::Bands& bands,
                                                   const audio::Loudness& loudness)
{
    for (std::size_t c = 0; c < m_columns.size(); ++c) {
        const int fallen = std::max(0, m_columns[c] - kFallPerBlock);
        m_columns[c] = std::max<std::uint8_t>(columnLevel(bands, c), static_cast<std::uint8_t>(fallen));
    }
    m_companionColour = loudness.colour;
    m_anyBlock = true;
    return repaint(record);
}

std::optional<LightFrame> AudioLightPainter::repaint(const AudioLightInfo& record) const
{
    if (!m_anyBlock || !isAudioMode(record.audioMode))
        return std::nullopt;
    return frame(record);
}

LightFrame AudioLightPainter::frame(const AudioLightInfo& record) const
{
    const lighting::Rgb background{record.backRed, record.backGreen, record.backBlue};
    const lighting::Rgb foreground{record.foreRed, record.foreGreen, record.foreBlue};
    const std::uint8_t loudest = *std::max_element(m_columns.begin(), m_columns.end());
    LightFrame frame{};
    for (std::size_t led = 0; led < lighting::kLedCount; ++led) {
        const std::size_t column = lighting::kLedColumn[led];
        const lighting::Rgb wheel = lighting::kColourWheel[column * lighting::kWheelSize / lighting::kColumnCount];
        const lighting::Rgb loud = record.sevenColor ? wheel : foreground;
        if (record.audioMode == kSpectrumMode)
            frame[led] = lit(mix(background, loud, m_columns[column]), kFull);
        else if (record.audioMode == kPulseMode)
            frame[led] = lit(mix(background, loud, loudest), kFull);
        else
            frame[led] = lit({m_companionColour.red, m_companionColour.green, m_companionColour.blue}, loudest);
    }
    return frame;
}

}  // namespace kestrion
