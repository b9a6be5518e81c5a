#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace kestrion::audio {

// The two mixer controls of a USB headset the tool drives: the microphone's capture level and the
// monitoring (sidetone) level that feeds the microphone back into the ear cups.
enum class MixerControl { Capture, Monitor };

// What a property reads or writes on its control. Value formats:
//   Mute          1 muted, 0 not muted (the control's switch off and on)
//   VolumeDb      the level in dB
//   VolumeScalar  the level from 0 to 1, linear over the control's raw steps
//   MaxDb         the highest level the control reaches, in dB (read only)
enum class MixerQuantity { Mute, VolumeDb, VolumeScalar, MaxDb };

struct MixerProperty {
    std::string_view name;
    MixerControl control;
    MixerQuantity quantity;
};

// The mixer property of a name; none when the mixer does not carry it.
std::optional<MixerProperty> findMixerProperty(std::string_view name);

// Simple-element names that may carry a control, most specific first. A USB headset names its
// microphone "Mic" (sometimes "Headset"); its sidetone is "Sidetone", or the microphone's playback
// side ("Mic Playback Volume") on chips without a separate control.
std::span<const std::string_view> elementNamesOf(MixerControl control);

// Raw step nearest to a scalar level; none for a level outside 0..1 or not a number.
std::optional<long> rawFromScalar(double scalar, long min, long max);
double scalarFromRaw(long raw, long min, long max);

// alsa-lib gives levels in hundredths of a dB.
double dbFromCentiDb(long centiDb);
// None for a value that is not a finite number of dB a mixer could hold.
std::optional<long> centiDbFromDb(double db);

}  // namespace kestrion::audio
