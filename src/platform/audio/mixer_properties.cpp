#include "platform/audio/mixer_properties.h"

#include <array>
#include <cmath>

namespace kestrion::audio {
namespace {

constexpr std::array kMixerProperties = {
    MixerProperty {"MuteControl", MixerControl::Capture, MixerQuantity::Mute},
    MixerProperty {"VolumeControl", MixerControl::Capture, MixerQuantity::VolumeDb},
    MixerProperty {"VolumeScalarControl", MixerControl::Capture, MixerQuantity::VolumeScalar},
    MixerProperty {"GetMaxVol", MixerControl::Capture, MixerQuantity::MaxDb},
    MixerProperty {"AAMuteControl", MixerControl::Monitor, MixerQuantity::Mute},
    MixerProperty {"AAVolumeControl", MixerControl::Monitor, MixerQuantity::VolumeDb},
    MixerProperty {"AAVolumeScalarControl", MixerControl::Monitor, MixerQuantity::VolumeScalar},
};

constexpr std::array<std::string_view, 3> kCaptureElements = {"Mic", "Headset", "Capture"};
constexpr std::array<std::string_view, 2> kMonitorElements = {"Sidetone", "Mic"};

// Far beyond any mixer's range; keeps the conversion to long well defined.
constexpr double kDbLimit = 1000.0;

}  // namespace

std::optional<MixerProperty> findMixerProperty(std::string_view name)
{
    for (const MixerProperty& property : kMixerProperties) {
        if (property.name == name)
            return property;
    }
    return std::nullopt;
}

std::span<const std::string_view> elementNamesOf(MixerControl control)
{
    if (control == MixerControl::Capture)
        return kCaptureElements;
    return kMonitorElements;
}

std::optional<long> rawFromScalar(double scalar, long min, long max)
{
    if (!(scalar >= 0.0 && scalar <= 1.0))
        return std::nullopt;
    return min + std::lround(scalar * static_cast<double>(max - min));
}

double scalarFromRaw(long raw, long min, long max)
{
    if (max <= min)
        return 0.0;
    return static_cast<double>(raw - min) / static_cast<double>(max - min);
}

double dbFromCentiDb(long centiDb)
{
    return static_cast<double>(centiDb) / 100.0;
}

std::optional<long> centiDbFromDb(double db)
{
    if (!(std::abs(db) <= kDbLimit))
        return std::nullopt;
    return std::lround(db * 100.0);
}

}  // namespace kestrion::audio
