#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace kestrion::audio {

inline constexpr std::size_t kEqualiserBands = 10;

// Centre frequencies of the ten bands, an octave apart.
inline constexpr std::array<double, kEqualiserBands> kEqualiserFrequencies = {
    31.0, 62.0, 125.0, 250.0, 500.0, 1000.0, 2000.0, 4000.0, 8000.0, 16000.0};

// Band gains beyond this many dB either way are refused rather than sent to the filters.
inline constexpr double kEqualiserGainLimit = 24.0;

struct EqualiserSettings {
    bool enabled = false;
    std::array<double, kEqualiserBands> gains {};  // dB, band 1 first

    friend bool operator==(const EqualiserSettings&, const EqualiserSettings&) = default;
};

// The PipeWire filter-chain configuration of the equaliser: a virtual sink whose sound passes
// through ten peaking filters in series and on to targetSink (the default output when empty).
// A disabled equaliser keeps its chain with every gain at 0 dB, so the routing never changes.
// The settings themselves are kept in a first comment line for the next start to read back.
std::string equaliserConfigText(const EqualiserSettings& settings, std::string_view targetSink);

// The settings of a file written by equaliserConfigText; none for any other text.
std::optional<EqualiserSettings> parseEqualiserSettings(std::string_view configText);

}  // namespace kestrion::audio
