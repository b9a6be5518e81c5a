#pragma once

#include <array>
#include <optional>

#include "audio/audio_blocks.h"
#include "devices/lighting_preview.h"
#include "profiles/profile_records.h"

namespace kestrion {

// The audio-reactive light of the preview, drawn from the companion's band levels and the
// profile's audio-light record ("AudioMode"):
// - 0: off, the lighting effect plays;
// - 1: spectrum: each column of LEDs follows its share of the bands, from the background
//      colour (quiet) to the foreground colour (loud), or to the wheel colour of the column
//      with the seven-colour flag;
// - 2: pulse: every LED follows the loudest band the same way;
// - 3: the companion's own colour (the active audio style), lit by the loudest band.
// Levels fall back by a sixth of full light per block, so a beat fades out over about 150 ms
// instead of blinking. When no block comes (no companion) the frame stays as it is.
class AudioLightPainter {
public:
    static constexpr int kModeCount = 4;
    static constexpr int kFallPerBlock = 42;

    // Takes a block's bands; the frame to show, or nullopt in mode 0 (or an unknown mode).
    std::optional<LightFrame> paint(const AudioLightInfo& record, const audio::Bands& bands,
                                    const audio::Loudness& loudness);
    // The frame of the last levels under a changed record; nullopt in mode 0 or before any block.
    std::optional<LightFrame> repaint(const AudioLightInfo& record) const;

    static bool isAudioMode(std::uint8_t mode) { return mode > 0 && mode < kModeCount; }

private:
    LightFrame frame(const AudioLightInfo& record) const;

    std::array<std::uint8_t, lighting::kColumnCount> m_columns{};
    audio::Colour m_companionColour;
    bool m_anyBlock = false;
};

}  // namespace kestrion
