#include "platform/audio/audio_effects.h"

#include <array>

namespace kestrion::audio {

std::optional<AudioEndpoint> chooseEndpoint(std::span<const AudioEndpoint> endpoints)
{
    static constexpr std::array kPreference = {EndpointType::HeadsetCard, EndpointType::UsbCard,
                                               EndpointType::OtherCard};
    for (EndpointType type : kPreference) {
        for (const AudioEndpoint& endpoint : endpoints) {
            if (endpoint.enabled && endpoint.type == static_cast<int>(type))
                return endpoint;
        }
    }
    return std::nullopt;
}

}  // namespace kestrion::audio
